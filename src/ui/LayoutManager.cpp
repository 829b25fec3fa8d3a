#include "ui/LayoutManager.h"

#include "ui/SkinScale.h"

namespace ui {

int CLayoutManager::AnchorOffset(int mode, int coordinate, int base) {
    switch (mode) {
        case kAnchorNear:
            return coordinate;
        case kAnchorFar:
        case kAnchorCentre:
            return coordinate - base;
        default:
            return 0;
    }
}

int CLayoutManager::AnchorPlace(int mode, int current, int offset, int base, int size) {
    switch (mode) {
        case kAnchorNear:
            return offset;
        case kAnchorFar:
            return size + offset;
        case kAnchorCentre:
            return offset + base + (size - base) / 2;
        default:
            return current;
    }
}

bool CLayoutManager::AddLayoutRule(int itemId, int leftMode, int topMode, int rightMode,
                                   int bottomMode) {
    const int modes[4] = {leftMode, topMode, rightMode, bottomMode};
    for (int mode : modes)
        if (mode < kAnchorKeep || mode > kAnchorCentre) return false;
    LayoutRect rect;
    if (!m_items.GetItemRect(itemId, rect)) return false;
    const int edges[4] = {rect.left, rect.top, rect.right, rect.bottom};
    Rule rule = {itemId, {}, {}};
    for (int i = 0; i < 4; ++i) {
        rule.mode[i] = modes[i];
        rule.offset[i] = AnchorOffset(modes[i], edges[i], i % 2 ? m_baseHeight : m_baseWidth);
    }
    m_rules.push_back(rule);
    return true;
}

void CLayoutManager::ConvertOffsets(int fromDpi, int toDpi) {
    for (Rule& rule : m_rules) {
        for (int i = 0; i < 4; ++i) {
            const int base = i % 2 ? m_baseHeight : m_baseWidth;
            const int oldBase = ConvertCoordinate(base, toDpi, fromDpi);
            int& offset = rule.offset[i];
            if (rule.mode[i] == kAnchorNear)
                offset = ConvertCoordinate(offset, fromDpi, toDpi);
            else if (rule.mode[i] != kAnchorKeep)
                offset = ConvertCoordinate(offset + oldBase, fromDpi, toDpi) - base;
        }
    }
}

void CLayoutManager::Resize(int width, int height) {
    for (const Rule& rule : m_rules) {
        LayoutRect rect;
        if (!m_items.GetItemRect(rule.id, rect)) continue;
        int edges[4] = {rect.left, rect.top, rect.right, rect.bottom};
        bool changed = false;
        for (int i = 0; i < 4; ++i) {
            const bool vertical = i % 2 != 0;
            const int place =
                AnchorPlace(rule.mode[i], edges[i], rule.offset[i],
                            vertical ? m_baseHeight : m_baseWidth, vertical ? height : width);
            changed = changed || place != edges[i];
            edges[i] = place;
        }
        if (changed)
            m_items.SetItemRect(rule.id, LayoutRect{edges[0], edges[1], edges[2], edges[3]});
    }
}

}  // namespace ui
