// sdcard: writes a simulated navigation SD card into a folder (or a drive
// root), the way the navigation unit leaves it: the enciphered
// navigation-info file, the PC-link copy, SD info records, probe files and
// the data folders. Damaged cards can be made for the failure paths.
//
//   sdcard make FOLDER [options]        a whole card
//   sdcard set-pairing FOLDER VALUE     the unit changes its pairing value
//   sdcard dump FILE                    the fields of a PC-link/navigation-info file
//
// Options of make (numbers in hexadecimal unless noted):
//   --model=HEX --device=TEXT --navi-id=HEX --pairing=HEX
//   --generation=1|2 (decimal) or --format-version=HEX
//   --app=VALUE[:WORD16] --map=VALUE[:WORD18] --bt=VALUE
//   --search=NAME=VALUE[:WORD18]          repeatable
//   --record=ID:VALUE[:WORD16[:WORD18[:NAME]]]   repeatable, any kind
//   --sdinfo=KIND:RESULT:VERSION[:TEXT[:VALUE120[:EXTRA116[:YYYYMMDDhhmm]]]]
//                                         repeatable (KIND, RESULT, the date
//                                         decimal; without a date: now)
//   --no-sdinfo                           no SD info file (without --sdinfo a
//                                         complete charge of traffic, weather
//                                         and map is recorded)
//   --every-kind                          that charge also records music and
//                                         the traffic-data service (with its
//                                         PC-link record 0x20000003)
//   --probe-files=N (decimal)             sample files in \PROBE\ (default 2)
//   --probe-entries=N (decimal)           N uploads in the PC's probe log of
//                                         the device ("ProbeLog.dat" in the
//                                         user data folder), oldest first;
//                                         0 writes an empty file
//   --probe-log=PATH                      write that probe log to PATH instead
//   --probe-damage                        the probe log ends in a cut record
//   --music-files=N --music-bytes=B       tracks in \AV\MUSIC (default 2 of
//                                         4096 bytes; decimal)
//   --file=CARDPATH:BYTES                 repeatable: a file of that size
//                                         (":\PC\MAP\BIG.DAT:1048576")
//   --spread=N                            N files of 1 KB spread over the
//                                         data folders
//   --fill-to-free=BYTES                  a filler ":\FILL.BIN" leaves at most
//                                         BYTES free on the card's volume
//                                         (refused when that needs more than
//                                         4 GiB: meant for a small volume)
//   --no-pclink                           leave the PC-link file out
//   --no-folders                          no data folders
//   --damage=bad-header|bad-record|short-record|wrong-size
//   --damage-target=navi|pclink|both      (default both)
#include <windows.h>
// after windows.h, which it builds on
#include <wincrypt.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "common/WholeFile.h"
#include "datafiles/CardPaths.h"
#include "datafiles/DataRecords.h"
#include "datafiles/PcLinkFormat.h"
#include "datafiles/PcLinkKey.h"

