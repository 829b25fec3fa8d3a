#include <gtest/gtest.h>

#include "app/InfoRules.h"
#include "datafiles/PcLinkFormat.h"

using namespace info;

TEST(InfoRules, DateAndStatusCells) {
    const RecordTime t = {2026, 1, 0, 9, 7, 5, 0, 0};  // day of week 0
    EXPECT_EQ(FormatChargeDate(&t), "2026/01/09 07：05");
    EXPECT_EQ(FormatChargeDate(nullptr), "----/--/-- --：--");
    EXPECT_EQ(FormatChargeStatus(2, true, true), "－");
    EXPECT_EQ(FormatChargeStatus(2, false, true), "完了");
    EXPECT_EQ(FormatChargeStatus(0, false, true), "なし");
    EXPECT_EQ(FormatChargeStatus(-1, false, false), "未転送");
}

TEST(InfoRules, ProbeCells) {
    const RecordTime t = {2026, 12, 0, 6, 4, 18, 59, 0};
    EXPECT_EQ(FormatProbeTime(t), " 2026/12/06 04:18:59");
    EXPECT_EQ(ProbeResultText(4), " アップロード失敗");
    EXPECT_EQ(ProbeResultText(5), " アップロード失敗(未定義)");
    EXPECT_EQ(ProbeResultText(-1), " アップロード失敗(未定義)");
    EXPECT_EQ(ProbeCodeText(0), "");
    EXPECT_EQ(ProbeCodeText(18), "処理コード：0x00000012");
}

TEST(InfoRules, CardAndUnitComparisons) {
    bool flag = true;
    EXPECT_EQ(CompareCard(5, 1, 6, &flag), 0);
    EXPECT_FALSE(flag);
    for (int word : {1, 2, 4}) EXPECT_EQ(CompareCard(6, word, 6, &flag), 2) << word;
    for (int word : {-1, 0, 3}) EXPECT_EQ(CompareCard(6, word, 6, &flag), 0) << word;
    EXPECT_EQ(CompareCard(7, 1, 6, &flag), 0);
    EXPECT_TRUE(flag);
    EXPECT_EQ(CompareUnit(7, 6, 1, 6, &flag), 0);
    EXPECT_FALSE(flag);
    EXPECT_EQ(CompareUnit(5, 6, 1, 6, &flag), 0);
    EXPECT_TRUE(flag);
    EXPECT_EQ(CompareUnit(6, 6, 1, 6, &flag), 2);
    EXPECT_EQ(CompareUnit(6, 6, 4, 6, &flag), 0);  // the unit wants Word18 1
    EXPECT_EQ(CompareUnit(5, 5, 1, 6, &flag), 0);  // the unit below the card
    EXPECT_EQ(CompareRecordId(4), 0x20000001u);
    EXPECT_EQ(CompareRecordId(32), 0x20000003u);
    EXPECT_EQ(CompareRecordId(16), 0u);
}

TEST(InfoRules, LargestSearchDataSkipsOtherRecords) {
    CPcLinkContent c;
    EXPECT_EQ(LargestSearchData(c), 0u);
    c.AppendRecord(MakePcLinkRecord(kRecordSearchData, 0x05000100, 0, 1, "a"));
    c.AppendRecord(MakePcLinkRecord(kRecordMapData, 0x09000000, 0, 1, ""));
    c.AppendRecord(MakePcLinkRecord(kRecordSearchData, 0x05000300, 0, 4, "b"));
    c.AppendRecord(MakePcLinkRecord(kRecordSearchData, 0x05000200, 0, 1, "c"));
    EXPECT_EQ(LargestSearchData(c), 0x05000300u);
}

TEST(InfoRules, SizeBarsAtTheirBounds) {
    EXPECT_EQ(SizeBarPercent(0, 100), 0);
    EXPECT_EQ(SizeBarPercent(1, 1000), 1);  // a non-empty group shows
    EXPECT_EQ(SizeBarPercent(5, 0), 1);     // also on a volume of size 0
    EXPECT_EQ(SizeBarPercent(999, 1000), 99);
    EXPECT_EQ(SizeBarPercent(3000, 1000), 100);
    const auto spans = LayOutSizeBars({25, 0, 1, 90, 10}, 24, 376);
    const int expected[5][2] = {{24, 118}, {118, 118}, {118, 121}, {121, 400}, {400, 400}};
    ASSERT_EQ(spans.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(spans[i].left, expected[i][0]) << i;
        EXPECT_EQ(spans[i].right, expected[i][1]) << i;
    }
    EXPECT_EQ(FormatTotalSize(3ULL << 29), "Total 1.50GB");
    EXPECT_EQ(FormatTotalSize(0), "Total 0.00GB");
}

TEST(InfoRules, DownloadSpaceByModel) {
    const uint64_t g = 1ULL << 32;
    EXPECT_EQ(RequiredDownloadSpace(true, 0x12, 1), 4 * g);
    EXPECT_EQ(RequiredDownloadSpace(true, 0x15, 2), 4 * g);
    EXPECT_EQ(RequiredDownloadSpace(false, 0x12, 0), 2 * g);
    EXPECT_EQ(RequiredDownloadSpace(true, 0x0C, 1), 2 * g);
    EXPECT_EQ(RequiredDownloadSpace(true, 0x01, 2), 2 * g);
    EXPECT_EQ(RequiredDownloadSpace(true, 0x01, 1), g);
}
