#include "common/Folders.h"

#include <windows.h>
#include <shlobj.h>

#include <mutex>

#include "common/FileHelpers.h"
#include "common/Mbcs.h"
#include "common/WinHandle.h"

namespace {

constexpr DWORD kInstallDirBytes = 512;

// True when the last character is '\' (not the trail byte of a double-byte
// character such as 表).
bool EndsWithSeparator(const std::string& path) {
    bool last = false;
    for (size_t i = 0; i < path.size(); ++i) {
        last = false;
        if (IsCp932LeadByte(static_cast<unsigned char>(path[i])))
            ++i;
        else
            last = path[i] == '\\';
    }
    return last;
}

std::string WithSlash(std::string path) {
    if (!path.empty() && !EndsWithSeparator(path)) path += '\\';
    return path;
}

std::string Ensure(std::string path) {
    if (!IsDirectory(path.c_str())) CreateDirectories(path.c_str());
    return path;
}

std::mutex g_dataFolderLock;
std::string g_dataFolder;  // kept after the first successful shell answer

}  // namespace

std::string GetDataFolder() {
    std::lock_guard<std::mutex> lock(g_dataFolderLock);
    if (!g_dataFolder.empty()) return g_dataFolder;

    char buf[MAX_PATH] = {};
    HRESULT hr = ::SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                                    SHGFP_TYPE_CURRENT, buf);
    if (SUCCEEDED(hr) && buf[0]) {
        g_dataFolder = WithSlash(buf) + kDataFolderTail;
        return Ensure(g_dataFolder);
    }
    // No answer from the shell: the all-users folder, asked again next time.
    char sys[MAX_PATH] = {};
    ::GetSystemDirectoryA(sys, MAX_PATH);
    std::string fallback = std::string(1, sys[0] ? sys[0] : 'C') +
                           ":\\Documents and Settings\\All Users\\Application Data\\";
    return Ensure(fallback);
}

std::string GetSettingFolder() { return Ensure(GetDataFolder() + "Setting\\"); }
std::string GetUserDataRoot() { return Ensure(GetDataFolder() + "Data\\"); }
std::string GetTemporaryFolder() { return Ensure(GetDataFolder() + "TemporaryFile\\"); }
std::string GetLogFolder() { return Ensure(GetDataFolder() + "Log\\"); }

std::string GetUserDataFolder(const char* name) {
    if (!name) return std::string();
    return Ensure(GetUserDataRoot() + name + "\\");
}

std::string GetDefaultDownloadFolder() {
    char sys[MAX_PATH] = {};
    ::GetSystemDirectoryA(sys, MAX_PATH);
    std::string root = std::string(1, sys[0] ? sys[0] : 'C') + ":\\";
    return Ensure(root + "Quillmarch\\Download\\");
}

std::string GetProgramPath(int id) {
    static const char* const kExeNames[] = {"Quillmarch.exe", "Quillmarch_Core.exe",
                                            "Quillmarch_Music.exe"};
    if (id < 0 || id >= static_cast<int>(sizeof kExeNames / sizeof kExeNames[0]))
        return std::string();

    HKEY raw = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvane\\Quillmarch\\", 0, KEY_QUERY_VALUE,
                        &raw) != ERROR_SUCCESS)
        return std::string();
    qm::CRegKey key(raw);
    // A 512-byte value; one byte more so a value stored without its
    // terminator still ends.
    char buf[kInstallDirBytes + 1] = {};
    DWORD size = kInstallDirBytes, type = 0;
    if (::RegQueryValueExA(key.Get(), "InstallDir", nullptr, &type, reinterpret_cast<BYTE*>(buf),
                           &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::string();
    std::string folder = buf;
    if (!EndsWithSeparator(folder)) folder += '\\';
    return folder + kExeNames[id];
}
