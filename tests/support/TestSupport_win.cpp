#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>

#include "DpiAware.h"
#include "common/FileHelpers.h"
#include "common/KilnLog.h"
#include "common/WinHandle.h"

namespace qmtest {

namespace {
std::map<std::string, ChildMain>& Children() {
    static std::map<std::string, ChildMain> children;
    return children;
}
std::string LogPath() { return WorkFolder() + "test.log"; }
bool& LogKept() {
    static bool kept = false;
    return kept;
}

// Its process handle (the caller closes it), or null.
HANDLE StartProcess(const std::string& exe, const std::string& args) {
    std::string cmd = "\"" + exe + "\" " + args;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                          &pi))
        return nullptr;
    ::CloseHandle(pi.hThread);
    return pi.hProcess;
}

void EmptyFolder(const std::string& folder) {
    for (const std::string& name : ListFiles(folder + "*")) {
        const std::string path = folder + name;
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (IsDirectory(path.c_str())) {
            EmptyFolder(path + "\\");
            ::RemoveDirectoryA(path.c_str());
        } else {
            ::DeleteFileA(path.c_str());
        }
    }
}
}  // namespace

ChildRegistrar::ChildRegistrar(const char* name, ChildMain fn) { Children()[name] = fn; }

std::string BinFolder() { return GetExeFolder(); }

std::string WorkFolder() {
    static std::string folder;
    if (folder.empty()) {
        char tmp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, tmp);
        folder = std::string(tmp) + "qmtest-" + std::to_string(::GetCurrentProcessId()) + "\\";
        CreateDirectories(folder.c_str());
    }
    return folder;
}

std::string NewFolder(const char* name) {
    std::string path = WorkFolder() + name + "\\";
    DeleteFolderTree(path.c_str(), true);
    CreateDirectories(path.c_str());
    return path;
}

std::string ReadFile(const std::string& path) {
    qm::CFileHandle f(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr));
    if (!f) return std::string();
    std::string out;
    char buf[65536];
    DWORD got = 0;
    while (::ReadFile(f.Get(), buf, sizeof buf, &got, nullptr) && got) out.append(buf, got);
    return out;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    qm::CFileHandle f(
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return f &&
           ::WriteFile(f.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr) &&
           written == bytes.size();
}

bool FileExists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> ListFiles(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    qm::CFindHandle find(::FindFirstFileA(pattern.c_str(), &fd));
    if (!find) return names;
    do {
        if (std::strcmp(fd.cFileName, ".") && std::strcmp(fd.cFileName, ".."))
            names.push_back(fd.cFileName);
    } while (::FindNextFileA(find.Get(), &fd));
    return names;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) {
            lines.push_back(text.substr(pos));
            break;
        }
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

bool SplitLogRecord(const std::string& line, std::string& mark, std::string& message) {
    size_t pos = 0;
    for (int field = 0; field < 5; ++field) {
        const size_t tab = line.find('\t', pos);
        if (tab == std::string::npos) return false;
        if (field == 1) mark = line.substr(pos, tab - pos);
        pos = tab + 1;
    }
    message = line.substr(pos);
    return true;
}

std::vector<std::string> LogRecordTexts(const std::string& text) {
    std::vector<std::string> out;
    std::string mark, message;
    for (const std::string& line : SplitLines(text)) {
        if (!SplitLogRecord(line, mark, message)) continue;
        const std::string kind = mark == ".."   ? "N"
                                 : mark == "!!" ? "E"
                                 : mark == "@@" ? "D"
                                                : mark;
        if (kind == "D" && message.compare(0, 4, "[WS:") == 0 &&
            message.find('\t') != std::string::npos)
            message = message.substr(message.find('\t') + 1);
        out.push_back(kind + ":" + message);
    }
    return out;
}

bool KeepLog() { return LogKept() = true; }

std::string LogText() { return ReadFile(LogPath()); }

std::vector<std::string> LogSince(size_t mark) {
    const std::string text = LogText();
    return LogRecordTexts(text.size() > mark ? text.substr(mark) : "");
}

int CountInLog(const std::string& part, size_t from) {
    const std::string log = LogText();
    int n = 0;
    for (size_t p = log.find(part, from); p != std::string::npos; p = log.find(part, p + 1)) ++n;
    return n;
}

HMODULE ProgramModule() {
    static const HMODULE module = ::LoadLibraryExA((BinFolder() + "Quillmarch.exe").c_str(),
                                                   nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return module;
}

bool MutexExists(const char* name) {
    return qm::CHandle(::OpenMutexA(SYNCHRONIZE, FALSE, name)).Valid();
}

ProcessResult RunProcess(const std::string& exe, const std::string& args, DWORD timeoutMs) {
    ProcessResult result;
    qm::CHandle process(StartProcess(exe, args));
    if (!process) return result;
    result.started = true;
    if (::WaitForSingleObject(process.Get(), timeoutMs) == WAIT_OBJECT_0) {
        result.finished = true;
        ::GetExitCodeProcess(process.Get(), &result.exitCode);
    } else {
        ::TerminateProcess(process.Get(), 99);
    }
    return result;
}

HANDLE StartChild(const std::string& name, const std::string& args) {
    return StartProcess(GetExePath(), "--child=" + name + " " + args);
}

ProcessResult RunChild(const std::string& name, const std::string& args, DWORD timeoutMs) {
    return RunProcess(GetExePath(), "--child=" + name + " " + args, timeoutMs);
}

void EmptyDrive(char drive) { EmptyFolder(std::string(1, drive) + ":\\"); }

bool MakeCard(char drive, const std::string& options) {
    EmptyDrive(drive);
    const ProcessResult r = RunProcess(BinFolder() + "sdcard.exe",
                                       std::string("make ") + drive + ":\\ " + options, 120000);
    if (!r.finished || r.exitCode != 0)
        printf("sdcard make %c: %s: started %d finished %d exit %lu error %lu\n", drive,
               options.c_str(), r.started, r.finished, static_cast<unsigned long>(r.exitCode),
               ::GetLastError());
    return r.finished && r.exitCode == 0;
}

bool Touch(const std::string& path, const std::string& body) {
    CreateDirectories(path.substr(0, path.find_last_of('\\')).c_str());
    return WriteFile(path, body);
}

}  // namespace qmtest

int main(int argc, char** argv) {
    // As the program's manifest declares: windows draw at the prefix's DPI.
    qmtest::DeclareDpiAware();
    if (argc >= 2 && std::strncmp(argv[1], "--child=", 8) == 0) {
        auto it = qmtest::Children().find(argv[1] + 8);
        if (it == qmtest::Children().end()) return 127;
        std::vector<std::string> args(argv + 2, argv + argc);
        return it->second(args);
    }
    ::testing::InitGoogleTest(&argc, argv);
    const bool log = qmtest::LogKept();
    if (log) KILNLOG.Start(qmtest::LogPath().c_str(), 20480);
    int rc = RUN_ALL_TESTS();
    if (log) KILNLOG.End();
    DeleteFolderTree(qmtest::WorkFolder().c_str(), true);
    return rc;
}
