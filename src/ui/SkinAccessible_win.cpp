#include <windows.h>
// oleacc.h needs the COM types of windows.h first.
#include <oleacc.h>

#include <algorithm>
#include <string>

#include "common/KilnLog.h"
#include "ui/SkinAccessible.h"
#include "ui/SkinWindow.h"
#include "ui/SkinWindowItemEditBox.h"

namespace ui {

namespace {

BSTR WideString(const std::string& text) {
    if (text.empty()) return nullptr;
    const int n =
        ::MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    BSTR out = ::SysAllocStringLen(nullptr, static_cast<UINT>(n));
    if (out) ::MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), out, n);
    return out;
}

LONG SystemRole(SkinRole role) {
    switch (role) {
        case SkinRole::kPushButton:
            return ROLE_SYSTEM_PUSHBUTTON;
        case SkinRole::kCheckBox:
            return ROLE_SYSTEM_CHECKBUTTON;
        case SkinRole::kEditText:
            return ROLE_SYSTEM_TEXT;
        case SkinRole::kStaticText:
            return ROLE_SYSTEM_STATICTEXT;
        case SkinRole::kProgressBar:
            return ROLE_SYSTEM_PROGRESSBAR;
        case SkinRole::kGraphic:
            return ROLE_SYSTEM_GRAPHIC;
        case SkinRole::kList:
            return ROLE_SYSTEM_LIST;
        default:
            return ROLE_SYSTEM_CLIENT;
    }
}

bool Pressable(SkinRole role) {
    return role == SkinRole::kPushButton || role == SkinRole::kCheckBox;
}

// The default action of buttons and check boxes.
const char kPressAction[] = "押す";

// IAccessible's IID from the header, never the import library's
// IID_IAccessible: the toolchain's oleacc library lists that data export as
// code, so the name stands for a jump stub, and COM was asked to marshal an
// interface nobody knows (LresultFromObject then answered E_NOINTERFACE).
const IID& kAccessibleIid = __uuidof(IAccessible);

}  // namespace

// What both objects share: COM's reference counting and the IDispatch and
// text members no screen reader needs of these objects.
class CAccessibleBase : public IAccessible {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kAccessibleIid) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++m_references); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG left = --m_references;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // --- IDispatch: names only through IAccessible ------------------------------------
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        return E_NOTIMPL;
    }

    STDMETHODIMP get_accDescription(VARIANT, BSTR* text) override { return NoText(text); }
    STDMETHODIMP get_accHelp(VARIANT, BSTR* text) override { return NoText(text); }
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
        if (file) *file = nullptr;
        if (topic) *topic = 0;
        return S_FALSE;
    }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT, BSTR* text) override { return NoText(text); }
    STDMETHODIMP put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

protected:
    virtual ~CAccessibleBase() = default;

    static HRESULT NoText(BSTR* text) {
        if (!text) return E_POINTER;
        *text = nullptr;
        return S_FALSE;
    }
    static HRESULT Location(HWND window, const RECT& r, long* left, long* top, long* width,
                            long* height) {
        if (!left || !top || !width || !height) return E_POINTER;
        POINT origin = {r.left, r.top};
        ::ClientToScreen(window, &origin);
        *left = origin.x;
        *top = origin.y;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
    }
    static HRESULT Int(VARIANT* out, long value) {
        if (!out) return E_POINTER;
        ::VariantInit(out);
        out->vt = VT_I4;
        out->lVal = value;
        return S_OK;
    }

private:
    LONG m_references = 1;
};

class CSkinAccessible : public CAccessibleBase {
public:
    // A new object for the list item, referenced for the caller.
    IDispatch* NewListAccessible(CSkinWindowItem* list);

    explicit CSkinAccessible(CSkinWindow& window) : m_window(&window) {}
    void Disconnect() { m_window = nullptr; }
    CSkinWindow* Window() const { return m_window; }

