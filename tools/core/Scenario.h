#pragma once
// The scenario that drives a stand-in: what it records, and per charge kind
// the steps it takes, in order, and the result it reports. The text format is
// described in docs/core-scenarios.md.
#include <cstdint>
#include <string>
#include <vector>

namespace standin {

enum class ActionType { Progress, Ask, Block, DiskCheck, Hold, MapDownload, Exit, Write };
// What a write step leaves behind for the launcher's windows.
enum class WriteTarget { SdInfo, ProbeLog, Download, CardFile };
enum class Question { License, Download, Verify, Probe };

struct Action {
    ActionType type = ActionType::Hold;
    std::vector<uint32_t> percents;  // Progress
    uint32_t progressBit = 0;        // Progress: wParam, 0 for the kind's own bit
    uint32_t everyMs = 0;            // Progress, Block: pause after each step
    Question question = Question::License;
    uint32_t requestType = 0;  // Ask license: wParam of "WKLMapLicense"
    uint32_t argument = 0;     // Ask license: lParam (date in BCD or seconds)
    uint32_t phase = 0;        // Block: 1 download, 2 transfer
    uint64_t total = 0, step = 0;
    uint32_t speed = 0;
    uint32_t notifyEvery = 1;  // Block: post every n-th update
    uint32_t ms = 0;           // Hold, DiskCheck
    uint32_t exitCode = 0;     // Exit
    uint32_t wave = 0;         // Block: the line speed swings by up to this much
    // Write: sdinfo <version> [result r]; probelog [result r] [code c];
    // download <category> <subcategory> <name> <bytes>; card <path> <bytes>
    WriteTarget target = WriteTarget::SdInfo;
    uint32_t version = 0;
    int32_t writeResult = 0;
    uint32_t code = 0;
    uint32_t category = 0, subcategory = 0;
    std::string name;  // download item name, or the card path
    uint64_t bytes = 0;
};

struct KindScript {
    uint32_t bit = 0;
    bool scripted = false;  // false: the default (progress 100, result 0)
    std::string source = "scripted";
    std::vector<Action> actions;
    uint32_t result = 0;         // low 24 bits of the completion code
    uint32_t winError = 0;       // lParam of the completion
    uint32_t declined = 0xFF01;  // result when a question is answered No
    bool noBlock = false;        // report map progress without publishing a block
};

struct Scenario {
    std::string recordPath;
    std::string journalPath;
    bool stayWhenIdle = false;
    uint32_t startDelayMs = 0;
    std::vector<KindScript> kinds;      // only those the file names
    std::vector<std::string> problems;  // "line N: ..." for lines that were ignored
    const KindScript* Find(uint32_t bit) const;
};

// Parses scenario text; lines that cannot be understood are reported in
// problems and skipped. "use <name>" reads a built-in scenario in its place.
Scenario ParseScenario(const std::string& text);

// The built-in scenarios ("default" is played when there is no file); null
// for an unknown name.
const char* FindNamedScenario(const std::string& name);
std::vector<std::string> NamedScenarioNames();

}  // namespace standin
