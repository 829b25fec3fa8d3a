#pragma once
// A small skin for the resizable window, list view and window base tests:
// "FrameTest.txt" and a "Parts.png" drawn here, in a folder of their own.
#include <windows.h>

#include <string>

#include "tests/support/TestSupport.h"
#include "tests/win/ui/SkinTestFiles.h"
#include "ui/Skin.h"
#include "wfc/DIB.h"
#include "wfc/Library.h"

namespace frametest {

// The nine background pieces (column i, row j) are plain colours except the
// top edge, whose red channel is twice the source x so that tiling shows.
inline COLORREF PieceColor(int i, int j) { return RGB(30 + i * 70, 30 + j * 70, 90); }
inline COLORREF TopEdgeColor(int sourceX) { return RGB(sourceX * 2, 40, 91); }
// The left edge varies by row, so that repeated rows show.
inline COLORREF LeftEdgeColor(int sourceY) { return RGB(35, sourceY * 3, 95); }
constexpr COLORREF kItemColor = RGB(10, 200, 10);
constexpr COLORREF kOverlayColor = RGB(200, 200, 200);
constexpr COLORREF kRow0 = RGB(220, 220, 220);
constexpr COLORREF kRow1 = RGB(180, 180, 240);
constexpr COLORREF kActiveRow = RGB(250, 200, 80);
constexpr COLORREF kHeader = RGB(120, 120, 120);
constexpr COLORREF kIcon0 = RGB(0, 150, 150);
constexpr COLORREF kIcon1 = RGB(150, 150, 0);

inline void Fill(lib::wfc::CDIB& dib, int l, int t, int r, int b, COLORREF color) {
    dib.Fill(RECT{l, t, r, b}, color);
}

inline std::string ImageBytes() {
    lib::wfc::CDIB dib;
    dib.Create(200, 200);
    Fill(dib, 0, 0, 200, 200, RGB(0, 0, 0));
    const int xs[4] = {0, 10, 90, 100}, ys[4] = {0, 10, 70, 80};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) Fill(dib, xs[i], ys[j], xs[i + 1], ys[j + 1], PieceColor(i, j));
    for (int x = 10; x < 90; ++x)
        for (int y = 0; y < 10; ++y) dib.SetPixel(x, y, TopEdgeColor(x));
    for (int y = 10; y < 70; ++y) Fill(dib, 0, y, 10, y + 1, LeftEdgeColor(y));
    Fill(dib, 100, 0, 130, 30, kOverlayColor);
    Fill(dib, 150, 0, 160, 10, kItemColor);
    // Scroll bar parts.
    Fill(dib, 180, 0, 196, 64, RGB(90, 90, 90));
    Fill(dib, 180, 100, 196, 116, RGB(60, 60, 60));
    // List: buttons, labels, header and rows.
    for (int k = 0; k < 4; ++k) Fill(dib, k * 20, 100, k * 20 + 16, 112, RGB(40 + k * 40, 0, 0));
    for (int k = 0; k < 4; ++k)
        Fill(dib, 100 + k * 10, 100, 108 + k * 10, 108, RGB(0, 0, 40 + k * 40));
    Fill(dib, 140, 100, 146, 106, kIcon0);
    Fill(dib, 150, 100, 156, 106, kIcon1);
    Fill(dib, 0, 120, 12, 138, kHeader);
    Fill(dib, 20, 120, 32, 138, RGB(80, 80, 80));
    Fill(dib, 0, 160, 12, 178, kRow0);
    Fill(dib, 20, 160, 32, 178, kRow1);
    Fill(dib, 40, 160, 52, 178, kActiveRow);
    return dib.EncodePng();
}

