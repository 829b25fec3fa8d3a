// The diagnostic log on real files. Each scenario runs in a child process,
// because a process decides its log path once.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <regex>
#include <string>

#include "TestSupport.h"
#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "common/KilnLog.h"
#include "common/WinHandle.h"

using qmtest::ReadFile;
using qmtest::SplitLines;

namespace {

// Header fields of one record line: "date time<TAB>mark<TAB>file<TAB>line<TAB>tid<TAB>message".
struct Record {
    std::string stamp, mark, file, line, tid, rest;
};
bool ParseRecord(const std::string& lineText, Record& r) {
    static const std::regex re(
        R"(^(\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2}:\d{3})\t([^\t]*)\t([^\t]*)\t(-?\d+)\t([0-9a-f]+)\t(.*)$)");
    std::smatch m;
    if (!std::regex_match(lineText, m, re)) return false;
    r = {m[1], m[2], m[3], m[4], m[5], m[6]};
    return true;
}
std::vector<Record> Records(const std::string& path) {
    std::vector<Record> out;
    for (const std::string& l : SplitLines(ReadFile(path))) {
        Record r;
        if (ParseRecord(l, r)) out.push_back(r);
    }
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

uint64_t SizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) return 0;
    return (static_cast<uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

}  // namespace

// --- child bodies -----------------------------------------------------------

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
    const uint64_t now = SizeOf(path);
    const size_t fill = 1024 - now - ProbeHeaderLength() - 2 + (overByOne ? 1 : 0);
    LogProbe(std::string(fill, 'f'));
    if (!overByOne) LogProbe("next");
    return 0;
}

QM_CHILD_MAIN(fatal) {
    KILNLOG.Start(args.at(0).c_str(), 4096);
    KILNLOG.Log(LOG_FATAL, "致命的 %d", 1);
    return 0;
}

QM_CHILD_MAIN(burst) {
    KILNLOG.Start(args.at(0).c_str(), 4096);
    const int count = std::atoi(args.at(2).c_str());
    for (int i = 0; i < count; ++i) KILNLOG.Log(LOG_NORMAL, "%s %d", args.at(1).c_str(), i);
    return 0;
}

