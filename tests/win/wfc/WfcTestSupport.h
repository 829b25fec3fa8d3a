#pragma once
// Shared pieces of the window library's tests: pixels as text for readable
// failures.
#include <windows.h>

#include <string>

#include "wfc/DIB.h"

namespace wfctest {

// "RRGGBB" of every pixel of a row, separated by blanks.
std::string RowText(const lib::wfc::CDIB& dib, int y);
// A DIB of the given size filled with one colour.
lib::wfc::CDIB Solid(int width, int height, COLORREF color);

}  // namespace wfctest
