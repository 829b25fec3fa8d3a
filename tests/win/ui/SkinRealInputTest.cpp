// A real pointer moved and clicked through the X server by xdotool
// (run-with-xdotool does it when asked) reaches a skin button as a click.
#include <gtest/gtest.h>

#include <algorithm>

#include "ScreenInput.h"
#include "SkinWindowKit.h"
#include "ui/SkinWindowItemButton.h"

using namespace ui;
using namespace skintest;

TEST(SkinRealInput, XdotoolClickReachesTheButton) {
    const std::string agent = EnvPath("QM_XDO_DIR", "");  // the agent's folder
    if (agent.empty()) GTEST_SKIP() << "needs run-with-xdotool";
    PrepareItemSkin();
    CRecordingWindow window;
    window.LoadSkin("ItemTest.txt", "Base", false);
    window.AddItem<CSkinWindowItemButton>(kPushButton, window.Skin().at("PushButton"));
    HWND hwnd = window.CreateSkinWindow(nullptr, WS_POPUP | WS_VISIBLE, 0, 300, 200);
    ASSERT_NE(hwnd, nullptr);
    ::SetForegroundWindow(hwnd);
    qmtest::Drain();

    POINT target = {48, 48};  // the middle of the button
    ::ClientToScreen(hwnd, &target);
    auto seen = [&](int code) {
        return std::find(window.events.begin(), window.events.end(),
                         ItemEvent{kPushButton, code}) != window.events.end();
    };
    // The X server shows the window a little after Windows does: the press
    // waits until the pointer is seen over the button (moved again, one
    // pixel aside, while it is not).
    for (int i = 0; i < 20 && !seen(kItemMouseMove); ++i) {
        ASSERT_EQ(qmtest::RunXdo(agent, {"mousemove", std::to_string(target.x + i % 2),
                                         std::to_string(target.y)}),
                  0);
        qmtest::PumpUntil([&] { return seen(kItemMouseMove); }, 500);
    }
    ASSERT_TRUE(seen(kItemMouseMove)) << Describe(window.events);
    ASSERT_EQ(qmtest::RunXdo(agent, {"mousedown", "1"}), 0);
    ASSERT_EQ(qmtest::RunXdo(agent, {"mouseup", "1"}), 0);
    qmtest::PumpUntil([&] { return seen(kItemClicked); }, 10000);
    // Pressed inside, then released inside: 1 ... 2, 0, 4 with moves between.
    std::vector<int> codes;
    for (const ItemEvent& e : window.events)
        if (e.code != kItemMouseMove && e.code != kItemMouseLeave) codes.push_back(e.code);
    EXPECT_EQ(codes, (std::vector<int>{1, 2, 0, 4})) << Describe(window.events);
    ::DestroyWindow(hwnd);
}
