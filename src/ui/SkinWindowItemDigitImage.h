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
    // A progress picture: its name carries the percentage it stands for.
    SkinRole AccessibleRole() const override { return SkinRole::kProgressBar; }
    std::string GetAccessibleName() const override;
    // The percentage read out with the name; below 0 none. A change is announced.
    void SetSpokenPercent(int percent);
    int SpokenPercent() const { return m_spokenPercent; }

    void SetValue(uint32_t value);
    uint32_t GetValue() const { return m_value; }
    void SetMarker(bool on);

private:
    int m_spokenPercent = -1;
    std::string m_file;
    RECT m_strip = {};
    std::string m_tildeFile;
    RECT m_tilde = {};
    std::string m_toolTip;
    uint32_t m_value = 0;
    bool m_marker = false;
};

}  // namespace ui
