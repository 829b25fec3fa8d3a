#pragma once
// The connection table as the program uses it: the compiled-in endpoints
// with the URLs of "Connection.info" beside the executable applied once per
// process, request bodies built per request (file parts read from disk), and
// the log lines of every failure. Safe to use from several worker threads:
// the table is loaded once under a lock and is only read afterwards.
#include <windows.h>

#include <string>

#include "common/CriticalSection.h"
#include "net/ConnectionTable.h"

class CConnectionFile {
public:
    static CConnectionFile& Instance();
    CConnectionFile(const CConnectionFile&) = delete;
    CConnectionFile& operator=(const CConnectionFile&) = delete;

    // Empty when the id is unknown or the table cannot be loaded.
    std::string GetUrl(uint32_t id);
    std::string GetUrlWithQuery(uint32_t id, const CRequestParams& params);
    // Built from the values given; failures are logged, and a form body is
    // logged in detail mode with its password masked.
    RequestBody CreatePostData(uint32_t id, const CRequestParams& params);
    RequestBody CreateMultiPartData(uint32_t id, const CRequestParams& params);
    bool HasVerificationFile();

    // Forgets the table so that the next use loads it again from the given
    // "Connection.info" path (empty: the one beside the executable).
    void Reset(const std::string& infoPath = std::string());

private:
    CConnectionFile();
    ~CConnectionFile();
    // The loaded table, or null when this first load failed.
    const CConnectionTable* Table();
    std::string InfoPath() const;
    bool ReadOverrides(CConnectionTable& table);

    qm::CCriticalSection m_lock;
    bool m_loaded = false;
    CConnectionTable m_table;
    std::string m_infoPath;
};

// The installed program's file version with dots, or "0.0.0.0" (install
// folder unknown), "0.0.0.1" (version unreadable, code 1), "0.0.0.2".
std::string GetProgramVersionText();

// Reads the PC-link file of the card in a drive; false when unreadable.
using NaviUnitReader = bool (*)(char drive, NaviUnitFacts& facts);
// The card's own PC-link file.
bool ReadPcLinkNaviUnit(char drive, NaviUnitFacts& facts);
// Tests put a reader of their own in place; null restores the card reader.
void SetNaviUnitReader(NaviUnitReader reader);
// The user agent for the card in a drive, cached for the last drive asked;
// an unknown model code is logged and gives an empty text.
std::string GetUserAgent(char drive);
// Forgets the cached user agent.
void ResetUserAgentCache();