namespace {

// Further items the unit reports (compared by the SD information window).
constexpr uint32_t kRecordTraffic = 0x20000001;
constexpr uint32_t kRecordWeather = 0x20000002;
constexpr uint32_t kRecordLumen = 0x20000003;
constexpr uint64_t kFillLimit = 4ull << 30;
// Outcomes the probe log window tells apart (7: one it does not know).
constexpr int32_t kProbeResults[] = {0, 1, 2, 3, 4, 7};

struct Options {
    uint8_t model = 0x0C;
    std::string device = "QM00000000000001";
    uint32_t naviId = 0x00A1B2C3;
    uint32_t pairing = 0x00000001;
    uint32_t formatVersion = 0x02000000;
    std::vector<CPcLinkContent::Record> records;
    std::vector<SdInfoRecord> sdInfo;
    int probeFiles = 2;
    int probeEntries = -1;  // no probe log; 0 writes an empty one
    std::string probeLogPath;
    bool probeDamage = false;
    int musicFiles = 2;
    uint64_t musicBytes = 4096;
    std::vector<std::pair<std::string, uint64_t>> files;
    int spread = 0;
    bool fill = false;
    uint64_t fillToFree = 0;
    bool everyKind = false;
    bool pcLink = true;
    bool folders = true;
    bool defaultSdInfo = true;
    std::string damage;
    std::string damageTarget = "both";
};

int Usage(const char* why) {
    std::fprintf(stderr, "sdcard: %s\n", why);
    std::fprintf(stderr,
                 "usage: sdcard make FOLDER [options] | sdcard set-pairing FOLDER VALUE | "
                 "sdcard dump FILE\n");
    return 2;
}

uint32_t Hex(const std::string& s) {
    return static_cast<uint32_t>(std::strtoul(s.c_str(), nullptr, 16));
}

std::vector<std::string> Split(const std::string& s, char sep, size_t maxParts) {
    std::vector<std::string> parts;
    size_t pos = 0;
    while (parts.size() + 1 < maxParts) {
        size_t next = s.find(sep, pos);
        if (next == std::string::npos) break;
        parts.push_back(s.substr(pos, next - pos));
        pos = next + 1;
    }
    parts.push_back(s.substr(pos));
    return parts;
}

std::string Folder(std::string f) {
    if (!f.empty() && f.back() != '\\') f += '\\';
    return f;
}

void DrawIv(uint32_t iv[2]) {
    HCRYPTPROV prov = 0;
    iv[0] = ::GetTickCount();
    iv[1] = ::GetCurrentProcessId();
    if (::CryptAcquireContextA(&prov, nullptr, nullptr, PROV_RSA_FULL,
                               CRYPT_VERIFYCONTEXT | CRYPT_SILENT)) {
        ::CryptGenRandom(prov, 8, reinterpret_cast<BYTE*>(iv));
        ::CryptReleaseContext(prov, 0);
    }
}

bool WriteBytes(const std::string& path, const void* data, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "sdcard: cannot write %s\n", path.c_str());
        return false;
    }
    bool ok = std::fwrite(data, 1, size, f) == size;
    ok = std::fclose(f) == 0 && ok;
    if (!ok) std::fprintf(stderr, "sdcard: write failed %s\n", path.c_str());
    return ok;
}

bool ReadBytes(const std::string& path, std::vector<uint8_t>& out) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes).Ok()) return false;
    out.assign(bytes.begin(), bytes.end());
    return true;
}

RecordTime Now() {
    SYSTEMTIME st;
    ::GetLocalTime(&st);
    return {st.wYear, st.wMonth,  st.wDayOfWeek, st.wDay,
            st.wHour, st.wMinute, st.wSecond,    st.wMilliseconds};
}

// "YYYYMMDDhhmm", with the day of the week worked out.
bool ParseDate(const std::string& text, RecordTime& t) {
    if (text.size() != 12 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    auto at = [&](size_t from, size_t n) {
        return static_cast<WORD>(std::atoi(text.substr(from, n).c_str()));
    };
    SYSTEMTIME st = {};
    st.wYear = at(0, 4);
    st.wMonth = at(4, 2);
    st.wDay = at(6, 2);
    st.wHour = at(8, 2);
    st.wMinute = at(10, 2);
    FILETIME ft;
    if (!::SystemTimeToFileTime(&st, &ft) || !::FileTimeToSystemTime(&ft, &st)) return false;
    t = {st.wYear, st.wMonth, st.wDayOfWeek, st.wDay, st.wHour, st.wMinute, 0, 0};
    return true;
}

// A file of the given size, filled with a pattern so it takes real room.
bool WriteSized(const std::string& path, uint64_t bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "sdcard: cannot write %s\n", path.c_str());
        return false;
    }
    std::vector<uint8_t> chunk(1 << 20);
    for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<uint8_t>(i * 13 + 5);
    bool ok = true;
    for (uint64_t left = bytes; ok && left > 0;) {
        const size_t n = static_cast<size_t>(left < chunk.size() ? left : chunk.size());
        ok = std::fwrite(chunk.data(), 1, n, f) == n;
        left -= n;
    }
    ok = std::fclose(f) == 0 && ok;
    if (!ok) std::fprintf(stderr, "sdcard: write failed %s\n", path.c_str());
    return ok;
}

