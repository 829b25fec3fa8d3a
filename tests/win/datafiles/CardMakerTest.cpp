// What the card maker writes for the information windows: SD info records of
// every kind with chosen values, the probe log of the device, the music
// folder, sized files and a nearly full card.
#include <gtest/gtest.h>

#include "CardTestSupport.h"
#include "TestSupport.h"
#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "datafiles/SDInfoFile.h"

using namespace cardtest;

namespace {

constexpr char kNearlyFullCard = 'N';  // a small volume when prefix-setup could mount one

uint64_t FileSize(const std::string& path) { return qmtest::ReadFile(path).size(); }

}  // namespace

TEST(CardMaker, SdInfoProbeLogMusicAndSizedFilesAsAsked) {
    ASSERT_TRUE(MakeCard(kCardE,
                         "--device=MAKER00000000001 --sdinfo=16:2:00000003:曲:1F:2E:202501311530 "
                         "--probe-entries=1000 --music-files=3 --music-bytes=5000 "
                         "--file=:\\PC\\MAP\\BIG.DAT:1048576 --spread=40"));
    CSDInfoFile sd(kCardE);
    EXPECT_EQ(sd.GetCount(), 1u) << "only the records asked for";
    const SdEntry e = ReadSdEntry(sd, 16);
    ASSERT_TRUE(e.found);
    EXPECT_EQ(e.result, 2);
    EXPECT_EQ(e.text, "曲");
    EXPECT_EQ(e.value120, 0x1Fu);
    EXPECT_EQ(e.extra116, 0x2Eu);
    EXPECT_EQ(e.extra124, 3u);
    const SYSTEMTIME& t = e.time;
    EXPECT_EQ(
        t.wYear * 100000000ull + t.wMonth * 1000000 + t.wDay * 10000 + t.wHour * 100 + t.wMinute,
        202501311530ull);
    EXPECT_EQ(t.wDayOfWeek, 5) << "a Friday";

    CProbeLogFile probe("MAKER00000000001");
    ASSERT_EQ(probe.GetCount(), 1000u);
    SYSTEMTIME first, other, last, now;
    int32_t r5 = 0, r0 = 0, result = 0;
    uint32_t c0 = 1, c1 = 0, unused = 0;
    ASSERT_TRUE(probe.GetEntry(0, &first, &r0, &c0));
    ASSERT_TRUE(probe.GetEntry(1, &other, &result, &c1));
    ASSERT_TRUE(probe.GetEntry(5, &other, &r5, &unused));
    ASSERT_TRUE(probe.GetEntry(999, &last, &result, &unused));
    ::GetLocalTime(&now);
    EXPECT_EQ(r0, 0);
    EXPECT_EQ(c0, 0u);
    EXPECT_EQ(c1, 0x13u);
    EXPECT_EQ(r5, 7) << "an outcome the window does not know";
    EXPECT_EQ(std::make_tuple(last.wYear, last.wMonth, last.wDay),
              std::make_tuple(now.wYear, now.wMonth, now.wDay))
        << "the newest upload is today's";
    EXPECT_LT(first.wYear, now.wYear) << "a thousand days back";

    EXPECT_EQ(qmtest::ListFiles(OnCard(kCardE, ":\\AV\\MUSIC\\*.MP3")).size(), 3u);
    EXPECT_EQ(FileSize(OnCard(kCardE, ":\\AV\\MUSIC\\TRACK03.MP3")), 5000u);
    EXPECT_EQ(FileSize(OnCard(kCardE, ":\\PC\\MAP\\BIG.DAT")), 1048576u);
    EXPECT_EQ(qmtest::ListFiles(OnCard(kCardE, ":\\PC\\SEARCH12\\F*.DAT")).size(), 2u)
        << "40 files over the 19 data folders";
}

TEST(CardMaker, ChargeOfEveryKindDamagedLogAndBadOptions) {
    ASSERT_TRUE(MakeCard(
        kCardF, "--device=MAKER00000000002 --every-kind --probe-entries=3 --probe-damage"));
    CSDInfoFile sd(kCardF);
    for (uint32_t kind : {2u, 4u, 8u, 16u, 32u}) {
        const SdEntry e = ReadSdEntry(sd, kind);
        EXPECT_TRUE(e.found) << kind;
        EXPECT_EQ(e.result, 2) << kind;
    }
    const size_t mark = LogMark();
    CProbeLogFile probe("MAKER00000000002");
    EXPECT_EQ(probe.GetCount(), 3u) << "the whole records before the damage";
    EXPECT_TRUE(LogHas(mark, "E:プローブログファイルデータ読込失敗 0x00000026"));

    ASSERT_TRUE(MakeCard(kCardF, "--device=MAKER00000000003 --probe-entries=0"));
    EXPECT_TRUE(qmtest::FileExists(GetUserDataFolder("MAKER00000000003") + "ProbeLog.dat"));
    EXPECT_EQ(CProbeLogFile("MAKER00000000003").GetCount(), 0u);

    EXPECT_FALSE(MakeCard(kCardF, "--sdinfo=2:2:1::0:0:202502301200")) << "no 30 February";
    EXPECT_FALSE(MakeCard(kCardF, "--file=PC\\MAP\\X.DAT:10")) << "card paths begin with :\\";
}

TEST(CardMaker, NearlyFullCard) {
    ULARGE_INTEGER available, total, free;
    const std::string root = OnCard(kNearlyFullCard, ":\\");
    ASSERT_TRUE(::GetDiskFreeSpaceExA(root.c_str(), &available, &total, &free));
    if (total.QuadPart > (256ull << 20)) GTEST_SKIP() << "no small volume behind N: here";
    // The card scans of later tests count the cards: leave N: empty.
    struct Emptied {
        ~Emptied() { EmptyDrive(kNearlyFullCard); }
    } emptied;
    ASSERT_TRUE(MakeCard(kNearlyFullCard, "--fill-to-free=1048576"));
    ASSERT_TRUE(::GetDiskFreeSpaceExA(root.c_str(), &available, &total, &free));
    EXPECT_LE(available.QuadPart, 1048576u);
    EXPECT_GT(available.QuadPart, 0u);
    EXPECT_TRUE(qmtest::FileExists(root + "FILL.BIN"));
}
