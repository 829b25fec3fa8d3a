#include <process.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "common/CodePage.h"
#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "common/KilnLog.h"
#include "common/OsType.h"
#include "net/AplLogRules.h"
#include "net/AplLogUpload.h"
#include "net/ConnectionFile.h"
#include "net/ResponseAnalyzer.h"
#include "net/WinHttpWrapper.h"
#include "net/ZipIF.h"

namespace {

constexpr DWORD kPreviousWorkerWaitMs = 1500;
// The destructor's wait beyond the abort wait: the cancelled worker still
// cleans up and posts its result.
constexpr DWORD kCleanUpWaitMs = 5000;

// How one exchange with the service ended.
enum class Wait { kDone, kCancelled, kFailed };

Wait WaitForWorker(HANDLE worker, HANDLE cancel) {
    HANDLE handles[2] = {worker, cancel};
    DWORD w = ::WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    if (w == WAIT_OBJECT_0) return Wait::kDone;
    if (w == WAIT_OBJECT_0 + 1) return Wait::kCancelled;
    return Wait::kFailed;
}

bool IsAdministrator() {
    HANDLE raw = nullptr;
    if (!::OpenThreadToken(::GetCurrentThread(), TOKEN_QUERY, TRUE, &raw) &&
        !::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw))
        return false;
    qm::CHandle token(raw);
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID admins = nullptr;
    if (!::AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0,
                                    0, 0, 0, 0, 0, &admins))
        return false;
    bool found = false;
    DWORD size = 0;
    ::GetTokenInformation(token.Get(), TokenGroups, nullptr, 0, &size);
    if (size) {
        std::unique_ptr<BYTE[]> buf(new BYTE[size]);
        if (::GetTokenInformation(token.Get(), TokenGroups, buf.get(), size, &size)) {
            const TOKEN_GROUPS* groups = reinterpret_cast<const TOKEN_GROUPS*>(buf.get());
            for (DWORD i = 0; i < groups->GroupCount && !found; ++i)
                found = ::EqualSid(groups->Groups[i].Sid, admins) != FALSE;
        }
    }
    ::FreeSid(admins);
    return found;
}

// Calls onFile with each file (not sub-folder) of a log folder; method names
// the caller in the log records.
template <class OnFile>
void ForEachFileIn(const std::string& folder, const char* method, OnFile onFile) {
    if (folder.empty()) {
        KILNLOG.Log(LOG_ERROR, "CAplLogUpload::%s - パス指定不正", method);
        return;
    }
    WIN32_FIND_DATAA fd;
    const std::string pattern = folder + "*";
    qm::CFindHandle find(::FindFirstFileA(pattern.c_str(), &fd));
    if (!find) {
        KILNLOG.Log(LOG_ERROR, "CAplLogUpload::%s - FindFirstFile 失敗 PATH:%s ERR:0x%08X", method,
                    pattern.c_str(), static_cast<unsigned>(::GetLastError()));
        return;
    }
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        onFile(fd);
    } while (::FindNextFileA(find.Get(), &fd));
}

}  // namespace

CAplLogUpload::CAplLogUpload() {
    m_cancelEvent.Reset(::CreateEventA(nullptr, FALSE, FALSE, "AplLogUploadCancel"));
}

CAplLogUpload::~CAplLogUpload() {
    // The worker uses this object: cancel it and wait for it to end.
    if (!m_thread || ::WaitForSingleObject(m_thread.Get(), 0) != WAIT_TIMEOUT) return;
    ::SetEvent(m_cancelEvent.Get());
    if (::WaitForSingleObject(m_thread.Get(), m_abortWaitMs + kCleanUpWaitMs) == WAIT_TIMEOUT) {
        KILNLOG.Log(LOG_ERROR,
                    "CAplLogUpload::~CAplLogUpload - 処理スレッド終了待ちタイムアウト %X",
                    static_cast<unsigned>(m_kind));
        ::TerminateThread(m_thread.Get(), 17);
        ::WaitForSingleObject(m_thread.Get(), INFINITE);
    }
}

