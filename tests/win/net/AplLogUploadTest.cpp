// The application log upload against the stand-in service under Wine.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "NetTestSupport.h"
#include "TestSupport.h"
#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "net/AplLogUpload.h"
#include "net/WinHttpWrapper.h"

using namespace nettest;

namespace {

constexpr UINT kResultMessage = WM_APP + 0x98;
using Posted = std::pair<DWORD, DWORD>;  // result, detail
const Posted kNothing = {0xDEADBEEF, 0xDEADBEEF};

// A stall outlasts the receive time-outs: shortened through the engine's test
// hook to 1.5 s, in place of WinHTTP's 30 s (and the 240 s of a large upload).
void ShortReceiveTimeout(HINTERNET, HINTERNET request) {
    ::WinHttpSetTimeouts(request, 0, 5000, 5000, 1500);
    DWORD ms = 1500;
    ::WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &ms, sizeof ms);
}

class LogUpload : public CServiceTest {
protected:
    void SetUp() override {
        CServiceTest::SetUp();
        if (IsSkipped()) return;
        PointTableAtService({{23, "/pcapp/LogUploadCheckAPI"},
                             {24, "/pcapp/LogUploadAPI"},
                             {32, "/pcapp/LogUploadCheckTRKMothAPI"},
                             {33, "/pcapp/LogUploadTRKMothAPI"}});
        DeleteFolderTree(logFolder.c_str(), false);
        ASSERT_TRUE(upload->SetNaviInfo("DEV1", 0x00120034, "34MothV18/1.000002", false));
    }
    Posted Wait(DWORD timeoutMs = 60000) {
        MSG msg;
        return window.Wait(kResultMessage, timeoutMs, msg)
                   ? Posted(DWORD(msg.wParam), DWORD(msg.lParam))
                   : kNothing;
    }
    Posted Run(DWORD kind) {
        return upload->Start(window.Get(), kResultMessage, kind) ? Wait() : kNothing;
    }
    void StartHeld(const char* path, const char* fault, DWORD kind) {
        SetFault(path, fault);
        const int before = RecordCount();
        ASSERT_TRUE(upload->Start(window.Get(), kResultMessage, kind));
        ASSERT_TRUE(WaitForRecords(before + 1, 30000)) << "the service has the request";
    }
    void MakeLogs() {
        for (const char* name : {"Quillmarch.log", "20130230.log", "notes.txt"})
            ASSERT_TRUE(qmtest::WriteFile(logFolder + name, name));
        // One byte over the size limit.
        ASSERT_TRUE(
            qmtest::WriteFile(logFolder + "Quillmarch_Core.log", std::string(4195329, 'c')));
    }
    // The entries of the uploaded archive as the service's zip reader listed
    // them ("name<TAB>size<TAB>method"); no archive or collecting folder stays.
    std::vector<std::string> ArchiveEntries() {
        EXPECT_FALSE(qmtest::FileExists(upload->GetZipPath()));
        EXPECT_FALSE(qmtest::FileExists(upload->GetCollectFolder()));
        const Record r = LastRecord();
        std::vector<std::string> entries =
            qmtest::SplitLines(qmtest::ReadFile(r.folder + r.Field("file") + ".list"));
        std::sort(entries.begin(), entries.end());
        return entries;
    }
    const std::string logFolder = GetLogFolder();
    CMessageSink window;
    std::unique_ptr<CAplLogUpload> upload = std::make_unique<CAplLogUpload>();
};

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
    EXPECT_TRUE(qm::CHandle(::OpenEventA(EVENT_MODIFY_STATE, FALSE, "AplLogUploadCancel")).Valid())
        << "the cancel event is the named one the window sets";
}

