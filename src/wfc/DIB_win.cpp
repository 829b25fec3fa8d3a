// CDIB: the 24-bit DIB section, its decoding with GDI+ and the pixel loops.

// clang-format off
#include <windows.h>
#include <ole2.h>
#include <gdiplus.h>
// clang-format on

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "common/KilnLog.h"
#include "wfc/DIB.h"
#include "wfc/Exception.h"

namespace lib {
namespace wfc {

namespace gp = Gdiplus::DllExports;

namespace {

// --- GDI+ is started by its first user and shut down by the last -------------------
std::mutex g_gdiplusLock;
LONG g_gdiplusUsers = 0;
ULONG_PTR g_gdiplusToken = 0;

}  // namespace

CGdiplusUser::CGdiplusUser() {
    std::lock_guard<std::mutex> lock(g_gdiplusLock);
    if (::InterlockedIncrement(&g_gdiplusUsers) == 1) {
        Gdiplus::GdiplusStartupInput input;
        if (Gdiplus::GdiplusStartup(&g_gdiplusToken, &input, nullptr) != Gdiplus::Ok) {
            KILNLOG.Log(LOG_ERROR, "CDIB - GDI+開始失敗");
            g_gdiplusToken = 0;
        }
    }
    m_ok = g_gdiplusToken != 0;
}

CGdiplusUser::~CGdiplusUser() {
    std::lock_guard<std::mutex> lock(g_gdiplusLock);
    if (::InterlockedDecrement(&g_gdiplusUsers) == 0 && g_gdiplusToken) {
        Gdiplus::GdiplusShutdown(g_gdiplusToken);
        g_gdiplusToken = 0;
    }
}

namespace {

// Owners of the GDI+ and COM objects used here.
struct GpImageOwner {
    Gdiplus::GpBitmap* bitmap = nullptr;
    ~GpImageOwner() {
        if (bitmap) gp::GdipDisposeImage(bitmap);
    }
};
struct StreamOwner {
    IStream* stream = nullptr;
    ~StreamOwner() {
        if (stream) stream->Release();
    }
};

// The image formats share one GUID apart from the first field.
int FormatFromGuid(const GUID& guid) {
    static const GUID kBase = {
        0xb96b3ca9, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
    if (guid.Data2 != kBase.Data2 || guid.Data3 != kBase.Data3 ||
        std::memcmp(guid.Data4, kBase.Data4, sizeof guid.Data4) != 0)
        return kFormatUnknown;
    switch (guid.Data1) {
        case 0xb96b3caa:
            return kFormatMemoryBmp;
        case 0xb96b3cab:
            return kFormatBmp;
        case 0xb96b3cac:
            return kFormatEmf;
        case 0xb96b3cad:
            return kFormatWmf;
        case 0xb96b3cae:
            return kFormatJpeg;
        case 0xb96b3caf:
            return kFormatPng;
        case 0xb96b3cb0:
            return kFormatGif;
        case 0xb96b3cb1:
            return kFormatTiff;
        case 0xb96b3cb2:
            return kFormatExif;
        case 0xb96b3cb5:
            return kFormatIcon;
    }
    return kFormatUnknown;
}

// An indexed image's first fully transparent palette entry is its key
// colour; it is made opaque so that the 24-bit copy keeps its colour.
bool PreparePalette(Gdiplus::GpBitmap* bitmap, COLORREF* key) {
    INT size = 0;
    if (gp::GdipGetImagePaletteSize(bitmap, &size) != Gdiplus::Ok ||
        size < static_cast<INT>(sizeof(Gdiplus::ColorPalette)))
        return false;
    std::vector<BYTE> buffer(static_cast<size_t>(size));
    auto* palette = reinterpret_cast<Gdiplus::ColorPalette*>(buffer.data());
    if (gp::GdipGetImagePalette(bitmap, palette, size) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < palette->Count; ++i) {
        Gdiplus::ARGB argb = palette->Entries[i];
        if ((argb >> 24) != 0) continue;
        *key = RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
        palette->Entries[i] = argb | 0xFF000000u;
        gp::GdipSetImagePalette(bitmap, palette);
        return true;
    }
    return false;
}

// A true-colour PNG names its transparent colour in a tRNS chunk, which the
// 24-bit copy would lose: read it from the file.
bool PngColourKey(const std::vector<BYTE>& bytes, COLORREF* key) {
    static const BYTE kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (bytes.size() < 33 || std::memcmp(bytes.data(), kSignature, 8) != 0) return false;
    auto be32 = [&bytes](size_t at) {
        return (static_cast<DWORD>(bytes[at]) << 24) | (bytes[at + 1] << 16) |
               (bytes[at + 2] << 8) | bytes[at + 3];
    };
    const BYTE colourType = bytes[25];
    if (colourType != 2) return false;  // indexed ones go through the palette
    size_t at = 8;
    while (at + 12 <= bytes.size()) {
        const DWORD length = be32(at);
        if (length > bytes.size() - at - 12) return false;
        if (std::memcmp(&bytes[at + 4], "tRNS", 4) == 0 && length >= 6) {
            const BYTE* d = &bytes[at + 8];
            *key = RGB(d[1], d[3], d[5]);  // low bytes of the 16-bit samples
            return true;
        }
        if (std::memcmp(&bytes[at + 4], "IDAT", 4) == 0) return false;  // tRNS comes before
        at += 12 + length;
    }
    return false;
}

IStream* StreamOnCopy(const void* data, size_t size) {
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size ? size : 1);
    if (!memory) return nullptr;
    if (size) {
        void* target = ::GlobalLock(memory);
        std::memcpy(target, data, size);
        ::GlobalUnlock(memory);
    }
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(memory, TRUE, &stream))) {
        ::GlobalFree(memory);
        return nullptr;
    }
    if (size == 0) {
        ULARGE_INTEGER zero = {};
        stream->SetSize(zero);
    }
    return stream;
}

bool ReadAll(IStream* stream, std::vector<BYTE>& bytes) {
    BYTE chunk[16384];
    for (;;) {
        ULONG got = 0;
        HRESULT hr = stream->Read(chunk, sizeof chunk, &got);
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (FAILED(hr)) return false;
        if (got < sizeof chunk) return true;
    }
}

bool SeekStart(IStream* stream) {
    LARGE_INTEGER zero = {};
    return SUCCEEDED(stream->Seek(zero, STREAM_SEEK_SET, nullptr));
}

}  // namespace

