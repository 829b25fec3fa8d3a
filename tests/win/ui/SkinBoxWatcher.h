#pragma once
// Answers the "Skin Load" message boxes a test provokes, recording what each
// one showed, so that a skin error can be tested without a person to click.
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace skintest {

struct SeenBox {
    std::string text;
    bool stopIcon = false;
};

class CSkinBoxWatcher {
public:
    CSkinBoxWatcher() : m_thread([this] { Run(); }) {}
    ~CSkinBoxWatcher() {
        m_stop = true;
        m_thread.join();
    }
    CSkinBoxWatcher(const CSkinBoxWatcher&) = delete;
    CSkinBoxWatcher& operator=(const CSkinBoxWatcher&) = delete;

    std::vector<SeenBox> Boxes() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_boxes;
    }
    std::vector<std::string> Texts() {
        std::vector<std::string> texts;
        for (const SeenBox& box : Boxes()) texts.push_back(box.text);
        return texts;
    }

private:
    static BOOL CALLBACK ScanChild(HWND child, LPARAM param) {
        auto* scan = reinterpret_cast<SeenBox*>(param);
        char cls[32] = {};
        ::GetClassNameA(child, cls, sizeof cls);
        if (lstrcmpiA(cls, "Static") != 0) return TRUE;
        LONG_PTR style = ::GetWindowLongPtrA(child, GWL_STYLE);
        if ((style & SS_TYPEMASK) == SS_ICON) {
            HICON icon = reinterpret_cast<HICON>(::SendMessageA(child, STM_GETICON, 0, 0));
            scan->stopIcon = scan->stopIcon || icon == ::LoadIcon(nullptr, IDI_HAND);
            return TRUE;
        }
        char text[1024] = {};
        ::GetWindowTextA(child, text, sizeof text);
        if (text[0] && scan->text.empty()) scan->text = text;
        return TRUE;
    }

    // The first visible "Skin Load" box; a closed one may linger hidden.
    static BOOL CALLBACK FindBox(HWND window, LPARAM param) {
        char cls[32] = {};
        char title[32] = {};
        ::GetClassNameA(window, cls, sizeof cls);
        ::GetWindowTextA(window, title, sizeof title);
        if (lstrcmpA(cls, "#32770") == 0 && lstrcmpA(title, "Skin Load") == 0 &&
            ::IsWindowVisible(window)) {
            *reinterpret_cast<HWND*>(param) = window;
            return FALSE;
        }
        return TRUE;
    }

    void Run() {
        while (!m_stop) {
            HWND box = nullptr;
            ::EnumWindows(FindBox, reinterpret_cast<LPARAM>(&box));
            if (box) {
                SeenBox scan;
                ::EnumChildWindows(box, ScanChild, reinterpret_cast<LPARAM>(&scan));
                {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    m_boxes.push_back(scan);
                }
                ::PostMessageA(box, WM_COMMAND, IDOK, 0);
                // Wait for this box to go before looking for the next one.
                for (int i = 0; i < 500 && ::IsWindow(box) && ::IsWindowVisible(box); ++i)
                    ::Sleep(10);
            }
            ::Sleep(10);
        }
    }

    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<SeenBox> m_boxes;
    std::thread m_thread;
};

}  // namespace skintest
