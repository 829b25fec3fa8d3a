#include <windows.h>

#include "common/OsType.h"

int GetOsType() {
    OSVERSIONINFOEXA vi = {};
    vi.dwOSVersionInfoSize = sizeof vi;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&vi))) {
        vi = {};
        vi.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        if (!::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&vi))) return kOsUnknown;
    }
#pragma GCC diagnostic pop
    OsVersionFacts f;
    f.major = vi.dwMajorVersion;
    f.minor = vi.dwMinorVersion;
    f.ntPlatform = vi.dwPlatformId == VER_PLATFORM_WIN32_NT;
    f.win9xPlatform = vi.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
    f.servicePack = vi.szCSDVersion;
    f.serverR2 = ::GetSystemMetrics(SM_SERVERR2) != 0;
    f.serverProduct = vi.wProductType == VER_NT_SERVER;
    return OsTypeFromVersion(f);
}
