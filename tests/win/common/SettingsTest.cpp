// The settings file through the real profile calls, and the music file.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LogTail.h"
#include "TestSupport.h"
#include "common/CodePage.h"
#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "common/WickerdaleConfig.h"
#include "common/WinHandle.h"

namespace {

using Texts = std::vector<std::string>;

std::string IniPath() { return GetSettingFolder() + "Quillmarch.ini"; }
std::string MusicPath() { return GetSettingFolder() + "Quillmarch_Music.Dat"; }

std::string DateOf(const SYSTEMTIME& t) {
    char buf[64];
    snprintf(buf, sizeof buf, "%d-%d-%d %d:%d:%d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
             t.wSecond);
    return buf;
}

// The music file: a byte-order mark and little-endian UTF-16.
std::string MusicBytes(const std::wstring& text) {
    std::string out("\xFF\xFE", 2);
    for (wchar_t c : text) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>((c >> 8) & 0xFF);
    }
    return out;
}

std::string Profile(const char* section, const char* key) {
    char buf[MAX_PATH] = {};
    ::GetPrivateProfileStringA(section, key, "<none>", buf, sizeof buf, IniPath().c_str());
    return buf;
}

class Settings : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }

    static void Clean() {
        // A test may have put a folder in the files' places.
        for (const std::string& p : {IniPath(), MusicPath()}) {
            if (IsDirectory(p.c_str()))
                DeleteFolderTree(p.c_str(), true);
            else
                ::DeleteFileA(p.c_str());
        }
        FlushProfileCache();
    }
    // The profile calls may keep a file in memory; make them read it again.
    static void FlushProfileCache() {
        ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, IniPath().c_str());
    }
    static void WriteIni(const std::string& text) {
        ASSERT_TRUE(qmtest::WriteFile(IniPath(), text));
        FlushProfileCache();
    }
};

}  // namespace

TEST_F(Settings, AMissingFileReadsAsAllKeysMissing) {
    CLogTail log;
    CWickerdaleConfig config;
    EXPECT_TRUE(config.LoadSetting());
    EXPECT_TRUE(config.LoadMap());
    EXPECT_TRUE(config.LoadMusic());
    EXPECT_EQ(config.GetNotifiesLater(), 1) << "missing is 1, though the reset value is 0";
    EXPECT_STREQ(config.GetDownloadFolderPath(), GetDefaultDownloadFolder().c_str());
    // The OS error of the missing file, eight upper-case hexadecimal digits.
    ASSERT_EQ(log.Errors().size(), 15u);
    EXPECT_EQ(log.Errors().at(0), "CWickerdaleConfig::LoadDownloadFolder - error[00000002]");
    EXPECT_FALSE(PathExists(IniPath().c_str())) << "loading writes nothing";
}

TEST_F(Settings, DamagedValues) {
    WriteIni(
        "[Setting]\r\nNotifiesLater=7x\r\nFinalConfirmationDate=2024010203\r\n"
        "DownloadFolderPath=D:\\表\r\nDataAutoDelete=abc\r\nTransmitExe1=\r\n"
        "[Map]\r\nSpeedOfLine=fast\r\nMapNotifyFinalConfirmationDate=20231231235959\r\n"
        "[Music]\r\nMusicFolder=C:\\曲\r\nAutoChargeType=x\r\nLastAutoCharge=garbage\r\n");
    CLogTail log;
    CWickerdaleConfig config;
    EXPECT_FALSE(config.LoadSetting());
    EXPECT_EQ(config.GetNotifiesLater(), 7);   // the leading number
    EXPECT_EQ(config.GetDataAutoDelete(), 0);  // wholly non-numeric
    EXPECT_EQ(config.GetTransmitExe1(), 1);    // empty is missing
    EXPECT_EQ(DateOf(config.GetFinalConfirmationDate()), "0-0-0 0:0:0");
    EXPECT_TRUE(config.LoadMap()) << "SpeedOfLine never fails the section";
    EXPECT_EQ(config.GetSpeedOfLine(), 0);
    EXPECT_EQ(DateOf(config.GetMapNotifyFinalConfirmationDate()), "2023-12-31 23:59:59");
    EXPECT_FALSE(config.LoadMusic());
    EXPECT_EQ(config.GetAutoChargeType(), 0);
    Texts errors = log.Errors();
    ASSERT_GE(errors.size(), 4u);
    EXPECT_EQ(Texts(errors.begin(), errors.begin() + 4),
              (Texts{"CWickerdaleConfig::LoadAutoUpdateLater - Invalid format[2024010203]",
                     "CWickerdaleConfig::LoadSpeedOfLine - Invalid format[fast]",
                     // Missing from a file that exists: the profile call reports no error.
                     "CWickerdaleConfig::LoadChargeType - error[00000000]",
                     "CWickerdaleConfig::LoadAutoChargeType - Invalid format[x]"}));

    // The text form wins over the profile integer; a 13-digit date still has six fields and a
    // bad one leaves the date it had.
    WriteIni("[Setting]\r\nFinalConfirmationDate=2023113008091\r\n[Map]\r\nSpeedOfLine= -40k\r\n");
    EXPECT_TRUE(config.LoadMap());
    EXPECT_EQ(config.GetSpeedOfLine(), -40);
    EXPECT_TRUE(config.LoadAutoUpdateLater());
    WriteIni("[Setting]\r\nFinalConfirmationDate=never\r\n");
    EXPECT_FALSE(config.LoadAutoUpdateLater());
    EXPECT_EQ(DateOf(config.GetFinalConfirmationDate()), "2023-11-30 8:9:1");
}

