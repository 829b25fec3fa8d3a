#include <gtest/gtest.h>

#include <cstring>

#include "datafiles/ByteOrder.h"
#include "datafiles/DataRecords.h"

TEST(DataRecords, SdInfoLayout) {
    SdInfoRecord r;
    r.kindBit = 8;
    r.lastTime = {2024, 3, 5, 14, 23, 59, 58, 999};
    r.result = -2;
    r.text = "天気情報";
    r.extra116 = 0x11111111;
    r.value120 = 0x22222222;
    r.extra124 = 0x05010203;
    uint8_t p[kSdInfoRecordSize];
    EncodeSdInfoRecord(r, p);
    EXPECT_EQ(GetLe32(p), 8u);
    EXPECT_EQ(GetLe16(p + 4), 2024);
    EXPECT_EQ(GetLe16(p + 18), 999);
    EXPECT_EQ(GetLe32(p + 20), 0xFFFFFFFEu);
    EXPECT_EQ(std::memcmp(p + 24, r.text.data(), r.text.size()), 0);
    EXPECT_EQ(p[24 + r.text.size()], 0);
    EXPECT_EQ(GetLe32(p + 124), 0x05010203u);
    SdInfoRecord back = DecodeSdInfoRecord(p);
    EXPECT_TRUE(back.lastTime == r.lastTime);
    EXPECT_EQ(back.text, r.text);
    EXPECT_EQ(back.value120, 0x22222222u);
}

TEST(DataRecords, SdInfoTextWithoutTerminator) {
    uint8_t p[kSdInfoRecordSize];
    std::memset(p, 'x', sizeof p);
    SdInfoRecord r = DecodeSdInfoRecord(p);
    EXPECT_EQ(r.text.size(), kSdInfoTextSize);  // stops at the field's end
    SdInfoRecord w;
    w.text = std::string(200, 'y');
    EncodeSdInfoRecord(w, p);
    EXPECT_EQ(DecodeSdInfoRecord(p).text, std::string(91, 'y'));
}

TEST(DataRecords, ProbeLogLayout) {
    ProbeLogRecord r;
    r.uploadTime = {2023, 12, 0, 31, 23, 0, 1, 2};
    r.result = 3;
    r.code = 0xDEADBEEF;
    uint8_t p[kProbeLogRecordSize];
    std::memset(p, 0xCC, sizeof p);
    EncodeProbeLogRecord(r, p);
    EXPECT_EQ(GetLe16(p), 2023);
    EXPECT_EQ(GetLe16(p + 6), 31);
    EXPECT_EQ(GetLe32(p + 16), 3u);
    EXPECT_EQ(GetLe32(p + 20), 0xDEADBEEFu);
    EXPECT_EQ(p[39], 0);
    ProbeLogRecord back = DecodeProbeLogRecord(p);
    EXPECT_TRUE(back.uploadTime == r.uploadTime);
    EXPECT_EQ(back.code, 0xDEADBEEFu);
}
