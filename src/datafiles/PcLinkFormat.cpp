#include "datafiles/PcLinkFormat.h"

#include <cstdio>
#include <cstring>

#include "datafiles/ByteOrder.h"
#include "datafiles/CrcCalc.h"

namespace {

// File header.
constexpr size_t kOffFormatVersion = 8;
constexpr size_t kOffIv = 12;
constexpr size_t kOffHeaderCrc = 28;
// Data header.
constexpr size_t kOffRecordCount = 8;
constexpr size_t kOffDeviceNo = 12;
constexpr size_t kOffPairing = 28;
constexpr size_t kOffNaviId = 44;
constexpr size_t kOffDataHeaderCrc = 60;
// Record.
constexpr size_t kOffRecordId = 8;
constexpr size_t kOffValue = 12;
constexpr size_t kOffWord16 = 16;
constexpr size_t kOffWord18 = 18;
constexpr size_t kOffName = 20;
constexpr size_t kOffRecordCrc = 160;

std::string Printf2(const char* format, unsigned a, unsigned b) {
    char buf[32];
    std::snprintf(buf, sizeof buf, format, a, b);
    return buf;
}

}  // namespace

std::string FormatVersion6(uint32_t v) { return Printf2("%X.%06X", v >> 24, v & 0xFFFFFFu); }
std::string FormatVersion3(uint32_t v) { return Printf2("%X.%03X", v >> 24, (v >> 12) & 0xFFFu); }
std::string FormatVersion2(uint32_t v) {
    if (v == 0) return "-";
    return Printf2("%X.%02X", v >> 24, (v >> 16) & 0xFFu);
}

bool HasPcLinkMarker(const uint8_t* plain) {
    return std::memcmp(plain, kPcLinkMarker, kPcLinkMarkerLength) == 0;
}

void CPcLinkContent::Clear() {
    m_fileHeader.fill(0);
    m_dataHeader.fill(0);
    m_records.clear();
}

void CPcLinkContent::SetFileHeader(const uint8_t header[kPcLinkFileHeaderSize]) {
    std::memcpy(m_fileHeader.data(), header, kPcLinkFileHeaderSize);
}

uint32_t CPcLinkContent::GetFormatVersion() const {
    return GetLe32(m_fileHeader.data() + kOffFormatVersion);
}
void CPcLinkContent::SetFormatVersion(uint32_t v) {
    PutLe32(m_fileHeader.data() + kOffFormatVersion, v);
}

void CPcLinkContent::SetIv(uint32_t firstDrawn, uint32_t secondDrawn) {
    PutLe32(m_fileHeader.data() + kOffIv + 4, firstDrawn);
    PutLe32(m_fileHeader.data() + kOffIv, secondDrawn);
}

bool CPcLinkContent::DecipherDataHeader(const CDes& des,
                                        const uint8_t cipher[kPcLinkDataHeaderSize]) {
    std::memcpy(m_dataHeader.data(), cipher, kPcLinkDataHeaderSize);
    des.CbcDecrypt(Iv(), m_dataHeader.data(), kPcLinkDataHeaderSize);
    return HasPcLinkMarker(m_dataHeader.data());
}

void CPcLinkContent::EncipherDataHeader(const CDes& des, uint8_t out[kPcLinkDataHeaderSize]) const {
    std::memcpy(out, m_dataHeader.data(), kPcLinkDataHeaderSize);
    des.CbcEncrypt(Iv(), out, kPcLinkDataHeaderSize);
}

void CPcLinkContent::SetDataHeaderMarker() {
    std::memcpy(m_dataHeader.data(), kPcLinkMarker, kPcLinkMarkerLength);
}

std::string CPcLinkContent::GetDeviceNo() const {
    return GetTextField(m_dataHeader.data() + kOffDeviceNo, kPcLinkDeviceNoSize);
}
void CPcLinkContent::SetDeviceNo(const std::string& deviceNo) {
    // Sixteen characters fill the field without a terminator.
    PutTextField(m_dataHeader.data() + kOffDeviceNo, kPcLinkDeviceNoSize, deviceNo, false);
}
uint32_t CPcLinkContent::GetPairingValue() const {
    return GetLe32(m_dataHeader.data() + kOffPairing);
}
void CPcLinkContent::SetPairingValue(uint32_t v) { PutLe32(m_dataHeader.data() + kOffPairing, v); }
uint32_t CPcLinkContent::GetNaviId() const { return GetLe32(m_dataHeader.data() + kOffNaviId); }
void CPcLinkContent::SetNaviId(uint32_t v) { PutLe32(m_dataHeader.data() + kOffNaviId, v); }
uint32_t CPcLinkContent::GetRecordCount() const {
    return GetLe32(m_dataHeader.data() + kOffRecordCount);
}

