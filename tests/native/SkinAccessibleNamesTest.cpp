// Every control of every skin file the program carries has a name a screen
// reader can speak: buttons, edit boxes, list views and progress pictures,
// by their label, AccessibleName or tool-tip, after the classes are merged.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SkinTestHelpers.h"
#include "ui/SkinAccessRules.h"
#include "ui/SkinItemRules.h"
#include "ui/SkinLoader.h"
#include "ui/SkinProperties.h"

using namespace ui;

namespace {

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

TEST(SkinAccessibleNames, EveryControlOfEveryWindowHasOne) {
    CMemorySkinSource source = skintest::AllSkinFiles();
    int controls = 0;
    std::vector<std::string> unnamed;
    for (const auto& [name, path] : skintest::CarriedResources()) {
        if (path.rfind("skin/", 0) != 0) continue;
        SkinData skin;
        SkinError error;
        ASSERT_TRUE(LoadAndResolveSkin(source, path.substr(5), skin, error)) << error.Text();
        for (const auto& [block, item] : skin) {
            // Classes have no place; only placed blocks become items.
            if (!HasProperty(item, "Position")) continue;
            const std::string kind = ControlKind(item);
            if (kind.empty()) continue;
            ++controls;
            const std::string spoken =
                AccessibleNameOf(ExpandLineBreaks(First(item, "Text")),
                                 First(item, "AccessibleName"), First(item, "ToolTipText"));
            if (spoken.empty()) unnamed.push_back(path + ": " + block + " (" + kind + ")");
        }
    }
    EXPECT_GT(controls, 40);
    std::string list;
    for (const std::string& u : unnamed) list += u + "\n";
    EXPECT_TRUE(unnamed.empty()) << list;
}
