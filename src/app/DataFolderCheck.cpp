#include <string>

#include "app/CommandLine.h"
#include "common/Folders.h"
#include "common/Mbcs.h"

bool IsOwnDataFolder(const std::string& path) {
    const std::string tail = kDataFolderTail;
    if (path.size() <= tail.size()) return false;
    // Compare from a character boundary: walk the head so a trail byte of
    // the path is never taken for the start of the tail.
    size_t i = 0;
    bool afterSeparator = false;
    const size_t start = path.size() - tail.size();
    while (i < start) {
        const bool lead = IsCp932LeadByte(static_cast<unsigned char>(path[i]));
        afterSeparator = !lead && path[i] == '\\';
        i += lead ? 2 : 1;
    }
    if (i != start || !afterSeparator) return false;
    return EqualsNoCaseMbcs(path.substr(start), tail.c_str());
}
