#pragma once
// CVersionWindow: the product version of the program, centred on the launcher.
#include "app/PopupWindow.h"

namespace ui {

class CVersionWindow : public CPopupWindow {
public:
    enum : int { kVersionText = kFirstOwnItem, kBaseFrame, kVersionImage, kCorporateImage };
    CVersionWindow() : CPopupWindow(nullptr) {}
    // Creates the window on first use and shows it centred on owner.
    void ShowFor(HWND owner);
    std::string VersionLabel() const;

protected:
    // Closing hides it: its items are made once, with the window.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnButton(int) override {}
};

}  // namespace ui
