// Every skin file the program carries, loaded the way the program loads it:
// each window file resolves without a skin error and cuts every picture from
// inside its sheet (sheet sizes from the sprite table).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "SkinTestHelpers.h"
#include "ui/SkinLoader.h"
#include "ui/SkinProperties.h"

using namespace ui;
using skintest::ReadSourceFile;

namespace {

// The files of resources that Skins.rc lists (name, path).
std::vector<std::pair<std::string, std::string>> CarriedResources() {
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

CMemorySkinSource AllSkinFiles() {
    CMemorySkinSource source;
    for (const auto& [name, path] : CarriedResources())
        if (path.rfind("skin/", 0) == 0)
            source.Add(path.substr(5), ReadSourceFile("resources/" + path));
    return source;
}

// "@sheet" rows of the sprite table: sheet name -> width, height.
std::map<std::string, std::pair<int, int>> SheetSizes() {
    std::map<std::string, std::pair<int, int>> out;
    std::istringstream table(ReadSourceFile("resources/art/sprites.csv"));
    std::string line;
    while (std::getline(table, line)) {
        if (line.rfind("@sheet,", 0) != 0) continue;
        std::vector<std::string> cells;
        std::istringstream row(line);
        for (std::string cell; std::getline(row, cell, ',');) cells.push_back(cell);
        std::string name = cells.at(1).substr(cells[1].find_first_not_of(' '));
        out[name] = {std::stoi(cells.at(4)), std::stoi(cells.at(5))};
    }
    return out;
}

// What the window does right after GetSkin: the base block's checks, the
// base font, the string table.
void LoadWindow(CMemorySkinSource& source, const std::string& file, const std::string& baseName,
                SkinData& skin) {
    static const PropertySpec kBase[] = {
        {"Image", "siiii"},   {"Title", "s"},       {"CaptionHeight", "i"}, {"Font", "sii"},
        {"BorderWidth", "i"}, {"DivPoint", "iiii"}, {"MinSize", "ii"},      {"LayoutSize", "ii"}};
    SkinError error;
    ASSERT_TRUE(LoadAndResolveSkin(source, file, skin, error)) << error.Text();
    InheritBaseFont(skin, baseName);
    const SkinItem* base = FindSkinItem(skin, baseName);
    ASSERT_NE(base, nullptr) << baseName;
    EXPECT_TRUE(CheckSkinProperties(*base, kBase, 8, error)) << error.Text();
    std::map<std::string, std::string> strings;
    EXPECT_TRUE(ReadStringTable(skin, strings, error)) << error.Text();
}

std::pair<int, int> SizeOf(const SkinItem& item, const char* key) {
    auto it = item.properties.find(key);
    if (it == item.properties.end() || it->second.size() < 2) return {0, 0};
    return {ParseSkinInteger(it->second[0]), ParseSkinInteger(it->second[1])};
}

bool Ordered(std::initializer_list<int> values) {
    return std::is_sorted(values.begin(), values.end());
}

// Every rectangle that a key of the item cuts from a sheet, or an empty
// list with a message when the values cannot describe one.
std::vector<SkinRect> Cuts(const SkinItem& item, const std::string& key, const std::vector<int>& v,
                           std::string& problem) {
    auto size = SizeOf(item, item.properties.count("ImageSize") ? "ImageSize" : "Size");
    auto at = [&](int x, int y, std::pair<int, int> wh) {
        return SkinRect{x, y, x + wh.first, y + wh.second};
    };
    switch (v.size()) {
        case 2:  // a button face's top left; the face has the image or item size
            return {at(v[0], v[1], size)};
        case 4:
            if (key == "Image" && item.properties.count("Time"))  // animation: columns x rows
                return {at(v[0], v[1], {size.first * v[2], size.second * v[3]})};
            return {{v[0], v[1], v[2], v[3]}};
        case 6:
            if (key == "BaseImage" || key == "IconImage") return {{v[0], v[1], v[2], v[3]}};
            // a strip: left, repeated middle, right; rows y0 to y1
            if (!Ordered({v[0], v[1], v[2], v[3]})) problem = "bad strip";
            return {{v[0], v[4], v[3], v[5]}};
        case 8:
            if (key.find("ButtonImage") != std::string::npos || key == "ThumbImage") {
                auto part = SizeOf(item, key == "ThumbImage" ? "ThumbSize" : "ButtonSize");
                return {at(v[0], v[1], part), at(v[2], v[3], part), at(v[4], v[5], part),
                        at(v[6], v[7], part)};
            }
            if (!Ordered({v[0], v[1], v[2], v[3]}) || !Ordered({v[4], v[5], v[6], v[7]}))
                problem = "bad nine slices";
            return {{v[0], v[4], v[3], v[7]}};
    }
    problem = "unexpected number of values";
    return {};
}

void ExpectCutsInsideSheets(const SkinData& skin) {
    static const auto sheets = SheetSizes();
    ASSERT_EQ(sheets.size(), 2u);
    for (const auto& [name, item] : skin) {
        for (const auto& [key, values] : item.properties) {
            if (values.empty() || !sheets.count(values[0])) continue;
            const auto [width, height] = sheets.at(values[0]);
            std::vector<int> v;
            for (size_t i = 1; i < values.size(); ++i) v.push_back(ParseSkinInteger(values[i]));
            std::string problem;
            for (const SkinRect& r : Cuts(item, key, v, problem)) {
                // An empty rectangle is caught here too.
                if (r.left < 0 || r.top < 0 || r.right > width || r.bottom > height ||
                    r.left >= r.right || r.top >= r.bottom)
                    problem = "outside " + values[0];
            }
            EXPECT_EQ(problem, "") << name << "/" << key;
        }
    }
}

}  // namespace

TEST(SkinWindowFiles, RcCarriesEveryFileOnce) {
    std::set<std::string> expected = {"BASE.PNG", "PARTS.PNG"};
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(QM_SOURCE_DIR) + "/resources/skin")) {
        std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".txt") continue;
        std::transform(name.begin(), name.end(), name.begin(), ::toupper);
        expected.insert(name);
    }
    std::set<std::string> names;
    for (const auto& [name, path] : CarriedResources()) {
        EXPECT_TRUE(names.insert(name).second) << name;
        std::string file = path.substr(path.find('/') + 1);
        std::transform(file.begin(), file.end(), file.begin(), ::toupper);
        EXPECT_EQ(name, file);
    }
    EXPECT_EQ(names, expected);
}

TEST(SkinWindowFiles, EveryWindowLoadsAndCutsInsideTheSheets) {
    CMemorySkinSource source = AllSkinFiles();
    int windows = 0;
    for (const auto& [name, path] : CarriedResources()) {
        if (path.find("Window.txt") == std::string::npos &&
            path.find("Dialog.txt") == std::string::npos)
            continue;
        SCOPED_TRACE(path);
        ++windows;
        SkinData skin;
        ASSERT_NO_FATAL_FAILURE(LoadWindow(source, path.substr(5), "Base", skin));
        ExpectCutsInsideSheets(skin);
    }
    EXPECT_EQ(windows, 17);
    SkinData description;
    SkinError error;
    ASSERT_TRUE(LoadAndResolveSkin(source, "Description.txt", description, error)) << error.Text();
    EXPECT_EQ(description.at("Description").properties.at("ImageFile"),
              (SkinValues{"Base.png", "Parts.png"}));
}
