// The settings file through the real profile calls, and the music file.
#include <windows.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
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

std::string IniPath() { return GetSettingFolder() + "Quillmarch.ini"; }
std::string MusicPath() { return GetSettingFolder() + "Quillmarch_Music.Dat"; }

std::string DateOf(const SYSTEMTIME& t) {
    char buf[64];
    snprintf(buf, sizeof buf, "%d-%d-%d %d:%d:%d w%d ms%d", t.wYear, t.wMonth, t.wDay, t.wHour,
             t.wMinute, t.wSecond, t.wDayOfWeek, t.wMilliseconds);
    return buf;
}

// Counts the records that begin with prefix (the OS error at the end varies).
size_t CountPrefix(const std::vector<std::string>& texts, const std::string& prefix) {
    return std::count_if(texts.begin(), texts.end(), [&prefix](const std::string& t) {
        return t.compare(0, prefix.size(), prefix) == 0;
    });
}

std::string Utf16(const std::wstring& text) {
    std::string out;
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
    EXPECT_EQ(config.GetIniPath(), IniPath());
    EXPECT_EQ(config.GetMusicFilePath(), AnsiToWide(MusicPath()));
    EXPECT_TRUE(config.LoadSetting());
    EXPECT_EQ(config.GetLauncherAutoUpdate(), 1);
    EXPECT_EQ(config.GetNotifiesLater(), 1) << "missing is 1, though the reset value is 0";
    EXPECT_EQ(DateOf(config.GetFinalConfirmationDate()), "0-0-0 0:0:0 w0 ms0");
    EXPECT_STREQ(config.GetDownloadFolderPath(), GetDefaultDownloadFolder().c_str());
    EXPECT_EQ(config.GetDataAutoDelete(), 1);
    EXPECT_EQ(config.GetTransmitExe1(), 1);
    EXPECT_EQ(config.GetTransmitExe4(), 1);

    EXPECT_TRUE(config.LoadMap());
    EXPECT_EQ(config.GetSpeedOfLine(), 0);
    EXPECT_EQ(config.GetMapNotifyMessage(), 1);
    EXPECT_EQ(config.GetMapNotifiesLater(), 0);
    EXPECT_EQ(config.GetLumenTransmit(), 1);
    EXPECT_EQ(config.GetRetryInterval(), 5);
    EXPECT_EQ(config.GetRetryMax(), 6);

    EXPECT_TRUE(config.LoadMusic());
    EXPECT_EQ(config.GetChargeType(), 2);
    EXPECT_EQ(config.GetAutoChargeType(), 0);
    EXPECT_EQ(config.GetRandomPercent(), 50);
    EXPECT_EQ(config.GetChargeInterval(), 7);
    EXPECT_EQ(config.GetChargeLimit(), 1);
    EXPECT_EQ(config.GetLimitSize(), 500);
    EXPECT_EQ(config.GetLimitFileCount(), 100);
    EXPECT_STREQ(config.GetManualRecentFolder(), "");
    EXPECT_EQ(config.GetMusicFolderW(), L"");
    EXPECT_EQ(config.GetManualRecentFolderW(), L"");

    // Every text and ranged key says it was missing, in file-table order.
    std::vector<std::string> prefixes;
    for (const std::string& e : log.Errors()) prefixes.push_back(e.substr(0, e.find('[')));
    const std::vector<std::string> expected = {
        "CWickerdaleConfig::LoadDownloadFolder - error",
        "CWickerdaleConfig::LoadSpeedOfLine - error",
        "CWickerdaleConfig::LoadChargeType - error",
        "CWickerdaleConfig::LoadMusicFolder - error",
        "CWickerdaleConfig::LoadAutoChargeType - error",
        "CWickerdaleConfig::LoadRandomPercent - error",
        "CWickerdaleConfig::LoadChargeInterval - error",
        "CWickerdaleConfig::LoadChargeLimit - error",
        "CWickerdaleConfig::LoadLimitSize - error",
        "CWickerdaleConfig::LoadLimitFileCount - error",
        "CWickerdaleConfig::LoadManualRecentFolder - error",
        "CWickerdaleConfig::LoadMusicSetting - _wfopen ",
        "CWickerdaleConfig::LoadMusicFolderW - error",
        "CWickerdaleConfig::LoadMusicSetting - _wfopen ",
        "CWickerdaleConfig::LoadManualRecentFolderW - error",
    };
    EXPECT_EQ(prefixes, expected);
    // The OS error of the missing file, eight upper-case hexadecimal digits.
    EXPECT_EQ(log.Errors().at(0), "CWickerdaleConfig::LoadDownloadFolder - error[00000002]");
    EXPECT_FALSE(PathExists(IniPath().c_str())) << "loading writes nothing";
}

