#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "common/SettingValues.h"

using namespace settingkeys;

namespace {
std::string Check(const char* text, const RangedSettingKey& key) {
    int32_t v = -12345;
    switch (CheckRangedSetting(text, key.range, v)) {
        case SettingCheck::kOk:
            return "ok " + std::to_string(v);
        case SettingCheck::kBadFormat:
            return "format";
        case SettingCheck::kOutOfRange:
            return "range " + std::to_string(v);
    }
    return "?";
}
std::string Fields(const SettingDate& d) {
    char buf[80];
    snprintf(buf, sizeof buf, "%d-%d-%d %d:%d:%d w%d ms%d", d.year, d.month, d.day, d.hour,
             d.minute, d.second, d.dayOfWeek, d.milliseconds);
    return buf;
}
}  // namespace

TEST(SettingInt, ReadsLikeTheRuntimeScan) {
    // Leading blanks and a sign, then digits; beyond 32 bits the nearest bound.
    const struct {
        const char* text;
        int32_t value;
    } good[] = {
        {"  -7xyz", -7}, {"\t+12 34", 12}, {"2147483648", INT_MAX}, {"-99999999999999", INT_MIN}};
    for (const auto& c : good) {
        int32_t v = 0;
        EXPECT_TRUE(ParseSettingInt(c.text, v)) << c.text;
        EXPECT_EQ(v, c.value) << c.text;
    }
    int32_t v = 99;
    for (const char* bad : {"x1", "+-1", "   ", static_cast<const char*>(nullptr)})
        EXPECT_FALSE(ParseSettingInt(bad, v)) << (bad ? bad : "null");
    EXPECT_EQ(v, 99);  // untouched by every failure
}

TEST(SettingInt, RangesAreInclusiveAndUnsigned) {
    // The scan rules and the unsigned comparison.
    EXPECT_EQ(Check("-1", kChargeType), "range -1");  // negative is huge unsigned
    EXPECT_EQ(Check("x", kChargeType), "format");
    // Both bounds belong to the range (one key stands for all: one comparison).
    EXPECT_EQ(Check("99", kLimitSize), "range 99");
    EXPECT_EQ(Check("100", kLimitSize), "ok 100");
    EXPECT_EQ(Check("3000", kLimitSize), "ok 3000");
    EXPECT_EQ(Check("3001", kLimitSize), "range 3001");
}

TEST(SettingDate, FourteenDigitsBothWays) {
    SettingDate d;
    ASSERT_TRUE(ParseSettingDate("20240229235958", d));
    EXPECT_EQ(Fields(d), "2024-2-29 23:59:58 w0 ms0");
    EXPECT_EQ(FormatSettingDate(d), "20240229235958");
    // Day of week 6 and 999 ms: neither is written.
    const SettingDate early = {7, 1, 6, 2, 3, 4, 5, 999};
    EXPECT_EQ(FormatSettingDate(early), "00070102030405");
    ASSERT_TRUE(ParseSettingDate("00070102030405", d));
    EXPECT_EQ(Fields(d), "7-1-2 3:4:5 w0 ms0");
}

TEST(SettingDate, FewerThanSixFieldsFailAndKeepTheDate) {
    SettingDate d;
    d.year = 1999;
    EXPECT_FALSE(ParseSettingDate("2024010203", d));  // ten digits: four fields
    EXPECT_FALSE(ParseSettingDate("abcd0102030405", d));
    EXPECT_EQ(d.year, 1999);
}

TEST(MusicFile, CharactersOutsideShiftJisAndLineBreaksRoundTrip) {
    // é has no code page 932 form; 中; a character outside the BMP; Ж.
    std::wstring folder = std::wstring(L"C:\\Music\\") + wchar_t(0x00E9) + wchar_t(0x4E2D);
    if (sizeof(wchar_t) == 2) {
        folder += wchar_t(0xD83C);
        folder += wchar_t(0xDFB5);
    } else {
        folder += static_cast<wchar_t>(0x1F3B5);
    }
    folder += L"\n";
    const std::wstring manual = std::wstring(L"D:\\") + wchar_t(0x0416);
    std::string bytes = EncodeMusicFile(folder, manual);
    // é is E9 00, 中 is 2D 4E, the outside one two units; the line break is CR LF.
    EXPECT_NE(bytes.find(std::string("\\\0\xE9\0\x2D\x4E\x3C\xD8\xB5\xDF\r\0\n\0|\0|\0", 18)),
              std::string::npos);
    std::wstring text = DecodeMusicFile(bytes);
    EXPECT_EQ(FindMusicValue(text, kMusicFolderKeyW), folder);
    EXPECT_EQ(FindMusicValue(text, kManualRecentFolderKeyW), manual);
}

TEST(MusicFile, DecodingToleratesOddInput) {
    // No mark: read as UTF-16LE from the first byte.
    EXPECT_EQ(DecodeMusicFile(std::string("A\0B\0", 4)), L"AB");
    // An odd last byte is dropped; a lone CR stays.
    EXPECT_EQ(DecodeMusicFile(std::string("\xFF\xFE"
                                          "A\0\r\0B\0C",
                                          9)),
              L"A\rB");
}

TEST(MusicFile, ValueNeedsKeyAndSeparator) {
    EXPECT_EQ(FindMusicValue(L"MusicFolderW=C:\\a||", kMusicFolderKeyW), L"C:\\a");
    // No "||" after the key: nothing.
    EXPECT_EQ(FindMusicValue(L"MusicFolderW=C:\\a", kMusicFolderKeyW), L"");
    // A "||" before the key does not count.
    EXPECT_EQ(FindMusicValue(L"||MusicFolderW=C:\\a", kMusicFolderKeyW), L"");
    // The first occurrence of the key wins; an empty value is empty.
    EXPECT_EQ(FindMusicValue(L"MusicFolderW=||MusicFolderW=b||", kMusicFolderKeyW), L"");
}

TEST(SettingInt, RetryValuesOutsideOneToTheirMostTakeTheDefault) {
    // A negative value read as unsigned is beyond any most, so it falls back too.
    const struct {
        int32_t read;
        uint32_t most;
        int32_t fallback, taken;
    } rows[] = {{0, kRetryIntervalMax, kRetryIntervalDefault, kRetryIntervalDefault},
                {1, kRetryIntervalMax, kRetryIntervalDefault, 1},
                {300, kRetryIntervalMax, kRetryIntervalDefault, 300},
                {301, kRetryIntervalMax, kRetryIntervalDefault, kRetryIntervalDefault},
                {-1, kRetryIntervalMax, kRetryIntervalDefault, kRetryIntervalDefault},
                {20, kRetryMaxMax, kRetryMaxDefault, 20},
                {21, kRetryMaxMax, kRetryMaxDefault, kRetryMaxDefault}};
    for (const auto& r : rows)
        EXPECT_EQ(RetrySettingValue(r.read, r.most, r.fallback), r.taken)
            << r.read << " of " << r.most;
}
