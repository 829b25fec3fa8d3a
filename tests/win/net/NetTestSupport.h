#pragma once
// The stand-in web service as the network tests see it: its address, its
// state folder through Wine's Z: drive, the requests it recorded and the
// faults it is told to inject.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace nettest {

bool HaveService();
std::string ServiceHost();
// "https://<host><path>"; the engine takes port 443 from the scheme.
std::string ServiceUrl(const std::string& path);
// The service's state folder as a Windows path, with '\'.
std::string StateFolder();

// Replaces the faults the service injects (path -> mode); empty clears.
void SetFaults(const std::map<std::string, std::string>& faults);
void SetFault(const std::string& path, const std::string& mode);
void ClearFaults();

struct Record {
    int seq = 0;
    std::string json;  // method, path, query, headers, uploads
    std::string body;  // the exact body bytes
    std::string folder;
    bool HasHeader(const std::string& name, const std::string& value) const;
    std::string Path() const;
    // The stored bytes of the first uploaded file part.
    std::string UploadedFile() const;
    std::string UploadedFileName() const;
    // Where the service stored that part (Windows path).
    std::string StoredUploadPath() const;
};
// Recorded requests, oldest first.
std::vector<Record> Records();
int RecordCount();
Record LastRecord();

// The diagnostic log of this test program (started by the test environment).
std::string LogPath();
std::string LogText();
// Occurrences of a message in records written after the given length.
int CountInLog(const std::string& text, size_t fromOffset = 0);

// Writes "Connection.info" lines pointing endpoints at the service and makes
// the connection table read it.
void PointTableAtService(const std::map<unsigned, std::string>& endpointPaths);

}  // namespace nettest
