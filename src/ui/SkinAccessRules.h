#pragma once
// What the keyboard and screen readers need of a skin window's items,
// decided apart from any window: which item Tab goes to next, what an
// arrow key does in the button menu, and an item's spoken name.
#include <string>
#include <vector>

namespace ui {

// What an item is to a screen reader; kNone items are left out.
enum class SkinRole {
    kNone,
    kPushButton,
    kCheckBox,
    kEditText,
    kStaticText,
    kProgressBar,
    kGraphic,
    kList
};

// The roles the keyboard stops at.
bool IsFocusableRole(SkinRole role);

struct FocusCandidate {
    int id = 0;
    int left = 0;
    int top = 0;
    int tabOrder = -1;       // the skin's TabOrder, -1 when it gives none
    bool available = false;  // visible and enabled
    SkinRole role = SkinRole::kNone;
};

// The ids Tab walks, in its order: items the skin numbers first, by their
// numbers, then the others top to bottom and, on one line, left to right.
// Only available items of a focusable role take part.
std::vector<int> FocusOrder(const std::vector<FocusCandidate>& items);
// Where Tab (or Shift+Tab with backward) goes from current, wrapping
// round; from an id outside the order, the first (the last going back).
// -1 when nothing can take the focus.
int NextFocus(const std::vector<FocusCandidate>& items, int current, bool backward);

enum class Arrow { kLeft, kUp, kRight, kDown };
enum class MenuStep { kNone, kPrevious, kNext, kOpenSub, kParentPrevious, kParentNext };
// An arrow in one level of the button menu at angle (0, 90, 180, 270; the
// buttons stack vertically at 0 and 180). The arrows along the line move
// in it; in the root the arrow toward where its sub-menus unfold (the next
// angle) opens the focused one; in a sub-menu the arrows across its line
// move to the neighbouring main button.
MenuStep MenuArrowStep(int angle, bool subMenu, Arrow arrow);

// A key on a list of count rows with the keyboard on row current (-1:
// none yet): the row it moves to, kept inside the list; page is how many
// rows the view shows whole. From no row, every key but End takes the first.
// -1 for an empty list.
enum class ListKey { kUp, kDown, kHome, kEnd, kPageUp, kPageDown };
int ListKeyRow(ListKey key, int current, int count, int page);
// The first row a view of `page` whole rows shows so that row is in view,
// moving as little as it can from first.
int FirstRowShowing(int row, int first, int page);

// The spoken name: the item's label, else the skin's AccessibleName, else
// its tool-tip, line breaks read as blanks.
std::string AccessibleNameOf(const std::string& label, const std::string& skinName,
                             const std::string& toolTip);
// A list row's name: its cells' texts that are not blank, in column order,
// without their outer blanks, joined by one blank, line breaks read as blanks.
std::string RowName(const std::vector<std::string>& cells);
// A charge tile's name with its progress ("地図 45 %"), the kind alone
// when the tile shows no progress (percent below 0).
std::string ChargeTileName(const std::string& kind, int percent);

}  // namespace ui
