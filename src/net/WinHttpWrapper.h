#pragma once
// One HTTP or HTTPS request at a time through WinHTTP, on a worker thread of
// its own. The caller prepares the request (SetRequest, Open), starts the
// worker (Upload or UploadMultiPart), waits on the returned thread handle
// together with its own cancel event, and on cancel calls Abort. The result
// code and the response stay in the object.
#include <windows.h>
#include <winhttp.h>

#include <string>

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
    // Asks the worker to stop and waits; true when it ended by itself.
    bool Abort(DWORD timeoutMs);

    // Read after the worker's handle is signalled.
    DWORD GetResult() const { return m_result; }
    const BYTE* GetResponseData() const { return m_responseData; }
    DWORD GetResponseSize() const { return m_responseSize; }

    // Announces every received chunk (wParam 0, lParam its size).
    void SetNotify(HWND window, UINT message) {
        m_notifyWindow = window;
        m_notifyMessage = message;
    }

    // What Open chose, for the curious (and the tests).
    WORD GetConnectPort() const { return m_connectPort; }
    bool IsSecure() const { return m_secure; }
    const std::wstring& GetHeaders() const { return m_headers; }
    bool IsOpen() const { return m_session.Valid() || m_connection.Valid() || m_request.Valid(); }
    static std::wstring GetProxyServer();

private:
    static unsigned __stdcall _UploadThread(void* self);
    static unsigned __stdcall _UploadThreadMultiPart(void* self);
    HANDLE StartWorker(unsigned(__stdcall* proc)(void*));
    bool PrepareUpload(const void* body, DWORD bodySize);
    DWORD _GetResponse();
    bool IsAborted() const;
    DWORD QueryNumber(DWORD what, bool& present, DWORD& value);
    DWORD WriteWholeResponse();
    DWORD AppendChunkToFile(const BYTE* data, DWORD size);
    std::wstring DiscoverProxy();
    void CloseHandles();
    void FreeResponse();

    std::wstring m_url;
    std::string m_urlNarrow;  // for log lines
    WORD m_port = 0;
    int m_verbType = HTTP_VERB_GET;
    URL_COMPONENTS m_urlParts;
    std::wstring m_headers;
    std::wstring m_userName;
    std::wstring m_password;
    // The worker owns these from its start and closes them before it ends.
    CInternetHandle m_session;
    CInternetHandle m_connection;
    CInternetHandle m_request;
    qm::CHandle m_abortEvent;
    qm::CHandle m_thread;
    BYTE* m_responseData = nullptr;
    DWORD m_responseSize = 0;
    bool m_keepInMemory = true;
    BYTE* m_body = nullptr;
    DWORD m_bodySize = 0;
    std::string m_filePath;
    volatile DWORD m_result = 0;
    HWND m_notifyWindow = nullptr;
    UINT m_notifyMessage = 0;
    WORD m_connectPort = 0;
    bool m_secure = false;
};
