// The keyboard and a screen reader in one skin window: what
// AccessibleObjectFromWindow lists (role, name, state) as a table, the
// tab order and its focus mark by exact pixels, Space and Enter on the
// focused button, the default action, and the win events that announce
// focus, state and name changes.
#include <windows.h>
// oleacc.h needs the COM types of windows.h first.
#include <oleacc.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ScreenInput.h"
#include "SkinWindowKit.h"
#include "ui/SkinAccessRules.h"

using namespace ui;
using namespace skintest;

namespace {

struct Row {
    long role;
    std::string name;
    long state;
    bool operator==(const Row& o) const {
        return role == o.role && name == o.name && state == o.state;
    }
};

std::string Narrow(BSTR text) {
    if (!text) return std::string();
    const int n = ::WideCharToMultiByte(932, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(932, 0, text, -1, &out[0], n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n > 0 ? n - 1 : 0));
    ::SysFreeString(text);
    return out;
}

VARIANT Child(long id) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

// Every child of the client object, as a screen reader reads it.
std::vector<Row> ReadChildren(IAccessible* client) {
    long count = 0;
    client->get_accChildCount(&count);
    std::vector<Row> rows;
    for (long i = 1; i <= count; ++i) {
        VARIANT role, state;
        BSTR name = nullptr;
        client->get_accRole(Child(i), &role);
        client->get_accState(Child(i), &state);
        client->get_accName(Child(i), &name);
        rows.push_back({role.lVal, Narrow(name), state.lVal});
    }
    return rows;
}

std::string Describe(const std::vector<Row>& rows) {
    std::string out;
    for (const Row& r : rows)
        out += std::to_string(r.role) + " '" + r.name + "' 0x" + std::to_string(r.state) + "\n";
    return out;
}

// The window's client object. AccessibleObjectFromWindow is how a screen
// reader asks; under Wine 8 its marshalling of the answer fails here
// (E_NOINTERFACE from LresultFromObject), so the test takes the same object
// on the window's thread.
IAccessible* ClientOf(CSkinWindow& window) {
    IUnknown* object = window.AccessibleObject();
    IAccessible* client = nullptr;
    if (object) object->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&client));
    if (object) object->Release();
    return client;
}

// Win events of this thread's windows, caught out of context while the test pumps.
struct Event {
    DWORD event;
    LONG child;
    bool operator==(const Event& o) const { return event == o.event && child == o.child; }
};
std::vector<Event> g_events;
HWND g_watched = nullptr;

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD,
                         DWORD) {
    if (window == g_watched && object == OBJID_CLIENT) g_events.push_back({event, child});
}

class CEventHook {
public:
    explicit CEventHook(HWND window) {
        g_watched = window;
        g_events.clear();
        m_hook = ::SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_NAMECHANGE, nullptr, OnWinEvent,
                                   ::GetCurrentProcessId(), ::GetCurrentThreadId(),
                                   WINEVENT_OUTOFCONTEXT);
    }
    ~CEventHook() {
        if (m_hook) ::UnhookWinEvent(m_hook);
        g_watched = nullptr;
    }
    bool Ok() const { return m_hook != nullptr; }

private:
    HWINEVENTHOOK m_hook = nullptr;
};

// The test skin's window with every item kind, shown and active.
struct TestWindow {
    CRecordingWindow window;
    HWND hwnd = nullptr;
    TestWindow() {
        ::SetCursorPos(0, 0);  // away from the items: their faces stay normal
        PrepareItemSkin();
        window.LoadSkin("ItemTest.txt", "Base", false);
        AddTestItems(window);
        hwnd = window.CreateSkinWindow(nullptr, WS_POPUP | WS_VISIBLE, 0, 200, 200);
        ::SetForegroundWindow(hwnd);
        ::SetFocus(hwnd);
        qmtest::Drain();
    }
    ~TestWindow() {
        if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
    }
    void Key(UINT key) {
        window.SendMessage(WM_KEYDOWN, key, 0);
        qmtest::Drain();
    }
    int FocusId() const {
        CSkinWindowItem* item = const_cast<CRecordingWindow&>(window).TabAccessor().GetFocusItem();
        return item ? item->GetId() : 0;
    }
};

constexpr long kButton = STATE_SYSTEM_FOCUSABLE;

// The notifications of presses, without the pointer's (a pointer left over
// the window by an earlier test moves over its items).
std::vector<ItemEvent> Presses(const std::vector<ItemEvent>& events) {
    std::vector<ItemEvent> out;
    for (const ItemEvent& e : events)
        if (e.code != kItemMouseMove && e.code != kItemMouseLeave) out.push_back(e);
    return out;
}

}  // namespace