TEST_F(Settings, DamagedSettingSection) {
    WriteIni(
        "[Setting]\r\n"
        "LauncherAutoUpdate=0\r\n"
        "NotifiesLater=7x\r\n"
        "FinalConfirmationDate=2024010203\r\n"  // ten digits: four fields
        "DownloadFolderPath=D:\\表\\dl\r\n"
        "DataAutoDelete=abc\r\n"
        "TransmitExe1=\r\n"
        "TransmitExe2=0\r\n");
    CLogTail log;
    CWickerdaleConfig config;
    EXPECT_FALSE(config.LoadSetting());
    EXPECT_EQ(config.GetLauncherAutoUpdate(), 0);
    EXPECT_EQ(config.GetNotifiesLater(), 7);  // the leading number
    EXPECT_EQ(DateOf(config.GetFinalConfirmationDate()), "0-0-0 0:0:0 w0 ms0");
    EXPECT_STREQ(config.GetDownloadFolderPath(), "D:\\表\\dl");
    EXPECT_EQ(config.GetDataAutoDelete(), 0);  // wholly non-numeric
    EXPECT_EQ(config.GetTransmitExe1(), 1);    // empty is missing
    EXPECT_EQ(config.GetTransmitExe2(), 0);
    EXPECT_EQ(config.GetTransmitExe3(), 1);
    EXPECT_EQ(log.Errors(),
              std::vector<std::string>{
                  "CWickerdaleConfig::LoadAutoUpdateLater - Invalid format[2024010203]"});
    // The loader alone says the same.
    EXPECT_FALSE(config.LoadAutoUpdateLater());
    WriteIni("[Setting]\r\nFinalConfirmationDate=20231130080910\r\nNotifiesLater=0\r\n");
    EXPECT_TRUE(config.LoadAutoUpdateLater());
    EXPECT_EQ(config.GetNotifiesLater(), 0);
    EXPECT_EQ(DateOf(config.GetFinalConfirmationDate()), "2023-11-30 8:9:10 w0 ms0");
    // A bad date leaves the date it had.
    WriteIni(
        "[Setting]\r\nFinalConfirmationDate=2023113008091\r\n");  // 13 digits: still six fields
    EXPECT_TRUE(config.LoadAutoUpdateLater());
    WriteIni("[Setting]\r\nFinalConfirmationDate=never\r\n");
    EXPECT_FALSE(config.LoadAutoUpdateLater());
    EXPECT_EQ(DateOf(config.GetFinalConfirmationDate()), "2023-11-30 8:9:1 w0 ms0");
}

