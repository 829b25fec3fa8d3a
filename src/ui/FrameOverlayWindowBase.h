#pragma once
// CFrameOverlayWindowBase: adds a translucent frame overlay that covers the
// whole window on demand. Each window has its own overlay message number;
// the process keeps a registry of the windows and their numbers so that one
// sender can shade or hide them all.
//   wParam 0: lParam non-zero shows the overlay (when the window permits
//             it), 0 hides it (always);
//   wParam 1: hides the window (a visible top-level one) and remembers it;
//   wParam 2: shows a window so hidden again, without activating it.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "ui/Skin.h"
#include "ui/SkinWindowItemOverlay.h"

namespace ui {

namespace FrameOverlayWindowBase {

enum : WPARAM {
    kOverlayShowHide = 0,
    kOverlayHideAll = 1,
    kOverlayShowAll = 2,
};

// The per-window half of the hide-all and show-all requests.
class CBaseFunc {
public:
    void HideAll(HWND window);
    void ShowAll(HWND window);
    bool IsHiddenByAll() const { return m_hiddenByAll; }

private:
    bool m_hiddenByAll = false;
};

// The process-wide registry (guarded; windows of any thread may enter).
void RegisterWindow(HWND window, UINT message);
void UnregisterWindow(HWND window);
std::vector<std::pair<HWND, UINT>> RegisteredWindows();
// The flag every window posts itself at creation (initially off).
bool GetOverlayFlag();
void SetOverlayFlag(bool on);
// Posts the overlay request to every registered window with its own number.
void PostToAll(WPARAM wParam, LPARAM lParam);

}  // namespace FrameOverlayWindowBase

template <class Base>
class CFrameOverlayWindowBase : public Base {
public:
    // An item id no window uses for its own items.
    static constexpr int kFrameOverlayItemId = 0x7FFF0F00;

    explicit CFrameOverlayWindowBase(const char* frameOverlayItemName)
        : m_overlayName(frameOverlayItemName) {}

    // Called by each window at the end of its set-up, after its items: the
    // overlay covers the client area, is anchored to all four edges and
    // starts hidden.
    void SetUpFrameOverlay() {
        m_overlay = this->template AddItem<CSkinWindowItemOverlay>(
            kFrameOverlayItemId, GetItem(this->Skin(), m_overlayName));
        const RECT layout = this->GetLayoutRect();
        m_overlay->SetRect(0, 0, layout.right, layout.bottom);
        this->AddLayoutRule(kFrameOverlayItemId, 1, 1, 2, 2);
        m_overlay->SetVisible(false);
        m_overlaySetUp = true;
    }
    bool IsFrameOverlaySetUp() const { return m_overlaySetUp; }
    CSkinWindowItemOverlay* FrameOverlayItem() const { return m_overlay; }
    const FrameOverlayWindowBase::CBaseFunc& BaseFunc() const { return m_baseFunc; }

    // The window's own overlay message number.
    virtual UINT GetFrameOverlayMessage() = 0;
    // Whether a request to show the overlay is followed.
    virtual bool IsFrameOverlayPermitted() { return true; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        const UINT overlay = GetFrameOverlayMessage();
        if (overlay != 0 && message == overlay) {
            OnFrameOverlay(wParam, lParam);
            return 0;
        }
        if (message == WM_CREATE) {
            const LRESULT result = Base::WindowProc(message, wParam, lParam);
            if (result != -1 && m_overlaySetUp && overlay != 0) {
                FrameOverlayWindowBase::RegisterWindow(this->GetHandle(), overlay);
                this->PostMessage(overlay, FrameOverlayWindowBase::kOverlayShowHide,
                                  FrameOverlayWindowBase::GetOverlayFlag() ? 1 : 0);
            }
            return result;
        }
        if (message == WM_DESTROY) FrameOverlayWindowBase::UnregisterWindow(this->GetHandle());
        return Base::WindowProc(message, wParam, lParam);
    }

private:
    void OnFrameOverlay(WPARAM wParam, LPARAM lParam) {
        switch (wParam) {
            case FrameOverlayWindowBase::kOverlayShowHide: {
                if (!m_overlay) return;
                const bool visible = lParam != 0 && IsFrameOverlayPermitted();
                if (lParam != 0 && !visible) return;
                if (visible == m_overlay->IsVisible()) return;
                m_overlay->SetVisible(visible);
                // The overlay takes the window's size only when drawn: compose it all.
                this->RedrawAll();
                this->InvalidateRect(nullptr, false);
                return;
            }
            case FrameOverlayWindowBase::kOverlayHideAll:
                m_baseFunc.HideAll(this->GetHandle());
                return;
            case FrameOverlayWindowBase::kOverlayShowAll:
                m_baseFunc.ShowAll(this->GetHandle());
                return;
            default:
                return;
        }
    }

    std::string m_overlayName;
    CSkinWindowItemOverlay* m_overlay = nullptr;
    bool m_overlaySetUp = false;
    FrameOverlayWindowBase::CBaseFunc m_baseFunc;
};

}  // namespace ui
