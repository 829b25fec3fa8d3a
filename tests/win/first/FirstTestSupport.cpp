#include "FirstTestSupport.h"

#include <gtest/gtest.h>
#include <winhttp.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "TestSupport.h"
#include "common/Folders.h"
#include "common/KilnLog.h"
#include "net/ConnectionFile.h"
#include "net/WinHttpWrapper.h"
#include "wfc/DIB.h"

namespace firsttest {

namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::string LogPath() { return qmtest::WorkFolder() + "first.log"; }

class LogEnvironment : public ::testing::Environment {
public:
    void SetUp() override { KILNLOG.Start(LogPath().c_str(), 10240); }
};
::testing::Environment* const g_logEnv = ::testing::AddGlobalTestEnvironment(new LogEnvironment);

std::map<std::string, std::string>& Faults() {
    static std::map<std::string, std::string> faults;
    return faults;
}

void WriteFaults() {
    std::string json = "{";
    for (const auto& f : Faults()) {
        if (json.size() > 1) json += ", ";
        json += "\"" + f.first + "\": \"" + f.second + "\"";
    }
    qmtest::WriteFile(StateFolder() + "faults.json", json + "}");
}

std::string JsonString(const std::string& json, const std::string& key) {
    const size_t k = json.find("\"" + key + "\": \"");
    if (k == std::string::npos) return std::string();
    const size_t start = k + key.size() + 5;
    return json.substr(start, json.find('"', start) - start);
}

}  // namespace

bool HaveService() { return !Env("QM_SERVICE_STATE").empty() && !Env("QM_SERVICE_HOST").empty(); }
std::string ServiceUrl(const std::string& path) {
    return "https://" + Env("QM_SERVICE_HOST") + path;
}

std::string StateFolder() {
    std::string unixPath = Env("QM_SERVICE_STATE");
    std::replace(unixPath.begin(), unixPath.end(), '/', '\\');
    return "Z:" + unixPath + "\\";
}

void SetFault(const std::string& path, const std::string& mode) {
    if (mode.empty())
        Faults().erase(path);
    else
        Faults()[path] = mode;
    WriteFaults();
}

void ClearFaults() {
    Faults().clear();
    WriteFaults();
}

bool Control(const std::string& path, const std::string& form) {
    CWinHttpWrapper http;
    const std::string url = ServiceUrl(path);
    if (!http.SetRequest(url.c_str(), 0, nullptr, true)) return false;
    if (!http.Open(HTTP_VERB_POST, L"firsttest", nullptr)) return false;
    HANDLE worker = http.Upload(form.data(), static_cast<DWORD>(form.size()),
                                "application/x-www-form-urlencoded", nullptr, nullptr);
    if (!worker || ::WaitForSingleObject(worker, 20000) != WAIT_OBJECT_0) return false;
    return http.GetResult() == 0;
}

std::vector<Request> Requests() {
    std::vector<std::string> names = qmtest::ListFiles(StateFolder() + "records\\*.json");
    std::sort(names.begin(), names.end());
    std::vector<Request> out;
    for (const std::string& name : names) {
        const std::string base = StateFolder() + "records\\" + name.substr(0, name.size() - 5);
        const std::string json = qmtest::ReadFile(base + ".json");
        const std::string path = JsonString(json, "path");
        if (path.rfind("/_control/", 0) == 0) continue;
        out.push_back({path, qmtest::ReadFile(base + ".body")});
    }
    return out;
}

std::string ConnectionInfoText() {
    // Both authentication endpoints and the registration page.
    return "4," + ServiceUrl("/pcapp/DeviceNoUserAuthenticationAPI") + "\r\n31," +
           ServiceUrl("/pcapp/DeviceNoUserAuthenticationTRKMothAPI") + "\r\n3," +
           ServiceUrl("/navigation/PcAppTop.html") + "\r\n";
}

void PointTableAtService() {
    const std::string path = qmtest::NewFolder("conninfo") + "Connection.info";
    qmtest::WriteFile(path, ConnectionInfoText());
    CConnectionFile::Instance().Reset(path);
}

bool MakeCard(const std::string& options) {
    ResetUserAgentCache();
    const qmtest::ProcessResult r =
        qmtest::RunProcess(qmtest::BinFolder() + "sdcard.exe",
                           std::string("make E:\\ --device=") + kDeviceNo + " " + options);
    return r.finished && r.exitCode == 0;
}

std::string LogText() { return qmtest::ReadFile(LogPath()); }

int CountInLog(const std::string& text, size_t from) {
    const std::string log = LogText();
    int n = 0;
    for (size_t p = log.find(text, from); p != std::string::npos; p = log.find(text, p + 1)) ++n;
    return n;
}

std::string UserListPath() { return GetUserDataRoot() + "UserList.info"; }

