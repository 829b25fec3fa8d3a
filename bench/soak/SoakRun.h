#pragma once
// A long day of the launcher in one process, for the soak benchmark and its
// short run in the test suite: cycle after cycle a card arrives (registered
// cards of both generations and of another model, in turn), the start-up
// chain or a charge runs with the stand-in core playing one scenario of a
// rotation, the menu and the information windows are opened and closed, and
// the card is ejected or pulled. Each cycle's outcome is checked against what
// the user must see; the process's objects, handles, memory and threads and
// the log folder are sampled between cycles.
//
// Needs the launcher tests' prefix (E: removable, the build registered as the
// installation) and the stand-in web service (QM_SERVICE_HOST), as
// tests/win/soak/run-with-service provides. Timers are driven by their
// messages; waits are on messages, the core's process and windows.
#include <windows.h>
// after windows.h
#include <dbt.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/ChargeText.h"
#include "app/LauncherWindow.h"
#include "app/MapChargeWindow.h"
#include "app/MenuWindow.h"
#include "app/SDInfoWindow.h"
#include "app/SettingWindow.h"
#include "app/VersionWindow.h"
#include "common/CoreBridge.h"
#include "common/CoreProcess.h"
#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "common/KilnLog.h"
#include "common/LogRecord.h"
#include "common/MessageCatalog.h"
#include "common/WickerdaleConfig.h"
#include "common/WinHandle.h"
#include "datafiles/UserListFile.h"
#include "net/ConnectionFile.h"
#include "tests/support/BoxWatcher.h"
#include "tests/support/PumpUntil.h"
#include "tests/support/ServiceControl.h"
#include "tests/support/TestSupport.h"
#include "tests/win/wfc/GuiObjects.h"
#include "ui/Skin.h"
#include "ui/SkinWindowItem.h"
#include "wfc/Library.h"

namespace soak {

// --- what is measured ----------------------------------------------------------------------

struct Sample {
    DWORD gdi = 0, user = 0, handles = 0, threads = 0;
    // Screen DCs (window DCs of their own and the system's cache for GetDC
    // and BeginPaint), and how many of the cache's are free (FreeCachedDCs,
    // set by the caller at the end only).
    DWORD screenDCs = 0;
    int freeDCs = 0;
    // Private bytes with what the system's pool workers hold taken out.
    SIZE_T privateBytes = 0, poolWorkerBytes = 0;
    uint64_t logFolderBytes = 0;
};

using QueryThread = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);

inline QueryThread NtQueryThread() {
    static const auto query = reinterpret_cast<QueryThread>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread")));
    return query;
}

// Whether a thread was started in ntdll: the system's thread-pool workers,
// which come and go with the pool's idle time-out whatever the program does.
inline bool StartedInNtdll(HANDLE thread) {
    void* start = nullptr;
    const int kWin32StartAddress = 9;
    if (!NtQueryThread() ||
        NtQueryThread()(thread, kWin32StartAddress, &start, sizeof start, nullptr) != 0)
        return false;
    HMODULE module = nullptr;
    return ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                    GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                static_cast<const char*>(start), &module) &&
           module == ::GetModuleHandleA("ntdll.dll");
}

// The committed private memory of a thread's stack: the whole allocation
// its TEB's stack limit lies in.
inline SIZE_T StackBytes(HANDLE thread) {
    struct BasicInformation {
        LONG exitStatus;
        NT_TIB* teb;
        void* clientProcess;
        void* clientThread;
        ULONG_PTR affinity;
        LONG priority, basePriority;
    } basic = {};
    const int kBasicInformation = 0;
    MEMORY_BASIC_INFORMATION info;
    if (!NtQueryThread() ||
        NtQueryThread()(thread, kBasicInformation, &basic, sizeof basic, nullptr) != 0 ||
        !basic.teb || !::VirtualQuery(basic.teb->StackLimit, &info, sizeof info))
        return 0;
    const void* base = info.AllocationBase;
    SIZE_T total = 0;
    for (const char* at = static_cast<const char*>(base);
         ::VirtualQuery(at, &info, sizeof info) == sizeof info && info.AllocationBase == base;
         at += info.RegionSize)
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
    return total;
}

// Wine answers 0 for the handle count: there the open handles are found by
// value (kernel handles are multiples of 4 from 4 up).
inline DWORD HandleCount() {
    DWORD count = 0;
    if (::GetProcessHandleCount(::GetCurrentProcess(), &count) && count) return count;
    for (UINT_PTR value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        count += ::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != 0;
    }
    return count;
}

// Committed private memory; where the system does not say (Wine answers 0),
// the committed private regions of the address space summed.
inline SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    if (::K32GetProcessMemoryInfo(::GetCurrentProcess(),
                                  reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                                  sizeof memory) &&
        memory.PrivateUsage)
        return memory.PrivateUsage;
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION info;
    for (const char* at = nullptr; ::VirtualQuery(at, &info, sizeof info) == sizeof info;
         at = static_cast<const char*>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
        if (static_cast<const char*>(info.BaseAddress) + info.RegionSize < at) break;
    }
    return total;
}

inline DWORD WINAPI ParkedThread(void* events) {
    ::SetEvent(static_cast<HANDLE*>(events)[0]);
    ::WaitForSingleObject(static_cast<HANDLE*>(events)[1], INFINITE);
    return 0;
}

