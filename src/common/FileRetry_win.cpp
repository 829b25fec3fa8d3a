#include "common/FileRetry.h"

#include <string>

#include "common/CodePage.h"
#include "common/KilnLog.h"

void CFileRetry::Pause(DWORD ms) {
    if (m_stopEvent)
        ::WaitForSingleObject(m_stopEvent, ms);
    else
        ::Sleep(ms);
}

BOOL CFileRetry::ReadFile_Recover(HANDLE file, void* buffer, DWORD size, DWORD* bytesRead,
                                  OVERLAPPED* overlapped) {
    DWORD err = 0;
    for (m_tries = 1;; ++m_tries) {
        if (::ReadFile(file, buffer, size, bytesRead, overlapped)) return TRUE;
        err = ::GetLastError();
        Pause(kPauseMs);
        if (m_tries == kTries) break;
    }
    m_lastError = err;
    KILNLOG.Log(LOG_ERROR, "ReadFile_Recover( ) - Error ERR:0x%08X SIZE:%d",
                static_cast<unsigned>(err), static_cast<int>(size));
    ::SetLastError(err);
    return FALSE;
}

BOOL CFileRetry::WriteFile_Recover(HANDLE file, const void* buffer, DWORD size, DWORD* bytesWritten,
                                   OVERLAPPED* overlapped) {
    DWORD err = 0;
    for (m_tries = 1;; ++m_tries) {
        if (::WriteFile(file, buffer, size, bytesWritten, overlapped)) return TRUE;
        err = ::GetLastError();
        Pause(kPauseMs);
        if (m_tries == kTries) break;
    }
    m_lastError = err;
    KILNLOG.Log(LOG_ERROR, "WriteFile_Recover( ) - Error ERR:0x%08X SIZE:%d",
                static_cast<unsigned>(err), static_cast<int>(size));
    ::SetLastError(err);
    return FALSE;
}

HANDLE CFileRetry::CreateFile_Recover(const char* ansiPath, DWORD access, DWORD share,
                                      SECURITY_ATTRIBUTES* security, DWORD disposition, DWORD flags,
                                      HANDLE templateFile, const wchar_t* widePath) {
    DWORD err = 0;
    for (m_tries = 1;; ++m_tries) {
        HANDLE h = ansiPath ? ::CreateFileA(ansiPath, access, share, security, disposition, flags,
                                            templateFile)
                            : ::CreateFileW(widePath, access, share, security, disposition, flags,
                                            templateFile);
        if (h != INVALID_HANDLE_VALUE) return h;
        err = ::GetLastError();
        // A file that is simply not there is not worth the long wait.
        Pause(disposition == OPEN_EXISTING && err == ERROR_FILE_NOT_FOUND ? kNotFoundPauseMs
                                                                          : kPauseMs);
        if (m_tries == kTries) break;
    }
    m_lastError = err;
    std::string path =
        ansiPath ? std::string(ansiPath) : (widePath ? WideToAnsi(widePath) : std::string());
    KILNLOG.Log(LOG_ERROR, "CreateFile_Recover( ) - Error ERR:0x%08X PATH:%s ACCESS:%X SHARE:%X",
                static_cast<unsigned>(err), path.c_str(), static_cast<unsigned>(access),
                static_cast<unsigned>(share));
    ::SetLastError(err);
    return INVALID_HANDLE_VALUE;
}
