// What a skin window costs: composing its back buffer, redrawing one item,
// sitting idle with its 33 ms tick, and (with skinview and bare_window beside
// it) starting up until the first paint.
//
//   compose_win [--no-idle] [--no-start]
//
// A 400 x 140 window with 30 items (12 buttons with text, 10 pictures,
// 4 labels, 2 animations, a number, a frame overlay) on sheets drawn here.
// Each figure is printed beside a baseline measured in the same run:
//   full compose        vs memcpy of the back buffer's bytes
//   one-item redraw     vs full compose
//   full compose at 2x  vs the same window at 1x (WM_DPICHANGED to 192 DPI),
//                       in alternating rounds: the median of their ratios
//   decoding the 2x sheets  vs the 1x sheets
//   idle 10 s           vs a bare window with the same 33 ms timer
//   start to first paint (skinview)  vs bare_window (a plain Win32 window)
//   start to first paint at 192 DPI (this program's --first-paint mode)
//                       vs bare_window at 192 DPI
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "bench/BenchClock.h"
#include "tests/native/SkinTestHelpers.h"
#include "tests/support/DpiAware.h"
#include "ui/Skin.h"
#include "ui/SkinWindow.h"
#include "ui/SkinWindowItemAnimation.h"
#include "ui/SkinWindowItemButton.h"
#include "ui/SkinWindowItemDigitImage.h"
#include "ui/SkinWindowItemOverlay.h"
#include "ui/SkinWindowItemStatic.h"
#include "ui/SkinWindowItemStaticImage.h"
#include "wfc/Library.h"

using namespace ui;

namespace {

// Microseconds per call: the best of five rounds of n calls.
template <class Fn>
double BestPerCallUs(int n, Fn fn) {
    return bench::TimePerCall(5, n, fn).best;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                                nullptr) != FALSE;
    ::CloseHandle(file);
    return ok && written == bytes.size();
}

