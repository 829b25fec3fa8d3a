// The button list view inside a resizable window: geometry, scrolling,
// clicks, drags, tool-tips and the composed rows.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/win/ui/FrameTestSkin.h"
#include "tests/win/ui/SkinBoxWatcher.h"
#include "ui/ButtonListView.h"
#include "ui/ResizableSkinWindow.h"
#include "ui/SkinWindowItemScrollBar.h"

using namespace ui;

namespace {

std::string Cell(int row, int column) { return std::to_string(row) + "," + std::to_string(column); }

class CTable : public CButtonListViewTable {
public:
    int rows = 0;
    int activeRow = -1;
    int iconRow = -1;       // column 3 shows icon 0
    int animationRow = -1;  // column 3 animates from icon 0
    int GetRowCount() override { return rows; }
    bool IsRowActive(int row) override { return row == activeRow; }
    bool IsButtonEnabled(int row, int) override { return row != 5; }
    bool IsButtonOn(int row, int) override { return row % 2 == 1; }
    int GetLabelIndex(int, int) override { return 1; }
    std::string GetCellText(int row, int column) override { return Cell(row, column); }
    bool GetCellTextColor(int, int, COLORREF&) override { return false; }
    std::string GetCellToolTip(int row, int column) override { return "cell " + Cell(row, column); }
    bool GetCellFormat(int, int, UINT&) override { return false; }
    int GetIconIndex(int row, int column) override {
        return column == 3 && row == iconRow ? 0 : -1;
    }
    int GetAnimationIndex(int row, int column) override {
        return column == 3 && row == animationRow ? 0 : -1;
    }
};

class CListener : public CButtonListViewListener {
public:
    std::vector<std::string> log;
    int drawnRow = -1;  // the listener draws column 0 of this row itself
    bool DrawCell(lib::wfc::CDIB& canvas, const RECT& cell, int row, int column) override {
        if (row != drawnRow || column != 0) return false;
        canvas.Fill(cell, RGB(5, 6, 7));
        return true;
    }
    void OnColumnsChanged() override { log.push_back("columns"); }
    void OnListScrolled(int first) override { log.push_back("scrolled " + std::to_string(first)); }
    void OnCellClicked(int row, int column, POINT) override { Log("click", row, column); }
    void OnCellDoubleClicked(int row, int column, POINT) override { Log("double", row, column); }
    void OnCellRightClicked(int row, int column, POINT) override { Log("right", row, column); }
    void OnButtonClicked(int row, int column) override { Log("button", row, column); }
    void OnHeaderClicked(int column) override { log.push_back("header " + std::to_string(column)); }
    void OnDragBegin(int row, int column) override { Log("drag", row, column); }
    void OnDragEnd(int row, int column) override { Log("drop", row, column); }

private:
    void Log(const char* what, int row, int column) {
        log.push_back(std::string(what) + " " + Cell(row, column));
    }
};

class CListWindow : public CResizableSkinWindow {
public:
    CListener listener;
    CTable table;
    CSkinWindowItemScrollBar* bar;
    CButtonListView* list;

    CListWindow() {
        frametest::UseFrameSkin();
        LoadSkin("FrameTest.txt", "Base", false);
        bar = AddItem<CSkinWindowItemScrollBar>(10, GetItem(Skin(), "ScrollBar"));
        list = AddItem<CButtonListView>(11, GetItem(Skin(), "List"), bar, &listener);
        list->AddColumn("text", 60);
        list->AddColumn("asks", 40, DT_CENTER, true, -1);
        list->AddColumn("own", 40, DT_CENTER, true, 0);
        list->AddColumn("more", 40);
        CreateResizableWindow(nullptr, WS_POPUP, WS_EX_TOOLWINDOW, 100, 100);
        ShowWindow(SW_SHOWNA);
    }
    ~CListWindow() override {
        if (GetHandle()) DestroyWindow();
    }
    // The scroll bar's requests reach the list through the window.
    void OnVScroll(UINT code, UINT position, HWND) override {
        list->Control(WM_VSCROLL, MAKEWPARAM(code, position), 0);
    }
    void Rows(int rows) {
        table.rows = rows;
        list->SetTable(&table);
    }
};

// The centre of a cell of the list without header (list coordinates).
POINT At(int visibleRow, int column) {
    const int centres[4] = {30, 80, 120, 160};
    return POINT{centres[column], visibleRow * 18 + 9};
}

}  // namespace

