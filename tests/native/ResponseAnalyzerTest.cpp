#include <gtest/gtest.h>

#include <string>

#include "net/ResponseAnalyzer.h"

namespace {
// The complaints the analysers hand back for the shell to log.
size_t g_complaints = 0;
std::string g_said;
uint32_t Heard(uint32_t result, const std::string& complaint) {
    if (!complaint.empty()) {
        ++g_complaints;
        g_said = complaint;
    }
    return result;
}
uint32_t Auth(const std::string& s) {
    std::string c;
    return Heard(AnalyzeAuthentication(s.data(), s.size(), &c), c);
}
uint32_t Latest(const std::string& s, std::string& url, std::string& ver) {
    std::string c;
    return Heard(AnalyzeLatestApplication(s.data(), s.size(), url, ver, &c), c);
}
uint32_t Permission(const std::string& s, bool& permitted) {
    std::string c;
    return Heard(AnalyzeLogUploadPermission(s.data(), s.size(), permitted, &c), c);
}
uint32_t Upload(const std::string& s) { return AnalyzeLogUpload(s.data(), s.size()); }

size_t LogCount() { return g_complaints; }
const std::string& Said() { return g_said; }
}  // namespace

TEST(AnalyzeAuthentication, SingleFieldAnswers) {
    size_t before = LogCount();
    EXPECT_EQ(Auth("RET=0"), ANALYZE_OK);
    EXPECT_EQ(Auth("RET=12"), 0x8000000Cu);
    EXPECT_EQ(Auth("RET=12abc"), 0x8000000Cu);  // digits only
    EXPECT_EQ(Auth("RET="), ANALYZE_OK);        // no digits reads as 0
    EXPECT_EQ(Auth("OK"), ANALYZE_OK);
    EXPECT_EQ(Auth("RETURN=5"), 0x80000005u);     // the key is recognised by its beginning
    EXPECT_EQ(Auth("RET5"), ANALYZE_OK);          // no '=': the whole field is the value
    EXPECT_EQ(Auth("\"RET=7&x\""), 0x80000007u);  // quoted whole: one field
    EXPECT_EQ(LogCount(), before) << "well-formed answers raise no complaint";
}

TEST(AnalyzeAuthentication, SeveralFieldsReadTheNumberAsHexadecimal) {
    size_t before = LogCount();
    EXPECT_EQ(Auth("RET=12&X=1"), 0x80000012u);
    ASSERT_EQ(LogCount(), before + 1);
    EXPECT_EQ(Said(), "サーバレスポンスエラー[SVRERR:18]");
    EXPECT_EQ(Auth("RET=ff&"), 0x800000FFu);
    EXPECT_EQ(Auth("NG=1&RET=0"), ANALYZE_FORMAT_ERROR);
    EXPECT_EQ(Said(), "サーバレスポンスエラー[SVRERR:NG=1&RET=0]");
}

TEST(AnalyzeAuthentication, NegativeNumbersStayServiceErrors) {
    std::string url, ver;
    EXPECT_EQ(Auth("RET=-1"), 0xFFFFFFFFu);
    EXPECT_EQ(Latest("RET=-2147483648", url, ver), 0x80000000u);
    EXPECT_EQ(Latest("RET=-220880002088", url, ver), 0x80000000u) << "clamped, never 0";
    EXPECT_EQ(Upload("RET=99999999999"), 0xFFFFFFFFu);
    EXPECT_EQ(Upload("RET=-0"), ANALYZE_OK);
}

TEST(AnalyzeAuthentication, NoDataIsAFormatError) {
    EXPECT_EQ(AnalyzeAuthentication(nullptr, 5), ANALYZE_FORMAT_ERROR);
    EXPECT_EQ(AnalyzeAuthentication("RET=0", 0), ANALYZE_FORMAT_ERROR);
    // The answer ends at a NUL byte, as a zero-terminated copy would.
    std::string withNul("RET=3\0&X=1", 10);
    EXPECT_EQ(Auth(withNul), 0x80000003u);
}

