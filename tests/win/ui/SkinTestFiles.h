#pragma once
// What the skin tests under Wine share: the source path below, and SkinFile
// from the native skin tests so that both build skin files alike.
#include <windows.h>

#include <string>

#include "tests/native/SkinTestHelpers.h"

namespace skintest {

// The source tree (QM_SOURCE_DIR from wine-run) as a Windows path with '\'.
inline std::string SourcePath(const std::string& relative) {
    char buffer[MAX_PATH] = {};
    DWORD n = ::GetEnvironmentVariableA("QM_SOURCE_DIR", buffer, MAX_PATH);
    std::string path = (n > 0 && n < MAX_PATH) ? std::string("Z:") + buffer : std::string();
    path += "/" + relative;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

}  // namespace skintest
