// The program's plain message box.
#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "TestSupport.h"
#include "common/WickerdaleErrorMessage.h"

namespace {

const char kCaption[] = "Quillmarch bridge box";
std::atomic<DWORD> g_noticedThread{0};
std::atomic<int> g_notices{0};
std::atomic<bool> g_boxAtNotice{false};
// The notice also looks for the box: it must not be there yet.
void Notice(DWORD threadId) {
    g_noticedThread = threadId;
    if (::FindWindowA("#32770", kCaption)) g_boxAtNotice = true;
    ++g_notices;
}

}  // namespace

TEST(ErrorMessageBox, EmptyTextShowsNothingAndAnswersOk) {
    const size_t before = qmtest::LogText().size();
    SetMessageBoxThreadNotice(&Notice);
    g_notices = 0;
    EXPECT_EQ(ShowErrorMessageBox(nullptr, "", "Quillmarch ", MB_YESNO), IDOK);
    EXPECT_EQ(ShowErrorMessageBox(nullptr, nullptr, "Quillmarch ", MB_OK), IDOK);
    EXPECT_EQ(g_notices.load(), 0);
    SetMessageBoxThreadNotice(nullptr);
    const std::string added = qmtest::LogText().substr(before);
    const std::string text = "メッセージボックス表示時の本文無し";
    EXPECT_NE(added.find(text, added.find(text) + 1), std::string::npos) << "twice: " << added;
}

// A watcher thread finds the box, notes its text and the notices given by
// then, and answers it.
TEST(ErrorMessageBox, TextIsShownAfterTheThreadIsNoticed) {
    SetMessageBoxThreadNotice(&Notice);
    g_notices = 0;
    g_boxAtNotice = false;
    std::string text;
    int noticesAtBox = -1;
    std::thread watcher([&] {
        HWND box = nullptr;
        for (int i = 0; i < 500 && !(box = ::FindWindowA("#32770", kCaption)); ++i) ::Sleep(20);
        if (!box) return;
        noticesAtBox = g_notices.load();
        char buf[512] = {};
        for (HWND c = ::GetWindow(box, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
            char cls[32] = {};
            ::GetClassNameA(c, cls, sizeof cls);
            if (lstrcmpiA(cls, "Static") == 0 && ::GetWindowTextA(c, buf, sizeof buf) > 0)
                text = buf;
        }
        ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
    });
    const int answer =
        ShowErrorMessageBox(nullptr, "データ更新中です。", kCaption, MB_YESNO | MB_ICONQUESTION);
    watcher.join();
    SetMessageBoxThreadNotice(nullptr);
    EXPECT_EQ(answer, IDNO);
    EXPECT_EQ(text, "データ更新中です。");
    EXPECT_EQ(g_notices.load(), 1);
    EXPECT_EQ(g_noticedThread.load(), ::GetCurrentThreadId());
    // No box when the notice was given, and the notice given when the box was seen.
    EXPECT_FALSE(g_boxAtNotice.load());
    EXPECT_EQ(noticesAtBox, 1);
}
