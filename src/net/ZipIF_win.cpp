#include <shlwapi.h>

#include <cstring>
#include <memory>
#include <new>

#include "common/FileHelpers.h"
#include "common/KilnLog.h"
#include "common/WinHandle.h"
#include "net/ZipIF.h"
#include "zip.h"

namespace {

// The parent folder of a path in the system code page.
std::string ParentFolder(const std::string& path) {
    size_t cut = std::string::npos;
    for (size_t i = 0; i < path.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
            ++i;
            continue;
        }
        if (c == '\\') cut = i;
    }
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder;
}

bool IsEmptyFolder(const std::string& folder) {
    WIN32_FIND_DATAA fd;
    qm::CFindHandle find(::FindFirstFileA((folder + "*").c_str(), &fd));
    if (!find) return true;
    do {
        if (std::strcmp(fd.cFileName, ".") && std::strcmp(fd.cFileName, "..")) return false;
    } while (::FindNextFileA(find.Get(), &fd));
    return true;
}

// Each archive owns its writer until closed.
struct ZipCloser {
    zipFile zip;
    ~ZipCloser() {
        if (zip) zipClose(zip, nullptr);
    }
};

}  // namespace

bool CZipIF::ZipFolder(const char* folder, const char* zipPath) {
    m_zipError = 0;
    if (!folder || !zipPath || !::PathIsDirectoryA(folder)) {
        m_zipError = static_cast<int>(::GetLastError());
        KILNLOG.Log(LOG_ERROR, "CZipIF::ZipFolder - PathIsDirectory 失敗 PATH:%s ERR:0x%08X",
                    folder ? folder : "", static_cast<unsigned>(::GetLastError()));
        return false;
    }
    const std::string archiveFolder = ParentFolder(zipPath);
    if (!archiveFolder.empty() && !CreateDirectories(archiveFolder.c_str())) {
        m_zipError = static_cast<int>(::GetLastError());
        KILNLOG.Log(LOG_ERROR, "CZipIF::ZipFolder - CreateDirectories 失敗 PATH:%s ERR:0x%08X",
                    archiveFolder.c_str(), static_cast<unsigned>(::GetLastError()));
        return false;
    }
    ZipCloser archive{zipOpen(zipPath, APPEND_STATUS_CREATE)};
    if (!archive.zip) {
        m_zipError = static_cast<int>(::GetLastError());
        KILNLOG.Log(LOG_ERROR, "CZipIF::ZipFolder - zipOpen 失敗 PATH:%s ERR:0x%08X", zipPath,
                    static_cast<unsigned>(::GetLastError()));
        return false;
    }
    if (!_ZipFolderEx(archive.zip, WithSlash(folder), std::string())) {
        // The failing step's error, not what its log line left behind.
        KILNLOG.Log(LOG_ERROR, "CZipIF::ZipFolder - _ZipFolderEx 失敗 PATH:%s ERR:0x%08X", folder,
                    static_cast<unsigned>(m_zipError));
        return false;
    }
    zipFile zip = archive.zip;
    archive.zip = nullptr;
    int rc = zipClose(zip, nullptr);
    if (rc != ZIP_OK) {
        m_zipError = rc;
        return false;
    }
    return true;
}

bool CZipIF::_ZipFolderEx(void* zip, const std::string& folder, const std::string& prefix) {
    WIN32_FIND_DATAA fd;
    qm::CFindHandle find(::FindFirstFileA((folder + "*").c_str(), &fd));
    if (!find) {
        m_zipError = static_cast<int>(::GetLastError());
        KILNLOG.Log(LOG_ERROR, "CZipIF::_ZipFolderEx - FindFirstFile 失敗 PATH:%s ERR:0x%08X",
                    folder.c_str(), static_cast<unsigned>(::GetLastError()));
        return false;
    }
    do {
        if (!std::strcmp(fd.cFileName, ".") || !std::strcmp(fd.cFileName, "..")) continue;
        const std::string path = folder + fd.cFileName;
        const std::string entry = prefix + fd.cFileName;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            const std::string sub = path + "\\";
            // An empty sub-folder still shows in the archive.
            if (IsEmptyFolder(sub)) {
                if (!_ZipEmptyFolder(zip, entry + "\\")) {
                    KILNLOG.Log(LOG_ERROR,
                                "CZipIF::_ZipFolderEx - _ZipEmptyFolder 失敗 PATH:%s ERR:0x%08X",
                                path.c_str(), static_cast<unsigned>(m_zipError));
                    return false;
                }
                continue;
            }
            if (!_ZipFolderEx(zip, sub, entry + "\\")) {
                KILNLOG.Log(LOG_ERROR, "CZipIF::_ZipFolderEx - ZipFolderEx 失敗 PATH:%s ERR:0x%08X",
                            path.c_str(), static_cast<unsigned>(m_zipError));
                return false;
            }
            continue;
        }
        if (!_ZipFileEx(zip, path, entry)) {
            KILNLOG.Log(LOG_ERROR, "CZipIF::_ZipFolderEx - _ZipFileEx 失敗 PATH:%s ERR:0x%08X",
                        path.c_str(), static_cast<unsigned>(m_zipError));
            return false;
        }
    } while (::FindNextFileA(find.Get(), &fd));
    return true;
}

