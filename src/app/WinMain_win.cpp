// The launcher's entry point: log, OS check, command line, instance control
// and the one message loop of the program.
#include <windows.h>

#include <exception>
#include <string>

#include "app/CommandLine.h"
#include "common/OsType.h"
#include "app/Startup.h"
#include "common/KilnLog.h"
#include "common/MessageCatalog.h"
#include "common/WickerdaleErrorMessage.h"
#include "common/WinHandle.h"
#include "resources/ResourceIds.h"
#include "wfc/Library.h"

namespace {

constexpr int kLogLimitKB = 4096;

// Kept process-wide: other parts of the program name the hidden window by them.
char g_className[64];
char g_title[64];

INT_PTR CALLBACK AboutProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_INITDIALOG) return TRUE;
    if (msg == WM_COMMAND && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) {
        ::EndDialog(dlg, LOWORD(wp));
        return TRUE;
    }
    return FALSE;
}

LRESULT CALLBACK MainWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    case WM_PAINT:
        ::ValidateRect(wnd, nullptr);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wp) == IDM_ABOUT) {
            ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUTBOX), wnd,
                              AboutProc, 0);
            return 0;
        }
        if (LOWORD(wp) == IDM_EXIT) {
            ::DestroyWindow(wnd);
            return 0;
        }
        break;
    }
    return ::DefWindowProcA(wnd, msg, wp, lp);
}

ATOM RegisterMainClass(HINSTANCE inst) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = inst;
    wc.hIcon = ::LoadIconA(inst, MAKEINTRESOURCEA(IDI_QUILLMARCH));
    wc.hIconSm = ::LoadIconA(inst, MAKEINTRESOURCEA(IDI_QUILLMARCH));
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszMenuName = MAKEINTRESOURCEA(IDC_QUILLMARCH);
    wc.lpszClassName = g_className;
    return ::RegisterClassExA(&wc);
}

// Another instance of the same kind runs: restore and raise its window.
void RaiseRunningInstance(bool registered) {
    HWND running = ::FindWindowA(nullptr, registered ? "Quillmarch" : "Quillmarch UserEntry");
    if (!running) return;
    ::PostMessageA(running, WM_SYSCOMMAND, SC_RESTORE, 0);
    ForceForegroundWindow(running);
}

}  // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR cmdLine, int) {
    lstrcpynA(g_className, "Quillmarch", sizeof g_className);
    lstrcpynA(g_title, "Quillmarch ", sizeof g_title);  // the blank keeps FindWindow("Quillmarch") off it
    RegisterMainClass(inst);

    KILNLOG.Start(nullptr, kLogLimitKB);

    // The window library shows its boxes through the program's own function,
    // which tells the library the thread of every box it opens.
    lib::wfc::SetMessageBoxFunction(ShowErrorMessageBox);
    SetMessageBoxThreadNotice(lib::wfc::NoteMessageBoxThread);

    const int osType = GetOsType();
    if (!IsSupportedOsType(osType)) {
        KILNLOG.Log(LOG_ERROR, "起動OS-NG OSType:%d", osType);
        unsigned style = kStyleExclamation;
        std::string text = GetMessageText(0xFF00EE01, 0, style);
        ::MessageBoxA(nullptr, text.c_str(), g_title, style);
        return 0;
    }

    const StartSwitches switches = ScanSwitches(SplitCommandLine(cmdLine ? cmdLine : ""));
    if (switches.uninstall) {
        UninstallCleanup();
        return 0;
    }
    if (switches.mapDownload) {
        ProtocolLaunch();
        KILNLOG.End();
        return 0;
    }

    const RegistrationStatus status = GetRegistrationStatus();

    qm::CHandle instanceMutex(::CreateMutexA(
        nullptr, TRUE, status.registered ? "MN_Quillmarch_Launcher" : "MN_Quillmarch_Init"));
    if (!instanceMutex || ::GetLastError() == ERROR_ALREADY_EXISTS) {
        RaiseRunningInstance(status.registered);
        return 0;
    }

    HWND mainWnd = ::CreateWindowExA(0, g_className, g_title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                     0, CW_USEDEFAULT, 0, nullptr, nullptr, inst, nullptr);
    if (!mainWnd) {
        KILNLOG.Log(LOG_ERROR, "アプリケーション初期化失敗[ERR:0x%08X]",
                    static_cast<unsigned>(::GetLastError()));
        ::ReleaseMutex(instanceMutex.Get());
        return 0;
    }
    ::ShowWindow(mainWnd, SW_HIDE);
    ::UpdateWindow(mainWnd);

    HACCEL accel = ::LoadAcceleratorsA(inst, MAKEINTRESOURCEA(IDC_QUILLMARCH));
    HICON icon = ::LoadIconA(inst, MAKEINTRESOURCEA(IDI_QUILLMARCH));
    try {
        lib::wfc::InitLibrary(inst, g_title, icon, icon);
        lib::wfc::InitThread();
    } catch (const std::exception& e) {
        // Nothing may leave WinMain; without the library no window can be made.
        KILNLOG.Log(LOG_ERROR, "アプリケーション初期化失敗[%s]", e.what());
        ::DestroyWindow(mainWnd);
        ::ReleaseMutex(instanceMutex.Get());
        KILNLOG.End();
        return 0;
    }

    // The first windows (launcher or first-run setup) are created here once
    // the window library is in place; they end the loop by posting WM_QUIT.
    // The restart after the loop (a completed first run, a card of another
    // model) comes back with them: see docs/DESIGN.md.

    MSG msg = {};
    for (;;) {
        BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == -1) {
            KILNLOG.Log(LOG_ERROR, "::GetMessageエラー 0x%08X",
                        static_cast<unsigned>(::GetLastError()));
            break;
        }
        if (!got) break;
        if (!accel || !::TranslateAcceleratorA(msg.hwnd, accel, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }

    lib::wfc::ReleaseThread();
    lib::wfc::TermLibrary();
    ::ReleaseMutex(instanceMutex.Get());
    KILNLOG.End();
    return static_cast<int>(msg.wParam);
}
