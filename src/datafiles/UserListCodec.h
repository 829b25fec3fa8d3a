#pragma once
// The text of "UserList.info": one record a line, each line the plain record
// "%s,%s,%s,%s,%d,%s,%d" hex-coded twice (every byte as two hexadecimal
// digits whose character codes have their halves exchanged), so that the
// file does not show the text plainly. "abc" becomes "631363236333".
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

struct UserInfo {
    std::string deviceNo;  // the key, up to 16 characters
    std::string nickname;
    std::string dataPath;  // no trailing separator
    std::string userAgent;
    uint32_t isLastUser = 0;
    uint32_t ccid = 0;       // the unit's NaviId
    uint32_t modelType = 0;  // format generation of the PC-link file, 1 or 2
};
// Ordered by device number, byte-wise.
using UserMap = std::map<std::string, UserInfo>;

std::string EncodeUserListLine(const std::string& plain);
// False when a group is not four hexadecimal digits or its codes are not
// hexadecimal digits. A length that is not a multiple of 4 also fails.
bool DecodeUserListLine(const std::string& encoded, std::string& plain);

std::string MakeUserListPlainLine(const UserInfo& user);
UserInfo ParseUserListPlainLine(const std::string& plain);

// Lines longer than this are skipped when reading.
constexpr size_t kUserListMaxLine = 1024;

// Fills the map from the file's text and drops lines that do not decode.
// Answers the dropped lines whose length is not a multiple of 4, for the
// shell to log; other undecodable lines are dropped silently.
std::vector<std::string> ParseUserListText(const std::string& text, UserMap& users);
// The file's text for the map (lines in key order, each ended by CR LF).
std::string MakeUserListText(const UserMap& users);

// The data folder for a nickname, unique within the list, and what had to
// change to get it, for the shell to log.
struct UserDataPath {
    std::string path;
    bool badNickname = false;  // null nickname: the path is empty
    bool nothingLeft = false;  // no character was left: "USER" and the count
    // Each clash in order: the path another record holds, the path it became.
    std::vector<std::pair<std::string, std::string>> clashes;
};
// The user data root (ending in '\') followed by the nickname without
// "\/:*?\"<>|,".
UserDataPath MakeUserDataPath(const std::string& userDataRoot, const char* nickname,
                              const UserMap& users);
