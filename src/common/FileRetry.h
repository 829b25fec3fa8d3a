#pragma once
// File operations that retry before giving up: cards are slow to wake and
// virus scanners hold files for a moment. Three tries, a pause after every
// failed one; a stop event cuts the pauses short when the thread must end.
#include <windows.h>

class CFileRetry {
public:
    explicit CFileRetry(HANDLE stopEvent = nullptr) : m_stopEvent(stopEvent) {}
    virtual ~CFileRetry() = default;

    BOOL ReadFile_Recover(HANDLE file, void* buffer, DWORD size, DWORD* bytesRead,
                          OVERLAPPED* overlapped);
    BOOL WriteFile_Recover(HANDLE file, const void* buffer, DWORD size, DWORD* bytesWritten,
                           OVERLAPPED* overlapped);
    // Opens by ansiPath when given, otherwise by widePath.
    HANDLE CreateFile_Recover(const char* ansiPath, DWORD access, DWORD share,
                              SECURITY_ATTRIBUTES* security, DWORD disposition, DWORD flags,
                              HANDLE templateFile, const wchar_t* widePath = nullptr);

    // OS error of the last operation that gave up; 0 until then.
    DWORD GetLastError() const { return m_lastError; }
    // How many times the last operation was tried (1: it worked at once).
    int LastTries() const { return m_tries; }

    static constexpr int kTries = 3;
    static constexpr DWORD kPauseMs = 3000;
    static constexpr DWORD kNotFoundPauseMs = 500;

protected:
    // The wait after a failed try: on the stop event when there is one.
    virtual void Pause(DWORD ms);

private:
    DWORD m_lastError = 0;
    int m_tries = 0;
    HANDLE m_stopEvent;
};
