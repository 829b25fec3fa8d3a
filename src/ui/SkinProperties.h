#pragma once
// Reading a loaded skin: item lookup, the typed property check, the string
// table and the value conversions. The shell wraps the checks into the
// throwing forms the windows call (GetItem, RequireItems, CheckProperties,
// GetStringTable in ui/Skin.h).
#include <cstdint>
#include <map>
#include <string>

#include "ui/SkinData.h"

namespace ui {

bool HasProperty(const SkinItem& item, const std::string& key);

// The item of that name, or null.
const SkinItem* FindSkinItem(const SkinData& skin, const std::string& name);
// "<name>が記述されていません"
std::string MissingItemText(const std::string& name);
// The first of names the skin lacks gives the missing-item error.
bool CheckRequiredItems(const SkinData& skin, const char* const* names, size_t count,
                        SkinError& error);

// Each PropertySpec in order: the key must be there with exactly as many
// values as it names types. The types themselves are not checked.
bool CheckSkinProperties(const SkinItem& item, const PropertySpec* specs, size_t count,
                         SkinError& error);

// "\n", then "\r", then "\0x22" to line feed, carriage return and double
// quote. Double-byte characters are stepped over whole: a trail byte that
// happens to be a backslash starts no escape.
std::string Unescape(const std::string& text);

// The item "StringTable": every key with a value, its first value unescaped.
bool ReadStringTable(const SkinData& skin, std::map<std::string, std::string>& table,
                     SkinError& error);

// The base block's "Font" for every other item: copied where missing, and
// filling empty values position by position where present.
void InheritBaseFont(SkinData& skin, const std::string& baseName);

// strtol in base 10 (leading blanks and a sign allowed, no number gives 0),
// held to the 32-bit range as the Windows LONG is.
int32_t ParseSkinInteger(const std::string& text);

struct SkinRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// Four integers from values[first] on: left, top, right, bottom. A missing
// value counts as 0.
SkinRect ToRect(const SkinValues& values, size_t first);
// Position (x, y) and Size (w, h): x, y, x + w, y + h.
SkinRect ToItemRect(const SkinValues& position, const SkinValues& size);
// r, g, b masked to 8 bits each, as a COLORREF (r in the low byte).
uint32_t ToColor(const SkinValues& values);

}  // namespace ui
