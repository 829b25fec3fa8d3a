#include <memory>

#include "app/AuthenticationWorker.h"
#include "app/InitializationWindowRules.h"
#include "common/CodePage.h"
#include "common/KilnLog.h"
#include "datafiles/PcLinkFile.h"
#include "datafiles/UserListFile.h"
#include "net/ConnectionFile.h"
#include "net/ResponseAnalyzer.h"
#include "net/WinHttpWrapper.h"

namespace {

uint32_t LastErrorTransport(const char* format) {
    const DWORD error = ::GetLastError();
    KILNLOG.Log(LOG_ERROR, format, static_cast<unsigned>(error));
    return kAuthTransportFlag | error;
}

// Reads the first card into the job; false when there is none or it has no
// identity.
bool ReadCard(AuthenticationJob& job, uint8_t& modelCode) {
    if (job.drives->empty()) FindNaviCards(*job.drives);
    if (job.drives->empty()) {
        KILNLOG.Log(LOG_NORMAL, "SDカード無し");
        return false;
    }
    CPcLinkFile card(CPcLinkFile::kPcLink, job.drives->front());
    if (!card.IsLoaded()) return false;
    job.deviceNo = card.GetDeviceNo();
    job.ccid = card.GetNaviId();
    job.modelType = static_cast<uint32_t>(card.GetFormatGeneration());
    modelCode = card.GetModelCode();
    return !job.deviceNo.empty() && job.ccid != 0;
}

}  // namespace

uint32_t RunAuthentication(AuthenticationJob& job) {
    if (job.cancelEvent && ::WaitForSingleObject(job.cancelEvent, 0) == WAIT_OBJECT_0)
        return kAuthCancelled;
    std::vector<char> ownDrives;
    if (!job.drives) job.drives = &ownDrives;
    uint8_t modelCode = 0;
    if (!ReadCard(job, modelCode)) {
        KILNLOG.Log(LOG_ERROR, "SDカード読み込み失敗");
        return kAuthNoCard;
    }

    KILNLOG.Log(LOG_NORMAL, "ユーザー認証開始");
    CRequestParams params;
    params.SetAuthParams(job.nickname.c_str(), job.password.c_str(), job.deviceNo.c_str(),
                         job.ccid);
    const CallEndpoints ids =
        EndpointsFor(ServiceCall::kAuthentication, modelCode == 18 || modelCode == 21);
    CConnectionFile& table = CConnectionFile::Instance();
    const RequestBody body = table.CreatePostData(ids.body, params);
    if (!body.Ok() || body.bytes.empty()) {
        KILNLOG.Log(LOG_ERROR, "ユーザー認証初期化時のPOSTデータ生成失敗[ERR:0x%08X]",
                    static_cast<unsigned>(::GetLastError()));
        return kAuthNoBody;
    }
    if (job.drives->empty()) {
        KILNLOG.Log(LOG_ERROR, "SDカード読み込み失敗");
        return kAuthNoCard;
    }
    const char drive = job.drives->front();

    const std::string url = table.GetUrl(ids.url);
    auto http = std::make_unique<CWinHttpWrapper>();
    if (!http->SetRequest(url.c_str(), 0, nullptr, true))
        return LastErrorTransport("ユーザー認証初期化時の失敗[ERR:0x%08X]");
    const std::wstring agent = AnsiToWide(GetUserAgent(drive));
    if (!http->Open(HTTP_VERB_POST, agent.c_str(), nullptr))
        return LastErrorTransport("ユーザー認証接続時の失敗[ERR:0x%08X]");
    KILNLOG.Log(LOG_DETAIL, "INITNO 接続完了");
    const HANDLE upload = http->Upload(body.bytes.data(), static_cast<DWORD>(body.bytes.size()),
                                       "application/x-www-form-urlencoded", nullptr, nullptr);
    if (!upload) return LastErrorTransport("ユーザー認証接続時の失敗[ERR:0x%08X]");

    HANDLE handles[2] = {upload, job.cancelEvent};
    const DWORD count = job.cancelEvent ? 2 : 1;
    const DWORD w = ::WaitForMultipleObjects(count, handles, FALSE, INFINITE);
    KILNLOG.Log(LOG_NORMAL, "ユーザー認証通信完了");
    if (w == WAIT_OBJECT_0 + 1) {
        http->Abort(kAuthAbortWaitMs);
        KILNLOG.Log(LOG_NORMAL, "ユーザー認証ダウンロード時のユーザキャンセル");
        return kAuthCancelled;
    }
    if (w != WAIT_OBJECT_0) {
        KILNLOG.Log(LOG_ERROR, "ユーザー認証ダウンロード時の失敗[ERR:0x%08X]",
                    static_cast<unsigned>(::GetLastError()));
        return kAuthWaitFailed;
    }
    const DWORD r = http->GetResult();
    if (r != 0) {
        KILNLOG.Log(LOG_ERROR, "ユーザー認証ダウンロード時の失敗[nResponse:0x%08X]",
                    static_cast<unsigned>(r));
        return AuthResultFromEngine(r);
    }
    std::string complaint;
    const uint32_t a =
        AnalyzeAuthentication(http->GetResponseData(), http->GetResponseSize(), &complaint);
    if (!complaint.empty()) KILNLOG.Log(LOG_ERROR, "%s", complaint.c_str());
    if (a != ANALYZE_OK) {
        KILNLOG.Log(LOG_ERROR, "ユーザー認証ダウンロード時の失敗[AnalyzeERR:0x%08X]",
                    static_cast<unsigned>(a));
        return AuthResultFromAnalysis(a);
    }

    KILNLOG.Log(LOG_NORMAL, "ユーザー認証完了");
    http.reset();
    CUserListFile users;
    if (!users.Load()) {
        KILNLOG.Log(LOG_ERROR, "ユーザ情報ファイル読み込み失敗[ERR:0x%08X]",
                    static_cast<unsigned>(::GetLastError()));
        return kAuthUserListFailed;
    }
    const std::string userAgent = GetUserAgent(drive);
    if (!users.SetUser(job.deviceNo.c_str(), job.nickname.c_str(), job.ccid, userAgent.c_str(),
                       job.modelType)) {
        KILNLOG.Log(LOG_ERROR, "ユーザ情報ファイル書き込み失敗[ERR:0x%08X]",
                    static_cast<unsigned>(::GetLastError()));
        return kAuthUserListFailed;
    }
    KILNLOG.Log(LOG_DETAIL, "UserList終了");
    return kAuthOk;
}

unsigned __stdcall AuthenticationThread(void* param) {
    auto* job = static_cast<AuthenticationJob*>(param);
    if (!job || !job->window) {
        KILNLOG.Log(LOG_ERROR, "初期設定スレッド引数無効");
        return kAuthNoWindow;
    }
    uint32_t result = kAuthWaitFailed;
    try {
        result = RunAuthentication(*job);
    } catch (...) {
        // Nothing may leave a thread function; the window still learns the end.
        KILNLOG.Log(LOG_ERROR, "ユーザー認証ダウンロード時の失敗[ERR:0x%08X]",
                    static_cast<unsigned>(ERROR_NOT_ENOUGH_MEMORY));
    }
    KILNLOG.Log(LOG_NORMAL, "お客様登録確認完了[RET:0x%08X]", static_cast<unsigned>(result));
    ::PostMessageA(job->window, kAuthDoneMessage, 0, static_cast<LPARAM>(result));
    return result;
}
