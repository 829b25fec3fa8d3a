#pragma once
// A critical section owned by its object, and a scope that holds it. The
// locks of this program guard data shared by threads of one process only, so
// no kernel object is needed.
#include <windows.h>

namespace qm {

class CCriticalSection {
public:
    CCriticalSection() { ::InitializeCriticalSection(&m_section); }
    ~CCriticalSection() { ::DeleteCriticalSection(&m_section); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void Enter() { ::EnterCriticalSection(&m_section); }
    void Leave() { ::LeaveCriticalSection(&m_section); }

    class CLock {
    public:
        explicit CLock(CCriticalSection& section) : m_section(section) { m_section.Enter(); }
        ~CLock() { m_section.Leave(); }
        CLock(const CLock&) = delete;
        CLock& operator=(const CLock&) = delete;

    private:
        CCriticalSection& m_section;
    };

private:
    CRITICAL_SECTION m_section;
};

}  // namespace qm
