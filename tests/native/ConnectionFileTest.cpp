#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>

#include "common/KilnLog.h"
#include "common/LogCapture.h"
#include "net/ConnectionFile.h"

using qm::test::CapturedLogs;

namespace {

std::string TempPath(const char* name) {
    static std::string dir;
    if (dir.empty()) {
        char tmpl[] = "/tmp/qm-conn-XXXXXX";
        dir = mkdtemp(tmpl);
    }
    return dir + "/" + name;
}

void WriteText(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << bytes;
}

std::string Body(const std::unique_ptr<char[]>& p, uint32_t size) {
    return p ? std::string(p.get(), size) : std::string("<null>");
}

bool Logged(const std::string& text, size_t from) {
    for (size_t i = from; i < CapturedLogs().size(); ++i)
        if (CapturedLogs()[i].text == text) return true;
    return false;
}

// Every test starts from the compiled-in table and no file.
class ConnectionFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        CConnectionFile::Instance().Reset(TempPath("none.info"));
        std::remove(TempPath("none.info").c_str());
    }
    void TearDown() override { CConnectionFile::Instance().Reset(TempPath("none.info")); }
    CConnectionFile& cf = CConnectionFile::Instance();
};

}  // namespace

// The rows themselves are pinned by the exact bodies and URLs below; what
// those cannot show is an id that two endpoint rows share (one would never
// be found) or a lookup that finds an unknown id.
TEST(ConnectionTables, IdsAreUniqueAndUnknownOnesAreNotFound) {
    std::set<uint32_t> ids;
    for (const auto& e : ConnectionEndpointTable()) EXPECT_TRUE(ids.insert(e.id).second) << e.id;
    EXPECT_EQ(FindParamDef(999), nullptr);
}

TEST(ParamFormat, TableFormatsWithOneArgument) {
    EXPECT_EQ(FormatParamNumber("%08X", 0x1A2B), "00001A2B");
    EXPECT_EQ(FormatParamNumber("%016I64X", 0xABCDEF01u), "00000000ABCDEF01");
    EXPECT_EQ(FormatParamNumber("%04d", 7), "0007");
    EXPECT_EQ(FormatParamNumber("%d", 0xFFFFFFFFu), "-1");
    EXPECT_EQ(FormatParamNumber("%04d年度版", 2013), "2013年度版");
    // The second conversion has no argument of its own.
    EXPECT_EQ(FormatParamNumber("‐/%d.%06d", 5), "‐/5.000000");
    EXPECT_EQ(FormatParamNumber("%04d%04d%08", 3), "00030000%08");
    EXPECT_EQ(FormatParamNumber("%s", 42), "42");
    EXPECT_EQ(FormatParamText("%s", "abc"), "abc");
    EXPECT_EQ(FormatParamText("%02X", "abc"), "abc");
    EXPECT_EQ(FormatParamText("100%%", "x"), "100%");
}

TEST(RequestParams, SettersFollowTheRow) {
    CRequestParams p;
    p.SetNumber(1, 5);  // nick is a text row: nothing stored
    EXPECT_EQ(p.Get(1), "");
    p.SetNumber(11, 3);
    EXPECT_EQ(p.Get(11), "0003");
    p.SetNumber(999, 3);
    p.SetString(999, "x");
    EXPECT_EQ(p.Get(999), "");
    p.SetString(31, "abcdefghijklmnop");  // uid: at most 10 characters
    EXPECT_EQ(p.Get(31), "abcdefghij");
    p.SetString(31, "ああああああ");  // 12 bytes; cut between characters
    EXPECT_EQ(p.Get(31), "%E3%81%82%E3%81%82%E3%81%82%E3%81%82%E3%81%82");
    p.SetString(3, "00ab CD");  // encoded, not formatted (no limit)
    EXPECT_EQ(p.Get(3), "00ab%20CD");
    p.SetString(90, "C:\\a b\\x.zip");  // not encoded
    EXPECT_EQ(p.Get(90), "C:\\a b\\x.zip");
    p.SetCcidHead(8, 0x00120034);
    EXPECT_EQ(p.Get(8), "00520012");
    p.SetCcidHead(8, 0xABCD270F);
    EXPECT_EQ(p.Get(8), "9999ABCD");
}

