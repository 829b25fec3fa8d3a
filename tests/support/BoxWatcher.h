#pragma once
// Answers the program's message boxes (title "Quillmarch ") from a thread of
// its own, so that a test can go through a question without a person: a box
// with a Yes button takes the next planned answer (IDYES when none is left),
// any other box is answered with OK. Each box's text is recorded.
#include <windows.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qmtest {

class CBoxWatcher {
public:
    explicit CBoxWatcher(std::vector<int> answers = {})
        : m_answers(answers.begin(), answers.end()), m_thread([this] { Run(); }) {}
    ~CBoxWatcher() {
        m_stop = true;
        m_thread.join();
    }
    std::vector<std::string> Texts() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_texts;
    }
    size_t Count() { return Texts().size(); }

private:
    static constexpr const char* kAnswered = "QmTestBoxAnswered";

    static BOOL CALLBACK FindBox(HWND window, LPARAM param) {
        // The class first: asking another thread's window for its title
        // waits for that thread. An answered box may linger a moment, and a
        // new one may even reuse its handle, but not its property.
        char cls[32] = {}, title[32] = {};
        ::GetClassNameA(window, cls, sizeof cls);
        if (lstrcmpA(cls, "#32770") != 0 || !::IsWindowVisible(window) ||
            ::GetPropA(window, kAnswered))
            return TRUE;
        ::GetWindowTextA(window, title, sizeof title);
        if (lstrcmpA(title, "Quillmarch ") != 0) return TRUE;
        *reinterpret_cast<HWND*>(param) = window;
        return FALSE;
    }

    void Run() {
        while (!m_stop) {
            HWND box = nullptr;
            ::EnumWindows(FindBox, reinterpret_cast<LPARAM>(&box));
            if (!box) {
                // The box belongs to another thread: it is looked for in slices.
                ::Sleep(2);
                continue;
            }
            char text[2048] = {};
            ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // the message
            int answer = IDOK;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (::GetDlgItem(box, IDYES)) {
                    answer = m_answers.empty() ? IDYES : m_answers.front();
                    if (!m_answers.empty()) m_answers.pop_front();
                }
                m_texts.push_back(text);
            }
            ::SetPropA(box, kAnswered, reinterpret_cast<HANDLE>(1));
            ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(box, answer)));
        }
    }

    std::deque<int> m_answers;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<std::string> m_texts;
    std::thread m_thread;
};

}  // namespace qmtest
