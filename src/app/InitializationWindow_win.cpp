#include <process.h>

#include <cstdlib>

#include "app/InitCompleteWindow.h"
#include "app/InitializationWindow.h"
#include "common/KilnLog.h"
#include "common/MessageCatalog.h"
#include "common/WebPageOpener.h"
#include "datafiles/PcLinkFile.h"
#include "net/ConnectionFile.h"
#include "ui/Skin.h"
#include "ui/SkinWindowItemButton.h"
#include "ui/SkinWindowItemEditBox.h"
#include "ui/SkinWindowItemStatic.h"
#include "ui/SkinWindowItemStaticImage.h"
#include "wfc/Library.h"

namespace ui {

namespace {

constexpr uint32_t kCloseQuestionCode = 0x40000004;
constexpr uint32_t kNoCardCode = 0x4000FF06;
constexpr uint32_t kWebPageEndpoint = 3;
constexpr uint32_t kWebPageFunction = 100;
constexpr char kBoxCaption[] = "Quillmarch ";

// The card's values a coded message may depend on (both 0 without a card).
void CardMessageValues(const std::vector<char>& drives, uint32_t& navApp, uint32_t& model) {
    navApp = model = 0;
    if (drives.empty()) return;
    CPcLinkFile card(CPcLinkFile::kPcLink, drives.front());
    if (!card.IsLoaded()) return;
    navApp = card.GetRecordWord16(0x10000001);
    model = card.GetModelCode();
}

}  // namespace

CInitializationWindow::CInitializationWindow() : Chain("FrameOverlay") {
    m_cancelEvent.Reset(::CreateEventA(nullptr, FALSE, FALSE, kAuthCancelEventName));
}

CInitializationWindow::~CInitializationWindow() {
    // The worker uses this object: it is stopped and joined first.
    if (m_authThread) {
        if (m_cancelEvent) ::SetEvent(m_cancelEvent.Get());
        ::WaitForSingleObject(m_authThread.Get(), INFINITE);
        m_authThread.Reset();
    }
    if (GetHandle() && ::IsWindow(GetHandle())) DestroyWindow();
}

void CInitializationWindow::AddStatic(int id, const char* name, const char* text) {
    auto* item = AddItem<CSkinWindowItemStatic>(id, GetItem(Skin(), name));
    item->SetText(text);
    if (id == kNickNameHintStatic) {
        m_hintStatic = item;
        // Its own colour (the warning one) is put back after a progress line.
        const auto color = GetItem(Skin(), name).properties.find("Color");
        if (color != GetItem(Skin(), name).properties.end() && color->second.size() == 3)
            m_hintColor =
                RGB(std::atoi(color->second[0].c_str()), std::atoi(color->second[1].c_str()),
                    std::atoi(color->second[2].c_str()));
    }
}

bool CInitializationWindow::Create() {
    LoadSkin("InitializationWindow.txt", "Base", false);
    const SkinData& skin = Skin();
    // In reading order, as a screen reader lists them.
    AddStatic(kTitleStatic, "TitleStatic", "初期設定");
    AddItem<CSkinWindowItemStaticImage>(kApplicationIcon, GetItem(skin, "ApplicationIcon"));
    AddItem<CSkinWindowItemButton>(kCloseButton, GetItem(skin, "CloseButton"));
    AddStatic(kRegistUserCaptionTextStatic, "RegistUserCaptionTextStatic",
              "＜初めて登録される方はこちらから＞");
    AddStatic(kRegistUserTextStatic, "RegistUserTextStatic",
              "リアルタイムプローブへの参加、地図更新を行うためにお客様登録を行う必要があります。"
              "\r\n右の「お客様登録/確認」ボタンから登録を行ってください。\r\n"
              "（webブラウザが起動します）");
    AddItem<CSkinWindowItemStaticImage>(kRightTriangleImage, GetItem(skin, "RightTriangleImage"));
    AddItem<CSkinWindowItemButton>(kRegistConfirmButton, GetItem(skin, "RegistConfirmButton"));
    AddStatic(kConfirmCaptionTextStatic, "ConfirmCaptionTextStatic",
              "＜お客様登録を終了された方はこちらから＞");
    AddStatic(kConfirmTextStatic, "ConfirmTextStatic",
              "お客様の登録確認を行います。\r\nニックネームとパスワードを入力して「OK」を押して"
              "ください。");
    // Each label before its box.
    AddStatic(kNickNameTextStatic, "NickNameTextStatic", "ニックネーム");
    m_nickNameEdit = AddItem<CSkinWindowItemEditBox>(kNickNameEdit, GetItem(skin, "NickNameEdit"));
    AddStatic(kPasswordTextStatic, "PasswordTextStatic", "パスワード");
    EditBoxOptions password;
    password.password = true;
    m_passwordEdit =
        AddItem<CSkinWindowItemEditBox>(kPasswordEdit, GetItem(skin, "PasswordEdit"), password);
    AddStatic(kNickNameHintStatic, "NickNameHintStatic", "");
    AddItem<CSkinWindowItemButton>(kCancelButton, GetItem(skin, "CancelButton"));
    m_okButton = AddItem<CSkinWindowItemButton>(kOKButton, GetItem(skin, "OKButton"));
    m_okButton->SetEnabled(false);

    AddLayoutRule(kCloseButton, 2, 1, 2, 1);
    for (int id : {kRightTriangleImage, kOKButton, kCancelButton, kRegistConfirmButton,
                   kRegistUserTextStatic, kConfirmCaptionTextStatic, kConfirmTextStatic,
                   kNickNameTextStatic, kPasswordTextStatic})
        AddLayoutRule(id, 1, 1, 1, 1);
    SetUpFrameOverlay();

    RECT work = {};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const SIZE size = GetLayoutSize();
    const int x = work.left + (work.right - work.left - size.cx) / 2;
    const int y = work.top + (work.bottom - work.top - size.cy) / 2;
    if (!CreateResizableWindow(nullptr, kStyle, 0, x, y)) return false;
    if (HWND edit = m_nickNameEdit->GetControl()) ::SetFocus(edit);
    RefillDrives();
    return true;
}

void CInitializationWindow::RefillDrives() {
    if (m_drives.empty()) FindNaviCards(m_drives);
}

LRESULT CInitializationWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kAuthDoneMessage:
            OnAuthDone(static_cast<uint32_t>(lParam));
            return 0;
        case WM_QUERYENDSESSION:
            ForwardQueryEndSession(GetHandle(), wParam, lParam);
            return TRUE;
        default:
            return Chain::WindowProc(message, wParam, lParam);
    }
}

