// The message catalogue: which code reaches which outcome (the broad rules at their edges),
// the rule of the code marker, and the exact texts of a few rows.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

#include "common/MessageCatalog.h"

namespace {

constexpr unsigned kExcl = 0x30, kInfo = 0x40, kYesNo = 0x24, kYesNoDefNo = 0x124;
constexpr unsigned kUntouched = 0xDEAD;

const char kMarker[] = "\r\n\r\n(メッセージコード：";
const char kHelp[] = "\r\n詳細はオンラインヘルプを参照してください。";

std::string Text(uint32_t code, uint32_t err = 0) {
    unsigned style = kUntouched;
    return GetMessageText(code, err, style);
}
unsigned Style(uint32_t code) {
    unsigned style = kUntouched;
    GetMessageText(code, 0, style);
    return style;
}
// The text before the code marker: the same for every code of one outcome.
std::string Head(const std::string& text) { return text.substr(0, text.find(kMarker)); }

// The formatting rule for any text: after the marker, the padded upper-case
// code and ")" (then the help line outside area 0x40); an error adds
// "-<hex>" after the code where the text takes one, and changes nothing else.
void CheckTail(uint32_t code) {
    const std::string plain = Text(code), withError = Text(code, 0xAB12);
    const size_t marker = plain.find(kMarker);
    if (marker == std::string::npos) {
        EXPECT_EQ(withError, plain);
        return;
    }
    char codeText[16];
    std::snprintf(codeText, sizeof codeText, "%08X", code);
    const std::string help = (code >> 24) == 0x40 ? "" : kHelp;
    const std::string tail = std::string(codeText) + ")" + help;
    ASSERT_GE(plain.size(), tail.size());
    EXPECT_EQ(plain.substr(plain.size() - tail.size()), tail);
    const std::string suffixed =
        plain.substr(0, plain.size() - tail.size()) + codeText + "-AB12)" + help;
    EXPECT_TRUE(withError == plain || withError == suffixed) << withError;
}

// Which outcome each code reaches: codes of one name show one text (up to the code in its
// tail), different names in one area different texts, "" no text at all.
struct AreaCase {
    uint32_t code;
    const char* name;  // the outcome, or "" for no message
    unsigned style;
};

// Samples of each area's broad rules at their edges, and the codes without text.
// clang-format off
const AreaCase kAreaCases[] = {
    // 0x01: bit 0x400000 wins over the 0x300000 pair, which wins over 0x100000
    {0x01200204, "N2", kExcl}, {0x01200301, "N2", kExcl}, {0x01700001, "N4", kExcl},
    {0x01B00007, "N11", kExcl}, {0x01100001, "N10", kExcl}, {0x01200208, "", 0},
    // 0x02: just inside and just outside the groups
    {0x0229000C, "M16", kExcl}, {0x022A000C, "M2", kExcl}, {0x024FFFFF, "M4", kExcl},
    {0x0250FFFF, "M1", kExcl}, {0x0420000F, "T1", kExcl}, {0x04600001, "T8", kExcl},
    {0x081001FA, "W3", kExcl}, {0x08110064, "W4", kExcl}, {0x102F0000, "S3", kExcl},
    // 0x40 (no card: U5 for 0x200007), 0x90; areas without a catalogue; outcome zero
    {0x40200012, "U4", kExcl}, {0x40200013, "", 0}, {0x40200007, "U5", kExcl},
    {0x40000004, "U14", kYesNoDefNo}, {0x90200018, "E1", kInfo}, {0x9060000A, "", 0},
    {0x03200201, "", 0}, {0xFE00AA00, "", 0}, {0x40000000, "", 0},
};
// clang-format on

// A few rows of each area written out whole, as the user sees them.
struct PinnedRow {
    uint32_t code;
    uint32_t err;
    unsigned style;
    const char* text;
};
// clang-format off
const PinnedRow kPinned[] = {
    {0xFF00AA02, 5, kExcl,
     "自動転送フォルダに指定されたフォルダはシステムフォルダのため、設定できません。\r\n\r\n"
     "別のフォルダを指定してください。\r\n\r\n(メッセージコード：FF00AA02-5)\r\n"
     "詳細はオンラインヘルプを参照してください。"},
    // The caller's own conversions stay for the caller; the marker's take no error.
    {0xFF00BB04, 5, kExcl,
     "表示ファイル数が上限(%d件)を超えました。\r\n%d件まで表示します。\r\n\r\n"
     "(メッセージコード：FF00BB04)\r\n詳細はオンラインヘルプを参照してください。"},
    {0x01200204, 0x1F, kExcl,
     "ナビ情報の送信に失敗しました。\r\nお手数ですがメッセージコードを控えて頂き\r\n"
     "販売店へお問い合わせください。\r\n\r\n\r\n(メッセージコード：01200204-1F)\r\n"
     "詳細はオンラインヘルプを参照してください。"},
    // Area 0x40 has no help line.
    {0x40200004, 0x5, kExcl,
     "お客様登録確認に失敗しました。\r\nお手数ですがメッセージコードを控えて頂き\r\n"
     "販売店へお問い合わせください。\r\n\r\n(メッセージコード：40200004-5)"},
};
// clang-format on

// clang-format off
const char kNicknameTaken[] =
    "お客様登録の確認に失敗しました。\r\n過去に別のニックネームを登録済みのお客様は、\r\n"
    "以前に登録したニックネームを使用してログインしてください。\r\n\r\n"
    "過去に別のニックネームを登録していないにも関わらず\r\n登録の確認に　失敗したお客様は、恐れ入りますが以下まで\r\n"
    "お問い合わせください。\r\n\r\nコルヴェイン相談窓口\r\n"
    "ＴＥＬ：0120-000-000（フリーコール）\r\n\r\n"
    "PHS、携帯電話、一部のIP電話などからは下記へお問合わせください。\r\n"
    "一般電話：000-000-0000（有料）\r\n"
    "受付時間：月曜～土曜　9：30～12：00、13：00～17：00\r\n　　　　　　（日曜・祝日、弊社休日除く）";
// clang-format on

}  // namespace

