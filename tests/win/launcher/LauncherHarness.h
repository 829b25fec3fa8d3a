#pragma once
// What the launcher tests share: the program's own skins (from the built
// Quillmarch.exe), a log in the work folder, the connection table pointed
// at the stand-in service, cards on E: and F:, the stand-in core's scenario
// and journal, a message pump that waits on messages, a watcher that reads
// and answers message boxes, and screenshots of composed windows.
#include <windows.h>

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "common/CodePage.h"
#include "common/KilnLog.h"
#include "datafiles/UserListFile.h"
#include "net/ConnectionFile.h"
#include "net/WinHttpWrapper.h"
#include "ui/Skin.h"
#include "wfc/DIB.h"
#include "wfc/Library.h"

namespace lt {

inline std::string Env(const char* name) {
    char value[1024] = {};
    const DWORD n = ::GetEnvironmentVariableA(name, value, sizeof value);
    return n && n < sizeof value ? std::string(value, n) : std::string();
}
// A folder the run script names (else the work folder), ending in "\\".
inline std::string EnvFolder(const char* name) {
    std::string folder = Env(name);
    if (folder.empty()) folder = qmtest::WorkFolder();
    return folder.back() == '\\' ? folder : folder + '\\';
}
inline std::string LogPath() { return qmtest::WorkFolder() + "launcher.log"; }
inline std::string LogText() { return qmtest::ReadFile(LogPath()); }
inline bool HaveService() { return !Env("QM_SERVICE_HOST").empty(); }

// Once per program: library, log, skins and the connection table.
inline void SetUpProgram() {
    static bool done = false;
    if (done) return;
    done = true;
    lib::wfc::InitLibrary(::GetModuleHandleA(nullptr), "Quillmarch ", nullptr, nullptr);
    KILNLOG.Start(LogPath().c_str(), 20480);
    HMODULE skins = ::LoadLibraryExA((qmtest::BinFolder() + "Quillmarch.exe").c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE);
    ui::SetSkinResourceMode(skins, skins, skins);
    const std::string host = Env("QM_SERVICE_HOST");
    std::string lines;
    for (const char* entry :
         {"0,/navigation/PcAppTop.html", "3,/navigation/PcAppTop.html",
          "5,/pcapp/GetLatestPcaplAPI", "23,/pcapp/LogUploadCheckAPI", "24,/pcapp/LogUploadAPI",
          "32,/pcapp/LogUploadCheckTRKMothAPI", "34,/pcapp/GetLatestPcaplTRKMothAPI"}) {
        const std::string e = entry;
        const size_t comma = e.find(',') + 1;
        lines += e.substr(0, comma) + "https://" + (host.empty() ? "127.0.0.1:9" : host) +
                 e.substr(comma) + "\r\n";
    }
    const std::string path = qmtest::NewFolder("conninfo") + "Connection.info";
    qmtest::WriteFile(path, lines);
    CConnectionFile::Instance().Reset(path);
}

// The stand-in service's state folder as this program sees it.
inline std::string ServiceState() {
    std::string unixPath = Env("QM_SERVICE_STATE");
    for (char& c : unixPath)
        if (c == '/') c = '\\';
    return "Z:" + unixPath + "\\";
}
// The service paths of the requests received so far, in their order.
inline std::vector<std::string> ServiceRequests() {
    std::vector<std::string> paths;
    for (const std::string& name : qmtest::ListFiles(ServiceState() + "records\\*.json")) {
        const std::string json = qmtest::ReadFile(ServiceState() + "records\\" + name);
        const size_t p = json.find("\"path\": \"");
        if (p == std::string::npos) continue;
        const size_t start = p + 9;
        paths.push_back(json.substr(start, json.find('"', start) - start));
    }
    return paths;
}
// Sets what the service answers from now on (its /_control/ paths, form
// fields); true when it said OK.
inline bool ControlService(const std::string& path, const std::string& form) {
    CWinHttpWrapper http;
    const std::string url = "https://" + Env("QM_SERVICE_HOST") + path;
    if (!http.SetRequest(url.c_str(), 0, nullptr, true) ||
        !http.Open(HTTP_VERB_POST, L"launcher-test", nullptr))
        return false;
    HANDLE worker = http.Upload(form.data(), static_cast<DWORD>(form.size()),
                                "application/x-www-form-urlencoded", nullptr, nullptr);
    return worker && ::WaitForSingleObject(worker, 20000) == WAIT_OBJECT_0 && http.GetResult() == 0;
}

// --- cards ---------------------------------------------------------------------------------
inline void EmptyDrive(char d) {
    const std::string root = std::string(1, d) + ":\\";
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((root + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        // An empty folder (a blocked write check) goes at once.
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !::RemoveDirectoryA((root + name).c_str()))
            qmtest::RunProcess("cmd.exe", "/c rmdir /s /q \"" + root + name + "\"", 20000);
        else if (::SetFileAttributesA((root + name).c_str(), FILE_ATTRIBUTE_NORMAL))
            ::DeleteFileA((root + name).c_str());
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
}
inline bool MakeCard(char d, const std::string& device, const std::string& options = "") {
    EmptyDrive(d);
    const auto r = qmtest::RunProcess(
        qmtest::BinFolder() + "sdcard.exe",
        std::string("make ") + d + ":\\ --device=" + device + " " + options, 60000);
    return r.finished && r.exitCode == 0;
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

// --- waiting ------------------------------------------------------------------------------------
// Dispatches messages until done() holds, waiting on the queue between them;
// false when timeoutMs passed first (a failure, never a pause).
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 20000) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
            if (done()) return true;
        }
        if (done()) return true;
        const DWORD waited = ::GetTickCount() - start;
        if (waited >= timeoutMs) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - waited, QS_ALLINPUT);
    }
}
// Dispatches what is queued now.
inline void Drain() {
    PumpUntil([] { return false; }, 0);
}