// Sheets and a skin file in a temporary folder.
std::string WriteBenchSkin() {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "compose_bench\\";
    ::CreateDirectoryA(folder.c_str(), nullptr);

    lib::wfc::CDIB base;
    base.Create(400, 140);
    for (int y = 0; y < 140; ++y)
        base.Fill(RECT{0, y, 400, y + 1}, RGB(38 - y / 14, 43 - y / 14, 51 - y / 10));
    base.SavePng((folder + "Base.png").c_str());
    lib::wfc::CDIB parts;
    parts.Create(256, 128);
    parts.Fill(RECT{0, 0, 256, 128}, RGB(255, 0, 255));
    for (int i = 0; i < 4; ++i) {
        parts.Fill(RECT{i * 60, 0, i * 60 + 60, 24}, RGB(31 + i * 20, 176, 198));
        parts.SetPixel(i * 60, 0, RGB(255, 0, 255));  // a rounded corner, in spirit
    }
    for (int i = 0; i < 8; ++i)
        parts.Fill(RECT{i * 24, 32, i * 24 + 20, 52}, RGB(60 + i * 20, 195, 138));
    for (int i = 0; i < 8; ++i)
        parts.Fill(RECT{i * 16, 64, i * 16 + 16, 80}, RGB(242, 169 - i * 10, 59));
    parts.Fill(RECT{200, 64, 212, 76}, RGB(59, 66, 77));
    parts.Fill(RECT{202, 66, 210, 74}, RGB(255, 0, 255));
    parts.Fill(RECT{0, 96, 60, 104}, RGB(242, 244, 247));
    parts.Fill(RECT{60, 96, 66, 104}, RGB(169, 177, 188));
    parts.SavePng((folder + "Parts.png").c_str());
    // The 2x sheets: every pixel doubled, so every sprite is where the
    // mapping of its edges puts it.
    for (const lib::wfc::CDIB* sheet : {&base, &parts}) {
        lib::wfc::CDIB doubled;
        doubled.Create(sheet->Width() * 2, sheet->Height() * 2);
        for (int y = 0; y < doubled.Height(); ++y)
            for (int x = 0; x < doubled.Width(); ++x)
                doubled.SetPixel(x, y, sheet->GetPixel(x / 2, y / 2));
        doubled.SavePng((folder + (sheet == &base ? "Base@2x.png" : "Parts@2x.png")).c_str());
    }

    std::string body = R"(
Base { Image = "Base.png", 0, 0, 400, 140; Title = "compose"; CaptionHeight = 24;
       Font = "ＭＳ Ｐゴシック", 12, 400; }
Button { Size = 60, 24; NormalImage = "Parts.png", 0, 0; HotNormalImage = "Parts.png", 60, 0;
         PushImage = "Parts.png", 120, 0; HotPushImage = "Parts.png", 180, 0;
         PushImageShift = 1, 1; ToolTipText = "tip"; Text = "ボタン";
         Font = "ＭＳ Ｐゴシック", 12, 400; TextColor = 242, 244, 247; }
Picture { Size = 20, 20; Image = "Parts.png", 0, 32, 20, 52; }
Label { Size = 120, 16; Text = "ラベルのテキスト"; Color = 242, 244, 247; }
Spinner { Size = 16, 16; Image = "Parts.png", 0, 64, 8, 1; Time = 80; }
Number { Position = 300, 110; Size = 60, 8; Image = "Parts.png", 0, 96, 60, 104;
         ImageTilde = "Parts.png", 60, 96, 66, 104; }
Frame { Image = "Parts.png", 200, 202, 210, 212, 64, 66, 74, 76; Alpha = 128; }
)";
    for (int i = 0; i < 12; ++i)
        body += "B" + std::to_string(i) +
                " { Class = Button; Position = " + std::to_string(8 + (i % 6) * 64) + ", " +
                std::to_string(30 + (i / 6) * 28) + "; }\n";
    for (int i = 0; i < 10; ++i)
        body += "P" + std::to_string(i) +
                " { Class = Picture; Position = " + std::to_string(8 + i * 24) + ", 90; }\n";
    for (int i = 0; i < 4; ++i)
        body += "L" + std::to_string(i) +
                " { Class = Label; Position = " + std::to_string(8 + (i % 2) * 130) + ", " +
                std::to_string(4 + (i / 2) * 110) + "; }\n";
    body +=
        "S0 { Class = Spinner; Position = 250, 90; }\nS1 { Class = Spinner; Position = 270, "
        "90; }\n";
    WriteBytes(folder + "Bench.txt", skintest::SkinFile(body));
    return folder;
}

class CBenchWindow : public CSkinWindow {
public:
    void Build() {
        const SkinData& skin = Skin();
        int id = 1;
        for (int i = 0; i < 12; ++i)
            buttons.push_back(
                AddItem<CSkinWindowItemButton>(id++, skin.at("B" + std::to_string(i))));
        for (int i = 0; i < 10; ++i)
            AddItem<CSkinWindowItemStaticImage>(id++, skin.at("P" + std::to_string(i)));
        for (int i = 0; i < 4; ++i)
            AddItem<CSkinWindowItemStatic>(id++, skin.at("L" + std::to_string(i)));
        spinners.push_back(AddItem<CSkinWindowItemAnimation>(id++, skin.at("S0")));
        spinners.push_back(AddItem<CSkinWindowItemAnimation>(id++, skin.at("S1")));
        AddItem<CSkinWindowItemDigitImage>(id++, skin.at("Number"))->SetValue(1234567890);
        AddItem<CSkinWindowItemOverlay>(id++, skin.at("Frame"));
    }
    std::vector<CSkinWindowItemButton*> buttons;
    std::vector<CSkinWindowItemAnimation*> spinners;
    HANDLE firstPaint = nullptr;  // set at the first paint (--first-paint)

protected:
    void OnPaint() override {
        CSkinWindow::OnPaint();
        if (firstPaint) {
            ::SetEvent(firstPaint);
            firstPaint = nullptr;
            ::PostQuitMessage(0);
        }
    }
};

