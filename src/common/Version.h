#pragma once
// Four-part version numbers as the version resources and the service write
// them ("1.0.0.1" or "1,0,0,1"), and the label the version window shows.
#include <cstdint>
#include <string>

struct VersionNumber {
    int32_t major = 0;
    int32_t minor = 0;
    int32_t build = 0;
    int32_t revision = 0;
};

// Digits collect into the current part, ',' or '.' starts the next one and
// anything else is skipped. Exactly three separators give a version; any
// other text gives all zero. A part that reaches 20 digits ends the walk;
// a part beyond the 32-bit range reads as the largest value.
VersionNumber ParseVersion(const char* text);

// True when a is greater than b, part by part from major to revision.
bool IsNewerVersion(const VersionNumber& a, const VersionNumber& b);

// "Ver." and the product version without its last part: "1, 0, 0, 1"
// gives "Ver.1. 0. 0", "1.0.0.1" gives "Ver.1.0.0".
std::string FormatProductVersionLabel(const std::string& productVersion);
