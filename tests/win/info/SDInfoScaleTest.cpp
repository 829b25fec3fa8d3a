// The SD information window without its service row moved to 144 and 192
// DPI is the window made there (a child at that DPI); moved back, itself.
#include <gtest/gtest.h>

#include "InfoHarness.h"
#include "app/SDInfoWindow.h"
#include "tests/support/DpiSupport.h"
#include "ui/Skin.h"
#include "ui/SkinScale.h"
#include "wfc/Library.h"

using namespace infotest;
using ui::CSDInfoWindow;

namespace {

// The client size, then every item: id, place, shown.
std::vector<std::string> Table(CSDInfoWindow& w) {
    const RECT client = w.GetClientRect();
    std::vector<std::string> lines = {"client " + std::to_string(client.right) + "x" +
                                      std::to_string(client.bottom)};
    for (const auto& item : w.Items()) {
        const RECT r = item->GetRect();
        lines.push_back(std::to_string(item->GetId()) + " " + std::to_string(r.left) + "," +
                        std::to_string(r.top) + "," + std::to_string(r.right) + "," +
                        std::to_string(r.bottom) + (item->IsVisible() ? " shown" : " hidden"));
    }
    return lines;
}

void ChangeDpi(CSDInfoWindow& w, int dpi) {
    // As the system suggests it: the window's size converted to the new DPI.
    RECT r = w.GetWindowRect();
    r.right = r.left + ui::ConvertCoordinate(r.right - r.left, w.Dpi(), dpi);
    r.bottom = r.top + ui::ConvertCoordinate(r.bottom - r.top, w.Dpi(), dpi);
    w.SendMessage(WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
}

}  // namespace

QM_CHILD_MAIN(sdinfodpi) {
    if (args.empty()) return 2;
    lib::wfc::InitLibrary(::GetModuleHandleA(nullptr), "Quillmarch ", nullptr, nullptr);
    const HMODULE skins = qmtest::ProgramModule();
    ui::SetSkinResourceMode(skins, skins, skins);
    CSDInfoWindow w;
    w.Create(nullptr, kCardE);
    w.WaitForSizes();
    std::vector<std::string> lines = Table(w);
    lines.insert(lines.begin(), "dpi " + std::to_string(w.Dpi()));
    return qmtest::WriteFindings(args[0], lines) ? 0 : 4;
}

TEST(SDInfoScale, MovedTo144Or192DpiItIsTheWindowMadeThereAndBackAgain) {
    ASSERT_TRUE(MakeCard(kCardE, "--device=WEATHER000000001 --sdinfo=8:1:01000003"));
    CSDInfoWindow w;
    w.Create(nullptr, kCardE);
    w.WaitForSizes();
    ASSERT_EQ(w.Dpi(), 96);
    const std::vector<std::string> at96 = Table(w);
    for (int dpi : {144, 192}) {
        const std::string file = qmtest::WorkFolder() + "sdinfo" + std::to_string(dpi) + ".txt";
        const std::vector<std::string> made = qmtest::ChildFindingsAt(dpi, "sdinfodpi", file);
        ASSERT_FALSE(made.empty());
        ASSERT_EQ(made[0], "dpi " + std::to_string(dpi));
        ChangeDpi(w, dpi);
        ASSERT_EQ(w.Dpi(), dpi);
        EXPECT_EQ(std::vector<std::string>(made.begin() + 1, made.end()), Table(w)) << dpi;
        w.RedrawAll();
        SaveScreen(w.BackBuffer(), "sdinfo-moved-to-" + std::to_string(dpi));
        ChangeDpi(w, 96);
        EXPECT_EQ(at96, Table(w)) << dpi;
    }
}
