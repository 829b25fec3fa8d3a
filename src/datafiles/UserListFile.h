#pragma once
// "UserList.info" in the user data root: every navigation unit whose owner
// has been authenticated on this PC, keyed by device number, with the user
// set last. Callers make one on the stack per use; it loads on the first
// operation (and again while the list is empty) and every change writes the
// whole file back at once.
#include <cstdint>
#include <string>

#include "datafiles/UserListCodec.h"

class CUserListFile {
public:
    CUserListFile() = default;
    virtual ~CUserListFile() = default;

    bool Load();  // a missing file is an empty list
    bool Exists(const char* deviceNo);
    bool GetUser(const char* deviceNo, std::string* outNickname, std::string* outDataPath,
                 std::string* outUserAgent, uint32_t* outCcid);
    bool GetLastUser(std::string* outDeviceNo, std::string* outNickname, std::string* outUserAgent,
                     uint32_t* outCcid, uint32_t* outModelType);
    // Adds or updates a record and saves; null texts and zero numbers leave
    // the stored values. A new record needs a nickname.
    bool SetUser(const char* deviceNo, const char* nickname, uint32_t ccid, const char* userAgent,
                 uint32_t modelType);
    bool SetUserAgent(const char* deviceNo, const char* userAgent);
    bool SetCcid(const char* deviceNo, uint32_t ccid);
    bool SetModelType(const char* deviceNo, uint32_t modelType);
    bool DeleteUser(const char* deviceNo);
    std::string MakeDataPath(const char* nickname);

    const UserMap& Users() const { return m_users; }
    static std::string GetFilePath();

private:
    std::string DataPathFor(const char* nickname) const;
    void EnsureLoaded();
    bool Save(const char* lastUser);  // null keeps every isLastUser as it is

    UserMap m_users;
};

constexpr const char* kUserListFileName = "UserList.info";
