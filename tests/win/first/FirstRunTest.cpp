// The first run against the stand-in service: the authentication worker, the
// two windows by messages, by real keys and as a screen reader reads them.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <thread>

#include "AccessTree.h"
#include "BoxWatcher.h"
#include "ScreenInput.h"
#include "ServiceSupport.h"
#include "TestSupport.h"
#include "app/AuthenticationWorker.h"
#include "app/InitCompleteWindow.h"
#include "app/InitializationWindow.h"
#include "app/InitializationWindowRules.h"
#include "common/Folders.h"
#include "datafiles/UserListFile.h"
#include "net/ConnectionFile.h"
#include "net/SecureFailure.h"
#include "ui/Skin.h"
#include "ui/SkinWindowItemButton.h"
#include "ui/SkinWindowItemEditBox.h"
#include "wfc/DIB.h"
#include "wfc/Library.h"

using qmtest::AccRow;
using namespace qmtest::acc;
using qmtest::CBoxWatcher;
using qmtest::CountInLog;
using qmtest::Env;
using qmtest::LogText;
using qmtest::MutexExists;
using qmtest::ProgramModule;
using qmtest::ReadAccess;
using qmtest::ServiceUrl;
using qmtest::StateFolder;
using ui::CInitCompleteWindow;
using ui::CInitializationWindow;

namespace {

constexpr char kDeviceNo[] = "0123456789ABCDEF";  // the service knows taro / pass1234 there

const bool g_keepsLog = qmtest::KeepLog();

constexpr char kAuthPath[] = "/pcapp/DeviceNoUserAuthenticationAPI";
constexpr char kMothAuthPath[] = "/pcapp/DeviceNoUserAuthenticationTRKMothAPI";

// A fault of the service on the authentication path ("" for none).
void SetFault(const std::string& mode) { qmtest::SetFault(mode.empty() ? "" : kAuthPath, mode); }

std::string ConnectionInfoText() {
    // Both authentication endpoints and the registration page.
    return "4," + ServiceUrl("/pcapp/DeviceNoUserAuthenticationAPI") + "\r\n31," +
           ServiceUrl("/pcapp/DeviceNoUserAuthenticationTRKMothAPI") + "\r\n3," +
           ServiceUrl("/navigation/PcAppTop.html") + "\r\n";
}

void PointTableAtService() {
    const std::string path = qmtest::NewFolder("conninfo") + "Connection.info";
    qmtest::WriteFile(path, ConnectionInfoText());
    CConnectionFile::Instance().Reset(path);
}

bool MakeCard(const std::string& options) {
    ResetUserAgentCache();
    return qmtest::MakeCard('E', std::string("--device=") + kDeviceNo + " " + options);
}

void ForgetUsersAndSettings() {
    const std::string list = GetUserDataRoot() + "UserList.info";
    ::SetFileAttributesA(list.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(list.c_str());
    ::DeleteFileA((GetSettingFolder() + "Quillmarch.ini").c_str());
}

int Xdo(const std::vector<std::string>& args) {
    return qmtest::RunXdo(StateFolder() + "xdo\\", args);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 30000) {
    return qmtest::PumpUntil(done, timeoutMs);
}

// Saves what the screen shows of a window as test-output\first\NAME.png and,
// with a gallery name, as screens\GALLERY.png (the gallery's picture).
bool SaveWindowShot(HWND window, const char* name, const char* gallery = nullptr) {
    PumpUntil([] { return false; }, 200);  // the window paints first
    const lib::wfc::CDIB shot = qmtest::GrabWindow(window);
    const std::string build = qmtest::BinFolder() + "..\\";
    for (const char* folder : {"test-output\\", "test-output\\first\\", "screens\\"})
        ::CreateDirectoryA((build + folder).c_str(), nullptr);
    if (gallery && !shot.SavePng((build + "screens\\" + gallery + ".png").c_str())) return false;
    return shot.SavePng((build + "test-output\\first\\" + name + ".png").c_str());
}

// The card's CCID 0x00120034 goes out as its low half in decimal and its high half in hex.
constexpr char kCardOptions[] = "--navi-id=00120034";
constexpr char kTaroBody[] = "nick=taro&pass=pass1234&ccid_head=00520012&deviceno=0123456789ABCDEF";

class FirstRun : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        lib::wfc::InitLibrary(::GetModuleHandleA(nullptr), "Quillmarch ", nullptr, nullptr);
        lib::wfc::InitThread();
    }
    void SetUp() override {
        ASSERT_FALSE(Env("QM_SERVICE_STATE").empty() || Env("QM_SERVICE_HOST").empty());
        ASSERT_NE(ProgramModule(), nullptr);
        ui::SetSkinResourceMode(ProgramModule(), ProgramModule(), ProgramModule());
        PointTableAtService();
        SetFault("");
        ForgetUsersAndSettings();
        static const bool made = MakeCard(kCardOptions);
        ASSERT_TRUE(made);
    }
    void TearDown() override { SetFault(""); }
};

