// The launcher over a long day: N cycles of card arrival, a charge in the
// stand-in core's rotation of outcomes, the menu and information windows,
// eject or pull (bench/soak/SoakRun.h). The process's GDI and USER objects,
// kernel handles, private bytes and threads and the log folder are measured
// after the first 50 cycles and at the end, against the targets for a long
// run. Run it in the soak test's prefix (QM_PREFIX_SETUP names
// tests/win/soak/prefix-setup by its absolute path), beside the stand-in
// service:
//   tests/win/soak/run-with-service build/win64/bin/soak_win.exe [cycles] [log KB]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/BenchClock.h"
#include "bench/soak/SoakRun.h"

namespace {

void Row(const char* what, double first, double last, double allowed, const char* unit) {
    const double change = last - first;
    std::printf(
        "%-22s %12.0f %12.0f %+10.0f   %-14s %s\n", what, first, last, change,
        (std::string("<= ") + std::to_string(static_cast<long long>(allowed)) + " " + unit).c_str(),
        std::abs(change) <= allowed ? "ok" : "OVER");
}

}  // namespace

int main(int argc, char** argv) {
    // A cycle takes 3.5 to 6 s on this machine (two cores, shared): a hundred
    // cards, a long day of them, fit in ten minutes.
    // Whole periods, so that the end compares with the baseline.
    int cycles = argc > 1 ? std::max(soak::kBaselineCycles, std::atoi(argv[1])) : 100;
    cycles += (soak::kPeriod - cycles % soak::kPeriod) % soak::kPeriod;
    const int logKB = argc > 2 ? std::atoi(argv[2]) : 256;
    // QM_SOAK_SAMPLE: cycles between samples (50); each sample lists the kinds
    // of GDI object whose number changed since the one before.
    const int sample = std::atoi(soak::Env("QM_SOAK_SAMPLE").c_str());
    const int every = sample > 0 ? sample : 50;
    soak::CSoak run;
    const std::string problem = run.SetUp(logKB);
    if (!problem.empty()) return std::printf("soak: %s\n", problem.c_str()), 1;
    std::printf("soak: a thread holds %llu KB of private memory beside its stack\n",
                static_cast<unsigned long long>(soak::ThreadOverheadBytes() / 1024));

    std::vector<double> cycleMs;
    std::vector<std::string> failures;
    soak::Sample baseline;
    std::string kept;
    soak::GdiCensus gdiBefore = soak::TakeGdiCensus(), gdiBaseline;
    const double start = bench::NowMs();
    for (int i = 0; i < cycles; ++i) {
        const double t0 = bench::NowMs();
        const std::string failure = run.RunCycle(i);
        cycleMs.push_back(bench::NowMs() - t0);
        if (!failure.empty()) {
            failures.push_back("cycle " + std::to_string(i) + " " + failure);
            std::printf("soak: %s\n", failures.back().c_str()), std::fflush(stdout);
        }
        if (i + 1 == soak::kBaselineCycles) {
            baseline = soak::Measure();
            gdiBaseline = soak::TakeGdiCensus();
            kept = run.KeptFiles();
        }
        if ((i + 1) % every == 0) {
            const soak::Sample s = soak::Measure();
            std::printf(
                "soak: %d cycles, %.0f s: GDI %lu USER %lu handles %lu private %llu KB "
                "(pool workers' %llu KB aside) threads %lu log folder %llu KB\n",
                i + 1, (bench::NowMs() - start) / 1000, s.gdi, s.user, s.handles,
                static_cast<unsigned long long>(s.privateBytes / 1024),
                static_cast<unsigned long long>(s.poolWorkerBytes / 1024), s.threads,
                static_cast<unsigned long long>(s.logFolderBytes / 1024));
            const soak::GdiCensus gdiNow = soak::TakeGdiCensus();
            const std::vector<std::string> changes = soak::GdiChanges(gdiBefore, gdiNow);
            for (size_t c = 0; c < changes.size() && c < 40; ++c)
                std::printf("  GDI %s\n", changes[c].c_str());
            gdiBefore = gdiNow;
            std::fflush(stdout);
        }
    }
    soak::Sample end = soak::Measure();
    // Taking the cache's free DCs one by one hands them to the desktop
    // window, after which the windows' paints make new ones: only at the end.
    end.freeDCs = soak::FreeCachedDCs();
    const double wall = (bench::NowMs() - start) / 1000;

    std::printf(
        "soak: %d cycles in %.0f s (median cycle %.0f ms, worst %.0f ms), %d launcher "
        "starts, log limit %d KB\n",
        cycles, wall, bench::Median(cycleMs), *std::max_element(cycleMs.begin(), cycleMs.end()),
        run.LauncherStarts(), logKB);
    std::printf("%-22s %12s %12s %10s   %-14s\n", "measure", "after 50", "at end", "change",
                "target");
    Row("GDI objects", baseline.gdi, end.gdi, 2, "");
    // The system's cache of DCs grows to the most ever held at once and
    // keeps them: the screen DCs added since the baseline, as far as they
    // are free at the end (two objects each), are not the program's.
    const double cacheGrowth =
        std::min(double(end.screenDCs) - baseline.screenDCs, double(end.freeDCs));
    Row("GDI, DC cache aside", baseline.gdi, end.gdi - 2 * std::max(0.0, cacheGrowth), 2, "");
    Row("USER objects", baseline.user, end.user, 2, "");
    Row("kernel handles", baseline.handles, end.handles, 2, "");
    Row("private bytes (KB)", (baseline.privateBytes + baseline.poolWorkerBytes) / 1024.0,
        (end.privateBytes + end.poolWorkerBytes) / 1024.0, 1024, "KB");
    Row("private, pool aside", baseline.privateBytes / 1024.0, end.privateBytes / 1024.0, 1024,
        "KB");
    Row("threads", baseline.threads, end.threads, 0, "");
    std::printf("%-22s %12.0f %12.0f %+10.0f   %-14s\n", "log folder (KB)",
                baseline.logFolderBytes / 1024.0, end.logFolderBytes / 1024.0,
                (double(end.logFolderBytes) - double(baseline.logFolderBytes)) / 1024.0,
                "2 x limit + core's");
    const std::string log = run.CheckLog();
    std::printf("log within its limit, rotation intact: %s\n", log.empty() ? "yes" : log.c_str());
    std::printf("settings and user list byte-identical: %s\n",
                kept == run.KeptFiles() ? "yes" : "NO");
    // What the GDI objects' change is made of, and how much of it is the
    // system's cache of device contexts.
    for (const std::string& change : soak::GdiChanges(gdiBaseline, soak::TakeGdiCensus()))
        std::printf("GDI since cycle %d: %s\n", soak::kBaselineCycles, change.c_str());
    std::printf("screen DCs: %lu after 50, %lu at the end, %d of them free in the cache\n",
                baseline.screenDCs, end.screenDCs, end.freeDCs);
    std::printf("cycles with a wrong outcome: %zu\n", failures.size());
    for (size_t f = 0; f < failures.size() && f < 20; ++f)
        std::printf("  %s\n", failures[f].c_str());
    return failures.empty() && log.empty() ? 0 : 1;
}
