#include <gtest/gtest.h>

#include <string>

#include "net/ResponseAnalyzer.h"

namespace {
// What one analyser made of an answer: its result, the complaint it hands the
// shell to log ("" for none) and the fields it read.
struct Reading {
    uint32_t result = 0;
    std::string said, url, ver;
    bool permitted = false;
};
Reading Read(char analyser, const std::string& s, bool permitted) {
    Reading r;
    r.permitted = permitted;
    if (analyser == 'A') r.result = AnalyzeAuthentication(s.data(), s.size(), &r.said);
    if (analyser == 'L')
        r.result = AnalyzeLatestApplication(s.data(), s.size(), r.url, r.ver, &r.said);
    if (analyser == 'P')
        r.result = AnalyzeLogUploadPermission(s.data(), s.size(), r.permitted, &r.said);
    if (analyser == 'U') r.result = AnalyzeLogUpload(s.data(), s.size());
    return r;
}
}  // namespace

TEST(ResponseAnalyzers, ResultsComplaintsAndFields) {
    const struct {
        char analyser;  // Authentication, Latest application, Permission, Upload
        const char* answer;
        uint32_t result;
        const char* said;  // checked when given
        // Latest application: the version and URL read; permission: the flag
        // as the caller left it and as the analyser leaves it ("1"/"0").
        const char *first, *second;
    } cases[] = {
        // One field: a decimal number of digits only; without "RET" it is success.
        {'A', "RET=0", ANALYZE_OK, ""},
        {'A', "RET=12abc", 0x8000000Cu, ""},
        {'A', "RET=", ANALYZE_OK, ""},
        {'A', "OK", ANALYZE_OK, ""},
        {'A', "RETURN=5", 0x80000005u, ""},     // the key is recognised by its beginning
        {'A', "RET5", ANALYZE_OK, ""},          // no '=': the whole field is the value
        {'A', "\"RET=7&x\"", 0x80000007u, ""},  // quoted whole: one field
        {'A', "RET=-1", 0xFFFFFFFFu, ""},
        // More fields than expected: read as hexadecimal, and complained about.
        {'A', "RET=12&X=1", 0x80000012u, "サーバレスポンスエラー[SVRERR:18]"},
        {'A', "RET=ff&", 0x800000FFu, "サーバレスポンスエラー[SVRERR:255]"},
        {'A', "NG=1&RET=0", ANALYZE_FORMAT_ERROR, "サーバレスポンスエラー[SVRERR:NG=1&RET=0]"},
        // Three fields in any order; the value is what follows the first '=',
        // and a later field of a key overwrites the earlier one.
        {'L', "RET=0&VER=1.2.3&URL=u", ANALYZE_OK, "", "1.2.3", "u"},
        {'L', "VER=1&URL=u&X=0", ANALYZE_OK, "", "1", "u"},
        {'L', "URL=https://w.example.com/a?b=c=d&RET=0&VER=2", ANALYZE_OK, "", "2",
         "https://w.example.com/a?b=c=d"},
        {'L', "VER=1&VER=2&URL=u", ANALYZE_OK, "", "2", "u"},
        {'L', "RET=4&VER=1&URL=u", 0x80000004u, ""},
        // An empty version or URL is a format error, even beside a service error.
        {'L', "RET=0&VER=&URL=u", ANALYZE_FORMAT_ERROR, ""},
        {'L', "RET=0&VER=1&URL=", ANALYZE_FORMAT_ERROR, ""},
        {'L', "RET=9&X=1&Y=2", ANALYZE_FORMAT_ERROR, ""},
        // Other field counts read the number as decimal; nothing else is read.
        {'L', "RET=0&VER=1", 0x80000000u, "サーバレスポンスエラー[SVRERR:0]"},
        {'L', "RET=12&a&b&c", 0x8000000Cu, "サーバレスポンスエラー[SVRERR:12]"},
        {'L', "garbage", ANALYZE_FORMAT_ERROR, "サーバレスポンスエラー[SVRERR:garbage]", "", ""},
        {'L', "RET=-2147483648", 0x80000000u, nullptr},
        {'L', "RET=-220880002088", 0x80000000u, nullptr},  // clamped, never 0
        // VALID counts when it is exactly "TRUE"; without it the flag is untouched.
        {'P', "RET=0&VALID=TRUE", ANALYZE_OK, "", "0", "1"},
        {'P', "RET=0&VALID=true", ANALYZE_OK, "", "1", "0"},
        {'P', "RET=0&VALID=FALSE", ANALYZE_OK, "", "1", "0"},
        {'P', "VALID=TRUE&RET=3", 0x80000003u, "", "0", "1"},
        {'P', "RET=0&X=1", ANALYZE_OK, "", "1", "1"},
        // Quoted as a whole, a field keeps its ampersand and loses its quotes.
        {'P', "\"VALID=TRUE\"&\"RET=0&x\"", ANALYZE_OK, "", "0", "1"},
        {'P', "RET=5", 0x80000005u,
         "AnalyzeLogUploadPermission - サーバレスポンスエラー[SVRERR:5]"},
        {'P', "VALID=TRUE", ANALYZE_FORMAT_ERROR,
         "AnalyzeLogUploadPermission - サーバレスポンスエラー[SVRERR:VALID=TRUE]"},
        // The upload's answer: only its beginning counts.
        {'U', "RET=0\r\n", ANALYZE_OK, nullptr},
        {'U', "RET=21&X=1", 0x80000015u, nullptr},
        {'U', "X=1&RET=0", ANALYZE_FORMAT_ERROR, nullptr},
        {'U', " RET=0", ANALYZE_FORMAT_ERROR, nullptr},
        {'U', "RET=99999999999", 0xFFFFFFFFu, nullptr},
        {'U', "RET=-0", ANALYZE_OK, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(1, c.analyser) + " " + c.answer);
        const bool before = c.first && std::string(c.first) == "1";
        const Reading r = Read(c.analyser, c.answer, before);
        EXPECT_EQ(r.result, c.result);
        if (c.said) {
            EXPECT_EQ(r.said, c.said);
        }
        if (c.analyser == 'L' && c.first) {
            EXPECT_EQ(r.ver + "|" + r.url, std::string(c.first) + "|" + c.second);
        }
        if (c.analyser == 'P' && c.second) {
            EXPECT_EQ(r.permitted, std::string(c.second) == "1");
        }
    }
    // No data is a format error; an answer ends at a NUL byte.
    EXPECT_EQ(AnalyzeAuthentication(nullptr, 5), ANALYZE_FORMAT_ERROR);
    EXPECT_EQ(AnalyzeAuthentication("RET=0", 0), ANALYZE_FORMAT_ERROR);
    EXPECT_EQ(AnalyzeLogUpload("", 0), ANALYZE_FORMAT_ERROR);
    EXPECT_EQ(Read('A', std::string("RET=3\0&X=1", 10), false).result, 0x80000003u);
}
