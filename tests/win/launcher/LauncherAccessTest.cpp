// What a screen reader reads of the launcher and of each window it opens,
// compared as a table of role, name and state, as a blind user meets them:
// the launcher with a charge running, the default action of "メニュー"
// opening the menu, the root menu and a sub-menu, the version window, a map
// question, the traffic question, the release notice and the log question.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AccessTree.h"
#include "LauncherHarness.h"
#include "app/InfoChargeWindow.h"
#include "app/LogUploadWindow.h"
#include "app/MapChargeWindow.h"
#include "app/MenuWindow.h"
#include "app/UpdateNotifyWindow.h"
#include "app/VersionWindow.h"
#include "common/CoreBridge.h"

using qmtest::AccRow;
using ui::CLauncherWindow;

namespace {

using namespace qmtest::acc;

// Every child the window's client object lists (or those shown), as the table.
std::vector<AccRow> Read(HWND window, bool shownOnly = false) {
    IAccessible* client = qmtest::ClientOf(window);
    if (!client) return {{0, "no client object", 0}};
    std::vector<AccRow> rows =
        shownOnly ? qmtest::ReadShownChildren(client) : qmtest::ReadChildren(client);
    client->Release();
    return rows;
}

// What every pop-up begins with: its title, its mark and its close button.
std::vector<AccRow> PopupHead(const char* title, std::vector<AccRow> own) {
    std::vector<AccRow> rows = {{kText, title, kReadOnly},
                                {kPicture, "Quillmarch", 0},
                                {kButton, "ウィンドウを閉じる", kFocusable}};
    rows.insert(rows.end(), own.begin(), own.end());
    return rows;
}

bool Shown(lib::wfc::CWindow& w) { return w.GetHandle() && ::IsWindowVisible(w.GetHandle()); }

}  // namespace

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
    EXPECT_EQ(Read(launcher.Handle(), true), front)
        << qmtest::Describe(Read(launcher.Handle(), true));

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
    EXPECT_EQ(Read(root->GetHandle()), (std::vector<AccRow>{{kButton, "データ更新", opens},
                                                            {kButton, "音楽転送", opens},
                                                            {kButton, "Webサイト", opens},
                                                            {kButton, "各種情報", opens}}))
        << qmtest::Describe(Read(root->GetHandle()));
    // The options' sub-menu, its card button enabled by the card.
    root->SendMessage(WM_COMMAND, (ui::CMenuWindow::kFirstButtonId + 3) | 0x10000, 0);
    ui::CMenuWindow* options = root->SubMenu(3);
    ASSERT_NE(options, nullptr);
    EXPECT_TRUE(options->IsOpen());
    EXPECT_EQ(Read(options->GetHandle()),
              (std::vector<AccRow>{{kButton, "バージョン情報", kFocusable},
                                   {kButton, "SDカード情報", kFocusable},
                                   {kButton, "オンラインヘルプ", kFocusable}}))
        << qmtest::Describe(Read(options->GetHandle()));
}

TEST(LauncherAccess, TheVersionWindowAndTheQuestionsReadTheirMessageAndButtons) {
    lt::CPopupOwner owner;
    ASSERT_NE(owner.hwnd, nullptr);
    {
        ui::CVersionWindow version;
        version.ShowFor(owner.hwnd);
        EXPECT_EQ(
            Read(version.GetHandle()),
            PopupHead("QUILL MARCHバージョン情報", {{kPicture, "QUILL MARCH", 0},
                                                    {kPicture, "コルヴェイン株式会社", 0},
                                                    {kText, version.VersionLabel(), kReadOnly}}))
            << qmtest::Describe(Read(version.GetHandle()));
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
        EXPECT_EQ(Read(map.GetHandle()), rows) << qmtest::Describe(Read(map.GetHandle()));
    }
    // The traffic question runs modally: it is read from inside its loop,
    // then answered No.
    std::vector<AccRow> traffic;
    lt::CInsideModal inside([&] {
        auto* info = dynamic_cast<ui::CInfoChargeWindow*>(
            lib::wfc::CWindow::FromHandle(::FindWindowA(nullptr, "Quillmarch Info")));
        if (!info) return false;
        info->FinishSlide();
        traffic = Read(info->GetHandle());
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
                                                 {kButton, "はい", kFocusable}}))
        << qmtest::Describe(traffic);
}