// --- life ---------------------------------------------------------------------------------

CDIB::CDIB(CDIB&& other) noexcept { *this = std::move(other); }

CDIB& CDIB::operator=(CDIB&& other) noexcept {
    if (this == &other) return *this;
    m_bitmap = std::move(other.m_bitmap);
    m_bits = std::exchange(other.m_bits, nullptr);
    m_width = std::exchange(other.m_width, 0);
    m_height = std::exchange(other.m_height, 0);
    m_stride = std::exchange(other.m_stride, 0);
    m_format = std::exchange(other.m_format, kFormatUnknown);
    m_hasKey = std::exchange(other.m_hasKey, false);
    m_keyColor = std::exchange(other.m_keyColor, 0);
    return *this;
}

void CDIB::Create(int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // positive: bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) CWindowPolicy::Throw("CDIB::Create - DIB作成失敗", ::GetLastError());
    Destroy();
    m_bitmap.Reset(bitmap);
    m_bits = static_cast<BYTE*>(bits);
    m_width = width;
    m_height = height;
    m_stride = (width * 3 + 3) & ~3;
    std::memset(m_bits, 0, static_cast<size_t>(m_stride) * height);
}

void CDIB::Destroy() {
    m_bitmap.Reset();
    m_bits = nullptr;
    m_width = m_height = m_stride = 0;
    m_format = kFormatUnknown;
    m_hasKey = false;
    m_keyColor = 0;
}

