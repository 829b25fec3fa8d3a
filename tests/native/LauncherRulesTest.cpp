#include <gtest/gtest.h>

#include <algorithm>

#include "app/LauncherRules.h"

TEST(LauncherRules, StartChargeFollowsTheUpdateCheck) {
    StartChargeDecision d = DecideStartCharge(kUpdateLatest, true);
    EXPECT_EQ(d.action, StartChargeAction::AllKinds);
    EXPECT_EQ(d.mask, kChargeMaskAll);
    EXPECT_TRUE(d.stopReaskTimer);
    EXPECT_EQ(d.log, nullptr);

    d = DecideStartCharge(kUpdateLatest, false);  // the timer stops without a card too
    EXPECT_EQ(d.action, StartChargeAction::None);
    EXPECT_TRUE(d.stopReaskTimer);
    EXPECT_STREQ(d.log, "自動アップデート終了通知時のSDカード無し(チャージ実行無し)");

    d = DecideStartCharge(kUpdateNewer, true);
    EXPECT_EQ(d.action, StartChargeAction::None);
    EXPECT_FALSE(d.stopReaskTimer);

    // No answer at all (or a card change before the check) charges music only.
    for (int result : {0, 0xFF00, 0x10FF04, -1}) {
        d = DecideStartCharge(result, true);
        EXPECT_EQ(d.action, StartChargeAction::MusicOnly) << result;
        EXPECT_EQ(d.mask, kChargeMaskMusic);
    }
}

TEST(LauncherRules, QuietDaysAndTheStaleTrafficUpdate) {
    const uint64_t day = kFileTimeDay;
    const uint64_t t0 = 132000000000000000ull;
    EXPECT_TRUE(IsWithinQuietDays(t0, t0 + 3 * day - 1));
    EXPECT_FALSE(IsWithinQuietDays(t0, t0 + 3 * day));

    TrafficQuestionFacts f;
    f.settingsLoaded = true;
    f.transmitTraffic = 1;
    f.hasLastUpdate = true;
    f.hasCard = true;
    f.lastUpdate = t0;
    f.now = t0 + kTrafficStaleAfter;  // exactly 15 minutes is not "more than"
    EXPECT_FALSE(IsTrafficQuestionDue(f));
    f.now += 1;
    EXPECT_TRUE(IsTrafficQuestionDue(f));
    // Any one fact missing keeps the question back.
    for (int i = 0; i < 5; ++i) {
        TrafficQuestionFacts g = f;
        g.transmitTraffic = i == 0 ? 0 : 1;
        g.hasCard = i != 1;
        g.exitMode = i == 2 ? 2 : f.exitMode;
        g.hasLastUpdate = i != 3;
        g.settingsLoaded = i != 4;
        EXPECT_FALSE(IsTrafficQuestionDue(g)) << i;
    }
}

TEST(LauncherRules, NoticesOfABurstGiveOneRescan) {
    // Media in and out, drive removed and added (also by the shell); not
    // their neighbours.
    for (uint32_t event : {0x20u, 0x40u, 0x80u, 0x100u, 0x10000u})
        EXPECT_TRUE(IsCardNoticeEvent(event)) << event;
    for (uint32_t event : {0x10u, 0x200u, 0x800u, 0x8000u, 0x20000u})
        EXPECT_FALSE(IsCardNoticeEvent(event)) << event;

    CCardNoticeDebounce d;
    EXPECT_FALSE(d.TakeRescan());  // a stray timer scans nothing
    EXPECT_TRUE(d.Notice());
    EXPECT_FALSE(d.Notice());
    EXPECT_TRUE(d.TakeRescan());
    EXPECT_FALSE(d.TakeRescan());
    EXPECT_TRUE(d.Notice());  // the next burst starts the animation again
    EXPECT_EQ(d.Notices(), 3u);
}

