// The SD information window on cards the card maker writes: complete,
// older, equal and newer versions, no card, a card pulled while open, a
// nearly full card. (The hidden service row's band and the version list on
// the clipboard: InfoAccessTest, on the two windows it reads.)
#include <gtest/gtest.h>

#include "InfoHarness.h"
#include "app/SDInfoWindow.h"
#include "common/CoreBridge.h"

using namespace infotest;
using ui::CSDInfoWindow;

namespace {

const std::string kNoDate = "----/--/-- --：--";

// Date, card status and unit status of a row.
std::vector<std::string> RowOf(CSDInfoWindow& w, int row) {
    return {w.CellText(row, CSDInfoWindow::kDate), w.CellText(row, CSDInfoWindow::kCardStatus),
            w.CellText(row, CSDInfoWindow::kUnitStatus)};
}

}  // namespace

TEST(SDInfoWindow, CompleteChargeOfEveryKind) {
    ASSERT_TRUE(MakeCard(kCardE,
                         "--device=COMPLETE00000001 --every-kind --probe-entries=4 "
                         "--sdinfo=4:2:01000005::0:0:202611051230 "
                         "--sdinfo=8:2:01000003::0:0:202611061231 "
                         "--sdinfo=2:2:05000100::0:0:202611071232 "
                         "--sdinfo=16:2:00000001::0:0:202611081233 "
                         "--sdinfo=32:2:01000001::0:0:202611091234"));
    SDInfoOpened o(kCardE, true);
    CSDInfoWindow& w = o.window;
    EXPECT_EQ(w.DeviceNo(), "COMPLETE00000001");
    EXPECT_TRUE(InOverlayRegistry(w.GetHandle(), CSDInfoWindow::kOverlayMessage));
    // (The traffic and map rows complete, as here: InfoAccessTest.)
    using V = std::vector<std::string>;
    EXPECT_EQ(RowOf(w, CSDInfoWindow::kRowWeather), (V{"2026/11/06 12：31", "完了", "－"}));
    EXPECT_EQ(RowOf(w, CSDInfoWindow::kRowMusic), (V{"2026/11/08 12：33", "完了", "－"}));
    EXPECT_EQ(RowOf(w, CSDInfoWindow::kRowLumen), (V{"2026/11/09 12：34", "完了", "完了"}));
    // The last of the four uploads is today at 10:03.
    const std::string probe = w.CellText(CSDInfoWindow::kRowProbe, CSDInfoWindow::kDate);
    ASSERT_EQ(probe.size(), kNoDate.size());
    EXPECT_EQ(probe.substr(10), " 10：03");
    SaveScreen(w, "sdinfo-complete");
}

TEST(SDInfoWindow, OlderEqualAndNewerVersionsThanThePcLinkFile) {
    // Traffic older on the card than the PC-link record, weather newer, the
    // map newer than any search data the unit lists, music not transferred.
    ASSERT_TRUE(MakeCard(kCardE,
                         "--device=VERSIONS00000001 "
                         "--sdinfo=4:2:01000004::0:0:202611051230 "
                         "--sdinfo=8:2:01000009::0:0:202611061231 "
                         "--sdinfo=2:2:05000200::0:0:202611071232 "
                         "--sdinfo=16:1:00000001"));
    const size_t mark = LogMark();
    SDInfoOpened o(kCardE);
    CSDInfoWindow& w = o.window;
    using V = std::vector<std::string>;
    EXPECT_EQ(RowOf(w, CSDInfoWindow::kRowBraidline), (V{"2026/11/05 12：30", "なし", "－"}));
    EXPECT_EQ(RowOf(w, CSDInfoWindow::kRowWeather), (V{"2026/11/06 12：31", "なし", "－"}));
    EXPECT_EQ(RowOf(w, CSDInfoWindow::kRowMap), (V{"2026/11/07 12：32", "なし", "未転送"}));
    EXPECT_EQ(RowOf(w, CSDInfoWindow::kRowMusic), (V{kNoDate, "なし", "－"}));
    EXPECT_EQ(Logged(mark, "N:PCLINK < NAVIINFO ID:0x20000001 PCver:0x01000005 SDInfo:0x01000004"),
              1);
    EXPECT_EQ(Logged(mark, "N:PCLINK < NAVIINFO ID:0x20000001 PCver:0x00000000 NAVIver:0x05000100"),
              1);
    SaveScreen(w, "sdinfo-versions");
}

