#pragma once
// A stand-in launcher for the bridge tests: a window recording the bridge
// messages, the stand-ins installed, their scenarios and the test's own log.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "common/CoreProcess.h"
#include "common/KilnLog.h"
#include "common/WinHandle.h"

namespace bridgetest {

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
// This program's log (the message box test reads it too).
inline const bool g_keepsLog = qmtest::KeepLog();
using qmtest::LogText;
// A window handle as the command lines write it.
inline std::string Hex8(HWND window) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08X", static_cast<unsigned>(WindowHandleBits(window)));
    return buf;
}

// No tool running before or after a test; the test's own journal and record
// files (named after it) for the stand-ins to write.
class CBridgeTest : public testing::Test {
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

}  // namespace bridgetest
