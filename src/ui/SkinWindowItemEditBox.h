#pragma once
// An edit control (EDIT, or rich edit in its 8-bit or wide form) placed in the
// item's rectangle, with an optional nine-slice frame around it.
#include <memory>
#include <string>

#include "ui/SkinWindowItem.h"
#include "wfc/DIB.h"
#include "wfc/Gdi.h"

namespace ui {

struct EditBoxOptions {
    enum Kind { kEdit, kRichEditA, kRichEditW };
    Kind kind = kEdit;
    bool password = false;
    bool number = false;
    bool multiLine = false;
    bool verticalScroll = false;
    DWORD align = 0;  // ES_LEFT, ES_CENTER or ES_RIGHT for a single line
};

class CSkinWindowItemEditBox : public CSkinWindowItem {
public:
    static constexpr DWORD kBaseStyle = 0x54010080;  // child, visible, clip siblings, tab stop,
                                                     // auto-scroll
    CSkinWindowItemEditBox(ISkinWindowItemAccessor& accessor, int id, const SkinItem& item,
                           const EditBoxOptions& options = EditBoxOptions());
    ~CSkinWindowItemEditBox() override;

    intptr_t Control(int code, intptr_t value, intptr_t extra) override;
    void OnAttach(HWND window) override;
    void OnSetFocus() override;
    void Draw() override;
    void OnScaleChanged(int oldDpi) override;
    void SetRect(int left, int top, int right, int bottom) override;
    void OnEnableChanged() override;
    SkinRole AccessibleRole() const override { return SkinRole::kEditText; }
    HWND GetFocusControl() const override { return GetControl(); }

    HWND GetControl() const;
    DWORD GetStyle() const;
    std::string GetTextA() const;
    std::wstring GetTextW() const;
    void SetTextA(const std::string& text);
    void SetTextW(const std::wstring& text);

private:
    class CEditControl;
    RECT ControlRect() const;

    EditBoxOptions m_options;
    int m_limit = -1;
    lib::wfc::CFont m_font;
    std::string m_frameFile;
    lib::wfc::NineSlice m_frame = {};
    std::string m_disabledFrameFile;
    lib::wfc::NineSlice m_disabledFrame = {};
    std::unique_ptr<CEditControl> m_control;
};

}  // namespace ui
