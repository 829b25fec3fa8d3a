// The registration status at start-up of Quillmarch.exe, with the simulated
// cards of prefix-setup (E:, F:): it decides the log lines and the instance
// mutex.
// The program runs from a copy in the work folder with a log switch file
// that turns the detail records on.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "common/WinHandle.h"
#include "datafiles/UserListFile.h"

namespace {

const char kLauncherMutex[] = "MN_Quillmarch_Launcher";
const char kInitMutex[] = "MN_Quillmarch_Init";

std::string AppCopy() {
    static std::string exe;
    if (exe.empty()) {
        std::string folder = qmtest::NewFolder("app");
        exe = folder + "Quillmarch.exe";
        ::CopyFileA((qmtest::BinFolder() + "Quillmarch.exe").c_str(), exe.c_str(), FALSE);
        qmtest::WriteFile(folder + "WKLOG.ini", "[Log]\r\nRecover=1\r\n");
    }
    return exe;
}

std::string LogPath() { return GetLogFolder() + "Quillmarch.log"; }

bool MutexExists(const char* name) {
    qm::CHandle m(::OpenMutexA(SYNCHRONIZE, FALSE, name));
    return m.Valid();
}

struct StartResult {
    bool started = false;
    bool launcherMutex = false;
    bool initMutex = false;
    bool ended = false;
    std::vector<std::string> log;  // "kind:message" since the start
};

// Starts the program, waits for its hidden main window, notes the mutexes,
// closes the window and collects the records it wrote.
StartResult StartApp() {
    StartResult r;
    std::string before = qmtest::ReadFile(LogPath());
    std::string exe = AppCopy();
    std::string cmd = "\"" + exe + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                          &pi))
        return r;
    qm::CHandle process(pi.hProcess), thread(pi.hThread);
    r.started = true;
    HWND main = nullptr;
    for (int i = 0; i < 200 && !main; ++i) {
        main = ::FindWindowA("Quillmarch", "Quillmarch ");
        if (!main && ::WaitForSingleObject(process.Get(), 50) == WAIT_OBJECT_0) break;
    }
    r.launcherMutex = MutexExists(kLauncherMutex);
    r.initMutex = MutexExists(kInitMutex);
    if (main) ::PostMessageA(main, WM_CLOSE, 0, 0);
    r.ended = ::WaitForSingleObject(process.Get(), 20000) == WAIT_OBJECT_0;
    if (!r.ended) ::TerminateProcess(process.Get(), 99);

    std::string text = qmtest::ReadFile(LogPath());
    if (text.size() > before.size() && text.compare(0, before.size(), before) == 0)
        text = text.substr(before.size());
    for (const std::string& line : qmtest::SplitLines(text)) {
        std::vector<std::string> f;
        size_t pos = 0;
        for (int i = 0; i < 5 && pos != std::string::npos; ++i) {
            size_t tab = line.find('\t', pos);
            if (tab == std::string::npos) {
                pos = tab;
                break;
            }
            f.push_back(line.substr(pos, tab - pos));
            pos = tab + 1;
        }
        if (f.size() < 5 || pos == std::string::npos) continue;
        std::string msg = line.substr(pos);
        std::string kind = f[1] == ".." ? "N" : f[1] == "!!" ? "E" : f[1] == "@@" ? "D" : f[1];
        if (kind == "D" && msg.compare(0, 4, "[WS:") == 0 && msg.find('\t') != std::string::npos)
            msg = msg.substr(msg.find('\t') + 1);
        if (kind == "N" || kind == "E" || kind == "D") r.log.push_back(kind + ":" + msg);
    }
    return r;
}

void RemoveUserList() {
    std::string path = CUserListFile::GetFilePath();
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(path.c_str());
}

void EmptyDrive(char d) {
    std::string root = std::string(1, d) + ":\\";
    DeleteFolderTree(root.c_str(), false);
}

bool MakeCard(char d, const std::string& device) {
    EmptyDrive(d);
    auto r = qmtest::RunProcess(qmtest::BinFolder() + "sdcard.exe",
                                std::string("make ") + d + ":\\ --device=" + device, 60000);
    return r.finished && r.exitCode == 0;
}

// The registration lines of one start, in order.
std::vector<std::string> RegistrationLines(const StartResult& r) {
    static const char* kKnown[] = {"D:SD未挿入起動",
                                   "D:SD挿入起動",
                                   "D:　－最終ユーザーあり",
                                   "D:　－最終ユーザーなし",
                                   "D:　－ユーザー登録情報あり",
                                   "N:ユーザー登録状況 済",
                                   "N:ユーザー登録状況 未"};
    std::vector<std::string> out;
    for (const std::string& l : r.log)
        if (std::find(std::begin(kKnown), std::end(kKnown), l) != std::end(kKnown))
            out.push_back(l);
    return out;
}

