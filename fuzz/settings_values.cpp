// The settings value parsers, the music file codec and the version parser
// on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/SettingValues.h"
#include "common/Version.h"

namespace {
void Require(bool condition) {
    if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string text = bytes.substr(0, bytes.find('\0'));  // what a profile read can give

    int32_t value = 0;
    if (ParseSettingInt(text.c_str(), value)) {
        // What was read formats back to a text that reads the same.
        int32_t again = 0;
        Require(ParseSettingInt(FormatSettingInt(value).c_str(), again) && again == value);
    }
    int32_t ranged = 7;
    SettingCheck check = CheckRangedSetting(text.c_str(), settingkeys::kLimitSize.range, ranged);
    if (check == SettingCheck::kOk) Require(ranged >= 100 && ranged <= 3000);
    if (check == SettingCheck::kBadFormat) Require(ranged == 7);

    SettingDate date;
    if (ParseSettingDate(text.c_str(), date)) {
        Require(date.dayOfWeek == 0 && date.milliseconds == 0);
        if (date.year <= 9999 && date.month <= 99 && date.day <= 99 && date.hour <= 99 &&
            date.minute <= 99 && date.second <= 99) {
            std::string formatted = FormatSettingDate(date);
            Require(formatted.size() == 14);
            SettingDate back;
            Require(ParseSettingDate(formatted.c_str(), back));
            Require(FormatSettingDate(back) == formatted);
        }
    }

    std::wstring content = DecodeMusicFile(bytes);
    std::wstring folder = FindMusicValue(content, kMusicFolderKeyW);
    std::wstring manual = FindMusicValue(content, kManualRecentFolderKeyW);
    Require(folder.find(L"||") == std::wstring::npos);
    // A value without "||" in it survives a write and a read.
    if (manual.find(L'|') == std::wstring::npos && folder.find(L'|') == std::wstring::npos &&
        folder.find(L'\r') == std::wstring::npos && manual.find(L'\r') == std::wstring::npos) {
        std::wstring back = DecodeMusicFile(EncodeMusicFile(folder, manual));
        Require(FindMusicValue(back, kMusicFolderKeyW) == folder);
    }

    VersionNumber v = ParseVersion(text.c_str());
    Require(v.major >= 0 && v.minor >= 0 && v.build >= 0 && v.revision >= 0);
    Require(!IsNewerVersion(v, v));
    FormatProductVersionLabel(text);
    return 0;
}
