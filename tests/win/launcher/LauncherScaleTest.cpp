// The launcher and its pop-ups made at 96, 144 and 192 DPI, in children
// started at each: size, place, faces and whole messages at each scale.
#include <windows.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "LauncherHarness.h"
#include "app/InfoChargeWindow.h"
#include "app/LauncherWindow.h"
#include "app/MapChargeWindow.h"
#include "app/VersionWindow.h"
#include "common/WickerdaleConfig.h"
#include "tests/support/DpiSupport.h"
#include "ui/SkinScale.h"
#include "ui/SkinScaleWin.h"

using ui::CLauncherWindow;

namespace {

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
        "gap " + std::to_string(::GetSystemMetrics(SM_CXFULLSCREEN) - r.right),
    };
    for (auto [id, block] : {std::make_pair(+CLauncherWindow::kCloseButton, "CloseButton"),
                             std::make_pair(+CLauncherWindow::kMinimizeButton, "MinimizeButton"),
                             std::make_pair(+CLauncherWindow::kMenuButton, "MenuButton")})
        lines.push_back(CompareFace(*window, id, block));
    lines.push_back(std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top));
    lt::SaveScreen(window->BackBuffer(), "launcher-" + std::to_string(window->Dpi()));
    RequestToolsEnd();
    window->DestroyWindow();
    return qmtest::WriteFindings(args[0], lines) ? 0 : 4;
}

TEST(LauncherScale, SizeAndPlaceFollowTheDpiAndFacesComeFromTheSheetOfTheScale) {
    std::vector<SIZE> sizes;
    for (int dpi : {96, 144, 192}) {
        const std::string file = qmtest::WorkFolder() + "launcher" + std::to_string(dpi) + ".txt";
        std::vector<std::string> found = qmtest::ChildFindingsAt(dpi, "launcherdpi", file);
        // Its size last; 10 px from the right edge of the screen, at the scale.
        SIZE size = {};
        ASSERT_EQ(
            found.empty() ? 0 : std::sscanf(found.back().c_str(), "%ld %ld", &size.cx, &size.cy), 2)
            << dpi;
        found.pop_back();
        EXPECT_EQ(found, (std::vector<std::string>{
                             "dpi " + std::to_string(dpi),
                             "gap " + std::to_string(ui::ScaleCoordinate(10, dpi)),
                             "CloseButton same", "MinimizeButton same", "MenuButton same"}));
        sizes.push_back(size);
    }
    // 1.5 and 2 times the 96-DPI size, within a pixel of rounding.
    ASSERT_GT(sizes[0].cx, 0);
    EXPECT_NEAR(sizes[1].cx, sizes[0].cx * 3 / 2.0, 1.0);
    EXPECT_NEAR(sizes[1].cy, sizes[0].cy * 3 / 2.0, 1.0);
    EXPECT_NEAR(sizes[2].cx, sizes[0].cx * 2, 1);
    EXPECT_NEAR(sizes[2].cy, sizes[0].cy * 2, 1);
}

