#include <gtest/gtest.h>

#include "datafiles/UserListCodec.h"

using Lines = std::vector<std::string>;

TEST(UserListCodec, LineCoding) {
    EXPECT_EQ(EncodeUserListLine("abc"), "631363236333");
    // Every byte value survives, and each becomes four hex digits.
    std::string all;
    for (int i = 1; i < 256; ++i) all += static_cast<char>(i);
    std::string enc = EncodeUserListLine(all);
    std::string dec;
    ASSERT_TRUE(DecodeUserListLine(enc, dec));
    EXPECT_EQ(dec, all);
    EXPECT_FALSE(DecodeUserListLine("6313632363f3", dec));  // 0x3f is '?', not a digit
    EXPECT_FALSE(DecodeUserListLine("0000", dec));          // codes 0x00 are not digits
}

TEST(UserListCodec, PlainLineFormat) {
    const UserInfo u = {"DEV1", "たろう", "C:\\Data\\たろう", "NV/1.0", 1, 0x0012ABCD, 2};
    std::string plain = MakeUserListPlainLine(u);
    EXPECT_EQ(plain, "DEV1,たろう,C:\\Data\\たろう,NV/1.0,1,12ABCD,2");
    // The line above is checked byte for byte, so reading it back and
    // writing it again checks every field of the reading.
    EXPECT_EQ(MakeUserListPlainLine(ParseUserListPlainLine(plain)), plain);
    // Missing fields stay empty or zero.
    EXPECT_EQ(MakeUserListPlainLine(ParseUserListPlainLine("DEV9,nick")), "DEV9,nick,,,0,0,0");
}

TEST(UserListCodec, TextParsing) {
    UserMap m{{"B", UserInfo{"B", "bee"}}, {"A", UserInfo{"A", "ay", "", "", 1}}};
    std::string text = MakeUserListText(m);
    // Key order: A first.
    EXPECT_EQ(text.substr(0, 4), EncodeUserListLine("A"));
    UserMap back;
    // A 7-character line is answered for the log and skipped; an undecodable
    // one is dropped silently; the rest load.
    EXPECT_EQ(ParseUserListText("1234567\r\nZZZZ\r\n" + text, back), Lines{"1234567"});
    EXPECT_EQ(MakeUserListText(back), text);

    std::string l1 = EncodeUserListLine("D1,one"), l2 = EncodeUserListLine("D2,two"),
                l3 = EncodeUserListLine("D3,three");
    // Bare LF lines, and a last line without a terminator.
    EXPECT_TRUE(ParseUserListText(l1 + "\n" + l2 + "\n" + l3, m).empty());
    EXPECT_EQ(m.size(), 3u);
    // An empty line ends the reading.
    ParseUserListText(l1 + "\r\n\r\n" + l2 + "\r\n", m);
    EXPECT_EQ(m.size(), 1u);
    // A line of 1024 characters or more is skipped, without a word.
    std::string longLine = EncodeUserListLine("D9," + std::string(253, 'x'));
    ASSERT_EQ(longLine.size(), 1024u);
    EXPECT_TRUE(ParseUserListText(l1 + "\r\n" + longLine + "\r\n" + l2 + "\r\n", m).empty());
    EXPECT_EQ(m.count("D9"), 0u);
    // A later line with the same device number replaces the earlier one.
    ParseUserListText(l1 + "\r\n" + EncodeUserListLine("D1,uno") + "\r\n", m);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m["D1"].nickname, "uno");
}

TEST(UserListCodec, DataPaths) {
    const std::string root = "C:\\Users\\u\\Data\\";
    UserMap m;
    EXPECT_TRUE(MakeUserDataPath(root, nullptr, m).badNickname);
    UserDataPath p = MakeUserDataPath(root, "x\\/:*?\"<>|,y", m);
    EXPECT_EQ(p.path, root + "xy");
    EXPECT_FALSE(p.badNickname || p.nothingLeft || !p.clashes.empty());
    // Only filtered characters: USER and the record count.
    m["D1"] = UserInfo{"D1", "x", root + "x"};
    p = MakeUserDataPath(root, "//::", m);
    EXPECT_EQ(p.path, root + "USER1");
    EXPECT_TRUE(p.nothingLeft);
    // "表" (0x95 0x5C) keeps its backslash-looking trail byte.
    EXPECT_EQ(MakeUserDataPath(root, "表", m).path, root + "表");
}

TEST(UserListCodec, DuplicatePathsGetTheCount) {
    using Clashes = std::vector<std::pair<std::string, std::string>>;
    const std::string root = "R\\";
    UserMap m;
    m["D1"] = UserInfo{"D1", "taro", root + "taro"};
    m["D2"] = UserInfo{"D2", "taro", ""};  // the record being added
    UserDataPath p = MakeUserDataPath(root, "taro", m);
    EXPECT_EQ(p.path, root + "taro2");
    EXPECT_EQ(p.clashes, (Clashes{{"R\\taro", "R\\taro2"}}));
    // The walk goes on with the changed path: a later record holding it
    // makes the count appended again.
    UserMap chain;
    chain["A"] = UserInfo{"A", "t", root + "t"};
    chain["B"] = UserInfo{"B", "t", root + "t2"};
    p = MakeUserDataPath(root, "t", chain);
    EXPECT_EQ(p.path, root + "t22");
    EXPECT_EQ(p.clashes, (Clashes{{"R\\t", "R\\t2"}, {"R\\t2", "R\\t22"}}));
    // But an earlier record is not looked at again.
    UserMap before;
    before["A"] = UserInfo{"A", "t", root + "t2"};
    before["B"] = UserInfo{"B", "t", root + "t"};
    EXPECT_EQ(MakeUserDataPath(root, "t", before).path, root + "t2");
}
