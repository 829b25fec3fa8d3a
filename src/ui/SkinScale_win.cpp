#include <windows.h>

#include <iterator>
#include <vector>

#include "ui/Skin.h"
#include "ui/SkinScale.h"
#include "ui/SkinScaleWin.h"
#include "wfc/DIB.h"

namespace ui {

namespace {

template <class Fn>
Fn User32Function(const char* name) {
    HMODULE user32 = ::GetModuleHandleA("user32.dll");
    return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(user32, name)))
                  : nullptr;
}

int ScreenDpi() {
    HDC screen = ::GetDC(nullptr);
    if (!screen) return kBaseDpi;
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kBaseDpi;
}

}  // namespace

// Systems before Windows 10 1607 have neither function: the screen's DPI
// is the one every window has there.
int SystemDpi() {
    using GetDpiForSystemFn = UINT(WINAPI*)();
    static const auto getDpiForSystem = User32Function<GetDpiForSystemFn>("GetDpiForSystem");
    const UINT dpi = getDpiForSystem ? getDpiForSystem() : 0;
    return dpi > 0 ? static_cast<int>(dpi) : ScreenDpi();
}

int WindowDpi(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    const UINT dpi = window && getDpiForWindow ? getDpiForWindow(window) : 0;
    return dpi > 0 ? static_cast<int>(dpi) : SystemDpi();
}

bool ReadScaledSheet(const std::string& name, int dpi, std::string& bytes, int& sheetDpi) {
    // The sheet of the scale, then the larger ones, then the smaller ones:
    // a sheet is better shrunk than blown up.
    const int own = SheetDpiFor(dpi);
    std::vector<int> order;
    for (int sheet : kSheetDpis)
        if (sheet >= own) order.push_back(sheet);
    for (auto it = std::rbegin(kSheetDpis); it != std::rend(kSheetDpis); ++it)
        if (*it < own) order.push_back(*it);
    for (int sheet : order) {
        if (TryLoadSkinImage(ScaledSheetName(name, sheet), bytes)) {
            sheetDpi = sheet;
            return true;
        }
    }
    return false;
}

void ConvertFont(lib::wfc::CFont& font, int oldDpi, int dpi) {
    LOGFONTA logFont = {};
    if (!font || ::GetObjectA(font.Get(), sizeof logFont, &logFont) != sizeof logFont) return;
    logFont.lfHeight = ConvertCoordinate(logFont.lfHeight, oldDpi, dpi);
    font.Create(logFont);
}

void FitSheet(lib::wfc::CDIB& sheet, int sheetDpi, int dpi) {
    if (sheetDpi == dpi || sheet.IsEmpty()) return;
    lib::wfc::CDIB fitted;
    fitted.Create(ConvertCoordinate(sheet.Width(), sheetDpi, dpi),
                  ConvertCoordinate(sheet.Height(), sheetDpi, dpi));
    ResampleKeyed(PixelPlane{sheet.Row(0), sheet.Width(), sheet.Height(), -sheet.Stride()},
                  PixelPlane{fitted.Row(0), fitted.Width(), fitted.Height(), -fitted.Stride()});
    sheet = std::move(fitted);
}

}  // namespace ui
