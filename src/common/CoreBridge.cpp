#include "common/CoreBridge.h"

#include <cstdio>

namespace {

struct KindKeyword {
    uint32_t bit;
    const char* keyword;
};
// Command-line order.
constexpr KindKeyword kKeywords[] = {
    {kChargeProbe, "prb"},  {kChargeMap, "map"},   {kChargeTraffic, "bl"},
    {kChargeWeather, "wl"}, {kChargeMusic, "msc"},
};

uint64_t ReadLe(const unsigned char* p, int bytes) {
    uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

void WriteLe(unsigned char* p, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        p[i] = static_cast<unsigned char>(v & 0xFF);
        v >>= 8;
    }
}

// " /d E /w 0001A2B4": the part both programs share.
std::string DriveAndWindow(char drive, uint32_t launcherWindow) {
    char buf[64];
    std::snprintf(buf, sizeof buf, " /%s %c /%s %08X", "d", drive, "w",
                  static_cast<unsigned>(launcherWindow));
    return buf;
}

}  // namespace

const char* ChargeKeyword(uint32_t kindBit) {
    for (const KindKeyword& k : kKeywords)
        if (k.bit == kindBit) return k.keyword;
    return nullptr;
}

bool TakesProbeUpload(int modelCode) {
    return modelCode != kModelNoProbeA && modelCode != kModelNoProbeB;
}

std::string BuildCoreParameters(char drive, uint32_t launcherWindow, int32_t kindMask,
                                int modelCode) {
    std::string params = DriveAndWindow(drive, launcherWindow) + " /p";
    const uint32_t mask = static_cast<uint32_t>(kindMask);
    for (const KindKeyword& k : kKeywords) {
        if (!(mask & k.bit)) continue;
        if (k.bit == kChargeProbe && !TakesProbeUpload(modelCode)) continue;
        params += ' ';
        params += k.keyword;
    }
    return params;
}

std::string BuildMusicParameters(char drive, uint32_t launcherWindow, bool manual) {
    return DriveAndWindow(drive, launcherWindow) + " /m " + (manual ? "manual" : "setting");
}

std::string BlockMutexName(const char* blockName, bool globalNamespace) {
    std::string name = globalNamespace ? "Global\\" : "";
    name += blockName ? blockName : "";
    return name + kBlockMutexSuffix;
}

bool UsesGlobalNamespace(unsigned majorVersion, bool ntPlatform) {
    return ntPlatform && majorVersion >= 5;
}

bool DecodeMapProgressBlock(const unsigned char* bytes, size_t size, MapProgressBlock& progress) {
    if (!bytes || size < kMapProgressBlockSize) return false;
    progress.lineSpeed = static_cast<uint32_t>(ReadLe(bytes + 4, 4));
    progress.currentSize = ReadLe(bytes + 8, 8);
    progress.cumulativeSize = ReadLe(bytes + 16, 8);
    progress.totalSize = ReadLe(bytes + 24, 8);
    return true;
}

void EncodeMapProgressBlock(const MapProgressBlock& progress,
                            unsigned char (&bytes)[kMapProgressBlockSize]) {
    WriteLe(bytes, 0, 4);
    WriteLe(bytes + 4, progress.lineSpeed, 4);
    WriteLe(bytes + 8, progress.currentSize, 8);
    WriteLe(bytes + 16, progress.cumulativeSize, 8);
    WriteLe(bytes + 24, progress.totalSize, 8);
}
