#include "net/ConnectionTable.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/CsvLine.h"
#include "common/Mbcs.h"
#include "common/UrlEscape.h"

// --- tables ------------------------------------------------------------------

const std::vector<ConnectionParamDef>& ConnectionParamTable() {
    static const std::vector<ConnectionParamDef> table = {
        {1, 2, kNoLimit, 0x101, "nick", "%s"},
        {2, 2, kNoLimit, 0x101, "pass", "%s"},
        {3, 2, kNoLimit, 0x101, "deviceno", "%016I64X"},
        {4, 2, kNoLimit, 0x101, "deviceNo", "%016I64X"},
        {5, 1, 16, 0x101, "ccid", "%04d%04d%08"},
        {6, 1, 16, 0x101, "id", "%016I64X"},
        {7, 2, kNoLimit, 0x101, "ccid", "%s"},
        {8, 0, 4, 0x101, "ccid_head", "%08X"},
        {9, 0, 4, 0x101, "halfCcid", "%08X"},
        {10, 2, kNoLimit, 0x101, "aplver", "%s"},
        {11, 0, 4, 0x101, "apltype", "%04d"},
        {30, 0, 2, 0x101, "fc", "%02d"},
        {70, 0, 1, 0x101, "fc", "%d"},
        {31, 2, 10, 0x101, "uid", "%s"},
        {32, 2, kNoLimit, 0x1, "otp", "%s"},
        {33, 0, kNoLimit, 0x1, "map_ver", "‐/%d.%06d"},
        {34, 0, 1, 0x1, "comp_type", "%d"},
        {35, 0, 1, 0x1, "class", "%d"},
        {36, 0, 3, 0x1, "vics", "%d"},
        {37, 0, 10, 0x1, "max", "%d"},
        {38, 2, kNoLimit, 0x1, "range", "%s"},
        {39, 2, kNoLimit, 0x1, "geo", "%s"},
        {40, 0, 1, 0x1, "accuracy", "%d"},
        {41, 2, kNoLimit, 0x1, "target_point", "%s"},
        {42, 2, kNoLimit, 0x1, "base_point", "%s"},
        {43, 0, 4, 0x1, "map_year", "%d"},
        {44, 0, 4, 0x1, "max_link", "%d"},
        {45, 0, 1, 0x1, "crypto_type", "%d"},
        {50, 2, kNoLimit, 0x100, "dat", "%s"},
        {60, 3, 2, 0x101, "type01", "%02X"},
        {61, 3, 2, 0x100, "type02", "%02X"},
        {62, 0, kNoLimit, 0x101, "year", "%04d年度版"},
        {63, 2, 9, 0x101, "ver", "%s"},
        {71, 0, kNoLimit, 0x101, "count_data", "%d"},
        {72, 3, 2, 0x100, "type01_%02d", "%02X"},
        {73, 3, 2, 0x100, "type02_%02d", "%02X"},
        {74, 0, 9, 0x100, "ver_%02d", "%09X"},
        {75, 5, kNoLimit, 0x100, "date_%02d", "%04d%02d%02d%02d%02d%02d"},
        {76, 3, 1, 0x100, "cl_%02d", "%d"},
        {77, 0, 10, 0x1, "speed", "%d"},
        {78, 0, 1, 0x0, "circuit_type", "%d"},
        {80, 6, 9, 0x101, "mapver", "%X.%06X"},
        {81, 6, 9, 0x101, "searchver", "%X.%06X"},
        {82, 6, 9, 0x101, "naviaplver", "%X.%06X"},
        {83, 6, 9, 0x101, "btfwver", "%X.%06X"},
        {84, 6, 9, 0x100, "lumenver", "%X.%06X"},
        {85, 2, kNoLimit, 0x101, "aplver", "%s"},
        {200, 2, kNoLimit, 0x101, "pcsoft-userAgent", "%s"},
        {201, 0, 9, 0x101, "functionCode", "%d"},
        {202, 2, kNoLimit, 0x100, "nickname", "%s"},
        {203, 2, kNoLimit, 0x101, "ver", "%s"},
        {204, 0, kNoLimit, 0x101, "datayear", "%04d"},
        {90, 0, kNoLimit, 0x1, "file", "%s"},
        {100, 0, 4, 0x101, "vics_link_year", "%d"},
        {101, 2, kNoLimit, 0x1, "nickname", "%s"},
        {102, 2, kNoLimit, 0x1, "navimodel", "%s"},
        {103, 2, kNoLimit, 0x1, "maker", "%s"},
        {104, 2, kNoLimit, 0x1, "aplver", "%s"},
        {105, 2, kNoLimit, 0x1, "mapver", "%s"},
    };
    return table;
}

