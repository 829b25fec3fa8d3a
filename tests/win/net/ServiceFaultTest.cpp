// The service failing under the log upload: cut off in the middle of its
// answer and in the middle of the upload, answering 500 and 503 or garbage,
// stalling past the time-out. Each failure comes back as its result code and
// log record, the logs stay where they were, and the next upload takes them.
// And an answer written to a file on a full disk.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "NetTestSupport.h"
#include "TestSupport.h"
#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "common/WinHandle.h"
#include "net/AplLogUpload.h"
#include "net/WinHttpWrapper.h"

using namespace nettest;

namespace {

constexpr UINT kResultMessage = WM_APP + 0x26;
using Posted = std::pair<DWORD, DWORD>;  // result, detail

// A stall outlasts the receive time-outs: shortened through the engine's test
// hook to 1.5 s, in place of WinHTTP's 30 s (and the 240 s of a large upload).
void ShortReceiveTimeout(HINTERNET, HINTERNET request) {
    ::WinHttpSetTimeouts(request, 0, 5000, 5000, 1500);
    DWORD ms = 1500;
    ::WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &ms, sizeof ms);
}

class ServiceFault : public CServiceTest {
protected:
    void SetUp() override {
        CServiceTest::SetUp();
        if (IsSkipped()) return;
        PointTableAtService({{23, "/pcapp/LogUploadCheckAPI"}, {24, "/pcapp/LogUploadAPI"}});
        DeleteFolderTree(logFolder.c_str(), false);
        ASSERT_TRUE(upload.SetNaviInfo("DEV1", 0x00120034, "34MothV18/1.000002", false));
        // 2 MB that do not compress: the upload outlasts the socket buffers,
        // so a connection cut after its first bytes cuts it in mid-send.
        std::string noise(2 << 20, '\0');
        uint32_t x = 12345;
        for (char& c : noise) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
        ASSERT_TRUE(qmtest::WriteFile(logFolder + "Quillmarch.log", noise));
        previousHook = CWinHttpWrapper::SetBeforeSendHook(ShortReceiveTimeout);
    }
    void TearDown() override {
        if (!IsSkipped()) CWinHttpWrapper::SetBeforeSendHook(previousHook);
    }
    Posted Run(DWORD kind) {
        MSG msg;
        if (!upload.Start(window.Get(), kResultMessage, kind) ||
            !window.Wait(kResultMessage, 60000, msg))
            return {~0u, ~0u};
        return {static_cast<DWORD>(msg.wParam), static_cast<DWORD>(msg.lParam)};
    }
    const std::string logFolder = GetLogFolder();
    CMessageSink window;
    CAplLogUpload upload;
    CWinHttpWrapper::BeforeSendHook previousHook = nullptr;
};

}  // namespace

