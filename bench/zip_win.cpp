// The zip step of the log upload: a folder of log text packed by CZipIF,
// beside the native `zip` command timed by bench/run-net-bench on the same
// folder in the same run.
//   zip_win.exe FOLDER ZIP_PATH ZIP_MS [RUNS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "net/ZipIF.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: zip_win.exe FOLDER ZIP_PATH ZIP_MS [RUNS]\n");
        return 2;
    }
    const double zipMs = std::atof(argv[3]);
    const int runs = argc > 4 ? std::atoi(argv[4]) : 5;
    std::vector<double> times;
    LARGE_INTEGER size{};
    for (int i = 0; i < runs; ++i) {
        ::DeleteFileA(argv[2]);
        LARGE_INTEGER freq, t0, t1;
        ::QueryPerformanceFrequency(&freq);
        ::QueryPerformanceCounter(&t0);
        CZipIF zip;
        if (!zip.ZipFolder(argv[1], argv[2])) {
            std::fprintf(stderr, "zip failed: %d\n", zip.GetLastZipError());
            return 1;
        }
        ::QueryPerformanceCounter(&t1);
        times.push_back(1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) /
                        static_cast<double>(freq.QuadPart));
    }
    WIN32_FILE_ATTRIBUTE_DATA fa;
    if (::GetFileAttributesExA(argv[2], GetFileExInfoStandard, &fa)) {
        size.LowPart = fa.nFileSizeLow;
        size.HighPart = static_cast<LONG>(fa.nFileSizeHigh);
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf("%-34s %10s %8s\n", "zip of the log folder", "ms", "ratio");
    std::printf("%-34s %10.1f %8.2f\n", "zip -q (native, baseline)", zipMs, 1.0);
    std::printf("%-34s %10.1f %8.2f\n", "CZipIF (Wine, median)", median, median / zipMs);
    std::printf("archive %lld bytes, %d runs\n", static_cast<long long>(size.QuadPart), runs);
    return 0;
}
