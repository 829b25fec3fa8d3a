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

// "https://<host><path>"; the engine takes port 443 from the scheme.
inline std::string ServiceUrl(const std::string& path) {
    return "https://" + Env("QM_SERVICE_HOST") + path;
}
inline std::string StateFolder() { return EnvFolder("QM_SERVICE_STATE"); }

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

// One request the service recorded: its path, the exact body bytes and what
// the service saw of it (method, path, query, headers, uploads; one key a line).
struct ServiceRequest {
    std::string path;
    std::string body;
    std::string json;
    std::string folder;  // where the records are
    bool HasHeader(const std::string& name, const std::string& value) const {
        return json.find("[\n   \"" + name + "\",\n   \"" + value + "\"\n  ]") != std::string::npos;
    }
    // "path", "filename" (of the uploaded part), "file" (where it is stored); "" when absent.
    std::string Field(const std::string& key) const {
        const size_t k = json.find("\"" + key + "\": \"");
        if (k == std::string::npos) return std::string();
        const size_t start = k + key.size() + 5;
        return json.substr(start, json.find('"', start) - start);
    }
};
// Every request the service recorded, oldest first.
inline std::vector<ServiceRequest> ServiceRequests() {
    const std::string folder = StateFolder() + "records\\";
    std::vector<std::string> names = ListFiles(folder + "*.json");
    std::sort(names.begin(), names.end());
    std::vector<ServiceRequest> out;
    for (const std::string& name : names) {
        const std::string base = folder + name.substr(0, name.size() - 5);
        out.push_back({"", ReadFile(base + ".body"), ReadFile(base + ".json"), folder});
        out.back().path = out.back().Field("path");
    }
    return out;
}

}  // namespace qmtest
