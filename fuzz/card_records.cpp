// SD info (128-byte), probe log (40-byte) and download management (304-byte)
// records: decoding any bytes is safe, and decode-encode-decode is stable.
#include <cstdlib>
#include <cstring>

#include "datafiles/DataRecords.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (size_t off = 0; off + kSdInfoRecordSize <= size; off += kSdInfoRecordSize) {
        SdInfoRecord r = DecodeSdInfoRecord(data + off);
        uint8_t buf[kSdInfoRecordSize];
        EncodeSdInfoRecord(r, buf);
        SdInfoRecord back = DecodeSdInfoRecord(buf);
        // A text filling all 92 bytes is cut to 91 by the writer.
        std::string expected = r.text.substr(0, kSdInfoTextSize - 1);
        if (back.kindBit != r.kindBit || !(back.lastTime == r.lastTime) ||
            back.result != r.result || back.text != expected || back.extra116 != r.extra116 ||
            back.value120 != r.value120 || back.extra124 != r.extra124)
            std::abort();
    }
    for (size_t off = 0; off + kProbeLogRecordSize <= size; off += kProbeLogRecordSize) {
        ProbeLogRecord r = DecodeProbeLogRecord(data + off);
        uint8_t buf[kProbeLogRecordSize];
        EncodeProbeLogRecord(r, buf);
        if (std::memcmp(buf, data + off, 24) != 0) std::abort();
    }
    for (size_t off = 0; off + kDownloadEntrySize <= size; off += kDownloadEntrySize) {
        const uint8_t* e = data + off;
        std::string name = DownloadEntryItemName(e);
        std::string path = DownloadEntryDataPath(e);
        if (name.size() > kDownloadItemNameSize || path.size() > kDownloadDataPathSize)
            std::abort();
        if (name.size() < kDownloadItemNameSize &&
            !DownloadEntryMatches(e, DownloadEntryCategory(e), DownloadEntrySubcategory(e),
                                  name.c_str()))
            std::abort();
        uint8_t made[kDownloadEntrySize];
        MakeDownloadEntry(made, e[0], e[4], name, path);
        if (name.size() < kDownloadItemNameSize &&
            !DownloadEntryMatches(made, e[0], e[4], name.c_str()))
            std::abort();
    }
    return 0;
}