void AddUser(const char* deviceNo, const char* nickname) {
    CUserListFile list;
    ASSERT_TRUE(list.SetUser(deviceNo, nickname, 0x1234, "UA", 2));
}

}  // namespace

TEST(Registration, NoCardNoUsers) {
    EmptyDrive('E');
    EmptyDrive('F');
    RemoveUserList();
    StartResult r = StartApp();
    ASSERT_TRUE(r.started);
    EXPECT_TRUE(r.ended);
    EXPECT_TRUE(r.initMutex);
    EXPECT_FALSE(r.launcherMutex);
    EXPECT_EQ(RegistrationLines(r),
              (std::vector<std::string>{"D:SD未挿入起動", "D:　－最終ユーザーなし",
                                        "N:ユーザー登録状況 未"}));
}

TEST(Registration, NoCardWithALastUser) {
    EmptyDrive('E');
    EmptyDrive('F');
    RemoveUserList();
    AddUser("LASTUSER0000001", "last");
    StartResult r = StartApp();
    EXPECT_TRUE(r.launcherMutex);
    EXPECT_FALSE(r.initMutex);
    EXPECT_EQ(RegistrationLines(r),
              (std::vector<std::string>{"D:SD未挿入起動", "D:　－最終ユーザーあり",
                                        "N:ユーザー登録状況 済"}));
}

TEST(Registration, RegisteredCard) {
    RemoveUserList();
    AddUser("REGISTERED00001", "reg");
    EmptyDrive('F');
    ASSERT_TRUE(MakeCard('E', "REGISTERED00001"));
    StartResult r = StartApp();
    EXPECT_TRUE(r.launcherMutex);
    EXPECT_FALSE(r.initMutex);
    EXPECT_EQ(RegistrationLines(r),
              (std::vector<std::string>{"D:SD挿入起動", "D:　－ユーザー登録情報あり",
                                        "N:ユーザー登録状況 済"}));
}

TEST(Registration, UnregisteredCard) {
    RemoveUserList();
    AddUser("SOMEBODYELSE001", "other");  // a last user exists, but the card decides
    EmptyDrive('F');
    ASSERT_TRUE(MakeCard('E', "UNREGISTERED001"));
    StartResult r = StartApp();
    EXPECT_TRUE(r.initMutex);
    EXPECT_FALSE(r.launcherMutex);
    EXPECT_EQ(RegistrationLines(r),
              (std::vector<std::string>{"D:SD挿入起動", "N:ユーザー登録状況 未"}));
}

TEST(Registration, TwoCardsTheLowerLetterDecides) {
    RemoveUserList();
    AddUser("REGISTERED00001", "reg");
    ASSERT_TRUE(MakeCard('E', "UNREGISTERED001"));
    ASSERT_TRUE(MakeCard('F', "REGISTERED00001"));
    StartResult first = StartApp();
    EXPECT_TRUE(first.initMutex);
    EXPECT_FALSE(first.launcherMutex);
    EXPECT_EQ(RegistrationLines(first),
              (std::vector<std::string>{"D:SD挿入起動", "N:ユーザー登録状況 未"}));

    ASSERT_TRUE(MakeCard('E', "REGISTERED00001"));
    ASSERT_TRUE(MakeCard('F', "UNREGISTERED001"));
    StartResult second = StartApp();
    EXPECT_TRUE(second.launcherMutex);
    EXPECT_FALSE(second.initMutex);
    EXPECT_EQ(RegistrationLines(second),
              (std::vector<std::string>{"D:SD挿入起動", "D:　－ユーザー登録情報あり",
                                        "N:ユーザー登録状況 済"}));
}

TEST(Registration, ACardWhosePcLinkFileDoesNotLoadIsNoCard) {
    // The navigation-info file alone does not make a card at start-up.
    RemoveUserList();
    EmptyDrive('E');
    EmptyDrive('F');
    ASSERT_TRUE(MakeCard('E', "NOPCLINK0000001"));
    ::DeleteFileA("E:\\PCLINK.DAT");
    StartResult r = StartApp();
    EXPECT_TRUE(r.initMutex);
    EXPECT_EQ(RegistrationLines(r),
              (std::vector<std::string>{"D:SD未挿入起動", "D:　－最終ユーザーなし",
                                        "N:ユーザー登録状況 未"}));
}
