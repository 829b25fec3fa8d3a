#include <algorithm>
#include <cstring>

#include "ui/Skin.h"
#include "ui/SkinItemText.h"
#include "ui/SkinScale.h"
#include "ui/SkinScaleWin.h"
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

// The base item keeps its size.
void CSkinWindowItem::SetRect(int left, int top, int, int) {
    RedrawMoved(SetPlace(left, top, left + m_width, top + m_height));
}

RECT CSkinWindowItem::SetPlace(int left, int top, int right, int bottom) {
    const RECT old = GetRect();
    m_x = left;
    m_y = top;
    m_width = right - left;
    m_height = bottom - top;
    return old;
}

void CSkinWindowItem::RedrawMoved(const RECT& old) {
    if (!m_accessor.IsReady()) return;
    m_accessor.RedrawRect(old.left, old.top, old.right, old.bottom, false);
    m_accessor.UpdateToolTip(this);
    Redraw();
}

int CSkinWindowItem::Scaled(int v) const { return ScaleCoordinate(v, m_accessor.Dpi()); }

int CSkinWindowItem::Converted(int v, int oldDpi) const {
    return ConvertCoordinate(v, oldDpi, m_accessor.Dpi());
}

void CSkinWindowItem::Convert(RECT& rect, int oldDpi) const {
    rect = RECT{Converted(rect.left, oldDpi), Converted(rect.top, oldDpi),
                Converted(rect.right, oldDpi), Converted(rect.bottom, oldDpi)};
}

void CSkinWindowItem::Convert(SIZE& size, int oldDpi) const {
    size = SIZE{Converted(size.cx, oldDpi), Converted(size.cy, oldDpi)};
}

void CSkinWindowItem::Convert(POINT& point, int oldDpi) const {
    point = POINT{Converted(point.x, oldDpi), Converted(point.y, oldDpi)};
}

void CSkinWindowItem::Convert(lib::wfc::NineSlice& slice, int oldDpi) const {
    for (int i = 0; i < 4; ++i) {
        slice.x[i] = Converted(slice.x[i], oldDpi);
        slice.y[i] = Converted(slice.y[i], oldDpi);
    }
}

void CSkinWindowItem::Convert(lib::wfc::CFont& font, int oldDpi) const {
    ConvertFont(font, oldDpi, m_accessor.Dpi());
}

// Edges, not sizes: items that abut at one scale abut at the other.
void CSkinWindowItem::OnScaleChanged(int oldDpi) {
    RECT rect = GetRect();
    Convert(rect, oldDpi);
    SetPlace(rect.left, rect.top, rect.right, rect.bottom);
    m_dirty = true;
}

void CSkinWindowItem::SetVisible(bool visible) {
    if (m_visible == visible) return;
    m_visible = visible;
    m_accessor.UpdateToolTip(this);
    Redraw();
    Announce(SkinItemChange::kState);
}

void CSkinWindowItem::SetEnabled(bool enabled) {
    if (m_enabled == enabled) return;
    m_enabled = enabled;
    m_dirty = true;
    OnEnableChanged();
    Announce(SkinItemChange::kState);
}

std::string CSkinWindowItem::GetAccessibleName() const {
    return AccessibleNameOf(GetLabel(), m_accessibleName, GetToolTipText());
}

void CSkinWindowItem::SetAccessibleName(const std::string& name) {
    if (name == m_accessibleName) return;
    m_accessibleName = name;
    Announce(SkinItemChange::kName);
}

void CSkinWindowItem::Redraw() {
    m_dirty = true;
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
    if (HasProperty(item, "TabOrder")) {
        static const PropertySpec kTab[] = {{"TabOrder", "i"}};
        CheckProperties(item, kTab, 1);
        m_tabOrder = ReadInteger(item, "TabOrder", -1);
    }
    m_accessibleName = ReadText(item, "AccessibleName");
    m_accessibleDescription = ReadText(item, "AccessibleDescription");
}

