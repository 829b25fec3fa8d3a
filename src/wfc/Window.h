#pragma once
// CWindow: a window object bound to its handle, with every message routed to
// a virtual handler; CRegionWindow adds the window region.
//
// Routing: WindowProc (virtual) unpacks the message and calls its handler.
// A handler that is not overridden does nothing but mark the message as not
// handled, and the message then goes to DefaultProc. Handlers returning bool
// report "handled"; false sends the message to DefaultProc too. An override
// that wants the default processing as well calls DefaultProc() itself.
//
// Dispatch keeps a per-thread record: the current message (restored after a
// nested SendMessage) and the objects whose deletion waits for the outermost
// dispatch to return (DeleteLater).

// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <string>

#include "wfc/Exception.h"
#include "wfc/Gdi.h"

namespace lib {
namespace wfc {

// The message being dispatched on this thread.
struct CurrentMessage {
    HWND window = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0;        // GetMessageTime
    DWORD position = 0;    // GetMessagePos
    bool handled = false;  // cleared by the handlers' base implementations
    LRESULT result = 0;    // what DefaultProc answered for it, once it ran
};

class CWindow : public CWindowPolicy {
public:
    CWindow();
    virtual ~CWindow();
    CWindow(const CWindow&) = delete;
    CWindow& operator=(const CWindow&) = delete;

protected:
    // Library internal: binds the handle on WM_NCCREATE, WM_INITDIALOG or Attach.
    virtual void BindHandle(HWND window);

public:
    // The router; override to see every message, then call CWindow::WindowProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    virtual bool OnCreate(CREATESTRUCTA* cs);
    virtual void OnDestroy();
    virtual void OnMove(int x, int y);
    virtual void OnSize(UINT type, int cx, int cy);
    virtual void OnActivate(UINT state, HWND other);
    virtual void OnDevModeChange(const char* device);
    virtual void OnSetFocus(HWND previous);
    virtual void OnKillFocus(HWND next);
    virtual void OnEnable(bool enabled);
    virtual void OnPaint();
    virtual void OnClose();
    virtual bool OnQueryEndSession();
    virtual bool OnQueryOpen();
    virtual void OnEndSession(bool ending, UINT flags);
    virtual bool OnEraseBkgnd(HDC dc);  // true: erased (answers 1)
    virtual void OnShowWindow(bool shown, UINT status);
    virtual void OnSettingChange(UINT flag, const char* section);
    virtual void OnActivateApp(bool active, DWORD threadId);
    virtual bool OnSetCursor(HWND window, UINT hitTest, UINT mouseMessage);  // true answers TRUE
    virtual void OnDrawItem(UINT id, DRAWITEMSTRUCT* item);
    virtual void OnMeasureItem(UINT id, MEASUREITEMSTRUCT* item);
    virtual void OnMouseMove(UINT flags, int x, int y);
    virtual void OnLButtonDown(UINT flags, int x, int y);
    virtual void OnLButtonUp(UINT flags, int x, int y);
    virtual void OnLButtonDblClk(UINT flags, int x, int y);
    virtual void OnRButtonDown(UINT flags, int x, int y);
    virtual void OnRButtonUp(UINT flags, int x, int y);
    virtual void OnRButtonDblClk(UINT flags, int x, int y);
    // Screen coordinates, as the message gives them. The base collects the
    // delta and calls OnWheelNotch for every whole notch.
    virtual void OnMouseWheel(UINT keys, int delta, int x, int y);
    virtual void OnMouseHover(UINT flags, int x, int y);
    virtual void OnMouseLeave();
    virtual void OnCaptureChanged(HWND newCapture);
    virtual void OnParentNotify(UINT event, WPARAM wParam, LPARAM lParam);
    virtual bool OnSizing(UINT edge, RECT* rect);  // true answers TRUE
    virtual void OnMoving(UINT edge, RECT* rect);
    // true: handled, `result` is the answer.
    virtual bool OnNotify(int id, NMHDR* header, LRESULT& result);
    virtual void OnDisplayChange(UINT depth, int cx, int cy);
    virtual bool OnNcCreate(CREATESTRUCTA* cs);  // true answers TRUE without the default
    virtual void OnNcDestroy();
    virtual void OnNcCalcSize(bool validRects, NCCALCSIZE_PARAMS* params);
    virtual LRESULT OnNcHitTest(int x, int y);  // screen coordinates; base: default answer
    virtual void OnNcPaint(HRGN region);
    virtual LRESULT OnNcActivate(bool active);  // base: default answer
    virtual void OnNcMouseMove(UINT hitTest, int x, int y);
    virtual void OnNcLButtonDown(UINT hitTest, int x, int y);
    virtual void OnNcLButtonUp(UINT hitTest, int x, int y);
    virtual void OnNcLButtonDblClk(UINT hitTest, int x, int y);
    virtual void OnNcRButtonDown(UINT hitTest, int x, int y);
    virtual void OnNcRButtonUp(UINT hitTest, int x, int y);
    virtual void OnNcRButtonDblClk(UINT hitTest, int x, int y);
    virtual void OnNcMButtonDown(UINT hitTest, int x, int y);
    virtual void OnNcMButtonUp(UINT hitTest, int x, int y);
    virtual void OnNcMButtonDblClk(UINT hitTest, int x, int y);
    virtual void OnKeyDown(UINT key, UINT flags);
    virtual void OnKeyUp(UINT key, UINT flags);
    virtual void OnChar(UINT character, UINT flags);
    virtual void OnUniChar(UINT character, UINT repeat, UINT flags);  // repeat is always 0
    virtual void OnSysKeyDown(UINT key, UINT flags);
    virtual void OnSysKeyUp(UINT key, UINT flags);
    virtual bool OnInitDialog(HWND focus, LPARAM param);
    virtual void OnCommand(UINT id, UINT code, HWND control);
    virtual void OnSysCommand(UINT command, LPARAM lParam);
    virtual void OnTimer(UINT_PTR id);
    virtual void OnHScroll(UINT code, UINT position, HWND control);
    virtual void OnVScroll(UINT code, UINT position, HWND control);
    virtual LRESULT OnPowerBroadcast(WPARAM event, LPARAM data);  // base: default answer
    virtual void OnEnterSizeMove();
    virtual void OnExitSizeMove();
    virtual void OnDropFiles(HDROP drop);
    virtual void OnGetMinMaxInfo(MINMAXINFO* info);
    virtual void OnTaskbarCreated();
    // notches > 0 away from the user; x, y in screen coordinates.
    virtual void OnWheelNotch(int notches, UINT keys, int x, int y);
    // Default processing of the current message: the saved procedure of a
    // subclassed window, 0 for a dialog procedure, else DefWindowProc.
    virtual LRESULT DefaultProc();

protected:
    // Library internal: runs after WM_NCDESTROY, when the handle is unbound.
    virtual void OnFinalMessage();

public:
    // --- creation and binding ---------------------------------------------------------
    // CreateWindowEx with this object as the creation parameter; a null class
    // name means kDefaultWindowClass. Throws CWindowException on failure.
    HWND Create(DWORD exStyle, const char* className, const char* title, DWORD style,
                const RECT& rect, HWND parent, HMENU menu = nullptr);
    HWND Create(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                const RECT& rect, HWND parent, HMENU menu = nullptr);
    // Subclasses an existing window (EDIT, rich edit): keeps its procedure,
    // installs the library's and binds this object. Throws on failure.
    void Attach(HWND window);

