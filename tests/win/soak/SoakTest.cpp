// The soak in short (bench/soak/SoakRun.h) against the real launcher, the
// stand-in core and service. Every cycle must come out as the user must see
// it. The first period of the rotation warms up: each outcome, card, launcher
// restart, message box and window once, so that what the system loads once
// per process (the boxes' icons, the system colours' brushes, cached device
// contexts) is there before the first measure. Then the period's last three
// cycles run again (abort, core dies on the older card, withdrawn), ending as
// the first period ended, with a launcher started in its last cycle: the
// objects a cycle leaves depend on its outcome (the status labels' pictures,
// the shapes of the windows shown), so only equal ends compare. Each end is
// measured once the process is idle, back to its own thread alone. Across
// them the process must not have grown: GDI and USER objects and handles
// within two, private bytes within Wine's heap noise plus the long run's
// allowance for these cycles. The log stays within its
// limit through its rotations, and the settings and the user list are as
// they were.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "bench/soak/SoakRun.h"

namespace {

// Small, so that the log rotates within the short run.
constexpr int kLogLimitKB = 16;
// The cycles run again after the warm-up: the period's last ones.
constexpr int kMeasured = 3;
// Under Wine committed private memory moves by up to several hundred KB
// between equal states this early (the long run starts measuring at cycle
// 50); the long run allows 1 MB per thousand cycles.
constexpr double kPrivateNoise = 1024.0 * 1024;
constexpr double kPrivatePerCycle = 1024.0 * 1024 / 1000;

// Once idle the process is down to its own thread: a worker the system
// started for the network calls ends a few seconds after its last task
// (and takes its stack's 3 MB with it), so the measure waits for that.
soak::Sample MeasureIdle() {
    EXPECT_TRUE(soak::PumpUntil([] { return soak::ThreadCount() == 1; }, 30000))
        << soak::ThreadCount() << " threads stay";
    return soak::Measure();
}

}  // namespace

TEST(Soak, CardsChargesAndWindowsLeaveNothingBehind) {
    if (soak::Env("QM_SERVICE_HOST").empty()) GTEST_SKIP() << "needs run-with-service";
    soak::CSoak run;
    ASSERT_EQ(run.SetUp(kLogLimitKB), "");
    for (int i = 0; i < soak::kPeriod; ++i) EXPECT_EQ(run.RunCycle(i), "") << "cycle " << i;
    const soak::Sample first = MeasureIdle();
    const soak::GdiCensus gdi = soak::TakeGdiCensus();
    const std::string kept = run.KeptFiles();
    for (int i = 2 * soak::kPeriod - kMeasured; i < 2 * soak::kPeriod; ++i)
        EXPECT_EQ(run.RunCycle(i), "") << "cycle " << i;
    const soak::Sample last = MeasureIdle();
    // The figures, for the trend across runs.
    std::printf(
        "soak: GDI %lu -> %lu, USER %lu -> %lu, handles %lu -> %lu, threads %lu -> %lu, "
        "private %lld KB\n",
        first.gdi, last.gdi, first.user, last.user, first.handles, last.handles, first.threads,
        last.threads,
        (static_cast<long long>(last.privateBytes) - static_cast<long long>(first.privateBytes)) /
            1024);

    EXPECT_NEAR(last.gdi, first.gdi, 2.0)
        << ::testing::PrintToString(soak::GdiChanges(gdi, soak::TakeGdiCensus()));
    EXPECT_NEAR(last.user, first.user, 2.0);
    EXPECT_NEAR(last.handles, first.handles, 2.0);
    EXPECT_LE(double(last.privateBytes),
              first.privateBytes + kPrivateNoise + kMeasured * kPrivatePerCycle)
        << "grew by " << (double(last.privateBytes) - double(first.privateBytes)) / 1024 << " KB";
    EXPECT_EQ(run.CheckLog(), "");
    EXPECT_TRUE(run.KeptFiles() == kept) << "the settings or the user list changed";
}
