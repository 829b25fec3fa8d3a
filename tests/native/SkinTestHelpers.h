#pragma once
// Builds skin files for the native skin tests.
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "ui/SkinData.h"
#include "ui/SkinLoader.h"

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

// The files of resources that Skins.rc lists (name, path).
inline std::vector<std::pair<std::string, std::string>> CarriedResources() {
    std::vector<std::pair<std::string, std::string>> out;
    std::istringstream rc(ReadSourceFile("resources/Skins.rc"));
    std::string line;
    while (std::getline(rc, line)) {
        std::istringstream words(line);
        std::string name, type, path;
        if (words >> name >> type >> path && type == "SKIN")
            out.emplace_back(name, path.substr(1, path.size() - 2));
    }
    return out;
}

inline ui::CMemorySkinSource AllSkinFiles() {
    ui::CMemorySkinSource source;
    for (const auto& [name, path] : CarriedResources())
        if (path.rfind("skin/", 0) == 0)
            source.Add(path.substr(5), ReadSourceFile("resources/" + path));
    return source;
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
