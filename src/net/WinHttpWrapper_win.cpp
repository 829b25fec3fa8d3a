#include <process.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <new>

#include "common/CodePage.h"
#include "common/KilnLog.h"
#include "common/OsType.h"
#include "common/WholeFile.h"
#include "net/SecureFailure.h"
#include "net/WinHttpWrapper.h"

namespace {

// The proxy of the most recent Open, for the whole process. One request is
// opened at a time, so it is not locked.
std::wstring g_proxyServer;
CWinHttpWrapper::BeforeSendHook g_beforeSend = nullptr;

int OsGeneration() {
    static int cached = -1;
    if (cached < 0) cached = GetOsType();
    return cached;
}

const wchar_t* const kVerbs[] = {L"GET", L"POST", L"HEAD"};
const wchar_t* const kInternetSettings =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// Reads a registry value of the user's Internet settings as text.
LONG ReadInternetSetting(const wchar_t* name, std::wstring& out) {
    HKEY raw = nullptr;
    LONG rc = ::RegOpenKeyExW(HKEY_CURRENT_USER, kInternetSettings, 0, KEY_READ, &raw);
    if (rc != ERROR_SUCCESS) return rc;
    qm::CRegKey key(raw);
    wchar_t buf[513] = {};
    DWORD size = 1024, type = 0;
    rc = ::RegQueryValueExW(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    if (rc != ERROR_SUCCESS) return rc;
    buf[size / sizeof(wchar_t) < 512 ? size / sizeof(wchar_t) : 512] = 0;
    out = buf;
    return ERROR_SUCCESS;
}

std::string Narrow(const std::wstring& w) { return WideToAnsi(w); }

}  // namespace

// --- construction ------------------------------------------------------------

CWinHttpWrapper::CWinHttpWrapper() {
    std::memset(&m_urlParts, 0, sizeof m_urlParts);
    // Named after the creating thread, so every wrapper of one thread shares
    // it: aborting one request of a thread aborts them all. Signalled means
    // "go on", reset means "abort".
    char name[64];
    std::snprintf(name, sizeof name, "EventHttpAbort_%X",
                  static_cast<unsigned>(::GetCurrentThreadId()));
    m_abortEvent.Reset(::CreateEventA(nullptr, TRUE, TRUE, name));
}

CWinHttpWrapper::~CWinHttpWrapper() {
    // The worker uses this object: it must be gone before the object is. Only
    // this wrapper's request is cancelled; the thread's abort event, which
    // its other wrappers share, is left alone.
    if (m_thread && ::WaitForSingleObject(m_thread.Get(), 0) == WAIT_TIMEOUT)
        StopWorker(m_destroyWaitMs);
    CloseHandles();
}

// Closes request, connection and session (in that order), keeping the
// caller's last error.
void CWinHttpWrapper::CloseHandles() {
    const DWORD err = ::GetLastError();
    {
        qm::CCriticalSection::CLock held(m_handleLock);
        m_request.Reset();
        m_connection.Reset();
        m_session.Reset();
    }
    ::SetLastError(err);
}

// Cancellation: a closed request handle makes a blocked call on it return.
void CWinHttpWrapper::CloseRequestHandle() {
    const DWORD err = ::GetLastError();
    m_cancelled = true;
    {
        qm::CCriticalSection::CLock held(m_handleLock);
        m_request.Reset();
    }
    ::SetLastError(err);
}

void CWinHttpWrapper::FreeResponse() {
    std::vector<BYTE>().swap(m_response);
    m_responseSize = 0;
}

std::wstring CWinHttpWrapper::GetProxyServer() { return g_proxyServer; }

CWinHttpWrapper::BeforeSendHook CWinHttpWrapper::SetBeforeSendHook(BeforeSendHook hook) {
    const BeforeSendHook previous = g_beforeSend;
    g_beforeSend = hook;
    return previous;
}

bool CWinHttpWrapper::IsAborted() const {
    return m_cancelled ||
           (m_abortEvent && ::WaitForSingleObject(m_abortEvent.Get(), 0) != WAIT_OBJECT_0);
}

// The worker's record of a failed call: the error stays readable after the
// worker has ended (GetWorkerError), whatever the log does meanwhile.
DWORD CWinHttpWrapper::Failed(DWORD error) {
    m_workerError = error;
    return error;
}

// --- SetRequest ----------------------------------------------------------------

bool CWinHttpWrapper::SetRequest(const char* url, WORD port, const char* filePath,
                                 bool keepInMemory) {
    if (IsOpen()) return false;
    FreeResponse();
    std::string().swap(m_body);
    m_cancelled = false;
    m_port = port;
    if (m_abortEvent) ::SetEvent(m_abortEvent.Get());
    if (url) {
        m_urlNarrow = url;
        m_url = AnsiToWide(url);
    }
    if (filePath) {
        m_filePath = filePath;
        m_keepInMemory = keepInMemory;
    }
    std::memset(&m_urlParts, 0, sizeof m_urlParts);
    return true;
}

// --- proxy discovery ---------------------------------------------------------------

std::wstring CWinHttpWrapper::DiscoverProxy() {
    std::wstring result;
    CInternetHandle discovery(::WinHttpOpen(L"WinHTTP AutoProxy Get/1.0",
                                            WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                            WINHTTP_NO_PROXY_BYPASS, 0));
    if (!discovery) return result;

    std::wstring autoConfig;
    if (ReadInternetSetting(L"AutoConfigURL", autoConfig) != ERROR_SUCCESS) {
        KILNLOG.Log(LOG_DETAIL, "AutoConfigURL設定無し");
        autoConfig.clear();
    } else if (!autoConfig.empty()) {
        KILNLOG.Log(LOG_DETAIL, "AutoConfigURL取得[SVR:%s]", Narrow(autoConfig).c_str());
    }

    WINHTTP_AUTOPROXY_OPTIONS options = {};
    options.fAutoLogonIfChallenged = TRUE;
    if (!autoConfig.empty()) {
        options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
        options.lpszAutoConfigUrl = autoConfig.c_str();
    } else {
        options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT;
        options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
    }
    WINHTTP_PROXY_INFO info = {};
    if (::WinHttpGetProxyForUrl(discovery.Get(), m_url.c_str(), &options, &info)) {
        switch (info.dwAccessType) {
            case WINHTTP_ACCESS_TYPE_DEFAULT_PROXY:
                KILNLOG.Log(LOG_DETAIL,
                            "WinHttpGetProxyForUrl() : WINHTTP_ACCESS_TYPE_DEFAULT_PROXY\n");
                break;
            case WINHTTP_ACCESS_TYPE_NO_PROXY:
                KILNLOG.Log(LOG_DETAIL, "WinHttpGetProxyForUrl() : WINHTTP_ACCESS_TYPE_NO_PROXY");
                break;
            case WINHTTP_ACCESS_TYPE_NAMED_PROXY:
                KILNLOG.Log(LOG_DETAIL,
                            "WinHttpGetProxyForUrl() : WINHTTP_ACCESS_TYPE_NAMED_PROXY");
                break;
            default:
                break;
        }
        if (info.lpszProxy) result = info.lpszProxy;
        KILNLOG.Log(LOG_DETAIL, "WinHttpGetProxyForUrl() : %s", Narrow(result).c_str());
        if (info.lpszProxy) ::GlobalFree(info.lpszProxy);
        if (info.lpszProxyBypass) ::GlobalFree(info.lpszProxyBypass);
    } else {
        KILNLOG.Log(LOG_DETAIL, "WinHttpGetProxyForUrl()失敗[ERR:%d]",
                    static_cast<int>(::GetLastError()));
    }
    discovery.Reset();

    if (result.empty()) {
        HKEY raw = nullptr;
        DWORD enable = 0, size = sizeof enable, type = 0;
        LONG rc = ::RegOpenKeyExW(HKEY_CURRENT_USER, kInternetSettings, 0, KEY_READ, &raw);
        qm::CRegKey key(rc == ERROR_SUCCESS ? raw : nullptr);
        if (rc == ERROR_SUCCESS)
            rc = ::RegQueryValueExW(key.Get(), L"ProxyEnable", nullptr, &type,
                                    reinterpret_cast<BYTE*>(&enable), &size);
        if (rc != ERROR_SUCCESS) {
            KILNLOG.Log(LOG_ERROR, "プロキシ設定取得失敗[ERR:0x%08X]", static_cast<unsigned>(rc));
        } else if (enable == 0) {
            KILNLOG.Log(LOG_DETAIL, "プロキシ設定無し");
        } else {
            std::wstring server;
            rc = ReadInternetSetting(L"ProxyServer", server);
            if (rc != ERROR_SUCCESS) {
                KILNLOG.Log(LOG_ERROR, "プロキシサーバ取得失敗[ERR:0x%08X]",
                            static_cast<unsigned>(rc));
            } else {
                result = server;
                KILNLOG.Log(LOG_DETAIL, "プロキシサーバ取得[SVR:%s]", Narrow(result).c_str());
            }
        }
    }
    return result;
}

// --- Open ----------------------------------------------------------------------------

bool CWinHttpWrapper::Open(int verbType, const wchar_t* userAgent, const wchar_t* proxy) {
    if (verbType < 0 || verbType >= 3) {
        KILNLOG.Log(LOG_ERROR, "HTTPVerb指定が不正 HTTPVerbType:%d", verbType);
        return false;
    }
    if (m_url.empty()) {
        KILNLOG.Log(LOG_ERROR, "接続先URLが未設定");
        return false;
    }
    if (IsOpen()) return false;
    m_verbType = verbType;
    std::memset(&m_urlParts, 0, sizeof m_urlParts);
    m_urlParts.dwStructSize = sizeof m_urlParts;
    m_urlParts.dwSchemeLength = static_cast<DWORD>(-1);
    m_urlParts.dwHostNameLength = static_cast<DWORD>(-1);
    m_urlParts.dwUrlPathLength = static_cast<DWORD>(-1);
    m_urlParts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!::WinHttpCrackUrl(m_url.c_str(), static_cast<DWORD>(m_url.size()), 0, &m_urlParts)) {
        const DWORD err = ::GetLastError();
        KILNLOG.Log(LOG_ERROR, "接続先URL解析に失敗[ERR:0x%08X]", static_cast<unsigned>(err));
        ::SetLastError(err);
        return false;
    }

