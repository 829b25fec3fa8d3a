// The settings window: values land in the settings file on OK only; folder
// refusals with their messages; erasing the downloaded data and the card's
// data area ask first and do nothing on No. (The keyboard, real keys and a
// restart included: SettingKeysTest.)
#include <gtest/gtest.h>

#include "InfoHarness.h"
#include "TestSupport.h"
#include "app/SettingWindow.h"
#include "common/CoreBridge.h"
#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "datafiles/SdCardClear.h"
#include "ui/SkinWindowItemEditBox.h"
#include "ui/SkinWindowItemStatic.h"

using namespace infotest;
using ui::CSettingWindow;

// The map notice, and the name a screen reader gives its box, follow the
// launcher's model type, not the card's (type 1's password wording:
// InfoAccessTest); the application icon's double click, like Alt+F4, hides
// the window, which stays made for the next opening.
TEST(SettingWindow, NoticeByModelTypeAndClosingHides) {
    ASSERT_TRUE(MakeCard(kCardE, "--device=CLOSING000000001 --generation=1"));
    CSettingWindow w(2);
    w.Show(nullptr, kCardE);
    const HWND handle = w.GetHandle();
    EXPECT_TRUE(InOverlayRegistry(handle, CSettingWindow::kOverlayMessage));
    auto* notice = static_cast<ui::CSkinWindowItemStatic*>(
        w.GetItemById(CSettingWindow::kFirstDecoration + 7));
    EXPECT_EQ(notice->GetText(),
              "地図更新の使用許諾の同意が必要な地図データが存在する場合に通知する。");
    EXPECT_EQ(w.GetItemById(CSettingWindow::kMapChargeCheckBox)->GetAccessibleName(),
              "使用許諾が必要な地図データを通知する");
    const RECT r = w.GetItemById(CSettingWindow::kApplicationIcon)->GetRect();
    w.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(r.left + 4, r.top + 4));
    qmtest::Drain();
    EXPECT_FALSE(::IsWindowVisible(handle));
    w.Show(nullptr, kCardE);
    EXPECT_EQ(w.GetHandle(), handle);
    w.SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
    qmtest::Drain();
    EXPECT_TRUE(::IsWindow(handle));
    EXPECT_FALSE(::IsWindowVisible(handle));
}

// Refused folders keep the old one; a missing one is made on Yes, when OK
// also turns the notices back on, every kind; a small card's is taken on Yes.
TEST(SettingWindow, RefusedFoldersKeepTheOldOneAMissingOneIsMadeOnYes) {
    const std::string notices =
        "[Map]\r\nMapNotifyMessage=0\r\nMapNotifyMessagePassword=0\r\n"
        "MapNotifyMessageRemind=0\r\nMapNotifyMessageLoseReserve=0\r\n";
    ASSERT_TRUE(qmtest::WriteFile(SettingsFile(), notices));
    ASSERT_TRUE(MakeCard(kCardE, "--device=FOLDERS000000001"));
    SettingsOpened o(kCardE);
    CSettingWindow& w = o.window;
    const std::string kept = qmtest::NewFolder("kept");
    w.SetFolderText(kept);
    char windows[MAX_PATH] = {};
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string hidden = qmtest::NewFolder("hidden");
    ::SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    {
        CBoxWatcher boxes;
        EXPECT_FALSE(w.AcceptFolder(windows));
        EXPECT_FALSE(w.AcceptFolder(hidden));
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>(2, BoxText(0xFF00CC05)));
    }
    EXPECT_EQ(w.FolderText(), kept);

    const std::string missing = qmtest::WorkFolder() + "new\\deep\\folder";
    w.SetFolderText(missing);
    EXPECT_FALSE(w.IsChecked(CSettingWindow::kMapChargeCheckBox));
    w.SetChecked(CSettingWindow::kMapChargeCheckBox, true);
    {
        CBoxWatcher boxes({IDNO, IDYES});
        w.Save();
        EXPECT_FALSE(IsDirectory(missing.c_str()));
        EXPECT_EQ(qmtest::ReadFile(SettingsFile()), notices);
        w.Save();
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>(2, BoxText(0xFF00CC04)));
    }
    EXPECT_TRUE(IsDirectory(missing.c_str()));
    EXPECT_EQ(qmtest::ReadFile(SettingsFile()),
              "[Map]\r\nMapNotifyMessage=1\r\nMapNotifyMessagePassword=1\r\n"
              "MapNotifyMessageRemind=1\r\nMapNotifyMessageLoseReserve=1\r\n[Setting]\r\n"
              "DownloadFolderPath=" +
                  missing +
                  "\r\nDataAutoDelete=1\r\nTransmitExe2=1\r\n"
                  "TransmitExe3=1\r\nTransmitExe4=1\r\n");

    ULARGE_INTEGER smallCard = {};
    if (!::GetDiskFreeSpaceExA("N:\\", &smallCard, nullptr, nullptr) ||
        smallCard.QuadPart >= (1ULL << 32))
        GTEST_SKIP() << "N: is not the small card here (no tmpfs)";
    // A 64 MB card is far below the 4 GiB a download needs: No keeps the
    // old folder, Yes takes it all the same.
    for (int answer : {IDNO, IDYES}) {
        CBoxWatcher boxes({answer});
        EXPECT_EQ(w.AcceptFolder("N:\\"), answer == IDYES);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{BoxText(0xFF00CC07)});
        EXPECT_EQ(w.FolderText(), answer == IDYES ? "N:\\" : missing);
    }
}

