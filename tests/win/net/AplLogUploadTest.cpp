// The application log upload against the stand-in service under Wine.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "NetTestSupport.h"
#include "TestSupport.h"
#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "net/AplLogUpload.h"
#include "net/ConnectionFile.h"

using namespace nettest;

namespace {

constexpr UINT kResultMessage = WM_APP + 0x98;

struct Step {
    bool posted = false;
    DWORD result = 0xDEADBEEF;
    DWORD detail = 0;
};

// The posted result, or none after the time-out.
Step WaitStep(CMessageSink& window, DWORD timeoutMs) {
    Step s;
    MSG msg;
    s.posted = window.Wait(kResultMessage, timeoutMs, msg);
    if (s.posted) {
        s.result = static_cast<DWORD>(msg.wParam);
        s.detail = static_cast<DWORD>(msg.lParam);
    }
    return s;
}

Step RunStep(CAplLogUpload& upload, DWORD kind) {
    CMessageSink window;
    if (!upload.Start(window.Get(), kResultMessage, kind)) return Step();
    return WaitStep(window, 60000);
}

void PointAllAtService() {
    PointTableAtService({{23, "/pcapp/LogUploadCheckAPI"},
                         {24, "/pcapp/LogUploadAPI"},
                         {32, "/pcapp/LogUploadCheckTRKMothAPI"},
                         {33, "/pcapp/LogUploadTRKMothAPI"}});
}

// The entries of an uploaded archive as the service's zip reader (Python's
// zipfile) listed them: "name<TAB>size<TAB>method" lines.
// Neither the archive nor its collecting folder stays behind.
void ExpectNoLeftovers(const CAplLogUpload& upload) {
    EXPECT_FALSE(qmtest::FileExists(upload.GetZipPath()));
    EXPECT_FALSE(qmtest::FileExists(upload.GetCollectFolder()));
}

std::vector<std::string> ArchiveEntries(const Record& r) {
    std::vector<std::string> entries =
        qmtest::SplitLines(qmtest::ReadFile(r.StoredUploadPath() + ".list"));
    std::sort(entries.begin(), entries.end());
    return entries;
}

class LogUpload : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_SERVICE();
        ClearFaults();
        PointAllAtService();
        logFolder = GetLogFolder();
        DeleteFolderTree(logFolder.c_str(), false);
    }
    void TearDown() override {
        if (HaveService()) ClearFaults();
    }
    void MakeLogs() {
        ASSERT_TRUE(qmtest::WriteFile(logFolder + "Quillmarch.log", "2013/04/05 ログ\r\n"));
        ASSERT_TRUE(
            qmtest::WriteFile(logFolder + "Quillmarch_Core.log", std::string(4195329, 'c')));
        ASSERT_TRUE(
            qmtest::WriteFile(logFolder + "Quillmarch_Music.log", std::string(4195328, 'm')));
        ASSERT_TRUE(qmtest::WriteFile(logFolder + "20130230.log", "dated"));
        ASSERT_TRUE(qmtest::WriteFile(logFolder + "19791231.log", "too old"));
        ASSERT_TRUE(qmtest::WriteFile(logFolder + "notes.txt", "not a log"));
    }
    std::string logFolder;
};

}  // namespace

TEST(AplLogUploadArgs, BadArgumentsAreRefused) {
    CAplLogUpload upload;
    EXPECT_FALSE(upload.SetNaviInfo("DEV", 0, "ua", false));
    EXPECT_EQ(upload.GetResult(), 0x40FFA1u);
    EXPECT_FALSE(upload.SetNaviInfo(nullptr, 1, "ua", false));
    EXPECT_FALSE(upload.SetNaviInfo("DEV", 1, nullptr, false));
    ASSERT_TRUE(upload.SetNaviInfo("DEV", 1, "ua", false));
    EXPECT_NE(upload.GetZipPath().find("Lite_DEV_"), std::string::npos);
    EXPECT_EQ(upload.GetZipPath().substr(upload.GetZipPath().size() - 4), ".zip");
    EXPECT_EQ(upload.GetCollectFolder(),
              upload.GetZipPath().substr(0, upload.GetZipPath().size() - 4) + "\\");
    size_t from = LogText().size();
    EXPECT_FALSE(upload.Start(nullptr, kResultMessage, 0));
    EXPECT_EQ(upload.GetResult(), 0x40FFA1u);
    EXPECT_EQ(CountInLog("CAplLogUpload::Start - 指定HWND不正 00000000", from), 1);
    CMessageSink window;
    EXPECT_FALSE(upload.Start(window.Get(), kResultMessage, 2));
    EXPECT_EQ(CountInLog("CAplLogUpload::Start - 指定処理種別不正 2", from), 1);
    // The cancel event is the named one the window sets.
    qm::CHandle named(::OpenEventA(EVENT_MODIFY_STATE, FALSE, "AplLogUploadCancel"));
    EXPECT_TRUE(named.Valid());
}

