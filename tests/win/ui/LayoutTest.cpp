// The resizable window: anchor rules, the tiled background, border resizing by
// messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/win/ui/SkinWindowKit.h"
#include "ui/ResizableSkinWindow.h"
#include "ui/SkinWindowItemResizableStaticImage.h"

using namespace ui;
using skintest::Edges;
using skintest::PieceColor;

namespace {

const char* const kItemNames[] = {"Keep", "Near", "Far", "Centre", "Stretch"};

class CLayoutWindow : public CResizableSkinWindow {
public:
    std::vector<std::string> log;

    CLayoutWindow() {
        skintest::UseFrameSkin();
        LoadSkin("FrameTest.txt", "Base", false);
        for (int id = 0; id < 5; ++id)
            AddItem<CSkinWindowItemResizableStaticImage>(id, GetItem(Skin(), kItemNames[id]));
        AddLayoutRule(0, 0, 0, 0, 0);
        AddLayoutRule(1, 1, 1, 1, 1);
        AddLayoutRule(2, 2, 2, 2, 2);
        AddLayoutRule(3, 3, 3, 3, 3);
        AddLayoutRule(4, 1, 1, 2, 1);
        CreateResizableWindow(nullptr, WS_POPUP, WS_EX_TOOLWINDOW, 100, 100);
        ShowWindow(SW_SHOWNA);
    }
    ~CLayoutWindow() override {
        if (GetHandle()) DestroyWindow();
    }
    void SizeTo(int width, int height) {
        ::SetWindowPos(GetHandle(), nullptr, 0, 0, width, height,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    LRESULT Send(UINT message, int x, int y) {
        return SendMessage(message, message == WM_MOUSEMOVE ? 0 : MK_LBUTTON,
                           MAKELPARAM(static_cast<WORD>(static_cast<short>(x)),
                                      static_cast<WORD>(static_cast<short>(y))));
    }

protected:
    bool OnSizing(UINT edge, RECT* rect) override {
        log.push_back("sizing " + std::to_string(edge));
        return CResizableSkinWindow::OnSizing(edge, rect);
    }
    void OnExitSizeMove() override {
        log.push_back("exit");
        CResizableSkinWindow::OnExitSizeMove();
    }
};

}  // namespace

TEST(ResizableWindow, BorderDragStopsAtMinSizeAndTheLayoutRulesFollowTheClientSize) {
    CLayoutWindow window;
    // Right border, dragged 200 pixels to the left: the right edge stops at left + 120.
    window.Send(WM_LBUTTONDOWN, 238, 115);
    EXPECT_EQ(::GetCapture(), window.GetHandle());
    EXPECT_EQ(window.DragZone(), kZoneRight);
    window.Send(WM_MOUSEMOVE, 38, 115);
    window.Send(WM_LBUTTONUP, 38, 115);
    EXPECT_EQ(Edges(window.GetWindowRect()), "100,100,220,330");
    EXPECT_EQ(window.DragZone(), kZoneNone);
    EXPECT_NE(::GetCapture(), window.GetHandle());
    // Top-left corner dragged far right and down: both moving edges stop at MinSize.
    window.Send(WM_LBUTTONDOWN, 1, 1);
    window.Send(WM_MOUSEMOVE, 301, 301);
    const RECT after = window.GetWindowRect();
    window.Send(WM_LBUTTONUP, 301 - (after.left - 100), 301 - (after.top - 100));
    EXPECT_EQ(Edges(window.GetWindowRect()), "100,240,220,330");
    const std::vector<std::string> expected = {"sizing 2", "sizing 2", "exit",
                                               "sizing 4", "sizing 4", "exit"};
    EXPECT_EQ(window.log, expected);
    EXPECT_EQ(Edges(window.GetClientRect()), "0,0,120,90");
    EXPECT_EQ(window.BackBuffer()->Width(), 120);

    // Each mode's arithmetic: LayoutManagerTest; here the window hands its
    // client size to the rules and moves the items.
    window.SizeTo(240 + 37, 230);
    EXPECT_EQ(Edges(window.GetItemById(2)->GetRect()), "137,68,177,88");    // from right, bottom
    EXPECT_EQ(Edges(window.GetItemById(4)->GetRect()), "100,112,177,132");  // stretched
    // The right corner follows the new right edge; the top edge keeps tiling.
    EXPECT_EQ(window.BackBuffer()->GetPixel(270, 0), PieceColor(2, 0));
    EXPECT_EQ(window.BackBuffer()->GetPixel(266, 3), skintest::TopEdgeColor(26));
    window.SizeTo(240 - 11, 230);
    EXPECT_EQ(Edges(window.GetItemById(3)->GetRect()), "95,90,135,110");  // centred: -11 / 2 = -5
}
