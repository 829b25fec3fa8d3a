#include <gtest/gtest.h>

#include <string>

#include "app/LauncherRules.h"

TEST(LauncherRules, StartChargeFollowsTheUpdateCheck) {
    StartChargeDecision d = DecideStartCharge(kUpdateLatest, true);
    EXPECT_EQ(d.action, StartChargeAction::AllKinds);
    EXPECT_EQ(d.mask, kChargeMaskAll);
    EXPECT_TRUE(d.stopReaskTimer);
    EXPECT_EQ(d.log, nullptr);

    d = DecideStartCharge(kUpdateLatest, false);
    EXPECT_EQ(d.action, StartChargeAction::None);
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
    EXPECT_TRUE(IsCardNoticeEvent(0x10000u));
    EXPECT_FALSE(IsCardNoticeEvent(0x800u));

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
    // Only read-only or unregistered cards: no card.
    d = DecideRescan({{'E', false, true, 1}}, 'E', 1);
    EXPECT_EQ(d.outcome, O::NoCard);
    EXPECT_TRUE(d.readOnlySeen);
    d = DecideRescan({{'E', true, false, 1}}, 0, 1);
    EXPECT_EQ(d.outcome, O::NoCard);
    EXPECT_TRUE(d.unregisteredSeen);
    // Another card replaces the current one; another model restarts.
    d = DecideRescan({{'F', true, true, 1}}, 'E', 1);
    EXPECT_EQ(d.outcome, O::NewCard);
    d = DecideRescan({{'F', true, true, 2}}, 'E', 1);
    EXPECT_EQ(d.outcome, O::OtherModel);
    EXPECT_EQ(d.candidate, 'F');
}
