// Upload throughput of the transfer engine: one multipart body posted to the
// stand-in service several times, beside the native curl time measured by
// bench/run-net-bench on the same body and endpoint in the same run.
//   upload_win.exe BODY_FILE URL CURL_MS [RUNS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "net/WinHttpWrapper.h"

namespace {
std::string ReadAll(const char* path) {
    std::string out;
    FILE* f = std::fopen(path, "rb");
    if (!f) return out;
    char buf[65536];
    size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, got);
    std::fclose(f);
    return out;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: upload_win.exe BODY_FILE URL CURL_MS [RUNS]\n");
        return 2;
    }
    const std::string body = ReadAll(argv[1]);
    const double curlMs = std::atof(argv[3]);
    const int runs = argc > 4 ? std::atoi(argv[4]) : 3;
    if (body.empty()) {
        std::fprintf(stderr, "no body in %s\n", argv[1]);
        return 1;
    }
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        CWinHttpWrapper http;
        if (!http.SetRequest(argv[2], 0, nullptr, true) ||
            !http.Open(HTTP_VERB_POST, L"bench", L""))
            return 1;
        LARGE_INTEGER freq, t0, t1;
        ::QueryPerformanceFrequency(&freq);
        ::QueryPerformanceCounter(&t0);
        HANDLE worker = http.UploadMultiPart(body.data(), static_cast<DWORD>(body.size()),
                                             "WickerdaleBoundary", "multipart/form-data");
        if (!worker || ::WaitForSingleObject(worker, 300000) != WAIT_OBJECT_0 ||
            http.GetResult() != 0) {
            std::fprintf(stderr, "upload failed: %lu\n",
                         static_cast<unsigned long>(http.GetResult()));
            return 1;
        }
        ::QueryPerformanceCounter(&t1);
        times.push_back(1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) /
                        static_cast<double>(freq.QuadPart));
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    const double mb = static_cast<double>(body.size()) / (1024.0 * 1024.0);
    std::printf("%-34s %10s %10s %8s\n", "multipart upload", "ms", "MB/s", "ratio");
    std::printf("%-34s %10.1f %10.2f %8.2f\n", "curl (native, baseline)", curlMs,
                mb / (curlMs / 1000.0), 1.0);
    std::printf("%-34s %10.1f %10.2f %8.2f\n", "CWinHttpWrapper (Wine, median)", median,
                mb / (median / 1000.0), median / curlMs);
    std::printf("body %.1f MB, %d runs\n", mb, runs);
    return 0;
}
