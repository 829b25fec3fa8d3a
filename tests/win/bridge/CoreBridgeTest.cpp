// The launcher's side of the bridge against the stand-in core and music tool.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <thread>

#include "BridgeHarness.h"
#include "TestSupport.h"
#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "common/KilnLog.h"
#include "common/WinHandle.h"

using bridgetest::Contains;
using bridgetest::Describe;
using bridgetest::Hex8;
using bridgetest::Received;

namespace {

// A core whose window is there but whose thread has stopped taking messages.
class CHungCore {
public:
    CHungCore()
        : m_ready(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          m_release(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          m_thread([this] {
              WNDCLASSA wc = {};
              wc.lpfnWndProc = ::DefWindowProcA;
              wc.hInstance = ::GetModuleHandleA(nullptr);
              wc.lpszClassName = bridgetest::kCoreClassText;
              ::RegisterClassA(&wc);
              m_window = ::CreateWindowA(bridgetest::kCoreClassText, bridgetest::kCoreTitleText,
                                         WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                         wc.hInstance, nullptr);
              ::SetEvent(m_ready.Get());
              ::WaitForSingleObject(m_release.Get(), INFINITE);  // no message is taken
              if (m_window) ::DestroyWindow(m_window);
          }) {
        ::WaitForSingleObject(m_ready.Get(), INFINITE);
    }
    ~CHungCore() {
        ::SetEvent(m_release.Get());
        m_thread.join();
    }
    HWND Window() const { return m_window; }

private:
    qm::CHandle m_ready, m_release;
    HWND m_window = nullptr;
    std::thread m_thread;
};

using Bridge = bridgetest::CBridgeTest;

}  // namespace

TEST_F(Bridge, CoreCommandLineForAllKindsByModel) {
    bridgetest::UseCoreScenario("cmdline", Scenario(""));
    const std::string hwnd = Hex8(WindowHandleBits(m_probe.Window()));
    const std::string core = GetProgramPath(kProgramCore);
    ASSERT_EQ(core, qmtest::BinFolder() + "Quillmarch_Core.exe");

    // Model 18 leaves the probe kind out; the stand-in runs each kind given.
    for (char drive : {'E', 'F'}) {
        m_probe.Clear();
        ASSERT_TRUE(StartCoreProcess(drive, m_probe.Window(), kChargeAll, drive == 'E' ? 18 : 1));
        ASSERT_TRUE(m_probe.WaitFor(kMsgNotifyError, 0x10000000)) << Describe(m_probe.Messages());
        ASSERT_TRUE(bridgetest::WaitUntil([] { return !FindCoreWindow(); }, 10000));
        EXPECT_EQ(m_probe.Messages().size(), drive == 'E' ? 8u : 10u)
            << Describe(m_probe.Messages());
    }

    const std::vector<std::string> lines = qmtest::SplitLines(qmtest::ReadFile(m_record));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], core + " /d E /w " + hwnd + " /p map bl wl msc");
    EXPECT_EQ(lines[1], core + " /d F /w " + hwnd + " /p prb map bl wl msc");
    EXPECT_TRUE(Contains(bridgetest::LogText(), "チャージ要求 TYPE:0xFFFFFFFF"));
}

