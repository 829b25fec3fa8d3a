#pragma once
// File-system helpers shared by the application frame and the file classes.
// Paths are in the ANSI code page unless a parameter says otherwise.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "common/UrlEscape.h"
#include "common/Version.h"

// Creates every missing folder of a path, outermost first, through the wide
// API with the long-path prefix ("\\?\" or "\\?\UNC"), so the path may be
// far longer than MAX_PATH. True when the whole path is a directory or a root
// afterwards; false when it is a file or could not be made.
bool CreateDirectories(const char* path);
// The same for a path held as a text: done when it is a directory or a root,
// false when empty or a file, otherwise the parent first, then the folder.
bool CreateDirectories(const std::string& path);

// Total bytes of all files below folder, subfolders included; 0 when it
// cannot be searched.
uint64_t GetFolderSize(const char* folder);

// Deletes every file and subfolder below folder and, with removeFolder, the
// folder itself. True only when every deletion succeeded.
bool DeleteFolderTree(const char* folder, bool removeFolder);

bool PathExists(const char* path);
bool IsDirectory(const char* path);
bool IsRoot(const char* path);

// The running executable: full path, folder (with '\') and file name.
std::string GetExePath();
std::string GetExeFolder();
std::string GetExeFileName();

// A version-information block read from an executable, kept by the caller.
class CVersionBlock {
public:
    // 0 loaded, 1 no such file, 2 no version information, 3 out of memory,
    // 4 reading failed.
    int Load(const char* path);
    // A string value such as "\StringFileInfo\041104b0\FileVersion"; null
    // when the block or the value is missing.
    const char* Query(const char* subBlock) const;

private:
    std::unique_ptr<char[]> m_data;
};

int LoadVersionInfo(const char* path, CVersionBlock& holder);
// FileVersion under the Japanese translations the program's resources use.
const char* GetFileVersionText(const CVersionBlock& block);

// "Ver." and the running program's ProductVersion without its last part;
// "Ver." alone when the resource cannot be read.
std::string GetProductVersionLabel();
// The same for another executable.
std::string GetProductVersionLabel(const char* exePath);

// text from one code page to another (CP_ACP, CP_UTF8, 932...); nothing
// when a code page is unknown or the text cannot be converted.
std::optional<std::string> ConvertCodePage(const char* text, unsigned fromCodePage,
                                           unsigned toCodePage);
