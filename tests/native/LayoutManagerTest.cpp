// The layout rules on a base that is wider than high, so that a width used
// for a height (or the reverse) shows: every anchor mode growing and
// shrinking, an item moved since the rule was made, and no needless moves.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "ui/LayoutManager.h"

using namespace ui;

namespace {

struct Items : ILayoutItems {
    std::map<int, LayoutRect> rects;
    int sets = 0;
    bool GetItemRect(int id, LayoutRect& rect) override {
        auto it = rects.find(id);
        if (it == rects.end()) return false;
        rect = it->second;
        return true;
    }
    void SetItemRect(int id, const LayoutRect& rect) override {
        rects[id] = rect;
        ++sets;
    }
    std::string Edges(int id) {
        const LayoutRect& r = rects.at(id);
        return std::to_string(r.left) + "," + std::to_string(r.top) + "," +
               std::to_string(r.right) + "," + std::to_string(r.bottom);
    }
};

}  // namespace

TEST(LayoutManager, EveryAnchorModeOnANonSquareBase) {
    struct Case {
        int modes[4];        // left, top, right, bottom
        const char* grown;   // 200 x 100 -> 237 x 150
        const char* shrunk;  // -> 189 x 93
    } const cases[] = {
        {{0, 0, 0, 0}, "25,15,65,35", "25,15,65,35"},  // keeps where it was moved to
        {{1, 1, 1, 1}, "20,10,60,30", "20,10,60,30"},  // back to the skin's place
        {{2, 2, 2, 2}, "57,60,97,80", "9,3,49,23"},    // fixed from right and bottom
        {{3, 3, 3, 3}, "38,35,78,55", "15,7,55,27"},   // half the growth: -11/2 = -5, -7/2 = -3
        {{1, 1, 2, 2}, "20,10,97,80", "20,10,49,23"},  // stretched
        {{2, 0, 0, 0}, "57,15,65,35", "9,15,65,35"},   // one edge alone is a change too
    };
    Items items;
    CLayoutManager layout(items);
    layout.SetBaseSize(200, 100);
    int id = 0;
    for (const Case& c : cases) {
        items.rects[id] = {20, 10, 60, 30};
        EXPECT_TRUE(layout.AddLayoutRule(id++, c.modes[0], c.modes[1], c.modes[2], c.modes[3]));
    }
    // At the base size nothing moves.
    layout.Resize(200, 100);
    EXPECT_EQ(items.sets, 0);
    for (auto& [i, r] : items.rects) r = {25, 15, 65, 35};
    const int sizes[2][2] = {{237, 150}, {189, 93}};
    for (int s = 0; s < 2; ++s) {
        layout.Resize(sizes[s][0], sizes[s][1]);
        for (id = 0; id < 6; ++id)
            EXPECT_EQ(items.Edges(id), s ? cases[id].shrunk : cases[id].grown) << id;
    }
    // Unknown items and modes record nothing.
    EXPECT_FALSE(layout.AddLayoutRule(99, 1, 1, 1, 1));
    EXPECT_FALSE(layout.AddLayoutRule(0, 1, 4, 1, 1));
    EXPECT_FALSE(layout.AddLayoutRule(0, -1, 1, 1, 1));
    EXPECT_EQ(layout.RuleCount(), 6u);
}

TEST(LayoutManager, RulesFollowAChangeOfScale) {
    // A 300x200 window at 96 DPI with an item kept 10 px from the right and
    // bottom, its left edge near, its top centred.
    Items items;
    items.rects[1] = {20, 90, 290, 190};
    CLayoutManager layout(items);
    layout.SetBaseSize(300, 200);
    ASSERT_TRUE(layout.AddLayoutRule(1, kAnchorNear, kAnchorCentre, kAnchorFar, kAnchorFar));
    // At 192 DPI the base is 600x400 and the window 700x500.
    layout.SetBaseSize(600, 400);
    layout.ConvertOffsets(96, 192);
    layout.Resize(700, 500);
    EXPECT_EQ(items.Edges(1), "40,230,680,480");  // the top: half the growth, 180 + 50
    // And back to 144 DPI: 450x300 base, same size window.
    layout.SetBaseSize(450, 300);
    layout.ConvertOffsets(192, 144);
    layout.Resize(450, 300);
    EXPECT_EQ(items.Edges(1), "30,135,435,285");
}
