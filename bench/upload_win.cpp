// The upload step of the log upload: a 10 MB multipart body posted by the
// transfer engine under Wine, beside `curl` run by bench/run-net-bench on the
// same body and endpoint in the same run, the two taking turns
// (BenchTurns.h), so both see the same load. Besides the upload itself it times the body
// assembly the log upload does first (the archive read and the parts
// joined), so the whole step can be seen.
// curl runs twice a turn: as it comes (its socket sends small segments at
// once) and with --no-tcp-nodelay, the socket the engine gets from WinHTTP,
// which offers no way to switch Nagle's algorithm off. On loopback the last
// small segment of a body then now and again waits for the server's delayed
// acknowledgement (about 40 ms); the second baseline shows that cost apart
// from the engine's own.
//   upload_win.exe BODY_FILE FILE_PART URL SYNC_FOLDER [RUNS]
// One warm-up upload (the engine's libraries and first connection) is not
// counted; the median of RUNS (default 9) is.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/BenchTurns.h"
#include "common/WholeFile.h"
#include "net/ConnectionTable.h"
#include "net/WinHttpWrapper.h"

namespace {
// One upload of a body handed over to the engine; its time, or < 0.
double Upload(const char* url, std::string body) {
    CWinHttpWrapper http;
    if (!http.SetRequest(url, 0, nullptr, true) || !http.Open(HTTP_VERB_POST, L"bench", L""))
        return -1;
    const double t0 = bench::NowMs();
    HANDLE worker =
        http.UploadMultiPart(std::move(body), "WickerdaleBoundary", "multipart/form-data");
    if (!worker || ::WaitForSingleObject(worker, 300000) != WAIT_OBJECT_0 ||
        http.GetResult() != 0) {
        std::fprintf(stderr, "upload failed: %lu\n", static_cast<unsigned long>(http.GetResult()));
        return -1;
    }
    return bench::NowMs() - t0;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: upload_win.exe BODY_FILE FILE_PART URL SYNC_FOLDER [RUNS]\n");
        return 2;
    }
    std::string body;
    if (!ReadWholeFile(argv[1], body).Ok() || body.empty()) {
        std::fprintf(stderr, "no body in %s\n", argv[1]);
        return 1;
    }
    const char* url = argv[3];
    const std::string sync = argv[4];
    const int runs = argc > 5 ? std::max(1, std::atoi(argv[5])) : 9;

    // The assembly of the same body from its parts, as the log upload does it.
    CRequestParams params;
    params.SetLogUploadParams("DEV1", 0x00120034, argv[2]);
    CConnectionTable table;
    std::vector<double> assembly;
    size_t assembled = 0;
    for (int i = 0; i < runs; ++i) {
        const double t0 = bench::NowMs();
        const RequestBody built = table.BuildMultiPartData(
            24, params,
            [](const std::string& path, std::string& out) { return ReadWholeFile(path, out); });
        assembly.push_back(bench::NowMs() - t0);
        if (!built.Ok()) {
            std::fprintf(stderr, "assembly failed for %s\n", argv[2]);
            return 1;
        }
        assembled = built.bytes.size();
    }

    if (Upload(url, body) < 0) return 1;  // warm-up
    std::vector<double> times, curlTimes, nagleTimes;
    for (int i = 0; i < runs; ++i) {
        const double ms = Upload(url, body);  // the copy is made before the clock starts
        if (ms < 0) return 1;
        times.push_back(ms);
        const double curl = BaselineTurn(sync, "engine", i, &nagleTimes);
        if (curl <= 0 || nagleTimes.size() != static_cast<size_t>(i + 1)) {
            std::fprintf(stderr, "no curl time for round %d\n", i);
            return 1;
        }
        curlTimes.push_back(curl);
    }
    std::printf("%-34s", "rounds (engine/curl/nagle ms)");
    for (size_t i = 0; i < times.size(); ++i)
        std::printf(" %.0f/%.0f/%.0f", times[i], curlTimes[i], nagleTimes[i]);
    std::printf("\n");
    const double median = bench::Median(times);
    const double curlMs = bench::Median(curlTimes);
    const double nagleMs = bench::Median(nagleTimes);
    const double mb = static_cast<double>(body.size()) / (1024.0 * 1024.0);
    std::printf("%-34s %10s %10s %10s\n", "multipart upload", "ms", "MB/s", "vs curl");
    std::printf("%-34s %10.1f %10.2f %10.2f\n", "curl (native, baseline, median)", curlMs,
                mb / (curlMs / 1000.0), 1.0);
    std::printf("%-34s %10.1f %10.2f %10.2f\n", "curl --no-tcp-nodelay (median)", nagleMs,
                mb / (nagleMs / 1000.0), curlMs / nagleMs);
    std::printf("%-34s %10.1f %10.2f %10.2f   (%.2f of curl --no-tcp-nodelay)\n",
                "CWinHttpWrapper (Wine, median)", median, mb / (median / 1000.0), curlMs / median,
                nagleMs / median);
    std::printf("%-34s %10.1f %10.2f %10.2f   (fastest of each)\n", "CWinHttpWrapper (Wine, best)",
                *std::min_element(times.begin(), times.end()),
                mb / (*std::min_element(times.begin(), times.end()) / 1000.0),
                *std::min_element(curlTimes.begin(), curlTimes.end()) /
                    *std::min_element(times.begin(), times.end()));
    std::printf("%-34s %10.1f   (%zu bytes, not in the upload time)\n", "body assembly (median)",
                bench::Median(assembly), assembled);
    std::printf(
        "body %.1f MB, %d runs each, taking turns, after one warm-up; \"vs curl\" is the "
        "throughput ratio\n",
        mb, runs);
    return 0;
}
