#pragma once
// One HTTP or HTTPS request at a time through WinHTTP, on a worker thread of
// its own. The caller prepares the request (SetRequest, Open), starts the
// worker (Upload or UploadMultiPart), waits on the returned thread handle
// together with its own cancel event, and on cancel calls Abort. The result
// code and the response stay in the object.
//
// No worker outlives its wrapper: Abort and the destructor close the request
// handle, which makes a blocked WinHTTP call on the worker return, and wait
// for the worker; only when it has not ended after the time-out is it
// terminated (and that is logged).
#include <windows.h>
#include <winhttp.h>

#include <atomic>
#include <string>
#include <vector>

#include "common/CriticalSection.h"
#include "common/WinHandle.h"

enum HTTPVerbType : int { HTTP_VERB_GET = 0, HTTP_VERB_POST = 1, HTTP_VERB_HEAD = 2 };

struct WinHttpHandleTraits {
    using handle_type = HINTERNET;
    static HINTERNET Invalid() { return nullptr; }
    static void Close(HINTERNET h) { ::WinHttpCloseHandle(h); }
};
using CInternetHandle = qm::CUniqueHandle<WinHttpHandleTraits>;

// Result codes besides the system and WinHTTP errors.
constexpr DWORD kHttpStatusFlag = 0x10000000;  // | the HTTP status outside 200..299
constexpr DWORD kHttpLargeBody = 512000;       // bodies from this size get long time-outs
constexpr DWORD kHttpChunkMax = 4194304;       // one read asks for at most this much
constexpr int kHttpZeroReadLimit = 10;         // zero-length reads tolerated in a row
constexpr DWORD kHttpWriteBlock = 65536;       // a multipart body goes out in blocks of this size
constexpr DWORD kHttpDestroyWaitMs = 25000;    // the destructor's wait for a running worker

class CWinHttpWrapper {
public:
    CWinHttpWrapper();
    ~CWinHttpWrapper();
    CWinHttpWrapper(const CWinHttpWrapper&) = delete;
    CWinHttpWrapper& operator=(const CWinHttpWrapper&) = delete;

    // url or filePath null: keep the current one (a null filePath also keeps
    // keepInMemory). Refused while a request is open.
    bool SetRequest(const char* url, WORD port, const char* filePath, bool keepInMemory);
    // A null proxy asks for discovery (AutoConfigURL, auto-detect, then the
    // user's manual setting).
    bool Open(int verbType, const wchar_t* userAgent, const wchar_t* proxy);
    HANDLE Upload(const void* body, DWORD bodySize, const char* contentType, const char* userName,
                  const char* password);
    HANDLE UploadMultiPart(const void* body, DWORD bodySize, const char* boundary,
                           const char* contentType);
    // The same, taking the body over instead of copying it.
    HANDLE UploadMultiPart(std::string&& body, const char* boundary, const char* contentType);
    // Asks the worker to stop (the thread's abort event and the request
    // handle closed) and waits; true when it ended by itself.
    bool Abort(DWORD timeoutMs);

    // How long the destructor waits for a running worker (after closing its
    // request) before terminating it; kHttpDestroyWaitMs unless changed.
    void SetDestroyWait(DWORD ms) { m_destroyWaitMs = ms; }

    // Read after the worker's handle is signalled.
    DWORD GetResult() const { return m_result; }
    // The system or WinHTTP error of the call that failed on the worker (the
    // worker's own last error), 0 when none did (success, HTTP status).
    DWORD GetWorkerError() const { return m_workerError; }
    const BYTE* GetResponseData() const { return m_response.empty() ? nullptr : m_response.data(); }
    DWORD GetResponseSize() const { return m_responseSize; }

    // Announces every received chunk (wParam 0, lParam its size).
    void SetNotify(HWND window, UINT message) {
        m_notifyWindow = window;
        m_notifyMessage = message;
    }

