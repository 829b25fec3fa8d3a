#pragma once
// GDI and USER objects of this process, for leak checks. Wine does not count
// them (GetGuiResources answers 0): there the live GDI handles are found by
// index (a handle whose upper word is 0 names whatever lives at that index)
// and the USER objects are the windows of this thread and their children.
#include <windows.h>

namespace guiobjects {

inline BOOL CALLBACK CountWindow(HWND window, LPARAM param) {
    ++*reinterpret_cast<DWORD*>(param);
    ::EnumChildWindows(window, CountWindow, param);
    return TRUE;
}

inline DWORD Gdi() {
    DWORD count = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    if (count) return count;
    for (UINT_PTR index = 1; index < 0x10000; ++index)
        if (::GetObjectType(reinterpret_cast<HGDIOBJ>(index))) ++count;
    return count;
}

inline DWORD User() {
    DWORD count = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
    if (!count)
        ::EnumThreadWindows(::GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

}  // namespace guiobjects
