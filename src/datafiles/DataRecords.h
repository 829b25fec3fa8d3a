#pragma once
// Fixed-size records of the plain record files: the SD info file on the card
// (128 bytes), the probe log file on the PC (40 bytes) and the download
// management file (304 bytes). No header; integers little-endian.
#include <cstddef>
#include <cstdint>
#include <string>

// The Windows SYSTEMTIME as stored in the files: eight u16 (year, month,
// day of week, day, hour, minute, second, milliseconds).
struct RecordTime {
    uint16_t year = 0, month = 0, dayOfWeek = 0, day = 0;
    uint16_t hour = 0, minute = 0, second = 0, milliseconds = 0;
    bool operator==(const RecordTime& o) const;
};
constexpr size_t kRecordTimeSize = 16;
RecordTime DecodeRecordTime(const uint8_t* p);
void EncodeRecordTime(const RecordTime& t, uint8_t* p);

// --- SD info file ":\PC\SDINFO.DAT" ---
constexpr size_t kSdInfoRecordSize = 128;
constexpr size_t kSdInfoTextSize = 92;
struct SdInfoRecord {
    uint32_t kindBit = 0;  // 2, 4, 8, 16 or 32
    RecordTime lastTime;
    int32_t result = 0;  // 2: the transfer to the card completed
    std::string text;    // at most 91 bytes when written
    uint32_t extra116 = 0;
    uint32_t value120 = 0;
    uint32_t extra124 = 0;  // version of the data put on the card
};
SdInfoRecord DecodeSdInfoRecord(const uint8_t p[kSdInfoRecordSize]);
void EncodeSdInfoRecord(const SdInfoRecord& r, uint8_t p[kSdInfoRecordSize]);

// --- probe log file "ProbeLog.dat" ---
constexpr size_t kProbeLogRecordSize = 40;
struct ProbeLogRecord {
    RecordTime uploadTime;
    int32_t result = 0;
    uint32_t code = 0;
};
ProbeLogRecord DecodeProbeLogRecord(const uint8_t p[kProbeLogRecordSize]);
void EncodeProbeLogRecord(const ProbeLogRecord& r, uint8_t p[kProbeLogRecordSize]);

// --- download management file "DL.DAT" ---
constexpr size_t kDownloadEntrySize = 304;
constexpr size_t kDownloadItemNameSize = 32;
constexpr size_t kDownloadDataPathSize = 260;
// Reads the fields of one raw entry; the bytes the program does not
// interpret are carried through by keeping entries raw.
uint8_t DownloadEntryCategory(const uint8_t* entry);
uint8_t DownloadEntrySubcategory(const uint8_t* entry);
std::string DownloadEntryItemName(const uint8_t* entry);
std::string DownloadEntryDataPath(const uint8_t* entry);
// Category byte, subcategory byte and the item name byte for byte.
bool DownloadEntryMatches(const uint8_t* entry, uint8_t category, uint8_t subcategory,
                          const char* name);
void MakeDownloadEntry(uint8_t entry[kDownloadEntrySize], uint8_t category, uint8_t subcategory,
                       const std::string& itemName, const std::string& dataPath);
