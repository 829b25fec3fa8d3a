#pragma once
// A push button of four faces (normal, hot, pushed, pushed hot), with an
// optional icon and label, a checked state, blinking, and a variable width
// cut in three slices.
#include <string>

#include "ui/SkinWindowItem.h"
#include "wfc/Gdi.h"

namespace ui {

class CSkinWindowItemButton : public CSkinWindowItem {
public:
    CSkinWindowItemButton(ISkinWindowItemAccessor& accessor, int id, const SkinItem& item);

    std::string GetToolTipText() const override;
    intptr_t Control(int code, intptr_t value, intptr_t extra) override;
    void OnMouseMove(int x, int y) override;
    bool OnLButtonDown(int x, int y) override;
    bool OnLButtonDblClk(int x, int y) override;
    void OnLButtonUp(int x, int y) override;
    void OnLButtonCaptureLost(int x, int y) override;
    void OnMouseLeave() override;
    bool OnSetCursor(int x, int y) override;
    void OnTick(DWORD tickCount) override;
    void Draw() override;
    void OnScaleChanged(int oldDpi) override;
    void SetRect(int left, int top, int right, int bottom) override;
    void OnEnableChanged() override;
    SkinRole AccessibleRole() const override { return SkinRole::kPushButton; }
    std::string GetLabel() const override;
    bool Press() override;
    bool IsCheckedState() const override { return m_checked; }
    bool IsPressedState() const override { return m_pressed; }
    // The icon, after the face and before the label.
    virtual void DrawIcon(lib::wfc::CDIB& canvas);

    bool IsChecked() const { return m_checked; }
    bool IsPressed() const { return m_pressed; }
    bool IsHot() const { return m_hot; }
    void SetText(const std::string& text, const std::string& checkedText);
    void SetAlpha(int alpha);

protected:
    // The release of a press; real is false for a capture lost.
    virtual void Release(int x, int y, bool real);
    // The face: 0 normal, 1 hot, 2 pushed, 3 pushed hot.
    virtual int FaceIndex() const { return (m_inside ? 2 : 0) + (m_hot ? 1 : 0); }

    bool m_pressed = false;
    bool m_inside = false;
    bool m_hot = false;
    bool m_checked = false;
    bool m_autoToggle = true;

private:
    struct Face {
        std::string file;
        int x = 0;
        int y = 0;
        bool present = false;
    };
    static Face ReadFace(const SkinItem& item, const char* key);
    void DrawFace(lib::wfc::CDIB& canvas, const Face& face);

    Face m_faces[4];
    Face m_disabled;
    Face m_disabledChecked;
    Face m_icon;
    Face m_iconChecked;
    SIZE m_iconSize = {};
    SIZE m_faceSize = {};
    POINT m_shift = {};
    std::string m_toolTip;
    std::string m_toolTipChecked;
    std::string m_text;
    std::string m_textChecked;
    bool m_hasText = false;
    lib::wfc::CFont m_font;
    COLORREF m_textColor = 0;
    bool m_antialias = false;
    int m_variableWidth = 0;  // 0: the face as it is
    int m_divide[3] = {};
    int m_textIndent = 0;
    bool m_autoDisable = false;
    UINT m_format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    int m_alpha = 255;
    bool m_handCursor = true;
    bool m_blinking = false;
    bool m_blinkOn = true;
    int m_iconMode = 0;
};

}  // namespace ui
