// skincheck - the skin author's checker.
//
//   skincheck [--utf8] [--window] [--out FILE] PATH\File.txt
//
// Loads File.txt from its folder the way the program's folder mode does
// (includes, language files, replacement table, classes), prints every error
// text the program would show in its "Skin Load" boxes, one per line after
// "error: ", and otherwise the resolved item tree (see ui/SkinDump.h).
// --window also does what a window does right after loading: checks the base
// block "Base" (the keys of the window and of the resizable window), gives
// the other items its Font, and asks for the "StringTable".
// --utf8 writes the tree and the errors in UTF-8 instead of code page 932.
// Exit code: 0 clean, 1 skin errors, 2 bad command line or output file.
//
// Built into the Windows builds beside Quillmarch.exe and, for skin authors
// without Wine, natively too (the folder is then read with the C library).
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "common/WholeFile.h"
#include "ui/SkinDump.h"
#include "ui/SkinLoader.h"
#include "ui/SkinProperties.h"

#if defined(_WIN32)
#include "ui/Skin.h"
using CheckerSource = ui::CFolderSkinSource;
#else
#include "ui/SkinParser.h"

// The folder mode's reading, with the C library.
class CStdioSkinSource : public ui::ISkinFileSource {
public:
    explicit CStdioSkinSource(const std::string& folder) : m_folder(folder) {}
    bool ReadSkinLines(const std::string& fileName, ui::SkinFileKind,
                       std::vector<std::wstring>& lines) override {
        std::string bytes;
        if (!ReadWholeFile(m_folder + fileName, bytes).Ok()) return false;
        lines = ui::DecodeSkinFolderFile(bytes);
        return true;
    }

private:
    std::string m_folder;
};
using CheckerSource = CStdioSkinSource;
#endif

namespace {

const ui::PropertySpec kWindowBaseSpecs[] = {
    {"Image", "siiii"},   {"Title", "s"},       {"CaptionHeight", "i"}, {"Font", "sii"},
    {"BorderWidth", "i"}, {"DivPoint", "iiii"}, {"MinSize", "ii"},      {"LayoutSize", "ii"},
};

int Usage() {
    std::fputs("usage: skincheck [--utf8] [--window] [--out FILE] PATH\\File.txt\n", stderr);
    return 2;
}

bool CheckWindow(ui::SkinData& skin, ui::SkinError& error) {
    const ui::SkinItem* base = ui::FindSkinItem(skin, "Base");
    if (!base) {
        error.Set(ui::MissingItemText("Base"));
        return false;
    }
    if (!ui::CheckSkinProperties(*base, kWindowBaseSpecs,
                                 sizeof kWindowBaseSpecs / sizeof kWindowBaseSpecs[0], error))
        return false;
    ui::InheritBaseFont(skin, "Base");
    std::map<std::string, std::string> table;
    return ui::ReadStringTable(skin, table, error);
}

}  // namespace

int main(int argc, char** argv) {
    bool utf8 = false;
    bool window = false;
    std::string outPath;
    std::string path;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--utf8") == 0) {
            utf8 = true;
        } else if (std::strcmp(argv[i], "--window") == 0) {
            window = true;
        } else if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) {
            outPath = argv[++i];
        } else if (argv[i][0] == '-' || !path.empty()) {
            return Usage();
        } else {
            path = argv[i];
        }
    }
    if (path.empty()) return Usage();

    const size_t slash = path.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? ".\\" : path.substr(0, slash + 1);
    const std::string fileName = slash == std::string::npos ? path : path.substr(slash + 1);

    CheckerSource source(folder);
    ui::SkinData skin;
    ui::SkinError error;
    bool ok = ui::LoadAndResolveSkin(source, fileName, skin, error);
    if (ok && window) ok = CheckWindow(skin, error);

    const ui::SkinDumpCharset charset =
        utf8 ? ui::SkinDumpCharset::kUtf8 : ui::SkinDumpCharset::kCp932;
    std::string text;
    if (ok) {
        text = ui::DumpSkinTree(skin, charset);
    } else {
        for (const std::string& message : error.messages)
            text += "error: " + (utf8 ? ui::Cp932ToUtf8(message) : message) + "\n";
    }

    FILE* out = stdout;
    if (!outPath.empty()) {
        out = std::fopen(outPath.c_str(), "wb");
        if (!out) {
            std::fprintf(stderr, "skincheck: cannot write %s\n", outPath.c_str());
            return 2;
        }
    }
    std::fwrite(text.data(), 1, text.size(), out);
    if (out != stdout) std::fclose(out);
    return ok ? 0 : 1;
}