bool CAplLogUpload::SetNaviInfo(const char* deviceNo, DWORD ccid, const char* userAgent,
                                bool isMothModel) {
    if (ccid == 0) {
        KILNLOG.Log(LOG_ERROR, "CAplLogUpload::SetNaviInfo - CCID指定なし");
        m_result = kAplLogBadParams;
        return false;
    }
    if (!deviceNo) {
        KILNLOG.Log(LOG_ERROR, "CAplLogUpload::SetNaviInfo - DeviceNo指定なし");
        m_result = kAplLogBadParams;
        return false;
    }
    if (!userAgent) {
        KILNLOG.Log(LOG_ERROR, "CAplLogUpload::SetNaviInfo - UserAgent指定なし");
        m_result = kAplLogBadParams;
        return false;
    }
    m_deviceNo = deviceNo;
    m_ccid = ccid;
    m_userAgent = userAgent;
    m_isMothModel = isMothModel;
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    const std::string name =
        MakeArchiveName(m_deviceNo, t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    const std::string temp = GetTemporaryFolder();
    m_collectFolder = temp + name + "\\";
    m_zipPath = temp + name + ".zip";
    return true;
}

bool CAplLogUpload::Start(HWND window, UINT message, DWORD kind) {
    if (!::IsWindow(window)) {
        KILNLOG.Log(LOG_ERROR, "CAplLogUpload::Start - 指定HWND不正 %08X",
                    static_cast<unsigned>(reinterpret_cast<uintptr_t>(window)));
        m_result = kAplLogBadParams;
        return false;
    }
    if (kind != kAplLogCheckPermission && kind != kAplLogUpload) {
        KILNLOG.Log(LOG_ERROR, "CAplLogUpload::Start - 指定処理種別不正 %X",
                    static_cast<unsigned>(kind));
        m_result = kAplLogBadParams;
        return false;
    }
    if (m_thread) {
        if (::WaitForSingleObject(m_thread.Get(), kPreviousWorkerWaitMs) == WAIT_TIMEOUT) {
            KILNLOG.Log(LOG_ERROR,
                        "CAplLogUpload::Start - 開始要求時の処理中エラー直前スレッド生存 %X",
                        static_cast<unsigned>(m_kind));
            ::TerminateThread(m_thread.Get(), 17);
            ::WaitForSingleObject(m_thread.Get(), INFINITE);
            m_thread.Reset();
            return false;
        }
        m_thread.Reset();
    }
    m_kind = kind;
    m_window = window;
    m_message = message;
    ::ResetEvent(m_cancelEvent.Get());
    uintptr_t h = _beginthreadex(
        nullptr, 0, kind == kAplLogUpload ? &UploadThread : &PermissionThread, this, 0, nullptr);
    if (!h) {
        m_detail = ::GetLastError();
        m_result = kAplLogFailed;
        KILNLOG.Log(LOG_ERROR, "CAplLogUpload::Start - スレッド開始失敗(種別:%d) ERR:0x%08X",
                    static_cast<int>(kind), static_cast<unsigned>(m_detail));
        return false;
    }
    m_thread.Reset(reinterpret_cast<HANDLE>(h));
    return true;
}

void CAplLogUpload::PostResult() {
    ::PostMessageA(m_window, m_message, static_cast<WPARAM>(m_result),
                   static_cast<LPARAM>(m_detail));
}

unsigned __stdcall CAplLogUpload::PermissionThread(void* param) {
    CAplLogUpload* self = static_cast<CAplLogUpload*>(param);
    // Nothing may leave the thread function.
    try {
        self->_CheckPermission();
    } catch (...) {
        self->m_result = kAplLogFailed;
        KILNLOG.Log(LOG_ERROR,
                    "AplLogUpload::_CheckPermission - ログアップロード許可確認時の失敗[ERR:0x%08X]",
                    static_cast<unsigned>(ERROR_NOT_ENOUGH_MEMORY));
    }
    self->PostResult();
    return 0;
}

unsigned __stdcall CAplLogUpload::UploadThread(void* param) {
    CAplLogUpload* self = static_cast<CAplLogUpload*>(param);
    try {
        self->_Upload();
    } catch (...) {
        self->m_result = kAplLogFailed;
        KILNLOG.Log(LOG_ERROR, "AplLogUpload::_SendLogFile - ログアップロード時の失敗[ERR:0x%08X]",
                    static_cast<unsigned>(ERROR_NOT_ENOUGH_MEMORY));
    }
    ::DeleteFileA(self->m_zipPath.c_str());
    DeleteFolderTree(self->m_collectFolder.c_str(), true);
    self->PostResult();
    return 0;
}

// --- permission check -----------------------------------------------------------

void CAplLogUpload::_CheckPermission() {
    m_result = 0;
    m_detail = 0;
    const CallEndpoints ids = EndpointsFor(ServiceCall::kLogUploadPermission, m_isMothModel);
    CRequestParams params;
    params.SetDeviceParams(m_deviceNo.c_str(), m_ccid);
    CConnectionFile& table = CConnectionFile::Instance();
    const RequestBody body = table.CreatePostData(ids.body, params);
    if (!body.Ok() || body.bytes.empty()) {
        KILNLOG.Log(
            LOG_ERROR,
            "CAplLogUpload::_CheckPermission - ログアップロード許可確認時のパラメータ生成失敗");
        m_result = kAplLogNoBody;
        return;
    }
    const std::string url = table.GetUrl(ids.url);
    CWinHttpWrapper http;
    if (!http.SetRequest(url.c_str(), 0, nullptr, true)) {
        m_detail = ::GetLastError();
        KILNLOG.Log(LOG_ERROR,
                    "CAplLogUpload::_CheckPermission - "
                    "ログアップロード許可確認時のHTTP生成失敗[ERR:0x%08X]",
                    static_cast<unsigned>(m_detail));
        m_result = kAplLogNoHttp;
        return;
    }
    const std::wstring agent = AnsiToWide(m_userAgent);
    HANDLE worker = nullptr;
    if (!http.Open(HTTP_VERB_POST, agent.c_str(), nullptr) ||
        !(worker = http.Upload(body.bytes.data(), static_cast<DWORD>(body.bytes.size()),
                               "application/x-www-form-urlencoded", nullptr, nullptr))) {
        m_detail = ::GetLastError();
        KILNLOG.Log(
            LOG_ERROR,
            "AplLogUpload::_CheckPermission - ログアップロード許可確認時の接続試行失敗[ERR:0x%08X]",
            static_cast<unsigned>(m_detail));
        m_result = kAplLogNoHttp;
        return;
    }
    const Wait w = WaitForWorker(worker, m_cancelEvent.Get());
    KILNLOG.Log(LOG_NORMAL, "AplLogUpload::_CheckPermission - ログアップロード許可確認通信完了");
    if (w == Wait::kCancelled) {
        http.Abort(m_abortWaitMs);
        m_result = kAplLogCancelled;
        KILNLOG.Log(
            LOG_NORMAL,
            "AplLogUpload::_CheckPermission - ログアップロード許可確認時のユーザキャンセル");
        return;
    }
    if (w == Wait::kFailed) {
        m_detail = ::GetLastError();
        m_result = kAplLogFailed;
        KILNLOG.Log(LOG_ERROR,
                    "AplLogUpload::_CheckPermission - ログアップロード許可確認時の失敗[ERR:0x%08X]",
                    static_cast<unsigned>(m_detail));
        return;
    }
    const DWORD r = http.GetResult();
    if (r != 0) {
        // The error belongs to the engine's worker, not to this thread.
        m_detail = http.GetWorkerError();
        KILNLOG.Log(LOG_ERROR,
                    "AplLogUpload::_CheckPermission - "
                    "ログアップロード許可確認時の通信異常失敗[nResponse:0x%08X]",
                    static_cast<unsigned>(r));
        m_result = (r & ~kHttpStatusFlag) | kAplLogTransportFlag;
        return;
    }
    bool permitted = false;
    std::string complaint;
    const uint32_t a = AnalyzeLogUploadPermission(http.GetResponseData(), http.GetResponseSize(),
                                                  permitted, &complaint);
    if (!complaint.empty()) KILNLOG.Log(LOG_ERROR, "%s", complaint.c_str());
    if (a != ANALYZE_OK) {
        m_result = (a & ~ANALYZE_SERVER_ERROR) | kAplLogServiceFlag;
        KILNLOG.Log(LOG_ERROR,
                    "AplLogUpload::_CheckPermission - "
                    "ログアップロード許可確認時のサーバーレスポンスエラー [AnalyzeERR:0x%08X]",
                    static_cast<unsigned>(a & ~ANALYZE_SERVER_ERROR));
        return;
    }
    m_result = permitted ? 0 : kAplLogNotPermitted;
}

// --- upload --------------------------------------------------------------------------

void CAplLogUpload::_Upload() {
    m_result = 0;
    m_detail = 0;
    _CollectLogFolders();
    if (!_CollectLogFiles()) return;
    if (!_CollectPCInfo()) return;
    if (!_CreateSendFile()) return;
    if (!_SendLogFile()) return;
    _ClearLogFiles();
}

void CAplLogUpload::_CollectLogFolders() {
    m_logFolders.clear();
    const std::string folder = GetLogFolder();
    if (IsDirectory(folder.c_str()))
        m_logFolders.push_back(folder);
    else
        KILNLOG.Log(LOG_ERROR, "CAplLogUpload::_CollectLogFolders - ログフォルダなし %s",
                    folder.c_str());
}

bool CAplLogUpload::_CollectLogFiles() {
    CreateDirectories(m_collectFolder.c_str());
    for (const std::string& folder : m_logFolders) {
        ForEachFileIn(folder, "_CollectLogFiles", [&](const WIN32_FIND_DATAA& fd) {
            const uint64_t size = (static_cast<uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
            const LogFileChoice choice = ChooseLogFile(fd.cFileName, size);
            if (choice == LogFileChoice::kSkip) return;
            if (choice == LogFileChoice::kTooLarge) {
                KILNLOG.Log(
                    LOG_ERROR,
                    "CAplLogUpload::_CollectLogFiles - ログファイルサイズ超過 SIZE:%X%08Xbyte %s",
                    static_cast<unsigned>(fd.nFileSizeHigh), static_cast<unsigned>(fd.nFileSizeLow),
                    fd.cFileName);
                return;
            }
            const std::string src = folder + fd.cFileName;
            const std::string dst = m_collectFolder + fd.cFileName;
            if (!::CopyFileA(src.c_str(), dst.c_str(), FALSE))
                KILNLOG.Log(
                    LOG_ERROR,
                    "CAplLogUpload::_CollectLogFiles - CopyFile失敗 SRC:%s DST:%s ERR:0x%08X",
                    src.c_str(), dst.c_str(), static_cast<unsigned>(::GetLastError()));
        });
    }
    return true;
}

bool CAplLogUpload::_CollectPCInfo() {
    PcInfoFacts facts;
    facts.isAdmin = IsAdministrator();
    KILNLOG.Log(LOG_NORMAL, "CAplLogUpload::_CollectPCInfo - 起動ユーザー情報 %s",
                PcInfoUserPart(facts).c_str());

    const int os = GetOsType();
    if (os == kOsXP || os >= kOsVista) {
        HMODULE kernel = ::GetModuleHandleA("Kernel32.dll");
        if (!kernel) {
            facts.cpu = PcInfoFacts::kCpuNoDll;
            KILNLOG.Log(LOG_ERROR,
                        "CAplLogUpload::_CollectPCInfo - CPU情報取得失敗 DLL取得失敗 ERR:0x%08X",
                        static_cast<unsigned>(::GetLastError()));
        } else {
            using GetNativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
            auto fn = reinterpret_cast<GetNativeSystemInfoFn>(
                reinterpret_cast<void*>(::GetProcAddress(kernel, "GetNativeSystemInfo")));
            if (!fn) {
                facts.cpu = PcInfoFacts::kCpuNoApi;
                KILNLOG.Log(
                    LOG_ERROR,
                    "CAplLogUpload::_CollectPCInfo - CPU情報取得失敗 API取得失敗 ERR:0x%08X",
                    static_cast<unsigned>(::GetLastError()));
            } else {
                SYSTEM_INFO si = {};
                fn(&si);
                facts.cpu = PcInfoFacts::kCpuOk;
                facts.oemId = si.dwOemId;
                facts.processorArchitecture = si.wProcessorArchitecture;
                facts.pageSize = si.dwPageSize;
                facts.activeProcessorMask = static_cast<uint64_t>(si.dwActiveProcessorMask);
                facts.numberOfProcessors = si.dwNumberOfProcessors;
                facts.processorType = si.dwProcessorType;
                facts.allocationGranularity = si.dwAllocationGranularity;
                facts.processorLevel = si.wProcessorLevel;
                facts.processorRevision = si.wProcessorRevision;
            }
        }
    } else {
        facts.cpu = PcInfoFacts::kCpuBeforeXp;
        KILNLOG.Log(LOG_ERROR, "CAplLogUpload::_CollectPCInfo - XP未満");
    }
    KILNLOG.Log(LOG_NORMAL, "CAplLogUpload::_CollectPCInfo - %s", PcInfoCpuPart(facts).c_str());

    MEMORYSTATUSEX mem = {};
    mem.dwLength = sizeof mem;
    if (::GlobalMemoryStatusEx(&mem)) {
        facts.memoryOk = true;
        facts.totalPhysical = mem.ullTotalPhys;
        facts.availablePhysical = mem.ullAvailPhys;
    } else {
        KILNLOG.Log(LOG_ERROR, "CAplLogUpload::_CollectPCInfo - メモリ情報取得失敗 ERR:0x%08X",
                    static_cast<unsigned>(::GetLastError()));
    }
    KILNLOG.Log(LOG_NORMAL, "CAplLogUpload::_CollectPCInfo - メモリ情報取得 %s",
                PcInfoMemoryPart(facts).c_str());

    OSVERSIONINFOEXA ver = {};
    ver.dwOSVersionInfoSize = sizeof ver;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&ver))) {
#pragma GCC diagnostic pop
        facts.osOk = true;
        facts.major = ver.dwMajorVersion;
        facts.minor = ver.dwMinorVersion;
        facts.build = ver.dwBuildNumber;
        facts.platformId = ver.dwPlatformId;
        facts.servicePack = ver.szCSDVersion;
        facts.spMajor = ver.wServicePackMajor;
        facts.spMinor = ver.wServicePackMinor;
        facts.suiteMask = ver.wSuiteMask;
        facts.productType = ver.wProductType;
    } else {
        KILNLOG.Log(LOG_ERROR, "CAplLogUpload::_CollectPCInfo - OS情報取得失敗 ERR:0x%08X",
                    static_cast<unsigned>(::GetLastError()));
    }
    KILNLOG.Log(LOG_NORMAL, "CAplLogUpload::_CollectPCInfo - OS情報 %s",
                PcInfoOsPart(facts).c_str());

    const std::string text = BuildPcInfoText(facts);
    const std::string path = m_collectFolder + "PcInfo.txt";
    qm::CFileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        m_detail = ::GetLastError();
        KILNLOG.Log(LOG_ERROR, "CAplLogUpload::_CollectPCInfo - PC情報ファイル作成失敗 ERR:0x%08X",
                    static_cast<unsigned>(m_detail));
        m_result = kAplLogFailed;
        return false;
    }
    DWORD written = 0;
    if (!::WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size()) {
        m_detail = ::GetLastError();
        KILNLOG.Log(LOG_ERROR,
                    "CAplLogUpload::_CollectPCInfo - PC情報ファイル書込み失敗 ERR:0x%08X",
                    static_cast<unsigned>(m_detail));
        m_result = kAplLogFailed;
        return false;
    }
    return true;
}