TEST_F(ServiceFault, EachFailureHasItsCodeTheLogsStayAndTheNextUploadTakesThem) {
    const std::string log = logFolder + "Quillmarch.log";
    const std::string kept = qmtest::ReadFile(log);
    struct Row {
        const char* what;
        const char* path;
        const char* mode;
        DWORD kind;
        Posted posted;       // {0, 0}: a transport failure with the system's error
        const char* record;  // the log record of the failure
    } const rows[] = {
        {"503 to the question",
         "/pcapp/LogUploadCheckAPI",
         "http:503",
         kAplLogCheckPermission,
         {0x1001F7, 0},
         "WinHttpQueryHeaders HTTPSTATUSエラー:503"},
        {"500 to the upload",
         "/pcapp/LogUploadAPI",
         "http:500",
         kAplLogUpload,
         {0x1001F4, 0},
         "WinHttpQueryHeaders HTTPSTATUSエラー:500"},
        {"503 to the upload",
         "/pcapp/LogUploadAPI",
         "http:503",
         kAplLogUpload,
         {0x1001F7, 0},
         "WinHttpQueryHeaders HTTPSTATUSエラー:503"},
        {"garbage",
         "/pcapp/LogUploadAPI",
         "malformed",
         kAplLogUpload,
         {0x200FFF, 0},
         "ログアップロード時のサーバーレスポンスエラー [AnalyzeERR:0x00000FFF]"},
        {"closed in the middle of the answer",
         "/pcapp/LogUploadAPI",
         "truncate",
         kAplLogUpload,
         {0x100000 | ERROR_WINHTTP_TIMEOUT, ERROR_WINHTTP_TIMEOUT},
         "WinHttpReadData 取得サイズリトライオーバー"},
        {"closed in the middle of the upload",
         "/pcapp/LogUploadAPI",
         "cutupload:65536",
         kAplLogUpload,
         {0, 0},
         "ログアップロード時の通信異常失敗"},
        // (12002 on Windows, the socket's 10060 under Wine.)
        {"stalled past the time-out",
         "/pcapp/LogUploadAPI",
         "stall:20",
         kAplLogUpload,
         {0, 0},
         "ログアップロード時の通信異常失敗"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        SetFault(r.path, r.mode);
        const size_t from = LogText().size();
        const DWORD start = ::GetTickCount();
        const Posted posted = Run(r.kind);
        if (r.posted.first) {
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
        EXPECT_FALSE(qmtest::FileExists(upload.GetZipPath()));
        EXPECT_FALSE(qmtest::FileExists(upload.GetCollectFolder()));
        // The next upload, the service well again, takes the logs.
        ClearFaults();
        EXPECT_EQ(Run(kAplLogUpload), Posted(0, 0));
        EXPECT_FALSE(qmtest::FileExists(log));
        const Record sent = LastRecord();
        EXPECT_EQ(sent.Field("path"), "/pcapp/LogUploadAPI");
        EXPECT_NE(qmtest::ReadFile(sent.folder + sent.Field("file") + ".list")
                      .find("Quillmarch.log\t2097152\t"),
                  std::string::npos);
        ASSERT_TRUE(qmtest::WriteFile(log, kept));
    }
}

// An answer written to a file replaces the file in one step: on a full disk
// (Q:, a small tmpfs) the old file stays as it was, and the next answer,
// with room again, replaces it.
class AnswerFile : public CServiceTest {};

TEST_F(AnswerFile, OnAFullDiskTheOldFileStaysAndTheNextAnswerReplacesIt) {
    ULARGE_INTEGER avail{}, total{}, free{};
    if (!::GetDiskFreeSpaceExA("Q:\\", &avail, &total, &free) || total.QuadPart > 16 << 20)
        GTEST_SKIP() << "no tmpfs on Q:";
    const std::string path = "Q:\\answer.txt", filler = "Q:\\filler";
    ASSERT_TRUE(qmtest::WriteFile(path, "old answer"));
    auto fetch = [&] {
        CWinHttpWrapper http;
        EXPECT_TRUE(http.SetRequest(ServiceUrl("/pcapp/Any").c_str(), 0, path.c_str(), true));
        EXPECT_TRUE(http.Open(HTTP_VERB_POST, L"fault-test", L""));
        HANDLE worker =
            http.Upload("x=1", 3, "application/x-www-form-urlencoded", nullptr, nullptr);
        EXPECT_TRUE(worker && ::WaitForSingleObject(worker, 60000) == WAIT_OBJECT_0);
        return http.GetResult();
    };
    {
        qm::CFileHandle file(::CreateFileA(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
        const std::string chunk(65536, 'x');
        DWORD put = 0;
        while (::WriteFile(file.Get(), chunk.data(), 65536, &put, nullptr) && put) {
        }
        ASSERT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    }
    const size_t from = LogText().size();
    EXPECT_EQ(fetch(), 0u) << "the answer itself came";
    EXPECT_EQ(CountInLog("ダウンロードデータ書込み失敗[ERR:0x00000070", from), 1);
    EXPECT_EQ(qmtest::ReadFile(path), "old answer");
    EXPECT_FALSE(qmtest::FileExists(path + ".new"));
    ASSERT_TRUE(::DeleteFileA(filler.c_str()));
    EXPECT_EQ(fetch(), 0u);
    EXPECT_EQ(qmtest::ReadFile(path), "RET=0");
}
