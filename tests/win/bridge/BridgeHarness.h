#pragma once
// A stand-in launcher for the bridge tests: a window that records every
// bridge message it receives, the installation folder pointed at the
// stand-ins, scenario files and the test's own diagnostic log.
#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "common/CoreProcess.h"

namespace bridgetest {

struct Received {
    std::string name;  // registered name, e.g. "WKLNotifyProgress"
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Received& o) const {
        return name == o.name && wParam == o.wParam && lParam == o.lParam;
    }
};
std::string Describe(const std::vector<Received>& list);
// Readable failure output.
void PrintTo(const Received& r, std::ostream* out);

class CLauncherProbe {
public:
    CLauncherProbe();
    ~CLauncherProbe();
    HWND Window() const { return m_window; }
    const std::vector<Received>& Messages() const { return m_received; }
    void Clear() { m_received.clear(); }
    // Dispatches messages until done() holds or timeoutMs passed; between
    // rounds each is called (may be empty).
    bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs,
                   const std::function<void()>& each = nullptr);
    bool WaitFor(const char* name, WPARAM wParam, DWORD timeoutMs = 20000);
    void Pump(DWORD ms);

private:
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
    HWND m_window = nullptr;
    std::vector<Received> m_received;
};

// The core's window class and title, written out once (see LauncherMessages
// in BridgeHarness.cpp).
constexpr char kCoreClassText[] = "QuillmarchCORE";
constexpr char kCoreTitleText[] = "Quillmarch Core";

// Points "InstallDir" (HKLM, the view this build reads) at folder.
bool SetInstallDir(const std::string& folder);
// Writes a scenario for the core (or the music tool) and names it in the
// environment the stand-ins inherit. Returns the file's path.
std::string UseCoreScenario(const std::string& name, const std::string& text);
std::string UseMusicScenario(const std::string& name, const std::string& text);
// The test's diagnostic log (started on first use) and its text so far.
std::string LogPath();
std::string LogText();
// Ends every stand-in still running and waits until their windows are gone.
bool EndAllTools(DWORD timeoutMs = 15000);
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs);
// A window handle as the command lines write it.
std::string Hex8(uint32_t value);
bool Contains(const std::string& text, const std::string& part);

// The bridge tests' fixture: the installation folder at the stand-ins, no
// tool running before or after a test, and the test's own journal and
// record files (named after it) for the stand-ins to write.
class CBridgeTest : public testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;
    // A scenario that writes this test's record and journal.
    std::string Scenario(const std::string& body) const;
    std::vector<std::string> Journal() const;
    bool JournalHas(const std::string& line) const;
    bool WaitJournal(const std::string& line, DWORD ms = 20000) const;

    CLauncherProbe m_probe;
    std::string m_journal, m_record;
};

}  // namespace bridgetest
