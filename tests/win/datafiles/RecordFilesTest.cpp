// The SD info file on the card and the probe log file on the PC.
#include <gtest/gtest.h>

#include "CardTestSupport.h"
#include "TestSupport.h"
#include "common/Folders.h"
#include "datafiles/CardPaths.h"
#include "datafiles/SDInfoFile.h"

using namespace cardtest;

namespace {

// The records as their file holds them, one after the other.
template <typename Record, size_t Size>
std::string Bytes(const std::vector<Record>& records, void (*encode)(const Record&, uint8_t*)) {
    std::string out;
    for (const Record& r : records) {
        uint8_t p[Size];
        encode(r, p);
        out.append(reinterpret_cast<char*>(p), sizeof p);
    }
    return out;
}
std::string SdInfoBytes(const std::vector<SdInfoRecord>& records) {
    return Bytes<SdInfoRecord, kSdInfoRecordSize>(records, EncodeSdInfoRecord);
}
std::string ProbeBytes(const std::vector<ProbeLogRecord>& records) {
    return Bytes<ProbeLogRecord, kProbeLogRecordSize>(records, EncodeProbeLogRecord);
}

}  // namespace

TEST(SDInfoFile, EntriesAndTheTruncatedFile) {
    ASSERT_TRUE(MakeCard(kCardE, "--sdinfo=4:2:05010203:交通情報 --sdinfo=8:1:0"));
    CSDInfoFile file(kCardE);
    EXPECT_TRUE(file.IsLoaded());
    EXPECT_EQ(file.GetPath(), "E:\\PC\\SDINFO.DAT");
    SdEntry e = ReadSdEntry(file, 4);
    ASSERT_TRUE(e.found);
    EXPECT_EQ(e.result, 2);
    EXPECT_EQ(e.text, "交通情報");
    EXPECT_EQ(e.extra124, 0x05010203u);
    EXPECT_EQ(e.value120, 0u);
    EXPECT_EQ(e.extra116, 0u);
    EXPECT_GE(e.time.wYear, 2020);
    // An unknown kind: false, with the outputs cleared.
    e = ReadSdEntry(file, 64);
    EXPECT_FALSE(e.found);
    EXPECT_EQ(e.result, -1);
    EXPECT_EQ(e.text, "");
    EXPECT_EQ(e.time.wYear, 0);
    // A missing required output.
    EXPECT_FALSE(file.GetEntry(4, &e.time, nullptr, &e.text, nullptr));

    // 300 bytes: two records and the read failure.
    const SdInfoRecord a = {2, {}, 2, "", 0, 0, 0}, b = {16, {}, 0, "", 0, 0x120, 0},
                       c = {32, {}, 0, "", 0, 0, 0};
    std::string bytes = SdInfoBytes({a, b, c}).substr(0, 300);
    ASSERT_TRUE(qmtest::WriteFile(OnCard(kCardE, kCardSdInfoPath), bytes));
    size_t mark = LogMark();
    CSDInfoFile cut(kCardE);
    EXPECT_FALSE(cut.IsLoaded());
    EXPECT_EQ(cut.GetCount(), 2u);
    EXPECT_EQ(LogSince(mark),
              std::vector<std::string>{"E:SD情報ファイルデータ読込失敗 0x00000026"});
    EXPECT_EQ(ReadSdEntry(cut, 16).value120, 0x120u);
    EXPECT_FALSE(ReadSdEntry(cut, 32).found);
}

TEST(SDInfoFile, TheMakersCompleteCharge) {
    ASSERT_TRUE(MakeCard(kCardE));
    CSDInfoFile file(kCardE);
    EXPECT_EQ(file.GetCount(), 3u);
    const SdEntry map = ReadSdEntry(file, 2);
    EXPECT_EQ(map.result, 2);
    EXPECT_EQ(map.extra124, 0x05000100u);  // the map version the card lists
    EXPECT_TRUE(ReadSdEntry(file, 4).found);
    EXPECT_FALSE(ReadSdEntry(file, 16).found);
}

TEST(SDInfoFile, NoFileAndNoCard) {
    ASSERT_TRUE(MakeCard(kCardE, "--no-sdinfo"));
    size_t mark = LogMark();
    CSDInfoFile none(kCardE);
    EXPECT_TRUE(none.IsLoaded());
    EXPECT_EQ(none.GetCount(), 0u);
    CSDInfoFile zero(0);
    EXPECT_FALSE(zero.IsLoaded());
    EXPECT_TRUE(LogSince(mark).empty());
    CSDInfoFile absent('Q');
    EXPECT_EQ(LogSince(mark), std::vector<std::string>{"N:SDINFOファイル読み込み時のSD無し"});
}

TEST(ProbeLogFile, RecordsInFileOrder) {
    const std::string folder = GetUserDataFolder("PROBEDEV0000001");
    const ProbeLogRecord r1 = {{2024, 1, 1, 2, 3, 4, 5, 6}, 0, 0},
                         r2 = {{2024, 5, 3, 9, 10, 11, 12, 13}, 5, 0xA1};
    ASSERT_TRUE(qmtest::WriteFile(folder + "ProbeLog.dat", ProbeBytes({r1, r2})));
    CProbeLogFile log("PROBEDEV0000001");
    EXPECT_EQ(log.GetPath(), folder + "ProbeLog.dat");
    ASSERT_EQ(log.GetCount(), 2u);
    SYSTEMTIME t;
    int32_t result = 0;
    uint32_t code = 0;
    ASSERT_TRUE(log.GetEntry(1, &t, &result, &code));  // the last upload
    EXPECT_EQ(t.wYear, 2024);
    EXPECT_EQ(t.wMonth, 5);
    EXPECT_EQ(t.wDay, 9);
    EXPECT_EQ(t.wMilliseconds, 13);
    EXPECT_EQ(result, 5);
    EXPECT_EQ(code, 0xA1u);
    EXPECT_FALSE(log.GetEntry(2, &t, &result, &code));
    EXPECT_EQ(result, -1);
    EXPECT_EQ(t.wYear, 0);

    // A record cut short: the complete ones stay, one failure logged.
    ASSERT_TRUE(qmtest::WriteFile(folder + "ProbeLog.dat", ProbeBytes({r1, r2}).substr(0, 60)));
    size_t mark = LogMark();
    EXPECT_FALSE(log.Load());
    EXPECT_EQ(log.GetCount(), 1u);
    EXPECT_EQ(LogSince(mark),
              std::vector<std::string>{"E:プローブログファイルデータ読込失敗 0x00000026"});

    // Empty file: nothing, and nothing logged.
    ASSERT_TRUE(qmtest::WriteFile(folder + "ProbeLog.dat", ""));
    mark = LogMark();
    EXPECT_TRUE(log.Load());
    EXPECT_EQ(log.GetCount(), 0u);
    EXPECT_TRUE(LogSince(mark).empty());
}

TEST(ProbeLogFile, FolderIsCreated) {
    const std::string folder = GetUserDataRoot() + "NEWDEVICE000001\\";
    ASSERT_FALSE(qmtest::FileExists(folder));
    CProbeLogFile log("NEWDEVICE000001");
    EXPECT_TRUE(qmtest::FileExists(folder));
    EXPECT_EQ(log.GetCount(), 0u);
    CProbeLogFile other(nullptr);
    other.SetUser("SECONDDEVICE001");
    EXPECT_TRUE(qmtest::FileExists(GetUserDataRoot() + "SECONDDEVICE001\\"));
    EXPECT_EQ(other.GetPath(), GetUserDataRoot() + "SECONDDEVICE001\\ProbeLog.dat");
}
