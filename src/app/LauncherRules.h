#pragma once
// The launcher's decisions that need no window: when charges start, how a
// map question is handled and answered, when a card notice leads to a
// rescan and what the rescan found, the capacity a unit needs, the hint
// index of a menu button and the frame of a progress tile. Portable: the
// launcher acts on the results, the native tests pin them.
#include <cstdint>
#include <string>
#include <vector>

// --- starting charges ----------------------------------------------------------
// Update-check results the launcher tells apart.
constexpr int kUpdateNewer = 1;
constexpr int kUpdateLatest = 2;

constexpr int32_t kChargeMaskAll = -1;
constexpr int32_t kChargeMaskMusic = 0x10;
constexpr int32_t kChargeMaskTraffic = 0x04;
// Map, traffic, weather and music: what a map re-request charges.
constexpr int32_t kChargeMaskRefresh = 0x1E;

enum class StartChargeAction { None, AllKinds, MusicOnly };
struct StartChargeDecision {
    StartChargeAction action = StartChargeAction::None;
    int32_t mask = 0;
    bool stopReaskTimer = false;
    const char* log = nullptr;  // format of the LOG_NORMAL line (RET:0x%08X takes the result)
};
StartChargeDecision DecideStartCharge(int updateResult, bool hasCard);

// --- map questions ----------------------------------------------------------------
// The "show" keys of the Map section that can silence a request type.
struct MapNotifySettings {
    int notifyMessage = 1;      // type 0
    int notifyLoseReserve = 1;  // type 1
    int notifyRemind = 1;       // type 2
    int notifyPassword = 1;     // type 4
};
enum class MapRequestAction {
    Show,       // the map notification window in `mode`
    AnswerNo,   // silenced: post the end message (type, 0) at once
    AskBox,     // a coded Yes/No box decides (type 0xEF)
    Undefined,  // logged as an error, nothing else
};
struct MapRequestDecision {
    MapRequestAction action = MapRequestAction::Undefined;
    int mode = -1;
    const char* log = nullptr;  // LOG_NORMAL line of an immediate answer
};
MapRequestDecision DecideMapRequest(uint32_t type, const MapNotifySettings& settings);

// What the end of a map question sets off.
struct MapAnswerDecision {
    bool known = false;
    const char* eventName = nullptr;  // the core's named event to set, or none
    bool startReaskTimer = false;     // the five-minute re-ask
    bool startRefreshCharge = false;  // the core with kChargeMaskRefresh
    int silenceKey = -1;              // with "do not show again": 0 MapNotifyMessage,
                                      // 1 LoseReserve, 2 Remind, 4 Password, -1 none
};
MapAnswerDecision DecideMapAnswer(uint32_t type, bool accepted);

// One day in FILETIME units (100 ns).
constexpr uint64_t kFileTimeDay = 864000000000ull;
// A question declined "later" stays quiet for three days after its date.
bool IsWithinQuietDays(uint64_t declinedAt, uint64_t now, int days = 3);
// The last traffic update counts as stale after 15 minutes.
constexpr uint64_t kTrafficStaleAfter = 9000000000ull;
struct TrafficQuestionFacts {
    bool settingsLoaded = false;
    int transmitTraffic = 0;  // "TransmitExe3"
    int exitMode = 0;         // 0 none, 1 eject, 2 close
    bool hasLastUpdate = false;
    uint64_t lastUpdate = 0;  // FILETIME of the local time
    uint64_t now = 0;
    bool hasCard = false;
};
bool IsTrafficQuestionDue(const TrafficQuestionFacts& facts);

// --- card notices ------------------------------------------------------------------
// Shell events that count as card notices: media in and out, drives added
// and removed.
bool IsCardNoticeEvent(uint32_t event);

// One rescan a second after the last notice. The window arms its timer with
// kRescanDelayMs whenever Notice says so; the first notice of a burst also
// starts the search animation.
constexpr unsigned kRescanDelayMs = 1000;
class CCardNoticeDebounce {
public:
    // True when this notice starts a burst (nothing pending yet).
    bool Notice() {
        const bool first = !m_pending;
        m_pending = true;
        ++m_notices;
        return first;
    }
    // The timer fired: true when a rescan is due (clears the burst).
    bool TakeRescan() {
        if (!m_pending) return false;
        m_pending = false;
        return true;
    }
    bool Pending() const { return m_pending; }
    unsigned Notices() const { return m_notices; }

private:
    bool m_pending = false;
    unsigned m_notices = 0;
};

// After "WKLRequestEnd" the launcher waits (10 x 100 ms) while these tools
// are still there: a card change or an eject for the core and the music
// Setting window, the exit's traffic charge for the core and either music window.
enum class ToolsWait { CardChange, Exit };
bool ToolsStillThere(ToolsWait wait, bool core, bool musicSetting, bool musicManual);

// Not-ready retries during a disk check of the map transfer.
constexpr int kNotReadyRetries = 180;
constexpr uint32_t kErrorNotReady = 21;

// What the scan saw of one drive.
struct ScannedDrive {
    char letter = 0;
    bool writable = true;
    bool registered = true;
    int modelType = 1;  // navigation model type of its PC-link file
};
enum class RescanOutcome { SameCard, NewCard, OtherModel, NoCard };
struct RescanDecision {
    RescanOutcome outcome = RescanOutcome::NoCard;
    char candidate = 0;
    bool readOnlySeen = false;
    bool unregisteredSeen = false;
    std::vector<char> readOnly;  // letters to log, in scan order
};
// The walk over the scan list: a read-only drive is skipped and noted, an
// unregistered one is noted (its message is shown), the current card stops
// the walk, the first other registered drive is the candidate.
RescanDecision DecideRescan(const std::vector<ScannedDrive>& drives, char current,
                            int navigationModelType);

// The message code of a card too small for its unit, 0 when it is large enough.
uint32_t CapacityMessage(int modelCode, int navigationModelType, uint64_t totalBytes);

// --- display -------------------------------------------------------------------------
// Hint index of a menu button (main, sub; sub -1 for a root button); 0 for
// anything else, also the pointer leaving (-1, -1).
int MenuHintIndex(int main, int sub);
// Frame of a running kind's tile by percentage; `odd` is the 500 ms toggle.
int ProgressFrame(int percent, bool odd);
// Card models without navigation-info upload.
inline bool IsMothModelCode(int modelCode) { return modelCode == 18 || modelCode == 21; }
// Left edges of the five tiles (probe, map, traffic, weather, music), laid
// out from the skin's places of the first and the last one, never from where
// an earlier layout put them. Without the probe tile (its left is then the
// skin's) the other four close up over the same width.
struct TileLefts {
    int left[5];
};
TileLefts LayOutTileLefts(int firstLeft, int lastLeft, int width, bool withoutProbe);
