#include "app/LauncherWindow.h"
// windows.h comes first, through the class header.
#include <dbt.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <vector>

#include "app/InfoChargeWindow.h"
#include "app/LogUploadWindow.h"
#include "app/MapChargeWindow.h"
#include "app/MenuWindow.h"
#include "app/SDInfoWindow.h"
#include "app/SettingWindow.h"
#include "app/UpdateNotifyWindow.h"
#include "app/VersionWindow.h"
#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "common/KilnLog.h"
#include "common/MessageCatalog.h"
#include "common/WebPageOpener.h"
#include "common/WickerdaleConfig.h"
#include "datafiles/PcLinkFile.h"
#include "datafiles/UserListFile.h"
#include "datafiles/VolumeControl.h"
#include "net/ConnectionFile.h"
#include "resources/ResourceIds.h"
#include "ui/SkinWindowItemAnimation.h"
#include "ui/SkinWindowItemButton.h"
#include "ui/SkinWindowItemDigitImage.h"
#include "ui/SkinWindowItemStatic.h"
#include "ui/SkinWindowItemStaticImage.h"
#include "wfc/Library.h"

namespace ui {

namespace {

const char kSkinFile[] = "LauncherWindow.txt";

uint64_t FileTimeOf(const SYSTEMTIME& time) {
    FILETIME ft = {};
    if (!::SystemTimeToFileTime(&time, &ft)) return 0;
    return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

uint64_t LocalNow() {
    SYSTEMTIME now = {};
    ::GetLocalTime(&now);
    return FileTimeOf(now);
}

}  // namespace

CLauncherWindow::CLauncherWindow() : Chain("FrameOverlay") {
    m_tiles[0] = {kChargeProbe, kProbeProgressImage, nullptr};
    m_tiles[1] = {kChargeMap, kMapProgressImage, nullptr};
    m_tiles[2] = {kChargeTraffic, kBraidlineProgressImage, nullptr};
    m_tiles[3] = {kChargeWeather, kWeatherProgressImage, nullptr};
    m_tiles[4] = {kChargeMusic, kMusicProgressImage, nullptr};
}

CLauncherWindow::~CLauncherWindow() {
    UnregisterShellNotify();
    if (GetHandle()) DestroyWindow();
}

// --- creation ------------------------------------------------------------------------

bool CLauncherWindow::CreateLauncher(int navigationModelType) {
    m_navigationModelType = navigationModelType;
    // Tools left over from an earlier run end first.
    RequestToolsEnd();

    LoadSkin(kSkinFile, "Base", true);
    CreateItems();
    SetUpFrameOverlay();
    const int width = GetLayoutSize().cx;
    const int height = GetLayoutSize().cy;
    const int x = ::GetSystemMetrics(SM_CXFULLSCREEN) - width - Scale(10);
    int y = ::GetSystemMetrics(SM_CYFULLSCREEN) - height;
    // Where the system reports no task bar the full-screen height can reach
    // past the work area; the window stays inside it.
    RECT work = {};
    if (::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0) && y + height > work.bottom)
        y = work.bottom - height;
    CreateResizableWindow(nullptr, WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, 0, x,
                          y);
    EnableResize(false);
    SetWindowTextA("Quillmarch");
    HICON icon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_QUILLMARCH));
    if (icon) {
        SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
    m_systemMenu = ::GetSystemMenu(GetHandle(), FALSE);
    if (!m_systemMenu) {
        KILNLOG.Log(LOG_ERROR, "メニューロード失敗");
        return false;
    }
    ::DeleteMenu(m_systemMenu, SC_SIZE, MF_BYCOMMAND);
    ::DeleteMenu(m_systemMenu, SC_MAXIMIZE, MF_BYCOMMAND);
    ::DrawMenuBar(GetHandle());

    // The menu is built when it is first opened: hidden menus would each
    // run their own tick timer, and the first paint should not wait for them.

    // The card is looked for once the window shows: it appears searching.
    m_searchAnime->SetVisible(true);
    m_searchAnime->Start(0);
    ShowCardIcon(false);
    LayOutTiles();

    // The rest waits for the first picture: the window appears sooner.
    m_startPending = true;
    SetTimer(kTimerStartUnpainted, 2000);
    return true;
}

