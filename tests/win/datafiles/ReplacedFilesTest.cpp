// Files of ours that are rewritten whole: a save that cannot complete keeps the old file, a
// stale new file left by a crash is never read and is overwritten, attributes carry over.
// prefix-setup puts the data folder's "Data" and "Setting" on a small tmpfs, drive P:.
#include <gtest/gtest.h>

#include <functional>

#include "CardTestSupport.h"
#include "TestSupport.h"
#include "common/CodePage.h"
#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "common/WholeFile.h"
#include "common/WickerdaleConfig.h"
#include "common/WinHandle.h"
#include "datafiles/DownloadManageFile.h"
#include "datafiles/UserListFile.h"

using namespace cardtest;
using qmtest::FileExists;

namespace {

// One file as the program saves and reads it: prepare writes the old contents, save changes
// them, read gives what the program then reads back ("old" or "new" when all is well).
struct ReplacedFile {
    const char* name;
    std::string path;
    std::function<bool()> prepare;
    std::function<bool()> save;
    std::function<std::string()> read;
    std::string diskFullRecord;  // the save's own failure record
};

bool SaveUserAgent(const char* ua) { return CUserListFile().SetUser("DEV-1", "nick", 7, ua, 1); }

std::string DownloadFolder() { return GetUserDataRoot() + "Download\\"; }
std::string DownloadEntry(const char* name) {
    uint8_t e[kDownloadEntrySize];
    MakeDownloadEntry(e, 1, 2, name, name);
    return std::string(reinterpret_cast<char*>(e), sizeof e);
}
CDownloadManageFile DownloadFile() {
    CDownloadManageFile file;
    file.SetFolder(DownloadFolder().c_str());
    return file;
}

bool SaveMusicFolder(const wchar_t* folder) {
    CWickerdaleConfig config;
    config.ResetMusic(false);
    config.StoreMusicFolder(folder);
    return config.SaveMusicSetting();
}

// The settings: "old" set by its setter, "new" the reset value a section save writes.
bool SaveOldDownloadFolder() {
    CWickerdaleConfig config;
    return config.ResetSetting(true) && config.SetDownloadFolderPath("old");
}
std::string LoadDownloadFolder() {
    CWickerdaleConfig config;
    config.LoadSetting();
    const std::string folder = config.GetDownloadFolderPath();
    return folder == GetDefaultDownloadFolder() ? "new" : folder;
}

std::vector<ReplacedFile> Files() {
    std::vector<ReplacedFile> files;
    files.push_back({"user list", GetUserDataRoot() + "UserList.info",
                     [] { return SaveUserAgent("old"); }, [] { return SaveUserAgent("new"); },
                     [] {
                         std::string nick, ua;
                         return CUserListFile().GetUser("DEV-1", &nick, nullptr, &ua, nullptr)
                                    ? ua
                                    : "missing";
                     },
                     "E:UserList.info 書込み失敗(ERR:112)"});
    files.push_back({"download list", DownloadFolder() + "DL.DAT",
                     [] {
                         CreateDirectories(DownloadFolder().c_str());
                         return qmtest::WriteFile(DownloadFolder() + "DL.DAT",
                                                  DownloadEntry("A") + DownloadEntry("B"));
                     },
                     [] { return DownloadFile().DelDLManage(1, 2, "B"); },
                     [] {
                         CDownloadManageFile file = DownloadFile();
                         if (!file.GetDLManage(1, 2, "A")) return std::string("missing");
                         return std::string(file.GetDLManage(1, 2, "B") ? "old" : "new");
                     },
                     "E:CDownloadManageFile::DelDLManage - ダウンロード管理ファイル書込み失敗 "
                     "ERR:0x00000070"});
    files.push_back({"music file", GetSettingFolder() + "Quillmarch_Music.Dat",
                     [] { return SaveMusicFolder(L"old"); }, [] { return SaveMusicFolder(L"new"); },
                     [] {
                         CWickerdaleConfig config;
                         return config.LoadMusicSetting(true) ? WideToAnsi(config.GetMusicFolderW())
                                                              : "missing";
                     },
                     "E:CWickerdaleConfig::SaveMusicSetting - 書き込み不足 0/41 [00000070]"});
    files.push_back({"settings", GetSettingFolder() + "Quillmarch.ini", SaveOldDownloadFolder,
                     [] { return CWickerdaleConfig().ResetSetting(true); }, LoadDownloadFolder,
                     "E:設定ファイルへの保存失敗 (DataAutoDelete=1) [00000070]"});
    return files;
}

}  // namespace

