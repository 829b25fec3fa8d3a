#include "common/Version.h"

#include <algorithm>
#include <cstddef>

namespace {

constexpr int kParts = 4;
constexpr size_t kMaxDigits = 20;

// The runtime's atoi answers the largest value for a number beyond range;
// the parts hold digits only, so there is no negative side to care about.
int32_t PartValue(const std::string& digits) {
    int64_t value = 0;
    for (char c : digits) {
        value = value * 10 + (c - '0');
        if (value > INT32_MAX) return INT32_MAX;
    }
    return static_cast<int32_t>(value);
}

}  // namespace

VersionNumber ParseVersion(const char* text) {
    VersionNumber result;
    if (!text) return result;
    std::string parts[kParts];
    int part = 0;
    int separators = 0;
    for (const char* p = text; *p; ++p) {
        char c = *p;
        if (c >= '0' && c <= '9') {
            parts[part] += c;
            if (parts[part].size() >= kMaxDigits) break;
        } else if (c == ',' || c == '.') {
            ++separators;
            // A fifth part is never started; the separator still counts, so
            // "1.2.3.4.5" is not a version.
            if (++part >= kParts) break;
        }
    }
    if (separators != kParts - 1) return result;
    result.major = PartValue(parts[0]);
    result.minor = PartValue(parts[1]);
    result.build = PartValue(parts[2]);
    result.revision = PartValue(parts[3]);
    return result;
}

bool IsNewerVersion(const VersionNumber& a, const VersionNumber& b) {
    if (a.major != b.major) return a.major > b.major;
    if (a.minor != b.minor) return a.minor > b.minor;
    if (a.build != b.build) return a.build > b.build;
    return a.revision > b.revision;
}

std::string FormatProductVersionLabel(const std::string& productVersion) {
    // ',' and '.' are never the trail byte of a double-byte character, so a
    // plain byte walk is safe here.
    std::string text = productVersion;
    if (std::count(text.begin(), text.end(), ',') == 3)
        text.erase(text.rfind(','));
    else if (std::count(text.begin(), text.end(), '.') == 3)
        text.erase(text.rfind('.'));
    std::replace(text.begin(), text.end(), ',', '.');
    return "Ver." + text;
}
