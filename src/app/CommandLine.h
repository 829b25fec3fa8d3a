#pragma once
// The command line: tokens and the two switches the program knows.
#include <string>
#include <vector>

struct CommandLineArgument {
    bool isSwitch = false;  // introduced by '/' or '-'
    std::string text;       // without the introducing character or quotes
};

// Splits a narrow (ANSI) command line. Tokens are cut on the wide form so a
// double-byte character never looks like a separator.
std::vector<CommandLineArgument> SplitCommandLine(const std::string& commandLine);

struct StartSwitches {
    bool mapDownload = false;  // protocol launch
    bool uninstall = false;    // clean-up and exit
};
// Scans the switches in order; "Uninstall" ends the scan at once.
StartSwitches ScanSwitches(const std::vector<CommandLineArgument>& args);

// True when path is the program's own data folder (it ends in the folder
// "Corvane\Quillmarch\"): only that tree is ours to delete on uninstall.
bool IsOwnDataFolder(const std::string& path);
