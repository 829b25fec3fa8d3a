#pragma once
// The SD card as a Windows volume: safe removal, a flush that makes the file
// system write everything out, a writability check and the capacity. Each
// takes the drive letter; the helpers log their own failures.
#include <windows.h>

#include <cstdint>

bool EjectVolume(char drive);
bool FlushVolume(char drive);  // nothing logged here: the caller logs
bool IsWritable(char drive);
uint64_t GetVolumeCapacity(char drive);

// Helpers of EjectVolume.
HANDLE OpenVolume(char drive);  // removable or CD-ROM only; INVALID_HANDLE_VALUE otherwise
bool UnlockVolume(HANDLE volume);
bool LockVolume(HANDLE volume);  // up to 20 tries, 500 ms apart
bool DismountVolume(HANDLE volume);
bool SetMediaRemoval(HANDLE volume, bool prevent);
bool EjectMedia(HANDLE volume);

constexpr int kLockTries = 20;
constexpr DWORD kLockPauseMs = 500;
constexpr const char* kWritableCheckFile = ":\\WritableCheck.test";
