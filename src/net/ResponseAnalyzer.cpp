#include "net/ResponseAnalyzer.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/CsvLine.h"

namespace {

// The body as a zero-terminated text: whatever follows a NUL byte is not
// part of the answer.
std::string BodyText(const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    const void* nul = std::memchr(p, 0, size);
    return std::string(p, nul ? static_cast<const char*>(nul) - p : size);
}

// The C library's reading of a number: leading digits, the rest ignored, no
// digits gives 0. Kept to 32 bits the same way on every build.
int32_t ReadNumber(const char* text, int base) {
    errno = 0;
    long long v = std::strtoll(text, nullptr, base);
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}

// Bit 31 marks a service error. Setting it (rather than adding) keeps a
// negative number from wrapping round to ANALYZE_OK or a small code.
uint32_t ServerError(int32_t n) { return ANALYZE_SERVER_ERROR | static_cast<uint32_t>(n); }

uint32_t FromRet(int32_t n) { return n == 0 ? ANALYZE_OK : ServerError(n); }

bool HasKey(const std::string& field, const char* key) {
    return field.compare(0, std::strlen(key), key) == 0;
}

// Everything after the first '='; the whole field when there is none.
std::string ValueOf(const std::string& field) {
    size_t eq = field.find('=');
    return eq == std::string::npos ? field : field.substr(eq + 1);
}

bool StartsWithRetEquals(const std::string& text) { return text.compare(0, 4, "RET=") == 0; }

// An answer without the expected number of fields: a leading "RET=" still
// carries the service's error number (read in base), anything else is
// malformed. Both are complained about, after logPrefix.
uint32_t UnexpectedAnswer(const std::string& text, int base, const char* logPrefix,
                          std::string* complaint) {
    if (StartsWithRetEquals(text)) {
        int32_t n = ReadNumber(text.c_str() + 4, base);
        if (complaint)
            *complaint =
                std::string(logPrefix) + "サーバレスポンスエラー[SVRERR:" + std::to_string(n) + "]";
        return ServerError(n);
    }
    if (complaint)
        *complaint = std::string(logPrefix) + "サーバレスポンスエラー[SVRERR:" + text + "]";
    return ANALYZE_FORMAT_ERROR;
}

// Walks the fields of an answer that has the expected count: "RET" gives the
// result and every other field goes to other. A field that cannot be read
// makes the answer malformed.
template <typename Other>
uint32_t ReadFields(const CCsvLine& line, Other other) {
    uint32_t result = ANALYZE_OK;
    for (size_t i = 0; i < line.FieldCount(); ++i) {
        std::string field;
        if (!line.GetField(i, field)) return ANALYZE_FORMAT_ERROR;
        if (HasKey(field, "RET"))
            result = FromRet(ReadNumber(ValueOf(field).c_str(), 10));
        else
            other(field);
    }
    return result;
}

}  // namespace

uint32_t AnalyzeAuthentication(const void* data, size_t size, std::string* complaint) {
    if (!data || size == 0) return ANALYZE_FORMAT_ERROR;
    const std::string text = BodyText(data, size);
    CCsvLine line(text, '&');
    if (line.FieldCount() == 1) {
        std::string field;
        if (!line.GetField(0, field)) return ANALYZE_FORMAT_ERROR;
        if (HasKey(field, "RET")) return FromRet(ReadNumber(ValueOf(field).c_str(), 10));
        return ANALYZE_OK;
    }
    // With more fields than expected the number is read as hexadecimal.
    return UnexpectedAnswer(text, 16, "", complaint);
}

uint32_t AnalyzeLatestApplication(const void* data, size_t size, std::string& outUrl,
                                  std::string& outVersion, std::string* complaint) {
    if (!data || size == 0) return ANALYZE_FORMAT_ERROR;
    const std::string text = BodyText(data, size);
    CCsvLine line(text, '&');
    if (line.FieldCount() == 3) {
        const uint32_t result = ReadFields(line, [&](const std::string& field) {
            if (HasKey(field, "VER"))
                outVersion = ValueOf(field);
            else if (HasKey(field, "URL"))
                outUrl = ValueOf(field);
        });
        if (result == ANALYZE_FORMAT_ERROR || outVersion.empty() || outUrl.empty())
            return ANALYZE_FORMAT_ERROR;
        return result;
    }
    return UnexpectedAnswer(text, 10, "", complaint);
}

uint32_t AnalyzeLogUploadPermission(const void* data, size_t size, bool& outPermitted,
                                    std::string* complaint) {
    if (!data || size == 0) return ANALYZE_FORMAT_ERROR;
    const std::string text = BodyText(data, size);
    CCsvLine line(text, '&');
    if (line.FieldCount() == 2) {
        return ReadFields(line, [&](const std::string& field) {
            if (HasKey(field, "VALID")) outPermitted = ValueOf(field) == "TRUE";
        });
    }
    return UnexpectedAnswer(text, 10, "AnalyzeLogUploadPermission - ", complaint);
}

uint32_t AnalyzeLogUpload(const void* data, size_t size) {
    if (!data || size == 0) return ANALYZE_FORMAT_ERROR;
    const std::string text = BodyText(data, size);
    if (!StartsWithRetEquals(text)) return ANALYZE_FORMAT_ERROR;
    return FromRet(ReadNumber(text.c_str() + 4, 10));
}
