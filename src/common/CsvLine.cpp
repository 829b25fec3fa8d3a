#include "common/CsvLine.h"

#include "common/Mbcs.h"

std::vector<std::string> SplitCsvLine(const std::string& line, char separator) {
    std::vector<std::string> fields(1);
    const size_t n = line.size();
    size_t i = 0;
    bool atFieldStart = true;
    bool quoted = false;
    while (i < n) {
        const char c = line[i];
        std::string& field = fields.back();
        if (IsCp932LeadByte(static_cast<unsigned char>(c))) {
            // The trail byte may look like a quote or the separator.
            field += c;
            if (i + 1 < n) field += line[i + 1];
            i += 2;
            atFieldStart = false;
            continue;
        }
        if (quoted) {
            if (c == '"') {
                if (i + 1 < n && line[i + 1] == '"') {
                    field += '"';
                    i += 2;
                } else {
                    quoted = false;
                    ++i;
                }
                continue;
            }
            field += c;
            ++i;
            continue;
        }
        if (c == separator) {
            fields.emplace_back();
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
        field += c;
        atFieldStart = false;
        ++i;
    }
    return fields;
}
