#pragma once
// CResizableDIBHelper: the nine-slice painter of resizable backgrounds and
// items. Corners keep their size; edges and centre are tiled, the last tile
// cut at the border of its space.
#include <windows.h>

#include "wfc/DIB.h"

namespace ui {

// A source picture and where it is cut.
struct NineSliceImage {
    const lib::wfc::CDIB* source = nullptr;
    lib::wfc::NineSlice slice = {};
};

class CResizableDIBHelper {
public:
    // alpha 255 = plain copy, key lib::wfc::kNoKey = no key colour; nothing
    // outside clip when it is given.
    static void Draw(lib::wfc::CDIB& target, const RECT& destination, const RECT* clip,
                     const NineSliceImage& nineSlice, int alpha, long key);
    // The background rectangle of a window cut into three columns at x0, x1
    // and three rows at y0, y1 (absolute coordinates in the image).
    static lib::wfc::NineSlice FromDivPoints(const RECT& rect, int x0, int y0, int x1, int y1);
};

}  // namespace ui
