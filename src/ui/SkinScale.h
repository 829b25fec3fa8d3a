#pragma once
// Drawing at the monitor's scale. Skin files are written in 96-DPI pixels;
// a window at another DPI maps every coordinate by one rounding rule, which
// the art build uses too when it places the sprites of its larger sheets, so
// a cut mapped here lands exactly on its sprite there. Rectangles map their
// edges, never their sizes: abutting rectangles stay abutting.
#include <cstddef>
#include <cstdint>
#include <string>

#include "ui/SkinData.h"
#include "ui/SkinProperties.h"

namespace ui {

constexpr int kBaseDpi = 96;

// floor(v * dpi / 96 + 1/2), in exact integer arithmetic (negatives too).
int ScaleCoordinate(int v, int dpi);
// The 96-DPI coordinate that ScaleCoordinate maps to v (dpi >= 96).
int UnscaleCoordinate(int v, int dpi);
// A coordinate of a window at fromDpi as the same point at toDpi.
int ConvertCoordinate(int v, int fromDpi, int toDpi);
SkinRect ScaleEdges(const SkinRect& rect, int dpi);
// A length laid from origin (a size beside its position): the mapped far edge
// less the mapped origin.
int ScaleLength(int origin, int length, int dpi);

// The sheets the program carries, by DPI, smallest first.
constexpr int kSheetDpis[] = {96, 144, 192};
// The DPI of the sheet a window at dpi draws from: its own where one exists,
// else the next larger one (the largest above it).
int SheetDpiFor(int dpi);
// The name of a picture's sheet at sheetDpi: "Base.png" -> "Base@1.5x.png",
// "Base.png/lang" -> "Base@2x.png/lang"; 96 gives the name back.
std::string ScaledSheetName(const std::string& name, int sheetDpi);

// Every coordinate of the skin mapped to dpi: positions, sizes (by their
// edges), picture cuts, font sizes, paddings, the base block's sizes.
// Colours, counts, times and texts stay as they are.
void ScaleSkin(SkinData& skin, int dpi);
void ScaleSkinItem(SkinItem& item, int dpi);

// A 24-bit picture (blue, green, red per pixel) by rows from the top; stride
// may be negative for bottom-up storage.
struct PixelPlane {
    uint8_t* row0;
    int width;
    int height;
    std::ptrdiff_t stride;

    uint8_t* Row(int y) const { return row0 + y * stride; }
};
// Resamples source onto target (any sizes) with a tent filter wide enough to
// average everything a shrunken pixel covers. The key colour (magenta) is
// transparent: it counts with no weight, and a target pixel less than half
// covered by opaque source becomes the key, so no magenta bleeds into the
// edges of sprites.
void ResampleKeyed(const PixelPlane& source, const PixelPlane& target);

}  // namespace ui