TEST_F(LogUpload, PermissionCheckOfBothModelLines) {
    for (bool moth : {false, true}) {
        CAplLogUpload upload;
        ASSERT_TRUE(upload.SetNaviInfo("DEV1", 0x00120034, "34MothV18/1.000002", moth));
        Step s = RunStep(upload, 0);
        ASSERT_TRUE(s.posted);
        EXPECT_EQ(s.result, 0u);
        Record r = LastRecord();
        EXPECT_EQ(r.Path(), moth ? "/pcapp/LogUploadCheckTRKMothAPI" : "/pcapp/LogUploadCheckAPI");
        EXPECT_EQ(r.body, "ccid_head=00520012&deviceno=DEV1");
        EXPECT_TRUE(r.HasHeader("User-Agent", "34MothV18/1.000002"));
    }
    // VALID=FALSE: not permitted, and nothing is uploaded.
    SetFault("/pcapp/LogUploadCheckAPI", "body:RET=0&VALID=FALSE");
    const int before = RecordCount();
    CAplLogUpload upload;
    ASSERT_TRUE(upload.SetNaviInfo("DEV1", 1, "ua", false));
    EXPECT_EQ(RunStep(upload, 0).result, 1u);
    EXPECT_EQ(RecordCount(), before + 1) << "only the check reached the service";
    EXPECT_FALSE(qmtest::FileExists(upload.GetZipPath()));
}

TEST_F(LogUpload, ServiceAndTransportErrorsOfTheCheck) {
    CAplLogUpload upload;
    ASSERT_TRUE(upload.SetNaviInfo("DEV1", 1, "ua", false));
    SetFault("/pcapp/LogUploadCheckAPI", "ret:7");
    Step s = RunStep(upload, 0);
    EXPECT_EQ(s.result, 0x200007u);
    EXPECT_EQ(s.detail, 0u);
    size_t from = LogText().size();
    SetFault("/pcapp/LogUploadCheckAPI", "malformed");
    EXPECT_EQ(RunStep(upload, 0).result, 0x200FFFu);
    EXPECT_EQ(CountInLog("AnalyzeLogUploadPermission - サーバレスポンスエラー[SVRERR:<html>Service "
                         "Temporarily Unavailable</html>]",
                         from),
              1);
    SetFault("/pcapp/LogUploadCheckAPI", "http:500");
    s = RunStep(upload, 0);
    EXPECT_EQ(s.result, 0x1001F4u) << "status with bit 28 cleared, as a transport failure";
    EXPECT_EQ(s.detail, 0u) << "a status carries no system error";
    // A transport error: the detail is the engine worker's own error, the
    // same one the result carries (not the log's, not this thread's).
    SetFault("/pcapp/LogUploadCheckAPI", "close");
    s = RunStep(upload, 0);
    EXPECT_NE(s.detail, 0u);
    EXPECT_NE(s.detail, static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(s.result, s.detail | kAplLogTransportFlag);
}

TEST_F(LogUpload, UploadSendsAnArchiveAStandardReaderOpens) {
    MakeLogs();
    CAplLogUpload upload;
    ASSERT_TRUE(upload.SetNaviInfo("DEV1", 0x00120034, "34MothV21/1.000002", true));
    Step s = RunStep(upload, 1);
    ASSERT_TRUE(s.posted);
    EXPECT_EQ(s.result, 0u);
    EXPECT_EQ(s.detail, 0u);
    Record r = LastRecord();
    EXPECT_EQ(r.Path(), "/pcapp/LogUploadTRKMothAPI");
    EXPECT_TRUE(r.HasHeader("Content-Type", "multipart/form-data; boundary=\"WickerdaleBoundary\""))
        << r.json;
    const std::string zipName = upload.GetZipPath().substr(upload.GetZipPath().rfind('\\') + 1);
    EXPECT_EQ(r.UploadedFileName(), zipName);
    const std::string head =
        "--WickerdaleBoundary\r\nContent-Disposition: form-data; "
        "name=\"ccid_head\"\r\n\r\n00520012\r\n"
        "--WickerdaleBoundary\r\nContent-Disposition: form-data; name=\"deviceno\"\r\n\r\nDEV1\r\n"
        "--WickerdaleBoundary\r\nContent-Disposition: form-data; name=\"file\"; filename=\"" +
        zipName + "\"\r\nContent-Type: application/octet-stream\r\n\r\nPK\x03\x04";
    EXPECT_EQ(r.body.substr(0, head.size()), head);
    EXPECT_EQ(r.body.substr(r.body.size() - 24), "\r\n--WickerdaleBoundary--");

    // The stored archive, opened by Python's zip reader in the service.
    std::vector<std::string> entries = ArchiveEntries(r);
    ASSERT_EQ(entries.size(), 4u) << (entries.empty() ? "" : entries[0]);
    EXPECT_EQ(entries[0], "20130230.log\t5\t8");
    EXPECT_EQ(entries[1].substr(0, 11), "PcInfo.txt\t");
    EXPECT_EQ(entries[2], "Quillmarch.log\t" +
                              std::to_string(std::string("2013/04/05 ログ\r\n").size()) + "\t8");
    EXPECT_EQ(entries[3], "Quillmarch_Music.log\t4195328\t8");

    // Afterwards: the uploaded logs are gone (the oversized one too), the rest stays.
    for (const char* gone :
         {"Quillmarch.log", "Quillmarch_Core.log", "Quillmarch_Music.log", "20130230.log"})
        EXPECT_FALSE(qmtest::FileExists(logFolder + gone)) << gone;
    EXPECT_TRUE(qmtest::FileExists(logFolder + "19791231.log"));
    EXPECT_TRUE(qmtest::FileExists(logFolder + "notes.txt"));
    ExpectNoLeftovers(upload);
}

TEST_F(LogUpload, WithoutLogsPcInfoAloneAndAServiceErrorKeepsTheLogs) {
    CAplLogUpload upload;
    ASSERT_TRUE(upload.SetNaviInfo("DEV2", 5, "ua", false));
    EXPECT_EQ(RunStep(upload, 1).result, 0u);
    Record r = LastRecord();
    EXPECT_EQ(r.Path(), "/pcapp/LogUploadAPI");
    const std::vector<std::string> entries = ArchiveEntries(r);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].substr(0, 11), "PcInfo.txt\t");

    MakeLogs();
    SetFault("/pcapp/LogUploadAPI", "ret:9");
    const Step s = RunStep(upload, 1);
    EXPECT_EQ(s.result, 0x200009u);
    EXPECT_EQ(s.detail, 0u);
    EXPECT_TRUE(qmtest::FileExists(logFolder + "Quillmarch.log"));
    ExpectNoLeftovers(upload);
}

