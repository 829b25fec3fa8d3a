// The transfer engine against the stand-in service over HTTPS under Wine.
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "NetTestSupport.h"
#include "common/CodePage.h"
#include "common/FileHelpers.h"
#include "common/WinHandle.h"
#include "net/SecureFailure.h"
#include "net/WinHttpWrapper.h"

using namespace nettest;

namespace {

const wchar_t* const kAgent = L"34MothV18/1.000002";

// What WinHTTP holds just before each request is sent (the engine's hook):
// the security flags, then the resolve, connect, send and receive time-outs.
DWORD g_held[5];
bool g_seen = false;

void RecordHeld(HINTERNET, HINTERNET request) {
    const DWORD options[] = {WINHTTP_OPTION_SECURITY_FLAGS, WINHTTP_OPTION_RESOLVE_TIMEOUT,
                             WINHTTP_OPTION_CONNECT_TIMEOUT, WINHTTP_OPTION_SEND_TIMEOUT,
                             WINHTTP_OPTION_RECEIVE_TIMEOUT};
    for (int i = 0; i < 5; ++i) {
        DWORD size = sizeof g_held[i];
        if (!::WinHttpQueryOption(request, options[i], &g_held[i], &size)) g_held[i] = 0xDEADBEEF;
    }
    g_seen = true;
}
struct HookEveryRequest {
    HookEveryRequest() { CWinHttpWrapper::SetBeforeSendHook(RecordHeld); }
} g_hook;

// With a file, the answer goes there instead of into memory.
HANDLE StartPost(CWinHttpWrapper& http, const std::string& url, const std::string& body = "x=1",
                 const wchar_t* proxy = L"", const char* file = nullptr) {
    g_seen = false;
    if (!http.SetRequest(url.c_str(), 0, file, true)) return nullptr;
    if (!http.Open(HTTP_VERB_POST, kAgent, proxy)) return nullptr;
    return http.Upload(body.data(), static_cast<DWORD>(body.size()),
                       "application/x-www-form-urlencoded", nullptr, nullptr);
}

std::unique_ptr<CWinHttpWrapper> Post(const std::string& url, const std::string& body = "x=1",
                                      const wchar_t* proxy = L"", const char* file = nullptr) {
    auto http = std::make_unique<CWinHttpWrapper>();
    HANDLE worker = StartPost(*http, url, body, proxy, file);
    EXPECT_TRUE(worker && ::WaitForSingleObject(worker, 60000) == WAIT_OBJECT_0) << url;
    return http;
}
std::string Answer(const CWinHttpWrapper& http) {
    const BYTE* data = http.GetResponseData();
    return data ? std::string(reinterpret_cast<const char*>(data), http.GetResponseSize()) : "-";
}

// A proxy on 127.0.0.1, for any number of connections: it tunnels a CONNECT
// to the host it names and answers anything else with 502.
class CLocalProxy {
public:
    CLocalProxy() {
        WSADATA wsa;
        ::WSAStartup(MAKEWORD(2, 2), &wsa);
        m_listen = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int len = sizeof a;
        ::bind(m_listen, reinterpret_cast<sockaddr*>(&a), len);
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&a), &len);
        ::listen(m_listen, 4);
        address = L"127.0.0.1:" + std::to_wstring(ntohs(a.sin_port));
        m_accepting = std::thread([this] {
            for (SOCKET client; (client = ::accept(m_listen, nullptr, nullptr)) != INVALID_SOCKET;)
                m_tunnels.emplace_back([this, client] { Serve(client); });
        });
    }
    ~CLocalProxy() {
        ::closesocket(m_listen);
        m_accepting.join();
        for (std::thread& t : m_tunnels) t.join();
        ::WSACleanup();
    }
    // The first request line of every connection so far.
    std::vector<std::string> Heads() {
        std::lock_guard<std::mutex> held(m_lock);
        return m_heads;
    }
    std::wstring address;

