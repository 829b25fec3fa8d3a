#pragma once
// Answers message boxes from a thread of its own, so that a test can go
// through a question without a person: the program's boxes (title
// "Quillmarch ") and a skin error's ("Skin Load"). A box with a Yes button
// takes the next planned or queued answer (IDYES when none is left), any
// other box is answered with OK. Each box's text, and whether it showed the
// stop icon, is recorded.
#include <windows.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qmtest {

struct SeenBox {
    std::string text;
    bool stopIcon = false;
};

class CBoxWatcher {
public:
    // thisProcessOnly: not the boxes of programs the test started.
    explicit CBoxWatcher(std::vector<int> answers = {}, bool thisProcessOnly = false)
        : m_answers(answers.begin(), answers.end()),
          m_thisProcessOnly(thisProcessOnly),
          m_thread([this] { Run(); }) {}
    ~CBoxWatcher() {
        m_stop = true;
        m_thread.join();
    }
    CBoxWatcher(const CBoxWatcher&) = delete;
    CBoxWatcher& operator=(const CBoxWatcher&) = delete;

    std::vector<SeenBox> Boxes() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_boxes;
    }
    // The texts of the boxes seen, from the from-th on.
    std::vector<std::string> Texts(size_t from = 0) {
        const std::vector<SeenBox> boxes = Boxes();
        std::vector<std::string> texts;
        for (size_t i = from; i < boxes.size(); ++i) texts.push_back(boxes[i].text);
        return texts;
    }
    size_t Count() { return Boxes().size(); }
    void Queue(int answer) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_answers.push_back(answer);
    }

private:
    static constexpr const char* kAnswered = "QmTestBoxAnswered";

    struct Search {
        HWND box;
        bool thisProcessOnly;
    };
    static BOOL CALLBACK FindBox(HWND window, LPARAM param) {
        auto* search = reinterpret_cast<Search*>(param);
        // The class first: asking another thread's window for its title
        // waits for that thread. An answered box may linger a moment, and a
        // new one may even reuse its handle, but not its property.
        char cls[32] = {}, title[32] = {};
        ::GetClassNameA(window, cls, sizeof cls);
        if (lstrcmpA(cls, "#32770") != 0 || !::IsWindowVisible(window) ||
            ::GetPropA(window, kAnswered))
            return TRUE;
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        if (search->thisProcessOnly && pid != ::GetCurrentProcessId()) return TRUE;
        ::GetWindowTextA(window, title, sizeof title);
        if (lstrcmpA(title, "Quillmarch ") != 0 && lstrcmpA(title, "Skin Load") != 0) return TRUE;
        search->box = window;
        return FALSE;
    }
    static BOOL CALLBACK FindStopIcon(HWND child, LPARAM param) {
        char cls[32] = {};
        ::GetClassNameA(child, cls, sizeof cls);
        if (lstrcmpiA(cls, "Static") == 0 &&
            (::GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
            reinterpret_cast<HICON>(::SendMessageA(child, STM_GETICON, 0, 0)) ==
                ::LoadIcon(nullptr, IDI_HAND))
            *reinterpret_cast<bool*>(param) = true;
        return TRUE;
    }

    void Run() {
        while (!m_stop) {
            Search search = {nullptr, m_thisProcessOnly};
            ::EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
            HWND box = search.box;
            if (!box) {
                // The box belongs to another thread: it is looked for in slices.
                ::Sleep(2);
                continue;
            }
            SeenBox seen;
            char text[2048] = {};
            ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // the message
            seen.text = text;
            ::EnumChildWindows(box, FindStopIcon, reinterpret_cast<LPARAM>(&seen.stopIcon));
            int answer = IDOK;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (::GetDlgItem(box, IDYES)) {
                    answer = m_answers.empty() ? IDYES : m_answers.front();
                    if (!m_answers.empty()) m_answers.pop_front();
                }
                m_boxes.push_back(seen);
            }
            ::SetPropA(box, kAnswered, reinterpret_cast<HANDLE>(1));
            ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(box, answer)));
        }
    }

    std::deque<int> m_answers;
    const bool m_thisProcessOnly;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<SeenBox> m_boxes;
    std::thread m_thread;
};

}  // namespace qmtest
