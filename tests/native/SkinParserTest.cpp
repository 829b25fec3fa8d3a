#include <gtest/gtest.h>

#include "SkinTestHelpers.h"
#include "ui/SkinParser.h"

using namespace ui;
using skintest::Item;
using skintest::SkinFile;

namespace {

std::string Tokens(const std::wstring& line) {
    std::string out;
    for (const SkinToken& t : TokenizeSkinLine(line))
        out += (t.quoted ? "Q[" : "[") + SkinTokenToText(t.text) + "]";
    return out;
}

// Parses a whole file (header added) and returns the error text or "".
std::string Parse(const std::string& body, ParsedSkinFile& out) {
    SkinError error;
    bool ok = ParseSkinLines("T.txt", DecodeSkinResource(SkinFile(body)), out, error);
    EXPECT_EQ(ok, !error.Failed());
    return error.Text();
}

std::string ParseError(const std::string& body) {
    ParsedSkinFile out;
    return Parse(body, out);
}

}  // namespace

TEST(SkinTokenizer, QuotedStrings) {
    // Delimiters and backslashes inside a string are kept; no escapes here.
    EXPECT_EQ(Tokens(L"\"a, b;{}=\\n\""), "Q[a, b;{}=\\n]");
    // Characters collected before the quote stay in front of it.
    EXPECT_EQ(Tokens(L"abc\"def\"ghi"), "Q[abcdef][ghi]");
    // An empty string gives no token at all, not even an empty one.
    EXPECT_EQ(Tokens(L"=\"\";"), "[=][;]");
    // A string left open ends with the line.
    EXPECT_EQ(Tokens(L"\"open end"), "Q[open end]");
}

TEST(SkinTokenizer, CommentCutEvenInsideQuotes) {
    EXPECT_EQ(CutSkinComment(L"Key = 1; // note"), L"Key = 1; ");
    EXPECT_EQ(CutSkinComment(L"Url = \"http://host/\";"), L"Url = \"http:");
    EXPECT_EQ(CutSkinComment(L"a / b"), L"a / b");
}

TEST(SkinDecode, ResourceBytes) {
    // Code page 932 text, split at CR LF only.
    auto lines = DecodeSkinResource("h\r\na\nb\rc\r\n\x95\x5C\r\nlast");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], L"a\nb\rc");
    EXPECT_EQ(lines[2], L"\u8868");  // 表, whose trail byte is a backslash
    EXPECT_EQ(lines[3], L"last");
    // The text ends at the first zero byte.
    EXPECT_EQ(DecodeSkinResource(std::string("a\r\nb\0c\r\nd", 9)).size(), 2u);
    // UTF-16LE after FF FE.
    const std::string utf16(
        "\xFF\xFE"
        "h\0\r\0\n\0x\0=\0\x68\x88",
        14);
    lines = DecodeSkinResource(utf16);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], L"h");
    EXPECT_EQ(lines[1], L"x=\u8868");
    // An odd last byte of UTF-16 text is dropped, not read past.
    EXPECT_EQ(DecodeSkinResource(std::string("\xFF\xFE"
                                             "a\0b",
                                             5)),
              std::vector<std::wstring>{L"a"});
    EXPECT_TRUE(DecodeSkinResource("").empty());
}

TEST(SkinParser, BackslashJoinsStringsAcrossLines) {
    ParsedSkinFile out;
    ASSERT_EQ(Parse("A {\n Text = \"abc\" \\ \"def\",\n \"x\"\\\n\"y\" \\\n \"z\";\n}", out), "");
    EXPECT_EQ(out.items["A"].properties["Text"], (SkinValues{"abcdef", "xyz"}));
    // Joining an unquoted token after the backslash is an error.
    EXPECT_EQ(ParseError("A {\n K = \"a\" \\ b;\n}"),
              "T.txt line 3:\\の次は文字列で無ければなりません。");
    // A backslash where a value is expected.
    EXPECT_EQ(ParseError("A {\n K = \\ \"a\";\n}"), "T.txt line 3:;が見つかりません。");
}

TEST(SkinParser, OpenBlockAtEndOfFileKeepsWhatItRead) {
    ParsedSkinFile out;
    EXPECT_EQ(Parse("A {\n K = 1, 2;\n L = 3", out), "");
    EXPECT_EQ(Item(out.items, "A"), "K=1|2;L=3;");
    out = ParsedSkinFile();
    EXPECT_EQ(Parse("A {\n K =", out), "");
    EXPECT_EQ(Item(out.items, "A"), "K=;");  // the key, with no value
    EXPECT_EQ(out.items["A"].properties["K"].size(), 0u);
}

TEST(SkinParser, IncludeAndLanguageDirectives) {
    ParsedSkinFile out;
    ASSERT_EQ(Parse("#include \"Common.txt\"\n#INCLUDE Other.txt #Language \"L.txt\"\n"
                    "#LANGUAGE x.txt\nA{}",
                    out),
              "");
    EXPECT_EQ(out.includes, (std::vector<std::string>{"Common.txt", "Other.txt"}));
    EXPECT_EQ(out.languages, (std::vector<std::string>{"L.txt", "x.txt"}));
    EXPECT_EQ(out.items.size(), 1u);
}

TEST(SkinParser, EveryMessageWithFileAndLine) {
    EXPECT_EQ(ParseError("{"), "T.txt line 2:アイテム名が存在しません。");
    EXPECT_EQ(ParseError("#pragma once"), "T.txt line 2:#pragmaは異常なプリプロセッサ命令です。");
    EXPECT_EQ(ParseError("#include ;"), "T.txt line 2:#includeの構文が不正です。");
    EXPECT_EQ(ParseError("A B"), "T.txt line 2:{が見つかりません。");
    EXPECT_EQ(ParseError("A { = }"), "T.txt line 2:}が見つかりません。");
    EXPECT_EQ(ParseError("A { K ; }"), "T.txt line 2:=が見つかりません。");
    EXPECT_EQ(ParseError("A { K = { }"), "T.txt line 2:;が見つかりません。");
    EXPECT_EQ(ParseError("A { K = 1 { }"), "T.txt line 2:,または;が必要です。");
    EXPECT_EQ(ParseError("A { K = 1 2; }"), "T.txt line 2:区切り文字が見つかりません。");
    // Comment-only and empty lines still count.
    EXPECT_EQ(ParseError("// c\n\nA {\n// c\n K = 1 2;\n}"),
              "T.txt line 6:区切り文字が見つかりません。");
}

TEST(SkinParser, ErrorKeepsWhatWasRead) {
    ParsedSkinFile out;
    EXPECT_EQ(Parse("A {\n K = 1;\n B C", out), "T.txt line 4:=が見つかりません。");
    EXPECT_EQ(Item(out.items, "A"), "B=;K=1;");
}

TEST(SkinParser, DoubleByteValuesSurviveRoundTrip) {
    // 表 (0x95 0x5C) and ソ (0x83 0x5C): the trail byte is a backslash, which
    // must neither join strings nor end a token.
    ParsedSkinFile out;
    ASSERT_EQ(Parse("A { K = \x95\x5C, \"\x83\x5C\x83\x5C\"; }", out), "");
    EXPECT_EQ(out.items["A"].properties["K"], (SkinValues{"\x95\x5C", "\x83\x5C\x83\x5C"}));
}
