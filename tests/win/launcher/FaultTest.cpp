// Faults under a running launcher and stand-in core: each ends in its result
// code, log record and message, loses nothing, and the next charge runs through.
#include <windows.h>
#include <gtest/gtest.h>

#include "LauncherHarness.h"
#include "app/LauncherWindow.h"
#include "app/MapChargeWindow.h"
#include "app/UpdateNotifyWindow.h"
#include "common/CoreBridge.h"
#include "common/CoreProcess.h"
#include "common/WickerdaleConfig.h"
#include "common/WinHandle.h"
#include "datafiles/PcLinkFile.h"

namespace {

const char kDevice[] = "FAULTTEST0000001";
const uint32_t kAllKinds[] = {kChargeProbe, kChargeMap, kChargeTraffic, kChargeWeather,
                              kChargeMusic};

// Card E:'s folder under the work folder, through Wine's Z: drive (Unix path
// too, for the run script's read-only helper).
std::string CardFolderUnix() { return lt::Env("QM_TEST_WORK") + "/cards/e"; }
std::string CardFolder() {
    std::string path = "Z:" + CardFolderUnix();
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// The card pulled: its files and its folder go, so the drive has no root.
bool PullCard() {
    lt::EmptyDrive('E');
    return ::RemoveDirectoryA(CardFolder().c_str()) != 0;
}
bool InsertCard() {
    return ::CreateDirectoryA(CardFolder().c_str(), nullptr) && lt::MakeCard('E', kDevice);
}

// Asks the run script to turn the card read-only (or back); its helper's exit
// code, or -1 without the script.
int SetCardReadOnly(bool on);
// The card read-only for as long as it lives (when the helper could do it).
struct ReadOnlyCard {
    const bool done = SetCardReadOnly(true) == 0;
    bool on = done;
    ~ReadOnlyCard() { Undo(); }
    bool Undo() {
        if (!on) return true;
        on = false;
        return SetCardReadOnly(false) == 0;
    }
};

int SetCardReadOnly(bool on) {
    if (lt::Env("QM_INPUT_DIR").empty()) return -1;
    const std::string folder = lt::EnvFolder("QM_INPUT_DIR");
    ::DeleteFileA((folder + "readonly.done").c_str());
    qmtest::WriteFile(folder + "readonly.tmp",
                      std::string(on ? "on " : "off ") + CardFolderUnix() + "\n");
    ::MoveFileA((folder + "readonly.tmp").c_str(), (folder + "readonly").c_str());
    if (!lt::PumpUntil([&] { return qmtest::FileExists(folder + "readonly.done"); }, 20000))
        return -1;
    return std::atoi(qmtest::ReadFile(folder + "readonly.done").c_str());
}

struct Session : lt::CLauncherSession {
    explicit Session(const lt::CoreScenario&) {}
    bool WaitForMapQuestion() {
        return lt::PumpUntil(
            [&] {
                return window->MapWindow() && ::IsWindowVisible(window->MapWindow()->GetHandle());
            },
            30000);
    }
    bool Wait(const lt::CoreScenario& core, const char* line, DWORD ms = 30000) {
        return lt::PumpUntil([&] { return core.Journal().find(line) != std::string::npos; }, ms);
    }
    // The next charge, started as the menu starts it, runs every kind through.
    void ExpectNextChargeSucceeds() {
        lt::CoreScenario next("use quick\r\n");
        const size_t from = lt::LogText().size();
        const size_t shown = boxes.Count();
        Send(window->Messages().requestStartCharge);
        ExpectChargeSucceeds(next, from);
        EXPECT_EQ(boxes.Count(), shown) << "no message for a good charge";
    }
    void ExpectChargeSucceeds(const lt::CoreScenario& next, size_t from) {
        ASSERT_TRUE(lt::PumpUntil(
            [&] { return lt::LogText().find("転送完了通知 CHG:10 ", from) != std::string::npos; },
            30000))
            << next.Journal();
        for (uint32_t bit : kAllKinds) EXPECT_EQ(window->TileFrame(bit), 6) << bit;
        EXPECT_EQ(window->RunningKind(), 0u);
        EXPECT_EQ(next.Journal().find("failed"), std::string::npos) << next.Journal();
    }
};

bool Logged(const std::string& text, size_t from) {
    return lt::LogText().find(text, from) != std::string::npos;
}

void PrepareCard() { lt::PrepareCard(kDevice); }

}  // namespace

TEST(Fault, CardPulledWhileTheCoreWritesThenANewCardCharges) {
    if (!lt::HaveService()) GTEST_SKIP() << "needs the stand-in service (run-with-service)";
    PrepareCard();
    lt::CoreScenario core(
        "kind prb\r\n  progress 0 50\r\n  write card :\\PROBE\\PULLED.BIN 300000\r\n"
        "  hold 600000\r\n");
    const size_t from = lt::LogText().size();
    Session launcher(core);
    ASSERT_TRUE(launcher.Wait(core, "write card\r\n")) << core.Journal();
    ASSERT_TRUE(PullCard()) << ::GetLastError();
    ASSERT_TRUE(launcher.Wait(core, "exit")) << core.Journal();
    // Each kind reports the card gone with "not ready"; each shows its message.
    ASSERT_TRUE(lt::PumpUntil([&] { return Logged("CHG:10 ERC:0x1000FF06", from); }, 10000));
    for (const char* record :
         {"CHG:1 ERC:0x0100FF06 WinERC:0x00000015", "CHG:2 ERC:0x0235FF06 WinERC:0x00000015",
          "CHG:4 ERC:0x0400FF06 WinERC:0x00000015", "CHG:8 ERC:0x0800FF06 WinERC:0x00000015",
          "CHG:10 ERC:0x1000FF06 WinERC:0x00000015"})
        EXPECT_TRUE(Logged(std::string("転送完了通知 ") + record, from)) << record;
    lt::PumpUntil([&] { return launcher.boxes.Count() >= 5; }, 10000);
    bool mapMessage = false;
    for (const std::string& text : launcher.boxes.Texts())
        if (text.find("0235FF06") != std::string::npos)
            mapMessage = text.rfind("SDカードが認識できません。", 0) == 0;
    EXPECT_TRUE(mapMessage);
    for (uint32_t bit : kAllKinds) EXPECT_EQ(launcher->TileFrame(bit), 1) << bit;
    EXPECT_EQ(launcher->RunningKind(), 0u);
    // The notice of the pulled card: no card.
    launcher.CardNotice(DBT_DEVICEREMOVECOMPLETE);
    EXPECT_TRUE(lt::PumpUntil([&] { return launcher->CurrentCard() == 0; }, 5000));
    EXPECT_TRUE(Logged("SD抜取検知", from));
    // Nothing of the user's went with it: the same card comes back registered
    // and charges every kind.
    ASSERT_TRUE(InsertCard());
    lt::CoreScenario next("use quick\r\n");
    const size_t again = lt::LogText().size();
    const size_t shown = launcher.boxes.Count();
    launcher.CardNotice(DBT_DEVICEARRIVAL);
    EXPECT_TRUE(lt::PumpUntil([&] { return launcher->CurrentCard() == 'E'; }, 5000));
    launcher.ExpectChargeSucceeds(next, again);
    EXPECT_EQ(launcher.boxes.Count(), shown);
}

TEST(Fault, CardTurnedReadOnlyInTheMiddleOfAChargeFailsTheMapOnly) {
    if (!lt::HaveService()) GTEST_SKIP() << "needs the stand-in service (run-with-service)";
    PrepareCard();
    CWickerdaleConfig().ResetMap(true);
    lt::CoreScenario core(
        "kind map\r\n  progress 10\r\n  ask license 0\r\n"
        "  write card :\\PC\\MAP\\READONLY.DAT 100000\r\n  progress 100\r\n");
    const std::string before = qmtest::ReadFile("E:\\PC\\NAVIINFO.DAT");
    const size_t from = lt::LogText().size();
    Session launcher(core);
    ASSERT_TRUE(launcher.WaitForMapQuestion()) << core.Journal();
    ReadOnlyCard readOnly;
    if (!readOnly.done) GTEST_SKIP() << "the card cannot be made read-only here";
    launcher->MapWindow()->SendMessage(WM_COMMAND, ui::CMapChargeWindow::kYesShortButton | 0x10000,
                                       0);
    ASSERT_TRUE(launcher.Wait(core, "exit")) << core.Journal();
    EXPECT_NE(core.Journal().find("write card failed"), std::string::npos) << core.Journal();
    // The map fails as a card-side step with the write's error; the kinds
    // after it, which write nothing, still run.
    ASSERT_TRUE(lt::PumpUntil([&] { return Logged("CHG:10 ERC:0x10000000", from); }, 10000));
    EXPECT_TRUE(Logged("転送完了通知 CHG:2 ERC:0x0230FF07 WinERC:0x00000005", from))
        << lt::LogText().substr(from);
    EXPECT_EQ(launcher->TileFrame(kChargeMap), 1);
    EXPECT_EQ(launcher->LastStatusOf(kChargeMap), 15);
    for (uint32_t bit : {kChargeTraffic, kChargeWeather, kChargeMusic})
        EXPECT_EQ(launcher->TileFrame(bit), 6) << bit;
    const std::vector<std::string> boxes = launcher.boxes.Texts();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("データを正常に転送できませんでした。", 0), 0u) << boxes[0];
    // The card lost nothing and got nothing half-written.
    EXPECT_EQ(qmtest::ReadFile("E:\\PC\\NAVIINFO.DAT"), before);
    EXPECT_FALSE(qmtest::FileExists("E:\\PC\\MAP\\READONLY.DAT"));
    ASSERT_TRUE(readOnly.Undo());
    launcher.ExpectNextChargeSucceeds();
}

