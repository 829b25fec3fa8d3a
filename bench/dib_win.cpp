// The library's pixel loops on a 400 x 140 back buffer, beside a plain
// memcpy of the same buffer measured in the same run.
//   dib_win.exe [ROUNDS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "bench/BenchClock.h"
#include "wfc/DIB.h"
#include "wfc/Gdi.h"

namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 140;

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const int batch = 50;
    lib::wfc::CDIB source, target;
    source.Create(kWidth, kHeight);
    target.Create(kWidth, kHeight);
    // Like a parts sheet: opaque pictures of 60 x 24 on magenta (about half
    // of the pixels), and a window shape with rounded corners for the region.
    lib::wfc::CDIB shape;
    shape.Create(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const bool opaque = x % 80 < 60 && y % 28 < 24;
            source.SetPixel(x, y, opaque ? RGB(x & 0xFF, y, 0x40) : RGB(255, 0, 255));
            const int cx = std::min(x, kWidth - 1 - x), cy = std::min(y, kHeight - 1 - y);
            const bool corner =
                cx < 12 && cy < 12 && (12 - cx) * (12 - cx) + (12 - cy) * (12 - cy) > 144;
            shape.SetPixel(x, y, corner ? RGB(255, 0, 255) : RGB(0x20, 0x30, 0x40));
        }
    }
    const size_t bytes = static_cast<size_t>(source.Stride()) * kHeight;
    std::vector<BYTE> plain(bytes);

    // A nine-slice background of the launcher's proportions (1-pixel middles).
    lib::wfc::CDIB sheet;
    sheet.Create(61, 61);
    const lib::wfc::NineSlice slice = {{0, 30, 31, 61}, {0, 30, 31, 61}};

    LOGFONTA logFont = {};
    logFont.lfHeight = -12;
    logFont.lfCharSet = SHIFTJIS_CHARSET;
    lstrcpyA(logFont.lfFaceName, "ＭＳ ゴシック");
    lib::wfc::CFont font(logFont);
    const char* label = "設定を保存します";  // eight characters, a button's worth
    const RECT labelRect = {10, 10, 200, 30};

    struct Row {
        const char* name;
        std::function<void()> work;
    } rows[] = {
        {"memcpy of the buffer (baseline)",
         [&] { std::memcpy(plain.data(), source.Bits(), bytes); }},
        {"Copy", [&] { target.Copy(0, 0, kWidth, kHeight, source, 0, 0); }},
        {"KeyCopy", [&] { target.KeyCopy(0, 0, kWidth, kHeight, source, 0, 0); }},
        {"Blend alpha 128", [&] { target.Blend(0, 0, kWidth, kHeight, source, 0, 0, 128); }},
        {"KeyBlend alpha 128", [&] { target.KeyBlend(0, 0, kWidth, kHeight, source, 0, 0, 128); }},
        {"DrawNineSlice (tiled background)",
         [&] {
             lib::wfc::DrawNineSlice(target, {0, 0, kWidth, kHeight}, nullptr, sheet, slice);
         }},
        {"DrawGlyphText, 8 characters",
         [&] { target.DrawGlyphText(label, -1, 10, 10, font, RGB(0, 0, 0), labelRect); }},
        {"DrawTextA, 8 characters",
         [&] {
             RECT r = labelRect;
             target.DrawTextA(label, -1, &r, DT_LEFT | DT_SINGLELINE, font, RGB(0, 0, 0));
         }},
        {"CreateRegion (rounded window shape)",
         [&] { lib::wfc::CRgn region = lib::wfc::CreateRegion(shape, 0, 0, kWidth, kHeight); }},
    };
    std::printf("%-36s %10s %8s %10s %8s\n", "400 x 140, 24-bit, us per call", "median", "ratio",
                "best", "ratio");
    bench::Timing baseline;
    for (const Row& row : rows) {
        const bench::Timing t = bench::TimePerCall(rounds, batch, row.work);
        if (baseline.median == 0) baseline = t;
        std::printf("%-36s %10.1f %8.1f %10.1f %8.1f\n", row.name, t.median,
                    t.median / baseline.median, t.best, t.best / baseline.best);
    }
    std::printf("median of %d rounds of %d calls\n", rounds, batch);
    return 0;
}
