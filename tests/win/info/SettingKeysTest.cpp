// The settings window without a mouse: Tab order and the shared focus ring by
// exact pixels, Space, Enter and Escape as in a dialog; then real keys alone.
#include <gtest/gtest.h>

#include "InfoHarness.h"
#include "PumpUntil.h"
#include "TestSupport.h"
#include "app/SettingWindow.h"
#include "ui/SkinWindowItemEditBox.h"

using namespace infotest;
using ui::CSettingWindow;
using W = CSettingWindow;

namespace {

HWND EditControl(CSettingWindow& w) {
    return static_cast<ui::CSkinWindowItemEditBox*>(w.GetItemById(W::kDownloadFolderEdit))
        ->GetControl();
}

std::vector<bool> Boxes(CSettingWindow& w) {
    std::vector<bool> on;
    for (int box : W::kCheckBoxes) on.push_back(w.IsChecked(box));
    return on;
}

// A key where the keyboard is (the window or its edit control), Shift held
// in the thread's key state when asked.
void Press(UINT key, bool shift = false) {
    BYTE state[256] = {};
    ::GetKeyboardState(state);
    state[VK_SHIFT] = shift ? 0x80 : 0;
    ::SetKeyboardState(state);
    ::SendMessageA(::GetFocus(), WM_KEYDOWN, key, 1);
    qmtest::Drain();  // the edit control posts its keys on to the window
    state[VK_SHIFT] = 0;
    ::SetKeyboardState(state);
}

// An item's pixels in the window's back buffer, row by row.
std::vector<COLORREF> PixelsOf(CSettingWindow& w, int id) {
    const RECT r = w.GetItemById(id)->GetRect();
    std::vector<COLORREF> out;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) out.push_back(w.BackBuffer()->GetPixel(x, y));
    return out;
}

// The item looks `plain` but for the ring 2 px wide, 2 px inside, its outer
// corner pixels left, in `color`.
void ExpectRing(CSettingWindow& w, int id, const std::vector<COLORREF>& plain, COLORREF color) {
    const RECT r = w.GetItemById(id)->GetRect();
    const std::vector<COLORREF> now = PixelsOf(w, id);
    const int width = r.right - r.left, height = r.bottom - r.top;
    int wrong = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool inRing = x >= 2 && y >= 2 && x < width - 2 && y < height - 2 &&
                                (x < 4 || y < 4 || x >= width - 4 || y >= height - 4);
            const bool corner = (x == 2 || x == width - 3) && (y == 2 || y == height - 3);
            const size_t at = static_cast<size_t>(y * width + x);
            const COLORREF want = inRing && !corner ? color : plain[at];
            if (now[at] != want && ++wrong <= 3)
                ADD_FAILURE() << "at " << x << ", " << y << ": " << std::hex << now[at] << " not "
                              << want;
        }
    }
    EXPECT_EQ(wrong, 0) << "item " << id;
}

const int kOrder[] = {
    W::kMapChargeExeCheckBox, W::kBraidlineExeCheckBox, W::kWeatherLiveExeCheckBox,
    W::kMapChargeCheckBox,    W::kDownloadFolderEdit,   W::kDownloadFolderButton,
    W::kAutoDeleteCheckBox,   W::kDownloadDeleteButton, W::kSDClearButton,
    W::kReInitializeButton,   W::kCancelButton,         W::kOKButton,
    W::kCloseButton};
constexpr int kStops = static_cast<int>(sizeof kOrder / sizeof kOrder[0]);

}  // namespace

