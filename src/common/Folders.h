#pragma once
// The program's folders on the PC. Every getter returns a path ending in '\'
// and creates the folder (with its parents) when it is missing; a folder that
// cannot be created is returned all the same and the caller's file operation
// reports the problem.
#include <string>

std::string GetDataFolder();
std::string GetSettingFolder();
std::string GetUserDataRoot();
std::string GetUserDataFolder(const char* name);  // null name: empty path
std::string GetTemporaryFolder();
std::string GetLogFolder();
std::string GetDefaultDownloadFolder();

// Installed programs of the suite, by identifier.
enum ProgramId : int { kProgramLauncher = 0, kProgramCore = 1, kProgramMusic = 2 };
std::string GetProgramPath(int id);  // empty when unknown or not installed

// The data folder's own tail: only a path ending in it is ours to delete.
constexpr const char* kDataFolderTail = "Corvane\\Quillmarch\\";
