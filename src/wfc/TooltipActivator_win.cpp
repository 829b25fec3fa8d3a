// CTooltipActivator: posts TTM_UPDATE when the mouse moved and the tip's
// initial delay has passed without a tip on the screen.

// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "wfc/Thread.h"

namespace lib {
namespace wfc {

namespace {
constexpr DWORD kThreadPeriodMs = 100;

bool BeforeWindowsXp() {
    // The version the system reports; only the major.minor pair matters.
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExA(&info)) return false;
#pragma GCC diagnostic pop
    return info.dwMajorVersion < 5 || (info.dwMajorVersion == 5 && info.dwMinorVersion < 1);
}
}  // namespace

CTooltipActivator::~CTooltipActivator() { Stop(); }

void CTooltipActivator::Attach(HWND tooltip) { Attach(tooltip, BeforeWindowsXp()); }

void CTooltipActivator::Attach(HWND tooltip, bool startThread) {
    LRESULT delay = ::SendMessageA(tooltip, TTM_GETDELAYTIME, TTDT_INITIAL, 0);
    {
        qm::CCriticalSection::CLock lock(m_lock);
        m_tooltip = tooltip;
        if (delay > 0) m_delay = static_cast<DWORD>(delay);
        m_pending = false;
    }
    if (startThread) Start();
}

void CTooltipActivator::Stop() {
    RequestStop();
    Wait(INFINITE);
    qm::CCriticalSection::CLock lock(m_lock);
    m_tooltip = nullptr;
}

void CTooltipActivator::ReportMouse(POINT pt) {
    qm::CCriticalSection::CLock lock(m_lock);
    m_point = pt;
}

DWORD CTooltipActivator::Delay() const {
    qm::CCriticalSection::CLock lock(m_lock);
    return m_delay;
}

bool CTooltipActivator::Poll(DWORD now) {
    HWND tooltip = nullptr;
    {
        qm::CCriticalSection::CLock lock(m_lock);
        if (!m_tooltip) return false;
        if (m_point.x != m_seen.x || m_point.y != m_seen.y) {
            m_seen = m_point;
            m_pending = true;
            m_changedAt = now;
            return false;
        }
        if (!m_pending || now - m_changedAt < m_delay) return false;
        tooltip = m_tooltip;
    }
    if (::IsWindowVisible(tooltip)) return false;
    {
        qm::CCriticalSection::CLock lock(m_lock);
        m_pending = false;
    }
    ::PostMessageA(tooltip, TTM_UPDATE, 0, 0);
    return true;
}

DWORD CTooltipActivator::Run() {
    while (!StopRequested()) {
        ::Sleep(kThreadPeriodMs);
        Poll(::GetTickCount());
    }
    return 0;
}

}  // namespace wfc
}  // namespace lib
