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

TEST(LauncherRules, MapRequestsShowTheirModeOrAnswerAtOnceWhenSilenced) {
    const MapNotifySettings shown;
    EXPECT_EQ(DecideMapRequest(1, shown).action, MapRequestAction::Show);
    EXPECT_EQ(DecideMapRequest(1, shown).mode, 3);
    MapNotifySettings quiet;
    quiet.notifyMessage = quiet.notifyLoseReserve = quiet.notifyRemind = quiet.notifyPassword = 0;
    MapRequestDecision d = DecideMapRequest(4, quiet);
    EXPECT_EQ(d.action, MapRequestAction::AnswerNo);
    ASSERT_NE(d.log, nullptr);
    EXPECT_NE(std::string(d.log).find("今後表示しないため、即応答"), std::string::npos);
    // Types 3 and 5 have no key that silences them.
    EXPECT_EQ(DecideMapRequest(3, quiet).action, MapRequestAction::Show);
    EXPECT_EQ(DecideMapRequest(0xEF, quiet).action, MapRequestAction::AskBox);
    for (uint32_t bad : {6u, 0xEEu, 0xFFFFFFFFu})
        EXPECT_EQ(DecideMapRequest(bad, shown).action, MapRequestAction::Undefined) << bad;
}

TEST(LauncherRules, MapAnswersSetTheirEventAndTheReaskTimer) {
    const struct {
        uint32_t type;
        bool accepted;
        const char* event;
        bool reask;
    } rows[] = {
        {0, true, "Global\\WLKMapLicense", true},
        {2, true, "Global\\WLKMapLicense", false},
        {2, false, "Global\\WLKMapLicenseNo", true},
        {3, false, "Global\\WLKMapDownloadNo", false},
        {0x10, false, "Global\\WLKMapVerifyNo", false},
        {0x11, true, "Global\\WLKMapProbe", false},
    };
    for (const auto& r : rows) {
        MapAnswerDecision d = DecideMapAnswer(r.type, r.accepted);
        EXPECT_TRUE(d.known);
        EXPECT_STREQ(d.eventName, r.event) << r.type << r.accepted;
        EXPECT_EQ(d.startReaskTimer, r.reask) << r.type << r.accepted;
    }
    EXPECT_TRUE(DecideMapAnswer(5, true).startRefreshCharge);
    EXPECT_FALSE(DecideMapAnswer(5, false).startRefreshCharge);
    EXPECT_EQ(DecideMapAnswer(4, false).silenceKey, 4);
    EXPECT_EQ(DecideMapAnswer(3, false).silenceKey, -1);
    EXPECT_FALSE(DecideMapAnswer(6, true).known);
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

TEST(LauncherRules, CapacityByUnitAndMenuHints) {
    const uint64_t fourGB = 3900000000ull;
    EXPECT_EQ(CapacityMessage(10, 1, fourGB), 0xFF00EE08u);
    EXPECT_EQ(CapacityMessage(5, 1, fourGB), 0u);
    EXPECT_EQ(CapacityMessage(5, 2, fourGB), 0xFF00EE08u);
    EXPECT_EQ(CapacityMessage(5, 1, 3599999999ull), 0xFF00EE03u);
    EXPECT_EQ(CapacityMessage(5, 1, 3600000000ull), 0u);
    EXPECT_EQ(CapacityMessage(18, 1, 14399999999ull), 0xFF00EE0Au);
    EXPECT_EQ(CapacityMessage(21, 2, 14400000000ull), 0u);

    EXPECT_EQ(MenuHintIndex(0, -1), 42);
    EXPECT_EQ(MenuHintIndex(3, -1), 54);
    EXPECT_EQ(MenuHintIndex(2, 0), 52);
    EXPECT_EQ(MenuHintIndex(3, 2), 57);
    EXPECT_EQ(MenuHintIndex(3, 3), 0);
    EXPECT_EQ(MenuHintIndex(-1, -1), 0);
}

TEST(LauncherRules, ProgressFramesAlternateByQuarter) {
    EXPECT_EQ(ProgressFrame(0, true), 2);
    EXPECT_EQ(ProgressFrame(24, true), 2);
    EXPECT_EQ(ProgressFrame(25, true), 3);
    EXPECT_EQ(ProgressFrame(74, true), 4);
    EXPECT_EQ(ProgressFrame(99, true), 5);
    EXPECT_EQ(ProgressFrame(99, false), 4);
    EXPECT_EQ(ProgressFrame(100, false), 6);
}
