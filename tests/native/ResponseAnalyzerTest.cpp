#include <gtest/gtest.h>

#include <string>

#include "common/KilnLog.h"
#include "common/LogCapture.h"
#include "net/ResponseAnalyzer.h"

using qm::test::CapturedLogs;

namespace {
uint32_t Auth(const std::string& s) { return AnalyzeAuthentication(s.data(), s.size()); }
uint32_t Latest(const std::string& s, std::string& url, std::string& ver) {
    return AnalyzeLatestApplication(s.data(), s.size(), url, ver);
}
uint32_t Permission(const std::string& s, bool& permitted) {
    return AnalyzeLogUploadPermission(s.data(), s.size(), permitted);
}
uint32_t Upload(const std::string& s) { return AnalyzeLogUpload(s.data(), s.size()); }

size_t LogCount() { return CapturedLogs().size(); }
const qm::test::CapturedRecord& LastLog() { return CapturedLogs().back(); }
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
    EXPECT_EQ(LogCount(), before) << "well-formed answers log nothing";
}

TEST(AnalyzeAuthentication, SeveralFieldsReadTheNumberAsHexadecimal) {
    size_t before = LogCount();
    EXPECT_EQ(Auth("RET=12&X=1"), 0x80000012u);
    ASSERT_EQ(LogCount(), before + 1);
    EXPECT_EQ(LastLog().kind, LOG_ERROR);
    EXPECT_EQ(LastLog().text, "サーバレスポンスエラー[SVRERR:18]");
    EXPECT_EQ(Auth("RET=ff&"), 0x800000FFu);
    EXPECT_EQ(Auth("NG=1&RET=0"), ANALYZE_FORMAT_ERROR);
    EXPECT_EQ(LastLog().text, "サーバレスポンスエラー[SVRERR:NG=1&RET=0]");
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
    std::string url, ver;
    EXPECT_EQ(Latest("RET=0&VER=1.2.3&URL=u", url, ver), ANALYZE_OK);
    EXPECT_EQ(ver, "1.2.3");
    EXPECT_EQ(url, "u");
    url.clear();
    ver.clear();
    EXPECT_EQ(Latest("VER=1&URL=u&X=0", url, ver), ANALYZE_OK);
    EXPECT_EQ(ver, "1");
    url.clear();
    ver.clear();
    EXPECT_EQ(Latest("URL=https://w.example.com/a?b=c=d&RET=0&VER=2", url, ver), ANALYZE_OK);
    EXPECT_EQ(url, "https://w.example.com/a?b=c=d") << "value is after the first '='";
    url.clear();
    ver.clear();
    EXPECT_EQ(Latest("RET=4&VER=1&URL=u", url, ver), 0x80000004u);
    url.clear();
    ver.clear();
    // A later field of the same key overwrites the earlier one.
    EXPECT_EQ(Latest("VER=1&VER=2&URL=u", url, ver), ANALYZE_OK);
    EXPECT_EQ(ver, "2");
}

TEST(AnalyzeLatestApplication, EmptyVersionOrUrlIsAFormatError) {
    std::string url, ver;
    EXPECT_EQ(Latest("RET=0&VER=&URL=u", url, ver), ANALYZE_FORMAT_ERROR);
    url.clear();
    ver.clear();
    EXPECT_EQ(Latest("RET=0&VER=1&URL=", url, ver), ANALYZE_FORMAT_ERROR);
    url.clear();
    ver.clear();
    // A service error with no version is still a format error: the check comes first.
    EXPECT_EQ(Latest("RET=9&X=1&Y=2", url, ver), ANALYZE_FORMAT_ERROR);
}

TEST(AnalyzeLatestApplication, OtherFieldCountsReadRetAsDecimal) {
    std::string url, ver;
    size_t before = LogCount();
    EXPECT_EQ(Latest("RET=0&VER=1", url, ver), 0x80000000u);
    ASSERT_EQ(LogCount(), before + 1);
    EXPECT_EQ(LastLog().text, "サーバレスポンスエラー[SVRERR:0]");
    EXPECT_EQ(Latest("RET=12&a&b&c", url, ver), 0x8000000Cu);  // decimal, not hex
    EXPECT_EQ(Latest("garbage", url, ver), ANALYZE_FORMAT_ERROR);
    EXPECT_EQ(LastLog().text, "サーバレスポンスエラー[SVRERR:garbage]");
    EXPECT_TRUE(url.empty());
    EXPECT_TRUE(ver.empty());
}

TEST(AnalyzeLogUploadPermission, ValidMustBeExactlyTrue) {
    bool permitted = false;
    EXPECT_EQ(Permission("RET=0&VALID=TRUE", permitted), ANALYZE_OK);
    EXPECT_TRUE(permitted);
    permitted = true;
    EXPECT_EQ(Permission("RET=0&VALID=true", permitted), ANALYZE_OK);
    EXPECT_FALSE(permitted);
    permitted = true;
    EXPECT_EQ(Permission("RET=0&VALID=FALSE", permitted), ANALYZE_OK);
    EXPECT_FALSE(permitted);
    permitted = false;
    EXPECT_EQ(Permission("VALID=TRUE&RET=3", permitted), 0x80000003u);
    EXPECT_TRUE(permitted);
}

TEST(AnalyzeLogUploadPermission, FlagUntouchedWithoutValid) {
    bool permitted = true;
    EXPECT_EQ(Permission("RET=0&X=1", permitted), ANALYZE_OK);
    EXPECT_TRUE(permitted);
    size_t before = LogCount();
    EXPECT_EQ(Permission("RET=5", permitted), 0x80000005u);
    ASSERT_EQ(LogCount(), before + 1);
    EXPECT_EQ(LastLog().text, "AnalyzeLogUploadPermission - サーバレスポンスエラー[SVRERR:5]");
    EXPECT_EQ(Permission("VALID=TRUE", permitted), ANALYZE_FORMAT_ERROR);
    EXPECT_EQ(LastLog().text,
              "AnalyzeLogUploadPermission - サーバレスポンスエラー[SVRERR:VALID=TRUE]");
    // Quoted as a whole, the field keeps its ampersand and loses its quotes.
    permitted = false;
    EXPECT_EQ(Permission("\"VALID=TRUE\"&\"RET=0&x\"", permitted), ANALYZE_OK);
    EXPECT_TRUE(permitted);
}

TEST(AnalyzeLogUpload, OnlyTheBeginningCounts) {
    size_t before = LogCount();
    EXPECT_EQ(Upload("RET=0\r\n"), ANALYZE_OK);
    EXPECT_EQ(Upload("RET=21&X=1"), 0x80000015u);
    EXPECT_EQ(Upload("X=1&RET=0"), ANALYZE_FORMAT_ERROR);
    EXPECT_EQ(Upload(" RET=0"), ANALYZE_FORMAT_ERROR);
    EXPECT_EQ(AnalyzeLogUpload("", 0), ANALYZE_FORMAT_ERROR);
    EXPECT_EQ(LogCount(), before) << "this analyser logs nothing";
}
