#pragma once
// Paths on the SD card are kept without their drive letter, beginning with
// ":"; the letter is put in front when a path is used.
#include <string>

constexpr const char* kCardPcLinkPath = ":\\PCLINK.DAT";
constexpr const char* kCardNaviInfoPath = ":\\PC\\NAVIINFO.DAT";
constexpr const char* kCardSdInfoPath = ":\\PC\\SDINFO.DAT";
constexpr const char* kCardAutorunPath = ":\\AUTORUN.INF";
constexpr const char* kCardPcLauncherExePath = ":\\PC\\PCAPL\\PCLAUNCHER.EXE";
constexpr const char* kCardPcLauncherIniPath = ":\\PC\\PCAPL\\PCLAUNCHER.INI";
constexpr const char* kCardProbeFolder = ":\\PROBE\\";

// Data folders filled by the transfers (their sizes are shown to the user).
constexpr const char* kCardDataFolders[] = {
    ":\\PC\\PROGRAM\\",  ":\\PC\\BT\\",       ":\\PC\\PROBE\\",   ":\\PC\\WEATHER\\",
    ":\\PC\\LUMEN\\",    ":\\UPDATE\\",       ":\\PC\\MAP\\",     ":\\PC\\SEARCH1\\",
    ":\\PC\\SEARCH2\\",  ":\\PC\\SEARCH3\\",  ":\\PC\\SEARCH4\\", ":\\PC\\SEARCH5\\",
    ":\\PC\\SEARCH6\\",  ":\\PC\\SEARCH7\\",  ":\\PC\\SEARCH8\\", ":\\PC\\SEARCH9\\",
    ":\\PC\\SEARCH10\\", ":\\PC\\SEARCH11\\", ":\\PC\\SEARCH12\\"};

// What clearing the card leaves in place.
constexpr const char* kCardKeepList[] = {
    kCardNaviInfoPath,      kCardPcLinkPath,        kCardSdInfoPath, kCardAutorunPath,
    kCardPcLauncherExePath, kCardPcLauncherIniPath, kCardProbeFolder};

// The drive letter in front of a card path ("%C%s"); the letter is made
// upper case.
inline std::string CardPath(char drive, const char* cardPath) {
    char letter = (drive >= 'a' && drive <= 'z') ? static_cast<char>(drive - 'a' + 'A') : drive;
    return std::string(1, letter) + cardPath;
}
// "%C:\"
inline std::string CardRoot(char drive) { return CardPath(drive, ":\\"); }
