#pragma once
// CMapChargeWindow: the pop-up through which the launcher asks one yes/no
// question about a map update. It reports its answer to the owner with 0xA66
// when it is destroyed: wParam the result code of its type, lParam the
// "do not show again" box in the high word and the acceptance in the low.
#include "app/PopupWindow.h"

namespace ui {

class CSkinWindowItemToggleButton;

class CMapChargeWindow : public CPopupWindow {
public:
    enum : int {
        kYesButton = kFirstOwnItem,
        kCancelButton,
        kYesBottomButton,
        kCancelBottomButton,
        kYesShortButton,
        kReNotifyButton,
        kOKShortButton,
        kReReserveButton,
        kDispMsgCheckBox,
        kDispMsgTextStatic,
        kInformationTextStatic,
        kInformationTextSmallStatic,
    };

    explicit CMapChargeWindow(HWND owner);
    void CreateMapWindow();
    void SetVariant(int navigationModelType) { m_variant = navigationModelType; }
    // Checks the settings and fills the question; false (window closed) when
    // the type is invalid or the user silenced it.
    bool SetType(int type, uint32_t argument);
    void Show();
    // The core that asked has gone: the window closes without an answer.
    void Withdraw();
    int Type() const { return m_type; }
    std::string InformationText() const;
    // The buttons shown, by id, in id order.
    std::vector<int> VisibleButtons() const;

protected:
    void OnButton(int id) override;
    bool OnItemEvent(int id, int code, intptr_t param) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool SettingsAllowShow();
    void SaveAnswer(int mode);

    int m_type = -1;
    int m_variant = 1;
    bool m_declined = true;
    bool m_withdrawn = false;
    bool m_checked = false;
    CSkinWindowItemToggleButton* m_checkBox = nullptr;
};

// The result code a window type reports (its request type); -1 when invalid.
int MapWindowResultCode(int type);

}  // namespace ui