QM_CHILD_MAIN(detail) {
    KILNLOG.Start(args.at(0).c_str(), 4096);
    KILNLOG.Log(LOG_DETAIL, "詳細記録");
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

// --- tests ------------------------------------------------------------------

TEST(KilnLog, RecordBytesKindsAndNotices) {
    const std::string dir = qmtest::NewFolder("records");
    const std::string log = dir + "rec.log";
    ASSERT_EQ(RunChild("records", log), 0);

    const std::string bytes = ReadFile(log);
    ASSERT_FALSE(bytes.empty());
    // The end marker is followed by one empty line, and every line ends in CR LF.
    EXPECT_EQ(bytes.substr(bytes.size() - 4), "\r\n\r\n");
    EXPECT_EQ(bytes.find("\n\n"), std::string::npos);

    std::vector<Record> r = Records(log);
    ASSERT_EQ(r.size(), 7u) << bytes;
    EXPECT_EQ(r[0].mark, "==");
    EXPECT_EQ(r[0].rest,
              "==========<開始()>==========");  // no version resource in the test program
    EXPECT_EQ(r[1].mark, "..");
    EXPECT_EQ(r[1].file, "KilnLogTest.cpp");
    EXPECT_EQ(r[1].rest, "通常 42");
    EXPECT_EQ(r[2].mark, "!!");
    EXPECT_EQ(r[2].rest, "失敗 ERR:0x00000005");
    EXPECT_EQ(std::stoi(r[2].line), std::stoi(r[1].line) + 1);
    // Kind 11: the notice instead of the message.
    EXPECT_EQ(r[3].mark, "##");
    EXPECT_EQ(r[3].rest, "不正なログ種別[11]が指定されました");
    // 2000 characters: the notice first, then the text cut at 1023 bytes.
    EXPECT_EQ(r[4].mark, "##");
    EXPECT_EQ(r[4].rest, "出力サイズオーバーです。出力を切り詰めます");
    EXPECT_EQ(r[5].rest, std::string(1023, 'z'));
    EXPECT_EQ(r[6].mark, "--");
    EXPECT_EQ(r[6].rest, "----------<終了>----------");
    // The thread id is the child's: the same on every record, lower-case hex.
    for (const Record& x : r) EXPECT_EQ(x.tid, r[0].tid);
    EXPECT_EQ(bytes.find("詳細"), std::string::npos);
}

TEST(KilnLog, RecordsBeforeStartGoToTheSystemLog) {
    const std::string dir = qmtest::NewFolder("prestart");
    const std::string sysLog = GetLogFolder() + "test_common_sys.log";
    ::DeleteFileA(sysLog.c_str());
    ASSERT_EQ(RunChild("prestart", dir + "main.log 0"), 0);

    std::vector<Record> sys = Records(sysLog);
    ASSERT_EQ(sys.size(), 2u) << ReadFile(sysLog);
    EXPECT_EQ(sys[0].mark, "##");
    EXPECT_EQ(sys[0].rest, "出力先が設定されていません。デフォルト出力先を使用します");
    EXPECT_EQ(sys[1].mark, "..");
    EXPECT_EQ(sys[1].rest, "開始前の記録");

    // Start with 0 KB: the size notice precedes the start marker.
    std::vector<Record> main = Records(dir + "main.log");
    ASSERT_EQ(main.size(), 3u);
    EXPECT_EQ(main[0].rest, "サイズ指定0KBは不正です。4096KBとします");
    EXPECT_EQ(main[1].mark, "==");
    EXPECT_EQ(main[2].rest, "開始後の記録");
}

TEST(KilnLog, RotationAtTheLimitKeepsOneBackup) {
    // Exactly reaching the limit appends; the next record rotates and starts
    // the new file.
    const std::string dir = qmtest::NewFolder("rotate");
    const std::string log = dir + "r.log";
    ASSERT_TRUE(qmtest::WriteFile(log + ".BAK", "older generation"));
    ASSERT_EQ(RunChild("rotate", log + " exact"), 0);
    EXPECT_EQ(SizeOf(log + ".BAK"), 1024u);
    std::vector<Record> fresh = Records(log);
    ASSERT_EQ(fresh.size(), 1u);
    EXPECT_EQ(fresh[0].rest, "next");
    EXPECT_EQ(ReadFile(log + ".BAK").find("older generation"), std::string::npos);
}

TEST(KilnLog, ALogHeldOpenElsewhereIsNotRotated) {
    const std::string dir = qmtest::NewFolder("rotate_held");
    const std::string log = dir + "r.log";
    ASSERT_TRUE(qmtest::WriteFile(log + ".BAK", "older generation"));
    ASSERT_TRUE(qmtest::WriteFile(log, ""));
    // An upload reads the log, sharing it for reading and writing.
    qm::CFileHandle reader(::CreateFileA(log.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         0, nullptr));
    ASSERT_TRUE(reader);
    ASSERT_EQ(RunChild("rotate", log + " over"), 0);
    EXPECT_EQ(ReadFile(log + ".BAK"), "older generation");
    std::vector<Record> r = Records(log);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].mark, "==");
}

TEST(KilnLog, FatalRecordsKeepAtMostFourSnapshots) {
    const std::string dir = qmtest::NewFolder("fatal");
    const std::string log = dir + "f.log";
    ASSERT_EQ(RunChild("fatal", log), 0);
    std::vector<std::string> snaps = qmtest::ListFiles(dir + "f_fatal*");
    ASSERT_EQ(snaps.size(), 1u);
    EXPECT_TRUE(std::regex_match(snaps[0], std::regex(R"(f_fatal\d{14}\.log)"))) << snaps[0];
    EXPECT_EQ(ReadFile(dir + snaps[0]), ReadFile(log));

    // With four older snapshots the oldest (smallest name) gives way.
    const std::string dir2 = qmtest::NewFolder("fatal2");
    const std::string log2 = dir2 + "f.log";
    for (const char* s : {"20000101000004", "20000101000001", "20000101000003", "20000101000002"})
        ASSERT_TRUE(qmtest::WriteFile(dir2 + "f_fatal" + s + ".log", s));
    ASSERT_EQ(RunChild("fatal", log2), 0);
    std::vector<std::string> left = qmtest::ListFiles(dir2 + "f_fatal*");
    EXPECT_EQ(left.size(), 4u);
    EXPECT_FALSE(qmtest::FileExists(dir2 + "f_fatal20000101000001.log"));
    EXPECT_TRUE(qmtest::FileExists(dir2 + "f_fatal20000101000002.log"));
    std::vector<Record> r = Records(log2);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[1].mark, ";;");
    EXPECT_EQ(r[1].rest, "致命的 1");
}

