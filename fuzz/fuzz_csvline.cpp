// Lines of the connection file and the user list: any bytes, any separator.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/CsvLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const char sep = static_cast<char>(data[0]);
    std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    CCsvLine line(text, sep);
    if (line.FieldCount() == 0) std::abort();
    size_t total = 0;
    std::string field;
    for (size_t i = 0; i < line.FieldCount(); ++i) {
        if (!line.GetField(i, field)) std::abort();
        total += field.size();
    }
    // Taking fields out only ever drops separators and quotes.
    if (total > text.size()) std::abort();
    if (line.GetField(line.FieldCount(), field)) std::abort();
    return 0;
}
