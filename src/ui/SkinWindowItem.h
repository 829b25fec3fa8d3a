#pragma once
// The base of every item of a skin window, and the accessor through which an
// item reaches its window. Items compose themselves on a bitmap of their own
// size that starts magenta (the key colour) and is key-copied onto the
// window's back buffer; points given to items are relative to their top-left
// corner.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/SkinAccessRules.h"
#include "ui/SkinData.h"

namespace lib::wfc {
class CDIB;
class CFont;
struct NineSlice;
}  // namespace lib::wfc

namespace ui {

class CSkinWindowItem;

// What changed of an item, for screen readers.
enum class SkinItemChange { kName, kState };

// A part of an item that a screen reader sees as the item's child (a row of
// a list).
struct SkinAccessPart {
    std::string name;
    RECT rect = {};  // in the client area, where it lies even when scrolled out
    bool shown = false;
    bool selected = false;
};

// Item notification codes (OnItemEvent).
enum SkinItemEvent : int {
    kItemClicked = 0,
    kItemPressedInside = 1,
    kItemPressedOutside = 2,
    kItemDoubleClick = 3,
    kItemPressEnded = 4,
    kItemPictureDown = 12,
    kItemMouseMove = 14,
    kItemMouseLeave = 15,
};

// Control codes of buttons.
enum SkinItemControl : int {
    kControlSetChecked = 100000001,
    kControlGetChecked = 100000002,
    kControlGetAutoToggle = 100000003,
    kControlBlink = 100000004,
    kControlIconMode = 100000005,
};

class ISkinWindowItemAccessor {
public:
    virtual ~ISkinWindowItemAccessor() = default;
    // The window has a handle and a back buffer.
    virtual bool IsReady() const = 0;
    virtual CSkinWindowItem* FindItem(int id) = 0;
    // The image of the skin's file ("Parts.png"), loaded on first use; a file
    // that cannot be read is a skin error.
    virtual const lib::wfc::CDIB& GetImageCache(const std::string& fileName) = 0;
    // An item's constructor names its pictures here: one that cannot be read
    // is a skin error now, while its decoding may still be under way.
    virtual void RequireImage(const std::string& fileName) = 0;
    virtual lib::wfc::CDIB* GetBackBuffer() = 0;
    // Composes that part of the back buffer again and, with update, has it
    // painted.
    virtual void RedrawRect(int left, int top, int right, int bottom, bool update) = 0;
    virtual bool OnItemEvent(int id, int code, intptr_t param) = 0;
    virtual void NotifyOn(int id) = 0;
    virtual void NotifyOff(int id) = 0;
    virtual void ForwardKey(UINT key, UINT flags) = 0;
    virtual LRESULT SendToWindow(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual CSkinWindowItem* GetCaptureItem() = 0;
    virtual HWND HasWindow() const = 0;
    virtual void UpdateToolTip(CSkinWindowItem* item) = 0;
    virtual void LockRedraw(bool lock) = 0;
    // The part of the back buffer being composed: items draw nothing outside.
    virtual RECT GetRedrawClip() const = 0;
    // The DPI the window draws at (96: the skin file's own pixels).
    virtual int Dpi() const = 0;
    // An item's name or state changed (screen readers are told).
    virtual void OnItemChanged(CSkinWindowItem*, SkinItemChange) {}
    // The keyboard moved to another part of an item (a list's row).
    virtual void OnItemPartFocused(CSkinWindowItem*, int /*part*/) {}
};

class CSkinWindowItem {
public:
    CSkinWindowItem(ISkinWindowItemAccessor& accessor, int id);
    virtual ~CSkinWindowItem();
    CSkinWindowItem(const CSkinWindowItem&) = delete;
    CSkinWindowItem& operator=(const CSkinWindowItem&) = delete;

    virtual bool IsEnabled() const { return m_enabled; }
    virtual std::string GetToolTipText() const { return std::string(); }
    virtual bool IsHitTarget() const { return true; }
    virtual intptr_t Control(int code, intptr_t value, intptr_t extra);
    virtual void OnMouseMove(int x, int y);
    // True asks the window to capture the mouse for this item.
    virtual bool OnLButtonDown(int x, int y);
    virtual bool OnLButtonDblClk(int x, int y) { return OnLButtonDown(x, y); }
    virtual void OnLButtonUp(int x, int y);
    virtual void OnLButtonCaptureLost(int x, int y) { OnLButtonUp(x, y); }
    virtual bool OnRButtonDown(int x, int y);
    virtual bool OnRButtonDblClk(int x, int y) { return OnRButtonDown(x, y); }
    virtual void OnRButtonUp(int x, int y);
    virtual void OnRButtonCaptureLost(int x, int y) { OnRButtonUp(x, y); }
    virtual void OnMouseLeave() {}
    virtual bool OnSetCursor(int x, int y);
    // Every 33 ms with the window's tick count.
    virtual void OnTick(DWORD tickCount);
    virtual void OnAttach(HWND window);
    virtual void OnSetFocus() {}
    virtual void OnKillFocus() {}
    virtual bool FilterMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Draws the item into the window's back buffer.
    virtual void Draw() {}
    virtual void SetRect(int left, int top, int right, int bottom);
    // Every item looks different enabled and disabled.
    virtual void OnEnableChanged() { Redraw(); }

