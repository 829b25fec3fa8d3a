// Start-up of the window library: instance, name, out-of-memory handler,
// common controls, rich edit, registered messages, the default class, the
// per-thread slot; the message box hook; message loops; monitors.

// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <atomic>
#include <mutex>
#include <new>

#include "common/KilnLog.h"
#include "wfc/Library.h"
#include "wfc/ThreadRecord.h"
#include "wfc/Window.h"

namespace lib {
namespace wfc {

namespace {

HINSTANCE g_instance = nullptr;
char g_applicationName[256];  // with its terminator
HICON g_icon = nullptr;
HICON g_smallIcon = nullptr;
HMODULE g_richEdit = nullptr;
HANDLE g_richEditLoader = nullptr;  // the thread loading it, until waited for
std::mutex g_richEditLock;

DWORD WINAPI LoadRichEdit(void*) {
    g_richEdit = ::LoadLibraryA("Riched20.dll");
    return 0;
}
std::atomic<UINT> g_taskbarCreated{0};
std::atomic<UINT> g_internalMessage{0};
std::atomic<DWORD> g_slot{TLS_OUT_OF_INDEXES};
std::atomic<MessageBoxFunction> g_messageBox{nullptr};
std::atomic<DWORD> g_messageBoxThread{0};

// The text the slot failure is known by.
class CSlotAllocation : public std::bad_alloc {
public:
    const char* what() const noexcept override { return "bad allocation"; }
};

void OutOfMemory() { throw lib::wfc::bad_alloc(); }

DWORD Slot() {
    DWORD slot = g_slot.load();
    if (slot != TLS_OUT_OF_INDEXES) return slot;
    DWORD fresh = ::TlsAlloc();
    if (fresh == TLS_OUT_OF_INDEXES) throw CSlotAllocation();
    if (!g_slot.compare_exchange_strong(slot, fresh)) {
        ::TlsFree(fresh);  // another thread was first
        return slot;
    }
    return fresh;
}

UINT RegisteredMessage(std::atomic<UINT>& cache, const char* name) {
    UINT id = cache.load();
    if (!id) {
        id = ::RegisterWindowMessageA(name);
        cache = id;
    }
    return id;
}

ATOM RegisterClassWithIcons(const char* name, UINT style, HICON icon, HICON smallIcon,
                            HCURSOR cursor, HBRUSH background, const char* menu) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = style ? style : CS_DBLCLKS;
    wc.lpfnWndProc = LibraryWindowProc;
    wc.hInstance = GetInstance();
    wc.hIcon = icon ? icon : ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    wc.hIconSm = smallIcon;
    wc.hCursor = cursor ? cursor : ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = background ? background : ::GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszMenuName = menu;
    wc.lpszClassName = name;
    ATOM atom = ::RegisterClassExA(&wc);
    if (!atom) {
        DWORD error = ::GetLastError();
        if (error == ERROR_CLASS_ALREADY_EXISTS) {
            WNDCLASSEXA existing = {};
            existing.cbSize = sizeof existing;
            return static_cast<ATOM>(::GetClassInfoExA(GetInstance(), name, &existing));
        }
        CWindowPolicy::Throw("RegisterWindowClass - クラス登録失敗", error);
    }
    return atom;
}

}  // namespace

void LogApiFailure(const char* operation, DWORD code) {
    KILNLOG.Log(LOG_ERROR, "%s ERR:0x%08X", operation ? operation : "",
                static_cast<unsigned>(code));
}

void InitLibrary(HINSTANCE instance, const char* applicationName, HICON icon, HICON smallIcon) {
    g_instance = instance;
    lstrcpynA(g_applicationName, applicationName ? applicationName : "", sizeof g_applicationName);
    g_icon = icon;
    g_smallIcon = smallIcon;
    std::set_new_handler(OutOfMemory);

    INITCOMMONCONTROLSEX controls = {sizeof controls, 0x8FF};
    ::InitCommonControlsEx(&controls);
    {
        // Rich edit brings libraries of its own: it loads on a thread while
        // the first window is made, and a rich-edit control waits for it.
        std::lock_guard<std::mutex> lock(g_richEditLock);
        if (!g_richEdit && !g_richEditLoader) {
            g_richEditLoader = ::CreateThread(nullptr, 0, LoadRichEdit, nullptr, 0, nullptr);
            if (!g_richEditLoader) g_richEdit = ::LoadLibraryA("Riched20.dll");
        }
    }

    RegisteredMessage(g_taskbarCreated, "TaskbarCreated");
    RegisteredMessage(g_internalMessage, "WFC-InternalMessage");
    RegisterClassWithIcons(kDefaultWindowClass, 0, icon, smallIcon, nullptr, nullptr, nullptr);
    Slot();
}

bool WaitForRichEdit() {
    std::lock_guard<std::mutex> lock(g_richEditLock);
    if (g_richEditLoader) {
        ::WaitForSingleObject(g_richEditLoader, INFINITE);
        ::CloseHandle(g_richEditLoader);
        g_richEditLoader = nullptr;
    }
    return g_richEdit != nullptr;
}

void TermLibrary() {
    ::UnregisterClassA(kDefaultWindowClass, GetInstance());
    if (WaitForRichEdit()) {
        ::FreeLibrary(g_richEdit);
        g_richEdit = nullptr;
    }
    DWORD slot = g_slot.exchange(TLS_OUT_OF_INDEXES);
    if (slot != TLS_OUT_OF_INDEXES) ::TlsFree(slot);
}

ThreadRecord* GetThreadRecord(bool create) {
    DWORD slot = Slot();
    auto* record = static_cast<ThreadRecord*>(::TlsGetValue(slot));
    if (!record && create) {
        record = new ThreadRecord;
        ::TlsSetValue(slot, record);
    }
    return record;
}

void InitThread() { GetThreadRecord(true); }

void ReleaseThread() {
    if (g_slot.load() == TLS_OUT_OF_INDEXES) return;
    ThreadRecord* record = GetThreadRecord(false);
    if (!record || record->depth > 0) return;  // never under a running dispatch
    ::TlsSetValue(g_slot.load(), nullptr);
    for (CWindow* window : record->deferred) delete window;
    delete record;
}

HINSTANCE GetInstance() { return g_instance ? g_instance : ::GetModuleHandleA(nullptr); }
const char* GetApplicationName() { return g_applicationName; }
HICON GetApplicationIcon(bool small) { return small ? g_smallIcon : g_icon; }
UINT GetTaskbarCreatedMessage() { return RegisteredMessage(g_taskbarCreated, "TaskbarCreated"); }
UINT GetInternalMessage() { return RegisteredMessage(g_internalMessage, "WFC-InternalMessage"); }

ATOM RegisterWindowClass(const char* name, UINT style, HICON icon, HCURSOR cursor,
                         HBRUSH background, const char* menu) {
    return RegisterClassWithIcons(name, style, icon, nullptr, cursor, background, menu);
}

// --- message boxes -------------------------------------------------------------------

void SetMessageBoxFunction(MessageBoxFunction function) { g_messageBox = function; }

int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT style) {
    if (MessageBoxFunction function = g_messageBox.load())
        return function(owner, text, caption, style);
    NoteMessageBoxThread(::GetCurrentThreadId());
    return ::MessageBoxA(owner, text, caption, style);
}

