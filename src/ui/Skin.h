#pragma once
// The skin files as the windows use them: GetSkin with its process-wide
// cache, the throwing checks, the font conversion, and where the files come
// from (the program's resources of type "Skin", or the folder "Skin" beside
// the executable while a skin is being written).
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "ui/SkinData.h"
#include "ui/SkinLoader.h"
#include "ui/SkinProperties.h"
#include "ui/SkinWindowException.h"

namespace ui {

// Message box "Skin Load" (stop icon, no owner) with the text, then throws
// CSkinWindowException(text).
[[noreturn]] void ShowSkinError(const std::string& text);
// Every text of the error in turn, the last one through ShowSkinError.
[[noreturn]] void ShowSkinErrors(const SkinError& error);

// The cached skin of the file (a copy), loaded on first use. A file that
// fails is shown and thrown, and not cached.
SkinData GetSkin(const std::string& fileName);

const SkinItem& GetItem(const SkinData& skin, const std::string& itemName);
void RequireItems(const SkinData& skin, const char* const* names, size_t count);
void CheckProperties(const SkinItem& item, const PropertySpec* specs, size_t count);
std::map<std::string, std::string> GetStringTable(const SkinData& skin);

// Name, size, weight: an anti-aliased font of the default character set.
LOGFONTA ToLogFont(const SkinValues& values);

// --- where skin files come from ---------------------------------------------------

// Resources of type "Skin": the language module first (when it has the file)
// for any file, the language module for #language files, the skin module
// otherwise. Null handles are the program itself.
class CResourceSkinSource : public ISkinFileSource {
public:
    CResourceSkinSource(HMODULE skinModule, HMODULE languageModule)
        : m_skinModule(skinModule), m_languageModule(languageModule) {}
    bool ReadSkinLines(const std::string& fileName, SkinFileKind kind,
                       std::vector<std::wstring>& lines) override;
    // The raw bytes of a resource of type "Skin" (also the images).
    static bool ReadResource(HMODULE module, const std::string& name, std::string& bytes);

private:
    HMODULE m_skinModule;
    HMODULE m_languageModule;
};

// Files in one folder (path ending in '\').
class CFolderSkinSource : public ISkinFileSource {
public:
    explicit CFolderSkinSource(const std::string& folder) : m_folder(folder) {}
    bool ReadSkinLines(const std::string& fileName, SkinFileKind kind,
                       std::vector<std::wstring>& lines) override;
    static bool ReadWholeFile(const std::string& path, std::string& bytes);

private:
    std::string m_folder;
};

// The skin source switch. Resource mode is the program's; folder mode reads
// "Skin\" beside the executable unless another folder is given. Neither
// clears the cache: call before the first GetSkin.
void SetSkinResourceMode(HMODULE skinModule, HMODULE languageModule, HMODULE imageModule);
void SetSkinFolderMode(const std::string& folder = std::string());
// The folder of folder mode ("<exe folder>Skin\" by default); empty in
// resource mode.
std::string GetSkinFolder();

// The bytes of an image named by a skin ("Parts.png"; "Base.png/lang" from
// the language module). A missing image shows "<folder><name>が読み込めません."
// and throws.
std::string LoadSkinImage(const std::string& name);
// The same without the error: false when the image cannot be read.
bool TryLoadSkinImage(const std::string& name, std::string& bytes);
// The path the image error names for an image ("<folder><name>" without "/lang").
std::string SkinImagePath(const std::string& name);

// Any other source in place of the switch (tests); null gives the switch back.
// The source must outlive its use.
void SetSkinSource(ISkinFileSource* source);

// Forgets every cached skin (tests only).
void ClearSkinCache();

}  // namespace ui