// The authentication requests the service received after the first `from`.
std::vector<qmtest::ServiceRequest> AuthRequests(size_t from, const char* path = kAuthPath) {
    std::vector<qmtest::ServiceRequest> all = qmtest::ServiceRequests(), out;
    for (size_t i = from; i < all.size(); ++i)
        if (all[i].path == path) out.push_back(all[i]);
    return out;
}

std::string StoredNickName(const char* deviceNo) {
    CUserListFile users;
    std::string nickname;
    return users.GetUser(deviceNo, &nickname, nullptr, nullptr, nullptr) ? nickname : "-";
}

// A window made the way start-up makes it, that leaves the test's loop alone.
std::unique_ptr<CInitializationWindow> MakeInitWindow() {
    auto window = std::make_unique<CInitializationWindow>();
    window->SetQuitOnDestroy(false);
    EXPECT_TRUE(window->Create());
    window->ShowWindow(SW_SHOW);
    return window;
}

void Fill(CInitializationWindow& w, const char* nickname, const char* password) {
    w.NickNameEdit()->SetTextA(nickname);
    w.PasswordEdit()->SetTextA(password);
}

void Press(HWND window, int id) {
    ::PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(id) | 0x10000u, 0);
}

}  // namespace

TEST_F(FirstRun, WorkerGivesEachOutcomeItsResultAndNoPasswordToAnUnverifiedService) {
    const size_t mark = qmtest::ServiceRequests().size();
    struct Case {
        const char* password;
        const char* fault;  // on the authentication path
        uint32_t result;
    } const cases[] = {
        {"wrong", "", 0x200006},  // the service's refusal, in its area
        {"pass1234", "http:503", 0x1001F7},
        {"pass1234", "", 0},
    };
    AuthenticationJob job;
    std::vector<char> drives;
    job.drives = &drives;
    job.nickname = "taro";
    for (const Case& c : cases) {
        SetFault(c.fault);
        job.password = c.password;
        EXPECT_EQ(RunAuthentication(job), c.result) << c.password << " " << c.fault;
        EXPECT_EQ(StoredNickName(kDeviceNo), c.result == 0 ? "taro" : "-") << c.fault;
        EXPECT_EQ(job.ccid, 0x00120034u);
    }
    const std::vector<qmtest::ServiceRequest> sent = AuthRequests(mark);
    ASSERT_EQ(sent.size(), std::size(cases));
    EXPECT_EQ(sent.back().body, kTaroBody);
    CUserListFile users;
    std::string device, agent;
    uint32_t ccid = 0;
    ASSERT_TRUE(users.GetLastUser(&device, nullptr, &agent, &ccid, nullptr));
    EXPECT_EQ(device + " " + std::to_string(ccid), std::string(kDeviceNo) + " 1179700");
    EXPECT_NE(agent.find("HopperLiteV3/"), std::string::npos) << agent;

    // No card, cancelled, no window to report to.
    const size_t from = LogText().size();
    drives = {'F'};  // F: holds no card
    EXPECT_EQ(RunAuthentication(job), kAuthNoCard);
    EXPECT_EQ(CountInLog("SDカード読み込み失敗", from), 1);
    qm::CHandle cancel(::CreateEventA(nullptr, FALSE, TRUE, nullptr));
    drives.clear();
    job.cancelEvent = cancel.Get();
    EXPECT_EQ(RunAuthentication(job), kAuthCancelled);
    EXPECT_EQ(AuthRequests(mark).size(), std::size(cases));
    EXPECT_EQ(AuthenticationThread(nullptr), kAuthNoWindow);
    EXPECT_EQ(CountInLog("初期設定スレッド引数無効", from), 1);
    // A unit of the moth line asks at its own endpoint.
    ASSERT_TRUE(MakeCard(std::string(kCardOptions) + " --model=12"));
    job.cancelEvent = nullptr;
    EXPECT_EQ(RunAuthentication(job), 0u);
    EXPECT_EQ(AuthRequests(mark, kMothAuthPath).size(), 1u);
    EXPECT_EQ(AuthRequests(mark).size(), std::size(cases));
    ASSERT_TRUE(MakeCard(kCardOptions));

    // A service whose certificate nobody should trust never gets the
    // password: a transport failure with the secure-connection error, logged,
    // and nothing stored. (The network tests refuse all four kinds of such
    // certificate.)
    ForgetUsersAndSettings();
    const std::string host = qmtest::VariantHost("selfsigned");
    ASSERT_FALSE(host.empty());
    const std::string info = qmtest::NewFolder("selfsigned") + "Connection.info";
    qmtest::WriteFile(info, "4,https://" + host + kAuthPath + "\r\n");
    CConnectionFile::Instance().Reset(info);
    const size_t unverified = LogText().size();
    const uint32_t r = RunAuthentication(job);
    EXPECT_EQ(r & 0xFFF00000u, kAuthTransportFlag) << r;
    EXPECT_TRUE(IsSecureFailure(r & ~kAuthTransportFlag)) << r;
    EXPECT_EQ(CountInLog("安全な接続の確立失敗[ERR:0x", unverified), 1);
    EXPECT_EQ(qmtest::VariantRecords("selfsigned"), 0);
    EXPECT_EQ(StoredNickName(kDeviceNo), "-");
}

