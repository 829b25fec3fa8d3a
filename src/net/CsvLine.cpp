#include "net/CsvLine.h"

#include "common/Mbcs.h"

CCsvLine::CCsvLine(std::string_view text, char separator) {
    std::string field;
    bool atFieldStart = true;
    bool quoted = false;
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (IsCp932LeadByte(c)) {
            // The pair is one character, whatever its second byte looks like.
            field += text[i++];
            if (i < text.size()) field += text[i++];
            atFieldStart = false;
            continue;
        }
        if (quoted) {
            if (c == '"') {
                if (i + 1 < text.size() && text[i + 1] == '"') {
                    field += '"';
                    i += 2;
                } else {
                    quoted = false;
                    ++i;
                }
                continue;
            }
            field += text[i++];
            continue;
        }
        if (c == static_cast<unsigned char>(separator)) {
            m_fields.push_back(std::move(field));
            field.clear();
            atFieldStart = true;
            ++i;
            continue;
        }
        if (c == '"' && atFieldStart) {
            quoted = true;
            atFieldStart = false;
            ++i;
            continue;
        }
        atFieldStart = false;
        field += text[i++];
    }
    m_fields.push_back(std::move(field));
}

bool CCsvLine::GetField(size_t index, std::string& out) const {
    if (index >= m_fields.size()) return false;
    out = m_fields[index];
    return true;
}