TEST(ReplacedFiles, AFullDiskKeepsTheOldFileAndTheNextSaveSucceeds) {
    if (!DataOnSmallDisk()) GTEST_SKIP() << "no tmpfs under the data folder";
    for (const ReplacedFile& f : Files()) {
        SCOPED_TRACE(f.name);
        ASSERT_TRUE(f.prepare());
        const std::string old = qmtest::ReadFile(f.path);
        {
            CDiskFiller filler;
            ASSERT_TRUE(filler.Full());
            const size_t mark = LogMark();
            EXPECT_FALSE(f.save());
            EXPECT_TRUE(LogHas(mark, f.diskFullRecord)) << ::testing::PrintToString(LogSince(mark));
            EXPECT_EQ(qmtest::ReadFile(f.path), old);
            EXPECT_FALSE(FileExists(ReplacementPath(f.path)));
            EXPECT_EQ(f.read(), "old");
        }
        EXPECT_TRUE(f.save());
        EXPECT_EQ(f.read(), "new");
    }
}

// Room for the copy of the settings, not for all the profile API then writes into it: the API
// answers success (under Wine) with the copy cut short, which must not replace the file.
TEST(ReplacedFiles, SettingsCutShortByTheProfileApiAreNotKept) {
    if (!DataOnSmallDisk()) GTEST_SKIP() << "no tmpfs under the data folder";
    ASSERT_TRUE(SaveOldDownloadFolder());
    const std::string ini = GetSettingFolder() + "Quillmarch.ini";
    const std::string old = qmtest::ReadFile(ini);
    const std::string longer(6000, 'x');  // the file no longer fits in the one free page
    {
        CDiskFiller filler(4096);
        ASSERT_TRUE(filler.Full());
        CWickerdaleConfig config;
        config.LoadSetting();
        size_t mark = LogMark();
        EXPECT_FALSE(config.SetDownloadFolderPath(longer.c_str()));
        EXPECT_EQ(LogSince(mark), std::vector<std::string>{}) << "a setter does not log";
        EXPECT_EQ(qmtest::ReadFile(ini), old);
        mark = LogMark();
        EXPECT_FALSE(config.SaveSetting());
        // Every key was in the copy that did not replace the file.
        EXPECT_TRUE(LogHas(mark, "E:設定ファイルへの保存失敗 (DataAutoDelete=1) [0000001d]"));
        EXPECT_EQ(qmtest::ReadFile(ini), old);
        EXPECT_FALSE(FileExists(ReplacementPath(ini)));
    }
    EXPECT_EQ(LoadDownloadFolder(), "old");
}

TEST(ReplacedFiles, AStaleNewFileIsNeitherReadNorInTheWay) {
    for (const ReplacedFile& f : Files()) {
        SCOPED_TRACE(f.name);
        ASSERT_TRUE(f.prepare());
        // A crash between writing and replacing; the leftover may even be hidden and read-only.
        const std::string stale = ReplacementPath(f.path);
        ASSERT_TRUE(qmtest::WriteFile(stale, "garbage\r\n"));
        ASSERT_TRUE(
            ::SetFileAttributesA(stale.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
        EXPECT_EQ(f.read(), "old");
        EXPECT_TRUE(f.save());
        EXPECT_EQ(f.read(), "new");
        EXPECT_FALSE(FileExists(stale));
    }
}

TEST(ReplacedFiles, TheUserListStaysHiddenAndAReadOnlyListIsReplaced) {
    const std::string path = CUserListFile::GetFilePath();
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(path.c_str());
    ASSERT_TRUE(SaveUserAgent("first"));
    EXPECT_EQ(::GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(SaveUserAgent("second"));
    EXPECT_EQ(::GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_HIDDEN);
    // Someone made it read-only: it is ours, so it is replaced and stays hidden.
    ASSERT_TRUE(
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SaveUserAgent("third"));
    EXPECT_EQ(
        ::GetFileAttributesA(path.c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY),
        static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
    std::string nick, ua;
    ASSERT_TRUE(CUserListFile().GetUser("DEV-1", &nick, nullptr, &ua, nullptr));
    EXPECT_EQ(ua, "third");
}