namespace {
// Hosts reserved for examples: a verification environment points the table
// at its own service through "Connection.info".
#define QM_ENTRY "https://pcapp.example.com"
#define QM_WEB "https://web.example.com"
#define QM_PROBE_A "https://probe-a.example.com"
#define QM_PROBE_B "https://probe-b.example.com"
#define QM_MAP_A "https://map-a.example.com"
#define QM_MAP_B "http://map-b.example.com"
#define QM_TOP QM_ENTRY "/navigation/PcAppTop.html"
#define QM_PROBE QM_WEB "/probe/OFPB"
#define QM_RECEIVER QM_ENTRY "/pcapp/ReceiverLiteAPI"
}  // namespace

const std::vector<ConnectionEntry>& ConnectionEndpointTable() {
    static const std::vector<ConnectionEntry> table = {
        {0, QM_TOP, {200, 201, 202}},
        {1, QM_TOP, {200, 201, 202}},
        {2, QM_TOP, {200, 201, 202}},
        {3, QM_TOP, {200, 201, 202}},
        {4, QM_ENTRY "/pcapp/DeviceNoUserAuthenticationAPI", {1, 2, 8, 3}},
        {5, QM_ENTRY "/pcapp/GetLatestPcaplAPI", {10, 11}},
        {7, QM_PROBE, {30, 7, 31}},
        {8, QM_PROBE, {30, 7, 31}},
        {9, QM_PROBE, {30, 7, 31}},
        {10, QM_PROBE, {30, 7, 31}},
        {6, QM_PROBE, {30, 4, 9}},
        {11, QM_MAP_B "/wlink/", {}},
        {12,
         QM_PROBE_B "/cgi-bin/odv.cgi",
         {7, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45}},
        {13, QM_ENTRY "/pcapp/TransmissionRateUrlAPI", {78}},
        {14, QM_ENTRY "/pcapp/TransmissionRateRegistAPI", {8, 3, 77}},
        {15, QM_ENTRY "/pcapp/TransmissionRateLimitAPI", {8, 3}},
        {16, QM_ENTRY "/pcapp/DownloadListLiteAPI", {8, 3, 80, 81, 82, 83, 84, 85}},
        {17, QM_ENTRY "/pcapp/GetConfUrlLiteAPI", {8, 3, 60, 61, 63}},
        {18, QM_RECEIVER, {70, 8, 3, 71, 72, 73, 74, 75, 76}},
        {19, QM_RECEIVER, {30, 8, 3, 71, 72, 73, 74, 75, 76}},
        {20, QM_TOP, {200, 201, 202, 60, 61, 203, 204}},
        {21, QM_TOP, {200, 201, 202, 60, 61, 203, 204}},
        {22, QM_TOP, {200, 201, 202, 60, 61, 203, 204}},
        {23, QM_ENTRY "/pcapp/LogUploadCheckAPI", {8, 3}},
        {24, QM_ENTRY "/pcapp/LogUploadAPI", {8, 3, 90}},
        {25, QM_TOP, {200, 201, 202}},
        {26, QM_MAP_A "/wlink36/", {}},
        {27,
         QM_PROBE_A "/cgi-bin/odv.cgi",
         {7, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 100, 44, 45}},
        {28, QM_PROBE, {30, 7, 31, 101}},
        {29, QM_PROBE, {30, 7, 31, 101, 102, 103, 104, 105}},
        {30, QM_PROBE, {30, 7, 31, 101}},
        {31, QM_ENTRY "/pcapp/DeviceNoUserAuthenticationTRKMothAPI", {1, 2, 8, 3}},
        {32, QM_ENTRY "/pcapp/LogUploadCheckTRKMothAPI", {8, 3}},
        {33, QM_ENTRY "/pcapp/LogUploadTRKMothAPI", {8, 3, 90}},
        {34, QM_ENTRY "/pcapp/GetLatestPcaplTRKMothAPI", {}},
        {35, QM_ENTRY "/pcapp/TransmissionRateUrlTRKMothAPI", {78}},
        {36, QM_ENTRY "/pcapp/TransmissionRateRegistTRKMothAPI", {8, 3, 77}},
        {37, QM_ENTRY "/pcapp/TransmissionRateLimitTRKMothAPI", {8, 3}},
        {38, QM_ENTRY "/pcapp/DownloadListTRKMothAPI", {8, 3, 80, 81, 82}},
        {39, QM_ENTRY "/pcapp/GetConfUrlTRKMothAPI", {8, 3, 60, 61, 63}},
        {40, QM_ENTRY "/pcapp/ReceiverTRKMothAPI", {70, 8, 3, 71}},
        {41, QM_TOP, {200, 201, 202}},
    };
    return table;
}

