#include "common/WickerdaleConfig.h"

#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <vector>

#include "common/CodePage.h"
#include "common/Folders.h"
#include "common/KilnLog.h"
#include "common/WholeFile.h"

namespace {

constexpr const char* kIniName = "Quillmarch.ini";
constexpr const char* kMusicFileName = "Quillmarch_Music.Dat";
constexpr const char* kSectionSetting = "Setting";
constexpr const char* kSectionMap = "Map";
constexpr const char* kSectionMusic = "Music";

// A music file beyond this is not ours; reading it is refused as if the
// memory for it could not be had.
constexpr LONGLONG kMusicFileLimit = 16 * 1024 * 1024;

SettingDate ToSettingDate(const SYSTEMTIME& st) {
    SettingDate d;
    d.year = st.wYear;
    d.month = st.wMonth;
    d.dayOfWeek = st.wDayOfWeek;
    d.day = st.wDay;
    d.hour = st.wHour;
    d.minute = st.wMinute;
    d.second = st.wSecond;
    d.milliseconds = st.wMilliseconds;
    return d;
}

SYSTEMTIME ToSystemTime(const SettingDate& d) {
    SYSTEMTIME st = {};
    st.wYear = d.year;
    st.wMonth = d.month;
    st.wDayOfWeek = d.dayOfWeek;
    st.wDay = d.day;
    st.wHour = d.hour;
    st.wMinute = d.minute;
    st.wSecond = d.second;
    st.wMilliseconds = d.milliseconds;
    return st;
}

std::string DateText(const SYSTEMTIME& st) { return FormatSettingDate(ToSettingDate(st)); }

// The user's "My Music" folder in both forms; empty when the shell has none.
std::string MyMusicFolder() {
    char buf[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathA(nullptr, CSIDL_MYMUSIC, nullptr, SHGFP_TYPE_CURRENT, buf)))
        return std::string();
    return buf;
}
std::wstring MyMusicFolderW() {
    wchar_t buf[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_MYMUSIC, nullptr, SHGFP_TYPE_CURRENT, buf)))
        return std::wstring();
    return buf;
}

// std::map orders std::string keys by unsigned byte value, which is the order
// the sections are written in.
using SaveEntries = std::map<std::string, std::string>;

// A list the profile API fills with zero-terminated texts, whole.
template <typename Fill>
std::string ProfileList(Fill fill) {
    for (DWORD size = 4096;; size *= 2) {
        std::string buf(size, '\0');
        const DWORD n = fill(&buf[0], size);
        if (n + 2 < size || size >= (1u << 24)) return buf.substr(0, n);
    }
}

// A profile line as "section\x01key=value": section and key in lower case (the
// profile API matches both so), blanks around the value dropped.
std::string ProfileLine(const std::string& section, const std::string& line) {
    std::string out = section + '\x01';
    const size_t eq = line.find('=');
    for (size_t i = 0; i < std::min(eq, line.size()); ++i)
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(line[i])));
    if (eq == std::string::npos) return out;
    const size_t first = line.find_first_not_of(" \t", eq + 1);
    const size_t last = line.find_last_not_of(" \t");
    return out + '=' + (first == std::string::npos ? "" : line.substr(first, last + 1 - first));
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Every line of every section as the profile API reads them from path.
std::vector<std::string> ProfileLines(const std::string& path) {
    const char* file = path.c_str();
    std::vector<std::string> lines;
    const std::string names = ProfileList([file](char* buf, DWORD size) {
        return ::GetPrivateProfileSectionNamesA(buf, size, file);
    });
    for (size_t at = 0; at < names.size(); at += std::strlen(names.c_str() + at) + 1) {
        const char* name = names.c_str() + at;
        const std::string text = ProfileList([file, name](char* buf, DWORD size) {
            return ::GetPrivateProfileSectionA(name, buf, size, file);
        });
        for (size_t i = 0; i < text.size(); i += std::strlen(text.c_str() + i) + 1)
            lines.push_back(ProfileLine(Lower(name), text.c_str() + i));
    }
    return lines;
}

