#include <atomic>

#include "common/KilnLog.h"
#include "common/WickerdaleErrorMessage.h"

namespace {
std::atomic<MessageBoxThreadNotice> g_threadNotice{nullptr};
}  // namespace

void SetMessageBoxThreadNotice(MessageBoxThreadNotice notice) { g_threadNotice = notice; }

int ShowErrorMessageBox(HWND owner, const char* text, const char* caption, UINT style) {
    if (!text || !*text) {
        // The record names this module, whoever asked for the box.
        CKilnLogWrapper("WickerdaleErrorMessage.cpp", __LINE__)
            .Log(LOG_ERROR, "メッセージボックス表示時の本文無し");
        return IDOK;
    }
    if (MessageBoxThreadNotice notice = g_threadNotice.load()) notice(::GetCurrentThreadId());
    return ::MessageBoxA(owner, text, caption, style);
}
