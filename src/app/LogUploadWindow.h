#pragma once
// CLogUploadWindow: asks the service whether it wants the program's logs
// while hidden; only then it slides out and asks the user. Every end
// reports 0xB98 to the launcher with the last result and its detail.
#include <memory>
#include <string>

#include "app/PopupWindow.h"

class CAplLogUpload;

namespace ui {

class CLogUploadWindow : public CPopupWindow {
public:
    enum : int { kYesButton = kFirstOwnItem, kCancelButton, kUpdateConfirmTextStatic };
    static constexpr UINT kMsgPermission = 0x8002;
    static constexpr UINT kMsgUploaded = 0x8003;

    CLogUploadWindow();
    ~CLogUploadWindow() override;
    bool SetLogUploadInfo(char drive, const char* deviceNo, const char* userAgent, uint32_t ccid);
    // Creates the hidden window and starts the permission check.
    bool CreateAndCheck(HWND owner);
    uint32_t LastResult() const { return m_lastResult; }

protected:
    void OnButton(int id) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool StartWorker(UINT message, DWORD kind);

    char m_drive = 0;
    std::string m_deviceNo;
    std::string m_userAgent;
    uint32_t m_ccid = 0;
    uint32_t m_lastResult = 0;
    uint32_t m_lastDetail = 0;
    HWND m_launcher = nullptr;
    std::unique_ptr<CAplLogUpload> m_upload;
};

}  // namespace ui
