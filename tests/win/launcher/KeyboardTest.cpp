// The launcher without a mouse: the first Tab lands on the menu button,
// Enter opens the menu, the arrows walk it and its sub-menus, Enter on a
// sub-button runs its command, Escape closes the menu and leaves the
// keyboard on the menu button; and what a screen reader reads of it, with
// the default action of "メニュー" opening the menu.
#include <windows.h>
// oleacc.h needs the COM types of windows.h first.
#include <oleacc.h>

#include <gtest/gtest.h>

#include <memory>

#include "LauncherHarness.h"
#include "app/LauncherWindow.h"
#include "app/MenuWindow.h"
#include "common/CoreProcess.h"
#include "ui/SkinWindowItemButton.h"

using ui::CLauncherWindow;

namespace {

// A launcher of a registered user with a card on E:, active, its start-up
// chain run out against a core that stays idle.
struct ActiveLauncher {
    lt::CoreScenario core{"idle stay\r\n"};
    qmtest::CBoxWatcher boxes{{}, true};
    std::unique_ptr<CLauncherWindow> window = std::make_unique<CLauncherWindow>();
    ActiveLauncher() {
        window->CreateLauncher(2);
        window->ShowWindow(SW_SHOW);
        ::SetForegroundWindow(window->GetHandle());
        lt::PumpUntil([&] { return window->Started(); }, 10000);
        lt::PumpUntil([&] { return core.Journal().find("idle") != std::string::npos; }, 30000);
        lt::Drain();
    }
    ~ActiveLauncher() {
        RequestToolsEnd();
        lt::PumpUntil([] { return !FindCoreWindow(); }, 5000);
        window.reset();
        lt::Drain();
    }
    void Key(UINT key) {
        window->SendMessage(WM_KEYDOWN, key, 0);
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

void PrepareCard() {
    lt::SetUpProgram();
    ASSERT_TRUE(lt::MakeCard('E', "LAUNCHERKEYS0001"));
    ASSERT_TRUE(lt::RegisterUser("LAUNCHERKEYS0001", 2));
}

}  // namespace

TEST(LauncherKeyboard, TabEnterArrowsAndEscapeThroughTheMenu) {
    ASSERT_NO_FATAL_FAILURE(PrepareCard());
    ActiveLauncher l;
    ASSERT_TRUE(l.window->Started());
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
    l.Key(VK_RIGHT);
    l.Key(VK_RIGHT);
    l.Key(VK_RIGHT);
    EXPECT_EQ(l.MenuKey(), std::make_pair(0, 3));
    l.Key(VK_RIGHT);
    EXPECT_EQ(l.MenuKey(), std::make_pair(0, 0));
    l.Key(VK_LEFT);
    l.Key(VK_UP);
    EXPECT_EQ(l.MenuKey(), std::make_pair(4, 0));  // options, version information
    EXPECT_TRUE(l.window->RootMenu()->SubMenu(3)->IsOpen());
    l.Key(VK_DOWN);
    l.Key(VK_UP);
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
}

TEST(LauncherKeyboard, AScreenReaderReadsItAndItsMenuOpensByDefaultAction) {
    ASSERT_NO_FATAL_FAILURE(PrepareCard());
    ActiveLauncher l;
    IUnknown* object = l.window->AccessibleObject();
    ASSERT_NE(object, nullptr);
    IAccessible* client = nullptr;
    object->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&client));
    object->Release();
    ASSERT_NE(client, nullptr);
    long count = 0;
    client->get_accChildCount(&count);
    // Name and role of every shown child, in the window's order.
    std::string seen;
    long menu = 0;
    for (long i = 1; i <= count; ++i) {
        VARIANT child, role, state;
        ::VariantInit(&child);
        child.vt = VT_I4;
        child.lVal = i;
        client->get_accState(child, &state);
        if (state.lVal & STATE_SYSTEM_INVISIBLE) continue;
        client->get_accRole(child, &role);
        BSTR name = nullptr;
        client->get_accName(child, &name);
        char text[128] = {};
        if (name) ::WideCharToMultiByte(932, 0, name, -1, text, sizeof text, nullptr, nullptr);
        ::SysFreeString(name);
        seen += std::to_string(role.lVal) + ":" + text + "\n";
        if (std::string(text) == "メニュー") menu = i;
    }
    for (const char* expected :
         {"43:メニュー\n", "43:最小化\n", "43:閉じる\n", "48:地図", "48:ナビ情報", "48:音楽"})
        EXPECT_NE(seen.find(expected), std::string::npos) << expected << "\n" << seen;
    ASSERT_NE(menu, 0) << seen;
    VARIANT child;
    ::VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = menu;
    EXPECT_EQ(client->accDoDefaultAction(child), S_OK);
    lt::PumpUntil([&] { return l.window->RootMenu() && l.window->RootMenu()->IsOpen(); }, 5000);
    ASSERT_NE(l.window->RootMenu(), nullptr);
    EXPECT_TRUE(l.window->RootMenu()->IsOpen());
    client->Release();
}
