#include <gtest/gtest.h>

#include <string>

#include "net/ConnectionTable.h"

TEST(Formats, ParamsVersionsAndUserAgents) {
    EXPECT_EQ(FormatParamNumber("%016I64X", 0xABCDEF01u), "00000000ABCDEF01");
    EXPECT_EQ(FormatParamNumber("%d", 0xFFFFFFFFu), "-1");
    EXPECT_EQ(FormatParamNumber("‐/%d.%06d", 5), "‐/5.000000");  // one argument only
    EXPECT_EQ(FormatParamNumber("%04d%04d%08", 3), "00030000%08");
    EXPECT_EQ(FormatParamText("%02X", "abc"), "abc");
    EXPECT_EQ(FormatParamText("100%%", "x"), "100%");
    EXPECT_EQ(MakeDottedVersion("  1, 0, 0, 12 "), "1.0.0.12");
    NaviUnitFacts f;
    f.modelCode = 21;
    f.appWord16 = 0x1234;
    f.appValue = 0xAB00FFFF;
    EXPECT_EQ(FormatUserAgent(f), "34MothV21/AB.00FFFF");
    f.modelCode = 14;
    EXPECT_EQ(FormatUserAgent(f), "") << "an unknown model";
}

TEST(RequestParams, SettersFollowTheRow) {
    CRequestParams p;
    p.SetNumber(1, 5);  // nick is a text row: nothing stored
    p.SetString(999, "x");
    EXPECT_EQ(p.Get(1) + p.Get(999), "");
    p.SetString(31, "ああああああ");  // uid: at most 10 bytes, cut between characters
    EXPECT_EQ(p.Get(31), "%E3%81%82%E3%81%82%E3%81%82%E3%81%82%E3%81%82");
    p.SetString(90, "C:\\a b\\x.zip");  // the file row is not encoded
    EXPECT_EQ(p.Get(90), "C:\\a b\\x.zip");
    p.SetCcidHead(8, 0xABCD270F);
    EXPECT_EQ(p.Get(8), "9999ABCD");
    // The grouped setters refuse missing arguments and store nothing then.
    p.Clear();
    EXPECT_FALSE(p.SetAuthParams("n", "p", "d", 0));
    EXPECT_FALSE(p.SetLogUploadParams("d", 1, nullptr));
    EXPECT_TRUE(p.Empty());
    // The Moth line's latest application: its own URL, the standard body.
    EXPECT_TRUE(p.SetAplParams(0, "1.2.3.4"));
    const CallEndpoints latest = EndpointsFor(ServiceCall::kLatestApplication, true);
    EXPECT_EQ(CConnectionTable().GetUrl(latest.url),
              "https://pcapp.example.com/pcapp/GetLatestPcaplTRKMothAPI");
    EXPECT_EQ(CConnectionTable().BuildPostData(latest.body, p).bytes,
              "aplver=1.2.3.4&apltype=0000");
}

TEST(Bodies, AuthenticationBodyIsExactAndItsLogFormHidesThePassword) {
    CConnectionTable table;
    CRequestParams p;
    ASSERT_TRUE(p.SetAuthParams("taro", "pa ss*", "0123456789ABCDEF", 0x00120034));
    const RequestBody body = table.BuildPostData(4, p);
    EXPECT_EQ(body.bytes, "nick=taro&pass=pa%20ss%2A&ccid_head=00520012&deviceno=0123456789ABCDEF");
    EXPECT_EQ(FormBodyForLog(body.bytes),
              "nick=taro&pass=****&ccid_head=00520012&deviceno=0123456789ABCDEF");
    // Whatever its length; a longer key is not it; the log form is bounded.
    EXPECT_EQ(FormBodyForLog("a=1&pass="), "a=1&pass=****");
    EXPECT_EQ(FormBodyForLog("passwd=1&bypass=2"), "passwd=1&bypass=2");
    EXPECT_EQ(FormBodyForLog(std::string(2000, 'a')).size(), 1023u);
    EXPECT_EQ(table.BuildPostData(4, p).bytes, body.bytes) << "the values are the caller's";
}

