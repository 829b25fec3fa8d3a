// The transfer engine against the stand-in service over HTTPS under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

#include <string>

#include "NetTestSupport.h"
#include "TestSupport.h"
#include "common/CodePage.h"
#include "common/FileHelpers.h"
#include "net/ConnectionFile.h"
#include "net/ResponseAnalyzer.h"
#include "net/WinHttpWrapper.h"

using namespace nettest;

namespace {

const wchar_t* const kAgent = L"34MothV18/1.000002";

struct Outcome {
    bool started = false;
    bool ended = false;
    DWORD result = 0xDEADBEEF;
    std::string body;
    bool hasData = false;  // the wrapper held a response block
};

// Starts a form POST through the calling order every caller uses: the
// worker's handle, or null.
HANDLE StartPost(CWinHttpWrapper& http, const std::string& url, const std::string& body = "x=1",
                 const char* toFile = nullptr, bool whole = true,
                 const std::wstring& agent = kAgent) {
    if (!http.SetRequest(url.c_str(), 0, toFile, whole)) return nullptr;
    if (!http.Open(HTTP_VERB_POST, agent.c_str(), L"")) return nullptr;
    return http.Upload(body.data(), static_cast<DWORD>(body.size()),
                       "application/x-www-form-urlencoded", nullptr, nullptr);
}

// One whole form POST and what came of it.
Outcome PostForm(const std::string& url, const std::string& body,
                 const std::wstring& agent = kAgent) {
    Outcome o;
    CWinHttpWrapper http;
    HANDLE worker = StartPost(http, url, body, nullptr, true, agent);
    if (!worker) return o;
    o.started = true;
    o.ended = ::WaitForSingleObject(worker, 60000) == WAIT_OBJECT_0;
    if (!o.ended) {
        http.Abort(1000);
        return o;
    }
    o.result = http.GetResult();
    o.hasData = http.GetResponseData() != nullptr;
    if (o.hasData)
        o.body.assign(reinterpret_cast<const char*>(http.GetResponseData()),
                      http.GetResponseSize());
    return o;
}

// Builds the body of endpoint bodyId from the values and posts it to the
// URL of urlId; not started when the body could not be built.
Outcome PostEndpoint(uint32_t urlId, uint32_t bodyId, const CRequestParams& p,
                     const std::wstring& agent = kAgent) {
    CConnectionFile& cf = CConnectionFile::Instance();
    cf.SetParams(p);
    uint32_t size = 0;
    auto body = cf.CreatePostData(bodyId, size);
    if (!body) return Outcome();
    return PostForm(cf.GetUrl(urlId), std::string(body.get(), size), agent);
}

class Engine : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_SERVICE();
        ClearFaults();
    }
    void TearDown() override {
        if (HaveService()) ClearFaults();
    }
};

}  // namespace

TEST(EngineOpen, PortAndSecureFlagFollowTheScheme) {
    struct Case {
        const char* url;
        WORD port;
        WORD expectPort;
        bool secure;
    } cases[] = {
        {"https://127.0.0.1/a", 0, 443, true},      {"https://127.0.0.1/a", 80, 443, true},
        {"https://127.0.0.1/a", 443, 443, true},    {"https://127.0.0.1/a", 8080, 8080, false},
        {"https://127.0.0.1:8443/a", 0, 443, true}, {"http://127.0.0.1/a", 0, 80, false},
        {"http://127.0.0.1/a", 443, 80, false},     {"HTTPS://127.0.0.1/", 0, 443, true},
    };
    for (const Case& c : cases) {
        CWinHttpWrapper http;
        ASSERT_TRUE(http.SetRequest(c.url, c.port, nullptr, true));
        ASSERT_TRUE(http.Open(HTTP_VERB_GET, kAgent, L"")) << c.url;
        EXPECT_EQ(http.GetConnectPort(), c.expectPort) << c.url << " port " << c.port;
        EXPECT_EQ(http.IsSecure(), c.secure) << c.url << " port " << c.port;
        // While open, the request cannot be changed.
        EXPECT_FALSE(http.SetRequest("https://127.0.0.1/b", 0, nullptr, true));
    }
}

