// Whole skin files through everything GetSkin does: decoding, tokenizer,
// block parser, includes and language files, merge, replacement table and
// classes; then what the windows do with the result.
//
// The input is up to four files separated by "\n@@\n": Main.txt (loaded),
// Common.txt, DefaultUIString.txt and A.txt, which the others may include.
#include <cstddef>
#include <cstdint>
#include <string>

#include "ui/SkinDump.h"
#include "ui/SkinLoader.h"
#include "ui/SkinParser.h"
#include "ui/SkinProperties.h"

namespace {

const char* const kNames[] = {"Main.txt", "Common.txt", "DefaultUIString.txt", "A.txt"};
const char kSeparator[] = "\n@@\n";

const ui::PropertySpec kSpecs[] = {
    {"Image", "siiii"}, {"Title", "s"}, {"Font", "sii"}, {"Position", "ii"}, {"Size", "ii"}};

void UseSkin(ui::SkinData& skin) {
    ui::InheritBaseFont(skin, "Base");
    ui::SkinError error;
    std::map<std::string, std::string> table;
    ui::ReadStringTable(skin, table, error);
    for (const auto& [name, item] : skin) {
        for (const ui::PropertySpec& spec : kSpecs) {
            ui::SkinError specError;
            if (ui::HasProperty(item, spec.key)) ui::CheckSkinProperties(item, &spec, 1, specError);
        }
        for (const auto& [key, values] : item.properties) {
            for (size_t first = 0; first <= values.size(); ++first) ui::ToRect(values, first);
            ui::ToItemRect(values, values);
            ui::ToColor(values);
            for (const std::string& value : values) ui::Unescape(value);
        }
    }
    ui::DumpSkinTree(skin, ui::SkinDumpCharset::kCp932);
    ui::DumpSkinTree(skin, ui::SkinDumpCharset::kUtf8);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    ui::CMemorySkinSource source;
    size_t pos = 0;
    for (const char* name : kNames) {
        size_t end = input.find(kSeparator, pos);
        source.Add(name,
                   input.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
        if (end == std::string::npos) break;
        pos = end + sizeof kSeparator - 1;
    }

    ui::SkinData skin;
    ui::SkinError error;
    if (ui::LoadAndResolveSkin(source, "Main.txt", skin, error)) UseSkin(skin);

    // The same bytes as a file of the folder mode.
    ui::ParsedSkinFile parsed;
    ui::SkinError folderError;
    ui::ParseSkinLines("Main.txt", ui::DecodeSkinFolderFile(input), parsed, folderError);
    return 0;
}