private:
    void Serve(SOCKET client) {
        std::string head;
        char buf[16384];
        int got;
        while (head.find("\r\n\r\n") == std::string::npos &&
               (got = ::recv(client, buf, sizeof buf, 0)) > 0)
            head.append(buf, got);
        {
            std::lock_guard<std::mutex> held(m_lock);
            m_heads.push_back(head.substr(0, head.find("\r\n")));
        }
        char host[64] = {};
        unsigned port = 0;
        SOCKET server = INVALID_SOCKET;
        if (std::sscanf(head.c_str(), "CONNECT %63[^:]:%u ", host, &port) == 2) {
            sockaddr_in to = {};
            to.sin_family = AF_INET;
            to.sin_port = htons(static_cast<u_short>(port));
            to.sin_addr.s_addr = ::inet_addr(host);
            server = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
            if (::connect(server, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
                ::closesocket(server);
                server = INVALID_SOCKET;
            }
        }
        const char ok[] = "HTTP/1.1 200 Connection established\r\n\r\n";
        const char bad[] = "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n";
        if (server == INVALID_SOCKET) {
            ::send(client, bad, sizeof bad - 1, 0);
        } else {
            ::send(client, ok, sizeof ok - 1, 0);
            // Both ways until either side closes.
            for (bool open = true; open;) {
                fd_set readable;
                FD_ZERO(&readable);
                FD_SET(client, &readable);
                FD_SET(server, &readable);
                if (::select(0, &readable, nullptr, nullptr, nullptr) <= 0) break;
                for (SOCKET from : {client, server}) {
                    if (!FD_ISSET(from, &readable)) continue;
                    got = ::recv(from, buf, sizeof buf, 0);
                    if (got <= 0 || ::send(from == client ? server : client, buf, got, 0) != got)
                        open = false;
                }
            }
            ::closesocket(server);
        }
        ::closesocket(client);
    }
    SOCKET m_listen;
    std::thread m_accepting;
    std::vector<std::thread> m_tunnels;  // touched by the accepting thread only until it ends
    std::mutex m_lock;
    std::vector<std::string> m_heads;
};

using Engine = CServiceTest;

}  // namespace

// The first line a proxy of ours receives shows the port and whether the
// request is secure. Without a proxy given (and nothing to auto-detect here)
// the user's manual proxy is found.
TEST(EngineOpen, PortSecureFlagAndProxyDiscovery) {
    const struct {
        const char *url, *sent;  // sent: the start of the first line the proxy receives
        WORD port;
        bool discover, secure;
    } cases[] = {
        {"HTTPS://127.0.0.2:8443/a?q=1", "CONNECT 127.0.0.2:443 ", 0, false, true},
        {"https://127.0.0.2/a", "GET http://127.0.0.2:8080/a ", 8080, false, false},
        {"http://127.0.0.2/a?q=1", "GET http://127.0.0.2:80/a?q=1 ", 443, false, false},
        {"http://service.example.com/pcapp/Any", "GET http://service.example.com:80/pcapp/Any ", 0,
         true, false},
    };
    // No certificate check is ever switched off.
    const DWORD ignore = SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_WRONG_USAGE |
                         SECURITY_FLAG_IGNORE_CERT_CN_INVALID |
                         SECURITY_FLAG_IGNORE_CERT_DATE_INVALID;
    const char* const settings = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
    const DWORD on = 1;
    ::RegSetKeyValueA(HKEY_CURRENT_USER, settings, "ProxyEnable", REG_DWORD, &on, sizeof on);
    const std::unique_ptr<const char, void (*)(const char*)> cleanup(settings, [](const char* key) {
        ::RegDeleteKeyValueA(HKEY_CURRENT_USER, key, "ProxyServer");
        ::RegDeleteKeyValueA(HKEY_CURRENT_USER, key, "ProxyEnable");
    });
    for (const auto& c : cases) {
        CLocalProxy proxy;
        const std::string server = WideToAnsi(proxy.address);
        ::RegSetKeyValueA(HKEY_CURRENT_USER, settings, "ProxyServer", REG_SZ, server.c_str(),
                          static_cast<DWORD>(server.size() + 1));
        CWinHttpWrapper http;
        g_seen = false;
        ASSERT_TRUE(http.SetRequest(c.url, c.port, nullptr, true));
        ASSERT_TRUE(http.Open(HTTP_VERB_GET, kAgent, c.discover ? nullptr : proxy.address.c_str()));
        EXPECT_EQ(CWinHttpWrapper::GetProxyServer(), proxy.address) << "the proxy used";
        ASSERT_EQ(::WaitForSingleObject(http.Upload(nullptr, 0, "", nullptr, nullptr), 60000),
                  WAIT_OBJECT_0);
        ASSERT_FALSE(proxy.Heads().empty()) << c.url;
        EXPECT_EQ(proxy.Heads()[0].substr(0, std::strlen(c.sent)), c.sent) << c.url;
        ASSERT_TRUE(g_seen) << c.url;
        EXPECT_EQ(g_held[0] & ignore, 0u) << c.url;
    }
}

