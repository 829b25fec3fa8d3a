#include "common/CoreProcess.h"

// shellapi.h needs windows.h first.
#include <shellapi.h>

#include <cstring>

#include "common/Folders.h"
#include "common/KilnLog.h"
#include "common/WinHandle.h"

namespace {

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Starts path with the whole line as command line, in the program's own
// folder; the shell's "open" is the second try. failureFormat takes the
// system error.
bool Launch(const std::string& path, const std::string& parameters, const char* failureFormat) {
    const std::string line = path + parameters;
    const std::string folder = FolderOf(path);
    std::string mutableLine = line;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi = {};
    if (!path.empty() && ::CreateProcessA(path.c_str(), &mutableLine[0], nullptr, nullptr, FALSE,
                                          NORMAL_PRIORITY_CLASS, nullptr,
                                          folder.empty() ? nullptr : folder.c_str(), &si, &pi)) {
        qm::CHandle process(pi.hProcess), thread(pi.hThread);
        return true;
    }

    SHELLEXECUTEINFOA sei = {};
    sei.cbSize = sizeof sei;
    sei.fMask = SEE_MASK_FLAG_NO_UI;
    sei.lpVerb = "open";
    sei.lpFile = path.c_str();
    sei.lpParameters = parameters.c_str();
    sei.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    sei.nShow = SW_SHOWNORMAL;
    if (!path.empty() && ::ShellExecuteExA(&sei)) return true;

    const DWORD err = path.empty() ? static_cast<DWORD>(ERROR_FILE_NOT_FOUND) : ::GetLastError();
    KILNLOG.Log(LOG_ERROR, failureFormat, err);
    KILNLOG.Log(LOG_DETAIL, "%s", line.c_str());
    return false;
}

bool ValidDrive(char drive) { return drive >= 'A' && drive <= 'Z'; }

bool GlobalNamespaceHere() {
    OSVERSIONINFOA vi = {};
    vi.dwOSVersionInfoSize = sizeof vi;
    if (!::GetVersionExA(&vi)) return true;  // every system still running us is NT 5 or later
    return UsesGlobalNamespace(vi.dwMajorVersion, vi.dwPlatformId == VER_PLATFORM_WIN32_NT);
}

}  // namespace

bool StartCoreProcess(char drive, HWND launcher, int32_t kindMask, int modelCode) {
    KILNLOG.Log(LOG_NORMAL, "チャージ要求 TYPE:0x%08X", static_cast<unsigned>(kindMask));
    if (!ValidDrive(drive)) {
        KILNLOG.Log(LOG_ERROR, "Core実行失敗 ERR:0x%08X",
                    static_cast<unsigned>(ERROR_INVALID_PARAMETER));
        return false;
    }
    return Launch(GetProgramPath(kProgramCore),
                  BuildCoreParameters(drive, WindowHandleBits(launcher), kindMask, modelCode),
                  "Core実行失敗 ERR:0x%08X");
}

bool StartMusicTool(char drive, HWND launcher, bool manual) {
    if (!ValidDrive(drive)) {
        KILNLOG.Log(LOG_ERROR, "Music実行失敗 ERR:0x%08X",
                    static_cast<unsigned>(ERROR_INVALID_PARAMETER));
        return false;
    }
    return Launch(GetProgramPath(kProgramMusic),
                  BuildMusicParameters(drive, WindowHandleBits(launcher), manual),
                  "Music実行失敗 ERR:0x%08X");
}

HWND FindCoreWindow() { return ::FindWindowA(kCoreWindowClass, kCoreWindowTitle); }

HWND FindMusicWindow(bool manual) {
    return ::FindWindowA(nullptr, manual ? kMusicManualTitle : kMusicSettingTitle);
}

CBridgeMessages::CBridgeMessages()
    : requestEnd(::RegisterWindowMessageA(kMsgRequestEnd)),
      requestReconfirm(::RegisterWindowMessageA(kMsgRequestReconfirm)),
      sdChange(::RegisterWindowMessageA(kMsgSDChange)),
      notifyProgress(::RegisterWindowMessageA(kMsgNotifyProgress)),
      notifyError(::RegisterWindowMessageA(kMsgNotifyError)),
      mapLicense(::RegisterWindowMessageA(kMsgMapLicense)),
      mapDownload(::RegisterWindowMessageA(kMsgMapDownload)),
      mapVerify(::RegisterWindowMessageA(kMsgMapVerify)),
      noSendProbe(::RegisterWindowMessageA(kMsgNoSendProbe)),
      mapProgressStart(::RegisterWindowMessageA(kMsgMapProgressStart)),
      mapProgress(::RegisterWindowMessageA(kMsgMapProgress)),
      mapProgressEnd(::RegisterWindowMessageA(kMsgMapProgressEnd)),
      requestLogUpLoad(::RegisterWindowMessageA(kMsgRequestLogUpLoad)),
      requestVersionCheck(::RegisterWindowMessageA(kMsgRequestVersionCheck)),
      requestAutoUpdate(::RegisterWindowMessageA(kMsgRequestAutoUpdate)),
      requestStartCharge(::RegisterWindowMessageA(kMsgRequestStartCharge)) {}

