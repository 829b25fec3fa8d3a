// CRegionWindow: a window shaped by a region.
#include <windows.h>

#include "wfc/Window.h"

namespace lib {
namespace wfc {

void CRegionWindow::SetRegion(CRgn region) {
    // On success the system owns the region; on failure it stays ours.
    if (!::SetWindowRgn(GetHandle(), region.Get(), TRUE))
        Throw("CRegionWindow::SetRegion - リージョン設定失敗", ::GetLastError());
    region.Release();
    InvalidateRect();
}

}  // namespace wfc
}  // namespace lib
