// The application log upload against the stand-in service under Wine.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "NetTestSupport.h"
#include "TestSupport.h"
#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "net/AplLogUpload.h"

using namespace nettest;

namespace {

constexpr UINT kResultMessage = WM_APP + 0x98;

struct Step {
    bool posted = false;
    DWORD result = 0xDEADBEEF, detail = 0xDEADBEEF;
};

class LogUpload : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_SERVICE();
        ClearFaults();
        PointTableAtService({{23, "/pcapp/LogUploadCheckAPI"},
                             {24, "/pcapp/LogUploadAPI"},
                             {32, "/pcapp/LogUploadCheckTRKMothAPI"},
                             {33, "/pcapp/LogUploadTRKMothAPI"}});
        logFolder = GetLogFolder();
        DeleteFolderTree(logFolder.c_str(), false);
        ASSERT_TRUE(upload.SetNaviInfo("DEV1", 0x00120034, "34MothV18/1.000002", false));
    }
    void TearDown() override {
        if (HaveService()) ClearFaults();
    }
    // The posted result, or none after the time-out.
    Step Wait(DWORD timeoutMs = 60000) {
        Step s;
        MSG msg;
        if ((s.posted = window.Wait(kResultMessage, timeoutMs, msg))) {
            s.result = static_cast<DWORD>(msg.wParam);
            s.detail = static_cast<DWORD>(msg.lParam);
        }
        return s;
    }
    Step Run(DWORD kind) {
        return upload.Start(window.Get(), kResultMessage, kind) ? Wait() : Step();
    }
    // Starts a step whose request the service then holds.
    void StartHeld(const char* path, const char* fault, DWORD kind) {
        SetFault(path, fault);
        const int before = RecordCount();
        ASSERT_TRUE(upload.Start(window.Get(), kResultMessage, kind));
        ASSERT_TRUE(WaitForRecords(before + 1, 30000)) << "the service has the request";
    }
    void MakeLogs() {
        ASSERT_TRUE(qmtest::WriteFile(logFolder + "Quillmarch.log", "2013/04/05 ログ\r\n"));
        // One byte over the limit.
        ASSERT_TRUE(
            qmtest::WriteFile(logFolder + "Quillmarch_Core.log", std::string(4195329, 'c')));
        ASSERT_TRUE(qmtest::WriteFile(logFolder + "20130230.log", "dated"));
        ASSERT_TRUE(qmtest::WriteFile(logFolder + "notes.txt", "not a log"));
    }
    // Neither the archive nor its collecting folder stays behind.
    void ExpectNoLeftovers() {
        EXPECT_FALSE(qmtest::FileExists(upload.GetZipPath()));
        EXPECT_FALSE(qmtest::FileExists(upload.GetCollectFolder()));
    }
    std::string logFolder;
    CMessageSink window;
    CAplLogUpload upload;
};

// The entries of the uploaded archive as the service's zip reader (Python's
// zipfile) listed them: "name<TAB>size<TAB>method" lines.
std::vector<std::string> ArchiveEntries(const Record& r) {
    std::vector<std::string> entries =
        qmtest::SplitLines(qmtest::ReadFile(r.folder + r.Field("file") + ".list"));
    std::sort(entries.begin(), entries.end());
    return entries;
}

}  // namespace

TEST(AplLogUploadArgs, BadArgumentsAreRefused) {
    CAplLogUpload upload;
    EXPECT_FALSE(upload.SetNaviInfo("DEV", 0, "ua", false));
    EXPECT_EQ(upload.GetResult(), 0x40FFA1u);
    ASSERT_TRUE(upload.SetNaviInfo("DEV", 1, "ua", false));
    const size_t from = LogText().size();
    EXPECT_FALSE(upload.Start(nullptr, kResultMessage, 0));
    EXPECT_EQ(upload.GetResult(), 0x40FFA1u);
    EXPECT_EQ(CountInLog("CAplLogUpload::Start - 指定HWND不正 00000000", from), 1);
    CMessageSink window;
    EXPECT_FALSE(upload.Start(window.Get(), kResultMessage, 2));
    EXPECT_EQ(CountInLog("CAplLogUpload::Start - 指定処理種別不正 2", from), 1);
    // The cancel event is the named one the window sets.
    EXPECT_TRUE(qm::CHandle(::OpenEventA(EVENT_MODIFY_STATE, FALSE, "AplLogUploadCancel")).Valid());
}

