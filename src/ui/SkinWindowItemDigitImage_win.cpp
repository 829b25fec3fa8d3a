#include "ui/Skin.h"
#include "ui/SkinItemRules.h"
#include "ui/SkinItemText.h"
#include "ui/SkinWindowItemDigitImage.h"
#include "wfc/DIB.h"

namespace ui {

std::string CSkinWindowItemDigitImage::GetAccessibleName() const {
    return ChargeTileName(CSkinWindowItem::GetAccessibleName(), m_spokenPercent);
}

void CSkinWindowItemDigitImage::SetSpokenPercent(int percent) {
    if (percent < 0) percent = -1;
    if (percent == m_spokenPercent) return;
    m_spokenPercent = percent;
    Announce(SkinItemChange::kName);
}

namespace {

RECT ReadImageRect(const SkinItem& item, const char* key, std::string& file) {
    const SkinValues& values = item.properties.at(key);
    file = values[0];
    const SkinRect r = ToRect(values, 1);
    return RECT{r.left, r.top, r.right, r.bottom};
}

}  // namespace

CSkinWindowItemDigitImage::CSkinWindowItemDigitImage(ISkinWindowItemAccessor& accessor, int id,
                                                     const SkinItem& item)
    : CSkinWindowItem(accessor, id) {
    static const PropertySpec kSpec[] = {
        {"Position", "ii"}, {"Size", "ii"}, {"Image", "siiii"}, {"ImageTilde", "siiii"}};
    CheckProperties(item, kSpec, 4);
    ReadRect(item);
    m_strip = ReadImageRect(item, "Image", m_file);
    m_tilde = ReadImageRect(item, "ImageTilde", m_tildeFile);
    m_toolTip = ReadText(item, "ToolTipText");
    accessor.RequireImage(m_file);
    accessor.RequireImage(m_tildeFile);
}

void CSkinWindowItemDigitImage::SetValue(uint32_t value) {
    if (value == m_value) return;
    m_value = value;
    Redraw();
}

void CSkinWindowItemDigitImage::SetMarker(bool on) {
    if (on == m_marker) return;
    m_marker = on;
    Redraw();
}

void CSkinWindowItemDigitImage::Draw() {
    if (!IsEnabled()) return;
    if (lib::wfc::CDIB* picture = BeginCompose()) {
        lib::wfc::CDIB& canvas = *picture;
        const lib::wfc::CDIB& strip = Accessor().GetImageCache(m_file);
        const int glyph = (m_strip.right - m_strip.left) / 10;
        const int height = m_strip.bottom - m_strip.top;
        int x = 0;
        for (int digit : DecimalDigits(m_value)) {
            canvas.KeyCopy(x, 0, glyph, height, strip, m_strip.left + digit * glyph, m_strip.top);
            x += glyph;
        }
        if (m_marker) {
            const lib::wfc::CDIB& tilde = Accessor().GetImageCache(m_tildeFile);
            canvas.KeyCopy(x, 0, m_tilde.right - m_tilde.left, m_tilde.bottom - m_tilde.top, tilde,
                           m_tilde.left, m_tilde.top);
        }
    }
    EndCompose();
}

void CSkinWindowItemDigitImage::OnScaleChanged(int oldDpi) {
    CSkinWindowItem::OnScaleChanged(oldDpi);
    Convert(m_strip, oldDpi);
    Convert(m_tilde, oldDpi);
}

}  // namespace ui
