#pragma once
// The message pump tests and benchmarks wait with. Header-only, so that
// benchmarks without the test library (the soak) share it.
#include <windows.h>

#include <algorithm>
#include <functional>

namespace qmtest {

// Dispatches this thread's messages until done() holds, asking it after each
// message and at least every 20 ms (it may turn true on another thread or in
// another process), and at once when `wake` (a process, an event) is
// signalled; false when timeoutMs passed first (a failure, never a pause).
// A WM_QUIT is dropped: it is a closed window's, and the test goes on.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 20000,
                      HANDLE wake = nullptr) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
            if (done()) return true;
        }
        if (done()) return true;
        const DWORD waited = ::GetTickCount() - start;
        if (waited >= timeoutMs) return false;
        ::MsgWaitForMultipleObjects(wake ? 1 : 0, wake ? &wake : nullptr, FALSE,
                                    std::min<DWORD>(20, timeoutMs - waited), QS_ALLINPUT);
    }
}

// Dispatches what is queued now.
inline void Drain() {
    PumpUntil([] { return false; }, 0);
}

}  // namespace qmtest
