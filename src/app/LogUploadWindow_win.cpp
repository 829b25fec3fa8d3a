#include "app/LogUploadWindow.h"
#include "common/KilnLog.h"
#include "common/MessageCatalog.h"
#include "datafiles/PcLinkFile.h"
#include "net/AplLogUpload.h"
#include "ui/SkinWindowItemButton.h"
#include "wfc/Library.h"

namespace ui {

CLogUploadWindow::CLogUploadWindow() : CPopupWindow(nullptr) {}

CLogUploadWindow::~CLogUploadWindow() {
    // The upload object ends its worker before it goes.
    m_upload.reset();
    if (GetHandle()) DestroyWindow();
}

bool CLogUploadWindow::SetLogUploadInfo(char drive, const char* deviceNo, const char* userAgent,
                                        uint32_t ccid) {
    bool ok = true;
    if (!deviceNo || !*deviceNo) {
        KILNLOG.Log(LOG_ERROR, "CLogUploadWindow::SetLogUploadInfo - DwvicwNo指定不正");
        ok = false;
    }
    if (!userAgent || !*userAgent) {
        KILNLOG.Log(LOG_ERROR, "CLogUploadWindow::SetLogUploadInfo - UserAgent指定不正");
        ok = false;
    }
    if (!ccid) {
        KILNLOG.Log(LOG_ERROR, "CLogUploadWindow::SetLogUploadInfo - CCID指定不正");
        ok = false;
    }
    if (!ok) return false;
    m_drive = drive;
    m_deviceNo = deviceNo;
    m_userAgent = userAgent;
    m_ccid = ccid;
    return true;
}

bool CLogUploadWindow::StartWorker(UINT message, DWORD kind) {
    if (!m_upload) m_upload = std::make_unique<CAplLogUpload>();
    bool moth = false;
    if (m_drive) {
        CPcLinkFile link(CPcLinkFile::kPcLink, m_drive);
        moth = link.IsLoaded() && link.IsMothModel();
    }
    m_upload->SetNaviInfo(m_deviceNo.c_str(), m_ccid, m_userAgent.c_str(), moth);
    return m_upload->Start(GetHandle(), message, kind);
}

bool CLogUploadWindow::CreateAndCheck(HWND owner) {
    m_launcher = owner;
    SetOwner(owner);
    BeginPopup("LogUploadWindow.txt", "QUILL MARCH");
    // The question, then its answers left to right: the reading order.
    AddText(kUpdateConfirmTextStatic, "UpdateConfirmTextStatic",
            "QUILL MARCHのエラー情報、およびお客様の\r\nパソコン環境をコルヴェイン株式会社へ送信し"
            "ます。\r\n\r\nエラー情報  ：QUILL MARCHが作成したエラー情報\r\nパソコン環境：OSの種"
            "類、バージョン/CPU/メモリ容量\r\n\r\n情報をアップロードして宜しいでしょうか。");
    AddButton(kCancelButton, "CancelButton");
    AddButton(kYesButton, "YesButton");
    FinishPopup("Quillmarch LogUpload", 0x820A0000u);
    return StartWorker(kMsgPermission, 0);
}

void CLogUploadWindow::OnButton(int id) {
    if (id == kCancelButton) {
        PostMessage(WM_CLOSE);
        return;
    }
    if (id != kYesButton) return;
    StartWorker(kMsgUploaded, 1);
    GetItemById(kYesButton)->SetEnabled(false);
    GetItemById(kCancelButton)->SetEnabled(false);
}

LRESULT CLogUploadWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kMsgPermission:
            m_lastResult = 0x90000000u | static_cast<uint32_t>(wParam);
            m_lastDetail = static_cast<uint32_t>(lParam);
            if (wParam == 0) {
                SlideOut();
            } else {
                PostMessage(WM_CLOSE);
            }
            return 0;
        case kMsgUploaded: {
            m_lastResult = 0x90000000u | static_cast<uint32_t>(wParam);
            m_lastDetail = static_cast<uint32_t>(lParam);
            unsigned style = 0;
            const std::string text = GetMessageText(m_lastResult, m_lastDetail, style);
            if (!text.empty())
                lib::wfc::ShowMessageBox(GetHandle(), text.c_str(), "Quillmarch ", style);
            PostMessage(WM_CLOSE);
            return 0;
        }
        case WM_DESTROY:
            ::PostMessageA(m_launcher, 0xB98, m_lastResult, m_lastDetail);
            break;
        case WM_KEYDOWN:
            // Enter answers Yes while Yes can still be pressed.
            if (wParam == VK_RETURN) {
                if (GetItemById(kYesButton)->IsEnabled()) OnButton(kYesButton);
                return 0;
            }
            break;
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT) {
                POINT pt = {};
                ::GetCursorPos(&pt);
                ::ScreenToClient(GetHandle(), &pt);
                for (int id : {kYesButton, kCancelButton}) {
                    const CSkinWindowItem* item = GetItemById(id);
                    const RECT r = item->GetRect();
                    if (item->IsVisible() && ::PtInRect(&r, pt)) {
                        ::SetCursor(::LoadCursor(nullptr, IDC_HAND));
                        return TRUE;
                    }
                }
            }
            break;
        default:
            break;
    }
    return CPopupWindow::WindowProc(message, wParam, lParam);
}

}  // namespace ui