// --first-paint EVENT FOLDER: the bench window made at the system's DPI,
// shown, and the event set at its first paint.
int FirstPaintMain(const char* eventName, const char* folder) {
    qmtest::DeclareDpiAware();
    lib::wfc::InitLibrary(::GetModuleHandleA(nullptr), "compose_bench", nullptr, nullptr);
    SetSkinFolderMode(std::string(folder) + "\\");
    CBenchWindow window;
    window.firstPaint = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, eventName);
    window.LoadSkin("Bench.txt", "Base", true);
    window.Build();
    window.CreateSkinWindow(nullptr, WS_POPUP | WS_VISIBLE, 0, 100, 100);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) ::DispatchMessageA(&msg);
    return 0;
}

// The prefix's LogPixels, which processes started afterwards take as their DPI.
void SetLogPixels(DWORD dpi) {
    ::RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels", REG_DWORD, &dpi,
                      sizeof dpi);
}

// A plain window with the same timer, for the idle baseline.
LRESULT CALLBACK BareProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        ::BeginPaint(hwnd, &paint);
        ::EndPaint(hwnd, &paint);
        return 0;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

double ProcessCpuMs() {
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME& t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) /
               1e4;
    };
    return ms(kernel) + ms(user);
}

// Serves this thread's windows for the given time; the CPU time it took.
double IdleCpuMs(DWORD durationMs) {
    const double before = ProcessCpuMs();
    const DWORD start = ::GetTickCount();
    MSG msg;
    while (::GetTickCount() - start < durationMs) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, durationMs - (::GetTickCount() - start),
                                    QS_ALLINPUT);
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    return ProcessCpuMs() - before;
}

// Milliseconds from CreateProcess to the program's first paint (it sets the
// named event then and closes itself).
double StartToFirstPaintMs(const std::string& commandLine) {
    const std::string name = "compose_bench_first_paint_" + std::to_string(::GetTickCount());
    HANDLE event = ::CreateEventA(nullptr, TRUE, FALSE, name.c_str());
    std::string line = commandLine;
    const size_t mark = line.find("EVENT");
    line.replace(mark, 5, name);
    STARTUPINFOA startup = {sizeof startup};
    PROCESS_INFORMATION process = {};
    const double start = bench::NowUs();
    if (!::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        ::CloseHandle(event);
        return -1;
    }
    const DWORD waited = ::WaitForSingleObject(event, 30000);
    const double took = (bench::NowUs() - start) / 1000;
    if (::WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0)
        ::TerminateProcess(process.hProcess, 1);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(event);
    return waited == WAIT_OBJECT_0 ? took : -1;
}

