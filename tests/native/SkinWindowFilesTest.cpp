// Every skin file the program carries, loaded the way the program loads it: each window file
// resolves without a skin error and passes the checks its window makes first.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "SkinTestHelpers.h"
#include "ui/SkinLoader.h"
#include "ui/SkinProperties.h"
#include "ui/SkinRequiredKeys.h"

using namespace ui;
using skintest::AllSkinFiles;
using skintest::CarriedResources;

namespace {

// What the window does right after GetSkin (the base block's checks, the
// base font, the string table), and its scroll bars' and list views' checks.
void LoadWindow(CMemorySkinSource& source, const std::string& file, const std::string& baseName,
                SkinData& skin, int& lists) {
    SkinError error;
    ASSERT_TRUE(LoadAndResolveSkin(source, file, skin, error)) << error.Text();
    InheritBaseFont(skin, baseName);
    const SkinItem* base = FindSkinItem(skin, baseName);
    ASSERT_NE(base, nullptr) << baseName;
    EXPECT_TRUE(
        CheckSkinProperties(*base, kSkinWindowBaseSpec, SpecCount(kSkinWindowBaseSpec), error))
        << error.Text();
    EXPECT_TRUE(
        CheckSkinProperties(*base, kResizableBaseSpec, SpecCount(kResizableBaseSpec), error))
        << error.Text();
    // Placed items only: the classes they inherit from have no position.
    for (const auto& [name, item] : skin) {
        if (!HasProperty(item, "Position")) continue;
        const bool scroll = HasProperty(item, "ThumbPart"),
                   list = HasProperty(item, "NormalRowCount");
        lists += list;
        EXPECT_TRUE(!scroll ||
                    CheckSkinProperties(item, kScrollBarSpec, SpecCount(kScrollBarSpec), error))
            << name << ": " << error.Text();
        EXPECT_TRUE(!list ||
                    CheckSkinProperties(item, kListViewSpec, SpecCount(kListViewSpec), error))
            << name << ": " << error.Text();
    }
    std::map<std::string, std::string> strings;
    EXPECT_TRUE(ReadStringTable(skin, strings, error)) << error.Text();
}

}  // namespace

TEST(SkinWindowFiles, EveryWindowLoadsAndPassesItsFirstChecks) {
    CMemorySkinSource source = AllSkinFiles();
    int windows = 0, lists = 0;
    for (const auto& [name, path] : CarriedResources()) {
        if (path.find("Window.txt") == std::string::npos &&
            path.find("Dialog.txt") == std::string::npos)
            continue;
        SCOPED_TRACE(path);
        ++windows;
        SkinData skin;
        ASSERT_NO_FATAL_FAILURE(LoadWindow(source, path.substr(5), "Base", skin, lists));
    }
    EXPECT_EQ(windows, 17);
    EXPECT_GT(lists, 0);
    SkinData description;
    SkinError error;
    ASSERT_TRUE(LoadAndResolveSkin(source, "Description.txt", description, error)) << error.Text();
    EXPECT_EQ(description.at("Description").properties.at("ImageFile"),
              (SkinValues{"Base.png", "Parts.png"}));
}
