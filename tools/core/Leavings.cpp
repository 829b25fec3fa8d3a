#include "Leavings.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "common/WholeFile.h"
#include "common/WickerdaleConfig.h"
#include "common/WinHandle.h"
#include "datafiles/CardPaths.h"
#include "datafiles/DataRecords.h"
#include "datafiles/DownloadManageFile.h"
#include "datafiles/PcLinkFile.h"
#include "datafiles/SDInfoFile.h"

namespace standin {

namespace {

RecordTime NowAsRecordTime() {
    SYSTEMTIME st;
    ::GetLocalTime(&st);
    return {st.wYear, st.wMonth,  st.wDayOfWeek, st.wDay,
            st.wHour, st.wMinute, st.wSecond,    st.wMilliseconds};
}

thread_local uint32_t t_lastError = 0;

std::string Failed(const char* what, const std::string& path, DWORD error = ::GetLastError()) {
    t_lastError = error ? error : ERROR_WRITE_FAULT;
    char buf[32];
    std::snprintf(buf, sizeof buf, " ERR:0x%08X", static_cast<unsigned>(t_lastError));
    return std::string(what) + " " + path + buf;
}

bool ReadWhole(const std::string& path, std::vector<uint8_t>& bytes) {
    qm::CFileHandle f(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr));
    bytes.clear();
    if (!f) return false;
    uint8_t chunk[4096];
    DWORD got = 0;
    while (::ReadFile(f.Get(), chunk, sizeof chunk, &got, nullptr) && got)
        bytes.insert(bytes.end(), chunk, chunk + got);
    return true;
}

// Writes (or, with append, adds) bytes. An addition goes in whole or not at
// all: a disk that fills up in the middle would otherwise leave a cut record
// at the end, and every reader would stop there.
std::string WriteBytes(const std::string& path, const void* data, size_t size, bool append) {
    if (!append) {
        const WholeFileWriteResult r =
            WriteWholeFileReplacing(path, std::string(static_cast<const char*>(data), size));
        return r.Ok() ? std::string() : Failed("cannot write", path, r.error);
    }
    qm::CFileHandle f(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return Failed("cannot open", path);
    LARGE_INTEGER end = {};
    if (!::SetFilePointerEx(f.Get(), end, &end, FILE_END)) return Failed("cannot seek", path);
    DWORD written = 0;
    if (size) {
        const BOOL ok = ::WriteFile(f.Get(), data, static_cast<DWORD>(size), &written, nullptr);
        if (!ok || written != size) {
            // A write cut short by the disk reports no error of its own.
            const DWORD error = ok ? static_cast<DWORD>(ERROR_DISK_FULL) : ::GetLastError();
            ::SetFilePointerEx(f.Get(), end, nullptr, FILE_BEGIN);
            ::SetEndOfFile(f.Get());
            return Failed("cannot write", path, error);
        }
    }
    if (!::FlushFileBuffers(f.Get())) {
        const DWORD error = ::GetLastError();
        ::SetFilePointerEx(f.Get(), end, nullptr, FILE_BEGIN);
        ::SetEndOfFile(f.Get());
        return Failed("cannot write", path, error);
    }
    return std::string();
}

std::string WriteSized(const std::string& path, uint64_t bytes) {
    qm::CFileHandle f(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return Failed("cannot open", path);
    std::vector<uint8_t> chunk(64 * 1024);
    for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<uint8_t>(i * 31 + 7);
    for (uint64_t left = bytes; left > 0;) {
        const DWORD n = static_cast<DWORD>(left < chunk.size() ? left : chunk.size());
        DWORD written = 0;
        if (!::WriteFile(f.Get(), chunk.data(), n, &written, nullptr) || written != n)
            return Failed("cannot write", path);
        left -= n;
    }
    return std::string();
}

std::string FolderOfPath(const std::string& path) {
    const size_t cut = path.find_last_of('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

}  // namespace

uint32_t LastLeaveError() { return t_lastError; }

std::string LeaveSdInfo(char drive, uint32_t kindBit, uint32_t version, int32_t result) {
    if (!drive) return "no card";
    const std::string path = CardPath(drive, kCardSdInfoPath);
    std::vector<uint8_t> bytes;
    ReadWhole(path, bytes);
    bytes.resize(bytes.size() / kSdInfoRecordSize * kSdInfoRecordSize);  // a cut record goes
    SdInfoRecord record;
    record.kindBit = kindBit;
    record.lastTime = NowAsRecordTime();
    record.result = result;
    record.extra124 = version;
    size_t at = bytes.size();
    for (size_t i = 0; i < bytes.size(); i += kSdInfoRecordSize)
        if (DecodeSdInfoRecord(&bytes[i]).kindBit == kindBit) at = i;
    if (at == bytes.size()) bytes.resize(bytes.size() + kSdInfoRecordSize);
    EncodeSdInfoRecord(record, &bytes[at]);
    CreateDirectories(FolderOfPath(path));
    return WriteBytes(path, bytes.data(), bytes.size(), false);
}

std::string LeaveProbeLog(char drive, int32_t result, uint32_t code) {
    if (!drive) return "no card";
    std::string device = CPcLinkFile(CPcLinkFile::kPcLink, drive).GetDeviceNo();
    if (device.empty()) device = CPcLinkFile(CPcLinkFile::kNaviInfo, drive).GetDeviceNo();
    if (device.empty()) return "no device number on the card";
    ProbeLogRecord record;
    record.uploadTime = NowAsRecordTime();
    record.result = result;
    record.code = code;
    uint8_t bytes[kProbeLogRecordSize];
    EncodeProbeLogRecord(record, bytes);
    return WriteBytes(GetUserDataFolder(device.c_str()) + kProbeLogFileName, bytes, sizeof bytes,
                      true);
}

std::string LeaveDownload(uint8_t category, uint8_t subcategory, const std::string& name,
                          uint64_t bytes) {
    CWickerdaleConfig config;
    config.LoadSetting();
    std::string folder = config.GetDownloadFolderPath();
    if (folder.empty()) folder = GetDefaultDownloadFolder();
    if (folder.back() != '\\') folder += '\\';
    char relative[MAX_PATH];
    std::snprintf(relative, sizeof relative, "%02X\\%02X\\%s\\", category, subcategory,
                  name.c_str());
    const std::string item = folder + relative;
    if (!CreateDirectories(item)) return Failed("cannot create", item);
    const std::string cnf = "item=" + name + "\r\n";
    std::string failed = WriteBytes(item + name + ".CNF", cnf.data(), cnf.size(), false);
    if (failed.empty()) failed = WriteSized(item + "DATA.BIN", bytes);
    if (!failed.empty()) return failed;

    CDownloadManageFile manage;
    manage.SetFolder(folder.c_str());
    if (manage.Search(category, subcategory, name.c_str()) < 0) {
        uint8_t entry[kDownloadEntrySize];
        MakeDownloadEntry(entry, category, subcategory, name, relative + name + ".CNF");
        failed = WriteBytes(manage.GetPath(), entry, sizeof entry, true);
        if (!failed.empty()) return failed;
    }
    const std::string line = std::string(relative) + "\r\n";
    return WriteBytes(folder + kDownloadListFileName, line.data(), line.size(), true);
}

std::string LeaveCardFile(char drive, const std::string& cardPath, uint64_t bytes) {
    if (!drive) return "no card";
    const std::string path = CardPath(drive, cardPath.c_str());
    if (!CreateDirectories(FolderOfPath(path))) return Failed("cannot create", FolderOfPath(path));
    return WriteSized(path, bytes);
}

}  // namespace standin
