#include <gtest/gtest.h>

#include <cstring>

#include "datafiles/ByteOrder.h"
#include "datafiles/CrcCalc.h"
#include "datafiles/PcLinkFormat.h"
#include "datafiles/PcLinkKey.h"

namespace {

CPcLinkContent SampleContent() {
    CPcLinkContent c;
    c.SetFormatVersion(0x02000100);
    c.SetDataHeaderMarker();
    c.SetDeviceNo("DEV0123456789ABC");  // exactly 16: no terminator
    c.SetPairingValue(0x11223344);
    c.SetNaviId(0x0012ABCD);
    c.SetModelCode(0x15);
    c.AppendRecord(MakePcLinkRecord(kRecordNaviApplication, 0x01020304, 0x0007, 1, ""));
    c.AppendRecord(MakePcLinkRecord(kRecordMapData, 0x05123456, 0, 2, ""));
    c.AppendRecord(MakePcLinkRecord(kRecordSearchData, 0x03000010, 0, 5, "東京電話番号"));
    c.AppendRecord(MakePcLinkRecord(kRecordSearchData, 0x03000020, 0, 6, "大阪住所"));
    return c;
}

}  // namespace

TEST(PcLinkFormat, VersionTexts) {
    EXPECT_EQ(FormatVersion6(0x01020304), "1.020304");
    EXPECT_EQ(FormatVersion2(0), "-");
    EXPECT_EQ(FormatVersion3(0xAB00F123), "AB.00F");
}

TEST(PcLinkFormat, RoundTripThroughImage) {
    CDes des = MakePcLinkCipher();
    CPcLinkContent c = SampleContent();
    std::vector<uint8_t> image = c.BuildImage(des, 0xA1B2C3D4, 0x01020304);
    ASSERT_EQ(image.size(), 32u + 64u + 4u * 168u);
    // Where the IV goes is pinned by the golden file; the Windows card tests
    // rely on this line for the header checksum.
    EXPECT_EQ(GetLe16(image.data() + 28), CCrcCalc::Calc(image.data(), 28));
    // The data header is not in plain form on disk.
    EXPECT_EQ(std::memcmp(image.data() + 32, "DECRYPT", 7) == 0, false);

    CPcLinkContent back;
    size_t bad = 99;
    ASSERT_EQ(ParsePcLinkImage(image.data(), image.size(), des, back, &bad), PcLinkParse::kOk);
    EXPECT_EQ(bad, 0u);
    ASSERT_EQ(back.Records(), c.Records());
    EXPECT_EQ(back.GetRecordWord16(kRecordNaviApplication), 7);
    EXPECT_EQ(back.GetRecordWord18(kRecordMapData), 2);
    EXPECT_EQ(back.GetRecordWord18(kRecordBluetoothFirmware), -1) << "no such record";
}

TEST(PcLinkFormat, EachPartChainsFromTheIv) {
    CDes des = MakePcLinkCipher();
    CPcLinkContent c = SampleContent();
    std::vector<uint8_t> a = c.BuildImage(des, 1, 2);
    std::vector<uint8_t> b = c.BuildImage(des, 3, 2);
    ASSERT_EQ(a.size(), b.size());
    // Each enciphered part differs from its first block on.
    EXPECT_NE(std::memcmp(a.data() + 32, b.data() + 32, 8), 0);
    EXPECT_NE(std::memcmp(a.data() + 96, b.data() + 96, 8), 0);
    // Records are enciphered separately: equal records give equal bytes.
    CPcLinkContent twice;
    twice.SetDataHeaderMarker();
    auto r = MakePcLinkRecord(kRecordMapData, 5, 0, 0, "");
    twice.AppendRecord(r);
    twice.AppendRecord(r);
    std::vector<uint8_t> img = twice.BuildImage(des, 7, 8);
    EXPECT_EQ(std::memcmp(img.data() + 96, img.data() + 96 + 168, 168), 0);
}

TEST(PcLinkFormat, DamagedImages) {
    CDes des = MakePcLinkCipher();
    CPcLinkContent c = SampleContent();
    std::vector<uint8_t> img = c.BuildImage(des, 1, 2);
    CPcLinkContent out;
    EXPECT_EQ(ParsePcLinkImage(img.data(), 31, des, out), PcLinkParse::kShortFileHeader);
    EXPECT_EQ(ParsePcLinkImage(img.data(), 95, des, out), PcLinkParse::kShortDataHeader);
    // Only the two headers: loads with no records.
    EXPECT_EQ(ParsePcLinkImage(img.data(), 96, des, out), PcLinkParse::kOk);
    // A short last record.
    EXPECT_EQ(ParsePcLinkImage(img.data(), img.size() - 1, des, out), PcLinkParse::kShortRecord);
    EXPECT_EQ(out.Records().size(), 3u);
    // A bad data header rejects the file.
    std::vector<uint8_t> badHeader = img;
    badHeader[32] ^= 0x01;
    EXPECT_EQ(ParsePcLinkImage(badHeader.data(), badHeader.size(), des, out),
              PcLinkParse::kBadDataHeader);
    // A changed IV garbles the first block of every part.
    std::vector<uint8_t> badIv = img;
    badIv[12] ^= 0x80;
    EXPECT_EQ(ParsePcLinkImage(badIv.data(), badIv.size(), des, out), PcLinkParse::kBadDataHeader);
    // A record that does not decipher is kept and counted.
    std::vector<uint8_t> badRecord = img;
    badRecord[96 + 168 + 3] ^= 0xFF;
    size_t bad = 0;
    EXPECT_EQ(ParsePcLinkImage(badRecord.data(), badRecord.size(), des, out, &bad),
              PcLinkParse::kOk);
    EXPECT_EQ(bad, 1u);
    EXPECT_EQ(out.Records().size(), 4u);
}

TEST(PcLinkFormat, HeaderFieldLimits) {
    CPcLinkContent c;
    c.SetFormatVersion(0x01FFFFFF);
    EXPECT_EQ(c.GetFormatGeneration(), 1);
    c.SetFormatVersion(0x02000000);
    EXPECT_EQ(c.GetFormatGeneration(), 2);
    c.SetDeviceNo("12345678901234567890");
    EXPECT_EQ(c.GetDeviceNo(), "1234567890123456");
}
