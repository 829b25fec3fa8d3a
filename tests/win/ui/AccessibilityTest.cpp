// The keyboard and a screen reader in one skin window, for what the windows'
// own tables (their …AccessTest) do not show.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AccessTree.h"
#include "ScreenInput.h"
#include "SkinWindowKit.h"
#include "ui/ResizableSkinWindow.h"
#include "ui/SkinAccessRules.h"

using namespace ui;
using namespace skintest;

namespace {

using qmtest::Child;
using qmtest::Narrow;

IAccessible* ClientOf(CSkinWindow& window, LONG object = OBJID_CLIENT) {
    return qmtest::ClientOf(window.GetHandle(), object);
}

// Win events of this thread's windows, caught out of context while the test pumps:
// the client's, and a list's (its object id is its child id).
struct Event {
    DWORD event;
    LONG child;
    LONG object = OBJID_CLIENT;
    bool operator==(const Event& o) const {
        return event == o.event && child == o.child && object == o.object;
    }
};
std::vector<Event> g_events;
HWND g_watched = nullptr;

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD,
                         DWORD) {
    if (window == g_watched && (object == OBJID_CLIENT || object > 0))
        g_events.push_back({event, child, object});
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
struct TestWindow : ItemWindow {
    TestWindow() {
        ::SetForegroundWindow(hwnd);
        ::SetFocus(hwnd);
        qmtest::Drain();
    }
    void Key(UINT key) {
        window.SendMessage(WM_KEYDOWN, key, 0);
        qmtest::Drain();
    }
};

// The notifications of presses, without the pointer's (a pointer left over
// the window by an earlier test moves over its items).
std::vector<ItemEvent> Presses(const std::vector<ItemEvent>& events) {
    std::vector<ItemEvent> out;
    for (const ItemEvent& e : events)
        if (e.code != kItemMouseMove && e.code != kItemMouseLeave) out.push_back(e);
    return out;
}

}  // namespace

// The ring itself, by exact pixels: SettingKeysTest.
TEST(Accessibility, TabAnnouncesEachMoveAndCtrlTabIsTheWindowsOwn) {
    TestWindow t;
    ASSERT_NE(t.hwnd, nullptr);
    CEventHook hook(t.hwnd);
    ASSERT_TRUE(hook.Ok());
    // Top to bottom, left to right: caption button, push button, icon
    // button, edit box, round again.
    std::vector<int> walked;
    for (int i = 0; i < 5; ++i) {
        t.Key(VK_TAB);
        walked.push_back(t.FocusId());
    }
    EXPECT_EQ(walked,
              (std::vector<int>{kCaptionButton, kPushButton, kIconButton, kEdit, kCaptionButton}));

    // Shift+Tab goes back (the thread's key state says Shift is down).
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    ::SetKeyboardState(keys);
    t.Key(VK_TAB);
    keys[VK_SHIFT] = 0;
    ::SetKeyboardState(keys);
    EXPECT_EQ(t.FocusId(), kEdit);
    // Ctrl+Tab and Ctrl+Shift+Tab are the window's own keys (the pop-ups
    // take them): the focus stays where it is.
    for (BYTE shift : {BYTE(0), BYTE(0x80)}) {
        keys[VK_CONTROL] = 0x80;
        keys[VK_SHIFT] = shift;
        ::SetKeyboardState(keys);
        t.Key(VK_TAB);
        keys[VK_CONTROL] = keys[VK_SHIFT] = 0;
        ::SetKeyboardState(keys);
        EXPECT_EQ(t.FocusId(), kEdit) << "shift " << int(shift);
    }
    EXPECT_EQ(::GetFocus(),
              static_cast<CSkinWindowItemEditBox*>(t.window.GetItemById(kEdit))->GetControl());
    t.Key(VK_TAB);
    t.Key(VK_TAB);
    ASSERT_EQ(t.FocusId(), kPushButton);

    // Each move was announced for its child (caption button 2, push 3, icon
    // 7); the edit control announces itself, and the system the window (0)
    // when it takes the keyboard back from the edit control.
    std::vector<LONG> focus;
    for (const Event& e : g_events)
        if (e.event == EVENT_OBJECT_FOCUS) focus.push_back(e.child);
    EXPECT_EQ(focus, (std::vector<LONG>{2, 3, 7, 0, 2, 0, 2, 3}));
}

