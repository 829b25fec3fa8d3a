#pragma once
// The launcher's settings: Quillmarch.ini in the settings folder, read and
// written only through the profile calls so the core and music programs see
// the same file, and Quillmarch_Music.Dat, which keeps the two music folder
// paths in UTF-16 because they may lie outside the ANSI code page.
//
// Build one on the stack, load the section you need, read or change values,
// save, and let it go: nothing is shared between objects but the files.
#include <windows.h>

#include <string>

#include "common/SettingValues.h"

class CWickerdaleConfig {
public:
    CWickerdaleConfig();
    virtual ~CWickerdaleConfig();

    // ---- sections ----
    // Reset sets every member of the section to its reset value and, with
    // save, saves the section and returns that result.
    bool ResetSetting(bool save);
    bool ResetMap(bool save);
    bool ResetMusic(bool save);
    // Load resets the section, runs every key loader in file-table order and
    // is true only when all of them were.
    bool LoadSetting();
    bool LoadMap();
    bool LoadMusic();
    // Save writes the section's saved keys in byte order of their names.
    bool SaveSetting();
    bool SaveMap();
    bool SaveMusic();  // the music file's result alone decides

    // ---- key loaders ----
    bool LoadLauncherAutoUpdate();
    bool LoadAutoUpdateLater();  // NotifiesLater and FinalConfirmationDate
    bool LoadDownloadFolder();
    bool LoadDataAutoDelete();
    bool LoadTransmitExe1();
    bool LoadTransmitExe2();
    bool LoadTransmitExe3();
    bool LoadTransmitExe4();

    bool LoadSpeedOfLine();
    bool LoadMapNotifyMessage();
    bool LoadMapNotifyMessagePassword();
    bool LoadMapNotifyMessageRemind();
    bool LoadMapNotifyMessageLoseReserve();
    bool LoadMapNotifyFinalConfirmationDate();
    bool LoadMapNotifiesLater();
    bool LoadLumenTransmit();
    bool LoadRetryInterval();
    bool LoadRetryMax();

    bool LoadChargeType();
    bool LoadMusicFolder();
    bool LoadAutoChargeType();
    bool LoadRandomPercent();
    bool LoadChargeInterval();
    bool LoadLastAutoCharge();
    bool LoadChargeLimit();
    bool LoadLimitSize();
    bool LoadLimitFileCount();
    bool LoadManualRecentFolder();
    bool LoadMusicFolderW();
    bool LoadManualRecentFolderW();

    // The music file: true for the music folder, false for the manual one.
    bool LoadMusicSetting(bool musicFolder);
    bool SaveMusicSetting();

    // ---- immediate setters: write the key at once, return the write's result ----
    bool SetLauncherAutoUpdate(int value);
    bool SetNotifiesLater(int value);
    bool SetDataAutoDelete(int value);
    bool SetTransmitExe2(int value);
    bool SetTransmitExe3(int value);
    bool SetTransmitExe4(int value);
    bool SetMapNotifyMessage(int value);
    bool SetMapNotifiesLater(int value);
    // These three write the file only; the member keeps the loaded value.
    bool SetMapNotifyMessagePassword(int value);
    bool SetMapNotifyMessageRemind(int value);
    bool SetMapNotifyMessageLoseReserve(int value);
    bool SetDownloadFolderPath(const char* path);  // null: false, nothing written
    bool SaveMapNotifyFinalConfirmationDate(const SYSTEMTIME& date);
    bool StampMapNotifyFinalConfirmationDate();  // the local time now

    // ---- changes kept in memory until the section is saved ----
    void StoreFinalConfirmationDate(const SYSTEMTIME& date) { m_finalConfirmationDate = date; }
    void StoreChargeType(int value) { m_chargeType = value; }
    // The wide form goes to the music file, its ANSI form to the ini.
    void StoreMusicFolder(const std::wstring& folder);
    void StoreManualRecentFolder(const std::wstring& folder);

    // ---- values (after a load or reset) ----
    int GetLauncherAutoUpdate() const { return m_launcherAutoUpdate; }
    int GetNotifiesLater() const { return m_notifiesLater; }
    const SYSTEMTIME& GetFinalConfirmationDate() const { return m_finalConfirmationDate; }
    const char* GetDownloadFolderPath() const { return m_downloadFolderPath.c_str(); }
    int GetDataAutoDelete() const { return m_dataAutoDelete; }
    int GetTransmitExe1() const { return m_transmitExe1; }
    int GetTransmitExe2() const { return m_transmitExe2; }
    int GetTransmitExe3() const { return m_transmitExe3; }
    int GetTransmitExe4() const { return m_transmitExe4; }