TEST_F(Bridge, ProgressAndCompletionArriveInOrder) {
    bridgetest::UseCoreScenario("order", Scenario("kind prb\r\n"
                                                  "  progress 0 50 100 every 10\r\n"
                                                  "kind bl\r\n"
                                                  "  progress 10 100\r\n"
                                                  "  result 0x200202 winerr 0x1F\r\n"
                                                  "kind map\r\n"
                                                  "  progress 40 bit 0x20\r\n"
                                                  "  mapdownload\r\n"
                                                  "kind wl\r\n"
                                                  "  result 0x00FF01\r\n"));
    ASSERT_TRUE(StartCoreProcess('E', m_probe.Window(), 0x0F, 1));
    ASSERT_TRUE(m_probe.WaitFor(kMsgNotifyError, 0x0800FF01)) << Describe(m_probe.Messages());
    // The kinds run in the command line's order, whatever the file's order.
    // clang-format off
    const std::vector<Received> expected = {
        {kMsgNotifyProgress, 0x01, 0},
        {kMsgNotifyProgress, 0x01, 50},
        {kMsgNotifyProgress, 0x01, 100},
        {kMsgNotifyError, 0x01000000, 0},
        {kMsgNotifyProgress, 0x20, 40},
        {kMsgMapDownload, 0, 0},
        {kMsgNotifyError, 0x02000000, 0},
        {kMsgNotifyProgress, 0x04, 10},
        {kMsgNotifyProgress, 0x04, 100},
        {kMsgNotifyError, 0x04200202, 0x1F},
        {kMsgNotifyError, 0x0800FF01, 0},
    };
    // clang-format on
    EXPECT_EQ(m_probe.Messages(), expected) << Describe(m_probe.Messages());
    EXPECT_TRUE(WaitJournal("exit"));
}

TEST_F(Bridge, BusyMaskWhileRunningAndZeroAfter) {
    EXPECT_EQ(QueryCoreBusyMask(m_probe.Window()), 0u);  // no core at all
    // Each kind waits for an answer, so the test decides when it moves on.
    bridgetest::UseCoreScenario("busy", Scenario("idle stay\r\n"
                                                 "kind map\r\n"
                                                 "  progress 5\r\n"
                                                 "  ask verify\r\n"
                                                 "kind wl\r\n"
                                                 "  ask probe\r\n"));
    ASSERT_TRUE(StartCoreProcess('E', m_probe.Window(), kChargeMap | kChargeWeather, 1));
    ASSERT_TRUE(m_probe.WaitFor(kMsgMapVerify, 0)) << Describe(m_probe.Messages());
    EXPECT_EQ(QueryCoreBusyMask(m_probe.Window()), kChargeMap | kChargeWeather);
    EXPECT_TRUE(SetCoreEvent(kEventMapVerify));
    ASSERT_TRUE(m_probe.WaitFor(kMsgNotifyError, 0x02000000));
    ASSERT_TRUE(m_probe.WaitFor(kMsgNoSendProbe, 0));
    EXPECT_EQ(QueryCoreBusyMask(m_probe.Window()), kChargeWeather);
    EXPECT_TRUE(SetCoreEvent(kEventMapProbe));
    ASSERT_TRUE(m_probe.WaitFor(kMsgNotifyError, 0x08000000));
    ASSERT_TRUE(WaitJournal("idle"));
    ASSERT_NE(FindCoreWindow(), nullptr);  // still there, and idle
    EXPECT_EQ(QueryCoreBusyMask(m_probe.Window()), 0u);
    EXPECT_TRUE(JournalHas("reconfirm 0x0000000A"));
    EXPECT_TRUE(JournalHas("reconfirm 0x00000008"));
    EXPECT_TRUE(JournalHas("reconfirm 0x00000000"));
}

// A core that does not answer may still be moving data: it counts as busy
// in every kind, so the user is asked, and the miss is logged.
TEST_F(Bridge, AHungCoreCountsAsBusyAndIsLogged) {
    CHungCore hung;
    ASSERT_NE(hung.Window(), nullptr);
    ASSERT_EQ(FindCoreWindow(), hung.Window());
    const size_t before = bridgetest::LogText().size();
    EXPECT_EQ(QueryCoreBusyMask(m_probe.Window(), 300), 0xFFFFFFFFu);
    const std::string added = bridgetest::LogText().substr(before);
    EXPECT_TRUE(Contains(added, "\t!!\t"));
    EXPECT_TRUE(Contains(added, "QueryCoreBusyMask - Core応答無し ERR:0x000005B4")) << added;
}

