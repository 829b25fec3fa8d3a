#pragma once
// CSettingWindow: the launcher's settings dialog. Which kinds an update
// fetches, map-update notices, the download folder and its automatic
// deletion, and three housekeeping commands: erase downloaded data, erase
// the card's data area, return to the defaults. The settings file is read on
// every opening and written on OK only.
#include <cstdint>
#include <string>

#include "ui/EndSessionWaitingWindow.h"
#include "ui/FrameOverlayWindowBase.h"
#include "ui/ResizableSkinWindow.h"
#include "ui/WindowBase.h"

namespace ui {

class CSkinWindowItemEditBox;

class CSettingWindow
    : public CFrameOverlayWindowBase<CEndSessionWaitingWindow<CResizableSkinWindow>>,
      public CWindowBase {
public:
    using Chain = CFrameOverlayWindowBase<CEndSessionWaitingWindow<CResizableSkinWindow>>;
    enum : int {
        kTitleStatic = 1,
        kCloseButton,
        kApplicationIcon,
        kOKButton,
        kCancelButton,
        kReInitializeButton,
        kMapChargeExeCheckBox,
        kBraidlineExeCheckBox,
        kWeatherLiveExeCheckBox,
        kMapChargeCheckBox,
        kAutoDeleteCheckBox,
        kDownloadFolderEdit,
        kDownloadFolderButton,
        kDownloadDeleteButton,
        kSDClearButton,
        kFirstDecoration = 32,
    };
    // The five check boxes in the order of their keys.
    static constexpr int kCheckBoxes[5] = {kMapChargeExeCheckBox, kBraidlineExeCheckBox,
                                           kWeatherLiveExeCheckBox, kMapChargeCheckBox,
                                           kAutoDeleteCheckBox};

    // The map notice's text follows the launcher's navigation model type.
    explicit CSettingWindow(int navigationModelType = 1);
    ~CSettingWindow() override;

    // Creates the window on first use (hidden) and fills it from the file.
    void Open(HWND owner, char drive);
    // Opens it centred over the owner, in front.
    void Show(HWND owner, char drive);
    char Drive() const { return m_drive; }

    // The commands (tests call them as the buttons do).
    void Save();
    void Cancel();
    void ChooseFolder();
    void DeleteDownloadedData();
    void EraseCard();
    void Defaults();

    bool IsChecked(int checkBox);
    void SetChecked(int checkBox, bool on);
    std::string FolderText();
    void SetFolderText(const std::string& text);
    // Checks a folder chosen for the downloads; true when it is taken
    // (refusals are told by message box).
    bool AcceptFolder(const std::string& folder);
    // Its own overlay number, so that hide-all and show-all reach it.
    static constexpr UINT kOverlayMessage = WM_APP + 0x158;
    UINT GetFrameOverlayMessage() override { return kOverlayMessage; }
    // The item the keyboard works on (0 while none has it yet).
    int FocusedItem() const;
    bool FilterKey(UINT key, UINT flags) override;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnItemEvent(int id, int code, intptr_t param) override;

private:
    void Load();
    int Ask(uint32_t code);
    bool IsAllowedFolder(const std::string& folder);
    bool IsCoreBusy();
    bool OnKey(UINT key);

    HWND m_owner = nullptr;
    char m_drive = 0;
    int m_navigationModelType;
    UINT m_sdChange = 0;
    CSkinWindowItemEditBox* m_folder = nullptr;
};

}  // namespace ui
