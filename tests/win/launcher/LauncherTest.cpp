// The launcher window against the stand-in core and service: the start-up
// chain, progress and completion, the status line and map phases, the map
// questions, the card notices, eject, close and the session end; what a
// screen reader reads of each pop-up, where it shows.
#include <windows.h>
#include <gtest/gtest.h>
// after windows.h
#include <dbt.h>

#include <algorithm>
#include <memory>

#include "LauncherHarness.h"
#include "app/ChargeText.h"
#include "app/InfoChargeWindow.h"
#include "app/LauncherWindow.h"
#include "app/LogUploadWindow.h"
#include "app/MapChargeWindow.h"
#include "app/MenuWindow.h"
#include "app/SDInfoWindow.h"
#include "app/SettingWindow.h"
#include "app/UpdateNotifyWindow.h"
#include "app/VersionWindow.h"
#include "common/CoreBridge.h"
#include "common/CoreProcess.h"
#include "common/Folders.h"
#include "common/WickerdaleConfig.h"
#include "common/WinHandle.h"
#include "qm_version.h"
#include "ui/SkinWindowItemButton.h"

using qmtest::AccRow;
using ui::CLauncherWindow;
using namespace qmtest::acc;

namespace {

const char kDevice[] = "LAUNCHERTEST0001";

using Launcher = lt::CLauncherSession;

// The largest difference of two colours in one channel.
int Contrast(COLORREF a, COLORREF b) {
    int most = 0;
    for (int shift : {0, 8, 16})
        most = std::max(most, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return most;
}

// Each colour channel of `blended` is `over` laid on `under` at alpha/255,
// within one level of the exact blend.
void ExpectBlend(COLORREF blended, COLORREF over, COLORREF under, int alpha) {
    EXPECT_NE(over, under);
    for (int shift : {0, 8, 16}) {
        const double s = (over >> shift) & 0xFF, d = (under >> shift) & 0xFF;
        EXPECT_NEAR((blended >> shift) & 0xFF, d + (s - d) * alpha / 255, 1.0) << shift;
    }
}

void PrepareCard(const std::string& options = "") { lt::PrepareCard(kDevice, options); }

// E: emptied and a registered card of another model on F:, its arrival
// told to the launcher.
void SwapInCardOfAnotherModel(HWND launcher) {
    ASSERT_TRUE(lt::MakeCard('F', "LAUNCHERTEST0003", "--generation=1"));
    ASSERT_TRUE(lt::RegisterUser("LAUNCHERTEST0003", 1));
    lt::EmptyDrive('E');
    DEV_BROADCAST_VOLUME notice = {sizeof notice, DBT_DEVTYP_VOLUME, 0, 1u << ('F' - 'A'), 0};
    ::SendMessageA(launcher, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&notice));
}

}  // namespace

TEST(Launcher, StartupChainRunsInOrderThenChargesEveryKind) {
    if (!lt::HaveService()) GTEST_SKIP() << "needs the stand-in service (run-with-service)";
    PrepareCard();
    lt::CoreScenario core("use quick\r\n");
    const size_t logStart = lt::LogText().size();
    Launcher launcher;
    ASSERT_TRUE(
        lt::PumpUntil([&] { return core.Journal().find("exit") != std::string::npos; }, 60000))
        << core.Journal();
    lt::PumpUntil([&] { return launcher->TileFrame(kChargeMusic) == 6; }, 5000);
    const std::string log = lt::LogText().substr(logStart);
    size_t at = 0;
    for (const char* step : {"ログアップロード開始", "ログアップロード終了通知 MSG:0x90000001",
                             "バージョンチェック開始", "PC上のアプリは最新", "自動アップデート開始",
                             "データ更新開始", "チャージ要求 TYPE:0xFFFFFFFF"}) {
        const size_t p = log.find(step, at);
        ASSERT_NE(p, std::string::npos) << step << "\n" << log;
        at = p;
    }
    const std::vector<qmtest::ServiceRequest> requests = qmtest::ServiceRequests();
    ASSERT_GE(requests.size(), 2u);
    EXPECT_EQ(requests[requests.size() - 2].path, "/pcapp/LogUploadCheckAPI");
    EXPECT_EQ(requests.back().path, "/pcapp/GetLatestPcaplAPI");
    for (uint32_t bit : {kChargeProbe, kChargeMap, kChargeTraffic, kChargeWeather, kChargeMusic})
        EXPECT_EQ(launcher->TileFrame(bit), 6) << bit;
    EXPECT_EQ(launcher->LastStatusOf(kChargeMap), 14);
    EXPECT_EQ(launcher->UpdateResult(), 2);
    lt::SaveScreen(launcher->BackBuffer(), "launcher-done");
}

