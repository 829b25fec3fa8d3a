#include <windows.h>
// The common-control headers need the types of windows.h first.
#include <richedit.h>

#include <tuple>

#include "common/KilnLog.h"
#include "ui/Skin.h"
#include "ui/SkinItemText.h"
#include "ui/SkinWindowItemEditBox.h"
#include "ui/SkinWindowItemResizableStaticImage.h"
#include "wfc/Library.h"
#include "wfc/Window.h"

namespace ui {

// The subclassed control: Tab, Enter and Escape go to the skin window, which
// decides what they do.
class CSkinWindowItemEditBox::CEditControl : public lib::wfc::CWindow {
public:
    explicit CEditControl(ISkinWindowItemAccessor& accessor) : m_accessor(accessor) {}
    void OnKeyDown(UINT key, UINT flags) override {
        if (key == VK_RETURN || key == VK_ESCAPE || key == VK_TAB)
            m_accessor.ForwardKey(key, flags);
        DefaultProc();
    }

private:
    ISkinWindowItemAccessor& m_accessor;
};

CSkinWindowItemEditBox::CSkinWindowItemEditBox(ISkinWindowItemAccessor& accessor, int id,
                                               const SkinItem& item, const EditBoxOptions& options)
    : CSkinWindowItem(accessor, id), m_options(options) {
    static const PropertySpec kSpec[] = {{"Position", "ii"}, {"Size", "ii"}, {"Font", "sii"}};
    CheckProperties(item, kSpec, 3);
    ReadRect(item);
    m_font.Create(ToLogFont(item.properties.at("Font")));
    m_limit = ReadInteger(item, "Limit", -1);
    for (auto [key, file, slice] :
         {std::make_tuple("Frame", &m_frameFile, &m_frame),
          std::make_tuple("DisableFrame", &m_disabledFrameFile, &m_disabledFrame)}) {
        if (!HasProperty(item, key)) continue;
        const PropertySpec spec[] = {{key, "siiiiiiii"}};
        CheckProperties(item, spec, 1);
        *file = item.properties.at(key)[0];
        *slice = ReadNineSlice(item.properties.at(key), 1);
        accessor.RequireImage(*file);
    }
}

CSkinWindowItemEditBox::~CSkinWindowItemEditBox() {
    if (m_control && ::IsWindow(m_control->GetHandle())) m_control->DestroyWindow();
}

HWND CSkinWindowItemEditBox::GetControl() const {
    return m_control ? m_control->GetHandle() : nullptr;
}

DWORD CSkinWindowItemEditBox::GetStyle() const {
    DWORD style = kBaseStyle;
    if (m_options.password) style |= ES_PASSWORD;
    if (m_options.number) style |= ES_NUMBER;
    if (m_options.verticalScroll) style |= WS_VSCROLL;
    style |= m_options.multiLine ? (ES_MULTILINE | ES_AUTOVSCROLL) : m_options.align;
    return style;
}

RECT CSkinWindowItemEditBox::ControlRect() const {
    RECT rect = GetRect();
    if (!m_frameFile.empty()) {
        // Inside the frame's fixed edges.
        rect.left += m_frame.x[1] - m_frame.x[0];
        rect.top += m_frame.y[1] - m_frame.y[0];
        rect.right -= m_frame.x[3] - m_frame.x[2];
        rect.bottom -= m_frame.y[3] - m_frame.y[2];
    }
    return rect;
}

void CSkinWindowItemEditBox::OnAttach(HWND window) {
    const RECT r = ControlRect();
    const DWORD style = GetStyle();
    HWND control = nullptr;
    HINSTANCE instance = lib::wfc::GetInstance();
    if (m_options.kind != EditBoxOptions::kEdit) lib::wfc::WaitForRichEdit();
    if (m_options.kind == EditBoxOptions::kRichEditW)
        control = ::CreateWindowExW(0, L"RichEdit20W", L"", style, r.left, r.top, r.right - r.left,
                                    r.bottom - r.top, window, nullptr, instance, nullptr);
    else
        control = ::CreateWindowExA(
            0, m_options.kind == EditBoxOptions::kEdit ? "EDIT" : "RichEdit20A", "", style, r.left,
            r.top, r.right - r.left, r.bottom - r.top, window, nullptr, instance, nullptr);
    if (!control) {
        KILNLOG.Log(LOG_ERROR, "CSkinWindowItemEditBox::OnAttach - 作成失敗 ERR:0x%08X",
                    static_cast<unsigned>(::GetLastError()));
        return;
    }
    m_control = std::make_unique<CEditControl>(Accessor());
    m_control->Attach(control);
    if (m_limit >= 0) ::SendMessageA(control, EM_LIMITTEXT, static_cast<WPARAM>(m_limit), 0);
    ::EnableWindow(control, IsEnabled());
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), FALSE);
    if (m_options.kind != EditBoxOptions::kEdit) {
        // One face for Latin and Japanese alike, and Shift-JIS as the character
        // set; set after the font, which would otherwise replace both.
        LRESULT lang = ::SendMessageA(control, EM_GETLANGOPTIONS, 0, 0);
        ::SendMessageA(control, EM_SETLANGOPTIONS, 0, lang & ~IMF_DUALFONT);
        CHARFORMAT2A format = {};
        format.cbSize = sizeof format;
        format.dwMask = CFM_FACE | CFM_CHARSET;
        format.bCharSet = SHIFTJIS_CHARSET;
        lstrcpynA(format.szFaceName, "ＭＳ Ｐゴシック", LF_FACESIZE);
        ::SendMessageA(control, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    }
}

