#include "app/Startup.h"

#include <vector>

#include "app/CommandLine.h"
#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "common/KilnLog.h"
#include "datafiles/PcLinkFile.h"
#include "datafiles/UserListFile.h"

BOOL ForceForegroundWindow(HWND target) {
    HWND fore = ::GetForegroundWindow();
    if (!fore) {
        fore = ::FindWindowA("Progman", "Program Manager");
        if (fore) ::SetForegroundWindow(fore);
    }
    DWORD foreThread = fore ? ::GetWindowThreadProcessId(fore, nullptr) : 0;
    DWORD targetThread = ::GetWindowThreadProcessId(target, nullptr);
    if (fore && foreThread != targetThread) {
        // Sharing the foreground thread's input state lets SetForegroundWindow
        // through where the foreground lock would refuse it.
        ::AttachThreadInput(targetThread, foreThread, TRUE);
        ::SetForegroundWindow(target);
        ::SetFocus(target);
        ::BringWindowToTop(target);
        ::AttachThreadInput(targetThread, foreThread, FALSE);
        return TRUE;
    }
    return ::SetForegroundWindow(target);
}

void UninstallCleanup() {
    std::string folder = GetDataFolder();
    KILNLOG.Log(LOG_NORMAL, "アンインストール要求 %s", folder.c_str());
    if (folder.empty()) return;
    if (!IsOwnDataFolder(folder)) {
        // The all-users fallback holds other programs' data: never ours to delete.
        KILNLOG.Log(LOG_ERROR, "アンインストール要求 - 専用フォルダではないため削除しません %s",
                    folder.c_str());
        return;
    }
    DeleteFolderTree(folder.c_str(), true);
}

void ProtocolLaunch() {
    UINT msg = ::RegisterWindowMessageA("WKLMapDownload");
    HWND launcher = ::FindWindowA(nullptr, "Quillmarch");
    if (launcher) {
        ::PostMessageA(launcher, msg, 0, 0);
        ForceForegroundWindow(launcher);
        KILNLOG.Log(LOG_NORMAL, "プロトコル起動");
    } else {
        KILNLOG.Log(LOG_ERROR, "プロトコル起動 ランチャー無し");
    }
}

RegistrationStatus GetRegistrationStatus() {
    RegistrationStatus status;
    std::vector<char> drives;
    ScanNaviCards(drives);
    if (drives.empty()) {
        KILNLOG.Log(LOG_DETAIL, "SD未挿入起動");
        CUserListFile users;
        uint32_t modelType = 0;
        if (users.GetLastUser(nullptr, nullptr, nullptr, nullptr, &modelType)) {
            status.registered = true;
            if (modelType) status.navigationModelType = static_cast<int>(modelType);
            KILNLOG.Log(LOG_DETAIL, "　－最終ユーザーあり");
        } else {
            KILNLOG.Log(LOG_DETAIL, "　－最終ユーザーなし");
        }
    } else {
        KILNLOG.Log(LOG_DETAIL, "SD挿入起動");
        // Only the first card counts, also when several are inserted.
        CPcLinkFile link(CPcLinkFile::kPcLink, drives.front());
        if (link.IsLoaded()) {
            const std::string deviceNo = link.GetDeviceNo();
            CUserListFile users;
            if (users.Exists(deviceNo.c_str())) {
                status.registered = true;
                KILNLOG.Log(LOG_DETAIL, "　－ユーザー登録情報あり");
            }
            status.navigationModelType = link.GetFormatGeneration();
        }
    }
    KILNLOG.Log(LOG_NORMAL, "ユーザー登録状況 %s", status.registered ? "済" : "未");
    return status;
}