TEST_F(Bridge, MapQuestionsAreReleasedThroughTheirEvents) {
    bridgetest::UseCoreScenario("license", Scenario("kind map\r\n"
                                                    "  ask license 4\r\n"
                                                    "  ask verify\r\n"
                                                    "  ask license 3\r\n"
                                                    "  result 0x000000\r\n"
                                                    "  declined 0x00FF02\r\n"));
    ASSERT_TRUE(StartCoreProcess('E', m_probe.Window(), kChargeMap, 1));
    ASSERT_TRUE(m_probe.WaitFor(kMsgMapLicense, 4)) << Describe(m_probe.Messages());
    ASSERT_TRUE(WaitJournal("ask 0x00000004 Global\\WLKMapLicense"));
    // The answer of another question does not release this one.
    EXPECT_TRUE(SetCoreEvent(kEventMapVerify));
    EXPECT_TRUE(SetCoreEvent(kEventMapDownload));
    m_probe.Pump(400);
    EXPECT_FALSE(JournalHas("answer Global\\WLKMapVerify"));
    EXPECT_FALSE(m_probe.WaitFor(kMsgMapVerify, 0, 10));

    EXPECT_TRUE(SetCoreEvent(kEventMapLicense));
    ASSERT_TRUE(m_probe.WaitFor(kMsgMapVerify, 0)) << Describe(m_probe.Messages());
    EXPECT_TRUE(JournalHas("answer Global\\WLKMapLicense"));
    // A stale answer set before the question was asked is not taken either.
    EXPECT_TRUE(SetCoreEvent(kEventMapVerify));
    ASSERT_TRUE(m_probe.WaitFor(kMsgMapLicense, 3)) << Describe(m_probe.Messages());
    EXPECT_TRUE(JournalHas("answer Global\\WLKMapVerify"));

    EXPECT_TRUE(SetCoreEvent(kEventMapDownloadNo));
    ASSERT_TRUE(m_probe.WaitFor(kMsgNotifyError, 0x0200FF02)) << Describe(m_probe.Messages());
    EXPECT_TRUE(JournalHas("answer Global\\WLKMapDownloadNo"));
    const std::vector<Received> expected = {{kMsgMapLicense, 4, 0},
                                            {kMsgMapVerify, 0, 0},
                                            {kMsgMapLicense, 3, 0},
                                            {kMsgNotifyError, 0x0200FF02, 0}};
    EXPECT_EQ(m_probe.Messages(), expected) << Describe(m_probe.Messages());
}

TEST_F(Bridge, ProgressBlocksAreReadWhole) {
    // 5 000 updates as fast as the stand-in can write them, field by field.
    constexpr uint64_t kStep = 4000, kTotal = 5000 * kStep;
    constexpr uint32_t kSpeed = 70000;
    // "idle stay": the block outlives the run, so the last read below cannot
    // race the core's exit.
    bridgetest::UseCoreScenario(
        "blocks",
        Scenario("idle stay\r\nkind map\r\n  block download " + std::to_string(kTotal) + " " +
                 std::to_string(kStep) + " speed " + std::to_string(kSpeed) + " notify 1250\r\n"));
    ASSERT_TRUE(StartCoreProcess('E', m_probe.Window(), kChargeMap, 1));
    ASSERT_TRUE(m_probe.WaitFor(kMsgMapProgressStart, kMapPhaseDownload))
        << Describe(m_probe.Messages());

    int reads = 0, torn = 0, moving = 0;
    uint64_t last = 0;
    bool backwards = false;
    auto readOnce = [&] {
        MapProgressBlock b;
        if (!ReadMapProgressBlock("MapChargeDLProgress", b, nullptr)) return false;
        ++reads;
        const uint64_t n = b.cumulativeSize / kStep;
        if (b.totalSize != kTotal || b.currentSize != b.cumulativeSize ||
            b.cumulativeSize % kStep || b.lineSpeed != kSpeed + n % 1000)
            ++torn;
        if (b.cumulativeSize < last) backwards = true;
        if (b.cumulativeSize > last && b.cumulativeSize < kTotal) ++moving;
        last = b.cumulativeSize;
        return true;
    };
    // Between reads the mutex is left alone for a moment: a reader that
    // takes it back at once can starve the writer on a busy machine.
    ASSERT_TRUE(m_probe.PumpUntil([&] { return m_probe.WaitFor(kMsgMapProgressEnd, 0, 0); }, 120000,
                                  [&] {
                                      readOnce();
                                      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 1,
                                                                  QS_ALLINPUT);
                                  }));
    // The last update was written before the end was posted.
    ASSERT_TRUE(readOnce());
    EXPECT_EQ(torn, 0) << "of " << reads;
    EXPECT_FALSE(backwards);
    EXPECT_GE(moving, 5) << "the reads did not overlap the updates (" << reads << " reads)";
    EXPECT_EQ(last, kTotal);
    ASSERT_TRUE(m_probe.WaitFor(kMsgNotifyError, 0x02000000));
    const std::vector<Received> expected = {
        {kMsgMapProgressStart, 1, 0},    {kMsgMapProgress, 1, 0}, {kMsgMapProgress, 1, 0},
        {kMsgMapProgress, 1, 0},         {kMsgMapProgress, 1, 0}, {kMsgMapProgressEnd, 0, 0},
        {kMsgNotifyError, 0x02000000, 0}};
    EXPECT_EQ(m_probe.Messages(), expected) << Describe(m_probe.Messages());
}

