#include "ui/ResizableDIBHelper.h"

namespace ui {

void CResizableDIBHelper::Draw(lib::wfc::CDIB& target, const RECT& destination, const RECT* clip,
                               const NineSliceImage& nineSlice, int alpha, long key) {
    if (!nineSlice.source) return;
    lib::wfc::DrawNineSlice(target, destination, clip, *nineSlice.source, nineSlice.slice, alpha,
                            key, lib::wfc::SliceFill::Tile);
}

lib::wfc::NineSlice CResizableDIBHelper::FromDivPoints(const RECT& rect, int x0, int y0, int x1,
                                                       int y1) {
    lib::wfc::NineSlice slice = {};
    const int xs[4] = {rect.left, x0, x1, rect.right};
    const int ys[4] = {rect.top, y0, y1, rect.bottom};
    for (int i = 0; i < 4; ++i) {
        slice.x[i] = xs[i];
        slice.y[i] = ys[i];
    }
    return slice;
}

}  // namespace ui
