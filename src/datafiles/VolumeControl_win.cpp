#include "datafiles/VolumeControl.h"

#include <winioctl.h>

#include <cstdio>
#include <string>

#include "common/KilnLog.h"
#include "common/WinHandle.h"
#include "datafiles/CardPaths.h"

namespace {

std::string DevicePath(char drive) {
    char path[8];
    std::snprintf(path, sizeof path, "\\\\.\\%c:", drive);
    return path;
}

bool Control(HANDLE volume, DWORD code, void* in, DWORD inSize) {
    DWORD returned = 0;
    return ::DeviceIoControl(volume, code, in, inSize, nullptr, 0, &returned, nullptr) != FALSE;
}

}  // namespace

HANDLE OpenVolume(char drive) {
    char root[8];
    std::snprintf(root, sizeof root, "%c:\\", drive);
    UINT type = ::GetDriveTypeA(root);
    DWORD access;
    if (type == DRIVE_REMOVABLE) {
        access = GENERIC_READ | GENERIC_WRITE;
    } else if (type == DRIVE_CDROM) {
        access = GENERIC_READ;
    } else {
        KILNLOG.Log(LOG_ERROR, "EjectVolume ボリューム種別NG (%d)", static_cast<int>(type));
        return INVALID_HANDLE_VALUE;
    }
    HANDLE h = ::CreateFileA(DevicePath(drive).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        KILNLOG.Log(LOG_ERROR, "EjectVolume CreatFile失敗 ERR:0x%08X",
                    static_cast<unsigned>(::GetLastError()));
    return h;
}

bool UnlockVolume(HANDLE volume) {
    if (Control(volume, FSCTL_UNLOCK_VOLUME, nullptr, 0)) return true;
    KILNLOG.Log(LOG_NORMAL, "DeviceIoControl - FSCTL_UNLOCK_VOLUME ERR:0x%08X",
                static_cast<unsigned>(::GetLastError()));
    return false;
}

bool LockVolume(HANDLE volume) {
    // A lock left from earlier would stand in the way.
    UnlockVolume(volume);
    DWORD err = 0;
    for (int i = 0; i < kLockTries; ++i) {
        if (Control(volume, FSCTL_LOCK_VOLUME, nullptr, 0)) return true;
        err = ::GetLastError();
        ::Sleep(kLockPauseMs);
    }
    KILNLOG.Log(LOG_ERROR, "DeviceIoControl - FSCTL_LOCK_VOLUME ERR:0x%08X",
                static_cast<unsigned>(err));
    return false;
}

bool DismountVolume(HANDLE volume) {
    if (Control(volume, FSCTL_DISMOUNT_VOLUME, nullptr, 0)) return true;
    KILNLOG.Log(LOG_ERROR, "DeviceIoControl - FSCTL_DISMOUNT_VOLUME ERR:0x%08X",
                static_cast<unsigned>(::GetLastError()));
    return false;
}

bool SetMediaRemoval(HANDLE volume, bool prevent) {
    PREVENT_MEDIA_REMOVAL pmr = {};
    pmr.PreventMediaRemoval = prevent ? TRUE : FALSE;
    if (Control(volume, IOCTL_STORAGE_MEDIA_REMOVAL, &pmr, sizeof pmr)) return true;
    KILNLOG.Log(LOG_ERROR, "DeviceIoControl - IOCTL_STORAGE_MEDIA_REMOVAL ERR:0x%08X",
                static_cast<unsigned>(::GetLastError()));
    return false;
}

bool EjectMedia(HANDLE volume) {
    if (Control(volume, IOCTL_STORAGE_EJECT_MEDIA, nullptr, 0)) return true;
    KILNLOG.Log(LOG_ERROR, "DeviceIoControl - IOCTL_STORAGE_EJECT_MEDIA ERR:0x%08X",
                static_cast<unsigned>(::GetLastError()));
    return false;
}

bool EjectVolume(char drive) {
    HANDLE raw = OpenVolume(drive);
    if (raw == INVALID_HANDLE_VALUE) return false;
    bool result = false;
    if (LockVolume(raw) && DismountVolume(raw)) {
        result = true;
        // The medium may refuse to move (a card reader without a motor);
        // the volume is safe to pull all the same.
        if (EjectMedia(raw)) SetMediaRemoval(raw, false);
    }
    UnlockVolume(raw);
    // Closing is part of the outcome here, so the handle is not left to an owner.
    if (!::CloseHandle(raw)) return false;
    return result;
}

bool FlushVolume(char drive) {
    qm::CFileHandle volume(::CreateFileA(DevicePath(drive).c_str(), GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         0, nullptr));
    if (!volume) return true;  // nothing to flush through
    DWORD returned = 0;
    ::DeviceIoControl(volume.Get(), FSCTL_UNLOCK_VOLUME, nullptr, 0, nullptr, 0, &returned,
                      nullptr);
    // Taking the lock makes the file system write out what it holds.
    bool locked = Control(volume.Get(), FSCTL_LOCK_VOLUME, nullptr, 0);
    bool unlocked = Control(volume.Get(), FSCTL_UNLOCK_VOLUME, nullptr, 0);
    return locked && unlocked;
}

bool IsWritable(char drive) {
    if (!((drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z'))) return false;
    const std::string path = CardPath(drive, kWritableCheckFile);
    ::DeleteFileA(path.c_str());
    qm::CFileHandle test(::CreateFileA(path.c_str(), GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr));
    if (!test) return false;
    test.Reset();
    ::DeleteFileA(path.c_str());
    return true;
}

uint64_t GetVolumeCapacity(char drive) {
    ULARGE_INTEGER avail = {}, total = {}, free = {};
    if (!::GetDiskFreeSpaceExA(CardRoot(drive).c_str(), &avail, &total, &free)) return 0;
    return total.QuadPart;
}
