// Every skin file the program carries, loaded the way the program loads it: each window file
// resolves without a skin error and passes the checks its window makes first, and every control
// of every file has a name a screen reader can speak (label, AccessibleName or tool-tip, after the
// classes are merged).
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "SkinTestHelpers.h"
#include "ui/SkinAccessRules.h"
#include "ui/SkinItemRules.h"
#include "ui/SkinLoader.h"
#include "ui/SkinProperties.h"
#include "ui/SkinRequiredKeys.h"

using namespace ui;

namespace {

// What the window does right after GetSkin (the base block's checks, the
// base font, the string table), and its scroll bars' and list views' checks.
void CheckWindow(SkinData& skin, const std::string& baseName, int& lists) {
    SkinError error;
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

std::string First(const SkinItem& item, const char* key) {
    const auto found = item.properties.find(key);
    return found == item.properties.end() || found->second.empty() ? std::string()
                                                                   : found->second[0];
}

// The kind of control a placed block describes, by the keys its class
// gives it; empty for pictures and labels, which need no name.
std::string ControlKind(const SkinItem& item) {
    if (HasProperty(item, "NormalImage")) return "button";
    if (HasProperty(item, "NormalRowCount")) return "list";
    if (HasProperty(item, "Limit") && HasProperty(item, "Frame")) return "edit box";
    if (HasProperty(item, "ImageTilde")) return "progress picture";
    return std::string();
}

}  // namespace

TEST(SkinWindowFiles, EveryWindowLoadsPassesItsFirstChecksAndNamesItsControls) {
    CMemorySkinSource source = skintest::AllSkinFiles();
    int windows = 0, lists = 0, controls = 0;
    std::string unnamed;
    for (const auto& [name, path] : skintest::CarriedResources()) {
        if (path.rfind("skin/", 0) != 0) continue;
        SCOPED_TRACE(path);
        SkinData skin;
        SkinError error;
        ASSERT_TRUE(LoadAndResolveSkin(source, path.substr(5), skin, error)) << error.Text();
        for (const auto& [block, item] : skin) {
            const std::string kind = ControlKind(item);
            if (!HasProperty(item, "Position") || kind.empty()) continue;
            ++controls;
            if (AccessibleNameOf(ExpandLineBreaks(First(item, "Text")),
                                 First(item, "AccessibleName"), First(item, "ToolTipText"))
                    .empty())
                unnamed += path + ": " + block + " (" + kind + ")\n";
        }
        if (path.find("Window.txt") == std::string::npos &&
            path.find("Dialog.txt") == std::string::npos)
            continue;
        ++windows;
        ASSERT_NO_FATAL_FAILURE(CheckWindow(skin, "Base", lists));
    }
    EXPECT_EQ(windows, 17);
    EXPECT_GT(lists, 0);
    EXPECT_GT(controls, 40);
    EXPECT_EQ(unnamed, "");
    SkinData description;
    SkinError error;
    ASSERT_TRUE(LoadAndResolveSkin(source, "Description.txt", description, error)) << error.Text();
    EXPECT_EQ(description.at("Description").properties.at("ImageFile"),
              (SkinValues{"Base.png", "Parts.png"}));
}