TEST_F(Settings, DamagedMapSection) {
    WriteIni(
        "[Map]\r\n"
        "SpeedOfLine=fast\r\n"
        "MapNotifyMessage=0\r\n"
        "MapNotifyMessagePassword=0\r\n"
        "MapNotifyFinalConfirmationDate=20231231235959\r\n"
        "LumenTransmit=0\r\n");
    CLogTail log;
    CWickerdaleConfig config;
    EXPECT_TRUE(config.LoadMap()) << "SpeedOfLine never fails the section";
    EXPECT_EQ(config.GetSpeedOfLine(), 0);
    EXPECT_EQ(config.GetMapNotifyMessage(), 0);
    EXPECT_EQ(config.GetMapNotifyMessagePassword(), 0);
    EXPECT_EQ(config.GetMapNotifyMessageRemind(), 1);
    EXPECT_EQ(DateOf(config.GetMapNotifyFinalConfirmationDate()), "2023-12-31 23:59:59 w0 ms0");
    EXPECT_EQ(config.GetMapNotifiesLater(), 0);
    EXPECT_EQ(config.GetLumenTransmit(), 0);
    EXPECT_EQ(log.Errors(), std::vector<std::string>{
                                "CWickerdaleConfig::LoadSpeedOfLine - Invalid format[fast]"});

    // The text form wins over the profile integer.
    WriteIni("[Map]\r\nSpeedOfLine= -40k\r\nMapNotifyFinalConfirmationDate=2023\r\n");
    CLogTail log2;
    EXPECT_FALSE(config.LoadMap());
    EXPECT_EQ(config.GetSpeedOfLine(), -40);
    EXPECT_EQ(log2.Errors(),
              std::vector<std::string>{
                  "CWickerdaleConfig::LoadMapNotifyFinalConfirmationDate - Invalid format[2023]"});
}

TEST_F(Settings, RetryTuningBounds) {
    struct {
        const char* interval;
        const char* max;
        int expectedInterval;
        int expectedMax;
    } cases[] = {
        {"0", "0", 5, 6},   {"1", "1", 1, 1},   {"300", "20", 300, 20}, {"301", "21", 5, 6},
        {"-1", "-1", 5, 6}, {"abc", "x", 5, 6}, {"12ab", "3z", 12, 3},
    };
    for (const auto& c : cases) {
        WriteIni(std::string("[Map]\r\nRetryInterval=") + c.interval + "\r\nRetryMax=" + c.max +
                 "\r\n");
        CWickerdaleConfig config;
        EXPECT_TRUE(config.LoadMap());
        EXPECT_EQ(config.GetRetryInterval(), c.expectedInterval) << c.interval;
        EXPECT_EQ(config.GetRetryMax(), c.expectedMax) << c.max;
    }
}

TEST_F(Settings, DamagedMusicSection) {
    WriteIni(
        "[Music]\r\n"
        "MusicFolder=C:\\曲\r\n"
        "AutoChargeType=x\r\n"
        "LastAutoCharge=garbage\r\n"
        "ManualRecentFolder=E:\\手動\r\n");
    CLogTail log;
    CWickerdaleConfig config;
    EXPECT_FALSE(config.LoadMusic());
    EXPECT_STREQ(config.GetMusicFolder(), "C:\\曲");
    EXPECT_EQ(config.GetAutoChargeType(), 0);
    EXPECT_EQ(DateOf(config.GetLastAutoCharge()), "0-0-0 0:0:0 w0 ms0");
    EXPECT_STREQ(config.GetManualRecentFolder(), "E:\\手動");

    std::vector<std::string> errors = log.Errors();
    std::vector<std::string> expected = {
        "CWickerdaleConfig::LoadChargeType - error[00000000]",
        "CWickerdaleConfig::LoadAutoChargeType - Invalid format[x]",
        "CWickerdaleConfig::LoadRandomPercent - error[00000000]",
        "CWickerdaleConfig::LoadChargeInterval - error[00000000]",
        "CWickerdaleConfig::LoadLastAutoCharge - Invalid format[garbage]",
        // Missing from a file that exists: the profile call reports no error.
        "CWickerdaleConfig::LoadChargeLimit - error[00000000]",
        "CWickerdaleConfig::LoadLimitSize - error[00000000]",
        "CWickerdaleConfig::LoadLimitFileCount - error[00000000]",
    };
    ASSERT_EQ(errors.size(), expected.size() + 2);
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(errors[i], expected[i]) << i;
    EXPECT_EQ(CountPrefix(errors, "CWickerdaleConfig::LoadMusicSetting - _wfopen ["), 2u);
}