void NoteMessageBoxThread(DWORD threadId) { g_messageBoxThread = threadId; }
DWORD GetMessageBoxThread() { return g_messageBoxThread; }

// --- message loops ---------------------------------------------------------------------

bool PumpMessage(WPARAM* quitCode) {
    MSG msg = {};
    BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
    if (got == -1) {
        KILNLOG.Log(LOG_ERROR, "PumpMessage - GetMessage失敗 ERR:0x%08X",
                    static_cast<unsigned>(::GetLastError()));
        return false;
    }
    if (!got) {
        if (quitCode) *quitCode = msg.wParam;
        return false;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
    return true;
}

ModalEnd RunModal(HWND window, HWND owner, const bool& done) {
    const bool ownerVisible = owner && ::IsWindowVisible(owner);
    if (owner && ::GetActiveWindow() == owner) ::SetActiveWindow(window);
    const bool ownerEnabled = owner && ::IsWindowEnabled(owner);
    if (ownerEnabled) ::EnableWindow(owner, FALSE);

    ModalEnd end = ModalEnd::Done;
    while (!done) {
        if (!::IsWindow(window)) {
            end = ModalEnd::WindowGone;
            break;
        }
        if (ownerVisible && !::IsWindowVisible(owner)) {
            end = ModalEnd::OwnerHidden;
            break;
        }
        if (!PumpMessage()) {
            ::PostQuitMessage(0);  // the outer loop must end as well
            end = ModalEnd::Quit;
            break;
        }
    }

    if (owner && ::IsWindow(owner)) {
        if (ownerEnabled) ::EnableWindow(owner, TRUE);
        if (::IsWindow(window) && ::GetActiveWindow() == window) ::SetActiveWindow(owner);
    }
    return end;
}

// --- placement -------------------------------------------------------------------------

RECT KeepInsideArea(const RECT& rect, const RECT& area) {
    RECT r = rect;
    auto shift = [&r](LONG dx, LONG dy) { ::OffsetRect(&r, dx, dy); };
    if (r.right > area.right) shift(area.right - r.right, 0);
    if (r.bottom > area.bottom) shift(0, area.bottom - r.bottom);
    if (r.left < area.left) shift(area.left - r.left, 0);
    if (r.top < area.top) shift(0, area.top - r.top);
    return r;
}

void CenterWindow(HWND window, HWND over) {
    RECT rect = {};
    RECT base = {};
    if (!::GetWindowRect(window, &rect)) return;
    if (!over || !::GetWindowRect(over, &base)) ::GetWindowRect(::GetDesktopWindow(), &base);
    const LONG width = rect.right - rect.left;
    const LONG height = rect.bottom - rect.top;
    RECT centred = {};
    centred.left = base.left + (base.right - base.left - width) / 2;
    centred.top = base.top + (base.bottom - base.top - height) / 2;
    centred.right = centred.left + width;
    centred.bottom = centred.top + height;
    RECT area = {};
    if (::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0))
        centred = KeepInsideArea(centred, area);
    ::SetWindowPos(window, nullptr, centred.left, centred.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {
struct MonitorScan {
    std::vector<RECT> areas;
    std::vector<RECT> monitors;
};
BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM param) {
    auto* scan = reinterpret_cast<MonitorScan*>(param);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (::GetMonitorInfoA(monitor, &info)) {
        scan->areas.push_back(info.rcWork);
        scan->monitors.push_back(info.rcMonitor);
    }
    return TRUE;
}
MonitorScan ScanMonitors() {
    MonitorScan scan;
    ::EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&scan));
    return scan;
}
}  // namespace

std::vector<RECT> GetMonitorWorkAreas() { return ScanMonitors().areas; }

bool GetMonitorWorkArea(POINT pt, RECT* area) {
    MonitorScan scan = ScanMonitors();
    for (size_t i = 0; i < scan.monitors.size(); ++i) {
        if (::PtInRect(&scan.monitors[i], pt)) {
            if (area) *area = scan.areas[i];
            return true;
        }
    }
    return false;
}

}  // namespace wfc
}  // namespace lib
