#include <algorithm>

#include "ui/Skin.h"
#include "ui/SkinItemRules.h"
#include "ui/SkinItemText.h"
#include "ui/SkinWindowItemButton.h"
#include "wfc/DIB.h"

namespace ui {

namespace {

const PropertySpec kButtonSpec[] = {{"NormalImage", "sii"},    {"PushImage", "sii"},
                                    {"HotNormalImage", "sii"}, {"HotPushImage", "sii"},
                                    {"PushImageShift", "ii"},  {"ToolTipText", "s"}};

}  // namespace

CSkinWindowItemButton::Face CSkinWindowItemButton::ReadFace(const SkinItem& item, const char* key) {
    Face face;
    auto found = item.properties.find(key);
    if (found == item.properties.end()) return face;
    const PropertySpec spec[] = {{key, "sii"}};
    CheckProperties(item, spec, 1);
    face.file = found->second[0];
    face.x = ParseSkinInteger(found->second[1]);
    face.y = ParseSkinInteger(found->second[2]);
    face.present = true;
    return face;
}

CSkinWindowItemButton::CSkinWindowItemButton(ISkinWindowItemAccessor& accessor, int id,
                                             const SkinItem& item)
    : CSkinWindowItem(accessor, id) {
    ReadRect(item);
    CheckProperties(item, kButtonSpec, sizeof kButtonSpec / sizeof kButtonSpec[0]);
    m_faceSize = SIZE{m_width, m_height};
    const char* faceKeys[4] = {"NormalImage", "HotNormalImage", "PushImage", "HotPushImage"};
    for (int i = 0; i < 4; ++i) m_faces[i] = ReadFace(item, faceKeys[i]);
    const SkinValues& shift = item.properties.at("PushImageShift");
    m_shift = POINT{ParseSkinInteger(shift[0]), ParseSkinInteger(shift[1])};
    m_toolTip = Unescape(item.properties.at("ToolTipText")[0]);
    m_toolTipChecked =
        HasProperty(item, "ToolTipTextP") ? ReadText(item, "ToolTipTextP") : m_toolTip;

    if (HasProperty(item, "Image")) {
        static const PropertySpec kIcon[] = {{"Image", "sii"}, {"ImageSize", "ii"}};
        CheckProperties(item, kIcon, 2);
        m_icon = ReadFace(item, "Image");
        const SkinValues& size = item.properties.at("ImageSize");
        m_iconSize = SIZE{ParseSkinInteger(size[0]), ParseSkinInteger(size[1])};
    }
    m_iconChecked = ReadFace(item, "ImageP");
    m_disabled = ReadFace(item, "DisableImage");
    m_disabledChecked = ReadFace(item, "DisableImageP");
    if (HasProperty(item, "Text")) {
        static const PropertySpec kText[] = {{"Text", "s"}, {"Font", "sii"}, {"TextColor", "iii"}};
        CheckProperties(item, kText, 3);
        m_hasText = true;
        m_text = Unescape(item.properties.at("Text")[0]);
        m_textChecked = HasProperty(item, "TextP") ? ReadText(item, "TextP") : m_text;
        m_font.Create(ToLogFont(item.properties.at("Font")));
        m_textColor = ToColor(item.properties.at("TextColor"));
    }
    m_antialias = ReadInteger(item, "Antialias", 0) == 1;
    if (HasProperty(item, "Width")) {
        static const PropertySpec kWidth[] = {{"Width", "i"}, {"Divide", "iii"}};
        CheckProperties(item, kWidth, 2);
        m_variableWidth = ParseSkinInteger(item.properties.at("Width")[0]);
        for (int i = 0; i < 3; ++i)
            m_divide[i] = ParseSkinInteger(item.properties.at("Divide")[static_cast<size_t>(i)]);
        m_width = m_variableWidth;
    }
    m_textIndent = ReadInteger(item, "TextIndent", 0);
    m_autoDisable = HasProperty(item, "AutoDisable");
    // Every picture is read now: an unreadable image is a skin error before the window exists.
    for (const Face* face : {&m_faces[0], &m_faces[1], &m_faces[2], &m_faces[3], &m_disabled,
                             &m_disabledChecked, &m_icon, &m_iconChecked})
        if (face->present) accessor.RequireImage(face->file);
}

std::string CSkinWindowItemButton::GetToolTipText() const {
    return m_checked ? m_toolTipChecked : m_toolTip;
}

std::string CSkinWindowItemButton::GetLabel() const {
    if (!m_hasText) return std::string();
    return m_checked ? m_textChecked : m_text;
}

// A click without the pointer: pressed inside, then released there.
bool CSkinWindowItemButton::Press() {
    if (!IsEnabled() || !IsVisible() || m_pressed) return false;
    m_pressed = m_inside = true;
    Notify(kItemPressedInside);
    Announce(SkinItemChange::kState);
    Release(0, 0, true);
    if (m_hot) {
        m_hot = false;
        Redraw();
    }
    return true;
}

void CSkinWindowItemButton::SetText(const std::string& text, const std::string& checkedText) {
    m_hasText = true;
    m_text = text;
    m_textChecked = checkedText;
    Redraw();
}

void CSkinWindowItemButton::SetAlpha(int alpha) {
    m_alpha = std::clamp(alpha, 0, 255);
    Redraw();
}

void CSkinWindowItemButton::SetRect(int left, int top, int right, int bottom) {
    CSkinWindowItem::SetRect(left, top, right, bottom);
}

intptr_t CSkinWindowItemButton::Control(int code, intptr_t value, intptr_t) {
    switch (code) {
        case kControlSetChecked: {
            const bool checked = value != 0;
            if (!m_pressed && checked != m_checked) {
                m_checked = checked;
                Redraw();
                Announce(SkinItemChange::kState);
                if (checked)
                    Accessor().NotifyOn(GetId());
                else
                    Accessor().NotifyOff(GetId());
            }
            return 0;
        }
        case kControlGetChecked:
            return m_checked ? 1 : 0;
        case kControlGetAutoToggle:
            return m_autoToggle ? 1 : 0;
        case kControlBlink:
            m_blinking = value != 0;
            m_blinkOn = true;
            Redraw();
            return 0;
        case kControlIconMode:
            m_iconMode = static_cast<int>(value);
            Redraw();
            return 0;
        default:
            return 0;
    }
}

bool CSkinWindowItemButton::OnLButtonDown(int x, int y) {
    if (!IsEnabled() || m_pressed) return false;
    m_pressed = true;
    OnMouseMove(x, y);
    Announce(SkinItemChange::kState);
    return true;
}

bool CSkinWindowItemButton::OnLButtonDblClk(int x, int y) {
    if (!IsEnabled()) return false;
    if (Notify(kItemDoubleClick)) return false;
    return OnLButtonDown(x, y);
}

void CSkinWindowItemButton::OnMouseMove(int x, int y) {
    if (!IsEnabled()) return;
    bool changed = false;
    if (m_pressed) {
        const bool inside = Contains(x, y);
        if (inside != m_inside) {
            m_inside = inside;
            changed = true;
            Notify(inside ? kItemPressedInside : kItemPressedOutside);
        }
        if (m_hot != !inside) {
            m_hot = !inside;
            changed = true;
        }
    } else {
        const bool hot = Contains(x, y);
        if (hot != m_hot) {
            m_hot = hot;
            changed = true;
        }
    }
    Notify(kItemMouseMove);
    if (changed) Redraw();
}

void CSkinWindowItemButton::OnLButtonUp(int x, int y) {
    if (m_pressed) Release(x, y, true);
}

void CSkinWindowItemButton::OnLButtonCaptureLost(int x, int y) {
    if (m_pressed) Release(x, y, false);
}

void CSkinWindowItemButton::Release(int x, int y, bool real) {
    m_pressed = false;
    if (m_inside) {
        m_inside = false;
        Notify(kItemPressedOutside);
    }
    m_hot = Contains(x, y);
    Redraw();
    Announce(SkinItemChange::kState);
    if (Contains(x, y) && real) Notify(kItemClicked);
    Notify(kItemPressEnded);
}

void CSkinWindowItemButton::OnEnableChanged() {
    // A disabled button tracks nothing, so it does not stay hot either.
    if (!IsEnabled()) m_hot = false;
    Redraw();
}

void CSkinWindowItemButton::OnMouseLeave() {
    if (!IsEnabled()) return;
    const bool hot = m_pressed;
    if (hot != m_hot) {
        m_hot = hot;
        Redraw();
    }
    Notify(kItemMouseLeave);
}

bool CSkinWindowItemButton::OnSetCursor(int, int) {
    const bool hand = IsEnabled() && IsVisible() && m_handCursor;
    ::SetCursor(::LoadCursor(nullptr, hand ? IDC_HAND : IDC_ARROW));
    return true;
}

void CSkinWindowItemButton::OnTick(DWORD tickCount) {
    if (!m_blinking) return;
    const bool on = tickCount % 800 < 400;
    if (on != m_blinkOn) {
        m_blinkOn = on;
        Redraw();
    }
}

void CSkinWindowItemButton::DrawFace(lib::wfc::CDIB& canvas, const Face& face) {
    if (!face.present) return;
    const lib::wfc::CDIB& image = Accessor().GetImageCache(face.file);
    if (m_variableWidth <= 0) {
        canvas.KeyCopy(0, 0, m_faceSize.cx, m_faceSize.cy, image, face.x, face.y);
        return;
    }
    // Left and right slices as they are, the middle one repeated between them.
    const int w0 = m_divide[0], w1 = m_divide[1], w2 = m_divide[2];
    canvas.KeyCopy(0, 0, w0, m_faceSize.cy, image, face.x, face.y);
    for (const TilePiece& piece : TileSpan(face.x + w0, w1, w0, m_width - w0 - w2))
        canvas.KeyCopy(piece.destination, 0, piece.length, m_faceSize.cy, image, piece.source,
                       face.y);
    canvas.KeyCopy(m_width - w2, 0, w2, m_faceSize.cy, image, face.x + w0 + w1, face.y);
}

void CSkinWindowItemButton::DrawIcon(lib::wfc::CDIB& canvas) {
    const Face& icon = m_checked && m_iconChecked.present ? m_iconChecked : m_icon;
    if (!icon.present) return;
    const lib::wfc::CDIB& image = Accessor().GetImageCache(icon.file);
    // The icon mode picks the next icon to the right in the sheet.
    int x = (m_width - m_iconSize.cx) / 2, y = (m_height - m_iconSize.cy) / 2;
    if (m_inside) {
        x += m_shift.x;
        y += m_shift.y;
    }
    canvas.KeyCopy(x, y, m_iconSize.cx, m_iconSize.cy, image, icon.x + m_iconMode * m_iconSize.cx,
                   icon.y);
}

void CSkinWindowItemButton::Draw() {
    if (lib::wfc::CDIB* picture = BeginCompose()) {
        lib::wfc::CDIB& canvas = *picture;
        const Face& disabled =
            m_checked && m_disabledChecked.present ? m_disabledChecked : m_disabled;
        if (!IsEnabled() && disabled.present)
            DrawFace(canvas, disabled);
        else
            DrawFace(canvas, m_faces[FaceIndex()]);
        if (!(m_blinking && !m_blinkOn)) DrawIcon(canvas);
        if (m_hasText) {
            RECT area = {m_textIndent, 0, m_width, m_height};
            if (m_inside) OffsetRect(&area, m_shift.x, m_shift.y);
            const COLORREF color = IsEnabled() ? m_textColor : DisabledTextColor(m_textColor);
            DrawItemText(canvas, area, m_checked ? m_textChecked : m_text, m_font.Get(), color,
                         m_format, m_antialias);
        }
    }
    EndCompose(m_alpha == 255 || m_hot || m_pressed ? 255 : m_alpha);
}

void CSkinWindowItemButton::OnScaleChanged(int oldDpi) {
    const bool faceIsItem = m_faceSize.cx == m_width && m_faceSize.cy == m_height;
    CSkinWindowItem::OnScaleChanged(oldDpi);
    for (Face* face : {&m_faces[0], &m_faces[1], &m_faces[2], &m_faces[3], &m_disabled,
                       &m_disabledChecked, &m_icon, &m_iconChecked}) {
        face->x = Converted(face->x, oldDpi);
        face->y = Converted(face->y, oldDpi);
    }
    if (faceIsItem)
        m_faceSize = SIZE{m_width, m_height};
    else
        Convert(m_faceSize, oldDpi);
    Convert(m_iconSize, oldDpi);
    Convert(m_shift, oldDpi);
    Convert(m_font, oldDpi);
    m_variableWidth = Converted(m_variableWidth, oldDpi);
    for (int& divide : m_divide) divide = Converted(divide, oldDpi);
    m_textIndent = Converted(m_textIndent, oldDpi);
}

}  // namespace ui
