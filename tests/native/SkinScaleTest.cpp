// The rounding rule at its halves and below zero, rectangles by their edges,
// the sheet choice between and above the sheets, the skin's keys, and the
// resampler's key colour. (The layout rules' change of scale: LayoutManagerTest.)
#include <gtest/gtest.h>

#include <vector>

#include "ui/SkinScale.h"

using namespace ui;

TEST(SkinScale, CoordinatesRoundHalvesUpAndFloorNegatives) {
    struct Case {
        int v, dpi, expected;
    } cases[] = {
        {1, 144, 2}, {2, 144, 3}, {-1, 144, -1}, {-2, 144, -3}, {7, 120, 9},   // 1.5, 3, -1.5, 8.75
        {1, 120, 1}, {2, 120, 3}, {-7, 96, -7},  {1, 72, 1},    {-2, 72, -1},  // 1.25, 2.5, 0.75
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScaleCoordinate(c.v, c.dpi), c.expected) << c.v << " at " << c.dpi;
    // Far from overflow in 32-bit products.
    EXPECT_EQ(ScaleCoordinate(100000000, 192), 200000000);
    // Each mapped point comes back, so a window's pixels convert between scales.
    for (int dpi : {96, 120, 144, 168, 192, 288})
        for (int v = -40; v <= 40; ++v)
            ASSERT_EQ(UnscaleCoordinate(ScaleCoordinate(v, dpi), dpi), v) << v << " at " << dpi;
    EXPECT_EQ(ConvertCoordinate(3, 96, 192), 6);
    EXPECT_EQ(ConvertCoordinate(5, 144, 192), 6);  // 3 at 1x
}

TEST(SkinScale, RectanglesMapEdgesSoNeighboursStayAbutting) {
    const SkinRect left = ScaleEdges(SkinRect{1, 1, 4, 3}, 144);
    const SkinRect right = ScaleEdges(SkinRect{4, 1, 7, 3}, 144);
    EXPECT_EQ(left.right, right.left);
    EXPECT_EQ(left.left, 2);
    EXPECT_EQ(left.right - left.left, 4);    // 1.5 .. 6: a 3-wide cut becomes 4
    EXPECT_EQ(right.right - right.left, 5);  // 6 .. 10.5: the neighbour 5
    EXPECT_EQ(ScaleLength(1, 3, 144), 4);
    EXPECT_EQ(ScaleLength(0, 3, 144), 5);
}

TEST(SkinScale, SheetOfEachScaleAndItsName) {
    struct Case {
        int dpi, sheet;
    } cases[] = {{72, 96}, {96, 96}, {97, 144}, {144, 144}, {145, 192}, {192, 192}, {288, 192}};
    for (const Case& c : cases) EXPECT_EQ(SheetDpiFor(c.dpi), c.sheet) << c.dpi;
    EXPECT_EQ(ScaledSheetName("Base.png", 144), "Base@1.5x.png");
    EXPECT_EQ(ScaledSheetName("Base.png/lang", 192), "Base@2x.png/lang");
    EXPECT_EQ(ScaledSheetName("sub.dir/Base.PNG", 144), "sub.dir/Base@1.5x.PNG");
    EXPECT_EQ(ScaledSheetName("Base.png", 96), "Base.png");
    EXPECT_EQ(ScaledSheetName("Base", 144), "Base");  // no extension: nothing to mark
}

