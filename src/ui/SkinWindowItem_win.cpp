#include <algorithm>

#include "ui/Skin.h"
#include "ui/SkinWindowItem.h"
#include "wfc/DIB.h"

namespace ui {

CSkinWindowItem::CSkinWindowItem(ISkinWindowItemAccessor& accessor, int id)
    : m_accessor(accessor), m_id(id) {}

CSkinWindowItem::~CSkinWindowItem() = default;

intptr_t CSkinWindowItem::Control(int, intptr_t, intptr_t) { return 0; }
void CSkinWindowItem::OnMouseMove(int, int) {}
bool CSkinWindowItem::OnLButtonDown(int, int) { return false; }
void CSkinWindowItem::OnLButtonUp(int, int) {}
bool CSkinWindowItem::OnRButtonDown(int, int) { return false; }
void CSkinWindowItem::OnRButtonUp(int, int) {}
bool CSkinWindowItem::OnSetCursor(int, int) { return false; }
void CSkinWindowItem::OnTick(DWORD) {}
void CSkinWindowItem::OnAttach(HWND) {}
bool CSkinWindowItem::FilterMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

void CSkinWindowItem::SetRect(int left, int top, int, int) {
    const RECT old = GetRect();
    m_x = left;
    m_y = top;
    if (m_accessor.IsReady()) {
        m_accessor.RedrawRect(old.left, old.top, old.right, old.bottom, false);
        m_accessor.UpdateToolTip(this);
        Redraw();
    }
}

void CSkinWindowItem::SetVisible(bool visible) {
    if (m_visible == visible) return;
    m_visible = visible;
    m_accessor.UpdateToolTip(this);
    Redraw();
}

void CSkinWindowItem::SetEnabled(bool enabled) {
    if (m_enabled == enabled) return;
    m_enabled = enabled;
    OnEnableChanged();
}

void CSkinWindowItem::Redraw() {
    if (!m_accessor.IsReady()) return;
    m_accessor.RedrawRect(m_x, m_y, m_x + m_width, m_y + m_height, true);
}

void CSkinWindowItem::ReadRect(const SkinItem& item) {
    static const PropertySpec kRect[] = {{"Position", "ii"}, {"Size", "ii"}};
    CheckProperties(item, kRect, 2);
    const SkinRect r = ToItemRect(item.properties.at("Position"), item.properties.at("Size"));
    m_x = r.left;
    m_y = r.top;
    m_width = r.right - r.left;
    m_height = r.bottom - r.top;
}

lib::wfc::CDIB& CSkinWindowItem::BeginCompose() {
    if (!m_canvas) m_canvas = std::make_unique<lib::wfc::CDIB>();
    if (m_canvas->Width() != m_width || m_canvas->Height() != m_height)
        m_canvas->Create(m_width, m_height);
    m_canvas->Fill(RECT{0, 0, m_width, m_height}, lib::wfc::kKeyColor);
    return *m_canvas;
}

lib::wfc::CDIB& CSkinWindowItem::BeginComposeOver() {
    lib::wfc::CDIB& canvas = BeginCompose();
    if (lib::wfc::CDIB* back = m_accessor.GetBackBuffer())
        canvas.Copy(0, 0, m_width, m_height, *back, m_x, m_y);
    return canvas;
}

void CSkinWindowItem::EndCompose(int alpha) {
    lib::wfc::CDIB* target = m_accessor.GetBackBuffer();
    if (!target || !m_canvas) return;
    // Only inside the part being composed: a blended item must not be blended twice.
    const RECT clip = m_accessor.GetRedrawClip();
    const int left = std::max<int>(m_x, clip.left), top = std::max<int>(m_y, clip.top);
    const int right = std::min<int>(m_x + m_width, clip.right);
    const int bottom = std::min<int>(m_y + m_height, clip.bottom);
    if (left >= right || top >= bottom) return;
    target->Compose(left, top, right - left, bottom - top, *m_canvas, left - m_x, top - m_y, alpha,
                    static_cast<long>(lib::wfc::kKeyColor));
}

void CSkinWindowItem::DrawImage(const std::string& file, int sx, int sy, int width, int height,
                                int dx, int dy) {
    if (!m_canvas) return;
    const lib::wfc::CDIB& image = m_accessor.GetImageCache(file);
    m_canvas->KeyCopy(dx, dy, width, height, image, sx, sy);
}

}  // namespace ui
