#include <gtest/gtest.h>

#include "app/InitializationWindowRules.h"

TEST(NickNameRules, RefusesWhatWouldCorruptTheUserListOrIsNotSingleByte) {
    struct Case {
        const char* text;
        NickNameProblem problem;
    } const cases[] = {
        {"a b.c_d-e~!", NickNameProblem::kNone},
        {"ta\"ro\"", NickNameProblem::kNone},  // a quote inside the field is copied as it is
        {"\xB6\xC0\xB6\xC5", NickNameProblem::kNone},  // half-width katakana
        {"12345678901234567890", NickNameProblem::kNone},
        {"123456789012345678901", NickNameProblem::kTooLong},
        {"\"taro", NickNameProblem::kLeadingQuote},
        {"ta,ro", NickNameProblem::kComma},
        {"ta\x91\xbe", NickNameProblem::kDoubleByte},  // 太 in code page 932
        {"a\tb", NickNameProblem::kDoubleByte},
        {"a\x80", NickNameProblem::kDoubleByte},
    };
    for (const Case& c : cases) EXPECT_EQ(CheckNickName(c.text), c.problem) << c.text;
}

TEST(AuthResults, EngineAndServiceCodesFoldIntoTheirAreas) {
    EXPECT_EQ(AuthResultFromEngine(0x10000000u | 503), 0x1001F7u);
    EXPECT_EQ(AuthResultFromEngine(12029), 0x100000u | 12029);
    EXPECT_EQ(AuthResultFromAnalysis(0x80000006u), 0x200006u);
    EXPECT_EQ(kAuthMessageArea | AuthResultFromAnalysis(0x80000006u), 0x40200006u);
}
