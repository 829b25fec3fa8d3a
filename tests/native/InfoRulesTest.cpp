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
    EXPECT_EQ(FormatChargeStatus(-1, false, false), "未転送");
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
    EXPECT_EQ(SizeBarPercent(1, 1000), 1);  // a non-empty group shows
    EXPECT_EQ(SizeBarPercent(5, 0), 1);     // also on a volume of size 0
    EXPECT_EQ(SizeBarPercent(999, 1000), 99);
    EXPECT_EQ(SizeBarPercent(3000, 1000), 100);
    const auto spans = LayOutSizeBars({25, 0, 1, 90, 10}, 24, 376);
    std::string text;
    for (const auto& s : spans)
        text += std::to_string(s.left) + "-" + std::to_string(s.right) + " ";
    EXPECT_EQ(text, "24-118 118-118 118-121 121-400 400-400 ");
    EXPECT_EQ(FormatTotalSize(3ULL << 29), "Total 1.50GB");
}