const ConnectionParamDef* FindParamDef(uint32_t id) {
    for (const ConnectionParamDef& def : ConnectionParamTable())
        if (def.id == id) return &def;
    return nullptr;
}

// --- formatting --------------------------------------------------------------

namespace {

struct FormatArg {
    bool isText;
    uint32_t number;
    const std::string* text;
};

// Walks a table format, giving its one argument to the first conversion.
std::string FormatOne(const char* format, const FormatArg& arg) {
    std::string out;
    bool used = false;
    const char* p = format;
    while (*p) {
        if (IsCp932LeadByte(static_cast<unsigned char>(*p))) {
            out += *p++;
            if (*p) out += *p++;
            continue;
        }
        if (*p != '%') {
            out += *p++;
            continue;
        }
        const char* start = p++;
        if (*p == '%') {
            out += '%';
            ++p;
            continue;
        }
        std::string spec = "%";
        while (*p && std::strchr("-+ #0", *p)) spec += *p++;
        while (*p >= '0' && *p <= '9') spec += *p++;
        if (*p == '.') {
            spec += *p++;
            while (*p >= '0' && *p <= '9') spec += *p++;
        }
        // Length modifiers say nothing here: every argument is 32 bits.
        for (;;) {
            if (std::strncmp(p, "I64", 3) == 0 || std::strncmp(p, "I32", 3) == 0) {
                p += 3;
            } else if (*p == 'h' || *p == 'l' || *p == 'L' || *p == 'I' || *p == 'z' || *p == 'j') {
                ++p;
            } else {
                break;
            }
        }
        const char conv = *p;
        if (!conv || !std::strchr("diuxXoscp", conv)) {
            // Not a conversion (such as the trailing "%08"): copy it as it stands.
            out.append(start, p - start);
            continue;
        }
        ++p;
        const bool first = !used;
        used = true;
        if (first && arg.isText && conv != 's') {
            out += *arg.text;  // a text given to a number conversion is sent as it is
            continue;
        }
        if (conv == 's') {
            std::string text;
            if (first) text = arg.isText ? *arg.text : std::to_string(arg.number);
            std::vector<char> buf(text.size() + spec.size() + 256);
            std::snprintf(buf.data(), buf.size(), (spec + "s").c_str(), text.c_str());
            out += buf.data();
            continue;
        }
        char buf[128];
        const uint32_t v = first ? arg.number : 0;
        if (conv == 'd' || conv == 'i') {
            std::snprintf(buf, sizeof buf, (spec + "lld").c_str(),
                          static_cast<long long>(static_cast<int32_t>(v)));
        } else if (conv == 'c') {
            buf[0] = static_cast<char>(v);
            buf[1] = 0;
        } else {
            std::snprintf(buf, sizeof buf, (spec + "ll" + (conv == 'p' ? 'X' : conv)).c_str(),
                          static_cast<unsigned long long>(v));
        }
        out += buf;
    }
    return out;
}

// Cuts a text to at most max bytes without splitting a double-byte character.
std::string CutTo(const std::string& text, size_t max) {
    if (text.size() <= max) return text;
    size_t i = 0;
    while (i < max) {
        size_t step = IsCp932LeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
        if (i + step > max) break;
        i += step;
    }
    return text.substr(0, i);
}

// The last component of a path in the system code page.
std::string LastPathComponent(const std::string& path) {
    size_t start = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (IsCp932LeadByte(c)) {
            ++i;
            continue;
        }
        if (c == '\\' || c == '/' || c == ':') start = i + 1;
    }
    return path.substr(start);
}

}  // namespace

