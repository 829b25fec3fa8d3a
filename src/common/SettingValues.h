#pragma once
// The values of the settings file apart from the profile calls that carry
// them: number and date texts, range checks, and the bytes of the music
// settings file. CWickerdaleConfig (WickerdaleConfig.h) does the I/O.
#include <cstdint>
#include <string>

// ---- numbers --------------------------------------------------------------

// A number as the runtime's "%d" scan reads it: leading blanks, an optional
// sign, at least one digit, anything after the digits ignored. A number
// beyond the 32-bit range reads as the nearest bound.
bool ParseSettingInt(const char* text, int32_t& value);
std::string FormatSettingInt(int32_t value);

struct SettingRange {
    uint32_t low;
    uint32_t high;
};
enum class SettingCheck { kOk, kBadFormat, kOutOfRange };

// Parses text and checks it against an inclusive range. The bounds are
// compared as unsigned numbers, so a negative value is out of range. value
// receives the number whenever one was parsed.
SettingCheck CheckRangedSetting(const char* text, SettingRange range, int32_t& value);

// A profile integer of the map transfer tuning: 0 and anything above max
// (negative numbers included) give the fallback.
int32_t RetrySettingValue(int32_t value, uint32_t max, int32_t fallback);

// The keys whose text is range-checked, with their reset values.
struct RangedSettingKey {
    const char* name;
    int32_t reset;
    SettingRange range;
};
namespace settingkeys {
constexpr RangedSettingKey kChargeType{"ChargeType", 2, {0, 2}};
constexpr RangedSettingKey kAutoChargeType{"AutoChargeType", 0, {0, 1}};
constexpr RangedSettingKey kRandomPercent{"RandomPercent", 50, {0, 100}};
constexpr RangedSettingKey kChargeInterval{"ChargeInterval", 7, {0, 100}};
constexpr RangedSettingKey kChargeLimit{"ChargeLimit", 1, {0, 2}};
constexpr RangedSettingKey kLimitSize{"LimitSize", 500, {100, 3000}};
constexpr RangedSettingKey kLimitFileCount{"LimitFileCount", 100, {20, 5000}};
constexpr int32_t kRetryIntervalDefault = 5;
constexpr uint32_t kRetryIntervalMax = 300;
constexpr int32_t kRetryMaxDefault = 6;
constexpr uint32_t kRetryMaxMax = 20;
}  // namespace settingkeys

// ---- dates ----------------------------------------------------------------

// The calendar fields of a Windows SYSTEMTIME; all zero means "never".
struct SettingDate {
    uint16_t year = 0;
    uint16_t month = 0;
    uint16_t dayOfWeek = 0;
    uint16_t day = 0;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint16_t milliseconds = 0;
};

// "%04d%02d%02d%02d%02d%02d" read back as the runtime's scan does; true only
// when all six fields were read (day-of-week and milliseconds become 0).
// On false the date is left as it was.
bool ParseSettingDate(const char* text, SettingDate& date);
// Year, month, day, hour, minute, second: 14 digits for a real date.
std::string FormatSettingDate(const SettingDate& date);

// ---- the music settings file ----------------------------------------------

constexpr const wchar_t* kMusicFolderKeyW = L"MusicFolderW=";
constexpr const wchar_t* kManualRecentFolderKeyW = L"ManualRecentFolderW=";
constexpr const wchar_t* kMusicValueEndW = L"||";

// The whole file as the runtime's Unicode text mode writes it: the UTF-16LE
// byte-order mark, then the text in UTF-16LE with "\n" written as "\r\n".
std::string EncodeMusicFile(const std::wstring& musicFolder,
                            const std::wstring& manualRecentFolder);
// The text of such a file: a leading mark is dropped, "\r\n" reads as "\n",
// an odd last byte is ignored.
std::wstring DecodeMusicFile(const std::string& bytes);
// The characters between the first key and the first "||" after it; empty
// when either is missing.
std::wstring FindMusicValue(const std::wstring& content, const wchar_t* key);
