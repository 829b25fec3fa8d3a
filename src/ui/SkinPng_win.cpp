#include <windows.h>
// GDI+ needs the OLE types first.
#include <ole2.h>
// (kept apart so that formatting does not reorder them)
#include <gdiplus.h>

#include "common/CodePage.h"
#include "common/KilnLog.h"
#include "ui/SkinPng.h"

namespace ui {

namespace {

// {557CF406-1A04-11D3-9A73-0000F81EF32E}: the PNG encoder.
const CLSID kPngEncoder = {
    0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

}  // namespace

bool SaveDibAsPng(const lib::wfc::CDIB& dib, const std::string& path) {
    if (dib.IsEmpty()) return false;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
        KILNLOG.Log(LOG_ERROR, "ui::SaveDibAsPng - GDI+ 開始失敗");
        return false;
    }
    Gdiplus::GpBitmap* bitmap = nullptr;
    // The top row first with a negative stride: the bits are stored bottom-up.
    Gdiplus::Status status = Gdiplus::DllExports::GdipCreateBitmapFromScan0(
        dib.Width(), dib.Height(), -dib.Stride(), PixelFormat24bppRGB, dib.Row(0), &bitmap);
    if (status == Gdiplus::Ok) {
        status = Gdiplus::DllExports::GdipSaveImageToFile(bitmap, AnsiToWide(path).c_str(),
                                                          &kPngEncoder, nullptr);
        Gdiplus::DllExports::GdipDisposeImage(bitmap);
    }
    Gdiplus::GdiplusShutdown(token);
    if (status != Gdiplus::Ok) {
        KILNLOG.Log(LOG_ERROR, "ui::SaveDibAsPng - %s 書込失敗 status:%d", path.c_str(),
                    static_cast<int>(status));
        return false;
    }
    return true;
}

}  // namespace ui
