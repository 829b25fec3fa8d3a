#include <shlobj.h>

#include <memory>

#include "app/InfoRules.h"
#include "app/SettingWindow.h"
#include "common/CoreBridge.h"
#include "common/CoreProcess.h"
#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "common/KilnLog.h"
#include "common/Mbcs.h"
#include "common/MessageCatalog.h"
#include "common/WickerdaleConfig.h"
#include "datafiles/DownloadManageFile.h"
#include "datafiles/PcLinkFile.h"
#include "datafiles/SdCardClear.h"
#include "ui/SkinWindowItemButton.h"
#include "ui/SkinWindowItemEditBox.h"
#include "ui/SkinWindowItemResizableStaticImage.h"
#include "ui/SkinWindowItemStatic.h"
#include "ui/SkinWindowItemStaticImage.h"
#include "ui/SkinWindowItemToggleButton.h"
#include "wfc/Library.h"

namespace ui {

constexpr int CSettingWindow::kCheckBoxes[5];

namespace {

enum class Part { kIcon, kFrame, kLabel, kCheckBox, kEdit, kButton };
struct Placed {
    const char* name;
    int id;
    Part part;
    const char* text = nullptr;  // a label's; empty: the map notice
};
constexpr int kDecor = CSettingWindow::kFirstDecoration;
using W = CSettingWindow;
// Every item in the skin's order, which is the order it reads in (a screen
// reader lists the items so) and keeps each frame under what it holds.
const Placed kPlaced[] = {
    {"ApplicationIcon", W::kApplicationIcon, Part::kIcon},
    {"TitleStatic", W::kTitleStatic, Part::kLabel, "設定"},
    {"CloseButton", W::kCloseButton, Part::kButton},
    {"ChargeSelectFrame", kDecor + 0, Part::kFrame},
    {"ChargeSelectFrameText", kDecor + 1, Part::kLabel, "更新設定"},
    {"MapChargeExeCheckBox", W::kMapChargeExeCheckBox, Part::kCheckBox},
    {"MapChargeExeTextStatic", kDecor + 2, Part::kLabel, "地図デ－タ更新"},
    {"BraidlineExeCheckBox", W::kBraidlineExeCheckBox, Part::kCheckBox},
    {"BraidlineExeTextStatic", kDecor + 3, Part::kLabel, "渋滞情報取得"},
    {"WeatherLiveExeCheckBox", W::kWeatherLiveExeCheckBox, Part::kCheckBox},
    {"WeatherLiveExeTextStatic", kDecor + 4, Part::kLabel, "天気情報取得"},
    {"AutoUpdateFrame", kDecor + 5, Part::kFrame},
    {"AutoUpdateFrameText", kDecor + 6, Part::kLabel, "更新通知設定"},
    {"MapChargeCheckBox", W::kMapChargeCheckBox, Part::kCheckBox},
    {"MapChargeTextStatic", kDecor + 7, Part::kLabel, ""},
    {"DownloadFolderFrame", kDecor + 8, Part::kFrame},
    {"DownloadFolderFrameText", kDecor + 9, Part::kLabel, "ダウンロードデータ設定"},
    {"DownloadFolderTitleTextStatic", kDecor + 10, Part::kLabel, "ダウンロードするフォルダの設定"},
    {"DownloadFolderEdit", W::kDownloadFolderEdit, Part::kEdit},
    {"DownloadFolderButton", W::kDownloadFolderButton, Part::kButton},
    {"DownloadFolderTextStatic", kDecor + 11, Part::kLabel,
     "※規定サイズ以上の空きがあるドライブのフォルダを指定してください。"},
    {"AutoDeleteCheckBox", W::kAutoDeleteCheckBox, Part::kCheckBox},
    {"AutoDeleteTextStatic", kDecor + 12, Part::kLabel,
     "ナビに反映済みのダウンロードしたデータを自動で削除する。"},
    {"DownloadDeleteTextStatic1", kDecor + 13, Part::kLabel,
     "ダウンロードしたデータの消去を行います。"},
    {"DownloadDeleteButton", W::kDownloadDeleteButton, Part::kButton},
    {"SDClearFrame", kDecor + 14, Part::kFrame},
    {"SDClearFrameText", kDecor + 15, Part::kLabel, "SDカードデータ操作"},
    {"SDClearTextStatic1", kDecor + 16, Part::kLabel,
     "SDカードに格納されているデータの消去を行います。"},
    {"SDClearButton", W::kSDClearButton, Part::kButton},
    {"ReInitializeButton", W::kReInitializeButton, Part::kButton},
    {"CancelButton", W::kCancelButton, Part::kButton},
    {"OKButton", W::kOKButton, Part::kButton},
};

std::string WithSlash(std::string path) {
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path;
}

std::string ShellFolder(int id) {
    char path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathA(nullptr, id, nullptr, 0, path))) return std::string();
    return path;
}

