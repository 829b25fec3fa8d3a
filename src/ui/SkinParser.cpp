#include "ui/SkinParser.h"

#include <algorithm>

#include "common/CodePage.h"

namespace ui {

namespace {

// --- bytes to lines -----------------------------------------------------------

// UTF-16LE code units from offset on, up to the first zero unit. Wide
// strings are UTF-32 outside Windows: surrogate pairs become one character
// there so that the code-page conversion sees the real character.
std::wstring Utf16LeText(const std::string& bytes, size_t offset) {
    std::wstring text;
    text.reserve((bytes.size() - offset) / 2);
    for (size_t i = offset; i + 1 < bytes.size(); i += 2) {
        unsigned unit = static_cast<unsigned char>(bytes[i]) |
                        (static_cast<unsigned>(static_cast<unsigned char>(bytes[i + 1])) << 8);
        if (unit == 0) break;
        if (sizeof(wchar_t) == 4 && unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
            unsigned low = static_cast<unsigned char>(bytes[i + 2]) |
                           (static_cast<unsigned>(static_cast<unsigned char>(bytes[i + 3])) << 8);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                text.push_back(
                    static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
                i += 2;
                continue;
            }
        }
        text.push_back(static_cast<wchar_t>(unit));
    }
    return text;
}

// Code page 932 text to wide text; plain ASCII needs no conversion call.
std::wstring AnsiLine(const std::string& line) {
    for (unsigned char c : line)
        if (c >= 0x80) return AnsiToWide(line);
    return std::wstring(line.begin(), line.end());
}

template <typename String>
std::vector<String> SplitAt(const String& text, const String& separator) {
    std::vector<String> lines;
    size_t pos = 0;
    for (;;) {
        size_t end = text.find(separator, pos);
        if (end == String::npos) break;
        lines.push_back(text.substr(pos, end - pos));
        pos = end + separator.size();
    }
    // What follows the last line end is a line of its own unless empty.
    if (pos < text.size()) lines.push_back(text.substr(pos));
    return lines;
}

bool IsDelimiter(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'{' || c == L'}' || c == L',' || c == L';' ||
           c == L'=' || c == L'\\';
}

// --- block parser ---------------------------------------------------------------

enum ParserState {
    kOutside = 0,
    kAfterInclude = 1,
    kAfterLanguage = 2,
    kAfterItemName = 3,
    kInBlock = 4,
    kAfterKey = 5,
    kValueExpected = 6,
    kAfterBackslash = 7,
    kAfterValue = 8,
};

// The delimiter a token stands for, or 0 for text.
wchar_t DelimiterOf(const SkinToken& token) {
    if (token.quoted || token.text.size() != 1) return 0;
    return IsDelimiter(token.text[0]) ? token.text[0] : 0;
}

bool EqualsNoCase(const std::wstring& text, const char* ascii) {
    size_t n = std::strlen(ascii);
    if (text.size() != n) return false;
    for (size_t i = 0; i < n; ++i) {
        wchar_t c = text[i];
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != static_cast<wchar_t>(ascii[i])) return false;
    }
    return true;
}

}  // namespace

std::vector<std::wstring> DecodeSkinResource(const std::string& bytes) {
    std::vector<std::wstring> lines;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        return SplitAt<std::wstring>(Utf16LeText(bytes, 2), L"\r\n");
    }
    std::string text = bytes.substr(0, bytes.find('\0'));
    for (const std::string& line : SplitAt<std::string>(text, "\r\n"))
        lines.push_back(AnsiLine(line));
    return lines;
}

std::vector<std::wstring> DecodeSkinFolderFile(const std::string& bytes) {
    std::vector<std::wstring> lines;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[1]) == 0xFE) {
        for (std::wstring& line : SplitAt<std::wstring>(Utf16LeText(bytes, 2), L"\n")) {
            if (!line.empty() && line.back() == L'\r') line.pop_back();
            lines.push_back(std::move(line));
        }
        // Utf16LeText stops at a zero unit; the rest of the file is not read.
        return lines;
    }
    for (std::string& line : SplitAt<std::string>(bytes, "\n")) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        line.resize(std::min(line.size(), line.find('\0')));
        lines.push_back(AnsiLine(line));
    }
    return lines;
}

std::wstring CutSkinComment(const std::wstring& line) {
    size_t pos = line.find(L"//");
    return pos == std::wstring::npos ? line : line.substr(0, pos);
}