TEST(SettingKeys, TabWalksWithTheSharedRingSpaceEnterAndEscapeAsInADialog) {
    ::DeleteFileA(SettingsFile().c_str());
    // The pointer off the window: no item shows its hot face.
    ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    CSettingWindow w;
    w.Open(nullptr, kCardE);
    w.ShowWindow(SW_SHOWNA);
    w.SetFolderText(qmtest::NewFolder("tabkeys"));
    ::SetFocus(w.GetHandle());
    qmtest::Drain();
    ASSERT_EQ(w.FocusedItem(), W::kMapChargeExeCheckBox);
    // Before any key: no ring, even round the focused box.
    EXPECT_FALSE(w.TabAccessor().IsFocusMarkShown());
    std::vector<std::vector<COLORREF>> plain;
    for (int id : kOrder) plain.push_back(PixelsOf(w, id));
    w.RedrawAll();
    EXPECT_EQ(PixelsOf(w, W::kMapChargeExeCheckBox), plain[0]);
    // Space on the first box, before any Tab, turns it over and shows the
    // ring; a second Space turns it back.
    Press(VK_SPACE);
    EXPECT_EQ(Boxes(w), (std::vector<bool>{false, true, true, true, true}));
    EXPECT_TRUE(w.TabAccessor().IsFocusMarkShown());
    Press(VK_SPACE);

    // Tab walks the order round to the start; Shift+Tab walks it back. The
    // ring is on the focused item alone (the accent, light on OK's accent
    // face); the edit box shows its caret instead.
    for (int i = 1; i <= 2 * kStops; ++i) {
        const bool back = i > kStops;
        Press(VK_TAB, back);
        const int at = back ? 2 * kStops - i : i % kStops;
        const int focus = kOrder[at];
        ASSERT_EQ(w.FocusedItem(), focus) << i;
        EXPECT_EQ(::GetFocus(), focus == W::kDownloadFolderEdit ? EditControl(w) : w.GetHandle())
            << i;
        for (int k = 0; k < kStops; ++k) {
            if (k != at || focus == W::kDownloadFolderEdit)
                EXPECT_EQ(PixelsOf(w, kOrder[k]), plain[static_cast<size_t>(k)]) << i << " " << k;
            else
                ExpectRing(w, focus, plain[static_cast<size_t>(k)],
                           focus == W::kOKButton ? ui::kFocusMarkOnAccent : ui::kFocusMarkColor);
        }
    }
    // Tab into the edit box selects its text, as a dialog does.
    for (int i = 0; i < 4; ++i) Press(VK_TAB);
    ASSERT_EQ(::GetFocus(), EditControl(w));
    DWORD from = 1, to = 0;
    ::SendMessageA(EditControl(w), EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                   reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, static_cast<DWORD>(w.FolderText().size()));
    // Enter on the Cancel button presses it, not OK: nothing is written.
    for (int i = 0; i < kStops && w.FocusedItem() != W::kCancelButton; ++i) Press(VK_TAB);
    ASSERT_EQ(w.FocusedItem(), W::kCancelButton);
    Press(VK_RETURN);
    EXPECT_FALSE(::IsWindowVisible(w.GetHandle()));
    EXPECT_FALSE(qmtest::FileExists(SettingsFile()));

    // Escape in the edit box cancels; Enter there, or on a box, is OK. Each
    // opening reads the file again and starts on the first box.
    struct Case {
        int focus;
        UINT key;
        bool saved;
    } const cases[] = {
        {W::kDownloadFolderEdit, VK_ESCAPE, false},
        {W::kDownloadFolderEdit, VK_RETURN, true},
        {W::kAutoDeleteCheckBox, VK_RETURN, true},
    };
    for (const Case& c : cases) {
        ::DeleteFileA(SettingsFile().c_str());
        w.Open(nullptr, kCardE);
        w.ShowWindow(SW_SHOWNA);
        ::SetFocus(w.GetHandle());
        EXPECT_EQ(w.FocusedItem(), W::kMapChargeExeCheckBox);
        EXPECT_EQ(Boxes(w), std::vector<bool>(5, true));
        for (int i = 0; i < kStops && w.FocusedItem() != c.focus; ++i) Press(VK_TAB);
        ASSERT_EQ(w.FocusedItem(), c.focus);
        Press(c.key);
        EXPECT_FALSE(::IsWindowVisible(w.GetHandle())) << c.focus;
        EXPECT_EQ(qmtest::FileExists(SettingsFile()), c.saved) << c.focus;
    }
}

namespace {

// Gives the window the X server's keyboard without the pointer, as a
// window manager does when it activates it.
bool GiveKeyboard(CSettingWindow& w) {
    const HWND hwnd = w.GetHandle();
    const auto x = reinterpret_cast<uintptr_t>(::GetPropA(hwnd, "__wine_x11_whole_window"));
    return x != 0 && Xdo({"windowfocus", "--sync", std::to_string(x)}) == 0 &&
           qmtest::PumpUntil([&] { return ::GetFocus() == hwnd; }, 10000);
}

}  // namespace

