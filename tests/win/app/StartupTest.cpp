// Quillmarch.exe as a whole: start, instance control, the two switches, and
// the diagnostic log it leaves.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "AppHarness.h"
#include "TestSupport.h"
#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "common/MessageCatalog.h"
#include "common/WinHandle.h"
#include "datafiles/UserListFile.h"

namespace {

// No card is inserted (the card drives of prefix-setup start empty): a last
// user in the user list makes the start a launcher start.
void RegisterLastUser() {
    CUserListFile list;
    ASSERT_TRUE(list.SetUser("STARTUPTEST0001", "startup", 0x1, "", 1));
}

std::string LauncherExe() { return qmtest::BinFolder() + "Quillmarch.exe"; }
std::string LauncherLog() { return GetLogFolder() + "Quillmarch.log"; }

// How many records of the launcher's log read "kind:message".
int CountRecords(const std::string& kindAndMessage) {
    const auto texts = qmtest::LogRecordTexts(qmtest::ReadFile(LauncherLog()));
    return static_cast<int>(std::count(texts.begin(), texts.end(), kindAndMessage));
}

// Starts the launcher and looks for a main window of its own (class
// "Quillmarch") while it runs: the system's news of every window the process
// creates (it starts suspended, so none is missed while the news arrives;
// Wine does not always deliver it, so it can only add evidence), and a look
// for the window at every turn of the wait. A window made on any of the
// paths below would live until the process ends.
class CWatchedLaunch {
public:
    explicit CWatchedLaunch(const std::string& args) {
        std::string cmd = "\"" + LauncherExe() + "\" " + args;
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        if (!::CreateProcessA(LauncherExe().c_str(), &cmd[0], nullptr, nullptr, FALSE,
                              CREATE_SUSPENDED, nullptr, nullptr, &si, &pi))
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
        if (m_hook) ::UnhookWinEvent(m_hook);
        s_watch = nullptr;
    }
    bool Started() const { return m_process && m_hook; }
    HANDLE Process() const { return m_process.Get(); }
    // Pumps this thread's messages and looks for the window until the
    // process ends.
    bool WaitForExit(DWORD ms) {
        const DWORD start = ::GetTickCount();
        bool ended = false;
        while (!ended && ::GetTickCount() - start < ms) {
            HANDLE process = m_process.Get();
            ended =
                ::MsgWaitForMultipleObjects(1, &process, FALSE, 1, QS_ALLINPUT) == WAIT_OBJECT_0;
            if (!ended) Look();
            MSG msg;
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
        }
        return ended;
    }
    // Whether a main window of the process was seen.
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

DWORD ExitCode(HANDLE p) {
    DWORD code = 12345;
    ::GetExitCodeProcess(p, &code);
    return code;
}

// A stand-in for the launcher window: records what a second start sends it.
struct FakeLauncher {
    static inline UINT s_lastSysCommand = 0;
    static inline int s_mapDownloads = 0;
    static inline UINT s_mapDownloadMsg = 0;
    HWND wnd = nullptr;

    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        if (m == WM_SYSCOMMAND) {
            s_lastSysCommand = static_cast<UINT>(wp);
            return 0;
        }
        if (m == s_mapDownloadMsg && m != 0) ++s_mapDownloads;
        return ::DefWindowProcA(w, m, wp, lp);
    }
    FakeLauncher() {
        s_lastSysCommand = 0;
        s_mapDownloads = 0;
        s_mapDownloadMsg = ::RegisterWindowMessageA("WKLMapDownload");
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "QmTestFakeLauncher";
        ::RegisterClassA(&wc);
        wnd = ::CreateWindowExA(0, wc.lpszClassName, "Quillmarch", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                100, nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~FakeLauncher() { ::DestroyWindow(wnd); }
};

}  // namespace

TEST(Startup, RunsHiddenHoldsTheLauncherMutexAndLogsStartAndEnd) {
    RegisterLastUser();
    ::DeleteFileA(LauncherLog().c_str());
    CWatchedLaunch p("");
    ASSERT_TRUE(p.Started());
    HWND hidden = apptest::WaitForWindow("Quillmarch", "Quillmarch ", 20000);
    ASSERT_NE(hidden, nullptr) << "hidden main window not found";
    EXPECT_FALSE(::IsWindowVisible(hidden));
    // The trailing blank keeps a search for the launcher's title off it.
    EXPECT_EQ(::FindWindowA(nullptr, "Quillmarch"), nullptr);

    qm::CHandle mutex(::OpenMutexA(SYNCHRONIZE, FALSE, "MN_Quillmarch_Launcher"));
    EXPECT_TRUE(mutex) << "launcher mutex not held";

    ::PostMessageA(hidden, WM_CLOSE, 0, 0);
    ASSERT_TRUE(p.WaitForExit(20000));
    EXPECT_EQ(ExitCode(p.Process()), 0u);

    const std::string log = qmtest::ReadFile(LauncherLog());
    EXPECT_NE(log.find("\t==\tWinMain_win.cpp\t"), std::string::npos) << log;
    EXPECT_EQ(CountRecords("==:==========<開始(1.0.0.1)>=========="), 1);
    EXPECT_EQ(CountRecords("--:----------<終了>----------"), 1);
    EXPECT_EQ(log.substr(log.size() - 4), "\r\n\r\n");
}

TEST(Startup, SecondStartRaisesTheRunningLauncherAndExits) {
    RegisterLastUser();
    // The running launcher is this process: it holds the mutex and owns a
    // window titled "Quillmarch".
    qm::CHandle mutex(::CreateMutexA(nullptr, TRUE, "MN_Quillmarch_Launcher"));
    ASSERT_TRUE(mutex);
    FakeLauncher fake;
    ASSERT_NE(fake.wnd, nullptr);

    CWatchedLaunch p("");
    ASSERT_TRUE(p.Started());
    ASSERT_TRUE(p.WaitForExit(20000));
    EXPECT_EQ(ExitCode(p.Process()), 0u);
    EXPECT_EQ(FakeLauncher::s_lastSysCommand, static_cast<UINT>(SC_RESTORE));
    // It made no hidden window of its own.
    EXPECT_FALSE(p.MadeMainWindow());
    ::ReleaseMutex(mutex.Get());
}

TEST(Startup, MapDownloadReachesARunningLauncherOrLogsItsMiss) {
    ::DeleteFileA(LauncherLog().c_str());
    {
        CWatchedLaunch p("-MapDownload");
        ASSERT_TRUE(p.Started());
        ASSERT_TRUE(p.WaitForExit(20000));
        EXPECT_EQ(ExitCode(p.Process()), 0u);
        EXPECT_FALSE(p.MadeMainWindow());
    }
    EXPECT_EQ(CountRecords("E:プロトコル起動 ランチャー無し"), 1);
    EXPECT_EQ(CountRecords("--:----------<終了>----------"), 1);

    FakeLauncher fake;
    CWatchedLaunch p("/mapdownload");
    ASSERT_TRUE(p.Started());
    ASSERT_TRUE(p.WaitForExit(20000));
    EXPECT_EQ(ExitCode(p.Process()), 0u);
    EXPECT_FALSE(p.MadeMainWindow());
    EXPECT_EQ(FakeLauncher::s_mapDownloads, 1);
    EXPECT_EQ(CountRecords("N:プロトコル起動"), 1);
}

TEST(Startup, UninstallRemovesTheDataFolderAndOpensNoWindow) {
    const std::string data = GetDataFolder();
    ASSERT_TRUE(CreateDirectories((data + "Data\\user\\deep").c_str()));
    ASSERT_TRUE(qmtest::WriteFile(data + "Data\\user\\deep\\probe.dat", "x"));
    ASSERT_TRUE(qmtest::WriteFile(data + "Setting\\Quillmarch.ini", "[a]\r\n") ||
                (CreateDirectories((data + "Setting").c_str()) &&
                 qmtest::WriteFile(data + "Setting\\Quillmarch.ini", "[a]\r\n")));
    // A sibling folder of another program must survive.
    const std::string sibling =
        data.substr(0, data.size() - 11) + "Other\\";  // "...\Corvane\Other\"
    ASSERT_TRUE(CreateDirectories(sibling.c_str()));

    // "MapDownload" before it does not stop the clean-up.
    CWatchedLaunch p("/MapDownload /UNINSTALL");
    ASSERT_TRUE(p.Started());
    ASSERT_TRUE(p.WaitForExit(20000));
    EXPECT_EQ(ExitCode(p.Process()), 0u);
    EXPECT_FALSE(IsDirectory(data.c_str())) << data;
    EXPECT_TRUE(IsDirectory(sibling.c_str()));
    EXPECT_FALSE(p.MadeMainWindow());
}

TEST(Startup, AnUnsupportedWindowsIsRefusedWithItsMessage) {
    // Wine reports Windows 2000 to this copy of the program only.
    const std::string dir = qmtest::NewFolder("oldos");
    const std::string exe = dir + "QmOldOs.exe";
    ASSERT_TRUE(::CopyFileA(LauncherExe().c_str(), exe.c_str(), FALSE));
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\QmOldOs.exe", 0,
                                nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    qm::CRegKey owned(key);
    ASSERT_EQ(
        ::RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("win2k"), 6),
        ERROR_SUCCESS);

