// The PC-link and navigation-info files on simulated cards (E:, F:, B:).
#include <gtest/gtest.h>

#include "CardTestSupport.h"
#include "TestSupport.h"
#include "common/WholeFile.h"
#include "datafiles/PcLinkFile.h"

using namespace cardtest;
using qmtest::ReadFile;
using Texts = std::vector<std::string>;

namespace {

std::string NaviBytes(char d) { return ReadFile(OnCard(d, kCardNaviInfoPath)); }
std::string LinkBytes(char d) { return ReadFile(OnCard(d, kCardPcLinkPath)); }

}  // namespace

TEST(PcLinkFile, MissingCardAndFile) {
    size_t mark = LogMark();
    EXPECT_FALSE(CPcLinkFile(CPcLinkFile::kPcLink, 0).IsLoaded());
    EXPECT_TRUE(LogSince(mark).empty());  // drive 0 fails silently
    EXPECT_FALSE(CPcLinkFile(CPcLinkFile::kPcLink, 'Q').IsLoaded());
    CPcLinkFile absentNavi(CPcLinkFile::kNaviInfo, 'Q');
    EXPECT_EQ(LogSince(mark), (Texts{"N:PCLINKファイル読み込み時のSD無し",
                                     "N:NAVIINFOファイル読み込み時のSD無し"}));
}

TEST(PcLinkFile, DamagedFiles) {
    struct Case {
        const char* damage;
        bool loads;
        const char* record;
    } cases[] = {
        {"short-record", false, "E:お出かけ管理ファイルデータレコード読込失敗 0x00000026"},
        {"bad-header", false, "E:お出かけ管理ファイルデータヘッダ復号化不正"},
        {"wrong-size", false, "E:お出かけ管理ファイルデータヘッダ読込失敗 0x00000026"},
        {"bad-record", true, "E:お出かけ管理ファイルデータレコード復号化不正"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.damage);
        ASSERT_TRUE(
            MakeCard(kCardE, std::string("--damage=") + c.damage + " --damage-target=pclink"));
        size_t mark = LogMark();
        CPcLinkFile link(CPcLinkFile::kPcLink, kCardE);
        EXPECT_EQ(link.IsLoaded(), c.loads);
        EXPECT_EQ(LogSince(mark), Texts{c.record});
        // A bad record is kept: the others still answer.
        EXPECT_EQ(link.GetRecordValue(kRecordMapData), c.loads ? 0x05000100u : 0u);
    }
}

TEST(PcLinkFile, NaviInfoAndUnloadedFilesAreNeverWritten) {
    ASSERT_TRUE(MakeCard(kCardE));
    const std::string before = NaviBytes(kCardE);
    CPcLinkFile navi(CPcLinkFile::kNaviInfo, kCardE);
    size_t mark = LogMark();
    EXPECT_FALSE(navi.SetPairingValue(99));
    EXPECT_EQ(NaviBytes(kCardE), before);
    EXPECT_TRUE(LogSince(mark).empty());
    ASSERT_TRUE(MakeCard(kCardE, "--damage=bad-header --damage-target=pclink"));
    const std::string damaged = LinkBytes(kCardE);
    CPcLinkFile link(CPcLinkFile::kPcLink, kCardE);
    mark = LogMark();
    EXPECT_FALSE(link.SetPairingValue(5));
    EXPECT_EQ(LogSince(mark), Texts{"E:お出かけ管理ファイルへの書込み時の未読み込み"});
    EXPECT_EQ(LinkBytes(kCardE), damaged);
}

TEST(PcLinkFile, SyncCopiesOrCarriesThePairingOver) {
    // No PC-link file yet: it is made as a copy of the navigation-info file.
    ASSERT_TRUE(MakeCard(kCardE, "--no-pclink --pairing=1"));
    size_t mark = LogMark();
    EXPECT_TRUE(SyncPcLinkFile(kCardE, false));
    EXPECT_EQ(LinkBytes(kCardE), NaviBytes(kCardE));

    // The unit changes its pairing value: carried over, the file itself stays
    // (its first, uninterpreted header byte is ours and survives).
    std::string link = LinkBytes(kCardE);
    link[0] = '\x77';
    ASSERT_TRUE(qmtest::WriteFile(OnCard(kCardE, kCardPcLinkPath), link));
    ASSERT_TRUE(RunSdCard("set-pairing E:\\ 2222"));
    mark = LogMark();
    EXPECT_TRUE(SyncPcLinkFile(kCardE, false));
    EXPECT_EQ(LogSince(mark), Texts{"N:ペアリング情報セット成功"});
    const std::string after = LinkBytes(kCardE);
    EXPECT_EQ(after[0], '\x77');
    EXPECT_EQ(CPcLinkFile(CPcLinkFile::kPcLink, kCardE).GetPairingValue(), 0x2222u);
    // Equal values: nothing written; with force the PC-link file is replaced by a copy.
    EXPECT_TRUE(SyncPcLinkFile(kCardE, false));
    EXPECT_EQ(LinkBytes(kCardE), after);
    EXPECT_TRUE(SyncPcLinkFile(kCardE, true));
    EXPECT_EQ(LinkBytes(kCardE), NaviBytes(kCardE));
}

