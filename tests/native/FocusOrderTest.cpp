// Which item Tab reaches next, what an arrow does in the button menu, and
// the names a screen reader speaks, at their edges.
#include <gtest/gtest.h>

#include "ui/SkinAccessRules.h"

using namespace ui;

namespace {

FocusCandidate Button(int id, int left, int top, int tabOrder = -1) {
    FocusCandidate c;
    c.id = id;
    c.left = left;
    c.top = top;
    c.tabOrder = tabOrder;
    c.available = true;
    c.role = SkinRole::kPushButton;
    return c;
}

}  // namespace

TEST(FocusOrder, ReadingOrderSkinNumbersAndWhatIsLeftOut) {
    // One pixel higher reads first even far to the right; on one line the
    // left one first; equal places keep the window's order.
    std::vector<FocusCandidate> items = {Button(1, 0, 11), Button(2, 200, 10), Button(3, 5, 11),
                                         Button(4, 5, 11)};
    EXPECT_EQ(FocusOrder(items), (std::vector<int>{2, 1, 3, 4}));

    // Skin numbers come first, lowest first, whatever their place; 0 counts.
    items[3].tabOrder = 0;
    items[0].tabOrder = 5;
    EXPECT_EQ(FocusOrder(items), (std::vector<int>{4, 1, 2, 3}));

    // Hidden or disabled items, and roles the keyboard does not stop at.
    std::vector<FocusCandidate> mixed = {Button(1, 0, 0),  Button(2, 10, 0), Button(3, 20, 0),
                                         Button(4, 30, 0), Button(5, 40, 0), Button(6, 50, 0)};
    mixed[0].available = false;
    mixed[1].role = SkinRole::kStaticText;
    mixed[2].role = SkinRole::kProgressBar;
    mixed[3].role = SkinRole::kCheckBox;
    mixed[4].role = SkinRole::kEditText;
    mixed[5].role = SkinRole::kList;
    EXPECT_EQ(FocusOrder(mixed), (std::vector<int>{4, 5, 6}));
    mixed[5].role = SkinRole::kGraphic;
    EXPECT_EQ(FocusOrder(mixed), (std::vector<int>{4, 5}));
}

TEST(FocusOrder, TabAndShiftTabWrapAndStartFromNothing) {
    const std::vector<FocusCandidate> items = {Button(7, 0, 0), Button(8, 10, 0), Button(9, 20, 0)};
    struct Case {
        int current;
        bool backward;
        int next;
    };
    const Case cases[] = {
        {7, false, 8},  {9, false, 7}, {7, true, 9},   {8, true, 7},
        {-1, false, 7}, {-1, true, 9}, {42, false, 7},  // an id outside the order
    };
    for (const Case& c : cases)
        EXPECT_EQ(NextFocus(items, c.current, c.backward), c.next)
            << c.current << (c.backward ? " back" : " forward");

    std::vector<FocusCandidate> one = {Button(3, 0, 0)};
    EXPECT_EQ(NextFocus(one, 3, false), 3);
    one[0].available = false;
    EXPECT_EQ(NextFocus(one, 3, false), -1);
    EXPECT_EQ(NextFocus({}, -1, true), -1);
}

TEST(FocusOrder, MenuArrows) {
    struct Case {
        int angle;
        bool sub;
        Arrow arrow;
        MenuStep step;
    };
    const Case cases[] = {
        // The launcher's root lies left of its button (270); its sub-menus unfold upward (0).
        {270, false, Arrow::kLeft, MenuStep::kPrevious},
        {270, false, Arrow::kRight, MenuStep::kNext},
        {270, false, Arrow::kUp, MenuStep::kOpenSub},
        {270, false, Arrow::kDown, MenuStep::kNone},
        {0, true, Arrow::kUp, MenuStep::kPrevious},
        {0, true, Arrow::kDown, MenuStep::kNext},
        {0, true, Arrow::kLeft, MenuStep::kParentPrevious},
        {0, true, Arrow::kRight, MenuStep::kParentNext},
        // A vertical root at 0 opens its sub-menus to the right (90); at 180 to the left.
        {0, false, Arrow::kRight, MenuStep::kOpenSub},
        {180, false, Arrow::kLeft, MenuStep::kOpenSub},
        {90, false, Arrow::kDown, MenuStep::kOpenSub},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MenuArrowStep(c.angle, c.sub, c.arrow), c.step)
            << c.angle << " sub " << c.sub << " arrow " << static_cast<int>(c.arrow);
}