void CLauncherWindow::StartAfterFirstPaint() {
    if (!m_startPending) return;
    m_startPending = false;
    KillTimer(kTimerStartUnpainted);
    // The first writable card is the current one.
    std::vector<char> drives;
    ScanNaviCards(drives);
    for (char d : drives) {
        if (IsWritable(d)) {
            m_card = d;
            break;
        }
        KILNLOG.Log(LOG_NORMAL, "SDカード読取専用 %Cドライブ", d);
    }
    if (!drives.empty() && !m_card) PostMessage(kMsgCodeMessage, 0xFF00EE02u, 0);
    // A card notice before this first look may have come with a card of
    // another model than start-up saw; it is judged as its rescan would.
    if (m_card && m_notices.Pending() &&
        DecideRescan(ScanDrives(drives), 0, m_navigationModelType).outcome ==
            RescanOutcome::OtherModel) {
        RestartForOtherModel();
        return;
    }
    if (m_card) {
        CPcLinkFile link(CPcLinkFile::kPcLink, m_card);
        if (link.IsLoaded()) m_cardModelCode = link.GetModelCode();
        CapacityCheck(m_card);
    }
    if (m_menu) m_menu->PostMessage(m_messages.sdChange, static_cast<WPARAM>(m_card), 0);
    m_searchAnime->Stop();
    m_searchAnime->SetVisible(false);
    ShowCardIcon(m_card != 0);
    if (IsMothModelCode(m_cardModelCode)) LayOutTiles();
    if (m_card) ReadCardInformation(m_card);
    RegisterShellNotify();
    PostMessage(m_messages.requestLogUpLoad, 0, 0);
}

// The items in reading order (a screen reader lists them so): the title,
// the rest of the caption strip left to right, the tiles, the status line
// below them.
void CLauncherWindow::CreateItems() {
    const SkinData& skin = Skin();
    AddItem<CSkinWindowItemStatic>(kTitle, GetItem(skin, "Title"));
    AddItem<CSkinWindowItemStaticImage>(kApplicationIcon, GetItem(skin, "ApplicationIcon"));
    if (CConnectionFile::Instance().HasVerificationFile())
        AddItem<CSkinWindowItemStatic>(kDebugStatic, GetItem(skin, "DebugStatic"));
    m_menuButton = AddItem<CSkinWindowItemButton>(kMenuButton, GetItem(skin, "MenuButton"));
    m_menuButtonClose =
        AddItem<CSkinWindowItemButton>(kMenuButtonClose, GetItem(skin, "MenuButtonClose"));
    m_menuButtonClose->SetVisible(false);
    AddItem<CSkinWindowItemButton>(kMinimizeButton, GetItem(skin, "MinimizeButton"));
    AddItem<CSkinWindowItemButton>(kCloseButton, GetItem(skin, "CloseButton"));
    static const char* const kTileNames[] = {"ProbeProgressImage", "MapProgressImage",
                                             "BraidlineProgressImage", "WeatherProgressImage",
                                             "MusicProgressImage"};
    for (int i = 0; i < 5; ++i)
        m_tiles[i].item =
            AddItem<CSkinWindowItemDigitImage>(m_tiles[i].itemId, GetItem(skin, kTileNames[i]));
    m_firstTileHome = m_tiles[0].item->GetRect();
    m_lastTileLeft = m_tiles[4].item->GetRect().left;
    m_statusImage = AddItem<CSkinWindowItemStaticImage>(kStatusMessageImage,
                                                        GetItem(skin, "StatusMessageImage"));
    m_backImage = AddItem<CSkinWindowItemStaticImage>(kBackImage1, GetItem(skin, "BackImage1"));
    m_cardIcons[0] =
        AddItem<CSkinWindowItemStaticImage>(kSDEjectableIcon, GetItem(skin, "SDEjectableIcon"));
    m_cardIcons[1] =
        AddItem<CSkinWindowItemStaticImage>(kSDAlivalIcon, GetItem(skin, "SDAlivalIcon"));
    m_cardIcons[2] =
        AddItem<CSkinWindowItemStaticImage>(kSDUnAlivalIcon, GetItem(skin, "SDUnAlivalIcon"));
    m_searchAnime =
        AddItem<CSkinWindowItemAnimation>(kSDSearchAnime, GetItem(skin, "SDSearchAnime"));
    m_chargingAnime =
        AddItem<CSkinWindowItemAnimation>(kSDChargingAnime, GetItem(skin, "SDChargingAnime"));
    m_searchAnime->SetVisible(false);
    m_chargingAnime->SetVisible(false);
    m_ejectButton = AddItem<CSkinWindowItemButton>(kSDEjectButton, GetItem(skin, "SDEjectButton"));
    m_ejectText =
        AddItem<CSkinWindowItemStatic>(kSDEjectTextStatic, GetItem(skin, "SDEjectTextStatic"));
    m_abortButton = AddItem<CSkinWindowItemButton>(kSDAbortButton, GetItem(skin, "SDAbortButton"));
    m_abortText =
        AddItem<CSkinWindowItemStatic>(kSDAbortTextStatic, GetItem(skin, "SDAbortTextStatic"));
    m_abortInfo = AddItem<CSkinWindowItemStatic>(kSDAbortInfoTextStatic,
                                                 GetItem(skin, "SDAbortInfoTextStatic"));
    for (CSkinWindowItem* item :
         {static_cast<CSkinWindowItem*>(m_ejectButton), static_cast<CSkinWindowItem*>(m_ejectText),
          static_cast<CSkinWindowItem*>(m_abortButton), static_cast<CSkinWindowItem*>(m_abortText),
          static_cast<CSkinWindowItem*>(m_abortInfo)})
        item->SetVisible(false);
}

