#include <gtest/gtest.h>

#include "app/ChargeText.h"

TEST(ChargeText, RemainingTimeKeepsItsWidthAndCapsAtHundredHours) {
    EXPECT_EQ(FormatRemainingTime(3725), " 1:02:05");
    EXPECT_EQ(FormatRemainingTime(359999), "99:59:59");
    EXPECT_EQ(FormatRemainingTime(UINT64_MAX), "99:59:59");
}

TEST(ChargeText, PercentLineShowsDashesOnlyWhileNothingIsKnown) {
    EXPECT_EQ(FormatMapPercentLine(0.0, 0), "--％完了　残り時間 約 -:--:--");
    EXPECT_EQ(FormatMapPercentLine(0.0, 3725), "--％完了　残り時間 約  1:02:05");
    EXPECT_EQ(FormatMapPercentLine(100.0, 0), "100.0％完了　残り時間 約  0:00:00");
}

TEST(ChargeText, SpeedUnitsChangeOnlyAbovePowerBoundaries) {
    // 125 000 000 B/s is exactly 10^9 bit/s: not above it, so still Mbps.
    EXPECT_EQ(FormatLineSpeed(kMapRecordDownload, 125e6), "通信速度 約 1000.0 Mbps");
    EXPECT_EQ(FormatLineSpeed(kMapRecordDownload, 125e6 + 1), "通信速度 約    1.0 Gbps");
    EXPECT_EQ(FormatLineSpeed(kMapRecordDownload, 2e12), "通信速度 約  999.9 Gbps");
    EXPECT_EQ(FormatLineSpeed(kMapRecordDownload, 0), "通信速度 約    0.0 bps");
    EXPECT_EQ(FormatLineSpeed(kMapRecordTransfer, 1048576), "転送速度 約 1024.0 KB/秒");
    EXPECT_EQ(FormatLineSpeed(kMapRecordTransfer, 1048577), "転送速度 約    1.0 MB/秒");
    EXPECT_EQ(FormatLineSpeed(kMapRecordTransfer, 4e12), "転送速度 約  999.9 GB/秒");
    EXPECT_EQ(FormatLineSpeed(kMapRecordChecking, 1e6), "");
}

TEST(ChargeText, StatusLineByIndexPhaseAndRecord) {
    MapProgressRecord map;
    EXPECT_EQ(BuildStatusText(1, 2, map, kMapPhaseLabel), "ナビ情報アップロード中．．  ");
    EXPECT_EQ(BuildStatusText(61, 1, map, kMapPhaseLabel), "処理を中止します。");
    EXPECT_EQ(BuildStatusText(7, 1, map, kMapPhaseLabel), "");
    EXPECT_EQ(BuildStatusText(2, 1, map, kMapPhasePercent), "地図データ更新中")
        << "no record: the plain text, without dots";

    map.kind = kMapRecordDownload;
    map.percent = 12.34;
    map.remainingSeconds = 3725;
    map.lineSpeed = 2500000;
    EXPECT_EQ(BuildStatusText(2, 1, map, kMapPhaseLabel), "地図データダウンロード中");
    EXPECT_EQ(BuildStatusText(2, 1, map, kMapPhasePercent), " 12.3％完了　残り時間 約  1:02:05");
    EXPECT_EQ(BuildStatusText(2, 1, map, kMapPhaseSpeed), "通信速度 約   20.0 Mbps");
    map.kind = kMapRecordTransfer;
    EXPECT_EQ(BuildStatusText(2, 1, map, kMapPhaseLabel), "SDカードへ転送中");
    map.kind = kMapRecordChecking;
    EXPECT_EQ(BuildStatusText(2, 1, map, kMapPhasePercent), "転送済データのチェック中です．    ");
    map.kind = kMapRecordDiskCheck;
    EXPECT_EQ(BuildStatusText(2, 1, map, kMapPhaseLabel), "地図データ更新中");
}

