#pragma once
// The service endpoints by numeric id: the compiled-in table of parameters and
// endpoints, the lines of "Connection.info" that replace URLs, the request
// values, and the form, multipart and query forms built from them. Portable:
// it reads no files and writes no log; what it needs from the system (a
// file's bytes, the program's version) is handed in, and what went wrong comes
// back in the results for the shell (ConnectionFile.h) to log.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "common/WholeFile.h"

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
    // programVersion: the installed program's dotted version (the shell's
    // GetProgramVersionText).
    bool SetAplParams(uint32_t aplType, const std::string& programVersion);
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

// A request body, built per request from the values given.
enum class BodyError {
    kNone,
    kNoTable,  // "送信データ作成失敗:Connection.info読取失敗" (the shell's load)
    kUnknownEndpoint,  // "送信データ作成失敗:該当リストなし"
    kMissingRequired,  // "送信データ作成失敗:必須データなし"
    kEmpty,            // "送信データ作成失敗"
    kFileOpen,         // "送信データ作成失敗:ファイルオープン失敗 PATH:%s"
    kFileRead,  // "送信データ作成失敗:ファイル読込み失敗 PATH:%s ERR:0x%08X"
    kNoMemory,  // "送信データ作成失敗:メモリ確保失敗"
};
struct RequestBody {
    BodyError error = BodyError::kNone;
    std::string bytes;
    std::string filePath;    // the file part's path (file errors)
    uint32_t fileError = 0;  // the system's error of the file step
    bool Ok() const { return error == BodyError::kNone; }
};

// Reads the file of a multipart file part whole.
using BodyFileReader = std::function<WholeFileResult(const std::string& path, std::string& out)>;

// A form body as the detail log shows it: the value of the password
// parameter ("pass") replaced by "****", cut to its first 1023 bytes.
std::string FormBodyForLog(const std::string& body);

class CConnectionTable {
public:
    // The compiled-in endpoints (zero parameter ids dropped).
    CConnectionTable();

    // Applies the lines of a "Connection.info" text; returns the ids of the
    // lines that named no endpoint (or had no URL field), in order.
    std::vector<int> ApplyOverrides(std::string text);

    const ConnectionEntry* Find(uint32_t id) const;
    // Empty for an unknown id.
    std::string GetUrl(uint32_t id) const;
    std::string GetUrlWithQuery(uint32_t id, const CRequestParams& params) const;
    // "name=value&..." for the endpoint's parameter list.
    RequestBody BuildPostData(uint32_t id, const CRequestParams& params) const;
    // Parts separated by kMultipartBoundary; a parameter named "file" carries
    // a path whose bytes readFile supplies.
    RequestBody BuildMultiPartData(uint32_t id, const CRequestParams& params,
                                   const BodyFileReader& readFile) const;

private:
    void ApplyOverrideLine(const std::string& line, std::vector<int>& badIds);
    // The one builder behind the three forms; readFile only for multipart.
    RequestBody Build(int form, uint32_t id, const CRequestParams& params,
                      const BodyFileReader* readFile) const;
    std::map<uint32_t, ConnectionEntry> m_entries;
};

// The exchanges the launcher itself makes and the endpoints they use: the
// Moth line (model codes 18 and 21) has endpoints of its own, though two of
// them keep the body of the standard one.
enum class ServiceCall { kAuthentication, kLatestApplication, kLogUploadPermission, kLogUpload };
struct CallEndpoints {
    uint32_t url;   // GetUrl
    uint32_t body;  // BuildPostData / BuildMultiPartData
};
CallEndpoints EndpointsFor(ServiceCall call, bool isMothModel);
// Pages opened in the browser, by their endpoint ids (URL with query).
constexpr uint32_t kWebPageEndpoints[] = {0, 2, 3, 25, 41};

// --- user agent -------------------------------------------------------------
// What the user agent needs of the card's PC-link file: the model code and the
// navigation application record (0x10000001).
struct NaviUnitFacts {
    uint8_t modelCode = 0;
    uint16_t appWord16 = 0;
    uint32_t appValue = 0;
};
// Model name for a model code; null for codes the service does not know.
const char* UserAgentModelName(uint8_t modelCode);
// "%02X%s/%X.%06X"; empty for an unknown model code.
std::string FormatUserAgent(const NaviUnitFacts& facts);