TEST(EngineOpen, BadArgumentsAreRefusedWithTheirError) {
    const size_t from = LogText().size();
    CWinHttpWrapper http;
    ASSERT_TRUE(http.SetRequest("https://127.0.0.1/a", 0, nullptr, true));
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
    ASSERT_TRUE(http.Open(HTTP_VERB_POST, kAgent, L""));
    ::SetLastError(0xDEADBEEF);
    EXPECT_EQ(http.UploadMultiPart("x", 1, nullptr, "multipart/form-data"), nullptr);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(CountInLog("アップロード要求時のパラメータ不正 バウンダリー未指定 ", from), 1);
    EXPECT_TRUE(http.IsOpen()) << "a refused upload leaves the request open";
}

// A status without a body, a body without a length, a body cut short.
TEST_F(Engine, StatusErrorsAndMalformedAnswers) {
    const std::string url = ServiceUrl("/pcapp/LogUploadCheckAPI");
    size_t from = LogText().size();
    SetFault("/pcapp/LogUploadCheckAPI", "http:404");
    auto http = Post(url);
    EXPECT_EQ(http->GetResult(), 0x10000194u);
    EXPECT_EQ(http->GetWorkerError(), 0u) << "a status is no system error";
    EXPECT_EQ(Answer(*http), "-");
    EXPECT_EQ(CountInLog("WinHttpQueryHeaders HTTPSTATUSエラー:404  " + url, from), 1);
    SetFault("/pcapp/LogUploadCheckAPI", "nolength");
    EXPECT_EQ(Answer(*Post(url)), "RET=0&VALID=TRUE");
    SetFault("/pcapp/LogUploadCheckAPI", "truncate");
    from = LogText().size();
    const DWORD start = ::GetTickCount();
    http = Post(url);
    EXPECT_GE(::GetTickCount() - start, 1000u) << "ten pauses of 100 ms";
    // Its result and last record: the log upload's fault table.
    EXPECT_EQ(Answer(*http), "RET=0&VALID=TRUE") << "what arrived is kept";
    EXPECT_EQ(CountInLog("WinHttpReadData 取得サイズ０ 継続 [ERR:0x", from), 10);
}

TEST_F(Engine, LargeBodiesGetLongTimeouts) {
    const size_t from = LogText().size();
    std::string body(511999, 'a');
    EXPECT_EQ(Post(ServiceUrl("/pcapp/Any"), body)->GetResult(), 0u);
    ASSERT_TRUE(g_seen);
    EXPECT_NE(g_held[3], 240000u);
    EXPECT_EQ(CountInLog("WinHttpSetTimeouts設定", from), 0);
    body += 'a';
    EXPECT_EQ(Post(ServiceUrl("/pcapp/Any"), body)->GetResult(), 0u);
    ASSERT_TRUE(g_seen);
    EXPECT_EQ(std::vector<DWORD>(g_held + 1, g_held + 5),
              (std::vector<DWORD>{0, 60000, 240000, 240000}));
    EXPECT_EQ(CountInLog("WinHttpSetTimeouts設定 成功 [ERR:0x", from), 1);
    EXPECT_EQ(LastRecord().body.size(), 512000u);
}

