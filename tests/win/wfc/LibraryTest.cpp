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

// A Yes/No box of the system never answers Ignore: that answer is the mark
// that the installed function was called with what the caller passed.
int FakeBox(HWND owner, const char* text, const char* caption, UINT style) {
    const bool passed = !owner && std::string(text) == "設定を初期状態に戻します。" &&
                        std::string(caption) == "Quillmarch" &&
                        style == (MB_YESNO | MB_ICONQUESTION);
    return passed ? IDIGNORE : IDABORT;
}

TEST(Library, MessageBoxesGoThroughTheInstalledFunctionElseTheSystemBox) {
    lib::wfc::SetMessageBoxFunction(FakeBox);
    lib::wfc::NoteMessageBoxThread(0);
    EXPECT_EQ(IDIGNORE, lib::wfc::ShowMessageBox(nullptr, "設定を初期状態に戻します。",
                                                 "Quillmarch", MB_YESNO | MB_ICONQUESTION));
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
