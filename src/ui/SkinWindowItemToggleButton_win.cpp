#include "ui/SkinWindowItemToggleButton.h"

namespace ui {

CSkinWindowItemToggleButton::CSkinWindowItemToggleButton(ISkinWindowItemAccessor& accessor, int id,
                                                         const SkinItem& item, bool autoToggle)
    : CSkinWindowItemButton(accessor, id, item) {
    m_autoToggle = autoToggle;
}

void CSkinWindowItemToggleButton::Release(int x, int y, bool real) {
    m_pressed = false;
    const bool wasInside = m_inside;
    if (wasInside && real && m_autoToggle) m_checked = !m_checked;
    if (m_inside) {
        m_inside = false;
        Notify(kItemPressedOutside);
    }
    m_hot = Contains(x, y);
    Redraw();
    if (Contains(x, y) && real) Notify(kItemClicked);
    Notify(kItemPressEnded);
}

}  // namespace ui