TEST_F(LogUpload, PermissionCheckAndItsFailures) {
    EXPECT_EQ(Run(0), Posted(0, 0));
    const Record r = LastRecord();
    EXPECT_EQ(r.Field("path"), "/pcapp/LogUploadCheckAPI");
    EXPECT_EQ(r.body, "ccid_head=00520012&deviceno=DEV1");
    EXPECT_TRUE(r.HasHeader("User-Agent", "34MothV18/1.000002")) << r.json;
    EXPECT_TRUE(r.HasHeader("Content-Type", "application/x-www-form-urlencoded"));
    EXPECT_TRUE(r.HasHeader("Accept", "*/*"));
    SetFault("/pcapp/LogUploadCheckAPI", "body:RET=0&VALID=FALSE");
    const int before = RecordCount();
    EXPECT_EQ(Run(0), Posted(1, 0));
    EXPECT_EQ(RecordCount(), before + 1) << "only the check reached the service";
    EXPECT_FALSE(qmtest::FileExists(upload->GetZipPath()));
    const size_t from = LogText().size();
    for (const auto& c :
         {std::make_pair("ret:7", 0x200007u), std::make_pair("malformed", 0x200FFFu)}) {
        SetFault("/pcapp/LogUploadCheckAPI", c.first);
        EXPECT_EQ(Run(0), Posted(c.second, 0)) << c.first;
    }
    EXPECT_EQ(CountInLog("AnalyzeLogUploadPermission - サーバレスポンスエラー[SVRERR:<html>Service "
                         "Temporarily Unavailable</html>]",
                         from),
              1);
    // No answer at all: the detail is the engine worker's own error, the one
    // the result carries (not the log's, not this thread's).
    SetFault("/pcapp/LogUploadCheckAPI", "close");
    const Posted s = Run(0);
    EXPECT_NE(s.second, 0u);
    EXPECT_NE(s.second, static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(s.first, s.second | kAplLogTransportFlag);
}

TEST_F(LogUpload, UploadSendsAnArchiveAStandardReaderOpens) {
    MakeLogs();
    ASSERT_TRUE(upload->SetNaviInfo("DEV1", 0x00120034, "34MothV21/1.000002", true));
    EXPECT_EQ(Run(1), Posted(0, 0));
    const Record r = LastRecord();
    EXPECT_EQ(r.Field("path"), "/pcapp/LogUploadTRKMothAPI");
    EXPECT_TRUE(
        r.HasHeader("Content-Type", "multipart/form-data; boundary=\\\"WickerdaleBoundary\\\""))
        << r.json;
    const std::string zip = upload->GetZipPath();
    EXPECT_EQ(r.Field("filename"), zip.substr(zip.rfind('\\') + 1));
    const std::vector<std::string> entries = ArchiveEntries();
    ASSERT_EQ(entries.size(), 3u) << (entries.empty() ? "" : entries[0]);
    EXPECT_EQ(entries[0], "20130230.log\t12\t8");
    EXPECT_EQ(entries[1].substr(0, 11), "PcInfo.txt\t");
    EXPECT_EQ(entries[2], "Quillmarch.log\t14\t8");
    // The uploaded logs are gone, the oversized one too; the rest stays.
    for (const char* gone : {"Quillmarch.log", "Quillmarch_Core.log", "20130230.log"})
        EXPECT_FALSE(qmtest::FileExists(logFolder + gone)) << gone;
    EXPECT_TRUE(qmtest::FileExists(logFolder + "notes.txt"));
}

TEST_F(LogUpload, WithoutLogsPcInfoAloneAndAServiceErrorKeepsTheLogs) {
    EXPECT_EQ(Run(1), Posted(0, 0));
    EXPECT_EQ(LastRecord().Field("path"), "/pcapp/LogUploadAPI");
    const std::vector<std::string> entries = ArchiveEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].substr(0, 11), "PcInfo.txt\t");
    MakeLogs();
    SetFault("/pcapp/LogUploadAPI", "ret:9");
    EXPECT_EQ(Run(1), Posted(0x200009, 0));
    ArchiveEntries();
    EXPECT_TRUE(qmtest::FileExists(logFolder + "Quillmarch.log"));
}

// Once the service has the archive its answer drips; cancel then.
TEST_F(LogUpload, CancelDuringTheUpload) {
    MakeLogs();
    StartHeld("/pcapp/LogUploadAPI", "drip:300", 1);
    ASSERT_TRUE(::SetEvent(upload->GetCancelEvent()));
    EXPECT_EQ(Wait(30000), Posted(0xFF00, 0));
    ArchiveEntries();
    EXPECT_TRUE(qmtest::FileExists(logFolder + "Quillmarch.log"));
    EXPECT_TRUE(qmtest::FileExists(logFolder + "20130230.log"));
}

