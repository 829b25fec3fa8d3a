// Diagnostic log: the files. Every record takes the file's named mutex, opens,
// appends and closes, so the log can be copied or uploaded between records
// and several processes can share one file. Threads of this process queue on
// a critical section first, so the named mutex (a kernel object, a round trip
// to the system for every wait) only ever orders processes.
#include "common/KilnLog.h"

#include <windows.h>
// psapi.h needs windows.h first.
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "common/WinHandle.h"

using namespace qm::logrec;

namespace {

constexpr DWORD kLockWaitMs = 10000;

// A set-once path. The first set wins even when several threads log before
// Start has finished.
class CKilnlogPathString {
public:
    CKilnlogPathString() {
        std::memset(m_path, 0, sizeof m_path);
        ::InitializeCriticalSection(&m_threads);
    }
    // The section and the named mutex stay for the life of the process: a
    // record may still be written while static objects are destroyed.
    virtual ~CKilnlogPathString() = default;

    void Set(const std::string& path) {
        char name[64];
        std::snprintf(name, sizeof name, "KilnLogPathStringMutex_%08X_%08X",
                      static_cast<unsigned>(reinterpret_cast<uintptr_t>(this)),
                      static_cast<unsigned>(::GetCurrentProcessId()));
        qm::CHandle mutex(::CreateMutexA(nullptr, FALSE, name));
        if (mutex) ::WaitForSingleObject(mutex.Get(), INFINITE);
        if (!m_isSet) {
            std::snprintf(m_path, sizeof m_path, "%s", path.c_str());
            m_isSet = 1;
        }
        if (mutex) ::ReleaseMutex(mutex.Get());
    }
    bool Get(char* buf, size_t size) const {
        if (size) std::snprintf(buf, size, "%s", m_isSet ? m_path : "");
        return m_isSet != 0;
    }
    std::string Get() const { return m_isSet ? std::string(m_path) : std::string(); }
    bool IsEmpty() const { return !m_isSet || !m_path[0]; }

    // The threads of this process writing to this path queue here. A
    // critical section waits without a round trip to the system unless it
    // must sleep.
    CRITICAL_SECTION& ThreadLock() { return m_threads; }
    // The named mutex shared with other processes, created on first use.
    // Call with ThreadLock held. Null, with the error in lastError, when it
    // cannot be created.
    HANDLE ProcessLock(const char* name, DWORD& lastError) {
        if (!m_processLock) {
            m_processLock = ::CreateMutexA(nullptr, FALSE, name);
            if (!m_processLock) lastError = ::GetLastError();
        }
        return m_processLock;
    }

private:
    volatile LONG m_isSet = 0;
    char m_path[MAX_PATH];
    CRITICAL_SECTION m_threads;
    HANDLE m_processLock = nullptr;
};

// Holds a critical section until the end of the scope.
class CThreadQueue {
public:
    explicit CThreadQueue(CRITICAL_SECTION& section) : m_section(section) {
        ::EnterCriticalSection(&m_section);
    }
    ~CThreadQueue() { ::LeaveCriticalSection(&m_section); }
    CThreadQueue(const CThreadQueue&) = delete;
    CThreadQueue& operator=(const CThreadQueue&) = delete;

private:
    CRITICAL_SECTION& m_section;
};

// The output record, built for each write from the call site and a holder.
class CKilnLog {
public:
    CKilnLog(const CKilnLogWrapper& site, CKilnlogPathString& holder)
        : m_holder(holder), m_line(site.Line()) {
        std::snprintf(m_sourceFile, sizeof m_sourceFile, "%s",
                      SourceFileName(site.SourcePath()).c_str());
        std::string path = holder.Get();
        std::snprintf(m_logPath, sizeof m_logPath, "%s", path.c_str());
        std::snprintf(m_backupPath, sizeof m_backupPath, "%s", BackupPath(path).c_str());
        std::snprintf(m_lockName, sizeof m_lockName, "%s",
                      path.empty() ? "" : LockName(path).c_str());
    }
    virtual ~CKilnLog() = default;

    // One record: the result codes of LogRecord.h; lastError carries the OS
    // error of a failed step past the clean-up.
    int Write(int kind, const std::string& message, DWORD& lastError) const;

private:
    int Append(const std::string& record, size_t headerLen, size_t messageLen,
               DWORD& lastError) const;
    int TakeSnapshot() const;

