// CThread: a worker created suspended and resumed by Start.
#include <windows.h>

#include "common/KilnLog.h"
#include "wfc/Thread.h"

namespace lib {
namespace wfc {

CThread::~CThread() {
    if (m_thread) ::CloseHandle(m_thread);
}

bool CThread::Start() {
    if (m_thread) return false;
    m_stop = false;
    m_thread = ::CreateThread(nullptr, 0, ThreadMain, this, CREATE_SUSPENDED, &m_id);
    if (!m_thread) {
        KILNLOG.Log(LOG_ERROR, "CThread::Start - スレッド作成失敗 ERR:0x%08X",
                    static_cast<unsigned>(::GetLastError()));
        return false;
    }
    ::ResumeThread(m_thread);
    return true;
}

DWORD WINAPI CThread::ThreadMain(void* self) {
    try {
        return static_cast<CThread*>(self)->Run();
    } catch (const std::exception& e) {
        // Nothing may leave a thread function.
        KILNLOG.Log(LOG_ERROR, "CThread::Run - 例外 %s", e.what());
        return static_cast<DWORD>(-1);
    }
}

bool CThread::Wait(DWORD timeoutMs) {
    return !m_thread || ::WaitForSingleObject(m_thread, timeoutMs) == WAIT_OBJECT_0;
}

DWORD CThread::GetExitCode() const {
    DWORD code = 0;
    if (m_thread) ::GetExitCodeThread(m_thread, &code);
    return code;
}

}  // namespace wfc
}  // namespace lib
