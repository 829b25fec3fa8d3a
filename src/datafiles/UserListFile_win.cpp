#include "datafiles/UserListFile.h"

#include <windows.h>

#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "common/KilnLog.h"
#include "common/WholeFile.h"

std::string CUserListFile::GetFilePath() {
    return GetUserDataRoot() + kUserListFileName;  // the root is created when missing
}

void CUserListFile::EnsureLoaded() {
    if (m_users.empty()) Load();
}

bool CUserListFile::Load() {
    const std::string path = GetFilePath();
    if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        KILNLOG.Log(LOG_NORMAL, "UserList.infoファイルが存在しない:%s.", path.c_str());
        return true;
    }
    std::string bytes;
    WholeFileOptions options;
    options.shareWrite = true;
    options.retry = true;
    const WholeFileResult r = ReadWholeFile(path, bytes, options);
    if (r.NotOpened()) {
        KILNLOG.Log(LOG_ERROR, "UserList.infoファイルオープン失敗(ERR:0x%X).%s",
                    static_cast<unsigned>(r.error), path.c_str());
        return false;
    }
    if (r.status == WholeFileStatus::kTooLarge) {
        KILNLOG.Log(LOG_ERROR,
                    "UserList.infoファイル読み込み用バッファ確保失敗(ERR:0x%X).サイズ:%d",
                    static_cast<unsigned>(r.error), static_cast<int>(r.size));
        return false;
    }
    if (!r.Ok()) {
        KILNLOG.Log(LOG_ERROR, "UserList.infoファイル読み込み失敗(ERR:0x%X).サイズ:%d",
                    static_cast<unsigned>(r.error), static_cast<int>(r.size));
        return false;
    }
    // The text is read as a C text: a zero byte ends it.
    for (const std::string& line : ParseUserListText(std::string(bytes.c_str()), m_users))
        KILNLOG.Log(LOG_ERROR, "複合化時の不正な行:%s", line.c_str());
    return true;
}

bool CUserListFile::Exists(const char* deviceNo) {
    EnsureLoaded();
    return deviceNo && m_users.count(deviceNo) != 0;
}

bool CUserListFile::GetUser(const char* deviceNo, std::string* outNickname,
                            std::string* outDataPath, std::string* outUserAgent,
                            uint32_t* outCcid) {
    EnsureLoaded();
    if (!deviceNo || !outNickname) return false;
    auto it = m_users.find(deviceNo);
    if (it == m_users.end()) return false;
    *outNickname = it->second.nickname;
    if (outDataPath) *outDataPath = it->second.dataPath;
    if (outUserAgent) *outUserAgent = it->second.userAgent;
    if (outCcid) *outCcid = it->second.ccid;
    return true;
}

bool CUserListFile::GetLastUser(std::string* outDeviceNo, std::string* outNickname,
                                std::string* outUserAgent, uint32_t* outCcid,
                                uint32_t* outModelType) {
    EnsureLoaded();
    for (const auto& entry : m_users) {
        const UserInfo& u = entry.second;
        if (!u.isLastUser) continue;
        if (outDeviceNo) *outDeviceNo = u.deviceNo;
        if (outNickname) *outNickname = u.nickname;
        if (outUserAgent) *outUserAgent = u.userAgent;
        if (outCcid) *outCcid = u.ccid;
        if (outModelType) *outModelType = u.modelType;
        return true;
    }
    return false;
}

std::string CUserListFile::MakeDataPath(const char* nickname) {
    EnsureLoaded();
    return DataPathFor(nickname);
}

// The data folder for a nickname, with what had to change logged.
std::string CUserListFile::DataPathFor(const char* nickname) const {
    const UserDataPath made = MakeUserDataPath(GetUserDataRoot(), nickname, m_users);
    if (made.badNickname) KILNLOG.Log(LOG_ERROR, "ニックネームが不正.");
    if (made.nothingLeft)
        KILNLOG.Log(LOG_ERROR, "ニックネームからデータパスを設定できなかった:%s.", nickname);
    for (const auto& clash : made.clashes) {
        KILNLOG.Log(LOG_ERROR, "データパスが重複した:%s, %s.", nickname, clash.first.c_str());
        KILNLOG.Log(LOG_ERROR, "データパスが重複した(変更パス), %s.", clash.second.c_str());
    }
    return made.path;
}