TEST(LauncherRules, RescanWalksTheDrivesInOrder) {
    using O = RescanOutcome;
    // The current card stops the walk even with a new card in front of it.
    RescanDecision d = DecideRescan({{'E', true, true, 1}, {'F', true, true, 1}}, 'F', 1);
    EXPECT_EQ(d.outcome, O::SameCard);
    // A read-only first card is skipped and noted; the second becomes current.
    d = DecideRescan({{'E', false, true, 1}, {'F', true, true, 1}}, 0, 1);
    EXPECT_EQ(d.outcome, O::NewCard);
    EXPECT_EQ(d.candidate, 'F');
    EXPECT_EQ(d.readOnly, std::vector<char>{'E'});
    // Only read-only or unregistered cards, the current one among them: no card.
    d = DecideRescan({{'E', false, true, 1}, {'G', true, false, 1}}, 'E', 1);
    EXPECT_EQ(d.outcome, O::NoCard);
    EXPECT_TRUE(d.readOnlySeen && d.unregisteredSeen);
    // Another card replaces the current one; another model restarts.
    d = DecideRescan({{'F', true, true, 1}}, 'E', 1);
    EXPECT_EQ(d.outcome, O::NewCard);
    d = DecideRescan({{'F', true, true, 2}}, 'E', 1);
    EXPECT_EQ(d.outcome, O::OtherModel);
    EXPECT_EQ(d.candidate, 'F');
    // Two new cards: the first wins, and its model decides.
    d = DecideRescan({{'E', true, true, 2}, {'F', true, true, 1}}, 0, 1);
    EXPECT_EQ(d.candidate, 'E');
    EXPECT_EQ(d.outcome, O::OtherModel);
}

TEST(LauncherRules, MapRequestShowsItsModeUnlessItsOwnKeyIsOff) {
    using K = int MapNotifySettings::*;
    const K keys[] = {&MapNotifySettings::notifyMessage, &MapNotifySettings::notifyLoseReserve,
                      &MapNotifySettings::notifyRemind, &MapNotifySettings::notifyPassword};
    struct Row {
        uint32_t type;
        K key;  // the key that silences it, or none
        int mode;
        const char* quiet;
    } const rows[] = {
        {0, keys[0], 0, "新規地図更新データ通知 今後表示しないため、即応答"},
        {1, keys[1], 3, "地図更新予約日経過通知 今後表示しないため、即応答"},
        {2, keys[2], 2, "地図更新リマインド通知 今後表示しないため、即応答"},
        {4, keys[3], 1, "地図更新データパスワード取得通知 今後表示しないため、即応答"},
        {3, nullptr, 4, nullptr},
        {5, nullptr, 5, nullptr},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.type);
        MapNotifySettings others;  // every other key off
        for (K k : keys)
            if (k != r.key) others.*k = 0;
        MapRequestDecision d = DecideMapRequest(r.type, others);
        EXPECT_EQ(d.action, MapRequestAction::Show);
        EXPECT_EQ(d.mode, r.mode);
        if (!r.key) continue;
        MapNotifySettings own;
        own.*r.key = 0;
        d = DecideMapRequest(r.type, own);
        EXPECT_EQ(d.action, MapRequestAction::AnswerNo);
        EXPECT_STREQ(d.log, r.quiet);
    }
    EXPECT_EQ(DecideMapRequest(0xEF, {}).action, MapRequestAction::AskBox);
    for (uint32_t t : {6u, 0x10u, 0xEEu})
        EXPECT_EQ(DecideMapRequest(t, {}).action, MapRequestAction::Undefined) << t;
}

TEST(LauncherRules, MapAnswerSetsItsEventAndTheReaskTimer) {
    struct Row {
        uint32_t type;
        const char *yes, *no;  // the events of an accepted and a declined question
        bool reaskYes, reaskNo;
        int silenceKey;
    } const rows[] = {
        {0, "Global\\WLKMapLicense", "Global\\WLKMapLicenseNo", true, false, 0},
        {1, "Global\\WLKMapLicense", "Global\\WLKMapLicenseNo", true, false, 1},
        {4, "Global\\WLKMapLicense", "Global\\WLKMapLicenseNo", true, false, 4},
        {2, "Global\\WLKMapLicense", "Global\\WLKMapLicenseNo", false, true, 2},  // the reminder
        {3, "Global\\WLKMapDownload", "Global\\WLKMapDownloadNo", false, false, -1},
        {5, nullptr, nullptr, false, false, -1},
        {0x10, "Global\\WLKMapVerify", "Global\\WLKMapVerifyNo", false, false, -1},
        {0x11, "Global\\WLKMapProbe", "Global\\WLKMapProbeNo", false, false, -1},
        {0xEF, "Global\\WLKMapLicense", "Global\\WLKMapLicenseNo", false, false, -1},
    };
    for (const Row& r : rows) {
        for (bool accepted : {true, false}) {
            SCOPED_TRACE(testing::Message() << r.type << (accepted ? " yes" : " no"));
            const MapAnswerDecision d = DecideMapAnswer(r.type, accepted);
            EXPECT_TRUE(d.known);
            EXPECT_STREQ(d.eventName, accepted ? r.yes : r.no);
            EXPECT_EQ(d.startReaskTimer, accepted ? r.reaskYes : r.reaskNo);
            // Only an accepted refresh question (5) charges.
            EXPECT_EQ(d.startRefreshCharge, accepted && r.type == 5);
            EXPECT_EQ(d.silenceKey, r.silenceKey);
        }
    }
    EXPECT_FALSE(DecideMapAnswer(6, true).known);
}

