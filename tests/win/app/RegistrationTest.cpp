// The registration status at start-up of Quillmarch.exe, with the simulated
// cards of prefix-setup (E:, F:): it decides the log lines and the instance
// mutex.
// The program runs from a copy in the work folder with a log switch file
// that turns the detail records on.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "AppHarness.h"
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
    qm::CHandle process(qmtest::StartProcess(exe, ""));
    if (!process) return r;
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
    r.log = qmtest::LogRecordTexts(text);
    return r;
}

void RemoveUserList() {
    std::string path = CUserListFile::GetFilePath();
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(path.c_str());
}

// Empties the drive and, given a device number, makes a card there.
bool MakeCard(char d, const char* device) {
    const std::string root = std::string(1, d) + ":\\";
    DeleteFolderTree(root.c_str(), false);
    if (!device) return true;
    auto r = qmtest::RunProcess(qmtest::BinFolder() + "sdcard.exe",
                                "make " + root + " --device=" + device, 60000);
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

}  // namespace

// One start per case: the card on the lowest drive decides (E: before F:);
// without a card, a last user in the list does.
TEST(Registration, StartUpCases) {
    struct Case {
        const char* name;
        const char* listed;         // device number in the user list, or none
        const char *cardE, *cardF;  // device number on the card, or no card
        bool noPcLink;              // E:'s PC-link file removed
        bool registered;            // launcher mutex, else the first-run one
        std::vector<std::string> lines;
    } cases[] = {
        // clang-format off
        {"no card, no users", nullptr, nullptr, nullptr, false, false,
         {"D:SD未挿入起動", "D:　－最終ユーザーなし", "N:ユーザー登録状況 未"}},
        {"no card, a last user", "LASTUSER0000001", nullptr, nullptr, false, true,
         {"D:SD未挿入起動", "D:　－最終ユーザーあり", "N:ユーザー登録状況 済"}},
        {"registered card", "REGISTERED00001", "REGISTERED00001", nullptr, false, true,
         {"D:SD挿入起動", "D:　－ユーザー登録情報あり", "N:ユーザー登録状況 済"}},
        // A last user exists, but the card decides.
        {"unregistered card", "SOMEBODYELSE001", "UNREGISTERED001", nullptr, false, false,
         {"D:SD挿入起動", "N:ユーザー登録状況 未"}},
        {"unregistered E:, registered F:", "REGISTERED00001", "UNREGISTERED001",
         "REGISTERED00001", false, false, {"D:SD挿入起動", "N:ユーザー登録状況 未"}},
        {"registered E:, unregistered F:", "REGISTERED00001", "REGISTERED00001",
         "UNREGISTERED001", false, true,
         {"D:SD挿入起動", "D:　－ユーザー登録情報あり", "N:ユーザー登録状況 済"}},
        // The navigation-info file alone does not make a card at start-up.
        {"card without PC-link file", nullptr, "NOPCLINK0000001", nullptr, true, false,
         {"D:SD未挿入起動", "D:　－最終ユーザーなし", "N:ユーザー登録状況 未"}},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveUserList();
        if (c.listed) {
            CUserListFile list;
            ASSERT_TRUE(list.SetUser(c.listed, "user", 0x1234, "UA", 2));
        }
        ASSERT_TRUE(MakeCard('E', c.cardE));
        ASSERT_TRUE(MakeCard('F', c.cardF));
        if (c.noPcLink) ::DeleteFileA("E:\\PCLINK.DAT");
        StartResult r = StartApp();
        ASSERT_TRUE(r.started);
        EXPECT_TRUE(r.ended);
        EXPECT_EQ(r.launcherMutex, c.registered);
        EXPECT_EQ(r.initMutex, !c.registered);
        EXPECT_EQ(RegistrationLines(r), c.lines);
    }
}