TEST(Accessibility, ClientListsItemsWithRoleNameAndState) {
    TestWindow t;
    ASSERT_NE(t.hwnd, nullptr);
    auto* digits = static_cast<CSkinWindowItemDigitImage*>(t.window.GetItemById(kDigits));
    digits->SetAccessibleName("地図");
    digits->SetSpokenPercent(45);
    t.window.GetItemById(kPushButton)->SetEnabled(false);
    t.window.GetItemById(kIconButton)->SetVisible(false);
    IAccessible* client = ClientOf(t.window);
    ASSERT_NE(client, nullptr);

    // The spinner (no name), the scroll bar and the frame are not there.
    const std::vector<Row> expected = {
        {ROLE_SYSTEM_STATICTEXT, "Caption", STATE_SYSTEM_READONLY},
        {ROLE_SYSTEM_PUSHBUTTON, "Close", kButton},
        {ROLE_SYSTEM_PUSHBUTTON, "Close", STATE_SYSTEM_UNAVAILABLE},
        {ROLE_SYSTEM_GRAPHIC, "Picture", 0},
        {ROLE_SYSTEM_PROGRESSBAR, "地図 45 %", STATE_SYSTEM_READONLY},
        {ROLE_SYSTEM_TEXT, "", kButton},
        {ROLE_SYSTEM_PUSHBUTTON, "Close", STATE_SYSTEM_INVISIBLE},
    };
    EXPECT_EQ(ReadChildren(client), expected) << Describe(ReadChildren(client));

    VARIANT role;
    client->get_accRole(Child(CHILDID_SELF), &role);
    EXPECT_EQ(role.lVal, ROLE_SYSTEM_CLIENT);
    BSTR name = nullptr;
    EXPECT_EQ(client->get_accName(Child(CHILDID_SELF), &name), S_OK);
    EXPECT_EQ(Narrow(name), "ItemTest");
    // Places are on the screen; a child that is not there is refused.
    long x = 0, y = 0, w = 0, h = 0;
    EXPECT_EQ(client->accLocation(&x, &y, &w, &h, Child(2)), S_OK);
    POINT origin = {180, 2};
    ::ClientToScreen(t.hwnd, &origin);
    EXPECT_EQ((std::vector<long>{x, y, w, h}), (std::vector<long>{origin.x, origin.y, 16, 16}));
    VARIANT hit;
    EXPECT_EQ(client->accHitTest(origin.x + 3, origin.y + 3, &hit), S_OK);
    EXPECT_EQ(hit.lVal, 2);
    EXPECT_EQ(client->get_accName(Child(8), &name), E_INVALIDARG);
    client->Release();
}

TEST(Accessibility, TabWalksReadingOrderAndTheMarkShowsOnlyAfterTheKeyboard) {
    TestWindow t;
    ASSERT_NE(t.hwnd, nullptr);
    CEventHook hook(t.hwnd);
    ASSERT_TRUE(hook.Ok());
    lib::wfc::CDIB* buffer = t.window.BackBuffer();
    // The push button's face at its 2 px inset, before any key: no mark.
    EXPECT_EQ(buffer->GetPixel(43, 42), kFaceN);
    EXPECT_FALSE(t.window.TabAccessor().IsFocusMarkShown());

    // Top to bottom, left to right: caption button, push button, icon
    // button, edit box, round again.
    std::vector<int> walked;
    for (int i = 0; i < 5; ++i) {
        t.Key(VK_TAB);
        walked.push_back(t.FocusId());
    }
    EXPECT_EQ(walked,
              (std::vector<int>{kCaptionButton, kPushButton, kIconButton, kEdit, kCaptionButton}));
    EXPECT_TRUE(t.window.TabAccessor().IsFocusMarkShown());
    // The edit control itself had the keyboard; the window has it back.
    EXPECT_EQ(::GetFocus(), t.hwnd);

    // Shift+Tab goes back (the thread's key state says Shift is down).
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    ::SetKeyboardState(keys);
    t.Key(VK_TAB);
    keys[VK_SHIFT] = 0;
    ::SetKeyboardState(keys);
    EXPECT_EQ(t.FocusId(), kEdit);
    EXPECT_EQ(::GetFocus(),
              static_cast<CSkinWindowItemEditBox*>(t.window.GetItemById(kEdit))->GetControl());
    t.Key(VK_TAB);
    t.Key(VK_TAB);
    ASSERT_EQ(t.FocusId(), kPushButton);

    // The ring: 2 px of the accent, 2 px inside the 16 x 16 button at 40, 40,
    // its outer corner pixels left to the face; the inside untouched.
    struct Probe {
        int x, y;
        COLORREF color;
    };
    const Probe probes[] = {
        {42, 42, kFaceN}, {43, 42, kFocusMarkColor}, {53, 43, kFocusMarkColor}, {42, 53, kFaceN},
        {53, 53, kFaceN}, {42, 47, kFocusMarkColor}, {44, 44, kFaceN},          {51, 51, kFaceN},
        {41, 47, kFaceN}, {43, 47, kFocusMarkColor}, {52, 47, kFocusMarkColor}, {54, 47, kFaceN},
    };
    for (const Probe& p : probes)
        EXPECT_EQ(buffer->GetPixel(p.x, p.y), p.color) << p.x << ", " << p.y;
    // The screen shows what the buffer holds.
    lib::wfc::CDIB shot = qmtest::GrabWindow(t.hwnd);
    EXPECT_EQ(shot.GetPixel(43, 42), kFocusMarkColor);
    EXPECT_EQ(shot.GetPixel(44, 44), kFaceN);

    // Each move was announced for its child (caption button 2, push 3, icon
    // 7); the edit control announces itself, and the system the window (0)
    // when it takes the keyboard back from the edit control.
    std::vector<LONG> focus;
    for (const Event& e : g_events)
        if (e.event == EVENT_OBJECT_FOCUS) focus.push_back(e.child);
    EXPECT_EQ(focus, (std::vector<LONG>{2, 3, 7, 0, 2, 0, 2, 3}));

    // Moving on takes the ring off the push button.
    t.Key(VK_TAB);
    EXPECT_EQ(buffer->GetPixel(43, 42), kFaceN);
}

