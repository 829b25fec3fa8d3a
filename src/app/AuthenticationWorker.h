#pragma once
// The first run's authentication of the card's unit with the web service, on
// a worker thread. The window fills a job, starts AuthenticationThread with
// it and keeps the job (and itself) alive until the worker has ended; the
// worker reports only by posting kAuthDoneMessage with its result code in
// lParam. The request is cancelled only through the job's cancel event.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// The worker's end: lParam = the result code (InitializationWindowRules.h).
constexpr UINT kAuthDoneMessage = WM_APP + 4;
// The cancel event the window creates (auto-reset, initially not signalled).
constexpr char kAuthCancelEventName[] = "EventInitializationCancel";
// How long a cancelled request may take to stop.
constexpr DWORD kAuthAbortWaitMs = 25000;

struct AuthenticationJob {
    HWND window = nullptr;  // receives kAuthDoneMessage
    HANDLE cancelEvent = nullptr;
    // Read by the worker.
    std::string nickname;
    std::string password;
    std::vector<char>* drives = nullptr;  // refilled when found empty
    // Written by the worker from the first card's PC-link file.
    std::string deviceNo;
    uint32_t ccid = 0;
    uint32_t modelType = 0;
};

// The whole exchange on the calling thread: card, request, answer, user
// list. Logs every failure and returns the result code; posts nothing.
uint32_t RunAuthentication(AuthenticationJob& job);

// The thread function (_beginthreadex): RunAuthentication, its log record,
// and the post to the job's window. Without a window (or job) it logs and
// returns 255 without report.
unsigned __stdcall AuthenticationThread(void* job);
