// CLauncherWindow: the card's arrival and removal (shell notices, the
// rescan, the card change) and eject.
#include "app/LauncherWindow.h"
#include "ui/SkinScale.h"
// windows.h comes first, through the class header.
#include <dbt.h>
#include <shlobj.h>

#include <vector>

#include "app/MapChargeWindow.h"
#include "app/MenuWindow.h"
#include "app/SDInfoWindow.h"
#include "app/SettingWindow.h"
#include "app/UpdateNotifyWindow.h"
#include "common/KilnLog.h"
#include "datafiles/PcLinkFile.h"
#include "datafiles/UserListFile.h"
#include "datafiles/VolumeControl.h"
#include "net/ConnectionFile.h"
#include "ui/SkinWindowItemAnimation.h"
#include "ui/SkinWindowItemButton.h"
#include "ui/SkinWindowItemDigitImage.h"
#include "ui/SkinWindowItemStaticImage.h"
#include "wfc/Library.h"

namespace ui {

namespace {

// The shell's change notification, taken by ordinal as the shell exports it.
struct ShellNotifyEntry {
    LPCITEMIDLIST pidl;
    BOOL recursive;
};
using RegisterFn = ULONG(WINAPI*)(HWND, int, LONG, UINT, int, const ShellNotifyEntry*);
using DeregisterFn = BOOL(WINAPI*)(ULONG);
using LockFn = HANDLE(WINAPI*)(HANDLE, DWORD, LPITEMIDLIST**, LONG*);
using UnlockFn = BOOL(WINAPI*)(HANDLE);

struct ShellNotifyApi {
    RegisterFn reg = nullptr;
    DeregisterFn dereg = nullptr;
    LockFn lock = nullptr;
    UnlockFn unlock = nullptr;
};

ShellNotifyApi LoadShellNotify(HMODULE& module) {
    ShellNotifyApi api;
    module = ::LoadLibraryA("Shell32.DLL");
    if (!module) return api;
    api.reg = reinterpret_cast<RegisterFn>(
        reinterpret_cast<void*>(::GetProcAddress(module, MAKEINTRESOURCEA(2))));
    api.dereg = reinterpret_cast<DeregisterFn>(
        reinterpret_cast<void*>(::GetProcAddress(module, MAKEINTRESOURCEA(4))));
    api.lock = reinterpret_cast<LockFn>(
        reinterpret_cast<void*>(::GetProcAddress(module, MAKEINTRESOURCEA(644))));
    api.unlock = reinterpret_cast<UnlockFn>(
        reinterpret_cast<void*>(::GetProcAddress(module, MAKEINTRESOURCEA(645))));
    if (!api.reg || !api.dereg || !api.lock || !api.unlock) {
        ::FreeLibrary(module);
        module = nullptr;
        return ShellNotifyApi();
    }
    return api;
}

std::string PathOfIdList(LPCITEMIDLIST pidl) {
    char path[MAX_PATH * 8] = {};
    if (pidl && ::SHGetPathFromIDListA(pidl, path)) return std::string(path, ::strnlen(path, 2047));
    return std::string();
}

}  // namespace

// --- card ---------------------------------------------------------------------------------

void CLauncherWindow::RegisterShellNotify() {
    const ShellNotifyApi api = LoadShellNotify(m_shell32);
    if (!api.reg) return;
    ShellNotifyEntry entry = {nullptr, TRUE};
    m_shellRegistration =
        api.reg(GetHandle(), 0x9003, static_cast<LONG>(0xFFF901E1u), kMsgShellNotify, 1, &entry);
}

void CLauncherWindow::UnregisterShellNotify() {
    if (!m_shell32) return;
    if (m_shellRegistration) {
        auto dereg = reinterpret_cast<DeregisterFn>(
            reinterpret_cast<void*>(::GetProcAddress(m_shell32, MAKEINTRESOURCEA(4))));
        if (dereg) dereg(m_shellRegistration);
        m_shellRegistration = 0;
    }
    ::FreeLibrary(m_shell32);
    m_shell32 = nullptr;
}

void CLauncherWindow::OnShellNotify(WPARAM wParam, LPARAM lParam) {
    if (!m_shell32) return;
    auto lock = reinterpret_cast<LockFn>(
        reinterpret_cast<void*>(::GetProcAddress(m_shell32, MAKEINTRESOURCEA(644))));
    auto unlock = reinterpret_cast<UnlockFn>(
        reinterpret_cast<void*>(::GetProcAddress(m_shell32, MAKEINTRESOURCEA(645))));
    const UINT oldMode = ::SetErrorMode(SEM_FAILCRITICALERRORS);
    LPITEMIDLIST* pidls = nullptr;
    LONG event = 0;
    HANDLE locked =
        lock(reinterpret_cast<HANDLE>(wParam), static_cast<DWORD>(lParam), &pidls, &event);
    std::string path1, path2;
    if (locked) {
        if (pidls) {
            path1 = PathOfIdList(pidls[0]);
            path2 = PathOfIdList(pidls[1]);
        }
        unlock(locked);
    }
    ::SetErrorMode(oldMode);
    if (!locked || !IsCardNoticeEvent(static_cast<uint32_t>(event))) return;
    KILNLOG.Log(LOG_DETAIL, "%s %s", path1.c_str(), path2.c_str());
    CountCardNotice();
}

void CLauncherWindow::CountCardNotice() {
    if (m_notices.Notice()) {
        m_searchAnime->SetVisible(true);
        m_searchAnime->Start(0);
        ResumeTick();
        ShowCardIcon(m_card != 0);
    } else {
        KillTimer(kTimerRescan);
    }
    SetTimer(kTimerRescan, kRescanDelayMs);
}

void CLauncherWindow::OnRescan() {
    KillTimer(kTimerRescan);
    // A stray timer message scans nothing; a not-ready retry scans again.
    if (!m_notices.TakeRescan() && !m_retryArmed) return;
    m_retryArmed = false;
    std::vector<char> drives;
    ScanNaviCards(drives);
    const DWORD scanError = ::GetLastError();
    if (drives.empty() && m_map.kind == kMapRecordDiskCheck && scanError == kErrorNotReady) {
        if (m_notReadyRetries < kNotReadyRetries) {
            ++m_notReadyRetries;
            KILNLOG.Log(LOG_NORMAL,
                        "CLauncherWindow::_OnTimerShellNotify() - SHELL通知時のドライブ準備中");
            m_retryArmed = true;
            SetTimer(kTimerRescan, kRescanDelayMs);
            return;
        }
    }
    m_notReadyRetries = 0;

    const std::vector<ScannedDrive> seen = ScanDrives(drives);
    const RescanDecision d = DecideRescan(seen, m_card, m_navigationModelType);
    for (char ro : d.readOnly) KILNLOG.Log(LOG_NORMAL, "SDカード読取専用 %Cドライブ", ro);
    for (const ScannedDrive& s : seen)
        if (s.writable && s.registered) KILNLOG.Log(LOG_NORMAL, "SD検知");
    if (d.unregisteredSeen) {
        KILNLOG.Log(LOG_DETAIL, "　－ユーザー登録情報なしSDカード挿入");
        lib::wfc::ShowMessageBox(GetHandle(),
                                 "挿入されたSDカードのお客様登録情報が見つかりませんでした。\r\n"
                                 "QUILL MARCHを再起動して、初期設定を行なってください。",
                                 kBoxCaption, MB_OK | MB_ICONINFORMATION);
    }
    if (d.outcome == RescanOutcome::NoCard) {
        KILNLOG.Log(LOG_NORMAL, "SD抜取検知");
        ClearKindStatuses();
        if (d.readOnlySeen) PostMessage(kMsgCodeMessage, 0xFF00EE02u, 0);
        PostMessage(m_messages.sdChange, 0, 0);
        m_searchAnime->Stop();
        m_searchAnime->SetVisible(false);
        ShowCardIcon(false);
        return;
    }
    ClearKindStatuses();
    bool start = false;
    if (d.outcome != RescanOutcome::SameCard) {
        if (!m_card) {
            ReadCardInformation(d.candidate);
            start = true;
        } else {
            KILNLOG.Log(LOG_NORMAL, "新SD検知 %C", d.candidate);
            start = true;
        }
    }
    if (!m_updateWindow) {
        m_updateWindow = std::make_unique<CUpdateNotifyWindow>(GetHandle(), d.candidate);
        m_updateWindow->CreateAndInquire();
        start = false;  // the chain starts the charges
    }
    m_searchAnime->Stop();
    m_searchAnime->SetVisible(false);
    if (d.outcome == RescanOutcome::NewCard) {
        CapacityCheck(d.candidate);
        PostMessage(m_messages.sdChange, static_cast<WPARAM>(d.candidate), start ? 1 : 0);
    } else if (d.outcome == RescanOutcome::OtherModel) {
        RestartForOtherModel();
        return;
    }
    ShowCardIcon(true);
}

std::vector<ScannedDrive> CLauncherWindow::ScanDrives(const std::vector<char>& drives) const {
    std::vector<ScannedDrive> seen;
    CUserListFile users;
    for (char d : drives) {
        ScannedDrive s;
        s.letter = d;
        s.writable = IsWritable(d);
        CPcLinkFile link(CPcLinkFile::kPcLink, d);
        s.registered = link.IsLoaded() && users.Exists(link.GetDeviceNo().c_str());
        s.modelType = link.IsLoaded() ? link.GetFormatGeneration() : 0;
        seen.push_back(s);
    }
    return seen;
}

void CLauncherWindow::RestartForOtherModel() {
    KILNLOG.Log(LOG_NORMAL, "モデル違いSDにより再起動");
    m_searchAnime->Stop();
    m_searchAnime->SetVisible(false);
    ShowCardIcon(false);
    PostMessage(m_messages.sdChange, 0, 0);
    ShowCodeMessage(0xFF00EE09u);
    m_restartOnExit = true;
    PostMessage(WM_CLOSE);
}

void CLauncherWindow::OnSDChange(char drive, bool startCharges) {
    if (drive != m_card) {
        KILNLOG.Log(LOG_NORMAL, "SD変更検知 %C -> %C", m_card ? m_card : ' ', drive ? drive : ' ');
        for (Tile& tile : m_tiles) tile.item->SetValue(0);
        ClearKindStatuses();
        WaitForToolsEnd();
        m_card = drive;
        m_userAgent.clear();
        m_nickname.clear();
        m_cardModelCode = 0;
        if (m_card) {
            CPcLinkFile link(CPcLinkFile::kPcLink, m_card);
            if (link.IsLoaded()) m_cardModelCode = link.GetModelCode();
            ReadCardInformation(m_card);
            LayOutTiles();
            if (startCharges) ApplyStartChargeDecision();
        }
        ShowCardIcon(m_card != 0);
        if (m_backPanel) SetBackPanel(true);
    }
    ForwardSDChange(drive);
}

void CLauncherWindow::ForwardSDChange(char drive) {
    const WPARAM w = static_cast<WPARAM>(static_cast<signed char>(drive));
    for (CWindow* child :
         {static_cast<CWindow*>(m_menu.get()), static_cast<CWindow*>(m_settingWindow.get()),
          static_cast<CWindow*>(m_sdInfoWindow.get())})
        if (child && child->GetHandle()) child->PostMessage(m_messages.sdChange, w, 0);
    for (const char* title :
         {"Quillmarch Probe", "Quillmarch Music Manual", "Quillmarch Music Setting"})
        if (HWND window = ::FindWindowA(nullptr, title))
            ::PostMessageA(window, m_messages.sdChange, w, 0);
}

void CLauncherWindow::WaitForToolsEnd(ToolsWait wait) {
    RequestToolsEnd();
    for (int i = 0; i < 10 && ToolsStillThere(wait, FindCoreWindow() != nullptr,
                                              FindMusicWindow(false) != nullptr,
                                              FindMusicWindow(true) != nullptr);
         ++i)
        ::Sleep(100);
}

void CLauncherWindow::ReadCardInformation(char drive) {
    CPcLinkFile link(CPcLinkFile::kPcLink, drive);
    if (!link.IsLoaded()) return;
    const std::string deviceNo = link.GetDeviceNo();
    CUserListFile users;
    if (!users.Exists(deviceNo.c_str())) return;
    users.SetUserAgent(deviceNo.c_str(), GetUserAgent(drive).c_str());
    users.SetCcid(deviceNo.c_str(), link.GetNaviId());
    users.SetModelType(deviceNo.c_str(), static_cast<uint32_t>(link.GetFormatGeneration()));
}

void CLauncherWindow::CapacityCheck(char drive) {
    CPcLinkFile link(CPcLinkFile::kPcLink, drive);
    const int model = link.IsLoaded() ? link.GetModelCode() : 0;
    const uint32_t code = CapacityMessage(model, m_navigationModelType, GetVolumeCapacity(drive));
    if (code) PostMessage(kMsgCodeMessage, code, 0);
}

// The tiles' home places were taken from the skin at the old scale.
void CLauncherWindow::OnScaleChanged(int oldDpi) {
    Chain::OnScaleChanged(oldDpi);
    auto convert = [&](LONG v) { return ConvertCoordinate(v, oldDpi, Dpi()); };
    m_firstTileHome = RECT{convert(m_firstTileHome.left), convert(m_firstTileHome.top),
                           convert(m_firstTileHome.right), convert(m_firstTileHome.bottom)};
    m_lastTileLeft = convert(m_lastTileLeft);
    LayOutTiles();
}

void CLauncherWindow::LayOutTiles() {
    const RECT& first = m_firstTileHome;
    const int width = first.right - first.left;
    const TileLefts t =
        LayOutTileLefts(first.left, m_lastTileLeft, width, IsMothModelCode(m_cardModelCode));
    for (int k = 0; k < 5; ++k)
        m_tiles[k].item->SetRect(t.left[k], first.top, t.left[k] + width, first.bottom);
    SetBackPanel(m_backPanel);
    RedrawAll();
    InvalidateRect(nullptr, false);
}

void CLauncherWindow::Eject() {
    if (!m_card) {
        PostMessage(kMsgCodeMessage, 0xFF00EE04u, 0);
        return;
    }
    if (ChildWindowVisible()) {
        PostMessage(kMsgCodeMessage, 0xFF00EE07u, 0);
        return;
    }
    if (AskBusy("処理中のSD抜取要求 PROCs:0x%08X", "データ更新中です。転送を中断しますか？") ==
        IDNO)
        return;
    ClearKindStatuses();
    WaitForToolsEnd();
    if (IsTrafficQuestionDueNow() && AskTrafficOnExit()) {
        StartTrafficCharge(1);
        return;
    }
    EjectNow();
}

void CLauncherWindow::EjectNow() {
    if (m_card && EjectVolume(m_card)) {
        PostMessage(kMsgCodeMessage, 0xFF00EE05u, 0);
    } else {
        KILNLOG.Log(LOG_ERROR, "SD取り出し失敗 ERR:0x%08X",
                    static_cast<unsigned>(::GetLastError()));
        PostMessage(kMsgCodeMessage, 0xFF00EE06u, 0);
    }
    SetBackPanel(!m_backPanel);
}

}  // namespace ui
