// Clearing a card: the keep list, the fresh PC-link file, the failures.
#include <gtest/gtest.h>

#include <algorithm>

#include "CardTestSupport.h"
#include "TestSupport.h"
#include "datafiles/PcLinkFile.h"
#include "datafiles/SdCardClear.h"

using namespace cardtest;
using qmtest::FileExists;

namespace {

std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

}  // namespace

// The keep list ignores case: the card's PROBE folder is renamed "probe" first.
TEST(ClearSdCard, KeepsTheKeepListOnly) {
    ASSERT_TRUE(MakeCard(kCardF, "--sdinfo=4:2:1"));
    ASSERT_TRUE(::MoveFileA("F:\\PROBE", "F:\\probe-tmp"));
    ASSERT_TRUE(::MoveFileA("F:\\probe-tmp", "F:\\probe"));
    for (const char* p :
         {"F:\\AUTORUN.INF", "F:\\PC\\PCAPL\\PCLAUNCHER.EXE", "F:\\PC\\PCAPL\\PCLAUNCHER.INI",
          "F:\\PC\\PCAPL\\OTHER.TXT", "F:\\PC\\PROBE\\P.DAT", "F:\\EXTRA.TXT",
          "F:\\SOME\\DEEP\\FILE.BIN", "F:\\PROBE\\SUB\\KEPT.BIN"})
        ASSERT_TRUE(Touch(p));
    // Our PC-link file gets a mark that a fresh copy would not have.
    std::string link = qmtest::ReadFile("F:\\PCLINK.DAT");
    link[0] = '\x55';
    ASSERT_TRUE(qmtest::WriteFile("F:\\PCLINK.DAT", link));

    size_t mark = LogMark();
    EXPECT_EQ(ClearSdCard(kCardF), 0u);
    EXPECT_EQ(Sorted(qmtest::ListFiles("F:\\*")),
              (std::vector<std::string>{"AUTORUN.INF", "PC", "PCLINK.DAT", "probe"}));
    EXPECT_EQ(Sorted(qmtest::ListFiles("F:\\PC\\*")),
              (std::vector<std::string>{"NAVIINFO.DAT", "PCAPL", "SDINFO.DAT"}));
    EXPECT_EQ(Sorted(qmtest::ListFiles("F:\\PC\\PCAPL\\*")),
              (std::vector<std::string>{"PCLAUNCHER.EXE", "PCLAUNCHER.INI"}));
    EXPECT_TRUE(FileExists("F:\\PROBE\\SUB\\KEPT.BIN"));
    EXPECT_TRUE(FileExists("F:\\PROBE\\PRB00001.DAT"));
    // A fresh PC-link file: a copy of the navigation-info file.
    EXPECT_EQ(qmtest::ReadFile("F:\\PCLINK.DAT"), qmtest::ReadFile("F:\\PC\\NAVIINFO.DAT"));
    EXPECT_EQ(LogSince(mark).front(), "N:SDカード内クリア要求 Fドライブ");
    EXPECT_TRUE(LogHas(mark, "N:お出かけ管理コピー完了"));
}

TEST(ClearSdCard, Failures) {
    size_t mark = LogMark();
    EXPECT_EQ(ClearSdCard(0), 3u);
    EXPECT_EQ(LogSince(mark), (std::vector<std::string>{"N:SDカード内クリア要求  ドライブ",
                                                        "E:SDカード内クリア時のドライブ指定不正"}));
    // No navigation-info file: nothing to make the PC-link file from.
    EmptyDrive(kCardF);
    ASSERT_TRUE(Touch("F:\\JUNK.TXT"));
    mark = LogMark();
    EXPECT_EQ(ClearSdCard(kCardF), static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(LogHas(mark, "E:PcLink.dat作成失敗 ERR:0x00000002"));
    EXPECT_FALSE(FileExists("F:\\JUNK.TXT"));
}
