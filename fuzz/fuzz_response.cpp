// The service's answers come from the network: every analyser must take any
// bytes without crashing and answer one of its codes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "net/ResponseAnalyzer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string url, ver;
    bool permitted = false;
    AnalyzeAuthentication(data, size);
    uint32_t r = AnalyzeLatestApplication(data, size, url, ver);
    if (r == ANALYZE_OK && (url.empty() || ver.empty())) std::abort();
    AnalyzeLogUploadPermission(data, size, permitted);
    AnalyzeLogUpload(data, size);
    return 0;
}