TEST(EngineOpen, BadVerbAndEmptyUrlFailBeforeOpening) {
    size_t from = LogText().size();
    CWinHttpWrapper http;
    ASSERT_TRUE(http.SetRequest("https://127.0.0.1/a", 0, nullptr, true));
    EXPECT_FALSE(http.Open(3, kAgent, L""));
    EXPECT_FALSE(http.IsOpen());
    EXPECT_EQ(CountInLog("HTTPVerb指定が不正 HTTPVerbType:3", from), 1);
    CWinHttpWrapper empty;
    EXPECT_FALSE(empty.Open(HTTP_VERB_POST, kAgent, L""));
    EXPECT_EQ(CountInLog("接続先URLが未設定", from), 1);
    CWinHttpWrapper bad;
    ASSERT_TRUE(bad.SetRequest("no scheme here", 0, nullptr, true));
    EXPECT_FALSE(bad.Open(HTTP_VERB_POST, kAgent, L""));
    EXPECT_EQ(CountInLog("接続先URL解析に失敗[ERR:0x", from), 1);
    // No worker without all three handles.
    EXPECT_EQ(bad.Upload("x", 1, "text/plain", nullptr, nullptr), nullptr);
}

TEST(EngineOpen, UploadArgumentsAreChecked) {
    CWinHttpWrapper http;
    ASSERT_TRUE(http.SetRequest("https://127.0.0.1/a", 0, nullptr, true));
    ASSERT_TRUE(http.Open(HTTP_VERB_POST, kAgent, L""));
    size_t from = LogText().size();
    ::SetLastError(0xDEADBEEF);
    EXPECT_EQ(http.Upload("x", 1, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(CountInLog("アップロード要求時のパラメータ不正 0x", from), 1);
    ::SetLastError(0xDEADBEEF);
    EXPECT_EQ(http.UploadMultiPart("x", 1, nullptr, "multipart/form-data"), nullptr);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(CountInLog("アップロード要求時のパラメータ不正 バウンダリー未指定 ", from), 1);
    EXPECT_TRUE(http.IsOpen()) << "a refused upload leaves the request open";
}

TEST(EngineOpen, ProxyDiscoveryFallsBackToNoProxy) {
    // A fresh prefix has no AutoConfigURL and no manual proxy.
    CWinHttpWrapper http;
    ASSERT_TRUE(http.SetRequest("https://127.0.0.1/a", 0, nullptr, true));
    ASSERT_TRUE(http.Open(HTTP_VERB_GET, kAgent, nullptr));
    EXPECT_TRUE(CWinHttpWrapper::GetProxyServer().empty());
    CWinHttpWrapper named;
    ASSERT_TRUE(named.SetRequest("https://127.0.0.1/a", 0, nullptr, true));
    ASSERT_TRUE(named.Open(HTTP_VERB_GET, kAgent, L"proxy.example.com:8080"));
    EXPECT_EQ(CWinHttpWrapper::GetProxyServer(), L"proxy.example.com:8080");
}

TEST(EngineOpen, ManualProxyFromTheUserSettings) {
    const char* key = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
    HKEY raw = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                &raw, nullptr),
              ERROR_SUCCESS);
    qm::CRegKey settings(raw);
    const char server[] = "http=proxy.example.com:3128;https=proxy.example.com:3129";
    DWORD enable = 1;
    ASSERT_EQ(::RegSetValueExA(settings.Get(), "ProxyServer", 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(server), sizeof server),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExA(settings.Get(), "ProxyEnable", 0, REG_DWORD,
                               reinterpret_cast<const BYTE*>(&enable), sizeof enable),
              ERROR_SUCCESS);
    {
        CWinHttpWrapper http;
        ASSERT_TRUE(http.SetRequest("https://127.0.0.1/a", 0, nullptr, true));
        ASSERT_TRUE(http.Open(HTTP_VERB_GET, kAgent, nullptr));
        // Taken as stored, per-protocol list and all.
        EXPECT_EQ(CWinHttpWrapper::GetProxyServer(), AnsiToWide(server));
    }
    enable = 0;
    ::RegSetValueExA(settings.Get(), "ProxyEnable", 0, REG_DWORD,
                     reinterpret_cast<const BYTE*>(&enable), sizeof enable);
    CWinHttpWrapper http;
    ASSERT_TRUE(http.SetRequest("https://127.0.0.1/a", 0, nullptr, true));
    ASSERT_TRUE(http.Open(HTTP_VERB_GET, kAgent, nullptr));
    EXPECT_TRUE(CWinHttpWrapper::GetProxyServer().empty()) << "switched off: no proxy";
    ::RegDeleteValueA(settings.Get(), "ProxyServer");
    ::RegDeleteValueA(settings.Get(), "ProxyEnable");
}

