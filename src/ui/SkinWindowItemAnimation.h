#pragma once
// Frames of the item size laid out in a grid of a skin image, stepped every
// Time ms by the window's tick while running; an optional label on top.
#include <string>

#include "ui/SkinItemText.h"
#include "ui/SkinWindowItem.h"

namespace ui {

class CSkinWindowItemAnimation : public CSkinWindowItem {
public:
    CSkinWindowItemAnimation(ISkinWindowItemAccessor& accessor, int id, const SkinItem& item);

    bool OnLButtonDown(int x, int y) override;
    void OnTick(DWORD tickCount) override;
    void Draw() override;
    void OnScaleChanged(int oldDpi) override;
    SkinRole AccessibleRole() const override {
        return GetAccessibleName().empty() ? SkinRole::kNone : SkinRole::kGraphic;
    }

    // Runs from startFrame on; the clock starts at the next tick.
    void Start(int startFrame = 0);
    void Stop();
    bool IsRunning() const { return m_running; }
    int GetFrame() const { return m_frame; }
    void SetFrame(int frame);

private:
    CItemLabel m_label;
    std::string m_file;
    int m_x0 = 0;
    int m_y0 = 0;
    int m_columns = 1;
    int m_rows = 1;
    int m_time = 0;
    bool m_running = false;
    bool m_started = false;
    DWORD m_start = 0;
    int m_startFrame = 0;
    int m_frame = 0;
};

}  // namespace ui
