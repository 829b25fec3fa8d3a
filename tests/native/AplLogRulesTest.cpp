#include <gtest/gtest.h>

#include "net/AplLogRules.h"

TEST(AplLogRules, ProgramLogsUpToTheSizeLimit) {
    EXPECT_EQ(ChooseLogFile("Quillmarch.log", 4195328), LogFileChoice::kCollect);
    EXPECT_EQ(ChooseLogFile("Quillmarch.log", 4195329), LogFileChoice::kTooLarge);
    // The name only has to contain the program log's name.
    EXPECT_EQ(ChooseLogFile("old_Quillmarch_Core.log", 10), LogFileChoice::kCollect);
    EXPECT_EQ(ChooseLogFile("quillmarch.log", 10), LogFileChoice::kSkip);
    EXPECT_TRUE(IsUploadedLogName("Quillmarch.log"));
    EXPECT_FALSE(IsUploadedLogName("notes.txt"));
}

TEST(AplLogRules, DatedLogsOfAnySize) {
    EXPECT_EQ(ChooseLogFile("20130230.log", 0xFFFFFFFFFull),
              LogFileChoice::kCollect);  // 30 February counts
    EXPECT_TRUE(IsDatedLogName("20991231.LOG"));
    for (const char* name : {"19791231.log", "21000101.log", "20131301.log", "20130132.log",
                             "2013011.log", "20130101.log.bak"})
        EXPECT_FALSE(IsDatedLogName(name)) << name;
    EXPECT_FALSE(IsUploadedLogName("19791231.log"));
}

TEST(AplLogRules, ArchiveName) {
    EXPECT_EQ(MakeArchiveName("0123456789ABCDEF", 2013, 4, 5, 12, 1, 2),
              "Lite_0123456789ABCDEF_20130405120102");
    EXPECT_EQ(MakeArchiveName("", 10123, 12, 31, 23, 59, 59), "Lite__101231231235959");
}

TEST(AplLogRules, PcInfoText) {
    PcInfoFacts f;
    f.isAdmin = true;
    f.cpu = PcInfoFacts::kCpuOk;
    f.oemId = 0x12345;
    f.processorArchitecture = 0x10009;  // only the low 16 bits
    f.pageSize = 4096;
    f.activeProcessorMask = 3;
    f.numberOfProcessors = 2;
    f.processorType = 8664;
    f.allocationGranularity = 65536;
    f.processorLevel = 6;
    f.processorRevision = 0x3A09;
    f.memoryOk = true;
    f.totalPhysical = 8589934592ull;
    f.availablePhysical = 123;
    f.osOk = true;
    f.major = 6;
    f.minor = 1;
    f.build = 7601;
    f.platformId = 2;
    f.servicePack = "Service Pack 1";
    f.spMajor = 1;
    f.suiteMask = 0x100;
    f.productType = 1;
    EXPECT_EQ(BuildPcInfoText(f),
              "起動ユーザー：管理者\r\n\r\n"
              "CPU情報：\r\nOEMID:74565\r\nProcessorArchitecture:9\r\nPageSize:"
              "4096\r\nActiveProcessorMask:3\r\n"
              "NumberOfProcessors:2\r\nProcessorType:8664\r\nAllocationGranularity:"
              "65536\r\nProcessorLevel:6\r\n"
              "ProcessorRevision:14857\r\n\r\n"
              "メモリ情報：総サイズ8589934592byte 有効サイズ123\r\n\r\n"
              "OS情報：OS 6.1, BuildNumber 7601, PratformId 2, SP Service Pack 1(1.0), Suite 100, "
              "Product 1\r\n\r\n");
    PcInfoFacts none;
    EXPECT_EQ(BuildPcInfoText(none),
              "起動ユーザー：管理者以外\r\n\r\nCPU情報：取得不可(XP未満)"
              "\r\n\r\nメモリ情報：取得不可\r\n\r\n"
              "OS情報：取得不可\r\n\r\n");
    none.cpu = PcInfoFacts::kCpuNoApi;
    EXPECT_EQ(PcInfoCpuPart(none), "CPU情報：取得不可(API取得失敗)");
}
