#include "app/PopupWindow.h"
#include "ui/SkinWindowItemButton.h"
#include "ui/SkinWindowItemOverlay.h"
#include "ui/SkinWindowItemStatic.h"
#include "ui/SkinWindowItemStaticImage.h"

namespace ui {

CPopupWindow::~CPopupWindow() {
    if (GetHandle()) DestroyWindow();
}

void CPopupWindow::BeginPopup(const char* skinFile, const char* titleText) {
    LoadSkin(skinFile, "Base", true);
    const SkinData& skin = Skin();
    // In reading order, as a screen reader lists them: the title, the rest
    // of the caption strip left to right, then the window's own items.
    AddText(kTitleStatic, "TitleStatic", titleText);
    AddItem<CSkinWindowItemStaticImage>(kApplicationIcon, GetItem(skin, "ApplicationIcon"));
    AddButton(kCloseButton, "CloseButton");
    AddLayoutRule(kCloseButton, 2, 1, 2, 1);
    m_layoutHeight96 = 0;
}

void CPopupWindow::FinishPopup(const char* title, DWORD style) {
    // Laid over the other items, hidden until the pop-up slides out.
    if (Skin().count("ScreenOverlay")) {
        m_cover = AddItem<CSkinWindowItemOverlay>(kScreenOverlay, GetItem(Skin(), "ScreenOverlay"));
        m_cover->SetVisible(false);
    }
    SetUpFrameOverlay();
    CreateResizableWindow(nullptr, style, WS_EX_TOOLWINDOW, 0, 0);
    EnableResize(false);
    SetWindowTextA(title);
}

CSkinWindowItemStatic* CPopupWindow::AddText(int id, const char* name, const std::string& text) {
    auto* item = AddItem<CSkinWindowItemStatic>(id, GetItem(Skin(), name));
    if (!text.empty()) item->SetText(text);
    return item;
}

CSkinWindowItemButton* CPopupWindow::AddButton(int id, const char* name) {
    return AddItem<CSkinWindowItemButton>(id, GetItem(Skin(), name));
}

int CPopupWindow::LayoutHeight() {
    return m_layoutHeight96 ? Scale(m_layoutHeight96) : GetLayoutSize().cy;
}

void CPopupWindow::SlideOut() {
    RECT owner = {};
    ::GetWindowRect(m_owner, &owner);
    const int height = LayoutHeight();
    const int width = owner.right - owner.left;
    // The pop-up needs room above the launcher.
    if (owner.top < height) {
        const int shift = height - owner.top;
        ::SetWindowPos(m_owner, nullptr, owner.left, owner.top + shift, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ::OffsetRect(&owner, 0, shift);
    }
    const int overlap = Scale(4);
    m_slide =
        RECT{owner.left, owner.top + overlap - height, owner.left + width, owner.top + overlap};
    m_currentTop = m_slide.bottom;
    KillTimer(kFadeTimer);
    if (m_cover) {
        m_cover->SetAlpha(255);
        m_cover->SetVisible(true);
    }
    ::SetWindowPos(GetHandle(), m_owner, m_slide.left, m_currentTop, width, 0, SWP_NOACTIVATE);
    ::ShowWindow(GetHandle(), SW_SHOWNA);
    ::PostMessageA(m_owner, WM_SYSCOMMAND, SC_RESTORE, 0);
    ShowWindow(SW_SHOW);
    ::SetForegroundWindow(GetHandle());
    m_sliding = true;
    SetTimer(kSlideTimer, 3);
}

void CPopupWindow::FinishSlide() {
    if (m_sliding) {
        m_currentTop = m_slide.top;
        OnTimer(kSlideTimer);
    }
    if (m_cover && m_cover->IsVisible()) {
        m_cover->SetAlpha(kFadeStep);
        OnTimer(kFadeTimer);
    }
}

int CPopupWindow::CoverAlpha() const {
    if (!m_cover) return -1;
    return m_cover->IsVisible() ? m_cover->GetAlpha() : 0;
}

void CPopupWindow::OnTimer(UINT_PTR id) {
    if (id == kFadeTimer) {
        if (!m_cover) return;
        const int alpha = m_cover->GetAlpha() - kFadeStep;
        m_cover->SetAlpha(alpha);
        if (alpha <= 0) {
            KillTimer(kFadeTimer);
            m_cover->SetVisible(false);
        }
        return;
    }
    if (id != kSlideTimer) return Chain::OnTimer(id);
    if (!m_sliding) return;
    m_currentTop -= Scale(static_cast<int>(kSlideStep));
    if (m_currentTop <= m_slide.top) {
        m_currentTop = m_slide.top;
        KillTimer(kSlideTimer);
        m_sliding = false;
        if (m_cover) SetTimer(kFadeTimer, 20);
    }
    ::SetWindowPos(GetHandle(), m_owner, m_slide.left, m_currentTop, m_slide.right - m_slide.left,
                   m_slide.bottom - m_currentTop, SWP_NOACTIVATE);
}

LRESULT CPopupWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE) {
        // Escape is the close button.
        PostMessage(WM_CLOSE, 0, 0);
        return 1;
    }
    return Chain::WindowProc(message, wParam, lParam);
}

bool CPopupWindow::OnItemEvent(int id, int code, intptr_t param) {
    if (OnCommonItemEvent(GetHandle(), id, code, kCloseButton, kApplicationIcon)) return true;
    return Chain::OnItemEvent(id, code, param);
}

void CPopupWindow::OnCommand(UINT id, UINT code, HWND control) {
    if (code == 1 && !control && static_cast<int>(id) >= kFirstOwnItem) {
        OnButton(static_cast<int>(id));
        return;
    }
    Chain::OnCommand(id, code, control);
}

}  // namespace ui
