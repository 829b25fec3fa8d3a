// The PC-link and navigation-info files on simulated cards (E:, F:, B:).
#include <gtest/gtest.h>

#include "CardTestSupport.h"
#include "TestSupport.h"
#include "datafiles/PcLinkFile.h"
#include "datafiles/PcLinkKey.h"

using namespace cardtest;
using qmtest::ReadFile;

namespace {

std::string NaviBytes(char d) { return ReadFile(OnCard(d, kCardNaviInfoPath)); }
std::string LinkBytes(char d) { return ReadFile(OnCard(d, kCardPcLinkPath)); }

CPcLinkContent Parse(const std::string& bytes) {
    CPcLinkContent c;
    ParsePcLinkImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                     MakePcLinkCipher(), c);
    return c;
}

}  // namespace

TEST(PcLinkFile, LoadsWhatTheToolWrote) {
    ASSERT_TRUE(MakeCard(kCardE,
                         "--model=15 --device=DEVNO-E-0000001 --navi-id=0012ABCD "
                         "--pairing=1234 --generation=2 --app=01002000:0007 "
                         "--map=05123456:4 --bt=0 --search=ZENKOKU=05000001:1 "
                         "--search=TOKYO=05000002:2"));
    CPcLinkFile link(CPcLinkFile::kPcLink, kCardE);
    ASSERT_TRUE(link.IsLoaded());
    EXPECT_EQ(link.GetPath(), "E:\\PCLINK.DAT");
    EXPECT_EQ(link.GetDeviceNo(), "DEVNO-E-0000001");
    EXPECT_EQ(link.GetNaviId(), 0x0012ABCDu);
    EXPECT_EQ(link.GetPairingValue(), 0x1234u);
    EXPECT_EQ(link.GetModelCode(), 0x15);
    EXPECT_TRUE(link.IsMothModel());
    EXPECT_EQ(link.GetFormatGeneration(), 2);
    EXPECT_EQ(link.GetRecordWord16(kRecordNaviApplication), 7);
    EXPECT_EQ(link.GetRecordValue(kRecordNaviApplication), 0x01002000u);
    EXPECT_EQ(link.GetRecordValue(kRecordMapData), 0x05123456u);
    EXPECT_EQ(link.GetRecordWord18(kRecordMapData), 4);
    EXPECT_EQ(link.FindSearchDataValue("TOK"), 0x05000002u);
    EXPECT_EQ(link.GetSearchDataWord18(0x05000001), 1);
    CPcLinkFile navi(CPcLinkFile::kNaviInfo, kCardE);
    ASSERT_TRUE(navi.IsLoaded());
    EXPECT_EQ(navi.GetPath(), "E:\\PC\\NAVIINFO.DAT");

    ASSERT_TRUE(MakeCard(kCardE, "--model=0C --generation=1"));
    CPcLinkFile gen1(CPcLinkFile::kPcLink, kCardE);
    EXPECT_EQ(gen1.GetFormatGeneration(), 1);
    EXPECT_FALSE(gen1.IsMothModel());
}

TEST(PcLinkFile, MissingCardAndFile) {
    size_t mark = LogMark();
    CPcLinkFile none(CPcLinkFile::kPcLink, 0);
    EXPECT_FALSE(none.IsLoaded());
    EXPECT_TRUE(LogSince(mark).empty());  // drive 0 fails silently
    CPcLinkFile absent(CPcLinkFile::kPcLink, 'Q');
    EXPECT_FALSE(absent.IsLoaded());
    CPcLinkFile absentNavi(CPcLinkFile::kNaviInfo, 'Q');
    EXPECT_EQ(LogSince(mark), (std::vector<std::string>{"N:PCLINKファイル読み込み時のSD無し",
                                                        "N:NAVIINFOファイル読み込み時のSD無し"}));
    // A card without the files: silent, zero values everywhere.
    EmptyDrive(kCardE);
    mark = LogMark();
    CPcLinkFile empty(CPcLinkFile::kPcLink, kCardE);
    EXPECT_FALSE(empty.IsLoaded());
    EXPECT_EQ(empty.GetDeviceNo(), "");
    EXPECT_EQ(empty.GetFormatGeneration(), 0);
    EXPECT_EQ(empty.GetRecordWord18(kRecordMapData), -1);
    EXPECT_TRUE(LogSince(mark).empty());
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
        EXPECT_EQ(LogSince(mark), std::vector<std::string>{c.record});
        // A bad record is kept: the others still answer.
        EXPECT_EQ(link.GetRecordValue(kRecordMapData), c.loads ? 0x05000100u : 0u);
        // The navigation-info file was left whole.
        EXPECT_TRUE(CPcLinkFile(CPcLinkFile::kNaviInfo, kCardE).IsLoaded());
    }
}

