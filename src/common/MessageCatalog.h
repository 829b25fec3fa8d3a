#pragma once
// Message codes: the top byte names the area, the low 24 bits the outcome.
// Every outcome the user sees is shown through its code's text and style.
#include <cstdint>
#include <string>

// Message-box styles (the Win32 MessageBox flags).
constexpr unsigned kStyleExclamation = 0x30;  // MB_ICONEXCLAMATION | MB_OK
constexpr unsigned kStyleInformation = 0x40;  // MB_ICONINFORMATION | MB_OK
constexpr unsigned kStyleYesNo = 0x24;        // MB_YESNO | MB_ICONQUESTION
constexpr unsigned kStyleYesNoDefNo = 0x124;  // ... | MB_DEFBUTTON2

// The finished text of a code (empty when the code has none); style is set
// when there is a text and left as it was otherwise. windowsError is an
// optional system error shown after the code, 0 for none.
std::string GetMessageText(uint32_t code, uint32_t windowsError, unsigned& style);
