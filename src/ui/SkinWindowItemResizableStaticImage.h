#pragma once
// A nine-slice picture stretched to the item size, with an optional label.
#include "ui/SkinItemText.h"
#include "ui/SkinWindowItem.h"
#include "wfc/DIB.h"

namespace ui {

// File and x0, x1, x2, x3, y0, y1, y2, y3 from values[first] on.
lib::wfc::NineSlice ReadNineSlice(const SkinValues& values, size_t first);

class CSkinWindowItemResizableStaticImage : public CSkinWindowItem {
public:
    CSkinWindowItemResizableStaticImage(ISkinWindowItemAccessor& accessor, int id,
                                        const SkinItem& item);

    bool OnLButtonDown(int x, int y) override;
    void Draw() override;
    void OnScaleChanged(int oldDpi) override;
    void SetRect(int left, int top, int right, int bottom) override;

private:
    CItemLabel m_label;
    std::string m_file;
    lib::wfc::NineSlice m_slice = {};
};

}  // namespace ui
