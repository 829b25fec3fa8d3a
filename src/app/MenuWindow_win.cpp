#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/MenuWindow.h"
#include "common/CoreBridge.h"
#include "ui/SkinScale.h"
#include "ui/SkinWindowItemButton.h"

namespace ui {

CMenuWindow::CMenuWindow() : Chain("FrameOverlay") {
    m_sdChange = ::RegisterWindowMessageA(kMsgSDChange);
}

CMenuWindow::~CMenuWindow() {
    for (Entry& e : m_buttons) e.sub.reset();
    if (GetHandle()) DestroyWindow();
}

void CMenuWindow::CreateMenu(HWND owner, UINT commandMessage, UINT hoverMessage, UINT menuId,
                             int angle) {
    m_owner = owner;
    m_commandMessage = commandMessage;
    m_hoverMessage = hoverMessage;
    m_menuId = menuId;
    m_angle = angle;
    LoadSkin("MenuWindow.txt", Vertical() ? "Base_Vertical" : "Base_Horizontal", false);
    char name[32];
    std::snprintf(name, sizeof name, "%s.%d", "MenuWindow", static_cast<int>(menuId));
    static const char* const kKeys[] = {"LeftPadding", "RightPadding", "TopPadding",
                                        "BottomPadding", "BorderPadding"};
    auto block = Skin().find(name);
    for (int i = 0; i < 5 && block != Skin().end(); ++i) {
        auto v = block->second.properties.find(kKeys[i]);
        if (v != block->second.properties.end() && !v->second.empty())
            m_padding[i] = std::atoi(v->second[0].c_str());
    }
    SetUpFrameOverlay();
    CreateResizableWindow(nullptr, WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, 0, 0);
    EnableResize(false);
    SetWindowTextA("Quillmarch Menu");
    // Hidden, a menu needs no frames: its tick runs only while it shows.
    KillTimer(kSkinTickTimer);
}

SIZE CMenuWindow::MenuSize() const {
    const int n = static_cast<int>(m_buttons.size());
    const int w = m_buttonSize.cx, h = m_buttonSize.cy;
    if (Vertical())
        return SIZE{w + m_padding[0] + m_padding[1],
                    n * (h + m_padding[4]) + m_padding[2] + m_padding[3]};
    return SIZE{n * (w + m_padding[4]) + m_padding[0] + m_padding[1],
                h + m_padding[2] + m_padding[3]};
}

int CMenuWindow::AddButton(const SkinItem& item) {
    const int index = static_cast<int>(m_buttons.size());
    const int id = kFirstButtonId + index;
    Entry e;
    e.item = AddItem<CSkinWindowItemButton>(id, item);
    auto ad = item.properties.find("AutoDisable");
    e.autoDisable = ad != item.properties.end() && !ad->second.empty() && ad->second[0] == "1";
    const RECT r = e.item->GetRect();
    m_buttonSize = SIZE{r.right - r.left, r.bottom - r.top};
    int x, y;
    if (Vertical()) {
        x = m_padding[0];
        y = index * (m_buttonSize.cy + m_padding[4]) + m_padding[2];
    } else {
        x = index * (m_buttonSize.cx + m_padding[4]) + m_padding[0];
        y = m_padding[2];
    }
    e.item->SetRect(x, y, x + m_buttonSize.cx, y + m_buttonSize.cy);
    if (e.autoDisable) e.item->SetEnabled(false);
    m_buttons.push_back(std::move(e));
    const SIZE size = MenuSize();
    ::SetWindowPos(GetHandle(), nullptr, 0, 0, size.cx, size.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return id;
}

int CMenuWindow::AddSubButton(int main, const SkinItem& item) {
    if (main < 0 || main >= static_cast<int>(m_buttons.size())) return 0xFFFF;
    Entry& e = m_buttons[static_cast<size_t>(main)];
    if (!e.sub) {
        e.sub = std::make_unique<CMenuWindow>();
        e.sub->CreateMenu(GetHandle(), m_commandMessage, m_hoverMessage, static_cast<UINT>(main),
                          m_angle == 270 ? 0 : m_angle + 90);
    }
    return e.sub->AddButton(item);
}

void CMenuWindow::Open(POINT anchor, bool animate) {
    const SIZE size = MenuSize();
    POINT origin = anchor;
    switch (m_angle) {
        case 0:
            origin.x += 1;
            origin.y -= size.cy + m_padding[2] + 3;
            break;
        case 270:
            origin.x -= size.cx;
            break;
        default:
            break;
    }
    KillTimer(kCloseTimer);
    m_closing = false;
    const bool shown = IsOpen();
    const bool fade = animate && !shown && m_animation == Animation::kFade;
    if (!shown) m_depth = animate && !fade ? 0 : FullDepth();
    m_opening = m_depth < FullDepth();
    if (fade) {
        m_fading = true;
        SetButtonAlpha(0);
    }
    ApplyDepth();
    ::SetWindowPos(GetHandle(), HWND_TOPMOST, origin.x, origin.y, size.cx, size.cy,
                   SWP_NOACTIVATE | SWP_SHOWWINDOW);
    if (!shown) {
        RedrawAll();
        InvalidateRect(nullptr, false);
    }
    if (m_opening) SetTimer(kOpenTimer, 1);
    if (m_fading) SetTimer(kFadeTimer, 20);
    SetTimer(kSkinTickTimer, kSkinTickPeriod);
}

void CMenuWindow::SetButtonAlpha(int alpha) {
    m_alpha = alpha;
    for (const Entry& entry : m_buttons) entry.item->SetAlpha(alpha);
}

void CMenuWindow::Close(bool animate) {
    CloseSubMenus(m_buttons.size());
    SetKeyIndex(-1);
    KillTimer(kOpenTimer);
    m_opening = false;
    if (m_fading) {
        KillTimer(kFadeTimer);
        m_fading = false;
        SetButtonAlpha(255);
    }
    if (animate && IsOpen() && m_depth > 0) {
        m_closing = true;
        SetTimer(kCloseTimer, 1);
        return;
    }
    KillTimer(kCloseTimer);
    m_closing = false;
    m_depth = 0;
    if (!GetHandle()) return;
    ::ShowWindow(GetHandle(), SW_HIDE);
    KillTimer(kSkinTickTimer);
}

bool CMenuWindow::IsOpen() const {
    return GetHandle() && ::IsWindowVisible(GetHandle()) && !m_closing;
}

int CMenuWindow::FullDepth() const {
    const SIZE size = MenuSize();
    return Vertical() ? size.cy : size.cx;
}

void CMenuWindow::ApplyDepth() {
    if (!GetHandle()) return;
    const SIZE size = MenuSize();
    if (m_depth >= FullDepth()) {
        ::SetWindowRgn(GetHandle(), nullptr, TRUE);
        return;
    }
    // The unfolded part lies at the edge the menu grows from.
    const int d = m_depth;
    RECT r = {0, 0, size.cx, size.cy};
    switch (m_angle) {
        case 0:
            r.top = size.cy - d;
            break;
        case 90:
            r.right = d;
            break;
        case 180:
            r.bottom = d;
            break;
        default:
            r.left = size.cx - d;
            break;
    }
    ::SetWindowRgn(GetHandle(), ::CreateRectRgn(r.left, r.top, r.right, r.bottom), TRUE);
}

// Paddings and the button size were read at the old scale; the buttons
// themselves have moved by their edges.
void CMenuWindow::OnScaleChanged(int oldDpi) {
    Chain::OnScaleChanged(oldDpi);
    const bool unfolded = m_depth >= FullDepth();
    for (int& padding : m_padding) padding = ConvertCoordinate(padding, oldDpi, Dpi());
    if (!m_buttons.empty()) {
        const RECT r = m_buttons.front().item->GetRect();
        m_buttonSize = SIZE{r.right - r.left, r.bottom - r.top};
    }
    m_depth = unfolded ? FullDepth() : ConvertCoordinate(m_depth, oldDpi, Dpi());
    ApplyDepth();
}

void CMenuWindow::OnTimer(UINT_PTR id) {
    if (id == kOpenTimer) {
        m_depth = std::min(m_depth + Scale(kSlideStep), FullDepth());
        if (m_depth >= FullDepth()) {
            KillTimer(kOpenTimer);
            m_opening = false;
        }
        ApplyDepth();
        return;
    }
    if (id == kFadeTimer) {
        SetButtonAlpha(std::min(m_alpha + kFadeStep, 255));
        if (m_alpha >= 255) {
            KillTimer(kFadeTimer);
            m_fading = false;
        }
        return;
    }
    if (id == kCloseTimer) {
        m_depth = std::max(m_depth - Scale(kSlideStep), 0);
        if (m_depth > 0) return ApplyDepth();
        Close(false);
        return;
    }
    Chain::OnTimer(id);
}

void CMenuWindow::CloseSubMenus(size_t except) {
    for (size_t i = 0; i < m_buttons.size(); ++i)
        if (i != except && m_buttons[i].sub) m_buttons[i].sub->Close();
}

bool CMenuWindow::OwnsWindow(HWND window) const {
    if (window && window == GetHandle()) return true;
    for (const Entry& e : m_buttons)
        if (e.sub && e.sub->OwnsWindow(window)) return true;
    return false;
}

void CMenuWindow::SetEnableFlag(bool on) {
    m_enableFlag = on;
    for (Entry& e : m_buttons)
        if (e.sub) e.sub->SetEnableFlag(on);
}

void CMenuWindow::ApplyCardState(char drive) {
    m_drive = drive;
    for (Entry& e : m_buttons)
        if (e.autoDisable) e.item->SetEnabled(drive != 0 && m_enableFlag);
}

POINT CMenuWindow::SubMenuAnchor(size_t index) const {
    const RECT r = m_buttons[index].item->GetRect();
    // The sub-menu opens from the button's edge in its direction.
    POINT pt = {r.left, r.top};
    return ClientToScreen(pt);
}

LRESULT CMenuWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == m_sdChange) {
        ApplyCardState(static_cast<char>(wParam));
        for (Entry& e : m_buttons)
            if (e.sub) e.sub->SendMessage(m_sdChange, wParam, lParam);
        return 0;
    }
    if ((message == m_commandMessage || message == m_hoverMessage) && m_commandMessage) {
        // From a sub-menu: on to the owner unchanged.
        ::PostMessageA(m_owner, message, wParam, lParam);
        return 0;
    }
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE) return 1;
    if (message == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
    return Chain::WindowProc(message, wParam, lParam);
}