void CLauncherWindow::BuildMenu() {
    const SkinData& skin = Skin();
    auto block = skin.find("MenuWindow");
    if (block == skin.end()) return;
    auto value = [&block](const std::string& key) -> std::string {
        auto v = block->second.properties.find(key);
        return v == block->second.properties.end() || v->second.empty() ? std::string()
                                                                        : v->second[0];
    };
    m_menu = std::make_unique<CMenuWindow>();
    m_menu->CreateMenu(GetHandle(), kMsgMenuCommand, kMsgMenuHint, kRootMenuId, 270);
    const int count = std::atoi(value("MenuCount").c_str());
    char key[64];
    for (int i = 0; i < count; ++i) {
        std::snprintf(key, sizeof key, "%s.%d", "MainButton", i);
        const std::string name = value(key);
        if (name.empty() || skin.find(name) == skin.end()) continue;
        m_menu->AddButton(GetItem(skin, name));
        std::snprintf(key, sizeof key, "%s.%d", "SubButtonCount", i);
        const int subs = std::atoi(value(key).c_str());
        for (int j = 0; j < subs; ++j) {
            std::snprintf(key, sizeof key, "%s.%d.%d", "SubButton", i, j);
            const std::string sub = value(key);
            if (!sub.empty() && skin.find(sub) != skin.end())
                m_menu->AddSubButton(i, GetItem(skin, sub));
        }
    }
}

// --- the window procedure ------------------------------------------------------------

