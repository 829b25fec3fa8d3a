#pragma once
// What the application log upload collects and how it names and describes
// it; the Windows side (AplLogUpload_win.cpp) does the file work.
#include <cstdint>
#include <string>

// Logs of the three programs are collected up to this size (4 MiB + 1 KiB).
constexpr uint64_t kMaxCollectedLogSize = 0x400400;

// A name of the form "%04d%02d%02d.log" with a year 1980 to 2099, a month 1
// to 12 and a day 1 to 31 (any day of any month).
bool IsDatedLogName(const std::string& name);
// One of the program logs ("Quillmarch.log", "Quillmarch_Core.log",
// "Quillmarch_Music.log" anywhere in the name).
bool IsProgramLogName(const std::string& name);

enum class LogFileChoice { kSkip, kCollect, kTooLarge };
// Whether a file of a log folder goes into the upload.
LogFileChoice ChooseLogFile(const std::string& name, uint64_t size);
// Whether a file of a log folder is deleted after a successful upload.
inline bool IsUploadedLogName(const std::string& name) {
    return IsDatedLogName(name) || IsProgramLogName(name);
}

// "Lite_<device number>_YYYYMMDDhhmmss" (the year with all its digits).
std::string MakeArchiveName(const std::string& deviceNo, int year, int month, int day, int hour,
                            int minute, int second);

// What "PcInfo.txt" reports about the PC.
struct PcInfoFacts {
    bool isAdmin = false;
    enum CpuState { kCpuOk, kCpuBeforeXp, kCpuNoDll, kCpuNoApi } cpu = kCpuBeforeXp;
    uint32_t oemId = 0, processorArchitecture = 0, pageSize = 0, numberOfProcessors = 0,
             processorType = 0, allocationGranularity = 0, processorLevel = 0,
             processorRevision = 0;
    uint64_t activeProcessorMask = 0;
    bool memoryOk = false;
    uint64_t totalPhysical = 0, availablePhysical = 0;
    bool osOk = false;
    uint32_t major = 0, minor = 0, build = 0, platformId = 0, spMajor = 0, spMinor = 0,
             suiteMask = 0, productType = 0;
    std::string servicePack;
};
// The four parts, each as logged and each to be followed by "\r\n\r\n".
std::string PcInfoUserPart(const PcInfoFacts& f);
std::string PcInfoCpuPart(const PcInfoFacts& f);
std::string PcInfoMemoryPart(const PcInfoFacts& f);
std::string PcInfoOsPart(const PcInfoFacts& f);
std::string BuildPcInfoText(const PcInfoFacts& f);