TEST_F(Bridge, TransferBlockAndDiskCheckSequence) {
    bridgetest::UseCoreScenario("transfer", Scenario("idle stay\r\n"
                                                     "kind map\r\n"
                                                     "  block transfer 300 100 every 5 speed 9\r\n"
                                                     "  diskcheck 10\r\n"));
    ASSERT_TRUE(StartCoreProcess('E', m_probe.Window(), kChargeMap, 1));
    ASSERT_TRUE(m_probe.WaitFor(kMsgNotifyError, 0x02000000)) << Describe(m_probe.Messages());
    const std::vector<Received> expected = {
        {kMsgMapProgressStart, 2, 0},    {kMsgMapProgress, 2, 2},    {kMsgMapProgress, 2, 0},
        {kMsgMapProgress, 2, 0},         {kMsgMapProgress, 2, 0},    {kMsgMapProgress, 2, 1},
        {kMsgMapProgressStart, 3, 0},    {kMsgMapProgressEnd, 3, 0}, {kMsgMapProgressEnd, 0, 0},
        {kMsgNotifyError, 0x02000000, 0}};
    EXPECT_EQ(m_probe.Messages(), expected) << Describe(m_probe.Messages());
    MapProgressBlock b;
    ASSERT_TRUE(ReadMapProgressBlock(kBlockMapTransfer, b, nullptr));
    EXPECT_EQ(b.totalSize, 300u);
    EXPECT_EQ(b.cumulativeSize, 300u);
    EXPECT_EQ(b.lineSpeed, 9u + 3u);
}

