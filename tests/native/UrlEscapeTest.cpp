#include <gtest/gtest.h>

#include <string>

#include "common/UrlEscape.h"

TEST(UrlEscape, ShiftJisGoesThroughUtf8) {
    // 日本 in code page 932 (the literal is compiled to it) is E6 97 A5 E6 9C AC in UTF-8.
    // 表 has the trail byte 0x5C; it must not come out as a backslash.
    EXPECT_EQ(UrlEscape("表"), "%E8%A1%A8");
    // Half-width katakana (one byte in 932) is three bytes in UTF-8.
    EXPECT_EQ(UrlEscape("\xB1"), "%EF%BD%B1");
}

TEST(PercentEncode, EveryByteValue) {
    for (int b = 1; b < 256; ++b) {
        std::string in(1, static_cast<char>(b));
        bool keep = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') ||
                    b == '.' || b == '_' || b == '-';
        char expected[4];
        snprintf(expected, sizeof expected, "%%%02X", b);
        EXPECT_EQ(PercentEncode(in), keep ? in : std::string(expected)) << b;
    }
    EXPECT_EQ(PercentEncode(std::string("\0a", 2)), "%00a");
}

TEST(WideToUtf8, AllLengthsAndBadSurrogates) {
    EXPECT_EQ(WideToUtf8(std::wstring(1, wchar_t(0x7F))), "\x7F");
    EXPECT_EQ(WideToUtf8(std::wstring(1, wchar_t(0x80))), "\xC2\x80");
    EXPECT_EQ(WideToUtf8(std::wstring(1, wchar_t(0x800))), "\xE0\xA0\x80");
    // A surrogate pair is one four-byte character.
    EXPECT_EQ(WideToUtf8(std::wstring{wchar_t(0xD83C), wchar_t(0xDFB5)}), "\xF0\x9F\x8E\xB5");
    // Unpaired halves become U+FFFD.
    EXPECT_EQ(WideToUtf8(std::wstring(1, wchar_t(0xDC00)) + L"x"), "\xEF\xBF\xBDx");
    EXPECT_EQ(WideToUtf8(std::wstring(1, wchar_t(0xD800)) + L"x"), "\xEF\xBF\xBDx");
}
