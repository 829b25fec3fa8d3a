// The probe log window against logs the card maker writes: 0, 1, 10 and
// 1 000 uploads, a damaged file, a card change while open.
#include <gtest/gtest.h>

#include "InfoHarness.h"
#include "app/InfoRules.h"
#include "app/ProbeLogWindow.h"
#include "common/CoreBridge.h"
#include "ui/ButtonListView.h"
#include "ui/SkinWindowItemScrollBar.h"

using namespace infotest;
using ui::CProbeLogWindow;

namespace {

// The maker's pattern: results 0, 1, 2, 3, 4, 7 in turn, code 0x12 + i on
// odd entries.
const char* const kResults[6] = {" アップロード成功",      " 処理中",
                                 " 許諾期限切れ / 未許諾", " アップロード中断",
                                 " アップロード失敗",      " アップロード失敗(未定義)"};

std::string Device(int n) { return "PROBE" + std::to_string(n) + "0000000000"; }

}  // namespace

TEST(ProbeLogWindow, RowsForZeroOneTenAndAThousandUploadsScrolledToTheLast) {
    for (int n : {0, 1, 10, 1000}) {
        SCOPED_TRACE(n);
        ASSERT_TRUE(
            MakeCard(kCardE, "--device=" + Device(n) + " --probe-entries=" + std::to_string(n)));
        CProbeLogWindow window(Device(n).c_str());
        window.Create(nullptr);
        window.ShowWindow(SW_SHOWNA);
        ui::CButtonListView& list = *window.List();
        EXPECT_EQ(window.GetRowCount(), n);
        // The last upload, read from the file's far end. (Every outcome and
        // time: InfoAccessTest.)
        if (n > 0) {
            char code[40] = "";
            if ((n - 1) % 2) snprintf(code, sizeof code, "処理コード：0x%08X", 0x11 + n);
            EXPECT_EQ(window.GetCellText(n - 1, 1), kResults[(n - 1) % 6]);
            EXPECT_EQ(window.GetCellText(n - 1, 2), code);
        }
        // Past the last row: empty cells, no crash.
        EXPECT_EQ(window.GetCellText(n, 0), "");
        EXPECT_EQ(window.GetCellText(-1, 1), "");
        // The list scrolls until the last row is the first one shown. (Each
        // scroll code at the list's ends: ListViewTest.)
        const int last = n > 0 ? n - 1 : 0;
        window.SendMessage(WM_VSCROLL, SB_BOTTOM, 0);
        EXPECT_EQ(list.FirstRow(), last);
        EXPECT_EQ(window.ScrollBar()->GetPosition(), last);
        SaveScreen(window, "probe-" + std::to_string(n) + "-bottom");
        window.SendMessage(WM_VSCROLL, SB_TOP, 0);
        SaveScreen(window, "probe-" + std::to_string(n));
    }
}

TEST(ProbeLogWindow, DamagedFileShowsTheRecordsBeforeTheDamage) {
    ASSERT_TRUE(MakeCard(kCardE, "--device=DAMAGED000000001 --probe-entries=10 --probe-damage"));
    const size_t mark = LogMark();
    CProbeLogWindow window("DAMAGED000000001");
    window.Create(nullptr);
    EXPECT_EQ(window.GetRowCount(), 10);
    EXPECT_EQ(window.GetCellText(9, 1), kResults[3]);
    EXPECT_EQ(Logged(mark, "E:プローブログファイルデータ読込失敗 0x"), 1);
    window.ShowWindow(SW_SHOWNA);
    SaveScreen(window, "probe-damaged");
    ClickItem(window, CProbeLogWindow::kCloseButton);
    EXPECT_TRUE(window.IsCloseRequested());
}

TEST(ProbeLogWindow, FollowsTheCardNowInserted) {
    ASSERT_TRUE(MakeCard(kCardE, "--device=FIRSTUNIT0000001 --probe-entries=3"));
    ASSERT_TRUE(MakeCard(kCardF, "--device=SECONDUNIT000001 --probe-entries=7"));
    CProbeLogWindow window("FIRSTUNIT0000001");
    window.Create(nullptr);
    EXPECT_TRUE(InOverlayRegistry(window.GetHandle(), CProbeLogWindow::kOverlayMessage));
    EXPECT_EQ(window.GetRowCount(), 3);
    const UINT change = ::RegisterWindowMessageA(kMsgSDChange);
    window.SendMessage(change, kCardF, 0);
    EXPECT_EQ(window.GetRowCount(), 7);
    // A card without a navigation-info file: an empty list.
    EmptyDrive(kCardE);
    window.SendMessage(change, kCardE, 0);
    EXPECT_EQ(window.GetRowCount(), 0);
    window.ShowWindow(SW_SHOWNA);
    ClickItem(window, CProbeLogWindow::kOKButton);
    EXPECT_TRUE(window.IsCloseRequested());
}