TEST_F(Engine, AuthenticationBodyArrivesByteForByte) {
    PointTableAtService({{4, "/pcapp/DeviceNoUserAuthenticationAPI"},
                         {31, "/pcapp/DeviceNoUserAuthenticationTRKMothAPI"}});
    for (unsigned endpoint : {4u, 31u}) {
        CRequestParams p;
        ASSERT_TRUE(p.SetAuthParams("a b.c_d-e太郎", "p w*", "00000000000000FF", 0x00120034));
        Outcome o = PostEndpoint(endpoint, endpoint, p);
        ASSERT_TRUE(o.ended);
        EXPECT_EQ(o.result, 0u);
        EXPECT_EQ(o.body, "RET=0") << "the service found the user from the decoded nickname";
        EXPECT_EQ(AnalyzeAuthentication(o.body.data(), o.body.size()), ANALYZE_OK);
        Record r = LastRecord();
        EXPECT_EQ(r.Path(), endpoint == 4 ? "/pcapp/DeviceNoUserAuthenticationAPI"
                                          : "/pcapp/DeviceNoUserAuthenticationTRKMothAPI");
        EXPECT_EQ(r.body,
                  "nick=a%20b.c_d-e%E5%A4%AA%E9%83%8E&pass=p%20w%2A&ccid_head=00520012"
                  "&deviceno=00000000000000FF");
        EXPECT_TRUE(r.HasHeader("Content-Type", "application/x-www-form-urlencoded")) << r.json;
        EXPECT_TRUE(r.HasHeader("User-Agent", "34MothV18/1.000002")) << r.json;
        EXPECT_TRUE(r.HasHeader("Accept", "*/*")) << r.json;
    }
    // A wrong password is the service's error 6 (the nickname-and-password
    // message).
    CRequestParams p;
    p.SetAuthParams("taro", "wrong", "0123456789ABCDEF", 1);
    Outcome o = PostEndpoint(4, 4, p);
    EXPECT_EQ(AnalyzeAuthentication(o.body.data(), o.body.size()), 0x80000006u);
}

namespace {
// A card on E: as the unit writes it, made by the card maker.
bool MakeCardOfModel(uint8_t model) {
    DeleteFolderTree("E:\\", false);
    char args[160];
    std::snprintf(args, sizeof args, "make E:\\ --model=%X --app=02000105:0134", model);
    auto r = qmtest::RunProcess(qmtest::BinFolder() + "sdcard.exe", args, 60000);
    return r.finished && r.exitCode == 0;
}
}  // namespace

TEST_F(Engine, MothLineUnitsUseTheirOwnEndpoints) {
    PointTableAtService({{4, "/pcapp/DeviceNoUserAuthenticationAPI"},
                         {31, "/pcapp/DeviceNoUserAuthenticationTRKMothAPI"},
                         {5, "/pcapp/GetLatestPcaplAPI"},
                         {34, "/pcapp/GetLatestPcaplTRKMothAPI"}});
    struct Case {
        uint8_t model;
        bool moth;
        const char* agent;
    } cases[] = {{18, true, "34MothV18/2.000105"},
                 {21, true, "34MothV21/2.000105"},
                 {4, false, "34TrkV23/2.000105"}};
    for (const Case& c : cases) {
        ASSERT_TRUE(MakeCardOfModel(c.model)) << "card maker failed";
        ResetUserAgentCache();
        const std::string agent = GetUserAgent('E');
        EXPECT_EQ(agent, c.agent);
        CallEndpoints auth = EndpointsFor(ServiceCall::kAuthentication, c.moth);
        CRequestParams p;
        ASSERT_TRUE(p.SetAuthParams("taro", "pass1234", "0123456789ABCDEF", 0x00120034));
        Outcome o = PostEndpoint(auth.url, auth.body, p, AnsiToWide(agent));
        ASSERT_TRUE(o.started);
        EXPECT_EQ(AnalyzeAuthentication(o.body.data(), o.body.size()), ANALYZE_OK) << o.body;
        Record r = LastRecord();
        EXPECT_EQ(r.Path(), c.moth ? "/pcapp/DeviceNoUserAuthenticationTRKMothAPI"
                                   : "/pcapp/DeviceNoUserAuthenticationAPI");
        EXPECT_TRUE(r.HasHeader("User-Agent", agent)) << r.json;

        // The latest-application check: the Moth URL with the standard body.
        CallEndpoints latest = EndpointsFor(ServiceCall::kLatestApplication, c.moth);
        p.SetAplParams(1);
        o = PostEndpoint(latest.url, latest.body, p);
        ASSERT_TRUE(o.started);
        std::string url, ver;
        EXPECT_EQ(AnalyzeLatestApplication(o.body.data(), o.body.size(), url, ver), ANALYZE_OK)
            << o.body;
        EXPECT_EQ(ver, "1.0.0.2");
        r = LastRecord();
        EXPECT_EQ(r.Path(),
                  c.moth ? "/pcapp/GetLatestPcaplTRKMothAPI" : "/pcapp/GetLatestPcaplAPI");
        EXPECT_EQ(r.body, "aplver=0.0.0.0&apltype=0001") << "no installation in the test prefix";
    }
    DeleteFolderTree("E:\\", false);
    ResetUserAgentCache();
}

