#pragma once
// CUpdateNotifyWindow: asks the web service on a worker thread whether a
// newer release exists and, when one does, slides out above the launcher
// saying so; OK opens the download page and closes the launcher. It tells
// the launcher 0xB78 when the inquiry is handled and 0xB77 when it goes.
#include <atomic>
#include <string>

#include "app/PopupWindow.h"
#include "common/WinHandle.h"

namespace ui {

class CUpdateNotifyWindow : public CPopupWindow {
public:
    enum : int {
        kOKButton = kFirstOwnItem,
        kUpdateConfirmTextStatic,
        kDispMsgTextStatic,
        kDispMsgCheckBox
    };
    static constexpr UINT kMsgInquiryResult = 0x8002;

    CUpdateNotifyWindow(HWND owner, char drive);
    ~CUpdateNotifyWindow() override;
    // Creates the hidden window, checks the settings and starts the inquiry;
    // false when the settings say no (the window then closes at once).
    bool CreateAndInquire();
    uint32_t GetResult() const { return m_result; }
    const std::string& LatestUrl() const { return m_url; }
    // Signals "EventInquiryCancel".
    void Cancel();

protected:
    void OnButton(int id) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool SettingsAllowInquiry();
    static unsigned __stdcall InquiryThread(void* self);
    uint32_t Inquire();

    char m_drive;
    qm::CHandle m_cancel;
    qm::CHandle m_thread;
    std::atomic<uint32_t> m_result{0};
    std::string m_url;
    std::string m_version;
    bool m_checked = false;
};

}  // namespace ui
