#pragma once
// Helpers for the tests that run under Wine.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "PumpUntil.h"

namespace qmtest {

// A scratch folder of this test program, fresh per run (with trailing '\').
std::string WorkFolder();
// A new empty folder below WorkFolder().
std::string NewFolder(const char* name);
// Folder holding the test program, Quillmarch.exe and the tools.
std::string BinFolder();

// A variable of this process's environment ("" when not set); read through
// the system, so that a test's own SetEnvironmentVariable shows.
inline std::string Env(const char* name) {
    char value[1024] = {};
    const DWORD n = ::GetEnvironmentVariableA(name, value, sizeof value);
    return n && n < sizeof value ? std::string(value, n) : std::string();
}
// A folder a run script names in the environment, as a Windows path ending
// in '\\' (a host path through Wine's Z: drive); "" when not set.
inline std::string EnvFolder(const char* name) {
    std::string folder = Env(name);
    if (folder.empty()) return folder;
    if (folder[0] == '/') folder = "Z:" + folder;
    for (char& c : folder)
        if (c == '/') c = '\\';
    return folder.back() == '\\' ? folder : folder + '\\';
}
// The built program, loaded as data: its resources hold the skins.
HMODULE ProgramModule();
bool MutexExists(const char* name);

std::string ReadFile(const std::string& path);
bool WriteFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
std::vector<std::string> ListFiles(const std::string& pattern);  // names only
std::vector<std::string> SplitLines(const std::string& text);    // at CR LF

// One line of the diagnostic log, "stamp\tmark\tfile\tline\tthread\tmessage":
// its mark and message; false for a line that is no record.
bool SplitLogRecord(const std::string& line, std::string& mark, std::string& message);
// The records of a piece of log as "kind:message": "N" normal, "E" error,
// "D" detail (without its memory figures), other marks as they are.
std::vector<std::string> LogRecordTexts(const std::string& text);
// This program's diagnostic log, in its work folder, for the programs whose
// harness asks for one before main (`inline const bool kLog = KeepLog();`):
// started before the tests. Its text; the records written since its text was
// `mark` bytes long; how often `part` is in it from byte `from` on.
bool KeepLog();
std::string LogText();
inline size_t LogMark() { return LogText().size(); }
std::vector<std::string> LogSince(size_t mark);
int CountInLog(const std::string& part, size_t from);

// Everything on a drive, read-only files and folders too.
void EmptyDrive(char drive);
// Empties the drive and runs "sdcard make X:\ OPTIONS"; true when it succeeded.
bool MakeCard(char drive, const std::string& options = "");
// Writes a file, making the folders on its way; true when it was written.
bool Touch(const std::string& path, const std::string& body = "data");

struct ProcessResult {
    bool started = false;
    bool finished = false;
    DWORD exitCode = 0;
};
// Starts a program and waits for it (at most timeoutMs).
ProcessResult RunProcess(const std::string& exe, const std::string& args, DWORD timeoutMs = 30000);

// A child process: this test program started again with "--child=NAME ARGS".
// The child's body is a function registered with QM_CHILD_MAIN.
HANDLE StartChild(const std::string& name, const std::string& args);
// Runs a child to its end (at most timeoutMs).
ProcessResult RunChild(const std::string& name, const std::string& args, DWORD timeoutMs = 60000);
using ChildMain = int (*)(const std::vector<std::string>& args);
struct ChildRegistrar {
    ChildRegistrar(const char* name, ChildMain fn);
};
#define QM_CHILD_MAIN(name)                                                         \
    static int ChildMain_##name(const std::vector<std::string>& args);              \
    static ::qmtest::ChildRegistrar childRegistrar_##name(#name, ChildMain_##name); \
    static int ChildMain_##name(const std::vector<std::string>& args)

}  // namespace qmtest