TEST_F(Settings, RangedKeysAcceptTheirBoundsOnly) {
    struct {
        const char* key;
        bool (CWickerdaleConfig::*load)();
        int (CWickerdaleConfig::*get)() const;
        int reset, low, high;
    } keys[] = {
        {"ChargeType", &CWickerdaleConfig::LoadChargeType, &CWickerdaleConfig::GetChargeType, 2, 0,
         2},
        {"AutoChargeType", &CWickerdaleConfig::LoadAutoChargeType,
         &CWickerdaleConfig::GetAutoChargeType, 0, 0, 1},
        {"RandomPercent", &CWickerdaleConfig::LoadRandomPercent,
         &CWickerdaleConfig::GetRandomPercent, 50, 0, 100},
        {"ChargeInterval", &CWickerdaleConfig::LoadChargeInterval,
         &CWickerdaleConfig::GetChargeInterval, 7, 0, 100},
        {"ChargeLimit", &CWickerdaleConfig::LoadChargeLimit, &CWickerdaleConfig::GetChargeLimit, 1,
         0, 2},
        {"LimitSize", &CWickerdaleConfig::LoadLimitSize, &CWickerdaleConfig::GetLimitSize, 500, 100,
         3000},
        {"LimitFileCount", &CWickerdaleConfig::LoadLimitFileCount,
         &CWickerdaleConfig::GetLimitFileCount, 100, 20, 5000},
    };
    for (const auto& k : keys) {
        struct {
            int value;
            bool accepted;
        } probes[] = {{k.low - 1, false}, {k.low, true}, {k.high, true}, {k.high + 1, false}};
        for (const auto& p : probes) {
            WriteIni(std::string("[Music]\r\n") + k.key + "=" + std::to_string(p.value) + "\r\n");
            CWickerdaleConfig config;
            config.ResetMusic(false);
            CLogTail log;
            EXPECT_EQ((config.*k.load)(), p.accepted) << k.key << "=" << p.value;
            EXPECT_EQ((config.*k.get)(), p.accepted ? p.value : k.reset) << k.key << "=" << p.value;
            std::vector<std::string> errors = log.Errors();
            if (p.accepted) {
                EXPECT_TRUE(errors.empty()) << k.key;
            } else {
                EXPECT_EQ(errors, std::vector<std::string>{"CWickerdaleConfig::Load" +
                                                           std::string(k.key) + " - Invalid data[" +
                                                           std::to_string(p.value) + "]"});
            }
        }
    }
}