    CKilnlogPathString& m_holder;
    char m_sourceFile[MAX_PATH];
    int m_line;
    char m_logPath[MAX_PATH];
    char m_backupPath[MAX_PATH];
    char m_lockName[MAX_PATH];
};

// Process-wide state, constructed before WinMain runs.
CKilnlogPathString g_mainPath;
CKilnlogPathString g_systemPath;
volatile LONG g_sizeLimit = kDefaultLimitKB * 1024;
volatile LONG g_detail = 0;

LogTime Now() {
    SYSTEMTIME st;
    ::GetLocalTime(&st);
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

void EnsureSystemPath() {
    if (!g_systemPath.IsEmpty()) return;
    std::string main = g_mainPath.Get();
    g_systemPath.Set(
        SystemLogPath(main, main.empty() ? GetLogFolder() : std::string(), GetExeFileName()));
}

qm::CFileHandle OpenForAppend(const char* path) {
    return qm::CFileHandle(
        ::CreateFileA(path, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE, FILE_SHARE_READ,
                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

int CKilnLog::Write(int kind, const std::string& message, DWORD& lastError) const {
    if (kind == LOG_DETAIL && !g_detail) return kWritten;
    if (!m_logPath[0]) return kNoDestination;
    if (kind < 0 || kind > kMaxKind) return kInvalidKind;

    // The wait for the named mutex counts from here, the time queued behind
    // this process's other threads included: each of them waits at most as
    // long, so no record waits much beyond kLockWaitMs in all.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLockWaitMs);
    CThreadQueue threads(m_holder.ThreadLock());
    const HANDLE mutex = m_holder.ProcessLock(m_lockName, lastError);
    if (!mutex) return kMutexCreateFailed;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    DWORD wait =
        ::WaitForSingleObject(mutex, left.count() > 0 ? static_cast<DWORD>(left.count()) : 0);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
        lastError = wait == WAIT_TIMEOUT ? static_cast<DWORD>(WAIT_TIMEOUT) : ::GetLastError();
        return kMutexWaitFailed;
    }
    qm::CMutexLock held(mutex);

    std::string record = FormatHeader(Now(), kind, m_sourceFile, m_line, ::GetCurrentThreadId());
    const size_t headerLen = record.size();
    if (kind == LOG_DETAIL) {
        PROCESS_MEMORY_COUNTERS pmc = {};
        pmc.cb = sizeof pmc;
        if (::GetProcessMemoryInfo(::GetCurrentProcess(), &pmc, sizeof pmc))
            record += FormatMemory(pmc.WorkingSetSize, pmc.PagefileUsage);
    }
    record += message;
    record += RecordTail(kind);

    const int appended = Append(record, headerLen, message.size(), lastError);
    if (appended != kWritten) return appended;
    if (kind == LOG_FATAL) return TakeSnapshot();
    return kWritten;
}

// Opens the log, rotates it first when the record would pass the limit, and
// appends the record. Runs with the file's locks held.
int CKilnLog::Append(const std::string& record, size_t headerLen, size_t messageLen,
                     DWORD& lastError) const {
    qm::CFileHandle file = OpenForAppend(m_logPath);
    if (!file) {
        lastError = ::GetLastError();
        return kFileOpenFailed;
    }
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file.Get(), &size)) size.QuadPart = 0;
    if (NeedsRotation(static_cast<uint64_t>(size.QuadPart), headerLen, messageLen, g_sizeLimit)) {
        file.Reset();
        // A log that someone else holds open (a copy or an upload under way)
        // is not rotated now: the move would fail after the backup is gone.
        if (qm::CFileHandle(::CreateFileA(m_logPath, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr))) {
            ::DeleteFileA(m_backupPath);
            ::MoveFileA(m_logPath, m_backupPath);
        }
        file = OpenForAppend(m_logPath);
        if (!file) {
            lastError = ::GetLastError();
            return kFileOpenFailed;
        }
    }
    DWORD written = 0;
    ::WriteFile(file.Get(), record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    return kWritten;
}

// Copies the log to a time-stamped snapshot, keeping at most four. Runs with
// the file's mutex still held.
int CKilnLog::TakeSnapshot() const {
    SnapshotNames names = MakeSnapshotNames(m_logPath, Now());

    int count = 0;
    std::string oldest;
    WIN32_FIND_DATAA fd;
    qm::CFindHandle find(::FindFirstFileA(names.pattern.c_str(), &fd));
    if (find) {
        do {
            ++count;
            if (oldest.empty() || std::strcmp(fd.cFileName, oldest.c_str()) < 0)
                oldest = fd.cFileName;
        } while (::FindNextFileA(find.Get(), &fd));
    }
    find.Reset();

    if (count >= kMaxSnapshots) {
        if (names.folder.empty()) return kSnapshotFolderUnknown;
        if (!::DeleteFileA((names.folder + oldest).c_str())) return kSnapshotDeleteFailed;
    }
    return ::CopyFileA(m_logPath, names.target.c_str(), TRUE) ? kWritten : kSnapshotCopyFailed;
}

int WriteText(const CKilnLogWrapper& site, int kind, const std::string& text);

// Turns a failed write into a notice; answers what Log returns.
int HandleFailure(const CKilnLogWrapper& site, int result, int kind, const std::string& text,
                  DWORD lastError) {
    const bool own = kind == LOG_SELF || kind == LOG_SELF_SYS;
    char notice[160];
    switch (result) {
        case kNoDestination: {
            if (own) return 2;
            WriteText(site, LOG_SELF_SYS,
                      "出力先が設定されていません。デフォルト出力先を使用します");
            EnsureSystemPath();
            DWORD ignored = 0;
            return CKilnLog(site, g_systemPath).Write(kind, text, ignored);
        }
        case kInvalidKind:
            std::snprintf(notice, sizeof notice, "不正なログ種別[%d]が指定されました", kind);
            WriteText(site, LOG_SELF, notice);
            return 0;
        case kSnapshotCopyFailed:
            WriteText(site, LOG_SELF, "退避ファイルの作成に失敗しました");
            return 0;
        case kSnapshotDeleteFailed:
            WriteText(site, LOG_SELF,
                      "古い退避ファイル削除失敗のため、退避ファイルを作成できません");
            return 0;
        case kMutexCreateFailed:
        case kMutexWaitFailed:
        case kFileOpenFailed:
            if (own) return 2;
            if (result == kMutexCreateFailed)
                std::snprintf(notice, sizeof notice, "排他オブジェクト作成に失敗しました");
            else if (result == kMutexWaitFailed)
                std::snprintf(notice, sizeof notice, "排他で待てませんでした");
            else
                std::snprintf(notice, sizeof notice,
                              kind == LOG_DUMP
                                  ? "ダンプファイルエラーが発生しました。GetLastError[%d]"
                                  : "ファイルエラーが発生しました。GetLastError[%d]",
                              static_cast<int>(lastError));
            WriteText(site, LOG_SELF_SYS, notice);
            return 0;
        default:
            WriteText(site, LOG_SELF, "想定外のエラーが発生しました");
            return 0;
    }
}

int WriteText(const CKilnLogWrapper& site, int kind, const std::string& text) {
    if (kind == LOG_SELF_SYS) EnsureSystemPath();
    DWORD lastError = 0;
    int result = CKilnLog(site, kind == LOG_SELF_SYS ? g_systemPath : g_mainPath)
                     .Write(kind, text, lastError);
    if (result == kWritten) return 0;
    return HandleFailure(site, result, kind, text, lastError);
}

// Leaves the thread's last error as the caller had it: a caller may log a
// failure first and read its error afterwards.
class CLastErrorKeeper {
public:
    CLastErrorKeeper() : m_error(::GetLastError()) {}
    ~CLastErrorKeeper() { ::SetLastError(m_error); }
    CLastErrorKeeper(const CLastErrorKeeper&) = delete;
    CLastErrorKeeper& operator=(const CLastErrorKeeper&) = delete;

private:
    DWORD m_error;
};

}  // namespace

int CKilnLogWrapper::Log(int kind, const char* format, ...) {
    CLastErrorKeeper keep;
    va_list args;
    va_start(args, format);
    bool truncated = false;
    std::string text = FormatText(truncated, format, args);
    va_end(args);
    if (truncated && !text.empty())
        WriteText(*this, LOG_SELF, "出力サイズオーバーです。出力を切り詰めます");
    return WriteText(*this, kind, text);
}

void CKilnLogWrapper::Start(const char* fileName, int maxSizeKB) {
    CLastErrorKeeper keep;
    if (g_mainPath.IsEmpty()) {
        bool named = fileName && *fileName;
        std::string path = MainLogPath(
            fileName, named && std::strchr(fileName, '\\') ? std::string() : GetLogFolder(),
            GetExeFileName());
        g_mainPath.Set(path);
        std::string folder = FolderOf(path);
        if (!folder.empty() && !IsDirectory(folder.c_str())) CreateDirectories(folder.c_str());
    }

    bool valid = true;
    int64_t limit = SizeLimitBytes(maxSizeKB, valid);
    ::InterlockedExchange(&g_sizeLimit, static_cast<LONG>(limit));
    if (!valid) Log(LOG_SELF, "サイズ指定%dKBは不正です。%dKBとします", maxSizeKB, kDefaultLimitKB);

    std::string ini = GetExeFolder() + "WKLOG.ini";
    ::InterlockedExchange(&g_detail,
                          ::GetPrivateProfileIntA("Log", "Recover", 0, ini.c_str()) != 0);

    CVersionBlock version;
    const char* text = nullptr;
    if (LoadVersionInfo(GetExePath().c_str(), version) == 0) text = GetFileVersionText(version);
    Log(LOG_START, "==========<開始(%s)>==========", text ? text : "");
}

int CKilnLogWrapper::End() {
    CLastErrorKeeper keep;
    return Log(LOG_END, "----------<終了>----------");
}
