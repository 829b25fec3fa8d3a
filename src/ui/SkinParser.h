#pragma once
// Reading one skin definition file: bytes to lines, lines to tokens, tokens
// to items. Includes are only collected here; SkinLoader follows them.
#include <string>
#include <vector>

#include "ui/SkinData.h"

namespace ui {

// The lines of a skin file carried as a resource: UTF-16LE after an FF FE
// mark, otherwise code page 932 text. The text ends at its first zero
// character; lines end at CR LF only (a lone CR or LF is an ordinary
// character).
std::vector<std::wstring> DecodeSkinResource(const std::string& bytes);

// The lines of a skin file read from a folder: UTF-16LE when the second byte
// is FE (read from the third byte on), otherwise code page 932. Lines end at
// LF; a CR just before it is dropped, as text-mode reading does. Each line
// ends at its first zero character.
std::vector<std::wstring> DecodeSkinFolderFile(const std::string& bytes);

// Removes everything from the first "//" on, inside quotes as well.
std::wstring CutSkinComment(const std::wstring& line);

// Splits one line (comment already cut) into tokens.
std::vector<SkinToken> TokenizeSkinLine(const std::wstring& line);

// A token as a value: code page 932 text.
std::string SkinTokenToText(const std::wstring& token);

struct ParsedSkinFile {
    SkinData items;
    std::vector<std::string> includes;   // #include names, in order written
    std::vector<std::string> languages;  // #language names, in order written
};

// Parses the lines of one file (line 0 is the header and is skipped). On a
// syntax error returns false with "<file> line <n>:<message>"; what was read
// up to the error stays in out.
bool ParseSkinLines(const std::string& fileName, const std::vector<std::wstring>& lines,
                    ParsedSkinFile& out, SkinError& error);

}  // namespace ui