TEST_F(Settings, ResetValuesAndANewFileInByteOrder) {
    WriteIni(
        "[Setting]\r\nNotifiesLater=5\r\n[Map]\r\nSpeedOfLine=9\r\n[Music]\r\nLimitSize=1000\r\n");
    CWickerdaleConfig config;
    ASSERT_TRUE(config.LoadSetting());
    ASSERT_TRUE(config.LoadMap());
    ASSERT_TRUE(config.LoadMusic());
    // Without saving, only the values change.
    EXPECT_TRUE(config.ResetSetting(false));
    EXPECT_TRUE(config.ResetMap(false));
    EXPECT_TRUE(config.ResetMusic(false));
    EXPECT_EQ(config.GetNotifiesLater(), 0);
    EXPECT_EQ(config.GetSpeedOfLine(), 0);
    EXPECT_EQ(config.GetLimitSize(), 500);
    EXPECT_EQ(Profile("Setting", "NotifiesLater"), "5");
    // The music folder resets to the user's music folder.
    char music[MAX_PATH] = {};
    ::SHGetFolderPathA(nullptr, CSIDL_MYMUSIC, nullptr, SHGFP_TYPE_CURRENT, music);
    EXPECT_STREQ(config.GetMusicFolder(), music);

    // Saved into a new file, the reset values are these bytes.
    Clean();
    ASSERT_TRUE(config.ResetSetting(true));
    ASSERT_TRUE(config.ResetMap(true));
    config.StoreMusicFolder(L"C:\\Music");
    ASSERT_TRUE(config.SaveMusic());
    const std::string expected =
        "[Setting]\r\n"
        "DataAutoDelete=1\r\n"
        "DownloadFolderPath=" +
        GetDefaultDownloadFolder() +
        "\r\n"
        "FinalConfirmationDate=00000000000000\r\n"
        "LauncherAutoUpdate=1\r\n"
        "NotifiesLater=0\r\n"
        "TransmitExe1=1\r\n"
        "TransmitExe2=1\r\n"
        "TransmitExe3=1\r\n"
        "TransmitExe4=1\r\n"
        "[Map]\r\n"
        "MapNotifiesLater=0\r\n"
        "MapNotifyFinalConfirmationDate=00000000000000\r\n"
        "MapNotifyMessage=1\r\n"
        "MapNotifyMessageLoseReserve=1\r\n"
        "MapNotifyMessagePassword=1\r\n"
        "MapNotifyMessageRemind=1\r\n"
        "SpeedOfLine=0\r\n"
        "[Music]\r\n"
        "AutoChargeType=0\r\n"
        "ChargeInterval=7\r\n"
        "ChargeLimit=1\r\n"
        "ChargeType=2\r\n"
        "LimitFileCount=100\r\n"
        "LimitSize=500\r\n"
        "MusicFolder=C:\\Music\r\n"
        "RandomPercent=50\r\n";
    // Blank lines between sections are the profile writer's business.
    std::string bytes = qmtest::ReadFile(IniPath());
    std::string compact;
    for (const std::string& line : qmtest::SplitLines(bytes))
        if (!line.empty()) compact += line + "\r\n";
    EXPECT_EQ(compact, expected);
}

TEST_F(Settings, SavedValuesLoadBack) {
    {
        CWickerdaleConfig config;
        config.LoadSetting();
        ASSERT_TRUE(config.SetLauncherAutoUpdate(0));
        // Year, month, day of week, day, hour, minute, second, milliseconds.
        const SYSTEMTIME when = {2025, 2, 1, 3, 4, 5, 6, 789};
        config.StoreFinalConfirmationDate(when);
        ASSERT_TRUE(config.SaveSetting());
        EXPECT_EQ(Profile("Setting", "FinalConfirmationDate"), "20250203040506");
    }
    CWickerdaleConfig again;
    EXPECT_TRUE(again.LoadSetting());
    EXPECT_EQ(again.GetLauncherAutoUpdate(), 0);
    EXPECT_EQ(again.GetNotifiesLater(), 1) << "loaded as missing (1) and saved as such";
    EXPECT_EQ(DateOf(again.GetFinalConfirmationDate()), "2025-2-3 4:5:6 w0 ms0");
}