// The private memory a thread costs beyond its stack (under Wine a kernel
// stack of its own, which no documented field names): measured on a parked
// thread of our own, the least of three tries, once.
inline SIZE_T ThreadOverheadBytes() {
    static const SIZE_T overhead = [] {
        SIZE_T least = ~SIZE_T(0);
        for (int i = 0; i < 3; ++i) {
            qm::CHandle started(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
            qm::CHandle finish(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
            HANDLE events[2] = {started.Get(), finish.Get()};
            const SIZE_T before = PrivateBytes();
            qm::CHandle thread(::CreateThread(nullptr, 0, ParkedThread, events, 0, nullptr));
            if (!thread.Get()) return SIZE_T(0);
            ::WaitForSingleObject(started.Get(), INFINITE);
            const SIZE_T after = PrivateBytes(), stack = StackBytes(thread.Get());
            ::SetEvent(finish.Get());
            ::WaitForSingleObject(thread.Get(), INFINITE);
            least = std::min(least, after > before + stack ? after - before - stack : 0);
        }
        return least;
    }();
    return overhead;
}

// The process's threads, the system's pool workers aside, and the private
// memory those workers hold (their stacks and what each thread costs
// beside), which comes and goes with them.
inline void CountThreads(DWORD& threads, SIZE_T& poolWorkerBytes) {
    threads = 0;
    poolWorkerBytes = 0;
    qm::CHandle snap(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 t = {sizeof t};
    for (BOOL more = ::Thread32First(snap.Get(), &t); more; more = ::Thread32Next(snap.Get(), &t)) {
        if (t.th32OwnerProcessID != ::GetCurrentProcessId()) continue;
        qm::CHandle thread(::OpenThread(THREAD_QUERY_INFORMATION, FALSE, t.th32ThreadID));
        if (thread.Get() && StartedInNtdll(thread.Get()))
            poolWorkerBytes += StackBytes(thread.Get()) + ThreadOverheadBytes();
        else
            ++threads;
    }
}

// The live GDI objects in a few words each (found as guiobjects::Gdi finds
// them under Wine), counted by description: a bitmap's size, a font's face
// and height, a brush's colour, a region's box, the bitmap a DC holds. Two
// of them compared tell which kind a change in the count is made of, where
// the handles' values change from cycle to cycle.
using GdiCensus = std::map<std::string, int>;
inline std::string DescribeGdi(HGDIOBJ h, DWORD type) {
    char text[160];
    switch (type) {
        case OBJ_BITMAP: {
            BITMAP b = {};
            ::GetObjectA(h, sizeof b, &b);
            std::snprintf(text, sizeof text, "bitmap %ldx%ld %u bpp", b.bmWidth, b.bmHeight,
                          b.bmBitsPixel);
            break;
        }
        case OBJ_FONT: {
            LOGFONTA f = {};
            ::GetObjectA(h, sizeof f, &f);
            std::snprintf(text, sizeof text, "font %ld %s", f.lfHeight, f.lfFaceName);
            break;
        }
        case OBJ_BRUSH: {
            LOGBRUSH b = {};
            ::GetObjectA(h, sizeof b, &b);
            std::snprintf(text, sizeof text, "brush style %u colour %06lX", b.lbStyle, b.lbColor);
            break;
        }
        case OBJ_REGION: {
            RECT r = {};
            ::GetRgnBox(static_cast<HRGN>(h), &r);
            std::snprintf(text, sizeof text, "region (%ld,%ld)-(%ld,%ld)", r.left, r.top, r.right,
                          r.bottom);
            break;
        }
        case OBJ_DC:
        case OBJ_MEMDC: {
            BITMAP b = {};
            ::GetObjectA(::GetCurrentObject(static_cast<HDC>(h), OBJ_BITMAP), sizeof b, &b);
            std::snprintf(text, sizeof text, "%s on %ldx%ld", type == OBJ_DC ? "DC" : "memory DC",
                          b.bmWidth, b.bmHeight);
            break;
        }
        default:
            std::snprintf(text, sizeof text, "type %lu", type);
    }
    return text;
}
inline GdiCensus TakeGdiCensus() {
    GdiCensus census;
    for (UINT_PTR index = 1; index < 0x10000; ++index) {
        const HGDIOBJ h = reinterpret_cast<HGDIOBJ>(index);
        if (const DWORD type = ::GetObjectType(h)) ++census[DescribeGdi(h, type)];
    }
    return census;
}
// "+N what" for each description `now` holds more of, "-N what" for fewer.
inline std::vector<std::string> GdiChanges(const GdiCensus& before, const GdiCensus& now) {
    GdiCensus change = now;
    for (const auto& [what, n] : before) change[what] -= n;
    std::vector<std::string> lines;
    for (const auto& [what, n] : change)
        if (n) lines.push_back((n > 0 ? "+" : "") + std::to_string(n) + " " + what);
    return lines;
}

// Windows keep a cache of device contexts for GetDC and BeginPaint that
// grows to the most ever held at once and never shrinks; under Wine each is
// a GDI object (and its region another). How many of them are free: taken
// one after another until taking one makes a new one (which then stays in
// the cache: call it once, after the last measure).
inline int FreeCachedDCs() {
    auto dcs = [] {
        int n = 0;
        for (UINT_PTR index = 1; index < 0x10000; ++index)
            n += ::GetObjectType(reinterpret_cast<HGDIOBJ>(index)) == OBJ_DC;
        return n;
    };
    const int before = dcs();
    std::vector<HDC> held;
    int free = 0;
    while (free < 64) {
        const HDC dc = ::GetDC(nullptr);
        if (!dc) break;
        held.push_back(dc);
        if (dcs() > before) break;
        ++free;
    }
    for (HDC dc : held) ::ReleaseDC(nullptr, dc);
    return free;
}

inline Sample Measure() {
    Sample s;
    s.gdi = guiobjects::Gdi();
    for (UINT_PTR index = 1; index < 0x10000; ++index)
        s.screenDCs += ::GetObjectType(reinterpret_cast<HGDIOBJ>(index)) == OBJ_DC;
    s.user = guiobjects::User();
    s.handles = HandleCount();
    // A worker may come or go between the two counts: take them again until
    // the workers' memory is the same on either side.
    for (int tries = 0; tries < 5; ++tries) {
        SIZE_T before = 0;
        CountThreads(s.threads, before);
        const SIZE_T all = PrivateBytes();
        CountThreads(s.threads, s.poolWorkerBytes);
        s.privateBytes = all - std::min(all, s.poolWorkerBytes);
        if (before == s.poolWorkerBytes) break;
    }
    s.logFolderBytes = GetFolderSize(GetLogFolder().c_str());
    return s;
}

// --- small file helpers ------------------------------------------------------------------------

using qmtest::Env;

inline std::string ReadBytes(const std::string& path) {
    std::string bytes;
    qm::CFileHandle f(::CreateFileA(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    if (!f) return bytes;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(f.Get(), buffer, sizeof buffer, &got, nullptr) && got)
        bytes.append(buffer, got);
    return bytes;
}

inline bool WriteBytes(const std::string& path, const std::string& bytes) {
    qm::CFileHandle f(
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD done = 0;
    return f && ::WriteFile(f.Get(), bytes.data(), DWORD(bytes.size()), &done, nullptr) &&
           done == bytes.size();
}

// Copies the tree below `from` into `to` (both ending in '\\'); false at the
// first file that does not copy.
inline bool CopyTree(const std::string& from, const std::string& to) {
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((from + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ok = (::CreateDirectoryA((to + name).c_str(), nullptr) ||
                  ::GetLastError() == ERROR_ALREADY_EXISTS) &&
                 CopyTree(from + name + "\\", to + name + "\\");
        } else {
            ok = ::CopyFileA((from + name).c_str(), (to + name).c_str(), FALSE) != 0;
        }
    } while (ok && ::FindNextFileA(find, &data));
    ::FindClose(find);
    return ok;
}

// Empties a folder (ending in '\\'), keeping the folder itself.
inline void EmptyTree(const std::string& folder) { DeleteFolderTree(folder.c_str(), false); }

// --- waiting ----------------------------------------------------------------------------------

using qmtest::Drain;
using qmtest::PumpUntil;

// The stand-in cores a cycle's journal names by the "pid N" line each writes
// once it owns the core's place, opened to wait on. A look through the
// process list could not tell that core from a second start turned away or
// one still ending.
class CJournalCores {
public:
    explicit CJournalCores(std::string journal) : m_journal(std::move(journal)) {}

    bool Named() {
        Refresh();
        return !m_cores.empty();
    }
    // Every core named so far has ended (one gone before it could be opened
    // counts as ended).
    bool Ended() {
        Refresh();
        return Running() == nullptr;
    }
    // A core still running, to wake on when it ends; or none.
    HANDLE Running() const {
        for (const Core& c : m_cores)
            if (c.process && ::WaitForSingleObject(c.process.Get(), 0) != WAIT_OBJECT_0)
                return c.process.Get();
        return nullptr;
    }
    // Each core and how it ended, for a failure's message.
    std::string Ends() const {
        if (m_cores.empty()) return "no core named itself";
        std::string text;
        for (const Core& c : m_cores) {
            DWORD code = 0;
            const bool known = c.process && ::GetExitCodeProcess(c.process.Get(), &code);
            text += (text.empty() ? "core pid " : ", core pid ") + std::to_string(c.pid) +
                    (!known                 ? " gone before it was opened"
                     : code == STILL_ACTIVE ? " still running"
                                            : " ended with " + std::to_string(code));
        }
        return text;
    }

private:
    struct Core {
        DWORD pid;
        qm::CHandle process;
    };
    void Refresh() {
        const std::string text = ReadBytes(m_journal);
        for (size_t at = 0; (at = text.find("pid ", at)) != std::string::npos; at += 4) {
            if (at != 0 && text[at - 1] != '\n') continue;
            const DWORD pid = std::strtoul(text.c_str() + at + 4, nullptr, 10);
            if (std::any_of(m_cores.begin(), m_cores.end(),
                            [&](const Core& c) { return c.pid == pid; }))
                continue;
            m_cores.push_back({pid, qm::CHandle(OpenCore(pid))});
        }
    }
    // The process of that id while it is still a core: an id is used again
    // once its process has gone.
    static HANDLE OpenCore(DWORD pid) {
        qm::CHandle h(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
        char image[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        if (!h || !::QueryFullProcessImageNameA(h.Get(), 0, image, &size)) return nullptr;
        const char* name = std::strrchr(image, '\\');
        return lstrcmpiA(name ? name + 1 : image, "Quillmarch_Core.exe") == 0 ? h.Release()
                                                                              : nullptr;
    }

    std::string m_journal;
    std::vector<Core> m_cores;
};

// --- the rotation ----------------------------------------------------------------------------

// The cards, made once and copied onto E: at each arrival.
struct Card {
    const char* device;
    const char* options;  // for sdcard.exe
    int generation;       // the launcher's navigation model type it needs
};
constexpr Card kCards[] = {
    {"SOAKCARDGEN20001", "", 2},                // the usual card
    {"SOAKCARDMOTH0002", "--model=12", 2},      // another model: four tiles
    {"SOAKCARDGEN10003", "--generation=1", 1},  // the older generation: the program restarts
};
// Which card arrives in each cycle: the older generation once in five, as
// its arrival and the next card's start the program again. So after every
// fifth cycle the launcher is one started a cycle before.
constexpr int kCardOrder[] = {0, 1, 0, 2, 0};
constexpr int kCardPeriod = 5;

enum class Question { None, Yes, No };
struct Step {
    const char* name;
    const char* scenario;  // the stand-in core's, after its journal line
    Question question;     // the map question, answered in the window
    bool abort;            // the user aborts once the map is under way
    bool waitForEnd;       // the core reports its end (no death, no abort)
    // The last status of map, traffic, weather and music.
    const char* status[4];
    int boxes;     // message boxes the charge shows
    bool decline;  // the registration is withdrawn: questions answered No
};
constexpr const char kMapDone[] = "地図データ更新完了";
constexpr const char kTrafficDone[] = "渋滞情報更新完了";
constexpr const char kWeatherDone[] = "天気情報更新完了";
constexpr const char kMusicDone[] = "音楽データ転送完了";
constexpr const char kMapRunning[] = "地図データ更新中";
// clang-format off
const Step kSteps[] = {
    {"success", "use done\r\n", Question::None, false, true,
     {kMapDone, kTrafficDone, kWeatherDone, kMusicDone}, 0, false},
    {"failed", "use failed\r\n", Question::None, false, true,
     {"地図データ更新失敗", kTrafficDone, kWeatherDone, kMusicDone}, 1, false},
    {"skipped", "use skipped\r\n", Question::None, false, true,
     {kMapDone, "渋滞情報更新スキップ", kWeatherDone, kMusicDone}, 0, false},
    {"no new data", "use no-new-data\r\n", Question::None, false, true,
     {"地図データ最新情報なし", kTrafficDone, "天気情報最新情報なし", kMusicDone}, 0, false},
    {"cancelled", "use cancelled\r\n", Question::None, false, true,
     {"地図データ更新失敗", kTrafficDone, kWeatherDone, kMusicDone}, 0, false},
    {"map question yes", "use map-ask-3\r\n", Question::Yes, false, true,
     {kMapDone, kTrafficDone, kWeatherDone, kMusicDone}, 0, false},
    {"map question no", "use map-ask-3\r\n", Question::No, false, true,
     {"地図データ更新スキップ", kTrafficDone, kWeatherDone, kMusicDone}, 0, false},
    // The busy core ends when asked: the map reports no end, nothing after
    // it runs.
    {"abort", "use busy\r\n", Question::None, true, false,
     {kMapRunning, "", "", ""}, 1, false},
    // The core dies in the middle of the map: no completion comes.
    {"core dies", "use quick\r\nkind map\r\n  progress 0 40 every 20\r\n  fail exit\r\n",
     Question::None, false, false, {kMapRunning, "", "", ""}, 0, false},
    // The registration was withdrawn: the probe upload and the traffic say
    // so, each with its message, and the user leaves the list (put back
    // after the cycle, as registering again would).
    {"withdrawn", "use withdrawn\r\n", Question::None, false, true,
     {kMapDone, "渋滞情報更新失敗", kWeatherDone, kMusicDone}, 2, true},
};
// clang-format on
constexpr int kPeriod = 10;  // steps; twice the cards
static_assert(sizeof kSteps / sizeof *kSteps == kPeriod &&
              sizeof kCardOrder / sizeof *kCardOrder == kCardPeriod && kPeriod % kCardPeriod == 0);
// The first measure is taken after these cycles (a whole number of periods:
// the launcher is then in the same state as at any later period's end).
constexpr int kBaselineCycles = 50;
// The launcher's log upload check fails once (HTTP 500) in this cycle of a
// period, which starts the program again: the chain must go on.
constexpr int kServiceFailureCycle = 3;

// --- the soak ----------------------------------------------------------------------------------

class CSoak {
public:
    // The system's cursors and icons, which LoadCursor and LoadIcon share and
    // keep for good once first used (three bitmaps each under Wine: colour,
    // alpha, mask). Loaded before the baseline, so that a first use late in a
    // run (the pointer over a sizing edge, a box's icon) is not counted as
    // the program's, as the DC cache is not.
    static void LoadSharedCursorsAndIcons() {
        for (LPCSTR id :
             {IDC_ARROW, IDC_IBEAM, IDC_WAIT, IDC_CROSS, IDC_UPARROW, IDC_SIZENWSE, IDC_SIZENESW,
              IDC_SIZEWE, IDC_SIZENS, IDC_SIZEALL, IDC_NO, IDC_HAND, IDC_APPSTARTING, IDC_HELP})
            ::LoadCursorA(nullptr, id);
        for (LPCSTR id : {IDI_APPLICATION, IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK,
                          IDI_WINLOGO, IDI_SHIELD})
            ::LoadIconA(nullptr, id);
    }

    // Prepares the process (log with its size limit, skins, connection
    // table), the cards and their users. An empty result is success.
    std::string SetUp(int logLimitKB) {
        m_logLimitKB = logLimitKB;
        ThreadOverheadBytes();  // while nothing else runs
        LoadSharedCursorsAndIcons();
        lib::wfc::InitLibrary(::GetModuleHandleA(nullptr), "Quillmarch ", nullptr, nullptr);
        KILNLOG.Start(nullptr, logLimitKB);
        const std::string bin = GetExeFolder();
        HMODULE skins =
            ::LoadLibraryExA((bin + "Quillmarch.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (!skins) return "Quillmarch.exe is not beside this program";
        ui::SetSkinResourceMode(skins, skins, skins);
        const std::string host = Env("QM_SERVICE_HOST");
        if (host.empty()) return "no stand-in service (QM_SERVICE_HOST)";
        // Not the program's temporary folder: a start of the launcher empties it.
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        m_work = std::string(temp) + "qmsoak-" + std::to_string(::GetCurrentProcessId()) + "\\";
        CreateDirectories((m_work + "cards\\").c_str());
        const std::string table = qmtest::StandInConnectionLines(host);
        if (!WriteBytes(m_work + "Connection.info", table)) return "cannot write " + m_work;
        CConnectionFile::Instance().Reset(m_work + "Connection.info");
        int n = 0;
        for (const Card& c : kCards) {
            const std::string nickname = "soak" + std::to_string(++n);
            const std::string folder = m_work + "cards\\" + c.device + "\\";
            CreateDirectories(folder.c_str());
            // (No '\\' before the closing quote: it would escape it.)
            const std::string target = folder.substr(0, folder.size() - 1);
            if (!RunAndWait(bin + "sdcard.exe",
                            "make \"" + target + "\" --device=" + c.device + " " + c.options))
                return std::string("sdcard.exe did not make ") + c.device;
            if (!CUserListFile().SetUser(c.device, nickname.c_str(), 0x00A1B2C3, "", c.generation))
                return "cannot register " + std::string(c.device);
        }
        // The map question has been answered Yes before: answering it so
        // again leaves the settings as they are.
        {
            CWickerdaleConfig config;
            if (!config.SetMapNotifiesLater(0) || !config.SetMapNotifyMessage(1))
                return "cannot write the settings";
        }
        m_scenario = m_work + "scenario.txt";
        ::SetEnvironmentVariableA("QM_CORE_SCENARIO", m_scenario.c_str());
        ::SetEnvironmentVariableA("QM_MUSIC_SCENARIO", m_scenario.c_str());
        EmptyTree("E:\\");
        return std::string();
    }

    ~CSoak() {
        CloseLauncher();
        EmptyTree("E:\\");
    }

    // The pointer where no window is: a window it happens to be over makes
    // its tool-tips, and the counts would depend on where it was left.
    static void ParkPointer() { ::SetCursorPos(0, 0); }

    // Runs cycle `i`; an empty result when everything came out as it must.
    std::string RunCycle(int i) {
        ParkPointer();
        const Step& step = kSteps[i % kPeriod];
        const Card& card = kCards[kCardOrder[i % kCardPeriod]];
        m_failure.clear();
        // A journal of the cycle's own: a core of an earlier cycle that is
        // still ending writes into its own. A right cycle's journal goes.
        m_journal = m_work + "journal-" + std::to_string(i) + ".txt";
        WriteBytes(m_scenario, "journal " + m_journal + "\r\n" + step.scenario);
        const bool serviceFails = i % kPeriod == kServiceFailureCycle;
        if (serviceFails &&
            !qmtest::ControlService("/_control/fault",
                                    "path=/pcapp/LogUploadCheckAPI&mode=once:http:500"))
            return "the service took no fault";
        // (Declined: not to the registration page.)
        qmtest::CBoxWatcher boxes(step.decline ? std::vector<int>(4, IDNO) : std::vector<int>{});
        Arrive(card, boxes);
        // The list as the card's arrival left it, for the user's return.
        const std::string users = ReadBytes(CUserListFile::GetFilePath());
        Trace("arrived");
        if (m_failure.empty()) Charge(step, boxes);
        if (step.decline && m_failure.empty() && CUserListFile().Exists(card.device))
            Fail("the withdrawn user is still listed");
        Trace("charged");
        if (m_failure.empty()) OpenAndCloseWindows();
        Trace("windows");
        // Even after a failure: the next cycle starts without a card.
        Remove(m_failure.empty() && i % 2 != 0, boxes);
        Trace("removed");
        // The user registers again: the list as it was.
        if (step.decline) WriteBytes(CUserListFile::GetFilePath(), users);
        if (m_failure.empty() && OpenBox()) Fail("a message box is still open");
        if (serviceFails && m_failure.empty() && m_restarted) {
            // The check ended, not as "no upload wanted", and the chain went on.
            const std::string log = LogSince(m_logMark);
            if (log.find("ログアップロード終了通知 MSG:0x") == std::string::npos ||
                log.find("ログアップロード終了通知 MSG:0x90000001") != std::string::npos)
                Fail("the log upload check did not fail");
        }
        if (!m_failure.empty()) return std::string(step.name) + ": " + m_failure;
        ::DeleteFileA(m_journal.c_str());
        return std::string();
    }

    // Files no cycle changes for good: the settings and the user list.
    std::string KeptFiles() const {
        return ReadBytes(CWickerdaleConfig().GetIniPath()) + '\0' +
               ReadBytes(CUserListFile::GetFilePath());
    }
    // The log's files within its limit, each starting with a whole record.
    std::string CheckLog() const {
        const std::string main = MainLogPath();
        const std::string backup = BackupLogPath();
        const uint64_t limit = uint64_t(m_logLimitKB) * 1024;
        for (const std::string& path : {main, backup}) {
            const std::string text = ReadBytes(path);
            if (text.size() > limit) return path + " passes its limit";
            // A record starts with its date stamp "YYYY/".
            if (!text.empty() && (text.size() < 5 || text[4] != '/'))
                return path + " does not start with a record";
        }
        if (ReadBytes(backup).empty()) return "the log never rotated";
        return std::string();
    }
    int LauncherStarts() const { return m_starts; }

private:
    static std::string MainLogPath() {
        return qm::logrec::MainLogPath(nullptr, GetLogFolder(), GetExeFileName());
    }
    static std::string BackupLogPath() { return qm::logrec::BackupPath(MainLogPath()); }
    // The log written since `mark` (its size then), across one rotation.
    std::string LogSince(size_t mark) const {
        const std::string now = ReadBytes(MainLogPath());
        if (now.size() >= mark) return now.substr(mark);
        const std::string old = ReadBytes(BackupLogPath());
        return (mark < old.size() ? old.substr(mark) : std::string()) + now;
    }

    static bool RunAndWait(const std::string& exe, std::string args) {
        std::string line = "\"" + exe + "\" " + args;
        STARTUPINFOA si = {sizeof si};
        PROCESS_INFORMATION pi = {};
        if (!::CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &si, &pi))
            return false;
        qm::CHandle process(pi.hProcess), thread(pi.hThread);
        DWORD code = 1;
        return ::WaitForSingleObject(process.Get(), 60000) == WAIT_OBJECT_0 &&
               ::GetExitCodeProcess(process.Get(), &code) && code == 0;
    }

    // QM_SOAK_TRACE=1: the time of each phase on stderr.
    void Trace(const char* phase) {
        static const bool on = !Env("QM_SOAK_TRACE").empty();
        static DWORD last = ::GetTickCount();
        if (on)
            std::printf("  %-8s %5lu ms\n", phase, ::GetTickCount() - last), std::fflush(stdout);
        last = ::GetTickCount();
    }

    void Fail(const std::string& what) {
        if (m_failure.empty()) m_failure = what;
    }

    static BOOL CALLBACK FindOpenBox(HWND window, LPARAM param) {
        char cls[32] = {};
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        ::GetClassNameA(window, cls, sizeof cls);
        if (pid != ::GetCurrentProcessId() || lstrcmpA(cls, "#32770") != 0 ||
            !::IsWindowVisible(window))
            return TRUE;
        *reinterpret_cast<bool*>(param) = true;
        return FALSE;
    }
    static bool OpenBox() {
        bool open = false;
        ::EnumWindows(FindOpenBox, reinterpret_cast<LPARAM>(&open));
        return open;
    }

    void Send(UINT message, WPARAM w = 0, LPARAM l = 0) { m_launcher->SendMessage(message, w, l); }
    void CardNotice(WPARAM kind) {
        DEV_BROADCAST_VOLUME v = {sizeof v, DBT_DEVTYP_VOLUME, 0, 1u << ('E' - 'A'), 0};
        Send(WM_DEVICECHANGE, kind, reinterpret_cast<LPARAM>(&v));
        Send(WM_TIMER, ui::kTimerRescan);  // the rescan's second, passed
    }

    void StartLauncher(int generation) {
        m_launcher = std::make_unique<ui::CLauncherWindow>();
        ++m_starts;
        if (!m_launcher->CreateLauncher(generation)) return Fail("the launcher was not created");
        m_generation = generation;
        m_launcher->ShowWindow(SW_SHOWNA);
        if (!PumpUntil([&] { return m_launcher->Started(); }, 20000))
            Fail("the launcher did not start");
    }
    void CloseLauncher() {
        if (!m_launcher) return;
        RequestToolsEnd();
        m_launcher.reset();
        Drain();
    }

    // The card goes onto E: and is noticed; a card of the other generation
    // closes the launcher, which starts again for it, as the program does.
    void Arrive(const Card& card, qmtest::CBoxWatcher& boxes) {
        m_logMark = ReadBytes(MainLogPath()).size();
        EmptyTree("E:\\");  // what a failed cycle left
        if (!CopyTree(m_work + "cards\\" + card.device + "\\", "E:\\"))
            return Fail("the card was not copied");
        m_restarted = false;
        if (!m_launcher) {
            StartLauncher(card.generation);
            m_restarted = true;
            return;
        }
        CardNotice(DBT_DEVICEARRIVAL);
        if (card.generation != m_generation) {
            const HWND handle = m_launcher->GetHandle();
            if (!PumpUntil([&] { return !::IsWindow(handle); }, 20000))
                return Fail("a card of the other generation did not close the launcher");
            if (!m_launcher->RestartOnExit()) return Fail("the launcher closed without a restart");
            const std::vector<std::string> texts = boxes.Texts();
            if (texts.size() != 1 || texts[0].find("再起動") == std::string::npos)
                return Fail("the restart was not announced");
            CloseLauncher();
            StartLauncher(card.generation);
            m_restarted = true;
            return;
        }
        if (!PumpUntil([&] { return m_launcher->CurrentCard() == 'E'; }, 5000))
            Fail("the card was not taken");
    }

    // The charge the card's arrival (or the chain) starts, played to its
    // end, the map question answered, the abort given; then its outcome.
    void Charge(const Step& step, qmtest::CBoxWatcher& boxes) {
        const size_t boxesBefore = boxes.Count();
        auto journal = [&] { return ReadBytes(m_journal); };
        CJournalCores cores(m_journal);
        if (!PumpUntil([&] { return cores.Named(); }, 30000))
            return Fail("no core started (its journal: " + OneLine(journal()) + ")");
        auto ended = [&] { return cores.Ended(); };
        if (step.question != Question::None) {
            auto asked = [&] {
                ui::CMapChargeWindow* w = m_launcher->MapWindow();
                return w && w->GetHandle() && ::IsWindowVisible(w->GetHandle());
            };
            if (!PumpUntil([&] { return asked() || ended(); }, 20000, cores.Running()) || !asked())
                return Fail("no map question");
            ui::CMapChargeWindow* w = m_launcher->MapWindow();
            w->FinishSlide();
            const int answer = AnswerButton(*w, step.question == Question::Yes);
            if (!answer) return Fail("the map question has no such button");
            w->SendMessage(WM_COMMAND, answer | 0x10000, 0);
        }
        if (step.abort) {
            if (!PumpUntil(
                    [&] {
                        return GetStatusText(m_launcher->LastStatusOf(kChargeMap)) == kMapRunning ||
                               ended();
                    },
                    20000, cores.Running()))
                return Fail("the map did not start");
            Send(WM_COMMAND, ui::CLauncherWindow::kSDAbortButton | 0x10000, 0);
        }
        if (!PumpUntil(ended, 30000, cores.Running()))
            return Fail("the core did not end (" + cores.Ends() + ")");
        Drain();
        if (step.waitForEnd && journal().find("\r\nexit") == std::string::npos)
            return Fail("the core did not finish its run (" + cores.Ends() +
                        "; its journal: " + OneLine(journal()) + ")");
        const uint32_t kinds[] = {kChargeMap, kChargeTraffic, kChargeWeather, kChargeMusic};
        for (int k = 0; k < 4; ++k) {
            const std::string shown = GetStatusText(m_launcher->LastStatusOf(kinds[k]));
            if (shown != step.status[k])
                return Fail("kind " + std::to_string(kinds[k]) + " ended as \"" + shown + "\" (" +
                            cores.Ends() + "; the core's journal: " + OneLine(journal()) + ")");
        }
        const std::vector<std::string> texts = boxes.Texts();
        if (texts.size() - boxesBefore != size_t(step.boxes))
            return Fail(std::to_string(texts.size() - boxesBefore) + " message boxes");
        for (const std::string& text : texts)
            if (text.empty()) return Fail("an empty message box");
        // What a finished map leaves on the card.
        const bool mapDone = std::string(step.status[0]) == kMapDone &&
                             std::string(step.scenario).find("map-ask") == std::string::npos;
        if (mapDone != FileExists("E:\\PC\\MAP\\MAP0002.DAT"))
            Fail("the card's map file does not match the map's outcome");
    }

    static int AnswerButton(ui::CMapChargeWindow& w, bool yes) {
        using M = ui::CMapChargeWindow;
        const std::vector<int> shown = w.VisibleButtons();
        const std::vector<int> wanted =
            yes ? std::vector<int>{M::kYesButton, M::kYesBottomButton, M::kYesShortButton,
                                   M::kOKShortButton}
                : std::vector<int>{M::kCancelButton, M::kCancelBottomButton, M::kReNotifyButton,
                                   M::kReReserveButton};
        for (int id : wanted)
            for (int s : shown)
                if (s == id) return id;
        return 0;
    }

    static bool FileExists(const char* path) {
        return ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
    }

    // The menu and the information windows: settings, version, SD
    // information with its probe log.
    void OpenAndCloseWindows() {
        ::SetForegroundWindow(m_launcher->GetHandle());
        Send(WM_COMMAND, ui::CLauncherWindow::kMenuButton | 0x10000, 0);
        ui::CMenuWindow* menu = m_launcher->RootMenu();
        if (!menu || !menu->IsOpen()) return Fail("the menu did not open");
        for (int tick = 0; tick < 100 && menu->IsAnimating(); ++tick)
            menu->SendMessage(WM_TIMER, ui::CMenuWindow::kOpenTimer);
        Send(WM_COMMAND, ui::CLauncherWindow::kMenuButtonClose | 0x10000, 0);
        for (int tick = 0; tick < 100 && menu->IsAnimating(); ++tick)
            menu->SendMessage(WM_TIMER, ui::CMenuWindow::kCloseTimer);
        if (menu->IsOpen() || ::IsWindowVisible(menu->GetHandle()))
            return Fail("the menu did not close");
        Trace("menu");

        Send(ui::kMsgMenuCommand, 0, 0);
        ui::CSettingWindow* settings = m_launcher->SettingWindow();
        if (!settings || !::IsWindowVisible(settings->GetHandle()))
            return Fail("the settings window did not open");
        settings->SendMessage(WM_CLOSE);
        Drain();
        if (::IsWindowVisible(settings->GetHandle())) return Fail("the settings stayed open");
        Trace("settings");

        Send(ui::kMsgMenuCommand, 3, 0);
        ui::CVersionWindow* version = m_launcher->VersionWindow();
        if (!version || !::IsWindowVisible(version->GetHandle()))
            return Fail("the version window did not open");
        version->FinishSlide();
        version->SendMessage(WM_CLOSE);
        Drain();
        if (::IsWindowVisible(version->GetHandle())) return Fail("the version window stayed open");
        Trace("version");

        // The SD information window and the probe log run modally: a thread
        // timer inside their loops opens the one and closes both.
        s_active = this;
        m_infoStep = 0;
        m_infoTicks = 0;
        const UINT_PTR timer = ::SetTimer(nullptr, 0, USER_TIMER_MINIMUM, InfoStep);
        Send(ui::kMsgMenuCommand, 3, 1);
        ::KillTimer(nullptr, timer);
        s_active = nullptr;
        if (m_infoStep != 3) Fail("the SD information and probe log windows did not run through");
        Drain();
    }

    static void CALLBACK InfoStep(HWND, UINT, UINT_PTR, DWORD) {
        CSoak* self = s_active;
        if (!self) return;
        ui::CSDInfoWindow* info = self->m_launcher->SDInfoWindow();
        if (!info || !info->GetHandle() || !::IsWindowVisible(info->GetHandle())) return;
        const HWND probe = ::FindWindowA(nullptr, "Quillmarch Probe");
        // A window that never shows would hold the loop: a bounded number of
        // ticks, then both are closed and the cycle fails.
        if (++self->m_infoTicks > 2000) {
            if (probe) ::PostMessageA(probe, WM_CLOSE, 0, 0);
            info->PostMessage(WM_CLOSE);
            return;
        }
        if (self->m_infoStep == 0) {
            self->m_infoStep = 1;
            // Its button opens the probe log, whose own loop runs inside.
            const RECT r = info->GetItemById(ui::CSDInfoWindow::kButtonProbe)->GetRect();
            POINT at = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
            POINT screen = at;
            ::ClientToScreen(info->GetHandle(), &screen);
            ::SetCursorPos(screen.x, screen.y);
            info->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
            info->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
            ParkPointer();
        } else if (self->m_infoStep == 1 && probe && ::IsWindowVisible(probe)) {
            self->m_infoStep = 2;
            ::PostMessageA(probe, WM_CLOSE, 0, 0);
        } else if (self->m_infoStep == 2 && !probe) {
            self->m_infoStep = 3;
            info->PostMessage(WM_CLOSE);
        }
    }

    // Eject through the launcher (then the card is taken out), or the card
    // pulled without one.
    void Remove(bool eject, qmtest::CBoxWatcher& boxes) {
        if (eject) {
            const size_t before = boxes.Count();
            Send(WM_COMMAND, ui::CLauncherWindow::kSDEjectButton | 0x10000, 0);
            Drain();
            const std::vector<std::string> texts = boxes.Texts();
            // Wine cannot dismount a folder drive: there the eject fails
            // with its own message.
            if (texts.size() != before + 1 ||
                (texts.back() != CodeText(0xFF00EE05u) && texts.back() != CodeText(0xFF00EE06u)))
                Fail("eject did not say whether the card can be taken out");
        }
        EmptyTree("E:\\");
        if (!m_launcher || !m_launcher->GetHandle()) return;
        CardNotice(DBT_DEVICEREMOVECOMPLETE);
        if (!PumpUntil([&] { return m_launcher->CurrentCard() == 0; }, 5000))
            Fail("the launcher still has a card");
    }
    // A journal's last lines on one line, for a failure's message.
    static std::string OneLine(std::string text) {
        if (text.size() > 600) text = "..." + text.substr(text.size() - 600);
        for (size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;)
            text.replace(at, 2, " | ");
        return text;
    }
    static std::string CodeText(uint32_t code) {
        unsigned style = 0;
        return GetMessageText(code, 0, style);
    }

    static inline CSoak* s_active = nullptr;
    std::unique_ptr<ui::CLauncherWindow> m_launcher;
    int m_generation = 0;
    int m_starts = 0;
    bool m_restarted = false;
    int m_logLimitKB = 0;
    size_t m_logMark = 0;
    std::string m_work, m_journal, m_scenario, m_failure;
    int m_infoStep = 0;
    int m_infoTicks = 0;
};

}  // namespace soak
