#include "ui/SkinDump.h"

#include <cstdio>

#include "common/CodePage.h"
#include "common/Mbcs.h"

namespace ui {

namespace {

void AppendUtf8(std::string& out, unsigned long cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::string Quote(const std::string& text, SkinDumpCharset charset) {
    const std::string bytes = charset == SkinDumpCharset::kUtf8 ? Cp932ToUtf8(text) : text;
    std::string out = "\"";
    for (size_t i = 0; i < bytes.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (charset == SkinDumpCharset::kCp932 && IsCp932LeadByte(c) && i + 1 < bytes.size()) {
            out.append(bytes, i, 2);  // the trail byte may be a backslash
            ++i;
        } else if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(static_cast<char>(c));
        } else if (c < 0x20 || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out + "\"";
}

std::string Name(const std::string& name, SkinDumpCharset charset) {
    return charset == SkinDumpCharset::kUtf8 ? Cp932ToUtf8(name) : name;
}

}  // namespace

std::string Cp932ToUtf8(const std::string& text) {
    bool ascii = true;
    for (unsigned char c : text) ascii = ascii && c < 0x80;
    if (ascii) return text;
    const std::wstring wide = AnsiToWide(text);
    std::string out;
    for (size_t i = 0; i < wide.size(); ++i) {
        unsigned long cp = static_cast<unsigned long>(wide[i]);
        if (sizeof(wchar_t) == 2 && cp >= 0xD800 && cp <= 0xDBFF && i + 1 < wide.size()) {
            unsigned long low = static_cast<unsigned long>(wide[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        AppendUtf8(out, cp);
    }
    return out;
}

std::string DumpSkinTree(const SkinData& skin, SkinDumpCharset charset) {
    std::string out;
    for (const auto& [name, item] : skin) {
        out += Name(name, charset) + " {\n";
        for (const auto& [key, values] : item.properties) {
            out += "    " + Name(key, charset);
            for (size_t i = 0; i < values.size(); ++i)
                out += (i == 0 ? " = " : ", ") + Quote(values[i], charset);
            out += ";\n";
        }
        out += "}\n";
    }
    return out;
}

}  // namespace ui
