#include "ui/SkinLoader.h"

#include <algorithm>

#include "ui/SkinParser.h"
#include "ui/SkinProperties.h"

namespace ui {

const char kSkinOpenError[] = "skin file open error";

// --- memory source ---------------------------------------------------------------

std::string CMemorySkinSource::Fold(const std::string& name) {
    std::string folded = name;
    for (char& c : folded)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return folded;
}

void CMemorySkinSource::Add(const std::string& fileName, const std::string& bytes) {
    m_files[Fold(fileName)] = bytes;
}

bool CMemorySkinSource::ReadSkinLines(const std::string& fileName, SkinFileKind,
                                      std::vector<std::wstring>& lines) {
    ++m_reads[Fold(fileName)];
    auto it = m_files.find(Fold(fileName));
    // An empty resource is as good as a missing one.
    if (it == m_files.end() || it->second.empty()) return false;
    lines = DecodeSkinResource(it->second);
    return true;
}

int CMemorySkinSource::ReadCount(const std::string& fileName) const {
    auto it = m_reads.find(Fold(fileName));
    return it == m_reads.end() ? 0 : it->second;
}

// --- loading -------------------------------------------------------------------------

namespace {

// Puts under result what the included file has and result lacks: the
// including file wins key by key. Walking the included file rather than the
// result keeps the cost with the (usually small) included file.
void MergeUnder(SkinData& result, SkinData&& included) {
    for (auto& [name, item] : included) {
        auto [target, inserted] = result.try_emplace(name);
        if (inserted) {
            target->second = std::move(item);
            continue;
        }
        for (auto& [key, values] : item.properties)
            target->second.properties.try_emplace(key, std::move(values));
    }
}

}  // namespace

bool LoadSkinFile(ISkinFileSource& source, const std::string& fileName, SkinFileKind kind,
                  std::vector<std::string>& includeDone, std::vector<std::string>& languageDone,
                  SkinData& out, SkinError& error) {
    std::vector<std::wstring> lines;
    if (!source.ReadSkinLines(fileName, kind, lines)) {
        error.Set(kSkinOpenError);
        return false;
    }
    ParsedSkinFile parsed;
    if (!ParseSkinLines(fileName, lines, parsed, error)) return false;

    SkinData result = std::move(parsed.items);
    const struct {
        const std::vector<std::string>* names;
        std::vector<std::string>* done;
        SkinFileKind kind;
    } lists[] = {{&parsed.includes, &includeDone, SkinFileKind::kAny},
                 {&parsed.languages, &languageDone, SkinFileKind::kLanguage}};
    for (const auto& list : lists) {
        for (const std::string& name : *list.names) {
            if (std::find(list.done->begin(), list.done->end(), name) != list.done->end()) continue;
            list.done->push_back(name);
            SkinData included;
            if (!LoadSkinFile(source, name, list.kind, includeDone, languageDone, included,
                              error)) {
                // Shown once as it is and once more as this file's failure.
                error.messages.push_back("[" + name + "の取り込みエラー]" + error.Text());
                return false;
            }
            MergeUnder(result, std::move(included));
        }
    }
    out = std::move(result);
    return true;
}

void ApplyReplacementTable(SkinData& skin) {
    auto tableItem = skin.find("ReplacementTable");
    if (tableItem == skin.end()) return;
    std::map<std::string, std::string> table;
    for (const auto& [pattern, values] : tableItem->second.properties)
        table[pattern] = values.empty() ? std::string() : values.front();
    skin.erase(tableItem);
    for (auto& [name, item] : skin) {
        for (auto& [key, values] : item.properties) {
            for (std::string& value : values) {
                auto hit = table.find(value);
                if (hit != table.end()) value = hit->second;
            }
        }
    }
}

namespace {

// Follows the chain item -> its class -> the class's class ... down to an
// item without "Class", removing each "Class" key on the way (so a cycle
// ends), then lays every class under the item that names it, deepest first.
// A loop rather than recursion: a chain as long as the file allows must not
// exhaust the stack.
bool ResolveClass(SkinData& skin, SkinItem& item, SkinError& error) {
    static const PropertySpec kClassSpec[] = {{"Class", "s"}};
    std::vector<std::pair<SkinItem*, const SkinItem*>> chain;
    SkinItem* current = &item;
    for (;;) {
        auto classKey = current->properties.find("Class");
        if (classKey == current->properties.end()) break;
        if (!CheckSkinProperties(*current, kClassSpec, 1, error)) return false;
        const std::string className = classKey->second.front();
        current->properties.erase(classKey);
        auto base = skin.find(className);
        if (base == skin.end()) {
            error.Set(current->name + " 無効な Class(" + className + ")が指定されました");
            return false;
        }
        chain.emplace_back(current, &base->second);
        current = &base->second;
    }
    for (auto link = chain.rbegin(); link != chain.rend(); ++link) {
        std::map<std::string, SkinValues> merged = link->second->properties;
        for (auto& [key, values] : link->first->properties) merged[key] = std::move(values);
        link->first->properties = std::move(merged);
    }
    return true;
}

}  // namespace

bool ResolveClasses(SkinData& skin, SkinError& error) {
    for (auto& [name, item] : skin)
        if (!ResolveClass(skin, item, error)) return false;
    return true;
}

bool LoadAndResolveSkin(ISkinFileSource& source, const std::string& fileName, SkinData& out,
                        SkinError& error) {
    std::vector<std::string> includeDone;
    std::vector<std::string> languageDone;
    SkinData skin;
    if (!LoadSkinFile(source, fileName, SkinFileKind::kAny, includeDone, languageDone, skin, error))
        return false;
    ApplyReplacementTable(skin);
    if (!ResolveClasses(skin, error)) return false;
    out = std::move(skin);
    return true;
}

}  // namespace ui
