// The skin window driven by sent messages: notifications against exact tables,
// the composed back buffer pixel by pixel.
#include <windows.h>
#include <gtest/gtest.h>

#include <memory>

#include "SkinWindowKit.h"

using namespace ui;
using namespace skintest;

namespace {

DWORD g_now = 0;
DWORD FakeTick() { return g_now; }

class SkinWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetSkinTickSource(FakeTick);
        g_now = 1000;
        made = std::make_unique<ItemWindow>();
        window = &made->window;
        hwnd = made->hwnd;
        ASSERT_NE(hwnd, nullptr);
        ::SetForegroundWindow(hwnd);
        ::SetActiveWindow(hwnd);
        qmtest::Drain();
        window->events.clear();
    }
    void TearDown() override {
        made.reset();
        SetSkinTickSource(nullptr);
    }

    // A mouse message at a client point. The cursor goes there as well: the
    // end of a capture reads where the cursor is.
    void Mouse(UINT message, int x, int y) {
        POINT pt = {x, y};
        ::ClientToScreen(hwnd, &pt);
        ::SetCursorPos(pt.x, pt.y);
        const WPARAM keys = message == WM_LBUTTONUP || message == WM_MOUSEMOVE ? 0 : MK_LBUTTON;
        ::SendMessageA(hwnd, message, keys, MAKELPARAM(x, y));
    }
    // The click's WM_COMMAND that the window posts itself, if any.
    bool TakeCommand(WPARAM expected) {
        MSG msg;
        bool found = false;
        while (::PeekMessageA(&msg, hwnd, WM_COMMAND, WM_COMMAND, PM_REMOVE))
            found = found || msg.wParam == expected;
        return found;
    }
    COLORREF Pixel(int x, int y) { return window->BackBuffer()->GetPixel(x, y); }
    void Tick(DWORD now) {
        g_now = now;
        ::SendMessageA(hwnd, WM_TIMER, kSkinTickTimer, 0);
    }

    std::unique_ptr<ItemWindow> made;
    CRecordingWindow* window = nullptr;
    HWND hwnd = nullptr;
};

using Events = std::vector<ItemEvent>;

}  // namespace

TEST_F(SkinWindowTest, ReleasedOutsideIsNoClickOutAndBackInClicksOnce) {
    Mouse(WM_LBUTTONDOWN, 45, 45);
    EXPECT_EQ(::GetCapture(), hwnd);
    Mouse(WM_MOUSEMOVE, 70, 45);
    Mouse(WM_MOUSEMOVE, 80, 45);
    Mouse(WM_LBUTTONUP, 80, 45);
    const Events expected = {{kPushButton, 1},  {kPushButton, 14}, {kPushButton, 2},
                             {kPushButton, 14}, {kPushButton, 14}, {kPushButton, 4}};
    EXPECT_EQ(window->events, expected) << Describe(window->events);
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_FALSE(TakeCommand(kPushButton | 0x10000));

    // Out and back in: one click.
    window->events.clear();
    Mouse(WM_LBUTTONDOWN, 45, 45);
    Mouse(WM_MOUSEMOVE, 70, 45);
    Mouse(WM_MOUSEMOVE, 50, 50);
    Mouse(WM_LBUTTONUP, 50, 50);
    const Events clicked = {{kPushButton, 1},  {kPushButton, 14}, {kPushButton, 2},
                            {kPushButton, 14}, {kPushButton, 1},  {kPushButton, 14},
                            {kPushButton, 2},  {kPushButton, 0},  {kPushButton, 4}};
    EXPECT_EQ(window->events, clicked) << Describe(window->events);
    // Nobody took the click: the window posts it as WM_COMMAND, notification code 1.
    EXPECT_TRUE(TakeCommand(kPushButton | 0x10000));
}

TEST_F(SkinWindowTest, DoubleClickHandledOrPressing) {
    window->handleDoubleClick = true;
    Mouse(WM_LBUTTONDBLCLK, 45, 45);
    Mouse(WM_LBUTTONUP, 45, 45);
    EXPECT_EQ(window->events, (Events{{kPushButton, 3}})) << Describe(window->events);
    EXPECT_EQ(::GetCapture(), nullptr);

    window->events.clear();
    window->handleDoubleClick = false;
    Mouse(WM_LBUTTONDBLCLK, 45, 45);
    EXPECT_EQ(::GetCapture(), hwnd);
    Mouse(WM_LBUTTONUP, 45, 45);
    const Events pressed = {{kPushButton, 3}, {kPushButton, 1}, {kPushButton, 14},
                            {kPushButton, 2}, {kPushButton, 0}, {kPushButton, 4}};
    EXPECT_EQ(window->events, pressed) << Describe(window->events);
}