TEST(ButtonListView, RangeAndVisibleRows) {
    CListWindow window;
    window.Rows(0);
    EXPECT_EQ(window.list->RangeEnd(), 0);
    window.list->Control(WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(window.list->FirstRow(), 0);
    EXPECT_EQ(window.list->RowHeight(), 18);
    EXPECT_EQ(window.list->VisibleRows(), 10);  // 180 / 18
    window.list->ShowHeader(true);
    EXPECT_EQ(window.list->VisibleRows(), 9);  // (180 - 18) / 18
    window.list->SetRect(10, 24, 190, 24 + 181);
    EXPECT_EQ(window.list->VisibleRows(), 10);  // a part row counts
    window.Rows(1);
    EXPECT_EQ(window.list->RangeEnd(), 0);
    window.Rows(25);
    EXPECT_EQ(window.list->RangeEnd(), 24);
}

TEST(ButtonListView, ScrollClampsAtBothEnds) {
    CListWindow window;
    window.Rows(25);
    struct Step {
        WPARAM code;
        int first;
    } const steps[] = {
        {SB_LINEUP, 0},    {SB_PAGEDOWN, 10},
        {SB_PAGEDOWN, 20}, {SB_PAGEDOWN, 24},
        {SB_LINEDOWN, 24}, {MAKEWPARAM(SB_THUMBTRACK, 500), 24},
        {SB_TOP, 0},       {MAKEWPARAM(SB_THUMBPOSITION, 7), 7},
        {SB_PAGEUP, 0},    {SB_BOTTOM, 24},
    };
    for (const Step& step : steps) {
        window.list->Control(WM_VSCROLL, static_cast<intptr_t>(step.code), 0);
        EXPECT_EQ(window.list->FirstRow(), step.first) << LOWORD(step.code);
        EXPECT_EQ(window.bar->GetPosition(), step.first);
    }
    const std::vector<std::string> expected = {"scrolled 10", "scrolled 20", "scrolled 24",
                                               "scrolled 0",  "scrolled 7",  "scrolled 0",
                                               "scrolled 24"};
    EXPECT_EQ(window.listener.log, expected);
}

TEST(ButtonListView, ReleaseOnAnotherCellClicksNothing) {
    CListWindow window;
    window.Rows(25);
    CButtonListView& list = *window.list;
    auto press = [&](POINT down, POINT up) {
        EXPECT_TRUE(list.OnLButtonDown(down.x, down.y));
        list.OnLButtonUp(up.x, up.y);
    };
    press(At(1, 0), At(2, 0));  // row cell to another row
    press(At(1, 0), At(1, 3));  // row cell to another column
    press(At(1, 0), At(1, 0));
    press(At(2, 1), At(3, 1));  // button to another button
    press(At(2, 1), At(2, 1));
    EXPECT_FALSE(list.OnLButtonDown(At(15, 0).x, 200));  // below the list
    EXPECT_TRUE(list.OnRButtonDown(At(1, 3).x, At(1, 3).y));
    list.OnRButtonUp(At(1, 0).x, At(1, 0).y);
    EXPECT_TRUE(list.OnRButtonDown(At(1, 3).x, At(1, 3).y));
    list.OnRButtonUp(At(1, 3).x, At(1, 3).y);
    list.OnLButtonDblClk(At(4, 0).x, At(4, 0).y);
    const std::vector<std::string> expected = {"click 1,0", "button 2,1", "right 1,3",
                                               "double 4,0"};
    EXPECT_EQ(window.listener.log, expected);
}

TEST(ButtonListView, DragBeginsOnlyPastTheDragDistance) {
    CListWindow window;
    window.Rows(25);
    CButtonListView& list = *window.list;
    struct Case {
        const char* setting;  // WIN.INI DragMinDist, null: none
        POINT still;          // exactly at the distance or inside it
        POINT beyond;
    } const cases[] = {
        {nullptr, {32, 27}, {32, 28}},  // 2 and sqrt 5
        {"6", {36, 27}, {35, 31}},      // 6 and sqrt 41
    };
    for (const Case& c : cases) {
        ::WriteProfileStringA("windows", "DragMinDist", c.setting);
        window.listener.log.clear();
        ASSERT_TRUE(list.OnLButtonDown(30, 27));
        list.OnMouseMove(c.still.x, c.still.y);
        EXPECT_FALSE(list.IsDragging());
        list.OnMouseMove(c.beyond.x, c.beyond.y);
        list.OnMouseMove(60, 60);
        list.OnLButtonUp(60, 60);
        const std::vector<std::string> expected = {"drag 1,0", "drop 1,0"};
        EXPECT_EQ(window.listener.log, expected) << (c.setting ? c.setting : "none");
    }
    ::WriteProfileStringA("windows", "DragMinDist", nullptr);
}

TEST(ButtonListView, ToolTipIndexForButtonCells) {
    CListWindow window;
    window.Rows(25);
    CButtonListView& list = *window.list;
    struct Case {
        int row, column;
        const char* tip;
    } const cases[] = {
        {2, 1, "tip1"},                          // the table's label 1, off
        {3, 1, "tipP1"},                         // on
        {2, 2, "tip0"},                          // the column's own label 0
        {3, 2, "tipP0"},    {5, 1, "cell 5,1"},  // a disabled button is a plain cell
        {2, 0, "cell 2,0"},
    };
    for (const Case& c : cases) {
        const POINT pt = At(c.row, c.column);
        list.OnMouseMove(pt.x, pt.y);
        EXPECT_EQ(list.GetToolTipText(), c.tip) << Cell(c.row, c.column);
    }
}

TEST(ButtonListView, RowsAlternateAndTheActiveRowStandsOut) {
    CListWindow window;
    window.table.activeRow = 2;
    window.Rows(4);
    const lib::wfc::CDIB& back = *window.BackBuffer();
    // The list lies at 10, 24; x 12 is the rows' left piece.
    EXPECT_EQ(back.GetPixel(12, 24 + 5), frametest::kRow0);
    EXPECT_EQ(back.GetPixel(12, 24 + 18 + 5), frametest::kRow1);
    EXPECT_EQ(back.GetPixel(12, 24 + 36 + 5), frametest::kActiveRow);
    EXPECT_EQ(back.GetPixel(12, 24 + 54 + 5), frametest::kRow1);
    // Below the last row the window background shows through.
    EXPECT_EQ(back.GetPixel(12, 24 + 72 + 5), frametest::PieceColor(1, 1));
    // Row 0's button (centred in 60..100) and its off label; hovering makes it hot.
    EXPECT_EQ(back.GetPixel(10 + 73, 24 + 4), RGB(40, 0, 0));
    EXPECT_EQ(back.GetPixel(10 + 80, 24 + 9), RGB(0, 0, 80));
    window.list->OnMouseMove(At(0, 1).x, At(0, 1).y);
    EXPECT_EQ(window.BackBuffer()->GetPixel(10 + 73, 24 + 4), RGB(80, 0, 0));
}

TEST(ButtonListView, HeaderDividerResizesAColumnAndHeaderCellsClick) {
    CListWindow window;
    window.table.activeRow = 1;
    window.Rows(25);
    CButtonListView& list = *window.list;
    list.ShowHeader(true);
    EXPECT_EQ(list.HitTestPoint(61, 9).part, kListHitDivider);
    EXPECT_EQ(list.HitTestPoint(30, 9).part, kListHitHeader);
    EXPECT_TRUE(list.OnSetCursor(61, 9));  // the divider keeps the cursor as it is
    ASSERT_TRUE(list.OnLButtonDown(61, 9));
    list.OnMouseMove(81, 12);
    list.OnMouseMove(500, 12);  // no wider than the list leaves room for
    list.OnLButtonUp(500, 12);
    EXPECT_EQ(list.Columns()[0].width, 180);
    ASSERT_TRUE(list.OnLButtonDown(178, 9));
    list.OnMouseMove(18, 9);
    list.OnLButtonUp(18, 9);
    EXPECT_EQ(list.Columns()[0].width, 20);
    ASSERT_TRUE(list.OnLButtonDown(10, 9));
    list.OnLButtonUp(40, 9);  // released on another header cell
    ASSERT_TRUE(list.OnLButtonDown(40, 9));
    list.OnLButtonUp(45, 9);
    const std::vector<std::string> expected = {"columns", "columns", "columns", "header 1"};
    EXPECT_EQ(window.listener.log, expected);
    frametest::SaveScreenshot(*window.BackBuffer(), "list-view");
}

TEST(ButtonListView, ScrollBarClicksReachTheListThroughTheWindow) {
    CListWindow window;
    window.Rows(25);
    auto click = [&](int x, int y) {
        window.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        window.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    };
    click(208, 24 + 180 - 8);   // the down button
    click(208, 24 + 180 - 20);  // the track below the thumb
    EXPECT_EQ(window.list->FirstRow(), 11);
    EXPECT_EQ(window.bar->GetPosition(), 11);
    const std::vector<std::string> expected = {"scrolled 1", "scrolled 11"};
    EXPECT_EQ(window.listener.log, expected);
}

TEST(ButtonListView, MissingPerRowOrPerLabelKeysAreSkinErrors) {
    // Items are made before their window exists, as the windows do.
    frametest::UseFrameSkin();
    struct Case {
        const char* key;
        const char* text;
    } const cases[] = {
        {"NormalRow.1", "List/NormalRow.1が定義されていません"},
        {"ButtonToolTipTextP.1", "List/ButtonToolTipTextP.1が定義されていません"},
    };
    skintest::CSkinBoxWatcher watcher;
    for (const Case& c : cases) {
        CResizableSkinWindow window;
        window.LoadSkin("FrameTest.txt", "Base", false);
        SkinItem item = GetItem(window.Skin(), "List");
        item.properties.erase(c.key);
        EXPECT_EQ(skintest::ThrownText(
                      [&] { window.AddItem<CButtonListView>(11, item, nullptr, nullptr); }),
                  c.text);
        EXPECT_TRUE(window.Items().empty());
    }
    EXPECT_EQ(watcher.Texts().size(), 2u);
}

TEST(ButtonListView, IconAnimationAndListenerDrawnCells) {
    CListWindow window;
    window.table.iconRow = 0;
    window.table.animationRow = 1;
    window.listener.drawnRow = 2;
    window.list->SetAnimation(2, 100);
    window.Rows(3);
    // Icons sit at 2, 3 in their cell: column 3 starts at 140; the list at 10, 24.
    auto iconPixel = [&](int row) {
        return window.BackBuffer()->GetPixel(10 + 143, 24 + row * 18 + 4);
    };
    EXPECT_EQ(iconPixel(0), frametest::kIcon0);
    EXPECT_EQ(iconPixel(1), frametest::kIcon0);
    EXPECT_EQ(window.BackBuffer()->GetPixel(10 + 30, 24 + 36 + 9), RGB(5, 6, 7));
    // Frames follow the ticks fed to the item: 100 ms each, two frames.
    const DWORD ticks[] = {5000, 5099, 5100, 5250, 5300};
    const COLORREF frames[] = {frametest::kIcon0, frametest::kIcon0, frametest::kIcon1,
                               frametest::kIcon0, frametest::kIcon1};
    for (size_t i = 0; i < 5; ++i) {
        window.list->OnTick(ticks[i]);
        EXPECT_EQ(iconPixel(1), frames[i]) << ticks[i];
        EXPECT_EQ(iconPixel(0), frametest::kIcon0);
    }
}
