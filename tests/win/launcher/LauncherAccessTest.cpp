// What a screen reader reads of the launcher, its menu and its pop-ups, as
// tables of role, name and state (the start-up's pop-ups: LauncherTest).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LauncherHarness.h"
#include "app/InfoChargeWindow.h"
#include "app/MapChargeWindow.h"
#include "app/MenuWindow.h"
#include "app/VersionWindow.h"
#include "common/CoreBridge.h"

using lt::PopupHead;
using lt::ReadAccess;
using qmtest::AccRow;
using ui::CLauncherWindow;

using namespace qmtest::acc;

TEST(LauncherAccess, TheLauncherItsMenuAndASubMenuReadAsTables) {
    lt::CSettledLauncher settled("LAUNCHERACCESS01");
    settled.Activate();
    lt::CLauncherSession& launcher = settled.launcher;
    // The map charge at 45 %: its tile says so, the status line its text.
    launcher.Send(launcher->Messages().notifyProgress, kChargeMap, 45);
    const std::string status = launcher->StatusText();
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
    EXPECT_EQ(ReadAccess(launcher.Handle(), true), front);

    // The default action of "メニュー" opens the menu, as a click does.
    IAccessible* client = qmtest::ClientOf(launcher.Handle());
    ASSERT_NE(client, nullptr);
    const long menu = qmtest::ChildNamed(client, "メニュー");
    ASSERT_NE(menu, 0);
    EXPECT_EQ(client->accDoDefaultAction(qmtest::Child(menu)), S_OK);
    client->Release();
    ASSERT_TRUE(lt::PumpUntil(
        [&] { return launcher->RootMenu() && launcher->RootMenu()->IsOpen(); }, 5000));
    ui::CMenuWindow* root = launcher->RootMenu();
    // Each of its buttons opens a sub-menu.
    const long opens = kFocusable | STATE_SYSTEM_HASPOPUP;
    EXPECT_EQ(ReadAccess(root->GetHandle()), (std::vector<AccRow>{{kButton, "データ更新", opens},
                                                                  {kButton, "音楽転送", opens},
                                                                  {kButton, "Webサイト", opens},
                                                                  {kButton, "各種情報", opens}}));
    // The options' sub-menu, its card button enabled by the card.
    root->SendMessage(WM_COMMAND, (ui::CMenuWindow::kFirstButtonId + 3) | 0x10000, 0);
    ui::CMenuWindow* options = root->SubMenu(3);
    ASSERT_NE(options, nullptr);
    EXPECT_TRUE(options->IsOpen());
    EXPECT_EQ(ReadAccess(options->GetHandle()),
              (std::vector<AccRow>{{kButton, "バージョン情報", kFocusable},
                                   {kButton, "SDカード情報", kFocusable},
                                   {kButton, "オンラインヘルプ", kFocusable}}));
}

TEST(LauncherAccess, TheVersionWindowAndTheQuestionsReadTheirMessageAndButtons) {
    lt::CPopupOwner owner;
    ASSERT_NE(owner.hwnd, nullptr);
    {
        ui::CVersionWindow version;
        version.ShowFor(owner.hwnd);
        EXPECT_EQ(
            ReadAccess(version.GetHandle()),
            PopupHead("QUILL MARCHバージョン情報", {{kPicture, "QUILL MARCH", 0},
                                                    {kPicture, "コルヴェイン株式会社", 0},
                                                    {kText, version.VersionLabel(), kReadOnly}}));
    }
    {
        // The download estimate: its note below the question, the bottom
        // pair of buttons; the other types' buttons and the box are hidden.
        ui::CMapChargeWindow map(owner.hwnd);
        map.CreateMapWindow();
        map.SetVariant(2);
        ASSERT_TRUE(map.SetType(4, 5400));
        map.Show();
        map.FinishSlide();
        const std::vector<AccRow> rows =
            PopupHead("地図更新",
                      {{kText,
                        "地図ダウンロードが可能になりました。 ダウンロードを開始しますか？ "
                        "（予想時間 1:30）",
                        kReadOnly},
                       {kText,
                        "※パソコンの動作環境やお使いいただいているソフト（ウイルス対策ソフトなど）"
                        "によっては、ダウンロード完了までの時間が長くなることがあります。",
                        kReadOnly},
                       {kCheck, "今後このメッセージを表示しない", kHidden},
                       {kText, "今後このメッセージを表示しない。", kReadOnly | kHidden},
                       {kButton, "いいえ", kHidden},
                       {kButton, "はい", kHidden},
                       {kButton, "いいえ", kFocusable},
                       {kButton, "はい", kFocusable},
                       {kButton, "後で通知", kHidden},
                       {kButton, "はい", kHidden},
                       {kButton, "再予約", kHidden},
                       {kButton, "OK", kHidden}});
        EXPECT_EQ(ReadAccess(map.GetHandle()), rows);
    }
    // The traffic question runs modally: it is read from inside its loop,
    // then answered No.
    std::vector<AccRow> traffic;
    lt::CInsideModal inside([&] {
        auto* info = dynamic_cast<ui::CInfoChargeWindow*>(
            lib::wfc::CWindow::FromHandle(::FindWindowA(nullptr, "Quillmarch Info")));
        if (!info) return false;
        info->FinishSlide();
        traffic = ReadAccess(info->GetHandle());
        info->PostMessage(WM_COMMAND, ui::CInfoChargeWindow::kCancelButton | 0x10000, 0);
        return true;
    });
    EXPECT_FALSE(ui::CInfoChargeWindow(owner.hwnd).Ask());
    EXPECT_TRUE(inside.Done());
    EXPECT_EQ(traffic, PopupHead("QUILL MARCH", {{kText,
                                                  "終了前に渋滞情報を取得しますか？ ( "
                                                  "[いいえ]を選ぶと取得せずに終了します)",
                                                  kReadOnly},
                                                 {kButton, "いいえ", kFocusable},
                                                 {kButton, "はい", kFocusable}}));
}
