#pragma once
// CResizableSkinWindow: the base of every window of the program. The
// background is stretched by nine slices so the window can take any size;
// the user resizes it by its skinned borders (the window does the dragging
// itself, with the mouse captured), never below MinSize; a CLayoutManager
// moves and resizes the items when the size changes.
#include <windows.h>

#include "ui/LayoutManager.h"
#include "ui/ResizableDIBHelper.h"
#include "ui/SkinWindow.h"

namespace ui {

// Where a client point lies for resizing.
enum ResizeZone : int {
    kZoneTopLeft = 0,
    kZoneTop = 1,
    kZoneTopRight = 2,
    kZoneLeft = 3,
    kZoneInside = 4,
    kZoneRight = 5,
    kZoneBottomLeft = 6,
    kZoneBottom = 7,
    kZoneBottomRight = 8,
    kZoneCaption = 10,
    kZoneNone = 11,
};

class CResizableSkinWindow : public CSkinWindow, private ILayoutItems {
public:
    // The corner bands beside each border, in 96-DPI pixels.
    static constexpr int kCornerBand = 16;
    // SetWindowPos flags of a resize step: no z-order, no activation, no
    // copied bits, no owner z-order.
    static constexpr UINT kResizeFlags = 0x314;

    CResizableSkinWindow();
    ~CResizableSkinWindow() override;

    // Creates the window at x, y (screen) with the client size of the layout
    // rectangle, so that the items start where the skin puts them.
    HWND CreateResizableWindow(HWND parent, DWORD style, DWORD exStyle, int x, int y);

    void EnableResize(bool enable) { m_resizeEnabled = enable; }
    bool IsResizeEnabled() const { return m_resizeEnabled; }
    int BorderWidth() const { return m_borderWidth; }
    SIZE MinSize() const { return m_minSize; }
    CLayoutManager& LayoutManager() { return m_layout; }
    // The rule of an item (anchor modes of left, top, right, bottom).
    bool AddLayoutRule(int itemId, int leftMode, int topMode, int rightMode, int bottomMode) {
        return m_layout.AddLayoutRule(itemId, leftMode, topMode, rightMode, bottomMode);
    }
    // The zone of a client point (kZoneNone outside the client area).
    int ZoneAt(int x, int y) const;
    // The zone of the resize drag in progress, kZoneNone without one.
    int DragZone() const { return m_zone; }

    // --- the skin window's virtual operations --------------------------------------------
    SIZE GetMinimumWindowSize() override { return m_minSize; }
    SIZE GetLayoutSize() override { return m_layoutSize; }
    RECT GetLayoutRect() override;
    void ApplyBaseItem(const SkinItem& item) override;
    void AdjustSize(int& width, int& height) override;
    void DrawBackground(lib::wfc::CDIB& target, const lib::wfc::CDIB& source,
                        const RECT& sourceRect) override;
    void Layout(UINT flags, int width, int height) override;
    void OnScaleChanged(int oldDpi) override;

protected:
    bool OnSetCursor(HWND window, UINT hitTest, UINT mouseMessage) override;
    void OnMouseMove(UINT flags, int x, int y) override;
    void OnLButtonDown(UINT flags, int x, int y) override;
    void OnLButtonUp(UINT flags, int x, int y) override;
    void OnCaptureChanged(HWND newCapture) override;
    bool OnSizing(UINT edge, RECT* rect) override;
    LRESULT OnNcHitTest(int x, int y) override;
    void OnExitSizeMove() override;

private:
    bool GetItemRect(int id, LayoutRect& rect) override;
    void SetItemRect(int id, const LayoutRect& rect) override;
    bool CanResize() const;
    void DragTo(POINT screen);

    int m_borderWidth = 0;
    int m_divPoint[4] = {};
    SIZE m_minSize = {};
    SIZE m_layoutSize = {};
    bool m_resizeEnabled = true;
    CLayoutManager m_layout;
    int m_zone = kZoneNone;
    POINT m_dragStart = {};
    RECT m_dragRect = {};
    RECT m_limits = {};  // left at most, top at most, right at least, bottom at least
};

// The edge code WM_SIZING carries for a zone (0 for zones that move no edge).
UINT SizingEdgeOfZone(int zone);

}  // namespace ui
