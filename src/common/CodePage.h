#pragma once
// The one place where text changes code page. The Windows build asks the
// system (the ANSI code page, 932 for this program); the native build of the
// portable core converts Shift-JIS with iconv.
#include <string>

std::wstring AnsiToWide(const std::string& text);
std::string WideToAnsi(const std::wstring& text);
