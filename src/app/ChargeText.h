#pragma once
// The texts the launcher and its map notification window show about a charge:
// the status line (with its dots, the map percentage, remaining time and
// speed), how a completion code is classed, the reserved date and the
// estimated download time. Portable: the windows set these texts, the native
// tests pin them byte for byte.
#include <cstdint>
#include <string>

// --- status indices --------------------------------------------------------
// Running: 1 probe, 2 map, 3 traffic, 4 weather, 5 music, 6 server check.
// Results: base + 0 done, + 1 failed, + 2 skipped, + 3 no new data, with the
// bases 10 (probe), 14 (map), 18 (traffic), 22 (weather), 26 (music).
constexpr int kStatusNone = 0;
constexpr int kStatusServerCheck = 6;
constexpr int kStatusMenuOpen = 40;
constexpr int kStatusMenuClose = 41;
constexpr int kStatusEject = 60;
constexpr int kStatusAbort = 61;
// Indices up to this one follow the running charge; hints lie above it.
constexpr int kStatusLastCharge = 6;

// The text of a status index; empty for an index that has none.
std::string GetStatusText(int index);

// Running status of a kind bit from "WKLNotifyProgress" (0x20 counts as the
// map); 0 for any other bit.
int RunningStatusOfKind(uint32_t kindBit);

// --- map progress record -----------------------------------------------------
enum MapRecordKind : uint32_t {
    kMapRecordNone = 0,
    kMapRecordDownload = 1,
    kMapRecordTransfer = 2,
    kMapRecordChecking = 3,
    kMapRecordDiskCheck = 4,
};
// Display phases of the map line.
constexpr int kMapPhaseLabel = 1;
constexpr int kMapPhasePercent = 2;
constexpr int kMapPhaseSpeed = 3;

struct MapProgressRecord {
    uint32_t kind = kMapRecordNone;
    uint64_t totalSize = 0;
    uint64_t cumulativeSize = 0;
    uint64_t remainingSeconds = 0;
    double percent = 0.0;
    uint64_t currentSize = 0;
    uint32_t lineSpeed = 0;  // bytes per second
};

// cumulative / total x 100, at most 100; 0 when total is 0.
double MapPercent(uint64_t cumulative, uint64_t total);
// Remaining time right after "WKLMapProgressStart": (total - cumulative) /
// speed while below 100 % and speed > 0, 0 at 100 %, at least 9 s.
uint64_t MapStartRemaining(const MapProgressRecord& r);
// Remaining time after a block read with speed > 0: 0 at 100 %, else the new
// estimate when it is at least 5 s or above the stored one (below 5 s the
// time shown never goes down); the stored one otherwise.
uint64_t MapUpdatedRemaining(const MapProgressRecord& r);

// " 1:02:05": "%2d:%02d:%02d", 99:59:59 from 100 hours on.
std::string FormatRemainingTime(uint64_t seconds);
// "%s％完了　残り時間 約 %s": "--" for 0.0 %, "-:--:--" when both are 0.
std::string FormatMapPercentLine(double percent, uint64_t remainingSeconds);
// "通信速度 約 %6.1f Mbps" (download, bits per second in decimal units) or
// "転送速度 約 %6.1f MB/秒" (transfer, bytes per second in binary units);
// empty for other record kinds.
std::string FormatLineSpeed(uint32_t recordKind, double bytesPerSecond);
// Three slots, "．" for slot n below the dot counter, else two blanks.
std::string FormatDots(int dotCounter);

// The status line for index i (`ProcessStatusText`).
std::string BuildStatusText(int index, int dotCounter, const MapProgressRecord& map,
                            int displayPhase);

// --- completion --------------------------------------------------------------
enum class ChargeOutcome { Ignored, Done, Failed, Skipped, NoNewData };
struct ChargeCompletion {
    uint32_t kindBit = 0;  // code >> 24
    uint32_t result = 0;   // low 24 bits
    ChargeOutcome outcome = ChargeOutcome::Ignored;
    int statusIndex = kStatusNone;   // the kind's result status
    int frame = 0;                   // progress image frame (6 done, 5 skipped/no data, 1 else)
    bool showMessage = false;        // a coded message box follows
    bool withdrawn = false;          // the user's registration was withdrawn
    bool offerRegistration = false;  // Yes opens the customer registration page
};
// Classes a "WKLNotifyError" code; kinds other than the five bits are
// Ignored (they still may show a message).
ChargeCompletion ClassifyCompletion(uint32_t code);

// --- map notification texts -------------------------------------------------
// "20%02X年%02X月%02X日" of a reserved date 0x00YYMMDD in BCD.
std::string FormatReservedDate(uint32_t bcdDate);
// "%d:%02d" hours and minutes of an estimated download time.
std::string FormatEstimatedTime(uint32_t seconds);
// The question of a map notification type (0 to 5, 7, 8) for the navigation
// model type (2: licence agreement wording), with its one argument; empty
// for a type that has none.
std::string GetMapNotifyText(int type, int modelType, uint32_t argument);
// The map notification mode a "WKLMapLicense" request type is shown in
// (0->0, 1->3, 2->2, 3->4, 4->1, 5->5); -1 for the others.
int MapNotifyModeOfRequest(uint32_t requestType);
