#pragma once
// A nine-slice frame laid over the whole window after every other item,
// key-copied or blended with Alpha.
#include <string>

#include "ui/SkinWindowItem.h"
#include "wfc/DIB.h"

namespace ui {

class CSkinWindowItemOverlay : public CSkinWindowItem {
public:
    CSkinWindowItemOverlay(ISkinWindowItemAccessor& accessor, int id, const SkinItem& item);

    bool IsHitTarget() const override { return false; }
    void Draw() override;
    void OnScaleChanged(int oldDpi) override;
    int GetAlpha() const { return m_alpha; }
    // 0 (nothing drawn) to 255 (the frame's own pixels); the window is
    // composed again when it changes.
    void SetAlpha(int alpha);

private:
    std::string m_file;
    lib::wfc::NineSlice m_slice = {};
    int m_alpha = 255;
};

}  // namespace ui
