#pragma once
// The program's OS type code: which Windows it runs on. The mapping from the
// version facts is portable; GetOsType (OsType_win.cpp) asks the system.
#include <string>

struct OsVersionFacts {
    unsigned major = 0;
    unsigned minor = 0;
    bool ntPlatform = false;     // VER_PLATFORM_WIN32_NT
    bool win9xPlatform = false;  // VER_PLATFORM_WIN32_WINDOWS
    std::string servicePack;     // szCSDVersion
    bool serverR2 = false;       // GetSystemMetrics(SM_SERVERR2) != 0
    bool serverProduct = false;  // wProductType == VER_NT_SERVER
};

enum OsTypeCode : int {
    kOsUnknown = 0,
    kOsNT351 = 1,
    kOs95 = 2,
    kOs95C = 3,
    kOsNT4 = 4,
    kOs98 = 5,
    kOs98SE = 6,
    kOsMe = 7,
    kOs2000 = 8,
    kOsXP = 9,
    kOsServer2003 = 10,
    kOsServer2003R2 = 11,
    kOsVista = 12,
    kOsServer2008 = 13,
    kOs7 = 14,
    kOsLater = 15,
};

int OsTypeFromVersion(const OsVersionFacts& v);
// XP, Server 2003 (R2) and Vista onwards.
bool IsSupportedOsType(int code);

// The running Windows as an OS type code (Windows build only).
int GetOsType();
