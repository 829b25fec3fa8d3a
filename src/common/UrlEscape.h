#pragma once
// Percent-encoding of text for URLs and form bodies: the text goes to UTF-8
// first, then every byte but ASCII letters, digits, '.', '_' and '-' becomes
// "%XX" with upper-case hexadecimal digits.
#include <string>

// Text in the ANSI code page; empty for a null or empty text.
std::string UrlEscape(const char* text);

// The escaping of bytes that are already UTF-8.
std::string PercentEncode(const std::string& utf8);

// UTF-8 of a wide text (UTF-16 on Windows, UTF-32 elsewhere); an unpaired
// surrogate becomes U+FFFD as the system conversion does.
std::string WideToUtf8(const std::wstring& text);