void CInitializationWindow::OnCommand(UINT id, UINT code, HWND control) {
    if (control) {
        if (code == EN_CHANGE) OnEditChange(control);
        return;
    }
    static const CommandEntry<CInitializationWindow> kCommands[] = {
        {kCloseButton, &CInitializationWindow::OnCloseCommand},
        {kCancelButton, &CInitializationWindow::OnCloseCommand},
        {kOKButton, &CInitializationWindow::OnOk},
        {kRegistConfirmButton, &CInitializationWindow::OnRegistConfirm},
    };
    if (!RunCommand(*this, kCommands, static_cast<int>(id))) Chain::OnCommand(id, code, control);
}

bool CInitializationWindow::FilterKey(UINT key, UINT) { return key == VK_RETURN; }

void CInitializationWindow::OnKeyDown(UINT key, UINT flags) {
    if (key == VK_RETURN) {
        if (!m_authThread && m_okButton->IsEnabled()) OnOk();
        return;
    }
    Chain::OnKeyDown(key, flags);
}

// The icon's double click closes, as in every window with one.
bool CInitializationWindow::OnItemEvent(int id, int code, intptr_t param) {
    return OnCommonItemEvent(GetHandle(), id, code, -1, kApplicationIcon) ||
           Chain::OnItemEvent(id, code, param);
}

void CInitializationWindow::OnCloseCommand() {
    m_userClose = true;
    PostMessage(WM_CLOSE);
}

void CInitializationWindow::ShowHint(const std::string& text) {
    m_hint = text;
    if (!m_hintStatic) return;
    m_hintStatic->SetColor(m_hintColor);
    m_hintStatic->SetText(text);
}

void CInitializationWindow::ShowProgress(bool running) {
    if (!m_hintStatic) return;
    m_hint.clear();
    // The progress line takes the secondary text's colour, not the warning one.
    m_hintStatic->SetColor(running ? kProgressColor : m_hintColor);
    m_hintStatic->SetText(running ? "お客様登録を確認しています。しばらくお待ちください。" : "");
}