TEST(Launcher, CompletionsThenTheStatusLineDotsAndMapPhasesFollowTheirTimers) {
    lt::CSettledLauncher session(kDevice);
    Launcher& launcher = session.launcher;
    const CBridgeMessages& m = launcher->Messages();
    struct Row {
        uint32_t code, bit;
        int frame, status;
        bool box;
    } const rows[] = {
        // A quiet class and one with its message (the native table has every class).
        {0x0400FF01, kChargeTraffic, 5, 20, false},  // skipped: no message
        {0x0235FFFF, kChargeMap, 1, 15, true},       // failed with a coded message
    };
    for (const Row& r : rows) {
        const size_t mark = launcher.boxes.Count();
        launcher.Send(m.notifyProgress, r.bit, 30);
        launcher.Send(m.notifyError, r.code, 0);
        EXPECT_EQ(launcher->TileFrame(r.bit), r.frame) << std::hex << r.code;
        EXPECT_EQ(launcher->LastStatusOf(r.bit), r.status) << std::hex << r.code;
        // (A box's own loop may see the dot tick that takes the result off.)
        if (!r.box) {
            EXPECT_EQ(launcher->ShownStatusIndex(), r.status) << std::hex << r.code;
        }
        EXPECT_EQ(launcher.boxes.Count() - mark, r.box ? 1u : 0u) << std::hex << r.code;
    }
    // A result stays until the next dot tick empties the line.
    launcher.Send(m.notifyProgress, kChargeMusic, 30);
    launcher.Send(m.notifyError, 0x10000000, 0);
    EXPECT_EQ(launcher->StatusText(), "音楽データ転送完了");
    launcher.Send(WM_TIMER, ui::kTimerDots);
    EXPECT_EQ(launcher->StatusText(), "");
    // The pointer over a tile shows that kind's last status, over the card
    // its eject hint; leaving empties the line.
    auto hover = [&](int id) {
        const RECT r = launcher->GetItemById(id)->GetRect();
        launcher.Send(WM_MOUSEMOVE, 0, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
        return launcher->StatusText();
    };
    EXPECT_EQ(hover(CLauncherWindow::kBraidlineProgressImage), "渋滞情報更新スキップ");
    EXPECT_EQ(hover(CLauncherWindow::kSDEjectableIcon), "SDを取り出します。");
    launcher.Send(WM_MOUSELEAVE);
    EXPECT_EQ(launcher->StatusText(), "");
    // Nothing moves and the pointer is out: the skin tick rests until it comes.
    launcher.Send(WM_TIMER, ui::kSkinTickTimer);
    EXPECT_TRUE(launcher->TickResting());
    hover(CLauncherWindow::kSDEjectableIcon);
    EXPECT_FALSE(launcher->TickResting());
    launcher.Send(WM_MOUSELEAVE);
    // Registration withdrawn: the card's user leaves the user list.
    launcher.boxes.Queue(IDNO);  // not to the registration page
    launcher.Send(m.notifyError, 0x01200205, 0);
    CUserListFile users;
    EXPECT_FALSE(users.Exists(kDevice));
    lt::SaveScreen(launcher->BackBuffer(), "launcher-completions");

    // The status line while a kind runs.
    launcher.Send(m.notifyProgress, kChargeProbe, 10);
    // The dots count 0, 1, 2, 3 and round again with the one-second timer:
    // "．" per dot, two blanks per empty slot. The counter never restarts, so
    // the round starts wherever the earlier charges left it.
    const std::string running = "ナビ情報アップロード中";
    const char* const cycle[] = {"      ", "．    ", "．．  ", "．．．"};
    int dots = 0;
    while (dots < 4 && launcher->StatusText() != running + cycle[dots]) ++dots;
    ASSERT_LT(dots, 4) << launcher->StatusText();
    for (int tick = 0; tick < 4; ++tick) {
        launcher.Send(WM_TIMER, ui::kTimerDots);
        dots = (dots + 1) % 4;
        EXPECT_EQ(launcher->StatusText(), running + cycle[dots]);
    }
    // A download block the test publishes itself, under its mutex.
    CNullDaclSecurity security;
    qm::CHandle mapping(::CreateFileMappingA(INVALID_HANDLE_VALUE, security.Get(), PAGE_READWRITE,
                                             0, kMapProgressBlockSize, "MapChargeDLProgress"));
    ASSERT_TRUE(mapping.Valid());
    qm::CHandle mutex(
        ::CreateMutexA(security.Get(), FALSE, BlockMutexNameHere("MapChargeDLProgress").c_str()));
    auto publish = [&](uint64_t cumulative, uint32_t speed) {
        const MapProgressBlock b = {speed, cumulative, cumulative, 38400000};
        unsigned char bytes[kMapProgressBlockSize];
        EncodeMapProgressBlock(b, bytes);
        CMappedView view(::MapViewOfFile(mapping.Get(), FILE_MAP_WRITE, 0, 0, 0));
        ::WaitForSingleObject(mutex.Get(), INFINITE);
        memcpy(view.Get(), bytes, sizeof bytes);
        ::ReleaseMutex(mutex.Get());
    };
    publish(3840000, 4000000);
    launcher.Send(m.notifyProgress, kChargeMap, 10);
    launcher.Send(m.mapProgressStart, 1);
    EXPECT_EQ(launcher->MapPhase(), kMapPhaseLabel);
    EXPECT_EQ(launcher->StatusText(), "地図データダウンロード中");
    // (38.4 MB - 3.84 MB) / 4 MB/s = 8.64 s: at least 9 s at the start.
    EXPECT_EQ(launcher->MapRecord().remainingSeconds, 9u);
    publish(19200000, 1000000);
    launcher.Send(m.mapProgress, 1, 0);
    EXPECT_DOUBLE_EQ(launcher->MapRecord().percent, 50.0);
    EXPECT_EQ(launcher->MapRecord().remainingSeconds, 19u);
    launcher.Send(WM_TIMER, ui::kTimerMapPhase);  // label -> percentage
    EXPECT_EQ(launcher->MapPhase(), kMapPhasePercent);
    EXPECT_EQ(launcher->StatusText(), " 50.0％完了　残り時間 約  0:00:19");
    launcher.Send(WM_TIMER, ui::kTimerMapSeconds);
    EXPECT_EQ(launcher->StatusText(), " 50.0％完了　残り時間 約  0:00:18");
    launcher.Send(WM_TIMER, ui::kTimerMapPhase);  // more than 10 s left -> speed
    EXPECT_EQ(launcher->MapPhase(), kMapPhaseSpeed);
    EXPECT_EQ(launcher->StatusText(), "通信速度 約    8.0 Mbps");
    lt::SaveScreen(launcher->BackBuffer(), "launcher-map-speed");
    launcher.Send(WM_TIMER, ui::kTimerMapPhase);  // -> label
    EXPECT_EQ(launcher->MapPhase(), kMapPhaseLabel);
    launcher.Send(m.mapProgressEnd, 0);
    EXPECT_EQ(launcher->MapRecord().kind, kMapRecordNone);
    EXPECT_NE(lt::LogText().find("マップチャージ進捗率 =  50.0"), std::string::npos);
    // A hint covers the line; the pointer leaving empties it, and the next
    // dot tick brings the running one back.
    launcher.Send(ui::kMsgMenuHint, ui::kRootMenuId, 2);
    EXPECT_EQ(launcher->StatusText(), "関連webサイトへご案内します");
    launcher.Send(ui::kMsgMenuHint, static_cast<WPARAM>(-1), -1);
    EXPECT_EQ(launcher->StatusText(), "");
    launcher.Send(WM_TIMER, ui::kTimerDots);
    EXPECT_EQ(launcher->StatusText(), "地図データ更新中");
}

TEST(Launcher, MapQuestionsAnswerThroughTheCoresEvents) {
    CWickerdaleConfig().ResetMap(true);
    lt::CSettledLauncher session(kDevice);
    Launcher& launcher = session.launcher;
    const CBridgeMessages& m = launcher->Messages();
    CNullDaclSecurity security;
    qm::CHandle yes(::CreateEventA(security.Get(), TRUE, FALSE, "Global\\WLKMapLicense"));
    qm::CHandle no(::CreateEventA(security.Get(), TRUE, FALSE, "Global\\WLKMapLicenseNo"));
    auto isSet = [](const qm::CHandle& h) {
        const bool set = ::WaitForSingleObject(h.Get(), 0) == WAIT_OBJECT_0;
        ::ResetEvent(h.Get());
        return set;
    };

    // A request while a question is on screen takes its window: the first
    // was not answered, so nothing is reported for it.
    launcher.Send(m.mapLicense, 0, 0);
    ASSERT_NE(launcher->MapWindow(), nullptr);
    const HWND first = launcher->MapWindow()->GetHandle();
    // Type 2: the reserved date from lParam, OK and re-reserve.
    launcher.Send(m.mapLicense, 2, 0x250131);
    ui::CMapChargeWindow* map = launcher->MapWindow();
    EXPECT_EQ(map->GetHandle(), first);
    lt::Drain();
    EXPECT_FALSE(isSet(no));
    EXPECT_TRUE(::IsWindowVisible(map->GetHandle()));
    EXPECT_EQ(map->VisibleButtons(), (std::vector<int>{ui::CMapChargeWindow::kOKShortButton,
                                                       ui::CMapChargeWindow::kReReserveButton}));
    // Declining the reminder: the No event, and five minutes later (the timer
    // message) the request to refresh (type 5).
    map->SendMessage(WM_COMMAND, ui::CMapChargeWindow::kReReserveButton | 0x10000, 0);
    ASSERT_TRUE(lt::PumpUntil([&] { return !::IsWindow(map->GetHandle()); }, 5000));
    EXPECT_TRUE(lt::PumpUntil([&] { return isSet(no); }, 5000));
    EXPECT_FALSE(isSet(yes));
    launcher.Send(WM_TIMER, ui::kTimerMapReask);
    ASSERT_TRUE(lt::PumpUntil(
        [&] { return launcher->MapWindow() && launcher->MapWindow()->Type() == 5; }, 5000));
    EXPECT_EQ(launcher->MapWindow()->InformationText(), "最新の情報に更新しますか？");

    // Type 0 declined by the close button ("later"): the date is stored and
    // the next request within three days answers No without a window.
    launcher.Send(m.mapLicense, 0, 0);
    map = launcher->MapWindow();
    EXPECT_EQ(map->Type(), 0);
    map->FinishSlide();
    const RECT close = map->GetItemById(ui::CPopupWindow::kCloseButton)->GetRect();
    POINT centre = {(close.left + close.right) / 2, (close.top + close.bottom) / 2};
    const LPARAM at = MAKELPARAM(centre.x, centre.y);
    ::ClientToScreen(map->GetHandle(), &centre);
    ::SetCursorPos(centre.x, centre.y);  // the press ends where the pointer is
    map->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
    map->SendMessage(WM_LBUTTONUP, 0, at);
    lt::PumpUntil([&] { return !::IsWindow(map->GetHandle()); }, 5000);
    EXPECT_TRUE(lt::PumpUntil([&] { return isSet(no); }, 5000));
    {
        CWickerdaleConfig config;
        ASSERT_TRUE(config.LoadMap());
        EXPECT_EQ(config.GetMapNotifiesLater(), 1);
        EXPECT_NE(config.GetMapNotifyFinalConfirmationDate().wYear, 0);
    }
    launcher.Send(m.mapLicense, 0, 0);
    EXPECT_FALSE(::IsWindowVisible(launcher->MapWindow()->GetHandle()));
    EXPECT_TRUE(lt::PumpUntil([&] { return isSet(no); }, 5000));
    // Four days ago the question comes back.
    CWickerdaleConfig().SaveMapNotifyFinalConfirmationDate(SYSTEMTIME{2020, 1, 0, 1, 0, 0, 0, 0});
    launcher.Send(m.mapLicense, 0, 0);
    EXPECT_TRUE(::IsWindowVisible(launcher->MapWindow()->GetHandle()));
    // Accepted: the Yes event and the re-ask timer.
    launcher->MapWindow()->SendMessage(WM_COMMAND, ui::CMapChargeWindow::kYesShortButton | 0x10000,
                                       0);
    EXPECT_TRUE(lt::PumpUntil([&] { return isSet(yes); }, 5000));

    // Type 4 silenced in the settings: answered No at once, no window.
    CWickerdaleConfig().SetMapNotifyMessagePassword(0);
    const size_t before = lt::LogText().size();
    launcher.Send(m.mapLicense, 4, 0);
    EXPECT_TRUE(lt::PumpUntil([&] { return isSet(no); }, 5000));
    EXPECT_NE(
        lt::LogText().find("地図更新データパスワード取得通知 今後表示しないため、即応答", before),
        std::string::npos);
    // An unknown request type is logged and nothing else.
    launcher.Send(m.mapLicense, 6, 0);
    EXPECT_NE(lt::LogText().find("未定義のマップチャージ要求 0x00000006", before),
              std::string::npos);
}

TEST(Launcher, CardNoticesOfOneSecondGiveOneRescan) {
    lt::CSettledLauncher session(kDevice);
    Launcher& launcher = session.launcher;
    ASSERT_EQ(launcher->CurrentCard(), 'E');
    const size_t before = lt::LogText().size();
    for (int i = 0; i < 3; ++i) launcher.CardNotice(DBT_DEVICEARRIVAL, false);
    EXPECT_EQ(launcher->CardNotices(), 3u);
    EXPECT_TRUE(launcher->RescanPending());
    lt::SaveScreen(launcher->BackBuffer(), "launcher-searching");
    launcher.Send(WM_TIMER, ui::kTimerRescan);
    launcher.Send(WM_TIMER, ui::kTimerRescan);  // a second expiry scans nothing
    EXPECT_EQ(qmtest::CountInLog("SD検知", before), 1);
    EXPECT_EQ(launcher->CurrentCard(), 'E');

    // The card pulled: no card, the other icon.
    lt::EmptyDrive('E');
    launcher.CardNotice(DBT_DEVICEREMOVECOMPLETE);
    EXPECT_TRUE(lt::PumpUntil([&] { return launcher->CurrentCard() == 0; }, 5000));
    EXPECT_EQ(launcher->CardIcon(), CLauncherWindow::kSDUnAlivalIcon);
    lt::SaveScreen(launcher->BackBuffer(), "launcher-no-card");
    // The back panel without a card: its eject button is disabled, so the
    // pointer leaving it does not take a hint off the line.
    session.Activate();
    launcher.Click(CLauncherWindow::kSDUnAlivalIcon);
    ASSERT_TRUE(launcher->IsBackPanel());
    launcher.Send(ui::kMsgMenuHint, ui::kRootMenuId, 2);
    const RECT eject = launcher->GetItemById(CLauncherWindow::kSDEjectButton)->GetRect();
    launcher.Send(WM_MOUSEMOVE, 0, MAKELPARAM(eject.left + 2, eject.top + 2));
    launcher.Send(WM_MOUSELEAVE);
    lt::Drain();
    EXPECT_EQ(launcher->ShownStatusIndex(), 48);
    launcher.Send(ui::kMsgMenuHint, static_cast<WPARAM>(-1), -1);
    launcher.Send(WM_ACTIVATE, WA_INACTIVE, 0);  // the front panel again

    // An unregistered card: its message, and it stays unused.
    size_t mark = launcher.boxes.Count();
    ASSERT_TRUE(lt::MakeCard('E', "UNKNOWNDEVICE001"));
    launcher.CardNotice(DBT_DEVICEARRIVAL);
    EXPECT_EQ(
        launcher.boxes.Texts(mark),
        std::vector<std::string>{"挿入されたSDカードのお客様登録情報が見つかりませんでした。\r\n"
                                 "QUILL MARCHを再起動して、初期設定を行なってください。"});
    EXPECT_EQ(launcher->CurrentCard(), 0);
    // The registered card again: it becomes the current one.
    ASSERT_TRUE(lt::MakeCard('E', kDevice));
    launcher.CardNotice(DBT_DEVICEARRIVAL);
    EXPECT_TRUE(lt::PumpUntil([&] { return launcher->CurrentCard() == 'E'; }, 5000));
    EXPECT_EQ(launcher->CardIcon(), CLauncherWindow::kSDEjectableIcon);

    // E: turns read-only (its write check cannot make its file) beside a
    // registered F:, which takes over; F: pulled leaves only the locked card.
    ASSERT_TRUE(lt::MakeCard('F', kDevice));
    ASSERT_TRUE(::CreateDirectoryA("E:\\WritableCheck.test", nullptr));
    mark = launcher.boxes.Count();
    launcher.CardNotice(DBT_DEVICEARRIVAL);
    EXPECT_TRUE(lt::PumpUntil([&] { return launcher->CurrentCard() == 'F'; }, 5000));
    EXPECT_NE(lt::LogText().find("SDカード読取専用 Eドライブ", before), std::string::npos);
    lt::EmptyDrive('F');
    launcher.CardNotice(DBT_DEVICEREMOVECOMPLETE);
    lt::PumpUntil([&] { return launcher.boxes.Count() > mark; }, 5000);
    EXPECT_EQ(launcher.boxes.Texts(mark),
              std::vector<std::string>{"挿入されているSDカードはロックされています。\r\n"
                                       "SDカードを確認してください。"});
    EXPECT_EQ(launcher->CurrentCard(), 0);
}

TEST(Launcher, ACardChangeReachesTheSettingsAndTheSDInfoWindow) {
    lt::CSettledLauncher session(kDevice);
    Launcher& launcher = session.launcher;
    ASSERT_TRUE(lt::MakeCard('F', kDevice));
    const UINT sdChange = launcher->Messages().sdChange;
    launcher.Send(ui::kMsgMenuCommand, 0, 0);
    ASSERT_NE(launcher->SettingWindow(), nullptr);
    // The SD information window runs modally: inside its loop the card
    // changes to F:, and once the window shows F: it is closed.
    char refilled = 0;
    lt::CInsideModal inside([&] {
        ui::CSDInfoWindow* info = launcher->SDInfoWindow();
        if (!info || !info->GetHandle() || info->IsCloseRequested()) return false;
        if (info->Drive() == 'E') {
            launcher.Send(sdChange, 'F', 0);
            return false;
        }
        refilled = info->Drive();
        info->PostMessage(WM_CLOSE);
        return true;
    });
    launcher.Send(ui::kMsgMenuCommand, 3, 1);
    EXPECT_EQ(refilled, 'F');
    EXPECT_EQ(launcher->SDInfoWindow(), nullptr);
    lt::Drain();
    EXPECT_EQ(launcher->SettingWindow()->Drive(), 'F');
    launcher.Send(sdChange, 0, 0);
    lt::Drain();
    EXPECT_EQ(launcher->SettingWindow()->Drive(), 0);
    lt::EmptyDrive('F');
}

// Cards of models 18 and 21 have no probe upload: four tiles close up, from
// the skin's places each time the card comes back.
TEST(Launcher, TilesWithoutTheProbeTileStayPutOnEveryCardChange) {
    PrepareCard("--model=12");
    lt::CoreScenario core("idle stay\r\n");
    Launcher launcher;
    launcher.Settle(core);
    EXPECT_FALSE(launcher->GetItemById(CLauncherWindow::kProbeProgressImage)->IsVisible());
    EXPECT_TRUE(launcher->GetItemById(CLauncherWindow::kBackImage1)->IsVisible());
    auto lefts = [&] {
        std::vector<LONG> x;
        for (int id = CLauncherWindow::kMapProgressImage;
             id <= CLauncherWindow::kMusicProgressImage; ++id)
            x.push_back(launcher->GetItemById(id)->GetRect().left);
        return x;
    };
    const std::vector<LONG> first = lefts();
    for (int i = 0; i < 2; ++i) {
        launcher.Send(launcher->Messages().sdChange, 0, 0);
        launcher.Send(launcher->Messages().sdChange, 'E', 0);
        EXPECT_EQ(lefts(), first) << i;
    }
}

TEST(Launcher, WhileBusyEjectAndCloseAskFirstAndTheSessionEndCloses) {
    PrepareCard();
    lt::CoreScenario core("use busy\r\n");
    Launcher launcher;
    launcher.Send(launcher->Messages().requestStartCharge);
    ASSERT_TRUE(lt::PumpUntil([] { return FindCoreWindow() != nullptr; }, 20000));
    using Texts = std::vector<std::string>;
    // Another window of the launcher is visible (the version window, closed
    // and opened again from the menu with its items made once; the settings
    // window): eject is refused.
    launcher.Send(ui::kMsgMenuCommand, 3, 0);
    ui::CVersionWindow* version = launcher->VersionWindow();
    ASSERT_TRUE(version && ::IsWindowVisible(version->GetHandle()));
    const size_t items = version->Items().size();
    version->SendMessage(WM_CLOSE);
    launcher.Send(ui::kMsgMenuCommand, 3, 0);
    EXPECT_EQ(version->Items().size(), items);
    lt::SaveScreen(version->BackBuffer(), "version");
    const auto overlays = ui::FrameOverlayWindowBase::RegisteredWindows();
    EXPECT_NE(std::find(overlays.begin(), overlays.end(),
                        std::make_pair(version->GetHandle(), ui::CPopupWindow::kOverlayMessage)),
              overlays.end());
    size_t mark = launcher.boxes.Count();
    auto ejectRefused = [&] {
        launcher.Send(WM_COMMAND, CLauncherWindow::kSDEjectButton | 0x10000, 0);
        lt::PumpUntil([&] { return launcher.boxes.Count() > mark; }, 5000);
        EXPECT_EQ(launcher.boxes.Texts(mark),
                  Texts{"他の機能が起動中のため、SDを取り外しを行なえません。"});
        mark = launcher.boxes.Count();
    };
    ejectRefused();
    // "Ver." and the product version of the executable, without its build
    // number, read after the window's pictures.
    const std::string label = version->VersionLabel();
    ASSERT_GT(label.size(), 4u);
    EXPECT_EQ(label.compare(0, 4, "Ver."), 0);
    EXPECT_EQ(std::string(QM_VERSION_TEXT).compare(0, label.size() - 4, label, 4), 0) << label;
    EXPECT_EQ(lt::ReadAccess(version->GetHandle()),
              lt::PopupHead("QUILL MARCHバージョン情報", {{kPicture, "QUILL MARCH", 0},
                                                          {kPicture, "コルヴェイン株式会社", 0},
                                                          {kText, label, kReadOnly}}));
    version->SendMessage(WM_CLOSE);
    launcher.Send(ui::kMsgMenuCommand, 0, 0);
    const HWND settings = launcher->SettingWindow()->GetHandle();
    ASSERT_TRUE(::IsWindowVisible(settings));
    ejectRefused();
    ::SendMessageA(settings, WM_CLOSE, 0, 0);
    // Eject and close while busy, answered No: nothing is cut, the card stays.
    mark = launcher.boxes.Count();
    launcher.boxes.Queue(IDNO);
    launcher.Send(WM_COMMAND, CLauncherWindow::kSDEjectButton | 0x10000, 0);
    launcher.boxes.Queue(IDNO);
    launcher.Send(WM_CLOSE);
    EXPECT_EQ(launcher.boxes.Texts(mark),
              (Texts{"データ更新中です。転送を中断しますか？",
                     "データ更新中です。転送を中断し、QUILL MARCHを終了しますか？"}));
    EXPECT_EQ(launcher->CurrentCard(), 'E');
    EXPECT_TRUE(::IsWindow(launcher.Handle()));
    EXPECT_NE(FindCoreWindow(), nullptr);
    EXPECT_FALSE(launcher->IsClosing());
    // Windows ends: the query answers yes, the end closes without a question.
    const size_t before = lt::LogText().size();
    EXPECT_EQ(launcher->SendMessage(WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 1);
    EXPECT_TRUE(launcher->IsClosing());
    const HWND handle = launcher.Handle();
    launcher.Send(WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_FALSE(::IsWindow(handle));
    EXPECT_FALSE(::IsWindow(settings));  // the launcher's child windows go with it
    const std::string log = lt::LogText().substr(before);
    for (const char* line :
         {"WM_QUERYENDSESSION 受信 Option:0x80000000", "WM_QUERYENDSESSION 結果 1",
          "WM_ENDSESSION 受信 End:1", "WM_ENDSESSION 処理終了"})
        EXPECT_NE(log.find(line), std::string::npos) << line;
    EXPECT_TRUE(lt::PumpUntil([] { return FindCoreWindow() == nullptr; }, 10000));
}

TEST(Launcher, StaleTrafficIsOfferedOnCloseAndOKChargesTrafficFirst) {
    PrepareCard();
    lt::CoreScenario core("use quick\r\n");
    CWickerdaleConfig().ResetSetting(true);
    Launcher launcher;
    // The last traffic update 20 minutes ago.
    SYSTEMTIME now = {}, old = {};
    ::GetLocalTime(&now);
    ULARGE_INTEGER t = {};
    ::SystemTimeToFileTime(&now, reinterpret_cast<FILETIME*>(&t));
    t.QuadPart -= 20ull * 60 * 10000000;
    ::FileTimeToSystemTime(reinterpret_cast<FILETIME*>(&t), &old);
    launcher->SetLastTrafficUpdate(old);
    // The question runs modally: inside its loop it is saved, read and OK pressed.
    std::vector<AccRow> read;
    lt::CInsideModal pressed([&read] {
        auto* info = dynamic_cast<ui::CInfoChargeWindow*>(
            lib::wfc::CWindow::FromHandle(::FindWindowA(nullptr, "Quillmarch Info")));
        if (!info || !::IsWindowVisible(info->GetHandle())) return false;
        info->FinishSlide();  // at full height, its cover faded
        lt::SaveScreen(info->BackBuffer(), "traffic-question");
        read = lt::ReadAccess(info->GetHandle());
        info->PostMessage(WM_COMMAND, ui::CInfoChargeWindow::kOKButton | 0x10000, 0);
        return true;
    });
    const HWND handle = launcher.Handle();
    launcher.Send(WM_COMMAND, CLauncherWindow::kCloseButton | 0x10000, 0);
    EXPECT_TRUE(pressed.Done());
    EXPECT_EQ(read, lt::PopupHead("QUILL MARCH", {{kText,
                                                   "終了前に渋滞情報を取得しますか？ ( "
                                                   "[いいえ]を選ぶと取得せずに終了します)",
                                                   kReadOnly},
                                                  {kButton, "いいえ", kFocusable},
                                                  {kButton, "はい", kFocusable}}));
    EXPECT_EQ(launcher->ExitMode(), 2);
    // The traffic-only charge runs; the launcher shows its end and answers
    // until its one-second timer closes it.
    ASSERT_TRUE(lt::PumpUntil([&] { return launcher->IsClosing(); }, 30000));
    EXPECT_TRUE(::IsWindow(handle));
    EXPECT_EQ(launcher->LastStatusOf(kChargeTraffic), 18);
    launcher.Send(WM_TIMER, ui::kTimerTrafficClose);
    EXPECT_TRUE(lt::PumpUntil([&] { return !::IsWindow(handle); }, 5000));
    EXPECT_NE(core.CommandLines().find("/p bl\r\n"), std::string::npos) << core.CommandLines();
}

namespace {

// The window titled "Quillmarch" of a process other than notPid; polled,
// since another process's window has no event to wait on.
HWND WaitForLauncherWindow(DWORD notPid, DWORD ms) {
    HWND found = nullptr;
    lt::PumpUntil(
        [&] {
            const HWND w = ::FindWindowA(nullptr, "Quillmarch");
            DWORD pid = 0;
            if (w && ::GetWindowThreadProcessId(w, &pid) && pid != notPid) found = w;
            return found != nullptr;
        },
        ms);
    return found;
}

}  // namespace

TEST(Launcher, ACardOfAnotherModelStartsTheProgramAgain) {
    PrepareCard();
    lt::CoreScenario core("idle stay\r\n");
    qmtest::CBoxWatcher boxes;
    // The program's own log, not the one this test writes.
    const std::string log = GetLogFolder() + "Quillmarch.log";
    const size_t logStart = qmtest::ReadFile(log).size();
    const std::string exe = qmtest::BinFolder() + "Quillmarch.exe";
    std::string cmd = "\"" + exe + "\"";
    STARTUPINFOA si = {sizeof si};
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(::CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &si, &pi));
    qm::CHandle first(pi.hProcess);
    ::CloseHandle(pi.hThread);
    const HWND launcher = WaitForLauncherWindow(0, 30000);
    ASSERT_NE(launcher, nullptr);
    // The first scan is done once the start-up chain it begins has logged.
    ASSERT_TRUE(lt::PumpUntil(
        [&] {
            return qmtest::ReadFile(log).find("ログアップロード開始", logStart) !=
                   std::string::npos;
        },
        30000));
    // The card of another model takes the place of the first one.
    ASSERT_NO_FATAL_FAILURE(SwapInCardOfAnotherModel(launcher));
    EXPECT_EQ(::WaitForSingleObject(first.Get(), 60000), WAIT_OBJECT_0);
    bool told = false;
    for (const std::string& text : boxes.Texts())
        told = told || text.find("QUILL MARCH を再起動する必要があります。") != std::string::npos;
    EXPECT_TRUE(told);
    // A new process with its own launcher for the new card.
    const HWND again = WaitForLauncherWindow(pi.dwProcessId, 30000);
    ASSERT_NE(again, nullptr);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(again, &pid);
    qm::CHandle second(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid));
    ::PostMessageA(again, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(second.Get(), 30000) != WAIT_OBJECT_0) {
        ::TerminateProcess(second.Get(), 9);
        ADD_FAILURE() << "the second launcher did not close";
    }
    lt::EmptyDrive('F');
}

TEST(Launcher, ACardNoticeBeforeTheFirstScanIsNotLost) {
    PrepareCard();
    qmtest::CBoxWatcher boxes{{}, true};
    CLauncherWindow window;
    ASSERT_TRUE(window.CreateLauncher(2));  // not shown yet: the first scan waits
    ASSERT_NO_FATAL_FAILURE(SwapInCardOfAnotherModel(window.GetHandle()));
    const HWND handle = window.GetHandle();
    window.ShowWindow(SW_SHOWNA);
    EXPECT_TRUE(lt::PumpUntil([&] { return !::IsWindow(handle); }, 10000));
    EXPECT_TRUE(window.RestartOnExit());
    const std::vector<std::string> texts = boxes.Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find("QUILL MARCH を再起動する必要があります。"), std::string::npos);
    lt::EmptyDrive('F');
}

