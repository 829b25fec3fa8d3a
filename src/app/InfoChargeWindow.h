#pragma once
// CInfoChargeWindow: the question before the launcher closes or ejects,
// whether to fetch traffic information one last time. Ask runs it modally.
#include "app/PopupWindow.h"

namespace ui {

class CInfoChargeWindow : public CPopupWindow {
public:
    enum : int { kOKButton = kFirstOwnItem, kCancelButton, kUpdateConfirmTextStatic };
    explicit CInfoChargeWindow(HWND owner) : CPopupWindow(owner) {}
    // Creates the window, runs it modally; true when OK was pressed.
    bool Ask();
    UINT GetFrameOverlayMessage() override { return 0x8001; }

protected:
    void OnButton(int id) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool m_declined = true;
    bool m_done = false;
};

// The launcher's entry: true when the user wants the traffic update first.
struct CInfoChargeQuestion {
    static bool Ask(HWND launcher);
};

}  // namespace ui