bool CPcLinkContent::DecipherRecord(const CDes& des, const uint8_t cipher[kPcLinkRecordSize],
                                    Record& out) const {
    std::memcpy(out.data(), cipher, kPcLinkRecordSize);
    des.CbcDecrypt(Iv(), out.data(), kPcLinkRecordSize);
    return HasPcLinkMarker(out.data());
}

void CPcLinkContent::EncipherRecord(const CDes& des, size_t index,
                                    uint8_t out[kPcLinkRecordSize]) const {
    std::memcpy(out, m_records[index].data(), kPcLinkRecordSize);
    des.CbcEncrypt(Iv(), out, kPcLinkRecordSize);
}

const CPcLinkContent::Record* CPcLinkContent::FindRecord(uint32_t id) const {
    for (const Record& r : m_records)
        if (PcLinkRecordId(r) == id) return &r;
    return nullptr;
}

uint32_t CPcLinkContent::GetRecordValue(uint32_t id) const {
    const Record* r = FindRecord(id);
    return r ? PcLinkRecordValue(*r) : 0;
}
uint16_t CPcLinkContent::GetRecordWord16(uint32_t id) const {
    const Record* r = FindRecord(id);
    return r ? PcLinkRecordWord16(*r) : 0;
}
int32_t CPcLinkContent::GetRecordWord18(uint32_t id) const {
    const Record* r = FindRecord(id);
    return r ? PcLinkRecordWord18(*r) : -1;
}

uint32_t CPcLinkContent::FindSearchDataValue(const char* name) const {
    const size_t len = name ? std::strlen(name) : 0;
    uint32_t largest = 0;
    for (const Record& r : m_records) {
        if (PcLinkRecordId(r) != kRecordSearchData) continue;
        if (len == 0) {
            if (PcLinkRecordValue(r) > largest) largest = PcLinkRecordValue(r);
            continue;
        }
        // A byte-wise prefix of a whole code page 932 text is also a prefix in
        // characters: the given text never ends inside a character.
        if (len <= kPcLinkNameSize && std::memcmp(r.data() + kOffName, name, len) == 0)
            return PcLinkRecordValue(r);
    }
    return largest;
}

int32_t CPcLinkContent::GetSearchDataWord18(uint32_t value) const {
    if (value == 0) return -1;
    for (const Record& r : m_records)
        if (PcLinkRecordId(r) == kRecordSearchData && PcLinkRecordValue(r) == value)
            return PcLinkRecordWord18(r);
    return -1;
}

bool CPcLinkContent::HasSearchDataValue(uint32_t value) const {
    return GetSearchDataWord18(value) != -1;
}

void CPcLinkContent::SealFileHeader() {
    PutLe16(m_fileHeader.data() + kOffHeaderCrc,
            CCrcCalc::Calc(m_fileHeader.data(), kOffHeaderCrc));
}

void CPcLinkContent::SealDataHeader() {
    PutLe32(m_dataHeader.data() + kOffRecordCount, static_cast<uint32_t>(m_records.size()));
    PutLe16(m_dataHeader.data() + kOffDataHeaderCrc,
            CCrcCalc::Calc(m_dataHeader.data(), kOffDataHeaderCrc));
}

void CPcLinkContent::SealRecord(size_t index) {
    Record& r = m_records[index];
    PutLe16(r.data() + kOffRecordCrc, CCrcCalc::Calc(r.data(), kOffRecordCrc));
}

std::vector<uint8_t> CPcLinkContent::BuildImage(const CDes& des, uint32_t ivFirst,
                                                uint32_t ivSecond) {
    SetIv(ivFirst, ivSecond);
    SealFileHeader();
    SealDataHeader();
    std::vector<uint8_t> image(kPcLinkFileHeaderSize + kPcLinkDataHeaderSize +
                               m_records.size() * kPcLinkRecordSize);
    std::memcpy(image.data(), m_fileHeader.data(), kPcLinkFileHeaderSize);
    EncipherDataHeader(des, image.data() + kPcLinkFileHeaderSize);
    uint8_t* out = image.data() + kPcLinkFileHeaderSize + kPcLinkDataHeaderSize;
    for (size_t i = 0; i < m_records.size(); ++i, out += kPcLinkRecordSize) {
        SealRecord(i);
        EncipherRecord(des, i, out);
    }
    return image;
}