TEST(Accessibility, ClientObjectSpaceEnterAndTheDefaultActionPress) {
    TestWindow t;
    ASSERT_NE(t.hwnd, nullptr);
    // Until the keyboard is used Enter is the window's own, even on a focus
    // item the window chose (the settings window's first box).
    t.window.TabAccessor().FocusItem(t.window.GetItemById(kPushButton));
    t.Key(VK_RETURN);
    EXPECT_EQ(t.window.notifies, (std::vector<std::pair<int, int>>{{-1, 1}}));
    EXPECT_TRUE(Presses(t.window.events).empty());

    t.window.TabAccessor().FocusItem(nullptr);
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

    // The client object: seven children (the spinner, which has no name, the
    // scroll bar and the frame are not there).
    static_cast<CSkinWindowItemDigitImage*>(t.window.GetItemById(kDigits))
        ->SetAccessibleName("地図");
    IAccessible* client = ClientOf(t.window);
    ASSERT_NE(client, nullptr);
    long count = 0;
    EXPECT_EQ(client->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 7);
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

    BSTR action = nullptr;
    EXPECT_EQ(client->get_accDefaultAction(Child(1), &action), S_FALSE);  // a label
    t.window.events.clear();
    EXPECT_EQ(client->accDoDefaultAction(Child(2)), S_OK);
    const std::vector<ItemEvent> pressed = Presses(t.window.events);
    ASSERT_EQ(pressed.size(), 4u);
    EXPECT_EQ(pressed[2], (ItemEvent{kCaptionButton, kItemClicked}));

    // A disabled button cannot be pressed.
    CEventHook hook(t.hwnd);
    t.window.GetItemById(kCaptionButton)->SetEnabled(false);
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
    EXPECT_EQ(kept->get_accChildCount(&count), RPC_E_DISCONNECTED);
    kept->Release();
}

namespace {

// The frame skin's list (180 x 180 at 10, 24: ten rows of 18) with its
// scroll bar, the window shown and active; 25 rows of a name, a button and
// a note on the odd rows.
struct ListWindow {
    CTextRows table;
    CResizableSkinWindow window;
    CButtonListView* list = nullptr;
    ListWindow() {
        table.rows = 25;
        table.text = [](int row, int column) -> std::string {
            if (column == 0) return "行" + std::to_string(row);
            return column == 2 && row % 2 ? "備考" : "";
        };
        skintest::UseFrameSkin();
        window.LoadSkin("FrameTest.txt", "Base", false);
        auto* bar =
            window.AddItem<CSkinWindowItemScrollBar>(10, GetItem(window.Skin(), "ScrollBar"));
        list = window.AddItem<CButtonListView>(11, GetItem(window.Skin(), "List"), bar, nullptr);
        list->AddColumn("name", 60);
        list->AddColumn("on", 40, DT_CENTER, true, 0);
        list->AddColumn("note", 80);
        list->SetTable(&table);
        window.CreateResizableWindow(nullptr, WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 100, 100);
        ::SetForegroundWindow(window.GetHandle());
        ::SetFocus(window.GetHandle());
        qmtest::Drain();
    }
    ~ListWindow() {
        if (window.GetHandle()) window.DestroyWindow();
    }
    void Key(UINT key) {
        window.SendMessage(WM_KEYDOWN, key, 0);
        qmtest::Drain();
    }
    COLORREF Pixel(int x, int y) { return window.BackBuffer()->GetPixel(x, y); }
};

const COLORREF kEvenRow = RGB(220, 220, 80), kOddRow = RGB(220, 200, 80);

}  // namespace