TEST(KilnLog, ConcurrentWritersLoseNothingAndKeepTheirOrder) {
    const std::string dir = qmtest::NewFolder("burst");
    const std::string log = dir + "b.log";
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
    std::map<std::string, int> next;
    int starts = 0, total = 0;
    for (const Record& r : Records(log)) {
        if (r.mark == "==") {
            ++starts;
            continue;
        }
        size_t sp = r.rest.find(' ');
        ASSERT_NE(sp, std::string::npos) << r.rest;
        std::string who = r.rest.substr(0, sp);
        EXPECT_EQ(std::stoi(r.rest.substr(sp + 1)), next[who]) << who;
        next[who] = std::stoi(r.rest.substr(sp + 1)) + 1;
        ++total;
    }
    EXPECT_EQ(starts, kWriters);
    EXPECT_EQ(total, kWriters * kEach);
    for (int w = 0; w < kWriters; ++w) EXPECT_EQ(next["W" + std::to_string(w)], kEach);
    // Every line is a whole record: no interleaving inside a line.
    size_t lines = SplitLines(ReadFile(log)).size();
    EXPECT_EQ(lines, static_cast<size_t>(kWriters + kWriters * kEach));
}

TEST(KilnLog, DetailSwitchFromWklogIni) {
    // WKLOG.ini sits beside the program, so the child runs from a copy.
    const std::string dir = qmtest::NewFolder("detail");
    const std::string exe = dir + "test_common.exe";
    ASSERT_TRUE(::CopyFileA(GetExePath().c_str(), exe.c_str(), FALSE));

    auto run = [&](const std::string& log) {
        return qmtest::RunProcess(exe, "--child=detail " + log, 60000).exitCode;
    };
    // Without the file detail records are dropped (see the first case).
    ASSERT_TRUE(qmtest::WriteFile(dir + "WKLOG.ini", "[Log]\r\nRecover=0\r\n"));
    ASSERT_EQ(run(dir + "zero.log"), 0u);
    EXPECT_EQ(ReadFile(dir + "zero.log").find("詳細記録"), std::string::npos);

    ASSERT_TRUE(qmtest::WriteFile(dir + "WKLOG.ini", "[Log]\r\nRecover=2\r\n"));
    ASSERT_EQ(run(dir + "on.log"), 0u);
    std::vector<Record> r = Records(dir + "on.log");
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[1].mark, "@@");
    // Japanese text stays out of the regular expression: Shift-JIS trail
    // bytes can be '[' or '^'.
    const std::string tail = "\t詳細記録";
    ASSERT_GT(r[1].rest.size(), tail.size());
    EXPECT_EQ(r[1].rest.substr(r[1].rest.size() - tail.size()), tail);
    std::smatch m;
    std::string figures = r[1].rest.substr(0, r[1].rest.size() - tail.size());
    ASSERT_TRUE(std::regex_match(figures, m, std::regex(R"(\[WS:(\d+)KB, PF:(\d+)KB\])")))
        << figures;
    EXPECT_GT(std::stoi(m[1]), 0);
}

TEST(KilnLog, UnopenableFileIsReportedInTheSystemLog) {
    const std::string dir = qmtest::NewFolder("unopenable");
    // The log's name is taken by a folder.
    ASSERT_TRUE(CreateDirectories((dir + "blocked.log").c_str()));
    const std::string sysLog = dir + "test_common_sys.log";
    ASSERT_EQ(RunChild("records", dir + "blocked.log"), 0);
    std::vector<Record> sys = Records(sysLog);
    ASSERT_FALSE(sys.empty()) << "no system log at " << sysLog;
    for (const Record& r : sys) {
        EXPECT_EQ(r.mark, "##");
        // A folder cannot be opened as a file: access denied.
        EXPECT_EQ(r.rest, "ファイルエラーが発生しました。GetLastError[5]");
    }
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

    std::vector<Record> sys = Records(dir + "test_common_sys.log");
    ASSERT_GE(sys.size(), 1u);
    EXPECT_EQ(sys[0].mark, "##");
    EXPECT_EQ(sys[0].rest, "排他で待てませんでした");
    // The start marker was dropped; the record after the release was written.
    std::vector<Record> main = Records(log);
    ASSERT_FALSE(main.empty());
    const std::string head = "後続の記録 ";
    ASSERT_EQ(main.back().rest.compare(0, head.size(), head), 0) << main.back().rest;
    // The program's own wait: ten seconds, once.
    const long long waitedMs = std::stoll(main.back().rest.substr(head.size()));
    EXPECT_GE(waitedMs, 9900);
    EXPECT_LT(waitedMs, 15000);
    for (const Record& r : main) EXPECT_NE(r.mark, "==");
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
