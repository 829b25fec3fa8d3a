#pragma once
// Readers of two record files other programs of the suite write: the SD info
// file on the card (one 128-byte record per kind of data last transferred)
// and the probe log file on the PC (one 40-byte record per probe upload).
// Both load whole at construction.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "datafiles/DataRecords.h"

class CSDInfoFile {
public:
    explicit CSDInfoFile(char drive);  // drive 0: stays empty, reads nothing
    virtual ~CSDInfoFile() = default;

    // The first record of the kind. time is cleared, result set to -1 and text
    // emptied first; false when there is none or time, result or text is null.
    bool GetEntry(uint32_t kindBit, SYSTEMTIME* time, int32_t* result, std::string* text,
                  uint32_t* value120, uint32_t* extra124 = nullptr,
                  uint32_t* extra116 = nullptr) const;

    bool IsLoaded() const { return m_loaded; }
    size_t GetCount() const { return m_records.size(); }
    const std::string& GetPath() const { return m_path; }

private:
    bool Load();

    char m_drive;
    std::string m_path;
    std::vector<SdInfoRecord> m_records;
    bool m_loaded = false;
};

class CProbeLogFile {
public:
    // userFolderName: the device number naming the user data folder (null
    // counts as empty). The folder is created when missing.
    explicit CProbeLogFile(const char* userFolderName);
    virtual ~CProbeLogFile() = default;

    void SetUser(const char* userFolderName);  // path and folder, no loading
    bool Load();

    uint32_t GetCount() const { return static_cast<uint32_t>(m_records.size()); }
    // The index-th upload in file order; time cleared and result -1 first.
    bool GetEntry(uint32_t index, SYSTEMTIME* time, int32_t* result, uint32_t* code) const;
    const std::string& GetPath() const { return m_path; }

private:
    std::string m_folderName;
    std::string m_path;
    std::vector<ProbeLogRecord> m_records;
};

constexpr const char* kProbeLogFileName = "ProbeLog.dat";
