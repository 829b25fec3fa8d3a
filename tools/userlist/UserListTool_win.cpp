// userlist add DEVICE NICKNAME CCID MODELTYPE   (CCID in hexadecimal)
// userlist remove DEVICE
// Writes the user list of the Wine prefix it runs in through the program's
// own file class, so the file is exactly what a first run leaves.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "datafiles/UserListFile.h"

int main(int argc, char** argv) {
    if (argc == 6 && std::strcmp(argv[1], "add") == 0) {
        CUserListFile users;
        const uint32_t ccid = static_cast<uint32_t>(std::strtoul(argv[4], nullptr, 16));
        const uint32_t modelType = static_cast<uint32_t>(std::strtoul(argv[5], nullptr, 10));
        return users.SetUser(argv[2], argv[3], ccid, "", modelType) ? 0 : 1;
    }
    if (argc == 3 && std::strcmp(argv[1], "remove") == 0) {
        CUserListFile users;
        return users.DeleteUser(argv[2]) ? 0 : 1;
    }
    std::fprintf(stderr,
                 "usage: userlist add DEVICE NICKNAME CCID MODELTYPE | userlist remove DEVICE\n");
    return 2;
}
