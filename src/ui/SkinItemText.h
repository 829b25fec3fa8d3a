#pragma once
// Text as every item draws it: the item's font on its bitmap, transparent
// background, the glyph-outline renderer when anti-aliased (DrawTextA when
// that is not asked for or fails), DT_NOPREFIX always, and DT_VCENTER of a
// multi-line text done by measuring first.
#include <windows.h>

#include <string>

#include "ui/SkinData.h"
#include "wfc/DIB.h"
#include "wfc/Gdi.h"

namespace ui {

void DrawItemText(lib::wfc::CDIB& canvas, const RECT& area, const std::string& text, HFONT font,
                  COLORREF color, UINT format, bool antialias);

// The colour of a "r, g, b" key, or fallback when the item lacks it.
COLORREF ReadColor(const SkinItem& item, const char* key, COLORREF fallback);
// The first value of a key as an integer, or fallback.
int ReadInteger(const SkinItem& item, const char* key, int fallback);
// The first value of a key as text (unescaped), or empty.
std::string ReadText(const SkinItem& item, const char* key);

// The label some picture items carry: Text, TextPosition, TextSize, TextFont,
// TextAntialias, TextColor.
class CItemLabel {
public:
    // Reads and checks the group when the item has "Text".
    void Read(const SkinItem& item);
    bool Present() const { return m_present; }
    void Draw(lib::wfc::CDIB& canvas, bool enabled) const;
    void SetText(const std::string& text) { m_text = text; }
    const std::string& Text() const { return m_text; }
    // Place and font follow the window's change of scale.
    void ConvertScale(int oldDpi, int dpi);

private:
    bool m_present = false;
    std::string m_text;
    RECT m_rect = {};
    lib::wfc::CFont m_font;
    bool m_antialias = false;
    COLORREF m_color = 0;
};

}  // namespace ui
