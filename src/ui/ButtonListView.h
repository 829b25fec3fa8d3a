#pragma once
// CButtonListView: a skin item showing a table of rows and columns with an
// optional header, alternating row backgrounds and cells holding text, a
// two-state button with a label, an icon or an animation. It owns no data:
// rows come from a table (CButtonListViewTable, or the wide form), actions go
// to a listener; windows implement both. Scrolling is row by row through a
// skin scroll bar that the window forwards as WM_VSCROLL.
//
// Skin keys beyond the required group: "NormalRow.<i>" per row background,
// per label "OnLabel.<i>", "OffLabel.<i>", "OnDLabel.<i>", "OffDLabel.<i>",
// "ButtonToolTipText.<i>" (the tip while off) and "ButtonToolTipTextP.<i>"
// (while on), and with IconCount "IconImage.<i>" (file, left, top, right,
// bottom, x, y: x, y place the icon in its cell).
#include <windows.h>

#include <string>
#include <vector>

#include "ui/SkinWindowItem.h"
#include "wfc/DIB.h"
#include "wfc/Gdi.h"

namespace ui {

class CSkinWindowItemScrollBar;

class CButtonListViewTable {
public:
    virtual ~CButtonListViewTable() = default;
    virtual int GetRowCount() = 0;
    virtual bool IsRowActive(int row) = 0;
    // A button cell reacts (and shows the hand cursor) only when true.
    virtual bool IsButtonEnabled(int row, int column) = 0;
    virtual bool IsButtonOn(int row, int column) = 0;
    virtual int GetLabelIndex(int row, int column) = 0;
    virtual std::string GetCellText(int row, int column) = 0;
    // The colour of a cell's text; false keeps the view's.
    virtual bool GetCellTextColor(int row, int column, COLORREF& color) = 0;
    virtual int GetIconIndex(int, int) { return -1; }
    virtual int GetAnimationIndex(int, int) { return -1; }
    virtual std::string GetHeaderToolTip(int) { return std::string(); }
    // The pointer came over a cell (row -1: the header).
    virtual void OnCellHover(int, int) {}
    virtual std::string GetCellToolTip(int row, int column) = 0;
    // The DrawText format of a cell; false keeps the column's.
    virtual bool GetCellFormat(int row, int column, UINT& format) = 0;
};

class CButtonListViewTableW : public CButtonListViewTable {
public:
    virtual std::wstring GetCellTextW(int row, int column) = 0;
    // True when the cell's text is taken from GetCellTextW.
    virtual bool IsCellWide(int row, int column) = 0;
};

class CButtonListViewListener {
public:
    virtual ~CButtonListViewListener() = default;
    // A column was resized.
    virtual void OnColumnsChanged() = 0;
    // The first visible row changed.
    virtual void OnListScrolled(int firstRow) = 0;
    virtual void OnCellClicked(int, int, POINT) {}
    virtual void OnCellDoubleClicked(int row, int column, POINT point) = 0;
    virtual void OnCellRightClicked(int, int, POINT) {}
    virtual void OnHeaderClicked(int) {}
    virtual void OnButtonClicked(int row, int column) = 0;
    virtual void OnDragBegin(int, int) {}
    virtual void OnDragEnd(int, int) {}
    // True: the listener drew the cell (rect in canvas coordinates).
    virtual bool DrawCell(lib::wfc::CDIB&, const RECT&, int, int) { return false; }
};

// Hit parts of a point of the view.
enum ListHitPart : int {
    kListHitNothing = 0,
    kListHitHeader = 1,
    kListHitButton = 2,
    kListHitCell = 3,
    kListHitDivider = 4,
};

struct ListHit {
    int part = kListHitNothing;
    int row = -1;
    int column = -1;
};

// Display settings of a column.
struct ListColumn {
    std::string title;
    int width = 0;
    UINT format = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
    bool button = false;      // cells are buttons
    int labelIndex = -1;      // the buttons' label; -1 asks the table
    bool resizable = true;    // its right header edge can be dragged
    bool headerClick = true;  // its header cell is a button
};

class CButtonListView : public CSkinWindowItem {
public:
    // How far either side of a column's right edge the divider reaches.
    static constexpr int kDividerReach = 2;

    CButtonListView(ISkinWindowItemAccessor& accessor, int id, const SkinItem& item,
                    CSkinWindowItemScrollBar* scrollBar, CButtonListViewListener* listener);
    ~CButtonListView() override;

