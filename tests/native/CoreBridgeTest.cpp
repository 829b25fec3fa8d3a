// The portable half of the core bridge: command lines, mutex names and the
// map progress block layout.
#include <gtest/gtest.h>

#include <cstring>

#include "common/CoreBridge.h"

TEST(CoreBridge, CoreParametersForAllKinds) {
    EXPECT_EQ(BuildCoreParameters('E', 0x0001A2B4, -1, 1),
              " /d E /w 0001A2B4 /p prb map bl wl msc");
    // Models 18 and 21 take no navigation-info upload; their neighbours do.
    EXPECT_EQ(BuildCoreParameters('E', 0x0001A2B4, -1, 18), " /d E /w 0001A2B4 /p map bl wl msc");
    EXPECT_EQ(BuildCoreParameters('F', 0x10, -1, 21), " /d F /w 00000010 /p map bl wl msc");
    EXPECT_EQ(BuildCoreParameters('F', 0x10, -1, 19), " /d F /w 00000010 /p prb map bl wl msc");
    EXPECT_EQ(BuildCoreParameters('F', 0x10, -1, 0x12 + 0x100),
              " /d F /w 00000010 /p prb map bl wl msc");
}

TEST(CoreBridge, CoreParametersFollowTheMaskInFixedOrder) {
    EXPECT_EQ(BuildCoreParameters('D', 0xFFFFFFFF, 0x1E, 1), " /d D /w FFFFFFFF /p map bl wl msc");
    EXPECT_EQ(BuildCoreParameters('D', 0, 0x11, 1), " /d D /w 00000000 /p prb msc");
    // Only the probe upload on a model without it: nothing but "/p".
    EXPECT_EQ(BuildCoreParameters('D', 0, 0x01, 21), " /d D /w 00000000 /p");
    // Bits without a keyword (0x20 and above) add nothing.
    EXPECT_EQ(BuildCoreParameters('D', 0, 0x20 | 0x40 | 0x80000000, 1), " /d D /w 00000000 /p");
    // The stand-ins read a keyword back per single bit only.
    EXPECT_EQ(ChargeKeyword(0x03), nullptr);
}

TEST(CoreBridge, MutexNames) {
    EXPECT_EQ(BlockMutexName(kBlockMapDownload, true), "Global\\MapChargeDLProgress_MTX_EXT");
    EXPECT_EQ(BlockMutexName(kBlockMapTransfer, false), "MapChargeTRProgress_MTX_EXT");
    EXPECT_TRUE(UsesGlobalNamespace(5, true));
    EXPECT_FALSE(UsesGlobalNamespace(4, true));
    EXPECT_FALSE(UsesGlobalNamespace(5, false));
}

TEST(CoreBridge, ProgressBlockLayout) {
    const unsigned char bytes[kMapProgressBlockSize] = {
        0xAA, 0xBB, 0xCC, 0xDD,                          // not read
        0x78, 0x56, 0x34, 0x12,                          // line speed
        0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08,  // current
        0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18,  // cumulative
        0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8,  // total
    };
    MapProgressBlock p;
    ASSERT_TRUE(DecodeMapProgressBlock(bytes, sizeof bytes, p));
    EXPECT_EQ(p.lineSpeed, 0x12345678u);
    EXPECT_EQ(p.currentSize, 0x0807060504030201ull);
    EXPECT_EQ(p.cumulativeSize, 0x1817161514131211ull);
    EXPECT_EQ(p.totalSize, 0xF8F7F6F5F4F3F2F1ull);

    unsigned char out[kMapProgressBlockSize];
    std::memset(out, 0x55, sizeof out);
    EncodeMapProgressBlock(p, out);
    EXPECT_EQ(std::memcmp(out + 4, bytes + 4, 28), 0);
    EXPECT_EQ(out[0] | out[1] | out[2] | out[3], 0);
    // A short block leaves the progress alone; a longer one is read from its start.
    const unsigned char zeros[kMapProgressBlockSize + 100] = {};
    EXPECT_FALSE(DecodeMapProgressBlock(zeros, kMapProgressBlockSize - 1, p));
    EXPECT_EQ(p.lineSpeed, 0x12345678u);
    EXPECT_TRUE(DecodeMapProgressBlock(zeros, sizeof zeros, p));
    EXPECT_EQ(p.lineSpeed | p.totalSize, 0u);
}
