#pragma once
// Tests at another DPI than the prefix's: Wine takes a process's DPI from
// the prefix's "LogPixels" when the process starts, so a test sets it and
// starts a child, which (DPI aware as every test program) sees that DPI.
#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace qmtest {

// A child's findings, one "name value" line each, handed back through a file.
inline bool WriteFindings(const std::string& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return WriteFile(path, text);
}

// Runs a child at dpi (HKCU\Control Panel\Desktop\LogPixels while it runs,
// the old value back after) and reads back what it wrote to the file it was
// given.
inline std::vector<std::string> ChildFindingsAt(DWORD dpi, const std::string& child,
                                                const std::string& file) {
    const char* const key = "Control Panel\\Desktop";
    DWORD old = 96, size = sizeof old;
    const bool had = ::RegGetValueA(HKEY_CURRENT_USER, key, "LogPixels", RRF_RT_REG_DWORD, nullptr,
                                    &old, &size) == ERROR_SUCCESS;
    ::RegSetKeyValueA(HKEY_CURRENT_USER, key, "LogPixels", REG_DWORD, &dpi, sizeof dpi);
    ::DeleteFileA(file.c_str());
    const ProcessResult result = RunChild(child, file);
    if (had)
        ::RegSetKeyValueA(HKEY_CURRENT_USER, key, "LogPixels", REG_DWORD, &old, sizeof old);
    else
        ::RegDeleteKeyValueA(HKEY_CURRENT_USER, key, "LogPixels");
    if (!result.finished) return {"child " + child + " did not end in time"};
    if (result.exitCode != 0)
        return {"child " + child + " ended with " + std::to_string(result.exitCode)};
    return SplitLines(ReadFile(file));
}

}  // namespace qmtest
