#include <gtest/gtest.h>

#include "app/InfoRules.h"
#include "datafiles/PcLinkFormat.h"

using namespace info;

TEST(InfoRules, DateAndStatusCells) {
    const RecordTime t = {2026, 1, 0, 9, 7, 5, 0, 0};  // day of week 0
    EXPECT_EQ(FormatChargeDate(&t), "2026/01/09 07：05");
    EXPECT_EQ(FormatChargeDate(nullptr), "----/--/-- --：--");
    // The probe log's time keeps its leading space, seconds and ASCII colons.
    EXPECT_EQ(FormatProbeTime(t), " 2026/01/09 07:05:00");
    EXPECT_EQ(FormatProbeTime({1999, 12, 5, 31, 23, 59, 58, 999}), " 1999/12/31 23:59:58");
    EXPECT_EQ(FormatChargeStatus(2, true, true), "－");
    EXPECT_EQ(FormatChargeStatus(2, false, true), "完了");
    EXPECT_EQ(FormatChargeStatus(-1, false, false), "未転送");
    EXPECT_EQ(FormatChargeStatus(3, false, true), "なし");
    EXPECT_EQ(ProbeResultText(7), " アップロード失敗(未定義)");
    EXPECT_EQ(ProbeCodeText(0), "");
    EXPECT_EQ(ProbeCodeText(18), "処理コード：0x00000012");
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
    EXPECT_EQ(SizeBarPercent(0, 1000), 0);
    // A group larger than the volume stops at the blank bar's end.
    EXPECT_EQ(LayOutSizeBars({SizeBarPercent(3000, 1000)}, 24, 376).back().right, 400);
    const auto spans = LayOutSizeBars({25, 0, 1, 90, 10}, 24, 376);
    std::string text;
    for (const auto& s : spans)
        text += std::to_string(s.left) + "-" + std::to_string(s.right) + " ";
    EXPECT_EQ(text, "24-118 118-118 118-121 121-400 400-400 ");
    EXPECT_EQ(FormatTotalSize(3ULL << 29), "Total 1.50GB");
}

TEST(InfoRules, CardAndUnitComparisonsAtEquality) {
    const std::pair<uint32_t, uint32_t> ids[] = {
        {4, 0x20000001}, {8, 0x20000002}, {32, 0x20000003}, {2, 0}, {16, 0}};
    for (const auto& [kind, id] : ids) EXPECT_EQ(CompareRecordId(kind), id) << kind;
    const uint32_t v = 0x05000200;
    struct Card {
        uint32_t pc;
        int32_t word18;
        int result;
        bool pcNewer;
    } const cards[] = {
        {v, 1, 2, false}, {v, 2, 2, false}, {v, 4, 2, false},     {v, 3, 0, false},
        {v, 0, 0, false}, {v, 5, 0, false}, {v - 1, 1, 0, false}, {v + 1, 1, 0, true},
    };
    for (const Card& c : cards) {
        bool newer = !c.pcNewer;
        EXPECT_EQ(CompareCard(c.pc, c.word18, v, &newer), c.result) << std::hex << c.pc << c.word18;
        EXPECT_EQ(newer, c.pcNewer) << std::hex << c.pc;
    }
    struct Unit {
        uint32_t pc, navi;
        int32_t word18;
        int result;
        bool pcOlder;
    } const units[] = {
        {v, v, 1, 2, false},    {v + 1, v + 1, 1, 2, false}, {v - 1, v - 1, 1, 0, false},
        {v, v, 2, 0, false},    {v, v, 4, 0, false},         {v + 1, v, 1, 0, false},
        {v, v + 1, 1, 0, true},
    };
    for (const Unit& u : units) {
        bool older = !u.pcOlder;
        EXPECT_EQ(CompareUnit(u.pc, u.navi, u.word18, v, &older), u.result)
            << std::hex << u.pc << " " << u.navi << " " << u.word18;
        EXPECT_EQ(older, u.pcOlder) << std::hex << u.pc << " " << u.navi;
    }
}

TEST(InfoRules, DownloadSpaceByModel) {
    const uint64_t gib4 = 1ULL << 32;
    struct Row {
        bool valid;
        uint8_t code;
        int type;
        uint64_t need;
    } const rows[] = {
        {true, 0x12, 1, 4 * gib4}, {true, 0x15, 1, 4 * gib4}, {true, 0x0A, 1, 2 * gib4},
        {true, 0x0C, 1, 2 * gib4}, {true, 0x0D, 1, 2 * gib4}, {true, 0x0B, 2, 2 * gib4},
        {false, 0, 1, 2 * gib4},   {true, 0x0B, 1, gib4},     {true, 0x16, 1, gib4},
    };
    for (const Row& r : rows)
        EXPECT_EQ(RequiredDownloadSpace(r.valid, r.code, r.type), r.need)
            << r.valid << " " << int(r.code) << " " << r.type;
}