// The service failing under the upload: cut off in the middle of its answer
// and in the middle of the upload, answering 500 and 503 or garbage, stalling
// past the time-out. Each failure comes back as its result code and log
// record, the logs stay where they were, and the next upload takes them.
TEST_F(LogUpload, EachFailureHasItsCodeTheLogsStayAndTheNextUploadTakesThem) {
    // 2 MB that do not compress: the upload outlasts the socket buffers, so a
    // connection cut after its first bytes cuts it in mid-send.
    const std::string log = logFolder + "Quillmarch.log";
    std::string kept(2 << 20, '\0');
    uint32_t x = 12345;
    for (char& c : kept) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
    ASSERT_TRUE(qmtest::WriteFile(log, kept));
    const struct Hooked {
        CWinHttpWrapper::BeforeSendHook previous =
            CWinHttpWrapper::SetBeforeSendHook(ShortReceiveTimeout);
        ~Hooked() { CWinHttpWrapper::SetBeforeSendHook(previous); }
    } hooked;
    const char *const check = "/pcapp/LogUploadCheckAPI", *const up = "/pcapp/LogUploadAPI";
    const DWORD transport = 0;  // a transport failure, with the system's error
    struct Row {
        const char *path, *mode;
        DWORD kind;
        Posted posted;
        const char* record;  // the log record of the failure
    } const rows[] = {
        // clang-format off
        {check, "http:503", kAplLogCheckPermission, {0x1001F7, 0}, "WinHttpQueryHeaders HTTPSTATUSエラー:503"},
        {up, "http:500", kAplLogUpload, {0x1001F4, 0}, "WinHttpQueryHeaders HTTPSTATUSエラー:500"},
        {up, "http:503", kAplLogUpload, {0x1001F7, 0}, "WinHttpQueryHeaders HTTPSTATUSエラー:503"},
        {up, "malformed", kAplLogUpload, {0x200FFF, 0},
         "ログアップロード時のサーバーレスポンスエラー [AnalyzeERR:0x00000FFF]"},
        // closed in the middle of the answer
        {up, "truncate", kAplLogUpload, {0x100000 | ERROR_WINHTTP_TIMEOUT, ERROR_WINHTTP_TIMEOUT},
         "WinHttpReadData 取得サイズリトライオーバー"},
        // closed in the middle of the upload; stalled past the time-out
        // (12002 on Windows, the socket's 10060 under Wine)
        {up, "cutupload:65536", kAplLogUpload, {transport, 0}, "ログアップロード時の通信異常失敗"},
        {up, "stall:20", kAplLogUpload, {transport, 0}, "ログアップロード時の通信異常失敗"},
        // clang-format on
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.mode);
        SetFault(r.path, r.mode);
        const size_t from = LogText().size();
        const DWORD start = ::GetTickCount();
        const Posted posted = Run(r.kind);
        if (r.posted.first != transport) {
            EXPECT_EQ(posted, r.posted);
        } else {
            // The system names the failure its own way (a cut: 12030 on Windows,
            // a reset under Wine).
            EXPECT_NE(posted.second, 0u);
            EXPECT_EQ(posted.first, posted.second | kAplLogTransportFlag);
        }
        EXPECT_LT(::GetTickCount() - start, 15000u) << "the stall is not waited out";
        EXPECT_GE(CountInLog(r.record, from), 1) << LogText().substr(from);
        // Nothing lost: the log is still there as it was, nothing half-made
        // is left behind.
        EXPECT_EQ(qmtest::ReadFile(log), kept);
        EXPECT_FALSE(qmtest::FileExists(upload->GetZipPath()));
        EXPECT_FALSE(qmtest::FileExists(upload->GetCollectFolder()));
        // The next upload, the service well again, takes the logs.
        ClearFaults();
        EXPECT_EQ(Run(kAplLogUpload), Posted(0, 0));
        EXPECT_FALSE(qmtest::FileExists(log));
        EXPECT_NE(ArchiveEntries().back().find("Quillmarch.log\t2097152\t"), std::string::npos);
        ASSERT_TRUE(qmtest::WriteFile(log, kept));
    }
}

// A worker that will not stop is ended by the next start, or by the destructor.
TEST_F(LogUpload, AStalledWorkerIsEndedByANewStartOrTheDestructor) {
    StartHeld("/pcapp/LogUploadCheckAPI", "stall:8", 0);
    const size_t from = LogText().size();
    DWORD start = ::GetTickCount();
    EXPECT_FALSE(upload->Start(window.Get(), kResultMessage, 0));
    EXPECT_GE(::GetTickCount() - start, 1400u);
    EXPECT_EQ(CountInLog("CAplLogUpload::Start - 開始要求時の処理中エラー直前スレッド生存 0", from),
              1);
    ClearFaults();
    EXPECT_EQ(Run(0), Posted(0, 0)) << "the next start finds no worker";
    upload->SetAbortWait(1500);
    StartHeld("/pcapp/LogUploadCheckAPI", "stall:20", 0);
    start = ::GetTickCount();
    upload.reset();
    EXPECT_LT(::GetTickCount() - start, 10000u) << "well before the stall ends";
    // The worker had ended, and said so, before the destructor returned.
    EXPECT_EQ(Wait(0), Posted(0xFF00, 0));
}
