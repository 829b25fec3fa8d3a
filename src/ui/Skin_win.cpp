#include "common/CriticalSection.h"
#include "common/FileHelpers.h"
#include "common/KilnLog.h"
#include "common/Mbcs.h"
#include "common/WholeFile.h"
#include "common/WinHandle.h"
#include "ui/Skin.h"
#include "ui/SkinParser.h"

namespace ui {

namespace {

const char kSkinResourceType[] = "Skin";
const char kSkinErrorCaption[] = "Skin Load";

// Process-wide skin state: the source switch and the cache. One critical
// section guards both; it is held across a whole load so that two windows
// asking for the same file load it once.
class CSkinState : public qm::CCriticalSection {
public:
    using CLock = qm::CCriticalSection::CLock;

    HMODULE skinModule = nullptr;
    HMODULE languageModule = nullptr;
    HMODULE imageModule = nullptr;
    bool folderMode = false;
    std::string folder;
    ISkinFileSource* otherSource = nullptr;
    std::map<std::string, SkinData> cache;
};

CSkinState& State() {
    static CSkinState state;
    return state;
}

std::string DefaultSkinFolder() { return GetExeFolder() + "Skin\\"; }

}  // namespace

// --- errors -------------------------------------------------------------------------------

void ShowSkinError(const std::string& text) {
    KILNLOG.Log(LOG_ERROR, "ui::ShowSkinError - スキン読込エラー %s", text.c_str());
    ::MessageBoxA(nullptr, text.c_str(), kSkinErrorCaption, MB_ICONHAND);
    throw CSkinWindowException(text);
}

void ShowSkinErrors(const SkinError& error) {
    for (size_t i = 0; i + 1 < error.messages.size(); ++i) {
        KILNLOG.Log(LOG_ERROR, "ui::ShowSkinError - スキン読込エラー %s",
                    error.messages[i].c_str());
        ::MessageBoxA(nullptr, error.messages[i].c_str(), kSkinErrorCaption, MB_ICONHAND);
    }
    ShowSkinError(error.Text());
}

// --- sources ----------------------------------------------------------------------------------

bool CResourceSkinSource::ReadResource(HMODULE module, const std::string& name,
                                       std::string& bytes) {
    HRSRC info = ::FindResourceA(module, name.c_str(), kSkinResourceType);
    if (!info) return false;
    HGLOBAL data = ::LoadResource(module, info);
    DWORD size = ::SizeofResource(module, info);
    const void* view = data ? ::LockResource(data) : nullptr;
    if (!view || size == 0) {
        KILNLOG.Log(LOG_ERROR, "CResourceSkinSource::ReadResource - %s 読込失敗 ERR:0x%08X",
                    name.c_str(), static_cast<unsigned>(::GetLastError()));
        return false;
    }
    bytes.assign(static_cast<const char*>(view), size);
    return true;
}

bool CResourceSkinSource::ReadSkinLines(const std::string& fileName, SkinFileKind kind,
                                        std::vector<std::wstring>& lines) {
    std::string bytes;
    bool found = false;
    if (kind == SkinFileKind::kLanguage) {
        found = ReadResource(m_languageModule, fileName, bytes);
    } else {
        found = ReadResource(m_languageModule, fileName, bytes) ||
                (m_skinModule != m_languageModule && ReadResource(m_skinModule, fileName, bytes));
    }
    if (!found || bytes.empty()) {
        KILNLOG.Log(LOG_ERROR, "CResourceSkinSource::ReadSkinLines - %s なし ERR:0x%08X",
                    fileName.c_str(), static_cast<unsigned>(::GetLastError()));
        return false;
    }
    lines = DecodeSkinResource(bytes);
    return true;
}

bool CFolderSkinSource::ReadWholeFile(const std::string& path, std::string& bytes) {
    const WholeFileResult r = ::ReadWholeFile(path, bytes);
    if (r.NotOpened()) {
        KILNLOG.Log(LOG_ERROR, "CFolderSkinSource::ReadWholeFile - %s オープン失敗 ERR:0x%08X",
                    path.c_str(), static_cast<unsigned>(r.error));
        return false;
    }
    if (!r.Ok()) {
        KILNLOG.Log(LOG_ERROR, "CFolderSkinSource::ReadWholeFile - %s 読込失敗 ERR:0x%08X",
                    path.c_str(), static_cast<unsigned>(r.error));
        return false;
    }
    return true;
}

bool CFolderSkinSource::ReadSkinLines(const std::string& fileName, SkinFileKind,
                                      std::vector<std::wstring>& lines) {
    std::string bytes;
    if (!ReadWholeFile(m_folder + fileName, bytes)) return false;
    lines = DecodeSkinFolderFile(bytes);
    return true;
}

// --- the source switch and the cache -----------------------------------------------------

void SetSkinResourceMode(HMODULE skinModule, HMODULE languageModule, HMODULE imageModule) {
    CSkinState& state = State();
    CSkinState::CLock lock(state);
    state.folderMode = false;
    state.folder.clear();
    state.skinModule = skinModule;
    state.languageModule = languageModule;
    state.imageModule = imageModule;
}

void SetSkinFolderMode(const std::string& folder) {
    CSkinState& state = State();
    CSkinState::CLock lock(state);
    state.folderMode = true;
    state.folder = folder.empty() ? DefaultSkinFolder() : folder;
    if (state.folder.back() != '\\' && state.folder.back() != '/') state.folder += '\\';
}

std::string GetSkinFolder() {
    CSkinState& state = State();
    CSkinState::CLock lock(state);
    return state.folderMode ? state.folder : std::string();
}

void SetSkinSource(ISkinFileSource* source) {
    CSkinState& state = State();
    CSkinState::CLock lock(state);
    state.otherSource = source;
}

void ClearSkinCache() {
    CSkinState& state = State();
    CSkinState::CLock lock(state);
    state.cache.clear();
}

SkinData GetSkin(const std::string& fileName) {
    CSkinState& state = State();
    CSkinState::CLock lock(state);
    auto cached = state.cache.find(fileName);
    if (cached != state.cache.end()) return cached->second;

    CResourceSkinSource resources(state.skinModule, state.languageModule);
    CFolderSkinSource folder(state.folder);
    ISkinFileSource& source = state.otherSource  ? *state.otherSource
                              : state.folderMode ? static_cast<ISkinFileSource&>(folder)
                                                 : static_cast<ISkinFileSource&>(resources);
    SkinData skin;
    SkinError error;
    if (!LoadAndResolveSkin(source, fileName, skin, error)) ShowSkinErrors(error);
    return state.cache.emplace(fileName, std::move(skin)).first->second;
}

namespace {

bool HasLangSuffix(const std::string& name) {
    return name.size() > 5 && name.compare(name.size() - 5, 5, "/lang") == 0;
}

}  // namespace

std::string SkinImagePath(const std::string& name) {
    CSkinState& state = State();
    std::string folder;
    {
        CSkinState::CLock lock(state);
        folder = state.folderMode ? state.folder : DefaultSkinFolder();
    }
    return folder + (HasLangSuffix(name) ? name.substr(0, name.size() - 5) : name);
}

std::string LoadSkinImage(const std::string& name) {
    std::string bytes;
    if (!TryLoadSkinImage(name, bytes)) ShowSkinError(SkinImagePath(name) + "が読み込めません.");
    return bytes;
}

bool TryLoadSkinImage(const std::string& name, std::string& bytes) {
    CSkinState& state = State();
    HMODULE module = nullptr;
    bool folderMode = false;
    {
        CSkinState::CLock lock(state);
        module = state.imageModule;
        folderMode = state.folderMode;
        if (!state.folderMode && HasLangSuffix(name))
            module = state.languageModule ? state.languageModule : state.skinModule;
    }
    const std::string resourceName = HasLangSuffix(name) ? name.substr(0, name.size() - 5) : name;
    const std::string path = SkinImagePath(name);
    bytes.clear();
    const bool read = folderMode ? CFolderSkinSource::ReadWholeFile(path, bytes)
                                 : CResourceSkinSource::ReadResource(module, resourceName, bytes);
    return read && !bytes.empty();
}

// --- checks that show their failure ------------------------------------------------------

const SkinItem& GetItem(const SkinData& skin, const std::string& itemName) {
    const SkinItem* item = FindSkinItem(skin, itemName);
    if (!item) ShowSkinError(MissingItemText(itemName));
    return *item;
}

void RequireItems(const SkinData& skin, const char* const* names, size_t count) {
    SkinError error;
    if (!CheckRequiredItems(skin, names, count, error)) ShowSkinErrors(error);
}

void CheckProperties(const SkinItem& item, const PropertySpec* specs, size_t count) {
    SkinError error;
    if (!CheckSkinProperties(item, specs, count, error)) ShowSkinErrors(error);
}

std::map<std::string, std::string> GetStringTable(const SkinData& skin) {
    std::map<std::string, std::string> table;
    SkinError error;
    if (!ReadStringTable(skin, table, error)) ShowSkinErrors(error);
    return table;
}

LOGFONTA ToLogFont(const SkinValues& values) {
    LOGFONTA font = {};
    // Negated in 32-bit wrapping arithmetic: the smallest integer stays as it is.
    const int32_t size = values.size() > 1 ? ParseSkinInteger(values[1]) : 0;
    font.lfHeight = static_cast<LONG>(0u - static_cast<uint32_t>(size));
    font.lfWeight = values.size() > 2 ? ParseSkinInteger(values[2]) : 0;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = ANTIALIASED_QUALITY;
    // Cut to the field, never between the two bytes of a character.
    const std::string name = values.empty() ? std::string() : values[0];
    size_t length = 0;
    while (length < name.size()) {
        size_t step = IsCp932LeadByte(static_cast<unsigned char>(name[length])) ? 2 : 1;
        if (length + step > LF_FACESIZE - 1) break;
        length += step;
    }
    name.copy(font.lfFaceName, length);
    return font;
}

}  // namespace ui
