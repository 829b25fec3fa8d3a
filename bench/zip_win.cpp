// The zip step of the log upload: a folder of log text packed by CZipIF,
// beside the native `zip` command run by bench/run-net-bench on the same
// folder in the same run, the two taking turns (BenchTurns.h).
//   zip_win.exe FOLDER ZIP_PATH SYNC_FOLDER [RUNS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/BenchTurns.h"
#include "net/ZipIF.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: zip_win.exe FOLDER ZIP_PATH SYNC_FOLDER [RUNS]\n");
        return 2;
    }
    const std::string sync = argv[3];
    const int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 9;
    std::vector<double> times, zipTimes;
    LARGE_INTEGER size{};
    for (int i = 0; i < runs; ++i) {
        ::DeleteFileA(argv[2]);
        const double start = bench::NowMs();
        CZipIF zip;
        if (!zip.ZipFolder(argv[1], argv[2])) {
            std::fprintf(stderr, "zip failed: %d\n", zip.GetLastZipError());
            return 1;
        }
        times.push_back(bench::NowMs() - start);
        const double zipRun = BaselineTurn(sync, "zipif", i);
        if (zipRun <= 0) {
            std::fprintf(stderr, "no zip time for round %d\n", i);
            return 1;
        }
        zipTimes.push_back(zipRun);
    }
    const double zipMs = bench::Median(zipTimes);
    WIN32_FILE_ATTRIBUTE_DATA fa;
    if (::GetFileAttributesExA(argv[2], GetFileExInfoStandard, &fa)) {
        size.LowPart = fa.nFileSizeLow;
        size.HighPart = static_cast<LONG>(fa.nFileSizeHigh);
    }
    const double median = bench::Median(times);
    std::printf("%-34s %10s %8s\n", "zip of the log folder", "ms", "ratio");
    std::printf("%-34s %10.1f %8.2f\n", "zip -q (native, baseline, median)", zipMs, 1.0);
    std::printf("%-34s %10.1f %8.2f\n", "CZipIF (Wine, median)", median, median / zipMs);
    std::printf(
        "archive %lld bytes, %d runs each, taking turns; \"ratio\" is time against zip "
        "(below 1 is faster)\n",
        static_cast<long long>(size.QuadPart), runs);
    return 0;
}
