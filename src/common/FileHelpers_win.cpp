#include "common/FileHelpers.h"

#include <windows.h>
#include <shlwapi.h>

#include <new>
#include <vector>

#include "common/CodePage.h"
#include "common/Mbcs.h"
#include "common/WinHandle.h"

namespace {

// "\\?\C:\x" or "\\?\UNC\server\share\x": lifts the MAX_PATH limit.
std::wstring LongPath(const std::string& ansi) {
    std::wstring w = AnsiToWide(ansi);
    if (w.size() >= 2 && w[0] == L'\\' && w[1] == L'\\') return L"\\\\?\\UNC" + w.substr(1);
    return L"\\\\?\\" + w;
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
        // Nothing to create for "", "\\", "C:" or the "\\server" of a UNC path.
        if (prefix.size() <= 2 || prefix.back() == ':' || prefix.back() == '\\') continue;
        std::wstring w = LongPath(prefix);
        if (!IsDirectoryW(w)) ::CreateDirectoryW(w.c_str(), nullptr);
    }
    if (IsRoot(p.c_str())) return true;
    if (lastSep == p.size() - 1) p.pop_back();
    std::wstring w = LongPath(p);
    if (IsDirectoryW(w)) return true;
    return ::CreateDirectoryW(w.c_str(), nullptr) || IsDirectoryW(w);
}

bool DeleteFolderTree(const char* folder, bool removeFolder) {
    if (!folder || !*folder) return false;
    std::string base = folder;
    if (base.back() != '\\') base += '\\';
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
