#pragma once
// What the skin tests under Wine share: two skins drawn in flat colours at
// known places (so pixels can be checked exactly) for the item tests and for
// the resizable windows; CRecordingWindow writes down every item notification
// it gets.
#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tests/native/SkinTestHelpers.h"
#include "tests/support/ScreenInput.h"
#include "tests/support/TestSupport.h"
#include "ui/ButtonListView.h"
#include "ui/Skin.h"
#include "ui/SkinWindow.h"
#include "ui/SkinWindowException.h"
#include "ui/SkinWindowItemAnimation.h"
#include "ui/SkinWindowItemButton.h"
#include "ui/SkinWindowItemDigitImage.h"
#include "ui/SkinWindowItemEditBox.h"
#include "ui/SkinWindowItemOverlay.h"
#include "ui/SkinWindowItemScrollBar.h"
#include "ui/SkinWindowItemStatic.h"
#include "ui/SkinWindowItemStaticImage.h"
#include "wfc/DIB.h"
#include "wfc/Library.h"

namespace skintest {

// Runs fn, which must throw CSkinWindowException; returns its text.
template <typename Fn>
std::string ThrownText(Fn fn) {
    try {
        fn();
    } catch (const ui::CSkinWindowException& e) {
        return e.what();
    }
    return "<nothing thrown>";
}

// Colours of the sheets (COLORREF).
constexpr COLORREF kBack = RGB(40, 44, 50);
constexpr COLORREF kFaceN = RGB(200, 0, 0);
constexpr COLORREF kFaceH = RGB(0, 200, 0);
constexpr COLORREF kFaceP = RGB(0, 0, 200);
constexpr COLORREF kFaceHP = RGB(200, 200, 0);
constexpr COLORREF kFrameWhite = RGB(255, 255, 255);
constexpr COLORREF kMagenta = RGB(255, 0, 255);

inline std::string Edges(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

inline void FillRect(lib::wfc::CDIB& dib, int x, int y, int w, int h, COLORREF color) {
    dib.Fill(RECT{x, y, x + w, y + h}, color);
}

// Base.png 200 x 120: the background, its pixel 100, 100 magenta (a hole of
// the shaped window). Parts.png 128 x 128, see the skin below.
inline void WriteSheets(const std::string& folder) {
    lib::wfc::CDIB base;
    base.Create(200, 120);
    FillRect(base, 0, 0, 200, 120, kBack);
    base.SetPixel(100, 100, kMagenta);
    base.SavePng((folder + "Base.png").c_str());

    lib::wfc::CDIB parts;
    parts.Create(128, 128);
    FillRect(parts, 0, 0, 128, 128, kMagenta);
    // 16 x 16 button faces N, H, P, HP at y 0; each with a magenta top-left pixel.
    const COLORREF faces[4] = {kFaceN, kFaceH, kFaceP, kFaceHP};
    for (int i = 0; i < 4; ++i) {
        FillRect(parts, i * 16, 0, 16, 16, faces[i]);
        parts.SetPixel(i * 16, 0, kMagenta);
    }
    // Digits 0..9, 6 x 8 each at y 64, glyph d of grey d * 20 + 10; the marker at x 60.
    for (int d = 0; d < 10; ++d)
        FillRect(parts, d * 6, 64, 6, 8, RGB(d * 20 + 10, d * 20 + 10, d * 20 + 10));
    FillRect(parts, 60, 64, 6, 8, RGB(0, 255, 255));
    // Four animation frames 8 x 8 at y 80.
    for (int f = 0; f < 4; ++f) FillRect(parts, f * 8, 80, 8, 8, RGB(f * 60, 100, 0));
    // A nine-slice frame 12 x 12 at 64, 80: a 2-pixel white border, magenta inside.
    FillRect(parts, 64, 80, 12, 12, kFrameWhite);
    FillRect(parts, 66, 82, 8, 8, kMagenta);
    // Scroll bar: track 12 x 40 at 100, 0; buttons and thumb faces 12 x 12 at y 96 / 108.
    FillRect(parts, 100, 0, 12, 40, RGB(30, 30, 30));
    for (int i = 0; i < 4; ++i) {
        FillRect(parts, i * 12, 96, 12, 12, faces[i]);
        FillRect(parts, 48 + i * 12, 96, 12, 12, faces[i]);
        FillRect(parts, i * 12, 108, 12, 12, RGB(90 + i * 40, 90, 90));
    }
    FillRect(parts, 112, 0, 4, 4, RGB(255, 255, 255));
    FillRect(parts, 116, 0, 4, 4, RGB(0, 128, 255));  // the icon of icon mode 1
    parts.SavePng((folder + "Parts.png").c_str());
}

// The test skin. Ids of its items in the recording window follow the order.
inline std::string ItemSkin() {
    return SkinFile(R"(
Base {
    Image = "Base.png", 0, 0, 200, 120;
    Title = "ItemTest";
    CaptionHeight = 20;
    Font = "ＭＳ ゴシック", 12, 400;
}
CaptionLabel {
    Position = 4, 2; Size = 100, 16;
    Text = "Caption"; Color = 255, 255, 255;
}
CaptionButton {
    Position = 180, 2; Size = 16, 16;
    NormalImage = "Parts.png", 0, 0; HotNormalImage = "Parts.png", 16, 0;
    PushImage = "Parts.png", 32, 0; HotPushImage = "Parts.png", 48, 0;
    PushImageShift = 1, 1; ToolTipText = "Close";
}
PushButton {
    Class = CaptionButton;
    Position = 40, 40;
}
IconButton {
    Class = CaptionButton;
    Position = 140, 40; Image = "Parts.png", 112, 0; ImageSize = 4, 4;
}
Picture {
    Position = 100, 40; Size = 16, 16; Image = "Parts.png", 0, 0, 16, 16; ToolTipText = "Picture";
}
Digits {
    Position = 10, 90; Size = 40, 8;
    Image = "Parts.png", 0, 64, 60, 72; ImageTilde = "Parts.png", 60, 64, 66, 72;
}
Spinner {
    Position = 60, 90; Size = 8, 8; Image = "Parts.png", 0, 80, 4, 1; Time = 100;
}
Edit {
    Position = 10, 60; Size = 80, 20; Limit = 5;
}
TextEdit {
    Class = Edit; Limit = 64;
}
Scroll {
    Type = "V"; Position = 180, 30; Size = 12, 80;
    ButtonSize = 12, 12; ThumbSize = 12, 10; ThumbPart = 3, 4, 3;
    BaseImage = "Parts.png", 100, 0, 112, 40, 4, 4;
    UpButtonImage = "Parts.png", 0, 96, 12, 96, 24, 96, 36, 96;
    DownButtonImage = "Parts.png", 48, 96, 60, 96, 72, 96, 84, 96;
    ThumbImage = "Parts.png", 0, 108, 12, 108, 24, 108, 36, 108;
    UpImage = "Parts.png", 112, 0, 116, 4; DownImage = "Parts.png", 112, 0, 116, 4;
    DisableUpImage = "Parts.png", 112, 0, 116, 4; DisableDownImage = "Parts.png", 112, 0, 116, 4;
}
Frame {
    Image = "Parts.png", 64, 66, 74, 76, 80, 82, 90, 92; Alpha = 128;
}
StringTable {
}
)");
}

enum ItemId : int {
    kCaptionLabel = 1,
    kCaptionButton,
    kPushButton,
    kPicture,
    kDigits,
    kSpinner,
    kEdit,
    kScroll,
    kIconButton,
    kFrame,
};

struct ItemEvent {
    int id;
    int code;
    bool operator==(const ItemEvent& o) const { return id == o.id && code == o.code; }
};

inline std::string Describe(const std::vector<ItemEvent>& events) {
    std::string out;
    for (const ItemEvent& e : events)
        out += std::to_string(e.id) + ":" + std::to_string(e.code) + " ";
    return out;
}

// A skin window that records what its items tell it. Items are made from
// the blocks of ItemSkin() in the order of ItemId.
class CRecordingWindow : public ui::CSkinWindow {
public:
    std::vector<ItemEvent> events;
    std::vector<std::pair<int, int>> notifies;  // OnItemNotify
    std::vector<std::pair<UINT, WPARAM>> scrolls;
    bool handleDoubleClick = false;
    int pageStep = 0;              // a page code moves the scroll bar this far, as a list would
    std::vector<UINT> keysWanted;  // FilterKey

    using ui::CSkinWindow::LockRedraw;  // what items reach through their accessor

    bool OnItemEvent(int id, int code, intptr_t param) override {
        events.push_back({id, code});
        if (code == ui::kItemDoubleClick) return handleDoubleClick;
        return ui::CSkinWindow::OnItemEvent(id, code, param);
    }
    void OnItemNotify(int id, int flag) override { notifies.emplace_back(id, flag); }
    void OnVScroll(UINT code, UINT position, HWND) override {
        scrolls.emplace_back(WM_VSCROLL, MAKEWPARAM(code, position));
        if (pageStep && (code == SB_PAGEUP || code == SB_PAGEDOWN)) {
            auto* bar = static_cast<ui::CSkinWindowItemScrollBar*>(GetItemById(kScroll));
            bar->SetPosition(bar->GetPosition() + (code == SB_PAGEDOWN ? pageStep : -pageStep));
        }
    }
    bool FilterKey(UINT key, UINT) override {
        return std::find(keysWanted.begin(), keysWanted.end(), key) != keysWanted.end();
    }
};

// Every item kind of the test skin, in z-order, ids from base on.
inline void AddTestItems(ui::CSkinWindow& window, int base = 0) {
    using namespace ui;
    const SkinData& skin = window.Skin();
    window.AddItem<CSkinWindowItemStatic>(base + kCaptionLabel, skin.at("CaptionLabel"));
    window.AddItem<CSkinWindowItemButton>(base + kCaptionButton, skin.at("CaptionButton"));
    window.AddItem<CSkinWindowItemButton>(base + kPushButton, skin.at("PushButton"));
    window.AddItem<CSkinWindowItemStaticImage>(base + kPicture, skin.at("Picture"));
    window.AddItem<CSkinWindowItemDigitImage>(base + kDigits, skin.at("Digits"));
    window.AddItem<CSkinWindowItemAnimation>(base + kSpinner, skin.at("Spinner"));
    window.AddItem<CSkinWindowItemEditBox>(base + kEdit, skin.at("Edit"));
    window.AddItem<CSkinWindowItemScrollBar>(base + kScroll, skin.at("Scroll"));
    window.AddItem<CSkinWindowItemButton>(base + kIconButton, skin.at("IconButton"));
    window.AddItem<CSkinWindowItemOverlay>(base + kFrame, skin.at("Frame"));
}

// Starts the library once and points the skin loader at a fresh folder with
// the sheets and the test skin (named, for a child process of the test).
inline std::string PrepareItemSkin(std::string name = "") {
    static bool started = false;
    if (!started) {
        lib::wfc::InitLibrary(::GetModuleHandleA(nullptr), "ItemTest", nullptr, nullptr);
        started = true;
    }
    static int run = 0;
    if (name.empty()) name = "skin" + std::to_string(++run);
    const std::string folder = qmtest::NewFolder(name.c_str());
    WriteSheets(folder);
    qmtest::WriteFile(folder + "ItemTest.txt", ItemSkin());
    ui::SetSkinSource(nullptr);
    ui::SetSkinFolderMode(folder);
    ui::ClearSkinCache();
    return folder;
}

// The item skin's window made at x, y on a fresh skin folder (or on the one
// prepared last), the pointer away from its items; destroyed with the holder.
struct ItemWindow {
    CRecordingWindow window;
    HWND hwnd = nullptr;
    explicit ItemWindow(DWORD style = WS_POPUP | WS_VISIBLE, int x = 100, int y = 100,
                        bool freshSkin = true) {
        if (freshSkin) PrepareItemSkin();
        ::SetCursorPos(0, 0);
        window.LoadSkin("ItemTest.txt", "Base", true);
        AddTestItems(window);
        hwnd = window.CreateSkinWindow(nullptr, style, 0, x, y);
        qmtest::Drain();
    }
    ~ItemWindow() {
        if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
    }
    // The id of the item the keyboard is on, 0 when none.
    int FocusId() {
        ui::CSkinWindowItem* item = window.TabAccessor().GetFocusItem();
        return item ? item->GetId() : 0;
    }
};

// The frame skin's nine background pieces (column i, row j) are plain colours
// except the top edge, whose red channel is twice the source x so that tiling
// shows.
inline COLORREF PieceColor(int i, int j) { return RGB(30 + i * 70, 30 + j * 70, 90); }
inline COLORREF TopEdgeColor(int sourceX) { return RGB(sourceX * 2, 40, 91); }

inline std::string FrameImageBytes() {
    lib::wfc::CDIB dib;
    dib.Create(200, 200);
    FillRect(dib, 0, 0, 200, 200, RGB(0, 0, 0));
    const int xs[4] = {0, 10, 90, 100}, ys[4] = {0, 10, 70, 80};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            FillRect(dib, xs[i], ys[j], xs[i + 1] - xs[i], ys[j + 1] - ys[j], PieceColor(i, j));
    for (int x = 10; x < 90; ++x)
        for (int y = 0; y < 10; ++y) dib.SetPixel(x, y, TopEdgeColor(x));
    FillRect(dib, 100, 0, 30, 30, RGB(200, 200, 200));  // the overlay
    FillRect(dib, 150, 0, 10, 10, RGB(10, 200, 10));    // the items
    FillRect(dib, 180, 0, 16, 64, RGB(90, 90, 90));     // scroll bar parts
    FillRect(dib, 180, 100, 16, 16, RGB(60, 60, 60));
    // List: buttons, labels, header and rows.
    for (int k = 0; k < 4; ++k) FillRect(dib, k * 20, 100, 16, 12, RGB(40 + k * 40, 0, 0));
    for (int k = 0; k < 4; ++k) FillRect(dib, 100 + k * 10, 100, 8, 8, RGB(0, 0, 40 + k * 40));
    for (int k = 0; k < 3; ++k) FillRect(dib, k * 20, 120, 12, 18, RGB(120, 120, 120 + k * 40));
    for (int k = 0; k < 3; ++k) FillRect(dib, k * 20, 160, 12, 18, RGB(220, 220 - k * 20, 80));
    return dib.EncodePng();
}

constexpr const char kFrameSkinBody[] = R"(
Base {
    Image = "Parts.png", 0, 0, 100, 80; Title = "FrameTest"; CaptionHeight = 20;
    Font = "ＭＳ ゴシック", 12, 400; BorderWidth = 4; DivPoint = 10, 10, 90, 70;
    MinSize = 120, 90; LayoutSize = 240, 230;
}
ItemClass { Size = 40, 20; Image = "Parts.png", 150, 153, 157, 160, 0, 3, 7, 10; }
Keep { Class = ItemClass; Position = 100, 24; }
Near { Class = ItemClass; Position = 100, 46; }
Far { Class = ItemClass; Position = 100, 68; }
Centre { Class = ItemClass; Position = 100, 90; }
Stretch { Class = ItemClass; Position = 100, 112; }
FrameOverlay { Image = "Parts.png", 100, 110, 120, 130, 0, 10, 20, 30; Alpha = 128; }
ScrollBar {
    Type = "V"; Position = 200, 24; Size = 16, 180;
    ButtonSize = 16, 16; ThumbSize = 16, 16; ThumbPart = 4, 8, 4;
    BaseImage = "Parts.png", 180, 0, 196, 64, 4, 4;
    UpButtonImage = "Parts.png", 180, 100, 180, 100, 180, 100, 180, 100;
    DownButtonImage = "Parts.png", 180, 100, 180, 100, 180, 100, 180, 100;
    ThumbImage = "Parts.png", 180, 100, 180, 100, 180, 100, 180, 100;
    UpImage = "Parts.png", 180, 100, 188, 108; DownImage = "Parts.png", 180, 100, 188, 108;
    DisableUpImage = "Parts.png", 180, 100, 188, 108;
    DisableDownImage = "Parts.png", 180, 100, 188, 108;
}
List {
    Position = 10, 24; Size = 180, 180;
    NormalButton = "Parts.png", 0, 100, 16, 112; NormalHotButton = "Parts.png", 20, 100, 36, 112;
    PushedButton = "Parts.png", 40, 100, 56, 112; PushedHotButton = "Parts.png", 60, 100, 76, 112;
    NormalHeader = "Parts.png", 0, 4, 8, 12, 120, 138;
    PushedHeader = "Parts.png", 20, 24, 28, 32, 120, 138;
    NormalRowCount = 2; NormalRow.0 = "Parts.png", 0, 4, 8, 12, 160, 178;
    NormalRow.1 = "Parts.png", 20, 24, 28, 32, 160, 178;
    ActiveRow = "Parts.png", 40, 44, 48, 52, 160, 178;
    LabelCount = 1; OnLabel.0 = "Parts.png", 100, 100, 108, 108;
    OffLabel.0 = "Parts.png", 110, 100, 118, 108; OnDLabel.0 = "Parts.png", 120, 100, 128, 108;
    OffDLabel.0 = "Parts.png", 130, 100, 138, 108;
    ButtonToolTipText.0 = "tip0"; ButtonToolTipTextP.0 = "tipP0";
}
StringTable {
}
)";

// A list's rows for the frame skin's list: `rows` of them, each cell's text
// from `text`, every button enabled and off.
class CTextRows : public ui::CButtonListViewTable {
public:
    int rows = 0;
    std::function<std::string(int row, int column)> text;
    int GetRowCount() override { return rows; }
    bool IsRowActive(int) override { return false; }
    bool IsButtonEnabled(int, int) override { return true; }
    bool IsButtonOn(int, int) override { return false; }
    int GetLabelIndex(int, int) override { return 0; }
    std::string GetCellText(int row, int column) override { return text(row, column); }
    bool GetCellTextColor(int, int, COLORREF&) override { return false; }
    std::string GetCellToolTip(int, int) override { return ""; }
    bool GetCellFormat(int, int, UINT&) override { return false; }
};

// Writes the frame skin's folder once; switches the skin source to it every
// time, as other tests of this program switch it too.
inline void UseFrameSkin() {
    static const std::string folder = [] {
        lib::wfc::InitLibrary(::GetModuleHandleA(nullptr), "FrameTest", nullptr, nullptr);
        const std::string made = qmtest::NewFolder("frameskin");
        qmtest::WriteFile(made + "Parts.png", FrameImageBytes());
        qmtest::WriteFile(made + "FrameTest.txt", SkinFile(kFrameSkinBody));
        return made;
    }();
    ui::SetSkinFolderMode(folder);
}

}  // namespace skintest
