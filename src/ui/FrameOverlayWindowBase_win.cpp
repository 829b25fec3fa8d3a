#include <map>

#include "common/CriticalSection.h"
#include "ui/FrameOverlayWindowBase.h"

namespace ui {
namespace FrameOverlayWindowBase {

namespace {

struct Registry {
    qm::CCriticalSection lock;
    std::map<HWND, UINT> windows;
    bool flag = false;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

}  // namespace

void CBaseFunc::HideAll(HWND window) {
    if (!::IsWindowVisible(window) || (::GetWindowLongA(window, GWL_STYLE) & WS_CHILD)) return;
    ::ShowWindow(window, SW_HIDE);
    m_hiddenByAll = true;
}

void CBaseFunc::ShowAll(HWND window) {
    if (!m_hiddenByAll) return;
    m_hiddenByAll = false;
    ::ShowWindow(window, SW_SHOWNA);
}

void RegisterWindow(HWND window, UINT message) {
    Registry& r = TheRegistry();
    qm::CCriticalSection::CLock lock(r.lock);
    r.windows[window] = message;
}

void UnregisterWindow(HWND window) {
    Registry& r = TheRegistry();
    qm::CCriticalSection::CLock lock(r.lock);
    r.windows.erase(window);
}

std::vector<std::pair<HWND, UINT>> RegisteredWindows() {
    Registry& r = TheRegistry();
    qm::CCriticalSection::CLock lock(r.lock);
    return std::vector<std::pair<HWND, UINT>>(r.windows.begin(), r.windows.end());
}

bool GetOverlayFlag() {
    Registry& r = TheRegistry();
    qm::CCriticalSection::CLock lock(r.lock);
    return r.flag;
}

void SetOverlayFlag(bool on) {
    Registry& r = TheRegistry();
    qm::CCriticalSection::CLock lock(r.lock);
    r.flag = on;
}

void PostToAll(WPARAM wParam, LPARAM lParam) {
    for (const auto& [window, message] : RegisteredWindows())
        ::PostMessageA(window, message, wParam, lParam);
}

}  // namespace FrameOverlayWindowBase
}  // namespace ui
