#include <algorithm>
#include <vector>

#include "ui/Skin.h"
#include "ui/SkinItemRules.h"
#include "ui/SkinItemText.h"
#include "ui/SkinScale.h"
#include "ui/SkinScaleWin.h"

namespace ui {

namespace {

// The glyph renderer knows one line and a top-left corner: place the lines
// as DrawText would for the alignment flags.
bool DrawGlyphLines(lib::wfc::CDIB& canvas, const RECT& area, const std::string& text, HFONT font,
                    COLORREF color, UINT format) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos || (format & DT_SINGLELINE)) break;
        start = end + 2;
    }
    int lineHeight = 0;
    std::vector<SIZE> sizes;
    for (const std::string& line : lines) {
        SIZE size =
            lib::wfc::CDIB::GetGlyphTextExtent(line.c_str(), static_cast<int>(line.size()), font);
        if (size.cy <= 0) return false;
        lineHeight = std::max<int>(lineHeight, size.cy);
        sizes.push_back(size);
    }
    const int total = lineHeight * static_cast<int>(lines.size());
    int y = area.top;
    if (format & DT_VCENTER)
        y = area.top + ((area.bottom - area.top) - total) / 2;
    else if (format & DT_BOTTOM)
        y = area.bottom - total;
    for (size_t i = 0; i < lines.size(); ++i, y += lineHeight) {
        int x = area.left;
        if (format & DT_CENTER)
            x = area.left + ((area.right - area.left) - sizes[i].cx) / 2;
        else if (format & DT_RIGHT)
            x = area.right - sizes[i].cx;
        canvas.DrawGlyphText(lines[i].c_str(), static_cast<int>(lines[i].size()), x, y, font, color,
                             area);
    }
    return true;
}

}  // namespace

void DrawItemText(lib::wfc::CDIB& canvas, const RECT& area, const std::string& text, HFONT font,
                  COLORREF color, UINT format, bool antialias) {
    if (text.empty() || canvas.IsEmpty()) return;
    if (antialias && DrawGlyphLines(canvas, area, text, font, color, format)) return;
    RECT rect = area;
    format |= DT_NOPREFIX;
    if ((format & DT_VCENTER) && !(format & DT_SINGLELINE)) {
        RECT measure = area;
        canvas.DrawTextA(text.c_str(), static_cast<int>(text.size()), &measure,
                         format | DT_CALCRECT, font, color);
        const int height = measure.bottom - measure.top;
        rect.top = area.top + (area.bottom - area.top) / 2 - height / 2;
    }
    canvas.DrawTextA(text.c_str(), static_cast<int>(text.size()), &rect, format, font, color);
}

COLORREF ReadColor(const SkinItem& item, const char* key, COLORREF fallback) {
    auto found = item.properties.find(key);
    if (found == item.properties.end()) return fallback;
    const PropertySpec spec[] = {{key, "iii"}};
    CheckProperties(item, spec, 1);
    return ToColor(found->second);
}

int ReadInteger(const SkinItem& item, const char* key, int fallback) {
    auto found = item.properties.find(key);
    if (found == item.properties.end()) return fallback;
    const PropertySpec spec[] = {{key, "i"}};
    CheckProperties(item, spec, 1);
    return ParseSkinInteger(found->second[0]);
}

std::string ReadText(const SkinItem& item, const char* key) {
    auto found = item.properties.find(key);
    if (found == item.properties.end()) return std::string();
    const PropertySpec spec[] = {{key, "s"}};
    CheckProperties(item, spec, 1);
    return Unescape(found->second[0]);
}

void CItemLabel::Read(const SkinItem& item) {
    if (!HasProperty(item, "Text")) return;
    static const PropertySpec kGroup[] = {{"Text", "s"},          {"TextPosition", "ii"},
                                          {"TextSize", "ii"},     {"TextFont", "sii"},
                                          {"TextAntialias", "i"}, {"TextColor", "iii"}};
    CheckProperties(item, kGroup, sizeof kGroup / sizeof kGroup[0]);
    m_present = true;
    m_text = ExpandLineBreaks(Unescape(item.properties.at("Text")[0]));
    const SkinRect r =
        ToItemRect(item.properties.at("TextPosition"), item.properties.at("TextSize"));
    m_rect = RECT{r.left, r.top, r.right, r.bottom};
    m_font.Create(ToLogFont(item.properties.at("TextFont")));
    m_antialias = ParseSkinInteger(item.properties.at("TextAntialias")[0]) == 1;
    m_color = ToColor(item.properties.at("TextColor"));
}

void CItemLabel::ConvertScale(int oldDpi, int dpi) {
    if (!m_present) return;
    m_rect = RECT{ConvertCoordinate(m_rect.left, oldDpi, dpi),
                  ConvertCoordinate(m_rect.top, oldDpi, dpi),
                  ConvertCoordinate(m_rect.right, oldDpi, dpi),
                  ConvertCoordinate(m_rect.bottom, oldDpi, dpi)};
    ConvertFont(m_font, oldDpi, dpi);
}

void CItemLabel::Draw(lib::wfc::CDIB& canvas, bool enabled) const {
    if (!m_present) return;
    const COLORREF color = enabled ? m_color : DisabledTextColor(m_color);
    DrawItemText(canvas, m_rect, m_text, m_font.Get(), color,
                 DT_CENTER | DT_VCENTER | DT_SINGLELINE, m_antialias);
}

}  // namespace ui
