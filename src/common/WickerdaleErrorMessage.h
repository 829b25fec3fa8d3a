#pragma once
// The plain message box of the program. The window library installs
// ShowErrorMessageBox as its message-box function and hands in its own
// bookkeeping, which learns the thread of every box before it opens.
#include <windows.h>

using MessageBoxThreadNotice = void (*)(DWORD threadId);
// Null removes the notice.
void SetMessageBoxThreadNotice(MessageBoxThreadNotice notice);

// Shows text with MessageBoxA and returns the answer. An empty (or null)
// text shows nothing, is logged and answers IDOK.
int ShowErrorMessageBox(HWND owner, const char* text, const char* caption, UINT style);
