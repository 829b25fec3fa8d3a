#pragma once
// The layout of the PC-link file (":\PCLINK.DAT") and the navigation-info
// file (":\PC\NAVIINFO.DAT"): a plain 32-byte file header, a 64-byte data
// header and 168-byte records, the last two enciphered with DES-CBC from the
// header's IV, each part as its own chain. All integers little-endian.
//
// CPcLinkContent holds the file header and the plain data header and records;
// the file class reads and writes the parts, this class turns them into
// fields and back.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "datafiles/Des.h"

constexpr size_t kPcLinkFileHeaderSize = 32;
constexpr size_t kPcLinkDataHeaderSize = 64;
constexpr size_t kPcLinkRecordSize = 168;
constexpr size_t kPcLinkNameSize = 140;
constexpr size_t kPcLinkDeviceNoSize = 16;

// Record kinds.
constexpr uint32_t kRecordNaviApplication = 0x10000001;
constexpr uint32_t kRecordBluetoothFirmware = 0x10000002;
constexpr uint32_t kRecordMapData = 0x30020001;
constexpr uint32_t kRecordSearchData = 0x30010002;

// FormatVersion from which a file is of the second generation.
constexpr uint32_t kFormatGeneration2 = 0x02000000;

// Every deciphered data header and record begins with these seven bytes.
constexpr char kPcLinkMarker[] = "DECRYPT";
constexpr size_t kPcLinkMarkerLength = 7;

// Version texts of a 32-bit version value (major number in the top 8 bits).
std::string FormatVersion6(uint32_t v);  // "%X.%06X"
std::string FormatVersion3(uint32_t v);  // "%X.%03X" of bits 12 to 23
std::string FormatVersion2(uint32_t v);  // "%X.%02X" of bits 16 to 23; "-" for 0

class CPcLinkContent {
public:
    using Record = std::array<uint8_t, kPcLinkRecordSize>;

    CPcLinkContent() { Clear(); }
    void Clear();

    // --- file header (plain) ---
    void SetFileHeader(const uint8_t header[kPcLinkFileHeaderSize]);
    const uint8_t* FileHeader() const { return m_fileHeader.data(); }
    uint32_t GetFormatVersion() const;
    void SetFormatVersion(uint32_t v);
    int GetFormatGeneration() const { return GetFormatVersion() < kFormatGeneration2 ? 1 : 2; }
    const uint8_t* Iv() const { return m_fileHeader.data() + 12; }
    // The first value drawn from the random source goes to offset 16, the
    // second to offset 12.
    void SetIv(uint32_t firstDrawn, uint32_t secondDrawn);

    // --- data header (kept plain) ---
    // Deciphers and keeps the data header; false when it lacks the marker.
    bool DecipherDataHeader(const CDes& des, const uint8_t cipher[kPcLinkDataHeaderSize]);
    void EncipherDataHeader(const CDes& des, uint8_t out[kPcLinkDataHeaderSize]) const;
    const uint8_t* DataHeader() const { return m_dataHeader.data(); }
    void SetDataHeaderMarker();

    std::string GetDeviceNo() const;  // at most 16 characters
    void SetDeviceNo(const std::string& deviceNo);
    uint32_t GetPairingValue() const;
    void SetPairingValue(uint32_t v);
    uint32_t GetNaviId() const;
    void SetNaviId(uint32_t v);
    uint8_t GetModelCode() const { return m_dataHeader[48]; }
    void SetModelCode(uint8_t code) { m_dataHeader[48] = code; }
    uint32_t GetRecordCount() const;  // as stored; the records themselves count

    // --- records (kept plain, in file order) ---
    // Deciphers one record into out; false when it lacks the marker.
    bool DecipherRecord(const CDes& des, const uint8_t cipher[kPcLinkRecordSize],
                        Record& out) const;
    void EncipherRecord(const CDes& des, size_t index, uint8_t out[kPcLinkRecordSize]) const;
    void AppendRecord(const Record& record) { m_records.push_back(record); }
    const std::vector<Record>& Records() const { return m_records; }

    uint32_t GetRecordValue(uint32_t id) const;   // 0 if none
    uint16_t GetRecordWord16(uint32_t id) const;  // 0 if none
    int32_t GetRecordWord18(uint32_t id) const;   // -1 if none
    uint32_t FindSearchDataValue(const char* name) const;
    int32_t GetSearchDataWord18(uint32_t value) const;
    bool HasSearchDataValue(uint32_t value) const;

    // --- checksums before writing ---
    void SealFileHeader();          // HeaderCrc over bytes 0..27
    void SealDataHeader();          // RecordCount, then DataHeaderCrc over 0..59
    void SealRecord(size_t index);  // RecordCrc over bytes 0..159

    // The whole file as written: IV set, everything sealed and enciphered.
    std::vector<uint8_t> BuildImage(const CDes& des, uint32_t ivFirst, uint32_t ivSecond);

private:
    const Record* FindRecord(uint32_t id) const;

    std::array<uint8_t, kPcLinkFileHeaderSize> m_fileHeader;
    std::array<uint8_t, kPcLinkDataHeaderSize> m_dataHeader;
    std::vector<Record> m_records;
};

// A record with the marker and the given fields (the rest zero).
CPcLinkContent::Record MakePcLinkRecord(uint32_t id, uint32_t value, uint16_t word16,
                                        uint16_t word18, const std::string& name);
uint32_t PcLinkRecordId(const CPcLinkContent::Record& r);
uint32_t PcLinkRecordValue(const CPcLinkContent::Record& r);
uint16_t PcLinkRecordWord16(const CPcLinkContent::Record& r);
uint16_t PcLinkRecordWord18(const CPcLinkContent::Record& r);
std::string PcLinkRecordName(const CPcLinkContent::Record& r);
bool HasPcLinkMarker(const uint8_t* plain);

// The fields in a stable text form, one per line (the card maker prints it,
// the golden-file test compares it).
std::string DumpPcLinkContent(const CPcLinkContent& content);

// Reading a whole file image the way the file class reads the file.
enum class PcLinkParse {
    kOk,
    kShortFileHeader,
    kShortDataHeader,
    kBadDataHeader,
    kShortRecord,
};
// badRecords (optional) counts records kept although they lack the marker.
PcLinkParse ParsePcLinkImage(const uint8_t* data, size_t size, const CDes& des,
                             CPcLinkContent& content, size_t* badRecords = nullptr);