TEST(Bodies, FailuresSayWhyAndOptionalValuesAreSkipped) {
    CConnectionTable table;
    CRequestParams p;
    p.SetString(1, "taro");
    EXPECT_EQ(table.BuildPostData(4, p).error, BodyError::kMissingRequired);
    EXPECT_EQ(table.BuildPostData(12345, p).error, BodyError::kUnknownEndpoint);
    EXPECT_EQ(table.BuildPostData(13, p).error, BodyError::kEmpty) << "its one optional value";
    p.SetDeviceParams("D1", 0x00020001);
    p.SetString(60, "0A");   // type01
    p.SetString(63, "1.0");  // ver; type02 (61, optional) stays empty
    EXPECT_EQ(table.BuildPostData(17, p).bytes, "ccid_head=00010002&deviceno=D1&type01=0A&ver=1.0");
    // The portal page's URL carries its values as a query.
    ASSERT_TRUE(p.SetWebPageParams("34MothV18/1.000002", "花 子", 100));
    EXPECT_EQ(
        table.GetUrlWithQuery(3, p),
        "https://pcapp.example.com/navigation/PcAppTop.html"
        "?pcsoft-userAgent=34MothV18%2F1.000002&functionCode=100&nickname=%E8%8A%B1%20%E5%AD%90");
    EXPECT_EQ(table.GetUrlWithQuery(9999, p), "");
}

TEST(Bodies, MultipartBodyWithFilePart) {
    CConnectionTable table;
    const std::string path = "C:\\temp\\Lite_12_20130405120102.zip";
    const std::string zip("PK\x03\x04\0zz", 7);
    // A stand-in for the disk: the file above, an empty one, or failure.
    WholeFileResult ok, failure;
    failure.error = 0x20;
    const BodyFileReader disk = [&](const std::string& name, std::string& out) {
        ok.size = (out = name == path ? zip : std::string()).size();
        return name == path || name == "C:\\empty.zip" ? ok : failure;
    };
    CRequestParams p;
    ASSERT_TRUE(p.SetLogUploadParams("DEV1", 0x00010002, path.c_str()));
    EXPECT_EQ(table.BuildMultiPartData(24, p, disk).bytes,
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
    p.SetLogUploadParams("DEV1", 1, "C:\\gone.zip");
    for (const auto& c : {std::make_pair(WholeFileStatus::kOpenFailed, BodyError::kFileOpen),
                          std::make_pair(WholeFileStatus::kReadFailed, BodyError::kFileRead),
                          std::make_pair(WholeFileStatus::kTooLarge, BodyError::kNoMemory)}) {
        failure.status = c.first;
        const RequestBody failed = table.BuildMultiPartData(33, p, disk);
        EXPECT_EQ(failed.error, c.second);
        EXPECT_EQ(failed.filePath + "|" + std::to_string(failed.fileError), "C:\\gone.zip|32");
        EXPECT_TRUE(failed.bytes.empty());
    }
    p.SetLogUploadParams("DEV1", 1, "C:\\empty.zip");
    EXPECT_EQ(table.BuildMultiPartData(24, p, disk).error, BodyError::kMissingRequired);
}

TEST(Overrides, ReplaceUrlsOnlyLineByLine) {
    CConnectionTable table;
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
    EXPECT_EQ(table.GetUrl(5), "https://pcapp.example.com/pcapp/GetLatestPcaplAPI")
        << "read stops at an empty line";
    // The query form builds on the replaced URL, which already has a '?'.
    CRequestParams p;
    p.SetDeviceParams("D", 1);
    EXPECT_EQ(table.GetUrlWithQuery(24, p),
              "https://127.0.0.1:8443/up?a=1,b=2ccid_head=00010000&deviceno=D&file=");
    // An overlong line is skipped; an unterminated last one counts.
    table.ApplyOverrides("4," + std::string(1030, 'a') + "\r\n23,https://tail.example.com/");
    EXPECT_EQ(table.GetUrl(4), "https://127.0.0.1:8443/auth");
    EXPECT_EQ(table.GetUrl(23), "https://tail.example.com/");
}
