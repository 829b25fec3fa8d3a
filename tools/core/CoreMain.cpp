// Stand-in of the core process "Quillmarch_Core.exe": window "Quillmarch Core"
// of class "QuillmarchCORE", the kinds of its command line carried out one
// after the other on a worker thread as its scenario says.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <exception>

#include "KindRunner.h"
#include "Leavings.h"
#include "StandInCommon.h"
#include "common/KilnLog.h"
#include "common/WinHandle.h"
#include "datafiles/CardPaths.h"

namespace standin {
namespace {

// Results when the card goes during a run (lParam ERROR_NOT_READY): the codes
// whose messages say the card cannot be read or written.
constexpr uint32_t kCardGone = 0x00FF06;
constexpr uint32_t kCardGoneMap = 0x35FF06;
// Exit code of a second start turned away because the first one is busy.
constexpr int kExitAlreadyBusy = 4;
constexpr char kInstanceMutex[] = "QuillmarchStandInCore";
// How often waits look at the card.
constexpr DWORD kCardPollMs = 100;

std::string Hex(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(v));
    return buf;
}

// One map progress block, created by the core and kept for its life so the
// launcher can read it after any notice.
class CProgressBlock {
public:
    bool Write(const char* name, const MapProgressBlock& progress) {
        if (!m_view && !Create(name)) return false;
        unsigned char bytes[kMapProgressBlockSize];
        EncodeMapProgressBlock(progress, bytes);
        const DWORD waited = ::WaitForSingleObject(m_mutex.Get(), INFINITE);
        if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) return false;
        qm::CMutexLock lock(m_mutex.Get());
        // Field by field with a yield in between: a reader that did not
        // take the mutex would see half of an update.
        unsigned char* target = static_cast<unsigned char*>(m_view.Get());
        for (size_t at = 4; at < kMapProgressBlockSize; at += 4) {
            std::memcpy(target + at, bytes + at, 4);
            ::SwitchToThread();
        }
        return true;
    }

private:
    bool Create(const char* name) {
        CNullDaclSecurity security;
        m_mapping.Reset(::CreateFileMappingA(INVALID_HANDLE_VALUE, security.Get(), PAGE_READWRITE,
                                             0, kMapProgressBlockSize, name));
        if (!m_mapping) return false;
        m_mutex.Reset(::CreateMutexA(security.Get(), FALSE, BlockMutexNameHere(name).c_str()));
        if (!m_mutex) return false;
        void* view = ::MapViewOfFile(m_mapping.Get(), FILE_MAP_ALL_ACCESS, 0, 0, 0);
        if (!view) return false;
        m_view.Reset(view);
        return true;
    }

    qm::CHandle m_mapping, m_mutex;
    CMappedView m_view;
};

class CCoreStandIn : public CChargeContext, public CStandInWindow<CCoreStandIn> {
    friend class CStandInWindow<CCoreStandIn>;

public:
    CCoreStandIn(const std::string& commandLine, Scenario scenario)
        : m_scenario(std::move(scenario)),
          m_journal(m_scenario.journalPath),
          m_args(ParseToolArguments(commandLine)) {
        AppendLine(m_scenario.recordPath, commandLine);
        m_journal.Write("start " + commandLine);
        // Which process wrote what, when two share a journal.
        m_journal.Write("pid " + std::to_string(::GetCurrentProcessId()));
        for (const std::string& p : m_scenario.problems) m_journal.Write("scenario " + p);
        for (const std::string& p : m_args.problems) m_journal.Write("argument " + p);
        m_stop.Reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
        m_cardAtStart = m_args.drive && CardThere();
        KILNLOG.Log(LOG_NORMAL, "CoreStandIn - 開始 %s", commandLine.c_str());
        CNullDaclSecurity security;
        for (const char* name :
             {kEventMapLicense, kEventMapLicenseNo, kEventMapDownload, kEventMapDownloadNo,
              kEventMapVerify, kEventMapVerifyNo, kEventMapProbe, kEventMapProbeNo})
            m_events.emplace_back(::CreateEventA(security.Get(), FALSE, FALSE, name));
    }

    int Run(HINSTANCE instance) {
        if (const int failed =
                CreateStandInWindow(instance, kCoreWindowClass, kCoreWindowTitle, &m_window))
            return failed;
        for (uint32_t bit : m_args.kinds) m_busy |= bit;
        m_worker.Reset(::CreateThread(nullptr, 0, &CCoreStandIn::WorkerMain, this, 0, nullptr));
        return RunMessageLoop();
    }

