#pragma once
// Taking turns with a baseline that bench/run-net-bench runs natively: after
// each timed run of ours this program writes SYNC\<name>-N and waits for
// SYNC\base-N, in which the script leaves the time of its own run (seconds,
// one line). Both sides then see the same load on a busy machine.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "common/WholeFile.h"

// The baseline's time of round N in ms, or < 0 when it never came. A line
// with more times (one per baseline command) leaves the others in more.
inline double BaselineTurn(const std::string& sync, const char* name, int round,
                           std::vector<double>* more = nullptr) {
    const std::string mine = sync + "\\" + name + "-" + std::to_string(round);
    const std::string theirs = sync + "\\base-" + std::to_string(round);
    HANDLE f = ::CreateFileA(mine.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f != INVALID_HANDLE_VALUE) ::CloseHandle(f);
    for (int i = 0; i < 15000; ++i) {
        std::string text;
        if (ReadWholeFile(theirs, text).Ok() && !text.empty() && text.back() == '\n') {
            const char* at = text.c_str();
            char* end = nullptr;
            const double first = std::strtod(at, &end) * 1000.0;
            for (at = end; more;) {
                const double next = std::strtod(at, &end);
                if (end == at) break;
                more->push_back(next * 1000.0);
                at = end;
            }
            return first;
        }
        ::Sleep(20);
    }
    return -1;
}