LRESULT CLauncherWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const CBridgeMessages& m = m_messages;
    if (message == m.requestLogUpLoad) return OnLogUploadStart(), 0;
    if (message == m.requestVersionCheck) return OnVersionCheck(), 0;
    if (message == m.requestAutoUpdate) return OnAutoUpdate(), 0;
    if (message == m.requestStartCharge) return OnStartCharge(), 0;
    if (message == m.notifyProgress)
        return OnNotifyProgress(static_cast<uint32_t>(wParam), static_cast<int>(lParam)), 0;
    if (message == m.notifyError)
        return OnNotifyError(static_cast<uint32_t>(wParam), static_cast<uint32_t>(lParam)), 0;
    if (message == m.mapLicense)
        return OnMapLicense(static_cast<uint32_t>(wParam), static_cast<uint32_t>(lParam)), 0;
    if (message == m.mapDownload) return OnMapDownload(), 0;
    if (message == m.mapVerify) return OnMapVerify(7, "マップベリファイ要求"), 0;
    if (message == m.noSendProbe) return OnMapVerify(8, "未送信プローブ通知"), 0;
    if (message == m.mapProgressStart) return OnMapProgressStart(wParam), 0;
    if (message == m.mapProgress) return OnMapProgress(wParam, lParam), 0;
    if (message == m.mapProgressEnd) return OnMapProgressEnd(wParam), 0;
    if (message == m.sdChange) return OnSDChange(static_cast<char>(wParam), lParam != 0), 0;
    switch (message) {
        case kMsgMenuCommand:
            OnMenuCommand(static_cast<int>(wParam), static_cast<int>(lParam));
            return 0;
        case kMsgMenuHint:
            OnMenuHint(static_cast<int>(wParam), static_cast<int>(lParam));
            return 0;
        case kMsgShellNotify:
            OnShellNotify(wParam, lParam);
            return 0;
        case kMsgCoreEnded:
            OnCoreEnded(static_cast<DWORD>(wParam));
            return 0;
        case kMsgStatusText:
            ProcessStatusText(static_cast<int>(wParam));
            return 0;
        case kMsgCodeMessage:
            ShowCodeMessage(static_cast<uint32_t>(wParam));
            return 0;
        case kMsgAfterFirstPaint:
            StartAfterFirstPaint();
            return 0;
        case WM_PAINT: {
            const LRESULT r = Chain::WindowProc(message, wParam, lParam);
            if (m_startPending) PostMessage(kMsgAfterFirstPaint);
            return r;
        }
        case kMsgMapWindowEnd:
            OnMapWindowEnd(static_cast<uint32_t>(wParam), LOWORD(lParam) != 0, HIWORD(lParam) != 0);
            return 0;
        case kMsgUpdateEnd:
            OnUpdateEnd();
            return 0;
        case kMsgUpdateChecked:
            OnUpdateChecked();
            return 0;
        case kMsgLogUploadEnd:
            OnLogUploadEnd(wParam, lParam);
            return 0;
        case WM_DEVICECHANGE:
            // Volume arrivals and removals count like the shell's notices, so a
            // card is noticed where the shell notification does not arrive.
            if ((wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE) && lParam) {
                const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
                if (header->dbch_devicetype == DBT_DEVTYP_VOLUME) {
                    KILNLOG.Log(LOG_DETAIL, "%s %s", "WM_DEVICECHANGE",
                                wParam == DBT_DEVICEARRIVAL ? "arrival" : "removal");
                    CountCardNotice();
                }
            }
            return TRUE;
        case WM_KEYDOWN:
            // The open menu never has the focus: its keys come through here.
            if (m_menu && m_menu->IsOpen()) {
                if (m_menu->OnMenuKey(static_cast<UINT>(wParam))) return 0;
                if (wParam == VK_ESCAPE) {
                    CloseMenu(true);
                    return 1;
                }
            }
            if (wParam == VK_ESCAPE) return 1;
            break;
        case WM_SYSKEYDOWN:
            // Alt+F4 is the close button, with its question before a last
            // traffic update.
            if (wParam == VK_F4) {
                OnCloseButton();
                return 0;
            }
            break;
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_QUERYENDSESSION:
            return OnQueryEndSession(lParam);
        case WM_ENDSESSION:
            OnEndSession(wParam, lParam);
            return 0;
        case WM_DESTROY:
            DestroyChildren();
            UnregisterShellNotify();
            ::PostQuitMessage(0);
            break;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                if (m_menu && m_menu->IsOpen() &&
                    !m_menu->OwnsWindow(reinterpret_cast<HWND>(lParam)))
                    CloseMenu();
                if (m_backPanel) SetBackPanel(false);
            }
            break;
        case WM_SIZE:
            if (wParam == SIZE_MINIMIZED) {
                // However it was minimized: the menu closes, the front panel returns.
                CloseMenu();
                if (m_backPanel) SetBackPanel(false);
                return 0;
            }
            break;
        case WM_MOVE:
            // The open menu hangs at the menu button wherever the window goes.
            if (m_menu && m_menu->IsOpen()) m_menu->Open(MenuAnchor());
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            if (m_menu && m_menu->IsOpen()) {
                const POINT p = {static_cast<short>(LOWORD(lParam)),
                                 static_cast<short>(HIWORD(lParam))};
                const RECT a = m_menuButton->GetRect(), b = m_menuButtonClose->GetRect();
                if (!::PtInRect(&a, p) && !::PtInRect(&b, p)) CloseMenu(true);
            }
            break;
        case WM_CONTEXTMENU:
            if (m_systemMenu) {
                POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
                if (lParam == -1) ::GetCursorPos(&pt);
                ShowSystemMenu(pt);
                return 0;
            }
            break;
        case WM_MOUSEMOVE:
            m_pointerInside = true;
            ResumeTick();
            HoverHint(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
            break;
        case WM_MOUSELEAVE:
            m_pointerInside = false;
            HoverHint(-1, -1);
            break;
        default:
            break;
    }
    return Chain::WindowProc(message, wParam, lParam);
}