    // --- IAccessible ------------------------------------------------------------------
    STDMETHODIMP get_accParent(IDispatch** parent) override {
        if (!parent) return E_POINTER;
        *parent = nullptr;
        if (!m_window) return RPC_E_DISCONNECTED;
        return ::AccessibleObjectFromWindow(Handle(), static_cast<DWORD>(OBJID_WINDOW),
                                            IID_IDispatch, reinterpret_cast<void**>(parent));
    }
    STDMETHODIMP get_accChildCount(long* count) override {
        if (!count) return E_POINTER;
        if (!m_window) return RPC_E_DISCONNECTED;
        *count = static_cast<long>(m_window->AccessibleItems().size());
        return S_OK;
    }
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        CSkinWindowItem* item = nullptr;
        const HRESULT hr = Find(child, item);
        if (FAILED(hr)) return hr;
        if (!item) return E_INVALIDARG;
        // A list is an object of its own, whose children are its rows; the
        // other items are simple elements of this object.
        if (item->AccessibleRole() != SkinRole::kList) return S_FALSE;
        *out = NewListAccessible(item);
        return S_OK;
    }
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override {
        if (!name) return E_POINTER;
        *name = nullptr;
        CSkinWindowItem* item = nullptr;
        const HRESULT hr = Find(child, item);
        if (FAILED(hr)) return hr;
        if (!item) {
            char title[256] = {};
            ::GetWindowTextA(Handle(), title, sizeof title);
            *name = WideString(title);
        } else {
            *name = WideString(item->GetAccessibleName());
        }
        return *name ? S_OK : S_FALSE;
    }
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* text) override {
        if (!text) return E_POINTER;
        *text = nullptr;
        CSkinWindowItem* item = nullptr;
        const HRESULT hr = Find(child, item);
        if (FAILED(hr)) return hr;
        if (item && !item->GetAccessibleDescription().empty())
            *text = WideString(item->GetAccessibleDescription());
        return *text ? S_OK : S_FALSE;
    }
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override {
        if (!value) return E_POINTER;
        *value = nullptr;
        CSkinWindowItem* item = nullptr;
        const HRESULT hr = Find(child, item);
        if (FAILED(hr)) return hr;
        if (!item) return S_FALSE;
        if (auto* edit = dynamic_cast<CSkinWindowItemEditBox*>(item)) {
            // A password is not read out.
            if (edit->GetStyle() & ES_PASSWORD) return S_FALSE;
            *value = WideString(edit->GetTextA());
        }
        return *value ? S_OK : S_FALSE;
    }
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override {
        if (!role) return E_POINTER;
        ::VariantInit(role);
        CSkinWindowItem* item = nullptr;
        const HRESULT hr = Find(child, item);
        if (FAILED(hr)) return hr;
        role->vt = VT_I4;
        role->lVal = item ? SystemRole(item->AccessibleRole()) : ROLE_SYSTEM_CLIENT;
        return S_OK;
    }
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override {
        if (!state) return E_POINTER;
        ::VariantInit(state);
        CSkinWindowItem* item = nullptr;
        const HRESULT hr = Find(child, item);
        if (FAILED(hr)) return hr;
        state->vt = VT_I4;
        state->lVal = item ? ItemState(*item) : WindowState();
        return S_OK;
    }
    STDMETHODIMP get_accFocus(VARIANT* focus) override {
        if (!focus) return E_POINTER;
        ::VariantInit(focus);
        if (!m_window) return RPC_E_DISCONNECTED;
        const HWND has = ::GetFocus();
        if (has != Handle() && !(has && ::GetParent(has) == Handle())) return S_FALSE;
        CSkinWindowItem* item = m_window->TabAccessor().GetFocusItem();
        for (CSkinWindowItem* candidate : m_window->AccessibleItems())
            if (candidate->GetFocusControl() && candidate->GetFocusControl() == has)
                item = candidate;
        focus->vt = VT_I4;
        focus->lVal = item ? ChildId(item) : CHILDID_SELF;
        if (focus->lVal == 0) focus->lVal = CHILDID_SELF;
        return S_OK;
    }
    STDMETHODIMP get_accSelection(VARIANT* selection) override {
        if (!selection) return E_POINTER;
        ::VariantInit(selection);
        return m_window ? S_FALSE : RPC_E_DISCONNECTED;
    }
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (!action) return E_POINTER;
        *action = nullptr;
        CSkinWindowItem* item = nullptr;
        const HRESULT hr = Find(child, item);
        if (FAILED(hr)) return hr;
        if (!item || !Pressable(item->AccessibleRole())) return S_FALSE;
        *action = WideString(kPressAction);
        return S_OK;
    }
    STDMETHODIMP accSelect(long flags, VARIANT child) override {
        CSkinWindowItem* item = nullptr;
        const HRESULT hr = Find(child, item);
        if (FAILED(hr)) return hr;
        if (!item || flags != SELFLAG_TAKEFOCUS) return E_INVALIDARG;
        if (!item->GetFocusControl()) ::SetFocus(Handle());
        return m_window->TabAccessor().FocusItem(item) ? S_OK : E_FAIL;
    }
    STDMETHODIMP accLocation(long* left, long* top, long* width, long* height,
                             VARIANT child) override {
        if (!left || !top || !width || !height) return E_POINTER;
        CSkinWindowItem* item = nullptr;
        const HRESULT hr = Find(child, item);
        if (FAILED(hr)) return hr;
        RECT r = {};
        if (item)
            r = item->GetRect();
        else
            ::GetClientRect(Handle(), &r);
        return Location(Handle(), r, left, top, width, height);
    }
    STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* end) override {
        if (!end) return E_POINTER;
        ::VariantInit(end);
        CSkinWindowItem* item = nullptr;
        const HRESULT hr = Find(start, item);
        if (FAILED(hr)) return hr;
        const long count = static_cast<long>(m_window->AccessibleItems().size());
        long to = 0;
        if (!item && direction == NAVDIR_FIRSTCHILD)
            to = count > 0 ? 1 : 0;
        else if (!item && direction == NAVDIR_LASTCHILD)
            to = count;
        else if (item && (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN))
            to = ChildId(item) + 1;
        else if (item && (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP))
            to = ChildId(item) - 1;
        if (to < 1 || to > count) return S_FALSE;
        end->vt = VT_I4;
        end->lVal = to;
        return S_OK;
    }
    STDMETHODIMP accHitTest(long x, long y, VARIANT* child) override {
        if (!child) return E_POINTER;
        ::VariantInit(child);
        if (!m_window) return RPC_E_DISCONNECTED;
        POINT pt = {x, y};
        ::ScreenToClient(Handle(), &pt);
        RECT client = {};
        ::GetClientRect(Handle(), &client);
        if (!::PtInRect(&client, pt)) return S_FALSE;
        child->vt = VT_I4;
        child->lVal = CHILDID_SELF;
        const std::vector<CSkinWindowItem*> items = m_window->AccessibleItems();
        for (size_t i = items.size(); i-- > 0;) {
            const RECT r = items[i]->GetRect();
            if (items[i]->IsVisible() && ::PtInRect(&r, pt)) {
                child->lVal = static_cast<long>(i + 1);
                break;
            }
        }
        return S_OK;
    }
    STDMETHODIMP accDoDefaultAction(VARIANT child) override {
        CSkinWindowItem* item = nullptr;
        const HRESULT hr = Find(child, item);
        if (FAILED(hr)) return hr;
        if (!item || !Pressable(item->AccessibleRole())) return DISP_E_MEMBERNOTFOUND;
        return item->Press() ? S_OK : E_FAIL;
    }