TEST_F(Bridge, RequestEndEndsBothTools) {
    bridgetest::UseCoreScenario("end", Scenario("kind map\r\n  progress 1\r\n  hold 60000\r\n"));
    const std::string musicJournal = qmtest::WorkFolder() + "music.journal";
    const std::string musicRecord = qmtest::WorkFolder() + "music.record";
    ::DeleteFileA(musicJournal.c_str());
    ::DeleteFileA(musicRecord.c_str());
    bridgetest::UseMusicScenario("music",
                                 "record " + musicRecord + "\r\njournal " + musicJournal + "\r\n");
    ASSERT_TRUE(StartCoreProcess('E', m_probe.Window(), kChargeMap | kChargeMusic, 1));
    ASSERT_TRUE(StartMusicTool('E', m_probe.Window(), true));
    ASSERT_TRUE(StartMusicTool('G', m_probe.Window(), false));
    ASSERT_TRUE(bridgetest::WaitUntil(
        [] { return FindCoreWindow() && FindMusicWindow(true) && FindMusicWindow(false); }, 20000));
    ASSERT_TRUE(m_probe.WaitFor(kMsgNotifyProgress, kChargeMap));
    EXPECT_EQ(QueryCoreBusyMask(m_probe.Window()), kChargeMap | kChargeMusic);
    EXPECT_EQ(FindCoreWindow(),
              ::FindWindowA(bridgetest::kCoreClassText, bridgetest::kCoreTitleText));
    EXPECT_EQ(FindMusicWindow(true), ::FindWindowA(nullptr, "Quillmarch Music Manual"));
    EXPECT_EQ(FindMusicWindow(false), ::FindWindowA(nullptr, "Quillmarch Music Setting"));

    // The card change reaches the music windows.
    const UINT sdChange = ::RegisterWindowMessageA(kMsgSDChange);
    ::PostMessageA(FindMusicWindow(true), sdChange, 'F', 0);
    ::PostMessageA(FindMusicWindow(false), sdChange, 0, 0);

    RequestToolsEnd();
    ASSERT_TRUE(bridgetest::WaitUntil(
        [] { return !FindCoreWindow() && !FindMusicWindow(true) && !FindMusicWindow(false); },
        15000));
    EXPECT_TRUE(WaitJournal("exit"));
    EXPECT_TRUE(JournalHas("end requested"));
    EXPECT_TRUE(JournalHas("cut map"));
    m_probe.Pump(200);
    // Cut short: no completion was reported.
    for (const Received& r : m_probe.Messages()) EXPECT_NE(r.name, kMsgNotifyError);

    const std::vector<std::string> music = qmtest::SplitLines(qmtest::ReadFile(musicJournal));
    auto count = [&](const char* line) { return std::count(music.begin(), music.end(), line); };
    EXPECT_EQ(count("end requested"), 2);
    EXPECT_EQ(count("exit"), 2);
    EXPECT_GE(count("sdchange F"), 1);
    EXPECT_GE(count("sdchange 0"), 1);
    const std::string hwnd = Hex8(WindowHandleBits(m_probe.Window()));
    // The two tools start side by side: their records may come in either order.
    std::vector<std::string> records = qmtest::SplitLines(qmtest::ReadFile(musicRecord));
    std::sort(records.begin(), records.end());
    const std::vector<std::string> expected = {
        GetProgramPath(kProgramMusic) + " /d E /w " + hwnd + " /m manual",
        GetProgramPath(kProgramMusic) + " /d G /w " + hwnd + " /m setting"};
    EXPECT_EQ(records, expected);
}

// A missing block: the caller logs the failure in its own words; it is
// handed the error once and the progress it holds stays as it was.
TEST_F(Bridge, MissingObjectsAreSkippedOrToldToTheCaller) {
    // A missing event or core: nothing happens, nothing is logged.
    const std::string before = bridgetest::LogText();
    EXPECT_FALSE(SetCoreEvent(kEventMapLicense));
    EXPECT_FALSE(SetCoreEvent("Global\\NoSuchEventAtAll"));
    EXPECT_FALSE(PostToCore(::RegisterWindowMessageA(kMsgRequestEnd), 0, 0));
    EXPECT_EQ(bridgetest::LogText(), before);
    MapProgressBlock p;
    p.lineSpeed = 11;
    p.cumulativeSize = 33;
    p.totalSize = 44;
    std::vector<DWORD> errors;
    auto note = [&](DWORD e) { errors.push_back(e); };
    EXPECT_FALSE(ReadMapProgressBlock(kBlockMapDownload, p, note));
    EXPECT_EQ(errors, std::vector<DWORD>{ERROR_FILE_NOT_FOUND});
    EXPECT_EQ(p.lineSpeed, 11u);
    EXPECT_EQ(p.cumulativeSize, 33u);
    EXPECT_EQ(p.totalSize, 44u);

    // A core that reports progress without publishing its block: the same.
    bridgetest::UseCoreScenario("noblock", Scenario("kind map\r\n  fail noblock\r\n"
                                                    "  block download 10 5\r\n"));
    ASSERT_TRUE(StartCoreProcess('E', m_probe.Window(), kChargeMap, 1));
    ASSERT_TRUE(m_probe.WaitFor(kMsgMapProgressStart, 1));
    EXPECT_FALSE(ReadMapProgressBlock(kBlockMapDownload, p, note));
    EXPECT_EQ(errors, (std::vector<DWORD>{ERROR_FILE_NOT_FOUND, ERROR_FILE_NOT_FOUND}));
    EXPECT_EQ(p.totalSize, 44u);
    ASSERT_TRUE(m_probe.WaitFor(kMsgNotifyError, 0x02000000));
}

