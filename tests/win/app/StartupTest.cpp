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

using apptest::CWatchedLaunch;

// No card is inserted (the card drives of prefix-setup start empty): a last
// user in the user list makes the start a launcher start.
void RegisterLastUser() { ASSERT_TRUE(CUserListFile().SetUser("STARTUPTEST0001", "s", 1, "", 1)); }

std::string LauncherExe() { return qmtest::BinFolder() + "Quillmarch.exe"; }
std::string LauncherLog() { return GetLogFolder() + "Quillmarch.log"; }

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
    CWatchedLaunch p(LauncherExe(), "");
    HWND hidden = apptest::WaitForWindow("Quillmarch", "Quillmarch ", 20000);
    ASSERT_NE(hidden, nullptr) << "hidden main window not found";
    EXPECT_FALSE(::IsWindowVisible(hidden));
    // The trailing blank keeps a search for the launcher's title off it.
    EXPECT_EQ(::FindWindowA(nullptr, "Quillmarch"), nullptr);

    EXPECT_TRUE(qm::CHandle(::OpenMutexA(SYNCHRONIZE, FALSE, "MN_Quillmarch_Launcher")));
    ::PostMessageA(hidden, WM_CLOSE, 0, 0);
    ASSERT_TRUE(p.ExitsCleanly());

    EXPECT_NE(qmtest::ReadFile(LauncherLog()).find("\t==\tWinMain_win.cpp\t"), std::string::npos);
    EXPECT_EQ(CountRecords("==:==========<開始(1.0.0.1)>=========="), 1);
    EXPECT_EQ(CountRecords("--:----------<終了>----------"), 1);
}

TEST(Startup, SecondStartRaisesTheRunningLauncherAndExits) {
    RegisterLastUser();
    // The running launcher is this process: it holds the mutex and owns a
    // window titled "Quillmarch".
    qm::CHandle mutex(::CreateMutexA(nullptr, TRUE, "MN_Quillmarch_Launcher"));
    ASSERT_TRUE(mutex);
    FakeLauncher fake;
    ASSERT_NE(fake.wnd, nullptr);

    CWatchedLaunch p(LauncherExe(), "");
    ASSERT_TRUE(p.ExitsCleanly());
    EXPECT_EQ(FakeLauncher::s_lastSysCommand, static_cast<UINT>(SC_RESTORE));
    EXPECT_FALSE(p.MadeMainWindow());
    ::ReleaseMutex(mutex.Get());
}

TEST(Startup, MapDownloadReachesARunningLauncherOrLogsItsMiss) {
    ::DeleteFileA(LauncherLog().c_str());
    {
        CWatchedLaunch p(LauncherExe(), "-MapDownload");
        ASSERT_TRUE(p.ExitsCleanly());
        EXPECT_FALSE(p.MadeMainWindow());
    }
    EXPECT_EQ(CountRecords("E:プロトコル起動 ランチャー無し"), 1);
    EXPECT_EQ(CountRecords("--:----------<終了>----------"), 1);

    FakeLauncher fake;
    CWatchedLaunch p(LauncherExe(), "/mapdownload");
    ASSERT_TRUE(p.ExitsCleanly());
    EXPECT_FALSE(p.MadeMainWindow());
    EXPECT_EQ(FakeLauncher::s_mapDownloads, 1);
    EXPECT_EQ(CountRecords("N:プロトコル起動"), 1);
}

TEST(Startup, UninstallRemovesTheDataFolderAndOpensNoWindow) {
    const std::string data = GetDataFolder();
    ASSERT_TRUE(CreateDirectories((data + "Data\\user\\deep").c_str()));
    ASSERT_TRUE(qmtest::WriteFile(data + "Data\\user\\deep\\probe.dat", "x"));
    // A sibling folder of another program must survive.
    const std::string sibling =
        data.substr(0, data.size() - 11) + "Other\\";  // "...\Corvane\Other\"
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
    HWND box = apptest::WaitForWindow("#32770", "Quillmarch ", 20000);
    ASSERT_NE(box, nullptr) << "no message box";
    char text[512] = {};
    ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    unsigned style = 0;
    EXPECT_EQ(std::string(text), GetMessageText(0xFF00EE01, 0, style));
    EXPECT_EQ(style, 0x30u);
    EXPECT_EQ(::FindWindowA("Quillmarch", nullptr), nullptr) << "a window before the OS check";
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);

    ASSERT_TRUE(p.ExitsCleanly());
    const std::string log = qmtest::ReadFile(GetLogFolder() + "QmOldOs.log");
    EXPECT_NE(log.find("\t!!\tWinMain_win.cpp\t"), std::string::npos) << log;
    EXPECT_NE(log.find("\t起動OS-NG OSType:8\r\n"), std::string::npos) << log;
    // Refused before the instance mutex: nothing of it is left.
    EXPECT_FALSE(qm::CHandle(::OpenMutexA(SYNCHRONIZE, FALSE, "MN_Quillmarch_Launcher")));
}
