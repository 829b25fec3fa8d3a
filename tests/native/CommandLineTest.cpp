#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "common/Mbcs.h"
#include "common/OsType.h"

namespace {
std::string Dump(const std::vector<CommandLineArgument>& args) {
    std::string out;
    for (const auto& a : args) out += (a.isSwitch ? "S:" : "P:") + a.text + "|";
    return out;
}
}  // namespace

TEST(CommandLine, TokensSwitchesQuotesAndDoubleByteText) {
    EXPECT_EQ(Dump(SplitCommandLine("  \t ")), "");
    EXPECT_EQ(Dump(SplitCommandLine("-MapDownload  plain\t\"quoted /x -y\" /Uninstall")),
              "S:MapDownload|P:plain|P:quoted /x -y|S:Uninstall|");
    // An unclosed quote runs to the end; a lone slash gives an empty switch.
    EXPECT_EQ(Dump(SplitCommandLine("\"open end")), "P:open end|");
    EXPECT_EQ(Dump(SplitCommandLine("/ x")), "S:|P:x|");
    // A slash or hyphen ends a switch and starts the next.
    EXPECT_EQ(Dump(SplitCommandLine("/MapDownload/Uninstall-x")), "S:MapDownload|S:Uninstall|S:x|");
    // A hyphen inside a plain token does not split it.
    EXPECT_EQ(Dump(SplitCommandLine("a-b")), "P:a-b|");
    // "表" is 0x95 0x5C in code page 932: its trail byte is a backslash, and
    // "ソ" (0x83 0x5C) too; neither may split or change a token.
    const std::string hyo = "\x95\x5C";
    EXPECT_EQ(Dump(SplitCommandLine("/" + hyo + " \"\x83\x5C\x83\x74\"")),
              "S:" + hyo + "|P:\x83\x5C\x83\x74|");
}

TEST(CommandLine, SwitchScan) {
    auto scan = [](const char* line) { return ScanSwitches(SplitCommandLine(line)); };
    EXPECT_TRUE(scan("/uNiNsTaLl").uninstall);
    EXPECT_TRUE(scan("-mapdownload").mapDownload);
    EXPECT_FALSE(scan("\"/MapDownload\"").mapDownload);  // quoted: a plain token
    EXPECT_TRUE(scan("/MapDownload/Uninstall").mapDownload);
    EXPECT_TRUE(scan("/MapDownload/Uninstall").uninstall);
    // Uninstall ends the scan.
    EXPECT_FALSE(scan("/Uninstall /MapDownload").mapDownload);
    EXPECT_FALSE(scan("/MapDownloads /Uninstal").uninstall);
}

TEST(CommandLine, CaseFoldingLeavesDoubleByteCharactersAlone) {
    EXPECT_TRUE(EqualsNoCaseMbcs("ABC", "abc"));
    EXPECT_FALSE(EqualsNoCaseMbcs("ABC", "abcd"));
    // 0x82 0x60 (full-width A) and 0x82 0x81 (full-width a) are different
    // characters: folding their trail bytes as ASCII would make them equal.
    EXPECT_FALSE(EqualsNoCaseMbcs("\x82\x60", "\x82\x81"));
    EXPECT_TRUE(EqualsNoCaseMbcs("\x82\x60x", "\x82\x60X"));
    EXPECT_FALSE(EqualsNoCaseMbcs("\x81", "\x81\x41"));
}

TEST(OsType, VersionTable) {
    auto nt = [](unsigned ma, unsigned mi, bool r2 = false, bool server = false) {
        return OsTypeFromVersion({ma, mi, true, false, "", r2, server});
    };
    auto w9x = [](unsigned mi, const char* sp) {
        return OsTypeFromVersion({4, mi, false, true, sp, false, false});
    };
    EXPECT_EQ(w9x(0, " c"), 3);
    EXPECT_EQ(w9x(0, "C"), 2);  // the leading blank is part of the text
    EXPECT_EQ(nt(5, 2, true), 11);
    EXPECT_EQ(nt(6, 0, false, true), 13);
    EXPECT_EQ(nt(10, 0), 15);
    EXPECT_EQ(nt(6, 2), 15);  // what Windows 8 and later tell a program that names none of them
    EXPECT_EQ(nt(6, 3), 15);
    EXPECT_EQ(nt(5, 3), 0);
    // 5.x and 6.x count only on the NT platform.
    EXPECT_EQ(OsTypeFromVersion({5, 1, false, true, "", false, false}), 0);

    EXPECT_FALSE(IsSupportedOsType(8));
    EXPECT_TRUE(IsSupportedOsType(9));
}

TEST(Uninstall, OnlyTheProgramsOwnDataFolderIsDeleted) {
    EXPECT_TRUE(IsOwnDataFolder("C:\\Users\\u\\AppData\\Roaming\\Corvane\\Quillmarch\\"));
    EXPECT_TRUE(IsOwnDataFolder("C:\\Users\\u\\AppData\\Roaming\\corvane\\QUILLMARCH\\"));
    // The all-users fallback and near misses are refused.
    EXPECT_FALSE(IsOwnDataFolder("C:\\Documents and Settings\\All Users\\Application Data\\"));
    EXPECT_FALSE(IsOwnDataFolder("C:\\Roaming\\XCorvane\\Quillmarch\\"));
    EXPECT_FALSE(IsOwnDataFolder("Corvane\\Quillmarch\\"));
    // A double-byte character whose trail byte is '\' right before the tail
    // ("表" is 0x95 0x5C) is not a folder boundary.
    EXPECT_FALSE(
        IsOwnDataFolder("C:\\\x95\x5C"
                        "Corvane\\Quillmarch\\"));
    EXPECT_TRUE(IsOwnDataFolder("C:\\\x95\x5C\\Corvane\\Quillmarch\\"));
}
