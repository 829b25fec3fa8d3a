#pragma once
// A skin made for the window and item tests: small sprite sheets drawn in
// code (flat colours at known places, so pixels can be checked exactly) and
// a skin file with one block per item kind, written to a scratch folder that
// the skin loader reads in folder mode. CRecordingWindow writes down every
// item notification it gets.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "SkinTestFiles.h"
#include "TestSupport.h"
#include "ui/Skin.h"
#include "ui/SkinWindow.h"
#include "ui/SkinWindowItemScrollBar.h"
#include "wfc/DIB.h"
#include "wfc/Library.h"

namespace skintest {

// Colours of the sheets (COLORREF).
constexpr COLORREF kBack = RGB(40, 44, 50);
constexpr COLORREF kFaceN = RGB(200, 0, 0);
constexpr COLORREF kFaceH = RGB(0, 200, 0);
constexpr COLORREF kFaceP = RGB(0, 0, 200);
constexpr COLORREF kFaceHP = RGB(200, 200, 0);
constexpr COLORREF kFrameWhite = RGB(255, 255, 255);
constexpr COLORREF kMagenta = RGB(255, 0, 255);

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
Toggle {
    Class = CaptionButton;
    Position = 60, 40;
}
Wide {
    Class = CaptionButton;
    Position = 100, 62; Width = 40; Divide = 4, 8, 4;
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
    kToggle,
    kWide,
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

// Starts the library once and points the skin loader at a fresh folder with
// the sheets and the test skin.
inline std::string PrepareItemSkin() {
    static bool started = false;
    if (!started) {
        lib::wfc::InitLibrary(::GetModuleHandleA(nullptr), "ItemTest", nullptr, nullptr);
        started = true;
    }
    static int run = 0;
    const std::string folder = qmtest::NewFolder(("skin" + std::to_string(++run)).c_str());
    WriteSheets(folder);
    qmtest::WriteFile(folder + "ItemTest.txt", ItemSkin());
    ui::SetSkinSource(nullptr);
    ui::SetSkinFolderMode(folder);
    ui::ClearSkinCache();
    return folder;
}

}  // namespace skintest