void CLauncherWindow::ShowSystemMenu(POINT screen) {
    if (!m_systemMenu) return;
    ::EnableMenuItem(m_systemMenu, SC_RESTORE, MF_BYCOMMAND | MF_GRAYED);
    ::EnableMenuItem(m_systemMenu, SC_MINIMIZE, MF_BYCOMMAND | MF_ENABLED);
    ::EnableMenuItem(m_systemMenu, SC_MOVE, MF_BYCOMMAND | MF_ENABLED);
    const UINT cmd = ::TrackPopupMenu(m_systemMenu, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x,
                                      screen.y, 0, GetHandle(), nullptr);
    if (cmd) PostMessage(WM_SYSCOMMAND, cmd, 0);
}

void CLauncherWindow::HoverHint(int x, int y) {
    // Buttons tell their own hovers; the tiles and card pictures are found here.
    int over = 0;
    auto inside = [x, y](const CSkinWindowItem* item) {
        if (!item || !item->IsVisible()) return false;
        const RECT r = item->GetRect();
        return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
    };
    int hint = 0;
    for (const Tile& tile : m_tiles)
        if (inside(tile.item)) {
            over = tile.itemId;
            hint = LastStatusOf(tile.bit);
        }
    if (inside(m_cardIcons[0])) {
        over = kSDEjectableIcon;
        hint = kStatusEject;
    } else if (inside(m_chargingAnime)) {
        over = kSDChargingAnime;
        hint = kStatusAbort;
    }
    if (over == m_hoverItem) return;
    m_hoverItem = over;
    m_hinting = hint != 0;
    // Leaving a hinted picture empties the line; the next dot tick brings
    // a running one back.
    ProcessStatusText(hint);
}

LRESULT CLauncherWindow::OnNcHitTest(int x, int y) {
    const LRESULT hit = Chain::OnNcHitTest(x, y);
    // While the menu is open the window stays where the menu hangs.
    if (hit == HTCAPTION && m_menu && m_menu->IsOpen()) return HTCLIENT;
    return hit;
}

void CLauncherWindow::OnTimer(UINT_PTR id) {
    switch (id) {
        case kTimerTiles:
            AnimateTiles();
            return;
        case kTimerDots:
            m_dots = (m_dots + 1) % 4;
            if ((m_map.kind == kMapRecordNone || m_map.kind == kMapRecordChecking) &&
                m_runningStatus < 7 && !m_hinting)
                ProcessStatusText(m_runningStatus);
            return;
        case kTimerRescan:
            OnRescan();
            return;
        case kTimerTrafficClose:
            KillTimer(kTimerTrafficClose);
            PostMessage(WM_CLOSE);
            return;
        case kTimerStartUnpainted:
            StartAfterFirstPaint();
            return;
        case kTimerMapReask:
            KillTimer(kTimerMapReask);
            PostMessage(m_messages.mapLicense, 5, 0);
            return;
        case kTimerMapPhase:
            KillTimer(kTimerMapPhase);
            if (m_mapPhase == kMapPhasePercent) {
                SetTimer(kTimerMapPhase, 3000);
                if (m_map.remainingSeconds > 10) m_mapPhase = kMapPhaseSpeed;
            } else if (m_mapPhase == kMapPhaseSpeed) {
                SetTimer(kTimerMapPhase, 2000);
                m_mapPhase = kMapPhaseLabel;
            } else {
                SetTimer(kTimerMapPhase, 5000);
                const bool moving = m_map.kind == kMapRecordDownload ||
                                    (m_map.kind == kMapRecordTransfer && m_map.lineSpeed > 0);
                if (moving && m_map.totalSize > 0) m_mapPhase = kMapPhasePercent;
            }
            RefreshRunningStatus();
            return;
        case kTimerMapSeconds:
            if (m_map.remainingSeconds > 0) --m_map.remainingSeconds;
            if (m_mapPhase == kMapPhasePercent || m_mapPhase == kMapPhaseSpeed)
                RefreshRunningStatus();
            return;
        case kSkinTickTimer:
            Chain::OnTimer(id);
            // Idle, the window needs no frames: the tick rests until the
            // pointer comes or an animation starts.
            if (!m_pointerInside && !m_searchAnime->IsRunning() && !m_chargingAnime->IsRunning()) {
                KillTimer(kSkinTickTimer);
                m_tickResting = true;
            }
            return;
        default:
            Chain::OnTimer(id);
    }
}

void CLauncherWindow::ResumeTick() {
    if (!m_tickResting || !GetHandle()) return;
    m_tickResting = false;
    SetTimer(kSkinTickTimer, kSkinTickPeriod);
}

