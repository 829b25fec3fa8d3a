#include "datafiles/SdCardClear.h"

#include <windows.h>

#include <string>

#include "common/CodePage.h"
#include "common/KilnLog.h"
#include "common/WinHandle.h"
#include "datafiles/CardPaths.h"
#include "datafiles/PcLinkFile.h"
#include "datafiles/VolumeControl.h"

namespace {

bool IsKept(const std::wstring& path, char drive) {
    for (const char* keep : kCardKeepList) {
        std::wstring kept = AnsiToWide(CardPath(drive, keep));
        if (::lstrcmpiW(path.c_str(), kept.c_str()) == 0) return true;
    }
    return false;
}

// Deletes what the keep list does not name below folder (ending in '\').
// False only when the folder itself cannot be searched.
bool ClearFolder(const std::wstring& folder, char drive) {
    const std::wstring pattern = folder + L"*";
    WIN32_FIND_DATAW fd;
    qm::CFindHandle find(::FindFirstFileW(pattern.c_str(), &fd));
    if (!find) {
        KILNLOG.Log(LOG_ERROR, "SDカードクリア時の検索失敗 %s", WideToAnsi(pattern).c_str());
        return false;
    }
    do {
        const std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        const bool isDir = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const std::wstring full = folder + name + (isDir ? L"\\" : L"");
        if (IsKept(full, drive)) continue;
        if (isDir) {
            ClearFolder(full, drive);
            ::RemoveDirectoryW(full.c_str());  // only succeeds when emptied
        } else {
            ::DeleteFileW(full.c_str());
        }
    } while (::FindNextFileW(find.Get(), &fd));
    return true;
}

}  // namespace

unsigned long ClearSdCard(char drive) {
    KILNLOG.Log(LOG_NORMAL, "SDカード内クリア要求 %Cドライブ",
                static_cast<wint_t>(drive ? drive : ' '));
    if (!drive) {
        KILNLOG.Log(LOG_ERROR, "SDカード内クリア時のドライブ指定不正");
        return kClearSdCardNoSearch;
    }
    const std::string root = CardRoot(drive);
    if (::GetFileAttributesA(root.c_str()) == INVALID_FILE_ATTRIBUTES) {
        KILNLOG.Log(LOG_ERROR, "SDカード内クリア時のドライブ指定不正");
        return kClearSdCardNoSearch;
    }
    if (!ClearFolder(AnsiToWide(root), drive)) return kClearSdCardNoSearch;

    unsigned long result = 0;
    if (!SyncPcLinkFile(drive, true)) {
        DWORD err = ::GetLastError();
        KILNLOG.Log(LOG_ERROR, "PcLink.dat作成失敗 ERR:0x%08X", static_cast<unsigned>(err));
        result = err;
    }
    if (!FlushVolume(drive)) {
        KILNLOG.Log(LOG_ERROR, "フォルダクリア時のフラッシュ失敗 ERR:0x%08X",
                    static_cast<unsigned>(::GetLastError()));
    }
    return result;
}