// Each key goes through the retry rule with its own most (the rule's bounds: SettingValuesTest).
TEST_F(Settings, RetryTuningBounds) {
    struct {
        const char *interval, *max;
        int expectedInterval, expectedMax;
    } cases[] = {{"300", "20", 300, 20}, {"301", "21", 5, 6}};
    for (const auto& c : cases) {
        WriteIni(std::string("[Map]\r\nRetryInterval=") + c.interval + "\r\nRetryMax=" + c.max +
                 "\r\n");
        CWickerdaleConfig config;
        EXPECT_TRUE(config.LoadMap());
        EXPECT_EQ(config.GetRetryInterval(), c.expectedInterval) << c.interval;
        EXPECT_EQ(config.GetRetryMax(), c.expectedMax) << c.max;
    }
}

TEST_F(Settings, ResetValuesInANewFileInByteOrder) {
    WriteIni("[Setting]\r\nNotifiesLater=5\r\n");
    CWickerdaleConfig config;
    ASSERT_TRUE(config.LoadSetting());
    EXPECT_TRUE(config.ResetSetting(false));
    EXPECT_EQ(config.GetNotifiesLater(), 0);
    EXPECT_EQ(Profile("Setting", "NotifiesLater"), "5") << "without saving, only the values change";

    Clean();
    ASSERT_TRUE(config.ResetSetting(true));
    ASSERT_TRUE(config.ResetMap(true));
    config.ResetMusic(false);
    config.StoreMusicFolder(L"C:\\Music");
    ASSERT_TRUE(config.SaveMusic());
    const std::string expected =
        "[Setting]\r\nDataAutoDelete=1\r\nDownloadFolderPath=" + GetDefaultDownloadFolder() +
        "\r\nFinalConfirmationDate=00000000000000\r\nLauncherAutoUpdate=1\r\nNotifiesLater=0\r\n"
        "TransmitExe1=1\r\nTransmitExe2=1\r\nTransmitExe3=1\r\nTransmitExe4=1\r\n"
        "[Map]\r\nMapNotifiesLater=0\r\nMapNotifyFinalConfirmationDate=00000000000000\r\n"
        "MapNotifyMessage=1\r\nMapNotifyMessageLoseReserve=1\r\nMapNotifyMessagePassword=1\r\n"
        "MapNotifyMessageRemind=1\r\nSpeedOfLine=0\r\n"
        "[Music]\r\nAutoChargeType=0\r\nChargeInterval=7\r\nChargeLimit=1\r\nChargeType=2\r\n"
        "LimitFileCount=100\r\nLimitSize=500\r\nMusicFolder=C:\\Music\r\nRandomPercent=50\r\n";
    // Blank lines between sections are the profile writer's business.
    std::string compact;
    for (const std::string& line : qmtest::SplitLines(qmtest::ReadFile(IniPath())))
        if (!line.empty()) compact += line + "\r\n";
    EXPECT_EQ(compact, expected);
}

TEST_F(Settings, SettersAndDatesWriteThrough) {
    {
        CWickerdaleConfig config;
        config.LoadSetting();
        ASSERT_TRUE(config.SetLauncherAutoUpdate(0));
        // Year, month, day of week, day, hour, minute, second, milliseconds.
        config.StoreFinalConfirmationDate({2025, 2, 1, 3, 4, 5, 6, 789});
        ASSERT_TRUE(config.SaveSetting());
        EXPECT_EQ(Profile("Setting", "FinalConfirmationDate"), "20250203040506");
        EXPECT_FALSE(config.SetDownloadFolderPath(nullptr));
        EXPECT_EQ(Profile("Setting", "DownloadFolderPath"), GetDefaultDownloadFolder());
        EXPECT_TRUE(config.SetDownloadFolderPath("E:\\ダウンロード\\"));
        EXPECT_EQ(Profile("Setting", "DownloadFolderPath"), "E:\\ダウンロード\\");
    }
    CWickerdaleConfig again;
    EXPECT_TRUE(again.LoadSetting());
    EXPECT_EQ(again.GetLauncherAutoUpdate(), 0);
    EXPECT_EQ(again.GetNotifiesLater(), 1) << "loaded as missing (1) and saved as such";
    EXPECT_EQ(DateOf(again.GetFinalConfirmationDate()), "2025-2-3 4:5:6");
}

