#pragma once
// A text label. It refuses hits, so a click on it reaches the window (a label
// in the caption strip drags the window).
#include <string>

#include "ui/SkinWindowItem.h"
#include "wfc/Gdi.h"

namespace ui {

class CSkinWindowItemStatic : public CSkinWindowItem {
public:
    CSkinWindowItemStatic(ISkinWindowItemAccessor& accessor, int id, const SkinItem& item);

    bool IsHitTarget() const override { return false; }
    SkinRole AccessibleRole() const override {
        return m_text.empty() ? SkinRole::kNone : SkinRole::kStaticText;
    }
    std::string GetLabel() const override { return m_text; }
    void Draw() override;
    void OnScaleChanged(int oldDpi) override;
    void SetRect(int left, int top, int right, int bottom) override;

    // "\r\n" written as four characters becomes a line break.
    void SetText(const std::string& text);
    const std::string& GetText() const { return m_text; }
    void SetFormat(UINT format);
    void SetColor(COLORREF color);

private:
    std::string m_text;
    lib::wfc::CFont m_font;
    bool m_antialias = false;
    COLORREF m_color = 0;
    UINT m_format = DT_WORDBREAK;
};

}  // namespace ui