// The keys the window acts on itself; the edit box hands these over too.
const CWindowBase::KeyEntry kKeys[] = {
    {0, VK_TAB}, {CWindowBase::kKeyShift, VK_TAB}, {0, VK_RETURN}, {0, VK_ESCAPE}, {0, VK_SPACE},
};
constexpr size_t kKeyCount = sizeof kKeys / sizeof kKeys[0];

bool IsCheckBoxId(int id) {
    for (int box : CSettingWindow::kCheckBoxes)
        if (box == id) return true;
    return false;
}

// The folder browser opens at the folder the edit box names.
int CALLBACK StartAtFolder(HWND dialog, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED) ::SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, data);
    return 0;
}

}  // namespace

CSettingWindow::CSettingWindow(int navigationModelType)
    : Chain("FrameOverlay"), m_navigationModelType(navigationModelType) {}

CSettingWindow::~CSettingWindow() {
    if (GetHandle()) DestroyWindow();
}

void CSettingWindow::Open(HWND owner, char drive) {
    m_owner = owner;
    m_drive = drive;
    if (!GetHandle()) {
        LoadSkin("SettingWindow.txt", "Base", true);
        const SkinData& skin = Skin();
        // Which map notice there is depends on the launcher's model type.
        const bool licence = m_navigationModelType == 2;
        const char* const notice =
            licence ? "地図更新の使用許諾の同意が必要な地図データが存在する場合に通知する。"
                    : "パスワードの取得が必要な地図データが存在する場合に通知する。";
        const char* const noticeName = licence ? "使用許諾が必要な地図データを通知する"
                                               : "パスワードが必要な地図データを通知する";
        for (const Placed& p : kPlaced) {
            const SkinItem& item = GetItem(skin, p.name);
            switch (p.part) {
                case Part::kIcon:
                    AddItem<CSkinWindowItemStaticImage>(p.id, item);
                    break;
                case Part::kFrame:
                    AddItem<CSkinWindowItemResizableStaticImage>(p.id, item);
                    break;
                case Part::kLabel:
                    AddItem<CSkinWindowItemStatic>(p.id, item)->SetText(*p.text ? p.text : notice);
                    break;
                case Part::kCheckBox:
                    AddItem<CSkinWindowItemToggleButton>(p.id, item);
                    break;
                case Part::kEdit:
                    m_folder = AddItem<CSkinWindowItemEditBox>(p.id, item);
                    break;
                case Part::kButton:
                    AddItem<CSkinWindowItemButton>(p.id, item);
                    break;
            }
        }
        // Its box is named for the notice it stands beside.
        GetItemById(kMapChargeCheckBox)->SetAccessibleName(noticeName);
        SetUpFrameOverlay();
        CreateResizableWindow(owner, WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU, WS_EX_TOOLWINDOW, 0,
                              0);
        EnableResize(false);
        SetWindowTextA("Quillmarch Setting");
        m_sdChange = ::RegisterWindowMessageA("WKLSDChange");
    }
    Load();
    // Each opening starts the keyboard on the first box.
    TabAccessor().FocusItem(GetItemById(kMapChargeExeCheckBox));
}

void CSettingWindow::Load() {
    CWickerdaleConfig config;
    config.LoadSetting();
    config.LoadMap();
    const std::string folder = config.GetDownloadFolderPath();
    SetFolderText(folder.empty() ? GetDefaultDownloadFolder() : folder);
    SetChecked(kMapChargeExeCheckBox, config.GetTransmitExe2() != 0);
    SetChecked(kBraidlineExeCheckBox, config.GetTransmitExe3() != 0);
    SetChecked(kWeatherLiveExeCheckBox, config.GetTransmitExe4() != 0);
    SetChecked(kMapChargeCheckBox, config.GetMapNotifyMessage() != 0);
    SetChecked(kAutoDeleteCheckBox, config.GetDataAutoDelete() != 0);
}

bool CSettingWindow::IsChecked(int checkBox) {
    CSkinWindowItem* item = GetItemById(checkBox);
    return item && item->Control(kControlGetChecked, 0, 0) != 0;
}

void CSettingWindow::SetChecked(int checkBox, bool on) {
    if (CSkinWindowItem* item = GetItemById(checkBox)) item->Control(kControlSetChecked, on, 0);
}

std::string CSettingWindow::FolderText() { return m_folder ? m_folder->GetTextA() : std::string(); }

void CSettingWindow::SetFolderText(const std::string& text) {
    if (m_folder) m_folder->SetTextA(text);
}

int CSettingWindow::Ask(uint32_t code) {
    unsigned style = 0;
    const std::string text = GetMessageText(code, 0, style);
    return lib::wfc::ShowMessageBox(GetHandle(), text.c_str(), "Quillmarch ", style);
}

