#pragma once
// What the launcher tests share: the program's skins, a log, the stand-in
// service, core and cards, launcher sessions, steps inside modal loops, pop-up
// menu watches, real clicks, accessible tables and screenshots.
#include <windows.h>
// after windows.h
#include <dbt.h>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AccessTree.h"
#include "BoxWatcher.h"
#include "ScreenInput.h"
#include "ServiceControl.h"
#include "ServiceSupport.h"
#include "TestSupport.h"
#include "app/LauncherWindow.h"
#include "common/CodePage.h"
#include "common/CoreProcess.h"
#include "datafiles/UserListFile.h"
#include "net/ConnectionFile.h"
#include "net/WinHttpWrapper.h"
#include "ui/Skin.h"
#include "wfc/DIB.h"
#include "wfc/Library.h"

namespace lt {

using qmtest::Env;
using qmtest::EnvFolder;
using qmtest::LogText;
inline const bool g_keepsLog = qmtest::KeepLog();
inline bool HaveService() { return !Env("QM_SERVICE_HOST").empty(); }

// Once per program: library, skins and the connection table.
inline void SetUpProgram() {
    static bool done = false;
    if (done) return;
    done = true;
    lib::wfc::InitLibrary(::GetModuleHandleA(nullptr), "Quillmarch ", nullptr, nullptr);
    const HMODULE skins = qmtest::ProgramModule();
    ui::SetSkinResourceMode(skins, skins, skins);
    const std::string host = Env("QM_SERVICE_HOST");
    const std::string lines = qmtest::StandInConnectionLines(host.empty() ? "127.0.0.1:9" : host);
    const std::string path = qmtest::NewFolder("conninfo") + "Connection.info";
    qmtest::WriteFile(path, lines);
    CConnectionFile::Instance().Reset(path);
}

using qmtest::ControlService;

// --- cards ---------------------------------------------------------------------------------
using qmtest::EmptyDrive;
inline bool MakeCard(char d, const std::string& device, const std::string& options = "") {
    return qmtest::MakeCard(d, "--device=" + device + " " + options);
}
inline bool RegisterUser(const std::string& device, uint32_t modelType) {
    CUserListFile users;
    return users.SetUser(device.c_str(), "tester", 0x00A1B2C3, "", modelType);
}

// --- the stand-in core ------------------------------------------------------------------------
// Writes a scenario file ("journal" and "record" lines, then the body) and
// names it to the stand-ins this program starts.
struct CoreScenario {
    std::string journal;
    std::string record;
    explicit CoreScenario(const std::string& body) {
        const std::string folder = qmtest::NewFolder("core");
        journal = folder + "journal.txt";
        record = folder + "cmdline.txt";
        const std::string file = folder + "scenario.txt";
        qmtest::WriteFile(file, "journal " + journal + "\r\nrecord " + record + "\r\n" + body);
        ::SetEnvironmentVariableA("QM_CORE_SCENARIO", file.c_str());
        ::SetEnvironmentVariableA("QM_MUSIC_SCENARIO", file.c_str());
    }
    std::string Journal() const { return qmtest::ReadFile(journal); }
    std::string CommandLines() const { return qmtest::ReadFile(record); }
};

using qmtest::Drain;
using qmtest::PumpUntil;

// A card of a user registered with model type 2 on E:.
inline void PrepareCard(const char* device, const std::string& options = "") {
    SetUpProgram();
    ASSERT_TRUE(MakeCard('E', device, options));
    ASSERT_TRUE(RegisterUser(device, 2));
}

// A launcher of model type 2 (unless told), shown and started; on leaving,
// the tools it started are ended first.
struct CLauncherSession {
    // Every box the launcher opens is read and answered (OK unless queued).
    qmtest::CBoxWatcher boxes{{}, true};
    std::unique_ptr<ui::CLauncherWindow> window;
    explicit CLauncherSession(int modelType = 2) {
        SetUpProgram();
        window = std::make_unique<ui::CLauncherWindow>();
        window->CreateLauncher(modelType);
        window->ShowWindow(SW_SHOWNA);
        PumpUntil([&] { return window->Started(); }, 10000);  // painted, the card found
    }
    ~CLauncherSession() {
        RequestToolsEnd();
        // Lets the core go before the next test starts one.
        PumpUntil([] { return !FindCoreWindow(); }, 5000);
        window.reset();
        Drain();
    }
    ui::CLauncherWindow* operator->() { return window.get(); }
    // Lets the start-up chain and the charge it starts run out, so that their
    // messages do not mix with what a test sends.
    void Settle(const CoreScenario& core) {
        auto ran = [&](const char* word) { return core.Journal().find(word) != std::string::npos; };
        PumpUntil([&] { return ran("idle") || ran("exit"); }, 30000);
        Drain();
    }
    HWND Handle() const { return window->GetHandle(); }
    void Send(UINT message, WPARAM w = 0, LPARAM l = 0) { window->SendMessage(message, w, l); }
    // A volume notice on E: (DBT_DEVICEARRIVAL or DBT_DEVICEREMOVECOMPLETE),
    // then the rescan timer's expiry when `rescan`.
    void CardNotice(WPARAM kind, bool rescan = true) {
        DEV_BROADCAST_VOLUME v = {sizeof v, DBT_DEVTYP_VOLUME, 0, 1u << ('E' - 'A'), 0};
        Send(WM_DEVICECHANGE, kind, reinterpret_cast<LPARAM>(&v));
        if (rescan) Send(WM_TIMER, ui::kTimerRescan);
    }
    // A left click just inside an item's corner.
    void Click(int id) {
        const RECT r = window->GetItemById(id)->GetRect();
        Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + 2, r.top + 2));
        Send(WM_LBUTTONUP, 0, MAKELPARAM(r.left + 2, r.top + 2));
    }
};