TEST_F(Engine, NotFoundGivesStatusCodeAndNoBody) {
    SetFault("/pcapp/LogUploadCheckAPI", "http:404");
    size_t from = LogText().size();
    Outcome o = PostForm(ServiceUrl("/pcapp/LogUploadCheckAPI"), "ccid_head=1&deviceno=2");
    ASSERT_TRUE(o.ended);
    EXPECT_EQ(o.result, 0x10000194u);
    EXPECT_FALSE(o.hasData);
    EXPECT_TRUE(o.body.empty());
    EXPECT_EQ(CountInLog("WinHttpQueryHeaders HTTPSTATUSエラー:404  " +
                             ServiceUrl("/pcapp/LogUploadCheckAPI"),
                         from),
              1);
    SetFault("/pcapp/LogUploadCheckAPI", "http:503");
    EXPECT_EQ(PostForm(ServiceUrl("/pcapp/LogUploadCheckAPI"), "x=1").result, 0x100001F7u);
}

TEST_F(Engine, BodyWithoutContentLengthIsReadToTheEnd) {
    SetFault("/pcapp/LogUploadCheckAPI", "nolength");
    Outcome o = PostForm(ServiceUrl("/pcapp/LogUploadCheckAPI"), "ccid_head=1&deviceno=2");
    ASSERT_TRUE(o.ended);
    EXPECT_EQ(o.result, 0u);
    EXPECT_EQ(o.body, "RET=0&VALID=TRUE");
    // Dripped byte by byte: many batches, all collected.
    SetFault("/pcapp/LogUploadCheckAPI", "drip:12");
    o = PostForm(ServiceUrl("/pcapp/LogUploadCheckAPI"), "x=1");
    EXPECT_EQ(o.result, 0u);
    EXPECT_EQ(o.body, std::string(12, 'x'));
}

TEST_F(Engine, TruncatedBodyEndsAfterTheToleratedZeroReads) {
    SetFault("/pcapp/LogUploadCheckAPI", "truncate");
    size_t from = LogText().size();
    DWORD start = ::GetTickCount();
    Outcome o = PostForm(ServiceUrl("/pcapp/LogUploadCheckAPI"), "x=1");
    DWORD elapsed = ::GetTickCount() - start;
    ASSERT_TRUE(o.ended);
    EXPECT_EQ(o.result, static_cast<DWORD>(ERROR_WINHTTP_TIMEOUT));
    EXPECT_EQ(o.body, "RET=0&VALID=TRUE") << "what arrived is kept";
    EXPECT_EQ(CountInLog("WinHttpReadData 取得サイズ０ 継続 [ERR:0x", from), 10);
    EXPECT_EQ(CountInLog("WinHttpReadData 取得サイズリトライオーバー [ERR:0x", from), 1);
    EXPECT_GE(elapsed, 1000u) << "ten pauses of 100 ms";
}

TEST_F(Engine, LargeBodiesGetLongTimeouts) {
    size_t from = LogText().size();
    std::string body(511999, 'a');
    EXPECT_EQ(PostForm(ServiceUrl("/pcapp/Any"), body).result, 0u);
    EXPECT_EQ(CountInLog("WinHttpSetTimeouts設定", from), 0);
    body += 'a';
    EXPECT_EQ(PostForm(ServiceUrl("/pcapp/Any"), body).result, 0u);
    EXPECT_EQ(CountInLog("WinHttpSetTimeouts設定 成功 [ERR:0x", from), 1);
    EXPECT_EQ(LastRecord().body.size(), 512000u);
}