TEST_F(FirstRun, NickNameBoxRefusesWhatTheUserListCannotHold) {
    auto window = MakeInitWindow();
    CInitializationWindow& w = *window;
    HWND edit = w.NickNameEdit()->GetControl();
    // Two refusals show the window applies the rule (whose native table has
    // every case) and says which one; an accepted name takes the hint off.
    struct Step {
        const char* typed;  // replaces the selection, as typing or pasting does
        const char* text;   // what the box then holds
        const char* hint;
    } const steps[] = {
        {"taro", "taro", ""},
        {",", "taro", "ニックネームに「,」(カンマ)は使えません。"},
        {"\x91\xbe", "taro", "ニックネームには半角文字だけを入力できます。"},  // a kanji
        {"1234567890123456", "taro1234567890123456", ""},
        {"7", "taro1234567890123456", ""},  // the box's limit
    };
    w.PasswordEdit()->SetTextA("x");
    for (const Step& s : steps) {
        ::SendMessageA(edit, EM_SETSEL, 0x7FFF, 0x7FFF);
        ::SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(s.typed));
        EXPECT_EQ(w.NickNameEdit()->GetTextA(), s.text) << s.typed;
        EXPECT_EQ(w.NickNameHintText(), s.hint) << s.typed;
        EXPECT_TRUE(w.OkButton()->IsEnabled()) << s.typed;  // the password box holds "x"
        if (&s == &steps[1]) SaveWindowShot(w.GetHandle(), "init-refused-hint");
    }
    w.NickNameEdit()->SetTextA("");
    EXPECT_FALSE(w.OkButton()->IsEnabled());
    w.PasswordEdit()->SetTextA("");
    ::SendMessageA(w.PasswordEdit()->GetControl(), EM_REPLACESEL, TRUE,
                   reinterpret_cast<LPARAM>("123456789"));
    EXPECT_EQ(w.PasswordEdit()->GetTextA().size(), 8u);  // typed input stops at 8
    EXPECT_TRUE(::GetWindowLongA(w.PasswordEdit()->GetControl(), GWL_STYLE) & ES_PASSWORD);
}

