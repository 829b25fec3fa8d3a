#pragma once
// CWindowBase: what every application window shares besides its skin window
// chain: the item command table, the key table, the close button, the
// application icon's double click and, in the first-run windows, passing the
// session end on to the launcher. An application window derives from its
// CFrameOverlayWindowBase<...> chain and from this class, offers each message
// to its own handlers first and then to the chain.
#include <windows.h>

#include <cstddef>

namespace ui {

class CWindowBase {
public:
    // Modifier mask of a key table entry.
    static constexpr UINT kKeyShift = 4;
    static constexpr UINT kKeyCtrl = 8;

    struct KeyEntry {
        UINT modifiers;
        UINT key;
    };

    // (item id, handler) of a window class W; the table is a function-local
    // static array, built on first use.
    template <class W>
    struct CommandEntry {
        int id;
        void (W::*handler)();
    };

    virtual ~CWindowBase() = default;

    // Runs the handler of id; false when the table has none (the skin
    // window's default handling then runs).
    template <class W, size_t N>
    static bool RunCommand(W& window, const CommandEntry<W> (&table)[N], int id) {
        for (const CommandEntry<W>& entry : table) {
            if (entry.id == id) {
                (window.*entry.handler)();
                return true;
            }
        }
        return false;
    }

    // The modifier mask of the keyboard now (Ctrl 8, Shift 4).
    static UINT KeyModifiers();
    static bool IsKeyInTable(const KeyEntry* table, size_t count, UINT modifiers, UINT key);
    // A key press in the table is swallowed (true: the window acts on it);
    // any other is posted on to the parent as WM_KEYDOWN (false: the skin
    // window handles it as well).
    static bool OnTableKeyDown(HWND window, const KeyEntry* table, size_t count, UINT modifiers,
                               UINT key, UINT flags);

    // A click (code 0) of the close button, or a double click (code 3) of the
    // application icon, posts WM_CLOSE to the window. True when it did.
    static bool OnCommonItemEvent(HWND window, int id, int code, int closeButtonId,
                                  int applicationIconId);

    // First-run windows: logs the request, closes the window and passes the
    // request on to the owner, which handles the session end.
    static void ForwardQueryEndSession(HWND window, WPARAM wParam, LPARAM lParam);
};

}  // namespace ui