// Wrappers of one thread share one abort event: destroying one that has
// finished leaves the event to the others, aborting one stops them all.
TEST_F(Engine, WrappersOfOneThreadShareTheirAbortEvent) {
    SetFault("/pcapp/Drip", "drip:60");  // six seconds of one byte per 100 ms
    CMessageSink sink;
    CWinHttpWrapper dripping;
    dripping.SetNotify(sink.Get(), WM_APP + 8);
    HANDLE b = StartPost(dripping, ServiceUrl("/pcapp/Drip"), "x=2");
    EXPECT_EQ(Post(ServiceUrl("/pcapp/Any"))->GetResult(), 0u) << "and destroyed";
    MSG msg;
    sink.Discard(WM_APP + 8);
    ASSERT_TRUE(sink.Wait(WM_APP + 8, 10000, msg)) << "still reading after that";
    ASSERT_EQ(::WaitForSingleObject(b, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "still dripping";
    CWinHttpWrapper aborting;
    ASSERT_NE(StartPost(aborting, ServiceUrl("/pcapp/Drip")), nullptr);
    const DWORD start = ::GetTickCount();
    EXPECT_TRUE(aborting.Abort(5000));
    ASSERT_EQ(::WaitForSingleObject(b, 3000), WAIT_OBJECT_0);
    EXPECT_LT(::GetTickCount() - start, 3000u);
    EXPECT_NE(aborting.GetResult(), 0u);
    EXPECT_EQ(dripping.GetResult(), static_cast<DWORD>(ERROR_REQUEST_ABORTED));
}

// A stalled worker returns when its request is closed (not under Wine) or is
// terminated after the time-out, logged; gone either way.
TEST_F(Engine, AbortOrDestroyDuringAStallEndsTheWorker) {
    SetFault("/pcapp/Stall", "stall:20");
    const std::string url = ServiceUrl("/pcapp/Stall");
    for (bool destroy : {false, true}) {
        SCOPED_TRACE(destroy ? "destroyed" : "aborted");
        const int before = RecordCount();
        auto http = std::make_unique<CWinHttpWrapper>();
        http->SetDestroyWait(1500);
        // A copy of the worker's handle, to see it end after the wrapper has gone.
        HANDLE raw = nullptr;
        ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), StartPost(*http, url),
                                      ::GetCurrentProcess(), &raw, 0, FALSE,
                                      DUPLICATE_SAME_ACCESS));
        qm::CHandle watched(raw);
        ASSERT_TRUE(WaitForRecords(before + 1, 30000)) << "the service has the request";
        const size_t from = LogText().size();
        const DWORD start = ::GetTickCount();
        const bool byItself = destroy ? (http.reset(), false) : http->Abort(1500);
        const DWORD elapsed = ::GetTickCount() - start;
        EXPECT_LT(elapsed, 10000u) << "well before the stall ends";
        EXPECT_EQ(::WaitForSingleObject(watched.Get(), 0), WAIT_OBJECT_0) << "the worker is gone";
        DWORD code = 1;
        ::GetExitCodeThread(watched.Get(), &code);
        // Terminated (exit code 0) only after the time-out, and never silently.
        const int terminated =
            CountInLog("CWinHttpWrapper::Abort - 通信スレッド強制終了 " + url, from);
        EXPECT_EQ(terminated, code == 0 ? 1 : 0);
        EXPECT_TRUE(!terminated || elapsed >= 1400u) << elapsed;
        if (destroy) continue;
        EXPECT_EQ(byItself, terminated == 0);
        EXPECT_TRUE(http->Abort(10)) << "no worker left to wait for";
    }
}

