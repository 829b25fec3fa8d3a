#pragma once
// CLayoutManager: moves and resizes the items of a resizable window when its
// size changes. Each managed item has one rule: per edge an anchor mode and an
// offset taken from where the skin puts the edge at the layout base size.
#include <cstddef>
#include <vector>

namespace ui {

// Anchor modes of one edge.
enum LayoutAnchor : int {
    kAnchorKeep = 0,    // the edge stays where it is
    kAnchorNear = 1,    // fixed distance from the left or top
    kAnchorFar = 2,     // fixed distance from the right or bottom
    kAnchorCentre = 3,  // moves by half the growth (stays centred)
};

struct LayoutRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// How the manager reaches the items (the window implements it).
class ILayoutItems {
public:
    virtual ~ILayoutItems() = default;
    // False when there is no item of that id.
    virtual bool GetItemRect(int id, LayoutRect& rect) = 0;
    virtual void SetItemRect(int id, const LayoutRect& rect) = 0;
};

class CLayoutManager {
public:
    explicit CLayoutManager(ILayoutItems& items) : m_items(items) {}

    void SetBaseSize(int width, int height) {
        m_baseWidth = width;
        m_baseHeight = height;
    }
    int BaseWidth() const { return m_baseWidth; }
    int BaseHeight() const { return m_baseHeight; }

    // Records the rule from the item's current edges, which must be the
    // skin's (laid out for the base size). False for an unknown item or a mode
    // outside 0..3; nothing is recorded then.
    bool AddLayoutRule(int itemId, int leftMode, int topMode, int rightMode, int bottomMode);
    // Applies every rule for a window of that client size.
    void Resize(int width, int height);
    size_t RuleCount() const { return m_rules.size(); }
    // The window's scale changed from fromDpi to toDpi and the base size is
    // already the new one: every offset follows, far edges measured from the
    // base as before.
    void ConvertOffsets(int fromDpi, int toDpi);

    // The offset a mode stores for an edge at coordinate, base the layout base
    // width (left, right) or height (top, bottom).
    static int AnchorOffset(int mode, int coordinate, int base);
    // The new coordinate of an edge now at current, for a window size.
    static int AnchorPlace(int mode, int current, int offset, int base, int size);

private:
    struct Rule {
        int id;
        int mode[4];
        int offset[4];
    };
    ILayoutItems& m_items;
    int m_baseWidth = 0;
    int m_baseHeight = 0;
    std::vector<Rule> m_rules;
};

}  // namespace ui