void CSettingWindow::Save() {
    const std::string folder = FolderText();
    if (!IsDirectory(folder.c_str())) {
        if (Ask(0xFF00CC04) == IDNO) return;
        CreateDirectories(folder);
    }
    CWickerdaleConfig config;
    config.LoadSetting();
    config.LoadMap();
    config.SetDownloadFolderPath(folder.c_str());
    const int notify = IsChecked(kMapChargeCheckBox) ? 1 : 0;
    const int before = config.GetMapNotifyMessage();
    config.SetMapNotifyMessage(notify);
    if (notify != 0 && before == 0) {
        // Turning notices back on enables every kind of them again.
        config.SetMapNotifyMessagePassword(notify);
        config.SetMapNotifyMessageRemind(notify);
        config.SetMapNotifyMessageLoseReserve(notify);
    }
    config.SetDataAutoDelete(IsChecked(kAutoDeleteCheckBox) ? 1 : 0);
    config.SetTransmitExe2(IsChecked(kMapChargeExeCheckBox) ? 1 : 0);
    config.SetTransmitExe3(IsChecked(kBraidlineExeCheckBox) ? 1 : 0);
    config.SetTransmitExe4(IsChecked(kWeatherLiveExeCheckBox) ? 1 : 0);
    ShowWindow(SW_HIDE);
}

void CSettingWindow::Cancel() { ShowWindow(SW_HIDE); }

bool CSettingWindow::IsAllowedFolder(const std::string& folder) {
    const DWORD attributes = ::GetFileAttributesA(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & info::kRefusedFolderAttributes))
        return false;
    const std::string path = WithSlash(folder);
    for (int id : {CSIDL_PROGRAM_FILES, CSIDL_WINDOWS}) {
        const std::string system = ShellFolder(id);
        if (!system.empty() && EqualsNoCaseMbcs(WithSlash(system), path.c_str())) return false;
    }
    return true;
}

bool CSettingWindow::AcceptFolder(const std::string& folder) {
    if (!IsAllowedFolder(folder)) {
        Ask(0xFF00CC05);
        return false;
    }
    CPcLinkFile link(CPcLinkFile::kPcLink, m_drive);
    const uint64_t need = info::RequiredDownloadSpace(link.IsLoaded(), link.GetModelCode(),
                                                      link.GetFormatGeneration());
    ULARGE_INTEGER avail = {}, total = {}, free = {};
    const BOOL ok = ::GetDiskFreeSpaceExA(WithSlash(folder).c_str(), &avail, &total, &free);
    const DWORD error = ok ? 0 : ::GetLastError();
    if (!ok || avail.QuadPart < need) {
        KILNLOG.Log(LOG_ERROR, "ダウンロード指定ドライブ容量不正 RET:%s ERR:0x%08X %I64d",
                    ok ? "成功" : "失敗", static_cast<unsigned>(error),
                    static_cast<long long>(avail.QuadPart));
        if (Ask(0xFF00CC07) == IDNO) return false;
    }
    SetFolderText(folder);
    return true;
}

void CSettingWindow::ChooseFolder() {
    BROWSEINFOA browse = {};
    char name[MAX_PATH] = {};
    browse.hwndOwner = GetHandle();
    browse.pszDisplayName = name;
    browse.lpszTitle = "ダウンロードデータを一時的に保存するフォルダを選択";
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    const std::string start = FolderText();
    browse.lParam = reinterpret_cast<LPARAM>(start.c_str());
    browse.lpfn = StartAtFolder;
    LPITEMIDLIST list = ::SHBrowseForFolderA(&browse);
    if (!list) return;
    char path[MAX_PATH] = {};
    const bool got = ::SHGetPathFromIDListA(list, path) != FALSE;
    ::CoTaskMemFree(list);
    if (got) AcceptFolder(path);
}

bool CSettingWindow::IsCoreBusy() {
    if (!FindCoreWindow()) return false;
    return QueryCoreBusyMask(GetHandle()) != 0;
}

void CSettingWindow::DeleteDownloadedData() {
    if (IsCoreBusy()) {
        Ask(0xFF00CC0E);
        return;
    }
    const std::string folder = FolderText();
    if (folder.empty()) {
        Ask(0xFF00CC06);
        return;
    }
    if (!IsAllowedFolder(folder)) {
        Ask(0xFF00CC05);
        return;
    }
    if (!IsDirectory(folder.c_str())) {
        Ask(0xFF00CC0C);
        return;
    }
    if (Ask(0xFF00CC09) != IDYES) return;
    HCURSOR old = ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
    // The items the management file lists go first, with their entries; then
    // whatever is left in the folder.
    CDownloadManageFile manage;
    manage.SetFolder(folder.c_str());
    manage._DeleteAllLocalData();
    bool done = DeleteFolderTree(folder.c_str(), false);
    CPcLinkFile link(CPcLinkFile::kPcLink, m_drive);
    char modelFolder[16];
    snprintf(modelFolder, sizeof modelFolder, "Data%02X", link.GetModelCode());
    const std::string modelPath = WithSlash(GetDataFolder()) + modelFolder;
    if (IsDirectory(modelPath.c_str())) done = DeleteFolderTree(modelPath.c_str(), true) && done;
    ::SetCursor(old);
    Ask(done ? 0xFF00CC0A : 0xFF00CC0B);
}