// --- message boxes ---------------------------------------------------------------------------
// Answers every box titled "Quillmarch " (or "Skin Load") with the next
// queued answer (IDOK when none is queued) and records its text.
class CBoxWatcher {
public:
    // anyProcess: also the boxes of programs this test started.
    explicit CBoxWatcher(bool anyProcess = false)
        : m_anyProcess(anyProcess), m_thread([this] { Run(); }) {}
    ~CBoxWatcher() {
        m_stop = true;
        m_thread.join();
    }
    std::vector<std::string> Texts(size_t from = 0) {
        std::lock_guard<std::mutex> lock(m_mutex);
        return from < m_texts.size()
                   ? std::vector<std::string>(m_texts.begin() + from, m_texts.end())
                   : std::vector<std::string>();
    }
    void Queue(int answer) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_answers.push_back(answer);
    }
    size_t Count() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_texts.size();
    }

private:
    struct Search {
        HWND box;
        bool anyProcess;
    };
    static BOOL CALLBACK FindBox(HWND window, LPARAM param) {
        auto* search = reinterpret_cast<Search*>(param);
        char cls[32] = {}, title[64] = {};
        ::GetClassNameA(window, cls, sizeof cls);
        ::GetWindowTextA(window, title, sizeof title);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        // The program's boxes, and a skin error's (a test must not hang on it).
        if (lstrcmpA(cls, "#32770") != 0 || !::IsWindowVisible(window) ||
            (lstrcmpA(title, "Quillmarch ") != 0 && lstrcmpA(title, "Skin Load") != 0) ||
            (!search->anyProcess && pid != ::GetCurrentProcessId()))
            return TRUE;
        search->box = window;
        return FALSE;
    }
    void Run() {
        HWND last = nullptr;
        while (!m_stop) {
            Search search = {nullptr, m_anyProcess};
            ::EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
            HWND box = search.box;
            if (box && box != last) {
                char text[2048] = {};  // a message box's text is its item 0xFFFF
                ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                int answer = IDOK;
                {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    m_texts.push_back(text);
                    if (!m_answers.empty()) {
                        answer = m_answers.front();
                        m_answers.pop_front();
                    }
                }
                // A box with Yes and No has no OK: fall back to its default.
                if (!::GetDlgItem(box, answer)) answer = IDYES;
                ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                               reinterpret_cast<LPARAM>(::GetDlgItem(box, answer)));
                last = box;
            } else if (!box) {
                last = nullptr;
            }
            ::Sleep(10);  // a polling period, not a wait for an outcome
        }
    }
    std::mutex m_mutex;
    std::deque<int> m_answers;
    std::vector<std::string> m_texts;
    std::atomic<bool> m_stop{false};
    bool m_anyProcess;
    std::thread m_thread;
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

// --- screenshots ---------------------------------------------------------------------------------
// Saves a composed window as PNG beside the test output (QM_SCREEN_DIR when
// the run script names one, else the work folder).
inline void SaveScreen(lib::wfc::CDIB* buffer, const std::string& name) {
    if (buffer) buffer->SavePng((EnvFolder("QM_SCREEN_DIR") + name + ".png").c_str());
}

}  // namespace lt