TEST(SettingKeys, RealKeysAloneSetEveryValueOKSavesEscapeDiscards) {
    if (Xdo({"version"}) != 0) GTEST_SKIP() << "no xdotool agent (run-with-xdotool)";
    ::DeleteFileA(SettingsFile().c_str());
    ASSERT_TRUE(MakeCard(kCardE, "--device=SETTINGS00000001"));
    ASSERT_TRUE(::CreateDirectoryA("C:\\qmkeys", nullptr) ||
                ::GetLastError() == ERROR_ALREADY_EXISTS);
    ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    const std::string saved =
        "[Setting]\r\nDownloadFolderPath=C:\\qmkeys\r\nDataAutoDelete=0\r\n"
        "TransmitExe2=1\r\nTransmitExe3=0\r\nTransmitExe4=1\r\n[Map]\r\nMapNotifyMessage=0\r\n";
    {
        // Opened as the launcher opens it; the keyboard starts on the first box.
        CSettingWindow w;
        w.Show(nullptr, kCardE);
        ASSERT_TRUE(GiveKeyboard(w));
        ASSERT_EQ(w.FocusedItem(), W::kMapChargeExeCheckBox);
        EXPECT_EQ(Boxes(w), std::vector<bool>(5, true));
        SaveWindowShot(w.GetHandle(), "settings-defaults");
        // Tab and Space turn the traffic box off, two Tabs and Space the
        // notice box, a Tab goes into the edit box (its text selected) and
        // the new folder is typed over it.
        ASSERT_EQ(Xdo({"key", "--delay", "40", "Tab", "space", "Tab", "Tab", "space", "Tab"}), 0);
        ASSERT_TRUE(qmtest::PumpUntil([&] { return ::GetFocus() == EditControl(w); }, 10000));
        ASSERT_EQ(Xdo({"type", "--delay", "40", "C:\\qmkeys"}), 0);
        EXPECT_TRUE(qmtest::PumpUntil([&] { return w.FolderText() == "C:\\qmkeys"; }, 10000))
            << w.FolderText();
        // Past the browse button to the last box, Space: it is off. (The ring
        // reaching the screen: the skin's RealKeysTest; its shape: the walk above.)
        ASSERT_EQ(Xdo({"key", "--delay", "40", "Tab", "Tab", "space"}), 0);
        ASSERT_TRUE(qmtest::PumpUntil([&] { return !w.IsChecked(W::kAutoDeleteCheckBox); }, 10000));
        EXPECT_EQ(Boxes(w), (std::vector<bool>{true, false, true, false, false}));
        SaveWindowShot(w.GetHandle(), "settings-typed");
        EXPECT_FALSE(qmtest::FileExists(SettingsFile()));
        // Enter on a box is OK.
        ASSERT_EQ(Xdo({"key", "Return"}), 0);
        EXPECT_TRUE(qmtest::PumpUntil([&] { return !::IsWindowVisible(w.GetHandle()); }, 10000));
    }
    EXPECT_EQ(qmtest::ReadFile(SettingsFile()), saved);

    // A restart reads what was saved; Space there turns the first box over
    // and Escape drops it: the file stays as it was.
    CSettingWindow again;
    again.Show(nullptr, kCardE);
    EXPECT_EQ(Boxes(again), (std::vector<bool>{true, false, true, false, false}));
    EXPECT_EQ(again.FolderText(), "C:\\qmkeys");
    SaveWindowShot(again.GetHandle(), "settings-saved");
    ASSERT_TRUE(GiveKeyboard(again));
    ASSERT_EQ(Xdo({"key", "--delay", "40", "space", "Escape"}), 0);
    EXPECT_TRUE(qmtest::PumpUntil([&] { return !::IsWindowVisible(again.GetHandle()); }, 10000));
    EXPECT_FALSE(again.IsChecked(W::kMapChargeExeCheckBox));
    EXPECT_EQ(qmtest::ReadFile(SettingsFile()), saved);
}
