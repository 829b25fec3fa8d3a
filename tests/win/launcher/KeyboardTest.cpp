// The launcher without a mouse: Tab, Enter, the arrows and Escape through the
// menu and a pop-up, and Alt+Space, by messages and by real keys; and what a
// screen reader reads of the launcher and its menu on the way (its pop-ups:
// LauncherTest, where they show).
#include <windows.h>

#include <gtest/gtest.h>

#include "AccessTree.h"
#include "LauncherHarness.h"
#include "ScreenInput.h"
#include "app/LauncherWindow.h"
#include "app/MenuWindow.h"
#include "app/VersionWindow.h"
#include "common/CoreBridge.h"
#include "ui/SkinWindowItemButton.h"

using qmtest::AccRow;
using ui::CLauncherWindow;
using namespace qmtest::acc;

namespace {

// A launcher of a registered user with a card on E:, active, its start-up
// chain run out against a core that stays idle.
struct ActiveLauncher : lt::CSettledLauncher {
    CLauncherWindow* window;
    ActiveLauncher() : CSettledLauncher("LAUNCHERKEYS0001"), window(launcher.window.get()) {
        Activate();
    }
    void Key(UINT key) {
        launcher.Send(WM_KEYDOWN, key);
        lt::Drain();
    }
    int Focus() {
        ui::CSkinWindowItem* item = window->TabAccessor().GetFocusItem();
        return item ? item->GetId() : 0;
    }
    // The menu level the keyboard is in (0 the root) and its button there.
    std::pair<int, int> MenuKey() {
        ui::CMenuWindow* root = window->RootMenu();
        if (!root || root->KeyIndex() < 0) return {-1, -1};
        ui::CMenuWindow* sub = root->SubMenu(static_cast<size_t>(root->KeyIndex()));
        if (sub && sub->IsOpen() && sub->KeyIndex() >= 0)
            return {root->KeyIndex() + 1, sub->KeyIndex()};
        return {0, root->KeyIndex()};
    }
};

}  // namespace

TEST(LauncherKeyboard, TabEnterArrowsAndEscapeThroughTheMenuAndAPopup) {
    ActiveLauncher l;
    ASSERT_TRUE(l.window->Started());
    // The map charge at 45 %: its tile says so, the status line its text.
    l.launcher.Send(l.window->Messages().notifyProgress, kChargeMap, 45);
    const std::string status = l.window->StatusText();
    EXPECT_EQ(status.rfind("地図データ更新中", 0), 0u) << status;
    // In reading order; the start-up charges done, the test's connection
    // file shown. The card picture and the charging animation are
    // decoration; the menu button's closing twin and the back panel hidden.
    const std::vector<AccRow> front = {
        {kText, "QUILL MARCH", kReadOnly},    {kPicture, "Quillmarch", 0},
        {kText, "for test", kReadOnly},       {kButton, "メニュー", kFocusable},
        {kButton, "最小化", kFocusable},      {kButton, "閉じる", kFocusable},
        {kTile, "ナビ情報 100 %", kReadOnly}, {kTile, "地図 45 %", kReadOnly},
        {kTile, "渋滞情報 100 %", kReadOnly}, {kTile, "天気情報 100 %", kReadOnly},
        {kTile, "音楽 100 %", kReadOnly},     {kText, status, kReadOnly},
    };
    EXPECT_EQ(lt::ReadAccess(l.window->GetHandle(), true), front);

    l.Key(VK_TAB);
    EXPECT_EQ(l.Focus(), CLauncherWindow::kMenuButton);
    l.Key(VK_RETURN);
    ASSERT_NE(l.window->RootMenu(), nullptr);
    ASSERT_TRUE(l.window->RootMenu()->IsOpen());
    // The menu button gave way to its closing twin, and so did the keyboard.
    EXPECT_EQ(l.Focus(), CLauncherWindow::kMenuButtonClose);

    // The root lies in a row: the first arrow takes its first button, Right
    // and Left walk it (round), Up unfolds the sub-menu above.
    l.Key(VK_LEFT);
    EXPECT_EQ(l.MenuKey(), std::make_pair(0, 0));
    for (int i = 0; i < 3; ++i) l.Key(VK_RIGHT);
    EXPECT_EQ(l.MenuKey(), std::make_pair(0, 3));
    l.Key(VK_RIGHT);
    EXPECT_EQ(l.MenuKey(), std::make_pair(0, 0));
    l.Key(VK_LEFT);
    l.Key(VK_UP);
    EXPECT_EQ(l.MenuKey(), std::make_pair(4, 0));  // options, version information
    EXPECT_TRUE(l.window->RootMenu()->SubMenu(3)->IsOpen());
    // A screen reader reads each main button as opening a sub-menu, and the
    // keyboard's button as focused, in the menu that has the keyboard only;
    // the card button enabled by the card.
    const long opens = kFocusable | STATE_SYSTEM_HASPOPUP;
    EXPECT_EQ(lt::ReadAccess(l.window->RootMenu()->GetHandle()),
              (std::vector<AccRow>{{kButton, "データ更新", opens},
                                   {kButton, "音楽転送", opens},
                                   {kButton, "Webサイト", opens},
                                   {kButton, "各種情報", opens}}));
    EXPECT_EQ(lt::ReadAccess(l.window->RootMenu()->SubMenu(3)->GetHandle()),
              (std::vector<AccRow>{{kButton, "バージョン情報", kFocusable | kFocused},
                                   {kButton, "SDカード情報", kFocusable},
                                   {kButton, "オンラインヘルプ", kFocusable}}));
    l.Key(VK_UP);
    EXPECT_EQ(l.MenuKey(), std::make_pair(4, 2));  // round to online help
    // Across the sub-menu: the neighbouring main button's sub-menu.
    l.Key(VK_LEFT);
    EXPECT_EQ(l.MenuKey(), std::make_pair(3, 0));
    EXPECT_FALSE(l.window->RootMenu()->SubMenu(3)->IsOpen());
    // Escape folds the sub-menu, then the menu; the keyboard is back on the
    // menu button.
    l.Key(VK_ESCAPE);
    EXPECT_EQ(l.MenuKey(), std::make_pair(0, 2));
    l.Key(VK_ESCAPE);
    lt::PumpUntil([&] { return !l.window->RootMenu()->IsOpen(); }, 5000);
    EXPECT_FALSE(l.window->RootMenu()->IsOpen());
    lt::Drain();
    EXPECT_EQ(l.Focus(), CLauncherWindow::kMenuButton);
    EXPECT_TRUE(l.window->TabAccessor().IsFocusMarkShown());

    // The default action of "メニュー" opens the menu, as Enter does; options,
    // version information, by keys again: a pop-up takes the keyboard and
    // gives it back when it closes.
    IAccessible* client = qmtest::ClientOf(l.window->GetHandle());
    ASSERT_NE(client, nullptr);
    const VARIANT menu = qmtest::Child(qmtest::ChildNamed(client, "メニュー"));
    EXPECT_EQ(client->accDoDefaultAction(menu), S_OK);
    client->Release();
    ASSERT_TRUE(lt::PumpUntil([&] { return l.window->RootMenu()->IsOpen(); }, 5000));
    for (UINT key : {VK_LEFT, VK_LEFT, VK_UP}) l.Key(key);
    ASSERT_EQ(l.MenuKey(), std::make_pair(4, 0));
    l.Key(VK_RETURN);
    ASSERT_TRUE(lt::PumpUntil(
        [&] {
            return l.window->VersionWindow() &&
                   ::IsWindowVisible(l.window->VersionWindow()->GetHandle());
        },
        10000));
    const HWND popup = l.window->VersionWindow()->GetHandle();
    EXPECT_EQ(::GetActiveWindow(), popup);
    // Escape is the pop-up's close button; the launcher has the keyboard
    // again, on the menu button the menu was opened from.
    ::SendMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 1);
    ASSERT_TRUE(lt::PumpUntil([&] { return !::IsWindowVisible(popup); }, 5000));
    lt::Drain();
    EXPECT_EQ(::GetActiveWindow(), l.window->GetHandle());
    EXPECT_EQ(::GetFocus(), l.window->GetHandle());
    EXPECT_EQ(l.Focus(), CLauncherWindow::kMenuButton);
    EXPECT_FALSE(l.window->RootMenu()->IsOpen());
}

