#pragma once
// What a screen reader sees of a skin window: an IAccessible for the client
// area whose children are the window's items (SkinWindow::AccessibleItems),
// each a simple element with role, name, state, place and default action.
#include <windows.h>
// COM's base interface, which lean windows.h leaves out.
#include <unknwn.h>

namespace ui {

class CSkinWindow;
class CSkinAccessible;

class CSkinWindowItem;

// The answer to WM_GETOBJECT for OBJID_CLIENT, or with a list for the list's
// own object (its rows its children); the client object is made at the
// first question and kept in `object` until disconnected.
LRESULT AnswerSkinAccessible(CSkinWindow& window, CSkinAccessible*& object, CSkinWindowItem* list,
                             WPARAM wParam);
// The same object, referenced for the caller, without the trip through
// COM's marshalling that WM_GETOBJECT takes (a caller on the window's thread).
IUnknown* GetSkinAccessible(CSkinWindow& window, CSkinAccessible*& object);
// The window goes: the object answers no more questions and is let go.
void DisconnectSkinAccessible(CSkinAccessible*& object);

}  // namespace ui
