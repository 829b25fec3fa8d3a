#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "common/Version.h"

namespace {
std::string Parts(const VersionNumber& v) {
    return std::to_string(v.major) + "/" + std::to_string(v.minor) + "/" + std::to_string(v.build) +
           "/" + std::to_string(v.revision);
}
VersionNumber V(int a, int b, int c, int d) {
    VersionNumber v;
    v.major = a;
    v.minor = b;
    v.build = c;
    v.revision = d;
    return v;
}
}  // namespace

TEST(ParseVersion, ExactlyThreeSeparatorsMakeAVersion) {
    EXPECT_EQ(Parts(ParseVersion("1.2.3.4")), "1/2/3/4");
    EXPECT_EQ(Parts(ParseVersion("1.2,3.4")), "1/2/3/4");  // both separators mix
    EXPECT_EQ(Parts(ParseVersion("1.2.3")), "0/0/0/0");    // two separators
    EXPECT_EQ(Parts(ParseVersion(nullptr)), "0/0/0/0");
    // A fifth part is never started, and the fourth separator makes it no version.
    EXPECT_EQ(Parts(ParseVersion("1.2.3.4.5")), "0/0/0/0");
    // Empty parts read as 0.
    EXPECT_EQ(Parts(ParseVersion("7..9.")), "7/0/9/0");
}

TEST(ParseVersion, OtherCharactersAreSkipped) {
    EXPECT_EQ(Parts(ParseVersion("Ver 1, 0, 0, 12 beta")), "1/0/0/12");
    EXPECT_EQ(Parts(ParseVersion("1a0.2b.3-3.x4y")), "10/2/33/4");  // no signs: '-' is skipped
}

TEST(ParseVersion, TwentyDigitsEndTheWalk) {
    // 19 digits go on (and saturate), 20 stop before the separators are seen.
    EXPECT_EQ(Parts(ParseVersion("1234567890123456789.2.3.4")), std::to_string(INT_MAX) + "/2/3/4");
    EXPECT_EQ(Parts(ParseVersion("12345678901234567890.2.3.4")), "0/0/0/0");
    // The last part may reach 20: the three separators were seen by then.
    EXPECT_EQ(Parts(ParseVersion("1.2.3.12345678901234567890999")),
              "1/2/3/" + std::to_string(INT_MAX));
    // Within range the value is exact, one past it saturates.
    EXPECT_EQ(Parts(ParseVersion("2147483647.0.0.2147483648")),
              std::to_string(INT_MAX) + "/0/0/" + std::to_string(INT_MAX));
}

TEST(IsNewerVersion, ComparesNumbersPartByPart) {
    EXPECT_TRUE(IsNewerVersion(ParseVersion("1.10.0.0"), ParseVersion("1.9.9.9")));
    EXPECT_FALSE(IsNewerVersion(V(1, 2, 3, 4), V(1, 2, 3, 4)));
    EXPECT_TRUE(IsNewerVersion(V(1, 2, 4, 0), V(1, 2, 3, 99)));
    EXPECT_FALSE(IsNewerVersion(V(1, 99, 99, 99), V(2, 0, 0, 0)));
    // Signed comparison: a negative part is older.
    EXPECT_TRUE(IsNewerVersion(V(0, 0, 0, 0), V(-1, 5, 5, 5)));
    // An unparsable text is all zero, so any real version is newer.
    EXPECT_TRUE(IsNewerVersion(ParseVersion("0.0.0.1"), ParseVersion("garbage")));
}

TEST(ProductVersionLabel, DropsTheLastPartAndUsesDots) {
    EXPECT_EQ(FormatProductVersionLabel("1,0,0,1"), "Ver.1.0.0");
    // A blank after a comma stays.
    EXPECT_EQ(FormatProductVersionLabel("1, 2, 3, 4"), "Ver.1. 2. 3");
    // Not four fields: only the commas change.
    EXPECT_EQ(FormatProductVersionLabel("1,2,3"), "Ver.1.2.3");
    // Four comma fields win over the dots inside them.
    EXPECT_EQ(FormatProductVersionLabel("1.1,2,3,4.4"), "Ver.1.1.2.3");
    EXPECT_EQ(FormatProductVersionLabel(""), "Ver.");
}
