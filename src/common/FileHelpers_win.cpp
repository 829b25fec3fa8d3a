#include "common/FileHelpers.h"

#include <windows.h>
#include <shlwapi.h>

#include <new>
#include <vector>

#include "common/CodePage.h"
#include "common/Mbcs.h"
#include "common/WinHandle.h"

namespace {

// "\\?\C:\x" or "\\?\UNC\server\share\x": lifts the MAX_PATH limit. Other
// forms (relative paths) cannot take the prefix and stay as they are.
std::wstring LongPath(const std::string& ansi) {
    std::wstring w = AnsiToWide(ansi);
    if (w.size() >= 2 && w[0] == L'\\' && w[1] == L'\\') {
        if (w.size() >= 4 && w[2] == L'?' && w[3] == L'\\') return w;  // prefixed already
        return L"\\\\?\\UNC" + w.substr(1);
    }
    if (w.size() >= 2 && w[1] == L':') return L"\\\\?\\" + w;
    return w;
}

// Index of the last '\' that is not the trail byte of a double-byte
// character; npos when there is none.
size_t LastSeparator(const std::string& path) {
    size_t last = std::string::npos;
    for (size_t i = 0; i < path.size(); ++i) {
        if (IsCp932LeadByte(static_cast<unsigned char>(path[i]))) {
            ++i;
            continue;
        }
        if (path[i] == '\\') last = i;
    }
    return last;
}

// folder with one '\' at its end.
std::string WithSeparator(const std::string& folder) {
    if (folder.empty()) return folder;
    size_t last = LastSeparator(folder);
    return last == folder.size() - 1 ? folder : folder + '\\';
}

bool IsDirectoryW(const std::wstring& path) {
    DWORD a = ::GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool CreateDirectories(const char* path) {
    if (!path || !*path) return false;
    std::string p = path;
    size_t lastSep = std::string::npos;
    for (size_t i = 0; i < p.size(); ++i) {
        if (IsCp932LeadByte(static_cast<unsigned char>(p[i]))) {
            ++i;  // its trail byte may be '\\'
            continue;
        }
        if (p[i] != '\\') continue;
        lastSep = i;
        std::string prefix = p.substr(0, i);
        // Nothing to create for "", "\\", "C:" or the "\\" of a UNC path. (The
        // last byte may be the trail byte 0x5C of a name like 表: no separator.)
        if (prefix.size() <= 2 || prefix.back() == ':') continue;
        std::wstring w = LongPath(prefix);
        if (!IsDirectoryW(w)) ::CreateDirectoryW(w.c_str(), nullptr);
    }
    if (IsRoot(p.c_str())) return true;
    if (lastSep == p.size() - 1) p.pop_back();
    std::wstring w = LongPath(p);
    if (IsDirectoryW(w)) return true;
    return ::CreateDirectoryW(w.c_str(), nullptr) || IsDirectoryW(w);
}

bool CreateDirectories(const std::string& path) {
    if (path.empty()) return false;
    if (IsDirectory(path.c_str()) || IsRoot(path.c_str())) return true;
    if (PathExists(path.c_str())) return false;  // a file is in the way
    std::string folder = path;
    size_t last = LastSeparator(folder);
    if (last != std::string::npos && last == folder.size() - 1) {
        folder.pop_back();
        last = LastSeparator(folder);
    }
    if (last != std::string::npos && last > 0) {
        // "C:\x" has the parent "C:\": keep the separator so it reads as a root.
        std::string parent = folder.substr(0, last + 1);
        if (!CreateDirectories(parent)) return false;
    }
    return ::CreateDirectoryA(folder.c_str(), nullptr) != FALSE;
}

uint64_t GetFolderSize(const char* folder) {
    if (!folder || !*folder) return 0;
    std::string base = WithSeparator(folder);
    WIN32_FIND_DATAA fd;
    qm::CFindHandle find(::FindFirstFileA((base + "*").c_str(), &fd));
    if (!find) return 0;
    uint64_t total = 0;
    do {
        if (!strcmp(fd.cFileName, ".") || !strcmp(fd.cFileName, "..")) continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            total += GetFolderSize((base + fd.cFileName).c_str());
        else
            total += (static_cast<uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
    } while (::FindNextFileA(find.Get(), &fd));
    return total;
}

bool DeleteFolderTree(const char* folder, bool removeFolder) {
    if (!folder || !*folder) return false;
    std::string base = WithSeparator(folder);
    WIN32_FIND_DATAA fd;
    qm::CFindHandle find(::FindFirstFileA((base + "*").c_str(), &fd));
    if (!find) return false;
    bool ok = true;
    do {
        if (!strcmp(fd.cFileName, ".") || !strcmp(fd.cFileName, "..")) continue;
        std::string full = base + fd.cFileName;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ok = DeleteFolderTree(full.c_str(), true) && ok;
        else
            ok = ::DeleteFileA(full.c_str()) && ok;
    } while (::FindNextFileA(find.Get(), &fd));
    find.Reset();
    if (removeFolder) ok = ::RemoveDirectoryA(base.c_str()) && ok;
    return ok;
}

bool PathExists(const char* path) { return path && ::PathFileExistsA(path); }
bool IsDirectory(const char* path) { return path && ::PathIsDirectoryA(path); }
bool IsRoot(const char* path) { return path && ::PathIsRootA(path); }

std::string GetExePath() {
    char buf[MAX_PATH] = {};
    DWORD n = ::GetModuleFileNameA(nullptr, buf, MAX_PATH);
    return std::string(buf, n < MAX_PATH ? n : 0);
}

std::string GetExeFolder() {
    std::string p = GetExePath();
    return p.substr(0, p.find_last_of('\\') + 1);
}

std::string GetExeFileName() {
    std::string p = GetExePath();
    return p.substr(p.find_last_of('\\') + 1);
}

int CVersionBlock::Load(const char* path) {
    m_data.reset();
    if (!PathExists(path)) return 1;
    DWORD ignored = 0;
    DWORD size = ::GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0) return 2;
    std::unique_ptr<char[]> data(new (std::nothrow) char[size]);
    if (!data) return 3;
    if (!::GetFileVersionInfoA(path, 0, size, data.get())) return 4;
    m_data = std::move(data);
    return 0;
}

const char* CVersionBlock::Query(const char* subBlock) const {
    if (!m_data) return nullptr;
    void* value = nullptr;
    UINT len = 0;
    if (!::VerQueryValueA(m_data.get(), subBlock, &value, &len) || !value || len == 0)
        return nullptr;
    return static_cast<const char*>(value);
}

int LoadVersionInfo(const char* path, CVersionBlock& holder) { return holder.Load(path); }

const char* GetFileVersionText(const CVersionBlock& block) {
    const char* v = block.Query("\\StringFileInfo\\041104b0\\FileVersion");
    return v ? v : block.Query("\\StringFileInfo\\041103a4\\FileVersion");
}

std::string GetProductVersionLabel(const char* exePath) {
    CVersionBlock block;
    const char* version = nullptr;
    if (LoadVersionInfo(exePath, block) == 0)
        version = block.Query("\\StringFileInfo\\041104b0\\ProductVersion");
    return FormatProductVersionLabel(version ? version : "");
}

std::string GetProductVersionLabel() { return GetProductVersionLabel(GetExePath().c_str()); }

std::optional<std::string> ConvertCodePage(const char* text, unsigned fromCodePage,
                                           unsigned toCodePage) {
    if (!text) return std::nullopt;
    if (!*text) {
        // Nothing to convert, but the code pages must still be real ones.
        if (!::IsValidCodePage(fromCodePage == CP_ACP ? ::GetACP() : fromCodePage) ||
            !::IsValidCodePage(toCodePage == CP_ACP ? ::GetACP() : toCodePage))
            return std::nullopt;
        return std::string();
    }
    int length = static_cast<int>(strlen(text));
    int wideLength = ::MultiByteToWideChar(fromCodePage, 0, text, length, nullptr, 0);
    if (wideLength <= 0) return std::nullopt;
    std::wstring wide(wideLength, L'\0');
    if (::MultiByteToWideChar(fromCodePage, 0, text, length, &wide[0], wideLength) != wideLength)
        return std::nullopt;
    int outLength =
        ::WideCharToMultiByte(toCodePage, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (outLength <= 0) return std::nullopt;
    std::string out(outLength, '\0');
    if (::WideCharToMultiByte(toCodePage, 0, wide.data(), wideLength, &out[0], outLength, nullptr,
                              nullptr) != outLength)
        return std::nullopt;
    return out;
}
