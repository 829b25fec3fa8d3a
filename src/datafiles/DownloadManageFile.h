#pragma once
// The download management file "DL.DAT" in the download folder: one 304-byte
// entry per downloaded item kept on the PC. Finds entries and deletes the
// downloaded data, one item or everything, with the entries and folders.
#include <cstdint>
#include <string>

#include "datafiles/DataRecords.h"

class CDownloadManageFile {
public:
    CDownloadManageFile();
    virtual ~CDownloadManageFile() = default;

    void SetFolder(const char* folder);
    const std::string& GetPath() const { return m_path; }

    // Search results besides a byte offset.
    static constexpr int32_t kReadFailed = -1;
    static constexpr int32_t kOpenFailed = -2;
    static constexpr int32_t kNotFound = -3;
    int32_t Search(uint8_t category, uint8_t subcategory, const char* name);

    // Fills the entry buffer with the first matching entry.
    bool GetDLManage(uint8_t category, uint8_t subcategory, const char* name);
    const uint8_t* GetEntry() const { return m_entry; }

    // Removes every matching entry from the file.
    bool DelDLManage(uint8_t category, uint8_t subcategory, const char* name);

    // One item's data folder and its entry.
    bool _DeleteLocalData(uint8_t category, uint8_t subcategory, const char* name,
                          const char* downloadFolder);
    // Every item's data and both list files.
    void _DeleteAllLocalData();

private:
    std::string m_folder;  // ends with '\'
    std::string m_path;
    uint8_t m_entry[kDownloadEntrySize];
};

constexpr const char* kDownloadManageFileName = "DL.DAT";
constexpr const char* kDownloadListFileName = "DL.LST";