intptr_t CSkinWindowItemEditBox::Control(int code, intptr_t value, intptr_t extra) {
    if ((code == WM_HSCROLL || code == WM_VSCROLL) && GetControl())
        return ::SendMessageA(GetControl(), static_cast<UINT>(code), static_cast<WPARAM>(value),
                              static_cast<LPARAM>(extra));
    return 0;
}

void CSkinWindowItemEditBox::OnSetFocus() {
    if (GetControl()) ::SetFocus(GetControl());
}

void CSkinWindowItemEditBox::OnEnableChanged() {
    if (GetControl()) ::EnableWindow(GetControl(), IsEnabled());
    Redraw();
}

void CSkinWindowItemEditBox::SetRect(int left, int top, int right, int bottom) {
    const RECT old = SetPlace(left, top, right, bottom);
    if (GetControl()) {
        const RECT r = ControlRect();
        ::MoveWindow(GetControl(), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    }
    RedrawMoved(old);
}

void CSkinWindowItemEditBox::Draw() {
    const bool disabled = !IsEnabled() && !m_disabledFrameFile.empty();
    const std::string& file = disabled ? m_disabledFrameFile : m_frameFile;
    if (file.empty()) return;
    if (lib::wfc::CDIB* picture = BeginCompose()) {
        lib::wfc::CDIB& canvas = *picture;
        lib::wfc::DrawNineSlice(canvas, RECT{0, 0, m_width, m_height}, nullptr,
                                Accessor().GetImageCache(file),
                                disabled ? m_disabledFrame : m_frame, 255, lib::wfc::kKeyColor);
    }
    EndCompose();
}

std::string CSkinWindowItemEditBox::GetTextA() const {
    if (!GetControl()) return std::string();
    // Room for two bytes a character: a rich edit may count characters here.
    const int length = ::GetWindowTextLengthA(GetControl()) * 2 + 1;
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int got = ::GetWindowTextA(GetControl(), &text[0], length + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

std::wstring CSkinWindowItemEditBox::GetTextW() const {
    if (!GetControl()) return std::wstring();
    // An 8-bit control answers in bytes and converts into a buffer of that size.
    const int length = ::GetWindowTextLengthW(GetControl()) * 2 + 1;
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int got = ::GetWindowTextW(GetControl(), &text[0], length + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

void CSkinWindowItemEditBox::SetTextA(const std::string& text) {
    if (GetControl()) ::SetWindowTextA(GetControl(), text.c_str());
}

void CSkinWindowItemEditBox::SetTextW(const std::wstring& text) {
    if (GetControl()) ::SetWindowTextW(GetControl(), text.c_str());
}

void CSkinWindowItemEditBox::OnScaleChanged(int oldDpi) {
    CSkinWindowItem::OnScaleChanged(oldDpi);
    Convert(m_frame, oldDpi);
    Convert(m_disabledFrame, oldDpi);
    Convert(m_font, oldDpi);
    if (GetControl()) {
        ::SendMessageA(GetControl(), WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), FALSE);
        const RECT r = ControlRect();
        ::MoveWindow(GetControl(), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    }
}

}  // namespace ui
