// The stand-in core's sessions: what they leave for the launcher's windows,
// the map question's argument, the card pulled mid-run and a second start.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "BridgeHarness.h"
#include "TestSupport.h"
#include "common/Folders.h"
#include "datafiles/DownloadManageFile.h"
#include "datafiles/SDInfoFile.h"

using bridgetest::CLauncherProbe;
using bridgetest::Describe;
using bridgetest::Received;

namespace {

constexpr char kCard = 'H';  // mapped by prefix-setup
constexpr char kDevice[] = "BRIDGEH000000001";

// The host folder behind H:, as this program sees it through Z:.
std::string CardFolderOnHost() {
    const char* work = std::getenv("QM_TEST_WORK");
    std::string path = std::string("Z:") + (work ? work : "/nonexistent") + "/cards/h";
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

class StandInSession : public testing::Test {
protected:
    static void SetUpTestSuite() {
        bridgetest::LogPath();
        ASSERT_TRUE(bridgetest::SetInstallDir(qmtest::BinFolder()));
    }
    void SetUp() override {
        ASSERT_TRUE(bridgetest::EndAllTools());
        m_journal = qmtest::WorkFolder() +
                    testing::UnitTest::GetInstance()->current_test_info()->name() + ".journal";
        ::DeleteFileA(m_journal.c_str());
    }
    void TearDown() override { EXPECT_TRUE(bridgetest::EndAllTools()); }

    void Use(const std::string& name, const std::string& more = "") {
        bridgetest::UseCoreScenario(name,
                                    "journal " + m_journal + "\r\nuse " + name + "\r\n" + more);
    }
    bool JournalHas(const std::string& line) {
        for (const std::string& l : qmtest::SplitLines(qmtest::ReadFile(m_journal)))
            if (l == line) return true;
        return false;
    }

    CLauncherProbe m_probe;
    std::string m_journal;
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

TEST_F(StandInSession, MapQuestionsCarryTheirArgumentInLParam) {
    const struct {
        const char* name;
        WPARAM type;
        LPARAM argument;
    } cases[] = {{"map-ask-2", 2, 0x250131}, {"map-ask-3", 3, 5400}, {"map-ask-ef", 0xEF, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_probe.Clear();
        Use(c.name);
        ASSERT_TRUE(StartCoreProcess(kCard, m_probe.Window(), kChargeMap, 1));
        ASSERT_TRUE(m_probe.WaitFor(kMsgMapLicense, c.type)) << Describe(m_probe.Messages());
        EXPECT_EQ(m_probe.Messages().back(), (Received{kMsgMapLicense, c.type, c.argument}));
        // Type 3 is answered on the download pair, the others on the licence pair.
        ASSERT_TRUE(bridgetest::WaitUntil(
            [&] { return SetCoreEvent(c.type == 3 ? kEventMapDownload : kEventMapLicense); },
            5000));
        ASSERT_TRUE(m_probe.WaitFor(kMsgNotifyError, 0x02000000)) << Describe(m_probe.Messages());
        ASSERT_TRUE(bridgetest::EndAllTools());
    }
}

TEST_F(StandInSession, PulledCardEndsEveryKindLeftWithItsCode) {
    Use("busy");
    ASSERT_TRUE(StartCoreProcess(kCard, m_probe.Window(), 0x12, 1));  // map, music
    ASSERT_TRUE(m_probe.WaitFor(kMsgNotifyProgress, 0x02));
    const std::string host = CardFolderOnHost();
    ASSERT_TRUE(::MoveFileA(host.c_str(), (host + "-pulled").c_str())) << host;
    const bool ended = m_probe.WaitFor(kMsgNotifyError, 0x10000000 | 0x00FF06);
    ::MoveFileA((host + "-pulled").c_str(), host.c_str());
    ASSERT_TRUE(ended) << Describe(m_probe.Messages());
    const std::vector<Received>& got = m_probe.Messages();
    EXPECT_EQ(got[got.size() - 2], (Received{kMsgNotifyError, 0x02000000 | 0x35FF06, 21}));
    EXPECT_EQ(got.back(), (Received{kMsgNotifyError, 0x10000000 | 0x00FF06, 21}));
    EXPECT_TRUE(JournalHas("card removed H"));
}

TEST_F(StandInSession, SecondStartIsTurnedAwayWhileBusyAndTakesOverWhenIdle) {
    Use("busy");
    ASSERT_TRUE(StartCoreProcess(kCard, m_probe.Window(), kChargeMap, 1));
    ASSERT_TRUE(m_probe.WaitFor(kMsgNotifyProgress, 0x02));
    ASSERT_TRUE(StartCoreProcess(kCard, m_probe.Window(), kChargeTraffic, 1));
    ASSERT_TRUE(bridgetest::WaitUntil([&] { return JournalHas("already running"); }, 10000));
    EXPECT_EQ(QueryCoreBusyMask(m_probe.Window()), kChargeMap) << "the first one carries on";
    ASSERT_TRUE(bridgetest::EndAllTools());

    // Idle and staying: the newcomer asks it to end and runs its own kinds.
    Use("quick", "idle stay\r\n");
    ASSERT_TRUE(StartCoreProcess(kCard, m_probe.Window(), kChargeWeather, 1));
    ASSERT_TRUE(m_probe.WaitFor(kMsgNotifyError, 0x08000000));
    ASSERT_TRUE(bridgetest::WaitUntil([&] { return JournalHas("idle"); }, 10000));
    m_probe.Clear();
    ASSERT_TRUE(StartCoreProcess(kCard, m_probe.Window(), kChargeTraffic, 1));
    ASSERT_TRUE(m_probe.WaitFor(kMsgNotifyError, 0x04000000)) << Describe(m_probe.Messages());
    EXPECT_TRUE(JournalHas("took over from an idle core"));
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
