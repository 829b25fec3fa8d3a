// The launcher made at 96, 144 and 192 DPI (children started with the
// prefix's LogPixels set): its size at each scale, its place at the bottom
// right, and the caption buttons' faces from the sheet of that scale.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "LauncherHarness.h"
#include "app/LauncherWindow.h"
#include "tests/support/DpiSupport.h"
#include "ui/SkinScale.h"
#include "ui/SkinScaleWin.h"

using ui::CLauncherWindow;

namespace {

struct Found {
    int width = 0, height = 0, rightGap = 0, dpi = 0;
    std::vector<std::string> faces;  // "name same" or "name differs at x,y"
};

Found Parse(const std::vector<std::string>& lines) {
    Found f;
    for (const std::string& line : lines) {
        if (line.rfind("size ", 0) == 0)
            std::sscanf(line.c_str(), "size %dx%d", &f.width, &f.height);
        else if (line.rfind("gap ", 0) == 0)
            f.rightGap = std::atoi(line.c_str() + 4);
        else if (line.rfind("dpi ", 0) == 0)
            f.dpi = std::atoi(line.c_str() + 4);
        else
            f.faces.push_back(line);
    }
    return f;
}

// Each caption button's face against the sheet of the window's scale: every
// pixel of the item that the sheet does not leave transparent.
std::string CompareFace(CLauncherWindow& window, int id, const char* block) {
    const ui::SkinItem& item = ui::GetItem(window.Skin(), block);
    const ui::SkinValues& face = item.properties.at("NormalImage");
    std::string bytes;
    int sheetDpi = 96;
    lib::wfc::CDIB sheet;
    if (!ui::ReadScaledSheet(face[0], window.Dpi(), bytes, sheetDpi) ||
        sheet.LoadMemory(bytes.data(), bytes.size()) != lib::wfc::kLoadOk)
        return std::string(block) + " no sheet";
    ui::FitSheet(sheet, sheetDpi, window.Dpi());
    const int fx = ui::ParseSkinInteger(face[1]), fy = ui::ParseSkinInteger(face[2]);
    const RECT r = window.GetItemById(id)->GetRect();
    const lib::wfc::CDIB& back = *window.BackBuffer();
    int compared = 0;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            const COLORREF want = sheet.GetPixel(fx + x - r.left, fy + y - r.top);
            if (want == lib::wfc::kKeyColor) continue;
            ++compared;
            if (back.GetPixel(x, y) != want)
                return std::string(block) + " differs at " + std::to_string(x - r.left) + "," +
                       std::to_string(y - r.top);
        }
    }
    return std::string(block) + (compared > 0 ? " same" : " transparent");
}

}  // namespace

QM_CHILD_MAIN(launcherdpi) {
    if (args.empty()) return 2;
    lt::SetUpProgram();
    auto window = std::make_unique<CLauncherWindow>();
    if (!window->CreateLauncher(2)) return 3;
    const RECT r = window->GetWindowRect();
    std::vector<std::string> lines = {
        "dpi " + std::to_string(window->Dpi()),
        "size " + std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top),
        "gap " + std::to_string(::GetSystemMetrics(SM_CXFULLSCREEN) - r.right),
    };
    for (auto [id, block] : {std::make_pair(+CLauncherWindow::kCloseButton, "CloseButton"),
                             std::make_pair(+CLauncherWindow::kMinimizeButton, "MinimizeButton"),
                             std::make_pair(+CLauncherWindow::kMenuButton, "MenuButton")})
        lines.push_back(CompareFace(*window, id, block));
    lt::SaveScreen(window->BackBuffer(), "launcher-" + std::to_string(window->Dpi()));
    RequestToolsEnd();
    window->DestroyWindow();
    return qmtest::WriteFindings(args[0], lines) ? 0 : 4;
}

TEST(LauncherScale, SizeAndPlaceFollowTheDpiAndFacesComeFromTheSheetOfTheScale) {
    std::vector<Found> found;
    for (int dpi : {96, 144, 192}) {
        const std::string file = qmtest::WorkFolder() + "launcher" + std::to_string(dpi) + ".txt";
        found.push_back(Parse(qmtest::ChildFindingsAt(dpi, "launcherdpi", file)));
        const Found& f = found.back();
        ASSERT_EQ(f.dpi, dpi);
        // 10 px from the right edge of the screen, at the scale.
        EXPECT_EQ(f.rightGap, ui::ScaleCoordinate(10, dpi)) << dpi;
        const std::vector<std::string> faces = {"CloseButton same", "MinimizeButton same",
                                                "MenuButton same"};
        EXPECT_EQ(f.faces, faces) << dpi;
    }
    const Found& one = found[0];
    ASSERT_GT(one.width, 0);
    // 1.5 and 2 times the 96-DPI size, within a pixel of rounding.
    EXPECT_NEAR(found[1].width, one.width * 3 / 2.0, 1.0);
    EXPECT_NEAR(found[1].height, one.height * 3 / 2.0, 1.0);
    EXPECT_NEAR(found[2].width, one.width * 2, 1);
    EXPECT_NEAR(found[2].height, one.height * 2, 1);
}
