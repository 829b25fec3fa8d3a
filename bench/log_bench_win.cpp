// Diagnostic log throughput: records per second through the log for one
// writer and for four concurrent writers, each beside the floor of the same
// bytes appended with open-append-close per record and no mutex.
//   log_bench_win.exe [records-per-writer]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "common/FileHelpers.h"
#include "common/KilnLog.h"
#include "common/WinHandle.h"

namespace {

const char kMessage[] = "CPcLinkFile::Load - 読込完了 ドライブ:E サイズ:%d 結果:%d";

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b) {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return double(b.QuadPart - a.QuadPart) / double(f.QuadPart);
}

template <typename Body>
double RecordsPerSecond(int writers, int each, Body body) {
    LARGE_INTEGER t0, t1;
    ::QueryPerformanceCounter(&t0);
    std::vector<std::thread> threads;
    for (int w = 0; w < writers; ++w) threads.emplace_back([&, w] { body(w, each); });
    for (auto& t : threads) t.join();
    ::QueryPerformanceCounter(&t1);
    return writers * each / Seconds(t0, t1);
}

void LogRecords(int, int n) {
    for (int i = 0; i < n; ++i) KILNLOG.Log(LOG_NORMAL, kMessage, i, 0);
}

// The floor: a record of the same size appended with no lock and no size check.
void AppendRecords(const std::string& path, int n) {
    char line[256];
    for (int i = 0; i < n; ++i) {
        int len = std::snprintf(line, sizeof line,
                                "2026/12/06 00:00:00:000\t..\tlog_bench_win.cpp\t42\t1a3c\t");
        len += std::snprintf(line + len, sizeof line - len, kMessage, i, 0);
        len += std::snprintf(line + len, sizeof line - len, "\r\n");
        qm::CFileHandle f(::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (f) ::WriteFile(f.Get(), line, len, &written, nullptr);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int each = argc > 1 ? std::atoi(argv[1]) : 2000;
    char tmp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, tmp);
    const std::string dir = std::string(tmp) + "qm-logbench\\";
    DeleteFolderTree(dir.c_str(), true);
    CreateDirectories(dir.c_str());

    KILNLOG.Start((dir + "bench.log").c_str(), 4096);
    const std::string floorPath = dir + "floor.log";

    struct Row {
        const char* name;
        int writers;
        double log, floor;
    };
    Row rows[] = {{"1 writer", 1, 0, 0}, {"4 writers", 4, 0, 0}};
    for (Row& r : rows) {
        r.floor = RecordsPerSecond(r.writers, each, [&](int, int n) { AppendRecords(floorPath, n); });
        r.log = RecordsPerSecond(r.writers, each, LogRecords);
    }

    std::printf("log benchmark: %d records per writer, 4096 KB limit\n", each);
    std::printf("%-10s %14s %14s %8s\n", "case", "log rec/s", "floor rec/s", "ratio");
    for (const Row& r : rows)
        std::printf("%-10s %14.0f %14.0f %8.2f\n", r.name, r.log, r.floor, r.log / r.floor);
    DeleteFolderTree(dir.c_str(), true);
    return 0;
}
