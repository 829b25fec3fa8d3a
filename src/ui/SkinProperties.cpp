#include "ui/SkinProperties.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "common/Mbcs.h"

namespace ui {

bool HasProperty(const SkinItem& item, const std::string& key) {
    return item.properties.count(key) != 0;
}

const SkinItem* FindSkinItem(const SkinData& skin, const std::string& name) {
    auto it = skin.find(name);
    return it == skin.end() ? nullptr : &it->second;
}

std::string MissingItemText(const std::string& name) { return name + "が記述されていません"; }

bool CheckRequiredItems(const SkinData& skin, const char* const* names, size_t count,
                        SkinError& error) {
    for (size_t i = 0; i < count; ++i) {
        if (!FindSkinItem(skin, names[i])) {
            error.Set(MissingItemText(names[i]));
            return false;
        }
    }
    return true;
}

bool CheckSkinProperties(const SkinItem& item, const PropertySpec* specs, size_t count,
                         SkinError& error) {
    for (size_t i = 0; i < count; ++i) {
        const std::string prefix = item.name + "/" + specs[i].key;
        auto it = item.properties.find(specs[i].key);
        if (it == item.properties.end()) {
            error.Set(prefix + "が定義されていません");
            return false;
        }
        const size_t need = specs[i].TypeCount();
        const size_t given = it->second.size();
        if (given < need) {
            error.Set(prefix + "のパラメータは " + std::to_string(need) + "個必要です");
            return false;
        }
        if (given > need) {
            error.Set(prefix + "のパラメータは " + std::to_string(need) + "個必要ですが、" +
                      std::to_string(given) + "個指定されています");
            return false;
        }
    }
    return true;
}

namespace {

std::string ReplaceEscape(const std::string& text, const char* escape, char replacement) {
    const size_t length = std::char_traits<char>::length(escape);
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (IsCp932LeadByte(c) && i + 1 < text.size()) {
            out.append(text, i, 2);
            i += 2;
        } else if (text.compare(i, length, escape) == 0) {
            out.push_back(replacement);
            i += length;
        } else {
            out.push_back(text[i]);
            ++i;
        }
    }
    return out;
}

}  // namespace

std::string Unescape(const std::string& text) {
    std::string out = ReplaceEscape(text, "\\n", '\n');
    out = ReplaceEscape(out, "\\r", '\r');
    return ReplaceEscape(out, "\\0x22", '"');
}

bool ReadStringTable(const SkinData& skin, std::map<std::string, std::string>& table,
                     SkinError& error) {
    const SkinItem* item = FindSkinItem(skin, "StringTable");
    if (!item) {
        error.Set(MissingItemText("StringTable"));
        return false;
    }
    for (const auto& [key, values] : item->properties)
        if (!values.empty()) table[key] = Unescape(values.front());
    return true;
}

void InheritBaseFont(SkinData& skin, const std::string& baseName) {
    auto base = skin.find(baseName);
    if (base == skin.end()) return;
    auto baseFont = base->second.properties.find("Font");
    if (baseFont == base->second.properties.end()) return;
    const SkinValues font = baseFont->second;
    for (auto& [name, item] : skin) {
        if (name == baseName) continue;
        auto own = item.properties.find("Font");
        if (own == item.properties.end()) {
            item.properties["Font"] = font;
            continue;
        }
        for (size_t i = 0; i < own->second.size() && i < font.size(); ++i)
            if (own->second[i].empty()) own->second[i] = font[i];
    }
}

int32_t ParseSkinInteger(const std::string& text) {
    errno = 0;
    long value = std::strtol(text.c_str(), nullptr, 10);
    if (value > INT32_MAX || (errno == ERANGE && value == LONG_MAX)) return INT32_MAX;
    if (value < INT32_MIN || (errno == ERANGE && value == LONG_MIN)) return INT32_MIN;
    return static_cast<int32_t>(value);
}

namespace {
int32_t ValueAt(const SkinValues& values, size_t index) {
    return index < values.size() ? ParseSkinInteger(values[index]) : 0;
}
// Sums wrap around as the 32-bit arithmetic of the rectangle does.
int32_t WrappingAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
}  // namespace

SkinRect ToRect(const SkinValues& values, size_t first) {
    SkinRect rect;
    rect.left = ValueAt(values, first);
    rect.top = ValueAt(values, first + 1);
    rect.right = ValueAt(values, first + 2);
    rect.bottom = ValueAt(values, first + 3);
    return rect;
}

SkinRect ToItemRect(const SkinValues& position, const SkinValues& size) {
    SkinRect rect;
    rect.left = ValueAt(position, 0);
    rect.top = ValueAt(position, 1);
    rect.right = WrappingAdd(rect.left, ValueAt(size, 0));
    rect.bottom = WrappingAdd(rect.top, ValueAt(size, 1));
    return rect;
}

uint32_t ToColor(const SkinValues& values) {
    uint32_t r = static_cast<uint32_t>(ValueAt(values, 0)) & 0xFF;
    uint32_t g = static_cast<uint32_t>(ValueAt(values, 1)) & 0xFF;
    uint32_t b = static_cast<uint32_t>(ValueAt(values, 2)) & 0xFF;
    return r | (g << 8) | (b << 16);
}

}  // namespace ui
