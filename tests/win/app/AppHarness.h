#pragma once
// Starting the program and finding its windows, shared by the application tests.
#include <windows.h>

#include <string>

#include "TestSupport.h"
#include "common/WinHandle.h"

namespace apptest {

inline HWND WaitForWindow(const char* cls, const char* title, DWORD ms) {
    HWND w = nullptr;
    qmtest::PumpUntil([&] { return (w = ::FindWindowA(cls, title)) != nullptr; }, ms);
    return w;
}

// Starts a program suspended and looks for a main window of its own (class "Quillmarch") while
// it runs: through the news of every window it creates (Wine may not deliver it) and by looking.
class CWatchedLaunch {
public:
    CWatchedLaunch(const std::string& exe, const std::string& args) {
        std::string cmd = "\"" + exe + "\" " + args;
        STARTUPINFOA si = {sizeof si};
        PROCESS_INFORMATION pi = {};
        if (!::CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                              nullptr, nullptr, &si, &pi))
            return;
        m_process.Reset(pi.hProcess);
        m_pid = pi.dwProcessId;
        qm::CHandle thread(pi.hThread);
        s_watch = this;
        m_hook = ::SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr, &Seen,
                                   pi.dwProcessId, 0, WINEVENT_OUTOFCONTEXT);
        ::ResumeThread(thread.Get());
    }
    ~CWatchedLaunch() {
        if (m_process && ::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT)
            ::TerminateProcess(m_process.Get(), 99);
        if (m_hook) ::UnhookWinEvent(m_hook);
        s_watch = nullptr;
    }
    // Pumps this thread's messages and looks for the window until the process ends with 0.
    bool ExitsCleanly(DWORD ms = 20000) {
        DWORD code = 12345;
        const auto ended = [this] {
            return Look(), ::WaitForSingleObject(m_process.Get(), 0) == WAIT_OBJECT_0;
        };
        const bool exited = m_process && m_hook && qmtest::PumpUntil(ended, ms);
        qmtest::Drain();  // the news that came before the end
        return exited && ::GetExitCodeProcess(m_process.Get(), &code) && code == 0;
    }
    bool MadeMainWindow() const { return m_seen; }

private:
    void Look() {
        DWORD pid = 0;
        const HWND w = ::FindWindowA("Quillmarch", nullptr);
        if (w && ::GetWindowThreadProcessId(w, &pid) && pid == m_pid) m_seen = true;
    }
    static void CALLBACK Seen(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG, DWORD, DWORD) {
        char cls[64] = {};
        if (s_watch && object == OBJID_WINDOW && ::GetClassNameA(window, cls, sizeof cls) &&
            std::string(cls) == "Quillmarch")
            s_watch->m_seen = true;
    }
    static inline CWatchedLaunch* s_watch = nullptr;
    qm::CHandle m_process;
    DWORD m_pid = 0;
    HWINEVENTHOOK m_hook = nullptr;
    bool m_seen = false;
};

}  // namespace apptest
