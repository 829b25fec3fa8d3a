// CDIB pixel loops, colour-key regions, nine slices, decoding and text,
// checked byte for byte.
#include <windows.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

#include "WfcTestSupport.h"
#include "wfc/DIB.h"
#include "wfc/Gdi.h"

using lib::wfc::CDIB;
using wfctest::RowText;
using wfctest::Solid;

namespace {

constexpr COLORREF kMagenta = RGB(255, 0, 255);

// The destination (R 0, G 100, B 200) under a source (R 100, G 255, B 0),
// blended by the formula d + ((s - d) * (a + 1) >> 8) per channel: at 0 a
// darker source still takes one step (the shift rounds down), at 255 the
// source is copied exactly.
TEST(DibPixels, BlendAndKeyBlendPerChannelAtAlpha0And128And255) {
    struct Case {
        int alpha;
        const char* blended;  // the two pixels as RRGGBB, the second under magenta
    } cases[] = {{0, "0064C7 0063C8"}, {128, "32B263 8031E3"}, {255, "64FF00 FF00FF"}};
    for (const Case& c : cases) {
        CDIB source = Solid(2, 1, RGB(100, 255, 0));
        source.SetPixel(1, 0, kMagenta);
        CDIB plain = Solid(2, 1, RGB(0, 100, 200));
        CDIB keyed = Solid(2, 1, RGB(0, 100, 200));
        plain.Blend(0, 0, 2, 1, source, 0, 0, c.alpha);
        keyed.KeyBlend(0, 0, 2, 1, source, 0, 0, c.alpha);
        EXPECT_EQ(c.blended, RowText(plain, 0)) << c.alpha;
        EXPECT_EQ(std::string(c.blended, 6) + " 0064C8", RowText(keyed, 0)) << c.alpha;
    }
}

TEST(DibPixels, KeyCopyLeavesTheDestinationUnderMagentaAndCopyClips) {
    CDIB source = Solid(3, 2, RGB(1, 2, 3));
    source.SetPixel(1, 0, kMagenta);
    source.SetPixel(0, 1, RGB(255, 0, 254));  // one off the key: copied
    CDIB target = Solid(4, 3, RGB(9, 9, 9));
    target.KeyCopy(1, 1, 3, 2, source, 0, 0);
    EXPECT_EQ("090909 090909 090909 090909", RowText(target, 0));
    EXPECT_EQ("090909 010203 090909 010203", RowText(target, 1));
    EXPECT_EQ("090909 FF00FE 010203 010203", RowText(target, 2));

    // Negative destination and source origins and oversize rectangles are
    // cut against both bitmaps; nothing left means nothing drawn.
    CDIB clipped = Solid(4, 2, RGB(9, 9, 9));
    clipped.Copy(-1, 0, 10, 10, source, 0, 0);
    EXPECT_EQ("FF00FF 010203 090909 090909", RowText(clipped, 0));
    EXPECT_EQ("010203 010203 090909 090909", RowText(clipped, 1));
    // Within one bitmap the rows move as a block, down or up.
    CDIB column = Solid(1, 3, RGB(1, 1, 1));
    column.SetPixel(0, 1, RGB(2, 2, 2));
    column.Copy(0, 1, 1, 2, column, 0, 0);
    EXPECT_EQ("010101|010101|020202",
              RowText(column, 0) + "|" + RowText(column, 1) + "|" + RowText(column, 2));
    column.Copy(0, 0, 1, 2, column, 0, 1);
    EXPECT_EQ("010101|020202|020202",
              RowText(column, 0) + "|" + RowText(column, 1) + "|" + RowText(column, 2));

    CDIB untouched = Solid(2, 2, RGB(9, 9, 9));
    untouched.Copy(0, 0, 2, 2, source, 5, 0);
    untouched.Blend(2, 0, 2, 2, source, 0, 0, 128);
    untouched.Copy(0, 0, 2, 2, source, 0, -2);
    EXPECT_EQ("090909 090909", RowText(untouched, 0));
    EXPECT_EQ("090909 090909", RowText(untouched, 1));
}

// A 6 x 4 source: columns 0 | 1 2 | 3 4 5 and rows 0 | 1 | 2 3, every pixel
// its own colour (R = column, G = row).
CDIB SliceSource() {
    CDIB source;
    source.Create(6, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) source.SetPixel(x, y, RGB(x, y * 16, 0x80));
    return source;
}

TEST(DibNineSlice, CornersExactMiddlesRepeatedOrStretched) {
    CDIB source = SliceSource();
    const lib::wfc::NineSlice slice = {{0, 1, 3, 6}, {0, 1, 2, 4}};

    CDIB tiled = Solid(9, 5, 0);
    lib::wfc::DrawNineSlice(tiled, {0, 0, 9, 5}, nullptr, source, slice);
    // Columns: corner 0, middle 1 2 repeated over five pixels (cut), corner 3 4 5.
    const char* top = "000080 010080 020080 010080 020080 010080 030080 040080 050080";
    EXPECT_EQ(top, RowText(tiled, 0));
    for (int y = 1; y <= 2; ++y)  // the one-pixel middle row repeated
        EXPECT_EQ("001080 011080 021080 011080 021080 011080 031080 041080 051080",
                  RowText(tiled, y));
    EXPECT_EQ("002080 012080 022080 012080 022080 012080 032080 042080 052080", RowText(tiled, 3));
    EXPECT_EQ("003080 013080 023080 013080 023080 013080 033080 043080 053080", RowText(tiled, 4));

    // A clip keeps everything outside it, also when it starts inside a tile;
    // a keyed picture keeps the target under magenta.
    CDIB window = Solid(9, 2, RGB(7, 7, 7));
    const RECT middle = {2, 1, 6, 2};
    lib::wfc::DrawNineSlice(window, {0, 0, 9, 2}, &middle, source, slice);
    EXPECT_EQ("070707 070707 070707 070707 070707 070707 070707 070707 070707", RowText(window, 0));
    EXPECT_EQ("070707 070707 023080 013080 023080 013080 070707 070707 070707", RowText(window, 1));

    source.SetPixel(0, 0, kMagenta);
    CDIB clipped = Solid(9, 5, RGB(7, 7, 7));
    const RECT clip = {0, 0, 2, 1};
    lib::wfc::DrawNineSlice(clipped, {0, 0, 9, 5}, &clip, source, slice, 255, kMagenta);
    EXPECT_EQ("070707 010080 070707 070707 070707 070707 070707 070707 070707",
              RowText(clipped, 0));
    EXPECT_EQ("070707 070707 070707 070707 070707 070707 070707 070707 070707",
              RowText(clipped, 1));

    // Smaller than its corners: each corner keeps its outer part.
    CDIB tiny = Solid(3, 1, 0);
    lib::wfc::DrawNineSlice(tiny, {0, 0, 3, 1}, nullptr, SliceSource(), slice);
    EXPECT_EQ("000080 040080 050080", RowText(tiny, 0));
}

// Whether each pixel of the rectangle lies in the region, as rows of '#' and '.'.
std::string RegionMap(HRGN region, int width, int height) {
    std::string map;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) map += ::PtInRegion(region, x, y) ? '#' : '.';
        map += '\n';
    }
    return map;
}

