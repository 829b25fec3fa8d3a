#include <algorithm>

#include "ui/Skin.h"
#include "ui/SkinRequiredKeys.h"
#include "ui/SkinWindow.h"
#include "ui/SkinWindowItemScrollBar.h"

namespace ui {

namespace {

int At(const SkinValues& values, size_t i) { return ParseSkinInteger(values[i]); }

}  // namespace

CSkinWindowItemScrollBar::CSkinWindowItemScrollBar(ISkinWindowItemAccessor& accessor, int id,
                                                   const SkinItem& item)
    : CSkinWindowItem(accessor, id) {
    static const PropertySpec kType[] = {{"Type", "s"}};
    CheckProperties(item, kType, 1);
    const std::string type = item.properties.at("Type")[0];
    if (type != "V" && type != "H")
        ShowSkinError(item.name + " 無効な スクロールタイプ(" + type + ")が指定されました");
    m_vertical = type == "V";
    CheckProperties(item, kScrollBarSpec, SpecCount(kScrollBarSpec));
    ReadRect(item);
    const auto& p = item.properties;
    m_buttonSize = SIZE{At(p.at("ButtonSize"), 0), At(p.at("ButtonSize"), 1)};
    m_thumbSize = SIZE{At(p.at("ThumbSize"), 0), At(p.at("ThumbSize"), 1)};
    for (size_t i = 0; i < 3; ++i) m_thumbPart[i] = At(p.at("ThumbPart"), i);
    const SkinValues& base = p.at("BaseImage");
    m_baseFile = base[0];
    m_base = RECT{At(base, 1), At(base, 2), At(base, 3), At(base, 4)};
    m_baseEnds[0] = At(base, 5);
    m_baseEnds[1] = At(base, 6);
    for (auto [key, states] :
         {std::make_pair("UpButtonImage", &m_up), std::make_pair("DownButtonImage", &m_down),
          std::make_pair("ThumbImage", &m_thumb)}) {
        const SkinValues& v = p.at(key);
        states->file = v[0];
        for (size_t i = 0; i < 4; ++i)
            states->corner[i] = POINT{At(v, 1 + 2 * i), At(v, 2 + 2 * i)};
        accessor.RequireImage(states->file);
    }
    for (auto [key, picture] :
         {std::make_pair("UpImage", &m_upImage), std::make_pair("DownImage", &m_downImage),
          std::make_pair("DisableUpImage", &m_disabledUpImage),
          std::make_pair("DisableDownImage", &m_disabledDownImage)}) {
        const SkinValues& v = p.at(key);
        picture->file = v[0];
        picture->rect = RECT{At(v, 1), At(v, 2), At(v, 3), At(v, 4)};
        accessor.RequireImage(picture->file);
    }
    accessor.RequireImage(m_baseFile);
    UpdateGeometry();
}

void CSkinWindowItemScrollBar::UpdateGeometry() {
    m_geometry.length = m_vertical ? m_height : m_width;
    m_geometry.button = m_vertical ? m_buttonSize.cy : m_buttonSize.cx;
    m_geometry.thumbMin = m_vertical ? m_thumbSize.cy : m_thumbSize.cx;
}

bool CSkinWindowItemScrollBar::IsEnabled() const {
    return CSkinWindowItem::IsEnabled() && m_geometry.maxPosition > 0;
}

void CSkinWindowItemScrollBar::SetRange(int maxPosition, int page) {
    m_geometry.maxPosition = std::max(maxPosition, 0);
    m_geometry.page = std::max(page, 0);
    m_geometry.position = std::clamp(m_geometry.position, 0, m_geometry.maxPosition);
    Redraw();
}

void CSkinWindowItemScrollBar::SetPosition(int position) {
    position = std::clamp(position, 0, m_geometry.maxPosition);
    if (position == m_geometry.position) return;
    m_geometry.position = position;
    Redraw();
}

void CSkinWindowItemScrollBar::SetRect(int left, int top, int right, int bottom) {
    const RECT old = SetPlace(left, top, right, bottom);
    UpdateGeometry();
    RedrawMoved(old);
}

void CSkinWindowItemScrollBar::Act() {
    const UINT message = m_vertical ? WM_VSCROLL : WM_HSCROLL;
    switch (m_pressedPart) {
        case kScrollUp:
            if (m_geometry.position > 0) Accessor().SendToWindow(message, SB_LINEUP, 0);
            break;
        case kScrollDown:
            if (m_geometry.position < m_geometry.maxPosition)
                Accessor().SendToWindow(message, SB_LINEDOWN, 0);
            break;
        case kScrollTrackBefore:
        case kScrollTrackAfter:
            // Until the thumb reaches the pointer.
            if (m_geometry.PartAt(m_pointer) == m_pressedPart)
                Accessor().SendToWindow(
                    message, m_pressedPart == kScrollTrackBefore ? SB_PAGEUP : SB_PAGEDOWN, 0);
            break;
        default:
            break;
    }
}

bool CSkinWindowItemScrollBar::OnLButtonDown(int x, int y) {
    if (!IsEnabled() || m_pressedPart != kScrollNone) return false;
    m_pointer = Along(x, y);
    const int part = m_geometry.PartAt(m_pointer);
    if (part == kScrollNone) return false;
    m_pressedPart = part;
    if (part == kScrollThumb) {
        m_dragStart = m_pointer;
        m_dragPosition = m_geometry.position;
    } else {
        m_nextRepeat = SkinTickCount() + kFirstRepeat;
        Act();
    }
    Redraw();
    return true;
}

void CSkinWindowItemScrollBar::OnMouseMove(int x, int y) {
    if (m_pressedPart == kScrollNone) {
        const int hot =
            IsEnabled() && Contains(x, y) ? m_geometry.PartAt(Along(x, y)) : kScrollNone;
        if (hot != m_hotPart) {
            m_hotPart = hot;
            Redraw();
        }
        return;
    }
    m_pointer = Along(x, y);
    if (m_pressedPart == kScrollThumb) {
        const int position = m_geometry.DragPosition(m_dragPosition, m_pointer - m_dragStart);
        if (position != m_geometry.position) {
            const UINT message = m_vertical ? WM_VSCROLL : WM_HSCROLL;
            Accessor().SendToWindow(message, MAKEWPARAM(SB_THUMBTRACK, static_cast<WORD>(position)),
                                    0);
        }
    }
}

void CSkinWindowItemScrollBar::OnLButtonUp(int, int) {
    if (m_pressedPart == kScrollNone) return;
    m_pressedPart = kScrollNone;
    Redraw();
}

void CSkinWindowItemScrollBar::OnMouseLeave() {
    if (m_hotPart == kScrollNone) return;
    m_hotPart = kScrollNone;
    Redraw();
}

void CSkinWindowItemScrollBar::OnTick(DWORD tickCount) {
    if (m_pressedPart == kScrollNone || m_pressedPart == kScrollThumb) return;
    if (static_cast<int32_t>(tickCount - m_nextRepeat) < 0) return;
    m_nextRepeat += kRepeat;
    Act();
}

void CSkinWindowItemScrollBar::DrawPart(lib::wfc::CDIB& canvas, const States& states, int state,
                                        int start, int length, bool stretch) {
    const lib::wfc::CDIB& image = Accessor().GetImageCache(states.file);
    const POINT c = states.corner[state];
    const int across = m_vertical ? m_width : m_height;
    if (!stretch) {
        if (m_vertical)
            canvas.KeyCopy(0, start, across, length, image, c.x, c.y);
        else
            canvas.KeyCopy(start, 0, length, across, image, c.x, c.y);
        return;
    }
    // The thumb: its ends as they are, its middle stretched to the length.
    lib::wfc::NineSlice slice = {};
    const int a = m_thumbPart[0], b = m_thumbPart[1], e = m_thumbPart[2];
    if (m_vertical) {
        slice = {{c.x, c.x, c.x + across, c.x + across},
                 {c.y, c.y + a, c.y + a + b, c.y + a + b + e}};
        lib::wfc::DrawNineSlice(canvas, RECT{0, start, across, start + length}, nullptr, image,
                                slice, 255, lib::wfc::kKeyColor, lib::wfc::SliceFill::Stretch);
    } else {
        slice = {{c.x, c.x + a, c.x + a + b, c.x + a + b + e},
                 {c.y, c.y, c.y + across, c.y + across}};
        lib::wfc::DrawNineSlice(canvas, RECT{start, 0, start + length, across}, nullptr, image,
                                slice, 255, lib::wfc::kKeyColor, lib::wfc::SliceFill::Stretch);
    }
}

void CSkinWindowItemScrollBar::DrawPicture(lib::wfc::CDIB& canvas, const Picture& picture,
                                           int start, int length) {
    const int w = picture.rect.right - picture.rect.left,
              h = picture.rect.bottom - picture.rect.top;
    const int x = m_vertical ? (m_width - w) / 2 : start + (length - w) / 2;
    const int y = m_vertical ? start + (length - h) / 2 : (m_height - h) / 2;
    canvas.KeyCopy(x, y, w, h, Accessor().GetImageCache(picture.file), picture.rect.left,
                   picture.rect.top);
}

void CSkinWindowItemScrollBar::Draw() {
    if (lib::wfc::CDIB* picture = BeginCompose()) {
        lib::wfc::CDIB& canvas = *picture;
        // The track with its fixed ends.
        lib::wfc::NineSlice base = {};
        const RECT& r = m_base;
        if (m_vertical)
            base = {{r.left, r.left, r.right, r.right},
                    {r.top, r.top + m_baseEnds[0], r.bottom - m_baseEnds[1], r.bottom}};
        else
            base = {{r.left, r.left + m_baseEnds[0], r.right - m_baseEnds[1], r.right},
                    {r.top, r.top, r.bottom, r.bottom}};
        lib::wfc::DrawNineSlice(canvas, RECT{0, 0, m_width, m_height}, nullptr,
                                Accessor().GetImageCache(m_baseFile), base, 255,
                                lib::wfc::kKeyColor, lib::wfc::SliceFill::Stretch);
        const bool enabled = IsEnabled();
        auto state = [&](int part) {
            return (m_pressedPart == part ? 2 : 0) + (m_hotPart == part ? 1 : 0);
        };
        const int button = m_geometry.button, length = m_geometry.length;
        DrawPart(canvas, m_up, state(kScrollUp), 0, button, false);
        DrawPart(canvas, m_down, state(kScrollDown), length - button, button, false);
        DrawPicture(canvas, enabled ? m_upImage : m_disabledUpImage, 0, button);
        DrawPicture(canvas, enabled ? m_downImage : m_disabledDownImage, length - button, button);
        if (enabled)
            DrawPart(canvas, m_thumb, state(kScrollThumb), m_geometry.ThumbStart(),
                     m_geometry.ThumbLength(), true);
    }
    EndCompose();
}

void CSkinWindowItemScrollBar::OnScaleChanged(int oldDpi) {
    CSkinWindowItem::OnScaleChanged(oldDpi);
    Convert(m_buttonSize, oldDpi);
    Convert(m_thumbSize, oldDpi);
    for (int& part : m_thumbPart) part = Converted(part, oldDpi);
    Convert(m_base, oldDpi);
    for (int& end : m_baseEnds) end = Converted(end, oldDpi);
    for (States* states : {&m_up, &m_down, &m_thumb})
        for (POINT& corner : states->corner) Convert(corner, oldDpi);
    for (Picture* picture : {&m_upImage, &m_downImage, &m_disabledUpImage, &m_disabledDownImage})
        Convert(picture->rect, oldDpi);
    UpdateGeometry();
}

}  // namespace ui
