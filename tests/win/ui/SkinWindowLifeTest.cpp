// Skin windows coming and going: an unreadable image stops a window before it
// exists; windows made and destroyed leave no GDI or USER object behind.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>

#include "BoxWatcher.h"
#include "SkinWindowKit.h"
#include "tests/win/wfc/GuiObjects.h"
#include "ui/SkinWindowItemStaticImage.h"

using namespace ui;
using namespace skintest;

namespace {

void MakeAndDestroy() {
    auto window = std::make_unique<CRecordingWindow>();
    window->LoadSkin("ItemTest.txt", "Base", true);
    for (int base : {0, 100, 200}) AddTestItems(*window, base);  // 30 items of every kind
    // Hidden: under Wine a shown window takes seconds to go.
    HWND hwnd = window->CreateSkinWindow(nullptr, WS_POPUP, 0, 0, 0);
    ASSERT_NE(hwnd, nullptr);
    ASSERT_EQ(window->Items().size(), 30u);
    qmtest::Drain();
    ::DestroyWindow(hwnd);
}

}  // namespace

TEST(SkinWindowLife, UnreadableOrUndecodableImageStopsTheWindowOnce) {
    const std::string folder = PrepareItemSkin();
    qmtest::WriteFile(folder + "NoBase.txt", SkinFile(R"(
Base { Image = "Missing.png", 0, 0, 10, 10; Title = "x"; CaptionHeight = 0; Font = "a", 12, 400; }
)"));
    auto attempt = [&] {
        qmtest::CBoxWatcher watcher;
        CRecordingWindow window;
        EXPECT_THROW(window.LoadSkin("NoBase.txt", "Base", false), CSkinWindowException);
        EXPECT_EQ(window.GetHandle(), nullptr);
        EXPECT_EQ(watcher.Texts(),
                  std::vector<std::string>{folder + "Missing.pngが読み込めません."});
    };
    // First boxes set up system caches, and system boxes add an object now and
    // then; a leak here adds one per attempt, so fewer than six in six is none.
    attempt();
    attempt();
    qmtest::Drain();
    const DWORD gdiBefore = guiobjects::Gdi(), userBefore = guiobjects::User();
    for (int i = 0; i < 6; ++i) attempt();
    qmtest::Drain();
    EXPECT_LT(guiobjects::Gdi(), gdiBefore + 6);
    EXPECT_EQ(guiobjects::User(), userBefore);

    // A picture that is there but does not decode is found while the window
    // is made: the same message once, no window left, nothing shown.
    qmtest::WriteFile(folder + "Broken.png", std::string("\x89PNG\r\n\x1a\n not a picture"));
    qmtest::WriteFile(folder + "Broken.txt", SkinFile(R"(
Base { Image = "Parts.png", 0, 0, 100, 60; Title = "x"; CaptionHeight = 0; Font = "a", 12, 400; }
Picture { Position = 4, 4; Size = 8, 8; Image = "Broken.png", 0, 0, 8, 8; }
)"));
    qmtest::CBoxWatcher watcher;
    CRecordingWindow window;
    window.LoadSkin("Broken.txt", "Base", false);
    window.AddItem<CSkinWindowItemStaticImage>(1, window.Skin().at("Picture"));
    EXPECT_THROW(window.CreateSkinWindow(nullptr, WS_POPUP | WS_VISIBLE, 0, 0, 0),
                 CSkinWindowException);
    EXPECT_EQ(window.GetHandle(), nullptr);
    EXPECT_TRUE(GetSkinWindows().empty());
    EXPECT_EQ(watcher.Texts(), std::vector<std::string>{folder + "Broken.pngが読み込めません."});
}

// The tip control is made when the pointer first comes over the window, and
// asks the item under it for its text.
TEST(SkinWindowLife, ToolTipComesWithThePointer) {
    ItemWindow w(WS_POPUP, 0, 0);  // hidden: under Wine a shown window takes seconds to go
    CRecordingWindow& window = w.window;
    const HWND hwnd = w.hwnd;
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(window.ToolTipWindow(), nullptr);
    const RECT picture = window.GetItemById(kPicture)->GetRect();
    ::SendMessageA(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(picture.left + 2, picture.top + 2));
    HWND tip = window.ToolTipWindow();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(::GetWindow(tip, GW_OWNER), hwnd);
    LRESULT targets = 0;
    for (const auto& item : window.Items()) targets += item->IsVisible() && item->IsHitTarget();
    EXPECT_EQ(::SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), targets);  // one tool each
    NMTTDISPINFOA info = {};
    info.hdr = {tip, 0, TTN_GETDISPINFOA};
    ::SendMessageA(hwnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_STREQ(info.lpszText, "Picture");
    ::SendMessageA(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
    EXPECT_EQ(window.ToolTipWindow(), tip);  // made once
}

TEST(SkinWindowLife, TwoHundredWindowsLeaveNothing) {
    PrepareItemSkin();
    MakeAndDestroy();  // first-use caches of the system (fonts, classes, rich edit)
    qmtest::Drain();
    const DWORD gdiBefore = guiobjects::Gdi(), userBefore = guiobjects::User();
    ASSERT_GT(gdiBefore, 0u);
    for (int i = 0; i < 200; ++i) MakeAndDestroy();
    qmtest::Drain();
    EXPECT_EQ(guiobjects::Gdi(), gdiBefore);
    EXPECT_EQ(guiobjects::User(), userBefore);
}
