// The application name's limit and the message-box hook.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BoxWatcher.h"

#include "wfc/Library.h"

namespace {

TEST(Library, TheNameIsCutAt255Bytes) {
    // At most 256 bytes with its terminator; a second start registers nothing twice.
    const std::string longName(300, 'n');
    lib::wfc::InitLibrary(::GetModuleHandleA(nullptr), longName.c_str(), nullptr, nullptr);
    EXPECT_EQ(std::string(255, 'n'), lib::wfc::GetApplicationName());
    lib::wfc::InitLibrary(::GetModuleHandleA(nullptr), "wfc test", nullptr, nullptr);
    EXPECT_STREQ("wfc test", lib::wfc::GetApplicationName());
}

struct Box {
    HWND owner;
    std::string text, caption;
    UINT style;
};
Box g_box;
int FakeBox(HWND owner, const char* text, const char* caption, UINT style) {
    g_box = {owner, text, caption, style};
    return IDNO;
}

TEST(Library, MessageBoxesGoThroughTheInstalledFunctionElseTheSystemBox) {
    lib::wfc::SetMessageBoxFunction(FakeBox);
    lib::wfc::NoteMessageBoxThread(0);
    EXPECT_EQ(IDNO, lib::wfc::ShowMessageBox(nullptr, "設定を初期状態に戻します。", "Quillmarch",
                                             MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ("設定を初期状態に戻します。", g_box.text);
    EXPECT_EQ("Quillmarch", g_box.caption);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION), g_box.style);
    // The installed function notes its own thread; the library notes none for it.
    EXPECT_EQ(0u, lib::wfc::GetMessageBoxThread());
    // Without one the system box opens, and the library notes its thread.
    lib::wfc::SetMessageBoxFunction(nullptr);
    qmtest::CBoxWatcher watcher({IDNO});
    EXPECT_EQ(IDNO, lib::wfc::ShowMessageBox(nullptr, "x", "Quillmarch ", MB_YESNO));
    EXPECT_EQ(watcher.Texts(), std::vector<std::string>{"x"});
    EXPECT_EQ(::GetCurrentThreadId(), lib::wfc::GetMessageBoxThread());
}

}  // namespace
