#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "net/ResponseAnalyzer.h"

namespace {
// What one analyser made of an answer: "result|complaint|fields": the version
// and URL read, or the permission flag ('P' leaves it false before, 'p' true).
std::string Read(char analyser, const std::string& s) {
    std::string said, url, fields;
    bool permitted = analyser == 'p';
    uint32_t r = AnalyzeLogUpload(s.data(), s.size());
    if (analyser == 'A') r = AnalyzeAuthentication(s.data(), s.size(), &said);
    if (analyser == 'L') {
        r = AnalyzeLatestApplication(s.data(), s.size(), url, fields, &said);
        fields += "," + url;
    }
    if (analyser == 'P' || analyser == 'p') {
        r = AnalyzeLogUploadPermission(s.data(), s.size(), permitted, &said);
        fields = permitted ? "1" : "0";
    }
    char hex[12];
    std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(r));
    return hex + ("|" + said + "|" + fields);
}
}  // namespace

TEST(ResponseAnalyzers, ResultsComplaintsAndFields) {
    const struct {
        char analyser;  // Authentication, Latest application, Permission, Upload
        const char *answer, *read;
    } cases[] = {
        // One field: a decimal number of digits only.
        {'A', "RET=12abc", "8000000C||"},
        {'A', "\"RET=7&x\"", "80000007||"},
        // More fields than expected: read as hexadecimal, and complained about.
        {'A', "RET=ff&", "800000FF|サーバレスポンスエラー[SVRERR:255]|"},
        {'A', "NG=1&RET=0", "00000FFF|サーバレスポンスエラー[SVRERR:NG=1&RET=0]|"},
        // Three fields in any order, a later one of a key overwriting; empty is bad.
        {'L', "URL=https://w.example.com/a?b=c=d&RET=0&VER=2",
         "00000000||2,https://w.example.com/a?b=c=d"},
        {'L', "VER=1&VER=2&URL=u", "00000000||2,u"},
        {'L', "RET=4&VER=1&URL=u", "80000004||1,u"},
        {'L', "RET=9&VER=&URL=u", "00000FFF||,u"},
        // Other field counts read the number as decimal, clamped, never 0.
        {'L', "RET=0&VER=1", "80000000|サーバレスポンスエラー[SVRERR:0]|,"},
        {'L', "garbage", "00000FFF|サーバレスポンスエラー[SVRERR:garbage]|,"},
        {'L', "RET=-220880002088", "80000000|サーバレスポンスエラー[SVRERR:-2147483648]|,"},
        // VALID counts when it is exactly "TRUE"; without it the flag is untouched.
        {'P', "RET=0&VALID=TRUE", "00000000||1"},
        {'p', "RET=0&VALID=true", "00000000||0"},
        {'p', "RET=0&X=1", "00000000||1"},
        {'P', "RET=5", "80000005|AnalyzeLogUploadPermission - サーバレスポンスエラー[SVRERR:5]|0"},
        // The upload's answer: only its beginning counts.
        {'U', "RET=21&X=1", "80000015||"},
        {'U', " RET=0", "00000FFF||"},
        {'U', "RET=99999999999", "FFFFFFFF||"},
    };
    for (const auto& c : cases) EXPECT_EQ(Read(c.analyser, c.answer), c.read) << c.answer;
    // No data is a format error; an answer ends at a NUL byte.
    EXPECT_EQ(AnalyzeAuthentication(nullptr, 5), ANALYZE_FORMAT_ERROR);
    EXPECT_EQ(AnalyzeLogUpload("", 0), ANALYZE_FORMAT_ERROR);
    EXPECT_EQ(Read('A', std::string("RET=3\0&X=1", 10)), "80000003||");
}