TEST(PcLinkFile, SyncFailures) {
    size_t mark = LogMark();
    EXPECT_FALSE(SyncPcLinkFile(0, false));
    EXPECT_EQ(LogSince(mark), Texts{"E:お出かけ管理ファイルコピー時のターゲットドライブ未指定"});
    EmptyDrive(kCardE);
    EXPECT_FALSE(SyncPcLinkFile(kCardE, true));
    // A PC-link file that does not load counts as pairing value 0: the
    // differing value is set, which fails for a file that never loaded.
    ASSERT_TRUE(MakeCard(kCardE, "--damage=bad-header --damage-target=pclink --pairing=3"));
    mark = LogMark();
    EXPECT_TRUE(SyncPcLinkFile(kCardE, false));
    EXPECT_TRUE(LogHas(mark, "E:ペアリング情報チェック時のファイル読み込み失敗"));
    EXPECT_TRUE(LogHas(mark, "E:ペアリング情報セット失敗"));
}

// The copy replaces the PC-link file in one step: whatever stops it half-way leaves a file that
// loads, the old one or the new one.
TEST(PcLinkFile, SyncNeverLeavesTheCardWithoutItsPcLinkFile) {
    // A crash after the new file was written and before it replaced the old one: the old one is
    // what loads, the leftover is never read and the next copy goes over it.
    ASSERT_TRUE(MakeCard(kCardE, "--pairing=1"));
    ASSERT_TRUE(RunSdCard("set-pairing E:\\ 2222"));
    const std::string path = OnCard(kCardE, kCardPcLinkPath);
    const std::string old = LinkBytes(kCardE);
    ASSERT_TRUE(qmtest::WriteFile(ReplacementPath(path), NaviBytes(kCardE).substr(0, 100)));
    EXPECT_EQ(CPcLinkFile(CPcLinkFile::kPcLink, kCardE).GetPairingValue(), 1u);
    EXPECT_EQ(LinkBytes(kCardE), old);
    size_t mark = LogMark();
    EXPECT_TRUE(SyncPcLinkFile(kCardE, true));
    EXPECT_EQ(LogSince(mark), Texts{"N:お出かけ管理コピー完了"});
    EXPECT_EQ(LinkBytes(kCardE), NaviBytes(kCardE));
    EXPECT_EQ(CPcLinkFile(CPcLinkFile::kPcLink, kCardE).GetPairingValue(), 0x2222u);
    EXPECT_EQ(::GetFileAttributesA(ReplacementPath(path).c_str()), INVALID_FILE_ATTRIBUTES);

    // A card without room for a second copy keeps the old file whole and says why; once there is
    // room the copy is made.
    if (!SmallCardOnSmallDisk()) GTEST_SKIP() << "no tmpfs under the small card";
    struct Emptied {
        ~Emptied() { EmptyDrive(kSmallCard); }  // the card scans below must not find it
    } emptied;
    ASSERT_TRUE(MakeCard(kSmallCard, "--pairing=1"));
    ASSERT_TRUE(RunSdCard("set-pairing N:\\ 3333"));
    const std::string small = OnCard(kSmallCard, kCardPcLinkPath);
    const std::string kept = LinkBytes(kSmallCard);
    {
        CDiskFiller filler(0, kSmallCard);
        ASSERT_TRUE(filler.Full());
        mark = LogMark();
        ::SetLastError(0);
        EXPECT_FALSE(SyncPcLinkFile(kSmallCard, true));
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
        EXPECT_EQ(LogSince(mark), Texts{"E:お出かけ管理コピー失敗 ERR:0x00000070"});
        EXPECT_EQ(LinkBytes(kSmallCard), kept);
        EXPECT_EQ(::GetFileAttributesA(ReplacementPath(small).c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(CPcLinkFile(CPcLinkFile::kPcLink, kSmallCard).GetPairingValue(), 1u);
    }
    EXPECT_TRUE(SyncPcLinkFile(kSmallCard, true));
    EXPECT_EQ(LinkBytes(kSmallCard), NaviBytes(kSmallCard));
}

TEST(PcLinkFile, FindNaviCardsScansRemovableDrivesFromD) {
    // B: holds a valid card (made before the test started) but is below D:; G: holds a valid
    // card on a read-only folder: it counts as well.
    ASSERT_TRUE(CPcLinkFile(CPcLinkFile::kNaviInfo, kCardOnB).IsLoaded());
    ASSERT_TRUE(MakeCard(kCardE, "--no-pclink"));
    ASSERT_TRUE(MakeCard(kCardF, "--damage=bad-header --damage-target=navi"));
    std::vector<char> drives = {'X'};
    EXPECT_EQ(FindNaviCards(drives), 2);
    EXPECT_EQ(drives, (std::vector<char>{kCardE, kReadOnlyCard}));
    EXPECT_EQ(LinkBytes(kCardE), NaviBytes(kCardE)) << "its PC-link file was made on the way";
    // The start-up scan wants a PC-link file that loads; good cards come in letter order.
    ASSERT_TRUE(MakeCard(kCardF));
    ASSERT_TRUE(MakeCard(kCardE, "--damage=bad-header --damage-target=pclink"));
    EXPECT_EQ(ScanNaviCards(drives), 2);
    EXPECT_EQ(drives, (std::vector<char>{kCardF, kReadOnlyCard}));
}
