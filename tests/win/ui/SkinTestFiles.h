#pragma once
// What the skin tests under Wine share: the source path, screenshots, the
// message pump, and SkinFile from the native skin tests so that both build
// skin files alike.
#include <windows.h>

#include <string>

#include "tests/native/SkinTestHelpers.h"
#include "tests/support/TestSupport.h"
#include "ui/SkinWindowException.h"
#include "wfc/DIB.h"

namespace skintest {

// Saves a composed picture as "screens\<name>.png" beside the test program,
// kept after the run for a look.
inline bool SaveScreenshot(const lib::wfc::CDIB& dib, const std::string& name) {
    const std::string folder = qmtest::BinFolder() + "screens\\";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    return dib.SavePng((folder + name + ".png").c_str());
}

// Runs fn, which must throw CSkinWindowException; returns its text.
template <typename Fn>
std::string ThrownText(Fn fn) {
    try {
        fn();
    } catch (const ui::CSkinWindowException& e) {
        return e.what();
    }
    return "<nothing thrown>";
}

// Dispatches everything waiting for this thread.
inline void Pump() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

// The source tree (QM_SOURCE_DIR from wine-run) as a Windows path with '\'.
inline std::string SourcePath(const std::string& relative) {
    char buffer[MAX_PATH] = {};
    DWORD n = ::GetEnvironmentVariableA("QM_SOURCE_DIR", buffer, MAX_PATH);
    std::string path = (n > 0 && n < MAX_PATH) ? std::string("Z:") + buffer : std::string();
    path += "/" + relative;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

}  // namespace skintest
