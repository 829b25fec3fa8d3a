// "UserList.info" in the user data root of the test's prefix.
#include <gtest/gtest.h>

#include "CardTestSupport.h"
#include "TestSupport.h"
#include "common/Folders.h"
#include "datafiles/UserListFile.h"

using namespace cardtest;
using qmtest::FileExists;
using Texts = std::vector<std::string>;

namespace {

std::string ListPath() { return GetUserDataRoot() + "UserList.info"; }

// A fresh start; the log mark taken after it.
size_t RemoveList() {
    ::SetFileAttributesA(ListPath().c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(ListPath().c_str());
    return LogMark();
}

// The stored records, decoded from the file itself.
Texts StoredLines() {
    Texts out;
    for (const std::string& line : qmtest::SplitLines(qmtest::ReadFile(ListPath()))) {
        std::string plain;
        out.push_back(DecodeUserListLine(line, plain) ? plain : "?" + line);
    }
    return out;
}

}  // namespace

TEST(UserListFile, UsersFoldersAndTheLastUser) {
    const size_t first = RemoveList();
    const std::string root = GetUserDataRoot();
    {
        CUserListFile list;
        EXPECT_FALSE(list.GetLastUser(nullptr, nullptr, nullptr, nullptr, nullptr));
        EXPECT_TRUE(LogHas(first, "N:UserList.infoファイルが存在しない:" + ListPath() + "."));
        ASSERT_TRUE(list.SetUser("DEV-B", "taro", 0x0012ABCD, "UA-B", 2));
        const size_t mark = LogMark();
        ASSERT_TRUE(list.SetUser("DEV-A", "taro", 0x10, "UA-A", 1));
        // The clash is logged where the folder is chosen.
        EXPECT_EQ(LogSince(mark), (Texts{"E:データパスが重複した:taro, " + root + "taro.",
                                         "E:データパスが重複した(変更パス), " + root + "taro2."}));
    }
    // Same nickname, distinct folders; written in key order, the last user set is the only
    // one flagged. (That the file stays hidden: ReplacedFilesTest.)
    EXPECT_EQ(StoredLines(), (Texts{"DEV-A,taro," + root + "taro2,UA-A,1,10,1",
                                    "DEV-B,taro," + root + "taro,UA-B,0,12ABCD,2"}));

    // The last user moves with every change.
    CUserListFile again;
    ASSERT_TRUE(again.SetUserAgent("DEV-B", "UA-B2"));
    std::string path, ua, dev;
    uint32_t ccid = 0;
    CUserListFile third;
    ASSERT_TRUE(third.GetLastUser(&dev, nullptr, &ua, nullptr, nullptr));
    EXPECT_EQ(dev + " " + ua, "DEV-B UA-B2");
    // A new nickname moves the user to a new folder; the old one stays; ccid 0 leaves it.
    ASSERT_TRUE(third.SetUser("DEV-A", "hanako", 0, nullptr, 0));
    EXPECT_TRUE(FileExists(root + "taro2"));
    ASSERT_TRUE(third.GetUser("DEV-A", &dev, &path, &ua, &ccid));
    EXPECT_EQ(path, root + "hanako");
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(ccid, 0x10u);
    const size_t mark = LogMark();
    EXPECT_FALSE(third.SetUser("", "x", 0, nullptr, 0));
    EXPECT_EQ(LogSince(mark), Texts{"E:UserList.infoファイル保存時のデータ無し"});
}

TEST(UserListFile, UndecodableLinesAreDroppedAndDeleteKeepsTheFolder) {
    RemoveList();
    ASSERT_TRUE(qmtest::WriteFile(
        ListPath(), EncodeUserListLine("D1,one,C:\\one,UA,0,1,1") + "\r\n1234567\r\nXYZWXYZW\r\n" +
                        EncodeUserListLine("D2,two,C:\\two,UA,1,2,2") + "\r\n"));
    size_t mark = LogMark();
    CUserListFile list;
    EXPECT_TRUE(list.Exists("D2"));
    EXPECT_EQ(list.Users().size(), 2u);
    EXPECT_EQ(LogSince(mark), Texts{"E:複合化時の不正な行:1234567"});
    ASSERT_TRUE(list.SetCcid("D1", 0x0012ABCD));
    EXPECT_EQ(StoredLines().size(), 2u) << "they disappear with the next save";

    ASSERT_TRUE(list.SetUser("D3", "three", 2, "UA", 1));
    ASSERT_TRUE(list.SetUser("D4", "four", 2, "UA", 1));
    mark = LogMark();
    EXPECT_FALSE(list.DeleteUser("D9"));
    EXPECT_EQ(LogSince(mark), Texts{"E:ユーザー情報削除失敗：ユーザー情報なし"});
    ASSERT_TRUE(list.DeleteUser("D3"));
    EXPECT_TRUE(FileExists(GetUserDataRoot() + "three"));  // the data folder stays
    CUserListFile again;
    EXPECT_FALSE(again.Exists("D3"));
    // The flags stay as they were.
    std::string dev;
    ASSERT_TRUE(again.GetLastUser(&dev, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(dev, "D4");
}
