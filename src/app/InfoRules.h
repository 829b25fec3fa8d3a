#pragma once
// What the SD information, probe log and settings windows show, without a
// window: cell texts, version comparisons, size bars and folder checks.
#include <cstdint>
#include <string>
#include <vector>

#include "datafiles/DataRecords.h"

class CPcLinkContent;

namespace info {

// "2026/12/06 04：18" (full-width colon); null gives the dashes of no date.
std::string FormatChargeDate(const RecordTime* time);
// The status cell: "－" when not applicable, "完了" for 2, else "なし" or
// "未転送".
std::string FormatChargeStatus(int status, bool notApplicable, bool noneAllowed);

// Probe log columns.
std::string FormatProbeTime(const RecordTime& time);
std::string ProbeResultText(int32_t result);
std::string ProbeCodeText(uint32_t code);  // empty for 0

// The record identifier compared for a kind bit; 0 for none (map and music).
uint32_t CompareRecordId(uint32_t kindBit);

// Card comparison of one record: the PC-link value and Word18 against the
// version v put on the card. pcNewer is set when the PC-link value is above
// v (the caller logs it).
int CompareCard(uint32_t pcValue, int32_t pcWord18, uint32_t v, bool* pcNewer);
// Unit comparison: the PC-link value against the navigation-info value and
// its Word18. pcOlder is set when the PC-link value is below (logged).
int CompareUnit(uint32_t pcValue, uint32_t naviValue, int32_t naviWord18, uint32_t v,
                bool* pcOlder);
// The largest search-data value of a file (0 when it has none).
uint32_t LargestSearchData(const CPcLinkContent& content);

// Size bars: a group's share of the volume in whole percent (at least 1
// when the group is not empty).
int SizeBarPercent(uint64_t groupBytes, uint64_t volumeBytes);
struct BarSpan {
    int left = 0;
    int right = 0;
};
// Lays the bars one after another from blankLeft, each percent of
// blankWidth, none past the blank bar's right end.
std::vector<BarSpan> LayOutSizeBars(const std::vector<int>& percents, int blankLeft,
                                    int blankWidth);
std::string FormatTotalSize(uint64_t bytes);  // "Total %0.2fGB"

// The clipboard text of the version button.
std::string FormatVersionList(const std::string& application, const std::string& map,
                              const std::string& search, const std::string& bluetooth);

// The free space a download folder needs, by the card's PC-link file.
uint64_t RequiredDownloadSpace(bool pcLinkValid, uint8_t modelCode, int modelType);
// A folder the download data may not go to: read-only, hidden, system or
// temporary attributes (0x107).
constexpr uint32_t kRefusedFolderAttributes = 0x107;

}  // namespace info
