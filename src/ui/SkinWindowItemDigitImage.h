#pragma once
// A number drawn from a strip of the ten digit glyphs, with an optional
// marker glyph (ImageTilde) after it.
#include <cstdint>
#include <string>

#include "ui/SkinWindowItem.h"

namespace ui {

class CSkinWindowItemDigitImage : public CSkinWindowItem {
public:
    CSkinWindowItemDigitImage(ISkinWindowItemAccessor& accessor, int id, const SkinItem& item);

    std::string GetToolTipText() const override { return m_toolTip; }
    void Draw() override;
    void OnScaleChanged(int oldDpi) override;

    void SetValue(uint32_t value);
    uint32_t GetValue() const { return m_value; }
    void SetMarker(bool on);

private:
    std::string m_file;
    RECT m_strip = {};
    std::string m_tildeFile;
    RECT m_tilde = {};
    std::string m_toolTip;
    uint32_t m_value = 0;
    bool m_marker = false;
};

}  // namespace ui
