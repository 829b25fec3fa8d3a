// Text on a CDIB: GDI's DrawText on a memory DC, and anti-aliased text from
// glyph outlines blended by our own loop.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
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

// --- glyph cache ----------------------------------------------------------------------
// Asking GDI for an outline costs far more than blending it, and labels are
// drawn again on every change: coverage bitmaps are kept per font and code.

struct Glyph {
    bool valid = false;  // GDI had an outline (or an empty one) for the code
    GLYPHMETRICS metrics = {};
    int pitch = 0;
    std::vector<BYTE> coverage;
};

struct FontGlyphs {
    TEXTMETRICA metrics = {};
    std::unordered_map<UINT, Glyph> glyphs;
};

constexpr size_t kMaxGlyphsPerFont = 4096;
constexpr size_t kMaxFonts = 64;

std::mutex g_cacheLock;
std::map<std::string, FontGlyphs> g_cache;

// The cache key of a font: its LOGFONTA with the bytes after the face name cleared.
std::string FontKey(HFONT font) {
    LOGFONTA logFont = {};
    if (!font || ::GetObjectA(font, sizeof logFont, &logFont) != sizeof logFont)
        return std::string();
    const size_t used = ::lstrlenA(logFont.lfFaceName);
    std::memset(logFont.lfFaceName + used, 0, sizeof logFont.lfFaceName - used);
    return std::string(reinterpret_cast<const char*>(&logFont), sizeof logFont);
}

// Looks glyphs up and fetches the missing ones through one memory DC, made
// only when something is missing.
class CGlyphSource {
public:
    explicit CGlyphSource(HFONT font) : m_font(font) {
        const std::string key = FontKey(font);
        auto it = g_cache.find(key);
        if (it == g_cache.end()) {
            if (g_cache.size() >= kMaxFonts) g_cache.clear();
            it = g_cache.emplace(key, FontGlyphs()).first;
            ::GetTextMetricsA(Dc(), &it->second.metrics);
        }
        m_glyphs = &it->second;
    }
    CGlyphSource(const CGlyphSource&) = delete;
    CGlyphSource& operator=(const CGlyphSource&) = delete;

    const TEXTMETRICA& Metrics() const { return m_glyphs->metrics; }

    const Glyph& Get(UINT code) {
        auto found = m_glyphs->glyphs.find(code);
        if (found != m_glyphs->glyphs.end()) return found->second;
        if (m_glyphs->glyphs.size() >= kMaxGlyphsPerFont) m_glyphs->glyphs.clear();
        Glyph& glyph = m_glyphs->glyphs[code];
        HDC dc = Dc();
        DWORD size =
            ::GetGlyphOutlineA(dc, code, GGO_GRAY8_BITMAP, &glyph.metrics, 0, nullptr, &kIdentity);
        if (size == GDI_ERROR) return glyph;
        glyph.coverage.resize(size);
        if (size > 0 && ::GetGlyphOutlineA(dc, code, GGO_GRAY8_BITMAP, &glyph.metrics, size,
                                           glyph.coverage.data(), &kIdentity) == GDI_ERROR)
            return glyph;
        glyph.pitch = (static_cast<int>(glyph.metrics.gmBlackBoxX) + 3) & ~3;
        glyph.valid = true;
        return glyph;
    }

private:
    HDC Dc() {
        if (!m_dc) {
            m_dc.reset(new CMemDC(nullptr));
            m_state.reset(new CDCStateKeeper(*m_dc));
            if (m_font) m_state->SelectObject(m_font);
        }
        return m_dc->Get();
    }

    HFONT m_font;
    FontGlyphs* m_glyphs = nullptr;
    std::unique_ptr<CMemDC> m_dc;
    std::unique_ptr<CDCStateKeeper> m_state;  // after the DC: members go in reverse order
};

}  // namespace

