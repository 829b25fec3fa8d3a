#include "NetTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "TestSupport.h"
#include "common/KilnLog.h"
#include "net/ConnectionFile.h"

namespace nettest {

namespace {
std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

// Find a JSON string value after a key in the service's record (the service
// writes one key per line; values we look at carry no escapes we need).
std::string JsonString(const std::string& json, const std::string& key) {
    size_t k = json.find("\"" + key + "\": \"");
    if (k == std::string::npos) return std::string();
    size_t start = k + key.size() + 5;
    size_t end = json.find('"', start);
    return json.substr(start, end - start);
}

// Starts this program's log in its scratch folder, once.
class LogEnvironment : public ::testing::Environment {
public:
    void SetUp() override { KILNLOG.Start(LogPath().c_str(), 10240); }
};
::testing::Environment* const g_logEnv = ::testing::AddGlobalTestEnvironment(new LogEnvironment);
}  // namespace

bool HaveService() { return !Env("QM_SERVICE_STATE").empty() && !Env("QM_SERVICE_HOST").empty(); }
std::string ServiceHost() { return Env("QM_SERVICE_HOST"); }
std::string ServiceUrl(const std::string& path) { return "https://" + ServiceHost() + path; }

std::string StateFolder() {
    std::string unixPath = Env("QM_SERVICE_STATE");
    std::replace(unixPath.begin(), unixPath.end(), '/', '\\');
    return "Z:" + unixPath + "\\";
}

// The service reads its faults from one file; the current ones are kept here.
void WriteFaults(const std::string& path, const std::string& mode) {
    static std::map<std::string, std::string> faults;
    if (path.empty())
        faults.clear();
    else
        faults[path] = mode;
    std::string json;
    for (const auto& f : faults)
        json += (json.empty() ? "{" : ", ") + ("\"" + f.first + "\": \"" + f.second + "\"");
    qmtest::WriteFile(StateFolder() + "faults.json", json.empty() ? "{}" : json + "}");
}

void SetFault(const std::string& path, const std::string& mode) { WriteFaults(path, mode); }
void ClearFaults() { WriteFaults("", ""); }

bool Record::HasHeader(const std::string& name, const std::string& value) const {
    std::string escaped;
    for (char c : value) {
        if (c == '"' || c == '\\') escaped += '\\';
        escaped += c;
    }
    return json.find("[\n   \"" + name + "\",\n   \"" + escaped + "\"\n  ]") != std::string::npos;
}

std::string Record::Path() const { return JsonString(json, "path"); }
std::string Record::UploadedFileName() const { return JsonString(json, "filename"); }
std::string Record::StoredUploadPath() const {
    std::string file = JsonString(json, "file");
    return file.empty() ? std::string() : folder + file;
}

int RecordCount() {
    return static_cast<int>(qmtest::ListFiles(StateFolder() + "records\\*.json").size());
}

Record LastRecord() {
    Record r;
    r.folder = StateFolder() + "records\\";
    std::vector<std::string> names = qmtest::ListFiles(r.folder + "*.json");
    if (names.empty()) return r;
    const std::string last = *std::max_element(names.begin(), names.end());
    r.json = qmtest::ReadFile(r.folder + last);
    r.body = qmtest::ReadFile(r.folder + last.substr(0, last.size() - 5) + ".body");
    return r;
}

bool WaitForRecords(int count, DWORD timeoutMs) {
    const DWORD end = ::GetTickCount() + timeoutMs;
    const std::string folder = StateFolder() + "records";
    HANDLE change =
        ::FindFirstChangeNotificationA(folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
    bool reached = false;
    for (;;) {
        if (RecordCount() >= count) {
            reached = true;
            break;
        }
        const LONG left = static_cast<LONG>(end - ::GetTickCount());
        if (left <= 0) break;
        if (change == INVALID_HANDLE_VALUE) break;
        if (::WaitForSingleObject(change, static_cast<DWORD>(left)) != WAIT_OBJECT_0) continue;
        ::FindNextChangeNotification(change);
    }
    if (change != INVALID_HANDLE_VALUE) ::FindCloseChangeNotification(change);
    return reached;
}

CMessageSink::CMessageSink()
    : m_hwnd(::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                               nullptr)) {}
CMessageSink::~CMessageSink() { ::DestroyWindow(m_hwnd); }

bool CMessageSink::Wait(UINT message, DWORD timeoutMs, MSG& out) {
    const DWORD end = ::GetTickCount() + timeoutMs;
    for (;;) {
        if (::PeekMessageA(&out, m_hwnd, message, message, PM_REMOVE)) return true;
        const LONG left = static_cast<LONG>(end - ::GetTickCount());
        if (left <= 0) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), QS_POSTMESSAGE);
    }
}

LPARAM CMessageSink::Drain(UINT message) {
    LPARAM sum = 0;
    MSG msg;
    while (::PeekMessageA(&msg, m_hwnd, message, message, PM_REMOVE)) sum += msg.lParam;
    return sum;
}

std::string LogPath() { return qmtest::WorkFolder() + "net.log"; }
std::string LogText() { return qmtest::ReadFile(LogPath()); }

int CountInLog(const std::string& text, size_t fromOffset) {
    std::string log = LogText();
    int n = 0;
    for (size_t p = log.find(text, fromOffset); p != std::string::npos;
         p = log.find(text, p + text.size()))
        ++n;
    return n;
}

void PointTableAtService(const std::map<unsigned, std::string>& endpointPaths) {
    std::string lines;
    for (const auto& e : endpointPaths)
        lines += std::to_string(e.first) + "," + ServiceUrl(e.second) + "\r\n";
    const std::string path = qmtest::NewFolder("conninfo") + "Connection.info";
    qmtest::WriteFile(path, lines);
    CConnectionFile::Instance().Reset(path);
}

}  // namespace nettest