void CInitializationWindow::OnEditChange(HWND control) {
    if (m_inEditRevert) return;
    if (control == m_nickNameEdit->GetControl()) {
        const std::string text = m_nickNameEdit->GetTextA();
        const NickNameProblem problem = CheckNickName(text);
        if (problem != NickNameProblem::kNone) {
            // Refused: the box goes back to its last accepted text, the caret
            // to where the refused input began.
            DWORD start = 0;
            ::SendMessageA(control, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
            const size_t grown = text.size() > m_acceptedNickName.size()
                                     ? text.size() - m_acceptedNickName.size()
                                     : 0;
            const DWORD caret = start >= grown ? static_cast<DWORD>(start - grown) : 0;
            m_inEditRevert = true;
            m_nickNameEdit->SetTextA(m_acceptedNickName);
            m_inEditRevert = false;
            ::SendMessageA(control, EM_SETSEL, caret, caret);
            ShowHint(NickNameHint(problem));
            ::MessageBeep(MB_ICONEXCLAMATION);
        } else {
            m_acceptedNickName = text;
            if (!m_hint.empty()) ShowHint(std::string());
        }
    }
    UpdateOkButton();
}

void CInitializationWindow::UpdateOkButton() {
    m_okButton->SetEnabled(
        IsOkEnabled(m_nickNameEdit->GetTextA(), m_passwordEdit->GetTextA(), m_authThread.Valid()));
}

void CInitializationWindow::OnOk() {
    if (m_authThread) return;
    m_job.window = GetHandle();
    m_job.cancelEvent = m_cancelEvent.Get();
    m_job.nickname = m_nickNameEdit->GetTextA();
    m_job.password = m_passwordEdit->GetTextA();
    m_job.drives = &m_drives;
    if (m_job.nickname.empty() || m_job.password.empty()) return;
    m_okButton->SetEnabled(false);
    const uintptr_t thread = ::_beginthreadex(nullptr, 0, AuthenticationThread, &m_job, 0, nullptr);
    if (!thread) {
        KILNLOG.Log(LOG_ERROR, "初期設定スレッド起動失敗 ERR:0x%08X",
                    static_cast<unsigned>(::GetLastError()));
        UpdateOkButton();
        return;
    }
    m_authThread.Reset(reinterpret_cast<HANDLE>(thread));
    ShowProgress(true);
}

void CInitializationWindow::JoinWorker() {
    if (!m_authThread) return;
    ::WaitForSingleObject(m_authThread.Get(), INFINITE);
    m_authThread.Reset();
}

void CInitializationWindow::OnAuthDone(uint32_t result) {
    if (m_askingClose) {
        // The close question is open: its answer decides what the end means.
        m_pendingResult = result;
        m_hasPendingResult = true;
        return;
    }
    m_okButton->SetEnabled(true);
    std::string text;
    unsigned style = kStyleExclamation;
    if (result != kAuthOk) {
        uint32_t navApp = 0, model = 0;
        CardMessageValues(m_drives, navApp, model);
        text = GetMessageText(kAuthMessageArea | result, 0, style, navApp, model);
    }
    JoinWorker();
    ShowProgress(false);
    UpdateOkButton();
    if (m_closeAfterWorker) {
        // The user already chose to end: nothing more to show.
        DestroyWindow();
        return;
    }
    if (!text.empty()) lib::wfc::ShowMessageBox(GetHandle(), text.c_str(), kBoxCaption, style);
    if (result != kAuthOk) return;
    ShowWindow(SW_HIDE);
    CInitCompleteWindow complete;
    complete.RunModal(GetHandle());
    m_userClose = false;
    PostMessage(WM_CLOSE);
}

void CInitializationWindow::OnRegistConfirm() {
    m_drives.clear();
    RefillDrives();
    if (m_drives.empty()) {
        unsigned style = kStyleExclamation;
        const std::string text = GetMessageText(kNoCardCode, 0, style);
        if (!text.empty()) lib::wfc::ShowMessageBox(GetHandle(), text.c_str(), kBoxCaption, style);
        return;
    }
    const std::string userAgent = GetUserAgent(m_drives.front());
    if (userAgent.empty()) return;
    CRequestParams params;
    // The nickname last sent to the service, not what the box holds now.
    params.SetWebPageParams(userAgent.c_str(), m_job.nickname.c_str(), kWebPageFunction);
    const std::string url = CConnectionFile::Instance().GetUrlWithQuery(kWebPageEndpoint, params);
    if (!url.empty()) OpenWebPage(url);
}

void CInitializationWindow::OnClose() {
    if (m_userClose) {
        unsigned style = kStyleYesNo;
        const std::string text = GetMessageText(kCloseQuestionCode, 0, style);
        if (text.empty()) {
            KILNLOG.Log(LOG_ERROR, "メッセージ未定義!! ERR:0x%08X",
                        static_cast<unsigned>(kCloseQuestionCode));
        } else {
            m_askingClose = true;
            const int answer =
                lib::wfc::ShowMessageBox(GetHandle(), text.c_str(), kBoxCaption, style);
            m_askingClose = false;
            if (answer == IDNO) {
                if (m_hasPendingResult) {
                    m_hasPendingResult = false;
                    OnAuthDone(m_pendingResult);
                }
                return;
            }
        }
    }
    if (m_hasPendingResult) {
        // The worker ended while the question was open; the user chose to end.
        m_hasPendingResult = false;
        JoinWorker();
    }
    if (m_authThread) {
        // The worker uses this window: it is cancelled, and the window goes
        // when its end arrives, without keeping the user waiting.
        m_closeAfterWorker = true;
        if (m_cancelEvent) ::SetEvent(m_cancelEvent.Get());
        ShowWindow(SW_HIDE);
        return;
    }
    DestroyWindow();
}

void CInitializationWindow::OnDestroy() {
    Chain::OnDestroy();
    if (m_quitOnDestroy) ::PostQuitMessage(0);
}

}  // namespace ui
