#pragma once
// Thrown for every skin error after its message box has been shown; its text
// is the message the user saw. The windows do not catch it.
#include <stdexcept>
#include <string>

namespace ui {

class CSkinWindowException : public std::runtime_error {
public:
    explicit CSkinWindowException(const std::string& text) : std::runtime_error(text) {}
};

}  // namespace ui