TEST(MessageCatalog, PinnedRows) {
    for (const PinnedRow& r : kPinned) {
        unsigned style = kUntouched;
        EXPECT_EQ(GetMessageText(r.code, r.err, style), r.text) << std::hex << r.code;
        EXPECT_EQ(style, r.style) << std::hex << r.code;
    }
}

TEST(MessageCatalog, EveryAreaOutcomeAndCodesWithoutText) {
    // The head of each outcome, keyed by area and name.
    std::map<std::pair<uint32_t, std::string>, std::string> heads;
    for (const AreaCase& c : kAreaCases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.code << " " << c.name);
        if (!*c.name) {
            EXPECT_EQ(Text(c.code), "");
            EXPECT_EQ(Text(c.code, 0x1F), "");
            EXPECT_EQ(Style(c.code), kUntouched);
            continue;
        }
        const std::string text = Text(c.code);
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(Style(c.code), c.style);
        CheckTail(c.code);
        const auto key = std::make_pair(c.code >> 24, std::string(c.name));
        auto known = heads.find(key);
        if (known == heads.end()) {
            heads[key] = Head(text);
            continue;
        }
        EXPECT_EQ(Head(text), known->second) << "another text than the rest of " << c.name;
    }
    // Different outcomes of one area read differently.
    for (auto a = heads.begin(); a != heads.end(); ++a)
        for (auto b = std::next(a); b != heads.end(); ++b)
            if (a->first.first == b->first.first) {
                EXPECT_NE(a->second, b->second) << a->first.second << " and " << b->first.second;
            }
}

TEST(MessageCatalog, NicknameTakenDependsOnTheCard) {
    unsigned style = kUntouched;
    EXPECT_EQ(GetMessageText(0x40200007, 0x1F, style, 0x20, 0x12), kNicknameTaken);
    EXPECT_EQ(style, kExcl);
    EXPECT_EQ(GetMessageText(0x40200007, 0, style, 0, 0x0A), kNicknameTaken);
    // Without the card's marks: the general failure, as for 0x200004.
    const std::string general = Head(Text(0x40200004));
    EXPECT_EQ(Head(GetMessageText(0x40200007, 0, style, 0, 0)), general);
}
