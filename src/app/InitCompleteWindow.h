#pragma once
// ui::CInitCompleteWindow: tells the first-run user that the registration was
// confirmed and offers one choice, whether the music of the PC's music folder
// goes to the card automatically at every start; OK stores it in the
// settings. Runs modally over the (hidden) initialization window.
#include <windows.h>

#include "ui/EndSessionWaitingWindow.h"
#include "ui/FrameOverlayWindowBase.h"
#include "ui/ResizableSkinWindow.h"
#include "ui/WindowBase.h"

namespace ui {

class CSkinWindowItemButton;

class CInitCompleteWindow
    : public CFrameOverlayWindowBase<CEndSessionWaitingWindow<CResizableSkinWindow>>,
      public CWindowBase {
public:
    using Chain = CFrameOverlayWindowBase<CEndSessionWaitingWindow<CResizableSkinWindow>>;

    enum ItemId : int {
        kTitleStatic = 1,
        kCloseButton,
        kOKButton,
        kCompleteTextStatic,
        kMusicChargeTextStatic,
        kMusicChargeCheckBox,
    };
    static constexpr DWORD kStyle = 0x820A0000;
    static constexpr UINT kOverlayMessage = WM_APP + 0x155;
    // "ChargeType" of the music section for each state of the box.
    static constexpr int kChargeAutomatic = 2;
    static constexpr int kChargeManual = 1;

    CInitCompleteWindow();
    ~CInitCompleteWindow() override;

    // Creates the window over owner, shows and activates it, and runs a modal
    // loop until it is closed. True when it was closed without OK.
    bool RunModal(HWND owner);
    // Creates the window without showing it (RunModal does this first).
    bool Create(HWND owner);

    CSkinWindowItemButton* MusicCheckBox() const { return m_musicCheckBox; }
    bool IsClosedByUser() const { return m_closedByUser; }

    UINT GetFrameOverlayMessage() override { return kOverlayMessage; }
    bool FilterKey(UINT key, UINT flags) override;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCommand(UINT id, UINT code, HWND control) override;
    void OnKeyDown(UINT key, UINT flags) override;

private:
    void OnCloseCommand();
    void OnOk();

    CSkinWindowItemButton* m_musicCheckBox = nullptr;
    HWND m_owner = nullptr;
    bool m_closedByUser = true;
};

}  // namespace ui
