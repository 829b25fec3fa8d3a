// Ownership: every GDI and USER object the library makes is given back; the
// tool-tip activator driven by fed tick values.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <gtest/gtest.h>

#include "GuiObjects.h"
#include "WfcTestSupport.h"
#include "wfc/DIB.h"
#include "wfc/Gdi.h"
#include "wfc/Library.h"
#include "wfc/Thread.h"
#include "wfc/Window.h"

namespace {

class CPainted : public lib::wfc::CRegionWindow {
public:
    lib::wfc::CDIB buffer;
    void OnPaint() override {
        lib::wfc::CPaintDC paint(GetHandle());
        lib::wfc::CMemDC memory(buffer.Handle(), paint);
        ::BitBlt(paint, 0, 0, buffer.Width(), buffer.Height(), memory, 0, 0, SRCCOPY);
    }
};

TEST(Objects, ManyDibsFontsRegionsAndWindowsEndWhereTheyBegan) {
    lib::wfc::CDIB probe = wfctest::Solid(1, 1, 0);
    const std::string png = probe.EncodePng();
    LOGFONTA logFont = {};
    logFont.lfHeight = -12;
    lstrcpyA(logFont.lfFaceName, "ＭＳ ゴシック");

    auto round = [&] {
        lib::wfc::CDIB dib;
        dib.Create(40, 20);
        dib.Fill({0, 0, 10, 10}, RGB(255, 0, 255));
        lib::wfc::CDIB loaded;
        EXPECT_EQ(lib::wfc::kLoadOk, loaded.LoadMemory(png.data(), png.size()));
        lib::wfc::CFont font(logFont);
        RECT r = {0, 0, 40, 20};
        dib.DrawTextA("あ", -1, &r, 0, font, 0);
        dib.DrawGlyphText("い", -1, 0, 0, font, 0, r);
        lib::wfc::CRgn region = lib::wfc::CreateRegion(dib, 0, 0, 40, 20);

        CPainted window;
        window.buffer = std::move(dib);
        window.Create(0, static_cast<const char*>(nullptr), "", WS_POPUP, {0, 0, 40, 20}, nullptr);
        window.SetRegion(lib::wfc::CreateRegion(window.buffer, 0, 0, 40, 20));
        window.SendMessage(WM_PAINT);
        window.DestroyWindow();
    };
    round();  // first use: font and system caches
    const DWORD gdiBefore = guiobjects::Gdi();
    const DWORD userBefore = guiobjects::User();
    ASSERT_GT(gdiBefore, 0u);
    for (int i = 0; i < 200; ++i) round();
    EXPECT_EQ(gdiBefore, guiobjects::Gdi());
    EXPECT_EQ(userBefore, guiobjects::User());
}

// TTM_UPDATE posted to the tool-tip control, taken off its queue.
bool TakeUpdate(HWND tooltip) {
    MSG msg = {};
    return ::PeekMessageA(&msg, tooltip, TTM_UPDATE, TTM_UPDATE, PM_REMOVE) != FALSE;
}

TEST(Threads, TooltipActivatorNudgesOnceTheDelayHasPassedAfterAMove) {
    HWND tooltip = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                     WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0, 0, 0, nullptr,
                                     nullptr, nullptr, nullptr);
    ASSERT_TRUE(tooltip);
    ::SendMessageA(tooltip, TTM_SETDELAYTIME, TTDT_INITIAL, 300);
    lib::wfc::CTooltipActivator activator;
    activator.Attach(tooltip, false);
    EXPECT_EQ(300u, activator.Delay());

    EXPECT_FALSE(activator.Poll(1000));  // nothing reported yet
    activator.ReportMouse({5, 5});
    EXPECT_FALSE(activator.Poll(1000));  // the change is noted at 1000
    EXPECT_FALSE(activator.Poll(1299));
    EXPECT_FALSE(TakeUpdate(tooltip));
    EXPECT_TRUE(activator.Poll(1300));
    EXPECT_TRUE(TakeUpdate(tooltip));
    EXPECT_FALSE(activator.Poll(5000));  // once per move
    activator.ReportMouse({5, 5});       // the same point is no move
    EXPECT_FALSE(activator.Poll(9000));
    activator.ReportMouse({6, 5});
    EXPECT_FALSE(activator.Poll(0xFFFFFF00u));  // across the tick wrap
    EXPECT_TRUE(activator.Poll(0x00000100u));
    EXPECT_TRUE(TakeUpdate(tooltip));

    activator.Stop();
    activator.ReportMouse({9, 9});
    EXPECT_FALSE(activator.Poll(1));
    EXPECT_FALSE(activator.Poll(100000));

    // With its own thread (old Windows): Stop ends it and waits for it.
    lib::wfc::CTooltipActivator threaded;
    threaded.Attach(tooltip, true);
    ASSERT_NE(nullptr, threaded.Handle());
    threaded.Stop();
    EXPECT_TRUE(threaded.Wait(0));
    EXPECT_EQ(0u, threaded.GetExitCode());
    ::DestroyWindow(tooltip);
}

}  // namespace
