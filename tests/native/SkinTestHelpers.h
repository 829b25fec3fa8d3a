#pragma once
// Builds skin files for the native skin tests.
#include <fstream>
#include <sstream>
#include <string>

#include "ui/SkinData.h"

namespace skintest {

#ifdef QM_SOURCE_DIR
// A file of the source tree, whole (native tests only: the Windows test
// programs read their skins from resources).
inline std::string ReadSourceFile(const std::string& relative) {
    std::ifstream in(std::string(QM_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}
#endif

constexpr const char kHeader[] = "<SDC2 Skin Definition File Version 0.10>";

// The header line, then body with every "\n" made a CR LF line end.
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

// key=v1|v2|... lines of one item, for compact expectations.
inline std::string Values(const ui::SkinValues& values) {
    std::string out;
    for (size_t i = 0; i < values.size(); ++i) out += (i ? "|" : "") + values[i];
    return out;
}

inline std::string Item(const ui::SkinData& skin, const std::string& name) {
    auto it = skin.find(name);
    if (it == skin.end()) return "<missing>";
    std::string out;
    for (const auto& [key, values] : it->second.properties) out += key + "=" + Values(values) + ";";
    return out;
}

}  // namespace skintest
