#pragma once
#include "ui/SkinWindowItemButton.h"

namespace ui {

// A button that keeps a checked state: a click inside turns it over (with
// auto-toggle on) and the pushed faces show it.
class CSkinWindowItemToggleButton : public CSkinWindowItemButton {
public:
    CSkinWindowItemToggleButton(ISkinWindowItemAccessor& accessor, int id, const SkinItem& item,
                                bool autoToggle = true);

    SkinRole AccessibleRole() const override { return SkinRole::kCheckBox; }

protected:
    void Release(int x, int y, bool real) override;
    int FaceIndex() const override { return (m_inside || m_checked ? 2 : 0) + (m_hot ? 1 : 0); }
};

}  // namespace ui
