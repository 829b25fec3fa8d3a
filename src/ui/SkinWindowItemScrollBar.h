#pragma once
// A skinned scroll bar. It never moves itself: every action sends the window
// WM_VSCROLL or WM_HSCROLL, and the window sets the new position and range.
// A held button or track part acts at once, again after 500 ms and then every
// 40 ms, counted in the window's ticks.
#include <string>

#include "ui/SkinItemRules.h"
#include "ui/SkinWindowItem.h"
#include "wfc/DIB.h"

namespace ui {

class CSkinWindowItemScrollBar : public CSkinWindowItem {
public:
    static constexpr DWORD kFirstRepeat = 500;
    static constexpr DWORD kRepeat = 40;

    CSkinWindowItemScrollBar(ISkinWindowItemAccessor& accessor, int id, const SkinItem& item);

    bool IsEnabled() const override;
    void OnMouseMove(int x, int y) override;
    bool OnLButtonDown(int x, int y) override;
    void OnLButtonUp(int x, int y) override;
    void OnMouseLeave() override;
    void OnTick(DWORD tickCount) override;
    void Draw() override;
    void OnScaleChanged(int oldDpi) override;
    void SetRect(int left, int top, int right, int bottom) override;

    // Positions run 0..maxPosition; page is the visible amount (0: fixed thumb).
    void SetRange(int maxPosition, int page);
    void SetPosition(int position);
    int GetPosition() const { return m_geometry.position; }
    bool IsVertical() const { return m_vertical; }
    int PressedPart() const { return m_pressedPart; }

private:
    struct States {
        std::string file;
        POINT corner[4] = {};  // normal, hot, pushed, pushed hot
    };
    struct Picture {
        std::string file;
        RECT rect = {};
    };
    void UpdateGeometry();
    int Along(int x, int y) const { return m_vertical ? y : x; }
    // One action of the pressed part; false when it has nothing left to do.
    void Act();
    void DrawPart(lib::wfc::CDIB& canvas, const States& states, int state, int start, int length,
                  bool stretch);
    void DrawPicture(lib::wfc::CDIB& canvas, const Picture& picture, int start, int length);

    bool m_vertical = true;
    SIZE m_buttonSize = {};
    SIZE m_thumbSize = {};
    int m_thumbPart[3] = {};
    std::string m_baseFile;
    RECT m_base = {};
    int m_baseEnds[2] = {};
    States m_up;
    States m_down;
    States m_thumb;
    Picture m_upImage;
    Picture m_downImage;
    Picture m_disabledUpImage;
    Picture m_disabledDownImage;
    ScrollGeometry m_geometry;
    int m_hotPart = kScrollNone;
    int m_pressedPart = kScrollNone;
    int m_pointer = 0;  // along the bar, while pressed
    DWORD m_nextRepeat = 0;
    int m_dragStart = 0;
    int m_dragPosition = 0;
};

}  // namespace ui
