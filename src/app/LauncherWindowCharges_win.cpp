// CLauncherWindow: the start-up chain, the charges the core runs, their
// progress on the tiles and the status line, and the map questions.
#include "app/LauncherWindow.h"
// windows.h comes first, through the class header.

#include <cstdio>
#include <vector>

#include "app/InfoChargeWindow.h"
#include "app/LogUploadWindow.h"
#include "app/MapChargeWindow.h"
#include "app/MenuWindow.h"
#include "app/UpdateNotifyWindow.h"
#include "common/KilnLog.h"
#include "common/MessageCatalog.h"
#include "common/WickerdaleConfig.h"
#include "datafiles/PcLinkFile.h"
#include "datafiles/UserListFile.h"
#include "net/ConnectionFile.h"
#include "ui/SkinWindowItemAnimation.h"
#include "ui/SkinWindowItemDigitImage.h"
#include "ui/SkinWindowItemStaticImage.h"
#include "wfc/Library.h"

namespace ui {

void CLauncherWindow::UpdateDisplayTimers() {
    if (!GetHandle()) return;
    // Set again only on a change: a re-set timer would restart its period.
    if ((m_runningKind != 0) != m_tilesRunning) {
        m_tilesRunning = m_runningKind != 0;
        if (m_tilesRunning)
            SetTimer(kTimerTiles, 500);
        else
            KillTimer(kTimerTiles);
    }
    // The dots move on the running lines, and the check of transferred data
    // has its own.
    // They also run to take a finished charge's result off the line.
    const bool dots = (m_runningStatus >= 1 && m_runningStatus <= 6) ||
                      m_map.kind == kMapRecordChecking ||
                      (!m_hinting && m_statusShown != m_runningStatus);
    if (dots != m_dotsRunning) {
        m_dotsRunning = dots;
        if (dots)
            SetTimer(kTimerDots, 1000);
        else
            KillTimer(kTimerDots);
    }
}

// --- start-up chain ----------------------------------------------------------------------

void CLauncherWindow::OnLogUploadStart() {
    KILNLOG.Log(LOG_NORMAL, "ログアップロード開始");
    std::string deviceNo;
    uint32_t ccid = 0;
    std::string agent;
    CUserListFile users;
    if (m_card) {
        CPcLinkFile link(CPcLinkFile::kPcLink, m_card);
        if (link.IsLoaded()) {
            deviceNo = link.GetDeviceNo();
            ccid = link.GetNaviId();
            agent = GetUserAgent(m_card);
        }
    } else if (!users.GetLastUser(&deviceNo, nullptr, &agent, &ccid, nullptr)) {
        KILNLOG.Log(LOG_ERROR,
                    "CLauncherWindow::OnLogUpLoadStart - ログアップロード用情報取得失敗");
    }
    if (!deviceNo.empty() && ccid != 0 && !agent.empty()) {
        m_logUpload = std::make_unique<CLogUploadWindow>();
        if (m_logUpload->SetLogUploadInfo(m_card, deviceNo.c_str(), agent.c_str(), ccid) &&
            m_logUpload->CreateAndCheck(GetHandle())) {
            ProcessStatusText(kStatusServerCheck);
            return;
        }
    } else {
        KILNLOG.Log(LOG_ERROR,
                    "CLauncherWindow::OnLogUpLoadStart - "
                    "ログアップロード用情報不足のためSKIP　DeviceNo:%s ID:%X UserAgent:%s",
                    deviceNo.c_str(), static_cast<unsigned>(ccid), agent.c_str());
    }
    PostMessage(kMsgLogUploadEnd, 0, 0);
    ProcessStatusText(kStatusServerCheck);
}

void CLauncherWindow::OnLogUploadEnd(WPARAM result, LPARAM detail) {
    KILNLOG.Log(LOG_NORMAL, "ログアップロード終了通知 MSG:0x%08X ERR:0x%08X",
                static_cast<unsigned>(result), static_cast<unsigned>(detail));
    if (m_logUpload && !m_logUpload->GetHandle()) m_logUpload.reset();
    PostMessage(m_messages.requestVersionCheck, 0, 0);
}

void CLauncherWindow::OnVersionCheck() {
    KILNLOG.Log(LOG_NORMAL, "バージョンチェック開始");
    if (!m_updateWindow && !m_closing) {
        m_updateWindow = std::make_unique<CUpdateNotifyWindow>(GetHandle(), m_card);
        m_updateWindow->CreateAndInquire();
    }
    m_runningStatus = kStatusServerCheck;
    ProcessStatusText(m_runningStatus);
}

void CLauncherWindow::OnUpdateChecked() {
    KILNLOG.Log(LOG_DETAIL, "自動アップデートサーバーチェック終了通知");
    if (m_updateWindow) m_updateResult = static_cast<int>(m_updateWindow->GetResult());
    PostMessage(m_messages.requestAutoUpdate, 0, 0);
}

void CLauncherWindow::OnAutoUpdate() {
    KILNLOG.Log(LOG_NORMAL, "自動アップデート開始");
    m_runningStatus = 0;
    ProcessStatusText(0);
    m_menuEnabled = m_updateResult != kUpdateNewer;
    if (m_menu) {
        m_menu->SetEnableFlag(m_menuEnabled);
        m_menu->PostMessage(m_messages.sdChange, static_cast<WPARAM>(m_card), 0);
    }
}

void CLauncherWindow::OnUpdateEnd() {
    KILNLOG.Log(LOG_DETAIL, "自動アップデート終了通知");
    const uint32_t r = static_cast<uint32_t>(m_updateResult);
    if (r & 0x100000) {
        KILNLOG.Log(LOG_ERROR, "サーバー通信エラー");
    } else if (r & 0x200000) {
        KILNLOG.Log(LOG_ERROR, "サーバーレスポンスコードエラー 0x%08X", static_cast<unsigned>(r));
        if ((r & 0xFFFF) == 5) ShowCodeMessage(0xFF00DD01u);
    }
    PostMessage(m_messages.requestStartCharge, 0, 0);
}

void CLauncherWindow::OnStartCharge() {
    KILNLOG.Log(LOG_NORMAL, "データ更新開始");
    m_runningStatus = 0;
    ProcessStatusText(0);
    ApplyStartChargeDecision();
}

void CLauncherWindow::ApplyStartChargeDecision() {
    const StartChargeDecision d = DecideStartCharge(m_updateResult, m_card != 0);
    if (d.stopReaskTimer) KillTimer(kTimerMapReask);
    if (d.log) KILNLOG.Log(LOG_NORMAL, d.log, static_cast<unsigned>(m_updateResult));
    if (d.action != StartChargeAction::None && m_card) StartCore(d.mask);
}

void CLauncherWindow::StartCore(int32_t mask) {
    if (!m_card) return;
    StartCoreProcess(m_card, GetHandle(), mask, m_cardModelCode);
}

// --- progress and completion ------------------------------------------------------------

void CLauncherWindow::OnNotifyProgress(uint32_t kindBit, int percent) {
    WatchCore();
    if (!m_chargingAnime->IsRunning()) {
        m_chargingAnime->SetVisible(true);
        m_chargingAnime->Start(0);
        ResumeTick();
        ShowCardIcon(m_card != 0);
    }
    m_runningKind = kindBit;
    m_runningPercent = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    m_runningStatus = RunningStatusOfKind(kindBit);
    m_lastStatus[kindBit == kChargeMapAlternate ? kChargeMap : kindBit] = m_runningStatus;
    // A screen reader reads the running tile's percentage with its name.
    for (Tile& tile : m_tiles)
        if (tile.bit == (kindBit == kChargeMapAlternate ? kChargeMap : kindBit))
            tile.item->SetSpokenPercent(m_runningPercent);
    UpdateDisplayTimers();
    if (!m_hinting) ProcessStatusText(m_runningStatus);
}

void CLauncherWindow::AnimateTiles() {
    m_tileOdd = !m_tileOdd;
    if (!m_runningKind) return;
    for (Tile& tile : m_tiles)
        if (tile.bit == m_runningKind)
            tile.item->SetValue(static_cast<uint32_t>(ProgressFrame(m_runningPercent, m_tileOdd)));
}

void CLauncherWindow::OnNotifyError(uint32_t code, uint32_t winError) {
    KILNLOG.Log(LOG_NORMAL, "転送完了通知 CHG:%x ERC:0x%08X WinERC:0x%08X",
                static_cast<unsigned>(code >> 24), static_cast<unsigned>(code),
                static_cast<unsigned>(winError));
    if (m_chargingAnime->IsRunning()) {
        m_chargingAnime->Stop();
        m_chargingAnime->SetVisible(false);
        ShowCardIcon(m_card != 0);
    }
    m_runningKind = 0;
    m_runningPercent = 0;
    UpdateDisplayTimers();
    const ChargeCompletion c = ClassifyCompletion(code);
    if (c.kindBit == 0) return;
    for (Tile& tile : m_tiles) {
        if (tile.bit != c.kindBit || c.outcome == ChargeOutcome::Ignored) continue;
        tile.item->SetValue(static_cast<uint32_t>(c.frame));
        tile.item->SetSpokenPercent(c.outcome == ChargeOutcome::Done ? 100 : -1);
        m_lastStatus[c.kindBit] = c.statusIndex;
        // The result shows until the next dot tick empties the line.
        m_runningStatus = 0;
        if (!m_hinting) ProcessStatusText(c.statusIndex);
        if (c.kindBit == kChargeTraffic && c.outcome == ChargeOutcome::Done)
            ::GetLocalTime(&m_lastTraffic);
    }
    if (c.kindBit == kChargeTraffic) {
        if (m_exitMode == 1) {
            m_exitMode = 0;
            EjectNow();
        } else if (m_exitMode == 2) {
            // The close follows a second later, so the finished tile is seen;
            // the window keeps painting and answering meanwhile.
            m_exitMode = 0;
            m_closing = true;
            SetTimer(kTimerTrafficClose, 1000);
        }
    }
    if (c.showMessage) {
        unsigned style = 0;
        const std::string text = GetMessageText(code, winError, style);
        const int answer =
            text.empty() ? 0
                         : lib::wfc::ShowMessageBox(GetHandle(), text.c_str(), kBoxCaption, style);
        if (c.offerRegistration && answer == IDYES) OpenWebPage(3, 100);
    }
    if (c.withdrawn && m_card) {
        CPcLinkFile link(CPcLinkFile::kPcLink, m_card);
        if (link.IsLoaded()) {
            CUserListFile users;
            users.DeleteUser(link.GetDeviceNo().c_str());
        }
    }
}

void CLauncherWindow::WatchCore() {
    if (const HWND core = FindCoreWindow()) m_coreWatch.Watch(core, GetHandle(), kMsgCoreEnded);
}

// A core that ends while it runs a kind or waits for an answer has nobody left
// to report to us: its charge stops showing as running, and its question is
// taken off the screen unanswered, so that an answer given later can never
// reach the next core's question.
void CLauncherWindow::OnCoreEnded(DWORD processId) {
    if (processId != m_coreWatch.ProcessId()) return;  // one watched before
    m_coreWatch.Stop();
    const bool asking =
        m_questionCore == processId && m_mapWindow && m_mapWindow->GetHandle() != nullptr;
    m_questionCore = 0;
    if (!asking && !m_runningKind) return;  // it reported all it ran
    KILNLOG.Log(LOG_ERROR, "Coreプロセス終了検知(完了通知なし) PID:%u CHG:%x",
                static_cast<unsigned>(processId), static_cast<unsigned>(m_runningKind));
    if (asking) m_mapWindow->Withdraw();
    if (!m_runningKind) return;
    if (m_chargingAnime->IsRunning()) {
        m_chargingAnime->Stop();
        m_chargingAnime->SetVisible(false);
        ShowCardIcon(m_card != 0);
    }
    StopMapTimers();
    m_map = MapProgressRecord();
    m_runningKind = 0;
    m_runningPercent = 0;
    m_runningStatus = 0;
    if (!m_hinting) ProcessStatusText(0);
    UpdateDisplayTimers();
}

void CLauncherWindow::ShowCodeMessage(uint32_t code, uint32_t winError) {
    unsigned style = 0;
    const std::string text = GetMessageText(code, winError, style);
    if (!text.empty()) lib::wfc::ShowMessageBox(GetHandle(), text.c_str(), kBoxCaption, style);
}

void CLauncherWindow::ProcessStatusText(int index) {
    m_statusShown = index;
    UpdateDisplayTimers();
    std::string text = BuildStatusText(index, m_dots, m_map, m_mapPhase);
    // The timers refresh the line every second; an unchanged text is not drawn again.
    if (text == m_statusText && m_statusDrawn) return;
    m_statusText = std::move(text);
    m_statusDrawn = true;
    m_statusImage->SetLabel(m_statusText);
}

void CLauncherWindow::RefreshRunningStatus() {
    if (m_runningStatus < 7 && !m_hinting) ProcessStatusText(m_runningStatus);
}

void CLauncherWindow::ClearKindStatuses() { m_lastStatus.clear(); }

int CLauncherWindow::TileFrame(uint32_t kindBit) const {
    for (const Tile& tile : m_tiles)
        if (tile.bit == kindBit && tile.item) return static_cast<int>(tile.item->GetValue());
    return -1;
}

int CLauncherWindow::LastStatusOf(uint32_t kindBit) const {
    auto it = m_lastStatus.find(kindBit);
    return it == m_lastStatus.end() ? 0 : it->second;
}

// --- map questions ------------------------------------------------------------------------

void CLauncherWindow::OnMapLicense(uint32_t type, uint32_t argument) {
    KILNLOG.Log(LOG_NORMAL, "マップチャージ要求 0x%08X", static_cast<unsigned>(type));
    if (type != 5) WatchCore();  // type 5 is our own re-ask
    MapNotifySettings settings;
    {
        CWickerdaleConfig config;
        if (config.LoadMap()) {
            settings.notifyMessage = config.GetMapNotifyMessage();
            settings.notifyLoseReserve = config.GetMapNotifyMessageLoseReserve();
            settings.notifyRemind = config.GetMapNotifyMessageRemind();
            settings.notifyPassword = config.GetMapNotifyMessagePassword();
        }
    }
    const MapRequestDecision d = DecideMapRequest(type, settings);
    switch (d.action) {
        case MapRequestAction::AnswerNo:
            KILNLOG.Log(LOG_NORMAL, "%s", d.log);
            PostMessage(kMsgMapWindowEnd, type, 0);
            return;
        case MapRequestAction::Show:
            ShowMapWindow(static_cast<int>(type), argument);
            return;
        case MapRequestAction::AskBox: {
            unsigned style = 0;
            const std::string text = GetMessageText(0x0200EEEFu, 0, style);
            const int answer =
                lib::wfc::ShowMessageBox(GetHandle(), text.c_str(), kBoxCaption, style);
            PostMessage(kMsgMapWindowEnd, type, answer == IDYES ? 1 : 0);
            return;
        }
        case MapRequestAction::Undefined:
            KILNLOG.Log(LOG_ERROR, "未定義のマップチャージ要求 0x%08X",
                        static_cast<unsigned>(type));
            return;
    }
}

void CLauncherWindow::ShowMapWindow(int type, uint32_t argument) {
    // The window's type is the mode of the request; it reports the request
    // type back.
    const int mode =
        type == 7 || type == 8 ? type : MapNotifyModeOfRequest(static_cast<uint32_t>(type));
    if (mode < 0) return;
    // A question still on screen takes the new one: destroying it would
    // report an answer to a question nobody answered.
    if (!m_mapWindow || !m_mapWindow->GetHandle()) {
        m_mapWindow = std::make_unique<CMapChargeWindow>(GetHandle());
        m_mapWindow->CreateMapWindow();
    }
    m_mapWindow->SetVariant(m_navigationModelType);
    ::ShowWindow(GetHandle(), SW_RESTORE);
    ::SetForegroundWindow(GetHandle());
    if (m_mapWindow->SetType(mode, argument)) m_mapWindow->Show();
    m_questionCore = type == 5 ? 0 : m_coreWatch.ProcessId();
}

void CLauncherWindow::OnMapWindowEnd(uint32_t type, bool accepted, bool silence) {
    KILNLOG.Log(LOG_DETAIL, "マップチャージ画面終了通知 TYPE:%d RESULT:%s %s",
                static_cast<int>(type), accepted ? "OK" : "CANCEL",
                silence ? "今後表示しない" : " ");
    const MapAnswerDecision d = DecideMapAnswer(type, accepted);
    if (!d.known) {
        KILNLOG.Log(LOG_ERROR, "未定義のマップチャージ画面終了通知 0x%08X",
                    static_cast<unsigned>(type));
        return;
    }
    if (silence && d.silenceKey >= 0) {
        // Each setter writes its key at once.
        CWickerdaleConfig config;
        switch (d.silenceKey) {
            case 0:
                config.SetMapNotifyMessage(0);
                break;
            case 1:
                config.SetMapNotifyMessageLoseReserve(0);
                break;
            case 2:
                config.SetMapNotifyMessageRemind(0);
                break;
            case 4:
                config.SetMapNotifyMessagePassword(0);
                break;
            default:
                break;
        }
    }
    if (d.eventName) SetCoreEvent(d.eventName);
    if (d.startReaskTimer) SetTimer(kTimerMapReask, kMapReaskMs);
    if (d.startRefreshCharge) StartCore(kChargeMaskRefresh);
}

void CLauncherWindow::OnMapDownload() {
    KILNLOG.Log(LOG_NORMAL, "マップ再要求");
    KillTimer(kTimerMapReask);
    if (m_mapWindow && m_mapWindow->GetHandle() && m_mapWindow->Type() == 5)
        m_mapWindow->ShowWindow(SW_HIDE);
    StartCore(kChargeMaskRefresh);
}

void CLauncherWindow::OnMapVerify(int mode, const char* log) {
    KILNLOG.Log(LOG_NORMAL, "%s", log);
    WatchCore();
    ShowMapWindow(mode, 0);
}

// --- map progress -----------------------------------------------------------------------------

bool CLauncherWindow::ReadMapBlock(bool download, bool withSpeed, WPARAM w) {
    MapProgressBlock block;
    block.lineSpeed = m_map.lineSpeed;
    block.currentSize = m_map.currentSize;
    block.cumulativeSize = m_map.cumulativeSize;
    block.totalSize = m_map.totalSize;
    const bool ok = ReadMapProgressBlock(
        download ? "MapChargeDLProgress" : "MapChargeTRProgress", block, [w](DWORD error) {
            KILNLOG.Log(LOG_ERROR,
                        "CLauncherWindow::OnMapChargeProgress - 共有メモリオープン失敗 : Type=%d "
                        "Err=0x%08X",
                        static_cast<int>(w), static_cast<unsigned>(error));
        });
    if (!ok) return false;
    if (withSpeed) m_map.lineSpeed = block.lineSpeed;
    m_map.currentSize = block.currentSize;
    m_map.cumulativeSize = block.cumulativeSize;
    if (download) m_map.totalSize = block.totalSize;
    m_map.percent = MapPercent(m_map.cumulativeSize, m_map.totalSize);
    if (m_map.lineSpeed > 0) m_map.remainingSeconds = MapUpdatedRemaining(m_map);
    return true;
}

void CLauncherWindow::StartMapTimers() {
    SetTimer(kTimerMapPhase, 5000);
    SetTimer(kTimerMapSeconds, 1000);
}

void CLauncherWindow::StopMapTimers() {
    KillTimer(kTimerMapPhase);
    KillTimer(kTimerMapSeconds);
}

void CLauncherWindow::OnMapProgressStart(WPARAM w) {
    m_map = MapProgressRecord();
    if (w == 3) {
        m_map.kind = kMapRecordDiskCheck;
        KILNLOG.Log(LOG_NORMAL, "CLauncherWindow::OnMapChargeStart - CHKDSK開始");
        return;
    }
    if (w != 1 && w != 2) return;
    const bool download = w == 1;
    m_map.kind = download ? kMapRecordDownload : kMapRecordTransfer;
    MapProgressBlock block;
    const bool ok = ReadMapProgressBlock(
        download ? "MapChargeDLProgress" : "MapChargeTRProgress", block, [download](DWORD error) {
            KILNLOG.Log(LOG_ERROR,
                        download ? "CLauncherWindow::OnMapChargeStart - "
                                   "DL用共有メモリオープン失敗 Err=0x%08X"
                                 : "CLauncherWindow::OnMapChargeStart - "
                                   "TR用共有メモリオープン失敗 Err=0x%08X",
                        static_cast<unsigned>(error));
        });
    if (ok) {
        m_map.totalSize = block.totalSize;
        if (download) {
            m_map.lineSpeed = block.lineSpeed;
            m_map.currentSize = block.currentSize;
            m_map.cumulativeSize = block.cumulativeSize;
            m_map.percent = MapPercent(m_map.cumulativeSize, m_map.totalSize);
            m_map.remainingSeconds = MapStartRemaining(m_map);
        }
    }
    m_mapPhase = kMapPhaseLabel;
    RefreshRunningStatus();
    StartMapTimers();
}

void CLauncherWindow::OnMapProgress(WPARAM w, LPARAM l) {
    if (w == 1) {
        ReadMapBlock(true, true, w);
        return;
    }
    if (w != 2) return;
    if (l == 1) {
        m_map.kind = kMapRecordChecking;
        RefreshRunningStatus();
        StopMapTimers();
        return;
    }
    if (l == 2) {
        StartMapTimers();
        m_mapPhase = kMapPhasePercent;
        return;
    }
    ReadMapBlock(false, true, w);
}

void CLauncherWindow::OnMapProgressEnd(WPARAM w) {
    if (w == 3) {
        m_map = MapProgressRecord();
        KILNLOG.Log(LOG_NORMAL, "CLauncherWindow::OnMapChargeEnd - CHKDSK終了");
        return;
    }
    StopMapTimers();
    const char* const p = "CLauncherWindow::OnMapChargeEnd - ";
    KILNLOG.Log(LOG_NORMAL, "%sマップチャージ処理種別 = %d ", p, static_cast<int>(m_map.kind));
    KILNLOG.Log(LOG_NORMAL, "%sマップチャージ全体サイズ = %lld ", p,
                static_cast<long long>(m_map.totalSize));
    KILNLOG.Log(LOG_NORMAL, "%sマップチャージ累計サイズ = %lld ", p,
                static_cast<long long>(m_map.cumulativeSize));
    KILNLOG.Log(LOG_NORMAL, "%sマップチャージ予測時間 = %lld ", p,
                static_cast<long long>(m_map.remainingSeconds));
    KILNLOG.Log(LOG_NORMAL, "%sマップチャージ進捗率 = %5.1f ", p, m_map.percent);
    KILNLOG.Log(LOG_NORMAL, "%sマップチャージ現在処理サイズ = %lld ", p,
                static_cast<long long>(m_map.currentSize));
    KILNLOG.Log(LOG_NORMAL, "%sマップチャージ回線速度 = %d ", p, static_cast<int>(m_map.lineSpeed));
    m_map = MapProgressRecord();
}

}  // namespace ui
