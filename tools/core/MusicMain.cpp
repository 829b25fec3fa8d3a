// Stand-in of the music tool "Quillmarch_Music.exe": a window titled
// "Quillmarch Music Manual" or "Quillmarch Music Setting" by its "/m" mode,
// noting the card changes it is told of and ending on "WKLRequestEnd".
#include <windows.h>

#include "StandInCommon.h"
#include "common/CoreBridge.h"

namespace standin {
namespace {

constexpr char kMusicWindowClass[] = "QuillmarchMusicStandIn";

class CMusicStandIn : public CStandInWindow<CMusicStandIn> {
    friend class CStandInWindow<CMusicStandIn>;

public:
    CMusicStandIn(const std::string& commandLine, const Scenario& scenario)
        : m_journal(scenario.journalPath), m_args(ParseToolArguments(commandLine)) {
        AppendLine(scenario.recordPath, commandLine);
        m_journal.Write("start " + commandLine);
        for (const std::string& p : scenario.problems) m_journal.Write("scenario " + p);
        for (const std::string& p : m_args.problems) m_journal.Write("argument " + p);
        m_sdChange = ::RegisterWindowMessageA(kMsgSDChange);
        m_requestEnd = ::RegisterWindowMessageA(kMsgRequestEnd);
    }

    int Run(HINSTANCE instance) {
        if (m_args.musicMode.empty()) return 1;  // noted in the journal
        const char* title = m_args.musicMode == "manual" ? kMusicManualTitle : kMusicSettingTitle;
        HWND window = nullptr;
        if (const int failed = CreateStandInWindow(instance, kMusicWindowClass, title, &window))
            return failed;
        return RunMessageLoop();
    }

private:
    LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == m_sdChange) {
            const char drive = static_cast<char>(wParam);
            m_journal.Write(std::string("sdchange ") + (drive ? std::string(1, drive) : "0"));
            return 0;
        }
        if (message == m_requestEnd) {
            m_journal.Write("end requested");
            ::DestroyWindow(hwnd);
            return 0;
        }
        if (message == WM_DESTROY) {
            ::PostQuitMessage(0);
            return 0;
        }
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }

    CJournal m_journal;
    ToolArguments m_args;
    UINT m_sdChange = 0, m_requestEnd = 0;
};

}  // namespace
}  // namespace standin

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const standin::Scenario scenario = standin::LoadScenario("QM_MUSIC_SCENARIO");
    standin::CMusicStandIn music(::GetCommandLineA(), scenario);
    return music.Run(instance);
}
