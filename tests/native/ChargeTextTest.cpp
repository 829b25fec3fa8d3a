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
