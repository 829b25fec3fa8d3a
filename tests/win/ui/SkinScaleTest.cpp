// Skin windows at 96, 144 and 192 DPI (children started with the prefix's
// LogPixels set) and after WM_DPICHANGED, against tables of what they show.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/DpiSupport.h"
#include "tests/win/ui/SkinWindowKit.h"
#include "ui/ResizableSkinWindow.h"

using namespace ui;
using namespace skintest;

namespace {

// The 2x sheet's normal face is told apart from the 1x one's.
constexpr COLORREF kFaceN2 = RGB(210, 20, 20);

std::string Hex(COLORREF c) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

// The item skin's folder with Parts@2x.png beside the 1x sheets: the 1x
// parts doubled, pixel for pixel (every sprite where the mapping puts it),
// with the normal face in its own colour. No 1.5x sheet and no 2x
// background: those scales take the nearest sheet.
void PrepareScaledSkin(const char* name) {
    const std::string folder = PrepareItemSkin(name);
    lib::wfc::CDIB parts;
    if (parts.LoadFile((folder + "Parts.png").c_str()) != lib::wfc::kLoadOk) return;
    lib::wfc::CDIB doubled;
    doubled.Create(parts.Width() * 2, parts.Height() * 2);
    for (int y = 0; y < doubled.Height(); ++y) {
        for (int x = 0; x < doubled.Width(); ++x) {
            const COLORREF c = parts.GetPixel(x / 2, y / 2);
            doubled.SetPixel(x, y, c == kFaceN ? kFaceN2 : c);
        }
    }
    doubled.SavePng((folder + "Parts@2x.png").c_str());
    ClearSkinCache();
}

// The id of the item a press at a client point reaches (0: none).
int PressedItem(CRecordingWindow& window, int x, int y) {
    window.events.clear();
    ::SendMessageA(window.GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    ::SendMessageA(window.GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    const int id = window.events.empty() ? 0 : window.events.front().id;
    MSG msg;
    while (::PeekMessageA(&msg, window.GetHandle(), WM_COMMAND, WM_COMMAND, PM_REMOVE)) {
    }
    return id;
}

// What the tables below compare, measured on the item window, one line a
// property.
std::vector<std::string> MeasureItemWindow(CRecordingWindow& window) {
    std::vector<std::string> out;
    HWND hwnd = window.GetHandle();
    const RECT client = window.GetClientRect();
    out.push_back("client " + std::to_string(client.right) + "x" + std::to_string(client.bottom));
    const RECT button = window.GetItemById(kPushButton)->GetRect();
    out.push_back("button " + Edges(button));
    const lib::wfc::CDIB& back = *window.BackBuffer();
    const int cx = (button.left + button.right) / 2, cy = (button.top + button.bottom) / 2;
    // The face, then its key corner diagonally in: the background, then the face.
    std::string face = "face " + Hex(back.GetPixel(cx, cy)) + " corner";
    for (int d = 0; d < 3; ++d) face += " " + Hex(back.GetPixel(button.left + d, button.top + d));
    out.push_back(face);
    // The item a press reaches just outside and inside the button's left,
    // right, top and bottom edges.
    std::string presses = "presses";
    for (const POINT& p :
         {POINT{button.left - 1, cy}, POINT{button.left, cy}, POINT{button.right - 1, cy},
          POINT{button.right, cy}, POINT{cx, button.top - 1}, POINT{cx, button.bottom - 1}})
        presses += " " + std::to_string(PressedItem(window, p.x, p.y));
    out.push_back(presses);
    // The caption drags above CaptionHeight (20 at 96 DPI), scaled.
    const int caption = window.CaptionHeight();
    std::string nchit = "nchit";
    for (int y : {caption - 1, caption}) {
        POINT pt = {10, y};
        ::ClientToScreen(hwnd, &pt);
        const LRESULT hit = ::SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
        nchit += " " + std::to_string(y) + ":" + std::to_string(hit);
    }
    out.push_back(nchit);
    // The background's hole, in the picture and in the window's shape.
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    ::GetWindowRgn(hwnd, region);
    std::string holes = "holes";
    for (const POINT& p : {POINT{149, 150}, POINT{150, 150}, POINT{151, 150}, POINT{199, 200},
                           POINT{200, 200}, POINT{201, 201}, POINT{202, 201}}) {
        if (p.x >= client.right || p.y >= client.bottom) continue;
        holes += " " + std::to_string(p.x) + "," + std::to_string(p.y) + " " +
                 Hex(back.GetPixel(p.x, p.y)) + (::PtInRegion(region, p.x, p.y) ? " in" : " out");
    }
    ::DeleteObject(region);
    if (holes != "holes") out.push_back(holes);
    // Text measured in the window's font fits the label's height, Japanese too.
    const RECT label = window.GetItemById(kCaptionLabel)->GetRect();
    const SIZE text = lib::wfc::CDIB::GetGlyphTextExtent("初期設定", 8, window.Font());
    out.push_back(std::string("label fits ") +
                  (text.cy > 0 && text.cy <= label.bottom - label.top ? "yes" : "no"));
    // The edit control sits on its item, in a font of the window's scale.
    auto* edit = static_cast<CSkinWindowItemEditBox*>(window.GetItemById(kEdit));
    RECT control = {};
    ::GetWindowRect(edit->GetControl(), &control);
    ::MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&control), 2);
    LOGFONTA font = {};
    ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(edit->GetControl(), WM_GETFONT, 0, 0)),
                 sizeof font, &font);
    out.push_back("edit " + Edges(control) + " font " + std::to_string(font.lfHeight));
    return out;
}

