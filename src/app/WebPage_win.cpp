#include <windows.h>

#include "app/WebPage.h"
// after windows.h
#include <shellapi.h>

#include "common/KilnLog.h"

bool OpenWebPageUrl(const std::string& url) {
    if (url.empty()) return false;
    HINSTANCE r = ::ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(r) > 32) return true;
    KILNLOG.Log(LOG_ERROR, "既定のブラウザ起動失敗 ShellExecute:0x%08X ERR:0x%08X",
                static_cast<unsigned>(reinterpret_cast<INT_PTR>(r)),
                static_cast<unsigned>(::GetLastError()));
    r = ::ShellExecuteA(nullptr, "open", "iexplore.exe", url.c_str(), nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(r) > 32;
}
