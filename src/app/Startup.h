#pragma once
// Start-up helpers of the launcher's entry point.
#include <windows.h>

#include <string>

// Brings a window of this or another process to the front, also when
// another thread owns the foreground.
BOOL ForceForegroundWindow(HWND target);

// Uninstall clean-up: deletes the data folder tree, but only when the path
// is the program's own folder (never the all-users fallback).
void UninstallCleanup();

// Protocol launch: hands "WKLMapDownload" to a running launcher.
void ProtocolLaunch();

// Whether the user of the inserted card (or the last user) is registered,
// with the navigation model type handed to the launcher. The first card from
// D: upwards decides; without a card the user list's last user does. Logs
// what it found.
struct RegistrationStatus {
    bool registered = false;
    int navigationModelType = 1;
};
RegistrationStatus GetRegistrationStatus();