TEST(RequestParams, GroupedSettersRefuseMissingArguments) {
    CRequestParams p;
    EXPECT_FALSE(p.SetAuthParams("n", "p", "d", 0));
    EXPECT_FALSE(p.SetAuthParams(nullptr, "p", "d", 1));
    EXPECT_FALSE(p.SetDeviceParams("d", 0));
    EXPECT_FALSE(p.SetLogUploadParams("d", 1, nullptr));
    EXPECT_FALSE(p.SetWebPageParams("ua", "n", 0));
    EXPECT_TRUE(p.Empty());
    EXPECT_TRUE(p.SetAplParams(0));
    EXPECT_EQ(p.Get(10), "0.0.0.0");
    EXPECT_EQ(p.Get(11), "0000");
}

TEST(RequestParams, DottedVersion) {
    EXPECT_EQ(MakeDottedVersion("1, 2, 3, 4"), "1.2.3.4");
    EXPECT_EQ(MakeDottedVersion("  1, 0, 0, 12 "), "1.0.0.12");
    EXPECT_EQ(MakeDottedVersion("1.2.3.4"), "1.2.3.4");
    EXPECT_EQ(MakeDottedVersion("   "), "");
}

TEST_F(ConnectionFileTest, AuthenticationBodyIsExact) {
    CRequestParams p;
    ASSERT_TRUE(p.SetAuthParams("taro", "pa ss*", "0123456789ABCDEF", 0x00120034));
    cf.SetParams(p);
    uint32_t size = 0;
    auto body = cf.CreatePostData(4, size);
    EXPECT_EQ(Body(body, size),
              "nick=taro&pass=pa%20ss%2A&ccid_head=00520012&deviceno=0123456789ABCDEF");
    EXPECT_EQ(size, 70u);
    EXPECT_TRUE(cf.Params().Empty()) << "building uses the values up";
    auto again = cf.CreatePostData(4, size);
    EXPECT_EQ(again, nullptr);
}

