// The transfer engine against the stand-in service over HTTPS under Wine.
#include <winsock2.h>
#include <windows.h>
#include <gtest/gtest.h>
#include <ws2tcpip.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "NetTestSupport.h"
#include "TestSupport.h"
#include "common/CodePage.h"
#include "common/FileHelpers.h"
#include "common/KilnLog.h"
#include "net/ConnectionFile.h"
#include "net/WinHttpWrapper.h"

using namespace nettest;

namespace {

const wchar_t* const kAgent = L"34MothV18/1.000002";

// What WinHTTP holds for each request just before it is sent, read back
// through the engine's hook on the worker (installed for the whole program).
struct Held {
    bool seen = false;
    DWORD security = 0, resolve = 0, connect = 0, send = 0, receive = 0;
};
Held g_held;

void RecordHeld(HINTERNET, HINTERNET request) {
    auto query = [request](DWORD option) {
        DWORD value = 0xDEADBEEF, size = sizeof value;
        return ::WinHttpQueryOption(request, option, &value, &size) ? value : 0xDEADBEEF;
    };
    g_held = {true,
              query(WINHTTP_OPTION_SECURITY_FLAGS),
              query(WINHTTP_OPTION_RESOLVE_TIMEOUT),
              query(WINHTTP_OPTION_CONNECT_TIMEOUT),
              query(WINHTTP_OPTION_SEND_TIMEOUT),
              query(WINHTTP_OPTION_RECEIVE_TIMEOUT)};
}
struct HookEveryRequest {
    HookEveryRequest() { CWinHttpWrapper::SetBeforeSendHook(RecordHeld); }
} g_hook;

// Starts a form POST in the order every caller uses: the worker, or null.
HANDLE StartPost(CWinHttpWrapper& http, const std::string& url, const std::string& body = "x=1",
                 const char* toFile = nullptr, bool whole = true) {
    if (!http.SetRequest(url.c_str(), 0, toFile, whole)) return nullptr;
    if (!http.Open(HTTP_VERB_POST, kAgent, L"")) return nullptr;
    return http.Upload(body.data(), static_cast<DWORD>(body.size()),
                       "application/x-www-form-urlencoded", nullptr, nullptr);
}

struct Outcome {
    bool ended = false;
    DWORD result = 0xDEADBEEF, workerError = 0xDEADBEEF;
    bool hasData = false;  // the wrapper held a response block
    std::string body;
};

// One whole form POST and what came of it.
Outcome PostForm(const std::string& url, const std::string& body) {
    Outcome o;
    g_held = Held();
    CWinHttpWrapper http;
    HANDLE worker = StartPost(http, url, body);
    o.ended = worker && ::WaitForSingleObject(worker, 60000) == WAIT_OBJECT_0;
    if (!o.ended) {
        http.Abort(1000);
        return o;
    }
    o.result = http.GetResult();
    o.workerError = http.GetWorkerError();
    o.hasData = http.GetResponseData() != nullptr;
    if (o.hasData)
        o.body.assign(reinterpret_cast<const char*>(http.GetResponseData()),
                      http.GetResponseSize());
    return o;
}

// A plain HTTP proxy on 127.0.0.1 that takes one request, keeps its head
// and answers "RET=0".
class CLocalProxy {
public:
    CLocalProxy() {
        WSADATA wsa;
        ::WSAStartup(MAKEWORD(2, 2), &wsa);
        m_listen = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listen, reinterpret_cast<sockaddr*>(&a), sizeof a);
        int len = sizeof a;
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&a), &len);
        m_port = ntohs(a.sin_port);
        ::listen(m_listen, 1);
        m_thread.Reset(::CreateThread(nullptr, 0, &Serve, this, 0, nullptr));
    }
    ~CLocalProxy() {
        ::closesocket(m_listen);
        ::WaitForSingleObject(m_thread.Get(), 10000);
        ::WSACleanup();
    }
    std::wstring Address() const { return L"127.0.0.1:" + std::to_wstring(m_port); }
    // The request line and headers it received (after it answered).
    std::string Head() {
        ::WaitForSingleObject(m_thread.Get(), 10000);
        return m_head;
    }

