// PC-link / navigation-info file images: parse any bytes, and when a file
// parses, writing it again and parsing that must give the same content.
#include <cstdlib>
#include <cstring>

#include "datafiles/PcLinkFormat.h"
#include "datafiles/PcLinkKey.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const CDes des = MakePcLinkCipher();
    CPcLinkContent content;
    size_t bad = 0;
    PcLinkParse r = ParsePcLinkImage(data, size, des, content, &bad);
    // Every lookup must be safe on whatever was read.
    (void)content.GetDeviceNo();
    (void)content.FindSearchDataValue("");
    (void)content.FindSearchDataValue(reinterpret_cast<const char*>(content.DataHeader() + 12));
    (void)content.GetSearchDataWord18(content.GetRecordValue(kRecordSearchData));
    (void)FormatVersion2(content.GetRecordValue(kRecordBluetoothFirmware));
    if (r != PcLinkParse::kOk) return 0;
    CPcLinkContent copy = content;
    std::vector<uint8_t> image = copy.BuildImage(des, 0x12345678, 0x9ABCDEF0);
    CPcLinkContent again;
    size_t badAgain = 0;
    if (ParsePcLinkImage(image.data(), image.size(), des, again, &badAgain) != PcLinkParse::kOk)
        std::abort();
    if (badAgain != bad || again.Records().size() != content.Records().size()) std::abort();
    // Only the checksums, the count and the IV may have changed.
    if (std::memcmp(again.DataHeader(), content.DataHeader(), 8) != 0 ||
        std::memcmp(again.DataHeader() + 12, content.DataHeader() + 12, 48) != 0 ||
        again.GetDeviceNo() != content.GetDeviceNo())
        std::abort();
    for (size_t i = 0; i < content.Records().size(); ++i)
        if (std::memcmp(again.Records()[i].data(), content.Records()[i].data(), 160) != 0)
            std::abort();
    return 0;
}