    int GetSpeedOfLine() const { return m_speedOfLine; }
    int GetMapNotifyMessage() const { return m_mapNotifyMessage; }
    int GetMapNotifyMessagePassword() const { return m_mapNotifyMessagePassword; }
    int GetMapNotifyMessageRemind() const { return m_mapNotifyMessageRemind; }
    int GetMapNotifyMessageLoseReserve() const { return m_mapNotifyMessageLoseReserve; }
    const SYSTEMTIME& GetMapNotifyFinalConfirmationDate() const {
        return m_mapNotifyFinalConfirmationDate;
    }
    int GetMapNotifiesLater() const { return m_mapNotifiesLater; }
    int GetLumenTransmit() const { return m_lumenTransmit; }
    int GetRetryInterval() const { return m_retryInterval; }
    int GetRetryMax() const { return m_retryMax; }

    int GetChargeType() const { return m_chargeType; }
    const char* GetMusicFolder() const { return m_musicFolder.c_str(); }
    int GetAutoChargeType() const { return m_autoChargeType; }
    int GetRandomPercent() const { return m_randomPercent; }
    int GetChargeInterval() const { return m_chargeInterval; }
    const SYSTEMTIME& GetLastAutoCharge() const { return m_lastAutoCharge; }
    int GetChargeLimit() const { return m_chargeLimit; }
    int GetLimitSize() const { return m_limitSize; }
    int GetLimitFileCount() const { return m_limitFileCount; }
    const char* GetManualRecentFolder() const { return m_manualRecentFolder.c_str(); }
    const std::wstring& GetMusicFolderW() const { return m_musicFolderW; }
    const std::wstring& GetManualRecentFolderW() const { return m_manualRecentFolderW; }

    const std::string& GetIniPath() const { return m_iniPath; }
    const std::wstring& GetMusicFilePath() const { return m_musicFilePath; }

private:
    // Profile access; ReadText is false for a missing or empty value.
    bool ReadText(const char* section, const char* key);
    int ReadInt(const char* section, const char* key, int missing);
    bool WriteText(const char* section, const char* key, const char* value);
    bool WriteInt(const char* section, const char* key, int value);
    bool LoadRanged(const RangedSettingKey& key, const char* loader, int& member);
    bool LoadDate(const char* section, const char* key, const char* loader, SYSTEMTIME& member);
    bool LoadText(const char* section, const char* key, const char* loader, std::string& member);
    bool LoadWide(bool musicFolder, const char* iniKey, const char* loader, std::wstring& member);

    std::string m_iniPath;
    std::wstring m_musicFilePath;
    char m_scratch[MAX_PATH];  // one profile value: at most 259 bytes

    // "Setting"
    int m_launcherAutoUpdate = 1;
    int m_notifiesLater = 0;
    SYSTEMTIME m_finalConfirmationDate = {};
    std::string m_downloadFolderPath;
    int m_dataAutoDelete = 1;
    int m_transmitExe1 = 1;
    int m_transmitExe2 = 1;
    int m_transmitExe3 = 1;
    int m_transmitExe4 = 1;
    // "Map"
    int m_speedOfLine = 0;
    int m_mapNotifyMessage = 1;
    int m_mapNotifyMessagePassword = 1;
    int m_mapNotifyMessageRemind = 1;
    int m_mapNotifyMessageLoseReserve = 1;
    SYSTEMTIME m_mapNotifyFinalConfirmationDate = {};
    int m_mapNotifiesLater = 0;
    int m_lumenTransmit = 1;
    int m_retryInterval;
    int m_retryMax;
    // "Music"
    int m_chargeType = 2;
    std::string m_musicFolder;
    int m_autoChargeType = 0;
    int m_randomPercent = 50;
    int m_chargeInterval = 7;
    SYSTEMTIME m_lastAutoCharge = {};
    int m_chargeLimit = 1;
    int m_limitSize = 500;
    int m_limitFileCount = 100;
    std::string m_manualRecentFolder;
    std::wstring m_musicFolderW;
    std::wstring m_manualRecentFolderW;
};
