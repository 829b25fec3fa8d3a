// Quillmarch.exe as a whole: start, instance control, the two switches, the registration
// status with the simulated cards of prefix-setup (E:, F:), and the diagnostic log it leaves.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "common/MessageCatalog.h"
#include "common/WinHandle.h"
#include "datafiles/UserListFile.h"

namespace {

using qmtest::MutexExists;
using Texts = std::vector<std::string>;

HWND WaitForWindow(const char* cls, const char* title, DWORD ms) {
    HWND w = nullptr;
    qmtest::PumpUntil([&] { return (w = ::FindWindowA(cls, title)) != nullptr; }, ms);
    return w;
}

// Starts a program suspended and looks for a main window of its own (class "Quillmarch") while
// it runs: through the news of every window it creates (Wine may not deliver it) and by looking.
class CWatchedLaunch {
public:
    CWatchedLaunch(const std::string& exe, const std::string& args) {
        std::string cmd = "\"" + exe + "\" " + args;
        STARTUPINFOA si = {sizeof si};
        PROCESS_INFORMATION pi = {};
        if (!::CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                              nullptr, nullptr, &si, &pi))
            return;
        m_process.Reset(pi.hProcess);
        m_pid = pi.dwProcessId;
        qm::CHandle thread(pi.hThread);
        s_watch = this;
        m_hook = ::SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr, &Seen,
                                   pi.dwProcessId, 0, WINEVENT_OUTOFCONTEXT);
        ::ResumeThread(thread.Get());
    }
    ~CWatchedLaunch() {
        if (m_process && ::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT)
            ::TerminateProcess(m_process.Get(), 99);
        if (m_hook) ::UnhookWinEvent(m_hook);
        s_watch = nullptr;
    }
    // Pumps this thread's messages and looks for the window until the process ends with 0.
    bool ExitsCleanly(DWORD ms = 20000) {
        DWORD code = 12345;
        const auto ended = [this] {
            return Look(), ::WaitForSingleObject(m_process.Get(), 0) == WAIT_OBJECT_0;
        };
        const bool exited = m_process && m_hook && qmtest::PumpUntil(ended, ms);
        qmtest::Drain();  // the news that came before the end
        return exited && ::GetExitCodeProcess(m_process.Get(), &code) && code == 0;
    }
    bool MadeMainWindow() const { return m_seen; }

private:
    void Look() {
        DWORD pid = 0;
        const HWND w = ::FindWindowA("Quillmarch", nullptr);
        if (w && ::GetWindowThreadProcessId(w, &pid) && pid == m_pid) m_seen = true;
    }
    static void CALLBACK Seen(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG, DWORD, DWORD) {
        char cls[64] = {};
        if (s_watch && object == OBJID_WINDOW && ::GetClassNameA(window, cls, sizeof cls) &&
            std::string(cls) == "Quillmarch")
            s_watch->m_seen = true;
    }
    static inline CWatchedLaunch* s_watch = nullptr;
    qm::CHandle m_process;
    DWORD m_pid = 0;
    HWINEVENTHOOK m_hook = nullptr;
    bool m_seen = false;
};

// With no card inserted, a last user in the user list makes the start a launcher start.
void RegisterLastUser() { ASSERT_TRUE(CUserListFile().SetUser("STARTUPTEST0001", "s", 1, "", 1)); }

std::string LauncherExe() { return qmtest::BinFolder() + "Quillmarch.exe"; }
std::string LauncherLog() { return GetLogFolder() + "Quillmarch.log"; }
const char kStartRecord[] = "==:==========<開始(1.0.0.1)>==========";
const char kEndRecord[] = "--:----------<終了>----------";

// How many records of the launcher's log read "kind:message".
int CountRecords(const std::string& kindAndMessage) {
    const auto texts = qmtest::LogRecordTexts(qmtest::ReadFile(LauncherLog()));
    return static_cast<int>(std::count(texts.begin(), texts.end(), kindAndMessage));
}