// --- items and commands ----------------------------------------------------------------

bool CLauncherWindow::OnItemEvent(int id, int code, intptr_t param) {
    if (id == kApplicationIcon && code == kItemDoubleClick) {
        OnCloseButton();
        return true;
    }
    if (id == kApplicationIcon && code == kItemPictureDown) {
        // As a caption's icon does: the system menu under it.
        const RECT r = GetItemById(kApplicationIcon)->GetRect();
        ShowSystemMenu(ClientToScreen(POINT{r.left, r.bottom}));
        return true;
    }
    if (code == kItemPictureDown &&
        (id == kSDEjectableIcon || id == kSDAlivalIcon || id == kSDUnAlivalIcon ||
         id == kSDSearchAnime || id == kSDChargingAnime)) {
        if (::GetActiveWindow() == GetHandle()) SetBackPanel(!m_backPanel);
        return true;
    }
    if (code == kItemMouseMove || code == kItemMouseLeave) {
        int index = 0;
        if (code == kItemMouseMove) {
            if (id == kMenuButton)
                index = kStatusMenuOpen;
            else if (id == kMenuButtonClose)
                index = kStatusMenuClose;
            else if (id == kSDEjectButton)
                index = kStatusEject;
            else if (id == kSDAbortButton)
                index = kStatusAbort;
            else
                return Chain::OnItemEvent(id, code, param);
        }
        m_hinting = code == kItemMouseMove;
        PostMessage(kMsgStatusText, static_cast<WPARAM>(index), 0);
        return true;
    }
    return Chain::OnItemEvent(id, code, param);
}

void CLauncherWindow::OnItemNotify(int id, int flag) { Chain::OnItemNotify(id, flag); }

void CLauncherWindow::OnCommand(UINT id, UINT code, HWND control) {
    if (code != 1 || control) return Chain::OnCommand(id, code, control);
    switch (static_cast<int>(id)) {
        case kCloseButton:
            OnCloseButton();
            return;
        case kMinimizeButton:
            CloseMenu();
            ShowWindow(SW_MINIMIZE);
            return;
        case kMenuButton:
        case kMenuButtonClose:
            SetBackPanel(false);
            if ((!m_menu || !m_menu->IsOpen()) && ::GetActiveWindow() == GetHandle())
                OpenMenu();
            else
                CloseMenu(true);
            return;
        case kSDEjectButton:
            Eject();
            return;
        case kSDAbortButton:
            OnAbort();
            return;
        default:
            Chain::OnCommand(id, code, control);
    }
}

void CLauncherWindow::OpenMenu() {
    if (!m_menu) {
        BuildMenu();
        if (!m_menu) return;
        m_menu->SetEnableFlag(m_menuEnabled);
        m_menu->SendMessage(m_messages.sdChange, static_cast<WPARAM>(m_card), 0);
    }
    m_menuButton->SetVisible(false);
    m_menuButtonClose->SetVisible(true);
    m_menu->Open(MenuAnchor());
}

POINT CLauncherWindow::MenuAnchor() {
    // The root menu unfolds to the left of the button, which stays free to close it.
    const RECT r = m_menuButtonClose->GetRect();
    return ClientToScreen(POINT{r.left, r.top});
}

void CLauncherWindow::CloseMenu(bool animate) {
    if (m_menuButton) m_menuButton->SetVisible(true);
    if (m_menuButtonClose) m_menuButtonClose->SetVisible(false);
    if (m_menu) m_menu->Close(animate);
}

void CLauncherWindow::OnMenuCommand(int menuId, int index) {
    CloseMenu();
    switch (menuId) {
        case 0:
            if (index == 0) {
                if (!m_settingWindow)
                    m_settingWindow = std::make_unique<CSettingWindow>(m_navigationModelType);
                m_settingWindow->Show(GetHandle(), m_card);
            } else if (index == 1)
                PostMessage(m_messages.requestStartCharge, 0, 0);
            return;
        case 1:
            if (!m_card) {
                KILNLOG.Log(LOG_NORMAL,
                            "ミュージックチャージ要求時のSDカード無し(チャージ実行無し)");
                return;
            }
            StartMusicTool(m_card, GetHandle(), index == 1);
            return;
        case 2: {
            static const uint32_t kPages[][2] = {
                {25, 500}, {0, 400}, {2, 200}, {3, 100}, {41, 401}};
            if (index >= 0 && index < 5) OpenWebPage(kPages[index][0], kPages[index][1]);
            return;
        }
        case 3:
            if (index == 0) {
                if (!m_versionWindow) m_versionWindow = std::make_unique<CVersionWindow>();
                m_versionWindow->ShowFor(GetHandle());
            } else if (index == 1) {
                if (m_sdInfoWindow) {
                    // Already open: its modal loop runs further down the stack.
                    ::SetForegroundWindow(m_sdInfoWindow->GetHandle());
                    return;
                }
                m_sdInfoWindow = std::make_unique<CSDInfoWindow>();
                m_sdInfoWindow->RunFor(GetHandle(), m_card);
                m_sdInfoWindow.reset();
            } else if (index == 2) {
                OpenWebPage(1, 600);
            }
            return;
        default:
            return;
    }
}

