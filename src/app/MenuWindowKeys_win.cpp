// The menu's keyboard: the launcher hands the keys it gets while the menu
// is open to the root, which walks its own buttons and its sub-menus'.
#include "app/MenuWindow.h"

// oleacc.h needs the COM types of windows.h first.
#include <oleacc.h>

#include "ui/SkinAccessRules.h"
#include "ui/SkinWindowItemButton.h"

namespace ui {

void CMenuWindow::SetKeyIndex(int index) {
    m_keyIndex = index;
    if (index < 0) {
        TabAccessor().FocusItem(nullptr);
        return;
    }
    ShowFocusMark();
    TabAccessor().FocusItem(m_buttons[static_cast<size_t>(index)].item);
    // The launcher's status line gives the hint, as for the pointer.
    ::PostMessageA(m_owner, m_hoverMessage, m_menuId, static_cast<LPARAM>(index));
}

bool CMenuWindow::StepKey(int step) {
    const int n = static_cast<int>(m_buttons.size());
    const int base = m_keyIndex >= 0 ? m_keyIndex : (step > 0 ? n - 1 : 0);
    for (int i = 1; i <= n; ++i) {
        const int index = ((base + step * i) % n + n) % n;
        const CSkinWindowItemButton* button = m_buttons[static_cast<size_t>(index)].item;
        if (button->IsVisible() && button->IsEnabled()) {
            SetKeyIndex(index);
            return true;
        }
    }
    return false;
}

CMenuWindow* CMenuWindow::KeySubMenu() const {
    if (m_keyIndex < 0) return nullptr;
    CMenuWindow* sub = m_buttons[static_cast<size_t>(m_keyIndex)].sub.get();
    return sub && sub->IsOpen() && sub->m_keyIndex >= 0 ? sub : nullptr;
}

bool CMenuWindow::HoldsKeyboard() const { return m_keyIndex >= 0 && IsOpen() && !KeySubMenu(); }

long CMenuWindow::AccessibleStateOf(const CSkinWindowItem& item) const {
    for (const Entry& entry : m_buttons)
        if (entry.item == &item && entry.sub) return STATE_SYSTEM_HASPOPUP;
    return 0;
}

bool CMenuWindow::EnterSubMenu(size_t index) {
    CMenuWindow* sub = m_buttons[index].sub.get();
    if (!sub || m_closing) return false;
    if (!sub->IsOpen()) {
        CloseSubMenus(index);
        sub->Open(SubMenuAnchor(index));
    }
    sub->m_keyIndex = -1;
    return sub->StepKey(1);
}

bool CMenuWindow::PressKey() {
    if (m_keyIndex < 0) return false;
    const size_t index = static_cast<size_t>(m_keyIndex);
    // Enter on a button with a sub-menu opens it; the key is used even when
    // the sub-menu cannot open (the menu is closing).
    if (m_buttons[index].sub) {
        EnterSubMenu(index);
        return true;
    }
    // As a click: the command goes to the owner.
    m_buttons[index].item->Press();
    return true;
}

bool CMenuWindow::OnMenuKey(UINT key) {
    CMenuWindow* sub = KeySubMenu();
    CMenuWindow& level = sub ? *sub : *this;
    Arrow arrow;
    switch (key) {
        case VK_LEFT:
            arrow = Arrow::kLeft;
            break;
        case VK_UP:
            arrow = Arrow::kUp;
            break;
        case VK_RIGHT:
            arrow = Arrow::kRight;
            break;
        case VK_DOWN:
            arrow = Arrow::kDown;
            break;
        case VK_RETURN:
        case VK_SPACE:
            return level.PressKey();
        case VK_ESCAPE:
            if (!sub) return false;
            sub->Close();
            return true;
        default:
            return false;
    }
    // The first arrow puts the keyboard on the first button.
    if (m_keyIndex < 0) return StepKey(1) || true;
    switch (MenuArrowStep(level.m_angle, sub != nullptr, arrow)) {
        case MenuStep::kPrevious:
            level.StepKey(-1);
            break;
        case MenuStep::kNext:
            level.StepKey(1);
            break;
        case MenuStep::kOpenSub:
            EnterSubMenu(static_cast<size_t>(m_keyIndex));
            break;
        case MenuStep::kParentPrevious:
        case MenuStep::kParentNext:
            sub->Close();
            StepKey(MenuArrowStep(level.m_angle, true, arrow) == MenuStep::kParentNext ? 1 : -1);
            EnterSubMenu(static_cast<size_t>(m_keyIndex));
            break;
        case MenuStep::kNone:
            break;
    }
    return true;
}

}  // namespace ui