TEST(Accessibility, SpaceEnterAndTheDefaultActionPress) {
    TestWindow t;
    ASSERT_NE(t.hwnd, nullptr);
    // Before the keyboard was used Enter is still the window's own.
    t.Key(VK_RETURN);
    EXPECT_EQ(t.window.notifies, (std::vector<std::pair<int, int>>{{-1, 1}}));
    EXPECT_TRUE(Presses(t.window.events).empty());

    t.Key(VK_TAB);
    t.Key(VK_TAB);
    ASSERT_EQ(t.FocusId(), kPushButton);
    t.window.events.clear();
    t.Key(VK_SPACE);
    // As a click: pressed inside, then released there.
    const std::vector<ItemEvent> click = {{kPushButton, kItemPressedInside},
                                          {kPushButton, kItemPressedOutside},
                                          {kPushButton, kItemClicked},
                                          {kPushButton, kItemPressEnded}};
    EXPECT_EQ(Presses(t.window.events), click) << Describe(t.window.events);
    t.window.events.clear();
    t.Key(VK_RETURN);
    EXPECT_EQ(Presses(t.window.events), click) << Describe(t.window.events);
    EXPECT_EQ(t.window.notifies.size(), 1u);  // Enter went to the button

    IAccessible* client = ClientOf(t.window);
    ASSERT_NE(client, nullptr);
    BSTR action = nullptr;
    EXPECT_EQ(client->get_accDefaultAction(Child(3), &action), S_OK);
    EXPECT_EQ(Narrow(action), "押す");
    EXPECT_EQ(client->get_accDefaultAction(Child(1), &action), S_FALSE);  // a label
    t.window.events.clear();
    EXPECT_EQ(client->accDoDefaultAction(Child(2)), S_OK);
    const std::vector<ItemEvent> pressed = Presses(t.window.events);
    ASSERT_EQ(pressed.size(), 4u);
    EXPECT_EQ(pressed[2], (ItemEvent{kCaptionButton, kItemClicked}));

    // A disabled button reports unavailable and cannot be pressed.
    CEventHook hook(t.hwnd);
    t.window.GetItemById(kCaptionButton)->SetEnabled(false);
    VARIANT state;
    client->get_accState(Child(2), &state);
    EXPECT_EQ(state.lVal & STATE_SYSTEM_UNAVAILABLE, STATE_SYSTEM_UNAVAILABLE);
    t.window.events.clear();
    EXPECT_EQ(client->accDoDefaultAction(Child(2)), E_FAIL);
    EXPECT_TRUE(Presses(t.window.events).empty());
    EXPECT_EQ(client->accDoDefaultAction(Child(1)), DISP_E_MEMBERNOTFOUND);

    // State and name changes are announced.
    auto* digits = static_cast<CSkinWindowItemDigitImage*>(t.window.GetItemById(kDigits));
    digits->SetSpokenPercent(10);
    digits->SetSpokenPercent(10);  // no change, no event
    qmtest::Drain();
    EXPECT_EQ(g_events,
              (std::vector<Event>{{EVENT_OBJECT_STATECHANGE, 2}, {EVENT_OBJECT_NAMECHANGE, 5}}));
    client->Release();
    // Once the window is gone its object answers no more.
    IAccessible* kept = ClientOf(t.window);
    ASSERT_NE(kept, nullptr);
    ::DestroyWindow(t.hwnd);
    long count = 0;
    EXPECT_EQ(kept->get_accChildCount(&count), RPC_E_DISCONNECTED);
    kept->Release();
}
