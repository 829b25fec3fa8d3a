#include <gtest/gtest.h>

#include "SkinTestHelpers.h"
#include "ui/SkinLoader.h"

using namespace ui;
using skintest::Item;
using skintest::SkinFile;

namespace {

struct Loaded {
    bool ok = false;
    SkinData skin;
    SkinError error;
};

Loaded Load(CMemorySkinSource& source, const std::string& name) {
    Loaded result;
    result.ok = LoadAndResolveSkin(source, name, result.skin, result.error);
    EXPECT_EQ(result.ok, !result.error.Failed());
    return result;
}

// A load that must succeed: its skin.
SkinData LoadOk(CMemorySkinSource& source, const std::string& name) {
    Loaded r = Load(source, name);
    EXPECT_TRUE(r.ok) << r.error.Text();
    return r.skin;
}

}  // namespace

TEST(SkinLoader, EarlierIncludesOverrideLaterAndIncludesOverrideLanguage) {
    // Per property; file names match without case, as resource names do; replacement tables
    // merge the same way.
    CMemorySkinSource source;
    source.Add("First.txt",
               SkinFile("A { K = first; F = first; }\nReplacementTable { %C% = 1; %D% = 1; }"));
    source.Add("Second.txt", SkinFile("A { K = second; S = second; F = second; }"));
    source.Add("Lang.txt", SkinFile("A { K = lang; F = lang; G = lang; }"));
    // The language directive comes first in the file, yet loses.
    source.Add("Win.txt",
               SkinFile("#language \"Lang.txt\"\n#include \"FIRST.TXT\"\n#include \"Second.txt\"\n"
                        "A { K = own; }\nReplacementTable { %C% = win; }\nX { V = %C%, %D%; }"));
    SkinData skin = LoadOk(source, "win.TXT");
    EXPECT_EQ(Item(skin, "A"), "F=first;G=lang;K=own;S=second;");
    EXPECT_EQ(Item(skin, "X"), "V=win|1;");
}

TEST(SkinLoader, IncludeCycleEnds) {
    CMemorySkinSource source;
    source.Add("A.txt", SkinFile("#include \"B.txt\"\nA { From = a; }"));
    source.Add("B.txt", SkinFile("#include \"A.txt\"\nB { From = b; }"));
    SkinData skin = LoadOk(source, "A.txt");
    // The top file is not on the done list, so it is read once more inside B.
    EXPECT_EQ(source.ReadCount("A.txt"), 2);
    EXPECT_EQ(source.ReadCount("B.txt"), 1);
    EXPECT_EQ(Item(skin, "A"), "From=a;");
    EXPECT_EQ(Item(skin, "B"), "From=b;");
}

TEST(SkinLoader, ErrorInIncludeIsWrappedPerLevel) {
    CMemorySkinSource source;
    source.Add("Inner.txt", SkinFile("A {\n K = 1 2;\n}"));
    source.Add("Mid.txt", SkinFile("#include \"Inner.txt\""));
    source.Add("Win.txt", SkinFile("#include \"Mid.txt\"\nB { }"));
    Loaded r = Load(source, "Win.txt");
    ASSERT_FALSE(r.ok);
    EXPECT_EQ(r.error.messages,
              (std::vector<std::string>{
                  "Inner.txt line 3:区切り文字が見つかりません。",
                  "[Inner.txtの取り込みエラー]Inner.txt line 3:区切り文字が見つかりません。",
                  "[Mid.txtの取り込みエラー][Inner.txtの取り込みエラー]Inner.txt line "
                  "3:区切り文字が見つかりません。"}));
    EXPECT_EQ(r.error.line, 3);
    // A missing include.
    source.Add("Bad.txt", SkinFile("#language \"Nowhere.txt\""));
    r = Load(source, "Bad.txt");
    EXPECT_EQ(r.error.Text(), "[Nowhere.txtの取り込みエラー]skin file open error");
}