// Upload i of n, oldest first: one a day up to today at 10:00 + i minutes,
// the outcomes in turn, a processing code on every other one.
std::vector<uint8_t> ProbeLogImage(int count, bool damaged) {
    SYSTEMTIME today;
    ::GetLocalTime(&today);
    today.wHour = 10;
    today.wMinute = today.wSecond = today.wMilliseconds = 0;
    FILETIME base;
    ::SystemTimeToFileTime(&today, &base);
    ULARGE_INTEGER t0;
    t0.LowPart = base.dwLowDateTime;
    t0.HighPart = base.dwHighDateTime;
    constexpr uint64_t kMinute = 600000000ull, kDay = 1440 * kMinute;
    std::vector<uint8_t> image(static_cast<size_t>(count) * kProbeLogRecordSize);
    for (int i = 0; i < count; ++i) {
        ULARGE_INTEGER t;
        t.QuadPart = t0.QuadPart - static_cast<uint64_t>(count - 1 - i) * kDay + (i % 60) * kMinute;
        FILETIME ft = {t.LowPart, t.HighPart};
        SYSTEMTIME st;
        ::FileTimeToSystemTime(&ft, &st);
        ProbeLogRecord r;
        r.uploadTime = {st.wYear, st.wMonth,  st.wDayOfWeek, st.wDay,
                        st.wHour, st.wMinute, st.wSecond,    st.wMilliseconds};
        r.result = kProbeResults[i % (sizeof kProbeResults / sizeof kProbeResults[0])];
        r.code = i % 2 ? static_cast<uint32_t>(0x12 + i) : 0;
        EncodeProbeLogRecord(r, &image[static_cast<size_t>(i) * kProbeLogRecordSize]);
    }
    if (damaged) image.resize(image.size() + 20, 0x5A);  // half a record
    return image;
}

// Writes ":\FILL.BIN" so that at most freeBytes stay free.
bool FillCard(const std::string& root, uint64_t freeBytes) {
    ULARGE_INTEGER available, total, free;
    if (!::GetDiskFreeSpaceExA(root.c_str(), &available, &total, &free)) {
        std::fprintf(stderr, "sdcard: cannot ask the free space of %s\n", root.c_str());
        return false;
    }
    if (available.QuadPart <= freeBytes) return true;
    const uint64_t fill = available.QuadPart - freeBytes;
    if (fill > kFillLimit) {
        std::fprintf(stderr, "sdcard: filling %s would take %llu bytes; use a small volume\n",
                     root.c_str(), static_cast<unsigned long long>(fill));
        return false;
    }
    return WriteSized(root + "FILL.BIN", fill);
}

void Damage(std::vector<uint8_t>& image, const std::string& how) {
    if (how == "bad-header") {
        image[kPcLinkFileHeaderSize + 2] ^= 0x5A;  // the data header no longer deciphers
    } else if (how == "bad-record" && image.size() > 96 + 3) {
        image[kPcLinkFileHeaderSize + kPcLinkDataHeaderSize + 3] ^= 0x5A;
    } else if (how == "short-record" && image.size() > 96) {
        image.resize(image.size() - 68);  // the last record is cut to 100 bytes
    } else if (how == "wrong-size") {
        image.resize(kPcLinkFileHeaderSize + 40);  // ends inside the data header
    }
}

CPcLinkContent BuildContent(const Options& o) {
    CPcLinkContent c;
    c.SetFormatVersion(o.formatVersion);
    c.SetDataHeaderMarker();
    c.SetDeviceNo(o.device);
    c.SetPairingValue(o.pairing);
    c.SetNaviId(o.naviId);
    c.SetModelCode(o.model);
    for (const auto& r : o.records) c.AppendRecord(r);
    return c;
}