namespace {

std::string RectText(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

// A label of a pop-up as it shows: "name rect l,t,r,b ink l,t,r,b lines n".
// Its ink is every pixel of its rectangle that differs from the same window
// composed with the label hidden; lines are the runs of rows with ink.
std::string LabelInk(ui::CSkinWindow& window, int id, const std::string& name) {
    ui::CSkinWindowItem* label = window.GetItemById(id);
    window.RedrawAll();
    const lib::wfc::CDIB& back = *window.BackBuffer();
    const RECT r = label->GetRect();
    const RECT in = {std::max<int>(r.left, 0), std::max<int>(r.top, 0),
                     std::min<int>(r.right, back.Width()), std::min<int>(r.bottom, back.Height())};
    std::vector<COLORREF> shown;
    for (int y = in.top; y < in.bottom; ++y)
        for (int x = in.left; x < in.right; ++x) shown.push_back(back.GetPixel(x, y));
    label->SetVisible(false);
    window.RedrawAll();
    RECT ink = {INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    int lines = 0;
    bool inLine = false;
    size_t i = 0;
    for (int y = in.top; y < in.bottom; ++y) {
        bool any = false;
        for (int x = in.left; x < in.right; ++x) {
            if (back.GetPixel(x, y) == shown[i++]) continue;
            any = true;
            ink = RECT{std::min<int>(ink.left, x), std::min<int>(ink.top, y),
                       std::max<int>(ink.right, x + 1), std::max<int>(ink.bottom, y + 1)};
        }
        lines += any && !inLine;
        inLine = any;
    }
    label->SetVisible(true);
    window.RedrawAll();
    if (lines == 0) ink = RECT{};
    return name + " rect " + RectText(r) + " ink " + RectText(ink) + " lines " +
           std::to_string(lines);
}

struct Ink {
    RECT rect = {}, ink = {};
    int lines = 0;
};

// A plain window the launcher's size where it would stand, at the system's
// scale: the pop-ups slide out of its top edge, as wide as it. Settings and
// map notices at their defaults. (It goes with the child process.)
HWND PopupOwner() {
    lt::SetUpProgram();
    CWickerdaleConfig().ResetSetting(true);
    CWickerdaleConfig().ResetMap(true);
    const int dpi = ui::SystemDpi();
    return ::CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "owner", WS_POPUP | WS_VISIBLE,
                             ui::ScaleCoordinate(400, dpi), ui::ScaleCoordinate(600, dpi),
                             ui::ScaleCoordinate(293, dpi), ui::ScaleCoordinate(132, dpi), nullptr,
                             nullptr, ::GetModuleHandleA(nullptr), nullptr);
}

std::map<std::string, Ink> ParseInk(const std::vector<std::string>& lines) {
    std::map<std::string, Ink> found;
    for (const std::string& line : lines) {
        char name[32] = {};
        Ink k;
        if (std::sscanf(line.c_str(), "%31s rect %ld,%ld,%ld,%ld ink %ld,%ld,%ld,%ld lines %d",
                        name, &k.rect.left, &k.rect.top, &k.rect.right, &k.rect.bottom, &k.ink.left,
                        &k.ink.top, &k.ink.right, &k.ink.bottom, &k.lines) == 10)
            found[name] = k;
        else
            found[line] = k;  // a child's failure, named in the comparison
    }
    return found;
}

}  // namespace

QM_CHILD_MAIN(popupink) {
    if (args.empty()) return 2;
    const HWND owner = PopupOwner();
    if (!owner) return 3;
    std::vector<std::string> lines;
    // Every map question: the short ones 150 px high, those with the check
    // box or the bottom buttons 172, the download estimate with its note;
    // in the licence wording, and the three that differ in the password one.
    const std::pair<int, int> kQuestions[] = {{0, 2}, {1, 2}, {2, 2}, {3, 2}, {4, 2}, {5, 2},
                                              {7, 2}, {8, 2}, {0, 0}, {1, 0}, {3, 0}};
    for (const auto& [type, variant] : kQuestions) {
        ui::CMapChargeWindow map(owner);
        map.CreateMapWindow();
        map.SetVariant(variant);
        if (!map.SetType(type, type == 2 ? 0x250131u : 5400u)) return 5;
        map.Show();
        map.FinishSlide();
        const std::string name = "map" + std::to_string(type) + (variant == 2 ? "" : "password");
        lines.push_back(LabelInk(map, ui::CMapChargeWindow::kInformationTextStatic, name));
        if (type == 4)
            lines.push_back(
                LabelInk(map, ui::CMapChargeWindow::kInformationTextSmallStatic, name + "note"));
        if (variant == 2 && (type == 3 || type == 4))
            lt::SaveScreen(map.BackBuffer(), "map-" + name + "-" + std::to_string(map.Dpi()));
    }
    {
        ui::CVersionWindow version;
        version.ShowFor(owner);
        lines.push_back(LabelInk(version, ui::CVersionWindow::kVersionText, "version"));
    }
    // The traffic question runs modally: it is measured and answered inside its loop.
    const lt::CInsideModal inside([&] {
        auto* info = dynamic_cast<ui::CInfoChargeWindow*>(
            lib::wfc::CWindow::FromHandle(::FindWindowA(nullptr, "Quillmarch Info")));
        if (!info) return false;
        info->FinishSlide();
        lines.push_back(LabelInk(*info, ui::CInfoChargeWindow::kUpdateConfirmTextStatic, "info"));
        info->PostMessage(WM_COMMAND, ui::CInfoChargeWindow::kCancelButton | 0x10000, 0);
        return true;
    });
    if (ui::CInfoChargeQuestion::Ask(owner)) return 6;  // Cancel answers no
    return qmtest::WriteFindings(args[0], lines) ? 0 : 4;
}

TEST(LauncherScale, EveryPopupShowsItsWholeMessageAtEachScale) {
    std::map<int, std::map<std::string, Ink>> at;
    for (int dpi : {96, 144, 192}) {
        const std::string file = qmtest::WorkFolder() + "popupink" + std::to_string(dpi) + ".txt";
        at[dpi] = ParseInk(qmtest::ChildFindingsAt(dpi, "popupink", file));
        ASSERT_GT(at[dpi].size(), 1u) << dpi << " " << at[dpi].begin()->first;
    }
    const std::vector<std::string> names = {
        "map0", "map1", "map2",         "map3",         "map4",         "map4note", "map5",
        "map7", "map8", "map0password", "map1password", "map3password", "version",  "info"};
    for (const std::string& name : names) ASSERT_EQ(at[96].count(name), 1u) << name;
    // Room below the last line at every scale: a message longer than its
    // label is cut by the label's bottom edge, which its ink then reaches.
    for (int dpi : {96, 144, 192})
        for (const std::string& name : names)
            EXPECT_LT(at[dpi][name].ink.bottom, at[dpi][name].rect.bottom - 1)
                << name << " " << dpi;
    for (int dpi : {144, 192}) {
        ASSERT_EQ(at[dpi].size(), at[96].size()) << dpi;
        for (const std::string& name : names) {
            const Ink& one = at[96][name];
            const Ink& k = at[dpi][name];
            auto scaled = [&](LONG v) { return ui::ScaleCoordinate(v, dpi); };
            // The label where the skin puts it at that scale (the layout's
            // far edges within a pixel of rounding).
            EXPECT_EQ(k.rect.left, scaled(one.rect.left)) << name << " " << dpi;
            EXPECT_EQ(k.rect.top, scaled(one.rect.top)) << name << " " << dpi;
            EXPECT_NEAR(k.rect.right, scaled(one.rect.right), 1) << name << " " << dpi;
            EXPECT_NEAR(k.rect.bottom, scaled(one.rect.bottom), 1) << name << " " << dpi;
            // The message scaled with its label: starting where the 100 %
            // text starts (within two pixels of glyph rounding), never wrapped
            // into more lines, and as tall as at 100 % within a line's leading.
            // One line fewer is a scaled font's rounding fitting a last word
            // that wrapped at 100 % ("す。" of the password wording's type 1).
            EXPECT_GT(one.lines, 0) << name;
            EXPECT_LE(k.lines, one.lines) << name << " " << dpi;
            EXPECT_GE(k.lines, one.lines - 1) << name << " " << dpi;
            EXPECT_NEAR(k.ink.left, scaled(one.ink.left), 2) << name << " " << dpi;
            EXPECT_NEAR(k.ink.top, scaled(one.ink.top), 2) << name << " " << dpi;
            if (k.lines == one.lines) {
                EXPECT_NEAR(k.ink.bottom - k.ink.top, scaled(one.ink.bottom - one.ink.top),
                            ui::ScaleCoordinate(4, dpi))
                    << name << " " << dpi;
            }
        }
    }
}
