#pragma once
// The card's identification files: the navigation-info file the unit writes
// (":\PC\NAVIINFO.DAT", kind 0, never written here) and the PC-side copy at
// the card root (":\PCLINK.DAT", kind 1). Both load at construction; every
// getter answers zero values (-1 where stated) when the file did not load.
#include <cstdint>
#include <string>
#include <vector>

#include "datafiles/CardPaths.h"
#include "datafiles/PcLinkFormat.h"

class CPcLinkFile {
public:
    enum Kind : int { kNaviInfo = 0, kPcLink = 1 };

    CPcLinkFile(int kind, char drive);
    virtual ~CPcLinkFile() = default;

    bool IsLoaded() const { return m_loaded; }
    int GetKind() const { return m_kind; }
    char GetDrive() const { return m_drive; }
    const std::string& GetPath() const { return m_path; }

    // The navigation model type, 1 or 2 (0 when not loaded).
    int GetFormatGeneration() const;
    std::string GetDeviceNo() const;  // at most 16 characters
    uint32_t GetNaviId() const;
    uint32_t GetPairingValue() const;
    uint8_t GetModelCode() const;
    bool IsMothModel() const;  // model code 18 or 21

    uint32_t GetRecordValue(uint32_t id) const;
    uint16_t GetRecordWord16(uint32_t id) const;
    int32_t GetRecordWord18(uint32_t id) const;
    uint32_t FindSearchDataValue(const char* name) const;
    int32_t GetSearchDataWord18(uint32_t value) const;
    bool HasSearchDataValue(uint32_t value) const;

    // PC-link file only: stores the value and saves the file.
    bool SetPairingValue(uint32_t value);

    static std::string FormatVersion6(uint32_t v) { return ::FormatVersion6(v); }
    static std::string FormatVersion3(uint32_t v) { return ::FormatVersion3(v); }
    static std::string FormatVersion2(uint32_t v) { return ::FormatVersion2(v); }

    // The fields as read (also after a failed load: what was read so far).
    const CPcLinkContent& Content() const { return m_content; }

    static const char* KindName(int kind) { return kind == kNaviInfo ? "NAVIINFO" : "PCLINK"; }

private:
    bool Load();
    bool Save();

    int m_kind;
    char m_drive;
    std::string m_path;
    CPcLinkContent m_content;
    bool m_loaded = false;
};

// Brings the card's PC-link file in step with its navigation-info file: with
// force, or when there is none, by copying; otherwise by carrying the pairing
// value over. On failure the thread's last error holds the OS error.
bool SyncPcLinkFile(char drive, bool force);

// Every removable drive from D: to Z: with a navigation-info file that loads;
// each one's PC-link file is synchronised. Returns how many were found.
int FindNaviCards(std::vector<char>& drives);

// The start-up scan: removable drives from D: to Z: whose volume answers,
// which hold the navigation-info file and whose PC-link file loads.
int ScanNaviCards(std::vector<char>& drives);