bool ParseMakeOption(const std::string& arg, Options& o) {
    auto value = [&](const char* name) -> const char* {
        size_t n = std::strlen(name);
        return arg.compare(0, n, name) == 0 ? arg.c_str() + n : nullptr;
    };
    const char* v;
    if ((v = value("--model="))) {
        o.model = static_cast<uint8_t>(Hex(v));
    } else if ((v = value("--device="))) {
        o.device = v;
    } else if ((v = value("--navi-id="))) {
        o.naviId = Hex(v);
    } else if ((v = value("--pairing="))) {
        o.pairing = Hex(v);
    } else if ((v = value("--generation="))) {
        o.formatVersion = std::atoi(v) >= 2 ? 0x02000000 : 0x01000000;
    } else if ((v = value("--format-version="))) {
        o.formatVersion = Hex(v);
    } else if ((v = value("--app="))) {
        auto p = Split(v, ':', 2);
        o.records.push_back(MakePcLinkRecord(kRecordNaviApplication, Hex(p[0]),
                                             static_cast<uint16_t>(p.size() > 1 ? Hex(p[1]) : 0), 0,
                                             ""));
    } else if ((v = value("--map="))) {
        auto p = Split(v, ':', 2);
        o.records.push_back(MakePcLinkRecord(
            kRecordMapData, Hex(p[0]), 0, static_cast<uint16_t>(p.size() > 1 ? Hex(p[1]) : 0), ""));
    } else if ((v = value("--bt="))) {
        o.records.push_back(MakePcLinkRecord(kRecordBluetoothFirmware, Hex(v), 0, 0, ""));
    } else if ((v = value("--search="))) {
        auto nv = Split(v, '=', 2);
        if (nv.size() != 2) return false;
        auto p = Split(nv[1], ':', 2);
        o.records.push_back(MakePcLinkRecord(kRecordSearchData, Hex(p[0]), 0,
                                             static_cast<uint16_t>(p.size() > 1 ? Hex(p[1]) : 0),
                                             nv[0]));
    } else if ((v = value("--record="))) {
        auto p = Split(v, ':', 5);
        if (p.size() < 2) return false;
        o.records.push_back(MakePcLinkRecord(
            Hex(p[0]), Hex(p[1]), static_cast<uint16_t>(p.size() > 2 ? Hex(p[2]) : 0),
            static_cast<uint16_t>(p.size() > 3 ? Hex(p[3]) : 0), p.size() > 4 ? p[4] : ""));
    } else if ((v = value("--sdinfo="))) {
        auto p = Split(v, ':', 7);
        if (p.size() < 3) return false;
        SdInfoRecord r;
        r.kindBit = static_cast<uint32_t>(std::strtoul(p[0].c_str(), nullptr, 10));
        r.result = static_cast<int32_t>(std::strtol(p[1].c_str(), nullptr, 10));
        r.extra124 = Hex(p[2]);
        r.text = p.size() > 3 ? p[3] : "";
        r.value120 = p.size() > 4 ? Hex(p[4]) : 0;
        r.extra116 = p.size() > 5 ? Hex(p[5]) : 0;
        r.lastTime = Now();
        if (p.size() > 6 && !ParseDate(p[6], r.lastTime)) return false;
        o.sdInfo.push_back(r);
    } else if ((v = value("--probe-files="))) {
        o.probeFiles = std::atoi(v);
    } else if ((v = value("--probe-entries="))) {
        o.probeEntries = std::atoi(v);
    } else if ((v = value("--probe-log="))) {
        o.probeLogPath = v;
    } else if (arg == "--probe-damage") {
        o.probeDamage = true;
    } else if ((v = value("--music-files="))) {
        o.musicFiles = std::atoi(v);
    } else if ((v = value("--music-bytes="))) {
        o.musicBytes = std::strtoull(v, nullptr, 10);
    } else if ((v = value("--file="))) {
        const std::string text = v;
        const size_t colon = text.find_last_of(':');
        if (colon == std::string::npos || colon < 2 || text.compare(0, 2, ":\\") != 0) return false;
        o.files.emplace_back(text.substr(0, colon),
                             std::strtoull(text.c_str() + colon + 1, nullptr, 10));
    } else if ((v = value("--spread="))) {
        o.spread = std::atoi(v);
    } else if ((v = value("--fill-to-free="))) {
        o.fill = true;
        o.fillToFree = std::strtoull(v, nullptr, 10);
    } else if (arg == "--every-kind") {
        o.everyKind = true;
    } else if (arg == "--no-pclink") {
        o.pcLink = false;
    } else if (arg == "--no-sdinfo") {
        o.defaultSdInfo = false;
    } else if (arg == "--no-folders") {
        o.folders = false;
    } else if ((v = value("--damage="))) {
        o.damage = v;
    } else if ((v = value("--damage-target="))) {
        o.damageTarget = v;
    } else {
        return false;
    }
    return true;
}

