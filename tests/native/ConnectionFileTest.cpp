#include <gtest/gtest.h>

#include <string>

#include "net/ConnectionTable.h"

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
    // The grouped setters refuse missing arguments and store nothing then.
    p.Clear();
    EXPECT_FALSE(p.SetAuthParams("n", "p", "d", 0));
    EXPECT_FALSE(p.SetAuthParams(nullptr, "p", "d", 1));
    EXPECT_FALSE(p.SetDeviceParams("d", 0));
    EXPECT_FALSE(p.SetLogUploadParams("d", 1, nullptr));
    EXPECT_FALSE(p.SetWebPageParams("ua", "n", 0));
    EXPECT_TRUE(p.Empty());
    EXPECT_TRUE(p.SetAplParams(0, "1.2.3.4"));
    EXPECT_EQ(p.Get(10), "1.2.3.4");
    EXPECT_EQ(p.Get(11), "0000");
    // The Moth line asks for the latest application at its own URL with the
    // standard body: its own endpoint lists no parameters.
    const CallEndpoints latest = EndpointsFor(ServiceCall::kLatestApplication, true);
    EXPECT_EQ(CConnectionTable().GetUrl(latest.url),
              "https://pcapp.example.com/pcapp/GetLatestPcaplTRKMothAPI");
    EXPECT_EQ(CConnectionTable().BuildPostData(latest.body, p).bytes,
              "aplver=1.2.3.4&apltype=0000");
    // A version resource's text, dotted.
    EXPECT_EQ(MakeDottedVersion("1, 2, 3, 4"), "1.2.3.4");
    EXPECT_EQ(MakeDottedVersion("  1, 0, 0, 12 "), "1.0.0.12");
    EXPECT_EQ(MakeDottedVersion("1.2.3.4"), "1.2.3.4");
    EXPECT_EQ(MakeDottedVersion("   "), "");
}

TEST(Bodies, AuthenticationBodyIsExactAndItsLogFormHidesThePassword) {
    CConnectionTable table;
    CRequestParams p;
    ASSERT_TRUE(p.SetAuthParams("taro", "pa ss*", "0123456789ABCDEF", 0x00120034));
    const RequestBody body = table.BuildPostData(4, p);
    ASSERT_TRUE(body.Ok());
    EXPECT_EQ(body.bytes, "nick=taro&pass=pa%20ss%2A&ccid_head=00520012&deviceno=0123456789ABCDEF");
    EXPECT_EQ(FormBodyForLog(body.bytes),
              "nick=taro&pass=****&ccid_head=00520012&deviceno=0123456789ABCDEF");
    // Whatever its length, at the start or the end; a longer key is not it.
    EXPECT_EQ(FormBodyForLog("pass=x"), "pass=****");
    EXPECT_EQ(FormBodyForLog("a=1&pass="), "a=1&pass=****");
    EXPECT_EQ(FormBodyForLog("passwd=1&bypass=2"), "passwd=1&bypass=2");
    EXPECT_EQ(FormBodyForLog(std::string(2000, 'a')).size(), 1023u);
    // The values are the caller's: building again gives the same body.
    EXPECT_EQ(table.BuildPostData(4, p).bytes, body.bytes);
}

TEST(Bodies, FailuresSayWhyAndOptionalValuesAreSkipped) {
    CConnectionTable table;
    CRequestParams p;
    p.SetString(1, "taro");
    EXPECT_EQ(table.BuildPostData(4, p).error, BodyError::kMissingRequired);
    EXPECT_EQ(table.BuildPostData(12345, p).error, BodyError::kUnknownEndpoint);
    // An endpoint whose only parameter is optional and empty builds nothing.
    const RequestBody empty = table.BuildPostData(13, p);
    EXPECT_EQ(empty.error, BodyError::kEmpty);
    EXPECT_TRUE(empty.bytes.empty());
    // Optional parameters without a value are skipped.
    p.SetDeviceParams("D1", 0x00020001);
    p.SetString(60, "0A");   // type01
    p.SetString(63, "1.0");  // ver; type02 (61, optional) stays empty
    EXPECT_EQ(table.BuildPostData(17, p).bytes, "ccid_head=00010002&deviceno=D1&type01=0A&ver=1.0");
    p.SetString(61, "B");
    EXPECT_EQ(table.BuildPostData(17, p).bytes,
              "ccid_head=00010002&deviceno=D1&type01=0A&type02=B&ver=1.0");
}

TEST(Bodies, UrlWithQueryForThePortalPage) {
    CConnectionTable table;
    CRequestParams p;
    ASSERT_TRUE(p.SetWebPageParams("34MothV18/1.000002", "", 100));
    const std::string url = table.GetUrlWithQuery(3, p);
    EXPECT_EQ(url,
              "https://pcapp.example.com/navigation/PcAppTop.html"
              "?pcsoft-userAgent=34MothV18%2F1.000002&functionCode=100&nickname=");
    p.SetString(202, "花 子");
    EXPECT_EQ(table.GetUrlWithQuery(0, p).substr(url.size()), "%E8%8A%B1%20%E5%AD%90");
    EXPECT_EQ(table.GetUrlWithQuery(9999, p), "");
    EXPECT_EQ(table.GetUrl(9999), "");
}

