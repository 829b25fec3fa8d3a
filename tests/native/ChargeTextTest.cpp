#include <gtest/gtest.h>

#include "app/ChargeText.h"

TEST(ChargeText, RemainingTimeKeepsItsWidthAndCapsAtHundredHours) {
    EXPECT_EQ(FormatRemainingTime(3725), " 1:02:05");
    EXPECT_EQ(FormatRemainingTime(359999), "99:59:59");
    EXPECT_EQ(FormatRemainingTime(360000), "99:59:59");  // 100 hours
    EXPECT_EQ(FormatRemainingTime(UINT64_MAX), "99:59:59");
}

// Every question in both wordings: model type 2 asks for the licence
// agreement, any other model type for the update password. The date and the
// time are the arguments of types 2 and 4.
TEST(ChargeText, MapQuestionsInBothWordings) {
    const std::string licence = "地図更新の使用許諾の同意";
    const std::string reserved =
        "地図更新ダウンロード予約日が近づいております。\r\n"
        "ご予約いただいた内容をお知らせいたします。\r\n予約日：2025年01月31日";
    const std::string start =
        "地図ダウンロードが可能になりました。\r\nダウンロードを開始しますか？\r\n（予想時間 1:30）";
    const std::string refresh = "最新の情報に更新しますか？";
    const std::string check =
        "SDカードへ転送済データのチェックを行いますか？\r\n(チェックには数分かかります)";
    const std::string unsent =
        "未送信のナビ情報があります。\r\nこのまま地図データ更新を行なうとエコドライブレポートへ"
        "反映されない場合があります。\r\n地図データ更新を続行しますか？";
    struct Row {
        int type;
        uint32_t argument;
        std::string model2, other;
    } rows[] = {
        {0, 0, "継続して地図を更新するには" + licence + "が必要です。\r\n更新しますか？",
         "継続して地図を更新するには更新パスワードの取得が必要です。\r\n"
         "更新パスワードを取得しますか？"},
        {1, 0,
         "地図ダウンロード予約日になりました。\r\nダウンロードするには" + licence +
             "が必要です。\r\n更新しますか？",
         "地図更新予約日になりました。\r\n地図を更新するにはパスワード発行が必要です。\r\n"
         "パスワードを取得しますか？"},
        {2, 0x250131, reserved, reserved},
        {3, 0,
         "お客様が設定した地図ダウンロード予約日を過ぎております。\r\nお手数ですが、再度" +
             licence + "を取得してください。\r\n取得しますか？",
         "設定された地図更新予約日を過ぎています。\r\nお手数ですが、再度パスワードを取得して"
         "ください。\r\n\r\n再度予約を行ないますか？"},
        {4, 5400, start, start},
        {5, 0, refresh, refresh},
        {6, 0, "", ""},  // no question of its own
        {7, 0, check, check},
        {8, 0, unsent, unsent},
        {9, 0, "", ""},
        {-1, 0, "", ""},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(GetMapNotifyText(r.type, 2, r.argument), r.model2) << r.type;
        for (int model : {0, 1, 3})
            EXPECT_EQ(GetMapNotifyText(r.type, model, r.argument), r.other)
                << r.type << "/" << model;
    }
    EXPECT_EQ(FormatEstimatedTime(59), "0:00");  // minutes round down
}

// All dashes, with nothing known at all: the status table's map row.
TEST(ChargeText, PercentLineShowsDashesOnlyWhileNothingIsKnown) {
    EXPECT_EQ(FormatMapPercentLine(0.0, 3725), "--％完了　残り時間 約  1:02:05");
    EXPECT_EQ(FormatMapPercentLine(100.0, 0), "100.0％完了　残り時間 約  0:00:00");
}

TEST(ChargeText, SpeedUnitsChangeOnlyAbovePowerBoundaries) {
    // 125 000 000 B/s is exactly 10^9 bit/s: not above it, so still Mbps.
    EXPECT_EQ(FormatLineSpeed(kMapRecordDownload, 125e6), "通信速度 約 1000.0 Mbps");
    EXPECT_EQ(FormatLineSpeed(kMapRecordDownload, 125e6 + 1), "通信速度 約    1.0 Gbps");
    EXPECT_EQ(FormatLineSpeed(kMapRecordDownload, 2e12), "通信速度 約  999.9 Gbps");
    // Each lower unit at exactly its power of ten (10^6 and 10^3 bit/s).
    EXPECT_EQ(FormatLineSpeed(kMapRecordDownload, 125000), "通信速度 約 1000.0 Kbps");
    EXPECT_EQ(FormatLineSpeed(kMapRecordDownload, 125), "通信速度 約 1000.0 bps");
    EXPECT_EQ(FormatLineSpeed(kMapRecordDownload, 1000), "通信速度 約    8.0 Kbps");
    EXPECT_EQ(FormatLineSpeed(kMapRecordDownload, 0), "通信速度 約    0.0 bps");
    EXPECT_EQ(FormatLineSpeed(kMapRecordTransfer, 1024), "転送速度 約 1024.0 B/秒");
    EXPECT_EQ(FormatLineSpeed(kMapRecordTransfer, 1048576), "転送速度 約 1024.0 KB/秒");
    EXPECT_EQ(FormatLineSpeed(kMapRecordTransfer, 1073741824), "転送速度 約 1024.0 MB/秒");
    EXPECT_EQ(FormatLineSpeed(kMapRecordTransfer, 1048577), "転送速度 約    1.0 MB/秒");
    EXPECT_EQ(FormatLineSpeed(kMapRecordTransfer, 4e12), "転送速度 約  999.9 GB/秒");
    EXPECT_EQ(FormatLineSpeed(kMapRecordChecking, 1e6), "");
}