COLORREF CDIB::GetPixel(int x, int y) const {
    if (!m_bits || x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
    const BYTE* p = Row(y) + x * 3;
    return RGB(p[2], p[1], p[0]);
}

void CDIB::SetPixel(int x, int y, COLORREF color) {
    if (!m_bits || x < 0 || y < 0 || x >= m_width || y >= m_height) return;
    BYTE* p = Row(y) + x * 3;
    p[0] = GetBValue(color);
    p[1] = GetGValue(color);
    p[2] = GetRValue(color);
}

// --- loading ------------------------------------------------------------------------------

int CDIB::LoadStream(IStream* stream) {
    Destroy();
    CGdiplusUser gdiplus;
    if (!stream || !gdiplus.Ok()) return kLoadFailed;
    std::vector<BYTE> bytes;
    if (!ReadAll(stream, bytes) || !SeekStart(stream)) return kLoadFailed;
    if (bytes.size() < 3) return kLoadShortRead;
#ifdef WFC_REFUSE_GIF
    if (std::memcmp(bytes.data(), "GIF", 3) == 0) return kLoadRefused;
#endif

    GpImageOwner image;
    if (gp::GdipCreateBitmapFromStream(stream, &image.bitmap) != Gdiplus::Ok || !image.bitmap)
        return kLoadFailed;
    GUID raw = {};
    gp::GdipGetImageRawFormat(image.bitmap, &raw);
    const int format = FormatFromGuid(raw);
    COLORREF key = 0;
    bool hasKey = PngColourKey(bytes, &key);
    if (!hasKey) hasKey = PreparePalette(image.bitmap, &key);

    UINT width = 0;
    UINT height = 0;
    gp::GdipGetImageWidth(image.bitmap, &width);
    gp::GdipGetImageHeight(image.bitmap, &height);
    if (width == 0 || height == 0 || width > 32767 || height > 32767) return kLoadFailed;
    Create(static_cast<int>(width), static_cast<int>(height));

    // GDI+ writes top-down into our buffer; the rows are swapped afterwards.
    Gdiplus::BitmapData data = {};
    data.Width = width;
    data.Height = height;
    data.Stride = m_stride;
    data.PixelFormat = PixelFormat24bppRGB;
    data.Scan0 = m_bits;
    Gdiplus::GpRect rect(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    if (gp::GdipBitmapLockBits(image.bitmap, &rect,
                               Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                               PixelFormat24bppRGB, &data) != Gdiplus::Ok) {
        Destroy();
        return kLoadFailed;
    }
    gp::GdipBitmapUnlockBits(image.bitmap, &data);
    std::vector<BYTE> swap(static_cast<size_t>(m_stride));
    for (int i = 0; i < m_height / 2; ++i) {
        BYTE* a = m_bits + static_cast<size_t>(i) * m_stride;
        BYTE* b = m_bits + static_cast<size_t>(m_height - 1 - i) * m_stride;
        std::memcpy(swap.data(), a, m_stride);
        std::memcpy(a, b, m_stride);
        std::memcpy(b, swap.data(), m_stride);
    }
    m_format = format;
    m_hasKey = hasKey;
    m_keyColor = hasKey ? key : 0;
    return kLoadOk;
}

int CDIB::LoadMemory(const void* data, size_t size) {
    StreamOwner owner;
    owner.stream = StreamOnCopy(data, size);
    if (!owner.stream) {
        Destroy();
        return kLoadFailed;
    }
    return LoadStream(owner.stream);
}

int CDIB::LoadFile(const char* path) {
    Destroy();
    HANDLE file = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        KILNLOG.Log(LOG_ERROR, "CDIB::LoadFile - オープン失敗 %s ERR:0x%08X", path ? path : "",
                    static_cast<unsigned>(::GetLastError()));
        return kLoadFailed;
    }
    std::vector<BYTE> bytes(::GetFileSize(file, nullptr));
    DWORD got = 0;
    BOOL ok = bytes.empty() ||
              ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    DWORD error = ::GetLastError();
    ::CloseHandle(file);
    if (!ok) {
        KILNLOG.Log(LOG_ERROR, "CDIB::LoadFile - 読込失敗 %s ERR:0x%08X", path,
                    static_cast<unsigned>(error));
        return kLoadFailed;
    }
    return LoadMemory(bytes.data(), got);
}

int CDIB::LoadResource(HMODULE module, const char* name, const char* type) {
    Destroy();
    HRSRC found = ::FindResourceA(module, name, type);
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data) {
        KILNLOG.Log(LOG_ERROR, "CDIB::LoadResource - リソース無し ERR:0x%08X",
                    static_cast<unsigned>(::GetLastError()));
        return kLoadFailed;
    }
    return LoadMemory(data, ::SizeofResource(module, found));
}