uint32_t QueryCoreBusyMask(HWND launcher, UINT timeoutMs) {
    const HWND core = FindCoreWindow();
    if (!core) return 0;
    DWORD_PTR answer = 0;
    // A core that stops answering must not freeze the launcher, nor count as
    // idle: a transfer may still run behind a hung window.
    if (!::SendMessageTimeoutA(core, ::RegisterWindowMessageA(kMsgRequestReconfirm), 0,
                               reinterpret_cast<LPARAM>(launcher), SMTO_ABORTIFHUNG, timeoutMs,
                               &answer)) {
        KILNLOG.Log(LOG_ERROR, "QueryCoreBusyMask - Core応答無し ERR:0x%08X",
                    static_cast<unsigned>(::GetLastError()));
        return kCoreBusyNoAnswer;
    }
    return static_cast<uint32_t>(answer);
}

bool PostToCore(UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND core = FindCoreWindow();
    return core && ::PostMessageA(core, message, wParam, lParam);
}

void RequestToolsEnd() {
    const UINT end = ::RegisterWindowMessageA(kMsgRequestEnd);
    for (HWND w : {FindCoreWindow(), FindMusicWindow(true), FindMusicWindow(false)})
        if (w) ::PostMessageA(w, end, 0, 0);
}

bool SetCoreEvent(const char* eventName) {
    qm::CHandle event(::OpenEventA(EVENT_MODIFY_STATE, FALSE, eventName));
    if (!event) return false;  // the core is not waiting for this answer
    if (!::SetEvent(event.Get())) {
        KILNLOG.Log(LOG_ERROR, "SetCoreEvent - イベント設定失敗 %s ERR:0x%08X", eventName,
                    static_cast<unsigned>(::GetLastError()));
        return false;
    }
    return true;
}

bool CCoreWatch::Watch(HWND coreWindow, HWND notify, UINT message) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(coreWindow, &pid);
    if (pid && pid == m_processId) return true;
    Stop();
    m_process.Reset(::OpenProcess(SYNCHRONIZE, FALSE, pid));
    if (!m_process) {
        KILNLOG.Log(LOG_ERROR, "CCoreWatch - Coreプロセスオープン失敗 PID:%u ERR:0x%08X",
                    static_cast<unsigned>(pid), static_cast<unsigned>(::GetLastError()));
        return false;
    }
    m_notify = notify;
    m_message = message;
    m_processId = pid;
    if (!::RegisterWaitForSingleObject(&m_wait, m_process.Get(), &CCoreWatch::Ended, this, INFINITE,
                                       WT_EXECUTEONLYONCE)) {
        KILNLOG.Log(LOG_ERROR, "CCoreWatch - Coreプロセス監視開始失敗 PID:%u ERR:0x%08X",
                    static_cast<unsigned>(pid), static_cast<unsigned>(::GetLastError()));
        m_wait = nullptr;
        Stop();
        return false;
    }
    return true;
}

void CCoreWatch::Stop() {
    // Waits for a callback under way, so none runs on a stopped watch.
    if (m_wait) ::UnregisterWaitEx(m_wait, INVALID_HANDLE_VALUE);
    m_wait = nullptr;
    m_process.Reset();
    m_processId = 0;
}

void CALLBACK CCoreWatch::Ended(void* param, BOOLEAN) {
    const auto* self = static_cast<const CCoreWatch*>(param);
    ::PostMessageA(self->m_notify, self->m_message, self->m_processId, 0);
}

std::string BlockMutexNameHere(const char* blockName) {
    return BlockMutexName(blockName, GlobalNamespaceHere());
}

bool ReadMapProgressBlock(const char* blockName, MapProgressBlock& progress,
                          const std::function<void(DWORD error)>& logFailure) {
    auto fail = [&](DWORD err) {
        if (logFailure) logFailure(err);
        return false;
    };
    qm::CHandle mapping(::OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, blockName));
    if (!mapping) return fail(::GetLastError());
    CMappedView view(::MapViewOfFile(mapping.Get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (!view) return fail(::GetLastError());
    MEMORY_BASIC_INFORMATION info = {};
    if (!::VirtualQuery(view.Get(), &info, sizeof info) || info.RegionSize < kMapProgressBlockSize)
        return fail(ERROR_INVALID_DATA);

    CNullDaclSecurity security;
    qm::CHandle mutex(::CreateMutexA(security.Get(), FALSE, BlockMutexNameHere(blockName).c_str()));
    if (!mutex) return fail(::GetLastError());

    unsigned char copy[kMapProgressBlockSize];
    const DWORD waited = ::WaitForSingleObject(mutex.Get(), INFINITE);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) return fail(::GetLastError());
    {
        qm::CMutexLock lock(mutex.Get());
        std::memcpy(copy, view.Get(), sizeof copy);
    }
    return DecodeMapProgressBlock(copy, sizeof copy, progress);
}

CNullDaclSecurity::CNullDaclSecurity() {
    m_attributes.nLength = sizeof m_attributes;
    m_attributes.lpSecurityDescriptor = &m_descriptor;
    m_attributes.bInheritHandle = FALSE;
    m_valid = ::InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION) &&
              ::SetSecurityDescriptorDacl(&m_descriptor, TRUE, nullptr, FALSE);
    if (!m_valid)
        KILNLOG.Log(LOG_ERROR, "CNullDaclSecurity - セキュリティ記述子作成失敗 ERR:0x%08X",
                    static_cast<unsigned>(::GetLastError()));
}
