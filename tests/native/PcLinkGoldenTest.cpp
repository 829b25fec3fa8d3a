// A PC-link file kept as a golden file: its bytes were checked when it was
// made by deciphering them with an independent DES (openssl des-cbc with the
// derived key and the IV at offset 12) and recomputing the checksums. Reading
// it must give the field dump below; writing the same content with the same
// IV must give the same bytes.
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

TEST(PcLinkGolden, ReadsTheGoldenFile) {
    std::vector<uint8_t> image = ReadFixture("golden-pclink.dat");
    ASSERT_EQ(image.size(), 32u + 64u + 2u * 168u);
    CPcLinkContent c;
    ASSERT_EQ(ParsePcLinkImage(image.data(), image.size(), MakePcLinkCipher(), c),
              PcLinkParse::kOk);
    EXPECT_EQ(DumpPcLinkContent(c), kGoldenDump);
}

TEST(PcLinkGolden, WritesTheGoldenBytes) {
    CPcLinkContent c;
    c.SetFormatVersion(0x02000100);
    c.SetDataHeaderMarker();
    c.SetDeviceNo("GOLDEN0000000001");
    c.SetPairingValue(0x11223344);
    c.SetNaviId(0x0012ABCD);
    c.SetModelCode(0x15);
    c.AppendRecord(MakePcLinkRecord(kRecordNaviApplication, 0x01002000, 0x0007, 1, ""));
    c.AppendRecord(MakePcLinkRecord(kRecordSearchData, 0x05000001, 0, 4, "ZENKOKU"));
    EXPECT_EQ(c.BuildImage(MakePcLinkCipher(), 0xA1B2C3D4, 0x01020304),
              ReadFixture("golden-pclink.dat"));
}