// --- encoding -----------------------------------------------------------------------------

std::string CDIB::EncodePng() const {
    if (!m_bits) return std::string();
    CGdiplusUser gdiplus;
    if (!gdiplus.Ok()) return std::string();
    // Bottom-up rows: start at the top row and walk with a negative stride.
    GpImageOwner image;
    if (gp::GdipCreateBitmapFromScan0(m_width, m_height, -m_stride, PixelFormat24bppRGB, Row(0),
                                      &image.bitmap) != Gdiplus::Ok)
        return std::string();
    static const CLSID kPngEncoder = {
        0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
    StreamOwner owner;
    owner.stream = StreamOnCopy(nullptr, 0);
    if (!owner.stream ||
        gp::GdipSaveImageToStream(image.bitmap, owner.stream, &kPngEncoder, nullptr) !=
            Gdiplus::Ok ||
        !SeekStart(owner.stream))
        return std::string();
    std::vector<BYTE> bytes;
    if (!ReadAll(owner.stream, bytes)) return std::string();
    return std::string(bytes.begin(), bytes.end());
}

bool CDIB::SavePng(const char* path) const {
    std::string png = EncodePng();
    if (png.empty()) return false;
    HANDLE file = ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = ::WriteFile(file, png.data(), static_cast<DWORD>(png.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == png.size();
}

// --- pixel operations ---------------------------------------------------------------------

namespace {

enum class Op { Copy, Key, Blend, KeyBlend };

// Clips the destination rectangle and the source origin against both bitmaps.
bool Clip(int& x, int& y, int& w, int& h, int& sx, int& sy, int dw, int dh, int sw, int sh) {
    if (x < 0) {
        sx -= x;
        w += x;
        x = 0;
    }
    if (y < 0) {
        sy -= y;
        h += y;
        y = 0;
    }
    if (sx < 0) {
        x -= sx;
        w += sx;
        sx = 0;
    }
    if (sy < 0) {
        y -= sy;
        h += sy;
        sy = 0;
    }
    w = std::min({w, dw - x, sw - sx});
    h = std::min({h, dh - y, sh - sy});
    return w > 0 && h > 0;
}

inline BYTE BlendChannel(int d, int s, int alpha) {
    return static_cast<BYTE>(d + (((s - d) * (alpha + 1)) >> 8));
}

inline bool IsKey(const BYTE* p, BYTE kb, BYTE kg, BYTE kr) {
    return p[0] == kb && p[1] == kg && p[2] == kr;
}

// Channel by channel: the same formula for every byte of a run of pixels,
// which the compiler turns into vector code.
inline void BlendBytes(BYTE* d, const BYTE* s, size_t count, int alpha) {
    for (size_t i = 0; i < count; ++i) d[i] = BlendChannel(d[i], s[i], alpha);
}

// One row of `width` pixels. Keyed operations work on the runs between key
// pixels, so that the opaque parts of a picture are copied or blended whole.
template <Op kOp>
void RowOp(BYTE* d, const BYTE* s, int width, int alpha, BYTE kb, BYTE kg, BYTE kr) {
    if (kOp == Op::Copy) {
        std::memmove(d, s, static_cast<size_t>(width) * 3);
        return;
    }
    if (kOp == Op::Blend) {
        BlendBytes(d, s, static_cast<size_t>(width) * 3, alpha);
        return;
    }
    int x = 0;
    while (x < width) {
        while (x < width && IsKey(s + x * 3, kb, kg, kr)) ++x;
        const int start = x;
        while (x < width && !IsKey(s + x * 3, kb, kg, kr)) ++x;
        const size_t bytes = static_cast<size_t>(x - start) * 3;
        if (kOp == Op::Key)
            std::memmove(d + start * 3, s + start * 3, bytes);
        else
            BlendBytes(d + start * 3, s + start * 3, bytes, alpha);
    }
}

template <Op kOp>
void RunRect(CDIB& dst, int x, int y, int w, int h, const CDIB& src, int sx, int sy, int alpha,
             COLORREF key) {
    if (dst.IsEmpty() || src.IsEmpty()) return;
    if (!Clip(x, y, w, h, sx, sy, dst.Width(), dst.Height(), src.Width(), src.Height())) return;
    alpha = std::clamp(alpha, 0, 255);
    const BYTE kb = GetBValue(key), kg = GetGValue(key), kr = GetRValue(key);
    // Within one bitmap (scrolling), rows moving down are taken from the bottom.
    const bool upwards = &dst == &src && y > sy;
    for (int i = 0; i < h; ++i) {
        const int row = upwards ? h - 1 - i : i;
        RowOp<kOp>(dst.Row(y + row) + x * 3, src.Row(sy + row) + sx * 3, w, alpha, kb, kg, kr);
    }
}

}  // namespace

void CDIB::Copy(int x, int y, int width, int height, const CDIB& source, int sx, int sy) {
    RunRect<Op::Copy>(*this, x, y, width, height, source, sx, sy, 255, 0);
}
void CDIB::KeyCopy(int x, int y, int width, int height, const CDIB& source, int sx, int sy,
                   COLORREF key) {
    RunRect<Op::Key>(*this, x, y, width, height, source, sx, sy, 255, key);
}
void CDIB::Blend(int x, int y, int width, int height, const CDIB& source, int sx, int sy,
                 int alpha) {
    RunRect<Op::Blend>(*this, x, y, width, height, source, sx, sy, alpha, 0);
}
void CDIB::KeyBlend(int x, int y, int width, int height, const CDIB& source, int sx, int sy,
                    int alpha, COLORREF key) {
    RunRect<Op::KeyBlend>(*this, x, y, width, height, source, sx, sy, alpha, key);
}
void CDIB::Compose(int x, int y, int width, int height, const CDIB& source, int sx, int sy,
                   int alpha, long key) {
    if (alpha >= 255) {
        if (key == kNoKey)
            Copy(x, y, width, height, source, sx, sy);
        else
            KeyCopy(x, y, width, height, source, sx, sy, static_cast<COLORREF>(key));
    } else if (key == kNoKey) {
        Blend(x, y, width, height, source, sx, sy, alpha);
    } else {
        KeyBlend(x, y, width, height, source, sx, sy, alpha, static_cast<COLORREF>(key));
    }
}

void CDIB::Fill(const RECT& rect, COLORREF color) {
    if (!m_bits) return;
    const int left = std::max<int>(rect.left, 0), right = std::min<int>(rect.right, m_width);
    const int top = std::max<int>(rect.top, 0), bottom = std::min<int>(rect.bottom, m_height);
    for (int y = top; y < bottom; ++y) {
        BYTE* p = Row(y) + left * 3;
        for (int x = left; x < right; ++x, p += 3) {
            p[0] = GetBValue(color);
            p[1] = GetGValue(color);
            p[2] = GetRValue(color);
        }
    }
}

// --- region ---------------------------------------------------------------------------------

CRgn CreateRegion(const CDIB& dib, int x0, int y0, int x1, int y1, COLORREF key) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, dib.Width());
    y1 = std::min(y1, dib.Height());
    std::vector<RECT> rects;
    const BYTE kb = GetBValue(key), kg = GetGValue(key), kr = GetRValue(key);
    for (int y = y0; y < y1; ++y) {
        const BYTE* row = dib.Row(y);
        int x = x0;
        while (x < x1) {
            auto isKey = [&](int at) {
                const BYTE* p = row + at * 3;
                return p[0] == kb && p[1] == kg && p[2] == kr;
            };
            while (x < x1 && isKey(x)) ++x;
            if (x >= x1) break;
            const int start = x;
            while (x < x1 && !isKey(x)) ++x;
            rects.push_back({start - x0, y - y0, x - x0, y - y0 + 1});
        }
    }
    std::vector<BYTE> buffer(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(rects.size());
    data->rdh.nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
    data->rdh.rcBound = {0, 0, std::max(x1 - x0, 0), std::max(y1 - y0, 0)};
    if (!rects.empty()) std::memcpy(data->Buffer, rects.data(), rects.size() * sizeof(RECT));
    HRGN region = ::ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()), data);
    if (!region) CWindowPolicy::Throw("CreateRegion - リージョン作成失敗", ::GetLastError());
    return CRgn(region);
}

