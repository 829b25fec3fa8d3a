// Device-context owners, the DC state keeper and CFont.
#include <windows.h>

#include "wfc/Exception.h"
#include "wfc/Gdi.h"

namespace lib {
namespace wfc {

bool CFont::Create(const LOGFONTA& logFont) {
    HFONT font = ::CreateFontIndirectA(&logFont);
    if (!font) {
        LogApiFailure("CFont::Create - フォント作成失敗", ::GetLastError());
        return false;
    }
    Reset(font);
    return true;
}

CDC::~CDC() {
    if (m_dc) ::DeleteDC(m_dc);
}

CClientDC::CClientDC(HWND window) : m_window(window) { m_dc = ::GetDC(window); }
CClientDC::~CClientDC() {
    if (m_dc) ::ReleaseDC(m_window, m_dc);
    m_dc = nullptr;  // not ours to delete
}

CPaintDC::CPaintDC(HWND window) : m_window(window) { m_dc = ::BeginPaint(window, &m_paint); }
CPaintDC::~CPaintDC() {
    ::EndPaint(m_window, &m_paint);
    m_dc = nullptr;
}

CMemDC::CMemDC(HBITMAP bitmap, HDC reference) {
    m_dc = ::CreateCompatibleDC(reference);
    if (m_dc && bitmap) m_previous = ::SelectObject(m_dc, bitmap);
}
CMemDC::~CMemDC() {
    if (m_dc && m_previous) ::SelectObject(m_dc, m_previous);
}

CDCStateKeeper::~CDCStateKeeper() {
    for (auto it = m_previous.rbegin(); it != m_previous.rend(); ++it) ::SelectObject(m_dc, *it);
    if (m_textColorSaved) ::SetTextColor(m_dc, m_textColor);
    if (m_bkModeSaved) ::SetBkMode(m_dc, m_bkMode);
}

void CDCStateKeeper::SetBkMode(int mode) {
    int previous = ::SetBkMode(m_dc, mode);
    if (!m_bkModeSaved && previous) {
        m_bkMode = previous;
        m_bkModeSaved = true;
    }
}

void CDCStateKeeper::SetTextColor(COLORREF color) {
    COLORREF previous = ::SetTextColor(m_dc, color);
    if (!m_textColorSaved && previous != CLR_INVALID) {
        m_textColor = previous;
        m_textColorSaved = true;
    }
}

void CDCStateKeeper::SelectObject(HGDIOBJ object) {
    HGDIOBJ previous = ::SelectObject(m_dc, object);
    if (previous && previous != HGDI_ERROR) m_previous.push_back(previous);
}

}  // namespace wfc
}  // namespace lib