TEST(Fault, CoreKilledWhileAMapQuestionIsOpenTakesTheQuestionAway) {
    if (!lt::HaveService()) GTEST_SKIP() << "needs the stand-in service (run-with-service)";
    PrepareCard();
    CWickerdaleConfig().ResetMap(true);
    lt::CoreScenario core("kind map\r\n  progress 10\r\n  ask license 0\r\n  progress 100\r\n");
    const size_t from = lt::LogText().size();
    Session launcher(core);
    ASSERT_TRUE(launcher.WaitForMapQuestion()) << core.Journal();
    EXPECT_EQ(launcher->RunningKind(), kChargeMap);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(FindCoreWindow(), &pid);
    qm::CHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
    ASSERT_TRUE(process.Valid());
    ASSERT_TRUE(::TerminateProcess(process.Get(), 9));
    ASSERT_EQ(::WaitForSingleObject(process.Get(), 10000), WAIT_OBJECT_0);
    // The question goes unanswered, so no answer can reach the next core; the
    // map no longer shows as running.
    ASSERT_TRUE(lt::PumpUntil([&] { return !launcher->MapWindow()->GetHandle(); }, 10000));
    EXPECT_TRUE(Logged("Coreプロセス終了検知(完了通知なし)", from)) << lt::LogText().substr(from);
    lt::Drain();
    EXPECT_FALSE(Logged("マップチャージ画面終了通知", from));
    EXPECT_EQ(launcher->RunningKind(), 0u);
    EXPECT_EQ(launcher->StatusText(), "");
    EXPECT_EQ(launcher.boxes.Count(), 0u);
    launcher.ExpectNextChargeSucceeds();
    EXPECT_EQ(launcher->LastStatusOf(kChargeMap), 14);
}

