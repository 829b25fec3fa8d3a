#pragma once
// The service endpoints by numeric id: the compiled-in table of parameters and
// endpoints, the optional "Connection.info" beside the executable that
// replaces URLs, the request values, and the form, multipart and query forms
// built from them. Portable; the few file and version look-ups it needs are
// in ConnectionFile_win.cpp (and a native stand-in for the tests).
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct ConnectionParamDef {
    uint32_t id;
    uint32_t type;    // 0 number, 1/2 text, 3 byte value, 5 date, 6 version
    uint32_t maxLen;  // characters of the formatted value; kNoLimit = any
    uint32_t flags;   // kParamRequired | kParamEncode
    const char* name;
    const char* format;
};

constexpr uint32_t kNoLimit = 0xFFFFFFFF;
constexpr uint32_t kParamRequired = 0x01;
constexpr uint32_t kParamEncode = 0x100;
constexpr const char* kMultipartBoundary = "WickerdaleBoundary";

struct ConnectionEntry {
    uint32_t id = 0;
    std::string url;
    std::vector<uint32_t> paramIds;
};

// The compiled-in tables, in their order.
const std::vector<ConnectionParamDef>& ConnectionParamTable();
const std::vector<ConnectionEntry>& ConnectionEndpointTable();
// The first row carrying the id, or null.
const ConnectionParamDef* FindParamDef(uint32_t id);

// The value of a table format with one argument. The table's formats are
// printf-like ("%08X", "%016I64X", "%04d年度版"); conversions beyond the one
// argument print 0 and a text given to a number conversion prints as text, so
// no row can read a missing argument.
std::string FormatParamNumber(const char* format, uint32_t value);
std::string FormatParamText(const char* format, const std::string& text);

// "1, 2, 3, 4" (a version resource's text) as "1.2.3.4".
std::string MakeDottedVersion(const std::string& versionText);

class CRequestParams {
public:
    // Row of type 0 only; the number printed with the row's format.
    void SetNumber(uint32_t id, uint32_t value);
    // First row with the id; formatted unless the row has no length limit.
    void SetString(uint32_t id, const char* text);
    // The unit's CCID as "%04d%04X" of its low and high halves, encoded.
    void SetCcidHead(uint32_t id, uint32_t ccid);

    bool SetAuthParams(const char* nickname, const char* password, const char* deviceNo,
                       uint32_t ccid);
    bool SetAplParams(uint32_t aplType);
    bool SetWebPageParams(const char* userAgent, const char* nickname, uint32_t functionCode);
    bool SetDeviceParams(const char* deviceNo, uint32_t ccid);
    bool SetLogUploadParams(const char* deviceNo, uint32_t ccid, const char* filePath);

    // The stored text; empty when none.
    std::string Get(uint32_t id) const;
    void Clear() { m_values.clear(); }
    bool Empty() const { return m_values.empty(); }

private:
    void Store(const ConnectionParamDef& def, std::string value);
    std::map<uint32_t, std::string> m_values;
};

class CConnectionFile {
public:
    static CConnectionFile& Instance();

    void SetParams(const CRequestParams& params) { m_params = params; }
    const CRequestParams& Params() const { return m_params; }

    std::string GetUrl(uint32_t id);
    // params (when given) first become the current values.
    std::string GetUrlWithQuery(uint32_t id, const CRequestParams* params);
    // Form body "name=value&..." for the endpoint; null on failure. The
    // current values are used up.
    std::unique_ptr<char[]> CreatePostData(uint32_t id, uint32_t& outSize);
    // Multipart body with boundary kMultipartBoundary; a parameter named
    // "file" carries a path whose bytes are sent. Null on failure.
    std::unique_ptr<char[]> CreateMultiPartData(uint32_t id, uint32_t& outSize);
    bool HasVerificationFile();

    // Forgets the table so that the next use loads it again from the given
    // "Connection.info" path (empty: the one beside the executable).
    void Reset(const std::string& infoPath = std::string());
    const ConnectionEntry* FindEntry(uint32_t id);
    // Applies the lines of a "Connection.info" text to the loaded table.
    void ApplyOverrides(std::string text);

private:
    CConnectionFile();
    bool EnsureLoaded();
    bool ReadOverrides();
    void ApplyOverrideLine(const std::string& line);

    std::map<uint32_t, ConnectionEntry> m_entries;
    CRequestParams m_params;
    std::string m_infoPath;
};

// The exchanges the launcher itself makes and the endpoints they use: the
// Moth line (model codes 18 and 21) has endpoints of its own, though two of
// them keep the body of the standard one.
enum class ServiceCall { kAuthentication, kLatestApplication, kLogUploadPermission, kLogUpload };
struct CallEndpoints {
    uint32_t url;   // GetUrl
    uint32_t body;  // CreatePostData / CreateMultiPartData
};
CallEndpoints EndpointsFor(ServiceCall call, bool isMothModel);
// Pages opened in the browser, by their endpoint ids (URL with query).
constexpr uint32_t kWebPageEndpoints[] = {0, 2, 3, 25, 41};

// --- platform pieces (ConnectionFile_win.cpp / ConnectionFile_native.cpp) ---
enum class FileReadStatus { kOk, kMissing, kOpenFailed, kNoMemory, kReadFailed };
struct FileReadResult {
    FileReadStatus status = FileReadStatus::kOk;
    uint32_t error = 0;  // the system's error code
    uint64_t size = 0;   // the file's size when it was known
};
// Reads a file whole. shareWrite lets others keep it open for writing.
FileReadResult ReadWholeFile(const std::string& path, bool shareWrite, std::string& out);
bool ConnectionFileExists(const std::string& path);
// "Connection.info" in the folder of the executable.
std::string DefaultConnectionInfoPath();
// The installed program's file version with dots, or "0.0.0.0" (install
// folder unknown), "0.0.0.1" (version unreadable, code 1), "0.0.0.2".
std::string GetProgramVersionText();

// --- user agent -------------------------------------------------------------
// What the user agent needs of the card's PC-link file: the model code and the
// navigation application record (0x10000001).
struct NaviUnitFacts {
    uint8_t modelCode = 0;
    uint16_t appWord16 = 0;
    uint32_t appValue = 0;
};
// Reads the PC-link file of the card in a drive; false when unreadable.
using NaviUnitReader = bool (*)(char drive, NaviUnitFacts& facts);
// The card's own PC-link file (ConnectionFile_win.cpp); the native build has
// no cards and answers false.
bool ReadPcLinkNaviUnit(char drive, NaviUnitFacts& facts);
// Tests put a reader of their own in place; null restores the card reader.
void SetNaviUnitReader(NaviUnitReader reader);

// Model name for a model code; null for codes the service does not know.
const char* UserAgentModelName(uint8_t modelCode);
// "%02X%s/%X.%06X"; empty (and logged) for an unknown model code.
std::string FormatUserAgent(const NaviUnitFacts& facts);
// The user agent for the card in a drive, cached for the last drive asked.
std::string GetUserAgent(char drive);
// Forgets the cached user agent.
void ResetUserAgentCache();