    HWND GetHandle() const { return m_hwnd; }
    operator HWND() const { return m_hwnd; }
    // The bound object of a window of this thread, or null.
    static CWindow* FromHandle(HWND window);

    // The object deletes itself on WM_NCDESTROY.
    void SetSelfDelete(bool on) { m_selfDelete = on; }
    // DefaultProc answers 0 instead of calling DefWindowProc.
    void SetDialogProc(bool on) { m_dialogProc = on; }
    // Deletes the object when the outermost dispatch of this thread returns
    // (at once when nothing is being dispatched). Once only.
    void DeleteLater();

    // The message being dispatched on this thread (null outside dispatch).
    static const CurrentMessage* GetCurrentMessage();
    // Nesting depth of dispatch on this thread.
    static int GetDispatchDepth();
    // Marks the current message as handled or not (the base handlers clear it).
    static void SetMsgHandled(bool handled);
    // Calls the default processing for any message of this window.
    LRESULT CallDefault(UINT message, WPARAM wParam, LPARAM lParam);

    // --- thin wrappers -------------------------------------------------------------------
    BOOL DestroyWindow();
    RECT GetClientRect() const;
    RECT GetWindowRect() const;
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL ShowWindow(int command);
    BOOL UpdateWindow();
    BOOL MoveWindow(int x, int y, int width, int height, bool repaint = true);
    BOOL InvalidateRect(const RECT* rect = nullptr, bool erase = false);
    UINT_PTR SetTimer(UINT_PTR id, UINT period);
    BOOL KillTimer(UINT_PTR id);
    HWND GetParent() const;
    HWND GetTopLevel() const;  // GetParent up to the last ancestor
    POINT ClientToScreen(POINT pt) const;
    POINT ScreenToClient(POINT pt) const;
    BOOL EnableWindow(bool enable);
    BOOL SetWindowTextA(const char* text);
    BOOL SetWindowTextW(const wchar_t* text);
    std::string GetWindowTextA() const;
    std::wstring GetWindowTextW() const;
    void CenterWindow(HWND over = nullptr);

private:
    friend LRESULT CALLBACK LibraryWindowProc(HWND, UINT, WPARAM, LPARAM);
    friend struct Dispatcher;
    LRESULT Route(UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hwnd = nullptr;
    bool m_dialogProc = false;
    bool m_selfDelete = false;
    bool m_deleteQueued = false;
    WNDPROC m_previousProc = nullptr;
    int m_wheelDelta = 0;
};

// The library's window procedure (registered classes and Attach).
LRESULT CALLBACK LibraryWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

class CRegionWindow : public CWindow {
public:
    // Applies the region with SetWindowRgn (redraw on) and invalidates the
    // window; the window owns the region from then on. A null region removes
    // the shape. Throws CWindowException when the window refuses it.
    void SetRegion(CRgn region);
};

}  // namespace wfc
}  // namespace lib