bool CUserListFile::SetUser(const char* deviceNo, const char* nickname, uint32_t ccid,
                            const char* userAgent, uint32_t modelType) {
    EnsureLoaded();
    if (!deviceNo || !*deviceNo) {
        KILNLOG.Log(LOG_ERROR, "UserList.infoファイル保存時のデータ無し");
        return false;
    }
    auto it = m_users.find(deviceNo);
    if (it != m_users.end()) {
        UserInfo& u = it->second;
        if (nickname && u.nickname != nickname) {
            // The user moves to a new folder; the old one stays.
            u.dataPath = DataPathFor(nickname);
            CreateDirectories(u.dataPath.c_str());
            u.nickname = nickname;
        }
        if (userAgent) u.userAgent = userAgent;
        if (u.dataPath.empty()) {
            u.dataPath = DataPathFor(u.nickname.c_str());
            CreateDirectories(u.dataPath.c_str());
        }
        if (ccid) u.ccid = ccid;
        if (modelType) u.modelType = modelType;
    } else {
        if (!nickname) return false;
        UserInfo u;
        u.deviceNo = deviceNo;
        u.nickname = nickname;
        u.userAgent = userAgent ? userAgent : "";
        u.isLastUser = 1;
        u.ccid = ccid;
        u.modelType = modelType;
        UserInfo& added = m_users[deviceNo] = u;
        // Counted with the record being added.
        added.dataPath = DataPathFor(nickname);
        CreateDirectories(added.dataPath.c_str());
    }
    return Save(deviceNo);
}

bool CUserListFile::SetUserAgent(const char* deviceNo, const char* userAgent) {
    return SetUser(deviceNo, nullptr, 0, userAgent, 0);
}
bool CUserListFile::SetCcid(const char* deviceNo, uint32_t ccid) {
    return SetUser(deviceNo, nullptr, ccid, nullptr, 0);
}
bool CUserListFile::SetModelType(const char* deviceNo, uint32_t modelType) {
    return SetUser(deviceNo, nullptr, 0, nullptr, modelType);
}

bool CUserListFile::DeleteUser(const char* deviceNo) {
    EnsureLoaded();
    auto it = deviceNo ? m_users.find(deviceNo) : m_users.end();
    if (it == m_users.end()) {
        KILNLOG.Log(LOG_ERROR, "ユーザー情報削除失敗：ユーザー情報なし");
        KILNLOG.Log(LOG_DETAIL, "\tDeviceNo : %s", deviceNo ? deviceNo : "");
        return false;
    }
    // The user's data folder stays.
    m_users.erase(it);
    return Save(nullptr);
}

bool CUserListFile::Save(const char* lastUser) {
    const std::string path = GetFilePath();
    if (lastUser)
        for (auto& entry : m_users) entry.second.isLastUser = entry.first == lastUser ? 1 : 0;
    std::string text;
    for (const auto& entry : m_users)
        text += EncodeUserListLine(MakeUserListPlainLine(entry.second)) + "\r\n";
    // Written beside the list and swapped in: a failure keeps the old list.
    WholeFileWriteOptions options;
    options.attributes = FILE_ATTRIBUTE_HIDDEN;
    options.retry = true;
    const WholeFileWriteResult r = WriteWholeFileReplacing(path, text, options);
    if (r.failed == WholeFileStep::kOpen || r.failed == WholeFileStep::kReplace) {
        KILNLOG.Log(LOG_ERROR, "UserList.infoファイルオープン失敗(ERR:0x%X).%s",
                    static_cast<unsigned>(r.error), path.c_str());
        return false;
    }
    if (!r.Ok()) {
        KILNLOG.Log(LOG_ERROR, "UserList.info 書込み失敗(ERR:%d)", static_cast<int>(r.error));
        return false;
    }
    return true;
}
