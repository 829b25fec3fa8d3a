#pragma once
// What both stand-ins share: their command line, the scenario file and the
// journal that tests read.
#include <windows.h>

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "Scenario.h"

namespace standin {

// " /d E /w 0001A2B4 /p map bl" (core) or " /d E /w 0001A2B4 /m manual" (music),
// after the program's path.
struct ToolArguments {
    char drive = 0;
    HWND launcher = nullptr;
    bool haveWindow = false;
    std::vector<uint32_t> kinds;  // in command-line order
    std::string musicMode;        // "manual" or "setting"
    std::vector<std::string> problems;
};
ToolArguments ParseToolArguments(const std::string& commandLine);

// The scenario of this program: the file named by the environment variable
// (QM_CORE_SCENARIO or QM_MUSIC_SCENARIO) or "<exe name>.scenario" beside the
// executable. Without a file the text whenMissing is played.
Scenario LoadScenario(const char* environmentName, const char* whenMissing = "");

// Appends lines to the file named in the scenario (nothing when unnamed).
class CJournal {
public:
    explicit CJournal(std::string path) : m_path(std::move(path)) {}
    void Write(const std::string& line) const;

private:
    std::string m_path;
};

void AppendLine(const std::string& path, const std::string& line);

// The window both stand-ins share. The object handed to CreateWindow arrives
// with WM_NCCREATE and is kept in GWLP_USERDATA, every message goes to its
// OnMessage, and an exception is noted in its journal rather than let through
// into Windows. TStandIn names this class a friend.
template <class TStandIn>
class CStandInWindow {
protected:
    // Registers className and creates the window: 0, or the exit code of the
    // step that failed (2 the class, 3 the window), noted in the journal
    // with the system's error ("no window 3 error 1400").
    int CreateStandInWindow(HINSTANCE instance, const char* className, const char* title,
                            HWND* window) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &CStandInWindow::WindowProc;
        wc.hInstance = instance;
        wc.lpszClassName = className;
        int failed = 0;
        if (!::RegisterClassA(&wc)) {
            failed = 2;
        } else {
            // The stand-in itself, not this base within it: WindowProc casts back.
            *window = ::CreateWindowA(className, title, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                      nullptr, nullptr, instance, static_cast<TStandIn*>(this));
            if (!*window) failed = 3;
        }
        if (failed) {
            const DWORD error = ::GetLastError();
            static_cast<TStandIn*>(this)->m_journal.Write("no window " + std::to_string(failed) +
                                                          " error " + std::to_string(error));
        }
        return failed;
    }

    // Dispatches messages until WM_QUIT, then notes "exit".
    int RunMessageLoop() {
        MSG m;
        while (::GetMessageA(&m, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&m);
            ::DispatchMessageA(&m);
        }
        static_cast<TStandIn*>(this)->m_journal.Write("exit");
        return 0;
    }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
            ::SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                                reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        }
        auto* self = reinterpret_cast<TStandIn*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (!self) return ::DefWindowProcA(hwnd, message, wParam, lParam);
        try {
            return self->OnMessage(hwnd, message, wParam, lParam);
        } catch (const std::exception& e) {
            self->m_journal.Write(std::string("window failed ") + e.what());
            return 0;
        }
    }
};

}  // namespace standin