bool CZipIF::_ZipEmptyFolder(void* zip, const std::string& entryName) {
    zip_fileinfo info;
    std::memset(&info, 0, sizeof info);
    int rc = zipOpenNewFileInZip(static_cast<zipFile>(zip), entryName.c_str(), &info, nullptr, 0,
                                 nullptr, 0, nullptr, Z_DEFLATED, Z_DEFAULT_COMPRESSION);
    if (rc == ZIP_OK) rc = zipCloseFileInZip(static_cast<zipFile>(zip));
    m_zipError = rc;
    return rc == ZIP_OK;
}

bool CZipIF::_ZipFileEx(void* zipHandle, const std::string& path, const std::string& entryName) {
    zipFile zip = static_cast<zipFile>(zipHandle);
    qm::CFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        DWORD err = ::GetLastError();
        m_zipError = static_cast<int>(err);
        if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND)
            KILNLOG.Log(LOG_ERROR, "CZipIF::_ZipFileEx - 指定ファイルなし PATH%s ERR:0x%08X",
                        path.c_str(), static_cast<unsigned>(err));
        else
            KILNLOG.Log(LOG_ERROR, "CZipIF::_ZipFileEx - CreateFile 失敗 PATH%s ERR:0x%08X",
                        path.c_str(), static_cast<unsigned>(err));
        return false;
    }
    zip_fileinfo info;
    std::memset(&info, 0, sizeof info);  // no date, no attributes
    int rc = zipOpenNewFileInZip(zip, entryName.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                 Z_DEFLATED, Z_DEFAULT_COMPRESSION);
    if (rc != ZIP_OK) {
        m_zipError = rc;
        KILNLOG.Log(LOG_ERROR,
                    "CZipIF::_ZipFileEx - zipOpenNewFileInZip 失敗 PATH%s ERR:0x%08X ZIPERR:0x%08X",
                    path.c_str(), static_cast<unsigned>(::GetLastError()),
                    static_cast<unsigned>(rc));
        return false;
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart > 0x7FFFFFFF) {
        m_zipError = static_cast<int>(::GetLastError());
        KILNLOG.Log(LOG_ERROR, "CGZipIF::GZipFileEx - GetFileSize 不正値 %s ERR:0x%08X",
                    path.c_str(), static_cast<unsigned>(::GetLastError()));
        zipCloseFileInZip(zip);
        return false;
    }
    const DWORD total = static_cast<DWORD>(size.QuadPart);
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[total ? total : 1]);
    if (!buffer) {
        m_zipError = ERROR_NOT_ENOUGH_MEMORY;
        KILNLOG.Log(LOG_ERROR, "CZipIF::_ZipFileEx - メモリ確保 失敗 ERR:0x%08X",
                    static_cast<unsigned>(ERROR_NOT_ENOUGH_MEMORY));
        zipCloseFileInZip(zip);
        return false;
    }
    DWORD written = 0;
    while (written < total) {
        DWORD got = 0;
        if (!::ReadFile(file.Get(), buffer.get(), total - written, &got, nullptr) || got == 0) {
            m_zipError = static_cast<int>(::GetLastError());
            KILNLOG.Log(LOG_ERROR, "CZipIF::_ZipFileEx - ReadFile 失敗 PATH%s ERR:0x%08X",
                        path.c_str(), static_cast<unsigned>(::GetLastError()));
            zipCloseFileInZip(zip);
            return false;
        }
        rc = zipWriteInFileInZip(zip, buffer.get(), got);
        if (rc != ZIP_OK) {
            m_zipError = rc;
            KILNLOG.Log(
                LOG_ERROR,
                "CZipIF::_ZipFileEx - zipWriteInFileInZip 失敗 PATH%s ERR:0x%08X ZIPERR:0x%08X",
                path.c_str(), static_cast<unsigned>(::GetLastError()), static_cast<unsigned>(rc));
            zipCloseFileInZip(zip);
            return false;
        }
        written += got;
    }
    rc = zipCloseFileInZip(zip);
    if (rc != ZIP_OK) {
        m_zipError = rc;
        KILNLOG.Log(LOG_ERROR,
                    "CZipIF::_ZipFileEx - zipCloseFileInZip 失敗 PATH%s ERR:0x%08X ZIPERR:0x%08X",
                    path.c_str(), static_cast<unsigned>(::GetLastError()),
                    static_cast<unsigned>(rc));
        return false;
    }
    return true;
}