namespace {

// A download-management entry: category, subcategory, item name, data path.
std::string ManageEntry(int category, int subcategory, const char* name, const char* path) {
    std::string entry(304, '\0');
    entry[0] = static_cast<char>(category);
    entry[4] = static_cast<char>(subcategory);
    entry.replace(12, strlen(name), name);
    entry.replace(44, strlen(path), path);
    return entry;
}

}  // namespace

TEST(SettingWindow, ErasingDownloadedDataWithAndWithoutAManagementFile) {
    ASSERT_TRUE(MakeCard(kCardE, "--device=ERASEDATA0000001 --model=12"));
    SettingsOpened o(kCardE);
    CSettingWindow& w = o.window;
    const std::vector<std::string> files = {"01\\02\\ITEM\\A.BIN", "7F\\00\\X\\B.BIN", "DL.LST"};
    // Without a management file, and with one that lists the first item: its
    // data goes through its entry, the rest with the folder's contents. The
    // folder stays; the model's data folder goes.
    for (bool managed : {false, true}) {
        const std::string folder = qmtest::NewFolder(managed ? "managed" : "erase");
        for (const std::string& f : files) ASSERT_TRUE(Touch(folder + f));
        if (managed) {
            ASSERT_TRUE(qmtest::WriteFile(folder + "DL.DAT",
                                          ManageEntry(1, 2, "ITEM", "01\\02\\ITEM\\A.CNF")));
        }
        const std::string model = GetDataFolder() + "Data12\\";
        ASSERT_TRUE(Touch(model + "M.BIN"));
        w.SetFolderText(folder);
        const size_t mark = LogMark();
        {
            CBoxWatcher boxes({IDYES});
            w.DeleteDownloadedData();
            EXPECT_EQ(boxes.Texts(),
                      (std::vector<std::string>{BoxText(0xFF00CC09), BoxText(0xFF00CC0A)}));
        }
        EXPECT_TRUE(TreeOf(folder).empty());
        EXPECT_TRUE(IsDirectory(folder.c_str()));
        EXPECT_FALSE(IsDirectory(model.c_str()));
        EXPECT_EQ(Logged(mark, "N:CDownloadManageFile::_DeleteLocalData - Start[01][02][ITEM]"),
                  managed ? 1 : 0);
    }
    // An empty field and a folder that is gone are told, nothing asked.
    CBoxWatcher boxes;
    w.SetFolderText("");
    w.DeleteDownloadedData();
    w.SetFolderText(qmtest::WorkFolder() + "gone");
    w.DeleteDownloadedData();
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{BoxText(0xFF00CC06), BoxText(0xFF00CC0C)}));
}

