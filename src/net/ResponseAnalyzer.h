#pragma once
// The service answers with "KEY=value" fields joined by "&". Each analyser
// turns one answer into a result code and, where the answer carries data,
// output values. Plain functions without state or log: for a malformed
// answer the text to log (at LOG_ERROR) comes back in *complaint when the
// caller asks for it, and stays untouched otherwise.
#include <cstddef>
#include <cstdint>
#include <string>

constexpr uint32_t ANALYZE_OK = 0;
constexpr uint32_t ANALYZE_SERVER_ERROR = 0x80000000;  // + the service's error number
constexpr uint32_t ANALYZE_FORMAT_ERROR = 0xFFF;

// User authentication (endpoints 4 and 31).
uint32_t AnalyzeAuthentication(const void* data, size_t size, std::string* complaint = nullptr);
// Latest application (endpoints 5 and 34).
uint32_t AnalyzeLatestApplication(const void* data, size_t size, std::string& outUrl,
                                  std::string& outVersion, std::string* complaint = nullptr);
// Log-upload permission (endpoints 23 and 32); outPermitted is written only
// when the answer has a VALID field.
uint32_t AnalyzeLogUploadPermission(const void* data, size_t size, bool& outPermitted,
                                    std::string* complaint = nullptr);
// Log upload (endpoints 24 and 33); it has no complaints.
uint32_t AnalyzeLogUpload(const void* data, size_t size);
