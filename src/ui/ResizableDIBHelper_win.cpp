#include <algorithm>
#include <cstring>

#include "ui/ResizableDIBHelper.h"

namespace ui {

namespace {

// Destination edges of the three pieces along one dimension: the corners keep
// their size (cut when the destination is too small), the middle takes the rest.
void Spans(int start, int length, const int* source, int* out) {
    const int first = std::min(source[1] - source[0], length);
    const int last = std::min(source[3] - source[2], length - first);
    out[0] = start;
    out[1] = start + first;
    out[2] = start + length - last;
    out[3] = start + length;
}

// The source coordinate shown at destination d of piece i (the middle tiles;
// a cut far corner shows its far part). -1 when the piece has no source.
int SourceAt(int d, int i, const int* dst, const int* src) {
    const int length = src[i + 1] - src[i];
    if (length <= 0) return -1;
    if (i == 0) return src[0] + (d - dst[0]);
    if (i == 2) return src[3] - (dst[3] - d);
    return src[1] + (d - dst[1]) % length;
}

// Fills pixels [from, to) of a destination row with piece i of a source row:
// the first tile piece by piece, then by doubling what is already written.
void FillRun(BYTE* row, const BYTE* sourceRow, int from, int to, int i, const int* dst,
             const int* src) {
    if (from >= to) return;
    const int length = src[i + 1] - src[i];
    if (length <= 0) return;
    const int first = SourceAt(from, i, dst, src);
    if (i != 1) {
        std::memcpy(row + from * 3, sourceRow + first * 3, static_cast<size_t>(to - from) * 3);
        return;
    }
    // Up to the next tile boundary, then one whole tile.
    int x = from;
    const int head = std::min(src[2] - first, to - x);
    std::memcpy(row + x * 3, sourceRow + first * 3, static_cast<size_t>(head) * 3);
    x += head;
    if (x >= to) return;
    const int tileStart = x;
    const int tile = std::min(length, to - x);
    std::memcpy(row + x * 3, sourceRow + src[1] * 3, static_cast<size_t>(tile) * 3);
    x += tile;
    int have = tile;
    while (x < to) {
        const int n = std::min(have, to - x);
        std::memcpy(row + x * 3, row + tileStart * 3, static_cast<size_t>(n) * 3);
        x += n;
        have += n;
    }
}

}  // namespace

void CResizableDIBHelper::Draw(lib::wfc::CDIB& target, const RECT& destination, const RECT* clip,
                               const NineSliceImage& nineSlice, int alpha, long key) {
    if (!nineSlice.source) return;
    const lib::wfc::CDIB& source = *nineSlice.source;
    if (alpha < 255 || key != lib::wfc::kNoKey) {
        lib::wfc::DrawNineSlice(target, destination, clip, source, nineSlice.slice, alpha, key,
                                lib::wfc::SliceFill::Tile);
        return;
    }
    // A plain copy, the background of every resize step: whole runs of
    // bytes, and a tiled row copied from the row one period above.
    if (target.IsEmpty() || source.IsEmpty()) return;
    RECT area = {0, 0, target.Width(), target.Height()};
    if (!::IntersectRect(&area, &area, &destination)) return;
    if (clip && !::IntersectRect(&area, &area, clip)) return;
    int sx[4], sy[4];
    for (int i = 0; i < 4; ++i) {
        sx[i] = std::clamp(nineSlice.slice.x[i], 0, source.Width());
        sy[i] = std::clamp(nineSlice.slice.y[i], 0, source.Height());
    }
    for (int i = 1; i < 4; ++i) {
        sx[i] = std::max(sx[i], sx[i - 1]);
        sy[i] = std::max(sy[i], sy[i - 1]);
    }
    int dx[4], dy[4];
    Spans(destination.left, destination.right - destination.left, sx, dx);
    Spans(destination.top, destination.bottom - destination.top, sy, dy);
    const int period = sy[2] - sy[1];
    const size_t bytes = static_cast<size_t>(area.right - area.left) * 3;
    for (int y = area.top; y < area.bottom; ++y) {
        const int j = y < dy[1] ? 0 : y < dy[2] ? 1 : 2;
        const int rowSource = SourceAt(y, j, dy, sy);
        if (rowSource < 0) continue;
        BYTE* row = target.Row(y);
        if (j == 1 && y - period >= std::max<int>(area.top, dy[1])) {
            std::memcpy(row + area.left * 3, target.Row(y - period) + area.left * 3, bytes);
            continue;
        }
        const BYTE* sourceRow = source.Row(rowSource);
        for (int i = 0; i < 3; ++i)
            FillRun(row, sourceRow, std::max<int>(dx[i], area.left),
                    std::min<int>(dx[i + 1], area.right), i, dx, sx);
    }
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
