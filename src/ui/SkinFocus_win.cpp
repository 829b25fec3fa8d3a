// The skin window's keyboard focus (tab order, the focus mark, Space and
// Enter) and what it tells screen readers (WM_GETOBJECT, win events).
#include <windows.h>

#include <algorithm>
#include <cstdlib>

#include "ui/SkinAccessible.h"
#include "ui/SkinWindow.h"

namespace ui {

namespace {

// The internal message's wParam that asks the window to look at its focus
// item again once the items have settled (one hidden, its stand-in shown).
constexpr WPARAM kCheckFocus = 1;

bool Available(const CSkinWindowItem& item) {
    return item.IsVisible() && item.IsEnabled() && IsFocusableRole(item.AccessibleRole());
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool NearColor(COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
               std::abs(GetBValue(a) - GetBValue(b)) <
           96;
}

}  // namespace

std::vector<CSkinWindowItem*> CSkinWindow::AccessibleItems() const {
    std::vector<CSkinWindowItem*> items;
    for (const auto& item : m_items)
        if (item->AccessibleRole() != SkinRole::kNone) items.push_back(item.get());
    return items;
}

IUnknown* CSkinWindow::AccessibleObject() { return GetSkinAccessible(*this, m_accessible); }

LONG CSkinWindow::ChildIdOf(const CSkinWindowItem* item) const {
    LONG id = 0;
    for (const auto& candidate : m_items) {
        if (candidate->AccessibleRole() == SkinRole::kNone) continue;
        ++id;
        if (candidate.get() == item) return id;
    }
    return 0;
}

// The item the keyboard is in: an edit box whose control has the focus, or
// the focus item.
CSkinWindowItem* CSkinWindow::KeyboardItem() const {
    const HWND focus = ::GetFocus();
    if (focus && focus != GetHandle())
        for (const auto& item : m_items)
            if (item->GetFocusControl() == focus) return item.get();
    return m_focusItem;
}

void CSkinWindow::SetFocusItem(CSkinWindowItem* item) {
    if (item == m_focusItem) return;
    CSkinWindowItem* previous = m_focusItem;
    m_focusItem = item;
    if (previous) previous->OnKillFocus();
    if (item) item->OnSetFocus();
    RedrawFocusMark(previous);
    RedrawFocusMark(item);
    // An edit control announces its own focus.
    if (item && !item->GetFocusControl() && GetHandle() && ::GetFocus() == GetHandle()) {
        if (const LONG child = ChildIdOf(item)) {
            // A list's row is a child of the list's own object, whose id is
            // the list's child id.
            const int part = item->FocusPart();
            if (part >= 0)
                ::NotifyWinEvent(EVENT_OBJECT_FOCUS, GetHandle(), child, part + 1);
            else
                ::NotifyWinEvent(EVENT_OBJECT_FOCUS, GetHandle(), OBJID_CLIENT, child);
        }
    }
}

void CSkinWindow::OnItemPartFocused(CSkinWindowItem* item, int part) {
    const LONG object = ChildIdOf(item);
    if (!GetHandle() || !object || part < 0) return;
    ::NotifyWinEvent(EVENT_OBJECT_SELECTION, GetHandle(), object, part + 1);
    if (item == m_focusItem && ::GetFocus() == GetHandle())
        ::NotifyWinEvent(EVENT_OBJECT_FOCUS, GetHandle(), object, part + 1);
}

bool CSkinWindow::FocusItem(CSkinWindowItem* item) {
    if (item && (!FindItemPointer(item) || !Available(*item))) return false;
    const HWND has = ::GetFocus();
    if (item && !item->GetFocusControl() && GetHandle() && has && has != GetHandle() &&
        ::GetParent(has) == GetHandle()) {
        // The window takes the keyboard back from its edit control first, so
        // that the item's focus event comes from the window that has it. A
        // window without the keyboard (the launcher's menu) does not take it.
        m_focusItem = nullptr;
        ::SetFocus(GetHandle());
    }
    SetFocusItem(item);
    return true;
}

bool CSkinWindow::MoveFocus(bool backward) {
    std::vector<FocusCandidate> candidates;
    int current = -1;
    const CSkinWindowItem* from = KeyboardItem();
    for (size_t i = 0; i < m_items.size(); ++i) {
        const CSkinWindowItem& item = *m_items[i];
        FocusCandidate c;
        c.id = static_cast<int>(i);
        c.left = item.GetRect().left;
        c.top = item.GetRect().top;
        c.tabOrder = item.GetTabOrder();
        c.available = item.IsVisible() && item.IsEnabled();
        c.role = item.AccessibleRole();
        candidates.push_back(c);
        if (&item == from) current = c.id;
    }
    const int next = NextFocus(candidates, current, backward);
    if (next < 0) return false;
    CSkinWindowItem* item = m_items[static_cast<size_t>(next)].get();
    if (!FocusItem(item)) return false;
    // As in a dialog, an edit box Tab enters has its text selected.
    if (const HWND control = item->GetFocusControl()) ::SendMessageA(control, EM_SETSEL, 0, -1);
    return true;
}

void CSkinWindow::ShowFocusMark() {
    if (m_focusMarkShown || !GetHandle()) return;
    // The top-level window passes the change down to every window under it
    // as WM_UPDATEUISTATE, which sets the flag here.
    ::SendMessageA(::GetAncestor(GetHandle(), GA_ROOT), WM_CHANGEUISTATE,
                   MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    // A system whose cues were never hidden (Wine starts so) sends nothing
    // back; the window still starts without the mark and shows it now.
    if (!m_focusMarkShown) SetFocusMarkShown(true);
}

void CSkinWindow::SetFocusMarkShown(bool shown) {
    if (shown == m_focusMarkShown) return;
    m_focusMarkShown = shown;
    if (m_focusItem) {
        const RECT r = m_focusItem->GetRect();
        RedrawRect(r.left, r.top, r.right, r.bottom, false);
    }
}

bool CSkinWindow::OnFocusKey(UINT key) {
    const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
    if (key == VK_TAB && !ctrl) {
        ShowFocusMark();
        MoveFocus(::GetKeyState(VK_SHIFT) < 0);
        return true;
    }
    if (!m_focusItem || KeyboardItem() != m_focusItem || m_focusItem->GetFocusControl() ||
        !Available(*m_focusItem))
        return false;
    if (m_focusItem->OnKey(key)) {
        ShowFocusMark();
        return true;
    }
    if ((key == VK_SPACE || key == VK_RETURN) && m_focusMarkShown) {
        m_focusItem->Press();
        return true;
    }
    return false;
}

void CSkinWindow::RedrawFocusMark(CSkinWindowItem* item) {
    if (!m_focusMarkShown || !item || !FindItemPointer(item)) return;
    const RECT r = item->GetRect();
    RedrawRect(r.left, r.top, r.right, r.bottom, false);
}

void CSkinWindow::DrawFocusMark() {
    CSkinWindowItem* item = m_focusItem;
    if (!item || !item->IsVisible() || item->GetFocusControl() ||
        !IsFocusableRole(item->AccessibleRole()))
        return;
    // 2 px inside the control, 2 px wide, at the window's scale.
    const int inset = Scale(2), width = Scale(2);
    RECT ring = item->FocusRect();
    ::InflateRect(&ring, -inset, -inset);
    if (ring.right - ring.left <= 2 * width || ring.bottom - ring.top <= 2 * width) return;
    // Light on an accent face (the primary button), the accent elsewhere.
    const COLORREF face = m_backBuffer.GetPixel(ring.left + width, (ring.top + ring.bottom) / 2);
    const COLORREF color = NearColor(face, kFocusMarkColor) ? kFocusMarkOnAccent : kFocusMarkColor;
    const RECT& clip = m_redrawClip;
    auto plot = [&](int x, int y) {
        // The outer corner pixels stay: the ring follows the button's rounding.
        const bool corner =
            (y == ring.top || y == ring.bottom - 1) && (x == ring.left || x == ring.right - 1);
        if (!corner && x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom)
            m_backBuffer.SetPixel(x, y, color);
    };
    for (int y = ring.top; y < ring.bottom; ++y) {
        if (y < ring.top + width || y >= ring.bottom - width) {
            for (int x = ring.left; x < ring.right; ++x) plot(x, y);
        } else {
            for (int i = 0; i < width; ++i) {
                plot(ring.left + i, y);
                plot(ring.right - 1 - i, y);
            }
        }
    }
}

// A focus item that was hidden or disabled hands the keyboard to the item
// that took its place (the launcher's two menu buttons), else to the next.
void CSkinWindow::CheckFocusItem() {
    m_focusCheckPosted = false;
    CSkinWindowItem* item = m_focusItem;
    if (!item || Available(*item)) return;
    for (const auto& other : m_items) {
        if (other.get() != item && Available(*other) &&
            SameRect(other->GetRect(), item->GetRect())) {
            FocusItem(other.get());
            return;
        }
    }
    if (!MoveFocus(false)) SetFocusItem(nullptr);
}

void CSkinWindow::OnItemChanged(CSkinWindowItem* item, SkinItemChange change) {
    if (!GetHandle()) return;
    if (const LONG child = ChildIdOf(item))
        ::NotifyWinEvent(
            change == SkinItemChange::kName ? EVENT_OBJECT_NAMECHANGE : EVENT_OBJECT_STATECHANGE,
            GetHandle(), OBJID_CLIENT, child);
    if (change == SkinItemChange::kState && item == m_focusItem && !Available(*item) &&
        !m_focusCheckPosted) {
        m_focusCheckPosted = true;
        PostMessage(GetSkinInternalMessage(), kCheckFocus, 0);
    }
}

bool CSkinWindow::OnAccessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_GETOBJECT: {
            const LONG object = static_cast<LONG>(lParam);
            if (object == OBJID_CLIENT) {
                result = AnswerSkinAccessible(*this, m_accessible, nullptr, wParam);
                return true;
            }
            // A positive id is the child id of a list: its own object, whose
            // children are its rows.
            const std::vector<CSkinWindowItem*> items = AccessibleItems();
            if (object < 1 || object > static_cast<LONG>(items.size()) ||
                items[static_cast<size_t>(object - 1)]->AccessibleRole() != SkinRole::kList)
                return false;
            result = AnswerSkinAccessible(*this, m_accessible,
                                          items[static_cast<size_t>(object - 1)], wParam);
            return true;
        }
        case WM_UPDATEUISTATE:
            if ((HIWORD(wParam) & UISF_HIDEFOCUS) &&
                (LOWORD(wParam) == UIS_SET || LOWORD(wParam) == UIS_CLEAR)) {
                SetFocusMarkShown(LOWORD(wParam) == UIS_CLEAR);
            }
            return false;
        case WM_KEYDOWN:
            if (!OnFocusKey(static_cast<UINT>(wParam))) return false;
            result = 0;
            return true;
        case WM_DESTROY:
            DisconnectSkinAccessible(m_accessible);
            return false;
        case WM_COMMAND:
            // A click into an edit box: the keyboard comes back to it when
            // the window is active again.
            if (HIWORD(wParam) == EN_SETFOCUS && lParam)
                for (const auto& item : m_items)
                    if (item->GetFocusControl() == reinterpret_cast<HWND>(lParam))
                        SetFocusItem(item.get());
            return false;
        default:
            if (message == GetSkinInternalMessage() && message != 0 && wParam == kCheckFocus) {
                CheckFocusItem();
                result = 0;
                return true;
            }
            return false;
    }
}

}  // namespace ui
