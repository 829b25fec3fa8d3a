#pragma once
// Owners of GDI objects and device contexts, the DC state keeper and CFont.
// All move-only; each releases exactly what it took.
#include <windows.h>

#include <utility>
#include <vector>

namespace lib {
namespace wfc {

namespace gdi {
template <class H>
struct GDIObjectDestroyer {
    void operator()(H handle) const {
        if (handle) ::DeleteObject(handle);
    }
};
}  // namespace gdi

// A handle and the functor that releases it.
template <class H, class Destroyer>
class CHandle {
public:
    CHandle() = default;
    explicit CHandle(H handle) : m_handle(handle) {}
    ~CHandle() { Reset(); }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    CHandle(CHandle&& other) noexcept : m_handle(other.Release()) {}
    CHandle& operator=(CHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    H Get() const { return m_handle; }
    operator H() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    H Release() { return std::exchange(m_handle, nullptr); }
    void Reset(H handle = nullptr) {
        if (m_handle && m_handle != handle) Destroyer()(m_handle);
        m_handle = handle;
    }

private:
    H m_handle = nullptr;
};

template <class H>
class CGDIObject : public CHandle<H, gdi::GDIObjectDestroyer<H>> {
public:
    using CHandle<H, gdi::GDIObjectDestroyer<H>>::CHandle;
};

using CBitmap = CGDIObject<HBITMAP>;
using CRgn = CGDIObject<HRGN>;
using CBrush = CGDIObject<HBRUSH>;

// A font made with CreateFontIndirectA.
class CFont : public CGDIObject<HFONT> {
public:
    CFont() = default;
    // Throws CWindowException when the font cannot be made.
    explicit CFont(const LOGFONTA& logFont) { Create(logFont); }
    // Replaces the font; false when it cannot be made (the old one is kept).
    bool Create(const LOGFONTA& logFont);
};

// A DC that this object created and deletes (DeleteDC).
class CDC {
public:
    CDC() = default;
    explicit CDC(HDC dc) : m_dc(dc) {}
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC Get() const { return m_dc; }
    operator HDC() const { return m_dc; }

protected:
    HDC m_dc = nullptr;
};

// GetDC / ReleaseDC.
class CClientDC : public CDC {
public:
    explicit CClientDC(HWND window);
    ~CClientDC() override;

private:
    HWND m_window;
};

// BeginPaint / EndPaint.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(HWND window);
    ~CPaintDC() override;
    const PAINTSTRUCT& Paint() const { return m_paint; }
    const RECT& UpdateRect() const { return m_paint.rcPaint; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint = {};
};

// A memory DC compatible with `reference` (the screen when null) with
// `bitmap` selected; the previous bitmap goes back in before the DC is deleted.
class CMemDC : public CDC {
public:
    explicit CMemDC(HBITMAP bitmap, HDC reference = nullptr);
    ~CMemDC() override;

private:
    HGDIOBJ m_previous = nullptr;
};

// Records the first previous background mode, text colour and each selected
// object, and puts them back when it ends (objects in reverse order).
class CDCStateKeeper {
public:
    explicit CDCStateKeeper(HDC dc) : m_dc(dc) {}
    ~CDCStateKeeper();
    CDCStateKeeper(const CDCStateKeeper&) = delete;
    CDCStateKeeper& operator=(const CDCStateKeeper&) = delete;

    void SetBkMode(int mode);
    void SetTextColor(COLORREF color);
    void SelectObject(HGDIOBJ object);

private:
    HDC m_dc;
    bool m_bkModeSaved = false;
    int m_bkMode = 0;
    bool m_textColorSaved = false;
    COLORREF m_textColor = 0;
    std::vector<HGDIOBJ> m_previous;  // in selection order
};

}  // namespace wfc
}  // namespace lib