// A stand-in for the launcher window: records what a second start sends it.
struct FakeLauncher {
    static inline UINT s_lastSysCommand = 0, s_mapDownloadMsg = 0;
    static inline int s_mapDownloads = 0;
    HWND wnd = nullptr;

    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        if (m == WM_SYSCOMMAND) s_lastSysCommand = static_cast<UINT>(wp);
        s_mapDownloads += m == s_mapDownloadMsg;
        return m == WM_SYSCOMMAND ? 0 : ::DefWindowProcA(w, m, wp, lp);
    }
    FakeLauncher() {
        s_lastSysCommand = s_mapDownloads = 0;
        s_mapDownloadMsg = ::RegisterWindowMessageA("WKLMapDownload");
        const WNDCLASSA wc = {0,       Proc,    0,       0,       ::GetModuleHandleA(nullptr),
                              nullptr, nullptr, nullptr, nullptr, "QmTestFakeLauncher"};
        ::RegisterClassA(&wc);
        wnd = ::CreateWindowExA(0, wc.lpszClassName, "Quillmarch", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                100, nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~FakeLauncher() { ::DestroyWindow(wnd); }
};

// Starts the program, notes whether the launcher mutex (else the first-run one) is held while
// its hidden window is up, closes it and collects the registration records it wrote between
// its start and end records.
Texts StartApp(bool& registered) {
    static const std::string exe = [] {
        const std::string folder = qmtest::NewFolder("app");
        ::CopyFileA((qmtest::BinFolder() + "Quillmarch.exe").c_str(),
                    (folder + "Quillmarch.exe").c_str(), FALSE);
        qmtest::WriteFile(folder + "WKLOG.ini", "[Log]\r\nRecover=1\r\n");
        return folder + "Quillmarch.exe";
    }();
    const std::string before = qmtest::ReadFile(LauncherLog());
    CWatchedLaunch process(exe, "");
    // Titled with a trailing blank, so a search for the launcher's title never finds it.
    const HWND main = WaitForWindow("Quillmarch", "Quillmarch ", 20000);
    // Looked at once the launcher or the first-run window is made, which is
    // after the hidden window has been shown or hidden.
    const bool next = qmtest::PumpUntil(
        [] {
            return ::FindWindowA(nullptr, "Quillmarch") ||
                   ::FindWindowA(nullptr, "Quillmarch UserEntry");
        },
        20000);
    if (!main || !next || ::IsWindowVisible(main)) return {"no hidden main window"};
    registered = MutexExists("MN_Quillmarch_Launcher");
    if (registered == MutexExists("MN_Quillmarch_Init")) return {"both or neither mutex"};
    ::PostMessageA(main, WM_CLOSE, 0, 0);
    if (!process.ExitsCleanly()) return {"did not end"};
    std::string text = qmtest::ReadFile(LauncherLog());
    if (text.compare(0, before.size(), before) == 0) text = text.substr(before.size());
    if (text.find("\t==\tWinMain_win.cpp\t") == std::string::npos) return {"no start record"};
    Texts lines;
    for (const std::string& l : qmtest::LogRecordTexts(text))
        if (l.rfind("D:SD", 0) == 0 || l.rfind("D:　－", 0) == 0 ||
            l.rfind("N:ユーザー登録状況", 0) == 0 || l == kStartRecord || l == kEndRecord)
            lines.push_back(l);
    return lines;
}

// Empties the drive and, given a device number, makes a card there.
bool MakeCard(char d, const char* device) {
    if (!device) qmtest::EmptyDrive(d);
    return !device || qmtest::MakeCard(d, std::string("--device=") + device);
}

}  // namespace

TEST(Startup, ARunningLauncherIsRaisedOrToldOfTheMapDownload) {
    RegisterLastUser();
    ::DeleteFileA(LauncherLog().c_str());
    {
        CWatchedLaunch p(LauncherExe(), "-MapDownload");
        ASSERT_TRUE(p.ExitsCleanly());
        EXPECT_FALSE(p.MadeMainWindow());
    }
    EXPECT_EQ(CountRecords("E:プロトコル起動 ランチャー無し"), 1);
    EXPECT_EQ(CountRecords(kEndRecord), 1);
    // The running launcher is this process: it holds the mutex and owns a window "Quillmarch".
    qm::CHandle mutex(::CreateMutexA(nullptr, TRUE, "MN_Quillmarch_Launcher"));
    FakeLauncher fake;
    ASSERT_TRUE(mutex && fake.wnd);
    for (const char* args : {"", "/mapdownload"}) {
        CWatchedLaunch p(LauncherExe(), args);
        ASSERT_TRUE(p.ExitsCleanly());
        EXPECT_FALSE(p.MadeMainWindow());
    }
    EXPECT_EQ(FakeLauncher::s_lastSysCommand, static_cast<UINT>(SC_RESTORE));
    EXPECT_EQ(FakeLauncher::s_mapDownloads, 1);
    EXPECT_EQ(CountRecords("N:プロトコル起動"), 1);
    ::ReleaseMutex(mutex.Get());
}