    g_proxyServer = proxy ? std::wstring(proxy) : DiscoverProxy();

    if (g_proxyServer.empty()) {
        KILNLOG.Log(LOG_DETAIL, "WinHttpOpen WINHTTP_NO_PROXY_NAME");
        m_session.Reset(::WinHttpOpen(userAgent ? userAgent : L"",
                                      WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                      WINHTTP_NO_PROXY_BYPASS, 0));
    } else {
        KILNLOG.Log(LOG_DETAIL, "WinHttpOpen Proxy:%s", Narrow(g_proxyServer).c_str());
        m_session.Reset(::WinHttpOpen(userAgent ? userAgent : L"", WINHTTP_ACCESS_TYPE_NAMED_PROXY,
                                      g_proxyServer.c_str(), WINHTTP_NO_PROXY_BYPASS, 0));
    }
    if (!m_session) {
        const DWORD err = ::GetLastError();
        KILNLOG.Log(LOG_ERROR, "WinHttpOpen失敗[ERR:0x%08X]", static_cast<unsigned>(err));
        CloseHandles();
        ::SetLastError(err);
        return false;
    }

    // An explicit port other than the standard ones wins; otherwise the
    // scheme decides (a port written in the URL is not used).
    WORD port = m_port;
    if (port == 0 || port == INTERNET_DEFAULT_HTTP_PORT || port == INTERNET_DEFAULT_HTTPS_PORT) {
        std::wstring scheme(m_urlParts.lpszScheme ? m_urlParts.lpszScheme : L"",
                            m_urlParts.dwSchemeLength);
        if (_wcsicmp(scheme.c_str(), L"http") == 0)
            port = INTERNET_DEFAULT_HTTP_PORT;
        else if (_wcsicmp(scheme.c_str(), L"https") == 0)
            port = INTERNET_DEFAULT_HTTPS_PORT;
        else
            port = INTERNET_DEFAULT_PORT;
    }
    m_secure = port == INTERNET_DEFAULT_HTTPS_PORT;

