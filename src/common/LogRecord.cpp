#include "common/LogRecord.h"

#include <cstdio>
#include <cstring>

namespace qm::logrec {

namespace {
constexpr const char* kMarks[kMaxKind + 1] = {
    "..", "!!", "@@", "->", "<-", ";;", "", "==", "--", "##", "##",
};

size_t LastSeparator(const std::string& s) { return s.find_last_of('\\'); }
}  // namespace

const char* KindMark(int kind) {
    if (kind < 0 || kind > kMaxKind) return nullptr;
    return kMarks[kind];
}

std::string FormatHeader(const LogTime& t, int kind, const char* sourceFile, int line,
                         uint32_t threadId) {
    const char* mark = KindMark(kind);
    char buf[512];
    int n = std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d:%03d\t%s\t%s\t%d\t%x\t",
                          t.year, t.month, t.day, t.hour, t.minute, t.second, t.millis,
                          mark ? mark : "", sourceFile ? sourceFile : "", line,
                          static_cast<unsigned>(threadId));
    if (n < 0) return std::string();
    return std::string(buf, static_cast<size_t>(n) < sizeof buf ? n : sizeof buf - 1);
}

std::string FormatMemory(uint64_t workingSetBytes, uint64_t pageFileBytes) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "[WS:%dKB, PF:%dKB]\t", static_cast<int>(workingSetBytes / 1024),
                  static_cast<int>(pageFileBytes / 1024));
    return buf;
}

const char* RecordTail(int kind) { return kind == LOG_END ? "\r\n\r\n" : "\r\n"; }

std::string FormatText(bool& truncated, const char* format, va_list args) {
    char buf[kMessageBufferSize];
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(buf, sizeof buf, format ? format : "", copy);
    va_end(copy);
    buf[sizeof buf - 1] = '\0';
    // Some C runtimes answer -1 instead of the full length when the text
    // does not fit; both mean it was cut.
    truncated = n < 0 || static_cast<size_t>(n) >= sizeof buf;
    return std::string(buf, std::strlen(buf));
}

std::string SourceFileName(const char* sourcePath) {
    if (!sourcePath) return std::string();
    const char* name = sourcePath;
    for (const char* p = sourcePath; *p; ++p)
        if (*p == '\\' || *p == '/') name = p + 1;
    return std::string(name).substr(0, 259);
}

std::string LockName(const std::string& logPath) {
    size_t sep = LastSeparator(logPath);
    return sep == std::string::npos ? logPath : logPath.substr(sep + 1);
}

std::string BackupPath(const std::string& logPath) {
    return logPath.empty() ? std::string() : logPath + ".BAK";
}

std::string FolderOf(const std::string& path) {
    size_t sep = LastSeparator(path);
    return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
}

std::string ReplaceExtension(const std::string& fileName, const char* newExt) {
    size_t dot = fileName.find_last_of('.');
    return (dot == std::string::npos ? fileName : fileName.substr(0, dot)) + newExt;
}

std::string SystemLogPath(const std::string& mainLogPath, const std::string& fallbackFolder,
                          const std::string& exeFileName) {
    std::string folder = mainLogPath.empty() ? fallbackFolder : FolderOf(mainLogPath);
    return folder + ReplaceExtension(exeFileName, "_sys.log");
}

std::string MainLogPath(const char* fileName, const std::string& logFolder,
                        const std::string& exeFileName) {
    if (!fileName || !*fileName) return logFolder + ReplaceExtension(exeFileName, ".log");
    if (!std::strchr(fileName, '\\')) return logFolder + fileName;
    return fileName;
}

int64_t SizeLimitBytes(int maxSizeKB, bool& valid) {
    valid = maxSizeKB >= 1 && maxSizeKB <= kDefaultLimitKB;
    return static_cast<int64_t>(valid ? maxSizeKB : kDefaultLimitKB) * 1024;
}

bool NeedsRotation(uint64_t currentSize, size_t headerLen, size_t messageLen, int64_t limit) {
    return currentSize + headerLen + messageLen + 2 > static_cast<uint64_t>(limit);
}

SnapshotNames MakeSnapshotNames(const std::string& logPath, const LogTime& t) {
    // Only a dot inside the file name counts as the extension's.
    auto extDot = [](const std::string& s) {
        size_t dot = s.find_last_of('.');
        size_t sep = s.find_last_of('\\');
        return (dot != std::string::npos && (sep == std::string::npos || dot > sep))
                   ? dot
                   : std::string::npos;
    };
    std::string name = logPath;
    size_t dot = extDot(name);
    name.insert(dot == std::string::npos ? name.size() : dot, "_fatal");

    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);

    SnapshotNames out;
    dot = extDot(name);
    out.pattern = (dot == std::string::npos ? name : name.substr(0, dot)) + "*";
    out.target = name;
    out.target.insert(dot == std::string::npos ? out.target.size() : dot, stamp);
    out.folder = FolderOf(out.pattern);
    return out;
}

}  // namespace qm::logrec
