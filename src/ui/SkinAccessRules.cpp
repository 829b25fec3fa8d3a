#include "ui/SkinAccessRules.h"

#include <algorithm>

namespace ui {

bool IsFocusableRole(SkinRole role) {
    return role == SkinRole::kPushButton || role == SkinRole::kCheckBox ||
           role == SkinRole::kEditText || role == SkinRole::kList;
}

std::vector<int> FocusOrder(const std::vector<FocusCandidate>& items) {
    std::vector<const FocusCandidate*> order;
    for (const FocusCandidate& item : items)
        if (item.available && IsFocusableRole(item.role)) order.push_back(&item);
    std::stable_sort(order.begin(), order.end(),
                     [](const FocusCandidate* a, const FocusCandidate* b) {
                         const bool na = a->tabOrder >= 0, nb = b->tabOrder >= 0;
                         if (na != nb) return na;
                         if (na && a->tabOrder != b->tabOrder) return a->tabOrder < b->tabOrder;
                         if (a->top != b->top) return a->top < b->top;
                         return a->left < b->left;
                     });
    std::vector<int> ids;
    for (const FocusCandidate* item : order) ids.push_back(item->id);
    return ids;
}

int NextFocus(const std::vector<FocusCandidate>& items, int current, bool backward) {
    const std::vector<int> order = FocusOrder(items);
    if (order.empty()) return -1;
    const auto found = std::find(order.begin(), order.end(), current);
    if (found == order.end()) return backward ? order.back() : order.front();
    const size_t n = order.size(), at = static_cast<size_t>(found - order.begin());
    return order[(at + (backward ? n - 1 : 1)) % n];
}

MenuStep MenuArrowStep(int angle, bool subMenu, Arrow arrow) {
    const bool vertical = angle == 0 || angle == 180;
    const bool along = vertical == (arrow == Arrow::kUp || arrow == Arrow::kDown);
    // Up and Left lead to the lower index: buttons are placed from the top
    // left whatever the direction the menu unfolds in.
    const bool lower = arrow == Arrow::kUp || arrow == Arrow::kLeft;
    if (along) return lower ? MenuStep::kPrevious : MenuStep::kNext;
    if (subMenu) return lower ? MenuStep::kParentPrevious : MenuStep::kParentNext;
    // Toward the sub-menus: 0 unfolds upward, 90 right, 180 down, 270 left.
    static const Arrow kToward[] = {Arrow::kUp, Arrow::kRight, Arrow::kDown, Arrow::kLeft};
    const int subAngle = (angle + 90) % 360;
    return arrow == kToward[subAngle / 90] ? MenuStep::kOpenSub : MenuStep::kNone;
}

int ListKeyRow(ListKey key, int current, int count, int page) {
    if (count <= 0) return -1;
    page = std::max(page, 1);
    int row = 0;
    if (key == ListKey::kEnd)
        row = count - 1;
    else if (current < 0 || key == ListKey::kHome)
        row = 0;
    else if (key == ListKey::kUp)
        row = current - 1;
    else if (key == ListKey::kDown)
        row = current + 1;
    else
        row = key == ListKey::kPageUp ? current - page : current + page;
    return std::clamp(row, 0, count - 1);
}

int FirstRowShowing(int row, int first, int page) {
    page = std::max(page, 1);
    if (row < first) return row;
    if (row >= first + page) return row - page + 1;
    return first;
}

std::string AccessibleNameOf(const std::string& label, const std::string& skinName,
                             const std::string& toolTip) {
    std::string name = !label.empty() ? label : !skinName.empty() ? skinName : toolTip;
    std::string out;
    for (char c : name) {
        if (c == '\r') continue;
        out += c == '\n' ? ' ' : c;
    }
    return out;
}

std::string RowName(const std::vector<std::string>& cells) {
    std::string out;
    for (const std::string& cell : cells) {
        // Cells pad their text with blanks (the probe log's do); the name
        // has one blank between cells and none at its ends.
        const std::string text = AccessibleNameOf(cell, "", "");
        const size_t first = text.find_first_not_of(' ');
        if (first == std::string::npos) continue;
        if (!out.empty()) out += ' ';
        out += text.substr(first, text.find_last_not_of(' ') + 1 - first);
    }
    return out;
}

std::string ChargeTileName(const std::string& kind, int percent) {
    if (percent < 0) return kind;
    return kind + " " + std::to_string(std::min(percent, 100)) + " %";
}

}  // namespace ui