// --- nine slices --------------------------------------------------------------------------

namespace {

// A run of destination columns that take consecutive source columns.
struct Segment {
    int dest;    // first destination column
    int source;  // its source column
    int length;
};

template <Op kOp>
void RunMapped(CDIB& dst, const RECT& area, const std::vector<Segment>& segments, const int* rows,
               int top, const CDIB& src, int alpha, COLORREF key, int period) {
    const BYTE kb = GetBValue(key), kg = GetGValue(key), kr = GetRValue(key);
    const size_t rowBytes = static_cast<size_t>(area.right - area.left) * 3;
    for (int y = area.top; y < area.bottom; ++y) {
        BYTE* d = dst.Row(y);
        // A plain copy of the same source row gives the same pixels as the row above.
        if (kOp == Op::Copy && y > area.top && rows[y - top] == rows[y - 1 - top]) {
            std::memcpy(d + area.left * 3, dst.Row(y - 1) + area.left * 3, rowBytes);
            continue;
        }
        const BYTE* s = src.Row(rows[y - top]);
        for (const Segment& seg : segments) {
            if (seg.length == 1) {
                BYTE* p = d + seg.dest * 3;
                const BYTE* q = s + seg.source * 3;
                if ((kOp == Op::Key || kOp == Op::KeyBlend) && IsKey(q, kb, kg, kr)) continue;
                if (kOp == Op::Copy || kOp == Op::Key) {
                    p[0] = q[0];
                    p[1] = q[1];
                    p[2] = q[2];
                } else {
                    BlendBytes(p, q, 3, alpha);
                }
                continue;
            }
            RowOp<kOp>(d + seg.dest * 3, s + seg.source * 3, seg.length, alpha, kb, kg, kr);
        }
        // A copied tile repeats: the rest of the row doubles what is drawn.
        if (kOp == Op::Copy && period > 0) {
            BYTE* begin = d + area.left * 3;
            const size_t total = rowBytes;
            size_t done = static_cast<size_t>(period) * 3;
            while (done < total) {
                const size_t step = std::min(done, total - done);
                std::memcpy(begin + done, begin, step);
                done += step;
            }
        }
    }
}

// The segments of the columns left..right of a piece whose column map starts at `first`.
void Segments(const int* cols, int first, int left, int right, std::vector<Segment>& out) {
    out.clear();
    for (int x = left; x < right; ++x) {
        const int source = cols[x - first];
        if (!out.empty() && out.back().source + out.back().length == source &&
            out.back().dest + out.back().length == x)
            ++out.back().length;
        else
            out.push_back({x, source, 1});
    }
}

}  // namespace