    wchar_t host[512] = {};
    DWORD hostLen = m_urlParts.dwHostNameLength < 511 ? m_urlParts.dwHostNameLength : 511;
    if (m_urlParts.lpszHostName) std::wmemcpy(host, m_urlParts.lpszHostName, hostLen);
    m_connection.Reset(::WinHttpConnect(m_session.Get(), host, port, 0));
    if (!m_connection) {
        const DWORD err = ::GetLastError();
        KILNLOG.Log(LOG_ERROR, "WinHttpConnect失敗[ERR:0x%08X]", static_cast<unsigned>(err));
        CloseHandles();
        ::SetLastError(err);
        return false;
    }

    m_host = host;
    m_request.Reset(OpenRequestHandle(m_secure));
    if (!m_request) {
        const DWORD err = ::GetLastError();
        KILNLOG.Log(LOG_ERROR, "WinHttpOpenRequest失敗[ERR:0x%08X]", static_cast<unsigned>(err));
        CloseHandles();
        ::SetLastError(err);
        return false;
    }
    if (m_secure) AskForModernTls();
    return true;
}

// --- certificate checks ---------------------------------------------------------
//
// A secure request keeps every check WinHTTP makes of the service's
// certificate (authority, name, dates, usage), asks for TLS 1.2 or newer and
// for revocation checking. An option the system does not know is logged and
// left out; the request still goes out with the checks the system makes.

void CWinHttpWrapper::AskForModernTls() {
    DWORD protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3;
    if (::WinHttpSetOption(m_session.Get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols,
                           sizeof protocols))
        return;
    // Systems before TLS 1.3 refuse its flag.
    protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;
    if (!::WinHttpSetOption(m_session.Get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols,
                            sizeof protocols))
        KILNLOG.Log(LOG_NORMAL, "TLS1.2指定不可[ERR:0x%08X]",
                    static_cast<unsigned>(::GetLastError()));
}

