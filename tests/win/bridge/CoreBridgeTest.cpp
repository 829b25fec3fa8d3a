// The launcher's side of the bridge against the stand-in core and music tool.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <tuple>

#include "BridgeHarness.h"
#include "common/FileHelpers.h"

using namespace bridgetest;
using Bridge = CBridgeTest;

TEST_F(Bridge, BusyMaskWhileRunningAndZeroAfter) {
    EXPECT_EQ(QueryCoreBusyMask(m_probe.Window()), 0u);  // no core at all
    // Each kind waits for an answer, so the test decides when it moves on.
    UseCore("idle stay\r\nkind map\r\n  progress 5\r\n  ask verify\r\nkind wl\r\n  ask probe\r\n");
    ASSERT_TRUE(StartCoreProcess('E', m_probe.Window(), kChargeMap | kChargeWeather, 1));
    ASSERT_TRUE(m_probe.WaitFor(kMsgMapVerify, 0)) << m_probe.Seen();
    EXPECT_EQ(QueryCoreBusyMask(m_probe.Window()), kChargeMap | kChargeWeather);
    EXPECT_TRUE(SetCoreEvent(kEventMapVerify));
    ASSERT_TRUE(m_probe.WaitFor(kMsgNoSendProbe, 0));
    EXPECT_EQ(QueryCoreBusyMask(m_probe.Window()), kChargeWeather);
    EXPECT_TRUE(SetCoreEvent(kEventMapProbe));
    ASSERT_TRUE(JournalHas("idle", 20000));
    ASSERT_NE(FindCoreWindow(), nullptr);  // still there, and idle
    EXPECT_EQ(QueryCoreBusyMask(m_probe.Window()), 0u);
}

