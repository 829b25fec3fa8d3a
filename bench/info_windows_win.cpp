// Opening the information windows on large inputs, each beside a baseline
// measured in the same run on the same data:
//   probe log window with 10 000 uploads: open (create and fill) against
//     reading the same file; one page of scrolling (scroll and compose)
//   SD information window on a card with 20 000 files: the window's own
//     opening (without the folder walk, which runs off the UI thread) and
//     the walk, against summing the same folders' sizes directly.
// Medians of several rounds. Run under wine-run with the info tests'
// prefix-setup, so that E: is a removable card:
//   QM_PREFIX_SETUP=tests/win/info/prefix-setup
//   tests/support/wine-run build/win64/bin/info_windows_win.exe [rounds]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/ProbeLogWindow.h"
#include "app/SDInfoWindow.h"
#include "bench/BenchClock.h"
#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "datafiles/DataRecords.h"
#include "datafiles/SDInfoFile.h"
#include "ui/ButtonListView.h"
#include "ui/Skin.h"
#include "wfc/Library.h"

namespace {

bool WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE f = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD done = 0;
    const BOOL ok = ::WriteFile(f, bytes.data(), DWORD(bytes.size()), &done, nullptr);
    ::CloseHandle(f);
    return ok && done == bytes.size();
}

void Row(const char* what, double ms, double base, double limit) {
    std::printf("%-34s %9.2f ms  baseline %9.2f ms  ratio %6.2f  target <= %.0f ms  %s\n", what, ms,
                base, base > 0 ? ms / base : 0.0, limit, ms <= limit ? "ok" : "OVER");
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    lib::wfc::InitLibrary(::GetModuleHandleA(nullptr), "Quillmarch ", nullptr, nullptr);
    const std::string exe = GetExeFolder() + "Quillmarch.exe";
    HMODULE skins = ::LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ui::SetSkinResourceMode(skins, skins, skins);

    // --- probe log with 10 000 uploads ---
    const char* device = "BENCHUNIT0000001";
    {
        CProbeLogFile make(device);  // creates the folder
        std::string bytes;
        uint8_t record[kProbeLogRecordSize];
        for (int i = 0; i < 10000; ++i) {
            ProbeLogRecord r;
            r.uploadTime.year = 2026;
            r.uploadTime.month = 1 + i % 12;
            r.uploadTime.day = 1 + i % 28;
            r.result = i % 6;
            r.code = i % 2 ? 0x12 + i : 0;
            EncodeProbeLogRecord(r, record);
            bytes.append(reinterpret_cast<const char*>(record), sizeof record);
        }
        if (!WriteBytes(make.GetPath(), bytes)) {
            std::printf("cannot write %s\n", make.GetPath().c_str());
            return 1;
        }
    }
    std::vector<double> read, open, page;
    for (int round = 0; round < rounds; ++round) {
        double t0 = bench::NowMs();
        {
            CProbeLogFile file(device);
            if (file.GetCount() != 10000) return std::printf("probe log not read\n"), 1;
        }
        read.push_back(bench::NowMs() - t0);
        t0 = bench::NowMs();
        ui::CProbeLogWindow window(device);
        window.Create(nullptr);
        window.ShowWindow(SW_SHOWNA);
        window.RedrawAll();
        open.push_back(bench::NowMs() - t0);
        t0 = bench::NowMs();
        window.SendMessage(WM_VSCROLL, SB_PAGEDOWN, 0);
        window.UpdateWindow();
        page.push_back(bench::NowMs() - t0);
        if (window.List()->FirstRow() == 0) return std::printf("the list did not scroll\n"), 1;
    }
    std::printf("probe log window, 10 000 uploads (median of %d)\n", rounds);
    Row("open (create, fill, compose)", bench::Median(open), bench::Median(read), 150);
    Row("scroll a page", bench::Median(page), bench::Median(read), 5);

    // --- SD information on a card with 20 000 files ---
    const char* folders[] = {"E:\\PC\\MAP\\", "E:\\PC\\SEARCH1\\", "E:\\PC\\WEATHER\\",
                             "E:\\AV\\MUSIC\\"};
    for (int i = 0; i < 20000; ++i) {
        const std::string dir = std::string(folders[i % 4]) + std::to_string(i / 1000) + "\\";
        if (i % 1000 < 4) CreateDirectories(dir.c_str());
        if (!WriteBytes(dir + "F" + std::to_string(i) + ".BIN", "0123456789"))
            return std::printf("cannot write the card (is E: mapped?)\n"), 1;
    }
    std::vector<double> walkBase, create, walk;
    for (int round = 0; round < rounds; ++round) {
        double t0 = bench::NowMs();
        uint64_t sum = 0;
        for (const char* f : folders) sum += GetFolderSize(f);
        walkBase.push_back(bench::NowMs() - t0);
        if (sum != 200000)
            return std::printf("card sizes wrong: %llu\n", (unsigned long long)sum), 1;
        t0 = bench::NowMs();
        ui::CSDInfoWindow window;
        window.Create(nullptr, 'E');
        window.ShowWindow(SW_SHOWNA);
        window.RedrawAll();
        create.push_back(bench::NowMs() - t0);
        window.WaitForSizes();
        walk.push_back(bench::NowMs() - t0);
    }
    std::printf("SD information window, 20 000 files (median of %d)\n", rounds);
    Row("open, usable (walk running)", bench::Median(create), bench::Median(walkBase), 300);
    Row("open until the bars show", bench::Median(walk), bench::Median(walkBase), 300);
    return 0;
}