private:
    static DWORD WINAPI Serve(void* self) {
        CLocalProxy* p = static_cast<CLocalProxy*>(self);
        SOCKET s = ::accept(p->m_listen, nullptr, nullptr);
        if (s == INVALID_SOCKET) return 0;
        std::string in;
        char buf[4096];
        int got;
        while (in.find("\r\n\r\n") == std::string::npos &&
               (got = ::recv(s, buf, sizeof buf, 0)) > 0)
            in.append(buf, got);
        p->m_head = in.substr(0, in.find("\r\n\r\n"));
        const char answer[] =
            "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nConnection: close\r\n\r\nRET=0";
        ::send(s, answer, sizeof answer - 1, 0);
        ::shutdown(s, SD_SEND);
        ::closesocket(s);
        return 0;
    }
    SOCKET m_listen = INVALID_SOCKET;
    unsigned short m_port = 0;
    qm::CHandle m_thread;
    std::string m_head;
};

// The Internet settings of the user, as the proxy discovery reads them.
class CUserProxySetting {
public:
    CUserProxySetting() {
        HKEY raw = nullptr;
        ::RegCreateKeyExA(HKEY_CURRENT_USER,
                          "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", 0,
                          nullptr, 0, KEY_ALL_ACCESS, nullptr, &raw, nullptr);
        m_key.Reset(raw);
    }
    ~CUserProxySetting() {
        ::RegDeleteValueA(m_key.Get(), "ProxyServer");
        ::RegDeleteValueA(m_key.Get(), "ProxyEnable");
    }
    void Set(DWORD enable, const std::string& server) {
        ::RegSetValueExA(m_key.Get(), "ProxyServer", 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(server.c_str()),
                         static_cast<DWORD>(server.size() + 1));
        ::RegSetValueExA(m_key.Get(), "ProxyEnable", 0, REG_DWORD,
                         reinterpret_cast<const BYTE*>(&enable), sizeof enable);
    }

private:
    qm::CRegKey m_key;
};

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

// Through a proxy of our own, the first line WinHTTP sends shows the port
// and whether the request is secure: a tunnel to host:443, or the plain URL.
TEST(EngineOpen, PortAndSecureFlagFollowTheScheme) {
    struct Case {
        const char* url;
        WORD port;
        const char* sent;  // the start of the first line the proxy receives
        bool secure;
    } cases[] = {
        {"https://127.0.0.2/a", 0, "CONNECT 127.0.0.2:443 ", true},
        {"https://127.0.0.2/a", 80, "CONNECT 127.0.0.2:443 ", true},
        {"https://127.0.0.2/a", 443, "CONNECT 127.0.0.2:443 ", true},
        {"https://127.0.0.2/a", 8080, "GET http://127.0.0.2:8080/a ", false},
        {"https://127.0.0.2:8443/a?q=1", 0, "CONNECT 127.0.0.2:443 ", true},
        {"http://127.0.0.2/a?q=1", 443, "GET http://127.0.0.2:80/a?q=1 ", false},
        {"HTTPS://127.0.0.2/", 0, "CONNECT 127.0.0.2:443 ", true},
    };
    const DWORD ignore = SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_WRONG_USAGE |
                         SECURITY_FLAG_IGNORE_CERT_CN_INVALID |
                         SECURITY_FLAG_IGNORE_CERT_DATE_INVALID;
    for (const Case& c : cases) {
        g_held = Held();
        CLocalProxy proxy;
        CWinHttpWrapper http;
        ASSERT_TRUE(http.SetRequest(c.url, c.port, nullptr, true));
        ASSERT_TRUE(http.Open(HTTP_VERB_GET, kAgent, proxy.Address().c_str())) << c.url;
        // While open, the request cannot be changed.
        EXPECT_FALSE(http.SetRequest("https://127.0.0.1/b", 0, nullptr, true));
        HANDLE worker = http.Upload(nullptr, 0, "", nullptr, nullptr);
        ASSERT_NE(worker, nullptr);
        ASSERT_EQ(::WaitForSingleObject(worker, 60000), WAIT_OBJECT_0);
        const std::string head = proxy.Head();
        EXPECT_EQ(head.substr(0, std::strlen(c.sent)), c.sent) << c.url << " port " << c.port;
        ASSERT_TRUE(g_held.seen) << c.url;
        EXPECT_EQ((g_held.security & ignore) == ignore, c.secure) << c.url << " port " << c.port;
    }
}

