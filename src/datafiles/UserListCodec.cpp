#include "datafiles/UserListCodec.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/CsvLine.h"
#include "common/Mbcs.h"

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Two characters of the outer layer back to one character code of the inner
// layer (halves exchanged back); -1 when either is not a hexadecimal digit.
int SwappedCode(char low, char high) {
    int lo = HexValue(low), hi = HexValue(high);
    if (lo < 0 || hi < 0) return -1;
    return hi * 16 + lo;
}

// Characters a folder name cannot hold, and the field separator.
constexpr char kFilteredChars[] = "\\/:*?\"<>|,";

unsigned long ParseUnsigned(const std::string& text, int base) {
    return std::strtoul(text.c_str(), nullptr, base);
}

}  // namespace

std::string EncodeUserListLine(const std::string& plain) {
    std::string out;
    out.reserve(plain.size() * 4);
    for (unsigned char b : plain) {
        for (char h : {kHexDigits[b >> 4], kHexDigits[b & 0xF]}) {
            unsigned code = static_cast<unsigned char>(h);
            unsigned swapped = ((code & 0x0F) << 4) | (code >> 4);
            out += kHexDigits[swapped >> 4];
            out += kHexDigits[swapped & 0xF];
        }
    }
    return out;
}

bool DecodeUserListLine(const std::string& encoded, std::string& plain) {
    plain.clear();
    if (encoded.size() % 4 != 0) return false;
    for (size_t i = 0; i < encoded.size(); i += 4) {
        int first = SwappedCode(encoded[i], encoded[i + 1]);
        int second = SwappedCode(encoded[i + 2], encoded[i + 3]);
        if (first < 0 || second < 0) return false;
        int hi = HexValue(static_cast<char>(first)), lo = HexValue(static_cast<char>(second));
        if (hi < 0 || lo < 0) return false;
        plain += static_cast<char>(hi * 16 + lo);
    }
    // The plain line is a C text: a coded zero ends it.
    size_t zero = plain.find('\0');
    if (zero != std::string::npos) plain.resize(zero);
    return true;
}

std::string MakeUserListPlainLine(const UserInfo& u) {
    char ccid[16];
    std::snprintf(ccid, sizeof ccid, "%X", static_cast<unsigned>(u.ccid));
    return u.deviceNo + "," + u.nickname + "," + u.dataPath + "," + u.userAgent + "," +
           std::to_string(static_cast<int>(u.isLastUser)) + "," + ccid + "," +
           std::to_string(static_cast<int>(u.modelType));
}

UserInfo ParseUserListPlainLine(const std::string& plain) {
    std::vector<std::string> f = SplitCsvLine(plain, ',');
    f.resize(7);  // missing fields stay empty or 0; more are ignored
    UserInfo u;
    u.deviceNo = f[0];
    u.nickname = f[1];
    u.dataPath = f[2];
    u.userAgent = f[3];
    u.isLastUser = static_cast<uint32_t>(ParseUnsigned(f[4], 10));
    u.ccid = static_cast<uint32_t>(ParseUnsigned(f[5], 16));
    u.modelType = static_cast<uint32_t>(ParseUnsigned(f[6], 10));
    return u;
}

std::vector<std::string> ParseUserListText(const std::string& text, UserMap& users) {
    std::vector<std::string> badLines;
    users.clear();
    size_t pos = 0;
    while (pos < text.size()) {
        // A line ends at CR LF; only where none follows does a bare LF end it.
        size_t end = text.find("\r\n", pos);
        size_t skip = 2;
        if (end == std::string::npos) {
            end = text.find('\n', pos);
            skip = 1;
        }
        const bool terminated = end != std::string::npos;
        if (!terminated) end = text.size();
        std::string line = text.substr(pos, end - pos);
        if (line.empty()) break;
        if (line.size() >= kUserListMaxLine) {
            if (!terminated) break;
            pos = end + skip;
            continue;
        }
        pos = terminated ? end + skip : text.size();
        if (line.size() % 4 != 0) {
            badLines.push_back(line);
            continue;
        }
        std::string plain;
        if (!DecodeUserListLine(line, plain)) continue;
        UserInfo u = ParseUserListPlainLine(plain);
        std::string key = u.deviceNo;
        users[key] = std::move(u);
    }
    return badLines;
}

std::string MakeUserListText(const UserMap& users) {
    std::string text;
    for (const auto& entry : users)
        text += EncodeUserListLine(MakeUserListPlainLine(entry.second)) + "\r\n";
    return text;
}

UserDataPath MakeUserDataPath(const std::string& userDataRoot, const char* nickname,
                              const UserMap& users) {
    UserDataPath out;
    if (!nickname) {
        out.badNickname = true;
        return out;
    }
    std::string& path = out.path;
    path = userDataRoot;
    const size_t rootLength = path.size();
    for (size_t i = 0; nickname[i]; ++i) {
        unsigned char c = static_cast<unsigned char>(nickname[i]);
        if (IsCp932LeadByte(c) && nickname[i + 1]) {
            // A double-byte character stays whole even when its trail byte
            // looks like a filtered character ("表" ends in a backslash).
            path += nickname[i];
            path += nickname[++i];
            continue;
        }
        if (std::strchr(kFilteredChars, c)) continue;
        path += static_cast<char>(c);
    }
    const std::string count = std::to_string(users.size());
    if (path.size() == rootLength) {
        out.nothingLeft = true;
        path += "USER" + count;
    }
    for (const auto& entry : users) {
        if (entry.second.dataPath != path) continue;
        std::string clashed = path;
        path += count;
        out.clashes.emplace_back(std::move(clashed), path);
    }
    return out;
}