TEST_F(Settings, FailedWritesAreLoggedKeyByKey) {
    // A folder where the ini should be: every profile write fails.
    ASSERT_TRUE(CreateDirectories(IniPath().c_str()));
    CWickerdaleConfig config;
    config.ResetSetting(false);
    CLogTail log;
    EXPECT_FALSE(config.SaveSetting());
    Texts errors = log.Errors();
    ASSERT_EQ(errors.size(), 9u);
    EXPECT_EQ(errors[2].substr(0, errors[2].find(')') + 1),
              "設定ファイルへの保存失敗 (FinalConfirmationDate=00000000000000)");
    // The OS error is eight lower-case hexadecimal digits in brackets.
    const std::string code = errors[8].substr(errors[8].size() - 10);
    EXPECT_EQ(code.front(), '[');
    EXPECT_EQ(code.back(), ']');
    EXPECT_EQ(code.find_first_not_of("0123456789abcdef", 1), 9u) << code;
    EXPECT_FALSE(config.SetLauncherAutoUpdate(0));
}

TEST_F(Settings, MusicFileBytesAndSharing) {
    CWickerdaleConfig config;
    config.ResetMusic(false);
    config.StoreMusicFolder(L"C:\\M");
    config.StoreManualRecentFolder(L"D:\\R");
    ASSERT_TRUE(config.SaveMusicSetting());
    // The music tool holds the file open for reading and writing, sharing
    // both: the save goes through all the same, and the tool reads its bytes.
    qm::CFileHandle tool(::CreateFileA(MusicPath().c_str(), GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       0, nullptr));
    ASSERT_TRUE(tool);
    config.StoreMusicFolder(L"C:\\N");
    CLogTail log;
    EXPECT_TRUE(config.SaveMusicSetting());
    EXPECT_TRUE(log.Errors().empty());
    char bytes[128] = {};
    DWORD got = 0;
    ASSERT_TRUE(::ReadFile(tool.Get(), bytes, sizeof bytes, &got, nullptr));
    EXPECT_EQ(std::string(bytes, got),
              MusicBytes(L"MusicFolderW=C:\\N||ManualRecentFolderW=D:\\R||"));
}

TEST_F(Settings, MusicFileFallsBackToTheIniValue) {
    WriteIni("[Music]\r\nMusicFolder=C:\\曲\r\nManualRecentFolder=D:\\手\r\n");
    // A key without its "||" gives nothing; the other key is there.
    ASSERT_TRUE(qmtest::WriteFile(MusicPath(),
                                  MusicBytes(L"ManualRecentFolderW=X:\\w||MusicFolderW=Y:\\y")));
    CWickerdaleConfig config;
    EXPECT_TRUE(config.LoadMusic());
    EXPECT_EQ(config.GetMusicFolderW(), AnsiToWide("C:\\曲"));
    EXPECT_EQ(config.GetManualRecentFolderW(), L"X:\\w");

    // Without the music file and the ini key the wide value is cleared and the miss logged
    // with the profile call's own error (none), not the music file's or the log's.
    ASSERT_TRUE(::DeleteFileA(MusicPath().c_str()));
    WriteIni("[Music]\r\nChargeType=1\r\n");
    CLogTail log2;
    EXPECT_TRUE(config.LoadMusicFolderW());
    EXPECT_EQ(config.GetMusicFolderW(), L"");
    EXPECT_EQ(log2.Count("CWickerdaleConfig::LoadMusicFolderW - error[00000000]"), 1u);
}

TEST_F(Settings, MusicFileThatCannotBeWritten) {
    ASSERT_TRUE(CreateDirectories(MusicPath().c_str()));
    CWickerdaleConfig config;
    config.ResetMusic(false);
    CLogTail log;
    EXPECT_FALSE(config.SaveMusic());
    EXPECT_EQ(log.Count("CWickerdaleConfig::SaveMusicSetting - _wfopen ["), 1u);
    EXPECT_EQ(Profile("Music", "ChargeType"), "2") << "the ini keys were written all the same";
}

TEST_F(Settings, AnOversizedMusicFileIsRefusedAsOutOfMemory) {
    WriteIni("[Music]\r\nMusicFolder=C:\\ini\r\n");  // not taken instead
    {
        ASSERT_TRUE(qmtest::WriteFile(MusicPath(),
                                      MusicBytes(L"MusicFolderW=C:\\dat||ManualRecentFolderW=||")));
        qm::CFileHandle f(::CreateFileA(MusicPath().c_str(), GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
        LARGE_INTEGER size;
        size.QuadPart = 16 * 1024 * 1024 + 2;  // just past the largest file read
        ASSERT_TRUE(::SetFilePointerEx(f.Get(), size, nullptr, FILE_BEGIN));
        ASSERT_TRUE(::SetEndOfFile(f.Get()));
    }
    CWickerdaleConfig config;
    CLogTail log;
    EXPECT_TRUE(config.LoadMusicSetting(true));
    EXPECT_EQ(config.GetMusicFolderW(), L"");
    EXPECT_EQ(log.Errors(),
              Texts{"CWickerdaleConfig::LoadMusicSetting - メモリ確保失敗 [00000008]"});
}