std::vector<SkinToken> TokenizeSkinLine(const std::wstring& line) {
    std::vector<SkinToken> tokens;
    SkinToken current;
    bool inString = false;
    auto push = [&]() {
        if (!current.text.empty()) tokens.push_back(std::move(current));
        current = SkinToken();
    };
    for (wchar_t c : line) {
        if (inString) {
            if (c == L'"') {
                push();
                inString = false;
            } else {
                current.text.push_back(c);
            }
        } else if (c == L'"') {
            inString = true;
            current.quoted = true;
        } else if (IsDelimiter(c)) {
            push();
            if (c != L' ' && c != L'\t') tokens.push_back(SkinToken{std::wstring(1, c), false});
        } else {
            current.text.push_back(c);
        }
    }
    push();
    return tokens;
}

std::string SkinTokenToText(const std::wstring& token) {
    for (wchar_t c : token)
        if (static_cast<unsigned long>(c) >= 0x80) return WideToAnsi(token);
    return std::string(token.begin(), token.end());
}

bool ParseSkinLines(const std::string& fileName, const std::vector<std::wstring>& lines,
                    ParsedSkinFile& out, SkinError& error) {
    int state = kOutside;
    SkinItem* item = nullptr;
    SkinValues* values = nullptr;
    for (size_t index = 1; index < lines.size(); ++index) {
        std::wstring line = CutSkinComment(lines[index]);
        if (line.empty()) continue;
        for (const SkinToken& token : TokenizeSkinLine(line)) {
            const wchar_t delimiter = DelimiterOf(token);
            const char* message = nullptr;
            std::string argument;
            switch (state) {
                case kOutside:
                    if (delimiter) {
                        message = "アイテム名が存在しません。";
                    } else if (EqualsNoCase(token.text, "#include")) {
                        state = kAfterInclude;
                    } else if (EqualsNoCase(token.text, "#language")) {
                        state = kAfterLanguage;
                    } else if (token.text[0] == L'#') {
                        message = "%sは異常なプリプロセッサ命令です。";
                        argument = SkinTokenToText(token.text);
                    } else {
                        std::string name = SkinTokenToText(token.text);
                        item = &out.items[name];
                        item->name = name;
                        state = kAfterItemName;
                    }
                    break;
                case kAfterInclude:
                case kAfterLanguage:
                    if (delimiter) {
                        message = state == kAfterInclude ? "#includeの構文が不正です。"
                                                         : "#languageの構文が不正です。";
                    } else {
                        (state == kAfterInclude ? out.includes : out.languages)
                            .push_back(SkinTokenToText(token.text));
                        state = kOutside;
                    }
                    break;
                case kAfterItemName:
                    if (delimiter == L'{')
                        state = kInBlock;
                    else
                        message = "{が見つかりません。";
                    break;
                case kInBlock:
                    if (delimiter == L'}') {
                        item = nullptr;
                        state = kOutside;
                    } else if (delimiter) {
                        message = "}が見つかりません。";
                    } else {
                        values = &item->properties[SkinTokenToText(token.text)];
                        state = kAfterKey;
                    }
                    break;
                case kAfterKey:
                    if (delimiter == L'=')
                        state = kValueExpected;
                    else
                        message = "=が見つかりません。";
                    break;
                case kValueExpected:
                    if (delimiter == L',') {
                        values->emplace_back();
                    } else if (delimiter == L';') {
                        values->emplace_back();
                        state = kInBlock;
                    } else if (delimiter) {
                        message = ";が見つかりません。";
                    } else {
                        values->push_back(SkinTokenToText(token.text));
                        state = kAfterValue;
                    }
                    break;
                case kAfterBackslash:
                    if (!delimiter && token.quoted) {
                        values->back() += SkinTokenToText(token.text);
                        state = kAfterValue;
                    } else {
                        message = "\\の次は文字列で無ければなりません。";
                    }
                    break;
                case kAfterValue:
                    if (delimiter == L',') {
                        state = kValueExpected;
                    } else if (delimiter == L';') {
                        state = kInBlock;
                    } else if (delimiter == L'\\') {
                        if (values->empty())
                            message = "\\の使用が不正です。";
                        else
                            state = kAfterBackslash;
                    } else if (delimiter) {
                        message = ",または;が必要です。";
                    } else {
                        message = "区切り文字が見つかりません。";
                    }
                    break;
            }
            if (message) {
                std::string text = message;
                size_t mark = text.find("%s");
                if (mark != std::string::npos) text.replace(mark, 2, argument);
                error.Set(fileName + " line " + std::to_string(index + 1) + ":" + text);
                error.file = fileName;
                error.line = static_cast<int>(index + 1);
                return false;
            }
        }
    }
    return true;
}

}  // namespace ui
