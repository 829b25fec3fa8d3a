#include "net/ConnectionFile.h"

#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "common/KilnLog.h"
#include "common/WholeFile.h"
#include "datafiles/PcLinkFile.h"

// --- the table ------------------------------------------------------------------

namespace {

void LogBodyError(const RequestBody& body) {
    switch (body.error) {
        case BodyError::kNone:
            break;
        case BodyError::kNoTable:
            KILNLOG.Log(LOG_ERROR, "送信データ作成失敗:Connection.info読取失敗");
            break;
        case BodyError::kUnknownEndpoint:
            KILNLOG.Log(LOG_ERROR, "送信データ作成失敗:該当リストなし");
            break;
        case BodyError::kMissingRequired:
            KILNLOG.Log(LOG_ERROR, "送信データ作成失敗:必須データなし");
            break;
        case BodyError::kEmpty:
            KILNLOG.Log(LOG_ERROR, "送信データ作成失敗");
            break;
        case BodyError::kFileOpen:
            KILNLOG.Log(LOG_ERROR, "送信データ作成失敗:ファイルオープン失敗 PATH:%s",
                        body.filePath.c_str());
            break;
        case BodyError::kFileRead:
            KILNLOG.Log(LOG_ERROR, "送信データ作成失敗:ファイル読込み失敗 PATH:%s ERR:0x%08X",
                        body.filePath.c_str(), static_cast<unsigned>(body.fileError));
            break;
        case BodyError::kNoMemory:
            KILNLOG.Log(LOG_ERROR, "送信データ作成失敗:メモリ確保失敗");
            break;
    }
}

}  // namespace

CConnectionFile& CConnectionFile::Instance() {
    static CConnectionFile instance;
    return instance;
}

CConnectionFile::CConnectionFile() = default;

CConnectionFile::~CConnectionFile() = default;

void CConnectionFile::Reset(const std::string& infoPath) {
    qm::CCriticalSection::CLock held(m_lock);
    m_loaded = false;
    m_table = CConnectionTable();
    m_infoPath = infoPath;
}

std::string CConnectionFile::InfoPath() const {
    return m_infoPath.empty() ? GetExeFolder() + "Connection.info" : m_infoPath;
}

const CConnectionTable* CConnectionFile::Table() {
    qm::CCriticalSection::CLock held(m_lock);
    if (m_loaded) return &m_table;
    // From here on the compiled-in URLs serve even when the file fails.
    m_loaded = true;
    m_table = CConnectionTable();
    return ReadOverrides(m_table) ? &m_table : nullptr;
}

bool CConnectionFile::ReadOverrides(CConnectionTable& table) {
    const std::string path = InfoPath();
    if (!PathExists(path.c_str())) return true;
    std::string text;
    WholeFileOptions options;
    options.shareWrite = true;
    const WholeFileResult r = ReadWholeFile(path, text, options);
    switch (r.status) {
        case WholeFileStatus::kOk:
            break;
        case WholeFileStatus::kMissing:
        case WholeFileStatus::kOpenFailed:
            KILNLOG.Log(LOG_ERROR, "Connection.infoファイルオープン失敗(ERR:0x%X).%s",
                        static_cast<unsigned>(r.error), path.c_str());
            return false;
        case WholeFileStatus::kTooLarge:
            KILNLOG.Log(LOG_ERROR,
                        "Connection.infoファイル読み込み用バッファ確保失敗(ERR:0x%X).サイズ:%d",
                        static_cast<unsigned>(r.error), static_cast<int>(r.size + 1));
            return false;
        case WholeFileStatus::kReadFailed:
            KILNLOG.Log(LOG_ERROR, "Connection.infoファイル読み込み失敗(ERR:0x%X).サイズ:%d",
                        static_cast<unsigned>(r.error), static_cast<int>(r.size));
            return false;
    }
    for (int id : table.ApplyOverrides(text)) KILNLOG.Log(LOG_ERROR, "接続ファイル不正 ID:%d", id);
    return true;
}