// Every certificate nobody should trust ends the request before anything is
// sent: the form with the password never reaches the service (no record,
// although the connection was made), the failure is a secure-connection
// error with its reasons logged, and the next request to the trusted service
// goes through.
TEST_F(Engine, UntrustedCertificatesGetNothing) {
    const std::string form = "nick=taro&pass=s3cret&ccid_head=00520012&deviceno=0123456789ABCDEF";
    for (const char* variant : {"selfsigned", "expired", "othername", "untrusted"}) {
        SCOPED_TRACE(variant);
        const std::string host = VariantHost(variant);
        ASSERT_FALSE(host.empty()) << "run-with-service starts the variants";
        const int connections = VariantConnections(variant);
        const size_t from = LogText().size();
        auto http = Post("https://" + host + "/pcapp/DeviceNoUserAuthenticationAPI", form);
        const DWORD error = http->GetResult();
        EXPECT_TRUE(IsSecureFailure(error)) << error;
        EXPECT_EQ(http->GetWorkerError(), error);
        EXPECT_EQ(Answer(*http), "-");
        const std::string log = LogText().substr(from);
        char record[96];
        std::snprintf(record, sizeof record, "安全な接続の確立失敗[ERR:0x%08X] %s (",
                      static_cast<unsigned>(error), host.c_str());
        EXPECT_EQ(CountInLog(record, from), 1) << log;
        EXPECT_EQ(log.find("s3cret"), std::string::npos);
        EXPECT_EQ(VariantRecords(variant), 0);
        EXPECT_GT(VariantConnections(variant), connections) << "the engine did connect";
    }
    // The stand-in's certificates name no revocation list: taken, and said.
    const int before = RecordCount();
    const size_t from = LogText().size();
    auto http = Post(ServiceUrl("/pcapp/GetLatestPcaplAPI"), "aplkind=1");
    EXPECT_EQ(http->GetResult(), 0u);
    EXPECT_EQ(Answer(*http).substr(0, 10), "RET=0&VER=");
    EXPECT_EQ(RecordCount(), before + 1);
    EXPECT_EQ(CountInLog("サーバー証明書の失効確認不可 " + Env("QM_SERVICE_HOST") + " ", from), 1);
}

