#pragma once
// Narrow (code page 932) text helpers that must not split a double-byte
// character.
#include <string>

// Code page 932 lead bytes: the byte after one belongs to the same character
// and may look like '\', '"' or ',' on its own.
inline bool IsCp932LeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Case-insensitive comparison of ANSI texts that leaves double-byte
// characters as they are.
bool EqualsNoCaseMbcs(const std::string& a, const char* b);
