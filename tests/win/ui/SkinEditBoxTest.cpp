// The edit box item: its limit, and Japanese text both ways through EDIT and
// the two rich edits.
#include <gtest/gtest.h>

#include "SkinWindowKit.h"
#include "ui/SkinWindowItemEditBox.h"

using namespace ui;
using namespace skintest;

TEST(SkinEditBox, LimitAndJapaneseTextBothWays) {
    PrepareItemSkin();
    CRecordingWindow window;
    window.LoadSkin("ItemTest.txt", "Base", false);
    auto add = [&](const char* block, EditBoxOptions::Kind kind) {
        EditBoxOptions options;
        options.kind = kind;
        return window.AddItem<CSkinWindowItemEditBox>(static_cast<int>(window.Items().size()) + 1,
                                                      window.Skin().at(block), options);
    };
    CSkinWindowItemEditBox* plain = add("Edit", EditBoxOptions::kEdit);
    CSkinWindowItemEditBox* text = add("TextEdit", EditBoxOptions::kEdit);
    CSkinWindowItemEditBox* richA = add("TextEdit", EditBoxOptions::kRichEditA);
    CSkinWindowItemEditBox* richW = add("TextEdit", EditBoxOptions::kRichEditW);
    HWND hwnd = window.CreateSkinWindow(nullptr, WS_POPUP, 0, 0, 0);
    ASSERT_NE(hwnd, nullptr);

    // Limit 5 from the skin: typing stops there.
    for (const char* k = "abcdefgh"; *k; ++k) ::SendMessageA(plain->GetControl(), WM_CHAR, *k, 1);
    EXPECT_EQ(plain->GetTextA(), "abcde");

    const std::string narrow = "地図データ更新";  // code page 932 in this build
    const std::wstring wide = L"地図データ更新";
    for (CSkinWindowItemEditBox* edit : {text, richA, richW}) {
        SCOPED_TRACE(edit->GetId());
        edit->SetTextA(narrow);
        EXPECT_EQ(edit->GetTextA(), narrow);
        EXPECT_EQ(edit->GetTextW(), wide);
        edit->SetTextW(L"");
        edit->SetTextW(wide);
        EXPECT_EQ(edit->GetTextA(), narrow);
    }
    ::DestroyWindow(hwnd);
}
