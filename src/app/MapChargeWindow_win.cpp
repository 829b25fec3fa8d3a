#include "app/ChargeText.h"
#include "app/LauncherRules.h"
#include "app/MapChargeWindow.h"
#include "common/KilnLog.h"
#include "common/WickerdaleConfig.h"
#include "ui/SkinWindowItemButton.h"
#include "ui/SkinWindowItemStatic.h"
#include "ui/SkinWindowItemToggleButton.h"

namespace ui {

namespace {

uint64_t FileTimeOf(const SYSTEMTIME& time) {
    FILETIME ft = {};
    if (!::SystemTimeToFileTime(&time, &ft)) return 0;
    return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

// Each pair left to right, as they read.
const int kAllButtons[] = {
    CMapChargeWindow::kCancelButton,       CMapChargeWindow::kYesButton,
    CMapChargeWindow::kCancelBottomButton, CMapChargeWindow::kYesBottomButton,
    CMapChargeWindow::kReNotifyButton,     CMapChargeWindow::kYesShortButton,
    CMapChargeWindow::kReReserveButton,    CMapChargeWindow::kOKShortButton,
};

}  // namespace

int MapWindowResultCode(int type) {
    static const int kCodes[] = {0, 4, 2, 1, 3, 5, -1, 0x10, 0x11};
    return type >= 0 && type <= 8 ? kCodes[type] : -1;
}

CMapChargeWindow::CMapChargeWindow(HWND owner) : CPopupWindow(owner) {}

void CMapChargeWindow::CreateMapWindow() {
    BeginPopup("MapChargeWindow.txt", "地図更新");
    // In reading order: the question and its note, the box and its text,
    // the buttons.
    AddText(kInformationTextStatic, "InformationTextStatic", "");
    AddText(kInformationTextSmallStatic, "InformationTextSmallStatic", "")->SetVisible(false);
    AddLayoutRule(kInformationTextStatic, 1, 1, 2, 2);
    AddLayoutRule(kInformationTextSmallStatic, 1, 1, 2, 2);
    m_checkBox =
        AddItem<CSkinWindowItemToggleButton>(kDispMsgCheckBox, GetItem(Skin(), "DispMsgCheckBox"));
    m_checkBox->Control(kControlSetChecked, 0, 0);
    m_checkBox->SetVisible(false);
    AddText(kDispMsgTextStatic, "DispMsgTextStatic", "今後このメッセージを表示しない。")
        ->SetVisible(false);
    static const char* const kNames[] = {"CancelButton",    "YesButton",      "CancelBottomButton",
                                         "YesBottomButton", "ReNotifyButton", "YesShortButton",
                                         "ReReserveButton", "OKShortButton"};
    // The buttons keep their distance to the bottom right corner, so a window
    // of 150 instead of 172 pixels lifts them with its bottom edge.
    for (int i = 0; i < 8; ++i) {
        AddButton(kAllButtons[i], kNames[i])->SetVisible(false);
        AddLayoutRule(kAllButtons[i], 2, 2, 2, 2);
    }
    FinishPopup("Quillmarch Map", WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX);
}

bool CMapChargeWindow::SettingsAllowShow() {
    KILNLOG.Log(LOG_DETAIL, "ランチャー設定ファイルチェック処理開始");
    CWickerdaleConfig config;
    if (!config.LoadMap()) {
        KILNLOG.Log(LOG_ERROR, "設定ファイル読み込み失敗(MAP) ERR:0x%08X",
                    static_cast<unsigned>(::GetLastError()));
        return true;
    }
    int show = 1;
    switch (m_type) {
        case 0:
            show = config.GetMapNotifyMessage();
            break;
        case 1:
            show = config.GetMapNotifyMessagePassword();
            break;
        case 2:
            show = config.GetMapNotifyMessageRemind();
            break;
        case 3:
            show = config.GetMapNotifyMessageLoseReserve();
            break;
        default:
            break;
    }
    if (show == 0) {
        KILNLOG.Log(LOG_NORMAL, "CMapChargeWindow::CheckIniFile() - 今後表示しない設定 TYPE:%d",
                    m_type);
        return false;
    }
    if (m_type == 0 && config.GetMapNotifiesLater() != 0 &&
        config.GetMapNotifyFinalConfirmationDate().wYear != 0) {
        KILNLOG.Log(LOG_NORMAL, "最終確認日付チェック処理開始");
        SYSTEMTIME now = {};
        ::GetLocalTime(&now);
        const bool quiet = IsWithinQuietDays(FileTimeOf(config.GetMapNotifyFinalConfirmationDate()),
                                             FileTimeOf(now));
        KILNLOG.Log(LOG_NORMAL, "最終確認日付チェック処理終了");
        if (quiet) {
            KILNLOG.Log(LOG_DETAIL, "CMapChargeWindow::CheckIniFile() - 3日経過していない");
            return false;
        }
    }
    KILNLOG.Log(LOG_DETAIL, "ランチャー設定ファイルチェック処理終了");
    return true;
}

bool CMapChargeWindow::SetType(int type, uint32_t argument) {
    KILNLOG.Log(LOG_NORMAL, "地図更新画面種別設定 TYPE:%d", type);
    if (MapWindowResultCode(type) < 0) {
        KILNLOG.Log(LOG_ERROR, "不正な種別指定 %d", type);
        return false;
    }
    m_type = type;
    if (!SettingsAllowShow()) {
        PostMessage(WM_CLOSE);
        return false;
    }
    for (int id : kAllButtons) GetItemById(id)->SetVisible(false);
    m_checkBox->SetVisible(false);
    GetItemById(kDispMsgTextStatic)->SetVisible(false);
    GetItemById(kInformationTextSmallStatic)->SetVisible(false);
    static_cast<CSkinWindowItemStatic*>(GetItemById(kInformationTextStatic))
        ->SetText(GetMapNotifyText(type, m_variant, argument));
    std::vector<int> shown;
    switch (type) {
        case 0:
            shown = {kYesShortButton, kReNotifyButton};
            break;
        case 2:
            shown = {kOKShortButton, kReReserveButton};
            break;
        case 4:
            shown = {kYesBottomButton, kCancelBottomButton};
            static_cast<CSkinWindowItemStatic*>(GetItemById(kInformationTextSmallStatic))
                ->SetText(
                    "※パソコンの動作環境やお使いいただいているソフト（ウイルス対策ソフトなど）"
                    "によっては、ダウンロード完了までの時間が長くなることがあります。");
            GetItemById(kInformationTextSmallStatic)->SetVisible(true);
            break;
        default:
            shown = {kYesButton, kCancelButton};
            break;
    }
    for (int id : shown) GetItemById(id)->SetVisible(true);
    SetLayoutHeight(m_checkBox->IsVisible() || GetItemById(kYesBottomButton)->IsVisible() ? 172
                                                                                          : 150);
    return true;
}

void CMapChargeWindow::Show() {
    m_declined = true;
    SlideOut();
}

void CMapChargeWindow::Withdraw() {
    KILNLOG.Log(LOG_NORMAL, "地図更新画面 応答先なしで終了 TYPE:%d", m_type);
    m_withdrawn = true;
    DestroyWindow();
}

std::string CMapChargeWindow::InformationText() const {
    auto* self = const_cast<CMapChargeWindow*>(this);
    return static_cast<CSkinWindowItemStatic*>(self->GetItemById(kInformationTextStatic))
        ->GetText();
}

std::vector<int> CMapChargeWindow::VisibleButtons() const {
    std::vector<int> ids;
    auto* self = const_cast<CMapChargeWindow*>(this);
    for (int id = kYesButton; id <= kReReserveButton; ++id)
        if (self->GetItemById(id)->IsVisible()) ids.push_back(id);
    return ids;
}

void CMapChargeWindow::SaveAnswer(int mode) {
    CWickerdaleConfig config;
    bool ok = true;
    if (mode == 0) {
        ok = config.SetMapNotifiesLater(0) && config.SetMapNotifyMessage(1);
    } else if (mode == 1) {
        ok = config.SetMapNotifiesLater(1) && config.SetMapNotifyMessage(1) &&
             config.StampMapNotifyFinalConfirmationDate();
    } else if (mode == 2) {
        ok = config.SetMapNotifyMessage(0);
    } else {
        KILNLOG.Log(LOG_ERROR, "ランチャー設定ファイル更新時引数不正[PARAM:0x%08X]",
                    static_cast<unsigned>(mode));
        return;
    }
    // Each setter writes its key at once.
    if (!ok) KILNLOG.Log(LOG_ERROR, "ランチャー設定ファイル更新失敗");
}

void CMapChargeWindow::OnButton(int id) {
    switch (id) {
        case kYesButton:
        case kYesBottomButton:
        case kYesShortButton:
        case kOKShortButton:
            m_declined = false;
            SaveAnswer(0);
            PostMessage(WM_CLOSE);
            return;
        case kCloseButton:
        case kCancelButton:
        case kCancelBottomButton:
        case kReNotifyButton:
        case kReReserveButton:
            m_declined = true;
            if (m_type == 0) SaveAnswer(1);
            PostMessage(WM_CLOSE);
            return;
        case kDispMsgCheckBox:
            m_checked = !m_checked;
            SaveAnswer(2);
            return;
        default:
            return;
    }
}

bool CMapChargeWindow::OnItemEvent(int id, int code, intptr_t param) {
    // The close button answers no, as the cancel buttons do.
    if (id == kCloseButton && code == kItemClicked) {
        OnButton(id);
        return true;
    }
    return CPopupWindow::OnItemEvent(id, code, param);
}

LRESULT CMapChargeWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY && m_type >= 0 && !m_withdrawn) {
        const bool box = m_checkBox && m_checkBox->Control(kControlGetChecked, 0, 0) != 0;
        ::PostMessageA(Owner(), 0xA66, static_cast<WPARAM>(MapWindowResultCode(m_type)),
                       (box ? 0x10000 : 0) | (m_declined ? 0 : 1));
    }
    return CPopupWindow::WindowProc(message, wParam, lParam);
}

}  // namespace ui
