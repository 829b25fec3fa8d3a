#include "common/OsType.h"

#include "common/Mbcs.h"

int OsTypeFromVersion(const OsVersionFacts& v) {
    if (v.win9xPlatform && v.major == 4) {
        switch (v.minor) {
            case 0:
                return EqualsNoCaseMbcs(v.servicePack, " C") ? kOs95C : kOs95;
            case 10:
                return EqualsNoCaseMbcs(v.servicePack, " A") ? kOs98SE : kOs98;
            case 90:
                return kOsMe;
            default:
                return kOsUnknown;
        }
    }
    if (!v.ntPlatform) return kOsUnknown;
    if (v.major == 3 && v.minor == 51) return kOsNT351;
    if (v.major == 4 && v.minor == 0) return kOsNT4;
    if (v.major == 5) {
        switch (v.minor) {
            case 0:
                return kOs2000;
            case 1:
                return kOsXP;
            case 2:
                return v.serverR2 ? kOsServer2003R2 : kOsServer2003;
            default:
                return kOsUnknown;
        }
    }
    if (v.major == 6) {
        switch (v.minor) {
            case 0:
                return v.serverProduct ? kOsServer2008 : kOsVista;
            case 1:
                return kOs7;
            default:
                return kOsLater;
        }
    }
    return v.major > 6 ? kOsLater : kOsUnknown;
}

bool IsSupportedOsType(int code) {
    return code == kOsXP || code == kOsServer2003 || code == kOsServer2003R2 || code >= kOsVista;
}
