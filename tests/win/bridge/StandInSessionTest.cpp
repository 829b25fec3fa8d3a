// The stand-in core's sessions: what they leave for the launcher's windows
// to read, and the session it plays when no scenario is named.
#include <windows.h>
#include <gtest/gtest.h>

#include "BridgeHarness.h"
#include "TestSupport.h"
#include "common/Folders.h"
#include "datafiles/DownloadManageFile.h"
#include "datafiles/SDInfoFile.h"

using bridgetest::Describe;
using bridgetest::Received;

namespace {

constexpr char kCard = 'H';  // mapped by prefix-setup
constexpr char kDevice[] = "BRIDGEH000000001";

class StandInSession : public bridgetest::CBridgeTest {
protected:
    void Use(const std::string& name, const std::string& more = "") {
        bridgetest::UseCoreScenario(name, Scenario("use " + name + "\r\n" + more));
    }
};

uint32_t SdInfoVersion(uint32_t kindBit) {
    CSDInfoFile sd(kCard);
    SYSTEMTIME time;
    int32_t result = 0;
    std::string text;
    uint32_t value120 = 0, version = 0;
    if (!sd.GetEntry(kindBit, &time, &result, &text, &value120, &version) || result != 2) return 0;
    return version;
}

}  // namespace

TEST_F(StandInSession, LeavesWhatTheWindowsReadAndRepeatsWithoutDuplicates) {
    Use("quick");
    CDownloadManageFile manage;
    manage.SetFolder(GetDefaultDownloadFolder().c_str());
    const uint32_t uploadsBefore = CProbeLogFile(kDevice).GetCount();
    for (int run = 0; run < 2; ++run) {
        m_probe.Clear();
        ASSERT_TRUE(StartCoreProcess(kCard, m_probe.Window(), kChargeAll, 1));
        ASSERT_TRUE(m_probe.WaitFor(kMsgNotifyError, 0x10000000)) << Describe(m_probe.Messages());
        ASSERT_TRUE(bridgetest::WaitUntil([] { return !FindCoreWindow(); }, 10000));
    }
    EXPECT_EQ(SdInfoVersion(2), 0x05000200u);
    EXPECT_EQ(SdInfoVersion(4), 0x01000006u);
    EXPECT_EQ(SdInfoVersion(8), 0x01000004u);
    EXPECT_EQ(SdInfoVersion(16), 0x00000002u);
    EXPECT_EQ(CSDInfoFile(kCard).GetCount(), 4u) << "one record per kind, replaced not added";

    CProbeLogFile probe(kDevice);
    ASSERT_EQ(probe.GetCount(), uploadsBefore + 2) << "one upload per session";
    SYSTEMTIME when;
    int32_t result = -2;
    uint32_t code = 1;
    ASSERT_TRUE(probe.GetEntry(probe.GetCount() - 1, &when, &result, &code));
    EXPECT_EQ(result, 0);
    EXPECT_NE(when.wYear, 0);

    EXPECT_GE(manage.Search(0x02, 0x01, "MAP20260101"), 0);
    EXPECT_GE(manage.Search(0x08, 0x00, "WEATHER"), 0);
    EXPECT_EQ(qmtest::ReadFile(manage.GetPath()).size(), 3 * kDownloadEntrySize)
        << "each item listed once";
    EXPECT_EQ(qmtest::ReadFile(GetDefaultDownloadFolder() + "02\\01\\MAP20260101\\DATA.BIN").size(),
              4096u);
    EXPECT_EQ(qmtest::ReadFile(std::string(1, kCard) + ":\\AV\\MUSIC\\TRACK01.MP3").size(), 4096u);

    const std::string log = qmtest::ReadFile(GetLogFolder() + "Quillmarch_Core.log");
    EXPECT_NE(log.find("CoreStandIn - map 終了 0x00000000"), std::string::npos) << log;
}

TEST_F(StandInSession, WithoutAScenarioFileTheDefaultSessionPlays) {
    ASSERT_TRUE(::SetEnvironmentVariableA("QM_CORE_SCENARIO", nullptr));
    ASSERT_FALSE(qmtest::FileExists(qmtest::BinFolder() + "Quillmarch_Core.scenario"));
    ASSERT_TRUE(StartCoreProcess(kCard, m_probe.Window(), kChargeAll, 1));
    ASSERT_TRUE(m_probe.WaitFor(kMsgMapProgressStart, 1, 15000)) << Describe(m_probe.Messages());
    EXPECT_EQ(m_probe.Messages().front(), (Received{kMsgNotifyProgress, 0x01, 0}));
    MapProgressBlock block;
    ASSERT_TRUE(ReadMapProgressBlock(kBlockMapDownload, block, nullptr));
    EXPECT_EQ(block.totalSize, 38400000u) << "a map download of realistic size";
    EXPECT_GE(block.lineSpeed, 3200000u);
    EXPECT_LE(block.lineSpeed, 4801000u);
    ASSERT_TRUE(m_probe.WaitFor(kMsgMapProgress, 1));
    ASSERT_TRUE(bridgetest::EndAllTools()) << "the session ends when asked";
}
