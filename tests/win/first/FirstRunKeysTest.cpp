// The first-run window by the real keyboard alone (xdotool through the X
// server, no click): the nickname typed where the keyboard starts, Tab to
// the password, Tab past Cancel to OK and Space; the service receives what
// was typed.
// (The service is told to refuse, so the window stays and says so.)
#include <gtest/gtest.h>

#include <memory>

#include "BoxWatcher.h"
#include "ScreenInput.h"
#include "ServiceSupport.h"
#include "TestSupport.h"
#include "app/InitializationWindow.h"
#include "common/Folders.h"
#include "common/KilnLog.h"
#include "net/ConnectionFile.h"
#include "ui/Skin.h"
#include "ui/SkinWindowItemButton.h"
#include "ui/SkinWindowItemEditBox.h"
#include "wfc/Library.h"

using ui::CInitializationWindow;

namespace {

constexpr char kAuth[] = "/pcapp/DeviceNoUserAuthenticationAPI";

int Keys(const std::vector<std::string>& args) {
    return qmtest::RunXdo(qmtest::StateFolder() + "xdo\\", args);
}

}  // namespace

TEST(FirstRunKeys, NicknamePasswordAndOKByTheKeyboardAlone) {
    lib::wfc::InitLibrary(::GetModuleHandleA(nullptr), "Quillmarch ", nullptr, nullptr);
    lib::wfc::InitThread();
    KILNLOG.Start((qmtest::WorkFolder() + "firstkeys.log").c_str(), 10240);
    const HMODULE program = ::LoadLibraryExA((qmtest::BinFolder() + "Quillmarch.exe").c_str(),
                                             nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    ui::SetSkinResourceMode(program, program, program);
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
