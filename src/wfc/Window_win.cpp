// CWindow: binding of handle and object, dispatch with the per-thread
// record, the message router and the thin wrappers.
#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <exception>

#include "common/KilnLog.h"
#include "wfc/Library.h"
#include "wfc/ThreadRecord.h"
#include "wfc/Window.h"

namespace lib {
namespace wfc {

namespace {

CWindow* BoundObject(HWND window) {
    return reinterpret_cast<CWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
}

// One level of dispatch: the current message is saved over the previous one
// and put back afterwards; leaving the outermost level deletes the deferred
// objects.
class CDispatchFrame {
public:
    CDispatchFrame(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
        : m_record(GetThreadRecord(true)), m_saved(m_record->current) {
        ++m_record->depth;
        CurrentMessage& current = m_record->current;
        current.window = window;
        current.message = message;
        current.wParam = wParam;
        current.lParam = lParam;
        current.time = static_cast<DWORD>(::GetMessageTime());
        current.position = ::GetMessagePos();
        current.handled = true;
        current.result = 0;
    }
    ~CDispatchFrame() {
        m_record->current = m_saved;
        if (--m_record->depth > 0) return;
        while (!m_record->deferred.empty()) {
            std::vector<CWindow*> doomed;
            doomed.swap(m_record->deferred);
            for (CWindow* window : doomed) delete window;
        }
    }
    CDispatchFrame(const CDispatchFrame&) = delete;
    CDispatchFrame& operator=(const CDispatchFrame&) = delete;

private:
    ThreadRecord* m_record;
    CurrentMessage m_saved;
};

}  // namespace

struct Dispatcher {
    static LRESULT Dispatch(CWindow* self, HWND window, UINT message, WPARAM wParam,
                            LPARAM lParam) {
        CDispatchFrame frame(window, message, wParam, lParam);
        LRESULT result = 0;
        try {
            result = self->WindowProc(message, wParam, lParam);
        } catch (const std::exception& e) {
            // Nothing may leave a window procedure: a failing creation fails.
            KILNLOG.Log(LOG_ERROR, "CWindow::WindowProc - 例外 0x%04X %s", message, e.what());
            if (message == WM_CREATE) result = -1;
            if (message == WM_NCCREATE) result = FALSE;
        }
        if (message == WM_NCDESTROY && self->m_hwnd == window) {
            if (self->m_previousProc) {
                if (::IsWindowUnicode(window))
                    ::SetWindowLongPtrW(window, GWLP_WNDPROC,
                                        reinterpret_cast<LONG_PTR>(self->m_previousProc));
                else
                    ::SetWindowLongPtrA(window, GWLP_WNDPROC,
                                        reinterpret_cast<LONG_PTR>(self->m_previousProc));
                self->m_previousProc = nullptr;
            }
            ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            self->m_hwnd = nullptr;
            self->OnFinalMessage();
        }
        return result;
    }
};

LRESULT CALLBACK LibraryWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CWindow* self = BoundObject(window);
    if (!self && message == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        self = static_cast<CWindow*>(cs->lpCreateParams);
        if (self) ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else if (!self && message == WM_INITDIALOG) {
        self = reinterpret_cast<CWindow*>(lParam);
        if (self) ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self) {
        return ::IsWindowUnicode(window) ? ::DefWindowProcW(window, message, wParam, lParam)
                                         : ::DefWindowProcA(window, message, wParam, lParam);
    }
    if (!self->m_hwnd) self->BindHandle(window);
    return Dispatcher::Dispatch(self, window, message, wParam, lParam);
}

// --- object life -----------------------------------------------------------------------

CWindow::CWindow() = default;

CWindow::~CWindow() {
    if (ThreadRecord* record = GetThreadRecord(false)) {
        auto& list = record->deferred;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
    if (m_hwnd && ::IsWindow(m_hwnd)) {
        // Unbind first: the window must not reach a half-destroyed object.
        HWND window = m_hwnd;
        m_hwnd = nullptr;
        if (m_previousProc) {
            if (::IsWindowUnicode(window))
                ::SetWindowLongPtrW(window, GWLP_WNDPROC,
                                    reinterpret_cast<LONG_PTR>(m_previousProc));
            else
                ::SetWindowLongPtrA(window, GWLP_WNDPROC,
                                    reinterpret_cast<LONG_PTR>(m_previousProc));
        }
        ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        if (!m_previousProc) ::DestroyWindow(window);
    }
}

void CWindow::BindHandle(HWND window) { m_hwnd = window; }

void CWindow::OnFinalMessage() {
    if (m_selfDelete) DeleteLater();
}

void CWindow::DeleteLater() {
    if (m_deleteQueued) return;
    ThreadRecord* record = GetThreadRecord(true);
    if (record->depth == 0) {
        delete this;
        return;
    }
    m_deleteQueued = true;
    record->deferred.push_back(this);
}

HWND CWindow::Create(DWORD exStyle, const char* className, const char* title, DWORD style,
                     const RECT& rect, HWND parent, HMENU menu) {
    HWND window =
        ::CreateWindowExA(exStyle, className ? className : kDefaultWindowClass, title ? title : "",
                          style, rect.left, rect.top, rect.right - rect.left,
                          rect.bottom - rect.top, parent, menu, GetInstance(), this);
    if (!window) Throw("CWindow::Create - ウィンドウ作成失敗", ::GetLastError());
    return window;
}

HWND CWindow::Create(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                     const RECT& rect, HWND parent, HMENU menu) {
    HWND window =
        ::CreateWindowExW(exStyle, className ? className : L"WFC-DefaultWindowClass",
                          title ? title : L"", style, rect.left, rect.top, rect.right - rect.left,
                          rect.bottom - rect.top, parent, menu, GetInstance(), this);
    if (!window) Throw("CWindow::Create - ウィンドウ作成失敗", ::GetLastError());
    return window;
}

void CWindow::Attach(HWND window) {
    if (!::IsWindow(window)) Throw("CWindow::Attach - ウィンドウ無し", ERROR_INVALID_WINDOW_HANDLE);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    const LONG_PTR proc = reinterpret_cast<LONG_PTR>(&LibraryWindowProc);
    ::SetLastError(0);
    LONG_PTR previous = ::IsWindowUnicode(window) ? ::SetWindowLongPtrW(window, GWLP_WNDPROC, proc)
                                                  : ::SetWindowLongPtrA(window, GWLP_WNDPROC, proc);
    if (!previous && ::GetLastError()) {
        DWORD error = ::GetLastError();
        ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        Throw("CWindow::Attach - サブクラス化失敗", error);
    }
    m_previousProc = reinterpret_cast<WNDPROC>(previous);
    BindHandle(window);
}

CWindow* CWindow::FromHandle(HWND window) {
    if (!window || !::IsWindow(window)) return nullptr;
    DWORD pid = 0;
    if (::GetWindowThreadProcessId(window, &pid) != ::GetCurrentThreadId()) return nullptr;
    return BoundObject(window);
}

const CurrentMessage* CWindow::GetCurrentMessage() {
    ThreadRecord* record = GetThreadRecord(false);
    return record && record->depth > 0 ? &record->current : nullptr;
}

int CWindow::GetDispatchDepth() {
    ThreadRecord* record = GetThreadRecord(false);
    return record ? record->depth : 0;
}

void CWindow::SetMsgHandled(bool handled) {
    if (ThreadRecord* record = GetThreadRecord(false)) record->current.handled = handled;
}

LRESULT CWindow::CallDefault(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!m_hwnd) return 0;
    const bool unicode = ::IsWindowUnicode(m_hwnd);
    if (m_previousProc) {
        return unicode ? ::CallWindowProcW(m_previousProc, m_hwnd, message, wParam, lParam)
                       : ::CallWindowProcA(m_previousProc, m_hwnd, message, wParam, lParam);
    }
    if (m_dialogProc) return 0;
    return unicode ? ::DefWindowProcW(m_hwnd, message, wParam, lParam)
                   : ::DefWindowProcA(m_hwnd, message, wParam, lParam);
}

LRESULT CWindow::DefaultProc() {
    ThreadRecord* record = GetThreadRecord(false);
    if (!record || record->depth == 0) return 0;
    CurrentMessage& current = record->current;
    // Kept, so that a void handler that asked for the default answers with it.
    current.result = CallDefault(current.message, current.wParam, current.lParam);
    return current.result;
}

// --- routing ---------------------------------------------------------------------------

LRESULT CWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // Called outside dispatch (directly by a test or a derived class):
    // give the message its own level so the handlers see it as current.
    if (GetDispatchDepth() == 0 && m_hwnd) {
        CDispatchFrame frame(m_hwnd, message, wParam, lParam);
        return Route(message, wParam, lParam);
    }
    return Route(message, wParam, lParam);
}

LRESULT CWindow::Route(UINT message, WPARAM wParam, LPARAM lParam) {
    SetMsgHandled(true);
    if (ThreadRecord* record = GetThreadRecord(false)) record->current.result = 0;
    const int x = GET_X_LPARAM(lParam);
    const int y = GET_Y_LPARAM(lParam);
    const UINT flags = static_cast<UINT>(wParam);
    LRESULT result = 0;
    auto answer = [](bool yes) -> LRESULT { return yes ? TRUE : FALSE; };

    switch (message) {
        case WM_CREATE:
            if (!OnCreate(reinterpret_cast<CREATESTRUCTA*>(lParam))) return DefaultProc();
            return 0;
        case WM_DESTROY:
            OnDestroy();
            break;
        case WM_MOVE:
            OnMove(x, y);
            break;
        case WM_SIZE:
            OnSize(flags, LOWORD(lParam), HIWORD(lParam));
            break;
        case WM_ACTIVATE:
            OnActivate(LOWORD(wParam), reinterpret_cast<HWND>(lParam));
            break;
        case WM_DEVMODECHANGE:
            OnDevModeChange(reinterpret_cast<const char*>(lParam));
            break;
        case WM_SETFOCUS:
            OnSetFocus(reinterpret_cast<HWND>(wParam));
            break;
        case WM_KILLFOCUS:
            OnKillFocus(reinterpret_cast<HWND>(wParam));
            break;
        case WM_ENABLE:
            OnEnable(wParam != 0);
            break;
        case WM_PAINT:
            OnPaint();
            break;
        case WM_CLOSE:
            OnClose();
            break;
        case WM_QUERYENDSESSION:
            if (!OnQueryEndSession()) return DefaultProc();
            return TRUE;
        case WM_QUERYOPEN:
            if (!OnQueryOpen()) return DefaultProc();
            return TRUE;
        case WM_ENDSESSION:
            OnEndSession(wParam != 0, static_cast<UINT>(lParam));
            break;
        case WM_ERASEBKGND:
            if (!OnEraseBkgnd(reinterpret_cast<HDC>(wParam))) return DefaultProc();
            return 1;
        case WM_SHOWWINDOW:
            OnShowWindow(wParam != 0, static_cast<UINT>(lParam));
            break;
        case WM_SETTINGCHANGE:
            OnSettingChange(flags, reinterpret_cast<const char*>(lParam));
            break;
        case WM_ACTIVATEAPP:
            OnActivateApp(wParam != 0, static_cast<DWORD>(lParam));
            break;
        case WM_SETCURSOR:
            if (!OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam), HIWORD(lParam)))
                return DefaultProc();
            return TRUE;
        case WM_DRAWITEM:
            OnDrawItem(flags, reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
            if (GetCurrentMessage() && GetCurrentMessage()->handled) return TRUE;
            break;
        case WM_MEASUREITEM:
            OnMeasureItem(flags, reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
            if (GetCurrentMessage() && GetCurrentMessage()->handled) return TRUE;
            break;
        case WM_MOUSEMOVE:
            OnMouseMove(flags, x, y);
            break;
        case WM_LBUTTONDOWN:
            OnLButtonDown(flags, x, y);
            break;
        case WM_LBUTTONUP:
            OnLButtonUp(flags, x, y);
            break;
        case WM_LBUTTONDBLCLK:
            OnLButtonDblClk(flags, x, y);
            break;
        case WM_RBUTTONDOWN:
            OnRButtonDown(flags, x, y);
            break;
        case WM_RBUTTONUP:
            OnRButtonUp(flags, x, y);
            break;
        case WM_RBUTTONDBLCLK:
            OnRButtonDblClk(flags, x, y);
            break;
        case WM_MOUSEWHEEL:
            OnMouseWheel(GET_KEYSTATE_WPARAM(wParam), GET_WHEEL_DELTA_WPARAM(wParam), x, y);
            break;
        case WM_MOUSEHOVER:
            OnMouseHover(flags, x, y);
            break;
        case WM_MOUSELEAVE:
            OnMouseLeave();
            break;
        case WM_CAPTURECHANGED:
            OnCaptureChanged(reinterpret_cast<HWND>(lParam));
            break;
        case WM_PARENTNOTIFY:
            OnParentNotify(LOWORD(wParam), wParam, lParam);
            break;
        case WM_SIZING:
            if (!OnSizing(flags, reinterpret_cast<RECT*>(lParam))) return DefaultProc();
            return TRUE;
        case WM_MOVING:
            OnMoving(flags, reinterpret_cast<RECT*>(lParam));
            break;
        case WM_NOTIFY:
            if (!OnNotify(static_cast<int>(wParam), reinterpret_cast<NMHDR*>(lParam), result))
                return DefaultProc();
            return result;
        case WM_DISPLAYCHANGE:
            OnDisplayChange(flags, LOWORD(lParam), HIWORD(lParam));
            break;
        case WM_NCCREATE:
            if (!OnNcCreate(reinterpret_cast<CREATESTRUCTA*>(lParam))) return DefaultProc();
            return TRUE;
        case WM_NCDESTROY:
            OnNcDestroy();
            break;
        case WM_NCCALCSIZE:
            OnNcCalcSize(wParam != 0, reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam));
            break;
        case WM_NCHITTEST:
            return OnNcHitTest(x, y);
        case WM_NCPAINT:
            OnNcPaint(reinterpret_cast<HRGN>(wParam));
            break;
        case WM_NCACTIVATE:
            return OnNcActivate(wParam != 0);
        case WM_NCMOUSEMOVE:
            OnNcMouseMove(flags, x, y);
            break;
        case WM_NCLBUTTONDOWN:
            OnNcLButtonDown(flags, x, y);
            break;
        case WM_NCLBUTTONUP:
            OnNcLButtonUp(flags, x, y);
            break;
        case WM_NCLBUTTONDBLCLK:
            OnNcLButtonDblClk(flags, x, y);
            break;
        case WM_NCRBUTTONDOWN:
            OnNcRButtonDown(flags, x, y);
            break;
        case WM_NCRBUTTONUP:
            OnNcRButtonUp(flags, x, y);
            break;
        case WM_NCRBUTTONDBLCLK:
            OnNcRButtonDblClk(flags, x, y);
            break;
        case WM_NCMBUTTONDOWN:
            OnNcMButtonDown(flags, x, y);
            break;
        case WM_NCMBUTTONUP:
            OnNcMButtonUp(flags, x, y);
            break;
        case WM_NCMBUTTONDBLCLK:
            OnNcMButtonDblClk(flags, x, y);
            break;
        case WM_KEYDOWN:
            OnKeyDown(flags, static_cast<UINT>(lParam));
            break;
        case WM_KEYUP:
            OnKeyUp(flags, static_cast<UINT>(lParam));
            break;
        case WM_CHAR:
            OnChar(flags, static_cast<UINT>(lParam));
            break;
        case WM_UNICHAR:
            OnUniChar(flags, 0, static_cast<UINT>(lParam));
            break;
        case WM_SYSKEYDOWN:
            OnSysKeyDown(flags, static_cast<UINT>(lParam));
            break;
        case WM_SYSKEYUP:
            OnSysKeyUp(flags, static_cast<UINT>(lParam));
            break;
        case WM_INITDIALOG:
            return answer(OnInitDialog(reinterpret_cast<HWND>(wParam), lParam));
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            break;
        case WM_SYSCOMMAND:
            OnSysCommand(flags, lParam);
            break;
        case WM_TIMER:
            OnTimer(static_cast<UINT_PTR>(wParam));
            break;
        case WM_HSCROLL:
            OnHScroll(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            break;
        case WM_VSCROLL:
            OnVScroll(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            break;
        case WM_POWERBROADCAST:
            return OnPowerBroadcast(wParam, lParam);
        case WM_ENTERSIZEMOVE:
            OnEnterSizeMove();
            break;
        case WM_EXITSIZEMOVE:
            OnExitSizeMove();
            break;
        case WM_DROPFILES:
            OnDropFiles(reinterpret_cast<HDROP>(wParam));
            break;
        case WM_GETMINMAXINFO:
            OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
            break;
        default:
            if (message == GetTaskbarCreatedMessage()) {
                OnTaskbarCreated();
                break;
            }
            return DefaultProc();
    }
    const CurrentMessage* current = GetCurrentMessage();
    if (!current) return 0;
    if (!current->handled) return DefaultProc();
    return current->result;
}

// --- base handlers: nothing of their own, so the default processing runs --------------

#define WFC_UNHANDLED SetMsgHandled(false)
bool CWindow::OnCreate(CREATESTRUCTA*) { return false; }
void CWindow::OnDestroy() { WFC_UNHANDLED; }
void CWindow::OnMove(int, int) { WFC_UNHANDLED; }
void CWindow::OnSize(UINT, int, int) { WFC_UNHANDLED; }
void CWindow::OnActivate(UINT, HWND) { WFC_UNHANDLED; }
void CWindow::OnDevModeChange(const char*) { WFC_UNHANDLED; }
void CWindow::OnSetFocus(HWND) { WFC_UNHANDLED; }
void CWindow::OnKillFocus(HWND) { WFC_UNHANDLED; }
void CWindow::OnEnable(bool) { WFC_UNHANDLED; }
void CWindow::OnPaint() { WFC_UNHANDLED; }
void CWindow::OnClose() { WFC_UNHANDLED; }
bool CWindow::OnQueryEndSession() { return false; }
bool CWindow::OnQueryOpen() { return false; }
void CWindow::OnEndSession(bool, UINT) { WFC_UNHANDLED; }
bool CWindow::OnEraseBkgnd(HDC) { return false; }
void CWindow::OnShowWindow(bool, UINT) { WFC_UNHANDLED; }
void CWindow::OnSettingChange(UINT, const char*) { WFC_UNHANDLED; }
void CWindow::OnActivateApp(bool, DWORD) { WFC_UNHANDLED; }
bool CWindow::OnSetCursor(HWND, UINT, UINT) { return false; }
void CWindow::OnDrawItem(UINT, DRAWITEMSTRUCT*) { WFC_UNHANDLED; }
void CWindow::OnMeasureItem(UINT, MEASUREITEMSTRUCT*) { WFC_UNHANDLED; }
void CWindow::OnMouseMove(UINT, int, int) { WFC_UNHANDLED; }
void CWindow::OnLButtonDown(UINT, int, int) { WFC_UNHANDLED; }
void CWindow::OnLButtonUp(UINT, int, int) { WFC_UNHANDLED; }
void CWindow::OnLButtonDblClk(UINT, int, int) { WFC_UNHANDLED; }
void CWindow::OnRButtonDown(UINT, int, int) { WFC_UNHANDLED; }
void CWindow::OnRButtonUp(UINT, int, int) { WFC_UNHANDLED; }
void CWindow::OnRButtonDblClk(UINT, int, int) { WFC_UNHANDLED; }
void CWindow::OnMouseWheel(UINT keys, int delta, int x, int y) {
    m_wheelDelta += delta;
    const int notches = m_wheelDelta / WHEEL_DELTA;
    m_wheelDelta -= notches * WHEEL_DELTA;
    if (notches) OnWheelNotch(notches, keys, x, y);
}
void CWindow::OnMouseHover(UINT, int, int) { WFC_UNHANDLED; }
void CWindow::OnMouseLeave() { WFC_UNHANDLED; }
void CWindow::OnCaptureChanged(HWND) { WFC_UNHANDLED; }
void CWindow::OnParentNotify(UINT, WPARAM, LPARAM) { WFC_UNHANDLED; }
bool CWindow::OnSizing(UINT, RECT*) { return false; }
void CWindow::OnMoving(UINT, RECT*) { WFC_UNHANDLED; }
bool CWindow::OnNotify(int, NMHDR*, LRESULT&) { return false; }
void CWindow::OnDisplayChange(UINT, int, int) { WFC_UNHANDLED; }
bool CWindow::OnNcCreate(CREATESTRUCTA*) { return false; }
void CWindow::OnNcDestroy() { WFC_UNHANDLED; }
void CWindow::OnNcCalcSize(bool, NCCALCSIZE_PARAMS*) { WFC_UNHANDLED; }
LRESULT CWindow::OnNcHitTest(int, int) { return DefaultProc(); }
void CWindow::OnNcPaint(HRGN) { WFC_UNHANDLED; }
LRESULT CWindow::OnNcActivate(bool) { return DefaultProc(); }
void CWindow::OnNcMouseMove(UINT, int, int) { WFC_UNHANDLED; }
void CWindow::OnNcLButtonDown(UINT, int, int) { WFC_UNHANDLED; }
void CWindow::OnNcLButtonUp(UINT, int, int) { WFC_UNHANDLED; }
void CWindow::OnNcLButtonDblClk(UINT, int, int) { WFC_UNHANDLED; }
void CWindow::OnNcRButtonDown(UINT, int, int) { WFC_UNHANDLED; }
void CWindow::OnNcRButtonUp(UINT, int, int) { WFC_UNHANDLED; }
void CWindow::OnNcRButtonDblClk(UINT, int, int) { WFC_UNHANDLED; }
void CWindow::OnNcMButtonDown(UINT, int, int) { WFC_UNHANDLED; }
void CWindow::OnNcMButtonUp(UINT, int, int) { WFC_UNHANDLED; }
void CWindow::OnNcMButtonDblClk(UINT, int, int) { WFC_UNHANDLED; }
void CWindow::OnKeyDown(UINT, UINT) { WFC_UNHANDLED; }
void CWindow::OnKeyUp(UINT, UINT) { WFC_UNHANDLED; }
void CWindow::OnChar(UINT, UINT) { WFC_UNHANDLED; }
void CWindow::OnUniChar(UINT, UINT, UINT) { WFC_UNHANDLED; }
void CWindow::OnSysKeyDown(UINT, UINT) { WFC_UNHANDLED; }
void CWindow::OnSysKeyUp(UINT, UINT) { WFC_UNHANDLED; }
bool CWindow::OnInitDialog(HWND, LPARAM) { return false; }
void CWindow::OnCommand(UINT, UINT, HWND) { WFC_UNHANDLED; }
void CWindow::OnSysCommand(UINT, LPARAM) { WFC_UNHANDLED; }
void CWindow::OnTimer(UINT_PTR) { WFC_UNHANDLED; }
void CWindow::OnHScroll(UINT, UINT, HWND) { WFC_UNHANDLED; }
void CWindow::OnVScroll(UINT, UINT, HWND) { WFC_UNHANDLED; }
LRESULT CWindow::OnPowerBroadcast(WPARAM, LPARAM) { return DefaultProc(); }
void CWindow::OnEnterSizeMove() { WFC_UNHANDLED; }
void CWindow::OnExitSizeMove() { WFC_UNHANDLED; }
void CWindow::OnDropFiles(HDROP) { WFC_UNHANDLED; }
void CWindow::OnGetMinMaxInfo(MINMAXINFO*) { WFC_UNHANDLED; }
void CWindow::OnTaskbarCreated() { WFC_UNHANDLED; }
void CWindow::OnWheelNotch(int, UINT, int, int) { WFC_UNHANDLED; }
#undef WFC_UNHANDLED

// --- thin wrappers -----------------------------------------------------------------------

BOOL CWindow::DestroyWindow() { return ::DestroyWindow(m_hwnd); }
RECT CWindow::GetClientRect() const {
    RECT r = {};
    ::GetClientRect(m_hwnd, &r);
    return r;
}
RECT CWindow::GetWindowRect() const {
    RECT r = {};
    ::GetWindowRect(m_hwnd, &r);
    return r;
}
LRESULT CWindow::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageA(m_hwnd, message, wParam, lParam);
}
BOOL CWindow::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageA(m_hwnd, message, wParam, lParam);
}
BOOL CWindow::ShowWindow(int command) { return ::ShowWindow(m_hwnd, command); }
BOOL CWindow::UpdateWindow() { return ::UpdateWindow(m_hwnd); }
BOOL CWindow::MoveWindow(int x, int y, int width, int height, bool repaint) {
    return ::MoveWindow(m_hwnd, x, y, width, height, repaint);
}
BOOL CWindow::InvalidateRect(const RECT* rect, bool erase) {
    return ::InvalidateRect(m_hwnd, rect, erase);
}
UINT_PTR CWindow::SetTimer(UINT_PTR id, UINT period) {
    return ::SetTimer(m_hwnd, id, period, nullptr);
}
BOOL CWindow::KillTimer(UINT_PTR id) { return ::KillTimer(m_hwnd, id); }
HWND CWindow::GetParent() const { return ::GetParent(m_hwnd); }
HWND CWindow::GetTopLevel() const {
    HWND top = m_hwnd;
    while (HWND parent = ::GetParent(top)) top = parent;
    return top;
}
POINT CWindow::ClientToScreen(POINT pt) const {
    ::ClientToScreen(m_hwnd, &pt);
    return pt;
}
POINT CWindow::ScreenToClient(POINT pt) const {
    ::ScreenToClient(m_hwnd, &pt);
    return pt;
}
BOOL CWindow::EnableWindow(bool enable) { return ::EnableWindow(m_hwnd, enable); }
BOOL CWindow::SetWindowTextA(const char* text) { return ::SetWindowTextA(m_hwnd, text); }
BOOL CWindow::SetWindowTextW(const wchar_t* text) { return ::SetWindowTextW(m_hwnd, text); }
std::string CWindow::GetWindowTextA() const {
    int length = ::GetWindowTextLengthA(m_hwnd);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int got = ::GetWindowTextA(m_hwnd, &text[0], length + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}
std::wstring CWindow::GetWindowTextW() const {
    int length = ::GetWindowTextLengthW(m_hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int got = ::GetWindowTextW(m_hwnd, &text[0], length + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}
void CWindow::CenterWindow(HWND over) { lib::wfc::CenterWindow(m_hwnd, over); }

}  // namespace wfc
}  // namespace lib
