#pragma once
// Worker thread, the tool-tip activator and the wait cursor.
#include <windows.h>

#include <atomic>

#include "common/CriticalSection.h"

namespace lib {
namespace wfc {

// A thread whose body is Run. The thread is created suspended and resumed by
// Start. A derived class stops and waits for its thread in its own destructor:
// the base destructor only closes the handle.
class CThread {
public:
    CThread() = default;
    virtual ~CThread();
    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;

    // Creates and resumes the thread; false when it cannot (or runs already).
    virtual bool Start();

protected:
    // The thread body; its result is the exit code.
    virtual DWORD Run() { return 0; }

public:
    // WaitForSingleObject on the thread; true when it has ended (or never started).
    bool Wait(DWORD timeoutMs);
    DWORD GetExitCode() const;  // STILL_ACTIVE while running
    HANDLE Handle() const { return m_thread; }
    DWORD Id() const { return m_id; }
    void RequestStop() { m_stop = true; }
    bool StopRequested() const { return m_stop; }

private:
    static DWORD WINAPI ThreadMain(void* self);
    HANDLE m_thread = nullptr;
    DWORD m_id = 0;
    std::atomic<bool> m_stop{false};
};

// Nudges a tool-tip control that would otherwise not show its tip after the
// mouse moved (old Windows): when the reported mouse point changed and the
// control's initial delay has passed with no tip visible, it posts TTM_UPDATE.
// Its own thread (every 100 ms) runs only before Windows 5.1; elsewhere the
// skin window polls it from its tick.
class CTooltipActivator : public CThread {
public:
    ~CTooltipActivator() override;

    // Asks the control for its initial delay; starts the thread when
    // startThread is true (default: only before Windows 5.1).
    void Attach(HWND tooltip);
    void Attach(HWND tooltip, bool startThread);
    // Stops the thread (waits without limit) and forgets the control.
    void Stop();

    void ReportMouse(POINT pt);
    // One check at tick `now`; true when it posted TTM_UPDATE.
    bool Poll(DWORD now);
    DWORD Delay() const;

protected:
    DWORD Run() override;

private:
    mutable qm::CCriticalSection m_lock;
    HWND m_tooltip = nullptr;
    DWORD m_delay = 500;       // until the control answers
    POINT m_point = {-1, -1};  // as reported
    POINT m_seen = {-1, -1};   // as the last check saw it
    bool m_pending = false;
    DWORD m_changedAt = 0;
};

// The wait cursor for the life of the object; the previous cursor after.
class CWaitCursor {
public:
    CWaitCursor() : m_previous(::SetCursor(::LoadCursor(nullptr, IDC_WAIT))) {}
    ~CWaitCursor() { ::SetCursor(m_previous); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    HCURSOR m_previous;
};

}  // namespace wfc
}  // namespace lib
