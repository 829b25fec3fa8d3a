#pragma once
// What the launcher and the two transfer programs (the core process and the
// music tool) agree on: command lines, window names, registered messages,
// named events and the map progress blocks. Portable; the Win32 side is in
// CoreProcess.h.
#include <cstddef>
#include <cstdint>
#include <string>

// Charge kinds: bits of a kind mask and the top byte of the core's result
// codes. In progress messages 0x20 also occurs and counts as map data.
constexpr uint32_t kChargeProbe = 0x01;
constexpr uint32_t kChargeMap = 0x02;
constexpr uint32_t kChargeTraffic = 0x04;
constexpr uint32_t kChargeWeather = 0x08;
constexpr uint32_t kChargeMusic = 0x10;
constexpr uint32_t kChargeMapAlternate = 0x20;
constexpr int32_t kChargeAll = -1;

// Model codes whose units take no navigation-info upload.
constexpr int kModelNoProbeA = 18;
constexpr int kModelNoProbeB = 21;

// Windows of the two programs.
constexpr char kCoreWindowClass[] = "QuillmarchCORE";
constexpr char kCoreWindowTitle[] = "Quillmarch Core";
constexpr char kMusicManualTitle[] = "Quillmarch Music Manual";
constexpr char kMusicSettingTitle[] = "Quillmarch Music Setting";

// Registered window messages.
constexpr char kMsgRequestEnd[] = "WKLRequestEnd";
constexpr char kMsgRequestReconfirm[] = "WKLRequestReconfirm";
constexpr char kMsgSDChange[] = "WKLSDChange";
constexpr char kMsgNotifyProgress[] = "WKLNotifyProgress";
constexpr char kMsgNotifyError[] = "WKLNotifyError";
constexpr char kMsgMapLicense[] = "WKLMapLicense";
constexpr char kMsgMapDownload[] = "WKLMapDownload";
constexpr char kMsgMapVerify[] = "WKLMapVerify";
constexpr char kMsgNoSendProbe[] = "WKLNoSendProbe";
constexpr char kMsgMapProgressStart[] = "WKLMapProgressStart";
constexpr char kMsgMapProgress[] = "WKLMapProgress";
constexpr char kMsgMapProgressEnd[] = "WKLMapProgressEnd";
constexpr char kMsgRequestLogUpLoad[] = "WKLRequestLogUpLoad";
constexpr char kMsgRequestVersionCheck[] = "WKLRequestVersionCheck";
constexpr char kMsgRequestAutoUpdate[] = "WKLRequestAutoUpdate";
constexpr char kMsgRequestStartCharge[] = "WKLRequestStartCharge";

// wParam of the map progress messages.
constexpr uint32_t kMapPhaseDownload = 1;
constexpr uint32_t kMapPhaseTransfer = 2;
constexpr uint32_t kMapPhaseDiskCheck = 3;
// lParam of "WKLMapProgress" with the transfer phase.
constexpr uint32_t kMapTransferChecking = 1;
constexpr uint32_t kMapTransferTimersRestart = 2;

// Named events: the core creates each pair and waits on it; the launcher sets
// one of a pair.
constexpr char kEventMapLicense[] = "Global\\WLKMapLicense";
constexpr char kEventMapLicenseNo[] = "Global\\WLKMapLicenseNo";
constexpr char kEventMapDownload[] = "Global\\WLKMapDownload";
constexpr char kEventMapDownloadNo[] = "Global\\WLKMapDownloadNo";
constexpr char kEventMapVerify[] = "Global\\WLKMapVerify";
constexpr char kEventMapVerifyNo[] = "Global\\WLKMapVerifyNo";
constexpr char kEventMapProbe[] = "Global\\WLKMapProbe";
constexpr char kEventMapProbeNo[] = "Global\\WLKMapProbeNo";

// Map progress blocks (shared memory) and their guarding mutexes.
constexpr char kBlockMapDownload[] = "MapChargeDLProgress";
constexpr char kBlockMapTransfer[] = "MapChargeTRProgress";
constexpr char kBlockMutexSuffix[] = "_MTX_EXT";

// The keyword of a charge kind on the core's command line; null for bits
// that have none.
const char* ChargeKeyword(uint32_t kindBit);
// Whether the unit of this model code takes the navigation-info upload.
bool TakesProbeUpload(int modelCode);

// Parameters that follow the core's path: " /d E /w 0001A2B4 /p map bl".
// launcherWindow is the launcher window handle as the 32 bits every window
// handle fits in. The drive must be a letter 'A' to 'Z'.
std::string BuildCoreParameters(char drive, uint32_t launcherWindow, int32_t kindMask,
                                int modelCode);
// Parameters that follow the music tool's path: " /d E /w 0001A2B4 /m manual".
std::string BuildMusicParameters(char drive, uint32_t launcherWindow, bool manual);

// Guarding mutex of a block: the name plus "_MTX_EXT", with the "Global\"
// prefix on NT 5.0 and later.
std::string BlockMutexName(const char* blockName, bool globalNamespace);
bool UsesGlobalNamespace(unsigned majorVersion, bool ntPlatform);

// One map progress block, little-endian: 0 u32 (not read), 4 u32 line speed
// in bytes per second, 8 u64 size being processed now, 16 u64 cumulative
// size done, 24 u64 total size.
constexpr size_t kMapProgressBlockSize = 32;
struct MapProgressBlock {
    uint32_t lineSpeed = 0;
    uint64_t currentSize = 0;
    uint64_t cumulativeSize = 0;
    uint64_t totalSize = 0;
};
// False (and progress untouched) when fewer than 32 bytes are given.
bool DecodeMapProgressBlock(const unsigned char* bytes, size_t size, MapProgressBlock& progress);
// Writes the 32 bytes; the first four (not read by the launcher) are 0.
void EncodeMapProgressBlock(const MapProgressBlock& progress,
                            unsigned char (&bytes)[kMapProgressBlockSize]);