// The release check failing in each way the service can fail: the check has no
// answer, so the charge is music only (logged with the check's result), the
// music charge succeeds, and so does the next one.
TEST(Fault, AReleaseCheckTheServiceFailsChargesMusicOnly) {
    if (!lt::HaveService()) GTEST_SKIP() << "needs the stand-in service (run-with-service)";
    PrepareCard();
    const struct {
        const char* mode;
        const char* record;  // the check's failure record
        const char* result;  // the result the charge decision names
    } rows[] = {
        {"http:500", "サーバー問い合わせダウンロード時の失敗[nResponse:0x100001F4]", "0x0000FF05"},
        {"http:503", "サーバー問い合わせダウンロード時の失敗[nResponse:0x100001F7]", "0x0000FF05"},
        {"close", "サーバー問い合わせダウンロード時の失敗[nResponse:0x", "0x0000FF05"},
        {"malformed", "サーバー問い合わせダウンロード時の失敗[AnalyzeERR:0x", "0x00200"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.mode);
        ASSERT_TRUE(lt::ControlService(
            "/_control/fault", std::string("path=/pcapp/GetLatestPcaplAPI&mode=") + r.mode));
        lt::CoreScenario core("use quick\r\n");
        const size_t from = lt::LogText().size();
        Session launcher(core);
        ASSERT_TRUE(lt::PumpUntil(
            [&] { return Logged("転送完了通知 CHG:10 ERC:0x10000000", from); }, 30000))
            << core.Journal();
        EXPECT_TRUE(Logged(r.record, from)) << lt::LogText().substr(from);
        EXPECT_TRUE(Logged(
            std::string("バージョンアップ確認接続エラーのため、音楽転送のみ RET:") + r.result,
            from));
        EXPECT_NE(core.CommandLines().find(" /p msc"), std::string::npos) << core.CommandLines();
        EXPECT_EQ(launcher->TileFrame(kChargeMusic), 6);
        EXPECT_EQ(launcher->TileFrame(kChargeMap), 0);
        // Nothing is said: no box, no release notice.
        EXPECT_EQ(launcher.boxes.Count(), 0u);
        ui::CUpdateNotifyWindow* notice = launcher->UpdateWindow();
        EXPECT_FALSE(notice && notice->GetHandle() && ::IsWindowVisible(notice->GetHandle()));
        ASSERT_TRUE(lt::ControlService("/_control/reset", ""));
        const size_t again = lt::LogText().size();
        launcher.Send(launcher->Messages().requestStartCharge);
        EXPECT_TRUE(lt::PumpUntil(
            [&] { return Logged("転送完了通知 CHG:10 ERC:0x10000000", again); }, 30000));
    }
}
