#pragma once
// Loading a skin file with its #include and #language files, then the
// replacement table and class inheritance: everything GetSkin does except
// the cache and the message box.
#include <map>
#include <string>
#include <vector>

#include "ui/SkinData.h"

namespace ui {

enum class SkinFileKind {
    kAny,       // the top file or an #include: language module first, else the skin module
    kLanguage,  // a #language file: the language module
};

// Where skin files come from: the program's resources, a folder on disk, or
// memory in tests and tools.
class ISkinFileSource {
public:
    virtual ~ISkinFileSource() = default;
    // The file's lines (DecodeSkinResource / DecodeSkinFolderFile). False when
    // the file is missing, empty or cannot be read.
    virtual bool ReadSkinLines(const std::string& fileName, SkinFileKind kind,
                               std::vector<std::wstring>& lines) = 0;
};

// Files held in memory, found without regard to ASCII case like resources
// are, decoded as resources. Counts the reads of every file.
class CMemorySkinSource : public ISkinFileSource {
public:
    void Add(const std::string& fileName, const std::string& bytes);
    bool ReadSkinLines(const std::string& fileName, SkinFileKind kind,
                       std::vector<std::wstring>& lines) override;
    int ReadCount(const std::string& fileName) const;

private:
    static std::string Fold(const std::string& name);
    std::map<std::string, std::string> m_files;  // by folded name
    std::map<std::string, int> m_reads;
};

extern const char kSkinOpenError[];  // "skin file open error"

// One file and, recursively, what it includes. The done lists hold the files
// already read in this load (each file is read at most once). The including
// file overrides per property; earlier includes override later ones, and
// includes override language files.
bool LoadSkinFile(ISkinFileSource& source, const std::string& fileName, SkinFileKind kind,
                  std::vector<std::string>& includeDone, std::vector<std::string>& languageDone,
                  SkinData& out, SkinError& error);

// Removes the item "ReplacementTable" and replaces every value equal to one
// of its keys by that key's first value. A replacement is not itself replaced.
void ApplyReplacementTable(SkinData& skin);

// Resolves "Class" of every item, in name order; chains of any length.
bool ResolveClasses(SkinData& skin, SkinError& error);

// LoadSkinFile with fresh done lists, then the replacement table and classes.
bool LoadAndResolveSkin(ISkinFileSource& source, const std::string& fileName, SkinData& out,
                        SkinError& error);

}  // namespace ui