TEST(Accessibility, AListIsAnObjectOfItsOwnWhoseRowsFollowTheKeys) {
    ListWindow l;
    CEventHook hook(l.window.GetHandle());
    ASSERT_TRUE(hook.Ok());
    // Tab gives the list the keyboard: the ring round the whole list (its
    // bottom edge 2 px inside, over row 9), no row yet.
    l.Key(VK_TAB);
    ASSERT_EQ(l.window.TabAccessor().GetFocusItem(), l.list);
    EXPECT_EQ(l.list->SelectedRow(), -1);
    EXPECT_EQ(l.Pixel(183, 200), kFocusMarkColor);
    EXPECT_EQ(l.Pixel(183, 202), kOddRow);

    // Each key: the row it lands on, and the first row shown. (Every key at
    // every end: FocusOrderTest; here the list's page of ten whole rows.)
    struct Step {
        UINT key;
        int row, first;
    } const steps[] = {
        {VK_DOWN, 0, 0},  {VK_UP, 0, 0},      {VK_NEXT, 10, 1},
        {VK_END, 24, 15}, {VK_PRIOR, 14, 14}, {VK_UP, 13, 13},
    };
    for (const Step& s : steps) {
        l.Key(s.key);
        EXPECT_EQ(l.list->SelectedRow(), s.row) << s.key;
        EXPECT_EQ(l.list->FirstRow(), s.first) << s.key;
    }
    // The ring now rounds row 13, the first shown (24..42, its right edge
    // at 190), 2 px inside; the list's ring is gone from the last row shown.
    // (The ring's shape: SettingKeysTest.)
    struct Probe {
        int x, y;
        COLORREF color;
    } const probes[] = {
        {183, 25, kOddRow},   {183, 26, kFocusMarkColor}, {183, 39, kFocusMarkColor},
        {183, 40, kOddRow},   {187, 33, kFocusMarkColor}, {188, 33, kOddRow},
        {183, 200, kEvenRow},
    };
    for (const Probe& p : probes) EXPECT_EQ(l.Pixel(p.x, p.y), p.color) << p.x << ", " << p.y;

    // The list (child 1) took the focus, then each row was selected and
    // focused as a child of the list's own object (id 1).
    std::vector<Event> rows;
    for (const Event& e : g_events)
        if (e.object == 1 || (e.object == OBJID_CLIENT && e.child == 1)) rows.push_back(e);
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(rows[0], (Event{EVENT_OBJECT_FOCUS, 1}));
    EXPECT_EQ(rows[1], (Event{EVENT_OBJECT_SELECTION, 1, 1}));
    EXPECT_EQ(rows[2], (Event{EVENT_OBJECT_FOCUS, 1, 1}));
    // A key that moves nothing (Up on row 0) says nothing: 5 moves, 2 each.
    EXPECT_EQ(rows.size(), 1u + 2u * 5u);

    // The answer to WM_GETOBJECT is the window's own object.
    IAccessible* client = ClientOf(l.window);
    ASSERT_NE(client, nullptr);
    IUnknown* direct = l.window.AccessibleObject();
    IUnknown* clientObject = nullptr;
    client->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&clientObject));
    EXPECT_EQ(clientObject, direct);
    direct->Release();
    // The list's child id as the object id: the list's own object, the one
    // its row events name, a child of the client (reached from the client,
    // its role and its rows' count, names and states: InfoAccessTest). Ids
    // that are no list get no object of ours.
    for (LONG id : {2L, 99L}) EXPECT_EQ(ClientOf(l.window, id), nullptr) << id;
    IAccessible* list = ClientOf(l.window, 1);
    ASSERT_NE(list, nullptr);
    IDispatch* parent = nullptr;
    ASSERT_EQ(list->get_accParent(&parent), S_OK);
    IUnknown* parentObject = nullptr;
    parent->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&parentObject));
    EXPECT_EQ(parentObject, clientObject);
    parentObject->Release();
    parent->Release();
    clientObject->Release();

    VARIANT focus;
    EXPECT_EQ(client->get_accFocus(&focus), S_OK);
    EXPECT_EQ(focus.lVal, 1);
    EXPECT_EQ(list->get_accFocus(&focus), S_OK);
    EXPECT_EQ(focus.lVal, 14);
    VARIANT selection;
    EXPECT_EQ(list->get_accSelection(&selection), S_OK);
    EXPECT_EQ(selection.lVal, 14);

    // Places on the screen; the hit test finds the row under a point.
    long x = 0, y = 0, w = 0, h = 0;
    EXPECT_EQ(list->accLocation(&x, &y, &w, &h, Child(15)), S_OK);
    POINT origin = {10, 24 + 18};
    ::ClientToScreen(l.window.GetHandle(), &origin);
    EXPECT_EQ((std::vector<long>{x, y, w, h}), (std::vector<long>{origin.x, origin.y, 180, 18}));
    VARIANT hit;
    EXPECT_EQ(list->accHitTest(origin.x + 5, origin.y + 17, &hit), S_OK);
    EXPECT_EQ(hit.lVal, 15);
    EXPECT_EQ(list->accHitTest(origin.x - 1, origin.y, &hit), S_FALSE);
    VARIANT next;
    EXPECT_EQ(list->accNavigate(NAVDIR_NEXT, Child(25), &next), S_FALSE);
    EXPECT_EQ(list->accNavigate(NAVDIR_LASTCHILD, Child(CHILDID_SELF), &next), S_OK);
    EXPECT_EQ(next.lVal, 25);
    // Child ids outside the rows are refused.
    BSTR name = nullptr;
    EXPECT_EQ(list->get_accName(Child(26), &name), E_INVALIDARG);
    EXPECT_EQ(list->get_accName(Child(-1), &name), E_INVALIDARG);

    // Without the keyboard the row stays selected, not focused.
    ::SetFocus(nullptr);
    VARIANT state;
    list->get_accState(Child(14), &state);
    EXPECT_EQ(state.lVal, STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTED);
    EXPECT_EQ(list->get_accFocus(&focus), S_FALSE);
    // A click on a cell chooses its row (the fourth shown); a list that
    // shrinks keeps its row inside; an empty list leaves the arrows to the
    // window.
    l.list->OnLButtonDown(30, 3 * 18 + 9);
    l.list->OnLButtonUp(30, 3 * 18 + 9);
    EXPECT_EQ(l.list->SelectedRow(), 16);
    l.table.rows = 2;
    l.list->RefreshRow(-1);
    EXPECT_EQ(l.list->SelectedRow(), 1);
    l.table.rows = 0;
    l.list->RefreshRow(-1);
    EXPECT_EQ(l.list->SelectedRow(), -1);
    EXPECT_FALSE(l.list->OnKey(VK_DOWN));
    client->Release();
    // Once the window is gone the list answers no more.
    l.window.DestroyWindow();
    long count = 0;
    EXPECT_EQ(list->get_accChildCount(&count), RPC_E_DISCONNECTED);
    list->Release();
}
