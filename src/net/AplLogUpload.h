#pragma once
// Sends the program's own diagnostic logs to the service on request: first a
// permission check (kind 0), then the upload (kind 1) of the collected logs
// and "PcInfo.txt" packed into a zip archive. Each step runs on a worker of
// its own and posts its result to a window (wParam result, lParam detail).
#include <windows.h>

#include <string>
#include <vector>

#include "common/WinHandle.h"

constexpr DWORD kAplLogCheckPermission = 0;
constexpr DWORD kAplLogUpload = 1;

// Results besides the service and transport codes.
constexpr DWORD kAplLogNotPermitted = 1;
constexpr DWORD kAplLogCancelled = 0xFF00;
constexpr DWORD kAplLogTransportFlag = 0x100000;
constexpr DWORD kAplLogServiceFlag = 0x200000;
constexpr DWORD kAplLogZipFailed = 0x600009;
constexpr DWORD kAplLogBadParams = 0x40FFA1;
constexpr DWORD kAplLogNoBody = 0x40FFA0;
constexpr DWORD kAplLogNoHttp = 0x40FF04;
constexpr DWORD kAplLogFailed = 0x40FFFF;

class CAplLogUpload {
public:
    CAplLogUpload();
    ~CAplLogUpload();
    CAplLogUpload(const CAplLogUpload&) = delete;
    CAplLogUpload& operator=(const CAplLogUpload&) = delete;

    // Fixes the archive name from the current local time: call it again for
    // each new upload.
    bool SetNaviInfo(const char* deviceNo, DWORD ccid, const char* userAgent, bool isMothModel);
    bool Start(HWND window, UINT message, DWORD kind);

    // How long a cancelled exchange waits for the engine's worker before it
    // is terminated (25000 ms); the destructor waits that and 5 s more.
    void SetAbortWait(DWORD ms) { m_abortWaitMs = ms; }

    // The event the window sets to cancel ("AplLogUploadCancel").
    HANDLE GetCancelEvent() const { return m_cancelEvent.Get(); }
    DWORD GetResult() const { return m_result; }
    DWORD GetDetail() const { return m_detail; }
    const std::string& GetZipPath() const { return m_zipPath; }
    const std::string& GetCollectFolder() const { return m_collectFolder; }

private:
    static unsigned __stdcall PermissionThread(void* self);
    static unsigned __stdcall UploadThread(void* self);
    void _CheckPermission();
    void _Upload();
    void _CollectLogFolders();
    bool _CollectLogFiles();
    bool _CollectPCInfo();
    bool _CreateSendFile();
    bool _SendLogFile();
    void _ClearLogFiles();
    // wParam the result, lParam the detail.
    void PostResult();

    DWORD m_kind = 0xFFFFFFFF;
    bool m_isMothModel = false;
    HWND m_window = nullptr;
    UINT m_message = 0;
    qm::CHandle m_cancelEvent;
    qm::CHandle m_thread;
    DWORD m_result = 0;
    DWORD m_detail = 0;
    DWORD m_ccid = 0;
    DWORD m_abortWaitMs = 25000;
    std::string m_deviceNo;
    std::string m_userAgent;
    std::string m_zipPath;
    std::string m_collectFolder;
    std::vector<std::string> m_logFolders;
};
