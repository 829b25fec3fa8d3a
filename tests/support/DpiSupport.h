#pragma once
// Tests at another DPI than the prefix's: Wine takes a process's DPI from
// the prefix's "LogPixels" when the process starts, so a test sets it and
// starts a child, which (DPI aware as every test program) sees that DPI.
#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace qmtest {

// HKCU\Control Panel\Desktop\LogPixels for the processes started while the
// object lives; the old value comes back after.
class CLogPixels {
public:
    explicit CLogPixels(DWORD dpi) {
        DWORD size = sizeof m_old;
        m_had = ::RegGetValueA(HKEY_CURRENT_USER, kKey, "LogPixels", RRF_RT_REG_DWORD, nullptr,
                               &m_old, &size) == ERROR_SUCCESS;
        Set(dpi);
    }
    ~CLogPixels() {
        if (m_had)
            Set(m_old);
        else
            ::RegDeleteKeyValueA(HKEY_CURRENT_USER, kKey, "LogPixels");
    }
    CLogPixels(const CLogPixels&) = delete;
    CLogPixels& operator=(const CLogPixels&) = delete;

private:
    static constexpr const char* kKey = "Control Panel\\Desktop";
    static void Set(DWORD dpi) {
        ::RegSetKeyValueA(HKEY_CURRENT_USER, kKey, "LogPixels", REG_DWORD, &dpi, sizeof dpi);
    }
    DWORD m_old = 96;
    bool m_had = false;
};

// A child's findings, one "name value" line each, handed back through a file.
inline bool WriteFindings(const std::string& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return WriteFile(path, text);
}

// Runs a child at dpi and reads back what it wrote to the file it was given.
inline std::vector<std::string> ChildFindingsAt(DWORD dpi, const std::string& child,
                                                const std::string& file) {
    ::DeleteFileA(file.c_str());
    CLogPixels pixels(dpi);
    const ProcessResult result = RunChild(child, file);
    if (!result.finished) return {"child " + child + " did not end in time"};
    if (result.exitCode != 0)
        return {"child " + child + " ended with " + std::to_string(result.exitCode)};
    return SplitLines(ReadFile(file));
}

}  // namespace qmtest