    // --- CChargeContext ------------------------------------------------------
    const CBridgeMessages& Messages() const override { return m_messages; }
    void PostToLauncher(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (!m_args.haveWindow || !::PostMessageA(m_args.launcher, message, wParam, lParam))
            m_journal.Write("post failed " + Hex(message));
    }
    bool Wait(uint32_t ms) override {
        for (;;) {
            if (CardGone()) return false;
            const DWORD slice = ms < kCardPollMs ? ms : kCardPollMs;
            if (::WaitForSingleObject(m_stop.Get(), slice) != WAIT_TIMEOUT) return false;
            if ((ms -= slice) == 0) return !CardGone();
        }
    }
    uint32_t Leave(const Action& a, uint32_t kindBit) override {
        static const char* const kTargets[] = {"sdinfo", "probelog", "download", "card"};
        std::string failed;
        switch (a.target) {
            case WriteTarget::SdInfo:
                failed = LeaveSdInfo(m_args.drive, kindBit, a.version, a.writeResult);
                break;
            case WriteTarget::ProbeLog:
                failed = LeaveProbeLog(m_args.drive, a.writeResult, a.code);
                break;
            case WriteTarget::Download:
                failed = LeaveDownload(static_cast<uint8_t>(a.category),
                                       static_cast<uint8_t>(a.subcategory), a.name, a.bytes);
                break;
            case WriteTarget::CardFile:
                failed = LeaveCardFile(m_args.drive, a.name, a.bytes);
                break;
        }
        const char* target = kTargets[static_cast<int>(a.target)];
        m_journal.Write(std::string("write ") + target +
                        (failed.empty() ? "" : " failed " + failed));
        if (failed.empty()) return 0;
        KILNLOG.Log(LOG_ERROR, "CoreStandIn - 書込み失敗 %s %s", target, failed.c_str());
        const bool onCard = a.target == WriteTarget::SdInfo || a.target == WriteTarget::CardFile;
        if (!onCard) return 0;
        const uint32_t error = LastLeaveError();
        return error ? error : ERROR_WRITE_FAULT;
    }
    int Ask(Question question, uint32_t requestType, uint32_t argument) override {
        size_t pair = 0;  // index of the "yes" event in m_events
        UINT message = m_messages.mapLicense;
        switch (question) {
            case Question::License:
                pair = 0;
                break;
            case Question::Download:
                pair = 2;
                break;
            case Question::Verify:
                pair = 4;
                message = m_messages.mapVerify;
                break;
            case Question::Probe:
                pair = 6;
                message = m_messages.noSendProbe;
                break;
        }
        HANDLE waits[3] = {m_events[pair].Get(), m_events[pair + 1].Get(), m_stop.Get()};
        ::ResetEvent(waits[0]);
        ::ResetEvent(waits[1]);
        m_journal.Write("ask " + Hex(message == m_messages.mapLicense ? requestType : 0) + " " +
                        EventName(pair));
        PostToLauncher(message, message == m_messages.mapLicense ? requestType : 0,
                       message == m_messages.mapLicense ? argument : 0);
        DWORD w = WAIT_TIMEOUT;
        while (w == WAIT_TIMEOUT && !CardGone())
            w = ::WaitForMultipleObjects(3, waits, FALSE, kCardPollMs);
        if (w == WAIT_OBJECT_0 || w == WAIT_OBJECT_0 + 1) {
            m_journal.Write("answer " + EventName(pair + (w - WAIT_OBJECT_0)));
            return w == WAIT_OBJECT_0 ? 1 : 0;
        }
        return -1;
    }
    bool PublishMapProgress(uint32_t phase, const MapProgressBlock& progress) override {
        return phase == kMapPhaseDownload ? m_download.Write(kBlockMapDownload, progress)
                                          : m_transfer.Write(kBlockMapTransfer, progress);
    }
    void Journal(const std::string& line) override { m_journal.Write(line); }
    [[noreturn]] void Exit(uint32_t code) override { ::ExitProcess(code); }

private:
    static std::string EventName(size_t index) {
        static const char* const kNames[] = {
            kEventMapLicense, kEventMapLicenseNo, kEventMapDownload, kEventMapDownloadNo,
            kEventMapVerify,  kEventMapVerifyNo,  kEventMapProbe,    kEventMapProbeNo};
        return kNames[index];
    }

