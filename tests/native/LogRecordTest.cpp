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
    LogTime early{2001, 1, 2, 3, 4, 5, 6};
    EXPECT_EQ(FormatHeader(early, LOG_ERROR, "a.cpp", -1, 0xABCDEF01),
              "2001/01/02 03:04:05:006\t!!\ta.cpp\t-1\tabcdef01\t");
    // The dump kind has an empty mark, so two tabs meet.
    EXPECT_EQ(FormatHeader(early, LOG_DUMP, "a.cpp", 1, 1),
              "2001/01/02 03:04:05:006\t\ta.cpp\t1\t1\t");
}

TEST(LogRecord, EveryKindHasItsMarkAndNothingBeyond) {
    const char* expected[] = {"..", "!!", "@@", "->", "<-", ";;", "", "==", "--", "##", "##"};
    for (int k = 0; k <= 10; ++k) EXPECT_STREQ(KindMark(k), expected[k]) << "kind " << k;
    EXPECT_EQ(KindMark(11), nullptr);
    EXPECT_EQ(KindMark(-1), nullptr);
    EXPECT_STREQ(RecordTail(LOG_END), "\r\n\r\n");
    EXPECT_STREQ(RecordTail(LOG_START), "\r\n");
}

TEST(LogRecord, MemoryFiguresTruncateToKilobytes) {
    EXPECT_EQ(FormatMemory(2047, 1024 * 1024 + 1023), "[WS:1KB, PF:1024KB]\t");
    EXPECT_EQ(FormatMemory(0, 0), "[WS:0KB, PF:0KB]\t");
}

TEST(LogRecord, MessagesAreCutAt1023Bytes) {
    bool cut = true;
    EXPECT_EQ(Fmt(cut, "%s=%d", "x", 5), "x=5");
    EXPECT_FALSE(cut);

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
    EXPECT_EQ(SourceFileName("plain.cpp"), "plain.cpp");
    EXPECT_EQ(SourceFileName(nullptr), "");

    EXPECT_EQ(BackupPath("C:\\a\\Quillmarch.log"), "C:\\a\\Quillmarch.log.BAK");
    EXPECT_EQ(BackupPath(""), "");
    EXPECT_EQ(LockName("C:\\a\\Quillmarch.log"), "Quillmarch.log");
    EXPECT_EQ(LockName("bare.log"), "bare.log");

    EXPECT_EQ(SystemLogPath("C:\\L\\Quillmarch.log", "", "Quillmarch.exe"),
              "C:\\L\\Quillmarch_sys.log");
    EXPECT_EQ(SystemLogPath("", "D:\\Log\\", "Tool.v2.exe"), "D:\\Log\\Tool.v2_sys.log");
    EXPECT_EQ(SystemLogPath("", "D:\\Log\\", "NoExt"), "D:\\Log\\NoExt_sys.log");

    EXPECT_EQ(MainLogPath(nullptr, "C:\\Log\\", "Quillmarch.exe"), "C:\\Log\\Quillmarch.log");
    EXPECT_EQ(MainLogPath("", "C:\\Log\\", "Quillmarch.exe"), "C:\\Log\\Quillmarch.log");
    EXPECT_EQ(MainLogPath("other.log", "C:\\Log\\", "Quillmarch.exe"), "C:\\Log\\other.log");
    EXPECT_EQ(MainLogPath("D:\\x\\y.log", "C:\\Log\\", "Quillmarch.exe"), "D:\\x\\y.log");
}

TEST(LogRecord, SizeLimitAndRotationBoundary) {
    bool valid = false;
    EXPECT_EQ(SizeLimitBytes(1, valid), 1024);
    EXPECT_TRUE(valid);
    EXPECT_EQ(SizeLimitBytes(4096, valid), 4096 * 1024);
    EXPECT_TRUE(valid);
    EXPECT_EQ(SizeLimitBytes(0, valid), 4096 * 1024);
    EXPECT_FALSE(valid);
    EXPECT_EQ(SizeLimitBytes(4097, valid), 4096 * 1024);
    EXPECT_FALSE(valid);
    EXPECT_EQ(SizeLimitBytes(-5, valid), 4096 * 1024);
    EXPECT_FALSE(valid);

    // 900 + 40 + 82 + CR LF = 1024: exactly reaching the limit is appended.
    EXPECT_FALSE(NeedsRotation(900, 40, 82, 1024));
    EXPECT_TRUE(NeedsRotation(900, 40, 83, 1024));
    EXPECT_FALSE(NeedsRotation(0, 0, 0, 2));
}

TEST(LogRecord, FatalSnapshotNames) {
    LogTime t{2013, 5, 21, 13, 45, 2, 999};
    SnapshotNames n = MakeSnapshotNames("C:\\Log\\Quillmarch.log", t);
    EXPECT_EQ(n.pattern, "C:\\Log\\Quillmarch_fatal*");
    EXPECT_EQ(n.target, "C:\\Log\\Quillmarch_fatal20130521134502.log");
    EXPECT_EQ(n.folder, "C:\\Log\\");

    n = MakeSnapshotNames("C:\\Log.d\\noext", t);
    EXPECT_EQ(n.pattern, "C:\\Log.d\\noext_fatal*");
    EXPECT_EQ(n.target, "C:\\Log.d\\noext_fatal20130521134502");

    n = MakeSnapshotNames("bare.log", t);
    EXPECT_EQ(n.folder, "");  // no folder: the oldest snapshot cannot be named
}