TEST(SkinLoader, ReplacementTable) {
    CMemorySkinSource source;
    source.Add("Win.txt", SkinFile(R"(ReplacementTable {
    %ColorWhite% = "255";
    %ColorWhite% = "0";
    %ColorWhite% = "128";
    %Empty% = ;
    %None% =
;
    %A% = "%B%";
    %B% = "b";
    Plain = "p";
}
X {
    Color = %ColorWhite%, %ColorWhite%, x%ColorWhite%;
    E = %Empty%, %None%;
    Chain = %A%, %B%;
    Key = Plain, plain;
}
)"));
    SkinData skin = LoadOk(source, "Win.txt");
    EXPECT_EQ(skin.count("ReplacementTable"), 0u);
    // Whole values only, case-sensitive; the first of repeated values wins; a
    // replacement is not replaced again; any key works as a pattern.
    EXPECT_EQ(Item(skin, "X"), "Chain=%B%|b;Color=255|255|x%ColorWhite%;E=|;Key=p|plain;");
}

TEST(SkinLoader, ClassChainsAndCycles) {
    CMemorySkinSource source;
    source.Add("Win.txt", SkinFile(R"(
B { FromB = b; Over = b; Deep = b; }
A { Class = B; FromA = a; Over = a; }
Item { Class = A; Over = own; }
Zed { Class = "%Cls%"; }
ReplacementTable { %Cls% = Item; }
C { Class = D; K = c; }
D { Class = C; L = d; }
S { Class = S; M = s; }
)"));
    SkinData skin = LoadOk(source, "Win.txt");
    EXPECT_EQ(Item(skin, "Item"), "Deep=b;FromA=a;FromB=b;Over=own;");
    // The class name itself goes through the replacement table first.
    EXPECT_EQ(Item(skin, "Zed"), "Deep=b;FromA=a;FromB=b;Over=own;");
    // A cycle ends where it comes round.
    EXPECT_EQ(Item(skin, "C"), "K=c;L=d;");
    EXPECT_EQ(Item(skin, "D"), "K=c;L=d;");
    EXPECT_EQ(Item(skin, "S"), "M=s;");
}

TEST(SkinLoader, VeryLongClassChainDoesNotExhaustTheStack) {
    // Item0 -> Item1 -> ... -> Item59999, each adding a key of its own.
    const int kLength = 60000;
    std::string body;
    for (int i = 0; i < kLength; ++i) {
        body += "I" + std::to_string(i) + " { ";
        if (i + 1 < kLength) body += "Class = I" + std::to_string(i + 1) + "; ";
        body += "K" + std::to_string(i % 3) + " = " + std::to_string(i) + "; }\n";
    }
    CMemorySkinSource source;
    source.Add("Long.txt", SkinFile(body));
    SkinData skin = LoadOk(source, "Long.txt");
    // Each key comes from the nearest item of the chain that has it.
    EXPECT_EQ(Item(skin, "I0"), "K0=0;K1=1;K2=2;");
    EXPECT_EQ(Item(skin, "I59998"), "K1=59998;K2=59999;");
}

TEST(SkinLoader, ClassErrors) {
    CMemorySkinSource source;
    source.Add("Missing.txt", SkinFile("Button { Class = NoSuchClass; }"));
    EXPECT_EQ(Load(source, "Missing.txt").error.Text(),
              "Button 無効な Class(NoSuchClass)が指定されました");
    // A missing class deeper in a chain names the item that names it.
    source.Add("Deep.txt", SkinFile("A { Class = B; }\nB { Class = Gone; }\nC { Class = A; }"));
    EXPECT_EQ(Load(source, "Deep.txt").error.Text(), "B 無効な Class(Gone)が指定されました");
    source.Add("Two.txt", SkinFile("A { Class = B, C; }\nB { }"));
    EXPECT_EQ(Load(source, "Two.txt").error.Text(),
              "A/Classのパラメータは 1個必要ですが、2個指定されています");
    source.Add("None.txt", SkinFile("A { Class ="));
    EXPECT_EQ(Load(source, "None.txt").error.Text(), "A/Classのパラメータは 1個必要です");
}