TEST(Launcher, GalleryOfTheMenuAndEveryMapQuestion) {
    CWickerdaleConfig().ResetMap(true);
    lt::CSettledLauncher session(kDevice);
    Launcher& launcher = session.launcher;
    // The menu opens from the launcher's menu button while it is active.
    session.Activate();
    launcher.Send(WM_COMMAND, CLauncherWindow::kMenuButton | 0x10000, 0);
    ui::CMenuWindow* menu = launcher->RootMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->IsOpen());
    // Four main buttons in a row with the root's paddings 4, 4 and border 3.
    const SIZE size = menu->MenuSize();
    EXPECT_EQ(size.cx, 4 * (96 + 3) + 4 + 4);
    EXPECT_EQ(size.cy, 56 + 4 + 3);
    lt::SaveScreen(menu->BackBuffer(), "menu-root");
    // It unfolds leftward from the button, 60 px per tick, then folds back.
    RECT shown = {};
    EXPECT_EQ(menu->Depth(), 0);
    menu->SendMessage(WM_TIMER, ui::CMenuWindow::kOpenTimer);
    EXPECT_EQ(::GetWindowRgnBox(menu->GetHandle(), &shown), SIMPLEREGION);
    EXPECT_EQ(std::make_pair(shown.left, shown.right), std::make_pair(size.cx - 60, size.cx));
    ASSERT_TRUE(lt::PumpUntil([&] { return !menu->IsAnimating(); }, 5000));
    EXPECT_EQ(::GetWindowRgnBox(menu->GetHandle(), &shown), ERROR);  // no region: all of it
    const auto overlays = ui::FrameOverlayWindowBase::RegisteredWindows();
    EXPECT_NE(std::find(overlays.begin(), overlays.end(),
                        std::make_pair(menu->GetHandle(), ui::CMenuWindow::kOverlayMessage)),
              overlays.end());
    // Hovering a main button unfolds its sub-menu, but not while the menu
    // folds away; nor does a click then.
    const RECT b1 = menu->Button(1)->GetRect();
    const LPARAM over1 = MAKELPARAM((b1.left + b1.right) / 2, (b1.top + b1.bottom) / 2);
    menu->SendMessage(WM_MOUSEMOVE, 0, over1);
    EXPECT_TRUE(menu->SubMenu(1)->IsOpen());
    launcher.Send(WM_COMMAND, CLauncherWindow::kMenuButtonClose | 0x10000, 0);
    EXPECT_FALSE(menu->IsOpen());
    EXPECT_TRUE(::IsWindowVisible(menu->GetHandle()));
    EXPECT_FALSE(menu->SubMenu(1)->IsOpen());
    menu->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
    menu->SendMessage(WM_MOUSEMOVE, 0, over1);
    menu->SendMessage(WM_COMMAND, (ui::CMenuWindow::kFirstButtonId + 1) | 0x10000, 0);
    EXPECT_FALSE(menu->SubMenu(1)->IsOpen());
    EXPECT_TRUE(lt::PumpUntil([&] { return !::IsWindowVisible(menu->GetHandle()); }, 5000));
    // The fading variant opens at full size with its buttons transparent,
    // and each tick of its timer raises their alpha by 10.
    menu->SetAnimation(ui::CMenuWindow::Animation::kFade);
    launcher.Send(WM_COMMAND, CLauncherWindow::kMenuButton | 0x10000, 0);
    ASSERT_TRUE(menu->IsOpen());
    EXPECT_EQ(::GetWindowRgnBox(menu->GetHandle(), &shown), ERROR);
    const RECT first = menu->Button(0)->GetRect();
    auto button = [&] {
        std::vector<COLORREF> pixels;
        for (int y = first.top; y < first.bottom; ++y)
            for (int x = first.left; x < first.right; ++x)
                pixels.push_back(menu->BackBuffer()->GetPixel(x, y));
        return pixels;
    };
    const std::vector<COLORREF> clear = button();
    for (int tick = 0; tick < 20; ++tick) menu->SendMessage(WM_TIMER, ui::CMenuWindow::kFadeTimer);
    const std::vector<COLORREF> faint = button();
    lt::SaveScreen(menu->BackBuffer(), "menu-fading");
    ASSERT_TRUE(lt::PumpUntil([&] { return !menu->IsAnimating(); }, 5000));
    const std::vector<COLORREF> solid = button();
    // Twenty ticks, measured where the fade changes the button most.
    size_t most = 0;
    for (size_t i = 0; i < solid.size(); ++i)
        if (Contrast(solid[i], clear[i]) > Contrast(solid[most], clear[most])) most = i;
    ExpectBlend(faint[most], solid[most], clear[most], 200);
    // The open menu hangs at its button when the launcher moves; a click
    // elsewhere in the launcher closes it.
    RECT from = {}, to = {}, place = {};
    ::GetWindowRect(menu->GetHandle(), &from);
    ::GetWindowRect(launcher.Handle(), &place);
    ::SetWindowPos(launcher.Handle(), nullptr, place.left - 40, place.top - 30, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::GetWindowRect(menu->GetHandle(), &to);
    EXPECT_EQ(std::make_pair(to.left, to.top), std::make_pair(from.left - 40, from.top - 30));
    launcher.Click(CLauncherWindow::kStatusMessageImage);
    EXPECT_FALSE(menu->IsOpen());
    menu->SetAnimation(ui::CMenuWindow::Animation::kSlide);
    EXPECT_TRUE(lt::PumpUntil([&] { return !::IsWindowVisible(menu->GetHandle()); }, 5000));
    // Deactivating and minimizing return to the front panel.
    for (UINT message : {WM_ACTIVATE, WM_SIZE}) {
        launcher.Click(CLauncherWindow::kSDEjectableIcon);
        ASSERT_TRUE(launcher->IsBackPanel()) << message;
        launcher.Send(message, message == WM_SIZE ? SIZE_MINIMIZED : WA_INACTIVE, 0);
        EXPECT_FALSE(launcher->IsBackPanel()) << message;
    }
    // A click on the application icon shows the system menu: Restore greyed.
    {
        lt::CMenuWatch watch;
        ASSERT_TRUE(watch.Ok());
        launcher.Click(CLauncherWindow::kApplicationIcon);
        EXPECT_EQ(watch.seen, std::vector<bool>{true});
    }
    HMENU system = ::GetSystemMenu(launcher.Handle(), FALSE);
    EXPECT_TRUE(::GetMenuState(system, SC_RESTORE, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(::GetMenuState(system, SC_MOVE, MF_BYCOMMAND) & MF_GRAYED);
    struct Question {
        int type;
        uint32_t argument;
    };
    // Every question's text in both wordings: ChargeTextTest.
    for (const Question& q : {Question{0, 0}, Question{1, 0}, Question{2, 0x250131}, Question{3, 0},
                              Question{4, 5400}, Question{5, 0}, Question{7, 0}, Question{8, 0}}) {
        ui::CMapChargeWindow map(launcher.Handle());
        map.CreateMapWindow();
        map.SetVariant(2);
        ASSERT_TRUE(map.SetType(q.type, q.argument)) << q.type;
        EXPECT_EQ(map.InformationText(), GetMapNotifyText(q.type, 2, q.argument)) << q.type;
        map.Show();
        if (q.type == 0) {
            // Slid out under its cover, which then fades by 10 per tick: a
            // pixel blends the cover's over the window's by the alpha.
            while (map.IsSliding()) map.SendMessage(WM_TIMER, ui::CPopupWindow::kSlideTimer);
            const POINT at = {map.BackBuffer()->Width() / 2, 60};
            const COLORREF cover = map.BackBuffer()->GetPixel(at.x, at.y);
            EXPECT_EQ(map.CoverAlpha(), 255);
            map.SendMessage(WM_TIMER, ui::CPopupWindow::kFadeTimer);
            EXPECT_EQ(map.CoverAlpha(), 245);
            const COLORREF blended = map.BackBuffer()->GetPixel(at.x, at.y);
            lt::SaveScreen(map.BackBuffer(), "map-type0-fading");
            map.FinishSlide();
            EXPECT_EQ(map.CoverAlpha(), 0);
            ExpectBlend(blended, cover, map.BackBuffer()->GetPixel(at.x, at.y), 245);
        }
        map.FinishSlide();
        lt::SaveScreen(map.BackBuffer(), "map-type" + std::to_string(q.type));
        if (q.type != 4) continue;
        // The download estimate: its note below the question, the bottom
        // pair of buttons; the other types' buttons and the box are hidden.
        EXPECT_EQ(lt::ReadAccess(map.GetHandle()),
                  lt::PopupHead("地図更新",
                                {{kText,
                                  "地図ダウンロードが可能になりました。 "
                                  "ダウンロードを開始しますか？ （予想時間 1:30）",
                                  kReadOnly},
                                 {kText,
                                  "※パソコンの動作環境やお使いいただいているソフト"
                                  "（ウイルス対策ソフトなど）によっては、"
                                  "ダウンロード完了までの時間が長くなることがあります。",
                                  kReadOnly},
                                 {kCheck, "今後このメッセージを表示しない", kHidden},
                                 {kText, "今後このメッセージを表示しない。", kReadOnly | kHidden},
                                 {kButton, "いいえ", kHidden},
                                 {kButton, "はい", kHidden},
                                 {kButton, "いいえ", kFocusable},
                                 {kButton, "はい", kFocusable},
                                 {kButton, "後で通知", kHidden},
                                 {kButton, "はい", kHidden},
                                 {kButton, "再予約", kHidden},
                                 {kButton, "OK", kHidden}}));
    }
    // Type 6 is no question: refused and logged.
    ui::CMapChargeWindow invalid(launcher.Handle());
    invalid.CreateMapWindow();
    EXPECT_FALSE(invalid.SetType(6, 0));
    EXPECT_NE(lt::LogText().find("不正な種別指定 6"), std::string::npos);
}

TEST(Launcher, RealClicksOpenAndCloseTheMenuAndTurnThePanel) {
    if (lt::Env("QM_INPUT_DIR").empty()) GTEST_SKIP() << "needs the run script's xdotool";
    lt::CSettledLauncher session(kDevice);
    Launcher& launcher = session.launcher;
    auto centre = [&](int id) {
        const RECT r = launcher->GetItemById(id)->GetRect();
        return launcher->ClientToScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    };
    // The first click activates the launcher and opens the menu.
    ASSERT_TRUE(lt::RealClick(centre(CLauncherWindow::kMenuButton)));
    if (!launcher->RootMenu() || !launcher->RootMenu()->IsOpen()) {
        ASSERT_TRUE(lt::RealClick(centre(CLauncherWindow::kMenuButton)));
    }
    ASSERT_NE(launcher->RootMenu(), nullptr);
    EXPECT_TRUE(launcher->RootMenu()->IsOpen());
    EXPECT_TRUE(launcher->GetItemById(CLauncherWindow::kMenuButtonClose)->IsVisible());
    ASSERT_TRUE(lt::RealClick(centre(CLauncherWindow::kMenuButtonClose)));
    EXPECT_FALSE(launcher->RootMenu()->IsOpen());
    // A click on the card turns to the back panel: eject, as nothing runs.
    ASSERT_TRUE(lt::RealClick(centre(CLauncherWindow::kSDEjectableIcon)));
    EXPECT_TRUE(launcher->IsBackPanel());
    EXPECT_TRUE(launcher->GetItemById(CLauncherWindow::kSDEjectButton)->IsVisible());
    lt::SaveScreen(launcher->BackBuffer(), "launcher-back-panel");
    // A double click on the application icon closes, as a caption's icon
    // does: its first press opens the system menu, which takes the second.
    const HWND handle = launcher.Handle();
    EXPECT_TRUE(lt::RealClick(centre(CLauncherWindow::kApplicationIcon), 2,
                              [&] { return !::IsWindow(handle); }));
}

// (What a screen reader reads of both pop-ups is read here, where they show.)
TEST(Launcher, LogUploadQuestionThenANewerReleaseOpensItsPageAndCloses) {
    if (!lt::HaveService()) GTEST_SKIP() << "needs the stand-in service (run-with-service)";
    PrepareCard();
    lt::CoreScenario core("idle stay\r\n");
    const std::string pageUrl = qmtest::ServiceUrl("/download/Quillmarch_9000.exe");
    ASSERT_TRUE(lt::ControlService("/_control/logupload", "valid=TRUE"));
    ASSERT_TRUE(lt::ControlService("/_control/release", "version=9.0.0.0&url=" + pageUrl));
    const std::string browserLog = qmtest::NewFolder("browser") + "urls.txt";
    ::SetEnvironmentVariableA("QM_BROWSER_LOG", browserLog.c_str());
    const size_t before = lt::LogText().size();
    {
        Launcher launcher;
        auto shown = [](lib::wfc::CWindow* w) {
            return w && w->GetHandle() && ::IsWindowVisible(w->GetHandle());
        };
        // The service wants the logs: the question slides out.
        ASSERT_TRUE(lt::PumpUntil([&] { return shown(launcher->LogUploadWindow()); }));
        ui::CLogUploadWindow* upload = launcher->LogUploadWindow();
        upload->FinishSlide();
        lt::SaveScreen(upload->BackBuffer(), "log-upload");
        const std::string question =
            "QUILL MARCHのエラー情報、およびお客様の "
            "パソコン環境をコルヴェイン株式会社へ送信します。  "
            "エラー情報  ：QUILL MARCHが作成したエラー情報 "
            "パソコン環境：OSの種類、バージョン/CPU/メモリ容量  "
            "情報をアップロードして宜しいでしょうか。";
        auto rows = [&](long buttons) {
            return lt::PopupHead("QUILL MARCH", {{kText, question, kReadOnly},
                                                 {kButton, "いいえ", buttons},
                                                 {kButton, "はい", buttons}});
        };
        EXPECT_EQ(lt::ReadAccess(upload->GetHandle()), rows(kFocusable));
        // The hand over its buttons; Enter answers Yes, which makes both
        // buttons unavailable while the logs go up; the success message is shown.
        const RECT yes = upload->GetItemById(ui::CLogUploadWindow::kYesButton)->GetRect();
        const POINT over = upload->ClientToScreen(POINT{yes.left + 3, yes.top + 3});
        ::SetCursorPos(over.x, over.y);
        upload->SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(upload->GetHandle()),
                            MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(::GetCursor(), ::LoadCursor(nullptr, IDC_HAND));
        const size_t mark = launcher.boxes.Count();
        upload->SendMessage(WM_KEYDOWN, VK_RETURN, 0);
        const std::vector<AccRow> pressed = lt::ReadAccess(upload->GetHandle());
        EXPECT_EQ(pressed, rows(kOff));
        ASSERT_TRUE(lt::PumpUntil([&] { return launcher.boxes.Count() > mark; }, 30000));
        // The chain goes on to the release check, which finds the newer release.
        ASSERT_TRUE(lt::PumpUntil([&] { return shown(launcher->UpdateWindow()); }));
        EXPECT_TRUE(lt::PumpUntil([&] { return launcher->UpdateResult() == 1; }, 5000));
        ui::CUpdateNotifyWindow* update = launcher->UpdateWindow();
        update->FinishSlide();
        lt::SaveScreen(update->BackBuffer(), "update-notify");
        EXPECT_EQ(update->LatestUrl(), pageUrl);
        // Its check box stays hidden.
        EXPECT_EQ(
            lt::ReadAccess(update->GetHandle()),
            lt::PopupHead("QUILL MARCHアップデート",
                          {{kText,
                            "QUILL MARCHの最新版がリリースされました。  "
                            "Webページから最新版をダウンロードし、アップデートを行ってください。",
                            kReadOnly},
                           {kCheck, "今後このメッセージを表示しない", kHidden},
                           {kText, "今後このメッセージを表示しない。", kReadOnly | kHidden},
                           {kButton, "OK", kFocusable}}));
        // "Do not show again" turns the automatic check off.
        update->SendMessage(WM_COMMAND, ui::CUpdateNotifyWindow::kDispMsgCheckBox | 0x10000, 0);
        CWickerdaleConfig config;
        ASSERT_TRUE(config.LoadSetting());
        EXPECT_EQ(config.GetLauncherAutoUpdate(), 0);
        config.SetLauncherAutoUpdate(1);
        // OK opens the download page and closes the launcher.
        const HWND handle = launcher.Handle();
        update->SendMessage(WM_COMMAND, ui::CUpdateNotifyWindow::kOKButton | 0x10000, 0);
        EXPECT_TRUE(lt::PumpUntil([&] { return !::IsWindow(handle); }));
        EXPECT_TRUE(lt::PumpUntil(
            [&] { return qmtest::ReadFile(browserLog).find(pageUrl) != std::string::npos; }));
    }
    const std::string log = lt::LogText().substr(before);
    const std::vector<qmtest::ServiceRequest> requests = qmtest::ServiceRequests();
    EXPECT_TRUE(std::any_of(requests.begin(), requests.end(),
                            [](const auto& r) { return r.path == "/pcapp/LogUploadAPI"; }));
    EXPECT_LT(log.find("ログアップロード終了通知 MSG:0x90000000"),
              log.find("バージョンチェック開始"));
    ::SetEnvironmentVariableA("QM_BROWSER_LOG", nullptr);
    EXPECT_TRUE(lt::ControlService("/_control/logupload", "valid=FALSE"));
    EXPECT_TRUE(lt::ControlService("/_control/release", "version=1.0.0.1"));
}
