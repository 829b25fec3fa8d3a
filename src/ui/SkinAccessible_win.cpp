#include <windows.h>
// oleacc.h needs the COM types of windows.h first.
#include <oleacc.h>

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

}  // namespace

class CSkinAccessible : public IAccessible {
public:
    explicit CSkinAccessible(CSkinWindow& window) : m_window(&window) {}
    void Disconnect() { m_window = nullptr; }

    // --- IUnknown ---------------------------------------------------------------------
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
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
        // Items are simple elements of this object.
        return item ? S_FALSE : E_INVALIDARG;
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
    STDMETHODIMP get_accDescription(VARIANT, BSTR* text) override { return NoText(text); }
    STDMETHODIMP get_accHelp(VARIANT, BSTR* text) override { return NoText(text); }
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
        if (file) *file = nullptr;
        if (topic) *topic = 0;
        return S_FALSE;
    }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT, BSTR* text) override { return NoText(text); }
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
        POINT origin = {r.left, r.top};
        ::ClientToScreen(Handle(), &origin);
        *left = origin.x;
        *top = origin.y;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
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
    STDMETHODIMP put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    virtual ~CSkinAccessible() = default;

    HWND Handle() const { return m_window ? m_window->GetHandle() : nullptr; }

    static HRESULT NoText(BSTR* text) {
        if (!text) return E_POINTER;
        *text = nullptr;
        return S_FALSE;
    }

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

    long ItemState(const CSkinWindowItem& item) const {
        long state = 0;
        const SkinRole role = item.AccessibleRole();
        if (!item.IsEnabled()) state |= STATE_SYSTEM_UNAVAILABLE;
        if (!item.IsVisible()) state |= STATE_SYSTEM_INVISIBLE;
        if (IsFocusableRole(role) && item.IsVisible() && item.IsEnabled())
            state |= STATE_SYSTEM_FOCUSABLE;
        const HWND has = ::GetFocus();
        const bool focused =
            item.GetFocusControl()
                ? has == item.GetFocusControl()
                : has == Handle() && m_window->TabAccessor().GetFocusItem() == &item;
        if (focused && IsFocusableRole(role)) state |= STATE_SYSTEM_FOCUSED;
        if (item.IsCheckedState()) state |= STATE_SYSTEM_CHECKED;
        if (item.IsPressedState()) state |= STATE_SYSTEM_PRESSED;
        if (role == SkinRole::kStaticText || role == SkinRole::kProgressBar)
            state |= STATE_SYSTEM_READONLY;
        if (auto* edit = dynamic_cast<const CSkinWindowItemEditBox*>(&item))
            if (edit->GetStyle() & ES_PASSWORD) state |= STATE_SYSTEM_PROTECTED;
        return state;
    }

    long WindowState() const {
        long state = STATE_SYSTEM_FOCUSABLE;
        if (::GetFocus() == Handle()) state |= STATE_SYSTEM_FOCUSED;
        if (!::IsWindowVisible(Handle())) state |= STATE_SYSTEM_INVISIBLE;
        return state;
    }

    CSkinWindow* m_window;
    LONG m_references = 1;
};

LRESULT AnswerSkinAccessible(CSkinWindow& window, CSkinAccessible*& object, WPARAM wParam) {
    // The answer is marshalled through COM, which the program starts only
    // when a screen reader first asks (on the window's thread, for its life).
    static thread_local bool comStarted = false;
    if (!comStarted) {
        const HRESULT started = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        comStarted = SUCCEEDED(started) || started == RPC_E_CHANGED_MODE;
    }
    if (!object) object = new CSkinAccessible(window);
    const LRESULT result = ::LresultFromObject(IID_IAccessible, wParam, object);
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
