#pragma once
// What the window tests of several folders share: a window's picture as the
// screen shows it (its child controls included, unlike a composed back
// buffer), screenshots kept after the run, and requests to the xdotool agent
// of a run-with-* wrapper.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "common/FileHelpers.h"
#include "wfc/DIB.h"

namespace qmtest {

// What the screen shows of a window now.
inline lib::wfc::CDIB GrabWindow(HWND window) {
    RECT r = {};
    ::GetWindowRect(window, &r);
    lib::wfc::CDIB shot;
    shot.Create(r.right - r.left, r.bottom - r.top);
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HGDIOBJ old = ::SelectObject(memory, shot.Handle());
    ::BitBlt(memory, 0, 0, shot.Width(), shot.Height(), screen, r.left, r.top, SRCCOPY);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return shot;
}

// Saves a picture as screens\FOLDER\NAME.png in the build folder, for a look
// after the run and for the gallery.
inline void SaveScreen(const lib::wfc::CDIB* picture, const char* folder, const std::string& name) {
    // The build folder by name, not as "bin\..": the folder maker goes
    // through long-path names, in which ".." is a name like any other.
    std::string build = BinFolder();
    build.erase(build.find_last_of('\\', build.size() - 2) + 1);
    const std::string path = build + "screens\\" + folder + "\\";
    CreateDirectories(path.c_str());
    if (picture) picture->SavePng((path + name + ".png").c_str());
}

// Writes xdotool's arguments, one a line, as FOLDER\N.cmd for the agent and
// waits for its N.done, handling this thread's messages meanwhile (the input
// may be for a window of this thread). xdotool's exit code, or -1 without an
// agent or when it did not answer within 20 s.
inline int RunXdo(const std::string& folder, const std::vector<std::string>& args) {
    if (folder.empty()) return -1;
    static int serial = 0;
    const std::string base = folder + std::to_string(++serial);
    std::string text;
    for (const std::string& a : args) text += a + "\n";
    if (!WriteFile(base + ".tmp", text) ||
        !::MoveFileA((base + ".tmp").c_str(), (base + ".cmd").c_str()))
        return -1;
    // The agent is a Unix program beside Wine: its answer is a file.
    if (!PumpUntil([&] { return FileExists(base + ".done"); }, 20000)) return -1;
    return std::atoi(ReadFile(base + ".done").c_str());
}

}  // namespace qmtest
