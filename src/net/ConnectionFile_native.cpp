// Native stand-ins for the file and version look-ups of the connection table.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "net/ConnectionFile.h"

FileReadResult ReadWholeFile(const std::string& path, bool, std::string& out) {
    FileReadResult r;
    out.clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        r.status = errno == ENOENT ? FileReadStatus::kMissing : FileReadStatus::kOpenFailed;
        r.error = static_cast<uint32_t>(errno);
        return r;
    }
    char buf[65536];
    size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, got);
    if (std::ferror(f)) {
        r.status = FileReadStatus::kReadFailed;
        r.error = static_cast<uint32_t>(errno);
    }
    r.size = out.size();
    std::fclose(f);
    return r;
}

bool ConnectionFileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// The native core has no executable folder of its own; tests set the path.
std::string DefaultConnectionInfoPath() { return "Connection.info"; }

// No installation exists natively.
std::string GetProgramVersionText() { return "0.0.0.0"; }

bool ReadPcLinkNaviUnit(char, NaviUnitFacts&) { return false; }
