#pragma once
// What the program's manifest declares, for test and benchmark programs that
// carry none: per-monitor aware, version 2 where the system knows it.
#include <windows.h>

namespace qmtest {

inline void DeclareDpiAware() {
    HMODULE user32 = ::GetModuleHandleA("user32.dll");
    using SetContextFn = BOOL(WINAPI*)(HANDLE);
    auto setContext = reinterpret_cast<SetContextFn>(
        reinterpret_cast<void*>(::GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
    if (setContext && setContext(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4)))) return;
    ::SetProcessDPIAware();
}

}  // namespace qmtest
