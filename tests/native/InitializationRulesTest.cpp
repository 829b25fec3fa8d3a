#include <gtest/gtest.h>

#include "app/InitializationWindowRules.h"

TEST(NickNameRules, RefusesWhatWouldCorruptTheUserListOrIsNotSingleByte) {
    struct Case {
        const char* text;
        NickNameProblem problem;
    } const cases[] = {
        {"", NickNameProblem::kNone},
        {"taro", NickNameProblem::kNone},
        {"a b.c_d-e~!", NickNameProblem::kNone},
        {"ta\"ro\"", NickNameProblem::kNone},  // a quote inside the field is copied as it is
        {"\xB6\xC0\xB6\xC5", NickNameProblem::kNone},  // half-width katakana
        {"12345678901234567890", NickNameProblem::kNone},
        {"123456789012345678901", NickNameProblem::kTooLong},
        {"\"taro", NickNameProblem::kLeadingQuote},
        {"ta,ro", NickNameProblem::kComma},
        {",", NickNameProblem::kComma},
        {"ta\x91\xbe", NickNameProblem::kDoubleByte},  // 太 in code page 932
        {"\x82\x60", NickNameProblem::kDoubleByte},    // a full-width letter
        {"a\tb", NickNameProblem::kDoubleByte},
        {"a\x7F", NickNameProblem::kDoubleByte},
        {"a\x80", NickNameProblem::kDoubleByte},
    };
    for (const Case& c : cases) EXPECT_EQ(CheckNickName(c.text), c.problem) << c.text;
}

TEST(NickNameRules, EveryRefusalHasItsOwnHint) {
    const NickNameProblem problems[] = {NickNameProblem::kDoubleByte, NickNameProblem::kTooLong,
                                        NickNameProblem::kComma, NickNameProblem::kLeadingQuote};
    EXPECT_EQ(NickNameHint(NickNameProblem::kNone), "");
    for (NickNameProblem a : problems) {
        EXPECT_FALSE(NickNameHint(a).empty());
        for (NickNameProblem b : problems) {
            if (a != b) {
                EXPECT_NE(NickNameHint(a), NickNameHint(b));
            }
        }
    }
}

TEST(NickNameRules, OkNeedsBothTextsAndNoWorker) {
    EXPECT_TRUE(IsOkEnabled("a", "b", false));
    EXPECT_FALSE(IsOkEnabled("", "b", false));
    EXPECT_FALSE(IsOkEnabled("a", "", false));
    EXPECT_FALSE(IsOkEnabled("a", "b", true));
}

TEST(AuthResults, EngineAndServiceCodesFoldIntoTheirAreas) {
    EXPECT_EQ(AuthResultFromEngine(0x10000000u | 503), 0x1001F7u);
    EXPECT_EQ(AuthResultFromEngine(12029), 0x100000u | 12029);
    EXPECT_EQ(AuthResultFromAnalysis(0x80000006u), 0x200006u);
    EXPECT_EQ(AuthResultFromAnalysis(0xFFF), 0x200FFFu);
    EXPECT_EQ(kAuthMessageArea | AuthResultFromAnalysis(0x80000006u), 0x40200006u);
}