// 1000 bytes at 10 a second; with no speed the stored time stays.
TEST(ChargeText, RemainingTimeFromTheBlocks) {
    struct Row {
        uint64_t done, stored;
        double percent;
        uint64_t start, updated;
    } const rows[] = {
        {100, 0, 10.0, 90, 90},
        {950, 9, 95.0, 9, 5},     // the start shows at least 9; an estimate of 5 s still counts...
        {980, 4, 98.0, 9, 4},     // ...below 5 s the shown time never goes down...
        {980, 1, 98.0, 9, 2},     // ...but may go up
        {2000, 33, 100.0, 9, 0},  // capped
    };
    for (const Row& r : rows) {
        MapProgressRecord m;
        m.totalSize = 1000;
        m.cumulativeSize = r.done;
        m.lineSpeed = 10;
        m.remainingSeconds = r.stored;
        m.percent = MapPercent(r.done, m.totalSize);
        EXPECT_DOUBLE_EQ(m.percent, r.percent) << r.done;
        EXPECT_EQ(MapStartRemaining(m), r.start) << r.done;
        EXPECT_EQ(MapUpdatedRemaining(m), r.updated) << r.done << " " << r.stored;
        m.lineSpeed = 0;
        EXPECT_EQ(MapUpdatedRemaining(m), r.stored) << r.done;
    }
    EXPECT_DOUBLE_EQ(MapPercent(5, 0), 0.0);
}

TEST(ChargeText, StatusLineByIndexAndMapRecord) {
    const std::string none = "      ", one = "．    ", all = "．．．";
    MapProgressRecord map;
    struct Row {
        int index, dots;
        uint32_t kind;
        int phase;
        std::string text;
    } const rows[] = {
        {6, 0, 0, 1, "サーバー情報チェック中" + none},
        {6, 3, 0, 1, "サーバー情報チェック中" + all},
        {1, 3, 0, 1, "ナビ情報アップロード中" + all},
        {5, 1, 0, 1, "音楽データ転送中" + one},
        {10, 3, 0, 1, "ナビ情報アップロード完了"},  // results and hints have no dots
        {40, 3, 0, 1, "クリックでメニューを開きます"},
        {7, 3, 0, 1, ""},
        {2, 3, kMapRecordNone, 2, "地図データ更新中"},
        {2, 3, kMapRecordDiskCheck, 1, "地図データ更新中"},
        {2, 3, kMapRecordDownload, 1, "地図データダウンロード中"},
        {2, 3, kMapRecordTransfer, 1, "SDカードへ転送中"},
        {2, 1, kMapRecordChecking, 2, "転送済データのチェック中です" + one},
        {2, 1, kMapRecordDownload, 2, "--％完了　残り時間 約 -:--:--"},
        {2, 1, kMapRecordTransfer, 3, "転送速度 約    0.0 B/秒"},
    };
    for (const Row& r : rows) {
        map.kind = r.kind;
        EXPECT_EQ(BuildStatusText(r.index, r.dots, map, r.phase), r.text)
            << r.index << " " << r.kind << " " << r.phase;
    }
    struct Kind {
        uint32_t bit;
        int status;
    } const kinds[] = {{0x01, 1}, {0x02, 2}, {0x20, 2}, {0x04, 3},
                       {0x08, 4}, {0x10, 5}, {0x40, 0}, {0, 0}};
    for (const Kind& k : kinds) EXPECT_EQ(RunningStatusOfKind(k.bit), k.status) << k.bit;
}

TEST(ChargeText, CompletionCodes) {
    using O = ChargeOutcome;
    struct Row {
        uint32_t code;
        O outcome;
        int status, frame;
        bool message, withdrawn, offer;
    } const rows[] = {
        {0x04000000, O::Done, 18, 6, false, false, false},
        {0x0100010B, O::Done, 10, 6, true, false, false},
        {0x0100010A, O::Failed, 11, 1, true, false, false},
        {0x0400FF01, O::Skipped, 20, 5, false, false, false},
        {0x0200FF02, O::NoNewData, 17, 5, false, false, false},
        {0x0800FF00, O::Failed, 23, 1, false, false, false},  // cancelled: no message
        {0x10000005, O::Failed, 27, 1, true, false, false},
        {0x20000005, O::Ignored, 0, 0, true, false, false},  // 0x20 has no tile
        // Registration withdrawn: probe and traffic by the whole result, the
        // map by its masked one.
        {0x01200205, O::Failed, 11, 1, true, true, true},
        {0x04200205, O::Failed, 19, 1, true, true, false},
        {0x08200205, O::Failed, 23, 1, true, false, false},
        {0x022A000B, O::Failed, 15, 1, true, true, false},
        {0x0230000B, O::Failed, 15, 1, true, false, false},
        {0x01200201, O::Failed, 11, 1, true, false, true},
        {0x01200202, O::Failed, 11, 1, true, false, true},
        {0x01200207, O::Failed, 11, 1, true, false, true},
        {0x01200203, O::Failed, 11, 1, true, false, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << r.code);
        const ChargeCompletion c = ClassifyCompletion(r.code);
        EXPECT_EQ(c.outcome, r.outcome);
        EXPECT_EQ(c.statusIndex, r.status);
        EXPECT_EQ(c.frame, r.frame);
        EXPECT_EQ(c.showMessage, r.message);
        EXPECT_EQ(c.withdrawn, r.withdrawn);
        EXPECT_EQ(c.offerRegistration, r.offer);
    }
}