    // --- keyboard and screen readers ---------------------------------------------------------
    virtual SkinRole AccessibleRole() const { return SkinRole::kNone; }
    // The text the item shows: its name before any other.
    virtual std::string GetLabel() const { return std::string(); }
    virtual std::string GetAccessibleName() const;
    // What a screen reader says after the name and role, where the name alone
    // is not enough (two buttons both called "消去"): the skin's
    // AccessibleDescription, empty when it gives none.
    const std::string& GetAccessibleDescription() const { return m_accessibleDescription; }
    // What a click does, for Space, Enter and a screen reader's default
    // action; false when the item cannot be pressed now.
    virtual bool Press() { return false; }
    virtual bool IsCheckedState() const { return false; }
    virtual bool IsPressedState() const { return false; }
    // The child control that takes the keyboard itself (an edit box's).
    virtual HWND GetFocusControl() const { return nullptr; }
    // A key pressed while the item has the keyboard (a list's arrows);
    // false leaves it to the window.
    virtual bool OnKey(UINT /*key*/) { return false; }
    // The parts a screen reader sees as the item's children, and the one
    // the keyboard is on (-1: none).
    virtual int AccessiblePartCount() const { return 0; }
    virtual SkinAccessPart AccessiblePart(int /*index*/) const { return SkinAccessPart(); }
    virtual int FocusPart() const { return -1; }
    // What the focus mark rings, in the client area: the item, or the part
    // the keyboard is on.
    virtual RECT FocusRect() const { return GetRect(); }

    int GetId() const { return m_id; }
    RECT GetRect() const { return RECT{m_x, m_y, m_x + m_width, m_y + m_height}; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    bool IsVisible() const { return m_visible; }
    void SetVisible(bool visible);
    void SetEnabled(bool enabled);
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }
    // Asks the window to compose and paint the item's rectangle again.
    void Redraw();
    // The picture of the item must be made again at the next compose.
    void MarkChanged() { m_dirty = true; }
    // An item drawn over the whole window (the frame overlay).
    bool CoversWindow() const { return m_coversWindow; }
    // The window's scale changed from oldDpi to its new one: the item's
    // place and everything it read from the skin follow (ConvertCoordinate),
    // and its picture is made again.
    virtual void OnScaleChanged(int oldDpi);
    // The skin's TabOrder, -1 without one.
    int GetTabOrder() const { return m_tabOrder; }
    // Replaces the skin's AccessibleName; a new name is announced.
    void SetAccessibleName(const std::string& name);

protected:
    ISkinWindowItemAccessor& Accessor() const { return m_accessor; }
    // A 96-DPI length of the code at the window's scale.
    int Scaled(int v) const;
    // A value read at oldDpi, at the window's scale now.
    int Converted(int v, int oldDpi) const;
    void Convert(RECT& rect, int oldDpi) const;
    void Convert(SIZE& size, int oldDpi) const;
    void Convert(POINT& point, int oldDpi) const;
    void Convert(lib::wfc::NineSlice& slice, int oldDpi) const;
    // The same font with its height at the window's scale.
    void Convert(lib::wfc::CFont& font, int oldDpi) const;
    bool Notify(int code, intptr_t param = 0) { return m_accessor.OnItemEvent(m_id, code, param); }
    // Position and Size of a block, with the optional TabOrder,
    // AccessibleName and AccessibleDescription every placed item may have.
    void ReadRect(const SkinItem& item);
    const std::string& SkinAccessibleName() const { return m_accessibleName; }
    void Announce(SkinItemChange change) { m_accessor.OnItemChanged(this, change); }
    // A new rectangle: the old one is given back; RedrawMoved then composes
    // the old place and the new one and moves the tool with the item.
    RECT SetPlace(int left, int top, int right, int bottom);
    void RedrawMoved(const RECT& old);

    // The item's own bitmap, m_width x m_height, filled with `fill`, when the
    // item has changed since it was last composed; null when the picture
    // made then still holds (EndCompose puts it on the back buffer again).
    lib::wfc::CDIB* BeginCompose(COLORREF fill = RGB(255, 0, 255));
    // Puts the item's picture onto the back buffer inside the part being
    // composed: its pixels that are not magenta, copied, or blended with an
    // alpha below 255. The runs of such pixels are found once per change.
    void EndCompose(int alpha = 255);
    // The same for a picture that is a coverage mask (white text on black):
    // color is laid on the back buffer by each pixel's coverage.
    void EndComposeCoverage(COLORREF color);
    // Key-copies a rectangle of a skin image into the item bitmap.
    void DrawImage(const std::string& file, int sx, int sy, int width, int height, int dx, int dy);

    int m_x = 0;
    int m_y = 0;
    int m_width = 0;
    int m_height = 0;
    bool m_visible = true;
    bool m_enabled = true;
    int m_tabOrder = -1;
    bool m_coversWindow = false;
    std::string m_accessibleName;
    std::string m_accessibleDescription;

private:
    struct Run {
        int y;
        int x0;
        int x1;  // exclusive
    };
    // Runs of pixels unlike `key` in the freshly composed bitmap.
    void FindRuns(COLORREF key);
    // The runs that meet the part being composed, in back-buffer terms.
    template <class Fn>
    void ForClippedRuns(Fn fn);

    ISkinWindowItemAccessor& m_accessor;
    int m_id;
    std::unique_ptr<lib::wfc::CDIB> m_canvas;
    std::vector<Run> m_runs;
    bool m_dirty = true;
    bool m_rendered = false;
};

}  // namespace ui