HINTERNET CWinHttpWrapper::OpenRequestHandle(bool checkRevocation) {
    const wchar_t* path =
        m_urlParts.lpszUrlPath && *m_urlParts.lpszUrlPath ? m_urlParts.lpszUrlPath : L"/";
    const wchar_t* accept[] = {L"*/*", nullptr};
    DWORD flags = WINHTTP_FLAG_REFRESH | (m_secure ? WINHTTP_FLAG_SECURE : 0);
    HINTERNET request = ::WinHttpOpenRequest(m_connection.Get(), kVerbs[m_verbType], path, nullptr,
                                             WINHTTP_NO_REFERER, accept, flags);
    if (!request || !m_secure) return request;
    ::WinHttpSetStatusCallback(request, &CWinHttpWrapper::SecureFailureCallback,
                               WINHTTP_CALLBACK_FLAG_SECURE_FAILURE, 0);
    if (checkRevocation) {
        DWORD feature = WINHTTP_ENABLE_SSL_REVOCATION;
        if (!::WinHttpSetOption(request, WINHTTP_OPTION_ENABLE_FEATURE, &feature, sizeof feature))
            KILNLOG.Log(LOG_NORMAL, "証明書失効確認指定不可[ERR:0x%08X]",
                        static_cast<unsigned>(::GetLastError()));
    }
    ::SetLastError(0);
    return request;
}

void CALLBACK CWinHttpWrapper::SecureFailureCallback(HINTERNET, DWORD_PTR context, DWORD status,
                                                     void* info, DWORD infoSize) {
    if (status != WINHTTP_CALLBACK_STATUS_SECURE_FAILURE || !context || !info ||
        infoSize < sizeof(DWORD))
        return;
    reinterpret_cast<CWinHttpWrapper*>(context)->m_secureFlags |= *static_cast<DWORD*>(info);
}

bool CWinHttpWrapper::SendChecked(HINTERNET& request, bool credentials, const wchar_t* headers,
                                  void* optional, DWORD optionalSize, DWORD totalSize) {
    DWORD flags = 0;
    const auto send = [&] {
        m_secureFlags = 0;
        if (credentials && !m_userName.empty() && !m_password.empty()) {
            ::WinHttpSetOption(request, WINHTTP_OPTION_USERNAME, &m_userName[0],
                               static_cast<DWORD>(m_userName.size()));
            ::WinHttpSetOption(request, WINHTTP_OPTION_PASSWORD, &m_password[0],
                               static_cast<DWORD>(m_password.size()));
        }
        if (m_cancelled) {
            ::SetLastError(ERROR_WINHTTP_OPERATION_CANCELLED);
            return false;
        }
        if (::WinHttpSendRequest(request, headers, static_cast<DWORD>(-1L), optional, optionalSize,
                                 totalSize, reinterpret_cast<DWORD_PTR>(this)))
            return true;
        // Wine's WinHTTP names no reasons: all it says is a channel error.
        const DWORD error = ::GetLastError();
        flags = m_secureFlags ? m_secureFlags.load() : SecureFlagsOfError(error);
        ::SetLastError(error);
        return false;
    };
    if (send()) return true;
    DWORD err = ::GetLastError();
    if (m_cancelled || !m_secure || !IsSecureFailure(err)) return false;
    const std::string host = Narrow(m_host);
    // An unknown revocation status (no list or responder reachable) is taken,
    // but never silently. Where the system gives no reasons, the request is
    // tried once more without the revocation check: every other check stays.
    if (OnlyRevocationUnknown(flags) || flags == kSecureChannelError) {
        if (!ReopenWithoutRevocation(request)) return false;
        if (send()) {
            KILNLOG.Log(LOG_NORMAL,
                        "サーバー証明書の失効確認不可 %s 失効確認なしで接続[ERR:0x%08X]",
                        host.c_str(), static_cast<unsigned>(err));
            return true;
        }
        err = ::GetLastError();
        if (m_cancelled || !IsSecureFailure(err)) return false;
    }
    KILNLOG.Log(LOG_ERROR, "安全な接続の確立失敗[ERR:0x%08X] %s (%s)", static_cast<unsigned>(err),
                host.c_str(), DescribeSecureFailure(flags).c_str());
    ::SetLastError(err);
    return false;
}

// A fresh request handle in place of the worker's, unless Abort has closed it
// meanwhile.
bool CWinHttpWrapper::ReopenWithoutRevocation(HINTERNET& request) {
    HINTERNET fresh = OpenRequestHandle(false);
    if (!fresh) return false;
    qm::CCriticalSection::CLock held(m_handleLock);
    if (m_cancelled) {
        ::WinHttpCloseHandle(fresh);
        ::SetLastError(ERROR_WINHTTP_OPERATION_CANCELLED);
        return false;
    }
    m_request.Reset(fresh);
    m_workerRequest = request = fresh;
    return true;
}

// --- uploads ----------------------------------------------------------------------

