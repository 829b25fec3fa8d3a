#include "datafiles/SDInfoFile.h"

#include <cstring>

#include "common/FileHelpers.h"
#include "common/FileRetry.h"
#include "common/Folders.h"
#include "common/KilnLog.h"
#include "common/WinHandle.h"
#include "datafiles/CardPaths.h"

namespace {

static_assert(sizeof(SYSTEMTIME) == kRecordTimeSize, "SYSTEMTIME is the stored time");

void ToSystemTime(const RecordTime& t, SYSTEMTIME* out) {
    out->wYear = t.year;
    out->wMonth = t.month;
    out->wDayOfWeek = t.dayOfWeek;
    out->wDay = t.day;
    out->wHour = t.hour;
    out->wMinute = t.minute;
    out->wSecond = t.second;
    out->wMilliseconds = t.milliseconds;
}

bool Exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Reads fixed-size records until end of file and hands each to sink. False
// after a failed or short read, with err set (end of file for a short one).
template <size_t Size, typename Sink>
bool ReadRecords(HANDLE file, CFileRetry& retry, DWORD& err, Sink sink) {
    for (;;) {
        uint8_t buf[Size] = {};
        DWORD got = 0;
        BOOL ok = retry.ReadFile_Recover(file, buf, Size, &got, nullptr);
        if (ok && got == 0) return true;
        if (!ok && retry.GetLastError() == ERROR_HANDLE_EOF) return true;
        if (!ok || got != Size) {
            err = ok ? ERROR_HANDLE_EOF : retry.GetLastError();
            return false;
        }
        sink(buf);
    }
}

// Reads the record file at path through sink. A file not written yet, or one
// that cannot be opened, holds no records and is no error; a damaged one is
// logged as "<what> 0x<error>".
template <size_t Size, typename Sink>
bool ReadRecordFile(const std::string& path, const char* what, Sink sink) {
    if (!Exists(path)) return true;
    CFileRetry retry;
    qm::CFileHandle file(retry.CreateFile_Recover(path.c_str(), GENERIC_READ,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return true;
    DWORD err = 0;
    const bool ok = ReadRecords<Size>(file.Get(), retry, err, sink);
    if (!ok) {
        file.Reset();
        KILNLOG.Log(LOG_ERROR, "%s 0x%08X", what, static_cast<unsigned>(err));
    }
    return ok;
}

}  // namespace

// --- CSDInfoFile ---------------------------------------------------------

CSDInfoFile::CSDInfoFile(char drive) : m_drive(drive) {
    if (!drive) return;
    m_path = CardPath(drive, kCardSdInfoPath);
    m_loaded = Load();
}

bool CSDInfoFile::Load() {
    m_records.clear();
    if (!Exists(CardRoot(m_drive))) {
        KILNLOG.Log(LOG_NORMAL, "SDINFOファイル読み込み時のSD無し");
        return false;
    }
    return ReadRecordFile<kSdInfoRecordSize>(
        m_path, "SD情報ファイルデータ読込失敗",
        [this](const uint8_t* p) { m_records.push_back(DecodeSdInfoRecord(p)); });
}

bool CSDInfoFile::GetEntry(uint32_t kindBit, SYSTEMTIME* time, int32_t* result, std::string* text,
                           uint32_t* value120, uint32_t* extra124, uint32_t* extra116) const {
    if (time) std::memset(time, 0, sizeof *time);
    if (result) *result = -1;
    if (text) text->clear();
    if (!time || !result || !text) return false;
    for (const SdInfoRecord& r : m_records) {
        if (r.kindBit != kindBit) continue;
        ToSystemTime(r.lastTime, time);
        *result = r.result;
        *text = r.text;
        if (value120) *value120 = r.value120;
        if (extra124) *extra124 = r.extra124;
        if (extra116) *extra116 = r.extra116;
        return true;
    }
    return false;
}

// --- CProbeLogFile -------------------------------------------------------

CProbeLogFile::CProbeLogFile(const char* userFolderName) {
    SetUser(userFolderName);
    Load();
}

void CProbeLogFile::SetUser(const char* userFolderName) {
    m_folderName = userFolderName ? userFolderName : "";
    std::string folder =
        m_folderName.empty() ? GetUserDataRoot() : GetUserDataFolder(m_folderName.c_str());
    CreateDirectories(folder.c_str());
    m_path = folder + kProbeLogFileName;
}

bool CProbeLogFile::Load() {
    m_records.clear();
    return ReadRecordFile<kProbeLogRecordSize>(
        m_path, "プローブログファイルデータ読込失敗",
        [this](const uint8_t* p) { m_records.push_back(DecodeProbeLogRecord(p)); });
}

bool CProbeLogFile::GetEntry(uint32_t index, SYSTEMTIME* time, int32_t* result,
                             uint32_t* code) const {
    if (time) std::memset(time, 0, sizeof *time);
    if (result) *result = -1;
    if (!time || !result || index >= m_records.size()) return false;
    const ProbeLogRecord& r = m_records[index];
    ToSystemTime(r.uploadTime, time);
    *result = r.result;
    if (code) *code = r.code;
    return true;
}
