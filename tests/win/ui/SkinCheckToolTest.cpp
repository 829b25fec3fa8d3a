// skincheck.exe as a skin author runs it.
#include <gtest/gtest.h>

#include "SkinWindowKit.h"

using skintest::SkinFile;

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

TEST(SkinCheckTool, BadCommandLine) {
    qmtest::ProcessResult r = qmtest::RunProcess(qmtest::BinFolder() + "skincheck.exe", "");
    EXPECT_EQ(r.exitCode, 2u);
    r = qmtest::RunProcess(qmtest::BinFolder() + "skincheck.exe", "--bogus x.txt");
    EXPECT_EQ(r.exitCode, 2u);
}