int Make(const std::string& folderArg, const std::vector<std::string>& args) {
    Options o;
    for (const auto& a : args)
        if (!ParseMakeOption(a, o)) return Usage(("unknown or malformed option " + a).c_str());
    if (o.records.empty()) {
        // A unit that reports the usual items.
        o.records.push_back(MakePcLinkRecord(kRecordNaviApplication, 0x01002000, 0x0001, 1, ""));
        o.records.push_back(MakePcLinkRecord(kRecordMapData, 0x05000100, 0, 4, ""));
        o.records.push_back(MakePcLinkRecord(kRecordSearchData, 0x05000100, 0, 1, "電話番号"));
        o.records.push_back(MakePcLinkRecord(kRecordBluetoothFirmware, 0x01020000, 0, 1, ""));
        o.records.push_back(MakePcLinkRecord(kRecordTraffic, 0x01000005, 0, 1, ""));
        o.records.push_back(MakePcLinkRecord(kRecordWeather, 0x01000003, 0, 1, ""));
        if (o.everyKind) o.records.push_back(MakePcLinkRecord(kRecordLumen, 0x01000001, 0, 1, ""));
    }
    if (o.sdInfo.empty() && o.defaultSdInfo) {
        // What the suite leaves after a complete charge: traffic, weather and
        // the map (with --every-kind also music and the traffic-data
        // service) on the card in the versions the unit reports.
        const RecordTime now = Now();
        const uint32_t kinds[][2] = {
            {4, 0x01000005}, {8, 0x01000003}, {2, 0x05000100}, {16, 0x00000001}, {32, 0x01000001}};
        for (const auto& k : kinds) {
            if (!o.everyKind && (k[0] == 16 || k[0] == 32)) continue;
            SdInfoRecord r;
            r.kindBit = k[0];
            r.lastTime = now;
            r.result = 2;
            r.extra124 = k[1];
            o.sdInfo.push_back(r);
        }
    }
    const std::string root = Folder(folderArg);
    if (!CreateDirectories((root + "PC").c_str())) {
        std::fprintf(stderr, "sdcard: cannot create %sPC\n", root.c_str());
        return 1;
    }
    const CDes des = MakePcLinkCipher();
    CPcLinkContent content = BuildContent(o);
    uint32_t iv[2];
    DrawIv(iv);
    std::vector<uint8_t> navi = content.BuildImage(des, iv[0], iv[1]);
    std::vector<uint8_t> link = navi;  // the PC keeps a copy
    if (!o.damage.empty()) {
        if (o.damageTarget != "pclink") Damage(navi, o.damage);
        if (o.damageTarget != "navi") Damage(link, o.damage);
    }
    // Card paths begin with ":\"; the folder stands in for the drive.
    auto onCard = [&](const char* cardPath) { return root + (cardPath + 2); };
    bool ok = WriteBytes(onCard(kCardNaviInfoPath), navi.data(), navi.size());
    if (o.pcLink)
        ok = WriteBytes(onCard(kCardPcLinkPath), link.data(), link.size()) && ok;
    else
        ::DeleteFileA(onCard(kCardPcLinkPath).c_str());

    if (!o.sdInfo.empty()) {
        std::vector<uint8_t> sd(o.sdInfo.size() * kSdInfoRecordSize);
        for (size_t i = 0; i < o.sdInfo.size(); ++i)
            EncodeSdInfoRecord(o.sdInfo[i], &sd[i * kSdInfoRecordSize]);
        ok = WriteBytes(onCard(kCardSdInfoPath), sd.data(), sd.size()) && ok;
    }
    CreateDirectories(onCard(kCardProbeFolder).c_str());
    for (int i = 1; i <= o.probeFiles; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "PRB%05d.DAT", i);
        std::string body = "probe sample " + std::to_string(i) + "\r\n";
        ok = WriteBytes(onCard(kCardProbeFolder) + name, body.data(), body.size()) && ok;
    }
    if (o.folders) {
        for (const char* f : kCardDataFolders) CreateDirectories(onCard(f).c_str());
        const char* sample = "sample data\r\n";
        ok = WriteBytes(onCard(":\\PC\\MAP\\MAP0001.DAT"), sample, std::strlen(sample)) && ok;
        ok = WriteBytes(onCard(":\\PC\\WEATHER\\WX.DAT"), sample, std::strlen(sample)) && ok;
    }
    if (o.musicFiles > 0) {
        const std::string music = root + "AV\\MUSIC\\";
        CreateDirectories(music.c_str());
        for (int i = 1; i <= o.musicFiles; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "TRACK%02d.MP3", i);
            ok = WriteSized(music + name, o.musicBytes) && ok;
        }
    }
    for (const auto& f : o.files) {
        const std::string path = onCard(f.first.c_str());
        CreateDirectories(path.substr(0, path.find_last_of('\\')).c_str());
        ok = WriteSized(path, f.second) && ok;
    }
    for (int i = 0; i < o.spread; ++i) {
        const char* folder =
            kCardDataFolders[i % (sizeof kCardDataFolders / sizeof kCardDataFolders[0])];
        CreateDirectories(onCard(folder).c_str());
        char name[32];
        std::snprintf(name, sizeof name, "F%06d.DAT", i);
        ok = WriteSized(onCard(folder) + name, 1024) && ok;
    }
    if (o.probeEntries >= 0 || o.probeDamage) {
        std::string path = o.probeLogPath;
        if (path.empty()) path = GetUserDataFolder(o.device.c_str()) + "ProbeLog.dat";
        const std::vector<uint8_t> log =
            ProbeLogImage(o.probeEntries < 0 ? 0 : o.probeEntries, o.probeDamage);
        ok = WriteBytes(path, log.data(), log.size()) && ok;
    }
    if (ok && o.fill) ok = FillCard(root, o.fillToFree);
    if (!ok) return 1;
    std::printf("card written to %s\n", root.c_str());
    return 0;
}

