#pragma once
// What the first-run tests share: the stand-in service's state folder and
// records, the card on E:, this program's log, the keyboard and mouse agent
// of run-with-service, message-box answering and screenshots.
#include <windows.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace firsttest {

bool HaveService();
std::string ServiceUrl(const std::string& path);
std::string StateFolder();  // Windows path with a trailing '\'
// Faults of the service by path ("" mode clears); written to faults.json.
void SetFault(const std::string& path, const std::string& mode);
void ClearFaults();
// Sets a run-time control of the service (POST form, answered "OK").
bool Control(const std::string& path, const std::string& form);

// The recorded requests (path and exact body), oldest first.
struct Request {
    std::string path;
    std::string body;
};
std::vector<Request> Requests();

// Points the test program's connection table at the service.
void PointTableAtService();
// The text of "Connection.info" that does the same for a program copy.
std::string ConnectionInfoText();

// Makes a card on E: (sdcard.exe make) with extra options; true on success.
bool MakeCard(const std::string& options);
constexpr char kDeviceNo[] = "0123456789ABCDEF";  // the service knows taro / pass1234 there

// This program's log (started once) and its text after an offset.
std::string LogText();
int CountInLog(const std::string& text, size_t from = 0);

// Removes the user list and the settings file of this Wine user.
void ForgetUsersAndSettings();
std::string UserListPath();

// Runs xdotool with the arguments through the agent and waits for it (at
// most 20 s); its exit code, or -1 when the agent did not answer.
int Xdo(const std::vector<std::string>& args);

// Saves what the screen shows of a window as test-output\first\NAME.png, and
// with a gallery name also as screens\GALLERY.png, where the gallery takes
// each window's picture from.
bool SaveWindowShot(HWND window, const char* name, const char* gallery = nullptr);

// Answers the message boxes of the program (title "Quillmarch ") from a
// thread of its own: each box's text is recorded and the box is answered
// with the next planned answer (IDOK when none is left).
class CBoxWatcher {
public:
    // holdFirst: the first box is answered only once it returns true.
    explicit CBoxWatcher(std::vector<int> answers = {}, std::function<bool()> holdFirst = {});
    ~CBoxWatcher();
    CBoxWatcher(const CBoxWatcher&) = delete;
    CBoxWatcher& operator=(const CBoxWatcher&) = delete;
    std::vector<std::string> Texts();
    size_t Count();
    // QueryPerformanceCounter value when the first box was seen (0: none yet).
    LONGLONG FirstSeen() const { return m_firstSeen.load(); }

private:
    void Run();
    std::vector<int> m_answers;
    std::function<bool()> m_holdFirst;
    std::vector<std::string> m_texts;
    std::mutex m_mutex;
    std::atomic<bool> m_stop{false};
    std::atomic<LONGLONG> m_firstSeen{0};
    std::thread m_thread;
};

// Processes this thread's messages until done() or the time-out (ms); true
// when done() became true. Waits in MsgWaitForMultipleObjects, never sleeps.
template <class Fn>
bool PumpUntil(Fn done, DWORD timeoutMs = 30000) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        const DWORD spent = ::GetTickCount() - start;
        if (spent >= timeoutMs) return false;
        // A slice: done() may also turn true on another thread.
        const DWORD left = timeoutMs - spent;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, left < 20 ? left : 20, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    return true;
}

double Milliseconds(LONGLONG from, LONGLONG to);
LONGLONG Now();

}  // namespace firsttest