std::string FormatParamNumber(const char* format, uint32_t value) {
    return FormatOne(format, FormatArg{false, value, nullptr});
}

std::string FormatParamText(const char* format, const std::string& text) {
    return FormatOne(format, FormatArg{true, 0, &text});
}

std::string MakeDottedVersion(const std::string& versionText) {
    std::string out;
    for (size_t i = 0; i < versionText.size(); ++i) {
        if (versionText.compare(i, 2, ", ") == 0) {
            out += '.';
            ++i;
        } else {
            out += versionText[i];
        }
    }
    size_t b = out.find_first_not_of(' ');
    if (b == std::string::npos) return std::string();
    size_t e = out.find_last_not_of(' ');
    return out.substr(b, e - b + 1);
}

// --- CRequestParams ----------------------------------------------------------

void CRequestParams::Store(const ConnectionParamDef& def, std::string value) {
    if (def.flags & kParamEncode) value = UrlEscape(value.c_str());
    m_values[def.id] = std::move(value);
}

void CRequestParams::SetNumber(uint32_t id, uint32_t value) {
    const ConnectionParamDef* def = FindParamDef(id);
    if (!def || def->type != 0) return;
    // The printed number fits the 20-byte buffer it always had.
    Store(*def, CutTo(FormatParamNumber(def->format, value), 19));
}

void CRequestParams::SetString(uint32_t id, const char* text) {
    const ConnectionParamDef* def = FindParamDef(id);
    if (!def || !text) return;
    if (def->maxLen == kNoLimit)
        Store(*def, text);
    else
        Store(*def, CutTo(FormatParamText(def->format, text), def->maxLen));
}

void CRequestParams::SetCcidHead(uint32_t id, uint32_t ccid) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%04X", static_cast<int>(ccid & 0xFFFF),
                  static_cast<unsigned>(ccid >> 16));
    m_values[id] = UrlEscape(buf);
}

bool CRequestParams::SetAuthParams(const char* nickname, const char* password, const char* deviceNo,
                                   uint32_t ccid) {
    if (!nickname || !password || !deviceNo || ccid == 0) return false;
    SetString(1, nickname);
    SetString(2, password);
    SetString(3, deviceNo);
    SetCcidHead(8, ccid);
    return true;
}

bool CRequestParams::SetAplParams(uint32_t aplType, const std::string& programVersion) {
    SetString(10, programVersion.c_str());
    SetNumber(11, aplType);
    return true;
}

bool CRequestParams::SetWebPageParams(const char* userAgent, const char* nickname,
                                      uint32_t functionCode) {
    if (!userAgent || !nickname || functionCode == 0) return false;
    SetString(200, userAgent);
    SetString(202, nickname);
    SetNumber(201, functionCode);
    return true;
}

bool CRequestParams::SetDeviceParams(const char* deviceNo, uint32_t ccid) {
    if (!deviceNo || ccid == 0) return false;
    SetCcidHead(8, ccid);
    SetString(3, deviceNo);
    return true;
}

bool CRequestParams::SetLogUploadParams(const char* deviceNo, uint32_t ccid, const char* filePath) {
    if (!deviceNo || ccid == 0 || !filePath) return false;
    SetCcidHead(8, ccid);
    SetString(3, deviceNo);
    SetString(90, filePath);
    return true;
}

std::string CRequestParams::Get(uint32_t id) const {
    auto it = m_values.find(id);
    return it == m_values.end() ? std::string() : it->second;
}

// --- bodies for the log -------------------------------------------------------

std::string FormBodyForLog(const std::string& body) {
    // A password has no place in a log that is stored on the PC and uploaded.
    std::string out;
    size_t pos = 0;
    while (pos <= body.size()) {
        size_t end = body.find('&', pos);
        if (end == std::string::npos) end = body.size();
        if (pos) out += '&';
        if (body.compare(pos, 5, "pass=") == 0)
            out += "pass=****";
        else
            out.append(body, pos, end - pos);
        pos = end + 1;
    }
    return out.substr(0, 1023);
}