    const std::wstring& GetHeaders() const { return m_headers; }
    bool IsOpen() const { return m_session.Valid() || m_connection.Valid() || m_request.Valid(); }
    static std::wstring GetProxyServer();

    // Tests: called on the worker with the session and request handles just
    // before the request is sent, to read back what WinHTTP holds (or to
    // shorten its time-outs). Returns the hook it replaces.
    using BeforeSendHook = void (*)(HINTERNET session, HINTERNET request);
    static BeforeSendHook SetBeforeSendHook(BeforeSendHook hook);

private:
    static void CALLBACK SecureFailureCallback(HINTERNET, DWORD_PTR context, DWORD status,
                                               void* info, DWORD infoSize);
    void AskForModernTls();
    HINTERNET OpenRequestHandle(bool checkRevocation);
    // WinHttpSendRequest on the worker with the certificate checks: a refused
    // certificate is logged with its reasons; when the only reason is that
    // revocation could not be checked, that is logged and the request goes
    // out again on a new handle without the revocation check.
    // credentials: the user name and password of Upload go with it.
    bool SendChecked(HINTERNET& request, bool credentials, const wchar_t* headers, void* optional,
                     DWORD optionalSize, DWORD totalSize);
    bool ReopenWithoutRevocation(HINTERNET& request);
    static unsigned __stdcall _UploadThread(void* self);
    static unsigned __stdcall _UploadThreadMultiPart(void* self);
    DWORD UploadWork();
    DWORD UploadMultiPartWork();
    // Runs one worker body: an exception becomes a result, logged under the
    // thread's name, and the worker ends through FinishWorker.
    unsigned RunWorker(DWORD (CWinHttpWrapper::*work)(), const char* name, bool multipart);
    unsigned FinishWorker(DWORD result, bool multipart);
    HANDLE StartWorker(unsigned(__stdcall* proc)(void*));
    bool PrepareUpload(const void* body, DWORD bodySize);
    bool PrepareUploadTimeouts();
    DWORD _GetResponse();
    bool IsAborted() const;
    DWORD Failed(DWORD error);
    DWORD QueryNumber(DWORD what, bool& present, DWORD& value);
    DWORD WriteWholeResponse();
    DWORD AppendChunkToFile(const BYTE* data, DWORD size);
    std::wstring DiscoverProxy();
    void CloseHandles();
    void CloseRequestHandle();
    // Closes the request, waits for the worker, terminates it after the
    // time-out (logged); true when it ended by itself.
    bool StopWorker(DWORD timeoutMs);
    void FreeResponse();

    std::wstring m_url;
    std::string m_urlNarrow;  // for log lines
    WORD m_port = 0;
    int m_verbType = HTTP_VERB_GET;
    URL_COMPONENTS m_urlParts;
    std::wstring m_headers;
    std::wstring m_userName;
    std::wstring m_password;
    // The worker uses these from its start and closes them before it ends;
    // Abort may close the request handle meanwhile. m_handleLock guards the
    // closing.
    qm::CCriticalSection m_handleLock;
    CInternetHandle m_session;
    CInternetHandle m_connection;
    CInternetHandle m_request;
    HINTERNET m_workerRequest = nullptr;  // the worker's copy of the request handle
    std::atomic<bool> m_cancelled{false};
    qm::CHandle m_abortEvent;
    qm::CHandle m_thread;
    std::vector<BYTE> m_response;
    DWORD m_responseSize = 0;
    bool m_keepInMemory = true;
    std::string m_body;
    std::string m_filePath;
    volatile DWORD m_result = 0;
    volatile DWORD m_workerError = 0;
    HWND m_notifyWindow = nullptr;
    UINT m_notifyMessage = 0;
    bool m_secure = false;
    std::wstring m_host;                  // of the open connection, for a second request handle
    std::atomic<DWORD> m_secureFlags{0};  // the reasons of a refused certificate
    DWORD m_destroyWaitMs = kHttpDestroyWaitMs;
};
