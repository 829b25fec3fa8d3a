#pragma once
// Paths and file builders shared by the skin tests under Wine.
#include <windows.h>

#include <string>

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

constexpr const char kHeader[] = "<SDC2 Skin Definition File Version 0.10>";

inline std::string SkinFile(const std::string& body) {
    std::string out = std::string(kHeader) + "\r\n";
    for (char c : body) {
        if (c == '\n')
            out += "\r\n";
        else
            out.push_back(c);
    }
    return out;
}

}  // namespace skintest
