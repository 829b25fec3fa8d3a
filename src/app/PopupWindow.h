#pragma once
// CPopupWindow: what the launcher's small pop-ups share. Each loads its skin
// file, creates its named items, and slides out of the launcher's top edge:
// a strip behind the launcher that grows upward 20 px (at 96 DPI) per tick of timer
// 2001 until it has its full height; then its flat cover (ScreenOverlay)
// fades by 10 per tick of timer 2002 to show what it says.
#include <windows.h>

#include <string>

#include "ui/EndSessionWaitingWindow.h"
#include "ui/FrameOverlayWindowBase.h"
#include "ui/ResizableSkinWindow.h"
#include "ui/WindowBase.h"

namespace ui {

class CSkinWindowItemButton;
class CSkinWindowItemOverlay;
class CSkinWindowItemStatic;

class CPopupWindow : public CFrameOverlayWindowBase<CEndSessionWaitingWindow<CResizableSkinWindow>>,
                     public CWindowBase {
public:
    using Chain = CFrameOverlayWindowBase<CEndSessionWaitingWindow<CResizableSkinWindow>>;
    static constexpr UINT_PTR kSlideTimer = 2001;
    static constexpr UINT kSlideStep = 20;
    static constexpr UINT_PTR kFadeTimer = 2002;
    static constexpr int kFadeStep = 10;
    // Ids shared by the pop-ups; each adds its own from kFirstOwnItem on.
    enum : int {
        kTitleStatic = 1,
        kCloseButton,
        kApplicationIcon,
        kScreenOverlay,
        kFirstOwnItem = 16
    };

    explicit CPopupWindow(HWND owner) : Chain("FrameOverlay"), m_owner(owner) {}
    ~CPopupWindow() override;

    HWND Owner() const { return m_owner; }
    // Slides out above the owner (moving the owner down when it sits too
    // close to the top of the screen), shown and activated.
    void SlideOut();
    // Completes a slide and its fade in progress at once (tests, and a
    // second request).
    void FinishSlide();
    bool IsSliding() const { return m_sliding; }
    // The cover's alpha: 255 while sliding, 0 once faded; -1 without one.
    int CoverAlpha() const;
    // The height it slides out to, in pixels at its scale.
    int LayoutHeight();
    // Its own overlay number, so that hide-all and show-all reach it.
    static constexpr UINT kOverlayMessage = WM_APP + 0x156;
    UINT GetFrameOverlayMessage() override { return kOverlayMessage; }

protected:
    // Loads the skin and adds the title, close button and application icon;
    // the window's own items follow, then FinishPopup creates the hidden
    // pop-up window titled `title`.
    void BeginPopup(const char* skinFile, const char* titleText);
    void FinishPopup(const char* title, DWORD style);
    CSkinWindowItemStatic* AddText(int id, const char* name, const std::string& text);
    CSkinWindowItemButton* AddButton(int id, const char* name);
    // A height other than the skin's layout size, in 96-DPI pixels: mapped
    // to the window's scale now and again on every change of scale.
    void SetLayoutHeight(int height) { m_layoutHeight96 = height; }
    void SetOwner(HWND owner) { m_owner = owner; }
    // A button of the pop-up was clicked (not the close button).
    virtual void OnButton(int id) = 0;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnItemEvent(int id, int code, intptr_t param) override;
    void OnCommand(UINT id, UINT code, HWND control) override;
    void OnTimer(UINT_PTR id) override;

private:
    HWND m_owner;
    int m_layoutHeight96 = 0;  // 0: the skin's layout size
    RECT m_slide = {};         // the full rectangle; the window's bottom stays at its bottom
    int m_currentTop = 0;
    bool m_sliding = false;
    CSkinWindowItemOverlay* m_cover = nullptr;
};

}  // namespace ui