private:
    HWND Handle() const { return m_window ? m_window->GetHandle() : nullptr; }

    // The item a child id names; null for the client area itself.
    HRESULT Find(const VARIANT& child, CSkinWindowItem*& item) const {
        item = nullptr;
        if (!m_window || !::IsWindow(Handle())) return RPC_E_DISCONNECTED;
        if (child.vt != VT_I4) return E_INVALIDARG;
        if (child.lVal == CHILDID_SELF) return S_OK;
        const std::vector<CSkinWindowItem*> items = m_window->AccessibleItems();
        if (child.lVal < 1 || child.lVal > static_cast<long>(items.size())) return E_INVALIDARG;
        item = items[static_cast<size_t>(child.lVal - 1)];
        return S_OK;
    }

    long ChildId(const CSkinWindowItem* item) const {
        const std::vector<CSkinWindowItem*> items = m_window->AccessibleItems();
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i] == item) return static_cast<long>(i + 1);
        return 0;
    }

public:
    // The state a screen reader reads of an item.
    long ItemState(const CSkinWindowItem& item) const {
        long state = 0;
        const SkinRole role = item.AccessibleRole();
        if (!item.IsEnabled()) state |= STATE_SYSTEM_UNAVAILABLE;
        if (!item.IsVisible()) state |= STATE_SYSTEM_INVISIBLE;
        if (IsFocusableRole(role) && item.IsVisible() && item.IsEnabled())
            state |= STATE_SYSTEM_FOCUSABLE;
        const bool focused =
            item.GetFocusControl()
                ? ::GetFocus() == item.GetFocusControl()
                : m_window->HoldsKeyboard() && m_window->TabAccessor().GetFocusItem() == &item;
        if (focused && IsFocusableRole(role)) state |= STATE_SYSTEM_FOCUSED;
        if (item.IsCheckedState()) state |= STATE_SYSTEM_CHECKED;
        if (item.IsPressedState()) state |= STATE_SYSTEM_PRESSED;
        if (role == SkinRole::kStaticText || role == SkinRole::kProgressBar)
            state |= STATE_SYSTEM_READONLY;
        if (auto* edit = dynamic_cast<const CSkinWindowItemEditBox*>(&item))
            if (edit->GetStyle() & ES_PASSWORD) state |= STATE_SYSTEM_PROTECTED;
        return state | m_window->AccessibleStateOf(item);
    }