// The frame skin's list view in a resizable window.
std::vector<std::string> MeasureListView() {
    UseFrameSkin();
    CTextRows table;
    table.rows = 20;
    table.text = [](int row, int) { return "行" + std::to_string(row); };
    CResizableSkinWindow window;
    window.LoadSkin("FrameTest.txt", "Base", false);
    auto* bar = window.AddItem<CSkinWindowItemScrollBar>(10, GetItem(window.Skin(), "ScrollBar"));
    auto* list = window.AddItem<CButtonListView>(11, GetItem(window.Skin(), "List"), bar, nullptr);
    list->AddColumn("text", 60);
    list->AddColumn("asks", 40, DT_CENTER, true, -1);
    list->AddColumn("more", 41);
    window.CreateResizableWindow(nullptr, WS_POPUP, WS_EX_TOOLWINDOW, 100, 100);
    list->SetTable(&table);
    std::vector<std::string> out;
    out.push_back("list " + Edges(list->GetRect()));
    out.push_back("rows " + std::to_string(list->RowHeight()) + " visible " +
                  std::to_string(list->VisibleRows()));
    std::string widths = "columns";
    for (const ListColumn& column : list->Columns()) widths += " " + std::to_string(column.width);
    out.push_back(widths);
    // The last pixel of row 2, column 0, and the first of row 3, column 2.
    for (const POINT& p : {POINT{list->CellRect(2, 0).right - 1, list->CellRect(2, 0).bottom - 1},
                           POINT{list->CellRect(3, 2).left, list->CellRect(3, 2).top}}) {
        const ListHit hit = list->HitTestPoint(p.x, p.y);
        out.push_back("hit " + std::to_string(p.x) + "," + std::to_string(p.y) + " " +
                      std::to_string(hit.part) + " " + std::to_string(hit.row) + " " +
                      std::to_string(hit.column));
    }
    window.DestroyWindow();
    return out;
}

// kPushButton is item 3; HTCAPTION 2, HTCLIENT 1. At 144 the face is the 2x
// sheet shrunk (there is no 1.5x sheet), at 192 the 2x sheet itself, its key
// corner doubled; the 1x background blown up keeps its one-pixel hole one
// pixel at 144 (2 x 2 at 192), no fringe.
const std::vector<std::string> kAt96 = {
    "client 200x120",
    "button 40,40,56,56",
    "face C80000 corner 282C32 C80000 C80000",
    "presses 0 3 3 0 0 3",
    "nchit 19:2 20:1",
    "label fits yes",
    "edit 10,60,90,80 font -12",
};
const std::vector<std::string> kAt144 = {
    "client 300x180",
    "button 60,60,84,84",
    "face D21414 corner 282C32 D21414 D21414",
    "presses 0 3 3 0 0 3",
    "nchit 29:2 30:1",
    "holes 149,150 282C32 in 150,150 FF00FF out 151,150 282C32 in",
    "label fits yes",
    "edit 15,90,135,120 font -18",
};
const std::vector<std::string> kAt192 = {
    "client 400x240",
    "button 80,80,112,112",
    "face D21414 corner 282C32 282C32 D21414",
    "presses 0 3 3 0 0 3",
    "nchit 39:2 40:1",
    "holes 149,150 282C32 in 150,150 282C32 in 151,150 282C32 in 199,200 282C32 in "
    "200,200 FF00FF out 201,201 FF00FF out 202,201 282C32 in",
    "label fits yes",
    "edit 20,120,180,160 font -24",
};
// The list at 10, 24 (180 x 180), rows of 18, a header row hidden; columns
// 60, 40, 41 laid by their edges.
const std::vector<std::string> kListAt96 = {
    "list 10,24,190,204", "rows 18 visible 10", "columns 60 40 41",
    "hit 59,53 3 2 0",    "hit 100,54 3 3 2",
};
const std::vector<std::string> kListAt144 = {
    "list 15,36,285,306", "rows 27 visible 10", "columns 90 60 62",
    "hit 89,80 3 2 0",    "hit 150,81 3 3 2",
};
const std::vector<std::string> kListAt192 = {
    "list 20,48,380,408", "rows 36 visible 10", "columns 120 80 82",
    "hit 119,107 3 2 0",  "hit 200,108 3 3 2",
};

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

