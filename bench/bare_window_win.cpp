// The baseline of compose_win's start-up figure: the plainest Win32 window
// program. It sets the named event given as its argument at its first paint
// and closes itself.
#include <windows.h>

namespace {

HANDLE g_firstPaint = nullptr;

LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            ::BeginPaint(hwnd, &paint);
            ::EndPaint(hwnd, &paint);
            if (g_firstPaint) {
                ::SetEvent(g_firstPaint);
                g_firstPaint = nullptr;
                ::PostMessageA(hwnd, WM_CLOSE, 0, 0);
            }
            return 0;
        }
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) g_firstPaint = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]);
    WNDCLASSA cls = {};
    cls.lpfnWndProc = Proc;
    cls.hInstance = ::GetModuleHandleA(nullptr);
    cls.lpszClassName = "BareWindow";
    ::RegisterClassA(&cls);
    ::CreateWindowExA(0, "BareWindow", "bare", WS_POPUP | WS_VISIBLE, 100, 100, 400, 140, nullptr,
                      nullptr, cls.hInstance, nullptr);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) ::DispatchMessageA(&msg);
    if (g_firstPaint) ::CloseHandle(g_firstPaint);
    return 0;
}
