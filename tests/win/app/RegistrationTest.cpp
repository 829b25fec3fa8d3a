// The registration status at start-up of Quillmarch.exe, with the simulated cards of
// prefix-setup (E:, F:): it decides the log lines and the instance mutex. The program runs
// from a copy with a log switch file that turns the detail records on.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AppHarness.h"
#include "TestSupport.h"
#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "common/WinHandle.h"
#include "datafiles/UserListFile.h"

namespace {

using Texts = std::vector<std::string>;

bool MutexExists(const char* name) {
    return qm::CHandle(::OpenMutexA(SYNCHRONIZE, FALSE, name)).Valid();
}

// Starts the program, waits for its hidden main window, notes whether the launcher mutex
// (else the first-run one) is held, closes the window and collects the registration records
// it wrote, in order.
Texts StartApp(bool& registered) {
    static const std::string exe = [] {
        const std::string folder = qmtest::NewFolder("app");
        ::CopyFileA((qmtest::BinFolder() + "Quillmarch.exe").c_str(),
                    (folder + "Quillmarch.exe").c_str(), FALSE);
        qmtest::WriteFile(folder + "WKLOG.ini", "[Log]\r\nRecover=1\r\n");
        return folder + "Quillmarch.exe";
    }();
    const std::string logPath = GetLogFolder() + "Quillmarch.log";
    const std::string before = qmtest::ReadFile(logPath);
    apptest::CWatchedLaunch process(exe, "");
    const HWND main = apptest::WaitForWindow("Quillmarch", "Quillmarch ", 20000);
    registered = MutexExists("MN_Quillmarch_Launcher");
    if (registered == MutexExists("MN_Quillmarch_Init")) return {"both or neither mutex"};
    ::PostMessageA(main, WM_CLOSE, 0, 0);
    if (!process.ExitsCleanly()) return {"did not end"};
    std::string text = qmtest::ReadFile(logPath);
    if (text.compare(0, before.size(), before) == 0) text = text.substr(before.size());
    Texts lines;
    for (const std::string& l : qmtest::LogRecordTexts(text))
        if (l.rfind("D:SD", 0) == 0 || l.rfind("D:　－", 0) == 0 ||
            l.rfind("N:ユーザー登録状況", 0) == 0)
            lines.push_back(l);
    return lines;
}

// Empties the drive and, given a device number, makes a card there.
bool MakeCard(char d, const char* device) {
    const std::string root = std::string(1, d) + ":\\";
    DeleteFolderTree(root.c_str(), false);
    return !device || qmtest::RunProcess(qmtest::BinFolder() + "sdcard.exe",
                                         "make " + root + " --device=" + device, 60000)
                              .exitCode == 0;
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
        if (c.listed) {
            ASSERT_TRUE(CUserListFile().SetUser(c.listed, "user", 0x1234, "UA", 2));
        }
        ASSERT_TRUE(MakeCard('E', c.cardE));
        ASSERT_TRUE(MakeCard('F', c.cardF));
        if (c.noPcLink) ::DeleteFileA("E:\\PCLINK.DAT");
        bool registered = !c.registered;
        EXPECT_EQ(StartApp(registered), c.lines);
        EXPECT_EQ(registered, c.registered);
    }
}