// Each key at 144 DPI and, unchanged, at 96.
TEST(SkinScale, SkinKeysScaleByTheirMeaning) {
    struct Row {
        const char *item, *key;
        SkinValues before, after;
    } const rows[] = {
        {"Base", "Image", {"a.png", "600", "1", "893"}, {"a.png", "900", "2", "1340"}},
        {"Base", "DivPoint", {"608", "31", "885", "124"}, {"912", "47", "1328", "186"}},
        {"Base", "MinSize", {"293", "131"}, {"440", "197"}},
        {"Base", "CaptionHeight", {"24"}, {"36"}},
        {"Base", "Title", {"Quillmarch"}, {"Quillmarch"}},
        // Font: only the size; an empty name stays empty for the base's.
        {"Base", "Font", {"", "12", "400"}, {"", "18", "400"}},
        // Size is the mapped far edge less the mapped position: 217 + 3 = 220 -> 330,
        // less 326; 1 + 3 -> 6 less 2.
        {"Button", "Position", {"217", "1"}, {"326", "2"}},
        {"Button", "Size", {"3", "3"}, {"4", "4"}},
        {"Button", "NormalImage", {"Parts.png/lang", "441", "0"}, {"Parts.png/lang", "662", "0"}},
        {"Button", "TextColor", {"255", "0", "255"}, {"255", "0", "255"}},
        {"Button", "Time", {"80"}, {"80"}},
        {"Button", "BottomPadding", {"-3"}, {"-4"}},
        {"Button", "TextPosition", {"1", "2"}, {"2", "3"}},
        {"Button", "TextSize", {"3", "5"}, {"4", "8"}},  // 4 -> 6 less 2; 7 -> 11 less 3
        // An animation's picture: the first frame's corner, then frame counts.
        {"Anime", "Image", {"a.png", "441", "3", "8", "2"}, {"a.png", "662", "5", "8", "2"}},
        {"Anime", "Time", {"60"}, {"60"}},
    };
    SkinData skin;
    for (const Row& r : rows) skin[r.item].properties[r.key] = r.before;
    SkinData same = skin;
    ScaleSkin(skin, 144);
    ScaleSkin(same, 96);
    for (const Row& r : rows) {
        EXPECT_EQ(skin[r.item].properties[r.key], r.after) << r.item << "/" << r.key;
        EXPECT_EQ(same[r.item].properties[r.key], r.before) << r.item << "/" << r.key;
    }
}

namespace {

struct Picture {
    int width, height;
    std::vector<uint8_t> bytes;
    Picture(int w, int h) : width(w), height(h), bytes(static_cast<size_t>(w * h * 3)) {}
    PixelPlane Plane() { return PixelPlane{bytes.data(), width, height, width * 3}; }
    uint32_t At(int x, int y) const {
        const uint8_t* p = &bytes[static_cast<size_t>((y * width + x) * 3)];
        return p[2] << 16 | p[1] << 8 | p[0];
    }
    void Set(int x, int y, uint32_t rgb) {
        uint8_t* p = &bytes[static_cast<size_t>((y * width + x) * 3)];
        p[0] = rgb & 0xFF;
        p[1] = (rgb >> 8) & 0xFF;
        p[2] = (rgb >> 16) & 0xFF;
    }
};

}  // namespace

TEST(SkinScale, ResamplingKeepsTheKeyOutOfSprites) {
    // A 4x4 black square on magenta, left half of an 8x4 picture.
    Picture source(8, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) source.Set(x, y, x < 4 ? 0x000000 : 0xFF00FF);
    for (int scale : {1, 2, 3}) {
        Picture target(8 * scale / 2 + 4 * (scale - 1), 4 * scale);  // 4x4, 12x8, 20x12
        ResampleKeyed(source.Plane(), target.Plane());
        for (int y = 0; y < target.height; ++y) {
            for (int x = 0; x < target.width; ++x) {
                const uint32_t c = target.At(x, y);
                // Exactly black or exactly the key: never a blend with magenta.
                ASSERT_TRUE(c == 0x000000 || c == 0xFF00FF)
                    << x << "," << y << " " << std::hex << c;
            }
        }
        // The edge lands where coverage crosses one half.
        const int edge = target.width / 2;
        EXPECT_EQ(target.At(edge - 1, 0), 0x000000u) << scale;
        EXPECT_EQ(target.At(edge, 0), 0xFF00FFu) << scale;
    }
    // Two opaque colours still blend with each other (the filter is not nearest).
    Picture stripes(2, 1);
    stripes.Set(0, 0, 0x000000);
    stripes.Set(1, 0, 0xC8C8C8);
    Picture wide(4, 1);
    ResampleKeyed(stripes.Plane(), wide.Plane());
    EXPECT_EQ(wide.At(0, 0), 0x000000u);
    EXPECT_EQ(wide.At(1, 0), 0x323232u);  // a quarter of the way
    EXPECT_EQ(wide.At(2, 0), 0x969696u);
    EXPECT_EQ(wide.At(3, 0), 0xC8C8C8u);
    // A nearly magenta opaque colour never rounds into the key.
    Picture pink(1, 1);
    pink.Set(0, 0, 0xFF00FE);
    Picture big(2, 2);
    ResampleKeyed(pink.Plane(), big.Plane());
    EXPECT_NE(big.At(1, 1), 0xFF00FFu);
}