    qm::CHandle process(qmtest::StartProcess(exe, ""));
    ASSERT_TRUE(process);

    // The plain system box, titled with the hidden window's title.
    HWND box = apptest::WaitForWindow("#32770", "Quillmarch ", 20000);
    ASSERT_NE(box, nullptr) << "no message box";
    char text[512] = {};
    ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    unsigned style = 0;
    EXPECT_EQ(std::string(text), GetMessageText(0xFF00EE01, 0, style));
    EXPECT_EQ(style, 0x30u);
    EXPECT_EQ(::FindWindowA("Quillmarch", nullptr), nullptr) << "a window before the OS check";
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);

    ASSERT_EQ(::WaitForSingleObject(process.Get(), 20000), WAIT_OBJECT_0);
    EXPECT_EQ(ExitCode(process.Get()), 0u);
    const std::string log = qmtest::ReadFile(GetLogFolder() + "QmOldOs.log");
    EXPECT_NE(log.find("\t!!\tWinMain_win.cpp\t"), std::string::npos) << log;
    EXPECT_NE(log.find("\t起動OS-NG OSType:8\r\n"), std::string::npos) << log;
    // Refused before the instance mutex: nothing of it is left.
    qm::CHandle mutex(::OpenMutexA(SYNCHRONIZE, FALSE, "MN_Quillmarch_Launcher"));
    EXPECT_FALSE(mutex);
}
