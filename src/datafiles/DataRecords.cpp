#include "datafiles/DataRecords.h"

#include <cstring>

#include "datafiles/ByteOrder.h"

bool RecordTime::operator==(const RecordTime& o) const {
    return year == o.year && month == o.month && dayOfWeek == o.dayOfWeek && day == o.day &&
           hour == o.hour && minute == o.minute && second == o.second &&
           milliseconds == o.milliseconds;
}

RecordTime DecodeRecordTime(const uint8_t* p) {
    RecordTime t;
    uint16_t* fields[] = {&t.year, &t.month,  &t.dayOfWeek, &t.day,
                          &t.hour, &t.minute, &t.second,    &t.milliseconds};
    for (int i = 0; i < 8; ++i) *fields[i] = GetLe16(p + 2 * i);
    return t;
}

void EncodeRecordTime(const RecordTime& t, uint8_t* p) {
    const uint16_t fields[] = {t.year, t.month,  t.dayOfWeek, t.day,
                               t.hour, t.minute, t.second,    t.milliseconds};
    for (int i = 0; i < 8; ++i) PutLe16(p + 2 * i, fields[i]);
}

SdInfoRecord DecodeSdInfoRecord(const uint8_t p[kSdInfoRecordSize]) {
    SdInfoRecord r;
    r.kindBit = GetLe32(p);
    r.lastTime = DecodeRecordTime(p + 4);
    r.result = static_cast<int32_t>(GetLe32(p + 20));
    r.text = GetTextField(p + 24, kSdInfoTextSize);
    r.extra116 = GetLe32(p + 116);
    r.value120 = GetLe32(p + 120);
    r.extra124 = GetLe32(p + 124);
    return r;
}

void EncodeSdInfoRecord(const SdInfoRecord& r, uint8_t p[kSdInfoRecordSize]) {
    std::memset(p, 0, kSdInfoRecordSize);
    PutLe32(p, r.kindBit);
    EncodeRecordTime(r.lastTime, p + 4);
    PutLe32(p + 20, static_cast<uint32_t>(r.result));
    PutTextField(p + 24, kSdInfoTextSize, r.text, true);
    PutLe32(p + 116, r.extra116);
    PutLe32(p + 120, r.value120);
    PutLe32(p + 124, r.extra124);
}

ProbeLogRecord DecodeProbeLogRecord(const uint8_t p[kProbeLogRecordSize]) {
    ProbeLogRecord r;
    r.uploadTime = DecodeRecordTime(p);
    r.result = static_cast<int32_t>(GetLe32(p + 16));
    r.code = GetLe32(p + 20);
    return r;
}

void EncodeProbeLogRecord(const ProbeLogRecord& r, uint8_t p[kProbeLogRecordSize]) {
    std::memset(p, 0, kProbeLogRecordSize);
    EncodeRecordTime(r.uploadTime, p);
    PutLe32(p + 16, static_cast<uint32_t>(r.result));
    PutLe32(p + 20, r.code);
}

namespace {
constexpr size_t kOffCategory = 0;
constexpr size_t kOffSubcategory = 4;
constexpr size_t kOffItemName = 12;
constexpr size_t kOffDataPath = 44;
}  // namespace

uint8_t DownloadEntryCategory(const uint8_t* entry) { return entry[kOffCategory]; }
uint8_t DownloadEntrySubcategory(const uint8_t* entry) { return entry[kOffSubcategory]; }
std::string DownloadEntryItemName(const uint8_t* entry) {
    return GetTextField(entry + kOffItemName, kDownloadItemNameSize);
}
std::string DownloadEntryDataPath(const uint8_t* entry) {
    return GetTextField(entry + kOffDataPath, kDownloadDataPathSize);
}

bool DownloadEntryMatches(const uint8_t* entry, uint8_t category, uint8_t subcategory,
                          const char* name) {
    return entry[kOffCategory] == category && entry[kOffSubcategory] == subcategory &&
           DownloadEntryItemName(entry) == (name ? name : "");
}

void MakeDownloadEntry(uint8_t entry[kDownloadEntrySize], uint8_t category, uint8_t subcategory,
                       const std::string& itemName, const std::string& dataPath) {
    std::memset(entry, 0, kDownloadEntrySize);
    entry[kOffCategory] = category;
    entry[kOffSubcategory] = subcategory;
    PutTextField(entry + kOffItemName, kDownloadItemNameSize, itemName, true);
    PutTextField(entry + kOffDataPath, kDownloadDataPathSize, dataPath, true);
}
