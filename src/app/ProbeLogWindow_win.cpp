#include "app/InfoRules.h"
#include "app/ProbeLogWindow.h"
#include "common/CoreBridge.h"
#include "datafiles/PcLinkFile.h"
#include "ui/SkinWindowItemButton.h"
#include "ui/SkinWindowItemResizableStaticImage.h"
#include "ui/SkinWindowItemScrollBar.h"
#include "ui/SkinWindowItemStatic.h"
#include "ui/SkinWindowItemStaticImage.h"
#include "wfc/Library.h"

namespace ui {

CProbeLogWindow::CProbeLogWindow(const char* deviceNo)
    : Chain("FrameOverlay"), m_log(deviceNo), m_sdChange(::RegisterWindowMessageA(kMsgSDChange)) {}

CProbeLogWindow::~CProbeLogWindow() {
    if (GetHandle()) DestroyWindow();
}

void CProbeLogWindow::Create(HWND owner) {
    m_owner = owner;
    LoadSkin("ProbeLogWindow.txt", "Base", true);
    const SkinData& skin = Skin();
    // The order a screen reader lists them in: title, close button, the
    // list, OK; the frames go in before the list that lies on them.
    auto* title = AddItem<CSkinWindowItemStatic>(kTitleStatic, GetItem(skin, "TitleStatic"));
    title->SetText("ナビ情報　アップロードログ");
    AddItem<CSkinWindowItemButton>(kCloseButton, GetItem(skin, "CloseButton"));
    AddItem<CSkinWindowItemResizableStaticImage>(kBaseFrame, GetItem(skin, "BaseFrame"));
    AddItem<CSkinWindowItemStaticImage>(kLogListFrame, GetItem(skin, "LogListFrame"));
    m_scrollBar =
        AddItem<CSkinWindowItemScrollBar>(kLogListScrollBar, GetItem(skin, "LogListScrollBar"));
    m_list = AddItem<CButtonListView>(kLogList, GetItem(skin, "LogList"), m_scrollBar, this);
    AddItem<CSkinWindowItemButton>(kOKButton, GetItem(skin, "OKButton"));
    // Long outcome texts end in an ellipsis; the tip shows them whole.
    const UINT format = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;
    m_list->AddColumn("", 150, format);
    m_list->AddColumn("", 115, format);
    m_list->AddColumn("", 152, format);
    m_list->SetTable(this);
    SetUpFrameOverlay();
    CreateResizableWindow(owner, WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU, WS_EX_TOOLWINDOW, 0, 0);
    EnableResize(false);
    SetWindowTextA("Quillmarch Probe");
}

void CProbeLogWindow::DoModal(HWND owner) {
    if (!GetHandle()) Create(owner);
    lib::wfc::CenterWindow(GetHandle(), owner);
    ShowWindow(SW_SHOW);
    ::SetActiveWindow(GetHandle());
    ::SetForegroundWindow(GetHandle());
    m_done = false;
    lib::wfc::RunModal(GetHandle(), owner, m_done);
    if (GetHandle() && ::IsWindow(GetHandle())) DestroyWindow();
}

void CProbeLogWindow::SetDrive(char drive) {
    CPcLinkFile navi(CPcLinkFile::kNaviInfo, drive);
    const std::string deviceNo = navi.GetDeviceNo();
    m_log.SetUser(deviceNo.c_str());
    m_log.Load();
    if (m_list) {
        m_list->Control(WM_VSCROLL, SB_TOP, 0);
        m_list->RefreshRow(-1);
    }
}

int CProbeLogWindow::GetRowCount() { return static_cast<int>(m_log.GetCount()); }

std::string CProbeLogWindow::GetCellText(int row, int column) {
    SYSTEMTIME time = {};
    int32_t result = -1;
    uint32_t code = 0;
    if (row < 0 || !m_log.GetEntry(static_cast<uint32_t>(row), &time, &result, &code))
        return std::string();
    switch (column) {
        case 0: {
            RecordTime t;
            t.year = time.wYear;
            t.month = time.wMonth;
            t.day = time.wDay;
            t.hour = time.wHour;
            t.minute = time.wMinute;
            t.second = time.wSecond;
            return info::FormatProbeTime(t);
        }
        case 1:
            return info::ProbeResultText(result);
        case 2:
            return info::ProbeCodeText(code);
        default:
            return std::string();
    }
}

LRESULT CProbeLogWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_sdChange && message == m_sdChange) {
        SetDrive(static_cast<char>(wParam));
        return 0;
    }
    if (message == WM_CLOSE) m_done = true;
    return Chain::WindowProc(message, wParam, lParam);
}

bool CProbeLogWindow::OnItemEvent(int id, int code, intptr_t param) {
    if (OnCommonItemEvent(GetHandle(), id, code, kCloseButton, kApplicationIcon)) return true;
    if (id == kOKButton && code == kItemClicked) {
        PostMessage(WM_CLOSE);
        return true;
    }
    return Chain::OnItemEvent(id, code, param);
}

void CProbeLogWindow::OnVScroll(UINT code, UINT position, HWND) {
    if (m_list) m_list->Control(WM_VSCROLL, MAKEWPARAM(code, position), 0);
}

void ShowProbeLogWindow(HWND owner, const char* deviceNo) {
    CProbeLogWindow window(deviceNo);
    window.DoModal(owner);
}

}  // namespace ui
