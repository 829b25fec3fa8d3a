// The application window chain: the waiting close, the frame overlay and its
// registry.
#include <gtest/gtest.h>

#include <memory>

#include "tests/win/ui/SkinWindowKit.h"
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

    CAppWindow() : Chain("FrameOverlay") {
        skintest::UseFrameSkin();
        LoadSkin("FrameTest.txt", "Base", false);
        SetUpFrameOverlay();
        CreateResizableWindow(nullptr, WS_POPUP, WS_EX_TOOLWINDOW, 50, 50);
        ShowWindow(SW_SHOWNA);
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
    qmtest::Drain();  // the overlay message the window posts itself at creation
    ASSERT_TRUE(IsRegistered(window.GetHandle()));
    const CSkinWindowItemOverlay& item = *window.FrameOverlayItem();
    const COLORREF plain = skintest::PieceColor(1, 1);
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
