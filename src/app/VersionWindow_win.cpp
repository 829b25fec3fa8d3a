#include "app/VersionWindow.h"
#include "common/FileHelpers.h"
#include "ui/SkinWindowItemResizableStaticImage.h"
#include "ui/SkinWindowItemStatic.h"
#include "ui/SkinWindowItemStaticImage.h"

namespace ui {

void CVersionWindow::ShowFor(HWND owner) {
    if (!GetHandle()) {
        BeginPopup("VersionWindow.txt", "QUILL MARCHバージョン情報");
        AddItem<CSkinWindowItemResizableStaticImage>(kBaseFrame, GetItem(Skin(), "BaseFrame"));
        AddItem<CSkinWindowItemStaticImage>(kVersionImage, GetItem(Skin(), "VersionImage"));
        AddItem<CSkinWindowItemStaticImage>(kCorporateImage, GetItem(Skin(), "CorporateImage"));
        AddText(kVersionText, "VersionText", GetProductVersionLabel());
        FinishPopup("Quillmarch Version", WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU);
    }
    CenterWindow(owner);
    ShowWindow(SW_SHOW);
}

LRESULT CVersionWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        ShowWindow(SW_HIDE);
        return 0;
    }
    return CPopupWindow::WindowProc(message, wParam, lParam);
}

std::string CVersionWindow::VersionLabel() const {
    auto* self = const_cast<CVersionWindow*>(this);
    auto* item = static_cast<CSkinWindowItemStatic*>(self->GetItemById(kVersionText));
    return item ? item->GetText() : std::string();
}

}  // namespace ui
