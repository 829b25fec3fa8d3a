#include "net/AplLogRules.h"

#include <cstdio>
#include <cstring>

bool IsDatedLogName(const std::string& name) {
    if (name.size() != 12) return false;
    for (size_t i = 0; i < 8; ++i)
        if (name[i] < '0' || name[i] > '9') return false;
    std::string ext = name.substr(8);
    for (char& c : ext) c = static_cast<char>((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
    if (ext != ".log") return false;
    const int year = std::stoi(name.substr(0, 4));
    const int month = std::stoi(name.substr(4, 2));
    const int day = std::stoi(name.substr(6, 2));
    return year >= 1980 && year <= 2099 && month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

bool IsProgramLogName(const std::string& name) {
    return name.find("Quillmarch.log") != std::string::npos ||
           name.find("Quillmarch_Core.log") != std::string::npos ||
           name.find("Quillmarch_Music.log") != std::string::npos;
}

LogFileChoice ChooseLogFile(const std::string& name, uint64_t size) {
    if (IsProgramLogName(name))
        return size <= kMaxCollectedLogSize ? LogFileChoice::kCollect : LogFileChoice::kTooLarge;
    if (IsDatedLogName(name)) return LogFileChoice::kCollect;
    return LogFileChoice::kSkip;
}

std::string MakeArchiveName(const std::string& deviceNo, int year, int month, int day, int hour,
                            int minute, int second) {
    char buf[512];
    std::snprintf(buf, sizeof buf, "%s_%s_%02d%02d%02d%02d%02d%02d", "Lite", deviceNo.c_str(), year,
                  month, day, hour, minute, second);
    return buf;
}

std::string PcInfoUserPart(const PcInfoFacts& f) {
    return std::string("起動ユーザー：") + (f.isAdmin ? "管理者" : "管理者以外");
}

std::string PcInfoCpuPart(const PcInfoFacts& f) {
    switch (f.cpu) {
        case PcInfoFacts::kCpuBeforeXp:
            return "CPU情報：取得不可(XP未満)";
        case PcInfoFacts::kCpuNoDll:
            return "CPU情報：取得不可(DLL取得失敗)";
        case PcInfoFacts::kCpuNoApi:
            return "CPU情報：取得不可(API取得失敗)";
        case PcInfoFacts::kCpuOk:
            break;
    }
    char buf[512];
    // The processor mask prints as the 32-bit number it always was.
    std::snprintf(buf, sizeof buf,
                  "CPU情報：\r\nOEMID:%d\r\nProcessorArchitecture:%d\r\nPageSize:%"
                  "d\r\nActiveProcessorMask:%d\r\n"
                  "NumberOfProcessors:%d\r\nProcessorType:%d\r\nAllocationGranularity:%"
                  "d\r\nProcessorLevel:%d\r\n"
                  "ProcessorRevision:%d",
                  static_cast<int>(f.oemId), static_cast<int>(f.processorArchitecture & 0xFFFF),
                  static_cast<int>(f.pageSize),
                  static_cast<int>(static_cast<uint32_t>(f.activeProcessorMask)),
                  static_cast<int>(f.numberOfProcessors), static_cast<int>(f.processorType),
                  static_cast<int>(f.allocationGranularity), static_cast<int>(f.processorLevel),
                  static_cast<int>(f.processorRevision));
    return buf;
}

std::string PcInfoMemoryPart(const PcInfoFacts& f) {
    if (!f.memoryOk) return "メモリ情報：取得不可";
    char buf[256];
    std::snprintf(buf, sizeof buf, "メモリ情報：総サイズ%lldbyte 有効サイズ%lld",
                  static_cast<long long>(f.totalPhysical),
                  static_cast<long long>(f.availablePhysical));
    return buf;
}

std::string PcInfoOsPart(const PcInfoFacts& f) {
    if (!f.osOk) return "OS情報：取得不可";
    char buf[512];
    std::snprintf(
        buf, sizeof buf,
        "OS情報：OS %d.%d, BuildNumber %d, PratformId %d, SP %s(%d.%d), Suite %X, Product %X",
        static_cast<int>(f.major), static_cast<int>(f.minor), static_cast<int>(f.build),
        static_cast<int>(f.platformId), f.servicePack.c_str(), static_cast<int>(f.spMajor),
        static_cast<int>(f.spMinor), static_cast<unsigned>(f.suiteMask),
        static_cast<unsigned>(f.productType));
    return buf;
}

std::string BuildPcInfoText(const PcInfoFacts& f) {
    return PcInfoUserPart(f) + "\r\n\r\n" + PcInfoCpuPart(f) + "\r\n\r\n" + PcInfoMemoryPart(f) +
           "\r\n\r\n" + PcInfoOsPart(f) + "\r\n\r\n";
}