TEST(SettingWindow, ErasingTheCardKeepsExactlyTheKeepList) {
    ASSERT_TRUE(MakeCard(kCardE, "--device=ERASECARD0000001 --music-files=2"));
    SettingsOpened o(kCardE);
    const std::vector<std::string> before = TreeOf("E:\\");
    ASSERT_GT(before.size(), 8u);
    {
        CBoxWatcher boxes({IDYES});
        ClickItem(o.window, CSettingWindow::kSDClearButton);
        EXPECT_EQ(boxes.Texts(),
                  (std::vector<std::string>{BoxText(0xFF00CC01), BoxText(0xFF00CC02)}));
    }
    std::vector<std::string> kept;
    for (const std::string& f : before) {
        if (f == "PCLINK.DAT" || f == "PC\\NAVIINFO.DAT" || f == "PC\\SDINFO.DAT" ||
            f == "AUTORUN.INF" || f.rfind("PC\\PCAPL\\", 0) == 0 || f.rfind("PROBE\\", 0) == 0)
            kept.push_back(f);
    }
    kept.push_back("PCLINK.DAT");
    std::sort(kept.begin(), kept.end());
    kept.erase(std::unique(kept.begin(), kept.end()), kept.end());
    EXPECT_EQ(TreeOf("E:\\"), kept);
}

TEST(SettingWindow, ReadOnlyCardIsToldAndLosesNothing) {
    const std::vector<std::string> before = TreeOf("G:\\");
    if (before.empty() || qmtest::WriteFile("G:\\probe.tmp", "x")) {
        ::DeleteFileA("G:\\probe.tmp");
        GTEST_SKIP() << "no read-only card here";
    }
    SettingsOpened o(kReadOnlyCard);
    {
        CBoxWatcher boxes({IDYES});
        o.window.EraseCard();
        EXPECT_EQ(boxes.Texts(),
                  (std::vector<std::string>{BoxText(0xFF00CC01), BoxText(0xFF00CC03)}));
    }
    EXPECT_EQ(TreeOf("G:\\"), before);
}

namespace {

// A core window that answers the busy question with a fixed mask.
LRESULT CALLBACK FakeCoreProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == ::RegisterWindowMessageA(kMsgRequestReconfirm))
        return static_cast<LRESULT>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    return ::DefWindowProcA(window, message, wParam, lParam);
}

struct FakeCore {
    HWND window = nullptr;
    explicit FakeCore(uint32_t busyMask) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = FakeCoreProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = kCoreWindowClass;
        ::RegisterClassA(&wc);
        window = ::CreateWindowA(kCoreWindowClass, kCoreWindowTitle, WS_POPUP, 0, 0, 1, 1, nullptr,
                                 nullptr, wc.hInstance, nullptr);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, static_cast<LONG_PTR>(busyMask));
    }
    ~FakeCore() { ::DestroyWindow(window); }
};

}  // namespace

TEST(SettingWindow, BusyCoreRefusesBothErasuresAndNoLeavesEverything) {
    ASSERT_TRUE(MakeCard(kCardE, "--device=BUSYCORE00000001"));
    SettingsOpened o(kCardE);
    const std::string folder = qmtest::NewFolder("busy");
    ASSERT_TRUE(Touch(folder + "01\\02\\ITEM\\A.BIN"));
    o.window.SetFolderText(folder);
    const std::vector<std::string> card = TreeOf("E:\\");
    {
        FakeCore core(4);
        ASSERT_TRUE(core.window);
        CBoxWatcher boxes;
        o.window.EraseCard();
        o.window.DeleteDownloadedData();
        EXPECT_EQ(boxes.Texts(),
                  (std::vector<std::string>{BoxText(0xFF00CC0D), BoxText(0xFF00CC0E)}));
    }
    {
        // An idle core: the confirmations come, and No leaves everything.
        FakeCore core(0);
        CBoxWatcher boxes({IDNO, IDNO});
        o.window.EraseCard();
        o.window.DeleteDownloadedData();
        EXPECT_EQ(boxes.Texts(),
                  (std::vector<std::string>{BoxText(0xFF00CC01), BoxText(0xFF00CC09)}));
    }
    EXPECT_EQ(TreeOf("E:\\"), card);
    EXPECT_EQ(TreeOf(folder), std::vector<std::string>{"01\\02\\ITEM\\A.BIN"});
}
