#pragma once
// File-system helpers shared by the application frame and the file classes.
// Paths are in the ANSI code page unless a parameter says otherwise.
#include <cstdint>
#include <memory>
#include <string>

// Creates every missing folder of a path, outermost first, through the wide
// API with the long-path prefix. True when the whole path is a directory
// afterwards.
bool CreateDirectories(const char* path);

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
