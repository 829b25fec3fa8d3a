#include "datafiles/DownloadManageFile.h"

#include <windows.h>
// after windows.h, which it builds on
#include <shlwapi.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "common/FileHelpers.h"
#include "common/FileRetry.h"
#include "common/KilnLog.h"
#include "common/WholeFile.h"
#include "common/WinHandle.h"

namespace {

bool Exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Separators unified and "." and ".." resolved.
std::string Canonical(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    char out[MAX_PATH * 2] = {};
    if (path.size() >= MAX_PATH || !::PathCanonicalizeA(out, path.c_str())) return path;
    return out;
}

std::string CutAtLastSeparator(const std::string& path) {
    size_t pos = path.find_last_of('\\');
    return pos == std::string::npos ? path : path.substr(0, pos);
}

std::string WithSeparator(const std::string& folder) {
    if (!folder.empty() && folder.back() != '\\') return folder + "\\";
    return folder;
}

// Reads a whole file; false on open failure (err set) or a short read.
bool ReadWhole(const std::string& path, std::vector<uint8_t>& data, DWORD& err, bool& opened) {
    WholeFileOptions options;
    options.retry = true;
    std::string bytes;
    const WholeFileResult r = ReadWholeFile(path, bytes, options);
    opened = !r.NotOpened();
    err = r.error;
    data.assign(bytes.begin(), bytes.end());
    return r.Ok();
}

}  // namespace

CDownloadManageFile::CDownloadManageFile() { std::memset(m_entry, 0, sizeof m_entry); }

void CDownloadManageFile::SetFolder(const char* folder) {
    m_folder = WithSeparator(folder ? folder : "");
    m_path = m_folder + kDownloadManageFileName;
}

int32_t CDownloadManageFile::Search(uint8_t category, uint8_t subcategory, const char* name) {
    KILNLOG.Log(LOG_DETAIL, "CDownloadManageFile::Search - Start");
    int32_t result = kOpenFailed;
    if (Exists(m_path)) {
        CFileRetry retry;
        qm::CFileHandle file(retry.CreateFile_Recover(m_path.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                                      nullptr));
        if (file) {
            const DWORD size = ::GetFileSize(file.Get(), nullptr);
            result = kNotFound;
            for (DWORD offset = 0; size != INVALID_FILE_SIZE && offset < size;
                 offset += kDownloadEntrySize) {
                uint8_t entry[kDownloadEntrySize] = {};
                DWORD got = 0;
                if (!retry.ReadFile_Recover(file.Get(), entry, sizeof entry, &got, nullptr) ||
                    got != sizeof entry) {
                    result = kReadFailed;
                    break;
                }
                if (DownloadEntryMatches(entry, category, subcategory, name)) {
                    result = static_cast<int32_t>(offset);
                    break;
                }
            }
        }
    }
    KILNLOG.Log(LOG_DETAIL, "CDownloadManageFile::Search - End");
    return result;
}

