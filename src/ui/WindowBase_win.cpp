#include "common/KilnLog.h"
#include "ui/SkinWindowItem.h"
#include "ui/WindowBase.h"

namespace ui {

UINT CWindowBase::KeyModifiers() {
    UINT mask = 0;
    if (::GetKeyState(VK_CONTROL) < 0) mask |= kKeyCtrl;
    if (::GetKeyState(VK_SHIFT) < 0) mask |= kKeyShift;
    return mask;
}

bool CWindowBase::IsKeyInTable(const KeyEntry* table, size_t count, UINT modifiers, UINT key) {
    for (size_t i = 0; i < count; ++i)
        if (table[i].key == key && table[i].modifiers == modifiers) return true;
    return false;
}

bool CWindowBase::OnTableKeyDown(HWND window, const KeyEntry* table, size_t count, UINT modifiers,
                                 UINT key, UINT flags) {
    if (IsKeyInTable(table, count, modifiers, key)) return true;
    if (HWND parent = ::GetParent(window)) ::PostMessageA(parent, WM_KEYDOWN, key, flags);
    return false;
}

bool CWindowBase::OnCommonItemEvent(HWND window, int id, int code, int closeButtonId,
                                    int applicationIconId) {
    if ((id == closeButtonId && code == kItemClicked) ||
        (id == applicationIconId && code == kItemDoubleClick)) {
        ::PostMessageA(window, WM_CLOSE, 0, 0);
        return true;
    }
    return false;
}

void CWindowBase::ForwardQueryEndSession(HWND window, WPARAM wParam, LPARAM lParam) {
    KILNLOG.Log(LOG_NORMAL, "WM_QUERYENDSESSION 受信 Option:0x%08X", static_cast<unsigned>(lParam));
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    if (HWND owner = ::GetWindow(window, GW_OWNER))
        ::SendMessageA(owner, WM_QUERYENDSESSION, wParam, lParam);
}

}  // namespace ui
