// The soak in short: ten cycles of the rotation (bench/soak/SoakRun.h)
// against the real launcher, the stand-in core and service. Every cycle must
// come out as the user must see it, and between the fifth cycle and the
// tenth, each ending with a launcher started one cycle before (the card
// order repeats every five), the process must not have grown: USER objects
// and handles within two, threads back to their count (the system's pool
// workers, which come and go on their own, aside). GDI objects are left
// to the benchmark: over these five cycles their count moved by up to
// fifteen from run to run, where the long run levels off. Private memory
// moves by a few hundred KB from cycle to cycle under Wine, more than the
// long run's allowance scaled to five cycles (5 KB), so the short run holds
// it to the long run's whole allowance and the benchmark measures the rate.
// The log stays within its limit through its rotations, and the settings and
// the user list are as they were.
#include <windows.h>
#include <gtest/gtest.h>

#include "bench/soak/SoakRun.h"

namespace {

// Small, so that the log rotates within the short run.
constexpr int kLogLimitKB = 16;
// The long run's allowance.
constexpr double kPrivateBytesAllowed = 1024.0 * 1024;

}  // namespace

TEST(Soak, TenCyclesOfCardsChargesAndWindowsLeaveNothingBehind) {
    if (soak::Env("QM_SERVICE_HOST").empty()) GTEST_SKIP() << "needs run-with-service";
    soak::CSoak run;
    ASSERT_EQ(run.SetUp(kLogLimitKB), "");
    for (int i = 0; i < soak::kCardPeriod; ++i) EXPECT_EQ(run.RunCycle(i), "") << "cycle " << i;
    const soak::Sample first = soak::Measure();
    const std::string kept = run.KeptFiles();
    for (int i = soak::kCardPeriod; i < 2 * soak::kCardPeriod; ++i)
        EXPECT_EQ(run.RunCycle(i), "") << "cycle " << i;
    const soak::Sample last = soak::Measure();

    EXPECT_NEAR(last.user, first.user, 2.0);
    EXPECT_NEAR(last.handles, first.handles, 2.0);
    ASSERT_GE(first.threads, 1u) << "the thread count left out the program's own threads";
    EXPECT_EQ(last.threads, first.threads);
    EXPECT_LE(double(last.privateBytes), first.privateBytes + kPrivateBytesAllowed)
        << "grew by " << (double(last.privateBytes) - double(first.privateBytes)) / 1024 << " KB";
    EXPECT_EQ(run.CheckLog(), "");
    EXPECT_TRUE(run.KeptFiles() == kept) << "the settings or the user list changed";
}
