// The resizable window: anchor rules, nine-slice background, border
// resizing by messages, the maximized window and the return onto a monitor.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/win/ui/FrameTestSkin.h"
#include "tests/win/ui/SkinBoxWatcher.h"
#include "ui/ResizableSkinWindow.h"
#include "ui/SkinWindowItemResizableStaticImage.h"

using namespace ui;
using frametest::PieceColor;

namespace {

const char* const kItemNames[] = {"Keep", "Near", "Far", "Centre", "Stretch"};

class CLayoutWindow : public CResizableSkinWindow {
public:
    std::vector<std::string> log;

    CLayoutWindow() {
        frametest::UseFrameSkin();
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

std::string Edges(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

}  // namespace

TEST(ResizableWindow, AtLayoutSizeItemsStayAndBackgroundIsSliced) {
    CLayoutWindow window;
    const RECT client = window.GetClientRect();
    ASSERT_EQ(Edges(client), "0,0,240,230");
    for (int id = 0; id < 5; ++id) {
        const SkinItem& item = GetItem(window.Skin(), kItemNames[id]);
        const SkinRect r = ToItemRect(item.properties.at("Position"), item.properties.at("Size"));
        const RECT want = {r.left, r.top, r.right, r.bottom};
        EXPECT_EQ(Edges(window.GetItemById(id)->GetRect()), Edges(want)) << kItemNames[id];
    }
    const lib::wfc::CDIB& back = *window.BackBuffer();
    EXPECT_EQ(back.GetPixel(0, 0), PieceColor(0, 0));
    EXPECT_EQ(back.GetPixel(239, 229), PieceColor(2, 2));
    // The left edge repeats its 60 source rows: y 95 shows row 35, y 160 row 40.
    EXPECT_EQ(back.GetPixel(9, 95), frametest::LeftEdgeColor(35));
    EXPECT_EQ(back.GetPixel(0, 160), frametest::LeftEdgeColor(40));
    EXPECT_EQ(back.GetPixel(10, 160), PieceColor(1, 1));
    EXPECT_EQ(back.GetPixel(60, 200), PieceColor(1, 1));
    EXPECT_EQ(back.GetPixel(235, 0), PieceColor(2, 0));
    // The top edge repeats its 80 source columns: x 95 shows column 15, x 229 column 69.
    EXPECT_EQ(back.GetPixel(95, 3), frametest::TopEdgeColor(15));
    EXPECT_EQ(back.GetPixel(229, 3), frametest::TopEdgeColor(69));
    EXPECT_EQ(back.GetPixel(100, 24), frametest::kItemColor);
}

TEST(ResizableWindow, EachAnchorModeMovesTheEdgesForGrowthAndShrink) {
    struct Case {
        int id;
        const char* grown;   // width + 37
        const char* shrunk;  // width - 11
    } const cases[] = {
        {0, "100,24,140,44", "100,24,140,44"},      // keep
        {1, "100,46,140,66", "100,46,140,66"},      // fixed from left and top
        {2, "137,68,177,88", "89,68,129,88"},       // fixed from right and bottom
        {3, "118,90,158,110", "95,90,135,110"},     // centred: half the growth, -11 / 2 = -5
        {4, "100,112,177,132", "100,112,129,132"},  // stretched with the window
    };
    CLayoutWindow window;
    window.SizeTo(240 + 37, 230);
    for (const Case& c : cases)
        EXPECT_EQ(Edges(window.GetItemById(c.id)->GetRect()), c.grown) << kItemNames[c.id];
    // The right corner follows the new right edge; the top edge keeps tiling.
    EXPECT_EQ(window.BackBuffer()->GetPixel(270, 0), PieceColor(2, 0));
    EXPECT_EQ(window.BackBuffer()->GetPixel(266, 3), frametest::TopEdgeColor(26));
    frametest::SaveScreenshot(*window.BackBuffer(), "resizable-grown");
    window.SizeTo(240 - 11, 230);
    for (const Case& c : cases)
        EXPECT_EQ(Edges(window.GetItemById(c.id)->GetRect()), c.shrunk) << kItemNames[c.id];
    window.SizeTo(240, 230);
    EXPECT_EQ(Edges(window.GetItemById(3)->GetRect()), "100,90,140,110");
    EXPECT_EQ(Edges(window.GetItemById(4)->GetRect()), "100,112,140,132");
}

TEST(ResizableWindow, BorderDragStopsAtMinSize) {
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
}

TEST(ResizableWindow, MaximizedWindowShowsNoResizeCursorAndDoesNotResize) {
    CLayoutWindow window;
    const HCURSOR sizeWE = ::LoadCursorA(nullptr, IDC_SIZEWE);
    auto cursorAtRightBorder = [&] {
        const RECT r = window.GetWindowRect();
        const POINT pt = {r.right - 2, (r.top + r.bottom) / 2};
        ::SetCursorPos(pt.x, pt.y);
        ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
        const LRESULT hit = window.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
        window.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(window.GetHandle()),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return std::make_pair(hit, ::GetCursor());
    };
    const auto normal = cursorAtRightBorder();
    EXPECT_EQ(normal.first, HTCLIENT);
    EXPECT_EQ(normal.second, sizeWE);

    // The style alone: without a window manager under Xvfb a real maximize
    // waits for an answer that never comes.
    ::SetWindowLongA(window.GetHandle(), GWL_STYLE,
                     ::GetWindowLongA(window.GetHandle(), GWL_STYLE) | WS_MAXIMIZE);
    const auto maximized = cursorAtRightBorder();
    EXPECT_EQ(maximized.first, HTCLIENT);  // never a system sizing border
    EXPECT_NE(maximized.second, sizeWE);
    const RECT before = window.GetWindowRect();
    window.Send(WM_LBUTTONDOWN, before.right - before.left - 2, 115);
    EXPECT_EQ(window.DragZone(), kZoneNone);
    EXPECT_NE(::GetCapture(), window.GetHandle());
    window.Send(WM_LBUTTONUP, 10, 115);
    EXPECT_TRUE(window.log.empty());
}

TEST(ResizableWindow, ComesBackOntoAMonitorAfterAMove) {
    CLayoutWindow window;
    ::SetWindowPos(window.GetHandle(), nullptr, -20000, -20000, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT r = window.GetWindowRect();
    ASSERT_EQ(::MonitorFromRect(&r, MONITOR_DEFAULTTONULL), nullptr);
    window.SendMessage(WM_EXITSIZEMOVE);
    r = window.GetWindowRect();
    EXPECT_NE(::MonitorFromRect(&r, MONITOR_DEFAULTTONULL), nullptr);
    EXPECT_EQ(r.right - r.left, 240);
}

TEST(ResizableWindow, SizingIsHeldToTheMaximumTrackSize) {
    CLayoutWindow window;
    const int maxWidth = ::GetSystemMetrics(SM_CXMAXTRACK);
    const int maxHeight = ::GetSystemMetrics(SM_CYMAXTRACK);
    RECT left = {-100000, 0, 500, 100000};  // the left and bottom edges were dragged
    window.SendMessage(WM_SIZING, WMSZ_BOTTOMLEFT, reinterpret_cast<LPARAM>(&left));
    EXPECT_EQ(Edges(left), Edges(RECT{500 - maxWidth, 0, 500, maxHeight}));
    RECT right = {0, -100000, 100000, 500};
    window.SendMessage(WM_SIZING, WMSZ_TOPRIGHT, reinterpret_cast<LPARAM>(&right));
    EXPECT_EQ(Edges(right), Edges(RECT{0, 500 - maxHeight, maxWidth, 500}));
}

// The painter's run-copying path against the library's pixel-by-pixel one:
// corners cut by a small destination, a one-pixel middle, clipping.
TEST(ResizableDIBHelper, CopyMatchesTheLibraryPainter) {
    lib::wfc::CDIB source;
    source.Create(40, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) source.SetPixel(x, y, RGB(x * 6, y * 8, (x * y) % 256));
    struct Case {
        lib::wfc::NineSlice slice;
        RECT dest;
        bool clipped;
    } const cases[] = {
        {{{0, 8, 30, 40}, {0, 5, 25, 30}}, {3, 2, 150, 97}, false},
        {{{0, 8, 30, 40}, {0, 5, 25, 30}}, {3, 2, 150, 97}, true},
        {{{2, 12, 13, 38}, {1, 10, 11, 29}}, {0, 0, 120, 80}, true},  // one-pixel middle
        {{{0, 8, 30, 40}, {0, 5, 25, 30}}, {10, 10, 22, 17}, false},  // corners cut
        {{{5, 5, 20, 40}, {0, 0, 10, 30}}, {-7, -3, 90, 60}, true},   // empty pieces, off the edge
    };
    const RECT clip = {17, 9, 101, 63};
    for (const Case& c : cases) {
        lib::wfc::CDIB mine, theirs;
        mine.Create(130, 90);
        theirs.Create(130, 90);
        mine.Fill(RECT{0, 0, 130, 90}, RGB(1, 2, 3));
        theirs.Fill(RECT{0, 0, 130, 90}, RGB(1, 2, 3));
        ui::NineSliceImage image;
        image.source = &source;
        image.slice = c.slice;
        ui::CResizableDIBHelper::Draw(mine, c.dest, c.clipped ? &clip : nullptr, image, 255,
                                      lib::wfc::kNoKey);
        lib::wfc::DrawNineSlice(theirs, c.dest, c.clipped ? &clip : nullptr, source, c.slice);
        int differing = 0;
        for (int y = 0; y < 90; ++y)
            for (int x = 0; x < 130; ++x) differing += mine.GetPixel(x, y) != theirs.GetPixel(x, y);
        EXPECT_EQ(differing, 0) << Edges(c.dest) << (c.clipped ? " clipped" : "");
    }
}

TEST(ResizableWindow, BaseBlockWithoutResizeKeysIsASkinError) {
    frametest::UseFrameSkin();
    skintest::CSkinBoxWatcher watcher;
    for (const char* key : {"BorderWidth", "LayoutSize"}) {
        CResizableSkinWindow window;
        window.LoadSkin("FrameTest.txt", "Base", false);
        SkinItem base = GetItem(window.Skin(), "Base");
        base.properties.erase(key);
        EXPECT_EQ(skintest::ThrownText([&] { window.ApplyBaseItem(base); }),
                  std::string("Base/") + key + "が定義されていません");
    }
    EXPECT_EQ(watcher.Texts().size(), 2u);
}
