#include <gtest/gtest.h>

#include "app/LauncherRules.h"

// Tiles 40 wide whose skin places run from 10 to 210: five in steps of 50;
// without the probe tile four from 30 in steps of (200 - 40) / 3 = 53.
TEST(LauncherRules, TileLeftsComeFromTheSkinPlacesOnly) {
    struct Row {
        int first, last, width;
        bool withoutProbe;
        int left[5];
    } const rows[] = {
        {10, 210, 40, false, {10, 60, 110, 160, 210}},
        {10, 210, 40, true, {10, 30, 83, 136, 189}},
        {10, 211, 40, false, {10, 60, 110, 160, 210}},  // steps round down
        {0, 0, 0, true, {0, 0, 0, 0, 0}},
    };
    for (const Row& r : rows) {
        const TileLefts t = LayOutTileLefts(r.first, r.last, r.width, r.withoutProbe);
        for (int k = 0; k < 5; ++k) EXPECT_EQ(t.left[k], r.left[k]) << r.first << " " << k;
    }
}

// The manual music window holds up the exit only; a card change or an eject
// waits for the core and the Setting window.
TEST(LauncherRules, ToolsEndWaitByOccasion) {
    struct Row {
        ToolsWait wait;
        bool core, setting, manual, waits;
    } const rows[] = {
        {ToolsWait::CardChange, false, false, false, false},
        {ToolsWait::CardChange, true, false, false, true},
        {ToolsWait::CardChange, false, true, false, true},
        {ToolsWait::CardChange, false, false, true, false},
        {ToolsWait::Exit, false, false, false, false},
        {ToolsWait::Exit, true, false, false, true},
        {ToolsWait::Exit, false, true, false, true},
        {ToolsWait::Exit, false, false, true, true},
    };
    for (const Row& r : rows)
        EXPECT_EQ(ToolsStillThere(r.wait, r.core, r.setting, r.manual), r.waits)
            << (r.wait == ToolsWait::Exit) << r.core << r.setting << r.manual;
}
