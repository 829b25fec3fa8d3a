#pragma once
// The stand-in web service as the network tests see it: its address, its
// state folder through Wine's Z: drive, the requests it recorded and the
// faults it is told to inject.
#include <windows.h>

#include <map>
#include <string>

// Tests that talk to the service skip when run without it (a fixture's
// SetUp may say so for all of its tests).
#define REQUIRE_SERVICE()        \
    if (!nettest::HaveService()) \
    GTEST_SKIP() << "no stand-in service (run through run-with-service)"

namespace nettest {

bool HaveService();
// "https://<host><path>"; the engine takes port 443 from the scheme.
std::string ServiceUrl(const std::string& path);

// Sets the fault the service injects for one path (mode as the service
// reads it: "http:404", "drip:12", ...); ClearFaults() ends them all.
void SetFault(const std::string& path, const std::string& mode);
void ClearFaults();

struct Record {
    std::string json;  // method, path, query, headers, uploads
    std::string body;  // the exact body bytes
    std::string folder;
    bool HasHeader(const std::string& name, const std::string& value) const;
    std::string Path() const;
    std::string UploadedFileName() const;
    // Where the service stored that part (Windows path).
    std::string StoredUploadPath() const;
};
// Recorded requests so far, and the latest one.
int RecordCount();
Record LastRecord();
// Waits (on change notices of the records folder) until the service has
// recorded at least count requests; false after the time-out.
bool WaitForRecords(int count, DWORD timeoutMs);

// A message-only window of this thread for posted notices.
class CMessageSink {
public:
    CMessageSink();
    ~CMessageSink();
    HWND Get() const { return m_hwnd; }
    // Waits for the message; false after the time-out.
    bool Wait(UINT message, DWORD timeoutMs, MSG& out);
    // Takes those already there: the sum of their lParams.
    LPARAM Drain(UINT message);

private:
    HWND m_hwnd;
};

// The diagnostic log of this test program (started by the test environment).
std::string LogPath();
std::string LogText();
// Occurrences of a message in records written after the given length.
int CountInLog(const std::string& text, size_t fromOffset = 0);

// Writes "Connection.info" lines pointing endpoints at the service and makes
// the connection table read it.
void PointTableAtService(const std::map<unsigned, std::string>& endpointPaths);

}  // namespace nettest