// --- CConnectionTable -----------------------------------------------------------

CConnectionTable::CConnectionTable() {
    for (const ConnectionEntry& e : ConnectionEndpointTable()) {
        ConnectionEntry copy = e;
        copy.paramIds.clear();
        for (uint32_t id : e.paramIds)
            if (id != 0) copy.paramIds.push_back(id);
        m_entries[e.id] = std::move(copy);
    }
}

std::vector<int> CConnectionTable::ApplyOverrides(std::string text) {
    std::vector<int> badIds;
    // The file is read as a zero-terminated text.
    size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);

    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find("\r\n", pos);
        size_t next;
        if (end != std::string::npos) {
            next = end + 2;
        } else {
            end = text.find('\n', pos);
            if (end == std::string::npos) {
                end = text.size();
                next = end;
            } else {
                next = end + 1;
            }
        }
        const size_t length = end - pos;
        if (length >= 1024) {
            if (next >= text.size() && end == text.size()) break;  // an overlong last line ends it
            pos = next;
            continue;
        }
        if (length == 0) break;  // an empty line ends the file
        ApplyOverrideLine(text.substr(pos, length), badIds);
        pos = next;
    }
    return badIds;
}

void CConnectionTable::ApplyOverrideLine(const std::string& line, std::vector<int>& badIds) {
    CCsvLine fields(line, ',');
    std::string idText, url;
    fields.GetField(0, idText);
    const int id = std::atoi(idText.c_str());
    auto it = m_entries.find(static_cast<uint32_t>(id));
    if (id < 0 || it == m_entries.end() || !fields.GetField(1, url)) {
        badIds.push_back(id);
        return;
    }
    it->second.url = url;
}

const ConnectionEntry* CConnectionTable::Find(uint32_t id) const {
    auto it = m_entries.find(id);
    return it == m_entries.end() ? nullptr : &it->second;
}

std::string CConnectionTable::GetUrl(uint32_t id) const {
    const ConnectionEntry* e = Find(id);
    return e ? e->url : std::string();
}

namespace {
// How each form lays out the endpoint's parameters: "name=value" joined by
// '&' (after the URL for the query), or one part per parameter between
// boundary lines.
struct BodyLayout {
    std::string first;  // before the first parameter (the query drops its '?'
                        // when the URL has one already)
    std::string next;   // before each later one: by list position, so a
                        // skipped first parameter still leaves its '&'
    std::string open;   // before the name
    std::string close;  // between the name and the value
    std::string tail;   // after the value
    std::string end;    // after the last parameter
    bool listEmpty;     // an empty value is listed as it is (the query)
};
enum BodyForm { kFormBody, kQueryBody, kMultipartBody };
const BodyLayout& LayoutOf(BodyForm form) {
    static const std::string dash = std::string("--") + kMultipartBoundary;
    static const BodyLayout layouts[] = {
        {"", "&", "", "=", "", "", false},
        {"?", "&", "", "=", "", "", true},
        {dash + "\r\n", dash + "\r\n", "Content-Disposition: form-data; name=\"", "\"\r\n\r\n",
         "\r\n", dash + "--", false},
    };
    return layouts[form];
}
}  // namespace