// Start to first paint of a program against a baseline program, in
// alternating runs, so that a busy spell of the machine falls on both.
void CompareStarts(const char* what, const std::string& program, const std::string& baseline,
                   const char* target) {
    constexpr int kRuns = 21;
    std::vector<double> times, baseTimes;
    int failed = 0;
    for (int i = 0; i < kRuns; ++i) {
        // A run that never painted counts as failed, not as a time.
        for (auto [line, into] :
             {std::make_pair(&baseline, &baseTimes), std::make_pair(&program, &times)}) {
            const double ms = StartToFirstPaintMs(*line);
            if (ms < 0)
                ++failed;
            else
                into->push_back(ms);
        }
    }
    const double s = bench::Median(times), p = bench::Median(baseTimes);
    std::printf("%-34s %10.1f ms %10.1f ms %9.2fx   (target <= %s; median of %d)\n", what, s, p,
                p > 0 ? s / p : 0.0, target, kRuns);
    if (failed) std::printf("  %d of %d runs did not paint\n", failed, 2 * kRuns);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--first-paint") == 0)
        return FirstPaintMain(argv[2], argv[3]);
    bool idle = true, startup = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-idle") == 0) idle = false;
        if (std::strcmp(argv[i], "--no-start") == 0) startup = false;
    }
    lib::wfc::InitLibrary(::GetModuleHandleA(nullptr), "compose_bench", nullptr, nullptr);
    const std::string folder = WriteBenchSkin();
    SetSkinFolderMode(folder);

    CBenchWindow window;
    window.LoadSkin("Bench.txt", "Base", true);
    window.Build();
    HWND hwnd = window.CreateSkinWindow(nullptr, WS_POPUP, 0, 100, 100);
    lib::wfc::CDIB& back = *window.BackBuffer();
    back.SavePng((folder + "compose.png").c_str());
    std::printf("400 x 140 back buffer, %u items; picture in %scompose.png\n\n",
                static_cast<unsigned>(window.Items().size()), folder.c_str());

    const size_t bytes = static_cast<size_t>(back.Stride()) * back.Height();
    std::vector<BYTE> copy(bytes);
    const double memcpyUs = BestPerCallUs(2000, [&] {
        std::memcpy(copy.data(), back.Bits(), bytes);
        // Keep the copy from being optimised away.
        copy[static_cast<size_t>(copy[0]) % bytes] ^= 1;
    });
    // Items keep the picture they made until they change: a full compose lays
    // the background and every item's picture; "drawn afresh" makes every
    // picture again (text included), as the first compose of a window does.
    const double fullUs = BestPerCallUs(200, [&] { window.RedrawAll(); });
    const double freshUs = BestPerCallUs(50, [&] {
        for (const auto& item : window.Items()) item->MarkChanged();
        window.RedrawAll();
    });
    CSkinWindowItemButton* button = window.buttons[7];
    const RECT one = button->GetRect();
    const double oneUs = BestPerCallUs(2000, [&] {
        button->MarkChanged();
        window.Compose(one);
    });
    std::printf("%-34s %12s %12s %10s\n", "operation", "time", "baseline", "ratio");
    std::printf("%-34s %10.1f us %10.1f us %9.1fx   (target <= 1000 us and <= 20x memcpy)\n",
                "full compose (30 items)", fullUs, memcpyUs, fullUs / memcpyUs);
    std::printf("%-34s %10.1f us %10.1f us %9.1fx   (every item drawn afresh)\n",
                "full compose, pictures remade", freshUs, memcpyUs, freshUs / memcpyUs);
    std::printf("%-34s %10.1f us %10.1f us %9.3fx   (baseline: full compose, remade)\n",
                "one changed button redrawn", oneUs, freshUs, oneUs / freshUs);

    // The same window at twice the DPI: four times the pixels.
    CBenchWindow twice;
    twice.LoadSkin("Bench.txt", "Base", true);
    twice.Build();
    HWND twiceHwnd = twice.CreateSkinWindow(nullptr, WS_POPUP, 0, 100, 100);
    const RECT place = {100, 100, 900, 380};
    ::SendMessageA(twiceHwnd, WM_DPICHANGED, MAKEWPARAM(192, 192),
                   reinterpret_cast<LPARAM>(&place));
    twice.BackBuffer()->SavePng((folder + "compose-2x.png").c_str());
    // The two windows in alternating rounds: the best round of each, and
    // the median of the rounds' ratios beside it.
    // Short rounds (a few calls): a pair of them mostly falls within one
    // time slice of a busy machine, and the pairs a preemption splits are
    // outliers the median leaves aside.
    const bench::Paired full2 = bench::ComparePerCall(
        1001, 4, [&] { window.RedrawAll(); }, [&] { twice.RedrawAll(); });
    const bench::Paired fresh2 = bench::ComparePerCall(
        201, 2,
        [&] {
            for (const auto& item : window.Items()) item->MarkChanged();
            window.RedrawAll();
        },
        [&] {
            for (const auto& item : twice.Items()) item->MarkChanged();
            twice.RedrawAll();
        });
    ::DestroyWindow(twiceHwnd);
    // The ratio is the median of the rounds' own ratios: the best times of
    // the two may come from different quiet spells of a shared machine.
    std::printf("%-34s %10.1f us %10.1f us %9.2fx   (800 x 280; target <= 4.5x; of %d rounds)\n",
                "full compose at 2x", full2.bBest, full2.aBest, full2.ratioMedian, 1001);
    std::printf("%-34s %10.1f us %10.1f us %9.2fx   (every item drawn afresh; of %d rounds)\n",
                "full compose at 2x, remade", fresh2.bBest, fresh2.aBest, fresh2.ratioMedian, 201);
    // Decoding: what a window at 2x waits for before its first paint.
    {
        lib::wfc::CGdiplusUser gdiplus;
        auto decodeUs = [&](const std::vector<std::string>& names) {
            std::vector<std::string> files;
            for (const std::string& name : names) {
                files.emplace_back();
                HANDLE file = ::CreateFileA((folder + name).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                            nullptr, OPEN_EXISTING, 0, nullptr);
                DWORD size = ::GetFileSize(file, nullptr), read = 0;
                files.back().resize(size);
                ::ReadFile(file, &files.back()[0], size, &read, nullptr);
                ::CloseHandle(file);
            }
            return BestPerCallUs(10, [&] {
                for (const std::string& b : files) {
                    lib::wfc::CDIB dib;
                    dib.LoadMemory(b.data(), b.size());
                }
            });
        };
        const double decodeOneUs = decodeUs({"Base.png", "Parts.png"});
        const double decodeTwoUs = decodeUs({"Base@2x.png", "Parts@2x.png"});
        std::printf("%-34s %10.1f us %10.1f us %9.2fx   (Base and Parts; reported)\n",
                    "decoding the 2x sheets", decodeTwoUs, decodeOneUs, decodeTwoUs / decodeOneUs);
    }

    if (idle) {
        ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
        ::UpdateWindow(hwnd);
        IdleCpuMs(500);  // first paints and caches
        const unsigned paints = window.PaintCount();
        const unsigned long long composed = window.ComposedPixels();
        const double skinMs = IdleCpuMs(10000);
        const unsigned idlePaints = window.PaintCount() - paints;
        const unsigned long long idleComposed = window.ComposedPixels() - composed;
        ::ShowWindow(hwnd, SW_HIDE);

        WNDCLASSA bare = {};
        bare.lpfnWndProc = BareProc;
        bare.hInstance = ::GetModuleHandleA(nullptr);
        bare.lpszClassName = "ComposeBenchBare";
        ::RegisterClassA(&bare);
        HWND plain = ::CreateWindowExA(0, "ComposeBenchBare", "bare", WS_POPUP | WS_VISIBLE, 100,
                                       100, 400, 140, nullptr, nullptr, bare.hInstance, nullptr);
        ::SetTimer(plain, 1, 33, nullptr);
        IdleCpuMs(500);
        const double bareMs = IdleCpuMs(10000);
        ::DestroyWindow(plain);
        std::printf("%-34s %8.2f %% core %6.2f %% core %9.2fx   (target <= 0.5 %%)\n",
                    "idle 10 s with the 33 ms tick", skinMs / 100, bareMs / 100,
                    bareMs > 0 ? skinMs / bareMs : 0.0);
        std::printf("%-34s %12u %12s %10s   (paints; composed pixels %llu)\n",
                    "  paints while idle", idlePaints, "", "", idleComposed);
    }
    ::DestroyWindow(hwnd);

    if (startup) {
        char path[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string bin = path;
        bin = bin.substr(0, bin.find_last_of("\\/") + 1);
        // No backslash before a closing quote: it would escape the quote.
        const std::string unslashed = folder.substr(0, folder.size() - 1);
        const std::string skinview = "\"" + bin + "skinview.exe\" --folder \"" + unslashed +
                                     "\" --first-paint-event EVENT Bench.txt";
        const std::string bareWindow = "\"" + bin + "bare_window_win.exe\" EVENT";
        CompareStarts("start to first paint (skinview)", skinview, bareWindow, "1.5x");
        // At 192 DPI: this program draws the bench window at the scale it
        // starts with; the bare window starts at the same DPI.
        const std::string self =
            "\"" + std::string(path) + "\" --first-paint EVENT \"" + unslashed + "\"";
        SetLogPixels(192);
        CompareStarts("start to first paint at 2x", self, bareWindow, "1.3x");
        SetLogPixels(96);
    }
    return 0;
}