int SetPairing(const std::string& folderArg, const std::string& value) {
    const std::string path = Folder(folderArg) + (kCardNaviInfoPath + 2);
    std::vector<uint8_t> image;
    if (!ReadBytes(path, image)) return Usage(("cannot read " + path).c_str());
    const CDes des = MakePcLinkCipher();
    CPcLinkContent c;
    if (ParsePcLinkImage(image.data(), image.size(), des, c) != PcLinkParse::kOk)
        return Usage("the navigation-info file does not load");
    c.SetPairingValue(Hex(value));
    uint32_t iv[2];
    DrawIv(iv);
    image = c.BuildImage(des, iv[0], iv[1]);
    return WriteBytes(path, image.data(), image.size()) ? 0 : 1;
}

int Dump(const std::string& path) {
    std::vector<uint8_t> image;
    if (!ReadBytes(path, image)) return Usage(("cannot read " + path).c_str());
    const CDes des = MakePcLinkCipher();
    CPcLinkContent c;
    size_t bad = 0;
    PcLinkParse r = ParsePcLinkImage(image.data(), image.size(), des, c, &bad);
    static const char* kResults[] = {"ok", "short file header", "short data header",
                                     "bad data header", "short record"};
    std::printf("result: %s\n", kResults[static_cast<int>(r)]);
    std::printf("size: %u\n%s", static_cast<unsigned>(image.size()), DumpPcLinkContent(c).c_str());
    std::printf("bad-records: %u\n", static_cast<unsigned>(bad));
    return r == PcLinkParse::kOk ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage("missing arguments");
    const std::string command = argv[1];
    std::vector<std::string> rest(argv + 3, argv + argc);
    if (command == "make") return Make(argv[2], rest);
    if (command == "set-pairing") {
        if (rest.size() != 1) return Usage("set-pairing needs FOLDER VALUE");
        return SetPairing(argv[2], rest[0]);
    }
    if (command == "dump") return Dump(argv[2]);
    return Usage(("unknown command " + command).c_str());
}