// lines with the entries of section set, as the profile API sets them: the
// first line of the key takes the value, a missing key is added.
std::vector<std::string> WithEntries(std::vector<std::string> lines, const char* section,
                                     const std::map<std::string, std::string>& entries) {
    for (const auto& e : entries) {
        const std::string line = ProfileLine(Lower(section), e.first + "=" + e.second);
        const std::string key = line.substr(0, line.find('=') + 1);
        auto it = std::find_if(lines.begin(), lines.end(), [&key](const std::string& l) {
            return l.compare(0, key.size(), key) == 0;
        });
        if (it != lines.end())
            *it = line;
        else
            lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

// Drops what the profile API keeps of path in memory, so it reads the disk.
void ForgetProfile(const std::string& path) {
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
}

// Writes keys of one section; per key, 0 or the error that kept it out of the
// file. The profile API rewrites the whole file at every write, and where
// there is no room for it Wine's answers success all the same, with the file
// cut short. So the keys go into a copy beside the file, the copy as read back
// from the disk must hold the old lines with the new values, and only then
// does it replace the file, in one step; otherwise the file stays as it was.
std::vector<DWORD> WriteProfileKeys(const char* section, const SaveEntries& entries,
                                    const std::string& iniPath) {
    std::vector<DWORD> errors(entries.size(), 0);
    const std::string copy = ReplacementPath(iniPath);
    ::SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(copy.c_str());
    ForgetProfile(copy);
    DWORD failure = 0;
    if (::GetFileAttributesA(iniPath.c_str()) != INVALID_FILE_ATTRIBUTES &&
        !::CopyFileA(iniPath.c_str(), copy.c_str(), FALSE))
        failure = ::GetLastError();
    // What the file holds now, read from the disk, to compare the copy with.
    const std::vector<std::string> before =
        failure ? std::vector<std::string>() : ProfileLines(copy);
    bool any = false;
    size_t i = 0;
    for (auto e = entries.begin(); !failure && e != entries.end(); ++e, ++i) {
        if (::WritePrivateProfileStringA(section, e->first.c_str(), e->second.c_str(),
                                         copy.c_str()))
            any = true;
        else
            errors[i] = ::GetLastError();
    }
    if (!failure && any) {
        SaveEntries landed;
        i = 0;
        for (auto e = entries.begin(); e != entries.end(); ++e, ++i)
            if (!errors[i]) landed.insert(*e);
        ForgetProfile(copy);  // read from the disk, not from the API's memory
        std::vector<std::string> written = ProfileLines(copy);
        std::sort(written.begin(), written.end());
        if (written != WithEntries(before, section, landed)) failure = ERROR_WRITE_FAULT;
        ForgetProfile(copy);
        if (!failure) failure = ReplaceWithNewFile(copy, iniPath);
    }
    if (failure || !any) {
        ::SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(copy.c_str());
    }
    if (failure)
        for (DWORD& error : errors)
            if (!error) error = failure;
    return errors;
}

bool WriteEntries(const char* section, const SaveEntries& entries, const std::string& iniPath) {
    const std::vector<DWORD> errors = WriteProfileKeys(section, entries, iniPath);
    size_t i = 0;
    for (auto e = entries.begin(); e != entries.end(); ++e, ++i) {
        if (!errors[i]) continue;
        KILNLOG.Log(LOG_ERROR, "設定ファイルへの保存失敗 (%s=%s) [%08x]", e->first.c_str(),
                    e->second.c_str(), static_cast<unsigned>(errors[i]));
    }
    return std::count(errors.begin(), errors.end(), 0u) == static_cast<ptrdiff_t>(errors.size());
}

}  // namespace

CWickerdaleConfig::CWickerdaleConfig()
    : m_retryInterval(settingkeys::kRetryIntervalDefault),
      m_retryMax(settingkeys::kRetryMaxDefault) {
    std::string folder = GetSettingFolder();
    m_iniPath = folder + kIniName;
    m_musicFilePath = AnsiToWide(folder + kMusicFileName);
    std::memset(m_scratch, 0, sizeof m_scratch);
}

CWickerdaleConfig::~CWickerdaleConfig() = default;

// ============================================================================
// Profile access
// ============================================================================

bool CWickerdaleConfig::ReadText(const char* section, const char* key) {
    DWORD n = ::GetPrivateProfileStringA(section, key, "", m_scratch, sizeof m_scratch,
                                         m_iniPath.c_str());
    return n > 0;
}

int CWickerdaleConfig::ReadInt(const char* section, const char* key, int missing) {
    return static_cast<int>(::GetPrivateProfileIntA(section, key, missing, m_iniPath.c_str()));
}

bool CWickerdaleConfig::WriteText(const char* section, const char* key, const char* value) {
    const std::vector<DWORD> errors = WriteProfileKeys(section, {{key, value}}, m_iniPath);
    if (errors[0]) ::SetLastError(errors[0]);
    return errors[0] == 0;
}

bool CWickerdaleConfig::WriteInt(const char* section, const char* key, int value) {
    return WriteText(section, key, FormatSettingInt(value).c_str());
}

// ============================================================================
// Loaders by kind
// ============================================================================

// A range-checked number: a missing key keeps the reset value and is no
// failure; a bad text or a number out of range keeps it too, but fails.
bool CWickerdaleConfig::LoadRanged(const RangedSettingKey& key, const char* loader, int& member) {
    if (!ReadText(kSectionMusic, key.name)) {
        KILNLOG.Log(LOG_ERROR, "%s - error[%08X]", loader, static_cast<unsigned>(::GetLastError()));
        return true;
    }
    int32_t value = 0;
    switch (CheckRangedSetting(m_scratch, key.range, value)) {
        case SettingCheck::kBadFormat:
            KILNLOG.Log(LOG_ERROR, "%s - Invalid format[%s]", loader, m_scratch);
            return false;
        case SettingCheck::kOutOfRange:
            KILNLOG.Log(LOG_ERROR, "%s - Invalid data[%d]", loader, static_cast<int>(value));
            return false;
        case SettingCheck::kOk:
            break;
    }
    member = value;
    return true;
}

bool CWickerdaleConfig::LoadDate(const char* section, const char* key, const char* loader,
                                 SYSTEMTIME& member) {
    if (!ReadText(section, key)) {
        member = SYSTEMTIME{};
        return true;
    }
    SettingDate date;
    if (!ParseSettingDate(m_scratch, date)) {
        KILNLOG.Log(LOG_ERROR, "%s - Invalid format[%s]", loader, m_scratch);
        return false;
    }
    member = ToSystemTime(date);  // day-of-week and milliseconds read as 0
    return true;
}

bool CWickerdaleConfig::LoadText(const char* section, const char* key, const char* loader,
                                 std::string& member) {
    if (!ReadText(section, key)) {
        KILNLOG.Log(LOG_ERROR, "%s - error[%08X]", loader, static_cast<unsigned>(::GetLastError()));
        return true;
    }
    member = m_scratch;
    return true;
}

// The music file's value when it has one, else the ini's ANSI text widened.
bool CWickerdaleConfig::LoadWide(bool musicFolder, const char* iniKey, const char* loader,
                                 std::wstring& member) {
    if (LoadMusicSetting(musicFolder) && !member.empty()) return true;
    if (!ReadText(kSectionMusic, iniKey)) {
        DWORD err = ::GetLastError();
        member.clear();
        KILNLOG.Log(LOG_ERROR, "%s - error[%08X]", loader, static_cast<unsigned>(err));
        return true;
    }
    member = AnsiToWide(m_scratch);
    return true;
}

// ============================================================================
// "Setting"
// ============================================================================

bool CWickerdaleConfig::ResetSetting(bool save) {
    m_launcherAutoUpdate = 1;
    m_notifiesLater = 0;
    m_finalConfirmationDate = SYSTEMTIME{};
    m_downloadFolderPath = GetDefaultDownloadFolder();
    m_dataAutoDelete = 1;
    m_transmitExe1 = 1;
    m_transmitExe2 = 1;
    m_transmitExe3 = 1;
    m_transmitExe4 = 1;
    return save ? SaveSetting() : true;
}

bool CWickerdaleConfig::LoadSetting() {
    ResetSetting(false);
    bool ok = true;
    ok = LoadLauncherAutoUpdate() && ok;
    ok = LoadAutoUpdateLater() && ok;
    ok = LoadDownloadFolder() && ok;
    ok = LoadDataAutoDelete() && ok;
    ok = LoadTransmitExe1() && ok;
    ok = LoadTransmitExe2() && ok;
    ok = LoadTransmitExe3() && ok;
    ok = LoadTransmitExe4() && ok;
    return ok;
}

bool CWickerdaleConfig::LoadLauncherAutoUpdate() {
    m_launcherAutoUpdate = ReadInt(kSectionSetting, "LauncherAutoUpdate", 1);
    return true;
}

bool CWickerdaleConfig::LoadAutoUpdateLater() {
    m_notifiesLater = ReadInt(kSectionSetting, "NotifiesLater", 1);
    return LoadDate(kSectionSetting, "FinalConfirmationDate",
                    "CWickerdaleConfig::LoadAutoUpdateLater", m_finalConfirmationDate);
}

bool CWickerdaleConfig::LoadDownloadFolder() {
    return LoadText(kSectionSetting, "DownloadFolderPath", "CWickerdaleConfig::LoadDownloadFolder",
                    m_downloadFolderPath);
}

bool CWickerdaleConfig::LoadDataAutoDelete() {
    m_dataAutoDelete = ReadInt(kSectionSetting, "DataAutoDelete", 1);
    return true;
}
bool CWickerdaleConfig::LoadTransmitExe1() {
    m_transmitExe1 = ReadInt(kSectionSetting, "TransmitExe1", 1);
    return true;
}
bool CWickerdaleConfig::LoadTransmitExe2() {
    m_transmitExe2 = ReadInt(kSectionSetting, "TransmitExe2", 1);
    return true;
}
bool CWickerdaleConfig::LoadTransmitExe3() {
    m_transmitExe3 = ReadInt(kSectionSetting, "TransmitExe3", 1);
    return true;
}
bool CWickerdaleConfig::LoadTransmitExe4() {
    m_transmitExe4 = ReadInt(kSectionSetting, "TransmitExe4", 1);
    return true;
}

// ============================================================================
// "Map"
// ============================================================================

bool CWickerdaleConfig::ResetMap(bool save) {
    m_speedOfLine = 0;
    m_mapNotifyMessage = 1;
    m_mapNotifyMessagePassword = 1;
    m_mapNotifyMessageRemind = 1;
    m_mapNotifyMessageLoseReserve = 1;
    m_mapNotifyFinalConfirmationDate = SYSTEMTIME{};
    m_mapNotifiesLater = 0;
    m_lumenTransmit = 1;
    return save ? SaveMap() : true;
}

bool CWickerdaleConfig::LoadMap() {
    ResetMap(false);
    bool ok = true;
    ok = LoadSpeedOfLine() && ok;
    ok = LoadMapNotifyMessage() && ok;
    ok = LoadMapNotifyMessagePassword() && ok;
    ok = LoadMapNotifyMessageRemind() && ok;
    ok = LoadMapNotifyMessageLoseReserve() && ok;
    ok = LoadMapNotifyFinalConfirmationDate() && ok;
    ok = LoadMapNotifiesLater() && ok;
    ok = LoadLumenTransmit() && ok;
    // The transfer tuning falls back to its defaults by itself.
    LoadRetryInterval();
    LoadRetryMax();
    return ok;
}

bool CWickerdaleConfig::LoadSpeedOfLine() {
    m_speedOfLine = ReadInt(kSectionMap, "SpeedOfLine", 0);
    if (!ReadText(kSectionMap, "SpeedOfLine")) {
        KILNLOG.Log(LOG_ERROR, "CWickerdaleConfig::LoadSpeedOfLine - error[%08X]",
                    static_cast<unsigned>(::GetLastError()));
        return true;
    }
    int32_t value = 0;
    if (ParseSettingInt(m_scratch, value))
        m_speedOfLine = value;
    else
        KILNLOG.Log(LOG_ERROR, "CWickerdaleConfig::LoadSpeedOfLine - Invalid format[%s]",
                    m_scratch);
    return true;
}

bool CWickerdaleConfig::LoadMapNotifyMessage() {
    m_mapNotifyMessage = ReadInt(kSectionMap, "MapNotifyMessage", 1);
    return true;
}
bool CWickerdaleConfig::LoadMapNotifyMessagePassword() {
    m_mapNotifyMessagePassword = ReadInt(kSectionMap, "MapNotifyMessagePassword", 1);
    return true;
}
bool CWickerdaleConfig::LoadMapNotifyMessageRemind() {
    m_mapNotifyMessageRemind = ReadInt(kSectionMap, "MapNotifyMessageRemind", 1);
    return true;
}
bool CWickerdaleConfig::LoadMapNotifyMessageLoseReserve() {
    m_mapNotifyMessageLoseReserve = ReadInt(kSectionMap, "MapNotifyMessageLoseReserve", 1);
    return true;
}
bool CWickerdaleConfig::LoadMapNotifyFinalConfirmationDate() {
    return LoadDate(kSectionMap, "MapNotifyFinalConfirmationDate",
                    "CWickerdaleConfig::LoadMapNotifyFinalConfirmationDate",
                    m_mapNotifyFinalConfirmationDate);
}
bool CWickerdaleConfig::LoadMapNotifiesLater() {
    m_mapNotifiesLater = ReadInt(kSectionMap, "MapNotifiesLater", 0);
    return true;
}
bool CWickerdaleConfig::LoadLumenTransmit() {
    m_lumenTransmit = ReadInt(kSectionMap, "LumenTransmit", 1);
    return true;
}
bool CWickerdaleConfig::LoadRetryInterval() {
    m_retryInterval =
        RetrySettingValue(ReadInt(kSectionMap, "RetryInterval", settingkeys::kRetryIntervalDefault),
                          settingkeys::kRetryIntervalMax, settingkeys::kRetryIntervalDefault);
    return true;
}
bool CWickerdaleConfig::LoadRetryMax() {
    m_retryMax = RetrySettingValue(ReadInt(kSectionMap, "RetryMax", settingkeys::kRetryMaxDefault),
                                   settingkeys::kRetryMaxMax, settingkeys::kRetryMaxDefault);
    return true;
}

// ============================================================================
// "Music"
// ============================================================================

bool CWickerdaleConfig::ResetMusic(bool save) {
    m_chargeType = settingkeys::kChargeType.reset;
    m_musicFolder = MyMusicFolder();
    m_autoChargeType = settingkeys::kAutoChargeType.reset;
    m_randomPercent = settingkeys::kRandomPercent.reset;
    m_chargeInterval = settingkeys::kChargeInterval.reset;
    m_lastAutoCharge = SYSTEMTIME{};
    m_chargeLimit = settingkeys::kChargeLimit.reset;
    m_limitSize = settingkeys::kLimitSize.reset;
    m_limitFileCount = settingkeys::kLimitFileCount.reset;
    m_manualRecentFolder.clear();
    m_musicFolderW = m_musicFolder.empty() ? std::wstring() : MyMusicFolderW();
    m_manualRecentFolderW.clear();
    return save ? SaveMusic() : true;
}

bool CWickerdaleConfig::LoadMusic() {
    ResetMusic(false);
    bool ok = true;
    ok = LoadChargeType() && ok;
    ok = LoadMusicFolder() && ok;
    ok = LoadAutoChargeType() && ok;
    ok = LoadRandomPercent() && ok;
    ok = LoadChargeInterval() && ok;
    ok = LoadLastAutoCharge() && ok;
    ok = LoadChargeLimit() && ok;
    ok = LoadLimitSize() && ok;
    ok = LoadLimitFileCount() && ok;
    ok = LoadManualRecentFolder() && ok;
    ok = LoadMusicFolderW() && ok;
    ok = LoadManualRecentFolderW() && ok;
    return ok;
}

bool CWickerdaleConfig::LoadChargeType() {
    return LoadRanged(settingkeys::kChargeType, "CWickerdaleConfig::LoadChargeType", m_chargeType);
}
bool CWickerdaleConfig::LoadMusicFolder() {
    return LoadText(kSectionMusic, "MusicFolder", "CWickerdaleConfig::LoadMusicFolder",
                    m_musicFolder);
}
bool CWickerdaleConfig::LoadAutoChargeType() {
    return LoadRanged(settingkeys::kAutoChargeType, "CWickerdaleConfig::LoadAutoChargeType",
                      m_autoChargeType);
}
bool CWickerdaleConfig::LoadRandomPercent() {
    return LoadRanged(settingkeys::kRandomPercent, "CWickerdaleConfig::LoadRandomPercent",
                      m_randomPercent);
}
bool CWickerdaleConfig::LoadChargeInterval() {
    return LoadRanged(settingkeys::kChargeInterval, "CWickerdaleConfig::LoadChargeInterval",
                      m_chargeInterval);
}
bool CWickerdaleConfig::LoadLastAutoCharge() {
    return LoadDate(kSectionMusic, "LastAutoCharge", "CWickerdaleConfig::LoadLastAutoCharge",
                    m_lastAutoCharge);
}
bool CWickerdaleConfig::LoadChargeLimit() {
    return LoadRanged(settingkeys::kChargeLimit, "CWickerdaleConfig::LoadChargeLimit",
                      m_chargeLimit);
}
bool CWickerdaleConfig::LoadLimitSize() {
    return LoadRanged(settingkeys::kLimitSize, "CWickerdaleConfig::LoadLimitSize", m_limitSize);
}
bool CWickerdaleConfig::LoadLimitFileCount() {
    return LoadRanged(settingkeys::kLimitFileCount, "CWickerdaleConfig::LoadLimitFileCount",
                      m_limitFileCount);
}
bool CWickerdaleConfig::LoadManualRecentFolder() {
    return LoadText(kSectionMusic, "ManualRecentFolder",
                    "CWickerdaleConfig::LoadManualRecentFolder", m_manualRecentFolder);
}
bool CWickerdaleConfig::LoadMusicFolderW() {
    return LoadWide(true, "MusicFolder", "CWickerdaleConfig::LoadMusicFolderW", m_musicFolderW);
}
bool CWickerdaleConfig::LoadManualRecentFolderW() {
    return LoadWide(false, "ManualRecentFolder", "CWickerdaleConfig::LoadManualRecentFolderW",
                    m_manualRecentFolderW);
}

void CWickerdaleConfig::StoreMusicFolder(const std::wstring& folder) {
    m_musicFolderW = folder;
    m_musicFolder = WideToAnsi(folder);
}

void CWickerdaleConfig::StoreManualRecentFolder(const std::wstring& folder) {
    m_manualRecentFolderW = folder;
    m_manualRecentFolder = WideToAnsi(folder);
}

// ============================================================================
// The music file
// ============================================================================

bool CWickerdaleConfig::LoadMusicSetting(bool musicFolder) {
    std::wstring& target = musicFolder ? m_musicFolderW : m_manualRecentFolderW;
    target.clear();
    std::string bytes;
    WholeFileOptions options;
    options.shareWrite = true;
    options.maxSize = kMusicFileLimit;
    const WholeFileResult r = ReadWholeFileW(m_musicFilePath, bytes, options);
    if (r.NotOpened()) {
        KILNLOG.Log(LOG_ERROR, "CWickerdaleConfig::LoadMusicSetting - _wfopen [%08X]",
                    static_cast<unsigned>(r.error));
        return false;
    }
    if (r.status == WholeFileStatus::kTooLarge) {
        KILNLOG.Log(LOG_ERROR, "CWickerdaleConfig::LoadMusicSetting - メモリ確保失敗 [%08X]",
                    static_cast<unsigned>(ERROR_NOT_ENOUGH_MEMORY));
        return true;
    }
    if (!r.Ok()) {
        KILNLOG.Log(LOG_ERROR, "CWickerdaleConfig::LoadMusicSetting - ReadFile( ) [%08X]",
                    static_cast<unsigned>(r.error));
        return true;
    }
    std::wstring content = DecodeMusicFile(bytes);
    target = FindMusicValue(content, musicFolder ? kMusicFolderKeyW : kManualRecentFolderKeyW);
    return true;
}

bool CWickerdaleConfig::SaveMusicSetting() {
    const std::string bytes = EncodeMusicFile(m_musicFolderW, m_manualRecentFolderW);
    // Replaced in one step, so a failed save keeps the old file; while the
    // music tool holds it open (sharing reading and writing, as the C
    // runtime's text mode opens it) it is rewritten under the tool's handle.
    WholeFileWriteOptions options;
    options.rewriteInPlaceWhenHeld = true;
    const WholeFileWriteResult r = WriteWholeFileReplacingW(m_musicFilePath, bytes, options);
    if (r.failed == WholeFileStep::kOpen || r.failed == WholeFileStep::kReplace) {
        KILNLOG.Log(LOG_ERROR, "CWickerdaleConfig::SaveMusicSetting - _wfopen [%08X]",
                    static_cast<unsigned>(r.error));
        return false;
    }
    if (!r.Ok()) {
        KILNLOG.Log(LOG_ERROR, "CWickerdaleConfig::SaveMusicSetting - 書き込み不足 %u/%u [%08X]",
                    static_cast<unsigned>(r.written / 2), static_cast<unsigned>(bytes.size() / 2),
                    static_cast<unsigned>(r.error));
        return false;
    }
    return true;
}

// ============================================================================
// Saving
// ============================================================================

bool CWickerdaleConfig::SaveSetting() {
    SaveEntries e;
    e["LauncherAutoUpdate"] = FormatSettingInt(m_launcherAutoUpdate);
    e["NotifiesLater"] = FormatSettingInt(m_notifiesLater);
    e["FinalConfirmationDate"] = DateText(m_finalConfirmationDate);
    e["DownloadFolderPath"] = m_downloadFolderPath;
    e["DataAutoDelete"] = FormatSettingInt(m_dataAutoDelete);
    e["TransmitExe1"] = FormatSettingInt(m_transmitExe1);
    e["TransmitExe2"] = FormatSettingInt(m_transmitExe2);
    e["TransmitExe3"] = FormatSettingInt(m_transmitExe3);
    e["TransmitExe4"] = FormatSettingInt(m_transmitExe4);
    return WriteEntries(kSectionSetting, e, m_iniPath);
}

bool CWickerdaleConfig::SaveMap() {
    SaveEntries e;
    e["SpeedOfLine"] = FormatSettingInt(m_speedOfLine);
    e["MapNotifyMessage"] = FormatSettingInt(m_mapNotifyMessage);
    e["MapNotifyMessagePassword"] = FormatSettingInt(m_mapNotifyMessagePassword);
    e["MapNotifyMessageRemind"] = FormatSettingInt(m_mapNotifyMessageRemind);
    e["MapNotifyMessageLoseReserve"] = FormatSettingInt(m_mapNotifyMessageLoseReserve);
    e["MapNotifyFinalConfirmationDate"] = DateText(m_mapNotifyFinalConfirmationDate);
    e["MapNotifiesLater"] = FormatSettingInt(m_mapNotifiesLater);
    return WriteEntries(kSectionMap, e, m_iniPath);
}

bool CWickerdaleConfig::SaveMusic() {
    SaveEntries e;
    e[settingkeys::kChargeType.name] = FormatSettingInt(m_chargeType);
    e["MusicFolder"] = m_musicFolder;
    e[settingkeys::kAutoChargeType.name] = FormatSettingInt(m_autoChargeType);
    e[settingkeys::kRandomPercent.name] = FormatSettingInt(m_randomPercent);
    e[settingkeys::kChargeInterval.name] = FormatSettingInt(m_chargeInterval);
    e[settingkeys::kChargeLimit.name] = FormatSettingInt(m_chargeLimit);
    e[settingkeys::kLimitSize.name] = FormatSettingInt(m_limitSize);
    e[settingkeys::kLimitFileCount.name] = FormatSettingInt(m_limitFileCount);
    // The ini keys are written for the music tool; the music file alone
    // decides the result.
    WriteEntries(kSectionMusic, e, m_iniPath);
    return SaveMusicSetting();
}

// ============================================================================
// Immediate setters
// ============================================================================

bool CWickerdaleConfig::SetLauncherAutoUpdate(int value) {
    m_launcherAutoUpdate = value;
    return WriteInt(kSectionSetting, "LauncherAutoUpdate", value);
}
bool CWickerdaleConfig::SetNotifiesLater(int value) {
    m_notifiesLater = value;
    return WriteInt(kSectionSetting, "NotifiesLater", value);
}
bool CWickerdaleConfig::SetDataAutoDelete(int value) {
    m_dataAutoDelete = value;
    return WriteInt(kSectionSetting, "DataAutoDelete", value);
}
bool CWickerdaleConfig::SetTransmitExe2(int value) {
    m_transmitExe2 = value;
    return WriteInt(kSectionSetting, "TransmitExe2", value);
}
bool CWickerdaleConfig::SetTransmitExe3(int value) {
    m_transmitExe3 = value;
    return WriteInt(kSectionSetting, "TransmitExe3", value);
}
bool CWickerdaleConfig::SetTransmitExe4(int value) {
    m_transmitExe4 = value;
    return WriteInt(kSectionSetting, "TransmitExe4", value);
}
bool CWickerdaleConfig::SetMapNotifyMessage(int value) {
    m_mapNotifyMessage = value;
    return WriteInt(kSectionMap, "MapNotifyMessage", value);
}
bool CWickerdaleConfig::SetMapNotifiesLater(int value) {
    m_mapNotifiesLater = value;
    return WriteInt(kSectionMap, "MapNotifiesLater", value);
}
bool CWickerdaleConfig::SetMapNotifyMessagePassword(int value) {
    return WriteInt(kSectionMap, "MapNotifyMessagePassword", value);
}
bool CWickerdaleConfig::SetMapNotifyMessageRemind(int value) {
    return WriteInt(kSectionMap, "MapNotifyMessageRemind", value);
}
bool CWickerdaleConfig::SetMapNotifyMessageLoseReserve(int value) {
    return WriteInt(kSectionMap, "MapNotifyMessageLoseReserve", value);
}

bool CWickerdaleConfig::SetDownloadFolderPath(const char* path) {
    if (!path) return false;
    m_downloadFolderPath = path;
    return WriteText(kSectionSetting, "DownloadFolderPath", path);
}

bool CWickerdaleConfig::SaveMapNotifyFinalConfirmationDate(const SYSTEMTIME& date) {
    m_mapNotifyFinalConfirmationDate = date;
    return WriteText(kSectionMap, "MapNotifyFinalConfirmationDate", DateText(date).c_str());
}

bool CWickerdaleConfig::StampMapNotifyFinalConfirmationDate() {
    SYSTEMTIME now = {};
    ::GetLocalTime(&now);
    return SaveMapNotifyFinalConfirmationDate(now);
}
