#include "common/SettingValues.h"

#include <cstdio>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// One "%Nd" field of a scan (width 0: unlimited). Blanks before the field do
// not count towards the width; the sign does.
bool ScanInt(const char*& p, size_t width, int32_t& value) {
    while (IsBlank(*p)) ++p;
    const char* q = p;
    size_t used = 0;
    bool negative = false;
    if ((*q == '+' || *q == '-') && (width == 0 || used < width)) {
        negative = *q == '-';
        ++q;
        ++used;
    }
    int64_t magnitude = 0;
    size_t digits = 0;
    while (*q >= '0' && *q <= '9' && (width == 0 || used < width)) {
        if (magnitude <= INT64_C(0xFFFFFFFF)) magnitude = magnitude * 10 + (*q - '0');
        ++q;
        ++used;
        ++digits;
    }
    if (digits == 0) return false;
    int64_t v = negative ? -magnitude : magnitude;
    if (v > INT32_MAX) v = INT32_MAX;
    if (v < INT32_MIN) v = INT32_MIN;
    value = static_cast<int32_t>(v);
    p = q;
    return true;
}

// UTF-16 code units of one character of a wide text (wchar_t is 16 bits on
// Windows, 32 elsewhere).
void AppendUtf16Le(std::string& out, uint32_t unit) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>((unit >> 8) & 0xFF);
}

}  // namespace

bool ParseSettingInt(const char* text, int32_t& value) {
    if (!text) return false;
    const char* p = text;
    return ScanInt(p, 0, value);
}

std::string FormatSettingInt(int32_t value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d", static_cast<int>(value));
    return buf;
}

SettingCheck CheckRangedSetting(const char* text, SettingRange range, int32_t& value) {
    int32_t v = 0;
    if (!ParseSettingInt(text, v)) return SettingCheck::kBadFormat;
    value = v;
    uint32_t u = static_cast<uint32_t>(v);
    return u >= range.low && u <= range.high ? SettingCheck::kOk : SettingCheck::kOutOfRange;
}

int32_t RetrySettingValue(int32_t value, uint32_t max, int32_t fallback) {
    uint32_t u = static_cast<uint32_t>(value);
    return u == 0 || u > max ? fallback : value;
}

bool ParseSettingDate(const char* text, SettingDate& date) {
    if (!text) return false;
    static const size_t kWidths[6] = {4, 2, 2, 2, 2, 2};
    int32_t f[6] = {};
    const char* p = text;
    for (int i = 0; i < 6; ++i)
        if (!ScanInt(p, kWidths[i], f[i])) return false;
    SettingDate d;
    d.year = static_cast<uint16_t>(f[0]);
    d.month = static_cast<uint16_t>(f[1]);
    d.day = static_cast<uint16_t>(f[2]);
    d.hour = static_cast<uint16_t>(f[3]);
    d.minute = static_cast<uint16_t>(f[4]);
    d.second = static_cast<uint16_t>(f[5]);
    date = d;
    return true;
}

std::string FormatSettingDate(const SettingDate& d) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02d", d.year, d.month, d.day, d.hour,
                  d.minute, d.second);
    return buf;
}

std::string EncodeMusicFile(const std::wstring& musicFolder,
                            const std::wstring& manualRecentFolder) {
    std::wstring text = std::wstring(kMusicFolderKeyW) + musicFolder + kMusicValueEndW +
                        kManualRecentFolderKeyW + manualRecentFolder + kMusicValueEndW;
    std::string out("\xFF\xFE", 2);
    out.reserve(2 + text.size() * 2);
    for (wchar_t ch : text) {
        uint32_t c = static_cast<uint32_t>(ch);
        if (sizeof(wchar_t) == 2) c &= 0xFFFF;
        if (c == L'\n') AppendUtf16Le(out, L'\r');
        if (c >= 0x10000 && c <= 0x10FFFF) {
            c -= 0x10000;
            AppendUtf16Le(out, 0xD800 + (c >> 10));
            AppendUtf16Le(out, 0xDC00 + (c & 0x3FF));
        } else if (c > 0x10FFFF) {
            AppendUtf16Le(out, 0xFFFD);
        } else {
            AppendUtf16Le(out, c);
        }
    }
    return out;
}

std::wstring DecodeMusicFile(const std::string& bytes) {
    size_t pos = 0;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE)
        pos = 2;
    std::wstring out;
    out.reserve((bytes.size() - pos) / 2);
    auto unitAt = [&bytes](size_t i) -> uint32_t {
        return static_cast<unsigned char>(bytes[i]) |
               (static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8);
    };
    for (; pos + 1 < bytes.size(); pos += 2) {
        uint32_t u = unitAt(pos);
        if (u == '\r' && pos + 3 < bytes.size() && unitAt(pos + 2) == '\n') continue;
        if (sizeof(wchar_t) == 4 && u >= 0xD800 && u <= 0xDBFF && pos + 3 < bytes.size()) {
            uint32_t low = unitAt(pos + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                out += static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                pos += 2;
                continue;
            }
        }
        out += static_cast<wchar_t>(u);
    }
    return out;
}

std::wstring FindMusicValue(const std::wstring& content, const wchar_t* key) {
    if (!key || !*key) return std::wstring();
    size_t start = content.find(key);
    if (start == std::wstring::npos) return std::wstring();
    start += std::wstring(key).size();
    size_t end = content.find(kMusicValueEndW, start);
    if (end == std::wstring::npos) return std::wstring();
    return content.substr(start, end - start);
}