TEST_F(LogUpload, PermissionCheckAndItsFailures) {
    EXPECT_EQ(Run(0).result, 0u);
    Record r = LastRecord();
    EXPECT_EQ(r.Field("path"), "/pcapp/LogUploadCheckAPI");
    EXPECT_EQ(r.body, "ccid_head=00520012&deviceno=DEV1");
    EXPECT_TRUE(r.HasHeader("User-Agent", "34MothV18/1.000002")) << r.json;
    EXPECT_TRUE(r.HasHeader("Content-Type", "application/x-www-form-urlencoded"));
    EXPECT_TRUE(r.HasHeader("Accept", "*/*"));
    // VALID=FALSE: not permitted, and nothing is uploaded.
    SetFault("/pcapp/LogUploadCheckAPI", "body:RET=0&VALID=FALSE");
    int before = RecordCount();
    EXPECT_EQ(Run(0).result, 1u);
    EXPECT_EQ(RecordCount(), before + 1) << "only the check reached the service";
    EXPECT_FALSE(qmtest::FileExists(upload.GetZipPath()));
    // The service's error, an answer it cannot read, a status, no answer at all.
    const struct {
        const char* fault;
        DWORD result, detail;
    } cases[] = {{"ret:7", 0x200007u, 0}, {"malformed", 0x200FFFu, 0}, {"http:500", 0x1001F4u, 0}};
    const size_t from = LogText().size();
    for (const auto& c : cases) {
        SetFault("/pcapp/LogUploadCheckAPI", c.fault);
        const Step s = Run(0);
        EXPECT_EQ(s.result, c.result) << c.fault;
        EXPECT_EQ(s.detail, c.detail) << c.fault;
    }
    EXPECT_EQ(CountInLog("AnalyzeLogUploadPermission - サーバレスポンスエラー[SVRERR:<html>Service "
                         "Temporarily Unavailable</html>]",
                         from),
              1);
    // A transport error: the detail is the engine worker's own error, the
    // same one the result carries (not the log's, not this thread's).
    SetFault("/pcapp/LogUploadCheckAPI", "close");
    const Step s = Run(0);
    EXPECT_NE(s.detail, 0u);
    EXPECT_NE(s.detail, static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(s.result, s.detail | kAplLogTransportFlag);
}

TEST_F(LogUpload, UploadSendsAnArchiveAStandardReaderOpens) {
    MakeLogs();
    CAplLogUpload moth;
    ASSERT_TRUE(moth.SetNaviInfo("DEV1", 0x00120034, "34MothV21/1.000002", true));
    ASSERT_TRUE(moth.Start(window.Get(), kResultMessage, 1));
    const Step s = Wait();
    EXPECT_EQ(s.result, 0u);
    EXPECT_EQ(s.detail, 0u);
    Record r = LastRecord();
    EXPECT_EQ(r.Field("path"), "/pcapp/LogUploadTRKMothAPI");
    EXPECT_TRUE(
        r.HasHeader("Content-Type", "multipart/form-data; boundary=\\\"WickerdaleBoundary\\\""))
        << r.json;
    EXPECT_EQ(r.Field("filename"), moth.GetZipPath().substr(moth.GetZipPath().rfind('\\') + 1));
    const std::vector<std::string> entries = ArchiveEntries(r);
    ASSERT_EQ(entries.size(), 3u) << (entries.empty() ? "" : entries[0]);
    EXPECT_EQ(entries[0], "20130230.log\t5\t8");
    EXPECT_EQ(entries[1].substr(0, 11), "PcInfo.txt\t");
    EXPECT_EQ(entries[2], "Quillmarch.log\t" +
                              std::to_string(std::string("2013/04/05 ログ\r\n").size()) + "\t8");
    // Afterwards: the uploaded logs are gone (the oversized one too), the rest stays.
    for (const char* gone : {"Quillmarch.log", "Quillmarch_Core.log", "20130230.log"})
        EXPECT_FALSE(qmtest::FileExists(logFolder + gone)) << gone;
    EXPECT_TRUE(qmtest::FileExists(logFolder + "notes.txt"));
    EXPECT_FALSE(qmtest::FileExists(moth.GetZipPath()));
    EXPECT_FALSE(qmtest::FileExists(moth.GetCollectFolder()));
}

TEST_F(LogUpload, WithoutLogsPcInfoAloneAndAServiceErrorKeepsTheLogs) {
    EXPECT_EQ(Run(1).result, 0u);
    Record r = LastRecord();
    EXPECT_EQ(r.Field("path"), "/pcapp/LogUploadAPI");
    const std::vector<std::string> entries = ArchiveEntries(r);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].substr(0, 11), "PcInfo.txt\t");
    MakeLogs();
    SetFault("/pcapp/LogUploadAPI", "ret:9");
    const Step s = Run(1);
    EXPECT_EQ(s.result, 0x200009u);
    EXPECT_EQ(s.detail, 0u);
    EXPECT_TRUE(qmtest::FileExists(logFolder + "Quillmarch.log"));
    ExpectNoLeftovers();
}