TEST_F(SkinWindowTest, DeactivationEndsThePressWithoutClick) {
    HWND other = ::CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 400, 400, 50, 50,
                                   nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    ::SetActiveWindow(hwnd);
    Mouse(WM_LBUTTONDOWN, 45, 45);
    ASSERT_EQ(::GetCapture(), hwnd);
    ::SetActiveWindow(other);
    const Events expected = {
        {kPushButton, 1}, {kPushButton, 14}, {kPushButton, 2}, {kPushButton, 4}};
    EXPECT_EQ(window->events, expected) << Describe(window->events);
    EXPECT_NE(::GetCapture(), hwnd);
    auto* button = static_cast<CSkinWindowItemButton*>(window->GetItemById(kPushButton));
    EXPECT_FALSE(button->IsPressed());
    ::DestroyWindow(other);
}

TEST_F(SkinWindowTest, DisabledButtonIgnoresTheMouse) {
    window->GetItemById(kPushButton)->SetEnabled(false);
    Mouse(WM_MOUSEMOVE, 45, 45);
    Mouse(WM_LBUTTONDOWN, 45, 45);
    Mouse(WM_LBUTTONDBLCLK, 45, 45);
    Mouse(WM_LBUTTONUP, 45, 45);
    EXPECT_EQ(window->events, Events{}) << Describe(window->events);
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(SkinWindowTest, CaptionStripDragsExceptOverItems) {
    auto hit = [&](int x, int y) {
        POINT pt = {x, y};
        ::ClientToScreen(hwnd, &pt);
        return ::SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
    };
    // (The bare strip's last row and the row below it: SkinScaleTest.)
    EXPECT_EQ(hit(10, 10), HTCAPTION);  // on the static label: it refuses hits
    EXPECT_EQ(hit(185, 8), HTCLIENT);   // the caption button
}

TEST_F(SkinWindowTest, ComposesFacesFrameShapeAndIcons) {
    // The normal face, key-copied at its corner: SkinScaleTest's table at 96.
    Mouse(WM_MOUSEMOVE, 45, 45);
    EXPECT_EQ(Pixel(41, 41), kFaceH);
    // Pressed: pushed while inside, and "hot" exactly while the pointer is out.
    Mouse(WM_LBUTTONDOWN, 45, 45);
    EXPECT_EQ(Pixel(41, 41), kFaceP);
    Mouse(WM_MOUSEMOVE, 90, 45);
    EXPECT_EQ(Pixel(41, 41), kFaceH);
    Mouse(WM_LBUTTONUP, 90, 45);

    // The white frame overlay blended at 128 over the background's edge.
    EXPECT_EQ(Pixel(1, 60), RGB(148, 150, 153));
    EXPECT_EQ(Pixel(2, 60), kBack);  // its magenta middle leaves the window alone

    // Shaped: the one magenta pixel left in the background is a hole.
    lib::wfc::CRgn region(::CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(::GetWindowRgn(hwnd, region), ERROR);
    EXPECT_FALSE(::PtInRegion(region, 100, 100));
    EXPECT_TRUE(::PtInRegion(region, 101, 100));
    qmtest::SaveScreen(window->BackBuffer(), "ui", "item-window");  // to look at; not a check

    // The 4 x 4 white icon sits in the middle of the 16 x 16 face.
    auto* button = window->GetItemById(kIconButton);
    EXPECT_EQ(Pixel(146, 46), RGB(255, 255, 255));
    button->Control(kControlIconMode, 1, 0);
    EXPECT_EQ(Pixel(146, 46), RGB(0, 128, 255));
    button->Control(kControlIconMode, 0, 0);
    EXPECT_EQ(Pixel(146, 46), RGB(255, 255, 255));
}

TEST_F(SkinWindowTest, ScrollBarRepeatsByTicks) {
    auto* bar = static_cast<CSkinWindowItemScrollBar*>(window->GetItemById(kScroll));
    bar->SetRange(10, 0);
    using Scrolls = std::vector<std::pair<UINT, WPARAM>>;
    // Down button (the last 12 pixels of the 80): once at once, at +500, then every 40.
    Mouse(WM_LBUTTONDOWN, 186, 104);
    for (DWORD t : {1499u, 1500u, 1530u, 1539u, 1540u, 1579u, 1580u}) Tick(t);
    Mouse(WM_LBUTTONUP, 186, 104);
    Tick(2000);
    EXPECT_EQ(window->scrolls, Scrolls(4, {WM_VSCROLL, SB_LINEDOWN}));

    // Up at position 0 and down at the end do nothing, held or not.
    window->scrolls.clear();
    Mouse(WM_LBUTTONDOWN, 186, 36);
    Tick(1000 + 600);
    Mouse(WM_LBUTTONUP, 186, 36);
    bar->SetPosition(10);
    g_now = 3000;
    Mouse(WM_LBUTTONDOWN, 186, 104);
    Tick(3600);
    Mouse(WM_LBUTTONUP, 186, 104);
    EXPECT_EQ(window->scrolls, Scrolls{});

    // The track after the thumb pages (the window moving the bar 2 of 10) at
    // once, +500, +540 and +580, then stops where the thumb reaches the pointer.
    window->scrolls.clear();
    window->pageStep = 2;
    bar->SetPosition(0);
    g_now = 4000;
    Mouse(WM_LBUTTONDOWN, 186, 30 + 50);
    for (DWORD t : {4499u, 4500u, 4540u, 4580u, 4620u, 4660u, 5000u}) Tick(t);
    Mouse(WM_LBUTTONUP, 186, 30 + 50);
    EXPECT_EQ(window->scrolls, Scrolls(4, {WM_VSCROLL, SB_PAGEDOWN}));
    EXPECT_EQ(bar->GetPosition(), 8);
}

TEST_F(SkinWindowTest, LockedRedrawPaintsOnceWhenUnlocked) {
    auto* digits = static_cast<CSkinWindowItemDigitImage*>(window->GetItemById(kDigits));
    ::UpdateWindow(hwnd);
    const unsigned paints = window->PaintCount();
    digits->SetValue(1);
    EXPECT_EQ(window->PaintCount(), paints + 1);  // unlocked: painted at once
    window->LockRedraw(true);
    digits->SetValue(2);
    digits->SetValue(3);
    EXPECT_EQ(window->PaintCount(), paints + 1);
    EXPECT_EQ(Pixel(10, 90), RGB(70, 70, 70));  // composed all the same
    window->LockRedraw(false);
    EXPECT_EQ(window->PaintCount(), paints + 2);
}

TEST_F(SkinWindowTest, EnterAndEscapeWithoutFocusItemAndFromTheEditBox) {
    ::SendMessageA(hwnd, WM_KEYDOWN, VK_RETURN, 0);
    ::SendMessageA(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    ::SendMessageA(hwnd, WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(window->notifies, (std::vector<std::pair<int, int>>{{-1, 1}, {-1, 0}}));

    window->notifies.clear();
    window->keysWanted = {VK_RETURN, VK_TAB};
    HWND edit = static_cast<CSkinWindowItemEditBox*>(window->GetItemById(kEdit))->GetControl();
    for (UINT key : {UINT(VK_RETURN), UINT(VK_ESCAPE), UINT(VK_TAB), UINT('A')})
        ::SendMessageA(edit, WM_KEYDOWN, key, 0x1C0001);
    // Offered to FilterKey; the wanted ones posted to the window as they came.
    std::vector<std::pair<WPARAM, LPARAM>> posted;
    MSG msg;
    while (::PeekMessageA(&msg, hwnd, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) {
        posted.emplace_back(msg.wParam, msg.lParam);
        ::DispatchMessageA(&msg);
    }
    const std::vector<std::pair<WPARAM, LPARAM>> expected = {{VK_RETURN, 0x1C0001},
                                                             {VK_TAB, 0x1C0001}};
    EXPECT_EQ(posted, expected);
    EXPECT_EQ(window->notifies, (std::vector<std::pair<int, int>>{{-1, 1}}));
}