void ForgetUsersAndSettings() {
    const std::string list = UserListPath();
    ::SetFileAttributesA(list.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(list.c_str());
    ::DeleteFileA((GetSettingFolder() + "Quillmarch.ini").c_str());
}

int Xdo(const std::vector<std::string>& args) {
    static int serial = 0;
    const std::string base = StateFolder() + "xdo\\" + std::to_string(++serial);
    std::string text;
    for (const std::string& a : args) text += a + "\n";
    if (!qmtest::WriteFile(base + ".tmp", text) ||
        !::MoveFileA((base + ".tmp").c_str(), (base + ".cmd").c_str()))
        return -1;
    // The agent is another program: its answer is a file, looked for in slices.
    for (int i = 0; i < 1000; ++i) {
        if (qmtest::FileExists(base + ".done"))
            return std::atoi(qmtest::ReadFile(base + ".done").c_str());
        ::Sleep(20);
    }
    return -1;
}

bool SaveWindowShot(HWND window, const char* name, const char* gallery) {
    RECT r = {};
    if (!::GetWindowRect(window, &r)) return false;
    const int w = r.right - r.left, h = r.bottom - r.top;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HBITMAP bmp = ::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC mem = ::CreateCompatibleDC(screen);
    HGDIOBJ old = ::SelectObject(mem, bmp);
    ::BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    ::SelectObject(mem, old);
    ::DeleteDC(mem);
    ::ReleaseDC(nullptr, screen);
    std::string folder = qmtest::BinFolder() + "..\\test-output\\";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    folder += "first\\";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    // The window library's bitmap has the same bottom-up rows.
    lib::wfc::CDIB dib;
    dib.Create(w, h);
    const size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~static_cast<size_t>(3);
    memcpy(dib.Bits(), bits, stride * static_cast<size_t>(h));
    ::DeleteObject(bmp);
    if (gallery) {
        const std::string screens = qmtest::BinFolder() + "..\\screens\\";
        ::CreateDirectoryA(screens.c_str(), nullptr);
        if (!dib.SavePng((screens + gallery + ".png").c_str())) return false;
    }
    return dib.SavePng((folder + name + ".png").c_str());
}

// --- message boxes -------------------------------------------------------------------------

CBoxWatcher::CBoxWatcher(std::vector<int> answers, std::function<bool()> holdFirst)
    : m_answers(std::move(answers)),
      m_holdFirst(std::move(holdFirst)),
      m_thread([this] { Run(); }) {}

CBoxWatcher::~CBoxWatcher() {
    m_stop = true;
    m_thread.join();
}

std::vector<std::string> CBoxWatcher::Texts() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_texts;
}

size_t CBoxWatcher::Count() { return Texts().size(); }

namespace {
constexpr char kAnsweredProp[] = "FirstTestAnswered";

BOOL CALLBACK FindBox(HWND window, LPARAM param) {
    // The class first: asking a window of this process for its title sends it
    // a message, which its thread may be unable to answer.
    char cls[32] = {}, title[32] = {};
    ::GetClassNameA(window, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") != 0 || !::IsWindowVisible(window)) return TRUE;
    // A box already answered may linger a moment; the next one may even reuse
    // its handle, but not its properties.
    if (::GetPropA(window, kAnsweredProp)) return TRUE;
    ::GetWindowTextA(window, title, sizeof title);
    if (lstrcmpA(title, "Quillmarch ") == 0) {
        *reinterpret_cast<HWND*>(param) = window;
        return FALSE;
    }
    return TRUE;
}
BOOL CALLBACK BoxText(HWND child, LPARAM param) {
    char cls[32] = {};
    ::GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") != 0) return TRUE;
    char text[1024] = {};
    ::GetWindowTextA(child, text, sizeof text);
    auto* out = reinterpret_cast<std::string*>(param);
    if (text[0] && out->empty()) *out = text;
    return TRUE;
}
}  // namespace

void CBoxWatcher::Run() {
    while (!m_stop) {
        HWND box = nullptr;
        ::EnumWindows(FindBox, reinterpret_cast<LPARAM>(&box));
        if (box) {
            LONGLONG expected = 0;
            m_firstSeen.compare_exchange_strong(expected, Now());
            bool hold = false;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                hold = m_texts.empty() && m_holdFirst && !m_holdFirst();
            }
            if (!hold) {
                std::string text;
                ::EnumChildWindows(box, BoxText, reinterpret_cast<LPARAM>(&text));
                int answer = IDOK;
                {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    if (m_texts.size() < m_answers.size()) answer = m_answers[m_texts.size()];
                    m_texts.push_back(text);
                }
                ::SetPropA(box, kAnsweredProp, reinterpret_cast<HANDLE>(1));
                ::PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(answer), 0);
                continue;
            }
        }
        // A box belongs to another thread: it is looked for in short slices.
        ::Sleep(2);
    }
}

LONGLONG Now() {
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return t.QuadPart;
}

double Milliseconds(LONGLONG from, LONGLONG to) {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return static_cast<double>(to - from) * 1000.0 / static_cast<double>(f.QuadPart);
}

}  // namespace firsttest