TEST(LauncherAccess, TheReleaseNoticeAndTheLogQuestionReadTheirMessageAndButtons) {
    if (!lt::HaveService()) GTEST_SKIP() << "needs the stand-in service (run-with-service)";
    ASSERT_NO_FATAL_FAILURE(lt::PrepareCard("LAUNCHERACCESS01"));
    lt::CPopupOwner owner;
    ASSERT_NE(owner.hwnd, nullptr);
    // A newer release: the notice slides out; its check box stays hidden.
    ASSERT_TRUE(lt::ControlService("/_control/release", "version=9.0.0.0"));
    {
        ui::CUpdateNotifyWindow update(owner.hwnd, 'E');
        ASSERT_TRUE(update.CreateAndInquire());
        ASSERT_TRUE(lt::PumpUntil([&] { return Shown(update); }, 30000));
        update.FinishSlide();
        EXPECT_EQ(Read(update.GetHandle()),
                  PopupHead("QUILL MARCHアップデート",
                            {{kText,
                              "QUILL MARCHの最新版がリリースされました。  "
                              "Webページから最新版をダウンロードし、アップデートを行ってください。",
                              kReadOnly},
                             {kCheck, "今後このメッセージを表示しない", kHidden},
                             {kText, "今後このメッセージを表示しない。", kReadOnly | kHidden},
                             {kButton, "OK", kFocusable}}))
            << qmtest::Describe(Read(update.GetHandle()));
    }
    EXPECT_TRUE(lt::ControlService("/_control/release", "version=1.0.0.1"));

    // The service wants the logs: the question slides out. Yes by its
    // default action makes both buttons unavailable while the logs go up.
    ASSERT_TRUE(lt::ControlService("/_control/logupload", "valid=TRUE"));
    qmtest::CBoxWatcher boxes{{}, true};
    {
        ui::CLogUploadWindow upload;
        ASSERT_TRUE(upload.SetLogUploadInfo('E', "LAUNCHERACCESS01", "agent", 0x00A1B2C3));
        ASSERT_TRUE(upload.CreateAndCheck(owner.hwnd));
        ASSERT_TRUE(lt::PumpUntil([&] { return Shown(upload); }, 30000));
        upload.FinishSlide();
        const std::string question =
            "QUILL MARCHのエラー情報、およびお客様の "
            "パソコン環境をコルヴェイン株式会社へ送信します。  "
            "エラー情報  ：QUILL MARCHが作成したエラー情報 "
            "パソコン環境：OSの種類、バージョン/CPU/メモリ容量  "
            "情報をアップロードして宜しいでしょうか。";
        auto rows = [&](long buttons) {
            return PopupHead("QUILL MARCH", {{kText, question, kReadOnly},
                                             {kButton, "いいえ", buttons},
                                             {kButton, "はい", buttons}});
        };
        EXPECT_EQ(Read(upload.GetHandle()), rows(kFocusable))
            << qmtest::Describe(Read(upload.GetHandle()));
        IAccessible* client = qmtest::ClientOf(upload.GetHandle());
        ASSERT_NE(client, nullptr);
        EXPECT_EQ(client->accDoDefaultAction(qmtest::Child(qmtest::ChildNamed(client, "はい"))),
                  S_OK);
        client->Release();
        // Read as soon as the press has reached the window, before the result can.
        std::vector<AccRow> pressed;
        EXPECT_TRUE(lt::PumpUntil([&] {
            if (upload.GetItemById(ui::CLogUploadWindow::kYesButton)->IsEnabled()) return false;
            pressed = Read(upload.GetHandle());
            return true;
        }));
        EXPECT_EQ(pressed, rows(kOff)) << qmtest::Describe(pressed);
        // The result is said in a box and the window goes.
        const HWND handle = upload.GetHandle();
        EXPECT_TRUE(lt::PumpUntil([&] { return !::IsWindow(handle); }, 30000));
        EXPECT_EQ(boxes.Count(), 1u);
    }
    EXPECT_TRUE(lt::ControlService("/_control/logupload", "valid=FALSE"));
}
