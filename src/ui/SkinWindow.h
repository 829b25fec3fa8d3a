#pragma once
// CSkinWindow: the base of every skinned window. It loads its skin file, takes
// background, title, caption height and font from the base block, keeps its
// items in z-order, composes them into a back buffer and paints by one
// BitBlt of the update rectangle, and routes mouse, keyboard, focus, timer and
// tool-tip events to the items.
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ui/Skin.h"
#include "ui/SkinWindowItem.h"
#include "wfc/DIB.h"
#include "wfc/Window.h"

struct IUnknown;

namespace lib::wfc {
class CTooltipActivator;
}

namespace ui {

class CSkinAccessible;

// Keyboard-focus order of the items (the window's focus item walks it).
class CSkinWindowItemTabAccessor {
public:
    virtual ~CSkinWindowItemTabAccessor() = default;
    // The item the keyboard works on; null when none.
    virtual CSkinWindowItem* GetFocusItem() const = 0;
    // Gives the keyboard to an item that is shown and enabled and stops
    // the keyboard (null: to none); false when it cannot take it.
    virtual bool FocusItem(CSkinWindowItem* item) = 0;
    // Tab and Shift+Tab: the next item in the tab order (the skin's
    // TabOrder, else reading order); false when no item takes the focus.
    virtual bool MoveFocus(bool backward) = 0;
    // The focus mark shows once the keyboard has been used in the window.
    virtual bool IsFocusMarkShown() const = 0;
};

// The focus mark: a ring 2 px wide, 2 px inside the item; light on a face of
// the accent colour.
constexpr COLORREF kFocusMarkColor = RGB(0x1F, 0xB0, 0xC6);
constexpr COLORREF kFocusMarkOnAccent = RGB(0xF2, 0xF4, 0xF7);

// The tick the window hands its items every 33 ms: GetTickCount unless a
// test supplies its own clock.
using SkinTickSource = DWORD (*)();
DWORD SkinTickCount();
void SetSkinTickSource(SkinTickSource source);  // null: GetTickCount

// The registered message that asks a skin window to lay itself out again.
UINT GetSkinInternalMessage();
// Every skin window of the process (the registry).
std::vector<HWND> GetSkinWindows();

constexpr UINT_PTR kSkinTickTimer = 0xFFFFFFFF;
constexpr UINT kSkinTickPeriod = 33;
constexpr COLORREF kSkinKeyColor = RGB(255, 0, 255);

class CSkinWindow : public lib::wfc::CRegionWindow,
                    private ISkinWindowItemAccessor,
                    private CSkinWindowItemTabAccessor {
public:
    CSkinWindow();
    ~CSkinWindow() override;

    // Loads the skin file, gives every item the base block's font and applies
    // the base block. Skin errors are shown and thrown.
    void LoadSkin(const std::string& fileName, const std::string& baseItemName, bool shaped);
    // Creates the window with a client area the size of the background, at
    // x, y (screen) with the skin's title. Throws CWindowException on failure.
    HWND CreateSkinWindow(HWND parent, DWORD style, DWORD exStyle, int x, int y);

    // Takes ownership; items are drawn in the order added.
    template <class T, class... Args>
    T* AddItem(int id, Args&&... args) {
        auto item = std::make_unique<T>(static_cast<ISkinWindowItemAccessor&>(*this), id,
                                        std::forward<Args>(args)...);
        T* raw = item.get();
        m_items.push_back(std::move(item));
        return raw;
    }
    CSkinWindowItem* GetItemById(int id) { return FindItem(id); }
    const std::vector<std::unique_ptr<CSkinWindowItem>>& Items() const { return m_items; }

    const SkinData& Skin() const { return m_skin; }
    // The DPI the window draws at; its skin, pictures and fonts are mapped
    // to it from the skin file's 96-DPI pixels.
    int Dpi() const override { return m_dpi; }
    // A 96-DPI length or coordinate of the code at the window's scale.
    int Scale(int v) const;
    const std::string& Title() const { return m_title; }
    int CaptionHeight() const { return m_captionHeight; }
    HFONT Font() const { return m_font.Get(); }
    lib::wfc::CDIB* BackBuffer() { return m_backBuffer.Width() > 0 ? &m_backBuffer : nullptr; }
    // Counters for the benchmarks and tests: how many pixels the window
    // composed and how many paints it made.
    unsigned long long ComposedPixels() const { return m_composedPixels; }
    unsigned PaintCount() const { return m_paintCount; }
    // Composes the whole back buffer again (background and every item).
    void RedrawAll();
    // Composes one part of the back buffer again: the background there, then
    // every visible item that meets it, each clipped to it. Paints nothing.
    void Compose(const RECT& rect);
    HWND ToolTipWindow() const { return m_toolTip; }
    CSkinWindowItemTabAccessor& TabAccessor() { return *this; }
    // The items a screen reader sees, in the window's order (child 1 first).
    std::vector<CSkinWindowItem*> AccessibleItems() const;
    // What WM_GETOBJECT answers for the client area, referenced for the
    // caller, for a caller on this thread.
    IUnknown* AccessibleObject();

    // --- virtual operations added by the skin window -------------------------------------
    virtual const lib::wfc::CDIB* GetBackgroundSource(RECT& sourceRect);
    virtual SIZE GetMinimumWindowSize();
    virtual SIZE GetDefaultWindowSize();
    virtual SIZE GetLayoutSize();
    virtual RECT GetLayoutRect();
    virtual void OnCaptureEnd() {}
    virtual void ApplyBaseItem(const SkinItem& item);
    virtual void AdjustSize(int& width, int& height);
    virtual void DrawBackground(lib::wfc::CDIB& target, const lib::wfc::CDIB& source,
                                const RECT& sourceRect);
    virtual void Layout(UINT flags, int width, int height);
    virtual void OnItemNotify(int id, int flag);
    virtual bool FilterKey(UINT key, UINT flags);
    virtual void OnRelayout() {}
    // The window moved to a monitor of another DPI (or the scale changed):
    // the skin, pictures, fonts and items are at the new scale and the
    // window is at the suggested place; derived windows move what their
    // code placed.
    virtual void OnScaleChanged(int /*oldDpi*/) {}
    // Whether the keyboard is this window's: it has the focus. A window fed
    // keys by another (the menu, by the launcher) says so itself, so that a
    // screen reader reads its keyboard item as focused.
    virtual bool HoldsKeyboard() const { return ::GetFocus() == GetHandle(); }
    // The states (STATE_SYSTEM_*) the window adds to what its item says of
    // itself: a button that opens a sub-menu.
    virtual long AccessibleStateOf(const CSkinWindowItem& /*item*/) const { return 0; }

protected:
    // Creates the window at place (the skin's title; WS_VISIBLE shows it once
    // made). A picture that did not decode is shown and thrown as a skin error.
    HWND CreatePlaced(HWND parent, DWORD style, DWORD exStyle, const RECT& place);

    // --- the library's handlers -----------------------------------------------------------
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnCreate(CREATESTRUCTA* cs) override;
    void OnDestroy() override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnSetFocus(HWND previous) override;
    void OnKillFocus(HWND next) override;
    void OnPaint() override;
    bool OnEraseBkgnd(HDC dc) override;
    bool OnSetCursor(HWND window, UINT hitTest, UINT mouseMessage) override;
    void OnMouseMove(UINT flags, int x, int y) override;
    void OnLButtonDown(UINT flags, int x, int y) override;
    void OnLButtonUp(UINT flags, int x, int y) override;
    void OnLButtonDblClk(UINT flags, int x, int y) override;
    void OnRButtonDown(UINT flags, int x, int y) override;
    void OnRButtonUp(UINT flags, int x, int y) override;
    void OnRButtonDblClk(UINT flags, int x, int y) override;
    void OnMouseLeave() override;
    void OnCaptureChanged(HWND newCapture) override;
    bool OnNotify(int id, NMHDR* header, LRESULT& result) override;
    void OnDisplayChange(UINT depth, int cx, int cy) override;
    LRESULT OnNcHitTest(int x, int y) override;
    void OnNcMouseMove(UINT hitTest, int x, int y) override;
    void OnKeyDown(UINT key, UINT flags) override;
    void OnCommand(UINT id, UINT code, HWND control) override;
    void OnTimer(UINT_PTR id) override;

    // --- the item accessor ------------------------------------------------------------------
    bool IsReady() const override;
    CSkinWindowItem* FindItem(int id) override;
    const lib::wfc::CDIB& GetImageCache(const std::string& fileName) override;
    void RequireImage(const std::string& fileName) override;
    lib::wfc::CDIB* GetBackBuffer() override { return BackBuffer(); }
    void RedrawRect(int left, int top, int right, int bottom, bool update) override;
    bool OnItemEvent(int id, int code, intptr_t param) override;
    void NotifyOn(int id) override { OnItemNotify(id, 1); }
    void NotifyOff(int id) override { OnItemNotify(id, 0); }
    void ForwardKey(UINT key, UINT flags) override;
    LRESULT SendToWindow(UINT message, WPARAM wParam, LPARAM lParam) override;
    CSkinWindowItem* GetCaptureItem() override { return m_captureItem; }
    HWND HasWindow() const override { return GetHandle(); }
    void UpdateToolTip(CSkinWindowItem* item) override;
    void LockRedraw(bool lock) override;
    RECT GetRedrawClip() const override { return m_redrawClip; }
    void OnItemChanged(CSkinWindowItem* item, SkinItemChange change) override;
    void OnItemPartFocused(CSkinWindowItem* item, int part) override;

    // --- the tab-order interface --------------------------------------------------------
    CSkinWindowItem* GetFocusItem() const override { return m_focusItem; }
    bool FocusItem(CSkinWindowItem* item) override;
    bool MoveFocus(bool backward) override;
    bool IsFocusMarkShown() const override { return m_focusMarkShown; }
    // Tab, and Space or Enter on a focused button; true when taken.
    virtual bool OnFocusKey(UINT key);
    // Shows the focus mark from now on, as Windows does once the keyboard
    // is used (WM_CHANGEUISTATE to the top-level window).
    void ShowFocusMark();

    ISkinWindowItemAccessor& ItemAccessor() { return *this; }
    CSkinWindowItem* HitTest(int x, int y) const;
    // Ends the capture: a normal release or a capture lost.
    void EndCapture(bool lost);

private:
    void StartDecoding();
    void FinishDecoding();
    std::string FindUndecoded();
    void SetFocusItem(CSkinWindowItem* item);
    bool FindItemPointer(const CSkinWindowItem* item) const;
    void ApplyShape();
    void RefreshToolRects();
    void CreateToolTip();
    void ButtonDown(bool left, bool doubleClick, int x, int y);
    void ButtonUp(bool left, int x, int y);
    void ChangeScale(int dpi, const RECT& suggested);
    // Keyboard and screen readers (SkinFocus_win.cpp).
    bool OnAccessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void DrawFocusMark();
    void RedrawFocusMark(CSkinWindowItem* item);
    void SetFocusMarkShown(bool shown);
    void CheckFocusItem();
    CSkinWindowItem* KeyboardItem() const;
    LONG ChildIdOf(const CSkinWindowItem* item) const;

    SkinData m_skin;
    std::string m_skinFile;  // read again at a change of scale
    int m_dpi = 96;
    std::string m_baseName;
    bool m_shaped = false;
    bool m_creating = false;  // inside WM_CREATE
    std::string m_backgroundFile;
    RECT m_backgroundRect = {};
    std::string m_title;
    int m_captionHeight = 0;
    LOGFONTA m_logFont = {};
    lib::wfc::CFont m_font;
    lib::wfc::CDIB m_backBuffer;
    std::map<std::string, std::unique_ptr<lib::wfc::CDIB>> m_images;
    // GDI+ stays started while the window has pictures: the sheets of a
    // window are decoded in one go.
    std::unique_ptr<lib::wfc::CGdiplusUser> m_gdiplus;
    // The skin's pictures, each decoded on a thread of its own while the
    // items are built and the system makes the window (FinishDecoding takes
    // them in; one that did not decode is left to GetImageCache).
    struct PendingImage {
        std::string name;
        std::string bytes;
        int sheetDpi = 96;  // the scale the bytes were drawn for
        std::unique_ptr<lib::wfc::CDIB> dib;
        std::unique_ptr<lib::wfc::CGdiplusUser> gdiplus;  // started on the worker
        std::thread worker;
    };
    std::vector<PendingImage> m_pending;
    std::vector<std::string> m_awaited;  // named by items while still decoding
    std::string m_undecoded;             // a picture that ended the window's creation
    bool m_toolTipTried = false;
    std::vector<std::unique_ptr<CSkinWindowItem>> m_items;
    CSkinWindowItem* m_hoverItem = nullptr;
    CSkinWindowItem* m_focusItem = nullptr;
    CSkinWindowItem* m_captureItem = nullptr;
    bool m_captureLeft = true;
    CSkinWindowItem* m_toolTipItem = nullptr;
    HWND m_toolTip = nullptr;
    std::unique_ptr<lib::wfc::CTooltipActivator> m_activator;
    std::vector<CSkinWindowItem*> m_tools;  // items with a registered tool
    bool m_redrawLocked = false;
    bool m_inButtonDown = false;
    RECT m_redrawClip = {};
    bool m_trackingLeave = false;
    unsigned long long m_composedPixels = 0;
    unsigned m_paintCount = 0;
    bool m_focusMarkShown = false;
    bool m_focusCheckPosted = false;
    CSkinAccessible* m_accessible = nullptr;  // made at a screen reader's first question
};

}  // namespace ui
