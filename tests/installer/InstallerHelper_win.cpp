// Helper of the installer test, run under Wine beside the setup programs.
//   installer_helper launcher
//       Shows a window titled "Quillmarch" (class QmInstallerTestLauncher)
//       the way the launcher does and waits for "WKLMapDownload"; prints
//       "WKLMapDownload" and exits 0 when the message comes (1 after two minutes
//       without it, so a broken link cannot hang the test; 3 when someone
//       closes the window instead).
//   installer_helper close-window CLASS TITLE
//       Posts WM_CLOSE to that top-level window, as a user closing it would;
//       exits 1 when there is none.
//   installer_helper wait-window CLASS TITLE MS
//       Exits 0 once a top-level window of that class and title exists, 1
//       when MS milliseconds pass first.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr UINT_PTR kGiveUpTimer = 1;
constexpr UINT kGiveUpMs = 120000;
UINT g_mapDownload = 0;

LRESULT CALLBACK LauncherProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == g_mapDownload && g_mapDownload != 0) {
        std::printf("WKLMapDownload wParam=%u lParam=%u\n", static_cast<unsigned>(wp),
                    static_cast<unsigned>(lp));
        std::fflush(stdout);
        ::PostQuitMessage(0);
        return 0;
    }
    if (msg == WM_DESTROY) {  // closed by someone else: not what the test wants
        std::printf("closed\n");
        ::PostQuitMessage(3);
        return 0;
    }
    if (msg == WM_TIMER && wp == kGiveUpTimer) {
        std::printf("no WKLMapDownload within %u ms\n", kGiveUpMs);
        ::PostQuitMessage(1);
        return 0;
    }
    return ::DefWindowProcA(wnd, msg, wp, lp);
}

int RunLauncher() {
    g_mapDownload = ::RegisterWindowMessageA("WKLMapDownload");
    WNDCLASSA wc = {};
    wc.lpfnWndProc = LauncherProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "QmInstallerTestLauncher";
    if (!::RegisterClassA(&wc)) return 2;
    HWND wnd = ::CreateWindowExA(0, wc.lpszClassName, "Quillmarch", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                 100, nullptr, nullptr, wc.hInstance, nullptr);
    if (!wnd) return 2;
    ::SetTimer(wnd, kGiveUpTimer, kGiveUpMs, nullptr);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) ::DispatchMessageA(&msg);
    const int result = static_cast<int>(msg.wParam);
    if (::IsWindow(wnd)) ::DestroyWindow(wnd);
    return result;
}

int WaitWindow(const char* cls, const char* title, DWORD ms) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (::FindWindowA(cls, title)) return 0;
        if (::GetTickCount() - start >= ms) return 1;
        ::Sleep(20);  // polling a condition with a deadline; no event tells of another's window
    }
}

int CloseWindow(const char* cls, const char* title) {
    HWND wnd = ::FindWindowA(cls, title);
    return wnd && ::PostMessageA(wnd, WM_CLOSE, 0, 0) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "launcher") == 0) return RunLauncher();
    if (argc == 4 && std::strcmp(argv[1], "close-window") == 0)
        return CloseWindow(argv[2], argv[3]);
    if (argc == 5 && std::strcmp(argv[1], "wait-window") == 0)
        return WaitWindow(argv[2], argv[3], static_cast<DWORD>(std::strtoul(argv[4], nullptr, 10)));
    std::fprintf(stderr,
                 "usage: installer_helper launcher | close-window CLASS TITLE | wait-window CLASS "
                 "TITLE MS\n");
    return 2;
}
