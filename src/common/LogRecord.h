#pragma once
// Diagnostic log: the portable half. Record layout, kinds and the names of the
// files that belong to one log. No I/O here; KilnLog_win.cpp does the files.

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>

// Log kinds. 0 to 2 are what the rest of the program uses.
enum LogKind : int {
    LOG_NORMAL = 0,
    LOG_ERROR = 1,
    LOG_DETAIL = 2,
    LOG_IN = 3,
    LOG_OUT = 4,
    LOG_FATAL = 5,
    LOG_DUMP = 6,
    LOG_START = 7,
    LOG_END = 8,
    LOG_SELF = 9,
    LOG_SELF_SYS = 10,
};

namespace qm::logrec {

constexpr int kMaxKind = LOG_SELF_SYS;
constexpr size_t kMessageBufferSize = 1024;  // 1023 bytes of text at most
constexpr int kDefaultLimitKB = 4096;
constexpr int kMaxSnapshots = 4;

// Write results, also the values the failure handler sees.
enum WriteResult : int {
    kWritten = 0,
    kNoDestination = 1,
    kInvalidKind = 2,
    kSnapshotCopyFailed = 5,
    kSnapshotDeleteFailed = 6,
    kMutexCreateFailed = 8,
    kMutexWaitFailed = 9,
    kFileOpenFailed = 10,
    kSnapshotFolderUnknown = 11,
};

struct LogTime {
    int year, month, day, hour, minute, second, millis;
};

// The two-character mark of a kind; null for kinds outside 0..10.
const char* KindMark(int kind);

// "yyyy/mm/dd hh:mm:ss:mmm<TAB>mark<TAB>file<TAB>line<TAB>tid<TAB>"
std::string FormatHeader(const LogTime& t, int kind, const char* sourceFile, int line,
                         uint32_t threadId);
// "[WS:%dKB, PF:%dKB]\t" from byte counts.
std::string FormatMemory(uint64_t workingSetBytes, uint64_t pageFileBytes);
// The line ending of a record: CR LF, and one more for the end marker.
const char* RecordTail(int kind);

// Formats printf-style into at most 1023 bytes. truncated is set when the
// text did not fit (the cut text is returned).
std::string FormatText(bool& truncated, const char* format, va_list args);

// File name and extension of a call site's source path, without folders.
std::string SourceFileName(const char* sourcePath);
// The bare file name of a path: names the mutex that guards the file.
std::string LockName(const std::string& logPath);
std::string BackupPath(const std::string& logPath);
// Folder part of a path up to and including the last '\'; empty if none.
std::string FolderOf(const std::string& path);
// "Name.exe" -> "Name" + newExt; no '.' -> name + newExt.
std::string ReplaceExtension(const std::string& fileName, const char* newExt);
// The system log beside the main log (or in fallbackFolder when the main
// log is not set), named after the executable with "_sys.log".
std::string SystemLogPath(const std::string& mainLogPath, const std::string& fallbackFolder,
                          const std::string& exeFileName);
// The main log path Start settles on: empty name -> logFolder + exe base +
// ".log"; a bare name -> into logFolder; a name with '\' -> as it is.
std::string MainLogPath(const char* fileName, const std::string& logFolder,
                        const std::string& exeFileName);

// Byte limit from Start's argument; valid is false when it was out of range.
int64_t SizeLimitBytes(int maxSizeKB, bool& valid);
// True when appending the record would pass the limit.
bool NeedsRotation(uint64_t currentSize, size_t headerLen, size_t messageLen, int64_t limit);

// Fatal snapshots: "Quillmarch.log" -> "Quillmarch_fatal.log".
struct SnapshotNames {
    std::string pattern;  // "...\Quillmarch_fatal*"
    std::string target;   // "...\Quillmarch_fatal20130521134502.log"
    std::string folder;   // folder of the pattern, with '\'; empty if none
};
SnapshotNames MakeSnapshotNames(const std::string& logPath, const LogTime& t);

}  // namespace qm::logrec