    bool CardThere() const {
        return ::GetFileAttributesA(CardRoot(m_args.drive).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    // True once the card the run began with has gone (noted once).
    bool CardGone() {
        if (!m_cardAtStart) return false;
        if (!m_cardRemoved && !CardThere()) {
            m_cardRemoved = true;
            m_journal.Write(std::string("card removed ") + m_args.drive);
            KILNLOG.Log(LOG_ERROR, "CoreStandIn - SDカード抜去 %c", m_args.drive);
        }
        return m_cardRemoved;
    }

    static DWORD WINAPI WorkerMain(void* param) {
        auto* self = static_cast<CCoreStandIn*>(param);
        try {
            self->Work();
        } catch (const std::exception& e) {
            // Nothing may leave a thread function: note it and end the run.
            self->m_journal.Write(std::string("worker failed ") + e.what());
            ::PostMessageA(self->m_window, WM_CLOSE, 0, 0);
        }
        return 0;
    }

    void Work() {
        if (m_scenario.startDelayMs && !Wait(m_scenario.startDelayMs)) return;
        for (uint32_t bit : m_args.kinds) {
            m_journal.Write(std::string("kind ") + ChargeKeyword(bit));
            uint32_t result = 0, winError = 0;
            // Once the card is gone every kind left reports it at once.
            if (CardGone() ||
                !MakeKindRunner(bit, m_scenario.Find(bit))->Run(*this, result, winError)) {
                if (!CardGone()) {
                    m_journal.Write(std::string("cut ") + ChargeKeyword(bit));
                    return;
                }
                result = bit == kChargeMap ? kCardGoneMap : kCardGone;
                winError = ERROR_NOT_READY;
            }
            m_busy &= ~bit;
            KILNLOG.Log(LOG_NORMAL, "CoreStandIn - %s 終了 0x%08X", ChargeKeyword(bit),
                        static_cast<unsigned>(result));
            PostToLauncher(m_messages.notifyError,
                           (static_cast<WPARAM>(bit) << 24) | (result & 0xFFFFFF), winError);
            m_journal.Write(std::string("done ") + ChargeKeyword(bit) + " " + Hex(result));
        }
        m_busy = 0;
        m_journal.Write("idle");
        if (!m_scenario.stayWhenIdle) ::PostMessageA(m_window, WM_CLOSE, 0, 0);
    }

    LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == m_messages.requestReconfirm) {
            const uint32_t busy = m_busy;
            m_journal.Write("reconfirm " + Hex(busy));
            return busy;
        }
        if (message == m_messages.requestEnd) {
            m_journal.Write("end requested");
            ::SetEvent(m_stop.Get());
            ::WaitForSingleObject(m_worker.Get(), 10000);
            ::DestroyWindow(hwnd);
            return 0;
        }
        switch (message) {
            case WM_CLOSE:
                m_journal.Write("close");
                ::DestroyWindow(hwnd);
                return 0;
            case WM_DESTROY:
                ::PostQuitMessage(0);
                return 0;
        }
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }

    Scenario m_scenario;
    CJournal m_journal;
    ToolArguments m_args;
    CBridgeMessages m_messages;
    qm::CHandle m_stop, m_worker;
    std::vector<qm::CHandle> m_events;
    CProgressBlock m_download, m_transfer;
    std::atomic<uint32_t> m_busy{0};
    HWND m_window = nullptr;
    bool m_cardAtStart = false;
    std::atomic<bool> m_cardRemoved{false};
};

// A second start while a core runs: when the running one is busy the
// newcomer is turned away (journal "already running", exit code 4, nothing
// posted); when it is idle it is asked to end and the newcomer takes over.
// False when this start must end.
bool TakeInstance(qm::CHandle& mutex, const CJournal& journal) {
    HANDLE created = ::CreateMutexA(nullptr, TRUE, kInstanceMutex);
    const DWORD error = ::GetLastError();
    mutex.Reset(created);
    if (!mutex || error != ERROR_ALREADY_EXISTS) return true;
    CBridgeMessages messages;
    DWORD_PTR busy = 0;
    if (HWND running = FindCoreWindow()) {
        if (!::SendMessageTimeoutA(running, messages.requestReconfirm, 0, 0, SMTO_ABORTIFHUNG, 5000,
                                   &busy))
            busy = 1;  // a core that does not answer counts as busy
        if (busy) {
            journal.Write("already running");
            return false;
        }
        ::PostMessageA(running, messages.requestEnd, 0, 0);
    }
    const DWORD w = ::WaitForSingleObject(mutex.Get(), 15000);
    if (w != WAIT_OBJECT_0 && w != WAIT_ABANDONED) {
        journal.Write("already running");
        return false;
    }
    journal.Write("took over from an idle core");
    return true;
}

}  // namespace
}  // namespace standin

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    KILNLOG.Start(nullptr, 1024);  // "Quillmarch_Core.log" in the log folder
    standin::Scenario scenario = standin::LoadScenario("QM_CORE_SCENARIO", "use default\n");
    qm::CHandle instanceMutex;
    if (!standin::TakeInstance(instanceMutex, standin::CJournal(scenario.journalPath))) {
        KILNLOG.Log(LOG_NORMAL, "CoreStandIn - 実行中のため終了");
        return standin::kExitAlreadyBusy;
    }
    standin::CCoreStandIn core(::GetCommandLineA(), std::move(scenario));
    const int code = core.Run(instance);
    KILNLOG.End();
    return code;
}
