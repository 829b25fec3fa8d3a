// The retrying file operations: how often they try, how long they pause,
// what they log when they give up, and that a stop event cuts the pauses.
#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "LogTail.h"
#include "TestSupport.h"
#include "common/CodePage.h"
#include "common/FileRetry.h"
#include "common/WinHandle.h"

namespace {

// Records the pauses instead of waiting; onPause runs at each (1-based).
class CRecordingRetry : public CFileRetry {
public:
    std::vector<DWORD> pauses;
    std::function<void(size_t)> onPause;

protected:
    void Pause(DWORD ms) override {
        pauses.push_back(ms);
        if (onPause) onPause(pauses.size());
    }
};

}  // namespace

// With the stop event already set, the real pauses end at once: the three
// tries of each operation are seen through LastTries.
TEST(FileRetry, ReadAndWriteTryThreeTimesAndLogOnce) {
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
    qm::CHandle stop(::CreateEventA(nullptr, TRUE, TRUE, nullptr));
    CFileRetry retry(stop.Get());

    CLogTail log;
    char buf[16];
    DWORD n = 77;
    const DWORD start = ::GetTickCount();
    ::SetLastError(0xdeadbeef);
    EXPECT_FALSE(retry.ReadFile_Recover(writeOnly.Get(), buf, sizeof buf, &n, nullptr));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(retry.LastTries(), 3);
    ::SetLastError(0xdeadbeef);
    EXPECT_FALSE(retry.WriteFile_Recover(readOnly.Get(), "abc", 3, &n, nullptr));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(retry.LastTries(), 3);
    // Six pauses of 3 s had the event not cut them.
    EXPECT_LT(::GetTickCount() - start, 3000u) << "a signalled stop event must not be waited on";
    EXPECT_EQ(log.Errors(),
              (std::vector<std::string>{"ReadFile_Recover( ) - Error ERR:0x00000005 SIZE:16",
                                        "WriteFile_Recover( ) - Error ERR:0x00000005 SIZE:3"}));
    EXPECT_EQ(qmtest::ReadFile(path), "0123456789");
}

// A file held by someone else is let go during the second pause: the third
// try opens it, after two pauses of 3000 ms.
TEST(FileRetry, OtherErrorsPauseThreeSecondsBetweenTries) {
    const std::string path = qmtest::NewFolder("retry_busy") + "busy.bin";
    ASSERT_TRUE(qmtest::WriteFile(path, "busy"));
    qm::CFileHandle holder(
        ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    CRecordingRetry retry;
    retry.onPause = [&](size_t n) {
        if (n == 2) holder.Reset();
    };
    CLogTail log;
    qm::CFileHandle opened(retry.CreateFile_Recover(path.c_str(), GENERIC_READ, 0, nullptr,
                                                    OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(opened);
    EXPECT_EQ(retry.pauses, (std::vector<DWORD>{3000, 3000}));
    EXPECT_EQ(retry.LastTries(), 3);
    EXPECT_EQ(retry.GetLastError(), 0u);
    EXPECT_TRUE(log.Errors().empty());
}

TEST(FileRetry, MissingFileGivesUpAfterThreeShortPauses) {
    const std::string path = qmtest::NewFolder("retry_missing") + "none.bin";
    CRecordingRetry retry;
    CLogTail log;
    HANDLE h = retry.CreateFile_Recover(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(retry.GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    // The last pause comes after the third try too.
    EXPECT_EQ(retry.pauses, (std::vector<DWORD>{500, 500, 500}));
    EXPECT_EQ(log.Errors(),
              std::vector<std::string>{"CreateFile_Recover( ) - Error ERR:0x00000002 PATH:" + path +
                                       " ACCESS:80000000 SHARE:1"});
}

TEST(FileRetry, WidePathIsUsedWithoutAnAnsiOneAndLoggedInAnsi) {
    const std::string folder = qmtest::NewFolder("retry_wide");
    // é has no code page 932 form.
    const std::wstring name = AnsiToWide(folder) + L"caf" + wchar_t(0x00E9) + L".txt";
    CRecordingRetry retry;
    {
        qm::CFileHandle created(retry.CreateFile_Recover(nullptr, GENERIC_WRITE, 0, nullptr,
                                                         CREATE_NEW, 0, nullptr, name.c_str()));
        ASSERT_TRUE(created);
        // Success at the first try is quiet and leaves no error.
        EXPECT_EQ(retry.LastTries(), 1);
        EXPECT_TRUE(retry.pauses.empty());
        EXPECT_EQ(retry.GetLastError(), 0u);
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
