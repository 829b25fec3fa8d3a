// The user list: any file text parses without harm, and every parsed list
// written out and read back is the same list.
#include <cstdlib>
#include <string>

#include "common/LogCapture.h"
#include "datafiles/UserListCodec.h"

namespace {
bool Same(const UserMap& a, const UserMap& b) {
    if (a.size() != b.size()) return false;
    for (auto ia = a.begin(), ib = b.begin(); ia != a.end(); ++ia, ++ib) {
        const UserInfo &x = ia->second, &y = ib->second;
        if (ia->first != ib->first || x.deviceNo != y.deviceNo || x.ccid != y.ccid) return false;
    }
    return true;
}
// Printable ASCII without the separator or quote: written back unchanged.
bool PlainField(const std::string& f) {
    if (f.empty() || f.size() > 40) return false;
    for (unsigned char c : f)
        if (c < 0x20 || c > 0x7E || c == ',' || c == '"') return false;
    return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    UserMap users;
    ParseUserListText(text, users);
    // Plain lines: the coding round-trips every byte string without a zero.
    std::string plain = text.substr(0, text.find('\0'));
    std::string decoded;
    if (!DecodeUserListLine(EncodeUserListLine(plain), decoded) || decoded != plain) std::abort();
    (void)MakeUserDataPath("R\\", plain.c_str(), users);
    // A parsed list whose fields hold no separators survives a save and load.
    bool plainFields = true;
    for (const auto& e : users)
        for (const std::string* f :
             {&e.second.deviceNo, &e.second.nickname, &e.second.dataPath, &e.second.userAgent})
            if (!PlainField(*f)) plainFields = false;
    if (plainFields) {
        for (auto& e : users) {
            // Numbers print back in their own form only for these ranges.
            e.second.isLastUser %= 10;
            e.second.modelType %= 10;
        }
        UserMap back;
        ParseUserListText(MakeUserListText(users), back);
        if (!Same(users, back)) std::abort();
    }
    qm::test::CapturedLogs().clear();
    return 0;
}