TEST(DibRegion, AllKeyIsEmptyAndAHoleIsCutRelativeToTheOrigin) {
    CDIB allKey = Solid(5, 3, kMagenta);
    lib::wfc::CRgn empty = lib::wfc::CreateRegion(allKey, 0, 0, 5, 3);
    RECT box = {};
    EXPECT_EQ(NULLREGION, ::GetRgnBox(empty, &box));

    CDIB holed = Solid(5, 4, RGB(0, 0, 0));
    holed.SetPixel(2, 2, kMagenta);
    holed.SetPixel(4, 3, RGB(255, 0, 254));  // not the key
    lib::wfc::CRgn region = lib::wfc::CreateRegion(holed, 1, 1, 5, 4);
    EXPECT_EQ("####\n#.##\n####\n", RegionMap(region, 4, 3));
    EXPECT_EQ(COMPLEXREGION, ::GetRgnBox(region, &box));
    EXPECT_EQ(0, box.left);
    EXPECT_EQ(4, box.right);
    EXPECT_EQ(3, box.bottom);
}

// Inserts a tRNS chunk (one RGB sample triple) before the first IDAT.
std::string WithColourKey(const std::string& png, BYTE r, BYTE g, BYTE b) {
    const size_t idat = png.find("IDAT") - 4;
    std::string chunk("\0\0\0\x06tRNS\0", 9);
    chunk += static_cast<char>(r);
    chunk += '\0';
    chunk += static_cast<char>(g);
    chunk += '\0';
    chunk += static_cast<char>(b);
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(chunk.data() + 4), 10);
    for (int shift = 24; shift >= 0; shift -= 8) chunk += static_cast<char>((crc >> shift) & 0xFF);
    return png.substr(0, idat) + chunk + png.substr(idat);
}

