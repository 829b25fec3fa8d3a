// A real pointer and real keys through the X server (xdotool, as
// run-with-xdotool does it) on a skin window: a click reaches a button;
// Tab, Shift+Tab and Space reach the items, the focus mark shows on the
// screen, and text typed into the edit box stays there.
#include <gtest/gtest.h>

#include <algorithm>

#include "ScreenInput.h"
#include "SkinWindowKit.h"

using namespace ui;
using namespace skintest;

namespace {

// Dispatches until done holds or 10 s have passed.
bool PumpFor(const std::function<bool()>& done) { return qmtest::PumpUntil(done, 10000); }

}  // namespace

TEST(RealKeys, AClickThenTabShiftTabSpaceAndTypingReachTheItems) {
    const std::string agent = qmtest::EnvFolder("QM_XDO_DIR");
    if (agent.empty()) GTEST_SKIP() << "needs run-with-xdotool";
    ItemWindow w(WS_POPUP | WS_VISIBLE, 300, 200);
    CRecordingWindow& window = w.window;
    const HWND hwnd = w.hwnd;
    ASSERT_NE(hwnd, nullptr);
    auto seen = [&](int code) {
        return std::find(window.events.begin(), window.events.end(),
                         ItemEvent{kPushButton, code}) != window.events.end();
    };
    auto moveTo = [&](POINT at) {
        ::ClientToScreen(hwnd, &at);
        return qmtest::RunXdo(agent, {"mousemove", std::to_string(at.x), std::to_string(at.y)});
    };
    // The X server shows the window a little after Windows does: the press
    // waits until the pointer is seen over the push button (moved again, one
    // pixel aside, while it is not).
    for (int i = 0; i < 20 && !seen(kItemMouseMove); ++i) {
        ASSERT_EQ(moveTo({48 + i % 2, 48}), 0);
        qmtest::PumpUntil([&] { return seen(kItemMouseMove); }, 500);
    }
    ASSERT_TRUE(seen(kItemMouseMove)) << Describe(window.events);
    ASSERT_EQ(qmtest::RunXdo(agent, {"click", "1"}), 0);
    ASSERT_TRUE(PumpFor([&] { return seen(kItemClicked); })) << Describe(window.events);
    // Pressed inside, then released inside: 1 ... 2, 0, 4 with moves between.
    std::vector<int> codes;
    for (const ItemEvent& e : window.events)
        if (e.code != kItemMouseMove && e.code != kItemMouseLeave) codes.push_back(e.code);
    EXPECT_EQ(codes, (std::vector<int>{1, 2, 0, 4})) << Describe(window.events);
    // The click gave the window the X server's keyboard and the button the
    // focus; the pointer leaves it, so that its face is the normal one.
    ASSERT_TRUE(PumpFor([&] { return ::GetFocus() == hwnd; }));
    ASSERT_EQ(moveTo({150, 100}), 0);
    ASSERT_TRUE(PumpFor([&] { return seen(kItemMouseLeave); })) << Describe(window.events);
    EXPECT_EQ(w.FocusId(), kPushButton);

    // Past the icon button into the edit box: its control has the keyboard
    // and typed text stays.
    ASSERT_EQ(qmtest::RunXdo(agent, {"key", "Tab", "Tab"}), 0);
    ASSERT_TRUE(PumpFor([&] { return w.FocusId() == kEdit; })) << w.FocusId();
    HWND edit = static_cast<CSkinWindowItemEditBox*>(window.GetItemById(kEdit))->GetControl();
    EXPECT_EQ(::GetFocus(), edit);
    ASSERT_EQ(qmtest::RunXdo(agent, {"type", "ab c"}), 0);
    ASSERT_TRUE(PumpFor([&] {
        return static_cast<CSkinWindowItemEditBox*>(window.GetItemById(kEdit))->GetTextA() ==
               "ab c";
    }));
    // Out of it backwards, to the icon button, then the push button.
    ASSERT_EQ(qmtest::RunXdo(agent, {"key", "shift+Tab", "shift+Tab"}), 0);
    ASSERT_TRUE(PumpFor([&] { return w.FocusId() == kPushButton; })) << w.FocusId();
    EXPECT_EQ(::GetFocus(), hwnd);
    // The ring on the screen, 2 px inside the button at 40, 40; the inside is the
    // face.
    ASSERT_TRUE(PumpFor([&] {
        ::UpdateWindow(hwnd);
        return qmtest::GrabWindow(hwnd).GetPixel(43, 42) == kFocusMarkColor;
    }));
    lib::wfc::CDIB shot = qmtest::GrabWindow(hwnd);
    EXPECT_EQ(shot.GetPixel(42, 42), kFaceN);
    EXPECT_EQ(shot.GetPixel(45, 45), kFaceN);
    EXPECT_EQ(shot.GetPixel(52, 50), kFocusMarkColor);
    qmtest::SaveScreen(&shot, "ui", "focus-mark");

    window.events.clear();
    ASSERT_EQ(qmtest::RunXdo(agent, {"key", "space"}), 0);
    ASSERT_TRUE(PumpFor([&] { return seen(kItemClicked); })) << Describe(window.events);
}