TEST_F(FirstRun, FailedAnswersAndClosingKeepTheWindowForAnotherTry) {
    const size_t mark = qmtest::ServiceRequests().size();
    auto window = MakeInitWindow();
    CInitializationWindow& w = *window;
    const HWND handle = w.GetHandle();
    SaveWindowShot(handle, "init-empty");
    // What a screen reader reads: each label before its box; the password
    // box protected; the keyboard in the nickname box; OK unavailable until
    // both boxes hold text.
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
    EXPECT_EQ(ReadAccess(handle), rows(STATE_SYSTEM_UNAVAILABLE));
    struct Try {
        const char* password;
        const char* fault;
        const char* code;  // what the message shows
    } const tries[] = {
        {"wrong", "", "40200006"},
        {"pass1234", "http:503", "401001F7"},
    };
    for (const Try& t : tries) {
        SetFault(t.fault);
        Fill(w, "taro", t.password);
        ASSERT_TRUE(w.OkButton()->IsEnabled());
        if (&t == tries) {
            SaveWindowShot(handle, "init-filled");
            EXPECT_EQ(ReadAccess(handle), rows(kFocusable));
        }
        CBoxWatcher boxes;
        ::PostMessageA(handle, WM_KEYDOWN, VK_RETURN, 0);  // Enter presses OK
        ASSERT_TRUE(PumpUntil([&] { return w.IsAuthenticating(); }, 2000));
        EXPECT_FALSE(w.OkButton()->IsEnabled());
        EXPECT_EQ(w.NickNameHintText(), "");  // the progress line is no refusal
        ASSERT_TRUE(PumpUntil([&] { return !w.IsAuthenticating() && boxes.Count() == 1; }));
        EXPECT_NE(boxes.Texts()[0].find(t.code), std::string::npos) << boxes.Texts()[0];
        EXPECT_TRUE(::IsWindowVisible(handle));
        EXPECT_TRUE(w.OkButton()->IsEnabled());
        if (&t == tries) SaveWindowShot(handle, "init-failed");
    }
    EXPECT_EQ(StoredNickName(kDeviceNo), "-");
    EXPECT_EQ(AuthRequests(mark).size(), std::size(tries));
    // Cancel, the close button and the icon's double click each ask; No
    // keeps the window. (The box runs inside a dispatch: once it has been
    // counted, its answer has been acted on.)
    CBoxWatcher boxes({IDNO, IDNO, IDYES});
    Press(handle, CInitializationWindow::kCancelButton);
    ASSERT_TRUE(PumpUntil([&] { return boxes.Count() == 1; }));
    Press(handle, CInitializationWindow::kCloseButton);
    ASSERT_TRUE(PumpUntil([&] { return boxes.Count() == 2; }));
    EXPECT_TRUE(::IsWindow(handle));
    const RECT icon = w.GetItemById(CInitializationWindow::kApplicationIcon)->GetRect();
    ::PostMessageA(handle, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(icon.left + 2, icon.top + 2));
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(handle); }));
    const std::vector<std::string> texts = boxes.Texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], texts[2]);
    EXPECT_NE(texts[0].find("初期設定"), std::string::npos) << texts[0];
    EXPECT_TRUE(w.IsUserClose());
}

TEST_F(FirstRun, StalledServiceLeavesTheWindowResponsiveAndCancelLosesNothing) {
    SetFault("stall:6");
    const size_t from = LogText().size();
    auto window = MakeInitWindow();
    CInitializationWindow& w = *window;
    const HWND handle = w.GetHandle();
    Fill(w, "taro", "pass1234");
    Press(handle, CInitializationWindow::kOKButton);
    ASSERT_TRUE(PumpUntil([&] { return w.IsAuthenticating(); }, 2000));
    SaveWindowShot(handle, "init-authenticating");

    // Another thread types and presses Cancel while this one runs the
    // window's loop: both are handled while the service keeps the answer.
    CBoxWatcher boxes({IDYES});
    HWND edit = w.NickNameEdit()->GetControl();
    ::SendMessageA(edit, EM_SETSEL, 0x7FFF, 0x7FFF);
    std::atomic<bool> typed{false};
    std::thread user([&] {
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutA(edit, WM_CHAR, 'x', 1, SMTO_NORMAL, 5000, &ignored);
        ::PostMessageA(handle, WM_COMMAND, CInitializationWindow::kCancelButton | 0x10000u, 0);
        typed = true;
    });
    ASSERT_TRUE(PumpUntil([&] { return typed.load() && boxes.Count() == 1; }, 5000));
    user.join();
    EXPECT_EQ(w.NickNameEdit()->GetTextA(), "tarox");
    // Yes: the window hides at once and goes when the worker has ended.
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindowVisible(handle); }));
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(handle); }, 40000));
    EXPECT_FALSE(w.IsAuthenticating());
    EXPECT_EQ(CountInLog("ユーザー認証ダウンロード時のユーザキャンセル", from), 1);
    EXPECT_EQ(CountInLog("お客様登録確認完了[RET:0x0000FF00]", from), 1);
    EXPECT_EQ(StoredNickName(kDeviceNo), "-");
}

