#pragma once
// The loaded form of a skin definition file: item name -> key -> values, all
// in code page 932 and compared byte-wise. Errors of the skin language travel
// as SkinError values here; only the shell turns them into message boxes and
// exceptions.
#include <cstddef>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace ui {

using SkinValues = std::vector<std::string>;

struct SkinItem {
    std::string name;
    std::map<std::string, SkinValues> properties;
};

using SkinData = std::map<std::string, SkinItem>;

// One token of a line. Delimiters come as one-character tokens that are not
// quoted; everything else is text.
struct SkinToken {
    std::wstring text;
    bool quoted = false;
};

enum SkinValueType : int { kSkinString = 0, kSkinInteger = 1 };

// A key and the exact number (and kinds) of values it must have. The kinds
// are written one letter per value, 's' or 'i', which keeps the readers'
// static tables short: {"Image", "siiii"}.
struct PropertySpec {
    const char* key;
    const char* types;

    size_t TypeCount() const { return std::strlen(types); }
    int TypeAt(size_t i) const { return types[i] == 'i' ? kSkinInteger : kSkinString; }
};

// A failure of the skin language. Every text the program shows for it, in
// the order shown: an error inside an included file is shown itself and then
// once more wrapped by each including file. The last text is the one the
// exception carries.
struct SkinError {
    std::vector<std::string> messages;
    std::string file;  // the file a parser error was found in
    int line = 0;      // its line (1 = header line); 0 for other errors

    bool Failed() const { return !messages.empty(); }
    const std::string& Text() const {
        static const std::string empty;
        return messages.empty() ? empty : messages.back();
    }
    void Set(const std::string& text) {
        messages.assign(1, text);
        file.clear();
        line = 0;
    }
};

}  // namespace ui
