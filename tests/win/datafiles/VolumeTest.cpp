// Volume control on the simulated cards and on the fixed drive C:.
#include <gtest/gtest.h>

#include "CardTestSupport.h"
#include "TestSupport.h"
#include "datafiles/VolumeControl.h"

using namespace cardtest;

TEST(VolumeControl, EjectRefusesAFixedDrive) {
    ASSERT_EQ(::GetDriveTypeA("C:\\"), static_cast<UINT>(DRIVE_FIXED));
    size_t mark = LogMark();
    EXPECT_FALSE(EjectVolume('C'));
    // Nothing was opened: the kind record is the only one.
    EXPECT_EQ(LogSince(mark), std::vector<std::string>{"E:EjectVolume ボリューム種別NG (3)"});
    EXPECT_EQ(OpenVolume('C'), INVALID_HANDLE_VALUE);
}

TEST(VolumeControl, EjectARemovableCard) {
    ASSERT_TRUE(MakeCard(kCardF));
    ASSERT_EQ(::GetDriveTypeA("F:\\"), static_cast<UINT>(DRIVE_REMOVABLE));
    size_t mark = LogMark();
    const bool ejected = EjectVolume(kCardF);
    // The volume opens and locks; the outcome is the dismount's (Wine does
    // not support dismounting a folder drive and answers ERROR_NOT_SUPPORTED).
    // A medium that cannot be moved is logged and does not change the result.
    bool dismountFailed = false;
    for (const std::string& r : LogSince(mark)) {
        EXPECT_EQ(r.find("CreatFile"), std::string::npos) << r;
        EXPECT_EQ(r.find("FSCTL_LOCK_VOLUME"), std::string::npos) << r;
        if (r.find("FSCTL_DISMOUNT_VOLUME") != std::string::npos) dismountFailed = true;
    }
    EXPECT_EQ(ejected, !dismountFailed);
    // The card is still usable afterwards (the folder drive stays mapped).
    EXPECT_TRUE(qmtest::FileExists("F:\\PC\\NAVIINFO.DAT"));
}

TEST(VolumeControl, WritableCheck) {
    ASSERT_TRUE(MakeCard(kCardE));
    EXPECT_TRUE(IsWritable(kCardE));
    EXPECT_TRUE(IsWritable('e'));
    EXPECT_FALSE(qmtest::FileExists("E:\\WritableCheck.test"));
    EXPECT_FALSE(IsWritable('1'));
    EXPECT_FALSE(IsWritable(0));
    EXPECT_FALSE(IsWritable('Q'));  // no such drive
}

TEST(VolumeControl, WriteProtectedCard) {
    ASSERT_TRUE(qmtest::FileExists("G:\\PC\\NAVIINFO.DAT"));
    HANDLE probe =
        ::CreateFileA("G:\\probe.tmp", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        ::CloseHandle(probe);
        ::DeleteFileA("G:\\probe.tmp");
        GTEST_SKIP() << "no read-only folder here (see tests/support/make-readonly)";
    }
    EXPECT_FALSE(IsWritable(kReadOnlyCard));
    EXPECT_FALSE(qmtest::FileExists("G:\\WritableCheck.test"));
}

TEST(VolumeControl, FlushAndCapacity) {
    EXPECT_TRUE(FlushVolume('Q'));  // cannot be opened: nothing to flush
    size_t mark = LogMark();
    EXPECT_TRUE(FlushVolume(kCardE));
    EXPECT_TRUE(LogSince(mark).empty());
    EXPECT_GT(GetVolumeCapacity(kCardE), 0u);
    EXPECT_EQ(GetVolumeCapacity('Q'), 0u);
}