TEST_F(FirstRun, CompletionWindowStoresTheMusicChoice) {
    struct Case {
        bool untick;
        int command;
        int chargeType;  // -1: nothing written
    } const cases[] = {
        {false, CInitCompleteWindow::kOKButton, 2},
        {true, CInitCompleteWindow::kOKButton, 1},
        {true, CInitCompleteWindow::kCloseButton, -1},
    };
    const std::string ini = GetSettingFolder() + "Quillmarch.ini";
    for (const Case& c : cases) {
        ::DeleteFileA(ini.c_str());
        CInitCompleteWindow window;
        ASSERT_TRUE(window.Create(nullptr));
        window.ShowWindow(SW_SHOW);
        ui::CSkinWindowItemButton& box = *window.MusicCheckBox();
        EXPECT_TRUE(box.IsChecked());
        const RECT r = box.GetRect();
        const COLORREF ticked = window.BackBuffer()->GetPixel(r.left + 8, r.top + 8);
        if (c.untick) {
            const LPARAM at = MAKELPARAM(r.left + 8, r.top + 8);
            ::SendMessageA(window.GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
            ::SendMessageA(window.GetHandle(), WM_LBUTTONUP, 0, at);
            EXPECT_FALSE(box.IsChecked());
            EXPECT_NE(window.BackBuffer()->GetPixel(r.left + 8, r.top + 8), ticked);
        }
        if (&c == cases) {
            SaveWindowShot(window.GetHandle(), "complete");
            // The box reads ticked, and its name says what it chooses.
            EXPECT_EQ(
                ReadAccess(window.GetHandle()),
                (std::vector<AccRow>{
                    {kText, "初期設定", kReadOnly},
                    {kButton, "ウィンドウを閉じる", kFocusable},
                    {kText, "お客様登録を確認しました。 QUILL MARCHを起動します。", kReadOnly},
                    {ROLE_SYSTEM_CHECKBUTTON, "音楽データを転送する",
                     kFocusable | STATE_SYSTEM_CHECKED},
                    {kText,
                     "起動時にPCの\"my music\"フォルダの音楽ファイルをSDカードに自動転送する。 "
                     "※QUILL MARCH起動後にも設定を変更することができます。",
                     kReadOnly},
                    {kButton, "OK", kFocusable}}));
        }
        const HWND handle = window.GetHandle();
        Press(handle, c.command);
        ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(handle); }));
        EXPECT_EQ(window.IsClosedByUser(), c.chargeType < 0);
        EXPECT_EQ(static_cast<int>(::GetPrivateProfileIntA("Music", "ChargeType", -1, ini.c_str())),
                  c.chargeType);
    }
}

namespace {

// The owner's WM_QUERYENDSESSION, as the window passes it on.
std::vector<LPARAM> g_ownerSessionEnds;

LRESULT CALLBACK SessionOwnerProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_QUERYENDSESSION) g_ownerSessionEnds.push_back(lp);
    return ::DefWindowProcA(h, m, wp, lp);
}

}  // namespace