TEST(Startup, UninstallRemovesTheDataFolderAndOpensNoWindow) {
    const std::string data = GetDataFolder();
    ASSERT_TRUE(CreateDirectories((data + "Data\\deep").c_str()) &&
                qmtest::WriteFile(data + "Data\\deep\\probe.dat", "x"));
    // A sibling folder of another program ("...\Corvane\Other\") must survive.
    const std::string sibling = data.substr(0, data.size() - 11) + "Other\\";
    ASSERT_TRUE(CreateDirectories(sibling.c_str()));

    // "MapDownload" before it does not stop the clean-up.
    CWatchedLaunch p(LauncherExe(), "/MapDownload /UNINSTALL");
    ASSERT_TRUE(p.ExitsCleanly());
    EXPECT_FALSE(IsDirectory(data.c_str())) << data;
    EXPECT_TRUE(IsDirectory(sibling.c_str()));
    EXPECT_FALSE(p.MadeMainWindow());
}

TEST(Startup, AnUnsupportedWindowsIsRefusedWithItsMessage) {
    // Wine reports Windows 2000 to this copy of the program only.
    const std::string dir = qmtest::NewFolder("oldos");
    const std::string exe = dir + "QmOldOs.exe";
    ASSERT_TRUE(::CopyFileA(LauncherExe().c_str(), exe.c_str(), FALSE));
    ASSERT_EQ(::RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\QmOldOs.exe",
                                "Version", REG_SZ, "win2k", 6),
              ERROR_SUCCESS);
    CWatchedLaunch p(exe, "");

    // The plain system box, titled with the hidden window's title.
    HWND box = WaitForWindow("#32770", "Quillmarch ", 20000);
    ASSERT_NE(box, nullptr) << "no message box";
    char text[512] = {};
    ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    unsigned style = 0;
    EXPECT_EQ(std::string(text), GetMessageText(0xFF00EE01, 0, style));
    EXPECT_EQ(style, 0x30u);
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(p.ExitsCleanly());
    EXPECT_FALSE(p.MadeMainWindow()) << "a window before the OS check";
    const std::string log = qmtest::ReadFile(GetLogFolder() + "QmOldOs.log");
    EXPECT_NE(log.find("\t!!\tWinMain_win.cpp\t"), std::string::npos) << log;
    EXPECT_NE(log.find("\t起動OS-NG OSType:8\r\n"), std::string::npos) << log;
    // Refused before the instance mutex: nothing of it is left.
    EXPECT_FALSE(MutexExists("MN_Quillmarch_Launcher"));
}

// One start per case: the card on the lowest drive decides; without a card, the last user does.
TEST(Registration, StartUpCases) {
    struct Case {
        const char* name;
        const char* listed;         // device number in the user list, or none
        const char *cardE, *cardF;  // device number on the card, or no card
        bool noPcLink;              // E:'s PC-link file removed
        bool registered;            // launcher mutex, else the first-run one
        Texts lines;
    } cases[] = {
        // clang-format off
        {"no card, a last user", "LASTUSER0000001", nullptr, nullptr, false, true,
         {"D:SD未挿入起動", "D:　－最終ユーザーあり", "N:ユーザー登録状況 済"}},
        {"registered card", "REGISTERED00001", "REGISTERED00001", nullptr, false, true,
         {"D:SD挿入起動", "D:　－ユーザー登録情報あり", "N:ユーザー登録状況 済"}},
        // A last user exists, but the card on the lowest drive decides.
        {"unregistered E:, registered F:", "REGISTERED00001", "UNREGISTERED001",
         "REGISTERED00001", false, false, {"D:SD挿入起動", "N:ユーザー登録状況 未"}},
        // The navigation-info file alone does not make a card at start-up.
        {"card without PC-link file", nullptr, "NOPCLINK0000001", nullptr, true, false,
         {"D:SD未挿入起動", "D:　－最終ユーザーなし", "N:ユーザー登録状況 未"}},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string list = CUserListFile::GetFilePath();
        ::SetFileAttributesA(list.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(list.c_str());
        ASSERT_TRUE(!c.listed || CUserListFile().SetUser(c.listed, "user", 0x1234, "UA", 2));
        ASSERT_TRUE(MakeCard('E', c.cardE));
        ASSERT_TRUE(MakeCard('F', c.cardF));
        if (c.noPcLink) ::DeleteFileA("E:\\PCLINK.DAT");
        bool registered = !c.registered;
        Texts lines = {kStartRecord};
        lines.insert(lines.end(), c.lines.begin(), c.lines.end());
        lines.push_back(kEndRecord);
        EXPECT_EQ(StartApp(registered), lines);
        EXPECT_EQ(registered, c.registered);
    }
}