TEST_F(Engine, MultipartUploadCarriesBoundaryHeader) {
    PointTableAtService({{24, "/pcapp/LogUploadAPI"}});
    std::string file = qmtest::NewFolder("mp") + "Lite_DEV_20130405120102.zip";
    std::string bytes;
    for (int i = 0; i < 70000; ++i) bytes += static_cast<char>(i * 7);
    ASSERT_TRUE(qmtest::WriteFile(file, bytes));
    CRequestParams p;
    ASSERT_TRUE(p.SetLogUploadParams("DEV", 0x00120034, file.c_str()));
    CConnectionFile::Instance().SetParams(p);
    uint32_t size = 0;
    auto body = CConnectionFile::Instance().CreateMultiPartData(24, size);
    ASSERT_NE(body, nullptr);
    CWinHttpWrapper http;
    ASSERT_TRUE(http.SetRequest(CConnectionFile::Instance().GetUrl(24).c_str(), 0, nullptr, true));
    ASSERT_TRUE(http.Open(HTTP_VERB_POST, kAgent, L""));
    HANDLE worker =
        http.UploadMultiPart(body.get(), size, "WickerdaleBoundary", "multipart/form-data");
    ASSERT_NE(worker, nullptr);
    EXPECT_EQ(http.GetHeaders(),
              L"Content-Type:multipart/form-data; boundary=\"WickerdaleBoundary\"");
    ASSERT_EQ(::WaitForSingleObject(worker, 60000), WAIT_OBJECT_0);
    EXPECT_EQ(http.GetResult(), 0u);
    EXPECT_EQ(AnalyzeLogUpload(http.GetResponseData(), http.GetResponseSize()), ANALYZE_OK);
    Record r = LastRecord();
    EXPECT_TRUE(r.HasHeader("Content-Type", "multipart/form-data; boundary=\"WickerdaleBoundary\""))
        << r.json;
    EXPECT_EQ(r.body, std::string(body.get(), size));
    EXPECT_EQ(r.UploadedFileName(), "Lite_DEV_20130405120102.zip");
    EXPECT_EQ(r.UploadedFile(), bytes);
}

TEST_F(Engine, ResponseToFileWholeOrStreamed) {
    const std::string folder = qmtest::NewFolder("tofile");
    const std::string whole = folder + "whole.txt";
    ASSERT_TRUE(qmtest::WriteFile(whole, "old content that is replaced"));
    {
        CWinHttpWrapper http;
        HANDLE worker = StartPost(http, ServiceUrl("/pcapp/LogUploadCheckAPI"), "x=1", whole.c_str());
        ASSERT_EQ(::WaitForSingleObject(worker, 30000), WAIT_OBJECT_0);
        EXPECT_EQ(http.GetResult(), 0u);
        EXPECT_EQ(qmtest::ReadFile(whole), "RET=0&VALID=TRUE");
        EXPECT_EQ(http.GetResponseSize(), 16u);
    }
    const std::string streamed = folder + "streamed.txt";
    ASSERT_TRUE(qmtest::WriteFile(streamed, "kept:"));
    SetFault("/pcapp/Drip", "drip:5");
    CWinHttpWrapper http;
    UINT chunks = 0;
    HWND sink =
        ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    http.SetNotify(sink, WM_APP + 7);
    HANDLE worker = StartPost(http, ServiceUrl("/pcapp/Drip"), "x=1", streamed.c_str(), false);
    ASSERT_EQ(::WaitForSingleObject(worker, 30000), WAIT_OBJECT_0);
    EXPECT_EQ(http.GetResult(), 0u);
    EXPECT_EQ(qmtest::ReadFile(streamed), "kept:xxxxx") << "chunks are appended to what was there";
    EXPECT_EQ(http.GetResponseData(), nullptr);
    EXPECT_EQ(http.GetResponseSize(), 5u);
    MSG msg;
    LPARAM bytes = 0;
    while (::PeekMessageA(&msg, sink, WM_APP + 7, WM_APP + 7, PM_REMOVE)) {
        ++chunks;
        bytes += msg.lParam;
    }
    EXPECT_GE(chunks, 1u);
    EXPECT_EQ(bytes, 5);
    ::DestroyWindow(sink);
}