CPcLinkContent::Record MakePcLinkRecord(uint32_t id, uint32_t value, uint16_t word16,
                                        uint16_t word18, const std::string& name) {
    CPcLinkContent::Record r{};
    std::memcpy(r.data(), kPcLinkMarker, kPcLinkMarkerLength);
    PutLe32(r.data() + kOffRecordId, id);
    PutLe32(r.data() + kOffValue, value);
    PutLe16(r.data() + kOffWord16, word16);
    PutLe16(r.data() + kOffWord18, word18);
    PutTextField(r.data() + kOffName, kPcLinkNameSize, name, true);
    return r;
}

uint32_t PcLinkRecordId(const CPcLinkContent::Record& r) {
    return GetLe32(r.data() + kOffRecordId);
}
uint32_t PcLinkRecordValue(const CPcLinkContent::Record& r) {
    return GetLe32(r.data() + kOffValue);
}
uint16_t PcLinkRecordWord16(const CPcLinkContent::Record& r) {
    return GetLe16(r.data() + kOffWord16);
}
uint16_t PcLinkRecordWord18(const CPcLinkContent::Record& r) {
    return GetLe16(r.data() + kOffWord18);
}
std::string PcLinkRecordName(const CPcLinkContent::Record& r) {
    return GetTextField(r.data() + kOffName, kPcLinkNameSize);
}

std::string DumpPcLinkContent(const CPcLinkContent& c) {
    char line[320];
    std::string out;
    std::snprintf(line, sizeof line,
                  "format-version: %08X\ngeneration: %d\niv: %08X %08X\nheader-crc: %04X\n",
                  static_cast<unsigned>(c.GetFormatVersion()), c.GetFormatGeneration(),
                  static_cast<unsigned>(GetLe32(c.Iv())),
                  static_cast<unsigned>(GetLe32(c.Iv() + 4)),
                  GetLe16(c.FileHeader() + kOffHeaderCrc));
    out += line;
    std::snprintf(line, sizeof line,
                  "device: %s\nnavi-id: %08X\npairing: %08X\nmodel: %02X\nrecord-count: %u\n"
                  "data-header-crc: %04X\n",
                  c.GetDeviceNo().c_str(), static_cast<unsigned>(c.GetNaviId()),
                  static_cast<unsigned>(c.GetPairingValue()), c.GetModelCode(),
                  static_cast<unsigned>(c.GetRecordCount()),
                  GetLe16(c.DataHeader() + kOffDataHeaderCrc));
    out += line;
    for (const auto& r : c.Records()) {
        std::snprintf(line, sizeof line, "record: %08X %08X %04X %04X %04X %s%s\n",
                      static_cast<unsigned>(PcLinkRecordId(r)),
                      static_cast<unsigned>(PcLinkRecordValue(r)), PcLinkRecordWord16(r),
                      PcLinkRecordWord18(r), GetLe16(r.data() + kOffRecordCrc),
                      PcLinkRecordName(r).c_str(), HasPcLinkMarker(r.data()) ? "" : " (no marker)");
        out += line;
    }
    return out;
}

PcLinkParse ParsePcLinkImage(const uint8_t* data, size_t size, const CDes& des,
                             CPcLinkContent& content, size_t* badRecords) {
    content.Clear();
    if (badRecords) *badRecords = 0;
    if (size < kPcLinkFileHeaderSize) return PcLinkParse::kShortFileHeader;
    content.SetFileHeader(data);
    size_t pos = kPcLinkFileHeaderSize;
    if (size - pos < kPcLinkDataHeaderSize) return PcLinkParse::kShortDataHeader;
    if (!content.DecipherDataHeader(des, data + pos)) return PcLinkParse::kBadDataHeader;
    pos += kPcLinkDataHeaderSize;
    while (pos < size) {
        if (size - pos < kPcLinkRecordSize) return PcLinkParse::kShortRecord;
        CPcLinkContent::Record r;
        if (!content.DecipherRecord(des, data + pos, r) && badRecords) ++*badRecords;
        content.AppendRecord(r);
        pos += kPcLinkRecordSize;
    }
    return PcLinkParse::kOk;
}
