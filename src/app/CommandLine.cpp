#include "app/CommandLine.h"

#include "common/CodePage.h"
#include "common/Mbcs.h"

std::vector<CommandLineArgument> SplitCommandLine(const std::string& commandLine) {
    const std::wstring w = AnsiToWide(commandLine);
    std::vector<CommandLineArgument> out;
    size_t i = 0;
    const size_t n = w.size();
    auto isBlank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
    while (i < n) {
        if (isBlank(w[i])) {
            ++i;
            continue;
        }
        CommandLineArgument arg;
        size_t start, end;
        if (w[i] == L'"') {
            start = ++i;
            while (i < n && w[i] != L'"') ++i;
            end = i;
            if (i < n) ++i;  // the closing quote
        } else if (w[i] == L'/' || w[i] == L'-') {
            arg.isSwitch = true;
            start = ++i;
            while (i < n && !isBlank(w[i]) && w[i] != L'/' && w[i] != L'-') ++i;
            end = i;
        } else {
            start = i;
            while (i < n && !isBlank(w[i])) ++i;
            end = i;
        }
        arg.text = WideToAnsi(w.substr(start, end - start));
        out.push_back(std::move(arg));
    }
    return out;
}

bool EqualsNoCaseMbcs(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (IsCp932LeadByte(x)) {
            // Both bytes of a double-byte character must match as they are.
            if (x != y || i + 1 >= a.size() || a[i + 1] != b[i + 1]) return false;
            ++i;
            continue;
        }
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return i == a.size() && !b[i];
}

StartSwitches ScanSwitches(const std::vector<CommandLineArgument>& args) {
    StartSwitches s;
    for (const CommandLineArgument& arg : args) {
        if (!arg.isSwitch) continue;
        if (EqualsNoCaseMbcs(arg.text, "MapDownload")) {
            s.mapDownload = true;
        } else if (EqualsNoCaseMbcs(arg.text, "Uninstall")) {
            s.uninstall = true;
            break;
        }
    }
    return s;
}