TEST(FocusOrder, SpokenNames) {
    EXPECT_EQ(AccessibleNameOf("OK", "x", "tip"), "OK");
    EXPECT_EQ(AccessibleNameOf("", "メニュー", "tip"), "メニュー");
    EXPECT_EQ(AccessibleNameOf("", "", "二行の\r\nヒント"), "二行の ヒント");
    EXPECT_EQ(AccessibleNameOf("", "", ""), "");

    EXPECT_EQ(ChargeTileName("地図", 0), "地図 0 %");
    EXPECT_EQ(ChargeTileName("地図", 100), "地図 100 %");
    EXPECT_EQ(ChargeTileName("地図", 101), "地図 100 %");
    EXPECT_EQ(ChargeTileName("地図", -1), "地図");
}

TEST(FocusOrder, ListKeysStayInsideTheList) {
    struct Case {
        ListKey key;
        int current, count, page, row;
    };
    const ListKey up = ListKey::kUp, down = ListKey::kDown, home = ListKey::kHome,
                  end = ListKey::kEnd, pgUp = ListKey::kPageUp, pgDn = ListKey::kPageDown;
    const Case cases[] = {
        // No row yet: every key but End takes the first (a page down too).
        {pgDn, -1, 5, 3, 0},
        {end, -1, 5, 3, 4},
        // The ends hold.
        {up, 0, 5, 3, 0},
        {down, 4, 5, 3, 4},
        {down, 3, 5, 3, 4},
        {up, 1, 5, 3, 0},
        {home, 3, 5, 3, 0},
        {end, 0, 5, 3, 4},
        // A page, cut at the ends; a view that shows less than a row moves one.
        {pgDn, 0, 5, 3, 3},
        {pgDn, 2, 5, 3, 4},
        {pgUp, 4, 5, 3, 1},
        {pgUp, 2, 5, 3, 0},
        {pgDn, 1, 5, 0, 2},
        // A row beyond a list that shrank comes back inside it.
        {down, 9, 5, 3, 4},
        // An empty list has no row.
        {down, -1, 0, 3, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ListKeyRow(c.key, c.current, c.count, c.page), c.row)
            << static_cast<int>(c.key) << " from " << c.current << " of " << c.count;
}

TEST(FocusOrder, TheRowComesIntoViewByTheLeastScroll) {
    // row, first, page -> first
    const int cases[][4] = {
        {5, 3, 4, 3},                  // in view
        {6, 3, 4, 3},                  // the last whole row
        {7, 3, 4, 4},                  // one below: one row down
        {20, 3, 4, 17}, {2, 3, 4, 2},  // one above: it becomes the first
        {0, 9, 4, 0},   {4, 3, 0, 4},  // a view of no whole row shows the row first
    };
    for (const auto& c : cases)
        EXPECT_EQ(FirstRowShowing(c[0], c[1], c[2]), c[3]) << c[0] << " " << c[1] << " " << c[2];
}

TEST(FocusOrder, RowNamesJoinTheCellsThatSaySomething) {
    EXPECT_EQ(RowName({"2024/05/01", "地図", "完了"}), "2024/05/01 地図 完了");
    EXPECT_EQ(RowName({"", "地図", " ", "完了"}), "地図 完了");
    // Padded cells, as the probe log's: one blank between, none outside.
    EXPECT_EQ(RowName({" 2024/05/01 10:00:00", " 処理中 ", ""}), "2024/05/01 10:00:00 処理中");
    EXPECT_EQ(RowName({"二行の\r\n記録"}), "二行の 記録");
    EXPECT_EQ(RowName({}), "");
}
