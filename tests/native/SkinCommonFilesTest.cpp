// The common skin files as they ship: they load clean and the resolved tree,
// every class with every value, matches the reviewed golden file
// tests/golden/Common.tree.txt.
#include <gtest/gtest.h>

#include "SkinTestHelpers.h"
#include "ui/SkinDump.h"
#include "ui/SkinLoader.h"
#include "ui/SkinParser.h"
#include "ui/SkinProperties.h"

using namespace ui;
using skintest::ReadSourceFile;

TEST(SkinCommonFiles, StoredAsResourcesExpectThem) {
    const std::string common = ReadSourceFile("resources/skin/Common.txt");
    const std::string strings = ReadSourceFile("resources/skin/DefaultUIString.txt");
    ASSERT_FALSE(common.empty());
    ASSERT_GE(strings.size(), 2u);
    // The resource reader splits at CR LF only: a bare LF would glue lines.
    EXPECT_EQ(common.find("\r\n"), common.find('\n') - 1);
    EXPECT_EQ(common.rfind("\r\n"), common.rfind('\n') - 1);
    // Japanese text in UTF-16LE with its mark.
    EXPECT_EQ(strings.substr(0, 2), "\xFF\xFE");
    for (const std::wstring& line : DecodeSkinResource(strings))
        EXPECT_EQ(line.find(L'\n'), std::wstring::npos);
}

TEST(SkinCommonFiles, ResolvedTreeMatchesGolden) {
    CMemorySkinSource source = skintest::AllSkinFiles();
    SkinData skin;
    SkinError error;
    ASSERT_TRUE(LoadAndResolveSkin(source, "Common.txt", skin, error)) << error.Text();
    const std::string golden = ReadSourceFile("tests/golden/Common.tree.txt");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(DumpSkinTree(skin, SkinDumpCharset::kUtf8), golden);
}

TEST(SkinCommonFiles, WindowFileOnTopOfCommon) {
    CMemorySkinSource source = skintest::AllSkinFiles();
    source.Add("TestWindow.txt", skintest::SkinFile(R"(#include "Common.txt"
Base { Class = WindowBaseClass; Image = "Base.png", 0, 0, 293, 125; Title = "Test"; }
TitleStatic { Class = TitleBaseClass; Text = "Title"; }
CloseButton { Class = CloseButtonClass; Position = 270, 4; }
Label { Font = "Own", "", 700; }
StringTable { }
)"));
    SkinData skin;
    SkinError error;
    ASSERT_TRUE(LoadAndResolveSkin(source, "TestWindow.txt", skin, error)) << error.Text();
    InheritBaseFont(skin, "Base");
    // The title's empty font name comes from the base block, as does any empty part, or the
    // whole font of an item without one.
    EXPECT_EQ(skin["TitleStatic"].properties["Font"], (SkinValues{"ＭＳ Ｐゴシック", "13", "700"}));
    EXPECT_EQ(skin["Label"].properties["Font"], (SkinValues{"Own", "12", "700"}));
    EXPECT_EQ(skin["CloseButton"].properties["Font"], (SkinValues{"ＭＳ Ｐゴシック", "12", "400"}));
}