bool CMenuWindow::OnItemEvent(int id, int code, intptr_t param) {
    const int index = id - kFirstButtonId;
    if (index < 0 || index >= static_cast<int>(m_buttons.size()))
        return Chain::OnItemEvent(id, code, param);
    if (code == kItemMouseMove) {
        Entry& e = m_buttons[static_cast<size_t>(index)];
        if (e.sub && !e.sub->IsOpen()) {
            CloseSubMenus(static_cast<size_t>(index));
            // A menu folding away opens nothing more.
            if (!m_closing) e.sub->Open(SubMenuAnchor(static_cast<size_t>(index)));
        }
        ::PostMessageA(m_owner, m_hoverMessage, m_menuId, static_cast<LPARAM>(index));
        return true;
    }
    if (code == kItemMouseLeave) {
        ::PostMessageA(m_owner, m_hoverMessage, static_cast<WPARAM>(-1), static_cast<LPARAM>(-1));
        return true;
    }
    return Chain::OnItemEvent(id, code, param);
}

void CMenuWindow::OnCommand(UINT id, UINT code, HWND control) {
    const int index = static_cast<int>(id) - kFirstButtonId;
    if (code != 1 || control || index < 0 || index >= static_cast<int>(m_buttons.size()))
        return Chain::OnCommand(id, code, control);
    Entry& e = m_buttons[static_cast<size_t>(index)];
    if (e.sub) {
        if (!e.sub->IsOpen() && !m_closing) {
            CloseSubMenus(static_cast<size_t>(index));
            e.sub->Open(SubMenuAnchor(static_cast<size_t>(index)));
        }
        return;
    }
    CloseSubMenus(m_buttons.size());
    ::PostMessageA(m_owner, m_commandMessage, m_menuId, static_cast<LPARAM>(index));
}

}  // namespace ui
