#include "app/InfoChargeWindow.h"
#include "common/KilnLog.h"
#include "common/WickerdaleConfig.h"
#include "wfc/Library.h"

namespace ui {

bool CInfoChargeWindow::Ask() {
    BeginPopup("InfoChargeWindow.txt", "QUILL MARCH");
    // The question, then its answers left to right: the reading order.
    AddText(kUpdateConfirmTextStatic, "UpdateConfirmTextStatic",
            "終了前に渋滞情報を取得しますか？\r\n( [いいえ]を選ぶと取得せずに終了します)");
    AddButton(kCancelButton, "CancelButton");
    AddButton(kOKButton, "OKButton");
    AddLayoutRule(kOKButton, 2, 2, 2, 2);
    AddLayoutRule(kCancelButton, 2, 2, 2, 2);
    AddLayoutRule(kUpdateConfirmTextStatic, 1, 1, 2, 2);
    FinishPopup("Quillmarch Info", 0xC2000000u & ~WS_CHILD);
    KILNLOG.Log(LOG_NORMAL, "ランチャー設定ファイルチェック処理開始");
    CWickerdaleConfig config;
    if (!config.LoadSetting()) {
        KILNLOG.Log(LOG_ERROR, "設定ファイル読み込み失敗(自動更新実行) ERR:0x%08X",
                    static_cast<unsigned>(::GetLastError()));
    } else if (config.GetLauncherAutoUpdate() == 0) {
        PostMessage(WM_CLOSE);
    } else {
        KILNLOG.Log(LOG_NORMAL, "ランチャー設定ファイルチェック処理終了");
    }
    m_declined = true;
    SlideOut();
    const HWND window = GetHandle();
    lib::wfc::RunModal(window, Owner(), m_done);
    if (::IsWindow(window)) DestroyWindow();
    return !m_declined;
}

void CInfoChargeWindow::OnButton(int id) {
    if (id == kOKButton) m_declined = false;
    if (id == kOKButton || id == kCancelButton) PostMessage(WM_CLOSE);
}

LRESULT CInfoChargeWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) m_done = true;
    return CPopupWindow::WindowProc(message, wParam, lParam);
}

bool CInfoChargeQuestion::Ask(HWND launcher) {
    CInfoChargeWindow window(launcher);
    return window.Ask();
}

}  // namespace ui