TEST_F(FirstRun, FirstRunWindowsPassTheSessionEndToTheirOwner) {
    std::vector<LPARAM>& seen = g_ownerSessionEnds;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = SessionOwnerProc;
    wc.lpszClassName = "FirstTestOwner";
    ::RegisterClassA(&wc);
    const HWND owner = ::CreateWindowExA(0, "FirstTestOwner", "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                         nullptr, nullptr, nullptr);
    const size_t from = LogText().size();
    CInitCompleteWindow window;
    ASSERT_TRUE(window.Create(owner));
    const LPARAM logoff = static_cast<LPARAM>(ENDSESSION_LOGOFF);
    ::SendMessageA(window.GetHandle(), WM_QUERYENDSESSION, 0, logoff);
    EXPECT_EQ(seen, std::vector<LPARAM>{logoff});
    MSG msg;
    EXPECT_TRUE(::PeekMessageA(&msg, window.GetHandle(), WM_CLOSE, WM_CLOSE, PM_REMOVE));
    EXPECT_EQ(CountInLog("WM_QUERYENDSESSION 受信 Option:0x80000000", from), 1);
    // The initialization window has no owner: it only logs and closes itself (asking first).
    auto init = MakeInitWindow();
    ::SendMessageA(init->GetHandle(), WM_QUERYENDSESSION, 0, 1);
    EXPECT_TRUE(::PeekMessageA(&msg, init->GetHandle(), WM_CLOSE, WM_CLOSE, PM_REMOVE));
    EXPECT_EQ(CountInLog("WM_QUERYENDSESSION 受信 Option:0x00000001", from), 1);
    window.DestroyWindow();
    ::DestroyWindow(owner);
}

// --- the real program ----------------------------------------------------------------------

namespace {

// Ends the program behind a window.
void EndProgramOf(HWND window) {
    DWORD id = 0;
    ::GetWindowThreadProcessId(window, &id);
    qm::CHandle p(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
    if (p.Get() && ::TerminateProcess(p.Get(), 0)) ::WaitForSingleObject(p.Get(), 10000);
}

// Clicks the middle of an item of a window of another process. The window is
// found as soon as it is made, before it is shown: the click waits until the
// X server has it on screen, or it would land on whatever lies beneath.
int ClickAt(HWND window, int x, int y) {
    if (!PumpUntil([&] { return ::IsWindowVisible(window) != FALSE; }, 20000)) return -1;
    const auto xWindow = reinterpret_cast<uintptr_t>(::GetPropA(window, "__wine_x11_whole_window"));
    if (!xWindow) return -1;
    const int mapped = Xdo({"windowmap", "--sync", std::to_string(xWindow)});
    if (mapped != 0) return mapped;
    POINT p = {x, y};
    ::ClientToScreen(window, &p);
    return Xdo({"mousemove", "--sync", std::to_string(p.x), std::to_string(p.y), "click", "1"});
}

}  // namespace

TEST_F(FirstRun, RealKeyboardRegistersTheCardAndTheProgramStartsAgainRegistered) {
    const size_t mark = qmtest::ServiceRequests().size();
    // A copy of the program with its own "Connection.info" beside it.
    const std::string folder = qmtest::NewFolder("program");
    const std::string exe = folder + "Quillmarch.exe";
    ASSERT_TRUE(::CopyFileA((qmtest::BinFolder() + "Quillmarch.exe").c_str(), exe.c_str(), FALSE));
    ASSERT_TRUE(qmtest::WriteFile(folder + "Connection.info", ConnectionInfoText()));
    const std::string programLog = GetLogFolder() + "Quillmarch.log";
    const size_t logFrom = qmtest::ReadFile(programLog).size();

    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string cmd = "\"" + exe + "\"";
    ASSERT_TRUE(::CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                                 folder.c_str(), &si, &pi));
    qm::CHandle process(pi.hProcess), thread(pi.hThread);
    ::WaitForInputIdle(process.Get(), 20000);
    HWND init = nullptr;
    ASSERT_TRUE(
        PumpUntil([&] { return (init = ::FindWindowA(nullptr, "Quillmarch UserEntry")); }, 20000));
    EXPECT_TRUE(MutexExists("MN_Quillmarch_Init"));
    SaveWindowShot(init, "program-init-empty");

    // The nickname box has the focus: a comma typed there is refused.
    EXPECT_EQ(ClickAt(init, 164 + 100, 256 + 11), 0);
    EXPECT_EQ(Xdo({"type", "--delay", "30", "ta,ro"}), 0);
    EXPECT_EQ(ClickAt(init, 164 + 100, 296 + 11), 0);
    EXPECT_EQ(Xdo({"type", "--delay", "30", "pass1234"}), 0);
    SaveWindowShot(init, "program-init-filled", "InitializationWindow");
    EXPECT_EQ(Xdo({"key", "Return"}), 0);

    HWND complete = nullptr;
    ASSERT_TRUE(PumpUntil(
        [&] { return (complete = ::FindWindowA(nullptr, "Quillmarch InitComplete")); }, 30000));
    EXPECT_FALSE(::IsWindowVisible(init));
    SaveWindowShot(complete, "program-complete", "InitCompleteWindow");
    EXPECT_EQ(ClickAt(complete, 264 + 40, 180 + 14), 0);  // OK, the box left ticked

    ASSERT_EQ(::WaitForSingleObject(process.Get(), 20000), WAIT_OBJECT_0);
    // The program starts again as a registered user and holds that mutex.
    const bool handedOver = PumpUntil([] { return MutexExists("MN_Quillmarch_Launcher"); }, 20000);
    HWND launcher = nullptr;
    const bool launcherShown = PumpUntil(
        [&] { return (launcher = ::FindWindowA(nullptr, "Quillmarch")) != nullptr; }, 20000);
    if (launcher) EndProgramOf(launcher);
    EXPECT_TRUE(handedOver);
    EXPECT_TRUE(launcherShown);
    EXPECT_FALSE(MutexExists("MN_Quillmarch_Init"));

    const std::vector<qmtest::ServiceRequest> sent = AuthRequests(mark);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].body, kTaroBody);
    EXPECT_EQ(StoredNickName(kDeviceNo), "taro");
    EXPECT_EQ(static_cast<int>(::GetPrivateProfileIntA(
                  "Music", "ChargeType", -1, (GetSettingFolder() + "Quillmarch.ini").c_str())),
              2);
    const std::string log = qmtest::ReadFile(programLog).substr(logFrom);
    EXPECT_NE(log.find("ユーザー登録状況 未"), std::string::npos);
    EXPECT_NE(log.find("お客様登録確認完了[RET:0x00000000]"), std::string::npos);
    EXPECT_NE(log.find("ユーザー登録状況 済"), std::string::npos);
}