lib::wfc::CDIB* CSkinWindowItem::BeginCompose(COLORREF fill) {
    if (!m_canvas) m_canvas = std::make_unique<lib::wfc::CDIB>();
    const bool resized = m_canvas->Width() != m_width || m_canvas->Height() != m_height;
    m_rendered = m_dirty || resized || m_canvas->IsEmpty();
    if (!m_rendered) return nullptr;
    if (resized || m_canvas->IsEmpty()) m_canvas->Create(m_width, m_height);
    m_canvas->Fill(RECT{0, 0, m_width, m_height}, fill);
    m_dirty = false;
    return m_canvas.get();
}

void CSkinWindowItem::FindRuns(COLORREF key) {
    m_runs.clear();
    const BYTE kb = GetBValue(key), kg = GetGValue(key), kr = GetRValue(key);
    for (int y = 0; y < m_canvas->Height(); ++y) {
        const BYTE* row = m_canvas->Row(y);
        int x = 0;
        const int width = m_canvas->Width();
        while (x < width) {
            while (x < width && row[x * 3] == kb && row[x * 3 + 1] == kg && row[x * 3 + 2] == kr)
                ++x;
            const int start = x;
            while (x < width && !(row[x * 3] == kb && row[x * 3 + 1] == kg && row[x * 3 + 2] == kr))
                ++x;
            if (x > start) m_runs.push_back({y, start, x});
        }
    }
}

template <class Fn>
void CSkinWindowItem::ForClippedRuns(Fn fn) {
    lib::wfc::CDIB* target = m_accessor.GetBackBuffer();
    if (!target || !m_canvas) return;
    RECT clip = m_accessor.GetRedrawClip();
    clip.left = std::max<LONG>(clip.left, 0);
    clip.top = std::max<LONG>(clip.top, 0);
    clip.right = std::min<LONG>(clip.right, target->Width());
    clip.bottom = std::min<LONG>(clip.bottom, target->Height());
    for (const Run& run : m_runs) {
        const int y = m_y + run.y;
        if (y < clip.top || y >= clip.bottom) continue;
        const int x0 = std::max<int>(m_x + run.x0, clip.left);
        const int x1 = std::min<int>(m_x + run.x1, clip.right);
        if (x0 >= x1) continue;
        fn(target->Row(y) + x0 * 3, m_canvas->Row(run.y) + (x0 - m_x) * 3, x1 - x0);
    }
}

void CSkinWindowItem::EndCompose(int alpha) {
    if (!m_canvas) return;
    if (m_rendered) FindRuns(lib::wfc::kKeyColor);
    m_rendered = false;
    alpha = std::clamp(alpha, 0, 255);
    if (alpha == 255) {
        ForClippedRuns([](BYTE* d, const BYTE* s, int n) { std::memcpy(d, s, n * 3u); });
        return;
    }
    ForClippedRuns([alpha](BYTE* d, const BYTE* s, int n) {
        for (int i = 0; i < n * 3; ++i)
            d[i] = static_cast<BYTE>(d[i] + (((s[i] - d[i]) * (alpha + 1)) >> 8));
    });
}

void CSkinWindowItem::EndComposeCoverage(COLORREF color) {
    if (!m_canvas) return;
    if (m_rendered) FindRuns(RGB(0, 0, 0));
    m_rendered = false;
    const int c[3] = {GetBValue(color), GetGValue(color), GetRValue(color)};
    ForClippedRuns([&c](BYTE* d, const BYTE* s, int n) {
        for (int i = 0; i < n; ++i, d += 3, s += 3) {
            const int coverage = s[1];
            for (int k = 0; k < 3; ++k)
                d[k] = static_cast<BYTE>(d[k] + ((c[k] - d[k]) * coverage + 127) / 255);
        }
    });
}

void CSkinWindowItem::DrawImage(const std::string& file, int sx, int sy, int width, int height,
                                int dx, int dy) {
    if (!m_canvas) return;
    const lib::wfc::CDIB& image = m_accessor.GetImageCache(file);
    m_canvas->KeyCopy(dx, dy, width, height, image, sx, sy);
}

}  // namespace ui