TEST_F(Settings, ImmediateSetters) {
    CWickerdaleConfig config;
    ASSERT_TRUE(config.LoadSetting());
    ASSERT_TRUE(config.LoadMap());
    EXPECT_TRUE(config.SetNotifiesLater(3));
    EXPECT_TRUE(config.SetDataAutoDelete(0));
    EXPECT_TRUE(config.SetTransmitExe2(0));
    EXPECT_TRUE(config.SetTransmitExe3(-2));
    EXPECT_TRUE(config.SetTransmitExe4(4));
    EXPECT_TRUE(config.SetMapNotifyMessage(0));
    EXPECT_TRUE(config.SetMapNotifiesLater(1));
    EXPECT_EQ(config.GetNotifiesLater(), 3);
    EXPECT_EQ(config.GetTransmitExe3(), -2);
    EXPECT_EQ(config.GetMapNotifyMessage(), 0);
    EXPECT_EQ(config.GetMapNotifiesLater(), 1);
    // These three write the file only.
    EXPECT_TRUE(config.SetMapNotifyMessagePassword(0));
    EXPECT_TRUE(config.SetMapNotifyMessageRemind(0));
    EXPECT_TRUE(config.SetMapNotifyMessageLoseReserve(0));
    EXPECT_EQ(config.GetMapNotifyMessagePassword(), 1);
    EXPECT_EQ(Profile("Map", "MapNotifyMessagePassword"), "0");
    EXPECT_EQ(Profile("Setting", "TransmitExe3"), "-2");
    EXPECT_EQ(Profile("Setting", "NotifiesLater"), "3");

    EXPECT_FALSE(config.SetDownloadFolderPath(nullptr));
    EXPECT_EQ(Profile("Setting", "DownloadFolderPath"), "<none>");
    EXPECT_TRUE(config.SetDownloadFolderPath("E:\\ダウンロード\\"));
    EXPECT_STREQ(config.GetDownloadFolderPath(), "E:\\ダウンロード\\");
    EXPECT_EQ(Profile("Setting", "DownloadFolderPath"), "E:\\ダウンロード\\");

    const SYSTEMTIME date = {2024, 12, 0, 31, 23, 59, 58, 0};
    EXPECT_TRUE(config.SaveMapNotifyFinalConfirmationDate(date));
    EXPECT_EQ(Profile("Map", "MapNotifyFinalConfirmationDate"), "20241231235958");

    SYSTEMTIME before = {};
    ::GetLocalTime(&before);
    EXPECT_TRUE(config.StampMapNotifyFinalConfirmationDate());
    EXPECT_EQ(config.GetMapNotifyFinalConfirmationDate().wYear, before.wYear);
    std::string stamped = Profile("Map", "MapNotifyFinalConfirmationDate");
    EXPECT_EQ(stamped.size(), 14u);
    EXPECT_EQ(stamped.substr(0, 4), std::to_string(before.wYear));

    // The writes not read back above.
    EXPECT_EQ(Profile("Setting", "DataAutoDelete"), "0");
    EXPECT_EQ(Profile("Setting", "TransmitExe4"), "4");
    EXPECT_EQ(Profile("Map", "MapNotifyMessageRemind"), "0");
    EXPECT_EQ(Profile("Map", "MapNotifiesLater"), "1");
}

TEST_F(Settings, FailedWritesAreLoggedKeyByKey) {
    // A folder where the ini should be: every profile write fails.
    ASSERT_TRUE(CreateDirectories(IniPath().c_str()));
    CWickerdaleConfig config;
    config.ResetSetting(false);
    CLogTail log;
    EXPECT_FALSE(config.SaveSetting());
    std::vector<std::string> errors = log.Errors();
    ASSERT_EQ(errors.size(), 9u);
    const char* keys[] = {"DataAutoDelete",     "DownloadFolderPath", "FinalConfirmationDate",
                          "LauncherAutoUpdate", "NotifiesLater",      "TransmitExe1",
                          "TransmitExe2",       "TransmitExe3",       "TransmitExe4"};
    for (size_t i = 0; i < 9; ++i) {
        std::string head = std::string("設定ファイルへの保存失敗 (") + keys[i] + "=";
        EXPECT_EQ(errors[i].substr(0, head.size()), head) << errors[i];
    }
    EXPECT_EQ(errors[2].substr(0, errors[2].find(')') + 1),
              "設定ファイルへの保存失敗 (FinalConfirmationDate=00000000000000)");
    // The OS error is eight lower-case hexadecimal digits in brackets.
    const std::string& last = errors[8];
    ASSERT_GE(last.size(), 10u);
    std::string code = last.substr(last.size() - 10);
    EXPECT_EQ(code.front(), '[');
    EXPECT_EQ(code.back(), ']');
    EXPECT_EQ(code.find_first_not_of("0123456789abcdef", 1), 9u) << code;

    EXPECT_FALSE(config.SaveMap());
    EXPECT_FALSE(config.SetLauncherAutoUpdate(0));
    EXPECT_FALSE(config.ResetSetting(true));

    // The music section answers for its music file only.
    config.ResetMusic(false);
    config.StoreMusicFolder(L"C:\\Music");
    CLogTail musicLog;
    EXPECT_TRUE(config.SaveMusic());
    EXPECT_EQ(CountPrefix(musicLog.Errors(), "設定ファイルへの保存失敗 ("), 8u);
    EXPECT_TRUE(PathExists(MusicPath().c_str()));
}