void CLauncherWindow::OnMenuHint(int menuId, int index) {
    int hint = 0;
    if (menuId == static_cast<int>(kRootMenuId))
        hint = MenuHintIndex(index, -1);
    else if (menuId >= 0)
        hint = MenuHintIndex(menuId, index);
    m_hinting = hint != 0;
    ProcessStatusText(hint);
}

void CLauncherWindow::OpenWebPage(uint32_t endpoint, uint32_t functionCode) {
    if (m_userAgent.empty() && m_card) m_userAgent = GetUserAgent(m_card);
    if (m_nickname.empty()) {
        CUserListFile users;
        if (m_card) {
            CPcLinkFile link(CPcLinkFile::kPcLink, m_card);
            if (link.IsLoaded())
                users.GetUser(link.GetDeviceNo().c_str(), &m_nickname, nullptr, nullptr, nullptr);
        } else {
            users.GetLastUser(nullptr, &m_nickname, &m_userAgent, nullptr, nullptr);
        }
    }
    CRequestParams params;
    params.SetWebPageParams(m_userAgent.c_str(), m_nickname.c_str(), functionCode);
    ::OpenWebPage(CConnectionFile::Instance().GetUrlWithQuery(endpoint, params));
}

void CLauncherWindow::SetBackPanel(bool back) {
    m_backPanel = back;
    const bool running = m_chargingAnime->IsRunning();
    const bool moth = IsMothModelCode(m_cardModelCode);
    for (const Tile& tile : m_tiles)
        tile.item->SetVisible(!back && !(tile.bit == kChargeProbe && moth));
    m_backImage->SetVisible(!back && moth);
    m_statusImage->SetVisible(!back);
    m_ejectButton->SetVisible(back && !running);
    m_ejectText->SetVisible(back && !running);
    m_ejectButton->SetEnabled(m_card != 0);
    m_abortButton->SetVisible(back && running);
    m_abortText->SetVisible(back && running);
    m_abortInfo->SetVisible(back && running);
    ShowCardIcon(m_card != 0);
}

int CLauncherWindow::CardIcon() const {
    for (int i = 0; i < 3; ++i)
        if (m_cardIcons[i] && m_cardIcons[i]->IsVisible()) return kSDEjectableIcon + i;
    return 0;
}

void CLauncherWindow::ShowCardIcon(bool present) {
    // The animations stand where the icons are; an icon shows only without them.
    const bool animating = m_searchAnime->IsVisible() || m_chargingAnime->IsVisible();
    m_cardIcons[0]->SetVisible(!animating && present && !m_backPanel);
    m_cardIcons[1]->SetVisible(!animating && present && m_backPanel);
    m_cardIcons[2]->SetVisible(!animating && !present);
}

bool CLauncherWindow::ChildWindowVisible() const {
    auto visible = [](const CWindow* w) {
        return w && w->GetHandle() && ::IsWindowVisible(w->GetHandle());
    };
    for (const CWindow* child : {static_cast<const CWindow*>(m_mapWindow.get()),
                                 static_cast<const CWindow*>(m_updateWindow.get()),
                                 static_cast<const CWindow*>(m_logUpload.get()),
                                 static_cast<const CWindow*>(m_versionWindow.get()),
                                 static_cast<const CWindow*>(m_settingWindow.get()),
                                 static_cast<const CWindow*>(m_sdInfoWindow.get())})
        if (visible(child)) return true;
    for (bool manual : {true, false})
        if (HWND music = FindMusicWindow(manual))
            if (::IsWindowVisible(music)) return true;
    return false;
}

