#pragma once
// The stand-in web service as the tests that run beside it see it (the
// run-with-service scripts name its host and state folder): its addresses,
// the fault it is told to inject, and the records of the requests it got.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace qmtest {

// A variable of this process's environment ("" when not set); read through
// the system, so that a test's own SetEnvironmentVariable shows.
inline std::string Env(const char* name) {
    char value[1024] = {};
    const DWORD n = ::GetEnvironmentVariableA(name, value, sizeof value);
    return n && n < sizeof value ? std::string(value, n) : std::string();
}
// "https://<host><path>"; the engine takes port 443 from the scheme.
inline std::string ServiceUrl(const std::string& path) {
    return "https://" + Env("QM_SERVICE_HOST") + path;
}
inline std::string StateFolder() {
    std::string unixPath = Env("QM_SERVICE_STATE");
    std::replace(unixPath.begin(), unixPath.end(), '/', '\\');
    return "Z:" + unixPath + "\\";
}

// The service's listeners whose certificates nobody should trust
// (run-with-service starts them): STATE\variants\NAME\ holds the address,
// the records of requests that reached it and a line per connection.
inline std::string VariantFolder(const std::string& name) {
    return StateFolder() + "variants\\" + name + "\\";
}
inline std::string VariantHost(const std::string& name) {
    std::string host = ReadFile(VariantFolder(name) + "host");
    while (!host.empty() && (host.back() == '\n' || host.back() == '\r')) host.pop_back();
    return host;
}
inline int VariantRecords(const std::string& name) {
    return static_cast<int>(ListFiles(VariantFolder(name) + "records\\*.json").size());
}

// The one fault the service injects, for one path ("http:404", "drip:12",
// ...); an empty path for none.
inline void SetFault(const std::string& path, const std::string& mode) {
    WriteFile(StateFolder() + "faults.json",
              path.empty() ? "{}" : "{\"" + path + "\": \"" + mode + "\"}");
}
inline void ClearFaults() { SetFault("", ""); }

struct ServiceRequest {
    std::string path;
    std::string body;  // the exact body bytes
};
// The requests the service recorded, oldest first.
inline std::vector<ServiceRequest> ServiceRequests() {
    const std::string folder = StateFolder() + "records\\";
    std::vector<std::string> names = ListFiles(folder + "*.json");
    std::sort(names.begin(), names.end());
    std::vector<ServiceRequest> out;
    for (const std::string& name : names) {
        const std::string base = folder + name.substr(0, name.size() - 5);
        const std::string json = ReadFile(base + ".json");
        const size_t p = json.find("\"path\": \"");
        if (p == std::string::npos) continue;
        const size_t start = p + 9;
        out.push_back(
            {json.substr(start, json.find('"', start) - start), ReadFile(base + ".body")});
    }
    return out;
}

}  // namespace qmtest
