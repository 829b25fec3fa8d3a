#pragma once
// Tells the stand-in web service what to answer from now on, through its
// /_control/ paths (tools/service/service.py): the address from
// QM_SERVICE_HOST, which run-with-service sets. Header-only, so that
// benchmarks without the test library can use it too.
#include <windows.h>

#include <string>

#include "net/WinHttpWrapper.h"

namespace qmtest {

// Posts the form fields to the control path; true when the service said OK.
inline bool ControlService(const std::string& path, const std::string& form) {
    char host[256] = {};
    const DWORD n = ::GetEnvironmentVariableA("QM_SERVICE_HOST", host, sizeof host);
    if (!n || n >= sizeof host) return false;
    CWinHttpWrapper http;
    const std::string url = "https://" + std::string(host, n) + path;
    if (!http.SetRequest(url.c_str(), 0, nullptr, true) ||
        !http.Open(HTTP_VERB_POST, L"service-control", nullptr))
        return false;
    HANDLE worker = http.Upload(form.data(), static_cast<DWORD>(form.size()),
                                "application/x-www-form-urlencoded", nullptr, nullptr);
    return worker && ::WaitForSingleObject(worker, 20000) == WAIT_OBJECT_0 && http.GetResult() == 0;
}

// Connection.info lines that send every endpoint the launcher calls to the
// stand-in service at host.
inline std::string StandInConnectionLines(const std::string& host) {
    std::string lines;
    for (const char* entry :
         {"0,/navigation/PcAppTop.html", "3,/navigation/PcAppTop.html",
          "5,/pcapp/GetLatestPcaplAPI", "23,/pcapp/LogUploadCheckAPI", "24,/pcapp/LogUploadAPI",
          "32,/pcapp/LogUploadCheckTRKMothAPI", "34,/pcapp/GetLatestPcaplTRKMothAPI"}) {
        const std::string e = entry;
        const size_t comma = e.find(',') + 1;
        lines += e.substr(0, comma) + "https://" + host + e.substr(comma) + "\r\n";
    }
    return lines;
}

}  // namespace qmtest