TEST(AnalyzeLatestApplication, ThreeFieldsInAnyOrder) {
    struct Case {
        const char* answer;
        uint32_t result;
        const char *ver, *url;  // checked when given
    } cases[] = {
        {"RET=0&VER=1.2.3&URL=u", ANALYZE_OK, "1.2.3", "u"},
        {"VER=1&URL=u&X=0", ANALYZE_OK, "1", "u"},
        // The value is what follows the first '='.
        {"URL=https://w.example.com/a?b=c=d&RET=0&VER=2", ANALYZE_OK, "2",
         "https://w.example.com/a?b=c=d"},
        {"RET=4&VER=1&URL=u", 0x80000004u, nullptr, nullptr},
        // A later field of the same key overwrites the earlier one.
        {"VER=1&VER=2&URL=u", ANALYZE_OK, "2", "u"},
        // An empty version or URL is a format error...
        {"RET=0&VER=&URL=u", ANALYZE_FORMAT_ERROR, nullptr, nullptr},
        {"RET=0&VER=1&URL=", ANALYZE_FORMAT_ERROR, nullptr, nullptr},
        // ...even beside a service error: that check comes first.
        {"RET=9&X=1&Y=2", ANALYZE_FORMAT_ERROR, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        std::string url, ver;
        EXPECT_EQ(Latest(c.answer, url, ver), c.result) << c.answer;
        if (c.ver) {
            EXPECT_EQ(ver, c.ver) << c.answer;
        }
        if (c.url) {
            EXPECT_EQ(url, c.url) << c.answer;
        }
    }
}

TEST(AnalyzeLatestApplication, OtherFieldCountsReadRetAsDecimal) {
    std::string url, ver;
    size_t before = LogCount();
    EXPECT_EQ(Latest("RET=0&VER=1", url, ver), 0x80000000u);
    ASSERT_EQ(LogCount(), before + 1);
    EXPECT_EQ(Said(), "サーバレスポンスエラー[SVRERR:0]");
    EXPECT_EQ(Latest("RET=12&a&b&c", url, ver), 0x8000000Cu);  // decimal, not hex
    EXPECT_EQ(Latest("garbage", url, ver), ANALYZE_FORMAT_ERROR);
    EXPECT_EQ(Said(), "サーバレスポンスエラー[SVRERR:garbage]");
    EXPECT_TRUE(url.empty());
    EXPECT_TRUE(ver.empty());
}

TEST(AnalyzeLogUploadPermission, ValidMustBeExactlyTrue) {
    struct Case {
        const char* answer;
        bool before;  // the flag as the caller left it
        uint32_t result;
        bool after;
    } cases[] = {
        {"RET=0&VALID=TRUE", false, ANALYZE_OK, true},
        {"RET=0&VALID=true", true, ANALYZE_OK, false},
        {"RET=0&VALID=FALSE", true, ANALYZE_OK, false},
        {"VALID=TRUE&RET=3", false, 0x80000003u, true},
        {"RET=0&X=1", true, ANALYZE_OK, true},  // no VALID: untouched
        // Quoted as a whole, a field keeps its ampersand and loses its quotes.
        {"\"VALID=TRUE\"&\"RET=0&x\"", false, ANALYZE_OK, true},
    };
    for (const Case& c : cases) {
        bool permitted = c.before;
        EXPECT_EQ(Permission(c.answer, permitted), c.result) << c.answer;
        EXPECT_EQ(permitted, c.after) << c.answer;
    }
}

TEST(AnalyzeLogUploadPermission, OtherFieldCountsAreComplainedAbout) {
    bool permitted = true;
    size_t before = LogCount();
    EXPECT_EQ(Permission("RET=5", permitted), 0x80000005u);
    ASSERT_EQ(LogCount(), before + 1);
    EXPECT_EQ(Said(), "AnalyzeLogUploadPermission - サーバレスポンスエラー[SVRERR:5]");
    EXPECT_EQ(Permission("VALID=TRUE", permitted), ANALYZE_FORMAT_ERROR);
    EXPECT_EQ(Said(), "AnalyzeLogUploadPermission - サーバレスポンスエラー[SVRERR:VALID=TRUE]");
}

TEST(AnalyzeLogUpload, OnlyTheBeginningCounts) {
    size_t before = LogCount();
    EXPECT_EQ(Upload("RET=0\r\n"), ANALYZE_OK);
    EXPECT_EQ(Upload("RET=21&X=1"), 0x80000015u);
    EXPECT_EQ(Upload("X=1&RET=0"), ANALYZE_FORMAT_ERROR);
    EXPECT_EQ(Upload(" RET=0"), ANALYZE_FORMAT_ERROR);
    EXPECT_EQ(AnalyzeLogUpload("", 0), ANALYZE_FORMAT_ERROR);
    EXPECT_EQ(LogCount(), before) << "this analyser never complains";
}
