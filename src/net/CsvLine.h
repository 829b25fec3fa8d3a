#pragma once
// One line of comma-separated fields as the connection file, the user list
// and the service's answers ("&" as separator) write them: a double quote at
// the start of a field opens a quoted stretch in which the separator does not
// split ("" inside it is one quote), and a code page 932 lead byte always
// takes the byte after it, so a trail byte never counts as a separator or a
// quote.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class CCsvLine {
public:
    explicit CCsvLine(std::string_view text, char separator = ',');

    // An empty line still has one (empty) field.
    size_t FieldCount() const { return m_fields.size(); }
    // The field without its quoting; false beyond the last field.
    bool GetField(size_t index, std::string& out) const;

private:
    std::vector<std::string> m_fields;
};
