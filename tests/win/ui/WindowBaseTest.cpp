// The application window chain: the waiting close, the frame overlay and its
// registry, and the shared key and item conventions.
#include <gtest/gtest.h>

#include <memory>

#include "tests/win/ui/FrameTestSkin.h"
#include "ui/EndSessionWaitingWindow.h"
#include "ui/FrameOverlayWindowBase.h"
#include "ui/ResizableSkinWindow.h"
#include "ui/WindowBase.h"

using namespace ui;
namespace overlay = ui::FrameOverlayWindowBase;

namespace {

constexpr UINT kOverlayMessage = WM_APP + 77;
constexpr UINT_PTR kCloseTimer = 7;

using Chain = CFrameOverlayWindowBase<CEndSessionWaitingWindow<CResizableSkinWindow>>;

class CAppWindow : public Chain, public CWindowBase {
public:
    bool permitted = true;
    bool closeLater = false;  // WM_CLOSE destroys at the next timer, not at once

    explicit CAppWindow(bool visible = true) : Chain("FrameOverlay") {
        frametest::UseFrameSkin();
        LoadSkin("FrameTest.txt", "Base", false);
        SetUpFrameOverlay();
        CreateResizableWindow(nullptr, WS_POPUP, WS_EX_TOOLWINDOW, 50, 50);
        if (visible) ShowWindow(SW_SHOWNA);
    }
    ~CAppWindow() override {
        if (GetHandle()) DestroyWindow();
    }
    UINT GetFrameOverlayMessage() override { return kOverlayMessage; }
    bool IsFrameOverlayPermitted() override { return permitted; }

protected:
    void OnClose() override {
        if (closeLater)
            SetTimer(kCloseTimer, 1);
        else
            DestroyWindow();
    }
    void OnTimer(UINT_PTR id) override {
        if (id != kCloseTimer) return Chain::OnTimer(id);
        KillTimer(kCloseTimer);
        DestroyWindow();
    }
};

bool IsRegistered(HWND window) {
    for (const auto& entry : overlay::RegisteredWindows())
        if (entry.first == window && entry.second == kOverlayMessage) return true;
    return false;
}

// Takes every waiting message; true when one was WM_QUIT.
bool DrainFindingQuit() {
    bool quit = false;
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT)
            quit = true;
        else
            ::DispatchMessageA(&msg);
    }
    return quit;
}

}  // namespace

TEST(WindowBase, CloseWaitEndsTheWindowAndKeepsAPendingQuit) {
    // closeLater: the quit is taken from the queue before the timer that ends the window.
    for (bool closeLater : {false, true}) {
        for (bool quitPending : {false, true}) {
            auto window = std::make_unique<CAppWindow>();
            window->closeLater = closeLater;
            const HWND handle = window->GetHandle();
            if (quitPending) ::PostQuitMessage(0);
            window->Close(true);
            EXPECT_FALSE(::IsWindow(handle));
            EXPECT_EQ(DrainFindingQuit(), quitPending) << closeLater;
        }
    }
}

TEST(WindowBase, OverlayShowNeedsPermissionHideIsAlwaysApplied) {
    CAppWindow window;
    frametest::Pump();  // the overlay message the window posts itself at creation
    ASSERT_TRUE(IsRegistered(window.GetHandle()));
    const CSkinWindowItemOverlay& item = *window.FrameOverlayItem();
    const COLORREF plain = frametest::PieceColor(1, 1);
    const COLORREF shaded = RGB(150, 150, 145);  // grey 200 at alpha 128 over 100, 100, 90
    struct Step {
        bool permitted;
        LPARAM show;
        bool visible;
    } const steps[] = {
        {false, 1, false}, {true, 1, true}, {false, 0, false}, {true, 0, false}, {true, 1, true},
    };
    EXPECT_FALSE(item.IsVisible());
    for (const Step& step : steps) {
        window.permitted = step.permitted;
        window.SendMessage(kOverlayMessage, overlay::kOverlayShowHide, step.show);
        EXPECT_EQ(item.IsVisible(), step.visible);
        EXPECT_EQ(window.BackBuffer()->GetPixel(60, 200), step.visible ? shaded : plain);
    }
    const HWND handle = window.GetHandle();
    window.DestroyWindow();
    EXPECT_FALSE(IsRegistered(handle));
}

TEST(WindowBase, HideAllLeavesAnAlreadyHiddenWindowHidden) {
    CAppWindow shown;
    CAppWindow hidden(false);
    frametest::Pump();
    overlay::PostToAll(overlay::kOverlayHideAll, 0);
    frametest::Pump();
    EXPECT_FALSE(::IsWindowVisible(shown.GetHandle()));
    EXPECT_TRUE(shown.BaseFunc().IsHiddenByAll());
    EXPECT_FALSE(hidden.BaseFunc().IsHiddenByAll());
    overlay::PostToAll(overlay::kOverlayShowAll, 0);
    frametest::Pump();
    EXPECT_TRUE(::IsWindowVisible(shown.GetHandle()));
    EXPECT_FALSE(::IsWindowVisible(hidden.GetHandle()));
    EXPECT_FALSE(shown.BaseFunc().IsHiddenByAll());
}

TEST(WindowBase, KeyTableAndCommonItemEvents) {
    frametest::UseFrameSkin();
    const HWND parent = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                          nullptr, nullptr);
    const HWND child =
        ::CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, parent, nullptr, nullptr, nullptr);
    ASSERT_TRUE(parent && child);
    const CWindowBase::KeyEntry keys[] = {{CWindowBase::kKeyCtrl, VK_TAB},
                                          {CWindowBase::kKeyCtrl | CWindowBase::kKeyShift, VK_TAB}};
    struct KeyCase {
        UINT modifiers, key;
        bool swallowed;
    } const keyCases[] = {
        {CWindowBase::kKeyCtrl, VK_TAB, true},
        {CWindowBase::kKeyCtrl | CWindowBase::kKeyShift, VK_TAB, true},
        {0, VK_TAB, false},
        {CWindowBase::kKeyShift, VK_TAB, false},
        {CWindowBase::kKeyCtrl, 'A', false},
    };
    MSG msg;
    for (const KeyCase& c : keyCases) {
        EXPECT_EQ(CWindowBase::OnTableKeyDown(child, keys, 2, c.modifiers, c.key, 0x1F0001),
                  c.swallowed);
        const bool posted = ::PeekMessageA(&msg, parent, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE);
        EXPECT_EQ(posted, !c.swallowed) << c.modifiers << " " << c.key;
        if (posted) {
            EXPECT_EQ(msg.wParam, c.key);
        }
    }
    const int kClose = 3, kIcon = 4;
    struct ItemCase {
        int id, code;
        bool closes;
    } const itemCases[] = {
        {kClose, 0, true}, {kClose, 3, false}, {kIcon, 3, true}, {kIcon, 0, false}, {5, 0, false},
    };
    for (const ItemCase& c : itemCases) {
        EXPECT_EQ(CWindowBase::OnCommonItemEvent(parent, c.id, c.code, kClose, kIcon), c.closes);
        EXPECT_EQ(::PeekMessageA(&msg, parent, WM_CLOSE, WM_CLOSE, PM_REMOVE) != 0, c.closes);
    }
    ::DestroyWindow(parent);
}
