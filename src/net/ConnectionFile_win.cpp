// File and version look-ups of the connection table on Windows.
#include <windows.h>

#include <new>

#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "common/WinHandle.h"
#include "net/ConnectionFile.h"

#include "datafiles/PcLinkFile.h"

FileReadResult ReadWholeFile(const std::string& path, bool shareWrite, std::string& out) {
    FileReadResult r;
    out.clear();
    const DWORD share = FILE_SHARE_READ | (shareWrite ? FILE_SHARE_WRITE : 0);
    qm::CFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        r.error = ::GetLastError();
        r.status = (r.error == ERROR_FILE_NOT_FOUND || r.error == ERROR_PATH_NOT_FOUND)
                       ? FileReadStatus::kMissing
                       : FileReadStatus::kOpenFailed;
        return r;
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size)) {
        r.status = FileReadStatus::kReadFailed;
        r.error = ::GetLastError();
        return r;
    }
    r.size = static_cast<uint64_t>(size.QuadPart);
    // One read of the whole file, as the body builders always did.
    if (r.size >= 0x7FFFFFFF) {
        r.status = FileReadStatus::kNoMemory;
        r.error = ERROR_NOT_ENOUGH_MEMORY;
        return r;
    }
    try {
        out.resize(static_cast<size_t>(r.size));
    } catch (const std::bad_alloc&) {
        r.status = FileReadStatus::kNoMemory;
        r.error = ERROR_NOT_ENOUGH_MEMORY;
        return r;
    }
    DWORD got = 0;
    if (r.size > 0 &&
        (!::ReadFile(file.Get(), &out[0], static_cast<DWORD>(r.size), &got, nullptr) ||
         got != r.size)) {
        r.error = ::GetLastError();
        r.status = FileReadStatus::kReadFailed;
        out.clear();
    }
    return r;
}

bool ConnectionFileExists(const std::string& path) { return PathExists(path.c_str()); }

std::string DefaultConnectionInfoPath() { return GetExeFolder() + "Connection.info"; }

std::string GetProgramVersionText() {
    const std::string exe = GetProgramPath(kProgramLauncher);
    if (exe.empty()) return "0.0.0.0";
    CVersionBlock block;
    const int loaded = LoadVersionInfo(exe.c_str(), block);
    if (loaded == 1) return "0.0.0.1";
    if (loaded != 0) return "0.0.0.2";
    const char* text = GetFileVersionText(block);
    if (!text || !*text) return "0.0.0.2";
    std::string dotted = MakeDottedVersion(text);
    return dotted.empty() ? "0.0.0.2" : dotted;
}

bool ReadPcLinkNaviUnit(char drive, NaviUnitFacts& facts) {
    CPcLinkFile file(CPcLinkFile::kPcLink, drive);
    if (!file.IsLoaded()) return false;
    facts.modelCode = file.GetModelCode();
    facts.appWord16 = file.GetRecordWord16(kRecordNaviApplication);
    facts.appValue = file.GetRecordValue(kRecordNaviApplication);
    return true;
}
