// The probe log on the PC grows by one record per upload, added by the core (here the stand-in
// core the tests run). On a full disk the addition goes in whole or not at all: the log keeps
// every record it had, readable to its end, and the next upload, with room again, follows them.
// prefix-setup puts the data folder on a small tmpfs, drive P:.
#include <gtest/gtest.h>

#include "CardTestSupport.h"
#include "TestSupport.h"
#include "common/CoreBridge.h"
#include "common/Folders.h"
#include "datafiles/DataRecords.h"
#include "datafiles/SDInfoFile.h"

using namespace cardtest;

namespace {

const char kDevice[] = "PROBEFULL0000001";

// Runs the stand-in core for the navigation-info upload of the card in E:, which adds one
// record to the probe log; its journal.
std::string UploadOnce() {
    const std::string folder = qmtest::NewFolder("probe-core");
    const std::string scenario = folder + "scenario.txt", journal = folder + "journal.txt";
    qmtest::WriteFile(scenario,
                      "journal " + journal + "\r\nkind prb\r\n  write probelog code 7\r\n");
    ::SetEnvironmentVariableA("QM_CORE_SCENARIO", scenario.c_str());
    const auto run = qmtest::RunProcess(qmtest::BinFolder() + "Quillmarch_Core.exe",
                                        BuildCoreParameters(kCardE, 0, kChargeProbe, 0), 30000);
    ::SetEnvironmentVariableA("QM_CORE_SCENARIO", nullptr);
    return run.finished ? qmtest::ReadFile(journal) : "did not finish";
}

}  // namespace

TEST(ProbeLogFullDisk, AnUploadOnAFullDiskAddsNothingAndTheNextOneIsAdded) {
    if (!DataOnSmallDisk()) GTEST_SKIP() << "no tmpfs under the data folder";
    ASSERT_TRUE(MakeCard(kCardE, std::string("--device=") + kDevice));
    // 102 records end 16 bytes short of a page: the next one needs a page the full disk
    // does not have, and its first 16 bytes would fit.
    std::string old;
    for (uint32_t i = 0; i < 102; ++i) {
        ProbeLogRecord r;
        r.uploadTime = {2020, 1, 3, 1, 12, 0, 0, 0};
        r.result = 0;
        r.code = i;
        uint8_t bytes[kProbeLogRecordSize];
        EncodeProbeLogRecord(r, bytes);
        old.append(reinterpret_cast<char*>(bytes), sizeof bytes);
    }
    const std::string path = GetUserDataFolder(kDevice) + kProbeLogFileName;
    ASSERT_TRUE(Touch(path, old));
    {
        CDiskFiller filler;
        ASSERT_TRUE(filler.Full());
        const std::string journal = UploadOnce();
        EXPECT_NE(journal.find("write probelog failed cannot write"), std::string::npos) << journal;
        EXPECT_NE(journal.find("ERR:0x00000070"), std::string::npos) << journal;
        EXPECT_NE(journal.find("done prb 0x000000"), std::string::npos)
            << "the upload itself stands";
        EXPECT_EQ(qmtest::ReadFile(path), old);
        CProbeLogFile log(kDevice);
        EXPECT_EQ(log.GetCount(), 102u);
    }
    const std::string journal = UploadOnce();
    EXPECT_NE(journal.find("write probelog\r\n"), std::string::npos) << journal;
    const std::string now = qmtest::ReadFile(path);
    ASSERT_EQ(now.size(), old.size() + kProbeLogRecordSize);
    EXPECT_EQ(now.compare(0, old.size(), old), 0);
    CProbeLogFile log(kDevice);
    ASSERT_EQ(log.GetCount(), 103u);
    SYSTEMTIME time;
    int32_t result = -1;
    uint32_t code = 0;
    ASSERT_TRUE(log.GetEntry(102, &time, &result, &code));
    EXPECT_EQ(code, 7u);
    EXPECT_EQ(result, 0);
}
