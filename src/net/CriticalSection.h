#pragma once
// A critical section owned by its object, and a scope that holds it: the
// locks of the network code are taken by threads of one process only.
#include <windows.h>

namespace qm {

class CCriticalSection {
public:
    CCriticalSection() { ::InitializeCriticalSection(&m_cs); }
    ~CCriticalSection() { ::DeleteCriticalSection(&m_cs); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;
    void Enter() { ::EnterCriticalSection(&m_cs); }
    void Leave() { ::LeaveCriticalSection(&m_cs); }

private:
    CRITICAL_SECTION m_cs;
};

class CLockHeld {
public:
    explicit CLockHeld(CCriticalSection& cs) : m_cs(cs) { m_cs.Enter(); }
    ~CLockHeld() { m_cs.Leave(); }
    CLockHeld(const CLockHeld&) = delete;
    CLockHeld& operator=(const CLockHeld&) = delete;

private:
    CCriticalSection& m_cs;
};

}  // namespace qm
