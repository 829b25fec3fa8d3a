#pragma once
// CDIB: the 24-bit DIB section every part of the user interface draws into,
// decoded from PNG, BMP, JPEG or GIF with GDI+, composited by our own loops.
//
// Coordinates are top-down like GDI's (y = 0 is the top row) although the
// bits are stored bottom-up; Row(y) hides that.

// clang-format off
#include <windows.h>
#include <objidl.h>
// clang-format on

#include <cstddef>
#include <string>

#include "wfc/Gdi.h"

namespace lib {
namespace wfc {

// Magenta: the transparent colour of every skin image (COLORREF and 0xRRGGBB alike).
constexpr COLORREF kKeyColor = RGB(255, 0, 255);
// "No key" for the operations that take an optional key colour.
constexpr long kNoKey = -1;

// Result codes of the Load operations.
enum : int {
    kLoadOk = 0,
    kLoadFailed = 1,     // cannot read the source or decode the image
    kLoadShortRead = 2,  // fewer than 3 bytes
    kLoadRefused = 7,    // a format the build refuses
};

// Raw formats as recorded after a load.
enum : int {
    kFormatUnknown = 0,
    kFormatMemoryBmp = 1,
    kFormatBmp = 2,
    kFormatEmf = 3,
    kFormatWmf = 4,
    kFormatJpeg = 5,
    kFormatPng = 6,
    kFormatGif = 7,
    kFormatTiff = 8,
    kFormatExif = 9,
    kFormatIcon = 10,
};

// A user of GDI+: the first one starts it, the last one shuts it down. One
// held across several decodes keeps GDI+ from starting again for each.
class CGdiplusUser {
public:
    CGdiplusUser();
    ~CGdiplusUser();
    CGdiplusUser(const CGdiplusUser&) = delete;
    CGdiplusUser& operator=(const CGdiplusUser&) = delete;
    bool Ok() const { return m_ok; }

private:
    bool m_ok = false;
};

class CDIB {
public:
    CDIB() = default;
    ~CDIB() = default;
    CDIB(const CDIB&) = delete;
    CDIB& operator=(const CDIB&) = delete;
    CDIB(CDIB&& other) noexcept;
    CDIB& operator=(CDIB&& other) noexcept;

    // A new DIB section cleared to black. Sizes below 1 become 1. Throws
    // CWindowException when the system refuses.
    void Create(int width, int height);
    // Decoding: kLoadOk, or a code with the DIB left empty.
    int LoadFile(const char* path);
    int LoadResource(HMODULE module, const char* name, const char* type);
    int LoadStream(IStream* stream);
    int LoadMemory(const void* data, size_t size);
    void Destroy();
    // PNG through the GDI+ encoder: the bytes, or a file. Empty / false on failure.
    std::string EncodePng() const;
    bool SavePng(const char* path) const;

    bool IsEmpty() const { return !m_bitmap; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int Stride() const { return m_stride; }  // bytes per row, a multiple of 4
    BYTE* Bits() const { return m_bits; }    // the bottom row first
    HBITMAP Handle() const { return m_bitmap.Get(); }
    // Row y counted from the top.
    BYTE* Row(int y) const { return m_bits + static_cast<size_t>(m_height - 1 - y) * m_stride; }
    // Colour at (x, y) as a COLORREF; 0 outside.
    COLORREF GetPixel(int x, int y) const;
    void SetPixel(int x, int y, COLORREF color);

    // What the last load found.
    int Format() const { return m_format; }
    bool HasKeyColor() const { return m_hasKey; }
    COLORREF KeyColor() const { return m_keyColor; }

    // --- pixel operations (destination is this DIB) -----------------------------------
    // The destination rectangle (x, y, width, height) and the source origin are
    // clipped against both bitmaps; nothing happens when nothing is left.
    void Copy(int x, int y, int width, int height, const CDIB& source, int sx, int sy);
    // Source pixels equal to key are skipped.
    void KeyCopy(int x, int y, int width, int height, const CDIB& source, int sx, int sy,
                 COLORREF key = kKeyColor);
    // d = d + ((s - d) * (alpha + 1) >> 8) per channel, alpha 0..255.
    void Blend(int x, int y, int width, int height, const CDIB& source, int sx, int sy, int alpha);
    void KeyBlend(int x, int y, int width, int height, const CDIB& source, int sx, int sy,
                  int alpha, COLORREF key = kKeyColor);
    // One of the four by alpha (255 = no blending) and key (kNoKey = none).
    void Compose(int x, int y, int width, int height, const CDIB& source, int sx, int sy, int alpha,
                 long key);
    void Fill(const RECT& rect, COLORREF color);  // clipped to the bitmap

    // --- text -------------------------------------------------------------------------
    // DrawTextA/W on a memory DC with the font, the colour and a transparent
    // background; answers what DrawText answers.
    int DrawTextA(const char* text, int length, RECT* rect, UINT format, HFONT font,
                  COLORREF color);
    int DrawTextW(const wchar_t* text, int length, RECT* rect, UINT format, HFONT font,
                  COLORREF color);
    // Anti-aliased text from glyph outlines (8-bit code page text, double-byte
    // characters as one code): the line's top-left corner at (x, y), the colour
    // blended by each glyph's coverage, nothing outside clip.
    void DrawGlyphText(const char* text, int length, int x, int y, HFONT font, COLORREF color,
                       const RECT& clip);
    // Width (sum of the cell increments) and height of such a line.
    static SIZE GetGlyphTextExtent(const char* text, int length, HFONT font);

private:
    CBitmap m_bitmap;
    BYTE* m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
    int m_stride = 0;
    int m_format = kFormatUnknown;
    bool m_hasKey = false;
    COLORREF m_keyColor = 0;
};

// For every row of the rectangle x0..x1, y0..y1 (right and bottom exclusive),
// each run of pixels that are not `key` becomes one rectangle of the region,
// relative to x0, y0. Throws CWindowException when ExtCreateRegion fails.
CRgn CreateRegion(const CDIB& dib, int x0, int y0, int x1, int y1, COLORREF key = kKeyColor);

// A picture cut in three columns and three rows: column edges x[0] < x[1] <
// x[2] < x[3] and row edges y[0]..y[3] in the source image (right and bottom
// exclusive). A slice may be empty.
struct NineSlice {
    int x[4];
    int y[4];
};
enum class SliceFill { Tile, Stretch };
// Draws the picture over `dest` of `target`: the four corners unscaled at the
// corners, the edges and the centre filled between them by repeating their
// piece (the last one cut at the border) or, with Stretch, by stretching it;
// alpha 255 = copy, key kNoKey = none; nothing outside `clip` when given.
void DrawNineSlice(CDIB& target, const RECT& dest, const RECT* clip, const CDIB& source,
                   const NineSlice& slice, int alpha = 255, long key = kNoKey,
                   SliceFill fill = SliceFill::Tile);

}  // namespace wfc
}  // namespace lib
