#pragma once
// CEndSessionWaitingWindow: adds a close that can wait until the window is
// really gone, without losing a quit request that arrives meanwhile.
#include <windows.h>

namespace ui {

template <class Base>
class CEndSessionWaitingWindow : public Base {
public:
    using Base::Base;

    // With wait, posts WM_CLOSE to the window and processes messages one by
    // one until its handle is gone; a WM_QUIT taken meanwhile is posted again
    // afterwards so that the program still ends. Without wait, only posts
    // WM_CLOSE.
    void Close(bool wait) {
        HWND window = this->GetHandle();
        if (!window || !::IsWindow(window)) return;
        this->PostMessage(WM_CLOSE);
        if (!wait) return;
        bool quit = false;
        MSG msg = {};
        while (::IsWindow(window)) {
            const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
            if (got == -1) break;
            if (got == 0) {
                quit = true;
                continue;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (quit) ::PostQuitMessage(0);
    }
};

}  // namespace ui
