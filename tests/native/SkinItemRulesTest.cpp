// The items' arithmetic at its edges: the disabled grey, digits, animation
// frames across the tick counter's wrap, tiling, and the scroll bar's
// geometry and drag.
#include <gtest/gtest.h>

#include "ui/SkinItemRules.h"

using namespace ui;

TEST(SkinItemRules, DisabledGreyAndDigits) {
    // (G * 600 + B * 117 + R * 306) >> 10, then + 102 up to 255.
    EXPECT_EQ(DisabledTextColor(0x0000FF), 0xB2B2B2u);  // red: 306 * 255 >> 10 = 76
    EXPECT_EQ(DisabledTextColor(0xFFFFFF), 0xFFFFFFu);  // clamped
    EXPECT_EQ(DecimalDigits(0), std::vector<int>{0});
    EXPECT_EQ(DecimalDigits(4294967295u), (std::vector<int>{4, 2, 9, 4, 9, 6, 7, 2, 9, 5}));
}

TEST(SkinItemRules, AnimationFramesAndTiles) {
    EXPECT_EQ(AnimationFrame(1000 + 80 * 19, 1000, 80, 18, 0), 1);
    EXPECT_EQ(AnimationFrame(1000 + 80 * 2, 1000, 80, 18, 17), 1);  // start frame wraps too
    EXPECT_EQ(AnimationFrame(40, 0xFFFFFFF0u, 10, 4, 0), 1);        // 56 ms across the wrap
    EXPECT_EQ(AnimationFrame(500, 0, 0, 4, 2), 2);                  // no Time: stands still

    const std::vector<TilePiece> pieces = TileSpan(10, 8, 4, 20);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[2].destination, 20);
    EXPECT_EQ(pieces[2].length, 4);  // the last one cut off
    EXPECT_TRUE(TileSpan(10, 8, 4, 0).empty());
    EXPECT_EQ(ExpandLineBreaks("a\\r\\nb\\n"), "a\r\nb\\n");
}

TEST(SkinItemRules, ScrollGeometry) {
    ScrollGeometry g;
    g.length = 80;
    g.button = 12;
    g.thumbMin = 10;
    g.maxPosition = 10;
    EXPECT_EQ(g.ThumbLength(), 10);
    EXPECT_EQ(g.ThumbStart(), 12);
    // Each part's first and last pixel; the down button starts at 80 - 12.
    const int parts[][2] = {{-1, kScrollNone},       {0, kScrollUp},     {11, kScrollUp},
                            {12, kScrollThumb},      {21, kScrollThumb}, {22, kScrollTrackAfter},
                            {67, kScrollTrackAfter}, {68, kScrollDown},  {79, kScrollDown},
                            {80, kScrollNone}};
    for (const auto& p : parts) EXPECT_EQ(g.PartAt(p[0]), p[1]) << p[0];
    g.position = 10;
    EXPECT_EQ(g.ThumbStart(), 12 + 46);
    EXPECT_EQ(g.PartAt(57), kScrollTrackBefore);
    EXPECT_EQ(g.PartAt(58), kScrollThumb);
    // Drag: 23 of the 46 pixels of travel is half the range; held to the ends.
    EXPECT_EQ(g.DragPosition(0, 23), 5);
    EXPECT_EQ(g.DragPosition(0, 1000), 10);
    // A page makes the thumb proportional, never longer than the track.
    g.page = 10;
    EXPECT_EQ(g.ThumbLength(), 28);
    g.length = 20;
    EXPECT_EQ(g.TrackLength(), 0);
    EXPECT_EQ(g.ThumbLength(), 0);
    EXPECT_EQ(g.DragPosition(3, 50), 3);
}