// An answer written to a file replaces the file in one step: on a full disk
// (Q:, a small tmpfs) the old file stays as it was, and the next answer,
// with room again, replaces it.
TEST_F(Engine, OnAFullDiskTheOldAnswerFileStaysAndTheNextAnswerReplacesIt) {
    ULARGE_INTEGER avail{}, total{}, free{};
    if (!::GetDiskFreeSpaceExA("Q:\\", &avail, &total, &free) || total.QuadPart > 16 << 20)
        GTEST_SKIP() << "no tmpfs on Q:";
    const std::string path = "Q:\\answer.txt", filler = "Q:\\filler";
    ASSERT_TRUE(qmtest::WriteFile(path, "old answer"));
    {
        qm::CFileHandle file(::CreateFileA(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
        const std::string chunk(65536, 'x');
        DWORD put = 0;
        while (::WriteFile(file.Get(), chunk.data(), 65536, &put, nullptr) && put) {
        }
        ASSERT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    }
    const std::string url = ServiceUrl("/pcapp/Any");
    const size_t from = LogText().size();
    EXPECT_EQ(Post(url, "x=1", L"", path.c_str())->GetResult(), 0u) << "the answer itself came";
    EXPECT_EQ(CountInLog("ダウンロードデータ書込み失敗[ERR:0x00000070", from), 1);
    EXPECT_EQ(qmtest::ReadFile(path), "old answer");
    EXPECT_FALSE(qmtest::FileExists(path + ".new"));
    ASSERT_TRUE(::DeleteFileA(filler.c_str()));
    EXPECT_EQ(Post(url, "x=1", L"", path.c_str())->GetResult(), 0u);
    EXPECT_EQ(qmtest::ReadFile(path), "RET=0");
}

// One request to the trusted service from a process of its own (a process
// reads the trusted roots once); its result is the exit code.
QM_CHILD_MAIN(release_check) {
    CWinHttpWrapper http;
    HANDLE worker = StartPost(http, args.at(0), "aplkind=1");
    return worker && ::WaitForSingleObject(worker, 60000) == WAIT_OBJECT_0
               ? static_cast<int>(http.GetResult())
               : -2;
}

// It is the trusted authority that lets the service in: taken out of the
// machine's roots (trustca --remove), the same service is refused before
// anything is sent; put back, it answers again.
TEST_F(Engine, TheServiceIsTrustedThroughItsAuthorityOnly) {
    const std::string trustca = qmtest::BinFolder() + "trustca.exe";
    const std::string ca = "\"" + StateFolder() + "ca.pem\"";
    const std::string url = ServiceUrl("/pcapp/GetLatestPcaplAPI");
    ASSERT_EQ(qmtest::RunProcess(trustca, "--remove " + ca).exitCode, 0u);
    EXPECT_EQ(qmtest::RunProcess(trustca, "--remove " + ca).exitCode, 0u) << "gone is no error";
    const int before = RecordCount();
    const qmtest::ProcessResult refused = qmtest::RunChild("release_check", url);
    ASSERT_EQ(qmtest::RunProcess(trustca, ca).exitCode, 0u);
    EXPECT_TRUE(refused.finished && IsSecureFailure(refused.exitCode)) << refused.exitCode;
    EXPECT_EQ(RecordCount(), before);
    EXPECT_EQ(qmtest::RunChild("release_check", url).exitCode, 0u);
    EXPECT_EQ(RecordCount(), before + 1);
    // Bad arguments and files that hold no certificate.
    EXPECT_EQ(qmtest::RunProcess(trustca, "").exitCode, 1u);
    EXPECT_EQ(qmtest::RunProcess(trustca, "--bogus " + ca).exitCode, 1u);
    const std::string notCert = qmtest::NewFolder("trustca") + "not-a-cert.pem";
    ASSERT_TRUE(qmtest::WriteFile(notCert, "-----BEGIN CERTIFICATE-----\nnot base64\n"));
    EXPECT_EQ(qmtest::RunProcess(trustca, "\"" + notCert + "\"").exitCode, 2u);
    EXPECT_EQ(qmtest::RunProcess(trustca, "missing.pem").exitCode, 2u);
}

// Through a proxy the certificate at the tunnel's end is checked the same
// way: refused, and nothing reaches the service.
TEST_F(Engine, ThroughAProxyTheCertificateIsCheckedToo) {
    const std::string host = VariantHost("untrusted");
    CLocalProxy proxy;
    const int connections = VariantConnections("untrusted");
    const DWORD result =
        Post("https://" + host + "/pcapp/LogUploadCheckAPI", "deviceno=DEV1", proxy.address.c_str())
            ->GetResult();
    EXPECT_TRUE(IsSecureFailure(result)) << result;
    const std::vector<std::string> heads = proxy.Heads();
    ASSERT_FALSE(heads.empty());
    for (const std::string& head : heads)
        EXPECT_EQ(head.substr(0, head.find(" HTTP/")), "CONNECT " + host + ":443");
    EXPECT_GT(VariantConnections("untrusted"), connections) << "the tunnel reached the service";
    EXPECT_EQ(VariantRecords("untrusted"), 0);
}

// A copy of this program with "Connection.info" and the detail switch beside
// it: the file is found; the detail log shows the body, never the password.
QM_CHILD_MAIN(beside_exe) {
    KILNLOG.Start(args.at(0).c_str(), 1024);
    CConnectionFile& cf = CConnectionFile::Instance();
    if (!cf.HasVerificationFile()) return 3;
    CRequestParams p;
    p.SetAuthParams("taro", "s3cret pw", "0123456789ABCDEF", 0x00120034);
    return cf.CreatePostData(4, p).Ok() ? 0 : 7;
}

TEST(ConnectionInfo, FileBesideTheExecutableAndTheDetailLog) {
    const std::string folder = qmtest::NewFolder("exe-copy");
    const std::string exe = folder + "test_net.exe", log = folder + "detail.log";
    ASSERT_TRUE(::CopyFileA(GetExePath().c_str(), exe.c_str(), FALSE));
    ASSERT_TRUE(qmtest::WriteFile(folder + "Connection.info", "24,https://127.0.0.1/up\r\n"));
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
    from = LogText().size();
    EXPECT_EQ(cf.GetUrl(23), "https://pcapp.example.com/pcapp/LogUploadCheckAPI");
    EXPECT_TRUE(cf.CreatePostData(23, p).Ok());
    EXPECT_EQ(CountInLog("Connection.info", from), 0);
    cf.Reset(qmtest::NewFolder("none") + "Connection.info");
}
