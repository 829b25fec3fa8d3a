#pragma once
// Starting a copy of the program and finding its windows, shared by the
// application tests.
#include <windows.h>

#include <string>

namespace apptest {

// Starts exe with the given arguments; the process handle, or null.
inline HANDLE Launch(const std::string& exe, const std::string& args = "") {
    std::string cmd = "\"" + exe + "\" " + args;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                          &pi))
        return nullptr;
    ::CloseHandle(pi.hThread);
    return pi.hProcess;
}

inline HWND WaitForWindow(const char* cls, const char* title, DWORD ms) {
    for (DWORD waited = 0; waited < ms; waited += 50) {
        if (HWND w = ::FindWindowA(cls, title)) return w;
        ::Sleep(50);
    }
    return nullptr;
}

}  // namespace apptest