void DrawNineSlice(CDIB& target, const RECT& dest, const RECT* clip, const CDIB& source,
                   const NineSlice& slice, int alpha, long key, SliceFill fill) {
    if (target.IsEmpty() || source.IsEmpty()) return;
    RECT bounds = {0, 0, target.Width(), target.Height()};
    RECT limit = {};
    if (!::IntersectRect(&limit, &bounds, &dest)) return;
    if (clip && !::IntersectRect(&limit, &limit, clip)) return;
    alpha = std::clamp(alpha, 0, 255);

    // Source pieces must lie inside the source image.
    int sxs[4], sys[4];
    for (int i = 0; i < 4; ++i) {
        sxs[i] = std::clamp(slice.x[i], 0, source.Width());
        sys[i] = std::clamp(slice.y[i], 0, source.Height());
    }
    for (int i = 1; i < 4; ++i) {
        sxs[i] = std::max(sxs[i], sxs[i - 1]);
        sys[i] = std::max(sys[i], sys[i - 1]);
    }
    // Destination spans: corners keep their size (cut when the target is too small).
    auto spans = [](int start, int length, const int* s, int* d) {
        const int first = std::min(s[1] - s[0], length);
        const int last = std::min(s[3] - s[2], length - first);
        d[0] = start;
        d[1] = start + first;
        d[2] = start + length - last;
        d[3] = start + length;
    };
    int dxs[4], dys[4];
    spans(dest.left, dest.right - dest.left, sxs, dxs);
    spans(dest.top, dest.bottom - dest.top, sys, dys);

    // Which source column or row each destination pixel takes.
    auto map = [fill](int srcStart, int srcLength, int dstLength, int skip, bool middle,
                      std::vector<int>& out) {
        out.resize(static_cast<size_t>(dstLength));
        for (int i = 0; i < dstLength; ++i) {
            int offset;
            if (!middle)
                offset = i + skip;  // a corner, possibly showing its far part only
            else if (fill == SliceFill::Stretch)
                offset = static_cast<int>(static_cast<long long>(i) * srcLength / dstLength);
            else
                offset = i % srcLength;
            out[static_cast<size_t>(i)] = srcStart + offset;
        }
    };
    std::vector<int> cols, rows;
    std::vector<Segment> segments;
    for (int j = 0; j < 3; ++j) {
        const int sh = sys[j + 1] - sys[j], dh = dys[j + 1] - dys[j];
        if (sh <= 0 || dh <= 0) continue;
        map(sys[j], sh, dh, j == 2 ? sh - dh : 0, j == 1, rows);
        for (int i = 0; i < 3; ++i) {
            const int sw = sxs[i + 1] - sxs[i], dw = dxs[i + 1] - dxs[i];
            if (sw <= 0 || dw <= 0) continue;
            RECT piece = {dxs[i], dys[j], dxs[i + 1], dys[j + 1]};
            RECT area = {};
            if (!::IntersectRect(&area, &piece, &limit)) continue;
            map(sxs[i], sw, dw, i == 2 ? sw - dw : 0, i == 1, cols);
            const COLORREF k = static_cast<COLORREF>(key);
            const int* r = rows.data();
            if (alpha >= 255 && key == kNoKey) {
                // A tiled middle is drawn once per row for one period and then repeated.
                const bool tiled = i == 1 && fill == SliceFill::Tile && area.right - area.left > sw;
                const int period = tiled ? sw : 0;
                Segments(cols.data(), dxs[i], area.left, tiled ? area.left + sw : area.right,
                         segments);
                RunMapped<Op::Copy>(target, area, segments, r, dys[j], source, alpha, k, period);
                continue;
            }
            Segments(cols.data(), dxs[i], area.left, area.right, segments);
            if (alpha >= 255)
                RunMapped<Op::Key>(target, area, segments, r, dys[j], source, alpha, k, 0);
            else if (key == kNoKey)
                RunMapped<Op::Blend>(target, area, segments, r, dys[j], source, alpha, k, 0);
            else
                RunMapped<Op::KeyBlend>(target, area, segments, r, dys[j], source, alpha, k, 0);
        }
    }
}

}  // namespace wfc
}  // namespace lib