int CLauncherWindow::AskBusy(const char* logFormat, const char* question) {
    const uint32_t busy = QueryCoreBusyMask(GetHandle());
    if (!busy) return IDYES;
    KILNLOG.Log(LOG_NORMAL, logFormat, static_cast<unsigned>(busy));
    return lib::wfc::ShowMessageBox(GetHandle(), question, kBoxCaption, MB_YESNO | MB_ICONQUESTION);
}

// --- abort, close and the session end --------------------------------------------------------

void CLauncherWindow::OnAbort() {
    if (AskBusy("処理中の中断要求 PROCs:0x%08X", "データ更新中です。転送を中断しますか？") != IDYES)
        return;
    PostToCore(m_messages.requestEnd, 0, 0);
    SetBackPanel(!m_backPanel);
    if (m_mapWindow && m_mapWindow->GetHandle()) m_mapWindow->ShowWindow(SW_HIDE);
}

bool CLauncherWindow::IsTrafficQuestionDueNow() {
    CWickerdaleConfig config;
    TrafficQuestionFacts f;
    f.settingsLoaded = config.LoadSetting();
    f.transmitTraffic = config.GetTransmitExe3();
    f.exitMode = m_exitMode;
    f.hasLastUpdate = m_lastTraffic.wYear != 0;
    f.lastUpdate = FileTimeOf(m_lastTraffic);
    f.now = LocalNow();
    f.hasCard = m_card != 0;
    return IsTrafficQuestionDue(f);
}

bool CLauncherWindow::AskTrafficOnExit() { return CInfoChargeQuestion::Ask(GetHandle()); }

void CLauncherWindow::StartTrafficCharge(int exitMode) {
    if (QueryCoreBusyMask(GetHandle())) WaitForToolsEnd(ToolsWait::Exit);
    m_exitMode = exitMode;
    StartCore(kChargeMaskTraffic);
}

void CLauncherWindow::OnCloseButton() {
    if (!m_closing && IsTrafficQuestionDueNow() && AskTrafficOnExit()) {
        StartTrafficCharge(2);
        return;
    }
    PostMessage(WM_CLOSE);
}

void CLauncherWindow::OnClose() {
    if (m_exitMode != 2 && !m_closing &&
        AskBusy("処理中の終了要求 PROCs:0x%08X",
                "データ更新中です。転送を中断し、QUILL MARCHを終了しますか？") == IDNO)
        return;
    m_closing = true;
    RequestToolsEnd();
    const std::string temp = GetTemporaryFolder();
    if (!temp.empty()) DeleteFolderTree(temp.c_str(), false);
    DestroyWindow();
}

LRESULT CLauncherWindow::OnQueryEndSession(LPARAM option) {
    m_closing = true;
    KILNLOG.Log(LOG_NORMAL, "WM_QUERYENDSESSION 受信 Option:0x%08X", static_cast<unsigned>(option));
    const LRESULT answer = Chain::WindowProc(WM_QUERYENDSESSION, 0, option) ? 1 : 0;
    KILNLOG.Log(LOG_NORMAL, "WM_QUERYENDSESSION 結果 %d", static_cast<int>(answer));
    PostMessage(WM_CLOSE);
    return answer;
}

void CLauncherWindow::OnEndSession(WPARAM ending, LPARAM option) {
    KILNLOG.Log(LOG_NORMAL, "WM_ENDSESSION 受信 End:%d Option:%d", static_cast<int>(ending),
                static_cast<int>(option));
    if (ending) {
        m_closing = true;
        Close(true);
    }
    KILNLOG.Log(LOG_NORMAL, "WM_ENDSESSION 処理終了");
}

void CLauncherWindow::DestroyChildren() {
    KillTimer(kTimerTiles);
    KillTimer(kTimerDots);
    KillTimer(kTimerRescan);
    KillTimer(kTimerMapReask);
    KillTimer(kTimerTrafficClose);
    KillTimer(kTimerStartUnpainted);
    StopMapTimers();
    auto end = [](CWindow* w) {
        if (w && w->GetHandle() && ::IsWindow(w->GetHandle())) {
            ::ShowWindow(w->GetHandle(), SW_HIDE);
            w->DestroyWindow();
        }
    };
    end(m_menu.get());
    end(m_mapWindow.get());
    end(m_updateWindow.get());
    end(m_logUpload.get());
    end(m_versionWindow.get());
    end(m_settingWindow.get());
    end(m_sdInfoWindow.get());
}

}  // namespace ui