TEST(EngineOpen, BadArgumentsAreRefusedWithTheirError) {
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
    ::SetLastError(0xDEADBEEF);
    EXPECT_FALSE(bad.Open(HTTP_VERB_POST, kAgent, L""));
    // The cracking error survives its log line.
    const DWORD err = ::GetLastError();
    EXPECT_TRUE(err == ERROR_WINHTTP_UNRECOGNIZED_SCHEME || err == ERROR_WINHTTP_INVALID_URL)
        << err;
    char line[64];
    std::snprintf(line, sizeof line, "接続先URL解析に失敗[ERR:0x%08X]", static_cast<unsigned>(err));
    EXPECT_EQ(CountInLog(line, from), 1);
    // No worker without all three handles.
    EXPECT_EQ(bad.Upload("x", 1, "text/plain", nullptr, nullptr), nullptr);
    // Open, but without a content type or a boundary.
    ASSERT_TRUE(http.Open(HTTP_VERB_POST, kAgent, L""));
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

TEST(EngineProxy, DiscoveryFallsBackToTheUsersManualProxy) {
    CUserProxySetting setting;
    CLocalProxy proxy;
    setting.Set(1, WideToAnsi(proxy.Address()));
    {
        CWinHttpWrapper http;
        ASSERT_TRUE(http.SetRequest("http://service.example.com/pcapp/Any", 0, nullptr, true));
        // No AutoConfigURL and nothing to auto-detect in the test prefix.
        ASSERT_TRUE(http.Open(HTTP_VERB_POST, kAgent, nullptr));
        EXPECT_EQ(CWinHttpWrapper::GetProxyServer(), proxy.Address());
        HANDLE worker =
            http.Upload("a=1", 3, "application/x-www-form-urlencoded", nullptr, nullptr);
        ASSERT_NE(worker, nullptr);
        ASSERT_EQ(::WaitForSingleObject(worker, 60000), WAIT_OBJECT_0);
        EXPECT_EQ(http.GetResult(), 0u);
        EXPECT_EQ(proxy.Head().substr(0, 45), "POST http://service.example.com:80/pcapp/Any ")
            << proxy.Head();
    }

    // Taken as stored, per-protocol list and all; switched off, none.
    const std::string list = "http=proxy.example.com:3128;https=proxy.example.com:3129";
    setting.Set(1, list);
    CWinHttpWrapper listed;
    ASSERT_TRUE(listed.SetRequest("https://127.0.0.1/a", 0, nullptr, true));
    ASSERT_TRUE(listed.Open(HTTP_VERB_GET, kAgent, nullptr));
    EXPECT_EQ(CWinHttpWrapper::GetProxyServer(), AnsiToWide(list));
    setting.Set(0, list);
    CWinHttpWrapper off;
    ASSERT_TRUE(off.SetRequest("https://127.0.0.1/a", 0, nullptr, true));
    ASSERT_TRUE(off.Open(HTTP_VERB_GET, kAgent, nullptr));
    EXPECT_TRUE(CWinHttpWrapper::GetProxyServer().empty());
}

TEST_F(Engine, AuthenticationBodyArrivesByteForByte) {
    PointTableAtService({{4, "/pcapp/DeviceNoUserAuthenticationAPI"}});
    CRequestParams p;
    ASSERT_TRUE(p.SetAuthParams("a b.c_d-e太郎", "p w*", "00000000000000FF", 0x00120034));
    const RequestBody body = CConnectionFile::Instance().CreatePostData(4, p);
    ASSERT_TRUE(body.Ok());
    Outcome o = PostForm(CConnectionFile::Instance().GetUrl(4), body.bytes);
    ASSERT_TRUE(o.ended);
    EXPECT_EQ(o.result, 0u);
    EXPECT_EQ(o.body, "RET=0") << "the service found the user from the decoded nickname";
    Record r = LastRecord();
    EXPECT_EQ(r.Path(), "/pcapp/DeviceNoUserAuthenticationAPI");
    EXPECT_EQ(r.body,
              "nick=a%20b.c_d-e%E5%A4%AA%E9%83%8E&pass=p%20w%2A&ccid_head=00520012"
              "&deviceno=00000000000000FF");
    EXPECT_TRUE(r.HasHeader("Content-Type", "application/x-www-form-urlencoded")) << r.json;
    EXPECT_TRUE(r.HasHeader("User-Agent", "34MothV18/1.000002")) << r.json;
    EXPECT_TRUE(r.HasHeader("Accept", "*/*")) << r.json;
}

// A status without a body, a body without a length, a body cut short.
TEST_F(Engine, StatusErrorsAndMalformedAnswers) {
    const std::string url = ServiceUrl("/pcapp/LogUploadCheckAPI");
    size_t from = LogText().size();
    SetFault("/pcapp/LogUploadCheckAPI", "http:404");
    Outcome o = PostForm(url, "ccid_head=1&deviceno=2");
    ASSERT_TRUE(o.ended);
    EXPECT_EQ(o.result, 0x10000194u);
    EXPECT_EQ(o.workerError, 0u) << "a status is no system error";
    EXPECT_FALSE(o.hasData);
    EXPECT_EQ(CountInLog("WinHttpQueryHeaders HTTPSTATUSエラー:404  " + url, from), 1);

    SetFault("/pcapp/LogUploadCheckAPI", "nolength");
    o = PostForm(url, "ccid_head=1&deviceno=2");
    EXPECT_EQ(o.result, 0u);
    EXPECT_EQ(o.body, "RET=0&VALID=TRUE");

    SetFault("/pcapp/LogUploadCheckAPI", "truncate");
    from = LogText().size();
    const DWORD start = ::GetTickCount();
    o = PostForm(url, "x=1");
    EXPECT_GE(::GetTickCount() - start, 1000u) << "ten pauses of 100 ms";
    EXPECT_EQ(o.result, static_cast<DWORD>(ERROR_WINHTTP_TIMEOUT));
    EXPECT_EQ(o.body, "RET=0&VALID=TRUE") << "what arrived is kept";
    EXPECT_EQ(CountInLog("WinHttpReadData 取得サイズ０ 継続 [ERR:0x", from), 10);
    EXPECT_EQ(CountInLog("WinHttpReadData 取得サイズリトライオーバー [ERR:0x", from), 1);
}

TEST_F(Engine, LargeBodiesGetLongTimeouts) {
    size_t from = LogText().size();
    std::string body(511999, 'a');
    EXPECT_EQ(PostForm(ServiceUrl("/pcapp/Any"), body).result, 0u);
    const Held small = g_held;
    ASSERT_TRUE(small.seen);
    EXPECT_NE(small.send, 240000u);
    EXPECT_NE(small.receive, 240000u);
    EXPECT_EQ(CountInLog("WinHttpSetTimeouts設定", from), 0);
    body += 'a';
    EXPECT_EQ(PostForm(ServiceUrl("/pcapp/Any"), body).result, 0u);
    ASSERT_TRUE(g_held.seen);
    EXPECT_EQ(g_held.resolve, 0u);
    EXPECT_EQ(g_held.connect, 60000u);
    EXPECT_EQ(g_held.send, 240000u);
    EXPECT_EQ(g_held.receive, 240000u);
    EXPECT_EQ(CountInLog("WinHttpSetTimeouts設定 成功 [ERR:0x", from), 1);
    EXPECT_EQ(LastRecord().body.size(), 512000u);
}

// The answer goes to a file: replaced whole at the end, or appended chunk by
// chunk as it arrives; dripped, it arrives in many reads, each announced.
TEST_F(Engine, ResponseToFileWholeOrStreamed) {
    SetFault("/pcapp/Drip", "drip:5");
    const std::string folder = qmtest::NewFolder("tofile");
    CMessageSink sink;
    for (bool whole : {true, false}) {
        const std::string file = folder + (whole ? "whole.txt" : "streamed.txt");
        ASSERT_TRUE(qmtest::WriteFile(file, "kept:"));
        CWinHttpWrapper http;
        http.SetNotify(sink.Get(), WM_APP + 7);
        HANDLE worker = StartPost(http, ServiceUrl("/pcapp/Drip"), "x=1", file.c_str(), whole);
        ASSERT_EQ(::WaitForSingleObject(worker, 30000), WAIT_OBJECT_0);
        EXPECT_EQ(http.GetResult(), 0u);
        EXPECT_EQ(qmtest::ReadFile(file), whole ? "xxxxx" : "kept:xxxxx");
        EXPECT_EQ(http.GetResponseSize(), 5u);
        EXPECT_TRUE(whole || !http.GetResponseData()) << "streamed, nothing is kept";
        EXPECT_EQ(sink.Drain(WM_APP + 7), 5) << "every byte announced";
    }
}

// Wrappers of one thread share one abort event: destroying one that has
// finished leaves the event to the others, aborting one stops them all.
TEST_F(Engine, WrappersOfOneThreadShareTheirAbortEvent) {
    SetFault("/pcapp/Drip", "drip:60");  // six seconds of one byte per 100 ms
    CMessageSink sink;
    CWinHttpWrapper dripping;
    dripping.SetNotify(sink.Get(), WM_APP + 8);
    HANDLE b = StartPost(dripping, ServiceUrl("/pcapp/Drip"), "x=2");
    ASSERT_NE(b, nullptr);
    {
        CWinHttpWrapper finished;
        HANDLE a = StartPost(finished, ServiceUrl("/pcapp/Any"));
        ASSERT_NE(a, nullptr);
        ASSERT_EQ(::WaitForSingleObject(a, 30000), WAIT_OBJECT_0);
    }
    // Still reading after that: a byte announced since.
    MSG msg;
    sink.Drain(WM_APP + 8);
    ASSERT_TRUE(sink.Wait(WM_APP + 8, 10000, msg));
    ASSERT_EQ(::WaitForSingleObject(b, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "still dripping";
    CWinHttpWrapper aborting;
    ASSERT_NE(StartPost(aborting, ServiceUrl("/pcapp/Drip")), nullptr);
    const DWORD start = ::GetTickCount();
    EXPECT_TRUE(aborting.Abort(5000));
    // The other wrapper polls the same event and stops at its next read.
    ASSERT_EQ(::WaitForSingleObject(b, 3000), WAIT_OBJECT_0);
    EXPECT_LT(::GetTickCount() - start, 3000u);
    EXPECT_NE(aborting.GetResult(), 0u);
    EXPECT_EQ(dripping.GetResult(), static_cast<DWORD>(ERROR_REQUEST_ABORTED));
}

// Closing the request makes a stalled call return where the system allows it
// (Wine's WinHTTP does not); otherwise, after the time-out, the worker is
// terminated and that is logged. Either way it is gone, whether the wrapper
// was aborted or destroyed.
TEST_F(Engine, AbortOrDestroyDuringAStallEndsTheWorker) {
    SetFault("/pcapp/Stall", "stall:20");
    const std::string url = ServiceUrl("/pcapp/Stall");
    for (bool destroy : {false, true}) {
        SCOPED_TRACE(destroy ? "destroyed" : "aborted");
        const int before = RecordCount();
        auto http = std::make_unique<CWinHttpWrapper>();
        http->SetDestroyWait(1500);
        HANDLE worker = StartPost(*http, url);
        ASSERT_NE(worker, nullptr);
        // A copy of the worker's handle, to see it end after the wrapper has gone.
        HANDLE raw = nullptr;
        ::DuplicateHandle(::GetCurrentProcess(), worker, ::GetCurrentProcess(), &raw, 0, FALSE,
                          DUPLICATE_SAME_ACCESS);
        qm::CHandle watched(raw);
        ASSERT_TRUE(WaitForRecords(before + 1, 30000)) << "the service has the request";
        const size_t from = LogText().size();
        const DWORD start = ::GetTickCount();
        bool byItself = false;
        if (destroy)
            http.reset();
        else
            byItself = http->Abort(1500);
        const DWORD elapsed = ::GetTickCount() - start;
        EXPECT_LT(elapsed, 10000u) << "well before the stall ends";
        EXPECT_EQ(::WaitForSingleObject(watched.Get(), 0), WAIT_OBJECT_0) << "the worker is gone";
        DWORD code = 1;
        ::GetExitCodeThread(watched.Get(), &code);
        // Terminated (exit code 0) only after the time-out, and never silently.
        const int terminated = CountInLog("中断要求にタイムアウトしました[ERR:0x", from);
        EXPECT_EQ(terminated, code == 0 ? 1 : 0);
        EXPECT_EQ(CountInLog("CWinHttpWrapper::Abort - 通信スレッド強制終了 " + url, from),
                  terminated);
        EXPECT_TRUE(!terminated || elapsed >= 1400u) << elapsed;
        if (destroy) continue;
        EXPECT_EQ(byItself, terminated == 0);
        EXPECT_TRUE(http->Abort(10)) << "no worker left to wait for";
    }
}

// A copy of this program in a folder of its own, with "Connection.info" and
// the detail switch (WKLOG.ini) beside it: the file there replaces URLs, and
// the detail log shows the form body, its password never.
QM_CHILD_MAIN(beside_exe) {
    if (args.size() < 1) return 2;
    KILNLOG.Start(args[0].c_str(), 1024);
    CConnectionFile& cf = CConnectionFile::Instance();
    if (!cf.HasVerificationFile()) return 3;
    if (cf.GetUrl(24) != "https://127.0.0.1/up?a=1,b=2") return 4;
    if (cf.GetUrl(5) != "https://pcapp.example.com/pcapp/GetLatestPcaplAPI") return 5;
    CRequestParams p;
    if (!p.SetAuthParams("taro", "s3cret pw", "0123456789ABCDEF", 0x00120034)) return 6;
    return cf.CreatePostData(4, p).Ok() ? 0 : 7;
}

TEST(ConnectionInfo, FileBesideTheExecutableAndTheDetailLog) {
    const std::string folder = qmtest::NewFolder("exe-copy");
    const std::string exe = folder + "test_net.exe", log = folder + "detail.log";
    ASSERT_TRUE(::CopyFileA(GetExePath().c_str(), exe.c_str(), FALSE));
    ASSERT_TRUE(
        qmtest::WriteFile(folder + "Connection.info", "24,\"https://127.0.0.1/up?a=1,b=2\"\r\n"));
    ASSERT_TRUE(qmtest::WriteFile(folder + "WKLOG.ini", "[Log]\r\nRecover=1\r\n"));
    qmtest::ProcessResult r = qmtest::RunProcess(exe, "--child=beside_exe " + log);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0u);
    const std::string text = qmtest::ReadFile(log);
    EXPECT_NE(text.find("送信データ(71byte)：nick=taro&pass=****&ccid_head=00520012"
                        "&deviceno=0123456789ABCDEF"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("s3cret"), std::string::npos);
    // Without the file the compiled-in table answers.
    ::DeleteFileA((folder + "Connection.info").c_str());
    EXPECT_EQ(qmtest::RunProcess(exe, "--child=beside_exe " + log).exitCode, 3u);
}

TEST(ConnectionInfo, UnreadableFileFailsTheFirstUseOnly) {
    // A folder named like the file exists but cannot be read.
    const std::string info = qmtest::NewFolder("unreadable") + "Connection.info";
    ASSERT_TRUE(::CreateDirectoryA(info.c_str(), nullptr));
    CConnectionFile& cf = CConnectionFile::Instance();
    cf.Reset(info);
    size_t from = LogText().size();
    CRequestParams p;
    p.SetDeviceParams("D", 1);
    EXPECT_EQ(cf.CreatePostData(23, p).error, BodyError::kNoTable);
    EXPECT_EQ(CountInLog("送信データ作成失敗:Connection.info読取失敗", from), 1);
    EXPECT_EQ(CountInLog("Connection.infoファイルオープン失敗(ERR:0x", from) +
                  CountInLog("Connection.infoファイル読み込み失敗(ERR:0x", from),
              1);
    // From then on the compiled-in table answers, without reading again.
    from = LogText().size();
    EXPECT_EQ(cf.GetUrl(23), "https://pcapp.example.com/pcapp/LogUploadCheckAPI");
    EXPECT_TRUE(cf.CreatePostData(23, p).Ok());
    EXPECT_EQ(CountInLog("Connection.info", from), 0);
    cf.Reset(qmtest::NewFolder("none") + "Connection.info");
}

namespace {
int g_reads = 0;
uint8_t g_model = 14;
bool FakeReader(char drive, NaviUnitFacts& facts) {
    ++g_reads;
    if (drive == 'Z') return false;
    facts.modelCode = g_model;
    facts.appWord16 = 0x0A;
    facts.appValue = 0x02123456;
    return true;
}
}  // namespace

TEST(UserAgent, UnknownModelLoggedAndCachedPerDrive) {
    SetNaviUnitReader(FakeReader);
    ResetUserAgentCache();
    g_reads = 0;
    g_model = 14;
    size_t from = LogText().size();
    EXPECT_EQ(GetUserAgent('E'), "");
    EXPECT_EQ(CountInLog("UserAgent生成時のモデル不正 14", from), 1);
    EXPECT_EQ(GetUserAgent('E'), "");
    EXPECT_EQ(g_reads, 1) << "the same drive is answered from the cache";
    g_model = 4;
    EXPECT_EQ(GetUserAgent('F'), "0ATrkV23/2.123456");
    EXPECT_EQ(GetUserAgent('Z'), "");
    EXPECT_EQ(GetUserAgent('F'), "0ATrkV23/2.123456");
    EXPECT_EQ(g_reads, 4) << "only the last drive is cached";
    SetNaviUnitReader(nullptr);
    ResetUserAgentCache();
}
