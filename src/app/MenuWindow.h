#pragma once
// CMenuWindow: one level of the launcher's button menu. The root lines its
// main buttons up beside the launcher's menu button; each main button with
// sub-buttons opens a sub-menu at a right angle. Hovers and selections are
// posted to the owner (a sub-menu's owner is its parent menu, which passes
// them on), so every one reaches the launcher.
#include <memory>
#include <string>
#include <vector>

#include "ui/EndSessionWaitingWindow.h"
#include "ui/FrameOverlayWindowBase.h"
#include "ui/ResizableSkinWindow.h"
#include "ui/WindowBase.h"

namespace ui {

class CSkinWindowItemButton;

constexpr UINT kRootMenuId = 0xFFFF;

class CMenuWindow : public CFrameOverlayWindowBase<CEndSessionWaitingWindow<CResizableSkinWindow>>,
                    public CWindowBase {
public:
    using Chain = CFrameOverlayWindowBase<CEndSessionWaitingWindow<CResizableSkinWindow>>;
    void OnScaleChanged(int oldDpi) override;
    static constexpr int kFirstButtonId = 0x3000;
    static constexpr UINT_PTR kOpenTimer = 1001;
    static constexpr UINT_PTR kCloseTimer = 1002;
    static constexpr UINT_PTR kFadeTimer = 1004;
    static constexpr int kSlideStep = 60;
    static constexpr int kFadeStep = 10;
    // How an animated Open shows the menu.
    enum class Animation { kSlide, kFade };

    CMenuWindow();
    ~CMenuWindow() override;

    void CreateMenu(HWND owner, UINT commandMessage, UINT hoverMessage, UINT menuId, int angle);
    // Adds a button from its skin description; its id is 0x3000 + index.
    int AddButton(const SkinItem& item);
    // Adds a button to the sub-menu of main button `main` (made on first
    // use); 0xFFFF when there is no such main button.
    int AddSubButton(int main, const SkinItem& item);
    // Opening unfolds from the anchor's edge 60 px (at 96 DPI) per tick of timer 1001;
    // an animated close folds back with timer 1002, then hides. A fading
    // menu opens at full size with its buttons transparent and raises their
    // alpha by 10 per tick of timer 1004 instead.
    void Open(POINT anchor, bool animate = true);
    void SetAnimation(Animation animation) { m_animation = animation; }
    void Close(bool animate = false);
    // Shown and not folding away.
    bool IsOpen() const;
    bool IsAnimating() const { return m_opening || m_closing || m_fading; }
    // How far the menu has unfolded in its direction, in pixels.
    int Depth() const { return m_depth; }
    // The card-dependent buttons follow "WKLSDChange" only while this is on.
    void SetEnableFlag(bool on);
    // True for this menu's window or one of its sub-menus'.
    bool OwnsWindow(HWND window) const;

    int Angle() const { return m_angle; }
    UINT MenuId() const { return m_menuId; }
    size_t ButtonCount() const { return m_buttons.size(); }
    CSkinWindowItemButton* Button(size_t index) const { return m_buttons[index].item; }
    CMenuWindow* SubMenu(size_t index) const { return m_buttons[index].sub.get(); }
    SIZE MenuSize() const;
    // The keyboard in the open menu (MenuWindowKeys_win.cpp). The launcher
    // keeps the focus and hands its keys to the root: the arrows along a
    // menu's line move in it, the arrow toward the sub-menus unfolds the
    // focused one, the arrows across a sub-menu move to the neighbouring
    // main button; Enter and Space press; Escape folds a sub-menu the
    // keyboard is in. True when the key was taken.
    bool OnMenuKey(UINT key);
    // The button the keyboard is on, -1 when none.
    int KeyIndex() const { return m_keyIndex; }
    // A screen reader reads the button the keyboard is on as focused while
    // no sub-menu has the keyboard, and a button with a sub-menu as one
    // that opens a pop-up.
    bool HoldsKeyboard() const override;
    long AccessibleStateOf(const CSkinWindowItem& item) const override;
    // Its own overlay number, so that hide-all and show-all reach it.
    static constexpr UINT kOverlayMessage = WM_APP + 0x157;
    UINT GetFrameOverlayMessage() override { return kOverlayMessage; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnItemEvent(int id, int code, intptr_t param) override;
    void OnCommand(UINT id, UINT code, HWND control) override;
    void OnTimer(UINT_PTR id) override;

private:
    struct Entry {
        CSkinWindowItemButton* item = nullptr;
        bool autoDisable = false;
        std::unique_ptr<CMenuWindow> sub;
    };
    bool Vertical() const { return m_angle == 0 || m_angle == 180; }
    void CloseSubMenus(size_t except);
    void ApplyCardState(char drive);
    POINT SubMenuAnchor(size_t index) const;
    int FullDepth() const;
    // Shows the part of the menu unfolded so far (a window region).
    void ApplyDepth();
    void SetButtonAlpha(int alpha);
    void SetKeyIndex(int index);
    // The next shown, enabled button step (1 or -1) away, wrapping round.
    bool StepKey(int step);
    // The open sub-menu the keyboard is in, or null.
    CMenuWindow* KeySubMenu() const;
    // Unfolds the sub-menu of a button and puts the keyboard on its first button.
    bool EnterSubMenu(size_t index);
    bool PressKey();

    HWND m_owner = nullptr;
    UINT m_commandMessage = 0;
    UINT m_hoverMessage = 0;
    UINT m_menuId = kRootMenuId;
    int m_angle = 270;
    int m_padding[5] = {};  // left, right, top, bottom, border
    SIZE m_buttonSize = {};
    std::vector<Entry> m_buttons;
    bool m_enableFlag = false;
    char m_drive = 0;
    UINT m_sdChange = 0;
    int m_depth = 0;
    bool m_opening = false;
    bool m_closing = false;
    Animation m_animation = Animation::kSlide;
    bool m_fading = false;
    int m_alpha = 255;  // of every button while fading
    int m_keyIndex = -1;
};

}  // namespace ui