std::string CConnectionFile::GetUrl(uint32_t id) {
    const CConnectionTable* table = Table();
    return table ? table->GetUrl(id) : std::string();
}

std::string CConnectionFile::GetUrlWithQuery(uint32_t id, const CRequestParams& params) {
    const CConnectionTable* table = Table();
    return table ? table->GetUrlWithQuery(id, params) : std::string();
}

RequestBody CConnectionFile::CreatePostData(uint32_t id, const CRequestParams& params) {
    const CConnectionTable* table = Table();
    RequestBody body;
    if (!table)
        body.error = BodyError::kNoTable;
    else
        body = table->BuildPostData(id, params);
    if (!body.Ok()) {
        LogBodyError(body);
        return body;
    }
    KILNLOG.Log(LOG_DETAIL, "送信データ(%dbyte)：%s", static_cast<int>(body.bytes.size()),
                FormBodyForLog(body.bytes).c_str());
    return body;
}

RequestBody CConnectionFile::CreateMultiPartData(uint32_t id, const CRequestParams& params) {
    const CConnectionTable* table = Table();
    RequestBody body;
    if (!table)
        body.error = BodyError::kNoTable;
    else
        body = table->BuildMultiPartData(id, params, [](const std::string& path, std::string& out) {
            return ReadWholeFile(path, out);
        });
    if (!body.Ok()) {
        LogBodyError(body);
        return body;
    }
    KILNLOG.Log(LOG_DETAIL, "送信データ(%dbyte)", static_cast<int>(body.bytes.size()));
    return body;
}

bool CConnectionFile::HasVerificationFile() {
    std::string path;
    {
        qm::CCriticalSection::CLock held(m_lock);
        path = InfoPath();
    }
    if (!PathExists(path.c_str())) return false;
    KILNLOG.Log(LOG_NORMAL, "検証用接続情報あり");
    return true;
}

// --- version and user agent ----------------------------------------------------------

std::string GetProgramVersionText() {
    const std::string exe = GetProgramPath(kProgramLauncher);
    if (exe.empty()) return "0.0.0.0";
    CVersionBlock block;
    const int loaded = LoadVersionInfo(exe.c_str(), block);
    if (loaded == 1) return "0.0.0.1";
    if (loaded != 0) return "0.0.0.2";
    const char* text = GetFileVersionText(block);
    if (!text || !*text) return "0.0.0.2";
    std::string dotted = MakeDottedVersion(text);
    return dotted.empty() ? "0.0.0.2" : dotted;
}

bool ReadPcLinkNaviUnit(char drive, NaviUnitFacts& facts) {
    CPcLinkFile file(CPcLinkFile::kPcLink, drive);
    if (!file.IsLoaded()) return false;
    facts.modelCode = file.GetModelCode();
    facts.appWord16 = file.GetRecordWord16(kRecordNaviApplication);
    facts.appValue = file.GetRecordValue(kRecordNaviApplication);
    return true;
}

namespace {
NaviUnitReader g_naviUnitReader = ReadPcLinkNaviUnit;
// The launcher asks from its user-interface thread only.
struct UserAgentCache {
    bool valid = false;
    char drive = 0;
    std::string text;
};
UserAgentCache& Cache() {
    static UserAgentCache cache;
    return cache;
}
}  // namespace

void SetNaviUnitReader(NaviUnitReader reader) {
    g_naviUnitReader = reader ? reader : ReadPcLinkNaviUnit;
}

void ResetUserAgentCache() { Cache() = UserAgentCache(); }

std::string GetUserAgent(char drive) {
    UserAgentCache& cache = Cache();
    if (cache.valid && cache.drive == drive) return cache.text;
    NaviUnitFacts facts;
    std::string text;
    if (g_naviUnitReader(drive, facts)) {
        text = FormatUserAgent(facts);
        if (text.empty()) KILNLOG.Log(LOG_ERROR, "UserAgent生成時のモデル不正 %d", facts.modelCode);
    }
    cache.valid = true;
    cache.drive = drive;
    cache.text = text;
    return text;
}