TEST_F(ConnectionFileTest, RequiredValueMissingFailsTheBody) {
    CRequestParams p;
    p.SetString(1, "taro");
    cf.SetParams(p);
    size_t before = CapturedLogs().size();
    uint32_t size = 77;
    EXPECT_EQ(cf.CreatePostData(4, size), nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_TRUE(Logged("送信データ作成失敗:必須データなし", before));
    EXPECT_EQ(cf.CreatePostData(12345, size), nullptr);
    EXPECT_TRUE(Logged("送信データ作成失敗:該当リストなし", before));
    // An endpoint whose only parameter is optional and empty builds nothing.
    EXPECT_EQ(cf.CreatePostData(13, size), nullptr);
    EXPECT_TRUE(Logged("送信データ作成失敗", before));
}

TEST_F(ConnectionFileTest, OptionalParametersAreSkipped) {
    CRequestParams p;
    p.SetDeviceParams("D1", 0x00020001);
    p.SetString(60, "0A");   // type01
    p.SetString(63, "1.0");  // ver; type02 (61, optional) stays empty
    cf.SetParams(p);
    uint32_t size = 0;
    auto body = cf.CreatePostData(17, size);
    EXPECT_EQ(Body(body, size), "ccid_head=00010002&deviceno=D1&type01=0A&ver=1.0");
    ASSERT_FALSE(CapturedLogs().empty());
    EXPECT_EQ(CapturedLogs().back().kind, LOG_DETAIL);
    EXPECT_EQ(CapturedLogs().back().text,
              "送信データ(48byte)：ccid_head=00010002&deviceno=D1&type01=0A&ver=1.0");
    // The optional row is sent once it has a value.
    p.SetString(61, "B");
    cf.SetParams(p);
    body = cf.CreatePostData(17, size);
    EXPECT_EQ(Body(body, size), "ccid_head=00010002&deviceno=D1&type01=0A&type02=B&ver=1.0");
}

TEST_F(ConnectionFileTest, UrlWithQueryForThePortalPage) {
    CRequestParams p;
    ASSERT_TRUE(p.SetWebPageParams("34MothV18/1.000002", "", 100));
    std::string url = cf.GetUrlWithQuery(3, &p);
    EXPECT_EQ(url,
              "https://pcapp.example.com/navigation/PcAppTop.html"
              "?pcsoft-userAgent=34MothV18%2F1.000002&functionCode=100&nickname=");
    // The values stay for another query.
    EXPECT_EQ(cf.GetUrlWithQuery(41, nullptr), url);
    p.SetString(202, "花 子");
    EXPECT_EQ(cf.GetUrlWithQuery(0, &p).substr(url.size()), "%E8%8A%B1%20%E5%AD%90");
    EXPECT_EQ(cf.GetUrlWithQuery(9999, &p), "");
    EXPECT_EQ(cf.GetUrl(9999), "");
}

TEST_F(ConnectionFileTest, MultipartBodyWithFilePart) {
    const std::string file = TempPath("Lite_12_20130405120102.zip");
    WriteText(file, std::string("PK\x03\x04\0zz", 7));
    CRequestParams p;
    ASSERT_TRUE(p.SetLogUploadParams("DEV1", 0x00010002, file.c_str()));
    cf.SetParams(p);
    uint32_t size = 0;
    auto body = cf.CreateMultiPartData(24, size);
    const std::string expected =
        "--WickerdaleBoundary\r\n"
        "Content-Disposition: form-data; name=\"ccid_head\"\r\n\r\n00020001\r\n"
        "--WickerdaleBoundary\r\n"
        "Content-Disposition: form-data; name=\"deviceno\"\r\n\r\nDEV1\r\n"
        "--WickerdaleBoundary\r\n"
        "Content-Disposition: form-data; name=\"file\"; filename=\"Lite_12_20130405120102.zip\"\r\n"
        "Content-Type: application/octet-stream\r\n\r\n" +
        std::string("PK\x03\x04\0zz", 7) + "\r\n--WickerdaleBoundary--";
    EXPECT_EQ(Body(body, size), expected);
    EXPECT_EQ(CapturedLogs().back().text,
              "送信データ(" + std::to_string(expected.size()) + "byte)");

    // A missing file fails with its path; an empty one counts as no value.
    size_t before = CapturedLogs().size();
    p.SetLogUploadParams("DEV1", 1, TempPath("missing.zip").c_str());
    cf.SetParams(p);
    EXPECT_EQ(cf.CreateMultiPartData(33, size), nullptr);
    EXPECT_TRUE(
        Logged("送信データ作成失敗:ファイルオープン失敗 PATH:" + TempPath("missing.zip"), before));
    WriteText(TempPath("empty.zip"), "");
    p.SetLogUploadParams("DEV1", 1, TempPath("empty.zip").c_str());
    cf.SetParams(p);
    EXPECT_EQ(cf.CreateMultiPartData(24, size), nullptr);
    EXPECT_TRUE(Logged("送信データ作成失敗:必須データなし", before));
}

TEST_F(ConnectionFileTest, NoFileMeansCompiledInUrlsAndNoLog) {
    size_t before = CapturedLogs().size();
    EXPECT_EQ(cf.GetUrl(4), "https://pcapp.example.com/pcapp/DeviceNoUserAuthenticationAPI");
    EXPECT_EQ(cf.GetUrl(11), "http://map-b.example.com/wlink/");
    EXPECT_FALSE(cf.HasVerificationFile());
    EXPECT_EQ(CapturedLogs().size(), before);
}

TEST_F(ConnectionFileTest, OverridesReplaceUrlsOnly) {
    const std::string info = TempPath("Connection.info");
    WriteText(info,
              "4,https://127.0.0.1:8443/auth\r\n"
              "99,https://nowhere.example.com/\r\n"
              "24,\"https://127.0.0.1:8443/up?a=1,b=2\",ignored\r\n"
              "x\r\n"
              "\r\n"
              "5,https://after-empty-line.example.com/\r\n");
    cf.Reset(info);
    size_t before = CapturedLogs().size();
    EXPECT_EQ(cf.GetUrl(4), "https://127.0.0.1:8443/auth");
    EXPECT_EQ(cf.GetUrl(24), "https://127.0.0.1:8443/up?a=1,b=2");
    EXPECT_EQ(cf.GetUrl(5), "https://pcapp.example.com/pcapp/GetLatestPcaplAPI")
        << "read stops at an empty line";
    EXPECT_TRUE(Logged("接続ファイル不正 ID:99", before));
    EXPECT_TRUE(
        Logged("接続ファイル不正 ID:0", before));  // "x" reads as id 0, which has no URL field
    const ConnectionEntry* e = cf.FindEntry(4);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->paramIds, (std::vector<uint32_t>{1, 2, 8, 3}));
    EXPECT_EQ(cf.FindEntry(24)->paramIds, (std::vector<uint32_t>{8, 3, 90}));
    EXPECT_TRUE(cf.HasVerificationFile());
    EXPECT_TRUE(Logged("検証用接続情報あり", before));

    // The query form builds on the replaced URL, which already has a '?'.
    CRequestParams p;
    p.SetDeviceParams("D", 1);
    cf.SetParams(p);
    EXPECT_EQ(cf.GetUrlWithQuery(24, nullptr),
              "https://127.0.0.1:8443/up?a=1,b=2ccid_head=00010000&deviceno=D&file=");
}

