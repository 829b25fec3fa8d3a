// The retrying file operations: how often they try, how long they pause,
// what they log when they give up, and how a stop event cuts the pauses.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "LogTail.h"
#include "TestSupport.h"
#include "common/CodePage.h"
#include "common/FileRetry.h"
#include "common/WinHandle.h"

namespace {

qm::CHandle SignalledEvent() { return qm::CHandle(::CreateEventA(nullptr, TRUE, TRUE, nullptr)); }

DWORD ElapsedSince(DWORD start) { return ::GetTickCount() - start; }

// Signals an event after a delay, from its own thread.
class CDelayedSignal {
public:
    CDelayedSignal(HANDLE event, DWORD delayMs)
        : m_thread([event, delayMs] {
              ::Sleep(delayMs);
              ::SetEvent(event);
          }) {}
    ~CDelayedSignal() { m_thread.join(); }

private:
    std::thread m_thread;
};

}  // namespace

TEST(FileRetry, ReadAndWriteGiveUpWithOneRecordEach) {
    const std::string path = qmtest::NewFolder("retry_rw") + "data.bin";
    ASSERT_TRUE(qmtest::WriteFile(path, "0123456789"));
    // Opened for writing only, every read is refused; for reading only, every write.
    qm::CFileHandle writeOnly(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
    qm::CFileHandle readOnly(::CreateFileA(path.c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(writeOnly);
    ASSERT_TRUE(readOnly);
    qm::CHandle stop = SignalledEvent();
    CFileRetry retry(stop.Get());
    EXPECT_EQ(retry.GetLastError(), 0u);

    CLogTail log;
    char buf[16];
    DWORD n = 77;
    DWORD start = ::GetTickCount();
    ::SetLastError(0xdeadbeef);
    EXPECT_FALSE(retry.ReadFile_Recover(writeOnly.Get(), buf, sizeof buf, &n, nullptr));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(retry.GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_LT(ElapsedSince(start), 1000u) << "a signalled stop event must not be waited on";
    EXPECT_FALSE(retry.WriteFile_Recover(readOnly.Get(), "abc", 3, &n, nullptr));
    EXPECT_EQ(retry.GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    std::vector<CLogTail::Entry> records = log.Entries();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].mark, "!!");
    EXPECT_EQ(records[0].text, "ReadFile_Recover( ) - Error ERR:0x00000005 SIZE:16");
    EXPECT_EQ(records[1].text, "WriteFile_Recover( ) - Error ERR:0x00000005 SIZE:3");
    EXPECT_EQ(qmtest::ReadFile(path), "0123456789");
}

TEST(FileRetry, SuccessIsQuietAndLeavesNoError) {
    const std::string path = qmtest::NewFolder("retry_ok") + "data.bin";
    CFileRetry retry;  // no stop event: a failure here would sleep, so success must be first time
    CLogTail log;
    DWORD start = ::GetTickCount();
    qm::CFileHandle file(retry.CreateFile_Recover(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                                  nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file);
    DWORD n = 0;
    ASSERT_TRUE(retry.WriteFile_Recover(file.Get(), "hello", 5, &n, nullptr));
    EXPECT_EQ(n, 5u);
    ::SetFilePointer(file.Get(), 1, nullptr, FILE_BEGIN);
    char buf[8] = {};
    ASSERT_TRUE(retry.ReadFile_Recover(file.Get(), buf, sizeof buf, &n, nullptr));
    EXPECT_EQ(std::string(buf, n), "ello");
    EXPECT_LT(ElapsedSince(start), 1000u);
    EXPECT_EQ(retry.GetLastError(), 0u);
    EXPECT_TRUE(log.Entries().empty());
}

// The one timed run of the long schedule: a file held open by someone else
// is let go after 3.5 s, so the first two tries fail and the third, after
// two pauses of 3000 ms, succeeds at about 6 s.
TEST(FileRetry, OtherErrorsPauseThreeSecondsBetweenTries) {
    const std::string path = qmtest::NewFolder("retry_busy") + "busy.bin";
    ASSERT_TRUE(qmtest::WriteFile(path, "busy"));
    qm::CFileHandle holder(
        ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    CFileRetry retry;
    CLogTail log;
    DWORD start = ::GetTickCount();
    std::thread release([&holder] {
        ::Sleep(3500);
        holder.Reset();
    });
    qm::CFileHandle opened(retry.CreateFile_Recover(path.c_str(), GENERIC_READ, 0, nullptr,
                                                    OPEN_EXISTING, 0, nullptr));
    DWORD elapsed = ElapsedSince(start);
    release.join();
    EXPECT_TRUE(opened);
    EXPECT_GE(elapsed, 5800u);
    EXPECT_LT(elapsed, 8000u);
    EXPECT_EQ(retry.GetLastError(), 0u);
    EXPECT_TRUE(log.Errors().empty());
}

TEST(FileRetry, MissingFileGivesUpAfterThreeShortPauses) {
    const std::string folder = qmtest::NewFolder("retry_missing");
    const std::string path = folder + "none.bin";
    CFileRetry retry;
    CLogTail log;
    DWORD start = ::GetTickCount();
    ::SetLastError(0);
    HANDLE h = retry.CreateFile_Recover(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
    DWORD elapsed = ElapsedSince(start);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(retry.GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    // Three pauses of 500 ms, the last one after the third try.
    EXPECT_GE(elapsed, 1450u);
    EXPECT_LT(elapsed, 2800u);
    EXPECT_EQ(log.Errors(),
              std::vector<std::string>{"CreateFile_Recover( ) - Error ERR:0x00000002 PATH:" + path +
                                       " ACCESS:80000000 SHARE:1"});
}

TEST(FileRetry, StopEventSignalledMidwayCutsTheWait) {
    const std::string path = qmtest::NewFolder("retry_stop") + "busy.bin";
    ASSERT_TRUE(qmtest::WriteFile(path, "busy"));
    qm::CFileHandle holder(
        ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    qm::CHandle stop(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    CFileRetry retry(stop.Get());
    CLogTail log;
    DWORD start = ::GetTickCount();
    DWORD elapsed = 0;
    HANDLE h = nullptr;
    {
        CDelayedSignal signal(stop.Get(), 1000);
        h = retry.CreateFile_Recover(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, 0, nullptr);
        elapsed = ElapsedSince(start);
    }
    EXPECT_EQ(h, INVALID_HANDLE_VALUE);
    // Instead of three pauses of 3000 ms: the first cut at 1 s, the others at once.
    EXPECT_GE(elapsed, 900u);
    EXPECT_LT(elapsed, 2500u);
    EXPECT_EQ(retry.GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(log.Errors(),
              std::vector<std::string>{"CreateFile_Recover( ) - Error ERR:0x00000020 PATH:" + path +
                                       " ACCESS:40000000 SHARE:2"});
}

TEST(FileRetry, WidePathIsUsedWithoutAnAnsiOneAndLoggedInAnsi) {
    const std::string folder = qmtest::NewFolder("retry_wide");
    std::wstring name = AnsiToWide(folder) + L"caf";
    name += wchar_t(0x00E9);  // é has no code page 932 form
    name += L".txt";
    qm::CHandle stop = SignalledEvent();
    CFileRetry retry(stop.Get());
    {
        qm::CFileHandle created(retry.CreateFile_Recover(nullptr, GENERIC_WRITE, 0, nullptr,
                                                         CREATE_NEW, 0, nullptr, name.c_str()));
        ASSERT_TRUE(created);
    }
    EXPECT_NE(::GetFileAttributesW(name.c_str()), INVALID_FILE_ATTRIBUTES);

    CLogTail log;
    std::wstring missing = name + L".none";
    EXPECT_EQ(retry.CreateFile_Recover(nullptr, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr,
                                       missing.c_str()),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(log.Errors(),
              std::vector<std::string>{"CreateFile_Recover( ) - Error ERR:0x00000002 PATH:" +
                                       WideToAnsi(missing) + " ACCESS:80000000 SHARE:0"});
}
