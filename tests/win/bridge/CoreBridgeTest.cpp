// The launcher's side of the bridge against the stand-in core and music tool.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <ostream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "TestSupport.h"
#include "common/CoreProcess.h"
#include "common/FileHelpers.h"
#include "common/KilnLog.h"
#include "common/WinHandle.h"

// A stand-in launcher: a window recording the bridge messages, the stand-ins
// installed, their scenarios and this program's log (the message box test
// reads it too).
namespace {

// The core's window class and title, and below the launcher's messages,
// written out here once, not taken from the header the program and the
// stand-ins share: a name changed there no longer reaches the probe.
constexpr char kCoreClassText[] = "QuillmarchCORE";
constexpr char kCoreTitleText[] = "Quillmarch Core";

struct Received {
    std::string name;  // registered name, e.g. "WKLNotifyProgress"
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Received& o) const {
        return name == o.name && wParam == o.wParam && lParam == o.lParam;
    }
};
inline void PrintTo(const Received& r, std::ostream* out) {
    *out << r.name << std::hex << "(0x" << r.wParam << ",0x" << r.lParam << ")" << std::dec;
}

class CLauncherProbe {
public:
    ~CLauncherProbe() { ::DestroyWindow(m_window); }
    HWND Window() const { return m_window; }
    const std::vector<Received>& Messages() const { return m_received; }
    std::string Seen() const { return testing::PrintToString(m_received); }
    // Records the registered messages posted to the window until done() holds;
    // between rounds each is called (or a short wait for input).
    bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs,
                   const std::function<void()>& each = nullptr) {
        static const char* const names[] = {
            "WKLNotifyProgress",   "WKLNotifyError", "WKLMapLicense",
            "WKLMapDownload",      "WKLMapVerify",   "WKLNoSendProbe",
            "WKLMapProgressStart", "WKLMapProgress", "WKLMapProgressEnd"};
        const DWORD start = ::GetTickCount();
        for (MSG m;;) {
            while (::PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
                if (m.hwnd != m_window || m.message < 0xC000) {
                    ::DispatchMessageA(&m);
                    continue;
                }
                std::string name = "other";
                for (const char* n : names)
                    if (::RegisterWindowMessageA(n) == m.message) name = n;
                m_received.push_back({name, m.wParam, m.lParam});
            }
            if (done()) return true;
            if (::GetTickCount() - start > timeoutMs) return false;
            if (each)
                each();
            else
                ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    }
    bool WaitFor(const char* name, WPARAM wParam, DWORD timeoutMs = 20000) {
        return PumpUntil(
            [&] {
                for (const Received& r : m_received)
                    if (r.name == name && r.wParam == wParam) return true;
                return false;
            },
            timeoutMs);
    }

private:
    const HWND m_window =
        ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    std::vector<Received> m_received;
};

// Points "InstallDir" (HKLM, the view this build reads) at folder.
inline bool SetInstallDir(const std::string& folder) {
    return ::RegSetKeyValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvane\\Quillmarch", "InstallDir",
                             REG_SZ, folder.c_str(),
                             static_cast<DWORD>(folder.size() + 1)) == ERROR_SUCCESS;
}
// Names a scenario in the environment the stand-ins inherit.
inline void UseScenario(const char* variable, const std::string& path, const std::string& text) {
    qmtest::WriteFile(path, text);
    ::SetEnvironmentVariableA(variable, path.c_str());
}
const bool g_keepsLog = qmtest::KeepLog();
using qmtest::LogText;
// A window handle as the command lines write it.
inline std::string Hex8(HWND window) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08X", static_cast<unsigned>(WindowHandleBits(window)));
    return buf;
}

// No tool running before or after a test; the test's own journal and record
// files (named after it) for the stand-ins to write.
class Bridge : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(SetInstallDir(qmtest::BinFolder())); }
    void SetUp() override {
        ASSERT_TRUE(EndAllTools());
        ASSERT_NE(m_probe.Window(), nullptr);
        m_base =
            qmtest::WorkFolder() + testing::UnitTest::GetInstance()->current_test_info()->name();
        ::DeleteFileA((m_base + ".journal").c_str());
        ::DeleteFileA((m_base + ".record").c_str());
    }
    void TearDown() override { EXPECT_TRUE(EndAllTools()); }
    // Ends every stand-in and waits until its windows and objects are gone.
    bool EndAllTools() {
        RequestToolsEnd();
        auto exists = [](HANDLE h) { return qm::CHandle(h).Valid(); };
        return m_probe.PumpUntil(
            [&] {
                return !FindCoreWindow() && !FindMusicWindow(true) && !FindMusicWindow(false) &&
                       !exists(::OpenEventA(SYNCHRONIZE, FALSE, kEventMapLicense)) &&
                       !exists(::OpenFileMappingA(FILE_MAP_READ, FALSE, kBlockMapDownload));
            },
            15000);
    }
    // A core scenario that writes this test's record and journal.
    void UseCore(const std::string& body) const {
        UseScenario("QM_CORE_SCENARIO", m_base + ".scenario",
                    "record " + m_base + ".record\r\njournal " + m_base + ".journal\r\n" + body);
    }
    bool JournalHas(const std::string& line, DWORD ms = 0) {
        return m_probe.PumpUntil(
            [&] {
                for (const std::string& l :
                     qmtest::SplitLines(qmtest::ReadFile(m_base + ".journal")))
                    if (l == line) return true;
                return false;
            },
            ms);
    }

    CLauncherProbe m_probe;
    std::string m_base;
};

}  // namespace

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