namespace {

// DrawTextA or DrawTextW on the DIB's own bitmap.
template <typename Char, typename Draw>
int DrawTextOn(HBITMAP bitmap, const Char* text, int length, RECT* rect, UINT format, HFONT font,
               COLORREF color, Draw draw) {
    CMemDC dc(bitmap);
    CDCStateKeeper state(dc);
    state.SetBkMode(TRANSPARENT);
    state.SetTextColor(color);
    if (font) state.SelectObject(font);
    const int result = draw(dc, text, length, rect, format);
    ::GdiFlush();  // the bits are read directly afterwards
    return result;
}

}  // namespace

int CDIB::DrawTextA(const char* text, int length, RECT* rect, UINT format, HFONT font,
                    COLORREF color) {
    if (!m_bits || !text) return 0;
    return DrawTextOn(m_bitmap.Get(), text, length, rect, format, font, color, ::DrawTextA);
}

int CDIB::DrawTextW(const wchar_t* text, int length, RECT* rect, UINT format, HFONT font,
                    COLORREF color) {
    if (!m_bits || !text) return 0;
    return DrawTextOn(m_bitmap.Get(), text, length, rect, format, font, color, ::DrawTextW);
}

void CDIB::DrawGlyphText(const char* text, int length, int x, int y, HFONT font, COLORREF color,
                         const RECT& clip) {
    if (!m_bits || !text) return;
    length = TextLength(text, length);
    RECT bounds = {0, 0, m_width, m_height};
    RECT area = {};
    if (!::IntersectRect(&area, &bounds, &clip)) return;

    std::lock_guard<std::mutex> lock(g_cacheLock);
    CGlyphSource glyphs(font);
    const int baseline = y + glyphs.Metrics().tmAscent;
    const int cb = GetBValue(color), cg = GetGValue(color), cr = GetRValue(color);
    int pen = x;
    for (int at = 0; at < length;) {
        const Glyph& glyph = glyphs.Get(NextCode(text, length, at));
        if (!glyph.valid) continue;
        const int left = pen + glyph.metrics.gmptGlyphOrigin.x;
        const int top = baseline - glyph.metrics.gmptGlyphOrigin.y;
        const int width = static_cast<int>(glyph.metrics.gmBlackBoxX);
        const int rows =
            std::min<int>(glyph.metrics.gmBlackBoxY,
                          static_cast<int>(glyph.coverage.size()) / std::max(glyph.pitch, 1));
        for (int r = 0; r < rows; ++r) {
            const int py = top + r;
            if (py < area.top || py >= area.bottom) continue;
            BYTE* line = Row(py);
            const BYTE* cov = glyph.coverage.data() + static_cast<size_t>(r) * glyph.pitch;
            const int from = std::max(0, static_cast<int>(area.left) - left);
            const int to = std::min(width, static_cast<int>(area.right) - left);
            for (int c = from; c < to; ++c) {
                if (cov[c] == 0) continue;
                const int weight = (std::min<int>(cov[c], 64) * 255) >> 6;
                BYTE* p = line + (left + c) * 3;
                p[0] = static_cast<BYTE>(p[0] + (((cb - p[0]) * (weight + 1)) >> 8));
                p[1] = static_cast<BYTE>(p[1] + (((cg - p[1]) * (weight + 1)) >> 8));
                p[2] = static_cast<BYTE>(p[2] + (((cr - p[2]) * (weight + 1)) >> 8));
            }
        }
        pen += glyph.metrics.gmCellIncX;
    }
}

SIZE CDIB::GetGlyphTextExtent(const char* text, int length, HFONT font) {
    SIZE extent = {0, 0};
    if (!text) return extent;
    length = TextLength(text, length);
    std::lock_guard<std::mutex> lock(g_cacheLock);
    CGlyphSource glyphs(font);
    extent.cy = glyphs.Metrics().tmHeight;
    for (int at = 0; at < length;) {
        const Glyph& glyph = glyphs.Get(NextCode(text, length, at));
        if (glyph.valid) extent.cx += glyph.metrics.gmCellIncX;
    }
    return extent;
}

}  // namespace wfc
}  // namespace lib