RequestBody CConnectionTable::Build(int form, uint32_t id, const CRequestParams& params,
                                    const BodyFileReader* readFile) const {
    RequestBody out;
    const ConnectionEntry* e = Find(id);
    if (!e) {
        out.error = BodyError::kUnknownEndpoint;
        return out;
    }
    const BodyLayout& layout = LayoutOf(static_cast<BodyForm>(form));
    std::string& body = out.bytes;
    if (form == kQueryBody) body = e->url;
    const bool hadQuery = body.find('?') != std::string::npos;
    auto fail = [&](BodyError error) {
        out.error = error;
        body.clear();
        body.shrink_to_fit();
        return out;
    };
    const std::vector<uint32_t>& ids = e->paramIds;
    for (size_t i = 0; i < ids.size(); ++i) {
        const ConnectionParamDef* def = FindParamDef(ids[i]);
        if (!def && layout.listEmpty) continue;
        const char* name = def ? def->name : "";
        const std::string value = params.Get(ids[i]);
        std::string close = layout.close, data;
        // A multipart "file" parameter names a file whose bytes are the part.
        const bool isFile = readFile && std::strcmp(name, "file") == 0;
        if (isFile) {
            close = "\"; filename=\"" + LastPathComponent(value) +
                    "\"\r\nContent-Type: application/octet-stream\r\n\r\n";
            out.filePath = value;
            const WholeFileResult r = (*readFile)(value, data);
            out.fileError = r.error;
            if (r.NotOpened()) return fail(BodyError::kFileOpen);
            if (r.status == WholeFileStatus::kTooLarge) return fail(BodyError::kNoMemory);
            if (r.status == WholeFileStatus::kReadFailed) return fail(BodyError::kFileRead);
        }
        const std::string& part = isFile ? data : value;
        if (part.empty() && !layout.listEmpty) {
            if (!def || (def->flags & 0xFF)) return fail(BodyError::kMissingRequired);
            continue;
        }
        const std::string& before =
            i == 0 ? (hadQuery ? std::string() : layout.first) : layout.next;
        body.reserve(body.size() + before.size() + layout.open.size() + std::strlen(name) +
                     close.size() + part.size() + layout.tail.size() + layout.end.size());
        body += before;
        body += layout.open;
        body += name;
        body += close;
        body += part;
        body += layout.tail;
    }
    body += layout.end;
    if (body.empty()) out.error = BodyError::kEmpty;
    return out;
}

std::string CConnectionTable::GetUrlWithQuery(uint32_t id, const CRequestParams& params) const {
    return Build(kQueryBody, id, params, nullptr).bytes;
}

RequestBody CConnectionTable::BuildPostData(uint32_t id, const CRequestParams& params) const {
    return Build(kFormBody, id, params, nullptr);
}

RequestBody CConnectionTable::BuildMultiPartData(uint32_t id, const CRequestParams& params,
                                                 const BodyFileReader& readFile) const {
    return Build(kMultipartBody, id, params, &readFile);
}

CallEndpoints EndpointsFor(ServiceCall call, bool isMothModel) {
    switch (call) {
        case ServiceCall::kAuthentication:
            return isMothModel ? CallEndpoints{31, 31} : CallEndpoints{4, 4};
        case ServiceCall::kLatestApplication:
            return isMothModel ? CallEndpoints{34, 5} : CallEndpoints{5, 5};
        case ServiceCall::kLogUploadPermission:
            return isMothModel ? CallEndpoints{32, 32} : CallEndpoints{23, 23};
        case ServiceCall::kLogUpload:
            return isMothModel ? CallEndpoints{33, 24} : CallEndpoints{24, 24};
    }
    return CallEndpoints{0, 0};
}

// --- user agent -------------------------------------------------------------

const char* UserAgentModelName(uint8_t modelCode) {
    switch (modelCode) {
        case 1:
            return "HopperLiteV1";
        case 2:
            return "TrkV21";
        case 3:
            return "TrkV22";
        case 4:
            return "TrkV23";
        case 5:
            return "TrkV24";
        case 6:
            return "TrkV25";
        case 7:
            return "TrkV26";
        case 8:
            return "TrkV27";
        case 9:
            return "TrkV28";
        case 10:
            return "GlideV10";
        case 11:
            return "HopperLiteV2";
        case 12:
            return "HopperLiteV3";
        case 13:
            return "HopperLiteV4";
        case 17:
            return "TrkV23X";
        case 18:
            return "MothV18";
        case 21:
            return "MothV21";
        default:
            return nullptr;
    }
}

std::string FormatUserAgent(const NaviUnitFacts& facts) {
    const char* model = UserAgentModelName(facts.modelCode);
    if (!model) return std::string();
    char buf[128];
    std::snprintf(buf, sizeof buf, "%02X%s/%X.%06X", static_cast<unsigned>(facts.appWord16 & 0xFF),
                  model, static_cast<unsigned>(facts.appValue >> 24),
                  static_cast<unsigned>(facts.appValue & 0xFFFFFF));
    return buf;
}