// A registered card on E:, the stand-in core playing `scenario`, and a
// launcher whose start-up chain and first charge have run out.
struct CSettledLauncher {
    CoreScenario core;
    CLauncherSession launcher;
    explicit CSettledLauncher(const char* device, const char* scenario = "idle stay\r\n")
        : core((PrepareCard(device), std::string(scenario))) {
        launcher.Settle(core);
    }
    // The active window, as after a user's click on it.
    void Activate() {
        ::SetForegroundWindow(launcher.Handle());
        ::SetActiveWindow(launcher.Handle());
    }
};

// --- inside modal loops ----------------------------------------------------------------------
// Runs `step` every 10 ms while this thread runs a message loop (a
// question's modal loop too: a thread timer is dispatched there) until the
// step returns true.
class CInsideModal {
public:
    explicit CInsideModal(std::function<bool()> step) {
        s_step = std::move(step);
        m_timer = ::SetTimer(nullptr, 0, 10, OnTimer);
    }
    ~CInsideModal() {
        if (m_timer) ::KillTimer(nullptr, m_timer);
        s_step = nullptr;
    }
    bool Done() const { return m_timer && !s_step; }
    bool Running() const { return m_timer != 0; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
        // Taken out while it runs: a loop the step enters calls here again.
        std::function<bool()> step = std::move(s_step);
        s_step = nullptr;
        if (step && !step()) s_step = std::move(step);
    }
    static inline std::function<bool()> s_step;
    UINT_PTR m_timer = 0;
};

// The pop-up menus this thread shows while it lives (true: it held Close, as
// the system menu does), each ended as soon as seen from inside the menu's
// own loop; a menu mode that never shows a menu ends too (after 5 s).
class CMenuWatch {
public:
    std::vector<bool> seen;
    bool Ok() const { return m_look.Running(); }

private:
    static BOOL CALLBACK FindMenu(HWND window, LPARAM found) {
        char name[16] = {};
        ::GetClassNameA(window, name, sizeof name);
        if (std::string(name) != "#32768" || !::IsWindowVisible(window)) return TRUE;
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    bool Look() {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        if (!::GetGUIThreadInfo(::GetCurrentThreadId(), &info) || !(info.flags & GUI_INMENUMODE))
            return m_idle = 0, false;
        HWND window = nullptr;
        ::EnumThreadWindows(::GetCurrentThreadId(), FindMenu, reinterpret_cast<LPARAM>(&window));
        if (window) {
            const auto menu = reinterpret_cast<HMENU>(::SendMessageA(window, MN_GETHMENU, 0, 0));
            seen.push_back(menu && ::GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) != UINT(-1));
            ::EndMenu();
        } else if (++m_idle > 500) {
            ::EndMenu();
        }
        return false;
    }
    int m_idle = 0;
    CInsideModal m_look{[this] { return Look(); }};
};

// --- real input ----------------------------------------------------------------------------
// Left-button releases this thread has taken off its queue: the mark that a
// real click has reached the program (menus' own loops included).
inline std::atomic<int>& ReleasesTaken() {
    static std::atomic<int> taken{0};
    return taken;
}
inline LRESULT CALLBACK CountRelease(int code, WPARAM removed, LPARAM lParam) {
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && removed == PM_REMOVE && msg->message == WM_LBUTTONUP)
        ++ReleasesTaken();
    return ::CallNextHookEx(nullptr, code, removed, lParam);
}

// Asks the run script's xdotool for count left clicks at a screen point and
// dispatches messages until the program has taken every release, or until
// `until` holds when given (a click that ends its window sends its last
// release elsewhere); false without the script or when that never came.
inline bool RealClick(POINT screen, int count = 1, const std::function<bool()>& until = nullptr) {
    if (Env("QM_INPUT_DIR").empty()) return false;
    const std::string folder = EnvFolder("QM_INPUT_DIR");
    ::DeleteFileA((folder + "done").c_str());
    const int target = ReleasesTaken() + count;
    HHOOK hook = ::SetWindowsHookExA(WH_GETMESSAGE, CountRelease, nullptr, ::GetCurrentThreadId());
    qmtest::WriteFile(folder + "request.tmp", std::to_string(screen.x) + " " +
                                                  std::to_string(screen.y) + " " +
                                                  std::to_string(count) + "\n");
    ::MoveFileA((folder + "request.tmp").c_str(), (folder + "request").c_str());
    const bool clicked =
        PumpUntil([&] { return until ? until() : ReleasesTaken() >= target; }, 10000) &&
        PumpUntil([&] { return qmtest::FileExists(folder + "done"); }, 10000);
    if (hook) ::UnhookWindowsHookEx(hook);
    return clicked;
}

// --- what a screen reader reads ---------------------------------------------------------------
using qmtest::ReadAccess;

// What every pop-up begins with: its title, its mark and its close button.
inline std::vector<qmtest::AccRow> PopupHead(const char* title, std::vector<qmtest::AccRow> own) {
    using namespace qmtest::acc;
    std::vector<qmtest::AccRow> rows = {{kText, title, kReadOnly},
                                        {kPicture, "Quillmarch", 0},
                                        {kButton, "ウィンドウを閉じる", kFocusable}};
    rows.insert(rows.end(), own.begin(), own.end());
    return rows;
}

// --- screenshots ---------------------------------------------------------------------------------
inline void SaveScreen(lib::wfc::CDIB* buffer, const std::string& name) {
    qmtest::SaveScreen(buffer, "launcher", name);
}

}  // namespace lt
