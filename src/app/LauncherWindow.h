#pragma once
// CLauncherWindow: the main window of a registered user. It shows the card,
// the five charge tiles and the status line, runs the start-up chain (log
// upload, version check, automatic update, charge), follows the core's
// progress and questions, follows the card, and closes the program.
// Its implementation is split by concern: LauncherWindow_win.cpp (the window,
// its items, menu and closing), LauncherWindowCharges_win.cpp (the charges
// and their progress), LauncherWindowCard_win.cpp (the card's arrival,
// removal and eject).
#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "app/ChargeText.h"
#include "app/LauncherRules.h"
#include "common/CoreProcess.h"
#include "ui/EndSessionWaitingWindow.h"
#include "ui/FrameOverlayWindowBase.h"
#include "ui/ResizableSkinWindow.h"
#include "ui/WindowBase.h"

namespace ui {

class CSkinWindowItemAnimation;
class CSkinWindowItemButton;
class CSkinWindowItemDigitImage;
class CSkinWindowItemStaticImage;
class CSkinWindowItemStatic;
class CMenuWindow;
class CUpdateNotifyWindow;
class CMapChargeWindow;
class CLogUploadWindow;
class CVersionWindow;
class CSettingWindow;
class CSDInfoWindow;

// Private messages of the launcher (posted by itself and its pop-ups).
enum : UINT {
    kMsgMenuCommand = 0x736,
    kMsgMenuHint = 0x737,
    kMsgShellNotify = 0x738,
    kMsgStatusText = 0x739,
    kMsgCodeMessage = 0x73A,
    kMsgAfterFirstPaint = 0x73B,  // what the first picture does not need starts then
    kMsgCoreEnded = 0x73C,        // the watched core's process has ended (wParam: its id)
    kMsgMapWindowEnd = 0xA66,
    kMsgUpdateEnd = 0xB77,
    kMsgUpdateChecked = 0xB78,
    kMsgLogUploadEnd = 0xB98,
};

// Timers of the launcher.
enum : UINT_PTR {
    kTimerTiles = 0x1234,           // 500 ms: the running tile's frames
    kTimerDots = 0x1235,            // 1000 ms: the status dots
    kTimerRescan = 0x1236,          // the rescan one second after the last card notice
    kTimerMapReask = 0x1237,        // five minutes: ask for the latest data again
    kTimerMapPhase = 0x1238,        // the map line's phases
    kTimerMapSeconds = 0x1239,      // 1000 ms: the remaining time counts down
    kTimerTrafficClose = 0x123A,    // one-shot: closes a second after the exit's traffic charge
    kTimerStartUnpainted = 0x123B,  // starts the chain of a window that is not painted
};
constexpr UINT kMapReaskMs = 300000;

class CLauncherWindow
    : public CFrameOverlayWindowBase<CEndSessionWaitingWindow<CResizableSkinWindow>>,
      public CWindowBase {
public:
    using Chain = CFrameOverlayWindowBase<CEndSessionWaitingWindow<CResizableSkinWindow>>;

    // Item ids (the skin names the items; the ids are the window's own).
    enum ItemId : int {
        kTitle = 1,
        kApplicationIcon,
        kDebugStatic,
        kCloseButton,
        kMinimizeButton,
        kMenuButton,
        kMenuButtonClose,
        kStatusMessageImage,
        kProbeProgressImage,
        kMapProgressImage,
        kBraidlineProgressImage,
        kWeatherProgressImage,
        kMusicProgressImage,
        kBackImage1,
        kSDEjectableIcon,
        kSDAlivalIcon,
        kSDUnAlivalIcon,
        kSDSearchAnime,
        kSDChargingAnime,
        kSDEjectButton,
        kSDEjectTextStatic,
        kSDAbortButton,
        kSDAbortTextStatic,
        kSDAbortInfoTextStatic,
    };

    CLauncherWindow();
    ~CLauncherWindow() override;

    // Creation as start-up does it; false when the window could not be made
    // or its system menu was not there (then no timers and no chain).
    bool CreateLauncher(int navigationModelType);

    bool RestartOnExit() const { return m_restartOnExit; }
    UINT GetFrameOverlayMessage() override { return 0x734; }
    void OnScaleChanged(int oldDpi) override;

    // --- what the tests read -----------------------------------------------------------
    char CurrentCard() const { return m_card; }
    int ShownStatusIndex() const { return m_statusShown; }
    std::string StatusText() const { return m_statusText; }
    int TileFrame(uint32_t kindBit) const;
    uint32_t RunningKind() const { return m_runningKind; }
    bool IsBackPanel() const { return m_backPanel; }
    int ExitMode() const { return m_exitMode; }
    int UpdateResult() const { return m_updateResult; }
    const MapProgressRecord& MapRecord() const { return m_map; }
    int MapPhase() const { return m_mapPhase; }
    int LastStatusOf(uint32_t kindBit) const;
    bool IsClosing() const { return m_closing; }
    CMenuWindow* RootMenu() const { return m_menu.get(); }
    CMapChargeWindow* MapWindow() const { return m_mapWindow.get(); }
    CVersionWindow* VersionWindow() const { return m_versionWindow.get(); }
    CSettingWindow* SettingWindow() const { return m_settingWindow.get(); }
    CSDInfoWindow* SDInfoWindow() const { return m_sdInfoWindow.get(); }
    CLogUploadWindow* LogUploadWindow() const { return m_logUpload.get(); }
    CUpdateNotifyWindow* UpdateWindow() const { return m_updateWindow.get(); }
    const CBridgeMessages& Messages() const { return m_messages; }
    // The visible card picture: kSDEjectableIcon, kSDAlivalIcon or kSDUnAlivalIcon.
    int CardIcon() const;
    void SetLastTrafficUpdate(const SYSTEMTIME& time) { m_lastTraffic = time; }
    unsigned CardNotices() const { return m_notices.Notices(); }
    bool RescanPending() const { return m_notices.Pending(); }
    // Painted once, the card looked for and the start-up chain begun.
    bool Started() const { return GetHandle() && !m_startPending; }
    // The skin tick runs only while something moves or the pointer is in.
    bool TickResting() const { return m_tickResting; }
    // The system menu shown from the application icon or a context-menu
    // request, at the screen point; the chosen command is posted back.
    void ShowSystemMenu(POINT screen);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnTimer(UINT_PTR id) override;
    void OnCommand(UINT id, UINT code, HWND control) override;
    bool OnItemEvent(int id, int code, intptr_t param) override;
    void OnItemNotify(int id, int flag) override;
    LRESULT OnNcHitTest(int x, int y) override;

private:
    struct Tile {
        uint32_t bit;
        int itemId;
        CSkinWindowItemDigitImage* item;
    };

    void CreateItems();
    void BuildMenu();
    // The card's user entry, the shell notification and the start-up chain,
    // once the launcher has been painted.
    void StartAfterFirstPaint();
    // The tile and dot timers run only while they have something to show.
    void UpdateDisplayTimers();
    void ResumeTick();
    // --- start-up chain and charges ------------------------------------------------------------
    void OnLogUploadStart();
    void OnLogUploadEnd(WPARAM result, LPARAM detail);
    void OnVersionCheck();
    void OnUpdateChecked();
    void OnAutoUpdate();
    void OnUpdateEnd();
    void OnStartCharge();
    void ApplyStartChargeDecision();
    void StartCore(int32_t mask);
    void OnNotifyProgress(uint32_t kindBit, int percent);
    void OnNotifyError(uint32_t code, uint32_t winError);
    void WatchCore();
    void OnCoreEnded(DWORD processId);
    void OnMapLicense(uint32_t type, uint32_t argument);
    void OnMapWindowEnd(uint32_t type, bool accepted, bool silence);
    void OnMapDownload();
    void OnMapVerify(int mode, const char* log);
    void ShowMapWindow(int type, uint32_t argument);
    void OnMapProgressStart(WPARAM w);
    void OnMapProgress(WPARAM w, LPARAM l);
    void OnMapProgressEnd(WPARAM w);
    bool ReadMapBlock(bool download, bool withSpeed, WPARAM w);
    void StartMapTimers();
    void StopMapTimers();
    void ProcessStatusText(int index);
    void RefreshRunningStatus();
    void ShowCodeMessage(uint32_t code, uint32_t winError = 0);
    void ClearKindStatuses();
    void AnimateTiles();
    // --- card ------------------------------------------------------------------------------------
    void OnShellNotify(WPARAM wParam, LPARAM lParam);
    void CountCardNotice();
    void OnRescan();
    // What each scanned drive is: writable, of a registered user, its model.
    std::vector<ScannedDrive> ScanDrives(const std::vector<char>& drives) const;
    void RestartForOtherModel();
    void OnSDChange(char drive, bool startCharges);
    void ReadCardInformation(char drive);
    void CapacityCheck(char drive);
    void LayOutTiles();
    void ShowCardIcon(bool present);
    void ForwardSDChange(char drive);
    void WaitForToolsEnd(ToolsWait wait = ToolsWait::CardChange);
    void Eject();
    void EjectNow();
    void RegisterShellNotify();
    void UnregisterShellNotify();
    // --- panel, menu and commands ------------------------------------------------------------
    void SetBackPanel(bool back);
    void OpenMenu();
    POINT MenuAnchor();
    void CloseMenu(bool animate = false);
    // The hint of the tile or card picture under a client point (0: none).
    void HoverHint(int x, int y);
    void OnMenuCommand(int menuId, int index);
    void OnMenuHint(int menuId, int index);
    void OpenWebPage(uint32_t endpoint, uint32_t functionCode);
    void OnCloseButton();
    void OnAbort();
    void OnClose();
    LRESULT OnQueryEndSession(LPARAM option);
    void OnEndSession(WPARAM ending, LPARAM option);
    void DestroyChildren();
    bool ChildWindowVisible() const;
    int AskBusy(const char* logFormat, const char* question);
    bool IsTrafficQuestionDueNow();
    bool AskTrafficOnExit();
    void StartTrafficCharge(int exitMode);

    static constexpr char kBoxCaption[] = "Quillmarch ";

    CBridgeMessages m_messages;
    int m_navigationModelType = 1;
    bool m_restartOnExit = false;
    bool m_startPending = false;
    HMENU m_systemMenu = nullptr;

    // card
    char m_card = 0;
    int m_cardModelCode = 0;
    CCardNoticeDebounce m_notices;
    int m_notReadyRetries = 0;
    bool m_retryArmed = false;
    ULONG m_shellRegistration = 0;
    HMODULE m_shell32 = nullptr;
    std::string m_userAgent;
    std::string m_nickname;

    // display
    int m_statusShown = 0;
    int m_runningStatus = 0;
    std::string m_statusText;
    bool m_statusDrawn = false;
    uint32_t m_runningKind = 0;
    int m_runningPercent = 0;
    bool m_tileOdd = false;
    std::map<uint32_t, int> m_lastStatus;
    int m_dots = 0;
    bool m_dotsRunning = false;
    bool m_tilesRunning = false;
    MapProgressRecord m_map;
    // The process of the core that talks to us, and the one whose map
    // question is open (0: none, or the launcher's own re-ask).
    CCoreWatch m_coreWatch;
    DWORD m_questionCore = 0;
    int m_mapPhase = 0;
    bool m_backPanel = false;
    bool m_hinting = false;
    int m_hoverItem = 0;  // the tile or card picture whose hint is shown
    bool m_pointerInside = false;
    bool m_tickResting = false;
    bool m_menuEnabled = false;

    // start-up chain and closing
    int m_updateResult = 0;
    bool m_closing = false;
    int m_exitMode = 0;
    SYSTEMTIME m_lastTraffic = {};

    // items
    CSkinWindowItemButton* m_menuButton = nullptr;
    CSkinWindowItemButton* m_menuButtonClose = nullptr;
    CSkinWindowItemStaticImage* m_statusImage = nullptr;
    CSkinWindowItemStaticImage* m_backImage = nullptr;
    CSkinWindowItemStaticImage* m_cardIcons[3] = {};
    CSkinWindowItemAnimation* m_searchAnime = nullptr;
    CSkinWindowItemAnimation* m_chargingAnime = nullptr;
    CSkinWindowItemButton* m_ejectButton = nullptr;
    CSkinWindowItemStatic* m_ejectText = nullptr;
    CSkinWindowItemButton* m_abortButton = nullptr;
    CSkinWindowItemStatic* m_abortText = nullptr;
    CSkinWindowItemStatic* m_abortInfo = nullptr;
    Tile m_tiles[5] = {};
    // Where the skin puts the first tile and the left of the last one.
    RECT m_firstTileHome = {};
    int m_lastTileLeft = 0;

    // child windows, created on first use
    std::unique_ptr<CMenuWindow> m_menu;
    std::unique_ptr<CUpdateNotifyWindow> m_updateWindow;
    std::unique_ptr<CMapChargeWindow> m_mapWindow;
    std::unique_ptr<CLogUploadWindow> m_logUpload;
    std::unique_ptr<CVersionWindow> m_versionWindow;
    std::unique_ptr<CSettingWindow> m_settingWindow;
    std::unique_ptr<CSDInfoWindow> m_sdInfoWindow;
};

}  // namespace ui
