// Diagnostic log throughput: records per second through the log for one
// writer and for four concurrent writers (threads of one process), each
// beside two floors measured in the same run with records of the same size:
//   bare:   open-append-close per record, no lock;
//   locked: the same inside a wait/release of one named mutex, which is what
//           the log must do so that several processes can share the file.
// The log is expected to reach 0.8 of the locked floor.
// Many short rounds interleave the three, and the medians are compared, so a
// busy stretch of the machine falls on all three alike.
//   log_bench_win.exe [records-per-writer-and-round] [rounds]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchClock.h"
#include "common/FileHelpers.h"
#include "common/KilnLog.h"
#include "common/WinHandle.h"

namespace {

const char kMessage[] = "CPcLinkFile::Load - 読込完了 ドライブ:E サイズ:%d 結果:%d";

template <typename Body>
double RecordsPerSecond(int writers, int each, Body body) {
    const double start = bench::NowUs();
    std::vector<std::thread> threads;
    for (int w = 0; w < writers; ++w) threads.emplace_back([&, w] { body(w, each); });
    for (auto& t : threads) t.join();
    return writers * each / ((bench::NowUs() - start) / 1e6);
}

void LogRecords(int, int n) {
    for (int i = 0; i < n; ++i) KILNLOG.Log(LOG_NORMAL, kMessage, i, 0);
}

// A record of the log's size appended with open-append-close; with a mutex,
// inside its wait and release.
void AppendRecords(const std::string& path, HANDLE mutex, int n) {
    char line[256];
    for (int i = 0; i < n; ++i) {
        int len = std::snprintf(line, sizeof line,
                                "2026/12/06 00:00:00:000\t..\tlog_bench_win.cpp\t42\t1a3c\t");
        len += std::snprintf(line + len, sizeof line - len, kMessage, i, 0);
        len += std::snprintf(line + len, sizeof line - len, "\r\n");
        if (mutex) ::WaitForSingleObject(mutex, INFINITE);
        {
            qm::CFileHandle f(::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
            DWORD written = 0;
            if (f) ::WriteFile(f.Get(), line, len, &written, nullptr);
        }
        if (mutex) ::ReleaseMutex(mutex);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int each = argc > 1 ? std::atoi(argv[1]) : 400;
    const int kRounds = argc > 2 ? std::atoi(argv[2]) : 15;
    char tmp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, tmp);
    const std::string dir = std::string(tmp) + "qm-logbench\\";
    DeleteFolderTree(dir.c_str(), true);
    CreateDirectories(dir.c_str());

    KILNLOG.Start((dir + "bench.log").c_str(), 4096);
    const std::string barePath = dir + "bare.log";
    const std::string lockedPath = dir + "locked.log";
    qm::CHandle named(::CreateMutexA(nullptr, FALSE, "qm-logbench-floor"));

    struct Row {
        const char* name;
        int writers;
        std::vector<double> log, bare, locked;
    };
    Row rows[] = {{"1 writer", 1, {}, {}, {}}, {"4 writers", 4, {}, {}, {}}};
    for (int round = 0; round < kRounds; ++round) {
        for (Row& r : rows) {
            r.bare.push_back(RecordsPerSecond(
                r.writers, each, [&](int, int n) { AppendRecords(barePath, nullptr, n); }));
            r.locked.push_back(RecordsPerSecond(
                r.writers, each, [&](int, int n) { AppendRecords(lockedPath, named.Get(), n); }));
            r.log.push_back(RecordsPerSecond(r.writers, each, LogRecords));
        }
        ::DeleteFileA(barePath.c_str());
        ::DeleteFileA(lockedPath.c_str());
    }

    std::printf(
        "log benchmark: %d records per writer and round, median of %d rounds, 4096 KB limit\n",
        each, kRounds);
    std::printf("%-10s %12s %12s %12s %10s %10s\n", "case", "log rec/s", "locked rec/s",
                "bare rec/s", "log/lock", "log/bare");
    for (const Row& r : rows) {
        const double log = bench::Median(r.log), locked = bench::Median(r.locked),
                     bare = bench::Median(r.bare);
        std::printf("%-10s %12.0f %12.0f %12.0f %10.2f %10.2f\n", r.name, log, locked, bare,
                    log / locked, log / bare);
    }
    DeleteFolderTree(dir.c_str(), true);
    return 0;
}
