#pragma once
// ui::CInitializationWindow: the first window of a user whose card is not
// registered on this PC. It opens the registration web page, or takes the
// nickname and password of an existing registration and has the worker
// authenticate the card's unit; on success the completion window follows
// and the window closes without asking.
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "app/AuthenticationWorker.h"
#include "app/InitializationWindowRules.h"
#include "common/WinHandle.h"
#include "ui/EndSessionWaitingWindow.h"
#include "ui/FrameOverlayWindowBase.h"
#include "ui/ResizableSkinWindow.h"
#include "ui/WindowBase.h"

namespace ui {

class CSkinWindowItemButton;
class CSkinWindowItemEditBox;
class CSkinWindowItemStatic;

class CInitializationWindow
    : public CFrameOverlayWindowBase<CEndSessionWaitingWindow<CResizableSkinWindow>>,
      public CWindowBase {
public:
    using Chain = CFrameOverlayWindowBase<CEndSessionWaitingWindow<CResizableSkinWindow>>;

    enum ItemId : int {
        kTitleStatic = 1,
        kCloseButton,
        kApplicationIcon,
        kRegistUserCaptionTextStatic,
        kRegistUserTextStatic,
        kRightTriangleImage,
        kRegistConfirmButton,
        kConfirmCaptionTextStatic,
        kConfirmTextStatic,
        kNickNameTextStatic,
        kPasswordTextStatic,
        kNickNameEdit,
        kPasswordEdit,
        kOKButton,
        kCancelButton,
        kNickNameHintStatic,
    };
    static constexpr DWORD kStyle = 0x820A0000;  // popup, clip children, system menu, minimize box
    static constexpr UINT kOverlayMessage = WM_APP + 0x154;
    static constexpr char kTitle[] = "Quillmarch UserEntry";

    CInitializationWindow();
    ~CInitializationWindow() override;

    // Loads the skin, builds the items and creates the window centred on
    // the work area (not shown). False when it could not be created.
    bool Create();

    // false once the first-run setup has completed (start-up then starts the
    // program again as a registered user).
    bool IsUserClose() const { return m_userClose; }
    bool IsAuthenticating() const { return m_authThread.Valid(); }
    // The worker's end arrived while the close question was open and waits
    // for its answer (readable from any thread).
    bool HasOutcomeWaiting() const { return m_hasPendingResult.load(); }
    // The window posts WM_QUIT when destroyed (it ends the program's loop);
    // tests that run several windows in one process switch it off.
    void SetQuitOnDestroy(bool quit) { m_quitOnDestroy = quit; }
    // What the last refused nickname input showed (empty: nothing refused).
    const std::string& NickNameHintText() const { return m_hint; }
    // The drive list the window keeps (refilled when found empty).
    const std::vector<char>& Drives() const { return m_drives; }
    CSkinWindowItemEditBox* NickNameEdit() const { return m_nickNameEdit; }
    CSkinWindowItemEditBox* PasswordEdit() const { return m_passwordEdit; }
    CSkinWindowItemButton* OkButton() const { return m_okButton; }

    UINT GetFrameOverlayMessage() override { return kOverlayMessage; }
    bool FilterKey(UINT key, UINT flags) override;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCommand(UINT id, UINT code, HWND control) override;
    void OnKeyDown(UINT key, UINT flags) override;
    void OnClose() override;
    void OnDestroy() override;
    bool OnItemEvent(int id, int code, intptr_t param) override;

private:
    void OnCloseCommand();
    void OnOk();
    void OnRegistConfirm();
    void OnEditChange(HWND control);
    void OnAuthDone(uint32_t result);
    void UpdateOkButton();
    void RefillDrives();
    void JoinWorker();
    void ShowHint(const std::string& text);
    void ShowProgress(bool running);
    void AddStatic(int id, const char* name, const char* text);

    CSkinWindowItemEditBox* m_nickNameEdit = nullptr;
    CSkinWindowItemEditBox* m_passwordEdit = nullptr;
    CSkinWindowItemButton* m_okButton = nullptr;
    CSkinWindowItemStatic* m_hintStatic = nullptr;
    COLORREF m_hintColor = 0;
    static constexpr COLORREF kProgressColor = RGB(169, 177, 188);
    qm::CHandle m_authThread;
    qm::CHandle m_cancelEvent;
    bool m_userClose = true;
    bool m_closeAfterWorker = false;
    bool m_quitOnDestroy = true;
    bool m_inEditRevert = false;
    bool m_askingClose = false;
    std::atomic<bool> m_hasPendingResult{false};
    uint32_t m_pendingResult = 0;
    std::string m_acceptedNickName;  // the box's last text that passed the rules
    std::string m_hint;
    std::vector<char> m_drives;
    AuthenticationJob m_job;  // the worker's fields: read and written only while it runs
};

}  // namespace ui
