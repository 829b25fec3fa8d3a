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

TEST(VolumeControl, WritableCheck) {
    ASSERT_TRUE(MakeCard(kCardE));
    EXPECT_TRUE(IsWritable(kCardE));
    EXPECT_FALSE(qmtest::FileExists("E:\\WritableCheck.test"));
    EXPECT_FALSE(IsWritable('Q'));  // no such drive
    EXPECT_TRUE(FlushVolume(kCardE));
    EXPECT_GT(GetVolumeCapacity(kCardE), 0u);
}
