// The edit box item: the control it makes, its limit and styles, Japanese
// text both ways through EDIT and the two rich edits.
#include <windows.h>
#include <gtest/gtest.h>
// The rich-edit header needs the types of windows.h first.
#include <richedit.h>

#include <memory>

#include "SkinWindowKit.h"
#include "ui/SkinWindowItemEditBox.h"

using namespace ui;
using namespace skintest;

namespace {

class SkinEditBox : public ::testing::Test {
protected:
    void SetUp() override {
        PrepareItemSkin();
        window = std::make_unique<CRecordingWindow>();
        window->LoadSkin("ItemTest.txt", "Base", false);
        auto add = [&](EditBoxOptions::Kind kind, bool isPassword, bool isNumber) {
            // The short limit for the plain boxes, a long one for the text tests.
            const SkinItem& block =
                window->Skin().at(kind == EditBoxOptions::kEdit ? "Edit" : "TextEdit");
            EditBoxOptions options;
            options.kind = kind;
            options.password = isPassword;
            options.number = isNumber;
            return window->AddItem<CSkinWindowItemEditBox>(
                static_cast<int>(window->Items().size()) + 1, block, options);
        };
        plain = add(EditBoxOptions::kEdit, false, false);
        password = add(EditBoxOptions::kEdit, true, false);
        number = add(EditBoxOptions::kEdit, false, true);
        richA = add(EditBoxOptions::kRichEditA, false, false);
        richW = add(EditBoxOptions::kRichEditW, false, false);
        text = window->AddItem<CSkinWindowItemEditBox>(6, window->Skin().at("TextEdit"));
        hwnd = window->CreateSkinWindow(nullptr, WS_POPUP, 0, 0, 0);
        ASSERT_NE(hwnd, nullptr);
    }
    void TearDown() override {
        if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
        window.reset();
    }
    static void Type(CSkinWindowItemEditBox* edit, const char* keys) {
        for (const char* k = keys; *k; ++k)
            ::SendMessageA(edit->GetControl(), WM_CHAR, static_cast<unsigned char>(*k), 1);
    }
    static DWORD Style(CSkinWindowItemEditBox* edit) {
        return static_cast<DWORD>(::GetWindowLongA(edit->GetControl(), GWL_STYLE));
    }

    std::unique_ptr<CRecordingWindow> window;
    HWND hwnd = nullptr;
    CSkinWindowItemEditBox *plain = nullptr, *password = nullptr, *number = nullptr;
    CSkinWindowItemEditBox *richA = nullptr, *richW = nullptr, *text = nullptr;
};

}  // namespace

TEST_F(SkinEditBox, ControlsStylesAndLimit) {
    char cls[32] = {};
    ::GetClassNameA(plain->GetControl(), cls, sizeof cls);
    EXPECT_STRCASEEQ(cls, "Edit");
    ::GetClassNameA(richA->GetControl(), cls, sizeof cls);
    EXPECT_STRCASEEQ(cls, "RichEdit20A");
    ::GetClassNameA(richW->GetControl(), cls, sizeof cls);
    EXPECT_STRCASEEQ(cls, "RichEdit20W");
    const DWORD mask = 0xFFFF0000u | ES_PASSWORD | ES_NUMBER | ES_AUTOHSCROLL | ES_MULTILINE;
    EXPECT_EQ(Style(plain) & mask, 0x54010080u);
    EXPECT_EQ(Style(password) & mask, 0x54010080u | ES_PASSWORD);
    EXPECT_EQ(Style(number) & mask, 0x54010080u | ES_NUMBER);
    EXPECT_NE(::SendMessageA(password->GetControl(), EM_GETPASSWORDCHAR, 0, 0), 0);

    // Limit 5 from the skin: typing stops there; digits only in the number box.
    EXPECT_EQ(::SendMessageA(plain->GetControl(), EM_GETLIMITTEXT, 0, 0), 5);
    Type(plain, "abcdefgh");
    EXPECT_EQ(plain->GetTextA(), "abcde");
    Type(number, "1a2b3");
    EXPECT_EQ(number->GetTextA(), "123");
    Type(password, "pw");
    EXPECT_EQ(password->GetTextA(), "pw");
}

TEST_F(SkinEditBox, JapaneseTextBothWays) {
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
}

TEST_F(SkinEditBox, RichEditFaceAndCharacterSet) {
    for (CSkinWindowItemEditBox* edit : {richA, richW}) {
        CHARFORMAT2A format = {};
        format.cbSize = sizeof format;
        ::SendMessageA(edit->GetControl(), EM_GETCHARFORMAT, SCF_DEFAULT,
                       reinterpret_cast<LPARAM>(&format));
        EXPECT_STREQ(format.szFaceName, "ＭＳ Ｐゴシック");
        EXPECT_EQ(format.bCharSet, SHIFTJIS_CHARSET);
        EXPECT_EQ(::SendMessageA(edit->GetControl(), EM_GETLANGOPTIONS, 0, 0) & IMF_DUALFONT, 0);
    }
}