private:
    long WindowState() const {
        long state = STATE_SYSTEM_FOCUSABLE;
        if (::GetFocus() == Handle()) state |= STATE_SYSTEM_FOCUSED;
        if (!::IsWindowVisible(Handle())) state |= STATE_SYSTEM_INVISIBLE;
        return state;
    }

    CSkinWindow* m_window;
};

// A list item as an object of its own: its children are the rows, list
// items named by their text, selected and focused with the keyboard's row,
// invisible while scrolled out of view.
class CSkinListAccessible : public CAccessibleBase {
public:
    CSkinListAccessible(CSkinAccessible* parent, CSkinWindowItem* list)
        : m_parent(parent), m_list(list) {
        m_parent->AddRef();
    }

    STDMETHODIMP get_accParent(IDispatch** parent) override {
        if (!parent) return E_POINTER;
        *parent = nullptr;
        if (!Connected()) return RPC_E_DISCONNECTED;
        return m_parent->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(parent));
    }
    STDMETHODIMP get_accChildCount(long* count) override {
        if (!count) return E_POINTER;
        if (!Connected()) return RPC_E_DISCONNECTED;
        *count = m_list->AccessiblePartCount();
        return S_OK;
    }
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        int row = -1;
        const HRESULT hr = Find(child, row);
        if (FAILED(hr)) return hr;
        return row >= 0 ? S_FALSE : E_INVALIDARG;  // rows are simple elements
    }
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override {
        if (!name) return E_POINTER;
        *name = nullptr;
        int row = -1;
        const HRESULT hr = Find(child, row);
        if (FAILED(hr)) return hr;
        *name =
            WideString(row >= 0 ? m_list->AccessiblePart(row).name : m_list->GetAccessibleName());
        return *name ? S_OK : S_FALSE;
    }
    STDMETHODIMP get_accValue(VARIANT, BSTR* value) override { return NoText(value); }
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override {
        if (!role) return E_POINTER;
        int row = -1;
        const HRESULT hr = Find(child, row);
        if (FAILED(hr)) return hr;
        return Int(role, row >= 0 ? ROLE_SYSTEM_LISTITEM : ROLE_SYSTEM_LIST);
    }
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override {
        if (!state) return E_POINTER;
        int row = -1;
        const HRESULT hr = Find(child, row);
        if (FAILED(hr)) return hr;
        const long list = m_parent->ItemState(*m_list);
        if (row < 0) return Int(state, list);
        const SkinAccessPart part = m_list->AccessiblePart(row);
        long value = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
        if (part.selected) value |= STATE_SYSTEM_SELECTED;
        if (part.selected && (list & STATE_SYSTEM_FOCUSED)) value |= STATE_SYSTEM_FOCUSED;
        if (!part.shown) value |= STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN;
        return Int(state, value);
    }
    STDMETHODIMP get_accFocus(VARIANT* focus) override {
        if (!focus) return E_POINTER;
        ::VariantInit(focus);
        if (!Connected()) return RPC_E_DISCONNECTED;
        if (!(m_parent->ItemState(*m_list) & STATE_SYSTEM_FOCUSED)) return S_FALSE;
        return Int(focus, m_list->FocusPart() + 1);  // CHILDID_SELF without a row
    }
    STDMETHODIMP get_accSelection(VARIANT* selection) override {
        if (!selection) return E_POINTER;
        ::VariantInit(selection);
        if (!Connected()) return RPC_E_DISCONNECTED;
        if (m_list->FocusPart() < 0) return S_FALSE;
        return Int(selection, m_list->FocusPart() + 1);
    }
    STDMETHODIMP get_accDefaultAction(VARIANT, BSTR* action) override { return NoText(action); }
    STDMETHODIMP accSelect(long, VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP accLocation(long* left, long* top, long* width, long* height,
                             VARIANT child) override {
        int row = -1;
        const HRESULT hr = Find(child, row);
        if (FAILED(hr)) return hr;
        const RECT r = row >= 0 ? m_list->AccessiblePart(row).rect : m_list->GetRect();
        return Location(Handle(), r, left, top, width, height);
    }
    STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* end) override {
        if (!end) return E_POINTER;
        ::VariantInit(end);
        int row = -1;
        const HRESULT hr = Find(start, row);
        if (FAILED(hr)) return hr;
        const long count = m_list->AccessiblePartCount();
        long to = 0;
        if (row < 0 && direction == NAVDIR_FIRSTCHILD)
            to = 1;
        else if (row < 0 && direction == NAVDIR_LASTCHILD)
            to = count;
        else if (row >= 0 && (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN))
            to = row + 2;
        else if (row >= 0 && (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP))
            to = row;
        if (to < 1 || to > count) return S_FALSE;
        return Int(end, to);
    }
    STDMETHODIMP accHitTest(long x, long y, VARIANT* child) override {
        if (!child) return E_POINTER;
        ::VariantInit(child);
        if (!Connected()) return RPC_E_DISCONNECTED;
        POINT pt = {x, y};
        ::ScreenToClient(Handle(), &pt);
        const RECT whole = m_list->GetRect();
        if (!::PtInRect(&whole, pt)) return S_FALSE;
        for (int row = 0; row < m_list->AccessiblePartCount(); ++row) {
            const SkinAccessPart part = m_list->AccessiblePart(row);
            if (part.shown && ::PtInRect(&part.rect, pt)) return Int(child, row + 1);
        }
        return Int(child, CHILDID_SELF);
    }
    STDMETHODIMP accDoDefaultAction(VARIANT) override { return DISP_E_MEMBERNOTFOUND; }

