#include <gtest/gtest.h>

#include <cstdarg>
#include <string>

#include "common/LogRecord.h"

using namespace qm::logrec;

namespace {
std::string Fmt(bool& truncated, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string s = FormatText(truncated, format, args);
    va_end(args);
    return s;
}
}  // namespace

TEST(LogRecord, HeaderLayoutIsExact) {
    LogTime t{2013, 5, 21, 13, 45, 2, 117};
    EXPECT_EQ(FormatHeader(t, LOG_NORMAL, "PcLinkFile.cpp", 412, 0x1a3c),
              "2013/05/21 13:45:02:117\t..\tPcLinkFile.cpp\t412\t1a3c\t");
    // The dump kind has an empty mark, so two tabs meet.
    EXPECT_EQ(FormatHeader({2001, 1, 2, 3, 4, 5, 6}, LOG_DUMP, "a.cpp", -1, 0xABCDEF01),
              "2001/01/02 03:04:05:006\t\ta.cpp\t-1\tabcdef01\t");
}

TEST(LogRecord, MessagesAreCutAt1023Bytes) {
    bool cut = true;
    std::string exact(1023, 'a');
    EXPECT_EQ(Fmt(cut, "%s", exact.c_str()), exact);
    EXPECT_FALSE(cut);

    std::string longer(1024, 'b');
    EXPECT_EQ(Fmt(cut, "%s", longer.c_str()), std::string(1023, 'b'));
    EXPECT_TRUE(cut);
}

TEST(LogRecord, FileNamesOfOneLog) {
    EXPECT_EQ(SourceFileName(".\\WickerdaleLite\\PcLinkFile.cpp"), "PcLinkFile.cpp");
    EXPECT_EQ(SourceFileName("/work/src/common/KilnLog_win.cpp"), "KilnLog_win.cpp");
    EXPECT_EQ(SourceFileName(nullptr), "");

    EXPECT_EQ(BackupPath("C:\\a\\Quillmarch.log"), "C:\\a\\Quillmarch.log.BAK");
    EXPECT_EQ(LockName("C:\\a\\Quillmarch.log"), "Quillmarch.log");

    EXPECT_EQ(SystemLogPath("C:\\L\\Quillmarch.log", "", "Quillmarch.exe"),
              "C:\\L\\Quillmarch_sys.log");
    EXPECT_EQ(SystemLogPath("", "D:\\Log\\", "Tool.v2.exe"), "D:\\Log\\Tool.v2_sys.log");

    EXPECT_EQ(MainLogPath(nullptr, "C:\\Log\\", "Quillmarch.exe"), "C:\\Log\\Quillmarch.log");
    EXPECT_EQ(MainLogPath("other.log", "C:\\Log\\", "Quillmarch.exe"), "C:\\Log\\other.log");
    EXPECT_EQ(MainLogPath("D:\\x\\y.log", "C:\\Log\\", "Quillmarch.exe"), "D:\\x\\y.log");
}

TEST(LogRecord, SizeLimitAndRotationBoundary) {
    bool valid = false;
    for (int kb : {1, 4096, 0, 4097}) {
        const bool inRange = kb >= 1 && kb <= 4096;
        EXPECT_EQ(SizeLimitBytes(kb, valid), (inRange ? kb : 4096) * 1024) << kb;
        EXPECT_EQ(valid, inRange) << kb;
    }

    // 900 + 40 + 82 + CR LF = 1024: exactly reaching the limit is appended.
    EXPECT_FALSE(NeedsRotation(900, 40, 82, 1024));
    EXPECT_TRUE(NeedsRotation(900, 40, 83, 1024));
}
