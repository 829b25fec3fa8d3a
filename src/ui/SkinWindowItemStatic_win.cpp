#include "ui/Skin.h"
#include "ui/SkinItemRules.h"
#include "ui/SkinItemText.h"
#include "ui/SkinWindowItemStatic.h"
#include "wfc/DIB.h"

namespace ui {

CSkinWindowItemStatic::CSkinWindowItemStatic(ISkinWindowItemAccessor& accessor, int id,
                                             const SkinItem& item)
    : CSkinWindowItem(accessor, id) {
    static const PropertySpec kSpec[] = {{"Position", "ii"}, {"Size", "ii"}, {"Font", "sii"}};
    CheckProperties(item, kSpec, 3);
    ReadRect(item);
    m_font.Create(ToLogFont(item.properties.at("Font")));
    m_antialias = ReadInteger(item, "Antialias", 0) == 1;
    m_color = ReadColor(item, "Color", RGB(0, 0, 0));
    m_text = ExpandLineBreaks(ReadText(item, "Text"));
}

void CSkinWindowItemStatic::SetText(const std::string& text) {
    const std::string expanded = ExpandLineBreaks(text);
    const bool changed = expanded != m_text;
    m_text = expanded;
    Redraw();
    if (changed) Announce(SkinItemChange::kName);
}

void CSkinWindowItemStatic::SetFormat(UINT format) {
    m_format = format;
    Redraw();
}

void CSkinWindowItemStatic::SetColor(COLORREF color) {
    m_color = color;
    Redraw();
}

void CSkinWindowItemStatic::SetRect(int left, int top, int right, int bottom) {
    RedrawMoved(SetPlace(left, top, right, bottom));
}

void CSkinWindowItemStatic::Draw() {
    // The text is kept as a coverage mask (white on black) and laid on what
    // lies under the label with its colour, so its soft edges meet the real
    // background and an unchanged label costs no text drawing.
    if (lib::wfc::CDIB* mask = BeginCompose(RGB(0, 0, 0)))
        DrawItemText(*mask, RECT{0, 0, m_width, m_height}, m_text, m_font.Get(), RGB(255, 255, 255),
                     m_format, m_antialias);
    EndComposeCoverage(IsEnabled() ? m_color : DisabledTextColor(m_color));
}

void CSkinWindowItemStatic::OnScaleChanged(int oldDpi) {
    CSkinWindowItem::OnScaleChanged(oldDpi);
    Convert(m_font, oldDpi);
}

}  // namespace ui