// A core that does not answer may still be moving data: it counts as busy
// in every kind, so the user is asked, and the miss is logged.
TEST_F(Bridge, AHungCoreCountsAsBusyAndIsLogged) {
    qm::CHandle ready(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    qm::CHandle release(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    HWND window = nullptr;
    std::thread hung([&] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = kCoreClassText;
        ::RegisterClassA(&wc);
        window = ::CreateWindowA(kCoreClassText, kCoreTitleText, WS_OVERLAPPED, 0, 0, 100, 100,
                                 nullptr, nullptr, wc.hInstance, nullptr);
        ::SetEvent(ready.Get());
        ::WaitForSingleObject(release.Get(), INFINITE);  // no message is taken
        ::DestroyWindow(window);
    });
    ::WaitForSingleObject(ready.Get(), INFINITE);
    EXPECT_NE(window, nullptr);
    EXPECT_EQ(FindCoreWindow(), window);
    const size_t before = LogText().size();
    EXPECT_EQ(QueryCoreBusyMask(m_probe.Window(), 300), 0xFFFFFFFFu);
    const std::string added = LogText().substr(before);
    EXPECT_NE(added.find("\t!!\t"), std::string::npos);
    EXPECT_NE(added.find("QueryCoreBusyMask - Core応答無し ERR:0x000005B4"), std::string::npos)
        << added;
    ::SetEvent(release.Get());
    hung.join();
}

// Each question is released by its own named event only.
TEST_F(Bridge, MapQuestionsAreReleasedThroughTheirEvents) {
    UseCore("kind map\r\n  ask license 4\r\n  ask verify\r\n  declined 0x00FF02\r\n");
    ASSERT_TRUE(StartCoreProcess('E', m_probe.Window(), kChargeMap, 1));
    ASSERT_TRUE(m_probe.WaitFor(kMsgMapLicense, 4)) << m_probe.Seen();
    ASSERT_TRUE(JournalHas("ask 0x00000004 Global\\WLKMapLicense", 20000));
    EXPECT_TRUE(SetCoreEvent(kEventMapVerify));
    EXPECT_FALSE(m_probe.WaitFor(kMsgMapVerify, 0, 400)) << "another question's answer";
    EXPECT_TRUE(SetCoreEvent(kEventMapLicense));
    ASSERT_TRUE(m_probe.WaitFor(kMsgMapVerify, 0)) << m_probe.Seen();
    EXPECT_TRUE(JournalHas("answer Global\\WLKMapLicense"));
    EXPECT_TRUE(SetCoreEvent(kEventMapVerifyNo));
    ASSERT_TRUE(m_probe.WaitFor(kMsgNotifyError, 0x0200FF02)) << m_probe.Seen();
    EXPECT_TRUE(JournalHas("answer Global\\WLKMapVerifyNo"));
}

// The core writes 5 000 updates as fast as it can, field by field, while the
// launcher reads the block: never a torn or backward one.
TEST_F(Bridge, ProgressBlocksAreReadWhole) {
    constexpr uint64_t kStep = 4000, kTotal = 5000 * kStep;
    constexpr uint32_t kSpeed = 70000;
    // "idle stay": the block outlives the run, so the last read cannot race
    // the core's exit.
    UseCore("idle stay\r\nkind map\r\n  block download " + std::to_string(kTotal) + " " +
            std::to_string(kStep) + " speed " + std::to_string(kSpeed) + " notify 1250\r\n");
    ASSERT_TRUE(StartCoreProcess('E', m_probe.Window(), kChargeMap, 1));
    ASSERT_TRUE(m_probe.WaitFor(kMsgMapProgressStart, kMapPhaseDownload)) << m_probe.Seen();
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
    EXPECT_EQ(m_probe.Messages(), expected);
}

TEST_F(Bridge, RequestEndEndsBothToolsAndTheCardChangeReachesTheMusicTool) {
    UseCore("kind map\r\n  progress 1\r\n  hold 60000\r\n");
    const std::string music = m_base + ".music";
    ::DeleteFileA((music + ".journal").c_str());
    ::DeleteFileA((music + ".record").c_str());
    UseScenario("QM_MUSIC_SCENARIO", music + ".scenario",
                "record " + music + ".record\r\njournal " + music + ".journal\r\n");
    ASSERT_TRUE(StartCoreProcess('E', m_probe.Window(), kChargeMap | kChargeMusic, 1));
    ASSERT_TRUE(StartMusicTool('E', m_probe.Window(), true));
    ASSERT_TRUE(StartMusicTool('G', m_probe.Window(), false));
    ASSERT_TRUE(m_probe.PumpUntil(
        [] { return FindCoreWindow() && FindMusicWindow(true) && FindMusicWindow(false); }, 20000));
    ASSERT_TRUE(m_probe.WaitFor(kMsgNotifyProgress, kChargeMap));
    EXPECT_EQ(QueryCoreBusyMask(m_probe.Window()), kChargeMap | kChargeMusic);
    EXPECT_EQ(FindCoreWindow(), ::FindWindowA(kCoreClassText, kCoreTitleText));
    EXPECT_EQ(FindMusicWindow(true), ::FindWindowA(nullptr, "Quillmarch Music Manual"));
    EXPECT_EQ(FindMusicWindow(false), ::FindWindowA(nullptr, "Quillmarch Music Setting"));
    const UINT sdChange = ::RegisterWindowMessageA("WKLSDChange");
    ::PostMessageA(FindMusicWindow(true), sdChange, 'F', 0);
    RequestToolsEnd();
    ASSERT_TRUE(m_probe.PumpUntil(
        [] { return !FindCoreWindow() && !FindMusicWindow(true) && !FindMusicWindow(false); },
        15000));
    EXPECT_TRUE(JournalHas("exit", 20000));
    EXPECT_TRUE(JournalHas("cut map"));
    // Cut short: no completion was reported.
    for (const Received& r : m_probe.Messages()) EXPECT_NE(r.name, kMsgNotifyError);
    const std::vector<std::string> journal =
        qmtest::SplitLines(qmtest::ReadFile(music + ".journal"));
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "exit"), 2);
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "sdchange F"), 1);
    // The two tools start side by side: their records may come in either order.
    std::vector<std::string> records = qmtest::SplitLines(qmtest::ReadFile(music + ".record"));
    std::sort(records.begin(), records.end());
    const std::string exe = qmtest::BinFolder() + "Quillmarch_Music.exe /d ";
    EXPECT_EQ(records,
              (std::vector<std::string>{exe + "E /w " + Hex8(m_probe.Window()) + " /m manual",
                                        exe + "G /w " + Hex8(m_probe.Window()) + " /m setting"}));
}