// Everything the tables compare, on a fresh skin folder, at the process's DPI.
std::vector<std::string> Measurements(const char* skin) {
    PrepareScaledSkin(skin);
    std::vector<std::string> lines = {"no window"};
    ItemWindow item(WS_POPUP | WS_VISIBLE, 100, 100, false);
    CRecordingWindow* window = &item.window;
    if (!window->GetHandle()) return lines;
    lines = MeasureItemWindow(*window);
    qmtest::SaveScreen(window->BackBuffer(), "ui", "scale-items-" + std::to_string(window->Dpi()));
    window->DestroyWindow();
    for (const std::string& line : MeasureListView()) lines.push_back(line);
    return lines;
}

}  // namespace

QM_CHILD_MAIN(scaled) {
    return !args.empty() && qmtest::WriteFindings(args[0], Measurements("scaleskin")) ? 0 : 4;
}

// At 96 DPI everything is the skin file's own pixels; at 144 and 192 (a
// child started there) the window is one and a half and twice itself.
TEST(SkinScale, At96144And192DpiTheWindowIsItsSkinAtTheScale) {
    for (int dpi : {96, 144, 192}) {
        std::vector<std::string> expected = dpi == 96 ? kAt96 : dpi == 144 ? kAt144 : kAt192;
        const std::vector<std::string>& list = dpi == 96    ? kListAt96
                                               : dpi == 144 ? kListAt144
                                                            : kListAt192;
        expected.insert(expected.end(), list.begin(), list.end());
        const auto found = dpi == 96 ? Measurements("scale96")
                                     : qmtest::ChildFindingsAt(dpi, "scaled",
                                                               qmtest::WorkFolder() + "scaled" +
                                                                   std::to_string(dpi) + ".txt");
        EXPECT_EQ(Joined(found), Joined(expected)) << dpi;
    }
}

// Dragged to a monitor of twice the DPI: the suggested rectangle is taken,
// and the window is then exactly what it is when made at 192 DPI.
TEST(SkinScale, DpiChangedFrom96To192RelaysOutAndRedrawsFromThe2xSheet) {
    PrepareScaledSkin("scalechange");
    ItemWindow item(WS_POPUP | WS_VISIBLE, 100, 100, false);
    CRecordingWindow* window = &item.window;
    ASSERT_EQ(window->Dpi(), 96);
    // A notice without its rectangle changes nothing.
    ::SendMessageA(window->GetHandle(), WM_DPICHANGED, MAKEWPARAM(192, 192), 0);
    EXPECT_EQ(window->Dpi(), 96);
    const RECT suggested = {50, 60, 450, 300};
    ::SendMessageA(window->GetHandle(), WM_DPICHANGED, MAKEWPARAM(192, 192),
                   reinterpret_cast<LPARAM>(&suggested));
    qmtest::Drain();
    EXPECT_EQ(window->Dpi(), 192);
    EXPECT_EQ(Edges(window->GetWindowRect()), Edges(suggested));
    EXPECT_EQ(Joined(MeasureItemWindow(*window)), Joined(kAt192));
    qmtest::SaveScreen(window->BackBuffer(), "ui", "scale-items-changed-192");
    // And back: the window is its 96-DPI self again.
    const RECT back = {50, 60, 250, 180};
    ::SendMessageA(window->GetHandle(), WM_DPICHANGED, MAKEWPARAM(96, 96),
                   reinterpret_cast<LPARAM>(&back));
    EXPECT_EQ(Joined(MeasureItemWindow(*window)), Joined(kAt96));
    window->DestroyWindow();
}