// Once the service has the archive its answer drips; cancel then.
TEST_F(LogUpload, CancelDuringTheUpload) {
    MakeLogs();
    StartHeld("/pcapp/LogUploadAPI", "drip:300", 1);
    ASSERT_TRUE(::SetEvent(upload.GetCancelEvent()));
    const Step s = Wait(30000);
    EXPECT_EQ(s.result, 0xFF00u);
    EXPECT_EQ(s.detail, 0u);
    ExpectNoLeftovers();
    EXPECT_TRUE(qmtest::FileExists(logFolder + "Quillmarch.log"));
    EXPECT_TRUE(qmtest::FileExists(logFolder + "20130230.log"));
}

TEST_F(LogUpload, NewStartEndsAWorkerThatWillNotStop) {
    StartHeld("/pcapp/LogUploadCheckAPI", "stall:8", 0);
    const size_t from = LogText().size();
    const DWORD start = ::GetTickCount();
    EXPECT_FALSE(upload.Start(window.Get(), kResultMessage, 0));
    EXPECT_GE(::GetTickCount() - start, 1400u);
    EXPECT_EQ(CountInLog("CAplLogUpload::Start - 開始要求時の処理中エラー直前スレッド生存 0", from),
              1);
    // The next start finds no worker and runs.
    ClearFaults();
    EXPECT_EQ(Run(0).result, 0u);
}

TEST_F(LogUpload, DestroyingDuringAStallCancelsAndWaits) {
    DWORD start = 0;
    {
        CAplLogUpload stalled;
        stalled.SetAbortWait(1500);
        ASSERT_TRUE(stalled.SetNaviInfo("DEV1", 1, "ua", false));
        SetFault("/pcapp/LogUploadCheckAPI", "stall:20");
        const int before = RecordCount();
        ASSERT_TRUE(stalled.Start(window.Get(), kResultMessage, 0));
        ASSERT_TRUE(WaitForRecords(before + 1, 30000));
        start = ::GetTickCount();
    }
    EXPECT_LT(::GetTickCount() - start, 10000u) << "well before the stall ends";
    // The worker had ended, and said so, before the destructor returned.
    EXPECT_EQ(Wait(0).result, 0xFF00u);
}
