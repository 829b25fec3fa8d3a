#include "StandInCommon.h"

#include <cstdlib>
#include <sstream>

#include "common/CoreProcess.h"
#include "common/FileHelpers.h"
#include "common/WinHandle.h"

namespace standin {

ToolArguments ParseToolArguments(const std::string& commandLine) {
    ToolArguments a;
    // The path comes first, unquoted and possibly with blanks: the
    // parameters begin at the first " /d ".
    const size_t at = commandLine.find(" /d ");
    if (at == std::string::npos) {
        a.problems.push_back("no /d in the command line");
        return a;
    }
    std::istringstream in(commandLine.substr(at));
    std::string word;
    std::string section;
    while (in >> word) {
        if (word == "/d" || word == "/w" || word == "/m") {
            std::string value;
            if (!(in >> value)) {
                a.problems.push_back(word + " without a value");
                break;
            }
            if (word == "/d") {
                if (value.size() == 1 && value[0] >= 'A' && value[0] <= 'Z')
                    a.drive = value[0];
                else
                    a.problems.push_back("bad drive " + value);
            } else if (word == "/w") {
                char* end = nullptr;
                const unsigned long bits = std::strtoul(value.c_str(), &end, 16);
                if (value.size() == 8 && end && !*end) {
                    a.launcher = WindowFromBits(static_cast<uint32_t>(bits));
                    a.haveWindow = true;
                } else {
                    a.problems.push_back("bad window " + value);
                }
            } else {
                if (value == "manual" || value == "setting")
                    a.musicMode = value;
                else
                    a.problems.push_back("bad mode " + value);
            }
            section.clear();
        } else if (word == "/p") {
            section = word;
        } else if (section == "/p") {
            uint32_t bit = 0;
            for (uint32_t b = kChargeProbe; b <= kChargeMusic; b <<= 1)
                if (word == ChargeKeyword(b)) bit = b;
            if (bit)
                a.kinds.push_back(bit);
            else
                a.problems.push_back("unknown kind " + word);
        } else {
            a.problems.push_back("unexpected " + word);
        }
    }
    return a;
}

Scenario LoadScenario(const char* environmentName, const char* whenMissing) {
    std::string path;
    char buf[MAX_PATH] = {};
    const DWORD n = ::GetEnvironmentVariableA(environmentName, buf, sizeof buf);
    if (n > 0 && n < sizeof buf) {
        path = buf;
    } else {
        std::string exe = GetExePath();
        const size_t dot = exe.find_last_of('.');
        path = (dot == std::string::npos ? exe : exe.substr(0, dot)) + ".scenario";
    }
    qm::CFileHandle f(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr));
    std::string text = f ? std::string() : std::string(whenMissing);
    if (f) {
        char chunk[4096];
        DWORD got = 0;
        while (::ReadFile(f.Get(), chunk, sizeof chunk, &got, nullptr) && got)
            text.append(chunk, got);
    }
    return ParseScenario(text);
}

void AppendLine(const std::string& path, const std::string& line) {
    if (path.empty()) return;
    // The core, the music tools and their threads may share one file: one
    // writer at a time (an append handle alone does not keep two processes
    // apart under every system).
    qm::CHandle mutex(::CreateMutexA(nullptr, FALSE, "QuillmarchStandInJournal"));
    const DWORD waited = mutex ? ::WaitForSingleObject(mutex.Get(), 5000) : WAIT_FAILED;
    const bool locked = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    {
        qm::CFileHandle f(::CreateFileA(path.c_str(), FILE_APPEND_DATA,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0,
                                        nullptr));
        if (f) {
            const std::string bytes = line + "\r\n";
            DWORD written = 0;
            ::WriteFile(f.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        }
    }
    if (locked) ::ReleaseMutex(mutex.Get());
}

void CJournal::Write(const std::string& line) const { AppendLine(m_path, line); }

}  // namespace standin