private:
    ~CSkinListAccessible() override { m_parent->Release(); }

    HWND Handle() const { return m_parent->Window() ? m_parent->Window()->GetHandle() : nullptr; }
    // The window is still there and still has the list.
    bool Connected() const {
        if (!m_parent->Window() || !::IsWindow(Handle())) return false;
        const std::vector<CSkinWindowItem*> items = m_parent->Window()->AccessibleItems();
        return std::find(items.begin(), items.end(), m_list) != items.end();
    }
    // The row a child id names; -1 for the list itself.
    HRESULT Find(const VARIANT& child, int& row) const {
        row = -1;
        if (!Connected()) return RPC_E_DISCONNECTED;
        if (child.vt != VT_I4) return E_INVALIDARG;
        if (child.lVal == CHILDID_SELF) return S_OK;
        if (child.lVal < 1 || child.lVal > m_list->AccessiblePartCount()) return E_INVALIDARG;
        row = static_cast<int>(child.lVal - 1);
        return S_OK;
    }

    CSkinAccessible* m_parent;
    CSkinWindowItem* m_list;
};

IDispatch* CSkinAccessible::NewListAccessible(CSkinWindowItem* list) {
    return new CSkinListAccessible(this, list);
}

LRESULT AnswerSkinAccessible(CSkinWindow& window, CSkinAccessible*& object, CSkinWindowItem* list,
                             WPARAM wParam) {
    // The answer is marshalled through COM, which the program starts only
    // when a screen reader first asks (on the window's thread, for its life).
    static thread_local bool comStarted = false;
    if (!comStarted) {
        const HRESULT started = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        comStarted = SUCCEEDED(started) || started == RPC_E_CHANGED_MODE;
    }
    if (!object) object = new CSkinAccessible(window);
    IUnknown* answer = list ? static_cast<IUnknown*>(object->NewListAccessible(list)) : object;
    const LRESULT result = ::LresultFromObject(kAccessibleIid, wParam, answer);
    if (list) answer->Release();
    if (FAILED(static_cast<HRESULT>(result)))
        KILNLOG.Log(LOG_ERROR, "CSkinWindow WM_GETOBJECT - LresultFromObject失敗 ERR:0x%08X",
                    static_cast<unsigned>(result));
    return result;
}

IUnknown* GetSkinAccessible(CSkinWindow& window, CSkinAccessible*& object) {
    if (!object) object = new CSkinAccessible(window);
    object->AddRef();
    return object;
}

void DisconnectSkinAccessible(CSkinAccessible*& object) {
    if (!object) return;
    object->Disconnect();
    object->Release();
    object = nullptr;
}

}  // namespace ui
