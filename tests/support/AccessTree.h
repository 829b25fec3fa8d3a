#pragma once
// What a screen reader reads of a window, for tests to compare as a table:
// the client object through WM_GETOBJECT and COM, and each child's role,
// name (in the ANSI code page, as the skins write them) and state.
#include <windows.h>
// oleacc.h needs the COM types of windows.h first.
#include <oleacc.h>

#include <ostream>
#include <string>
#include <vector>

namespace qmtest {

struct AccRow {
    long role;
    std::string name;
    long state;
    bool operator==(const AccRow& o) const {
        return role == o.role && name == o.name && state == o.state;
    }
};

// Takes the string and frees it.
inline std::string Narrow(BSTR text) {
    if (!text) return std::string();
    const int n = ::WideCharToMultiByte(932, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(932, 0, text, -1, &out[0], n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n > 0 ? n - 1 : 0));
    ::SysFreeString(text);
    return out;
}

// Short names for the roles and states the tables use.
namespace acc {
constexpr long kButton = ROLE_SYSTEM_PUSHBUTTON;
constexpr long kCheck = ROLE_SYSTEM_CHECKBUTTON;
constexpr long kText = ROLE_SYSTEM_STATICTEXT;
constexpr long kTile = ROLE_SYSTEM_PROGRESSBAR;
constexpr long kPicture = ROLE_SYSTEM_GRAPHIC;
constexpr long kFocusable = STATE_SYSTEM_FOCUSABLE;
constexpr long kFocused = STATE_SYSTEM_FOCUSED;
constexpr long kOn = STATE_SYSTEM_CHECKED;
constexpr long kReadOnly = STATE_SYSTEM_READONLY;
constexpr long kHidden = STATE_SYSTEM_INVISIBLE;
constexpr long kOff = STATE_SYSTEM_UNAVAILABLE;
}  // namespace acc

inline VARIANT Child(long id) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

inline AccRow ReadRow(IAccessible* object, long id) {
    VARIANT role, state;
    ::VariantInit(&role);
    ::VariantInit(&state);
    BSTR name = nullptr;
    object->get_accRole(Child(id), &role);
    object->get_accState(Child(id), &state);
    object->get_accName(Child(id), &name);
    return {role.lVal, Narrow(name), state.lVal};
}

// Every child of the client object, in the window's order.
inline std::vector<AccRow> ReadChildren(IAccessible* client) {
    long count = 0;
    client->get_accChildCount(&count);
    std::vector<AccRow> rows;
    for (long id = 1; id <= count; ++id) rows.push_back(ReadRow(client, id));
    return rows;
}

// The child id whose name is `name`, 0 when none has it.
inline long ChildNamed(IAccessible* client, const std::string& name) {
    const std::vector<AccRow> rows = ReadChildren(client);
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].name == name) return static_cast<long>(i + 1);
    return 0;
}

// One line a row, for a failed comparison of two rows or tables.
inline void PrintTo(const AccRow& r, std::ostream* os) {
    *os << r.role << " '" << r.name << "' 0x" << std::hex << r.state << std::dec;
}

// The window's client object as a screen reader asks for it: WM_GETOBJECT
// and COM's marshalling (within the window's apartment it hands back the
// object itself). Null when refused; the caller releases it.
inline IAccessible* ClientOf(HWND window, LONG object = OBJID_CLIENT) {
    IAccessible* client = nullptr;
    const HRESULT hr =
        ::AccessibleObjectFromWindow(window, static_cast<DWORD>(object), __uuidof(IAccessible),
                                     reinterpret_cast<void**>(&client));
    return SUCCEEDED(hr) ? client : nullptr;
}

// Every child a window's client object lists, or only those a screen reader
// offers (not invisible).
inline std::vector<AccRow> ReadAccess(HWND window, bool shownOnly = false) {
    IAccessible* client = ClientOf(window);
    if (!client) return {{0, "no client object", 0}};
    std::vector<AccRow> rows;
    for (const AccRow& row : ReadChildren(client))
        if (!shownOnly || !(row.state & STATE_SYSTEM_INVISIBLE)) rows.push_back(row);
    client->Release();
    return rows;
}

}  // namespace qmtest
