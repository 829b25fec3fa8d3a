#pragma once
// Writes a composed bitmap to a PNG file with the GDI+ encoder (screenshots of
// the tests, skinview's output).
#include <string>

#include "wfc/DIB.h"

namespace ui {

// False (logged) when the file cannot be written.
bool SaveDibAsPng(const lib::wfc::CDIB& dib, const std::string& path);

}  // namespace ui
