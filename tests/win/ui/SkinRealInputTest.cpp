// A real pointer moved and clicked through the X server by xdotool
// (run-with-xdotool does it when asked) reaches a skin button as a click.
#include <gtest/gtest.h>

#include <algorithm>

#include "SkinWindowKit.h"
#include "ui/SkinWindowItemButton.h"

using namespace ui;
using namespace skintest;

TEST(SkinRealInput, XdotoolClickReachesTheButton) {
    const std::string helper = EnvPath("QM_XDO_DIR", "");  // the helper's folder
    if (helper.empty()) GTEST_SKIP() << "needs run-with-xdotool";
    PrepareItemSkin();
    CRecordingWindow window;
    window.LoadSkin("ItemTest.txt", "Base", false);
    window.AddItem<CSkinWindowItemButton>(kPushButton, window.Skin().at("PushButton"));
    HWND hwnd = window.CreateSkinWindow(nullptr, WS_POPUP | WS_VISIBLE, 0, 300, 200);
    ASSERT_NE(hwnd, nullptr);
    ::SetForegroundWindow(hwnd);
    Pump();

    POINT target = {48, 48};  // the middle of the button
    ::ClientToScreen(hwnd, &target);
    qmtest::WriteFile(helper + "request",
                      std::to_string(target.x) + " " + std::to_string(target.y) + "\n");
    // Serve the window until the helper is done and the click has come, or
    // give up after 20 s.
    const DWORD start = ::GetTickCount();
    auto clicked = [&] {
        return std::find(window.events.begin(), window.events.end(),
                         ItemEvent{kPushButton, kItemClicked}) != window.events.end();
    };
    while (!(qmtest::FileExists(helper + "done") && clicked()) &&
           ::GetTickCount() - start < 20000) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        Pump();
    }
    EXPECT_TRUE(qmtest::FileExists(helper + "done"));
    // Pressed inside, then released inside: 1 ... 2, 0, 4 with moves between.
    std::vector<int> codes;
    for (const ItemEvent& e : window.events)
        if (e.code != kItemMouseMove && e.code != kItemMouseLeave) codes.push_back(e.code);
    EXPECT_EQ(codes, (std::vector<int>{1, 2, 0, 4})) << Describe(window.events);
    ::DestroyWindow(hwnd);
}