TEST(PcLinkFile, SavingTwiceGivesNewCiphertextSameContent) {
    ASSERT_TRUE(MakeCard(kCardE, "--pairing=10"));
    const std::string before = LinkBytes(kCardE);
    CPcLinkFile link(CPcLinkFile::kPcLink, kCardE);
    ASSERT_TRUE(link.SetPairingValue(0x20));
    const std::string first = LinkBytes(kCardE);
    ASSERT_TRUE(link.SetPairingValue(0x20));
    const std::string second = LinkBytes(kCardE);
    ASSERT_EQ(first.size(), before.size());
    ASSERT_EQ(second.size(), first.size());
    EXPECT_NE(first.substr(12, 8), second.substr(12, 8));  // a fresh IV each time
    EXPECT_NE(first.substr(32), second.substr(32));
    CPcLinkContent a = Parse(first), b = Parse(second);
    EXPECT_EQ(a.GetPairingValue(), 0x20u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(a.DataHeader()), 64),
              std::string(reinterpret_cast<const char*>(b.DataHeader()), 64));
    EXPECT_EQ(a.Records(), b.Records());
    EXPECT_EQ(a.GetRecordCount(), 6u);
    // A reload sees the saved value.
    EXPECT_EQ(CPcLinkFile(CPcLinkFile::kPcLink, kCardE).GetPairingValue(), 0x20u);
}

TEST(PcLinkFile, NaviInfoIsNeverWritten) {
    ASSERT_TRUE(MakeCard(kCardE));
    const std::string before = NaviBytes(kCardE);
    CPcLinkFile navi(CPcLinkFile::kNaviInfo, kCardE);
    ASSERT_TRUE(navi.IsLoaded());
    size_t mark = LogMark();
    EXPECT_FALSE(navi.SetPairingValue(99));
    EXPECT_EQ(NaviBytes(kCardE), before);
    EXPECT_TRUE(LogSince(mark).empty());
    // A PC-link file that did not load is not written either.
    ASSERT_TRUE(MakeCard(kCardE, "--damage=bad-header --damage-target=pclink"));
    const std::string damaged = LinkBytes(kCardE);
    CPcLinkFile link(CPcLinkFile::kPcLink, kCardE);
    mark = LogMark();
    EXPECT_FALSE(link.SetPairingValue(5));
    EXPECT_EQ(LogSince(mark),
              std::vector<std::string>{"E:お出かけ管理ファイルへの書込み時の未読み込み"});
    EXPECT_EQ(LinkBytes(kCardE), damaged);
}

