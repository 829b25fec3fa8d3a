// Text on a CDIB: GDI's DrawText on a memory DC, and anti-aliased text from
// glyph outlines blended by our own loop.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "wfc/DIB.h"
#include "wfc/Gdi.h"

namespace lib {
namespace wfc {

namespace {

const MAT2 kIdentity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};

// The next character code of 8-bit code page text: a lead byte and its trail
// byte form one code.
UINT NextCode(const char* text, int length, int& at) {
    const BYTE first = static_cast<BYTE>(text[at++]);
    if (::IsDBCSLeadByte(first) && at < length) {
        const BYTE second = static_cast<BYTE>(text[at++]);
        return (static_cast<UINT>(first) << 8) | second;
    }
    return first;
}

int TextLength(const char* text, int length) { return length < 0 ? lstrlenA(text) : length; }

}  // namespace

int CDIB::DrawTextA(const char* text, int length, RECT* rect, UINT format, HFONT font,
                    COLORREF color) {
    if (!m_bits || !text) return 0;
    CMemDC dc(m_bitmap.Get());
    CDCStateKeeper state(dc);
    state.SetBkMode(TRANSPARENT);
    state.SetTextColor(color);
    if (font) state.SelectObject(font);
    int result = ::DrawTextA(dc, text, length, rect, format);
    ::GdiFlush();  // the bits are read directly afterwards
    return result;
}

int CDIB::DrawTextW(const wchar_t* text, int length, RECT* rect, UINT format, HFONT font,
                    COLORREF color) {
    if (!m_bits || !text) return 0;
    CMemDC dc(m_bitmap.Get());
    CDCStateKeeper state(dc);
    state.SetBkMode(TRANSPARENT);
    state.SetTextColor(color);
    if (font) state.SelectObject(font);
    int result = ::DrawTextW(dc, text, length, rect, format);
    ::GdiFlush();
    return result;
}

void CDIB::DrawGlyphText(const char* text, int length, int x, int y, HFONT font, COLORREF color,
                         const RECT& clip) {
    if (!m_bits || !text) return;
    length = TextLength(text, length);
    RECT bounds = {0, 0, m_width, m_height};
    RECT area = {};
    if (!::IntersectRect(&area, &bounds, &clip)) return;

    CMemDC dc(nullptr);
    CDCStateKeeper state(dc);
    if (font) state.SelectObject(font);
    TEXTMETRICA metrics = {};
    ::GetTextMetricsA(dc, &metrics);
    const int baseline = y + metrics.tmAscent;
    const int cb = GetBValue(color), cg = GetGValue(color), cr = GetRValue(color);

    std::vector<BYTE> coverage;
    int pen = x;
    for (int at = 0; at < length;) {
        const UINT code = NextCode(text, length, at);
        GLYPHMETRICS glyph = {};
        DWORD size = ::GetGlyphOutlineA(dc, code, GGO_GRAY8_BITMAP, &glyph, 0, nullptr, &kIdentity);
        if (size == GDI_ERROR) continue;
        if (size > 0) {
            coverage.resize(size);
            if (::GetGlyphOutlineA(dc, code, GGO_GRAY8_BITMAP, &glyph, size, coverage.data(),
                                   &kIdentity) == GDI_ERROR)
                continue;
            const int pitch = (static_cast<int>(glyph.gmBlackBoxX) + 3) & ~3;
            const int left = pen + glyph.gmptGlyphOrigin.x;
            const int top = baseline - glyph.gmptGlyphOrigin.y;
            const int rows =
                std::min<int>(glyph.gmBlackBoxY, static_cast<int>(size) / std::max(pitch, 1));
            for (int r = 0; r < rows; ++r) {
                const int py = top + r;
                if (py < area.top || py >= area.bottom) continue;
                BYTE* line = Row(py);
                const BYTE* cov = coverage.data() + static_cast<size_t>(r) * pitch;
                for (int c = 0; c < static_cast<int>(glyph.gmBlackBoxX); ++c) {
                    const int px = left + c;
                    if (px < area.left || px >= area.right || cov[c] == 0) continue;
                    const int weight = (std::min<int>(cov[c], 64) * 255) >> 6;
                    BYTE* p = line + px * 3;
                    p[0] = static_cast<BYTE>(p[0] + (((cb - p[0]) * (weight + 1)) >> 8));
                    p[1] = static_cast<BYTE>(p[1] + (((cg - p[1]) * (weight + 1)) >> 8));
                    p[2] = static_cast<BYTE>(p[2] + (((cr - p[2]) * (weight + 1)) >> 8));
                }
            }
        }
        pen += glyph.gmCellIncX;
    }
}

SIZE CDIB::GetGlyphTextExtent(const char* text, int length, HFONT font) {
    SIZE extent = {0, 0};
    if (!text) return extent;
    length = TextLength(text, length);
    CMemDC dc(nullptr);
    CDCStateKeeper state(dc);
    if (font) state.SelectObject(font);
    TEXTMETRICA metrics = {};
    ::GetTextMetricsA(dc, &metrics);
    extent.cy = metrics.tmHeight;
    for (int at = 0; at < length;) {
        const UINT code = NextCode(text, length, at);
        GLYPHMETRICS glyph = {};
        if (::GetGlyphOutlineA(dc, code, GGO_METRICS, &glyph, 0, nullptr, &kIdentity) != GDI_ERROR)
            extent.cx += glyph.gmCellIncX;
    }
    return extent;
}

}  // namespace wfc
}  // namespace lib
