#include "app/InitCompleteWindow.h"
#include "common/KilnLog.h"
#include "common/WickerdaleConfig.h"
#include "ui/Skin.h"
#include "ui/SkinWindowItemButton.h"
#include "ui/SkinWindowItemStatic.h"
#include "ui/SkinWindowItemToggleButton.h"
#include "wfc/Library.h"

namespace ui {

CInitCompleteWindow::CInitCompleteWindow() : Chain("FrameOverlay") {}

CInitCompleteWindow::~CInitCompleteWindow() {
    if (GetHandle() && ::IsWindow(GetHandle())) DestroyWindow();
}

bool CInitCompleteWindow::Create(HWND owner) {
    m_owner = owner;
    LoadSkin("InitCompleteWindow.txt", "Base", false);
    const SkinData& skin = Skin();
    AddItem<CSkinWindowItemStatic>(kTitleStatic, GetItem(skin, "TitleStatic"))->SetText("初期設定");
    AddItem<CSkinWindowItemButton>(kCloseButton, GetItem(skin, "CloseButton"));
    AddItem<CSkinWindowItemStatic>(kCompleteTextStatic, GetItem(skin, "CompleteTextStatic"))
        ->SetText("お客様登録を確認しました。\r\nQUILL MARCHを起動します。");
    // The box before its text, as they read.
    m_musicCheckBox = AddItem<CSkinWindowItemToggleButton>(kMusicChargeCheckBox,
                                                           GetItem(skin, "MusicChargeCheckBox"));
    m_musicCheckBox->Control(kControlSetChecked, 1, 0);
    AddItem<CSkinWindowItemStatic>(kMusicChargeTextStatic, GetItem(skin, "MusicChargeTextStatic"))
        ->SetText(
            "起動時にPCの\"my music\"フォルダの音楽ファイルをSDカードに自動転送する。\r\n"
            "※QUILL MARCH起動後にも設定を変更することができます。");
    AddItem<CSkinWindowItemButton>(kOKButton, GetItem(skin, "OKButton"));
    AddLayoutRule(kCloseButton, 2, 1, 2, 1);
    for (int id : {kOKButton, kCompleteTextStatic, kMusicChargeTextStatic, kMusicChargeCheckBox})
        AddLayoutRule(id, 1, 1, 1, 1);
    SetUpFrameOverlay();

    // Centred over the owner, or on the work area without one.
    RECT area = {};
    if (!owner || !::GetWindowRect(owner, &area))
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    const SIZE size = GetLayoutSize();
    const int x = area.left + (area.right - area.left - size.cx) / 2;
    const int y = area.top + (area.bottom - area.top - size.cy) / 2;
    return CreateResizableWindow(owner, kStyle, 0, x, y) != nullptr;
}

bool CInitCompleteWindow::RunModal(HWND owner) {
    m_closedByUser = true;
    if (!GetHandle() && !Create(owner)) return true;
    ShowWindow(SW_SHOW);
    ::UpdateWindow(GetHandle());
    ::SetActiveWindow(GetHandle());
    ::SetForegroundWindow(GetHandle());
    const HWND window = GetHandle();
    const bool never = false;
    lib::wfc::RunModal(window, owner, never);
    if (::IsWindow(window)) DestroyWindow();
    return m_closedByUser;
}

LRESULT CInitCompleteWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_QUERYENDSESSION) {
        ForwardQueryEndSession(GetHandle(), wParam, lParam);
        return TRUE;
    }
    return Chain::WindowProc(message, wParam, lParam);
}

void CInitCompleteWindow::OnCommand(UINT id, UINT code, HWND control) {
    static const CommandEntry<CInitCompleteWindow> kCommands[] = {
        {kCloseButton, &CInitCompleteWindow::OnCloseCommand},
        {kOKButton, &CInitCompleteWindow::OnOk},
    };
    if (control || !RunCommand(*this, kCommands, static_cast<int>(id)))
        Chain::OnCommand(id, code, control);
}

bool CInitCompleteWindow::FilterKey(UINT key, UINT) { return key == VK_RETURN; }

void CInitCompleteWindow::OnKeyDown(UINT key, UINT flags) {
    if (key == VK_RETURN) {
        OnOk();
        return;
    }
    Chain::OnKeyDown(key, flags);
}

void CInitCompleteWindow::OnCloseCommand() {
    m_closedByUser = true;
    PostMessage(WM_CLOSE);
}

void CInitCompleteWindow::OnOk() {
    m_closedByUser = false;
    const bool checked = m_musicCheckBox->Control(kControlGetChecked, 0, 0) != 0;
    CWickerdaleConfig config;
    config.LoadMusic();
    config.StoreChargeType(checked ? kChargeAutomatic : kChargeManual);
    if (!config.SaveMusic()) KILNLOG.Log(LOG_ERROR, "ランチャー設定ファイル更新失敗");
    PostMessage(WM_CLOSE);
}

}  // namespace ui