bool CAplLogUpload::_CreateSendFile() {
    if (!IsDirectory(m_collectFolder.c_str())) {
        KILNLOG.Log(LOG_ERROR,
                    "CAplLogUpload::_CreateSendFile - 送信ファイル作成時の収集フォルダなし %s",
                    m_collectFolder.c_str());
        m_result = kAplLogBadParams;
        return false;
    }
    CZipIF zip;
    if (!zip.ZipFolder(m_collectFolder.c_str(), m_zipPath.c_str())) {
        m_result = kAplLogZipFailed;
        m_detail = static_cast<DWORD>(zip.GetLastZipError());
        KILNLOG.Log(LOG_ERROR,
                    "CAplLogUpload::_CreateSendFile - 送信ファイル圧縮失敗 %s ERR:0x%08X",
                    m_zipPath.c_str(), static_cast<unsigned>(m_detail));
        return false;
    }
    return true;
}

bool CAplLogUpload::_SendLogFile() {
    CRequestParams params;
    params.SetLogUploadParams(m_deviceNo.c_str(), m_ccid, m_zipPath.c_str());
    CConnectionFile& table = CConnectionFile::Instance();
    const CallEndpoints ids = EndpointsFor(ServiceCall::kLogUpload, m_isMothModel);
    RequestBody body = table.CreateMultiPartData(ids.body, params);
    if (!body.Ok() || body.bytes.empty()) {
        // The builder's own error (a file step), not whatever the log left.
        m_detail = body.fileError;
        KILNLOG.Log(LOG_ERROR,
                    "CAplLogUpload::_SendLogFile - ログアップロード時のパラメータ生成失敗");
        m_result = kAplLogNoBody;
        return false;
    }
    const DWORD size = static_cast<DWORD>(body.bytes.size());
    KILNLOG.Log(LOG_NORMAL, "CAplLogUpload::_SendLogFile - ログアップロードデータサイズ %dbyte",
                static_cast<int>(size));
    const std::string url = table.GetUrl(ids.url);
    CWinHttpWrapper http;
    if (!http.SetRequest(url.c_str(), 0, nullptr, true)) {
        m_detail = ::GetLastError();
        KILNLOG.Log(LOG_ERROR,
                    "CAplLogUpload::_SendLogFile - ログアップロード時のHTTP生成失敗[ERR:0x%08X]",
                    static_cast<unsigned>(m_detail));
        m_result = kAplLogNoHttp;
        return false;
    }
    const std::wstring agent = AnsiToWide(m_userAgent);
    HANDLE worker = nullptr;
    if (!http.Open(HTTP_VERB_POST, agent.c_str(), nullptr) ||
        !(worker = http.UploadMultiPart(std::move(body.bytes), kMultipartBoundary,
                                        "multipart/form-data"))) {
        m_detail = ::GetLastError();
        KILNLOG.Log(LOG_ERROR,
                    "AplLogUpload::_SendLogFile - ログアップロード時の接続試行失敗[ERR:0x%08X]",
                    static_cast<unsigned>(m_detail));
        m_result = kAplLogNoHttp;
        return false;
    }
    const Wait w = WaitForWorker(worker, m_cancelEvent.Get());
    KILNLOG.Log(LOG_NORMAL, "AplLogUpload::_SendLogFile - ログアップロード通信完了");
    if (w == Wait::kCancelled) {
        http.Abort(m_abortWaitMs);
        m_result = kAplLogCancelled;
        KILNLOG.Log(LOG_NORMAL,
                    "AplLogUpload::_SendLogFile - ログアップロード時のユーザキャンセル");
        return false;
    }
    if (w == Wait::kFailed) {
        m_detail = ::GetLastError();
        m_result = kAplLogFailed;
        KILNLOG.Log(LOG_ERROR, "AplLogUpload::_SendLogFile - ログアップロード時の失敗[ERR:0x%08X]",
                    static_cast<unsigned>(m_detail));
        return false;
    }
    const DWORD r = http.GetResult();
    if (r != 0) {
        m_detail = http.GetWorkerError();
        KILNLOG.Log(
            LOG_ERROR,
            "AplLogUpload::_SendLogFile - ログアップロード時の通信異常失敗[nResponse:0x%08X]",
            static_cast<unsigned>(r));
        m_result = (r & ~kHttpStatusFlag) | kAplLogTransportFlag;
        return false;
    }
    const uint32_t a = AnalyzeLogUpload(http.GetResponseData(), http.GetResponseSize());
    if (a != ANALYZE_OK) {
        m_result = (a & ~ANALYZE_SERVER_ERROR) | kAplLogServiceFlag;
        KILNLOG.Log(LOG_ERROR,
                    "AplLogUpload::_SendLogFile - ログアップロード時のサーバーレスポンスエラー "
                    "[AnalyzeERR:0x%08X]",
                    static_cast<unsigned>(a & ~ANALYZE_SERVER_ERROR));
        return false;
    }
    m_result = 0;
    return true;
}

void CAplLogUpload::_ClearLogFiles() {
    for (const std::string& folder : m_logFolders) {
        ForEachFileIn(folder, "_ClearLogFiles", [&](const WIN32_FIND_DATAA& fd) {
            if (!IsUploadedLogName(fd.cFileName)) return;
            const std::string path = folder + fd.cFileName;
            if (!::DeleteFileA(path.c_str()))
                KILNLOG.Log(LOG_ERROR,
                            "CAplLogUpload::DeleteFile - DeleteFile失敗 PATH:%s ERR:0x%08X",
                            path.c_str(), static_cast<unsigned>(::GetLastError()));
        });
    }
}
