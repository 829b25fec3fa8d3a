// skinview: draws one skin file as a window whose items are the file's own
// blocks, each made into the item kind its keys call for (see
// docs/skin-authoring.md), and shows it or writes its back buffer to a PNG.
//
//   skinview [--folder DIR] [--base NAME] [--png OUT.png] [--as BLOCK=KIND]...
//            [--first-paint-event NAME] FILE.txt
//
// Without --folder the skins come from the resources of Quillmarch.exe beside
// skinview. --first-paint-event sets that named event at the first paint and
// closes the window (start-up timing). With SKINVIEW_TRACE=FILE set, each
// start-up step appends "<ms since process creation> <step>" to FILE.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/WinHandle.h"
#include "ui/Skin.h"
#include "ui/SkinParser.h"
#include "ui/SkinWindow.h"
#include "ui/SkinWindowItemAnimation.h"
#include "ui/SkinWindowItemButton.h"
#include "ui/SkinWindowItemDigitImage.h"
#include "ui/SkinWindowItemEditBox.h"
#include "ui/SkinWindowItemOverlay.h"
#include "ui/SkinWindowItemResizableStaticImage.h"
#include "ui/SkinWindowItemScrollBar.h"
#include "ui/SkinWindowItemStatic.h"
#include "ui/SkinWindowItemStaticImage.h"
#include "ui/SkinWindowItemToggleButton.h"
#include "wfc/Library.h"

using namespace ui;

namespace {

// Where start-up time goes: milliseconds from the process's creation (the
// system's own record of it) to each step.
void Trace(const char* step) {
    static const char* const file = std::getenv("SKINVIEW_TRACE");
    if (!file) return;
    FILETIME created, exited, kernel, user, now;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    ::GetSystemTimeAsFileTime(&now);
    auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    if (FILE* out = std::fopen(file, "a")) {
        std::fprintf(out, "%8.2f %s\n", (ticks(now) - ticks(created)) / 1e4, step);
        std::fclose(out);
    }
}

struct Options {
    std::string folder;
    std::string base = "Base";
    std::string png;
    std::string firstPaintEvent;
    std::string file;
    std::map<std::string, std::string> kinds;  // --as
};

size_t ValueCount(const SkinItem& item, const char* key) {
    auto found = item.properties.find(key);
    return found == item.properties.end() ? 0 : found->second.size();
}

// The item kind a block's keys call for; empty for blocks that are no item.
std::string KindOf(const SkinItem& item) {
    auto has = [&](const char* key) { return HasProperty(item, key); };
    // Only the frame overlay has no place of its own; a block without one is a
    // class for other blocks.
    if (!has("Position") || !has("Size"))
        return ValueCount(item, "Image") == 9 && !has("Type") ? "Overlay" : "";
    if (has("Type")) return "ScrollBar";
    if (has("NormalImage")) return "Button";
    if (has("ImageTilde")) return "DigitImage";
    if (has("Image") && has("Time")) return "Animation";
    if (ValueCount(item, "Image") == 9) return "ResizableStaticImage";
    if (has("Image")) return "StaticImage";
    if (has("Limit") || has("Frame") || has("DisableFrame")) return "EditBox";
    return "Static";
}

class CSkinViewWindow : public CSkinWindow {
public:
    HANDLE firstPaint = nullptr;

