// The PC-link file's codec. Its exact bytes are pinned by a golden file: they were checked when it
// was made by deciphering them with an independent DES (openssl des-cbc with the derived key and
// the IV at offset 12) and recomputing the checksums. Reading it must give the field dump below;
// writing the same content with the same IV must give the same bytes.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "datafiles/PcLinkFormat.h"
#include "datafiles/PcLinkKey.h"

namespace {

std::vector<uint8_t> ReadFixture(const char* name) {
    std::ifstream in(std::string(QM_SOURCE_DIR) + "/tests/fixtures/cards/" + name,
                     std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

CPcLinkContent GoldenContent() {
    CPcLinkContent c;
    c.SetFormatVersion(0x02000100);
    c.SetDataHeaderMarker();
    c.SetDeviceNo("GOLDEN0000000001");  // exactly 16: no terminator
    c.SetPairingValue(0x11223344);
    c.SetNaviId(0x0012ABCD);
    c.SetModelCode(0x15);
    c.AppendRecord(MakePcLinkRecord(kRecordNaviApplication, 0x01002000, 0x0007, 1, ""));
    c.AppendRecord(MakePcLinkRecord(kRecordSearchData, 0x05000001, 0, 4, "ZENKOKU"));
    return c;
}

const char kGoldenDump[] =
    "format-version: 02000100\n"
    "generation: 2\n"
    "iv: 01020304 A1B2C3D4\n"
    "header-crc: 0F17\n"
    "device: GOLDEN0000000001\n"
    "navi-id: 0012ABCD\n"
    "pairing: 11223344\n"
    "model: 15\n"
    "record-count: 2\n"
    "data-header-crc: 53F6\n"
    "record: 10000001 01002000 0007 0001 A31B \n"
    "record: 30010002 05000001 0000 0004 1A7A ZENKOKU\n";

}  // namespace

TEST(PcLinkFormat, VersionTexts) {
    EXPECT_EQ(FormatVersion6(0x01020304), "1.020304");
    EXPECT_EQ(FormatVersion2(0), "-");
    EXPECT_EQ(FormatVersion3(0xAB00F123), "AB.00F");
}

TEST(PcLinkFormat, TheGoldenFileBothWays) {
    const std::vector<uint8_t> image = ReadFixture("golden-pclink.dat");
    ASSERT_EQ(image.size(), 32u + 64u + 2u * 168u);
    EXPECT_EQ(GoldenContent().BuildImage(MakePcLinkCipher(), 0xA1B2C3D4, 0x01020304), image);
    CPcLinkContent c;
    size_t bad = 99;
    ASSERT_EQ(ParsePcLinkImage(image.data(), image.size(), MakePcLinkCipher(), c, &bad),
              PcLinkParse::kOk);
    EXPECT_EQ(bad, 0u);
    EXPECT_EQ(DumpPcLinkContent(c), kGoldenDump);
    EXPECT_EQ(c.GetRecordWord16(kRecordNaviApplication), 7);
    EXPECT_EQ(c.GetRecordWord18(kRecordSearchData), 4);
    EXPECT_EQ(c.GetRecordWord18(kRecordBluetoothFirmware), -1) << "no such record";
}

TEST(PcLinkFormat, DamagedImages) {
    CDes des = MakePcLinkCipher();
    std::vector<uint8_t> img = GoldenContent().BuildImage(des, 1, 2);
    CPcLinkContent out;
    EXPECT_EQ(ParsePcLinkImage(img.data(), 31, des, out), PcLinkParse::kShortFileHeader);
    EXPECT_EQ(ParsePcLinkImage(img.data(), 95, des, out), PcLinkParse::kShortDataHeader);
    // Only the two headers: loads with no records.
    EXPECT_EQ(ParsePcLinkImage(img.data(), 96, des, out), PcLinkParse::kOk);
    // A short last record.
    EXPECT_EQ(ParsePcLinkImage(img.data(), img.size() - 1, des, out), PcLinkParse::kShortRecord);
    EXPECT_EQ(out.Records().size(), 1u);
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
    EXPECT_EQ(out.Records().size(), 2u);
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
