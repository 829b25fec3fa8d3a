#include "BridgeHarness.h"

#include <cstdio>

#include "TestSupport.h"
#include "common/KilnLog.h"
#include "common/WinHandle.h"

namespace bridgetest {

namespace {
constexpr char kProbeClass[] = "QmBridgeLauncherProbe";

// The messages the launcher receives, registered by their names written out
// here once, not taken from the header that the program and the stand-ins
// share: a name changed there no longer reaches the probe under its own name.
struct NamedMessage {
    UINT id;
    const char* name;
};
const std::vector<NamedMessage>& LauncherMessages() {
    static const std::vector<NamedMessage> table = [] {
        std::vector<NamedMessage> t;
        for (const char* name : {"WKLNotifyProgress", "WKLNotifyError", "WKLMapLicense",
                                 "WKLMapDownload", "WKLMapVerify", "WKLNoSendProbe",
                                 "WKLMapProgressStart", "WKLMapProgress", "WKLMapProgressEnd"})
            t.push_back({::RegisterWindowMessageA(name), name});
        return t;
    }();
    return table;
}
}  // namespace

std::string Describe(const std::vector<Received>& list) {
    std::string out;
    for (const Received& r : list) {
        char buf[96];
        std::snprintf(buf, sizeof buf, "%s(0x%llX,0x%llX) ", r.name.c_str(),
                      static_cast<unsigned long long>(r.wParam),
                      static_cast<unsigned long long>(r.lParam));
        out += buf;
    }
    return out;
}

void PrintTo(const Received& r, std::ostream* out) { *out << Describe({r}); }

CLauncherProbe::CLauncherProbe() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &CLauncherProbe::WindowProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = kProbeClass;
        registered = ::RegisterClassA(&wc) != 0;
    }
    m_window = ::CreateWindowA(kProbeClass, "Quillmarch bridge probe", WS_OVERLAPPED, 0, 0, 100,
                               100, nullptr, nullptr, ::GetModuleHandleA(nullptr), this);
}

CLauncherProbe::~CLauncherProbe() {
    if (m_window) ::DestroyWindow(m_window);
}

LRESULT CALLBACK CLauncherProbe::WindowProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(l);
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<CLauncherProbe*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && msg >= 0xC000 && msg <= 0xFFFF) {
        for (const NamedMessage& n : LauncherMessages())
            if (n.id == msg) {
                self->m_received.push_back({n.name, w, l});
                return 0;
            }
        self->m_received.push_back({"other", w, l});
        return 0;
    }
    return ::DefWindowProcA(hwnd, msg, w, l);
}

bool CLauncherProbe::PumpUntil(const std::function<bool()>& done, DWORD timeoutMs,
                               const std::function<void()>& each) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG m;
        while (::PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&m);
            ::DispatchMessageA(&m);
        }
        if (done()) return true;
        if (::GetTickCount() - start > timeoutMs) return false;
        if (each)
            each();
        else
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

bool CLauncherProbe::WaitFor(const char* name, WPARAM wParam, DWORD timeoutMs) {
    return PumpUntil(
        [&] {
            for (const Received& r : m_received)
                if (r.name == name && r.wParam == wParam) return true;
            return false;
        },
        timeoutMs);
}

void CLauncherProbe::Pump(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

bool SetInstallDir(const std::string& folder) {
    HKEY raw = nullptr;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvane\\Quillmarch", 0, nullptr, 0,
                          KEY_SET_VALUE, nullptr, &raw, nullptr) != ERROR_SUCCESS)
        return false;
    qm::CRegKey key(raw);
    return ::RegSetValueExA(key.Get(), "InstallDir", 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(folder.c_str()),
                            static_cast<DWORD>(folder.size() + 1)) == ERROR_SUCCESS;
}

namespace {
std::string UseScenario(const char* variable, const std::string& name, const std::string& text) {
    const std::string path = qmtest::WorkFolder() + name + ".scenario";
    qmtest::WriteFile(path, text);
    ::SetEnvironmentVariableA(variable, path.c_str());
    return path;
}
}  // namespace

std::string UseCoreScenario(const std::string& name, const std::string& text) {
    return UseScenario("QM_CORE_SCENARIO", name, text);
}
std::string UseMusicScenario(const std::string& name, const std::string& text) {
    return UseScenario("QM_MUSIC_SCENARIO", name, text);
}

std::string LogPath() {
    static std::string path;
    if (path.empty()) {
        path = qmtest::WorkFolder() + "bridge-test.log";
        KILNLOG.Start(path.c_str(), 4096);
    }
    return path;
}

std::string LogText() { return qmtest::ReadFile(LogPath()); }

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > timeoutMs) return false;
        ::Sleep(20);
    }
    return true;
}

bool EndAllTools(DWORD timeoutMs) {
    RequestToolsEnd();
    // A window goes before its process does: wait until the objects the core
    // owns are gone too, so the next test starts without them.
    auto exists = [](HANDLE h) {
        qm::CHandle owned(h);
        return owned.Valid();
    };
    return WaitUntil(
        [&] {
            return !FindCoreWindow() && !FindMusicWindow(true) && !FindMusicWindow(false) &&
                   !exists(::OpenEventA(SYNCHRONIZE, FALSE, kEventMapLicense)) &&
                   !exists(::OpenFileMappingA(FILE_MAP_READ, FALSE, kBlockMapDownload)) &&
                   !exists(::OpenFileMappingA(FILE_MAP_READ, FALSE, kBlockMapTransfer));
        },
        timeoutMs);
}

std::string Hex8(uint32_t value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08X", static_cast<unsigned>(value));
    return buf;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

void CBridgeTest::SetUpTestSuite() {
    LogPath();
    ASSERT_TRUE(SetInstallDir(qmtest::BinFolder()));
}

void CBridgeTest::SetUp() {
    ASSERT_TRUE(EndAllTools());
    ASSERT_NE(m_probe.Window(), nullptr);
    const std::string base =
        qmtest::WorkFolder() + testing::UnitTest::GetInstance()->current_test_info()->name();
    m_journal = base + ".journal";
    m_record = base + ".record";
    ::DeleteFileA(m_journal.c_str());
    ::DeleteFileA(m_record.c_str());
}

void CBridgeTest::TearDown() { EXPECT_TRUE(EndAllTools()); }

std::string CBridgeTest::Scenario(const std::string& body) const {
    return "record " + m_record + "\r\njournal " + m_journal + "\r\n" + body;
}

std::vector<std::string> CBridgeTest::Journal() const {
    return qmtest::SplitLines(qmtest::ReadFile(m_journal));
}

bool CBridgeTest::JournalHas(const std::string& line) const {
    for (const std::string& l : Journal())
        if (l == line) return true;
    return false;
}

bool CBridgeTest::WaitJournal(const std::string& line, DWORD ms) const {
    return WaitUntil([&] { return JournalHas(line); }, ms);
}

}  // namespace bridgetest