    void SetTable(CButtonListViewTable* table);
    void ShowHeader(bool visible);
    // -1: everything (and the scroll range); else that row when visible.
    void RefreshRow(int row);
    void AddColumn(const ListColumn& column);
    void AddColumn(const std::string& title, int width,
                   UINT format = DT_LEFT | DT_VCENTER | DT_SINGLELINE, bool button = false,
                   int labelIndex = -1);
    // Animation cells show icons animationIndex + frame, frame counting
    // 0..frames-1 every frameTime ms.
    void SetAnimation(int frames, DWORD frameTime);

    int RowHeight() const { return m_rowHeight; }
    int HeaderHeight() const { return m_headerVisible ? m_headerHeight : 0; }
    int VisibleRows() const;
    int FirstRow() const;
    int RangeEnd() const { return m_rangeEnd; }
    const std::vector<ListColumn>& Columns() const { return m_columns; }
    ListHit HitTestPoint(int x, int y) const;
    bool IsDragging() const { return m_dragStarted; }
    // The cell's rectangle in the view (empty when not visible).
    RECT CellRect(int row, int column) const;
    // The row the keyboard is on (-1: none), which a click on a cell or the
    // arrow keys choose; choosing scrolls it into view.
    int SelectedRow() const { return m_selected; }
    void SelectRow(int row);

    // --- item operations ---------------------------------------------------------------
    std::string GetToolTipText() const override { return m_toolTip; }
    intptr_t Control(int code, intptr_t value, intptr_t extra) override;
    void OnMouseMove(int x, int y) override;
    bool OnLButtonDown(int x, int y) override;
    bool OnLButtonDblClk(int x, int y) override;
    void OnLButtonUp(int x, int y) override;
    bool OnRButtonDown(int x, int y) override;
    void OnRButtonUp(int x, int y) override;
    void OnMouseLeave() override;
    bool OnSetCursor(int x, int y) override;
    void OnTick(DWORD tickCount) override;
    void Draw() override;
    void OnScaleChanged(int oldDpi) override;
    void SetRect(int left, int top, int right, int bottom) override;
    SkinRole AccessibleRole() const override { return SkinRole::kList; }
    bool OnKey(UINT key) override;
    int AccessiblePartCount() const override { return RowCount(); }
    SkinAccessPart AccessiblePart(int index) const override;
    int FocusPart() const override { return m_selected; }
    RECT FocusRect() const override;

private:
    struct Strip {  // a header or row picture: left, repeated middle, right
        std::string file;
        int x[4] = {};
        int y[2] = {};
    };
    struct Picture {
        std::string file;
        RECT rect = {};
        POINT at = {};
    };
    struct Label {
        Picture on, off, onDisabled, offDisabled;
        std::string tip, tipOn;
    };

    int ColumnLeft(int column) const;
    int ColumnAt(int x) const;
    int RowCount() const;
    // Rows the view shows whole (at least 1).
    int WholeRows() const;
    void UpdateRange();
    void ScrollTo(int position);
    void DrawStrip(lib::wfc::CDIB& canvas, const Strip& strip, int top, int width);
    void DrawPicture(lib::wfc::CDIB& canvas, const Picture& picture, const RECT& cell, bool centre);
    void DrawRow(lib::wfc::CDIB& canvas, int row, int top);
    void DrawHeader(lib::wfc::CDIB& canvas);
    int ButtonState(int row, int column) const;
    int LabelOf(int row, int column) const;
    void Hover(const ListHit& hit);
    void UpdateToolTipText();
    void RedrawRow(int row);
    void RedrawHeader();
    void ClearPress();

    CSkinWindowItemScrollBar* m_scrollBar;
    CButtonListViewListener* m_listener;
    CButtonListViewTable* m_table = nullptr;
    CButtonListViewTableW* m_tableW = nullptr;
    lib::wfc::CFont m_font;
    Picture m_buttons[4];  // normal, hot, pushed, pushed hot
    Strip m_header;
    Strip m_pushedHeader;
    std::vector<Strip> m_rows;
    Strip m_activeRow;
    std::vector<Label> m_labels;
    std::vector<Picture> m_icons;
    int m_rowHeight = 1;
    int m_headerHeight = 0;
    bool m_headerVisible = false;
    int m_rangeEnd = 0;
    int m_position = 0;  // without a scroll bar
    std::vector<ListColumn> m_columns;
    int m_animationFrames = 1;
    DWORD m_animationTime = 100;
    int m_animationFrame = 0;
    DWORD m_animationStart = 0;
    bool m_animationStarted = false;
    // Press and hover.
    ListHit m_press;
    bool m_pressRight = false;
    POINT m_pressPoint = {};
    bool m_pressInside = false;
    bool m_dragStarted = false;
    int m_resizeColumn = -1;
    int m_resizeStartWidth = 0;
    int m_resizeStartX = 0;
    ListHit m_hover;
    std::string m_toolTip;
    int m_selected = -1;
};

}  // namespace ui
