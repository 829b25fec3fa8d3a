// "UserList.info" in the user data root of the test's prefix.
#include <gtest/gtest.h>

#include "CardTestSupport.h"
#include "TestSupport.h"
#include "common/Folders.h"
#include "datafiles/UserListFile.h"

using namespace cardtest;
using qmtest::FileExists;

namespace {

std::string ListPath() { return GetUserDataRoot() + "UserList.info"; }

void RemoveList() {
    ::SetFileAttributesA(ListPath().c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(ListPath().c_str());
}

// The stored records, decoded from the file itself.
std::vector<std::string> StoredLines() {
    std::vector<std::string> out;
    for (const std::string& line : qmtest::SplitLines(qmtest::ReadFile(ListPath()))) {
        std::string plain;
        out.push_back(DecodeUserListLine(line, plain) ? plain : "?" + line);
    }
    return out;
}

}  // namespace

TEST(UserListFile, NoFileIsAnEmptyList) {
    RemoveList();
    size_t mark = LogMark();
    CUserListFile list;
    EXPECT_TRUE(list.Load());
    EXPECT_FALSE(list.Exists("ANY"));
    EXPECT_FALSE(list.GetLastUser(nullptr, nullptr, nullptr, nullptr, nullptr));
    EXPECT_TRUE(LogHas(mark, "N:UserList.infoファイルが存在しない:" + ListPath() + "."));
}

TEST(UserListFile, UsersFoldersAndTheLastUser) {
    RemoveList();
    const std::string root = GetUserDataRoot();
    {
        CUserListFile list;
        ASSERT_TRUE(list.SetUser("DEV-B", "taro", 0x0012ABCD, "UA-B", 2));
        const size_t mark = LogMark();
        ASSERT_TRUE(list.SetUser("DEV-A", "taro", 0x10, "UA-A", 1));
        // The clash is logged where the folder is chosen.
        EXPECT_EQ(LogSince(mark), (std::vector<std::string>{
                                      "E:データパスが重複した:taro, " + root + "taro.",
                                      "E:データパスが重複した(変更パス), " + root + "taro2."}));
    }
    // Same nickname, distinct folders; the file is hidden.
    EXPECT_TRUE(FileExists(root + "taro"));
    EXPECT_TRUE(FileExists(root + "taro2"));
    DWORD attrs = ::GetFileAttributesA(ListPath().c_str());
    ASSERT_NE(attrs, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attrs & FILE_ATTRIBUTE_HIDDEN);
    // Written in key order, the last user set is the only one flagged.
    EXPECT_EQ(StoredLines(),
              (std::vector<std::string>{"DEV-A,taro," + root + "taro2,UA-A,1,10,1",
                                        "DEV-B,taro," + root + "taro,UA-B,0,12ABCD,2"}));

    CUserListFile again;
    std::string nick, path, ua, dev;
    uint32_t ccid = 0, type = 0;
    ASSERT_TRUE(again.GetUser("DEV-B", &nick, &path, &ua, &ccid));
    EXPECT_EQ(path, root + "taro");
    EXPECT_EQ(ccid, 0x0012ABCDu);
    ASSERT_TRUE(again.GetLastUser(&dev, &nick, &ua, &ccid, &type));
    EXPECT_EQ(dev, "DEV-A");
    EXPECT_EQ(type, 1u);
    EXPECT_FALSE(again.GetUser("DEV-B", nullptr, &path, nullptr, nullptr));
    EXPECT_FALSE(again.GetUser("DEV-X", &nick, nullptr, nullptr, nullptr));

    // The last user moves with every change.
    ASSERT_TRUE(again.SetUserAgent("DEV-B", "UA-B2"));
    CUserListFile third;
    ASSERT_TRUE(third.GetLastUser(&dev, nullptr, &ua, nullptr, nullptr));
    EXPECT_EQ(dev, "DEV-B");
    EXPECT_EQ(ua, "UA-B2");
    EXPECT_EQ(StoredLines()[0], "DEV-A,taro," + root + "taro2,UA-A,0,10,1");

    // A new nickname moves the user to a new folder; the old one stays.
    ASSERT_TRUE(third.SetUser("DEV-A", "hanako", 0, nullptr, 0));
    EXPECT_TRUE(FileExists(root + "hanako"));
    EXPECT_TRUE(FileExists(root + "taro2"));
    ASSERT_TRUE(third.GetUser("DEV-A", &nick, &path, &ua, &ccid));
    EXPECT_EQ(nick, "hanako");
    EXPECT_EQ(path, root + "hanako");
    EXPECT_EQ(ccid, 0x10u);  // 0 left it as it was
    // Single setters on an unknown device fail and write nothing.
    const std::string before = qmtest::ReadFile(ListPath());
    EXPECT_FALSE(third.SetCcid("DEV-NEW", 5));
    EXPECT_FALSE(third.SetModelType("DEV-NEW", 2));
    EXPECT_EQ(qmtest::ReadFile(ListPath()), before);
    size_t mark = LogMark();
    EXPECT_FALSE(third.SetUser("", "x", 0, nullptr, 0));
    EXPECT_EQ(LogSince(mark),
              std::vector<std::string>{"E:UserList.infoファイル保存時のデータ無し"});
}

TEST(UserListFile, UndecodableLinesAreDropped) {
    RemoveList();
    const std::string good1 = EncodeUserListLine("D1,one,C:\\one,UA,0,1,1");
    const std::string good2 = EncodeUserListLine("D2,two,C:\\two,UA,1,2,2");
    ASSERT_TRUE(
        qmtest::WriteFile(ListPath(), good1 + "\r\n1234567\r\nXYZWXYZW\r\n" + good2 + "\r\n"));
    size_t mark = LogMark();
    CUserListFile list;
    EXPECT_TRUE(list.Exists("D1"));
    EXPECT_TRUE(list.Exists("D2"));
    EXPECT_EQ(list.Users().size(), 2u);
    EXPECT_EQ(LogSince(mark), std::vector<std::string>{"E:複合化時の不正な行:1234567"});
    // They disappear with the next save.
    ASSERT_TRUE(list.SetCcid("D1", 0x0012ABCD));
    EXPECT_EQ(StoredLines(), (std::vector<std::string>{"D1,one,C:\\one,UA,1,12ABCD,1",
                                                       "D2,two,C:\\two,UA,0,2,2"}));
}

TEST(UserListFile, DeleteUser) {
    RemoveList();
    CUserListFile list;
    ASSERT_TRUE(list.SetUser("D1", "one", 1, "UA", 1));
    ASSERT_TRUE(list.SetUser("D2", "two", 2, "UA", 1));
    size_t mark = LogMark();
    EXPECT_FALSE(list.DeleteUser("D9"));
    EXPECT_EQ(LogSince(mark), std::vector<std::string>{"E:ユーザー情報削除失敗：ユーザー情報なし"});
    const std::string folder = GetUserDataRoot() + "one";
    ASSERT_TRUE(list.DeleteUser("D1"));
    EXPECT_TRUE(FileExists(folder));  // the data folder stays
    CUserListFile again;
    EXPECT_FALSE(again.Exists("D1"));
    EXPECT_TRUE(again.Exists("D2"));
    // The flags stay as they were.
    std::string dev;
    ASSERT_TRUE(again.GetLastUser(&dev, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(dev, "D2");
}
