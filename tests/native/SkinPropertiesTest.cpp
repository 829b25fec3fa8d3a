#include <gtest/gtest.h>

#include "SkinTestHelpers.h"
#include "ui/SkinProperties.h"

using namespace ui;
using skintest::Item;

namespace {

SkinItem MakeItem(const std::string& name, std::map<std::string, SkinValues> properties) {
    SkinItem item;
    item.name = name;
    item.properties = std::move(properties);
    return item;
}

std::string Check(const SkinItem& item, const PropertySpec* specs, size_t count) {
    SkinError error;
    bool ok = CheckSkinProperties(item, specs, count, error);
    EXPECT_EQ(ok, !error.Failed());
    return error.Text();
}

}  // namespace

TEST(SkinProperties, CheckMessages) {
    static const PropertySpec kStatic[] = {{"Position", "ii"}, {"Size", "ii"}, {"Font", "sii"}};
    SkinItem item = MakeItem("TitleStatic", {{"Position", {"1", "2"}},
                                             {"Size", {"3", "4"}},
                                             {"Font", {"f", "12", "400"}},
                                             {"Extra", {"x"}}});
    // Extra keys are nobody's business.
    EXPECT_EQ(Check(item, kStatic, 3), "");
    item.properties.erase("Size");
    EXPECT_EQ(Check(item, kStatic, 3), "TitleStatic/Sizeが定義されていません");
    item.properties["Size"] = {"3"};
    EXPECT_EQ(Check(item, kStatic, 3), "TitleStatic/Sizeのパラメータは 2個必要です");
    item.properties["Size"] = {"3", "4", "5"};
    EXPECT_EQ(Check(item, kStatic, 3),
              "TitleStatic/Sizeのパラメータは 2個必要ですが、3個指定されています");
    // Types are not checked: a word where an integer belongs passes.
    item.properties["Size"] = {"x", "4"};
    EXPECT_EQ(Check(item, kStatic, 3), "");
    // Presence-only keys: zero values, zero types.
    static const PropertySpec kFlag[] = {{"AutoDisable", ""}};
    EXPECT_EQ(Check(MakeItem("B", {{"AutoDisable", {}}}), kFlag, 1), "");
    EXPECT_EQ(Check(MakeItem("B", {{"AutoDisable", {""}}}), kFlag, 1),
              "B/AutoDisableのパラメータは 0個必要ですが、1個指定されています");
}

TEST(SkinProperties, Unescape) {
    EXPECT_EQ(Unescape("a\\nb\\rc\\0x22d"), "a\nb\rc\"d");
    EXPECT_EQ(Unescape("\\\\n"), "\\\n");
    EXPECT_EQ(Unescape("\\0x2"), "\\0x2");
    EXPECT_EQ(Unescape("\\"), "\\");
    // 表 then "n": the backslash is the trail byte of 表 and starts no escape.
    EXPECT_EQ(Unescape("\x95\x5Cn"), "\x95\x5Cn");
    EXPECT_EQ(Unescape("\x95\x5C\\n"), "\x95\x5C\n");
    // A lone lead byte at the end is kept.
    EXPECT_EQ(Unescape("a\x95"), "a\x95");
}

TEST(SkinProperties, Conversions) {
    auto text = [](const SkinRect& r) {
        return std::to_string(r.left) + "," + std::to_string(r.top) + "," +
               std::to_string(r.right) + "," + std::to_string(r.bottom);
    };
    EXPECT_EQ(text(ToRect({"Parts.png", "1", "2", "30", "40"}, 1)), "1,2,30,40");
    EXPECT_EQ(text(ToRect({"5"}, 0)), "5,0,0,0");  // missing values count as 0
    EXPECT_EQ(text(ToItemRect({"10", "-20"}, {"100", "50"})), "10,-20,110,30");
    // Wraps, never undefined.
    EXPECT_EQ(ToItemRect({"2147483647", "0"}, {"1", "0"}).right, INT32_MIN);
    EXPECT_EQ(ToColor({"1", "2", "3"}), 0x030201u);
    EXPECT_EQ(ToColor({"256", "-1", "511"}), 0xFFFF00u);
    EXPECT_EQ(ToColor({}), 0u);
}
