#pragma once
// Finding the windows of a started program, shared by the application
// tests.
#include <windows.h>

#include <string>

#include "TestSupport.h"

namespace apptest {

// Looks for the window until it appears, handling this thread's messages
// meanwhile (a window hook of the caller's may be waiting for them).
inline HWND WaitForWindow(const char* cls, const char* title, DWORD ms) {
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms) {
        if (HWND w = ::FindWindowA(cls, title)) return w;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    }
    return nullptr;
}

}  // namespace apptest