// A missing event, core or block: nothing happens and nothing is logged; the
// caller of a block read is handed the error once, its progress untouched.
TEST_F(Bridge, MissingObjectsAreSkippedOrToldToTheCaller) {
    const std::string before = LogText();
    EXPECT_FALSE(SetCoreEvent(kEventMapLicense));
    EXPECT_FALSE(PostToCore(::RegisterWindowMessageA("WKLRequestEnd"), 0, 0));
    MapProgressBlock p;
    p.lineSpeed = 11;
    p.cumulativeSize = 33;
    p.totalSize = 44;
    std::vector<DWORD> errors;
    EXPECT_FALSE(ReadMapProgressBlock(kBlockMapDownload, p, [&](DWORD e) { errors.push_back(e); }));
    EXPECT_EQ(errors, std::vector<DWORD>{ERROR_FILE_NOT_FOUND});
    EXPECT_EQ(std::make_tuple(p.lineSpeed, p.cumulativeSize, p.totalSize),
              std::make_tuple(11u, 33ull, 44ull));
    EXPECT_EQ(LogText(), before);
}

// With the detail switch (WKLOG.ini beside a copy of this program) a failed
// start also logs the whole line.
QM_CHILD_MAIN(startdetail) {
    KILNLOG.Start(args.at(0).c_str(), 4096);
    const bool core = StartCoreProcess('E', nullptr, 0x06, 18);
    const bool music = StartMusicTool('F', nullptr, true);
    const bool badDrive = StartCoreProcess(0, nullptr, 0x04, 1);
    return core || music || badDrive ? 1 : 0;
}

TEST_F(Bridge, StartFailureLogsTheWholeLine) {
    const std::string folder = qmtest::NewFolder("detail");
    const std::string exe = folder + "test_bridge.exe", log = folder + "child.log";
    ASSERT_TRUE(::CopyFileA(GetExePath().c_str(), exe.c_str(), FALSE));
    ASSERT_TRUE(qmtest::WriteFile(folder + "WKLOG.ini", "[Log]\r\nRecover=1\r\n"));
    const std::string missing = qmtest::WorkFolder() + "nowhere";
    ASSERT_TRUE(SetInstallDir(missing));
    const qmtest::ProcessResult r = qmtest::RunProcess(exe, "--child=startdetail " + log);
    ASSERT_TRUE(SetInstallDir(qmtest::BinFolder()));
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0u);
    // The error is the start's own (the folder is missing: path not found),
    // not one of the log's; without a drive nothing is started.
    const std::vector<std::string> expected = {
        "==:==========<開始()>==========",
        "N:チャージ要求 TYPE:0x00000006",
        "E:Core実行失敗 ERR:0x00000003",
        "D:" + missing + "\\Quillmarch_Core.exe /d E /w 00000000 /p map bl",
        "E:Music実行失敗 ERR:0x00000003",
        "D:" + missing + "\\Quillmarch_Music.exe /d F /w 00000000 /m manual",
        "N:チャージ要求 TYPE:0x00000004",
        "E:Core実行失敗 ERR:0x00000057"};
    EXPECT_EQ(qmtest::LogRecordTexts(qmtest::ReadFile(log)), expected);
}
