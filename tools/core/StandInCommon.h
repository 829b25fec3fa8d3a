#pragma once
// What both stand-ins share: their command line, the scenario file and the
// journal that tests read.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Scenario.h"

namespace standin {

// " /d E /w 0001A2B4 /p map bl" (core) or " /d E /w 0001A2B4 /m manual" (music),
// after the program's path.
struct ToolArguments {
    char drive = 0;
    HWND launcher = nullptr;
    bool haveWindow = false;
    std::vector<uint32_t> kinds;  // in command-line order
    std::string musicMode;        // "manual" or "setting"
    std::vector<std::string> problems;
};
ToolArguments ParseToolArguments(const std::string& commandLine);

// The scenario of this program: the file named by the environment variable
// (QM_CORE_SCENARIO or QM_MUSIC_SCENARIO) or "<exe name>.scenario" beside the
// executable. A missing file gives the default scenario.
Scenario LoadScenario(const char* environmentName);

// Appends lines to the file named in the scenario (nothing when unnamed).
class CJournal {
public:
    explicit CJournal(std::string path) : m_path(std::move(path)) {}
    void Write(const std::string& line) const;

private:
    std::string m_path;
};

void AppendLine(const std::string& path, const std::string& line);

}  // namespace standin