TEST(PcLinkFile, SyncCopiesOrCarriesThePairingOver) {
    // No PC-link file yet: it is made as a copy of the navigation-info file.
    ASSERT_TRUE(MakeCard(kCardE, "--no-pclink --pairing=1"));
    size_t mark = LogMark();
    EXPECT_TRUE(SyncPcLinkFile(kCardE, false));
    EXPECT_EQ(LinkBytes(kCardE), NaviBytes(kCardE));
    EXPECT_TRUE(LogHas(mark, "N:お出かけ管理コピー完了"));

    // The unit changes its pairing value: carried over, the file itself stays
    // (its first, uninterpreted header byte is ours and survives).
    std::string link = LinkBytes(kCardE);
    link[0] = '\x77';
    ASSERT_TRUE(qmtest::WriteFile(OnCard(kCardE, kCardPcLinkPath), link));
    ASSERT_TRUE(RunSdCard("set-pairing E:\\ 2222"));
    mark = LogMark();
    EXPECT_TRUE(SyncPcLinkFile(kCardE, false));
    EXPECT_EQ(LogSince(mark), std::vector<std::string>{"N:ペアリング情報セット成功"});
    std::string after = LinkBytes(kCardE);
    EXPECT_EQ(after[0], '\x77');
    EXPECT_EQ(CPcLinkFile(CPcLinkFile::kPcLink, kCardE).GetPairingValue(), 0x2222u);
    // Equal values: nothing written.
    EXPECT_TRUE(SyncPcLinkFile(kCardE, false));
    EXPECT_EQ(LinkBytes(kCardE), after);

    // With force the PC-link file is replaced by a copy.
    mark = LogMark();
    EXPECT_TRUE(SyncPcLinkFile(kCardE, true));
    EXPECT_EQ(LinkBytes(kCardE), NaviBytes(kCardE));
    EXPECT_TRUE(LogHas(mark, "N:お出かけ管理コピー完了"));
}

TEST(PcLinkFile, SyncFailures) {
    size_t mark = LogMark();
    ::SetLastError(0);
    EXPECT_FALSE(SyncPcLinkFile(0, false));
    EXPECT_EQ(LogSince(mark),
              std::vector<std::string>{"E:お出かけ管理ファイルコピー時のターゲットドライブ未指定"});
    EmptyDrive(kCardE);
    EXPECT_FALSE(SyncPcLinkFile(kCardE, true));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(qmtest::FileExists(OnCard(kCardE, kCardPcLinkPath)));
    // A PC-link file that does not load counts as pairing value 0: the
    // differing value is set, which fails for a file that never loaded.
    ASSERT_TRUE(MakeCard(kCardE, "--damage=bad-header --damage-target=pclink --pairing=3"));
    mark = LogMark();
    EXPECT_TRUE(SyncPcLinkFile(kCardE, false));
    EXPECT_TRUE(LogHas(mark, "E:ペアリング情報チェック時のファイル読み込み失敗"));
    EXPECT_TRUE(LogHas(mark, "E:ペアリング情報セット失敗"));
}

TEST(PcLinkFile, FindNaviCardsScansRemovableDrivesFromD) {
    ASSERT_TRUE(MakeCard(kCardE, "--no-pclink"));
    ASSERT_TRUE(MakeCard(kCardF, "--damage=bad-header --damage-target=navi"));
    // B: holds a valid card (made before the test started) and is removable.
    ASSERT_TRUE(qmtest::FileExists(OnCard(kCardOnB, kCardNaviInfoPath)));
    ASSERT_TRUE(CPcLinkFile(CPcLinkFile::kNaviInfo, kCardOnB).IsLoaded());
    // G: holds a valid card on a read-only folder: it counts as well.
    std::vector<char> drives = {'X'};
    EXPECT_EQ(FindNaviCards(drives), 2);
    EXPECT_EQ(drives, (std::vector<char>{kCardE, kReadOnlyCard}));
    // Its PC-link file was made on the way.
    EXPECT_EQ(LinkBytes(kCardE), NaviBytes(kCardE));

    // Two good cards, in letter order.
    ASSERT_TRUE(MakeCard(kCardF));
    EXPECT_EQ(FindNaviCards(drives), 3);
    EXPECT_EQ(drives, (std::vector<char>{kCardE, kCardF, kReadOnlyCard}));
    // The start-up scan wants a PC-link file that loads.
    ASSERT_TRUE(MakeCard(kCardE, "--damage=bad-header --damage-target=pclink"));
    EXPECT_EQ(ScanNaviCards(drives), 2);
    EXPECT_EQ(drives, (std::vector<char>{kCardF, kReadOnlyCard}));
    EmptyDrive(kCardE);
    EmptyDrive(kCardF);
    EXPECT_EQ(FindNaviCards(drives), 1);
    EXPECT_EQ(drives, std::vector<char>{kReadOnlyCard});
}