constexpr const char kSkinBody[] =
    "Base\n{\n"
    "\tImage = \"Parts.png\", 0, 0, 100, 80;\n\tTitle = \"FrameTest\";\n"
    "\tCaptionHeight = 20;\n\tFont = \"ＭＳ ゴシック\", 12, 400;\n"
    "\tBorderWidth = 4;\n\tDivPoint = 10, 10, 90, 70;\n"
    "\tMinSize = 120, 90;\n\tLayoutSize = 240, 230;\n}\n"
    "ItemClass\n{\n\tSize = 40, 20;\n"
    "\tImage = \"Parts.png\", 150, 153, 157, 160, 0, 3, 7, 10;\n}\n"
    "Keep\n{\n\tClass = ItemClass;\n\tPosition = 100, 24;\n}\n"
    "Near\n{\n\tClass = ItemClass;\n\tPosition = 100, 46;\n}\n"
    "Far\n{\n\tClass = ItemClass;\n\tPosition = 100, 68;\n}\n"
    "Centre\n{\n\tClass = ItemClass;\n\tPosition = 100, 90;\n}\n"
    "Stretch\n{\n\tClass = ItemClass;\n\tPosition = 100, 112;\n}\n"
    "FrameOverlay\n{\n\tImage = \"Parts.png\", 100, 110, 120, 130, 0, 10, 20, 30;\n"
    "\tAlpha = 128;\n}\n"
    "ScrollBar\n{\n\tType = \"V\";\n\tPosition = 200, 24;\n\tSize = 16, 180;\n"
    "\tButtonSize = 16, 16;\n\tThumbSize = 16, 16;\n\tThumbPart = 4, 8, 4;\n"
    "\tBaseImage = \"Parts.png\", 180, 0, 196, 64, 4, 4;\n"
    "\tUpButtonImage = \"Parts.png\", 180, 100, 180, 100, 180, 100, 180, 100;\n"
    "\tDownButtonImage = \"Parts.png\", 180, 100, 180, 100, 180, 100, 180, 100;\n"
    "\tThumbImage = \"Parts.png\", 180, 100, 180, 100, 180, 100, 180, 100;\n"
    "\tUpImage = \"Parts.png\", 180, 100, 188, 108;\n"
    "\tDownImage = \"Parts.png\", 180, 100, 188, 108;\n"
    "\tDisableUpImage = \"Parts.png\", 180, 100, 188, 108;\n"
    "\tDisableDownImage = \"Parts.png\", 180, 100, 188, 108;\n}\n"
    "List\n{\n\tPosition = 10, 24;\n\tSize = 180, 180;\n"
    "\tNormalButton = \"Parts.png\", 0, 100, 16, 112;\n"
    "\tNormalHotButton = \"Parts.png\", 20, 100, 36, 112;\n"
    "\tPushedButton = \"Parts.png\", 40, 100, 56, 112;\n"
    "\tPushedHotButton = \"Parts.png\", 60, 100, 76, 112;\n"
    "\tNormalHeader = \"Parts.png\", 0, 4, 8, 12, 120, 138;\n"
    "\tPushedHeader = \"Parts.png\", 20, 24, 28, 32, 120, 138;\n"
    "\tNormalRowCount = 2;\n"
    "\tNormalRow.0 = \"Parts.png\", 0, 4, 8, 12, 160, 178;\n"
    "\tNormalRow.1 = \"Parts.png\", 20, 24, 28, 32, 160, 178;\n"
    "\tActiveRow = \"Parts.png\", 40, 44, 48, 52, 160, 178;\n"
    "\tLabelCount = 2;\n"
    "\tOnLabel.0 = \"Parts.png\", 100, 100, 108, 108;\n"
    "\tOffLabel.0 = \"Parts.png\", 110, 100, 118, 108;\n"
    "\tOnDLabel.0 = \"Parts.png\", 120, 100, 128, 108;\n"
    "\tOffDLabel.0 = \"Parts.png\", 130, 100, 138, 108;\n"
    "\tButtonToolTipText.0 = \"tip0\";\n\tButtonToolTipTextP.0 = \"tipP0\";\n"
    "\tOnLabel.1 = \"Parts.png\", 100, 100, 108, 108;\n"
    "\tOffLabel.1 = \"Parts.png\", 110, 100, 118, 108;\n"
    "\tOnDLabel.1 = \"Parts.png\", 120, 100, 128, 108;\n"
    "\tOffDLabel.1 = \"Parts.png\", 130, 100, 138, 108;\n"
    "\tButtonToolTipText.1 = \"tip1\";\n\tButtonToolTipTextP.1 = \"tipP1\";\n"
    "\tIconCount = 2;\n"
    "\tIconImage.0 = \"Parts.png\", 140, 100, 146, 106, 2, 3;\n"
    "\tIconImage.1 = \"Parts.png\", 150, 100, 156, 106, 2, 3;\n}\n"
    "StringTable\n{\n}\n";

// Writes the skin folder once; switches the skin source to it every time.
inline void UseFrameSkin() {
    static const std::string folder = [] {
        lib::wfc::InitLibrary(::GetModuleHandleA(nullptr), "FrameTest", nullptr, nullptr);
        const std::string made = qmtest::NewFolder("frameskin");
        qmtest::WriteFile(made + "Parts.png", ImageBytes());
        qmtest::WriteFile(made + "FrameTest.txt", skintest::SkinFile(kSkinBody));
        return made;
    }();
    // Other tests of this program switch the source too.
    ui::SetSkinFolderMode(folder);
}

using skintest::Pump;
using skintest::SaveScreenshot;

}  // namespace frametest
