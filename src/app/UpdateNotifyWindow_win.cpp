#include <process.h>

#include "app/UpdateNotifyWindow.h"
#include "common/CodePage.h"
#include "common/FileHelpers.h"
#include "common/KilnLog.h"
#include "common/Version.h"
#include "common/WebPageOpener.h"
#include "common/WickerdaleConfig.h"
#include "datafiles/PcLinkFile.h"
#include "datafiles/UserListFile.h"
#include "net/ConnectionFile.h"
#include "net/ResponseAnalyzer.h"
#include "net/WinHttpWrapper.h"
#include "ui/SkinWindowItemStatic.h"
#include "ui/SkinWindowItemToggleButton.h"

namespace ui {

namespace {

constexpr uint32_t kNewer = 1;
constexpr uint32_t kLatest = 2;
constexpr uint32_t kCancelled = 0xFF00;
constexpr uint32_t kWaitFailed = 0xFF05;
constexpr uint32_t kNoEngine = 0x10FF04;
constexpr uint32_t kNoUserAgent = 0x40FF07;
constexpr DWORD kAbortWaitMs = 25000;

uint64_t FileTimeOf(const SYSTEMTIME& time) {
    FILETIME ft = {};
    if (!::SystemTimeToFileTime(&time, &ft)) return 0;
    return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

}  // namespace

CUpdateNotifyWindow::CUpdateNotifyWindow(HWND owner, char drive)
    : CPopupWindow(owner), m_drive(drive) {
    KILNLOG.Log(LOG_NORMAL, "バージョン比較処理開始");
    m_cancel.Reset(::CreateEventA(nullptr, FALSE, FALSE, "EventInquiryCancel"));
}

CUpdateNotifyWindow::~CUpdateNotifyWindow() {
    // The worker reports to this window: it must end first.
    if (m_thread) {
        Cancel();
        ::WaitForSingleObject(m_thread.Get(), INFINITE);
    }
    if (GetHandle()) DestroyWindow();
}

void CUpdateNotifyWindow::Cancel() {
    if (m_cancel) ::SetEvent(m_cancel.Get());
}

bool CUpdateNotifyWindow::SettingsAllowInquiry() {
    KILNLOG.Log(LOG_NORMAL, "ランチャー設定ファイルチェック処理開始");
    CWickerdaleConfig config;
    if (!config.LoadSetting()) {
        KILNLOG.Log(LOG_ERROR, "設定ファイル読み込み失敗(自動更新実行) ERR:0x%08X",
                    static_cast<unsigned>(::GetLastError()));
        return true;
    }
    if (config.GetLauncherAutoUpdate() == 0) return false;
    if (config.GetNotifiesLater() != 0 && config.GetFinalConfirmationDate().wYear != 0) {
        KILNLOG.Log(LOG_NORMAL, "最終確認日付チェック処理開始");
        SYSTEMTIME now = {};
        ::GetLocalTime(&now);
        const bool quiet =
            FileTimeOf(now) < FileTimeOf(config.GetFinalConfirmationDate()) + 2592000000000ull;
        KILNLOG.Log(LOG_NORMAL, "最終確認日付チェック処理終了");
        if (quiet) {
            KILNLOG.Log(LOG_DETAIL, "ランチャー設定ファイル：3日経過していない");
            return false;
        }
    }
    KILNLOG.Log(LOG_NORMAL, "ランチャー設定ファイルチェック処理終了");
    return true;
}

bool CUpdateNotifyWindow::CreateAndInquire() {
    BeginPopup("UpdateNotifyWindow.txt", "QUILL MARCHアップデート");
    // In reading order: the message, the box and its text, OK.
    AddText(kUpdateConfirmTextStatic, "UpdateConfirmTextStatic", "");
    auto* box =
        AddItem<CSkinWindowItemToggleButton>(kDispMsgCheckBox, GetItem(Skin(), "DispMsgCheckBox"));
    box->Control(kControlSetChecked, 0, 0);
    box->SetVisible(false);
    AddText(kDispMsgTextStatic, "DispMsgTextStatic", "今後このメッセージを表示しない。")
        ->SetVisible(false);
    AddButton(kOKButton, "OKButton");
    AddLayoutRule(kOKButton, 2, 2, 2, 2);
    AddLayoutRule(kUpdateConfirmTextStatic, 1, 1, 2, 2);
    FinishPopup("Quillmarch Update Notify",
                WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX);
    if (!SettingsAllowInquiry()) {
        PostMessage(WM_CLOSE);
        return false;
    }
    SetLayoutHeight(GetItemById(kDispMsgCheckBox)->IsVisible() ? 172 : 150);
    unsigned id = 0;
    m_thread.Reset(
        reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, InquiryThread, this, 0, &id)));
    KILNLOG.Log(LOG_NORMAL, "バージョン比較処理終了");
    return m_thread.Valid();
}