// With the detail switch on (WKLOG.ini beside the program) a failed start
// also logs the whole line. Run from a copy of this program, so the switch
// file touches nothing else.
QM_CHILD_MAIN(startdetail) {
    KILNLOG.Start(args.at(0).c_str(), 4096);
    const bool core = StartCoreProcess('E', nullptr, 0x06, 18);
    const bool music = StartMusicTool('F', nullptr, true);
    const bool badDrive = StartCoreProcess(0, nullptr, 0x04, 1);
    return core || music || badDrive ? 1 : 0;
}

TEST_F(Bridge, StartFailureLogsTheWholeLine) {
    const std::string folder = qmtest::NewFolder("detail");
    const std::string exe = folder + "test_bridge.exe";
    ASSERT_TRUE(::CopyFileA(GetExePath().c_str(), exe.c_str(), FALSE));
    ASSERT_TRUE(qmtest::WriteFile(folder + "WKLOG.ini", "[Log]\r\nRecover=1\r\n"));
    const std::string missing = qmtest::WorkFolder() + "nowhere";
    const std::string log = folder + "child.log";
    ASSERT_TRUE(bridgetest::SetInstallDir(missing));
    const qmtest::ProcessResult r = qmtest::RunProcess(exe, "--child=startdetail " + log);
    ASSERT_TRUE(bridgetest::SetInstallDir(qmtest::BinFolder()));
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0u);
    const std::vector<std::string> lines = qmtest::SplitLines(qmtest::ReadFile(log));
    auto at = [&](const std::string& part) {
        for (size_t i = 0; i < lines.size(); ++i)
            if (Contains(lines[i], part)) return static_cast<int>(i);
        return -1;
    };
    const int charge = at("チャージ要求 TYPE:0x00000006");
    // The error is the start's own (the folder is missing: path not found),
    // not one of the log's.
    const int coreFail = at("Core実行失敗 ERR:0x00000003");
    const int coreLine = at(missing + "\\Quillmarch_Core.exe /d E /w 00000000 /p map");
    const int musicFail = at("Music実行失敗 ERR:0x00000003");
    const int musicLine = at(missing + "\\Quillmarch_Music.exe /d F /w 00000000 /m manual");
    ASSERT_GE(charge, 0) << qmtest::ReadFile(log);
    EXPECT_EQ(coreFail, charge + 1) << qmtest::ReadFile(log);
    EXPECT_EQ(coreLine, charge + 2);
    EXPECT_EQ(musicFail, charge + 3);
    EXPECT_EQ(musicLine, charge + 4);
    // The line ends with the kinds: "prb" was left out for model 18.
    ASSERT_GE(coreLine, 0);
    EXPECT_EQ(lines[coreLine].substr(lines[coreLine].size() - 9), "/p map bl");
    // No drive: refused before anything is started.
    const int driveFail = at("Core実行失敗 ERR:0x00000057");
    EXPECT_EQ(at("チャージ要求 TYPE:0x00000004"), driveFail - 1);
    EXPECT_GT(driveFail, musicLine);
    EXPECT_EQ(at("実行失敗 ERR:0x00000000"), -1) << "a failure without its error";
}
