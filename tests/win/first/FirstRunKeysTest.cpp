// The first-run windows without a mouse and without eyes. By the real
// keyboard alone (xdotool through the X server, no click): the nickname
// typed where the keyboard starts, Tab to the password, Tab past Cancel to
// OK and Space; the service receives what was typed (and is told to refuse,
// so the window stays and says so). And what a screen reader reads of the
// first-run window and its completion window, as a table of role, name and
// state.
#include <gtest/gtest.h>

#include <memory>

#include "AccessTree.h"
#include "BoxWatcher.h"
#include "ScreenInput.h"
#include "ServiceSupport.h"
#include "TestSupport.h"
#include "app/InitCompleteWindow.h"
#include "app/InitializationWindow.h"
#include "common/Folders.h"
#include "common/KilnLog.h"
#include "net/ConnectionFile.h"
#include "ui/Skin.h"
#include "ui/SkinWindowItemButton.h"
#include "ui/SkinWindowItemEditBox.h"
#include "wfc/Library.h"

using qmtest::AccRow;
using ui::CInitializationWindow;

namespace {

constexpr char kAuth[] = "/pcapp/DeviceNoUserAuthenticationAPI";

// The library, a log and the program's own skins, once per program; false
// without the program.
bool SetUpProgram() {
    static HMODULE program = nullptr;
    if (program) return true;
    lib::wfc::InitLibrary(::GetModuleHandleA(nullptr), "Quillmarch ", nullptr, nullptr);
    lib::wfc::InitThread();
    KILNLOG.Start((qmtest::WorkFolder() + "firstkeys.log").c_str(), 10240);
    program = ::LoadLibraryExA((qmtest::BinFolder() + "Quillmarch.exe").c_str(), nullptr,
                               LOAD_LIBRARY_AS_DATAFILE);
    if (program) ui::SetSkinResourceMode(program, program, program);
    return program != nullptr;
}

int Keys(const std::vector<std::string>& args) {
    return qmtest::RunXdo(qmtest::StateFolder() + "xdo\\", args);
}

}  // namespace

TEST(FirstRunKeys, NicknamePasswordAndOKByTheKeyboardAlone) {
    ASSERT_TRUE(SetUpProgram());
    const std::string table = qmtest::NewFolder("keysconn") + "Connection.info";
    qmtest::WriteFile(table, "4," + qmtest::ServiceUrl(kAuth) + "\r\n");
    CConnectionFile::Instance().Reset(table);
    // The service knows taro / pass1234 on this device.
    ASSERT_TRUE(qmtest::MakeCard('E', "--device=0123456789ABCDEF --navi-id=00120034"));
    ::DeleteFileA((GetUserDataRoot() + "UserList.info").c_str());
    const size_t mark = qmtest::ServiceRequests().size();
    qmtest::SetFault(kAuth, "ret:5");

    qmtest::CBoxWatcher boxes;
    auto window = std::make_unique<CInitializationWindow>();
    window->SetQuitOnDestroy(false);
    ASSERT_TRUE(window->Create());
    window->ShowWindow(SW_SHOW);
    const HWND hwnd = window->GetHandle();
    // The X keyboard goes to the window without a click; it starts in the
    // nickname box.
    const auto xWindow = reinterpret_cast<uintptr_t>(::GetPropA(hwnd, "__wine_x11_whole_window"));
    ASSERT_NE(xWindow, 0u);
    ASSERT_EQ(Keys({"windowfocus", "--sync", std::to_string(xWindow)}), 0);
    ASSERT_TRUE(qmtest::PumpUntil(
        [&] { return ::GetFocus() == window->NickNameEdit()->GetControl(); }, 10000));

    ASSERT_EQ(Keys({"type", "--delay", "30", "taro"}), 0);
    ASSERT_EQ(Keys({"key", "Tab"}), 0);
    ASSERT_TRUE(qmtest::PumpUntil(
        [&] { return ::GetFocus() == window->PasswordEdit()->GetControl(); }, 10000));
    ASSERT_EQ(Keys({"type", "--delay", "30", "pass1234"}), 0);
    // The bottom row reads Cancel, then OK.
    for (ui::CSkinWindowItem* next : {window->GetItemById(CInitializationWindow::kCancelButton),
                                      static_cast<ui::CSkinWindowItem*>(window->OkButton())}) {
        ASSERT_EQ(Keys({"key", "Tab"}), 0);
        ASSERT_TRUE(
            qmtest::PumpUntil([&] { return window->TabAccessor().GetFocusItem() == next; }, 10000))
            << next->GetId();
    }
    EXPECT_EQ(::GetFocus(), hwnd);
    EXPECT_EQ(window->NickNameEdit()->GetTextA(), "taro");
    EXPECT_EQ(window->PasswordEdit()->GetTextA(), "pass1234");
    // Space presses OK: the service is asked with what was typed.
    ASSERT_EQ(Keys({"key", "space"}), 0);
    ASSERT_TRUE(qmtest::PumpUntil([&] { return qmtest::ServiceRequests().size() > mark; }, 20000));
    const std::vector<qmtest::ServiceRequest> sent = qmtest::ServiceRequests();
    ASSERT_GT(sent.size(), mark);
    EXPECT_EQ(sent[mark].path, kAuth);
    EXPECT_NE(sent[mark].body.find("nick=taro&pass=pass1234"), std::string::npos)
        << sent[mark].body;
    // The service refuses (so the window stays for the test): it says so
    // and the keyboard can try again.
    EXPECT_TRUE(qmtest::PumpUntil([&] { return !window->IsAuthenticating() && boxes.Count() == 1; },
                                  20000));
    EXPECT_TRUE(window->OkButton()->IsEnabled());
    qmtest::SetFault("", "");
    window.reset();
    qmtest::Drain();
}