unsigned __stdcall CUpdateNotifyWindow::InquiryThread(void* self) {
    auto* window = static_cast<CUpdateNotifyWindow*>(self);
    KILNLOG.Log(LOG_NORMAL, "サーバー問い合わせ処理開始");
    const uint32_t result = window->Inquire();
    ::PostMessageA(window->GetHandle(), kMsgInquiryResult, result, 0);
    KILNLOG.Log(LOG_NORMAL, "サーバー問い合わせ完了[RET:0x%08X]", static_cast<unsigned>(result));
    KILNLOG.Log(LOG_NORMAL, "サーバー問い合わせ処理終了");
    return 0;
}

uint32_t CUpdateNotifyWindow::Inquire() {
    if (::WaitForSingleObject(m_cancel.Get(), 0) == WAIT_OBJECT_0) return kCancelled;
    int model = 0;
    if (m_drive) {
        CPcLinkFile link(CPcLinkFile::kPcLink, m_drive);
        if (link.IsLoaded()) model = link.GetModelCode();
    }
    const bool moth = model == 0x12 || model == 0x15;
    const CallEndpoints ids = EndpointsFor(ServiceCall::kLatestApplication, moth);
    CConnectionFile& table = CConnectionFile::Instance();
    RequestBody body;
    if (!moth) {
        CRequestParams params;
        params.SetAplParams(1, GetProgramVersionText());
        body = table.CreatePostData(ids.body, params);
        if (!body.Ok()) {
            KILNLOG.Log(LOG_ERROR, "サーバー問い合わせ初期化時のPOSTデータ生成失敗[ERR:0x%08X]",
                        static_cast<unsigned>(::GetLastError()));
            return kNoEngine;
        }
    }
    CWinHttpWrapper http;
    if (!http.SetRequest(table.GetUrl(ids.url).c_str(), 0, nullptr, true)) {
        KILNLOG.Log(LOG_ERROR, "サーバー問い合わせ初期化時の失敗[ERR:0x%08X]",
                    static_cast<unsigned>(::GetLastError()));
        return kNoEngine;
    }
    std::string agent;
    if (m_drive) {
        agent = GetUserAgent(m_drive);
    } else {
        CUserListFile users;
        users.GetLastUser(nullptr, nullptr, &agent, nullptr, nullptr);
    }
    if (agent.empty()) {
        KILNLOG.Log(LOG_ERROR, "UserAgent取得失敗 SD:%C", m_drive ? m_drive : ' ');
        return kNoUserAgent;
    }
    const std::wstring wideAgent = AnsiToWide(agent);
    if (!http.Open(HTTP_VERB_POST, wideAgent.c_str(), nullptr)) {
        KILNLOG.Log(LOG_ERROR, "サーバー問い合わせ接続時の失敗[ERR:0x%08X]",
                    static_cast<unsigned>(::GetLastError()));
        return kNoEngine;
    }
    KILNLOG.Log(LOG_DETAIL, "サーバー問い合わせ 接続完了");
    HANDLE worker = http.Upload(body.bytes.data(), static_cast<DWORD>(body.bytes.size()),
                                "application/x-www-form-urlencoded", nullptr, nullptr);
    if (!worker) {
        KILNLOG.Log(LOG_ERROR, "サーバー問い合わせ接続時の失敗[ERR:0x%08X]",
                    static_cast<unsigned>(::GetLastError()));
        return kNoEngine;
    }
    HANDLE handles[2] = {worker, m_cancel.Get()};
    const DWORD w = ::WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    if (w == WAIT_OBJECT_0 + 1) {
        http.Abort(kAbortWaitMs);
        KILNLOG.Log(LOG_NORMAL, "サーバー問い合わせダウンロード時のユーザキャンセル");
        return kCancelled;
    }
    if (w != WAIT_OBJECT_0) {
        KILNLOG.Log(LOG_ERROR, "サーバー問い合わせダウンロード時の失敗[ERR:0x%08X]",
                    static_cast<unsigned>(::GetLastError()));
        return kWaitFailed;
    }
    if (http.GetResult() != 0) {
        KILNLOG.Log(LOG_ERROR, "サーバー問い合わせダウンロード時の失敗[nResponse:0x%08X]",
                    static_cast<unsigned>(http.GetResult()));
        return kWaitFailed;
    }
    const uint32_t a =
        AnalyzeLatestApplication(http.GetResponseData(), http.GetResponseSize(), m_url, m_version);
    if (a != 0) {
        KILNLOG.Log(LOG_ERROR, "サーバー問い合わせダウンロード時の失敗[AnalyzeERR:0x%08X]",
                    static_cast<unsigned>(a));
        return (a & 0x80000000u) ? ((a ^ 0x80200000u) | 0x200000u) : (a | 0x200000u);
    }
    KILNLOG.Log(LOG_NORMAL, "サーバー問い合わせ通信完了");
    // The installed program's version: the one the request names as aplver.
    const std::string own = GetProgramVersionText();
    if (IsNewerVersion(ParseVersion(m_version.c_str()), ParseVersion(own.c_str()))) return kNewer;
    KILNLOG.Log(LOG_NORMAL, "PC上のアプリは最新");
    return kLatest;
}