TEST_F(FirstRun, RegistrationPageOpensWithTheCardAndNoCardIsSaid) {
    const std::string browser = qmtest::BinFolder() + "browser.exe";
    const qmtest::ProcessResult registered = qmtest::RunProcess(browser, "/register");
    ASSERT_TRUE(registered.finished && registered.exitCode == 0);
    const std::string record = qmtest::WorkFolder() + "first-urls.txt";
    ::DeleteFileA(record.c_str());
    ASSERT_TRUE(::SetEnvironmentVariableA("QM_BROWSER_LOG", record.c_str()));

    auto window = MakeInitWindow();
    CInitializationWindow& w = *window;
    // A nickname typed but never sent is not the page's.
    w.NickNameEdit()->SetTextA("a b");
    Press(w.GetHandle(), CInitializationWindow::kRegistConfirmButton);
    // The page opens in another process: its record is looked for in slices.
    ASSERT_TRUE(PumpUntil([&] { return !qmtest::ReadFile(record).empty(); }, 20000));
    ::SetEnvironmentVariableA("QM_BROWSER_LOG", nullptr);
    std::string agent = GetUserAgent('E');  // "01HopperLiteV3/1.002000", sent encoded
    agent.replace(agent.find('/'), 1, "%2F");
    EXPECT_EQ(
        qmtest::SplitLines(qmtest::ReadFile(record)),
        std::vector<std::string>{ServiceUrl("/navigation/PcAppTop.html") +
                                 "?pcsoft-userAgent=" + agent + "&functionCode=100&nickname="});

    // The card pulled: the page and the authentication both say so, and the window stays.
    const std::string e = "E:\\";
    ASSERT_TRUE(::DeleteFileA((e + "PC\\NAVIINFO.DAT").c_str()));
    ::DeleteFileA((e + "PCLINK.DAT").c_str());
    const size_t from = LogText().size();
    CBoxWatcher boxes;
    Press(w.GetHandle(), CInitializationWindow::kRegistConfirmButton);
    ASSERT_TRUE(PumpUntil([&] { return boxes.Count() == 1; }));
    w.PasswordEdit()->SetTextA("pass1234");
    Press(w.GetHandle(), CInitializationWindow::kOKButton);
    ASSERT_TRUE(PumpUntil([&] { return boxes.Count() == 2 && !w.IsAuthenticating(); }));
    for (const std::string& text : boxes.Texts())
        EXPECT_NE(text.find("4000FF06"), std::string::npos) << text;
    EXPECT_EQ(CountInLog("SDカード無し", from), 1);
    EXPECT_EQ(CountInLog("SDカード読み込み失敗", from), 1);
    EXPECT_TRUE(::IsWindowVisible(w.GetHandle()));
    ASSERT_TRUE(MakeCard(kCardOptions));
}