    void Build(const std::vector<std::string>& blocks, const Options& options) {
        int id = 1;
        for (const std::string& name : blocks) {
            auto found = Skin().find(name);
            if (found == Skin().end() || name == options.base) continue;
            auto forced = options.kinds.find(name);
            const std::string kind =
                forced != options.kinds.end() ? forced->second : KindOf(found->second);
            const SkinItem& item = found->second;
            if (kind == "Button")
                AddItem<CSkinWindowItemButton>(id++, item);
            else if (kind == "ToggleButton")
                AddItem<CSkinWindowItemToggleButton>(id++, item);
            else if (kind == "Static")
                AddItem<CSkinWindowItemStatic>(id++, item);
            else if (kind == "StaticImage")
                AddItem<CSkinWindowItemStaticImage>(id++, item);
            else if (kind == "ResizableStaticImage")
                AddItem<CSkinWindowItemResizableStaticImage>(id++, item);
            else if (kind == "DigitImage")
                AddItem<CSkinWindowItemDigitImage>(id++, item);
            else if (kind == "Animation")
                AddItem<CSkinWindowItemAnimation>(id++, item)->Start();
            else if (kind == "EditBox")
                AddItem<CSkinWindowItemEditBox>(id++, item);
            else if (kind == "ScrollBar")
                AddItem<CSkinWindowItemScrollBar>(id++, item);
            else if (kind == "Overlay")
                overlays.push_back(&item);
        }
        // Frames lie over everything else.
        for (const SkinItem* item : overlays) AddItem<CSkinWindowItemOverlay>(id++, *item);
    }

protected:
    void OnPaint() override {
        CSkinWindow::OnPaint();
        if (firstPaint) Trace("first paint");
        if (firstPaint) {
            ::SetEvent(firstPaint);
            firstPaint = nullptr;
            PostMessage(WM_CLOSE);
        }
    }
    void OnItemNotify(int id, int flag) override {
        if (id == -1 && flag == 0) PostMessage(WM_CLOSE);
    }
    void OnDestroy() override {
        CSkinWindow::OnDestroy();
        ::PostQuitMessage(0);
    }

private:
    std::vector<const SkinItem*> overlays;
};

bool ParseArguments(Options& options) {
    for (int i = 1; i < __argc; ++i) {
        const std::string arg = __argv[i];
        auto next = [&](std::string& out) {
            if (i + 1 >= __argc) return false;
            out = __argv[++i];
            return true;
        };
        if (arg == "--folder") {
            if (!next(options.folder)) return false;
        } else if (arg == "--base") {
            if (!next(options.base)) return false;
        } else if (arg == "--png") {
            if (!next(options.png)) return false;
        } else if (arg == "--first-paint-event") {
            if (!next(options.firstPaintEvent)) return false;
        } else if (arg == "--as") {
            std::string pair;
            if (!next(pair) || pair.find('=') == std::string::npos) return false;
            options.kinds[pair.substr(0, pair.find('='))] = pair.substr(pair.find('=') + 1);
        } else if (!arg.empty() && arg[0] != '-' && options.file.empty()) {
            options.file = arg;
        } else {
            return false;
        }
    }
    return !options.file.empty();
}

// The blocks written in the file itself (not those of its includes), in order.
std::vector<std::string> OwnBlocks(const Options& options, HMODULE skins) {
    std::vector<std::wstring> lines;
    if (options.folder.empty()) {
        CResourceSkinSource source(skins, skins);
        source.ReadSkinLines(options.file, SkinFileKind::kAny, lines);
    } else {
        CFolderSkinSource source(GetSkinFolder());
        source.ReadSkinLines(options.file, SkinFileKind::kAny, lines);
    }
    std::vector<std::string> names;
    ParsedSkinFile parsed;
    SkinError error;
    ParseSkinLines(options.file, lines, parsed, error);
    // Blocks in the order written: the parser keeps them by name, so walk the
    // tokens of all lines (a block's brace may open on the line after its name).
    std::vector<SkinToken> tokens;
    for (const std::wstring& line : lines) {
        const std::vector<SkinToken> more = TokenizeSkinLine(CutSkinComment(line));
        tokens.insert(tokens.end(), more.begin(), more.end());
    }
    for (size_t i = 0; i + 1 < tokens.size(); ++i) {
        const std::string name = SkinTokenToText(tokens[i].text);
        if (tokens[i + 1].text == L"{" && parsed.items.count(name) &&
            std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    }
    return names;
}

int Run() {
    Trace("WinMain");
    Options options;
    if (!ParseArguments(options)) {
        ::MessageBoxA(nullptr,
                      "skinview [--folder DIR] [--base NAME] [--png OUT.png] [--as BLOCK=KIND]... "
                      "[--first-paint-event NAME] FILE.txt",
                      "skinview", MB_ICONINFORMATION);
        return 2;
    }
    lib::wfc::InitLibrary(::GetModuleHandleA(nullptr), "skinview", nullptr, nullptr);
    Trace("library started");
    HMODULE skins = nullptr;
    if (options.folder.empty()) {
        char path[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string program = path;
        program = program.substr(0, program.find_last_of("\\/") + 1) + "Quillmarch.exe";
        skins = ::LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        SetSkinResourceMode(skins, skins, skins);
    } else {
        SetSkinFolderMode(options.folder);
    }
    Trace("skin source set");
    CSkinViewWindow window;
    qm::CHandle event;
    if (!options.firstPaintEvent.empty()) {
        event.Reset(::OpenEventA(EVENT_MODIFY_STATE, FALSE, options.firstPaintEvent.c_str()));
        window.firstPaint = event.Get();
    }
    try {
        window.LoadSkin(options.file, options.base, true);
        Trace("skin loaded");
        window.Build(OwnBlocks(options, skins), options);
        Trace("items built");
        const bool show = options.png.empty();
        window.CreateSkinWindow(nullptr, WS_POPUP | (show ? WS_VISIBLE : 0), 0, 100, 100);
        Trace("window created");
    } catch (const CSkinWindowException&) {
        return 1;  // already shown to the user
    }
    if (!options.png.empty()) {
        const bool saved = window.BackBuffer() && window.BackBuffer()->SavePng(options.png.c_str());
        window.DestroyWindow();
        return saved ? 0 : 1;
    }
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return Run(); }