TEST(SDInfoWindow, NoCardAndACardPulledWhileOpen) {
    ASSERT_TRUE(MakeCard(kCardE, "--device=PULLED0000000001"));
    SDInfoOpened o(kCardE);
    CSDInfoWindow& w = o.window;
    EXPECT_EQ(w.CellText(CSDInfoWindow::kRowMap, CSDInfoWindow::kCardStatus), "完了");
    EmptyDrive(kCardE);
    const size_t mark = LogMark();
    w.SendMessage(::RegisterWindowMessageA(kMsgSDChange), kCardE, 0);
    w.WaitForSizes();
    for (int row = 0; row < CSDInfoWindow::kRowProbe; ++row) {
        using V = std::vector<std::string>;
        EXPECT_EQ(RowOf(w, row), (V{kNoDate, "－", "－"})) << row;
    }
    EXPECT_EQ(w.CellText(CSDInfoWindow::kRowProbe, CSDInfoWindow::kDate), kNoDate);
    EXPECT_EQ(Logged(mark, "E:デバイスNo取得失敗 ERR:0x"), 1);
    EXPECT_EQ(w.TotalText(), "Total 0.00GB");
    SaveScreen(w, "sdinfo-pulled");

    // A letter with no drive at all: every size 0 and the invalid drive.
    const size_t mark2 = LogMark();
    w.SendMessage(::RegisterWindowMessageA(kMsgSDChange), 'X', 0);
    w.WaitForSizes();
    EXPECT_EQ(Logged(mark2, "E:無効なドライブ指定 X:\\"), 1);
    EXPECT_EQ(w.TotalText(), "Total 0.00GB");
    for (int bar = 0; bar < 5; ++bar) {
        const RECT r = w.BarRect(bar);
        EXPECT_EQ(r.right - r.left, 0) << bar;
    }
}

TEST(SDInfoWindow, SizeBarsOfANearlyFullCard) {
    if (!MakeCard(kSmallCard,
                  "--device=NEARLYFULL000001 --music-files=0 "
                  "--file=:\\PC\\MAP\\M.BIN:16777216 --file=:\\PC\\WEATHER\\W.BIN:1000 "
                  "--fill-to-free=1048576")) {
        GTEST_SKIP() << "no small volume behind N: here";
    }
    ULARGE_INTEGER avail = {}, total = {}, free = {};
    ASSERT_TRUE(::GetDiskFreeSpaceExA("N:\\", &avail, &total, &free));
    if (total.QuadPart != 64ull << 20) GTEST_SKIP() << "N: is not the 64 MB volume";
    SDInfoOpened o(kSmallCard);
    CSDInfoWindow& w = o.window;
    const RECT blank = w.GetItemById(CSDInfoWindow::kSizeBarBlank)->GetRect();
    ASSERT_EQ(blank.right - blank.left, 376);
    // Map 16 MiB of 64: 25 %, 94 px; weather a few bytes: at least 1 %, 3 px;
    // traffic and music empty.
    const int widths[4] = {94, 0, 3, 0};
    int left = blank.left;
    for (int bar = 0; bar < 4; ++bar) {
        const RECT r = w.BarRect(bar);
        EXPECT_EQ(r.left, left) << bar;
        EXPECT_EQ(r.right - r.left, widths[bar]) << bar << " " << w.TotalText();
        EXPECT_EQ(r.top, blank.top);
        left = r.right;
    }
    EXPECT_EQ(w.TotalText(), "Total 0.02GB");
    // The map bar's picture inside it, the blank bar's beyond the bars.
    w.RedrawAll();
    lib::wfc::CDIB* dib = w.BackBuffer();
    ASSERT_NE(dib, nullptr);
    const int y = (blank.top + blank.bottom) / 2;
    const COLORREF inMap = dib->GetPixel(blank.left + 40, y);
    const COLORREF beyond = dib->GetPixel(blank.left + 200, y);
    EXPECT_NE(inMap, beyond);
    EXPECT_EQ(dib->GetPixel(blank.left + 90, y), inMap);
    EXPECT_EQ(dib->GetPixel(blank.left + 300, y), beyond);
    SaveScreen(dib, "sdinfo-nearly-full");
}