TEST(LauncherRules, CapacityThresholdsByModel) {
    struct Row {
        int code, type;
        uint64_t need;  // the first size that is enough
        uint32_t message;
    } const rows[] = {
        {18, 1, 14400000000ull, 0xFF00EE0Au}, {21, 1, 14400000000ull, 0xFF00EE0Au},
        {18, 2, 14400000000ull, 0xFF00EE0Au}, {10, 1, 7200000000ull, 0xFF00EE08u},
        {12, 1, 7200000000ull, 0xFF00EE08u},  {13, 1, 7200000000ull, 0xFF00EE08u},
        {11, 2, 7200000000ull, 0xFF00EE08u},  {11, 1, 3600000000ull, 0xFF00EE03u},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.code << "/" << r.type);
        EXPECT_EQ(CapacityMessage(r.code, r.type, r.need - 1), r.message);
        EXPECT_EQ(CapacityMessage(r.code, r.type, r.need), 0u);
    }
}

TEST(LauncherRules, MenuHintsAndProgressFrames) {
    struct Hint {
        int main, sub, index;
    };
    // clang-format off
    const Hint hints[] = {
        {0, -1, 42}, {1, -1, 45}, {2, -1, 48}, {3, -1, 54}, {0, 0, 44}, {0, 1, 43}, {1, 0, 47},
        {1, 1, 46}, {2, 0, 52}, {2, 1, 51}, {2, 2, 50}, {2, 3, 49}, {2, 4, 53}, {3, 0, 55},
        {3, 1, 56}, {3, 2, 57},
        // anything else, the pointer leaving included
        {-1, -1, 0}, {0, 2, 0}, {2, 5, 0}, {3, 3, 0}, {4, -1, 0}, {1, -2, 0},
    };
    // clang-format on
    for (const Hint& h : hints) EXPECT_EQ(MenuHintIndex(h.main, h.sub), h.index) << h.main << h.sub;
    // The two frames a percentage alternates between.
    struct Frames {
        int percent, low, high;
    } const frames[] = {{0, 1, 2},  {24, 1, 2}, {25, 2, 3}, {49, 2, 3}, {50, 3, 4},
                        {74, 3, 4}, {75, 4, 5}, {99, 4, 5}, {100, 6, 6}};
    for (const Frames& f : frames) {
        const int a = ProgressFrame(f.percent, false), b = ProgressFrame(f.percent, true);
        EXPECT_EQ(std::min(a, b), f.low) << f.percent;
        EXPECT_EQ(std::max(a, b), f.high) << f.percent;
    }
}

// Tiles 40 wide whose skin places run from 10 to 210: five in steps of 50;
// without the probe tile four from 30 in steps of (200 - 40) / 3 = 53.
TEST(LauncherRules, TileLeftsComeFromTheSkinPlacesOnly) {
    struct Row {
        int first, last, width;
        bool withoutProbe;
        int left[5];
    } const rows[] = {
        {10, 210, 40, false, {10, 60, 110, 160, 210}},
        {10, 210, 40, true, {10, 30, 83, 136, 189}},
        {10, 211, 40, false, {10, 60, 110, 160, 210}},  // steps round down
        {0, 0, 0, true, {0, 0, 0, 0, 0}},
    };
    for (const Row& r : rows) {
        const TileLefts t = LayOutTileLefts(r.first, r.last, r.width, r.withoutProbe);
        for (int k = 0; k < 5; ++k) EXPECT_EQ(t.left[k], r.left[k]) << r.first << " " << k;
    }
}

// The manual music window holds up the exit only; a card change or an eject
// waits for the core and the Setting window.
TEST(LauncherRules, ToolsEndWaitByOccasion) {
    struct Row {
        ToolsWait wait;
        bool core, setting, manual, waits;
    } const rows[] = {
        {ToolsWait::CardChange, false, false, false, false},
        {ToolsWait::CardChange, true, false, false, true},
        {ToolsWait::CardChange, false, true, false, true},
        {ToolsWait::CardChange, false, false, true, false},
        {ToolsWait::Exit, false, false, false, false},
        {ToolsWait::Exit, false, false, true, true},
    };
    for (const Row& r : rows)
        EXPECT_EQ(ToolsStillThere(r.wait, r.core, r.setting, r.manual), r.waits)
            << (r.wait == ToolsWait::Exit) << r.core << r.setting << r.manual;
}
