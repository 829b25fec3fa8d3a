#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/CsvLine.h"

namespace {
std::vector<std::string> Fields(const std::string& text, char sep = ',') {
    CCsvLine line(text, sep);
    std::vector<std::string> out;
    for (size_t i = 0; i < line.FieldCount(); ++i) {
        std::string f = "sentinel";
        EXPECT_TRUE(line.GetField(i, f));
        out.push_back(f);
    }
    return out;
}
using V = std::vector<std::string>;
}  // namespace

TEST(CsvLine, SplitsAtSeparatorAndKeepsEmptyFields) {
    EXPECT_EQ(Fields("4,https://a.example.com/x"), (V{"4", "https://a.example.com/x"}));
    EXPECT_EQ(Fields(",a,,"), (V{"", "a", "", ""}));
    EXPECT_EQ(Fields(""), (V{""}));
    // The comma is an ordinary character when another separator is asked for.
    EXPECT_EQ(Fields("a,b&c", '&'), (V{"a,b", "c"}));
}

TEST(CsvLine, FieldBeyondTheLastFailsAndLeavesOutputAlone) {
    std::string out = "kept";
    EXPECT_FALSE(CCsvLine("a,b").GetField(2, out));
    EXPECT_EQ(out, "kept");
}

TEST(CsvLine, QuotedStretchProtectsSeparatorsAndDoubledQuotes) {
    EXPECT_EQ(Fields("4,\"https://h.example.com/a?x=1,2\",z"),
              (V{"4", "https://h.example.com/a?x=1,2", "z"}));
    EXPECT_EQ(Fields("\"say \"\"hi\"\"\",b"), (V{"say \"hi\"", "b"}));
    // Text after the closing quote is copied as it is.
    EXPECT_EQ(Fields("\"ab\"cd,e"), (V{"abcd", "e"}));
    // An unterminated quote runs to the end of the line.
    EXPECT_EQ(Fields("\"a,b"), (V{"a,b"}));
}

TEST(CsvLine, LeadByteTakesItsTrailByte) {
    // 0x81 0x2C: a lead byte followed by what would otherwise be a comma.
    EXPECT_EQ(Fields(std::string("a\x81,b,c")), (V{"a\x81,b", "c"}));
    // A lead byte inside a quoted stretch hides a quote-looking trail byte.
    EXPECT_EQ(Fields(std::string("\"\x81\"\"\",x\",y")), (V{"\x81\"\",x", "y"}));
    // A lead byte at the very end has no trail and is kept alone.
    EXPECT_EQ(Fields(std::string("a,\x82")), (V{"a", "\x82"}));
    // Shift-JIS text whose trail byte is a backslash comes out whole.
    EXPECT_EQ(Fields("表示,ソフト"), (V{"表示", "ソフト"}));
}