void CSettingWindow::EraseCard() {
    if (IsCoreBusy()) {
        Ask(0xFF00CC0D);
        return;
    }
    if (Ask(0xFF00CC01) != IDYES) return;
    HCURSOR old = ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
    RequestToolsEnd();
    const unsigned long result = ClearSdCard(m_drive);
    ::SetCursor(old);
    Ask(result == 0 ? 0xFF00CC02 : 0xFF00CC03);
}

void CSettingWindow::Defaults() {
    if (Ask(0xFF00CC08) == IDNO) return;
    CWickerdaleConfig config;
    config.LoadSetting();
    config.ResetSetting(false);
    config.ResetMap(false);
    SetFolderText(GetDefaultDownloadFolder());
    SetChecked(kMapChargeExeCheckBox, config.GetTransmitExe2() != 0);
    SetChecked(kBraidlineExeCheckBox, config.GetTransmitExe3() != 0);
    SetChecked(kWeatherLiveExeCheckBox, config.GetTransmitExe4() != 0);
    SetChecked(kMapChargeCheckBox, config.GetMapNotifyMessage() != 0);
    SetChecked(kAutoDeleteCheckBox, config.GetDataAutoDelete() != 0);
}

int CSettingWindow::FocusedItem() const {
    if (m_folder && m_folder->GetControl() && ::GetFocus() == m_folder->GetControl())
        return kDownloadFolderEdit;
    const CSkinWindowItem* item = const_cast<CSettingWindow*>(this)->TabAccessor().GetFocusItem();
    return item ? item->GetId() : 0;
}

bool CSettingWindow::FilterKey(UINT key, UINT) { return WantsKey(kKeys, kKeyCount, key); }

// Tab is the skin window's; Enter, Escape and Space are the dialog's.
bool CSettingWindow::OnKey(UINT key) {
    if (key == VK_TAB || !IsKeyInTable(kKeys, kKeyCount, KeyModifiers(), key)) return false;
    const int id = FocusedItem();
    CSkinWindowItem* item = id != 0 && id != kDownloadFolderEdit ? GetItemById(id) : nullptr;
    const bool pushButton = item && !IsCheckBoxId(id);
    if (key == VK_ESCAPE) {
        Cancel();
    } else if (key == VK_RETURN) {
        // A push button with the focus is the default one, as in a dialog.
        if (pushButton)
            item->Press();
        else
            Save();
    } else if (item) {
        ShowFocusMark();
        item->Press();
    }
    return true;
}

LRESULT CSettingWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_sdChange && message == m_sdChange) {
        // The commands work on the launcher's current card.
        m_drive = static_cast<char>(wParam);
        return 0;
    }
    switch (message) {
        case WM_CLOSE:
            // Made once by the launcher and hidden, never destroyed by a close.
            Cancel();
            return 0;
        case WM_KEYDOWN:
            if (OnKey(static_cast<UINT>(wParam))) return 0;
            break;
        default:
            break;
    }
    return Chain::WindowProc(message, wParam, lParam);
}

bool CSettingWindow::OnItemEvent(int id, int code, intptr_t param) {
    if (OnCommonItemEvent(GetHandle(), id, code, -1, kApplicationIcon)) return true;
    if (code == kItemClicked) {
        // A click moves the keyboard there, as in a dialog.
        TabAccessor().FocusItem(GetItemById(id));
        static const CommandEntry<CSettingWindow> kCommands[] = {
            {kCloseButton, &CSettingWindow::Cancel},
            {kCancelButton, &CSettingWindow::Cancel},
            {kOKButton, &CSettingWindow::Save},
            {kDownloadFolderButton, &CSettingWindow::ChooseFolder},
            {kDownloadDeleteButton, &CSettingWindow::DeleteDownloadedData},
            {kSDClearButton, &CSettingWindow::EraseCard},
            {kReInitializeButton, &CSettingWindow::Defaults},
        };
        if (RunCommand(*this, kCommands, id)) return true;
    }
    return Chain::OnItemEvent(id, code, param);
}

void CSettingWindow::Show(HWND owner, char drive) {
    Open(owner, drive);
    lib::wfc::CenterWindow(GetHandle(), owner);
    ShowWindow(SW_SHOW);
    ::SetForegroundWindow(GetHandle());
}

}  // namespace ui