TEST_F(ConnectionFileTest, LongLinesAreSkipped) {
    const std::string info = TempPath("long.info");
    std::string longUrl(1030, 'a');
    WriteText(info,
              "4," + longUrl + "\r\n5,https://five.example.com/\n23,https://tail.example.com/");
    cf.Reset(info);
    EXPECT_EQ(cf.GetUrl(4), "https://pcapp.example.com/pcapp/DeviceNoUserAuthenticationAPI");
    EXPECT_EQ(cf.GetUrl(5), "https://five.example.com/");
    EXPECT_EQ(cf.GetUrl(23), "https://tail.example.com/") << "an unterminated last line counts";
}

TEST(UserAgent, Format) {
    NaviUnitFacts f;
    f.modelCode = 18;
    f.appWord16 = 0x1234;
    f.appValue = 0x01000002;
    EXPECT_EQ(FormatUserAgent(f), "34MothV18/1.000002");
    f.modelCode = 21;
    f.appValue = 0xAB00FFFF;
    EXPECT_EQ(FormatUserAgent(f), "34MothV21/AB.00FFFF");
    f.modelCode = 1;
    EXPECT_EQ(FormatUserAgent(f).substr(2, 13), "HopperLiteV1/");
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
    size_t before = CapturedLogs().size();
    EXPECT_EQ(GetUserAgent('E'), "");
    EXPECT_TRUE(Logged("UserAgent生成時のモデル不正 14", before));
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

TEST(LauncherEndpoints, MothLineHasItsOwn) {
    auto eq = [](CallEndpoints e, uint32_t url, uint32_t body) {
        return e.url == url && e.body == body;
    };
    EXPECT_TRUE(eq(EndpointsFor(ServiceCall::kAuthentication, false), 4, 4));
    EXPECT_TRUE(eq(EndpointsFor(ServiceCall::kAuthentication, true), 31, 31));
    EXPECT_TRUE(eq(EndpointsFor(ServiceCall::kLatestApplication, false), 5, 5));
    EXPECT_TRUE(eq(EndpointsFor(ServiceCall::kLatestApplication, true), 34, 5));
    EXPECT_TRUE(eq(EndpointsFor(ServiceCall::kLogUploadPermission, false), 23, 23));
    EXPECT_TRUE(eq(EndpointsFor(ServiceCall::kLogUploadPermission, true), 32, 32));
    EXPECT_TRUE(eq(EndpointsFor(ServiceCall::kLogUpload, false), 24, 24));
    EXPECT_TRUE(eq(EndpointsFor(ServiceCall::kLogUpload, true), 33, 24));
}

TEST_F(ConnectionFileTest, UnreadableFileFailsTheFirstUseOnly) {
    // A folder named like the file opens but cannot be read.
    const std::string info = TempPath("folder.info");
    ASSERT_EQ(mkdir(info.c_str(), 0700), 0);
    cf.Reset(info);
    size_t before = CapturedLogs().size();
    uint32_t size = 0;
    CRequestParams p;
    p.SetDeviceParams("D", 1);
    cf.SetParams(p);
    EXPECT_EQ(cf.CreatePostData(23, size), nullptr);
    EXPECT_TRUE(Logged("送信データ作成失敗:Connection.info読取失敗", before));
    bool readLogged = false;
    for (size_t i = before; i < CapturedLogs().size(); ++i)
        readLogged |=
            CapturedLogs()[i].text.rfind("Connection.infoファイル読み込み失敗(ERR:0x", 0) == 0;
    EXPECT_TRUE(readLogged);
    // From then on the compiled-in table answers, without reading again.
    before = CapturedLogs().size();
    EXPECT_EQ(cf.GetUrl(23), "https://pcapp.example.com/pcapp/LogUploadCheckAPI");
    EXPECT_EQ(CapturedLogs().size(), before);
    rmdir(info.c_str());
}
