#include "app/InfoRules.h"

#include <cstdio>

#include "datafiles/PcLinkFormat.h"

namespace info {

std::string FormatChargeDate(const RecordTime* time) {
    if (!time) return "----/--/-- --：--";
    char text[64];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d：%02d", time->year, time->month,
                  time->day, time->hour, time->minute);
    return text;
}

std::string FormatChargeStatus(int status, bool notApplicable, bool noneAllowed) {
    if (notApplicable) return "－";
    if (status == 2) return "完了";
    return noneAllowed ? "なし" : "未転送";
}

std::string FormatProbeTime(const RecordTime& time) {
    char text[64];
    std::snprintf(text, sizeof text, " %04d/%02d/%02d %02d:%02d:%02d", time.year, time.month,
                  time.day, time.hour, time.minute, time.second);
    return text;
}

std::string ProbeResultText(int32_t result) {
    switch (result) {
        case 0:
            return " アップロード成功";
        case 1:
            return " 処理中";
        case 2:
            return " 許諾期限切れ / 未許諾";
        case 3:
            return " アップロード中断";
        case 4:
            return " アップロード失敗";
        default:
            return " アップロード失敗(未定義)";
    }
}

std::string ProbeCodeText(uint32_t code) {
    if (code == 0) return std::string();
    char text[64];
    std::snprintf(text, sizeof text, "処理コード：0x%08X", code);
    return text;
}

uint32_t CompareRecordId(uint32_t kindBit) {
    switch (kindBit) {
        case 4:
            return 0x20000001;
        case 8:
            return 0x20000002;
        case 32:
            return 0x20000003;
        default:
            return 0;
    }
}

int CompareCard(uint32_t pcValue, int32_t pcWord18, uint32_t v, bool* pcNewer) {
    if (pcNewer) *pcNewer = false;
    if (pcValue < v) return 0;
    if (pcValue == v) return (pcWord18 == 1 || pcWord18 == 2 || pcWord18 == 4) ? 2 : 0;
    // Newer data on the PC than on the card: each kind has one identifier,
    // so the identifiers are used up here.
    if (pcNewer) *pcNewer = true;
    return 0;
}

int CompareUnit(uint32_t pcValue, uint32_t naviValue, int32_t naviWord18, uint32_t v,
                bool* pcOlder) {
    if (pcOlder) *pcOlder = false;
    if (pcValue > naviValue) return 0;
    if (pcValue < naviValue) {
        if (pcOlder) *pcOlder = true;
        return 0;
    }
    return (naviValue >= v && naviWord18 == 1) ? 2 : 0;
}

uint32_t LargestSearchData(const CPcLinkContent& content) {
    uint32_t largest = 0;
    for (const CPcLinkContent::Record& r : content.Records()) {
        if (PcLinkRecordId(r) == kRecordSearchData && PcLinkRecordValue(r) > largest)
            largest = PcLinkRecordValue(r);
    }
    return largest;
}

int SizeBarPercent(uint64_t groupBytes, uint64_t volumeBytes) {
    if (groupBytes == 0) return 0;
    uint64_t percent = volumeBytes ? groupBytes * 100 / volumeBytes : 0;
    if (percent < 1) percent = 1;
    // Past 100 the bar stops at the blank bar's end all the same; holding it
    // here keeps the width arithmetic inside an int.
    if (percent > 100) percent = 100;
    return static_cast<int>(percent);
}

std::vector<BarSpan> LayOutSizeBars(const std::vector<int>& percents, int blankLeft,
                                    int blankWidth) {
    std::vector<BarSpan> spans;
    const int end = blankLeft + (blankWidth > 0 ? blankWidth : 0);
    int left = blankLeft;
    for (int percent : percents) {
        int right = left + blankWidth * percent / 100;
        if (right > end) right = end;
        spans.push_back(BarSpan{left, right});
        left = right;
    }
    return spans;
}

std::string FormatTotalSize(uint64_t bytes) {
    char text[64];
    std::snprintf(text, sizeof text, "Total %0.2fGB",
                  static_cast<double>(bytes) / static_cast<double>(1ULL << 30));
    return text;
}

std::string FormatVersionList(const std::string& application, const std::string& map,
                              const std::string& search, const std::string& bluetooth) {
    return "\r\n     Application\t:  " + application + "     \r\n     Map Data\t:  " + map +
           "     \r\n     Search Data\t:  " + search +
           "     \r\n     BT Firmware\t:  " + bluetooth + "     \r\n\r\n";
}

uint64_t RequiredDownloadSpace(bool pcLinkValid, uint8_t modelCode, int modelType) {
    const uint64_t unit = 1ULL << 32;
    if (pcLinkValid && (modelCode == 0x12 || modelCode == 0x15)) return 4 * unit;
    if (!pcLinkValid || modelCode == 0x0A || modelCode == 0x0C || modelCode == 0x0D ||
        modelType == 2)
        return 2 * unit;
    return unit;
}

}  // namespace info
