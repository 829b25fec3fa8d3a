#include <algorithm>

#include "common/KilnLog.h"
#include "ui/ResizableSkinWindow.h"
#include "ui/SkinRequiredKeys.h"
#include "wfc/Library.h"

namespace ui {

namespace {

// Zones by row (0 top border .. 5 bottom border) and column (0 left border ..
// 4 right border). Rows 2 and 3 answer alike, so the caption-height row is
// not told apart from the middle.
const int kZoneTable[6][5] = {
    {kZoneTopLeft, kZoneTopLeft, kZoneTop, kZoneTopRight, kZoneTopRight},
    {kZoneTopLeft, kZoneTopLeft, kZoneCaption, kZoneTopRight, kZoneTopRight},
    {kZoneLeft, kZoneInside, kZoneInside, kZoneInside, kZoneRight},
    {kZoneLeft, kZoneInside, kZoneInside, kZoneInside, kZoneRight},
    {kZoneBottomLeft, kZoneBottomLeft, kZoneInside, kZoneBottomRight, kZoneBottomRight},
    {kZoneBottomLeft, kZoneBottomLeft, kZoneBottom, kZoneBottomRight, kZoneBottomRight},
};

bool IsBorderZone(int zone) {
    return zone >= kZoneTopLeft && zone <= kZoneBottomRight && zone != kZoneInside;
}
bool MovesLeft(int zone) {
    return zone == kZoneTopLeft || zone == kZoneLeft || zone == kZoneBottomLeft;
}
bool MovesRight(int zone) {
    return zone == kZoneTopRight || zone == kZoneRight || zone == kZoneBottomRight;
}
bool MovesTop(int zone) {
    return zone == kZoneTopLeft || zone == kZoneTop || zone == kZoneTopRight;
}
bool MovesBottom(int zone) {
    return zone == kZoneBottomLeft || zone == kZoneBottom || zone == kZoneBottomRight;
}

}  // namespace

UINT SizingEdgeOfZone(int zone) {
    switch (zone) {
        case kZoneTopLeft:
            return WMSZ_TOPLEFT;
        case kZoneTop:
            return WMSZ_TOP;
        case kZoneTopRight:
            return WMSZ_TOPRIGHT;
        case kZoneLeft:
            return WMSZ_LEFT;
        case kZoneRight:
            return WMSZ_RIGHT;
        case kZoneBottomLeft:
            return WMSZ_BOTTOMLEFT;
        case kZoneBottom:
            return WMSZ_BOTTOM;
        case kZoneBottomRight:
            return WMSZ_BOTTOMRIGHT;
        default:
            return 0;
    }
}

CResizableSkinWindow::CResizableSkinWindow() : m_layout(*this) {}

CResizableSkinWindow::~CResizableSkinWindow() = default;

HWND CResizableSkinWindow::CreateResizableWindow(HWND parent, DWORD style, DWORD exStyle, int x,
                                                 int y) {
    RECT rect = GetLayoutRect();
    ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    return CreatePlaced(parent, style, exStyle,
                        RECT{x, y, x + rect.right - rect.left, y + rect.bottom - rect.top});
}

RECT CResizableSkinWindow::GetLayoutRect() {
    return RECT{0, 0, std::max(m_minSize.cx, m_layoutSize.cx),
                std::max(m_minSize.cy, m_layoutSize.cy)};
}

void CResizableSkinWindow::ApplyBaseItem(const SkinItem& item) {
    CSkinWindow::ApplyBaseItem(item);
    CheckProperties(item, kResizableBaseSpec, SpecCount(kResizableBaseSpec));
    const auto& p = item.properties;
    m_borderWidth = std::max(ParseSkinInteger(p.at("BorderWidth")[0]), 0);
    for (int i = 0; i < 4; ++i) m_divPoint[i] = ParseSkinInteger(p.at("DivPoint")[i]);
    m_minSize = SIZE{ParseSkinInteger(p.at("MinSize")[0]), ParseSkinInteger(p.at("MinSize")[1])};
    m_layoutSize =
        SIZE{ParseSkinInteger(p.at("LayoutSize")[0]), ParseSkinInteger(p.at("LayoutSize")[1])};
    m_layout.SetBaseSize(m_layoutSize.cx, m_layoutSize.cy);
}

void CResizableSkinWindow::OnScaleChanged(int oldDpi) {
    CSkinWindow::OnScaleChanged(oldDpi);
    m_layout.ConvertOffsets(oldDpi, Dpi());
}

void CResizableSkinWindow::AdjustSize(int& width, int& height) {
    width = std::max<int>(width, m_minSize.cx);
    height = std::max<int>(height, m_minSize.cy);
}

void CResizableSkinWindow::DrawBackground(lib::wfc::CDIB& target, const lib::wfc::CDIB& source,
                                          const RECT& sourceRect) {
    NineSliceImage image;
    image.source = &source;
    image.slice = CResizableDIBHelper::FromDivPoints(sourceRect, m_divPoint[0], m_divPoint[1],
                                                     m_divPoint[2], m_divPoint[3]);
    // Only the part being composed; the slices are laid over the whole buffer.
    const RECT clip = GetRedrawClip();
    CResizableDIBHelper::Draw(target, RECT{0, 0, target.Width(), target.Height()}, &clip, image,
                              255, lib::wfc::kNoKey);
}

void CResizableSkinWindow::Layout(UINT flags, int width, int height) {
    // The old back buffer goes first: items moved by the rules would
    // otherwise compose into it, only to be composed again below.
    if (lib::wfc::CDIB* back = BackBuffer()) back->Destroy();
    m_layout.Resize(width, height);
    CSkinWindow::Layout(flags, width, height);
}

bool CResizableSkinWindow::GetItemRect(int id, LayoutRect& rect) {
    CSkinWindowItem* item = GetItemById(id);
    if (!item) return false;
    const RECT r = item->GetRect();
    rect = LayoutRect{r.left, r.top, r.right, r.bottom};
    return true;
}

void CResizableSkinWindow::SetItemRect(int id, const LayoutRect& rect) {
    if (CSkinWindowItem* item = GetItemById(id))
        item->SetRect(rect.left, rect.top, rect.right, rect.bottom);
}

// --- resizing by the borders ---------------------------------------------------------------

int CResizableSkinWindow::ZoneAt(int x, int y) const {
    const RECT client = GetClientRect();
    const int width = client.right, height = client.bottom;
    if (x < 0 || y < 0 || x >= width || y >= height) return kZoneNone;
    if (HitTest(x, y)) return kZoneInside;
    const int border = m_borderWidth;
    const int band = border > 0 ? Scale(kCornerBand) : 0;
    int column = 2;
    if (x < border)
        column = 0;
    else if (x < border + band)
        column = 1;
    else if (x >= width - border)
        column = 4;
    else if (x >= width - border - band)
        column = 3;
    int row = 3;
    if (y < border)
        row = 0;
    else if (y < border + band)
        row = 1;
    else if (y >= height - border)
        row = 5;
    else if (y >= height - border - band)
        row = 4;
    return kZoneTable[row][column];
}

bool CResizableSkinWindow::CanResize() const {
    return m_resizeEnabled && !(::GetWindowLongA(GetHandle(), GWL_STYLE) & WS_MAXIMIZE);
}

LRESULT CResizableSkinWindow::OnNcHitTest(int x, int y) {
    const POINT pt = ScreenToClient(POINT{x, y});
    const int zone = ZoneAt(pt.x, pt.y);
    // The window resizes itself: its borders are client area to the system.
    if (IsBorderZone(zone)) return HTCLIENT;
    if (zone == kZoneCaption) return HTCAPTION;
    return CSkinWindow::OnNcHitTest(x, y);
}

bool CResizableSkinWindow::OnSetCursor(HWND window, UINT hitTest, UINT mouseMessage) {
    if (CanResize()) {
        POINT pt = {};
        ::GetCursorPos(&pt);
        pt = ScreenToClient(pt);
        const int zone = m_zone != kZoneNone ? m_zone : ZoneAt(pt.x, pt.y);
        LPCSTR cursor = nullptr;
        switch (zone) {
            case kZoneTopLeft:
            case kZoneBottomRight:
                cursor = IDC_SIZENWSE;
                break;
            case kZoneTop:
            case kZoneBottom:
                cursor = IDC_SIZENS;
                break;
            case kZoneTopRight:
            case kZoneBottomLeft:
                cursor = IDC_SIZENESW;
                break;
            case kZoneLeft:
            case kZoneRight:
                cursor = IDC_SIZEWE;
                break;
            default:
                break;
        }
        if (cursor) {
            ::SetCursor(::LoadCursorA(nullptr, cursor));
            return true;
        }
    }
    return CSkinWindow::OnSetCursor(window, hitTest, mouseMessage);
}

void CResizableSkinWindow::OnLButtonDown(UINT flags, int x, int y) {
    const int zone = ZoneAt(x, y);
    if (!IsBorderZone(zone) || !CanResize()) {
        CSkinWindow::OnLButtonDown(flags, x, y);
        return;
    }
    m_zone = zone;
    m_dragStart = ClientToScreen(POINT{x, y});
    m_dragRect = GetWindowRect();
    m_limits = RECT{m_dragRect.right - m_minSize.cx, m_dragRect.bottom - m_minSize.cy,
                    m_dragRect.left + m_minSize.cx, m_dragRect.top + m_minSize.cy};
    ::SetCapture(GetHandle());
}

void CResizableSkinWindow::OnMouseMove(UINT flags, int x, int y) {
    if (m_zone == kZoneNone || ::GetCapture() != GetHandle()) {
        CSkinWindow::OnMouseMove(flags, x, y);
        return;
    }
    DragTo(ClientToScreen(POINT{x, y}));
}

void CResizableSkinWindow::OnLButtonUp(UINT flags, int x, int y) {
    if (m_zone == kZoneNone) {
        CSkinWindow::OnLButtonUp(flags, x, y);
        return;
    }
    DragTo(ClientToScreen(POINT{x, y}));
    m_zone = kZoneNone;
    ::ReleaseCapture();
    SendMessage(WM_EXITSIZEMOVE);
}

void CResizableSkinWindow::OnCaptureChanged(HWND newCapture) {
    if (m_zone != kZoneNone && newCapture != GetHandle()) m_zone = kZoneNone;
    CSkinWindow::OnCaptureChanged(newCapture);
}

void CResizableSkinWindow::DragTo(POINT screen) {
    const int dx = screen.x - m_dragStart.x, dy = screen.y - m_dragStart.y;
    RECT rect = m_dragRect;
    if (MovesLeft(m_zone)) rect.left = std::min<LONG>(m_dragRect.left + dx, m_limits.left);
    if (MovesRight(m_zone)) rect.right = std::max<LONG>(m_dragRect.right + dx, m_limits.right);
    if (MovesTop(m_zone)) rect.top = std::min<LONG>(m_dragRect.top + dy, m_limits.top);
    if (MovesBottom(m_zone)) rect.bottom = std::max<LONG>(m_dragRect.bottom + dy, m_limits.bottom);
    SendMessage(WM_SIZING, SizingEdgeOfZone(m_zone), reinterpret_cast<LPARAM>(&rect));
    const RECT now = GetWindowRect();
    if (::EqualRect(&now, &rect)) return;
    ::SetWindowPos(GetHandle(), nullptr, rect.left, rect.top, rect.right - rect.left,
                   rect.bottom - rect.top, kResizeFlags);
}

bool CResizableSkinWindow::OnSizing(UINT edge, RECT* rect) {
    if (!rect) return false;
    const int maxWidth = ::GetSystemMetrics(SM_CXMAXTRACK);
    const int maxHeight = ::GetSystemMetrics(SM_CYMAXTRACK);
    const bool left = edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT;
    const bool top = edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT;
    if (rect->right - rect->left > maxWidth) {
        if (left)
            rect->left = rect->right - maxWidth;
        else
            rect->right = rect->left + maxWidth;
    }
    if (rect->bottom - rect->top > maxHeight) {
        if (top)
            rect->top = rect->bottom - maxHeight;
        else
            rect->bottom = rect->top + maxHeight;
    }
    return true;
}

void CResizableSkinWindow::OnExitSizeMove() {
    const RECT rect = GetWindowRect();
    if (!::MonitorFromRect(&rect, MONITOR_DEFAULTTONULL)) {
        // Back onto the nearest monitor, inside its work area.
        MONITORINFO info = {};
        info.cbSize = sizeof info;
        HMONITOR monitor = ::MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST);
        if (monitor && ::GetMonitorInfoA(monitor, &info)) {
            const RECT place = lib::wfc::KeepInsideArea(rect, info.rcWork);
            ::SetWindowPos(GetHandle(), nullptr, place.left, place.top, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        } else {
            KILNLOG.Log(LOG_ERROR,
                        "CResizableSkinWindow::OnExitSizeMove - モニタ情報取得失敗 ERR:0x%08X",
                        static_cast<unsigned>(::GetLastError()));
        }
    }
    DefaultProc();
}

}  // namespace ui
