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