namespace {

using namespace qmtest::acc;

std::vector<AccRow> Read(HWND window) {
    IAccessible* client = qmtest::ClientOf(window);
    if (!client) return {{0, "no client object", 0}};
    std::vector<AccRow> rows = qmtest::ReadChildren(client);
    client->Release();
    return rows;
}

}  // namespace

// Each label is read before its box; the password box is protected and
// the keyboard starts in the nickname box; OK is unavailable until both
// boxes hold text.
TEST(FirstRunAccess, TheFirstRunWindowReadsItsTextsBoxesAndButtons) {
    ASSERT_TRUE(SetUpProgram());
    qmtest::CBoxWatcher boxes;
    auto window = std::make_unique<CInitializationWindow>();
    window->SetQuitOnDestroy(false);
    ASSERT_TRUE(window->Create());
    window->ShowWindow(SW_SHOW);
    qmtest::Drain();
    const HWND hwnd = window->GetHandle();
    auto rows = [](long ok) {
        return std::vector<AccRow>{
            {kText, "初期設定", kReadOnly},
            {ROLE_SYSTEM_GRAPHIC, "Quillmarch", 0},
            {kButton, "ウィンドウを閉じる", kFocusable},
            {kText, "＜初めて登録される方はこちらから＞", kReadOnly},
            {kText,
             "リアルタイムプローブへの参加、地図更新を行うためにお客様登録を行う必要があります。 "
             "右の「お客様登録/確認」ボタンから登録を行ってください。 （webブラウザが起動します）",
             kReadOnly},
            {kButton, "お客様登録/確認", kFocusable},
            {kText, "＜お客様登録を終了された方はこちらから＞", kReadOnly},
            {kText,
             "お客様の登録確認を行います。 "
             "ニックネームとパスワードを入力して「OK」を押してください。",
             kReadOnly},
            {kText, "ニックネーム", kReadOnly},
            {ROLE_SYSTEM_TEXT, "ニックネーム", kFocusable | STATE_SYSTEM_FOCUSED},
            {kText, "パスワード", kReadOnly},
            {ROLE_SYSTEM_TEXT, "パスワード", kFocusable | STATE_SYSTEM_PROTECTED},
            {kButton, "キャンセル", kFocusable},
            {kButton, "OK", ok}};
    };
    EXPECT_EQ(Read(hwnd), rows(STATE_SYSTEM_UNAVAILABLE)) << qmtest::Describe(Read(hwnd));
    window->NickNameEdit()->SetTextA("taro");
    window->PasswordEdit()->SetTextA("pass1234");
    EXPECT_EQ(Read(hwnd), rows(kFocusable)) << qmtest::Describe(Read(hwnd));
    window.reset();
    qmtest::Drain();
}

// The box reads ticked, and its name says what it chooses.
TEST(FirstRunAccess, TheCompletionWindowReadsItsMessageAndTheMusicChoice) {
    ASSERT_TRUE(SetUpProgram());
    ui::CInitCompleteWindow window;
    ASSERT_TRUE(window.Create(nullptr));
    window.ShowWindow(SW_SHOW);
    qmtest::Drain();
    EXPECT_EQ(
        Read(window.GetHandle()),
        (std::vector<AccRow>{
            {kText, "初期設定", kReadOnly},
            {kButton, "ウィンドウを閉じる", kFocusable},
            {kText, "お客様登録を確認しました。 QUILL MARCHを起動します。", kReadOnly},
            {ROLE_SYSTEM_CHECKBUTTON, "音楽データを転送する", kFocusable | STATE_SYSTEM_CHECKED},
            {kText,
             "起動時にPCの\"my music\"フォルダの音楽ファイルをSDカードに自動転送する。 "
             "※QUILL MARCH起動後にも設定を変更することができます。",
             kReadOnly},
            {kButton, "OK", kFocusable}}))
        << qmtest::Describe(Read(window.GetHandle()));
}
