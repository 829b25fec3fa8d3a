// The button list view inside a resizable window: scrolling, clicks, drags
// and its skin error.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/BoxWatcher.h"
#include "tests/win/ui/SkinWindowKit.h"
#include "ui/ResizableSkinWindow.h"

using namespace ui;

namespace {

std::string Cell(int row, int column) { return std::to_string(row) + "," + std::to_string(column); }

class CListener : public CButtonListViewListener {
public:
    std::vector<std::string> log;
    void OnColumnsChanged() override {}
    void OnListScrolled(int first) override { log.push_back("scrolled " + std::to_string(first)); }
    void OnCellClicked(int row, int column, POINT) override { Log("click", row, column); }
    void OnCellDoubleClicked(int row, int column, POINT) override { Log("double", row, column); }
    void OnCellRightClicked(int row, int column, POINT) override { Log("right", row, column); }
    void OnButtonClicked(int row, int column) override { Log("button", row, column); }
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
    skintest::CTextRows table;
    CSkinWindowItemScrollBar* bar;
    CButtonListView* list;

    CListWindow() {
        skintest::UseFrameSkin();
        LoadSkin("FrameTest.txt", "Base", false);
        bar = AddItem<CSkinWindowItemScrollBar>(10, GetItem(Skin(), "ScrollBar"));
        list = AddItem<CButtonListView>(11, GetItem(Skin(), "List"), bar, &listener);
        list->AddColumn("text", 60);
        list->AddColumn("asks", 40, DT_CENTER, true, -1);
        list->AddColumn("own", 40, DT_CENTER, true, 0);
        list->AddColumn("more", 40);
        CreateResizableWindow(nullptr, WS_POPUP, WS_EX_TOOLWINDOW, 100, 100);
        ShowWindow(SW_SHOWNA);
        table.text = Cell;
    }
    ~CListWindow() override {
        if (GetHandle()) DestroyWindow();
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

TEST(ButtonListView, ReleaseOnAnotherCellClicksNothingAndADragBeginsPastItsDistance) {
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

    // A drag begins only past the drag distance.
    window.listener.log.clear();
    ASSERT_TRUE(list.OnLButtonDown(30, 27));
    list.OnMouseMove(32, 27);  // exactly the distance of 2
    EXPECT_FALSE(list.IsDragging());
    list.OnMouseMove(32, 28);  // sqrt 5
    list.OnMouseMove(60, 60);
    list.OnLButtonUp(60, 60);
    EXPECT_EQ(window.listener.log, (std::vector<std::string>{"drag 1,0", "drop 1,0"}));
}

TEST(ButtonListView, AMissingPerRowKeyIsASkinError) {
    skintest::UseFrameSkin();
    qmtest::CBoxWatcher watcher;
    CResizableSkinWindow window;  // items are made before their window exists
    window.LoadSkin("FrameTest.txt", "Base", false);
    SkinItem item = GetItem(window.Skin(), "List");
    item.properties.erase("NormalRow.1");
    EXPECT_EQ(
        skintest::ThrownText([&] { window.AddItem<CButtonListView>(11, item, nullptr, nullptr); }),
        "List/NormalRow.1が定義されていません");
    EXPECT_TRUE(window.Items().empty());
    EXPECT_EQ(watcher.Texts(), std::vector<std::string>{"List/NormalRow.1が定義されていません"});
}