TEST_F(Settings, MusicFileBytesAreTheRuntimesUnicodeText) {
    CWickerdaleConfig config;
    config.ResetMusic(false);
    config.StoreMusicFolder(L"C:\\M");
    config.StoreManualRecentFolder(L"D:\\R");
    ASSERT_TRUE(config.SaveMusicSetting());
    EXPECT_EQ(
        qmtest::ReadFile(MusicPath()),
        std::string("\xFF\xFE", 2) + Utf16(L"MusicFolderW=C:\\M||ManualRecentFolderW=D:\\R||"));

    // The music tool holds the file open for reading and writing, sharing
    // both: the save goes through all the same.
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
    EXPECT_EQ(
        std::string(bytes, got),
        std::string("\xFF\xFE", 2) + Utf16(L"MusicFolderW=C:\\N||ManualRecentFolderW=D:\\R||"));
}

TEST_F(Settings, MusicFolderOutsideShiftJisRoundTrips) {
    std::wstring folder = L"C:\\Users\\Caf";
    folder += wchar_t(0x00E9);  // é
    folder += L"\\";
    folder += wchar_t(0x0E01);  // a Thai letter
    folder += wchar_t(0x66F2);  // 曲
    std::wstring manual = L"E:\\";
    manual += wchar_t(0x0416);  // Ж has a 932 form, as a full-width Cyrillic letter
    manual += wchar_t(0x00FC);  // ü has none
    {
        CWickerdaleConfig config;
        config.ResetMusic(false);
        config.StoreMusicFolder(folder);
        config.StoreManualRecentFolder(manual);
        EXPECT_TRUE(config.SaveMusic());
    }
    // The ini keeps the ANSI form, which has lost characters.
    const std::string ansi = WideToAnsi(folder);
    EXPECT_EQ(Profile("Music", "MusicFolder"), ansi);
    EXPECT_NE(AnsiToWide(ansi), folder);
    EXPECT_EQ(Profile("Music", "ManualRecentFolder"), "<none>") << "not a saved key";

    CWickerdaleConfig loaded;
    CLogTail log;
    EXPECT_TRUE(loaded.LoadMusic());
    EXPECT_EQ(loaded.GetMusicFolderW(), folder);
    EXPECT_EQ(loaded.GetManualRecentFolderW(), manual);
    EXPECT_STREQ(loaded.GetMusicFolder(), ansi.c_str());
    EXPECT_EQ(CountPrefix(log.Errors(), "CWickerdaleConfig::LoadMusicFolderW"), 0u);
    EXPECT_EQ(CountPrefix(log.Errors(), "CWickerdaleConfig::LoadMusicSetting"), 0u);
}