TEST(LauncherKeyboard, RealKeysWalkTheMenuAndOpenTheSystemMenu) {
    const std::string agent = lt::EnvFolder("QM_XDO_DIR");
    if (agent.empty()) GTEST_SKIP() << "needs the xdotool agent of run-with-service";
    ActiveLauncher l;
    const HWND hwnd = l.window->GetHandle();
    // The X server's keyboard goes to the launcher's X window without a click.
    const auto xWindow = reinterpret_cast<uintptr_t>(::GetPropA(hwnd, "__wine_x11_whole_window"));
    ASSERT_NE(xWindow, 0u);
    ASSERT_EQ(qmtest::RunXdo(agent, {"windowfocus", "--sync", std::to_string(xWindow)}), 0);
    ASSERT_TRUE(lt::PumpUntil([&] { return ::GetFocus() == hwnd; }, 10000));

    auto keys = [&](std::vector<std::string> names, const std::function<bool()>& until) {
        names.insert(names.begin(), {"key", "--delay", "40"});
        return qmtest::RunXdo(agent, names) == 0 && lt::PumpUntil(until, 10000);
    };
    EXPECT_TRUE(keys({"Tab"}, [&] { return l.Focus() == CLauncherWindow::kMenuButton; }));
    EXPECT_TRUE(
        keys({"Return"}, [&] { return l.window->RootMenu() && l.window->RootMenu()->IsOpen(); }));
    EXPECT_TRUE(keys({"Left"}, [&] { return l.MenuKey() == std::make_pair(0, 0); }));
    EXPECT_TRUE(keys({"Right", "Right"}, [&] { return l.MenuKey() == std::make_pair(0, 2); }));
    EXPECT_TRUE(keys({"Escape"}, [&] { return !l.window->RootMenu()->IsOpen(); }));
    lt::Drain();
    EXPECT_EQ(l.Focus(), CLauncherWindow::kMenuButton);
    EXPECT_EQ(::GetFocus(), hwnd);

    lt::CMenuWatch watch;
    ASSERT_TRUE(watch.Ok());
    EXPECT_TRUE(keys({"alt+space"}, [&] { return !watch.seen.empty(); }));
    EXPECT_EQ(watch.seen, std::vector<bool>{true});
    lt::Drain();
    EXPECT_EQ(::GetFocus(), hwnd);
    EXPECT_EQ(l.Focus(), CLauncherWindow::kMenuButton);
}
