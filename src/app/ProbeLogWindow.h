#pragma once
// CProbeLogWindow: the history of probe-data uploads of the inserted card's
// unit, one row per record of its probe log file. A small modal window that
// follows a card change while it is open.
#include <memory>
#include <string>

#include "datafiles/SDInfoFile.h"
#include "ui/ButtonListView.h"
#include "ui/EndSessionWaitingWindow.h"
#include "ui/FrameOverlayWindowBase.h"
#include "ui/ResizableSkinWindow.h"
#include "ui/WindowBase.h"

namespace ui {

class CSkinWindowItemScrollBar;

class CProbeLogWindow
    : public CFrameOverlayWindowBase<CEndSessionWaitingWindow<CResizableSkinWindow>>,
      public CWindowBase,
      public CButtonListViewTable,
      public CButtonListViewListener {
public:
    using Chain = CFrameOverlayWindowBase<CEndSessionWaitingWindow<CResizableSkinWindow>>;
    enum : int {
        kTitleStatic = 1,
        kCloseButton,
        kOKButton,
        kBaseFrame,
        kLogListFrame,
        kLogList,
        kLogListScrollBar,
        kApplicationIcon,
    };

    // deviceNo names the user data folder that holds the probe log (may be
    // empty: an empty list).
    explicit CProbeLogWindow(const char* deviceNo);
    ~CProbeLogWindow() override;

    // Creates the window (hidden), filled. Tests stop here.
    void Create(HWND owner);
    // Creates, shows and runs the modal loop until the window closes.
    void DoModal(HWND owner);
    // Follows the card in drive: its unit's device number names the log.
    void SetDrive(char drive);

    // A close was asked for (OK, close button, WM_CLOSE): the modal loop ends.
    bool IsCloseRequested() const { return m_done; }
    CButtonListView* List() const { return m_list; }
    CSkinWindowItemScrollBar* ScrollBar() const { return m_scrollBar; }
    const CProbeLogFile& LogFile() const { return m_log; }
    // Its own overlay number, so that hide-all and show-all reach it.
    static constexpr UINT kOverlayMessage = WM_APP + 0x15A;
    UINT GetFrameOverlayMessage() override { return kOverlayMessage; }

    // --- table ---------------------------------------------------------------------------
    int GetRowCount() override;
    bool IsRowActive(int) override { return false; }
    bool IsButtonEnabled(int, int) override { return false; }
    bool IsButtonOn(int, int) override { return false; }
    int GetLabelIndex(int, int) override { return -1; }
    std::string GetCellText(int row, int column) override;
    bool GetCellTextColor(int, int, COLORREF&) override { return false; }
    std::string GetCellToolTip(int row, int column) override { return GetCellText(row, column); }
    bool GetCellFormat(int, int, UINT&) override { return false; }

    // --- listener ------------------------------------------------------------------------
    void OnColumnsChanged() override {}
    void OnListScrolled(int) override {}
    void OnCellDoubleClicked(int, int, POINT) override {}
    void OnButtonClicked(int, int) override {}

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnItemEvent(int id, int code, intptr_t param) override;
    void OnVScroll(UINT code, UINT position, HWND control) override;

private:
    CProbeLogFile m_log;
    UINT m_sdChange = 0;
    HWND m_owner = nullptr;
    bool m_done = false;
    CButtonListView* m_list = nullptr;
    CSkinWindowItemScrollBar* m_scrollBar = nullptr;
};

// Opens the probe log of the card's unit as a modal window over owner.
void ShowProbeLogWindow(HWND owner, const char* deviceNo);

}  // namespace ui
