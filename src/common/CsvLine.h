#pragma once
// Comma-separated lines as the user list, the connection file and the
// service's answers write them: fields split at a separator; a double quote
// as the first character of a field starts a quoted stretch in which the
// separator does not split and two double quotes stand for one; a code page
// 932 lead byte always takes the next byte with it. An empty line has one
// empty field.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

std::vector<std::string> SplitCsvLine(const std::string& line, char separator = ',');

// The same split, held for field-by-field access.
class CCsvLine {
public:
    explicit CCsvLine(std::string_view text, char separator = ',')
        : m_fields(SplitCsvLine(std::string(text), separator)) {}

    size_t FieldCount() const { return m_fields.size(); }
    // The field without its quoting; false beyond the last field.
    bool GetField(size_t index, std::string& out) const {
        if (index >= m_fields.size()) return false;
        out = m_fields[index];
        return true;
    }

private:
    std::vector<std::string> m_fields;
};
