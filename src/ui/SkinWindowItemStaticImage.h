#pragma once
// A picture cut from a skin image, optionally tiled, with an optional label;
// a left button down on it notifies code 12.
#include <string>

#include "ui/SkinItemText.h"
#include "ui/SkinWindowItem.h"

namespace ui {

class CSkinWindowItemStaticImage : public CSkinWindowItem {
public:
    CSkinWindowItemStaticImage(ISkinWindowItemAccessor& accessor, int id, const SkinItem& item);

    std::string GetToolTipText() const override { return m_toolTip; }
    bool OnLButtonDown(int x, int y) override;
    bool OnLButtonDblClk(int x, int y) override;
    void Draw() override;
    void OnScaleChanged(int oldDpi) override;
    // With a label it reads as text (the launcher's status line), else as a
    // picture when it has a name.
    SkinRole AccessibleRole() const override;
    std::string GetLabel() const override { return m_label.Text(); }

    void SetToolTipText(const std::string& text) { m_toolTip = text; }
    void SetLabel(const std::string& text);

protected:
    CItemLabel m_label;
    std::string m_file;
    RECT m_source = {};
    bool m_tile = false;
    std::string m_toolTip;
};

}  // namespace ui
