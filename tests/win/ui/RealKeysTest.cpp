// Real keys through the X server (xdotool, as run-with-xdotool does it)
// walk a skin window: Tab, Shift+Tab and Space reach the items, the focus
// mark shows on the screen, and text typed into the edit box stays there.
#include <gtest/gtest.h>

#include "ScreenInput.h"
#include "SkinWindowKit.h"

using namespace ui;
using namespace skintest;

namespace {

// Dispatches until done holds or 10 s have passed.
bool PumpFor(const std::function<bool()>& done) { return qmtest::PumpUntil(done, 10000); }

}  // namespace

TEST(RealKeys, TabShiftTabSpaceAndTypingReachTheItems) {
    const std::string agent = EnvPath("QM_XDO_DIR", "");
    if (agent.empty()) GTEST_SKIP() << "needs run-with-xdotool";
    PrepareItemSkin();
    CRecordingWindow window;
    window.LoadSkin("ItemTest.txt", "Base", false);
    AddTestItems(window);
    HWND hwnd = window.CreateSkinWindow(nullptr, WS_POPUP | WS_VISIBLE, 0, 300, 200);
    ASSERT_NE(hwnd, nullptr);
    // A click on the bare background below the caption gives the window the
    // X server's keyboard.
    POINT bare = {150, 100};
    ::ClientToScreen(hwnd, &bare);
    ASSERT_EQ(qmtest::RunXdo(agent, {"mousemove", std::to_string(bare.x), std::to_string(bare.y)}),
              0);
    ASSERT_EQ(qmtest::RunXdo(agent, {"click", "1"}), 0);
    ASSERT_TRUE(PumpFor([&] { return ::GetFocus() == hwnd; }));
    auto focusId = [&] {
        CSkinWindowItem* item = window.TabAccessor().GetFocusItem();
        return item ? item->GetId() : 0;
    };

    ASSERT_EQ(qmtest::RunXdo(agent, {"key", "Tab"}), 0);
    ASSERT_TRUE(PumpFor([&] { return focusId() == kCaptionButton; })) << focusId();
    ASSERT_EQ(qmtest::RunXdo(agent, {"key", "Tab", "Tab", "Tab"}), 0);
    // Into the edit box: its control has the keyboard and typed text stays.
    ASSERT_TRUE(PumpFor([&] { return focusId() == kEdit; })) << focusId();
    HWND edit = static_cast<CSkinWindowItemEditBox*>(window.GetItemById(kEdit))->GetControl();
    EXPECT_EQ(::GetFocus(), edit);
    ASSERT_EQ(qmtest::RunXdo(agent, {"type", "ab c"}), 0);
    ASSERT_TRUE(PumpFor([&] {
        return static_cast<CSkinWindowItemEditBox*>(window.GetItemById(kEdit))->GetTextA() ==
               "ab c";
    }));
    // Out of it backwards, to the icon button, then the push button.
    ASSERT_EQ(qmtest::RunXdo(agent, {"key", "shift+Tab", "shift+Tab"}), 0);
    ASSERT_TRUE(PumpFor([&] { return focusId() == kPushButton; })) << focusId();
    EXPECT_EQ(::GetFocus(), hwnd);
    // The ring on the screen, 2 px inside the button at 40, 40; the inside is the face.
    ASSERT_TRUE(PumpFor([&] {
        ::UpdateWindow(hwnd);
        return qmtest::GrabWindow(hwnd).GetPixel(43, 42) == kFocusMarkColor;
    }));
    lib::wfc::CDIB shot = qmtest::GrabWindow(hwnd);
    EXPECT_EQ(shot.GetPixel(42, 42), kFaceN);
    EXPECT_EQ(shot.GetPixel(45, 45), kFaceN);
    EXPECT_EQ(shot.GetPixel(52, 50), kFocusMarkColor);
    SaveScreenshot(shot, "focus-mark");

    window.events.clear();
    ASSERT_EQ(qmtest::RunXdo(agent, {"key", "space"}), 0);
    ASSERT_TRUE(PumpFor([&] {
        return std::find(window.events.begin(), window.events.end(),
                         ItemEvent{kPushButton, kItemClicked}) != window.events.end();
    })) << Describe(window.events);
    ::DestroyWindow(hwnd);
}
