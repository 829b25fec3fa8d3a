// Skin windows coming and going: an unreadable image stops a window before it
// exists; windows made and destroyed leave no GDI or USER object behind.
#include <gtest/gtest.h>

#include <memory>

#include "SkinBoxWatcher.h"
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
    Pump();
    ::DestroyWindow(hwnd);
}

}  // namespace

TEST(SkinWindowLife, UnreadableImageStopsTheWindowOnce) {
    const std::string folder = PrepareItemSkin();
    qmtest::WriteFile(folder + "NoBase.txt", SkinFile(R"(
Base { Image = "Missing.png", 0, 0, 10, 10; Title = "x"; CaptionHeight = 0; Font = "a", 12, 400; }
)"));
    auto attempt = [&] {
        CSkinBoxWatcher watcher;
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
    Pump();
    const DWORD gdiBefore = guiobjects::Gdi(), userBefore = guiobjects::User();
    for (int i = 0; i < 6; ++i) attempt();
    Pump();
    EXPECT_LT(guiobjects::Gdi(), gdiBefore + 6);
    EXPECT_EQ(guiobjects::User(), userBefore);
}

TEST(SkinWindowLife, TwoHundredWindowsLeaveNothing) {
    PrepareItemSkin();
    MakeAndDestroy();  // first-use caches of the system (fonts, classes, rich edit)
    Pump();
    const DWORD gdiBefore = guiobjects::Gdi(), userBefore = guiobjects::User();
    ASSERT_GT(gdiBefore, 0u);
    for (int i = 0; i < 200; ++i) MakeAndDestroy();
    Pump();
    EXPECT_EQ(guiobjects::Gdi(), gdiBefore);
    EXPECT_EQ(guiobjects::User(), userBefore);
}