TEST(ChargeText, RemainingTimeFromTheBlocks) {
    MapProgressRecord r;
    r.totalSize = 1000;
    r.cumulativeSize = 100;
    r.lineSpeed = 10;
    r.percent = MapPercent(r.cumulativeSize, r.totalSize);
    EXPECT_DOUBLE_EQ(r.percent, 10.0);
    EXPECT_EQ(MapStartRemaining(r), 90u);
    r.cumulativeSize = 980;  // 2 s left: the start shows at least 9
    r.percent = MapPercent(r.cumulativeSize, r.totalSize);
    EXPECT_EQ(MapStartRemaining(r), 9u);
    r.remainingSeconds = 4;  // below 5 s the shown time never goes down...
    EXPECT_EQ(MapUpdatedRemaining(r), 4u);
    r.remainingSeconds = 1;  // ...but may go up
    EXPECT_EQ(MapUpdatedRemaining(r), 2u);
    r.cumulativeSize = 2000;
    r.percent = MapPercent(r.cumulativeSize, r.totalSize);
    EXPECT_DOUBLE_EQ(r.percent, 100.0) << "capped";
    EXPECT_EQ(MapUpdatedRemaining(r), 0u);
    r.lineSpeed = 0;
    r.remainingSeconds = 33;
    EXPECT_EQ(MapUpdatedRemaining(r), 33u) << "no speed: the stored time stays";
    EXPECT_DOUBLE_EQ(MapPercent(5, 0), 0.0);
}

TEST(ChargeText, CompletionClasses) {
    struct Case {
        uint32_t code;
        ChargeOutcome outcome;
        int status, frame;
        bool message, withdrawn;
    } const cases[] = {
        {0x04000000, ChargeOutcome::Done, 18, 6, false, false},
        {0x0200010B, ChargeOutcome::Done, 14, 6, true, false},
        {0x0800FF02, ChargeOutcome::NoNewData, 25, 5, false, false},
        {0x1000FF00, ChargeOutcome::Failed, 27, 1, false, false},  // cancelled: no message
        {0x01200205, ChargeOutcome::Failed, 11, 1, true, true},
        {0x0220000C, ChargeOutcome::Failed, 15, 1, true, false},
        {0x00000005, ChargeOutcome::Ignored, 0, 0, true, false},
    };
    for (const Case& c : cases) {
        const ChargeCompletion got = ClassifyCompletion(c.code);
        SCOPED_TRACE(testing::Message() << std::hex << c.code);
        EXPECT_EQ(got.kindBit, c.code >> 24);
        EXPECT_EQ(got.outcome, c.outcome);
        EXPECT_EQ(got.statusIndex, c.status);
        EXPECT_EQ(got.frame, c.frame);
        EXPECT_EQ(got.showMessage, c.message);
        EXPECT_EQ(got.withdrawn, c.withdrawn);
    }
    EXPECT_TRUE(ClassifyCompletion(0x1200207).offerRegistration);
    EXPECT_FALSE(ClassifyCompletion(0x1200203).offerRegistration);
}

TEST(ChargeText, MapQuestionsCarryTheirArgument) {
    EXPECT_EQ(FormatReservedDate(0x250131), "2025年01月31日");
    EXPECT_EQ(FormatEstimatedTime(5400), "1:30");
    EXPECT_EQ(FormatEstimatedTime(59), "0:00");
    const std::string reminder = GetMapNotifyText(2, 1, 0x250131);
    EXPECT_EQ(reminder.substr(reminder.size() - std::string("予約日：2025年01月31日").size()),
              "予約日：2025年01月31日");
    const std::string start = GetMapNotifyText(4, 2, 5400);
    EXPECT_EQ(start.substr(start.size() - std::string("（予想時間 1:30）").size()),
              "（予想時間 1:30）");
    EXPECT_NE(GetMapNotifyText(0, 2, 0), GetMapNotifyText(0, 1, 0)) << "licence wording";
    EXPECT_EQ(GetMapNotifyText(6, 1, 0), "");
    EXPECT_EQ(MapNotifyModeOfRequest(3), 4);
    EXPECT_EQ(MapNotifyModeOfRequest(6), -1);
}