LRESULT CUpdateNotifyWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kMsgInquiryResult) {
        m_result = static_cast<uint32_t>(wParam);
        ::PostMessageA(Owner(), 0xB78, 0, 0);
        if (m_thread) {
            ::WaitForSingleObject(m_thread.Get(), INFINITE);
            m_thread.Reset();
        }
        if (wParam == kNewer) {
            static_cast<CSkinWindowItemStatic*>(GetItemById(kUpdateConfirmTextStatic))
                ->SetText(
                    "QUILL MARCHの最新版がリリースされました。\r\n\r\n"
                    "Webページから最新版をダウンロードし、アップデートを行ってください。");
            SlideOut();
        } else {
            if (wParam == kLatest) KILNLOG.Log(LOG_NORMAL, "アプリ更新なし");
            if (wParam == kCancelled) KILNLOG.Log(LOG_NORMAL, "ユーザーによる処理中断");
            PostMessage(WM_CLOSE);
        }
        return 0;
    }
    if (message == WM_DESTROY) ::PostMessageA(Owner(), 0xB77, 0, 0);
    return CPopupWindow::WindowProc(message, wParam, lParam);
}

void CUpdateNotifyWindow::OnButton(int id) {
    if (id == kDispMsgCheckBox) {
        // Ticked or not, the automatic check stays off from now on.
        m_checked = !m_checked;
        CWickerdaleConfig config;
        if (!config.SetLauncherAutoUpdate(0))
            KILNLOG.Log(LOG_ERROR, "ランチャー設定ファイル更新失敗");
        return;
    }
    if (id != kOKButton) return;
    CWickerdaleConfig config;
    if (!config.SetNotifiesLater(0)) {
        KILNLOG.Log(LOG_ERROR, "ランチャー設定ファイル更新失敗");
        return;
    }
    ::OpenWebPage(m_url);
    ::PostMessageA(Owner(), WM_CLOSE, 0, 0);
    PostMessage(WM_CLOSE);
}

}  // namespace ui
