// The diagnostic log on real files. Each scenario runs in a child process,
// because a process decides its log path once.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "TestSupport.h"
#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "common/KilnLog.h"
#include "common/WinHandle.h"

using qmtest::ReadFile;
using qmtest::SplitLines;

namespace {

using Texts = std::vector<std::string>;

// Each record of a log file as "mark message".
Texts Marked(const std::string& path) {
    Texts out;
    std::string mark, message;
    for (const std::string& l : SplitLines(ReadFile(path)))
        if (qmtest::SplitLogRecord(l, mark, message)) out.push_back(mark + " " + message);
    return out;
}

int RunChild(const std::string& name, const std::string& args) {
    const qmtest::ProcessResult r = qmtest::RunChild(name, args);
    return r.finished ? static_cast<int>(r.exitCode) : -1;
}

// Writes one normal record whose header length the caller can predict.
constexpr int kProbeLine = __LINE__ + 1;
void LogProbe(const std::string& text) { KILNLOG.Log(LOG_NORMAL, "%s", text.c_str()); }

size_t ProbeHeaderLength() {
    return qm::logrec::FormatHeader({2000, 1, 1, 0, 0, 0, 0}, LOG_NORMAL, "KilnLogTest.cpp",
                                    kProbeLine, ::GetCurrentThreadId())
        .size();
}

}  // namespace

QM_CHILD_MAIN(records) {
    KILNLOG.Start(args.at(0).c_str(), 4096);
    KILNLOG.Log(LOG_NORMAL, "通常 %d", 42);
    KILNLOG.Log(LOG_ERROR, "失敗 ERR:0x%08X", 5u);
    KILNLOG.Log(LOG_DETAIL, "詳細");  // dropped: no WKLOG.ini beside this program
    KILNLOG.Log(11, "never");
    KILNLOG.Log(LOG_NORMAL, "%s", std::string(2000, 'z').c_str());
    return KILNLOG.End();
}

QM_CHILD_MAIN(prestart) {
    KILNLOG.Log(LOG_NORMAL, "開始前の記録");
    KILNLOG.Start(args.at(0).c_str(), std::atoi(args.at(1).c_str()));
    KILNLOG.Log(LOG_NORMAL, "開始後の記録");
    return 0;
}

// Fills the log up to exactly the limit, then one byte past it.
QM_CHILD_MAIN(rotate) {
    const std::string path = args.at(0);
    const bool overByOne = args.at(1) == "over";
    KILNLOG.Start(path.c_str(), 1);
    const size_t now = ReadFile(path).size();
    const size_t fill = 1024 - now - ProbeHeaderLength() - 2 + (overByOne ? 1 : 0);
    LogProbe(std::string(fill, 'f'));
    if (!overByOne) LogProbe("next");
    return 0;
}

QM_CHILD_MAIN(burst) {
    KILNLOG.Start(args.at(0).c_str(), 4096);
    const int count = std::atoi(args.at(2).c_str());
    for (int i = 0; i < count; ++i) KILNLOG.Log(LOG_NORMAL, "%s %d", args.at(1).c_str(), i);
    return 0;
}

QM_CHILD_MAIN(fatal) {
    KILNLOG.Start(args.at(0).c_str(), 4096);
    KILNLOG.Log(LOG_FATAL, "致命的 %d", 1);
    return 0;
}

// Measures how long the start marker waits for a held lock, tells the test
// through the named event args[1] and, once the lock is free, writes the
// wait into the next record.
QM_CHILD_MAIN(blocked) {
    qm::CHandle waited(::OpenEventA(EVENT_MODIFY_STATE, FALSE, args.at(1).c_str()));
    LARGE_INTEGER f, t0, t1;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&t0);
    KILNLOG.Start(args.at(0).c_str(), 4096);  // waits out the held lock, then gives up
    ::QueryPerformanceCounter(&t1);
    ::SetEvent(waited.Get());
    KILNLOG.Log(LOG_NORMAL, "後続の記録 %lld",
                static_cast<long long>((t1.QuadPart - t0.QuadPart) * 1000 / f.QuadPart));
    return 0;
}