TEST(DibDecode, OddWidthPngIsUprightWithPaddedRowsAndKeepsItsColourKey) {
    CDIB original;
    original.Create(3, 2);
    original.SetPixel(0, 0, RGB(255, 0, 0));
    original.SetPixel(1, 0, RGB(0, 255, 0));
    original.SetPixel(2, 0, RGB(0, 0, 255));
    original.SetPixel(0, 1, RGB(1, 2, 3));
    original.SetPixel(2, 1, kMagenta);
    const std::string png = original.EncodePng();
    ASSERT_FALSE(png.empty());

    CDIB loaded;
    ASSERT_EQ(lib::wfc::kLoadOk, loaded.LoadMemory(png.data(), png.size()));
    EXPECT_EQ(3, loaded.Width());
    EXPECT_EQ(2, loaded.Height());
    EXPECT_EQ(12, loaded.Stride());
    EXPECT_EQ(lib::wfc::kFormatPng, loaded.Format());
    EXPECT_FALSE(loaded.HasKeyColor());
    EXPECT_EQ("FF0000 00FF00 0000FF", RowText(loaded, 0));
    EXPECT_EQ("010203 000000 FF00FF", RowText(loaded, 1));
    // Bottom-up bits: the first stored row is the bottom one; padding is zero.
    const std::string bits(reinterpret_cast<const char*>(loaded.Bits()), 24);
    EXPECT_EQ(std::string("\x03\x02\x01\0\0\0\xFF\0\xFF\0\0\0", 12), bits.substr(0, 12));
    EXPECT_EQ(std::string("\0\0\xFF\0\xFF\0\xFF\0\0\0\0\0", 12), bits.substr(12));

    const std::string keyed = WithColourKey(png, 255, 0, 255);
    CDIB withKey;
    ASSERT_EQ(lib::wfc::kLoadOk, withKey.LoadMemory(keyed.data(), keyed.size()));
    EXPECT_TRUE(withKey.HasKeyColor());
    EXPECT_EQ(kMagenta, withKey.KeyColor());
    EXPECT_EQ("010203 000000 FF00FF", RowText(withKey, 1));
}

TEST(DibDecode, BadInputLeavesTheDibEmptyWithItsCode) {
    CDIB dib = Solid(2, 2, 0);
    EXPECT_EQ(lib::wfc::kLoadShortRead, dib.LoadMemory("\x89P", 2));
    EXPECT_TRUE(dib.IsEmpty());
    dib = Solid(2, 2, 0);
    EXPECT_EQ(lib::wfc::kLoadFailed, dib.LoadMemory("not an image at all", 19));
    EXPECT_TRUE(dib.IsEmpty());
    EXPECT_EQ(lib::wfc::kLoadFailed, dib.LoadFile("C:\\no\\such\\image.png"));
    EXPECT_EQ(lib::wfc::kLoadFailed, dib.LoadResource(nullptr, "NoSuchImage", "SKIN"));
    // Creating below 1 pixel gives 1 x 1.
    dib.Create(0, -5);
    EXPECT_EQ(1, dib.Width());
    EXPECT_EQ(1, dib.Height());
}

TEST(DibText, GlyphTextStaysInsideItsClipRectangle) {
    LOGFONTA logFont = {};
    logFont.lfHeight = -20;
    logFont.lfCharSet = SHIFTJIS_CHARSET;
    lstrcpyA(logFont.lfFaceName, "ＭＳ ゴシック");
    lib::wfc::CFont font(logFont);
    const char* text = "日本語のテキスト";
    const RECT whole = {0, 0, 180, 30};
    CDIB free = Solid(180, 30, RGB(255, 255, 255));
    free.DrawGlyphText(text, -1, 2, 2, font, RGB(0, 0, 0), whole);
    const SIZE extent = CDIB::GetGlyphTextExtent(text, -1, font);
    EXPECT_EQ(160, extent.cx);  // eight full-width cells of 20 pixels
    int inked = 0;              // right of the clip
    for (int y = 0; y < 30; ++y)
        for (int x = 60; x < 180; ++x) inked += free.GetPixel(x, y) != RGB(255, 255, 255);
    EXPECT_GT(inked, 100);

    const RECT clip = {20, 6, 60, 18};
    CDIB clipped = Solid(180, 30, RGB(255, 255, 255));
    clipped.DrawGlyphText(text, -1, 2, 2, font, RGB(0, 0, 0), clip);
    // Outside the clip nothing changed; inside it the same pixels as unclipped.
    int inside = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 180; ++x) {
            const POINT pt = {x, y};
            if (::PtInRect(&clip, pt)) {
                ASSERT_EQ(free.GetPixel(x, y), clipped.GetPixel(x, y)) << x << "," << y;
                inside += clipped.GetPixel(x, y) != RGB(255, 255, 255);
            } else {
                ASSERT_EQ(RGB(255, 255, 255), clipped.GetPixel(x, y)) << x << "," << y;
            }
        }
    }
    EXPECT_GT(inside, 20);
}

}  // namespace