TEST_F(Settings, MusicFileFallsBackToTheIniValue) {
    WriteIni("[Music]\r\nMusicFolder=C:\\曲\r\nManualRecentFolder=D:\\手\r\n");
    // A key without its "||" gives nothing; the other key is there.
    ASSERT_TRUE(qmtest::WriteFile(
        MusicPath(),
        std::string("\xFF\xFE", 2) + Utf16(L"ManualRecentFolderW=X:\\w||MusicFolderW=Y:\\y")));
    CWickerdaleConfig config;
    EXPECT_TRUE(config.LoadMusicSetting(true));
    EXPECT_EQ(config.GetMusicFolderW(), L"");
    EXPECT_TRUE(config.LoadMusicSetting(false));
    EXPECT_EQ(config.GetManualRecentFolderW(), L"X:\\w");
    EXPECT_TRUE(config.LoadMusic());
    EXPECT_EQ(config.GetMusicFolderW(), AnsiToWide("C:\\曲"));
    EXPECT_EQ(config.GetManualRecentFolderW(), L"X:\\w");

    // Without the music file both come from the ini...
    ASSERT_TRUE(::DeleteFileA(MusicPath().c_str()));
    CLogTail log;
    EXPECT_FALSE(config.LoadMusicSetting(true));
    EXPECT_EQ(CountPrefix(log.Errors(), "CWickerdaleConfig::LoadMusicSetting - _wfopen [00000002]"),
              1u);
    EXPECT_TRUE(config.LoadMusicFolderW());
    EXPECT_EQ(config.GetMusicFolderW(), AnsiToWide("C:\\曲"));
    EXPECT_TRUE(config.LoadManualRecentFolderW());
    EXPECT_EQ(config.GetManualRecentFolderW(), AnsiToWide("D:\\手"));

    // ...and without either, the wide value is cleared and the miss logged.
    WriteIni("[Music]\r\nChargeType=1\r\n");
    CLogTail log2;
    EXPECT_TRUE(config.LoadMusicFolderW());
    EXPECT_EQ(config.GetMusicFolderW(), L"");
    // The profile call's own error (none), not the music file's or the log's.
    EXPECT_EQ(CountPrefix(log2.Errors(), "CWickerdaleConfig::LoadMusicFolderW - error[00000000]"),
              1u);
}

TEST_F(Settings, MusicFileThatCannotBeWritten) {
    ASSERT_TRUE(CreateDirectories(MusicPath().c_str()));
    CWickerdaleConfig config;
    config.ResetMusic(false);
    CLogTail log;
    EXPECT_FALSE(config.SaveMusic());
    EXPECT_EQ(CountPrefix(log.Errors(), "CWickerdaleConfig::SaveMusicSetting - _wfopen ["), 1u);
    // The ini keys were written all the same.
    EXPECT_EQ(Profile("Music", "ChargeType"), "2");
    EXPECT_FALSE(config.ResetMusic(true));
}

TEST_F(Settings, AnOversizedMusicFileIsRefusedAsOutOfMemory) {
    WriteIni("[Music]\r\nMusicFolder=C:\\ini\r\n");
    {
        qm::CFileHandle f(::CreateFileA(MusicPath().c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(f);
        const std::string head =
            std::string("\xFF\xFE", 2) + Utf16(L"MusicFolderW=C:\\dat||ManualRecentFolderW=||");
        DWORD n = 0;
        ASSERT_TRUE(
            ::WriteFile(f.Get(), head.data(), static_cast<DWORD>(head.size()), &n, nullptr));
        LARGE_INTEGER size;
        size.QuadPart = 16 * 1024 * 1024 + 2;  // just past the largest file read
        ASSERT_TRUE(::SetFilePointerEx(f.Get(), size, nullptr, FILE_BEGIN));
        ASSERT_TRUE(::SetEndOfFile(f.Get()));
    }
    CWickerdaleConfig config;
    CLogTail log;
    EXPECT_TRUE(config.LoadMusicSetting(true));
    EXPECT_EQ(config.GetMusicFolderW(), L"");
    EXPECT_EQ(log.Errors(), std::vector<std::string>{
                                "CWickerdaleConfig::LoadMusicSetting - メモリ確保失敗 [00000008]"});
    // The folder then comes from the ini.
    EXPECT_TRUE(config.LoadMusicFolderW());
    EXPECT_EQ(config.GetMusicFolderW(), L"C:\\ini");
}
