// The SD info file on the card and the probe log file on the PC.
#include <gtest/gtest.h>

#include "CardTestSupport.h"
#include "TestSupport.h"
#include "common/Folders.h"
#include "datafiles/CardPaths.h"
#include "datafiles/SDInfoFile.h"

using namespace cardtest;
using Texts = std::vector<std::string>;

TEST(SDInfoFile, EntriesAndTheTruncatedFile) {
    ASSERT_TRUE(MakeCard(kCardE, "--sdinfo=4:2:05010203:交通情報 --sdinfo=16:0:0"));
    CSDInfoFile file(kCardE);
    SYSTEMTIME t;
    int32_t result = 77;
    std::string text;
    uint32_t v120 = 1, e124 = 1, e116 = 1;
    ASSERT_TRUE(file.GetEntry(4, &t, &result, &text, &v120, &e124, &e116));
    EXPECT_EQ(result, 2);
    EXPECT_EQ(text, "交通情報");
    EXPECT_EQ(e124, 0x05010203u);
    // An unknown kind: false, with the outputs cleared; a missing required output.
    EXPECT_FALSE(file.GetEntry(64, &t, &result, &text, &v120, &e124, &e116));
    EXPECT_EQ(result, -1);
    EXPECT_EQ(t.wYear, 0);
    EXPECT_FALSE(file.GetEntry(4, &t, nullptr, &text, nullptr));

    // 200 bytes: one record and the read failure.
    const std::string bytes = qmtest::ReadFile(OnCard(kCardE, kCardSdInfoPath));
    ASSERT_TRUE(qmtest::WriteFile(OnCard(kCardE, kCardSdInfoPath), bytes.substr(0, 200)));
    size_t mark = LogMark();
    CSDInfoFile cut(kCardE);
    EXPECT_FALSE(cut.IsLoaded());
    EXPECT_EQ(cut.GetCount(), 1u);
    EXPECT_EQ(LogSince(mark), Texts{"E:SD情報ファイルデータ読込失敗 0x00000026"});
    EXPECT_TRUE(cut.GetEntry(4, &t, &result, &text, &v120, &e124, &e116));
}

TEST(ProbeLogFile, RecordsInFileOrderAndACutRecord) {
    const std::string folder = GetUserDataFolder("PROBEDEV0000001");
    std::string bytes(2 * kProbeLogRecordSize, '\0');
    const ProbeLogRecord r1 = {{2024, 1, 1, 2, 3, 4, 5, 6}, 0, 0},
                         r2 = {{2024, 5, 3, 9, 10, 11, 12, 13}, 5, 0xA1};
    EncodeProbeLogRecord(r1, reinterpret_cast<uint8_t*>(&bytes[0]));
    EncodeProbeLogRecord(r2, reinterpret_cast<uint8_t*>(&bytes[kProbeLogRecordSize]));
    ASSERT_TRUE(qmtest::WriteFile(folder + "ProbeLog.dat", bytes));
    CProbeLogFile log("PROBEDEV0000001");
    ASSERT_EQ(log.GetCount(), 2u);
    SYSTEMTIME t;
    int32_t result = 0;
    uint32_t code = 0;
    ASSERT_TRUE(log.GetEntry(1, &t, &result, &code));  // the last upload
    EXPECT_EQ(t.wDay, 9);
    EXPECT_EQ(result, 5);
    EXPECT_EQ(code, 0xA1u);
    EXPECT_FALSE(log.GetEntry(2, &t, &result, &code));
    EXPECT_EQ(result, -1);

    // A record cut short: the complete ones stay, one failure logged.
    ASSERT_TRUE(qmtest::WriteFile(folder + "ProbeLog.dat", bytes.substr(0, 60)));
    size_t mark = LogMark();
    EXPECT_FALSE(log.Load());
    EXPECT_EQ(log.GetCount(), 1u);
    EXPECT_EQ(LogSince(mark), Texts{"E:プローブログファイルデータ読込失敗 0x00000026"});
}
