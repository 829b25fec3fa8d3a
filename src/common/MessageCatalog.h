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

// Areas (top byte of a message code).
constexpr uint32_t kAreaProbeUpload = 0x01;
constexpr uint32_t kAreaMapData = 0x02;
constexpr uint32_t kAreaTraffic = 0x04;
constexpr uint32_t kAreaWeather = 0x08;
constexpr uint32_t kAreaMusic = 0x10;
constexpr uint32_t kAreaAuthentication = 0x40;
constexpr uint32_t kAreaErrorReport = 0x90;
constexpr uint32_t kAreaLauncher = 0xFF;

// The finished text of a code (empty when the code has none); style is set
// when there is a text and left as it was otherwise. windowsError is an
// optional system error shown after the code, 0 for none.
//
// navAppAttribute and modelCode describe the inserted card (Word16 of its
// navigation application record and its model code; both 0 without a card).
// Only the authentication outcome 0x200007 depends on them.
//
// A text that carries the code marker is filled like "%08X%s" with the code
// and the "-%X" error suffix. The few launcher texts that also hold values of
// their own ("%d" counts, a "%s" folder name before the marker) keep those
// conversions for the caller to fill; only the marker's own are filled here.
std::string GetMessageText(uint32_t code, uint32_t windowsError, unsigned& style,
                           uint32_t navAppAttribute = 0, uint32_t modelCode = 0);