TEST(KilnLog, RecordBytesKindsAndNotices) {
    const std::string log = qmtest::NewFolder("records") + "rec.log";
    ASSERT_EQ(RunChild("records", log), 0);
    const std::string bytes = ReadFile(log);
    // The end marker is followed by one empty line, and every line ends in CR LF.
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes.substr(bytes.size() - 4), "\r\n\r\n");
    EXPECT_EQ(bytes.find("\n\n"), std::string::npos);
    // No version resource in the test program; kind 11 gives a notice instead of the message;
    // 2000 characters give a notice, then the text cut at 1023 bytes; no detail records.
    EXPECT_EQ(Marked(log),
              (Texts{"== ==========<開始()>==========", ".. 通常 42", "!! 失敗 ERR:0x00000005",
                     "## 不正なログ種別[11]が指定されました",
                     "## 出力サイズオーバーです。出力を切り詰めます",
                     ".. " + std::string(1023, 'z'), "-- ----------<終了>----------"}));
    EXPECT_NE(bytes.find("\t..\tKilnLogTest.cpp\t"), std::string::npos) << "the caller's file";
}

TEST(KilnLog, RecordsBeforeStartGoToTheSystemLog) {
    const std::string dir = qmtest::NewFolder("prestart");
    const std::string sysLog = GetLogFolder() + "test_common_sys.log";
    ::DeleteFileA(sysLog.c_str());
    ASSERT_EQ(RunChild("prestart", dir + "main.log 0"), 0);
    EXPECT_EQ(Marked(sysLog), (Texts{"## 出力先が設定されていません。デフォルト出力先を使用します",
                                     ".. 開始前の記録"}));
    // Start with 0 KB: the size notice precedes the start marker.
    Texts main = Marked(dir + "main.log");
    ASSERT_EQ(main.size(), 3u);
    EXPECT_EQ(main[0], "## サイズ指定0KBは不正です。4096KBとします");
    EXPECT_EQ(main[2], ".. 開始後の記録");
}

TEST(KilnLog, RotationAtTheLimitKeepsOneBackup) {
    // Exactly reaching the limit appends; the next record rotates and starts the new file.
    const std::string log = qmtest::NewFolder("rotate") + "r.log";
    ASSERT_TRUE(qmtest::WriteFile(log + ".BAK", "older generation"));
    ASSERT_EQ(RunChild("rotate", log + " exact"), 0);
    EXPECT_EQ(ReadFile(log + ".BAK").size(), 1024u);
    EXPECT_EQ(Marked(log), Texts{".. next"});

    // A log that an upload holds open (sharing read and write) is not rotated.
    ASSERT_TRUE(qmtest::WriteFile(log + ".BAK", "older generation"));
    ASSERT_TRUE(qmtest::WriteFile(log, ""));
    qm::CFileHandle reader(::CreateFileA(log.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         0, nullptr));
    ASSERT_TRUE(reader);
    ASSERT_EQ(RunChild("rotate", log + " over"), 0);
    EXPECT_EQ(ReadFile(log + ".BAK"), "older generation");
    EXPECT_EQ(Marked(log).size(), 2u);
}

TEST(KilnLog, ConcurrentWritersLoseNothingAndKeepTheirOrder) {
    const std::string log = qmtest::NewFolder("burst") + "b.log";
    constexpr int kWriters = 4, kEach = 300;
    std::vector<HANDLE> children;
    for (int w = 0; w < kWriters; ++w)
        children.push_back(qmtest::StartChild(
            "burst", log + " W" + std::to_string(w) + " " + std::to_string(kEach)));
    for (HANDLE h : children) {
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(::WaitForSingleObject(h, 120000), WAIT_OBJECT_0);
        ::CloseHandle(h);
    }
    // Every line a whole record, each writer's records complete and in order.
    int next[kWriters] = {}, starts = 0;
    const Texts records = Marked(log);
    for (const std::string& r : records) {
        if (r.compare(0, 3, "== ") == 0) {
            ++starts;
            continue;
        }
        ASSERT_EQ(r.compare(0, 4, ".. W"), 0) << r;
        const int w = r[4] - '0';
        ASSERT_TRUE(w >= 0 && w < kWriters) << r;
        EXPECT_EQ(r.substr(6), std::to_string(next[w]++)) << r;
    }
    EXPECT_EQ(starts, kWriters);
    for (int w = 0; w < kWriters; ++w) EXPECT_EQ(next[w], kEach) << w;
    EXPECT_EQ(SplitLines(ReadFile(log)).size(), records.size());
}

