#pragma once
// Packs a folder into a zip archive with zlib's zip writer: one deflated
// entry per file, named by its path relative to the folder.
#include <windows.h>

#include <string>

class CZipIF {
public:
    // True when every file went in; the archive's folder is created.
    bool ZipFolder(const char* folder, const char* zipPath);
    // The zip writer's code (or the system error) of the failure.
    int GetLastZipError() const { return m_zipError; }

private:
    bool _ZipFolderEx(void* zip, const std::string& folder, const std::string& prefix);
    bool _ZipFileEx(void* zip, const std::string& path, const std::string& entryName);
    bool _ZipEmptyFolder(void* zip, const std::string& entryName);

    int m_zipError = 0;
};
