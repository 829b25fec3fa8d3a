#include "ui/SkinWindowItemToggleButton.h"

namespace ui {

CSkinWindowItemToggleButton::CSkinWindowItemToggleButton(ISkinWindowItemAccessor& accessor, int id,
                                                         const SkinItem& item, bool autoToggle)
    : CSkinWindowItemButton(accessor, id, item) {
    m_autoToggle = autoToggle;
}

void CSkinWindowItemToggleButton::Release(int x, int y, bool real) {
    // A real release inside turns it over before the button's own ending.
    if (m_inside && real && m_autoToggle) m_checked = !m_checked;
    CSkinWindowItemButton::Release(x, y, real);
}

}  // namespace ui