TEST(KilnLog, UnopenableFileIsReportedInTheSystemLog) {
    // The log's name is taken by a folder, which cannot be opened as a file.
    const std::string dir = qmtest::NewFolder("unopenable");
    ASSERT_TRUE(CreateDirectories((dir + "blocked.log").c_str()));
    ASSERT_EQ(RunChild("records", dir + "blocked.log"), 0);
    const Texts sys = Marked(dir + "test_common_sys.log");
    ASSERT_FALSE(sys.empty());
    for (const std::string& r : sys)
        EXPECT_EQ(r, "## ファイルエラーが発生しました。GetLastError[5]");
}

TEST(KilnLog, FatalRecordsKeepAtMostFourSnapshots) {
    // With four older snapshots the oldest (smallest name) gives way.
    const std::string dir = qmtest::NewFolder("fatal");
    for (const char* s : {"20000101000004", "20000101000001", "20000101000003", "20000101000002"})
        ASSERT_TRUE(qmtest::WriteFile(dir + "f_fatal" + s + ".log", s));
    ASSERT_EQ(RunChild("fatal", dir + "f.log"), 0);
    EXPECT_EQ(qmtest::ListFiles(dir + "f_fatal*").size(), 4u);
    EXPECT_FALSE(qmtest::FileExists(dir + "f_fatal20000101000001.log"));
    EXPECT_TRUE(qmtest::FileExists(dir + "f_fatal20000101000002.log"));
    Texts r = Marked(dir + "f.log");
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[1], ";; 致命的 1");
}

TEST(KilnLog, AHeldLockDropsTheRecordAfterTenSecondsWithANotice) {
    const std::string dir = qmtest::NewFolder("locked");
    const std::string log = dir + "locked.log";
    // Another writer holds the file's lock (named after the bare file name).
    qm::CHandle lock(::CreateMutexA(nullptr, TRUE, "locked.log"));
    ASSERT_TRUE(lock);
    const std::string eventName = "qm-kilnlog-waited-" + std::to_string(::GetCurrentProcessId());
    qm::CHandle waited(::CreateEventA(nullptr, TRUE, FALSE, eventName.c_str()));
    ASSERT_TRUE(waited);
    qm::CHandle child(qmtest::StartChild("blocked", log + " " + eventName));
    ASSERT_TRUE(child);
    // Released once the child's first record has given up, before its second.
    HANDLE both[] = {waited.Get(), child.Get()};
    ASSERT_EQ(::WaitForMultipleObjects(2, both, FALSE, 60000), WAIT_OBJECT_0);
    ::ReleaseMutex(lock.Get());
    EXPECT_EQ(::WaitForSingleObject(child.Get(), 30000), WAIT_OBJECT_0);

    Texts sys = Marked(dir + "test_common_sys.log");
    ASSERT_GE(sys.size(), 1u);
    EXPECT_EQ(sys[0], "## 排他で待てませんでした");
    // The start marker was dropped; the record after the release was written.
    Texts main = Marked(log);
    ASSERT_EQ(main.size(), 1u);
    const std::string head = ".. 後続の記録 ";
    ASSERT_EQ(main[0].compare(0, head.size(), head), 0) << main[0];
    // The program's own wait: ten seconds, once.
    const long long waitedMs = std::stoll(main[0].substr(head.size()));
    EXPECT_GE(waitedMs, 9900);
    EXPECT_LT(waitedMs, 15000);
}

// A caller may log a failure and read its error afterwards: no record, not
// even one that fails and writes a notice, changes the thread's last error.
TEST(KilnLog, RecordsLeaveTheCallersErrorAlone) {
    // This process has no log of its own: every record takes the path that
    // first writes the "no destination" notice to the system log.
    for (int kind : {static_cast<int>(LOG_NORMAL), static_cast<int>(LOG_ERROR), 11}) {
        ::SetLastError(0xdeadbeef);
        KILNLOG.Log(kind, "最後のエラーを保つ %d", kind);
        EXPECT_EQ(::GetLastError(), 0xdeadbeefu) << kind;
    }
    ::SetLastError(ERROR_SHARING_VIOLATION);
    KILNLOG.End();
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
}