TEST_F(Engine, ClosedConnectionIsAnError) {
    SetFault("/pcapp/Any", "close");
    Outcome o = PostForm(ServiceUrl("/pcapp/Any"), "x=1");
    ASSERT_TRUE(o.ended);
    EXPECT_NE(o.result, 0u);
    EXPECT_EQ(o.result & kHttpStatusFlag, 0u) << "a transport error, not a status";
}

TEST_F(Engine, TwoWrappersOfOneThreadAbortTogether) {
    SetFault("/pcapp/Drip", "drip:60");  // six seconds of one byte per 100 ms
    CWinHttpWrapper first, second;
    HANDLE a = StartPost(first, ServiceUrl("/pcapp/Drip"), "x=1");
    HANDLE b = StartPost(second, ServiceUrl("/pcapp/Drip"), "x=2");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    ::Sleep(800);
    ASSERT_EQ(::WaitForSingleObject(b, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "still dripping";
    DWORD start = ::GetTickCount();
    EXPECT_TRUE(first.Abort(5000));
    // The second wrapper polls the same event and stops at its next read.
    ASSERT_EQ(::WaitForSingleObject(b, 3000), WAIT_OBJECT_0);
    EXPECT_LT(::GetTickCount() - start, 3000u);
    EXPECT_EQ(first.GetResult(), static_cast<DWORD>(ERROR_REQUEST_ABORTED));
    EXPECT_EQ(second.GetResult(), static_cast<DWORD>(ERROR_REQUEST_ABORTED));
}

// Last: a terminated worker is the one way out of a stalled answer.
TEST_F(Engine, AbortDuringAStallTerminatesTheWorker) {
    SetFault("/pcapp/Stall", "stall:20");
    CWinHttpWrapper http;
    HANDLE worker = StartPost(http, ServiceUrl("/pcapp/Stall"));
    ASSERT_NE(worker, nullptr);
    HANDLE watch = nullptr;
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), worker, ::GetCurrentProcess(), &watch, 0,
                                  FALSE, DUPLICATE_SAME_ACCESS));
    qm::CHandle watched(watch);
    ::Sleep(500);
    size_t from = LogText().size();
    DWORD start = ::GetTickCount();
    EXPECT_FALSE(http.Abort(1500));
    DWORD elapsed = ::GetTickCount() - start;
    EXPECT_GE(elapsed, 1400u);
    EXPECT_LT(elapsed, 10000u);
    EXPECT_EQ(::WaitForSingleObject(watched.Get(), 0), WAIT_OBJECT_0) << "the worker is gone";
    DWORD code = 1;
    ::GetExitCodeThread(watched.Get(), &code);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(CountInLog("中断要求にタイムアウトしました[ERR:0x", from), 1);
    EXPECT_TRUE(http.Abort(10)) << "no worker left to wait for";
}

// "Connection.info" beside the executable: a copy of this program in a
// folder of its own reads the file there.
QM_CHILD_MAIN(connection_info) {
    if (args.size() < 2) return 2;
    CConnectionFile& cf = CConnectionFile::Instance();
    if (!cf.HasVerificationFile()) return 3;
    if (cf.GetUrl(static_cast<uint32_t>(std::atoi(args[0].c_str()))) != args[1]) return 4;
    if (cf.GetUrl(5) != "https://pcapp.example.com/pcapp/GetLatestPcaplAPI") return 5;
    return 0;
}

TEST(ConnectionInfo, FileBesideTheExecutableOverrides) {
    std::string folder = qmtest::NewFolder("exe-copy");
    ASSERT_TRUE(::CopyFileA(GetExePath().c_str(), (folder + "test_net.exe").c_str(), FALSE));
    ASSERT_TRUE(
        qmtest::WriteFile(folder + "Connection.info", "24,\"https://127.0.0.1/up?a=1,b=2\"\r\n"));
    qmtest::ProcessResult r = qmtest::RunProcess(
        folder + "test_net.exe", "--child=connection_info 24 https://127.0.0.1/up?a=1,b=2");
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0u);
    // Without the file the compiled-in table answers.
    ::DeleteFileA((folder + "Connection.info").c_str());
    r = qmtest::RunProcess(folder + "test_net.exe", "--child=connection_info 24 x");
    EXPECT_EQ(r.exitCode, 3u);
}