TEST(Bodies, MultipartBodyWithFilePart) {
    CConnectionTable table;
    const std::string path = "C:\\temp\\Lite_12_20130405120102.zip";
    const std::string zip("PK\x03\x04\0zz", 7);
    // A stand-in for the disk: the file above, an empty one, or failure.
    WholeFileResult failure;
    const BodyFileReader disk = [&](const std::string& name, std::string& out) {
        out = name == path ? zip : std::string();
        WholeFileResult ok;
        ok.size = out.size();
        return name == path || name == "C:\\empty.zip" ? ok : failure;
    };
    CRequestParams p;
    ASSERT_TRUE(p.SetLogUploadParams("DEV1", 0x00010002, path.c_str()));
    const RequestBody body = table.BuildMultiPartData(24, p, disk);
    ASSERT_TRUE(body.Ok());
    EXPECT_EQ(body.bytes,
              "--WickerdaleBoundary\r\n"
              "Content-Disposition: form-data; name=\"ccid_head\"\r\n\r\n00020001\r\n"
              "--WickerdaleBoundary\r\n"
              "Content-Disposition: form-data; name=\"deviceno\"\r\n\r\nDEV1\r\n"
              "--WickerdaleBoundary\r\n"
              "Content-Disposition: form-data; name=\"file\"; "
              "filename=\"Lite_12_20130405120102.zip\"\r\n"
              "Content-Type: application/octet-stream\r\n\r\n" +
                  zip + "\r\n--WickerdaleBoundary--");

    // The reader's failures, with the path and the system's error; an empty
    // file counts as no value.
    const struct {
        WholeFileStatus status;
        BodyError error;
    } cases[] = {{WholeFileStatus::kMissing, BodyError::kFileOpen},
                 {WholeFileStatus::kOpenFailed, BodyError::kFileOpen},
                 {WholeFileStatus::kReadFailed, BodyError::kFileRead},
                 {WholeFileStatus::kTooLarge, BodyError::kNoMemory}};
    p.SetLogUploadParams("DEV1", 1, "C:\\gone.zip");
    for (const auto& c : cases) {
        failure.status = c.status;
        failure.error = 0x20;
        const RequestBody failed = table.BuildMultiPartData(33, p, disk);
        EXPECT_EQ(failed.error, c.error);
        EXPECT_EQ(failed.filePath, "C:\\gone.zip");
        EXPECT_EQ(failed.fileError, 0x20u);
        EXPECT_TRUE(failed.bytes.empty());
    }
    p.SetLogUploadParams("DEV1", 1, "C:\\empty.zip");
    EXPECT_EQ(table.BuildMultiPartData(24, p, disk).error, BodyError::kMissingRequired);
}

TEST(Overrides, ReplaceUrlsOnlyLineByLine) {
    CConnectionTable table;
    EXPECT_EQ(table.GetUrl(4), "https://pcapp.example.com/pcapp/DeviceNoUserAuthenticationAPI");
    const std::vector<int> bad = table.ApplyOverrides(
        "4,https://127.0.0.1:8443/auth\r\n"
        "99,https://nowhere.example.com/\r\n"
        "24,\"https://127.0.0.1:8443/up?a=1,b=2\",ignored\r\n"
        "x\r\n"
        "\r\n"
        "5,https://after-empty-line.example.com/\r\n");
    // "x" reads as id 0, which has no URL field.
    EXPECT_EQ(bad, (std::vector<int>{99, 0}));
    EXPECT_EQ(table.GetUrl(4), "https://127.0.0.1:8443/auth");
    EXPECT_EQ(table.GetUrl(24), "https://127.0.0.1:8443/up?a=1,b=2");
    EXPECT_EQ(table.GetUrl(5), "https://pcapp.example.com/pcapp/GetLatestPcaplAPI")
        << "read stops at an empty line";
    EXPECT_EQ(table.Find(4)->paramIds, (std::vector<uint32_t>{1, 2, 8, 3}));
    EXPECT_EQ(table.Find(24)->paramIds, (std::vector<uint32_t>{8, 3, 90}));
    // The query form builds on the replaced URL, which already has a '?'.
    CRequestParams p;
    p.SetDeviceParams("D", 1);
    EXPECT_EQ(table.GetUrlWithQuery(24, p),
              "https://127.0.0.1:8443/up?a=1,b=2ccid_head=00010000&deviceno=D&file=");
    // An overlong line is skipped; an unterminated last one counts.
    table.ApplyOverrides("4," + std::string(1030, 'a') +
                         "\r\n5,https://five.example.com/\n23,https://tail.example.com/");
    EXPECT_EQ(table.GetUrl(4), "https://127.0.0.1:8443/auth");
    EXPECT_EQ(table.GetUrl(5), "https://five.example.com/");
    EXPECT_EQ(table.GetUrl(23), "https://tail.example.com/");
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
    for (uint8_t unknown : {0, 14, 16, 19, 20, 22}) {
        f.modelCode = unknown;
        EXPECT_EQ(FormatUserAgent(f), "") << int(unknown);
    }
}