bool CDownloadManageFile::GetDLManage(uint8_t category, uint8_t subcategory, const char* name) {
    KILNLOG.Log(LOG_DETAIL, "CDownloadManageFile::GetDLManage - Start");
    std::memset(m_entry, 0, sizeof m_entry);
    bool found = false;
    int32_t offset = Search(category, subcategory, name);
    if (offset >= 0) {
        CFileRetry retry;
        qm::CFileHandle file(retry.CreateFile_Recover(m_path.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                                      nullptr));
        DWORD got = 0;
        found =
            file &&
            ::SetFilePointer(file.Get(), offset, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
            retry.ReadFile_Recover(file.Get(), m_entry, sizeof m_entry, &got, nullptr) &&
            got == sizeof m_entry;
        if (!found) std::memset(m_entry, 0, sizeof m_entry);
    }
    KILNLOG.Log(LOG_DETAIL, "CDownloadManageFile::GetDLManage - End");
    return found;
}

bool CDownloadManageFile::DelDLManage(uint8_t category, uint8_t subcategory, const char* name) {
    KILNLOG.Log(LOG_DETAIL, "CDownloadManageFile::DelDLManage - Start");
    std::vector<uint8_t> data;
    DWORD err = 0;
    bool opened = false;
    if (!ReadWhole(m_path, data, err, opened)) {
        if (!opened)
            KILNLOG.Log(LOG_ERROR,
                        "CDownloadManageFile::DelDLManage - ダウンロード管理ファイルオープン失敗 "
                        "ERR:0x%08X",
                        static_cast<unsigned>(err));
        else
            KILNLOG.Log(LOG_ERROR,
                        "CDownloadManageFile::DelDLManage - ファイル読み込み失敗 ERR:0x%08X",
                        static_cast<unsigned>(err));
        return false;
    }
    if (data.size() % kDownloadEntrySize != 0) {
        // The damaged file is dropped; the category sweep finds its folders.
        ::DeleteFileA(m_path.c_str());
        KILNLOG.Log(LOG_ERROR,
                    "CDownloadManageFile::DelDLManage - ダウンロード管理ファイルサイズ不正 SIZE:%d",
                    static_cast<int>(data.size()));
        return false;
    }
    std::string kept;
    for (size_t off = 0; off < data.size(); off += kDownloadEntrySize)
        if (!DownloadEntryMatches(&data[off], category, subcategory, name))
            kept.append(reinterpret_cast<const char*>(&data[off]), kDownloadEntrySize);
    // The remaining entries replace the file in one step: a failure keeps
    // every entry it had.
    bool result = true;
    WholeFileWriteOptions options;
    options.retry = true;
    const WholeFileWriteResult r = WriteWholeFileReplacing(m_path, kept, options);
    if (r.failed == WholeFileStep::kOpen || r.failed == WholeFileStep::kReplace) {
        KILNLOG.Log(LOG_ERROR,
                    "CDownloadManageFile::DelDLManage - ダウンロード管理ファイルオープン失敗 "
                    "ERR:0x%08X",
                    static_cast<unsigned>(r.error));
        result = false;
    } else if (!r.Ok()) {
        KILNLOG.Log(LOG_ERROR,
                    "CDownloadManageFile::DelDLManage - ダウンロード管理ファイル書込み失敗 "
                    "ERR:0x%08X",
                    static_cast<unsigned>(r.error));
        result = false;
    }
    KILNLOG.Log(LOG_DETAIL, "CDownloadManageFile::DelDLManage - End");
    return result;
}

bool CDownloadManageFile::_DeleteLocalData(uint8_t category, uint8_t subcategory, const char* name,
                                           const char* downloadFolder) {
    KILNLOG.Log(LOG_NORMAL, "CDownloadManageFile::_DeleteLocalData - Start[%02X][%02X][%s]",
                category, subcategory, name ? name : "");
    if (!downloadFolder || !*downloadFolder) {
        KILNLOG.Log(LOG_ERROR, "CDownloadManageFile::_DeleteLocalData - パラメータ異常");
        return false;
    }
    const std::string folder = WithSeparator(downloadFolder);
    bool deleted = false;
    if (GetDLManage(category, subcategory, name)) {
        std::string item = Canonical(folder + DownloadEntryDataPath(m_entry));
        if (item.find(".CNF") != std::string::npos) item = CutAtLastSeparator(item);
        while (item.size() > 3 && item.back() == '\\') item.pop_back();
        if (IsDirectory(item.c_str())) {
            deleted = DeleteFolderTree(item.c_str(), true);
            if (deleted) DelDLManage(category, subcategory, name);
        }
        // The subcategory and category folders go when nothing is left in them.
        std::string parent = item;
        for (int level = 0; level < 2; ++level) {
            parent = CutAtLastSeparator(parent);
            if (IsDirectory(parent.c_str()) && GetFolderSize(parent.c_str()) == 0) {
                KILNLOG.Log(LOG_DETAIL,
                            "CDownloadManageFile::_DeleteLocalData - ディレクトリ削除：%s",
                            parent.c_str());
                DeleteFolderTree(parent.c_str(), true);
            }
        }
    } else {
        char tail[64];
        std::snprintf(tail, sizeof tail, "%02X\\%02X\\", category, subcategory);
        std::string item = Canonical(folder + tail + (name ? name : "") + "\\");
        if (IsDirectory(item.c_str())) {
            deleted = DeleteFolderTree(item.c_str(), true);
            KILNLOG.Log(LOG_NORMAL, "管理ファイルに非存のため、ディレクトリ削除 PATH:%s.",
                        item.c_str());
        }
    }
    KILNLOG.Log(LOG_DETAIL, "CDownloadManageFile::_DeleteLocalData - End %s",
                deleted ? "成功" : "失敗");
    return deleted;
}

void CDownloadManageFile::_DeleteAllLocalData() {
    KILNLOG.Log(LOG_DETAIL, "CDownloadManageFile::_DeleteAllLocalData - Start");
    std::vector<uint8_t> data;
    DWORD err = 0;
    bool opened = false;
    const std::string listPath = m_folder + kDownloadListFileName;
    if (Exists(m_path) && ReadWhole(m_path, data, err, opened) && !data.empty()) {
        // A partial last entry counts as a whole one.
        data.resize((data.size() + kDownloadEntrySize - 1) / kDownloadEntrySize *
                    kDownloadEntrySize);
        bool last = false;
        for (size_t off = 0; off < data.size(); off += kDownloadEntrySize) {
            const uint8_t* e = &data[off];
            std::string name = DownloadEntryItemName(e);
            last = _DeleteLocalData(DownloadEntryCategory(e), DownloadEntrySubcategory(e),
                                    name.c_str(), m_folder.c_str());
        }
        if (last) {
            ::DeleteFileA(m_path.c_str());
            ::DeleteFileA(listPath.c_str());
        }
        KILNLOG.Log(LOG_DETAIL, "CDownloadManageFile::_DeleteAllLocalData - End(%s)",
                    last ? "成功" : "失敗");
        return;
    }
    KILNLOG.Log(LOG_NORMAL, "ダウンロード管理ファイルが存在しないため、大項目フォルダごと削除");
    for (int n = 0; n <= 0xFF; ++n) {
        char sub[8];
        std::snprintf(sub, sizeof sub, "%02X", n);
        std::string path = m_folder + sub;
        if (IsDirectory(path.c_str())) DeleteFolderTree(path.c_str(), true);
    }
    ::DeleteFileA(listPath.c_str());
}
