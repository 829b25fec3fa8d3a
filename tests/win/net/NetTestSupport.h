#pragma once
// The stand-in web service as the network tests see it, and this program's log.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>

#include "ServiceSupport.h"
#include "TestSupport.h"
#include "common/KilnLog.h"
#include "net/ConnectionFile.h"

namespace nettest {

using qmtest::ClearFaults;
using qmtest::Env;
using qmtest::ServiceUrl;
using qmtest::SetFault;
using qmtest::StateFolder;

using qmtest::VariantFolder;
using qmtest::VariantHost;
using qmtest::VariantRecords;
inline int VariantConnections(const std::string& name) {
    const std::string text = qmtest::ReadFile(VariantFolder(name) + "connections");
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// Tests that talk to the service: skipped when run without it, no fault left.
class CServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (Env("QM_SERVICE_STATE").empty())
            GTEST_SKIP() << "no stand-in service (run through run-with-service)";
        ClearFaults();
    }
};

using Record = qmtest::ServiceRequest;
inline int RecordCount() {
    return static_cast<int>(qmtest::ListFiles(StateFolder() + "records\\*.json").size());
}
inline Record LastRecord() {
    const std::vector<Record> all = qmtest::ServiceRequests();
    return all.empty() ? Record{"", "", "", StateFolder() + "records\\"} : all.back();
}
// Waits (on change notices of the records folder) for at least count records.
inline bool WaitForRecords(int count, DWORD timeoutMs) {
    const DWORD end = ::GetTickCount() + timeoutMs;
    HANDLE change = ::FindFirstChangeNotificationA((StateFolder() + "records").c_str(), FALSE,
                                                   FILE_NOTIFY_CHANGE_FILE_NAME);
    bool reached;
    LONG left;
    while (!(reached = RecordCount() >= count) && change != INVALID_HANDLE_VALUE &&
           (left = static_cast<LONG>(end - ::GetTickCount())) > 0)
        if (::WaitForSingleObject(change, static_cast<DWORD>(left)) == WAIT_OBJECT_0)
            ::FindNextChangeNotification(change);
    if (change != INVALID_HANDLE_VALUE) ::FindCloseChangeNotification(change);
    return reached;
}

struct CMessageSink {
    const HWND m_hwnd =
        ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ~CMessageSink() { ::DestroyWindow(m_hwnd); }
    HWND Get() const { return m_hwnd; }
    bool Wait(UINT message, DWORD timeoutMs, MSG& out) {
        const DWORD end = ::GetTickCount() + timeoutMs;
        LONG left;
        while (!::PeekMessageA(&out, m_hwnd, message, message, PM_REMOVE)) {
            if ((left = static_cast<LONG>(end - ::GetTickCount())) <= 0) return false;
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(left), QS_POSTMESSAGE);
        }
        return true;
    }
    void Discard(UINT message) {
        for (MSG m; ::PeekMessageA(&m, m_hwnd, message, message, PM_REMOVE);) continue;
    }
};

// This program's log, started before the tests.
inline const bool g_keepsLog = qmtest::KeepLog();
using qmtest::CountInLog;
using qmtest::LogText;

// Points the connection table at the service through a "Connection.info".
inline void PointTableAtService(const std::map<unsigned, std::string>& endpointPaths) {
    std::string lines;
    for (const auto& e : endpointPaths)
        lines += std::to_string(e.first) + "," + ServiceUrl(e.second) + "\r\n";
    const std::string path = qmtest::NewFolder("conninfo") + "Connection.info";
    qmtest::WriteFile(path, lines);
    CConnectionFile::Instance().Reset(path);
}

}  // namespace nettest
