// skincheck.exe as a skin author runs it.
#include <gtest/gtest.h>

#include "SkinTestFiles.h"
#include "TestSupport.h"

using skintest::SkinFile;
using skintest::SourcePath;

namespace {

struct CheckRun {
    DWORD exitCode = 0xDEADBEEF;
    std::string output;
};

CheckRun RunSkinCheck(const std::string& args) {
    const std::string out = qmtest::WorkFolder() + "skincheck.out";
    ::DeleteFileA(out.c_str());
    qmtest::ProcessResult r =
        qmtest::RunProcess(qmtest::BinFolder() + "skincheck.exe", "--out \"" + out + "\" " + args);
    CheckRun run;
    EXPECT_TRUE(r.started && r.finished);
    run.exitCode = r.exitCode;
    run.output = qmtest::ReadFile(out);
    return run;
}

}  // namespace

TEST(SkinCheckTool, CommonTreeMatchesGolden) {
    CheckRun run = RunSkinCheck("--utf8 \"" + SourcePath("resources/skin/Common.txt") + "\"");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, qmtest::ReadFile(SourcePath("tests/golden/Common.tree.txt")));
}

TEST(SkinCheckTool, ReportsEveryBoxTheProgramWouldShow) {
    const std::string folder = qmtest::NewFolder("skincheck");
    ASSERT_TRUE(qmtest::WriteFile(folder + "Win.txt", SkinFile("#include \"Inc.txt\"\nA { }")));
    ASSERT_TRUE(qmtest::WriteFile(folder + "Inc.txt", SkinFile("\n#pragma once")));
    CheckRun run = RunSkinCheck("\"" + folder + "Win.txt\"");
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(
        run.output,
        "error: Inc.txt line 3:#pragmaは異常なプリプロセッサ命令です。\n"
        "error: [Inc.txtの取り込みエラー]Inc.txt line 3:#pragmaは異常なプリプロセッサ命令です。\n");
}

TEST(SkinCheckTool, WindowChecks) {
    const std::string folder = qmtest::NewFolder("skincheck-window");
    ASSERT_TRUE(qmtest::WriteFile(folder + "Common.txt",
                                  qmtest::ReadFile(SourcePath("resources/skin/Common.txt"))));
    ASSERT_TRUE(
        qmtest::WriteFile(folder + "DefaultUIString.txt",
                          qmtest::ReadFile(SourcePath("resources/skin/DefaultUIString.txt"))));
    ASSERT_TRUE(qmtest::WriteFile(
        folder + "Good.txt",
        SkinFile("#include \"Common.txt\"\nBase { Class = WindowBaseClass; }\n"
                 "Title { Class = TitleBaseClass; }\nStringTable { Hello = \"x\"; }")));
    CheckRun run = RunSkinCheck("--window \"" + folder + "Good.txt\"");
    EXPECT_EQ(run.exitCode, 0u);
    // The title took the base block's font name.
    EXPECT_NE(run.output.find("Title {\n    Antialias = \"1\";\n    Color = \"242\", \"244\", "
                              "\"247\";\n    Font = \"ＭＳ Ｐゴシック\", \"13\", \"700\";"),
              std::string::npos)
        << run.output;

    ASSERT_TRUE(
        qmtest::WriteFile(folder + "NoTable.txt",
                          SkinFile("#include \"Common.txt\"\nBase { Class = WindowBaseClass; }")));
    run = RunSkinCheck("--window \"" + folder + "NoTable.txt\"");
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.output, "error: StringTableが記述されていません\n");

    ASSERT_TRUE(
        qmtest::WriteFile(folder + "Short.txt", SkinFile("Base { Image = 0, 0, 10, 10; }")));
    run = RunSkinCheck("--window \"" + folder + "Short.txt\"");
    EXPECT_EQ(run.output, "error: Base/Imageのパラメータは 5個必要です\n");
}

TEST(SkinCheckTool, BadCommandLine) {
    qmtest::ProcessResult r = qmtest::RunProcess(qmtest::BinFolder() + "skincheck.exe", "");
    EXPECT_EQ(r.exitCode, 2u);
    r = qmtest::RunProcess(qmtest::BinFolder() + "skincheck.exe", "--bogus x.txt");
    EXPECT_EQ(r.exitCode, 2u);
}
