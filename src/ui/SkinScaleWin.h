#pragma once
// The DPI a window draws at, and the skin's sheets at that scale.
#include <windows.h>

#include <string>

namespace lib::wfc {
class CDIB;
class CFont;
}  // namespace lib::wfc

namespace ui {

// The system's DPI (the primary monitor's for a per-monitor aware program).
int SystemDpi();
// The DPI of the window's monitor; the system's without a window.
int WindowDpi(HWND window);

// The bytes of the picture's sheet for dpi: the sheet of that scale where
// the program has one, else the nearest other ("Base@2x.png", "Base.png"),
// with the DPI it was drawn for. False when no sheet of the name exists.
bool ReadScaledSheet(const std::string& name, int dpi, std::string& bytes, int& sheetDpi);
// The font again with its height converted from oldDpi to dpi.
void ConvertFont(lib::wfc::CFont& font, int oldDpi, int dpi);
// A sheet drawn for sheetDpi resampled to dpi, the key colour kept clean.
void FitSheet(lib::wfc::CDIB& sheet, int sheetDpi, int dpi);

}  // namespace ui