TEST_F(LogUpload, CancelDuringTheUpload) {
    MakeLogs();
    SetFault("/pcapp/LogUploadAPI", "drip:300");
    CAplLogUpload upload;
    ASSERT_TRUE(upload.SetNaviInfo("DEV1", 1, "ua", false));
    CMessageSink window;
    int before = RecordCount();
    ASSERT_TRUE(upload.Start(window.Get(), kResultMessage, 1));
    // Once the service has the archive, the answer drips; cancel then.
    ASSERT_TRUE(WaitForRecords(before + 1, 30000));
    ASSERT_TRUE(::SetEvent(upload.GetCancelEvent()));
    const Step s = WaitStep(window, 30000);
    ASSERT_TRUE(s.posted);
    EXPECT_EQ(s.result, 0xFF00u);
    EXPECT_EQ(s.detail, 0u);
    ExpectNoLeftovers(upload);
    EXPECT_TRUE(qmtest::FileExists(logFolder + "Quillmarch.log"));
    EXPECT_TRUE(qmtest::FileExists(logFolder + "20130230.log"));
}

TEST_F(LogUpload, NewStartEndsAWorkerThatWillNotStop) {
    SetFault("/pcapp/LogUploadCheckAPI", "stall:8");
    CAplLogUpload upload;
    ASSERT_TRUE(upload.SetNaviInfo("DEV1", 1, "ua", false));
    CMessageSink window;
    const int before = RecordCount();
    ASSERT_TRUE(upload.Start(window.Get(), kResultMessage, 0));
    ASSERT_TRUE(WaitForRecords(before + 1, 30000)) << "the worker waits for the answer";
    size_t from = LogText().size();
    DWORD start = ::GetTickCount();
    EXPECT_FALSE(upload.Start(window.Get(), kResultMessage, 0));
    EXPECT_GE(::GetTickCount() - start, 1400u);
    EXPECT_EQ(CountInLog("CAplLogUpload::Start - 開始要求時の処理中エラー直前スレッド生存 0", from),
              1);
    // The next start finds no worker and runs.
    ClearFaults();
    ASSERT_TRUE(upload.Start(window.Get(), kResultMessage, 0));
    EXPECT_EQ(WaitStep(window, 30000).result, 0u);
}

TEST_F(LogUpload, DestroyingDuringAStallCancelsAndWaits) {
    SetFault("/pcapp/LogUploadCheckAPI", "stall:20");
    CMessageSink window;
    DWORD start = 0;
    {
        CAplLogUpload upload;
        upload.SetAbortWait(1500);
        ASSERT_TRUE(upload.SetNaviInfo("DEV1", 1, "ua", false));
        const int before = RecordCount();
        ASSERT_TRUE(upload.Start(window.Get(), kResultMessage, 0));
        ASSERT_TRUE(WaitForRecords(before + 1, 30000));
        start = ::GetTickCount();
    }
    EXPECT_LT(::GetTickCount() - start, 10000u) << "well before the stall ends";
    // The worker had ended, and said so, before the destructor returned.
    const Step s = WaitStep(window, 0);
    ASSERT_TRUE(s.posted);
    EXPECT_EQ(s.result, 0xFF00u);
}
