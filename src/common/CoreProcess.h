#pragma once
// The launcher's side of the core process and the music tool: starting them,
// finding their windows, the registered messages, the busy-mask question,
// the named events and reading the map progress blocks.
#include <windows.h>

#include <cstdint>
#include <functional>

#include "common/CoreBridge.h"
#include "common/WinHandle.h"

// Starts "Quillmarch_Core.exe" from the installation folder for the card in
// drive with the given kinds (kChargeAll for all). modelCode is the card's
// PC-link model code; 18 and 21 leave the navigation-info upload out.
// False (logged) when neither CreateProcess nor the shell could start it.
bool StartCoreProcess(char drive, HWND launcher, int32_t kindMask, int modelCode);
// Starts "Quillmarch_Music.exe" in manual or setting mode.
bool StartMusicTool(char drive, HWND launcher, bool manual);

HWND FindCoreWindow();
HWND FindMusicWindow(bool manual);

// The registered message numbers, asked of the system at construction.
struct CBridgeMessages {
    CBridgeMessages();
    UINT requestEnd, requestReconfirm, sdChange, notifyProgress, notifyError, mapLicense,
        mapDownload, mapVerify, noSendProbe, mapProgressStart, mapProgress, mapProgressEnd,
        requestLogUpLoad, requestVersionCheck, requestAutoUpdate, requestStartCharge;
};

// The answer for a core whose window is there but that does not answer in
// time: every kind counts as busy, so the user is asked before a close, an
// eject or an abort cuts a transfer.
constexpr uint32_t kCoreBusyNoAnswer = 0xFFFFFFFF;
// How long the launcher waits for the core's answer.
constexpr UINT kCoreAnswerTimeoutMs = 10000;

// The kinds the core is busy with; 0 when idle or when there is no core;
// kCoreBusyNoAnswer (logged) when the core does not answer within timeoutMs.
uint32_t QueryCoreBusyMask(HWND launcher, UINT timeoutMs = kCoreAnswerTimeoutMs);
// Posts to the core window; false (nothing posted) when there is none.
bool PostToCore(UINT message, WPARAM wParam, LPARAM lParam);
// Posts "WKLRequestEnd" to the core and to both music windows, those found.
void RequestToolsEnd();
// Sets one of the core's named events; a missing event is skipped silently
// (false).
bool SetCoreEvent(const char* eventName);

// Watches the process behind a core window: once it has ended, `message`
// (wParam: its process id) is posted to `notify`, after everything the core
// itself posted. One process at a time; watching another replaces it.
class CCoreWatch {
public:
    CCoreWatch() = default;
    ~CCoreWatch() { Stop(); }
    CCoreWatch(const CCoreWatch&) = delete;
    CCoreWatch& operator=(const CCoreWatch&) = delete;
    // False (nothing watched) when the window's process cannot be opened.
    bool Watch(HWND coreWindow, HWND notify, UINT message);
    void Stop();
    DWORD ProcessId() const { return m_processId; }

private:
    static void CALLBACK Ended(void* self, BOOLEAN timedOut);
    qm::CHandle m_process;
    HANDLE m_wait = nullptr;
    HWND m_notify = nullptr;
    UINT m_message = 0;
    DWORD m_processId = 0;
};

// Reads a map progress block under its mutex. When the block cannot be
// opened or mapped, logFailure is called with the system error (the caller
// logs its own message) and progress is left as it was.
bool ReadMapProgressBlock(const char* blockName, MapProgressBlock& progress,
                          const std::function<void(DWORD error)>& logFailure);
// Name of a block's mutex on this system ("Global\" on NT 5.0 and later).
std::string BlockMutexNameHere(const char* blockName);

// A security descriptor whose DACL is null: every user may open the object.
class CNullDaclSecurity {
public:
    CNullDaclSecurity();
    CNullDaclSecurity(const CNullDaclSecurity&) = delete;
    CNullDaclSecurity& operator=(const CNullDaclSecurity&) = delete;
    SECURITY_ATTRIBUTES* Get() { return m_valid ? &m_attributes : nullptr; }

private:
    SECURITY_DESCRIPTOR m_descriptor;
    SECURITY_ATTRIBUTES m_attributes;
    bool m_valid = false;
};

// A mapped view of a file mapping, unmapped at the end of its scope.
class CMappedView {
public:
    CMappedView() = default;
    explicit CMappedView(void* view) : m_view(view) {}
    ~CMappedView() {
        if (m_view) ::UnmapViewOfFile(m_view);
    }
    CMappedView(const CMappedView&) = delete;
    CMappedView& operator=(const CMappedView&) = delete;
    void* Get() const { return m_view; }
    explicit operator bool() const { return m_view != nullptr; }
    void Reset(void* view = nullptr) {
        if (m_view) ::UnmapViewOfFile(m_view);
        m_view = view;
    }

private:
    void* m_view = nullptr;
};

// The 32 bits of a window handle as the command lines carry them, and back
// (window handles are sign-extended 32-bit values on 64-bit Windows).
inline uint32_t WindowHandleBits(HWND window) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
}
inline HWND WindowFromBits(uint32_t bits) {
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(bits)));
}
