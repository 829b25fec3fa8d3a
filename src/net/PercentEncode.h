#pragma once
// Values sent to the service are percent-encoded UTF-8: letters, digits, '.',
// '_' and '-' stay, every other byte becomes "%XX" (upper-case hexadecimal).
#include <string>

// The UTF-8 form of a wide text (UTF-16 on Windows, UTF-32 elsewhere).
std::string WideToUtf8(const std::wstring& text);
// Escapes the bytes of a UTF-8 text.
std::string PercentEscapeBytes(const std::string& utf8);
// A text in the system code page, converted to UTF-8 and escaped.
std::string PercentEncode(const std::string& ansiText);
