#pragma once
// Start-up of the window library, window classes, the library's message
// box, the message pump and modal loop, and the display monitors.
#include <windows.h>

#include <vector>

#include "wfc/Exception.h"

namespace lib {
namespace wfc {

// The class every CWindow is created with unless it names its own.
constexpr const char* kDefaultWindowClass = "WFC-DefaultWindowClass";

// Once, before any window: keeps the instance and a copy of the name (at
// most 256 bytes with its terminator), installs the out-of-memory handler
// (throws lib::wfc::bad_alloc), starts the common controls and the rich-edit
// library, registers the messages "TaskbarCreated" and "WFC-InternalMessage"
// and the default class, and allocates the per-thread slot (failure throws
// std::bad_alloc). Calling it again is harmless.
void InitLibrary(HINSTANCE instance, const char* applicationName, HICON icon, HICON smallIcon);
// At program end: unregisters the default class, unloads the rich-edit
// library and frees the per-thread slot. The thread's data must be released.
void TermLibrary();
// Waits until the rich-edit library InitLibrary started loading is in;
// false when it could not be loaded. Call it before creating a rich edit.
bool WaitForRichEdit();

// The per-thread record of the calling thread. Dispatch makes one on first use
// when InitThread was not called; ReleaseThread frees it (call it on every
// thread that had windows, after its last window is gone).
void InitThread();
void ReleaseThread();

HINSTANCE GetInstance();           // the instance given, or the program's module
const char* GetApplicationName();  // "" before InitLibrary
HICON GetApplicationIcon(bool small);
UINT GetTaskbarCreatedMessage();  // "TaskbarCreated"
UINT GetInternalMessage();        // "WFC-InternalMessage"

// WNDCLASSEX with the library's window procedure: style 0 means CS_DBLCLKS;
// null icon IDI_APPLICATION, null cursor IDC_ARROW, null background the
// COLOR_BTNFACE brush. Registering a name twice is not an error. Throws
// CWindowException on failure.
ATOM RegisterWindowClass(const char* name, UINT style = 0, HICON icon = nullptr,
                         HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                         const char* menu = nullptr);

// --- message boxes -------------------------------------------------------------------
// The program installs its own box (owner, text, caption, style -> answer);
// without one ShowMessageBox uses MessageBoxA.
using MessageBoxFunction = int (*)(HWND owner, const char* text, const char* caption, UINT style);
void SetMessageBoxFunction(MessageBoxFunction function);
int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT style);
// Bookkeeping: the message-box function reports the thread of every box
// before it opens it; the last such thread is kept.
void NoteMessageBoxThread(DWORD threadId);
DWORD GetMessageBoxThread();

// --- message loops ---------------------------------------------------------------------
// One GetMessage, TranslateMessage, DispatchMessage. False when WM_QUIT (or an
// error) came; the quit code goes to *quitCode when given.
bool PumpMessage(WPARAM* quitCode = nullptr);

// Why RunModal returned.
enum class ModalEnd { Done, Quit, WindowGone, OwnerHidden };
// Pumps until done becomes true, WM_QUIT arrives (re-posted so that the outer
// loop ends too), the window is destroyed or a visible owner is hidden. The
// owner is disabled meanwhile and activated again afterwards.
ModalEnd RunModal(HWND window, HWND owner, const bool& done);

// --- placement -------------------------------------------------------------------------
// Centres window over `over` (the desktop when null), then keeps it inside the
// work area: right and bottom pulled back first, then left and top pushed.
void CenterWindow(HWND window, HWND over = nullptr);
// The work area of every display monitor, in enumeration order.
std::vector<RECT> GetMonitorWorkAreas();
// The work area of the monitor holding pt; false when no monitor holds it.
bool GetMonitorWorkArea(POINT pt, RECT* area);
// Fits `rect` into `area` the way CenterWindow does (pure arithmetic).
RECT KeepInsideArea(const RECT& rect, const RECT& area);

}  // namespace wfc
}  // namespace lib