bool CWinHttpWrapper::PrepareUpload(const void* body, DWORD bodySize) {
    try {
        if (body && bodySize)
            m_body.assign(static_cast<const char*>(body), bodySize);
        else
            m_body.assign(bodySize, '\0');
    } catch (const std::bad_alloc&) {
        std::string().swap(m_body);
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    return PrepareUploadTimeouts();
}

bool CWinHttpWrapper::PrepareUploadTimeouts() {
    if (m_body.size() >= kHttpLargeBody && OsGeneration() >= kOsServer2008) {
        // Large bodies on slow lines: the defaults would cut them off.
        BOOL ok = ::WinHttpSetTimeouts(m_request.Get(), 0, 60000, 240000, 240000);
        const DWORD err = ::GetLastError();
        KILNLOG.Log(LOG_NORMAL, "WinHttpSetTimeouts設定 %s [ERR:0x%08X]", ok ? "成功" : "失敗",
                    static_cast<unsigned>(err));
    }
    return true;
}

HANDLE CWinHttpWrapper::StartWorker(unsigned(__stdcall* proc)(void*)) {
    m_cancelled = false;
    m_workerError = 0;
    m_workerRequest = m_request.Get();
    uintptr_t h = _beginthreadex(nullptr, 0, proc, this, 0, nullptr);
    m_thread.Reset(reinterpret_cast<HANDLE>(h));
    return m_thread.Get();
}

HANDLE CWinHttpWrapper::Upload(const void* body, DWORD bodySize, const char* contentType,
                               const char* userName, const char* password) {
    if (!m_session || !m_connection || !m_request) return nullptr;
    if (m_abortEvent) ::SetEvent(m_abortEvent.Get());
    if (!contentType) {
        KILNLOG.Log(LOG_ERROR,
                    "アップロード要求時のパラメータ不正 0x%08X, 0x%08X, 0x%08X, 0x%08X, ",
                    static_cast<unsigned>(reinterpret_cast<uintptr_t>(body)),
                    static_cast<unsigned>(bodySize), 0u, 0u);
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (*contentType) m_headers = L"Content-Type:" + AnsiToWide(contentType);
    if (!PrepareUpload(body, bodySize)) return nullptr;
    if (userName && password) {
        m_userName = AnsiToWide(userName);
        m_password = AnsiToWide(password);
    }
    return StartWorker(&CWinHttpWrapper::_UploadThread);
}

HANDLE CWinHttpWrapper::UploadMultiPart(const void* body, DWORD bodySize, const char* boundary,
                                        const char* contentType) {
    if (!m_session || !m_connection || !m_request) return nullptr;
    if (!boundary) return UploadMultiPart(std::string(), boundary, contentType);
    std::string copy;
    try {
        if (body && bodySize)
            copy.assign(static_cast<const char*>(body), bodySize);
        else
            copy.assign(bodySize, '\0');
    } catch (const std::bad_alloc&) {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return UploadMultiPart(std::move(copy), boundary, contentType);
}

HANDLE CWinHttpWrapper::UploadMultiPart(std::string&& body, const char* boundary,
                                        const char* contentType) {
    if (!m_session || !m_connection || !m_request) return nullptr;
    if (m_abortEvent) ::SetEvent(m_abortEvent.Get());
    if (!boundary) {
        KILNLOG.Log(LOG_ERROR, "アップロード要求時のパラメータ不正 バウンダリー未指定 ");
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (contentType && *contentType)
        m_headers = L"Content-Type:" + AnsiToWide(contentType) + L"; boundary=\"" +
                    AnsiToWide(boundary) + L"\"";
    m_body = std::move(body);
    if (!PrepareUploadTimeouts()) return nullptr;
    return StartWorker(&CWinHttpWrapper::_UploadThreadMultiPart);
}

// --- the workers ----------------------------------------------------------------------
// Nothing may leave a thread function: an exception becomes a result.

unsigned CWinHttpWrapper::RunWorker(DWORD (CWinHttpWrapper::*work)(), const char* name,
                                    bool multipart) {
    DWORD result;
    try {
        result = (this->*work)();
    } catch (const std::bad_alloc&) {
        result = Failed(ERROR_NOT_ENOUGH_MEMORY);
        KILNLOG.Log(LOG_ERROR, "領域確保失敗[ERR:0x%08X]", static_cast<unsigned>(result));
    } catch (...) {
        result = Failed(ERROR_INTERNAL_ERROR);
        KILNLOG.Log(LOG_ERROR, "%s - 例外[ERR:0x%08X]", name, static_cast<unsigned>(result));
    }
    return FinishWorker(result, multipart);
}

unsigned __stdcall CWinHttpWrapper::_UploadThread(void* param) {
    return static_cast<CWinHttpWrapper*>(param)->RunWorker(&CWinHttpWrapper::UploadWork,
                                                           "CWinHttpWrapper::_UploadThread", false);
}

unsigned __stdcall CWinHttpWrapper::_UploadThreadMultiPart(void* param) {
    return static_cast<CWinHttpWrapper*>(param)->RunWorker(
        &CWinHttpWrapper::UploadMultiPartWork, "CWinHttpWrapper::_UploadThreadMultiPart", true);
}

unsigned CWinHttpWrapper::FinishWorker(DWORD result, bool multipart) {
    CloseHandles();
    if (multipart)
        KILNLOG.Log(LOG_NORMAL,
                    "CWinHttpWrapper::_UploadThreadMultiPart - _UploadThread 終了 終了コード:%d.",
                    static_cast<int>(result));
    else if (result != 0)
        KILNLOG.Log(LOG_DETAIL, "_UploadThread 終了 終了コード:%d.", static_cast<int>(result));
    m_result = result;
    return result;
}

DWORD CWinHttpWrapper::UploadWork() {
    HINTERNET request = m_workerRequest;
    if (g_beforeSend) g_beforeSend(m_session.Get(), request);
    const wchar_t* headers = m_headers.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : m_headers.c_str();
    const DWORD size = static_cast<DWORD>(m_body.size());
    if (!SendChecked(request, true, headers, size ? &m_body[0] : WINHTTP_NO_REQUEST_DATA, size,
                     size)) {
        const DWORD err =
            Failed(m_cancelled ? ERROR_WINHTTP_OPERATION_CANCELLED : ::GetLastError());
        KILNLOG.Log(LOG_ERROR, "WinHttpSendRequest失敗[ERR:0x%08X] %s", static_cast<unsigned>(err),
                    m_urlNarrow.c_str());
        return err;
    }
    const DWORD result = _GetResponse();
    if (result != 0) {
        KILNLOG.Log(LOG_DETAIL, "_GetResponse 終了 終了コード%d.", static_cast<int>(result));
    } else if (!m_filePath.empty() && m_keepInMemory) {
        WriteWholeResponse();  // its outcome is logged only
    }
    return result;
}

DWORD CWinHttpWrapper::UploadMultiPartWork() {
    KILNLOG.Log(LOG_NORMAL, "CWinHttpWrapper::_UploadThreadMultiPart - _UploadThread 開始.");
    HINTERNET request = m_workerRequest;
    if (g_beforeSend) g_beforeSend(m_session.Get(), request);
    const wchar_t* headers = m_headers.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : m_headers.c_str();
    const DWORD size = static_cast<DWORD>(m_body.size());
    if (!SendChecked(request, false, headers, WINHTTP_NO_REQUEST_DATA, 0, size)) {
        const DWORD err =
            Failed(m_cancelled ? ERROR_WINHTTP_OPERATION_CANCELLED : ::GetLastError());
        KILNLOG.Log(
            LOG_ERROR,
            "CWinHttpWrapper::_UploadThreadMultiPart - WinHttpSendRequest失敗[ERR:0x%08X] %s",
            static_cast<unsigned>(err), m_urlNarrow.c_str());
        return err;
    }
    // The whole body, in blocks: one huge write makes the engine copy and
    // encrypt it in one piece.
    for (DWORD sent = 0; sent < size;) {
        const DWORD block = size - sent < kHttpWriteBlock ? size - sent : kHttpWriteBlock;
        DWORD written = 0;
        if (m_cancelled || !::WinHttpWriteData(request, &m_body[sent], block, &written) ||
            written == 0) {
            DWORD err = m_cancelled ? ERROR_WINHTTP_OPERATION_CANCELLED : ::GetLastError();
            if (!err) err = ERROR_WRITE_FAULT;
            Failed(err);
            KILNLOG.Log(
                LOG_ERROR,
                "CWinHttpWrapper::_UploadThreadMultiPart - WinHttpWriteData失敗[ERR:0x%08X] %s",
                static_cast<unsigned>(err), m_urlNarrow.c_str());
            return err;
        }
        sent += written;
    }
    const DWORD result = _GetResponse();
    if (result != 0) {
        KILNLOG.Log(LOG_DETAIL,
                    "CWinHttpWrapper::_UploadThreadMultiPart - _GetResponse 終了 終了コード%d.",
                    static_cast<int>(result));
    } else if (!m_filePath.empty() && m_keepInMemory) {
        WriteWholeResponse();
    }
    return result;
}

// --- response --------------------------------------------------------------------

// The two-step text query of a numeric header; 0 or the error of the second
// query. present is false when the header is missing.
DWORD CWinHttpWrapper::QueryNumber(DWORD what, bool& present, DWORD& value) {
    present = false;
    HINTERNET request = m_workerRequest;
    DWORD size = 0;
    if (::WinHttpQueryHeaders(request, what, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &size,
                              WINHTTP_NO_HEADER_INDEX))
        return 0;
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return 0;
    size &= ~1u;
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    if (!::WinHttpQueryHeaders(request, what, WINHTTP_HEADER_NAME_BY_INDEX, &text[0], &size,
                               WINHTTP_NO_HEADER_INDEX))
        return Failed(::GetLastError());
    present = true;
    value = static_cast<DWORD>(std::wcstoul(text.c_str(), nullptr, 10));
    return 0;
}

DWORD CWinHttpWrapper::_GetResponse() {
    HINTERNET request = m_workerRequest;
    if (IsAborted()) return ERROR_REQUEST_ABORTED;
    if (!::WinHttpReceiveResponse(request, nullptr)) {
        const DWORD err = Failed(::GetLastError());
        KILNLOG.Log(LOG_ERROR, "WinHttpReceiveResponse失敗[ERR:0x%08X] %s",
                    static_cast<unsigned>(err), m_urlNarrow.c_str());
        return err;
    }
    if (IsAborted()) return ERROR_REQUEST_ABORTED;

    bool present = false;
    DWORD status = 0;
    DWORD err = QueryNumber(WINHTTP_QUERY_STATUS_CODE, present, status);
    if (err) return err;
    DWORD contentLength = 0;
    bool lengthKnown = false;
    err = QueryNumber(WINHTTP_QUERY_CONTENT_LENGTH, lengthKnown, contentLength);
    if (err) {
        KILNLOG.Log(LOG_ERROR, "WINHTTP_QUERY_CONTENT_LENGTH 失敗 0x%08X",
                    static_cast<unsigned>(err));
        return err;
    }
    if (lengthKnown)
        KILNLOG.Log(LOG_DETAIL, "WINHTTP_QUERY_CONTENT_LENGTH %dBYTE",
                    static_cast<int>(contentLength));
    if (status < 200 || status > 299) {
        KILNLOG.Log(LOG_ERROR, "WinHttpQueryHeaders HTTPSTATUSエラー:%d  %s",
                    static_cast<int>(status), m_urlNarrow.c_str());
        return status | kHttpStatusFlag;
    }

    KILNLOG.Log(LOG_DETAIL, "実ファイルダウンロード開始 %s", m_urlNarrow.c_str());
    // In memory the chunks are read straight onto the end of the collected
    // block, which grows geometrically; to a file one buffer serves them all.
    std::vector<BYTE> collected;
    std::vector<BYTE> chunk;
    DWORD total = 0;
    DWORD remembered = 0;
    auto abortedOrNoMemory = [&](DWORD code) {
        std::vector<BYTE>().swap(collected);
        return code;
    };
    for (;;) {
        DWORD batch = 0;
        if (lengthKnown) {
            batch = contentLength;
        } else if (!::WinHttpQueryDataAvailable(request, &batch)) {
            const DWORD e = Failed(::GetLastError());
            KILNLOG.Log(LOG_ERROR, "WinHttpQueryDataAvailable失敗[ERR:0x%08X]",
                        static_cast<unsigned>(e));
            return abortedOrNoMemory(e);
        }
        if (IsAborted()) return abortedOrNoMemory(ERROR_REQUEST_ABORTED);
        if (!lengthKnown && batch == 0) {
            ::Sleep(50);
            break;
        }
        DWORD remaining = lengthKnown ? batch - (total < batch ? total : batch) : batch;
        int zeroReads = 0;
        while (remaining > 0) {
            if (IsAborted()) return abortedOrNoMemory(ERROR_REQUEST_ABORTED);
            const DWORD chunkSize = remaining < kHttpChunkMax ? remaining : kHttpChunkMax;
            BYTE* into = nullptr;
            try {
                if (m_keepInMemory) {
                    collected.resize(static_cast<size_t>(total) + chunkSize);
                    into = collected.data() + total;
                } else {
                    if (chunk.size() < chunkSize) chunk.resize(chunkSize);
                    into = chunk.data();
                }
            } catch (const std::bad_alloc&) {
                KILNLOG.Log(LOG_ERROR, "領域確保失敗[ERR:0x%08X]",
                            static_cast<unsigned>(ERROR_NOT_ENOUGH_MEMORY));
                return abortedOrNoMemory(Failed(ERROR_NOT_ENOUGH_MEMORY));
            }
            DWORD got = 0;
            if (!::WinHttpReadData(request, into, chunkSize, &got)) {
                remembered = Failed(::GetLastError());
                KILNLOG.Log(LOG_ERROR, "WinHttpReadData失敗[ERR:0x%08X]",
                            static_cast<unsigned>(remembered));
                break;
            }
            if (m_keepInMemory) collected.resize(static_cast<size_t>(total) + got);
            if (got == 0) {
                const DWORD e = ::GetLastError();
                if (++zeroReads > kHttpZeroReadLimit) {
                    KILNLOG.Log(LOG_ERROR,
                                "WinHttpReadData 取得サイズリトライオーバー [ERR:0x%08X]",
                                static_cast<unsigned>(e));
                    // No call failed, yet the answer stays short: the time-out is
                    // this worker's error too, reported with the result.
                    remembered = Failed(ERROR_WINHTTP_TIMEOUT);
                    break;
                }
                KILNLOG.Log(LOG_NORMAL, "WinHttpReadData 取得サイズ０ 継続 [ERR:0x%08X]",
                            static_cast<unsigned>(e));
                ::Sleep(100);
                continue;
            }
            zeroReads = 0;
            if (!m_keepInMemory) {
                const DWORD e = AppendChunkToFile(into, got);
                if (e) {
                    KILNLOG.Log(LOG_ERROR, "WinHttpReadData失敗[ERR:0x%08X]",
                                static_cast<unsigned>(e));
                    return abortedOrNoMemory(Failed(e));
                }
            }
            total += got;
            remaining = got < remaining ? remaining - got : 0;
            if (m_notifyWindow)
                ::PostMessageA(m_notifyWindow, m_notifyMessage, 0, static_cast<LPARAM>(got));
        }
        if (remembered) break;
        if (lengthKnown && total >= contentLength) break;
    }
    KILNLOG.Log(LOG_DETAIL, "実ファイルダウンロード終了 総サイズ%d", static_cast<int>(total));
    FreeResponse();
    if (!collected.empty()) {
        m_response = std::move(collected);
        m_responseSize = static_cast<DWORD>(m_response.size());
    } else {
        m_responseSize = total;
    }
    return remembered;
}

// --- response to a file ------------------------------------------------------------

DWORD CWinHttpWrapper::WriteWholeResponse() {
    const BYTE* data = GetResponseData();
    if (!data || !m_responseSize || m_filePath.empty()) {
        KILNLOG.Log(LOG_ERROR, "ファイル書込み時のデータエラー 0x%08X, 0x%08X, %s",
                    static_cast<unsigned>(reinterpret_cast<uintptr_t>(data)),
                    static_cast<unsigned>(m_responseSize), m_filePath.c_str());
        return ERROR_WINHTTP_INVALID_SERVER_RESPONSE;
    }
    // Replaced in one step, never deleted first: an answer that cannot be
    // written whole (a full disk) leaves the file as it was.
    const WholeFileWriteResult w = WriteWholeFileReplacing(
        m_filePath, std::string(reinterpret_cast<const char*>(data), m_responseSize));
    if (w.failed == WholeFileStep::kOpen) {
        KILNLOG.Log(LOG_ERROR, "ダウンロードデータ書込み時のファイルオープン失敗[ERR:0x%08X].%s",
                    static_cast<unsigned>(w.error), m_filePath.c_str());
        return w.error;
    }
    if (!w.Ok()) {
        KILNLOG.Log(LOG_ERROR, "ダウンロードデータ書込み失敗[ERR:0x%08X",
                    static_cast<unsigned>(w.error));
        return w.error ? w.error : ERROR_WRITE_FAULT;
    }
    return 0;
}

DWORD CWinHttpWrapper::AppendChunkToFile(const BYTE* data, DWORD size) {
    if (!data || !size || m_filePath.empty()) {
        KILNLOG.Log(LOG_ERROR, "ファイル書込み時のデータエラー 0x%08X, 0x%08X, %s",
                    static_cast<unsigned>(reinterpret_cast<uintptr_t>(data)),
                    static_cast<unsigned>(size), m_filePath.c_str());
        return ERROR_INVALID_PARAMETER;
    }
    qm::CFileHandle file(::CreateFileA(m_filePath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        DWORD e = ::GetLastError();
        KILNLOG.Log(LOG_ERROR, "ダウンロードデータ書込み時のファイルオープン失敗[ERR:0x%08X].%s",
                    static_cast<unsigned>(e), m_filePath.c_str());
        return e;
    }
    if (::SetFilePointer(file.Get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
        ::GetLastError() != NO_ERROR) {
        DWORD e = ::GetLastError();
        KILNLOG.Log(LOG_ERROR, "ダウンロードデータ書込みファイルポインタ移動失敗[ERR:0x%08X",
                    static_cast<unsigned>(e));
        return e;
    }
    DWORD written = 0;
    if (!::WriteFile(file.Get(), data, size, &written, nullptr) || written != size) {
        DWORD e = ::GetLastError();
        KILNLOG.Log(LOG_ERROR, "ダウンロードデータ書込み失敗[ERR:0x%08X]",
                    static_cast<unsigned>(e));
        return e ? e : ERROR_WRITE_FAULT;
    }
    return 0;
}

// --- Abort ----------------------------------------------------------------------------

bool CWinHttpWrapper::Abort(DWORD timeoutMs) {
    if (m_abortEvent) ::ResetEvent(m_abortEvent.Get());
    if (!m_thread) return true;
    return StopWorker(timeoutMs);
}

bool CWinHttpWrapper::StopWorker(DWORD timeoutMs) {
    // The sending and receiving calls do not poll the event: closing the
    // request handle is what makes them return.
    CloseRequestHandle();
    DWORD wait = ::WaitForSingleObject(m_thread.Get(), timeoutMs);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) {
        m_thread.Reset();
        return true;
    }
    if (wait == WAIT_TIMEOUT) {
        KILNLOG.Log(LOG_ERROR, "中断要求にタイムアウトしました[ERR:0x%08X]",
                    static_cast<unsigned>(::GetLastError()));
        // The last resort: the worker did not return from WinHTTP.
        ::TerminateThread(m_thread.Get(), 0);
        ::WaitForSingleObject(m_thread.Get(), INFINITE);
        KILNLOG.Log(LOG_ERROR, "CWinHttpWrapper::Abort - 通信スレッド強制終了 %s",
                    m_urlNarrow.c_str());
        m_thread.Reset();
        return false;
    }
    KILNLOG.Log(LOG_ERROR, "中断要求に失敗しました[ERR:0x%08X]",
                static_cast<unsigned>(::GetLastError()));
    return false;
}
