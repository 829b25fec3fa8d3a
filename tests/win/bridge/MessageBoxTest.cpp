// The program's plain message box.
#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "BridgeHarness.h"
#include "common/WickerdaleErrorMessage.h"

namespace {

struct BoxSeen {
    std::string caption;
    std::string text;
    bool found = false;
    int noticesBeforeBox = -1;  // notices already given when the box was found
};

std::atomic<DWORD> g_noticedThread{0};
std::atomic<int> g_notices{0};
std::atomic<bool> g_boxAtNotice{false};
BoxSeen* g_seen = nullptr;
// The notice also looks for the box: it must not be there yet.
void Notice(DWORD threadId) {
    g_noticedThread = threadId;
    if (g_seen && ::FindWindowA("#32770", g_seen->caption.c_str())) g_boxAtNotice = true;
    ++g_notices;
}

BOOL CALLBACK FindText(HWND child, LPARAM param) {
    auto* seen = reinterpret_cast<BoxSeen*>(param);
    char cls[32] = {}, text[512] = {};
    ::GetClassNameA(child, cls, sizeof cls);
    ::GetWindowTextA(child, text, sizeof text);
    if (lstrcmpiA(cls, "Static") == 0 && text[0]) seen->text = text;
    return TRUE;
}

// Waits for the box, notes its texts and answers it with button.
DWORD WINAPI AnswerBox(void* param) {
    auto* seen = static_cast<BoxSeen*>(param);
    for (int i = 0; i < 500 && !seen->found; ++i) {
        HWND box = ::FindWindowA("#32770", seen->caption.c_str());
        if (box) {
            seen->found = true;
            seen->noticesBeforeBox = g_notices.load();
            ::EnumChildWindows(box, FindText, reinterpret_cast<LPARAM>(seen));
            ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
        } else {
            ::Sleep(20);
        }
    }
    return 0;
}

}  // namespace

TEST(ErrorMessageBox, EmptyTextShowsNothingAndAnswersOk) {
    const std::string before = bridgetest::LogText();
    SetMessageBoxThreadNotice(&Notice);
    g_notices = 0;
    EXPECT_EQ(ShowErrorMessageBox(nullptr, "", "Quillmarch ", MB_YESNO), IDOK);
    EXPECT_EQ(ShowErrorMessageBox(nullptr, nullptr, "Quillmarch ", MB_OK), IDOK);
    EXPECT_EQ(g_notices.load(), 0);
    SetMessageBoxThreadNotice(nullptr);
    const std::string added = bridgetest::LogText().substr(before.size());
    const std::string record = "WickerdaleErrorMessage.cpp";
    size_t first = added.find(record);
    ASSERT_NE(first, std::string::npos) << added;
    EXPECT_NE(added.find(record, first + 1), std::string::npos);
    EXPECT_NE(added.find("メッセージボックス表示時の本文無し"), std::string::npos);
}

TEST(ErrorMessageBox, TextIsShownAfterTheThreadIsNoticed) {
    SetMessageBoxThreadNotice(&Notice);
    g_notices = 0;
    BoxSeen seen;
    seen.caption = "Quillmarch bridge box";
    g_seen = &seen;
    g_boxAtNotice = false;
    HANDLE answerer = ::CreateThread(nullptr, 0, AnswerBox, &seen, 0, nullptr);
    ASSERT_NE(answerer, nullptr);
    const int answer = ShowErrorMessageBox(nullptr, "データ更新中です。", seen.caption.c_str(),
                                           MB_YESNO | MB_ICONQUESTION);
    ::WaitForSingleObject(answerer, 15000);
    ::CloseHandle(answerer);
    SetMessageBoxThreadNotice(nullptr);
    g_seen = nullptr;
    EXPECT_TRUE(seen.found);
    EXPECT_EQ(answer, IDNO);
    EXPECT_EQ(seen.text, "データ更新中です。");
    EXPECT_EQ(g_notices.load(), 1);
    EXPECT_EQ(g_noticedThread.load(), ::GetCurrentThreadId());
    // The notice came first: no box when it was given, and given when the box was seen.
    EXPECT_FALSE(g_boxAtNotice.load());
    EXPECT_EQ(seen.noticesBeforeBox, 1);
}