// --- without a mouse ----------------------------------------------------------------------------

using FirstRunKeys = FirstRun;

// By the real keyboard alone (xdotool through the X server, no click): the
// nickname typed where the keyboard starts, Tab to the password, Tab past
// Cancel to OK and Space; the service receives what was typed.
TEST_F(FirstRunKeys, NicknamePasswordAndOKByTheKeyboardAlone) {
    const size_t mark = qmtest::ServiceRequests().size();
    SetFault("ret:5");
    CBoxWatcher boxes;
    auto window = MakeInitWindow();
    const HWND hwnd = window->GetHandle();
    // The X keyboard goes to the window without a click; it starts in the
    // nickname box.
    const auto xWindow = reinterpret_cast<uintptr_t>(::GetPropA(hwnd, "__wine_x11_whole_window"));
    ASSERT_NE(xWindow, 0u);
    ASSERT_EQ(Xdo({"windowfocus", "--sync", std::to_string(xWindow)}), 0);
    ASSERT_TRUE(
        PumpUntil([&] { return ::GetFocus() == window->NickNameEdit()->GetControl(); }, 10000));

    ASSERT_EQ(Xdo({"type", "--delay", "30", "taro"}), 0);
    ASSERT_EQ(Xdo({"key", "Tab"}), 0);
    ASSERT_TRUE(
        PumpUntil([&] { return ::GetFocus() == window->PasswordEdit()->GetControl(); }, 10000));
    ASSERT_EQ(Xdo({"type", "--delay", "30", "pass1234"}), 0);
    // The bottom row reads Cancel, then OK.
    for (ui::CSkinWindowItem* next : {window->GetItemById(CInitializationWindow::kCancelButton),
                                      static_cast<ui::CSkinWindowItem*>(window->OkButton())}) {
        ASSERT_EQ(Xdo({"key", "Tab"}), 0);
        ASSERT_TRUE(PumpUntil([&] { return window->TabAccessor().GetFocusItem() == next; }, 10000))
            << next->GetId();
    }
    EXPECT_EQ(::GetFocus(), hwnd);
    EXPECT_EQ(window->NickNameEdit()->GetTextA(), "taro");
    EXPECT_EQ(window->PasswordEdit()->GetTextA(), "pass1234");
    // Space presses OK: the service is asked with what was typed.
    ASSERT_EQ(Xdo({"key", "space"}), 0);
    ASSERT_TRUE(PumpUntil([&] { return qmtest::ServiceRequests().size() > mark; }, 20000));
    const std::vector<qmtest::ServiceRequest> sent = qmtest::ServiceRequests();
    ASSERT_GT(sent.size(), mark);
    EXPECT_EQ(sent[mark].path, kAuthPath);
    EXPECT_NE(sent[mark].body.find("nick=taro&pass=pass1234"), std::string::npos)
        << sent[mark].body;
    // The service refuses (so the window stays for the test): it says so
    // and the keyboard can try again.
    EXPECT_TRUE(
        PumpUntil([&] { return !window->IsAuthenticating() && boxes.Count() == 1; }, 20000));
    EXPECT_TRUE(window->OkButton()->IsEnabled());
}
