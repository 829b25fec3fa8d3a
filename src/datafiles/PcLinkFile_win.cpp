#include "datafiles/PcLinkFile.h"

#include <windows.h>
// after windows.h, which it builds on
#include <wincrypt.h>

#include "common/FileRetry.h"
#include "common/KilnLog.h"
#include "common/WholeFile.h"
#include "common/WinHandle.h"
#include "datafiles/PcLinkKey.h"

namespace {

bool Exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The error to report for a read or write that ended short: the call
// itself succeeded, so the thread's last error says nothing.
DWORD ShortTransferError(BOOL ok, const CFileRetry& retry, DWORD fallback) {
    return ok ? fallback : retry.GetLastError();
}

// After a failed or short transfer: closes the file, then logs
// "<what> 0x<error>". Always false.
bool TransferFailed(qm::CFileHandle& file, BOOL ok, const CFileRetry& retry, DWORD fallback,
                    const char* what) {
    const DWORD err = ShortTransferError(ok, retry, fallback);
    file.Reset();
    KILNLOG.Log(LOG_ERROR, "%s 0x%08X", what, static_cast<unsigned>(err));
    return false;
}

bool ReadExactly(CFileRetry& retry, qm::CFileHandle& file, void* buffer, DWORD size,
                 const char* what) {
    DWORD got = 0;
    const BOOL ok = retry.ReadFile_Recover(file.Get(), buffer, size, &got, nullptr);
    if (ok && got == size) return true;
    return TransferFailed(file, ok, retry, ERROR_HANDLE_EOF, what);
}

bool WriteExactly(CFileRetry& retry, qm::CFileHandle& file, const void* buffer, DWORD size,
                  const char* what) {
    DWORD put = 0;
    const BOOL ok = retry.WriteFile_Recover(file.Get(), buffer, size, &put, nullptr);
    if (ok && put == size) return true;
    return TransferFailed(file, ok, retry, ERROR_WRITE_FAULT, what);
}

// Two 32-bit values from the system's cryptographic random source.
bool DrawRandom(uint32_t values[2]) {
    HCRYPTPROV prov = 0;
    if (!::CryptAcquireContextA(&prov, nullptr, nullptr, PROV_RSA_FULL,
                                CRYPT_VERIFYCONTEXT | CRYPT_SILENT))
        return false;
    BOOL ok = ::CryptGenRandom(prov, 2 * sizeof(uint32_t), reinterpret_cast<BYTE*>(values));
    const DWORD err = ::GetLastError();
    ::CryptReleaseContext(prov, 0);
    if (!ok) ::SetLastError(err);  // the caller logs the generator's error, not the release's
    return ok != FALSE;
}

bool IsNaviCardDrive(char letter) {
    std::string root = CardRoot(letter);
    if (::GetDriveTypeA(root.c_str()) != DRIVE_REMOVABLE) return false;
    if (!::GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0))
        return false;
    return Exists(CardPath(letter, kCardNaviInfoPath));
}

}  // namespace

CPcLinkFile::CPcLinkFile(int kind, char drive) : m_kind(kind), m_drive(drive) {
    if (drive) m_path = CardPath(drive, kind == kNaviInfo ? kCardNaviInfoPath : kCardPcLinkPath);
    m_loaded = Load();
}

bool CPcLinkFile::Load() {
    if (!m_drive) return false;
    if (!Exists(CardRoot(m_drive))) {
        KILNLOG.Log(LOG_NORMAL, "%sファイル読み込み時のSD無し", KindName(m_kind));
        return false;
    }
    m_content.Clear();
    if (!Exists(m_path)) return false;
    CFileRetry retry;
    qm::CFileHandle file(retry.CreateFile_Recover(m_path.c_str(), GENERIC_READ,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;

    uint8_t header[kPcLinkFileHeaderSize];
    if (!ReadExactly(retry, file, header, sizeof header,
                     "お出かけ管理ファイルファイルヘッダ読込失敗"))
        return false;
    m_content.SetFileHeader(header);

    uint8_t dataHeader[kPcLinkDataHeaderSize];
    if (!ReadExactly(retry, file, dataHeader, sizeof dataHeader,
                     "お出かけ管理ファイルデータヘッダ読込失敗"))
        return false;
    const CDes des = MakePcLinkCipher();
    if (!m_content.DecipherDataHeader(des, dataHeader)) {
        file.Reset();
        KILNLOG.Log(LOG_ERROR, "お出かけ管理ファイルデータヘッダ復号化不正");
        return false;
    }

    for (;;) {
        uint8_t cipher[kPcLinkRecordSize] = {};
        DWORD got = 0;
        const BOOL ok = retry.ReadFile_Recover(file.Get(), cipher, sizeof cipher, &got, nullptr);
        if (ok && got == 0) break;
        if (!ok && retry.GetLastError() == ERROR_HANDLE_EOF) break;
        if (!ok || got != sizeof cipher)
            return TransferFailed(file, ok, retry, ERROR_HANDLE_EOF,
                                  "お出かけ管理ファイルデータレコード読込失敗");
        CPcLinkContent::Record record;
        if (!m_content.DecipherRecord(des, cipher, record))
            KILNLOG.Log(LOG_ERROR, "お出かけ管理ファイルデータレコード復号化不正");
        // Kept all the same: the other records may still be usable.
        m_content.AppendRecord(record);
    }
    return true;
}

bool CPcLinkFile::Save() {
    if (!m_drive) return false;
    if (!Exists(CardRoot(m_drive))) {
        KILNLOG.Log(LOG_NORMAL, "%sファイル書き込み時のSD無し", KindName(m_kind));
        return false;
    }
    if (!m_loaded) {
        KILNLOG.Log(LOG_ERROR, "お出かけ管理ファイルへの書込み時の未読み込み");
        return false;
    }
    if (m_kind == kNaviInfo) {
        KILNLOG.Log(LOG_ERROR, "ナビ情報ファイルへの書込み");
        return false;
    }
    uint32_t iv[2];
    if (!DrawRandom(iv)) {
        DWORD err = ::GetLastError();
        KILNLOG.Log(LOG_ERROR, "CPcLinkFile::Save - 乱数取得失敗 ERR:0x%08X",
                    static_cast<unsigned>(err));
        return false;
    }
    m_content.SetIv(iv[0], iv[1]);
    m_content.SealFileHeader();
    m_content.SealDataHeader();

    if (!Exists(m_path)) return false;
    CFileRetry retry;
    // Opened without truncating: the record count and so the size stay.
    qm::CFileHandle file(retry.CreateFile_Recover(m_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                                  nullptr));
    if (!file) return false;

    if (!WriteExactly(retry, file, m_content.FileHeader(), kPcLinkFileHeaderSize,
                      "お出かけ管理ファイルファイルヘッダ書込み失敗"))
        return false;
    const CDes des = MakePcLinkCipher();
    uint8_t cipher[kPcLinkRecordSize];
    m_content.EncipherDataHeader(des, cipher);
    if (!WriteExactly(retry, file, cipher, kPcLinkDataHeaderSize,
                      "お出かけ管理ファイルデータヘッダ書込み失敗"))
        return false;
    for (size_t i = 0; i < m_content.Records().size(); ++i) {
        m_content.SealRecord(i);
        m_content.EncipherRecord(des, i, cipher);
        if (!WriteExactly(retry, file, cipher, kPcLinkRecordSize,
                          "お出かけ管理ファイルデータレコード書込み失敗"))
            return false;
    }
    return true;
}

int CPcLinkFile::GetFormatGeneration() const {
    return m_loaded ? m_content.GetFormatGeneration() : 0;
}
std::string CPcLinkFile::GetDeviceNo() const {
    return m_loaded ? m_content.GetDeviceNo() : std::string();
}
uint32_t CPcLinkFile::GetNaviId() const { return m_loaded ? m_content.GetNaviId() : 0; }
uint32_t CPcLinkFile::GetPairingValue() const { return m_loaded ? m_content.GetPairingValue() : 0; }
uint8_t CPcLinkFile::GetModelCode() const { return m_loaded ? m_content.GetModelCode() : 0; }
bool CPcLinkFile::IsMothModel() const {
    uint8_t code = GetModelCode();
    return code == 18 || code == 21;
}
uint32_t CPcLinkFile::GetRecordValue(uint32_t id) const {
    return m_loaded ? m_content.GetRecordValue(id) : 0;
}
uint16_t CPcLinkFile::GetRecordWord16(uint32_t id) const {
    return m_loaded ? m_content.GetRecordWord16(id) : 0;
}
int32_t CPcLinkFile::GetRecordWord18(uint32_t id) const {
    return m_loaded ? m_content.GetRecordWord18(id) : -1;
}
uint32_t CPcLinkFile::FindSearchDataValue(const char* name) const {
    return m_loaded ? m_content.FindSearchDataValue(name) : 0;
}
int32_t CPcLinkFile::GetSearchDataWord18(uint32_t value) const {
    return m_loaded ? m_content.GetSearchDataWord18(value) : -1;
}
bool CPcLinkFile::HasSearchDataValue(uint32_t value) const {
    return m_loaded && m_content.HasSearchDataValue(value);
}

bool CPcLinkFile::SetPairingValue(uint32_t value) {
    if (m_kind != kPcLink) return false;
    m_content.SetPairingValue(value);
    return Save();
}

bool SyncPcLinkFile(char drive, bool force) {
    if (!drive) {
        KILNLOG.Log(LOG_ERROR, "お出かけ管理ファイルコピー時のターゲットドライブ未指定");
        ::SetLastError(ERROR_INVALID_DRIVE);
        return false;
    }
    const std::string naviInfo = CardPath(drive, kCardNaviInfoPath);
    const std::string pcLink = CardPath(drive, kCardPcLinkPath);
    if (!Exists(naviInfo)) {
        KILNLOG.Log(LOG_DETAIL, "NAVI情報非存在");
        ::SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    if (Exists(pcLink) && !force) {
        CPcLinkFile navi(CPcLinkFile::kNaviInfo, drive);
        CPcLinkFile link(CPcLinkFile::kPcLink, drive);
        if (!navi.IsLoaded() || !link.IsLoaded())
            KILNLOG.Log(LOG_ERROR, "ペアリング情報チェック時のファイル読み込み失敗");
        if (navi.GetPairingValue() != link.GetPairingValue()) {
            if (link.SetPairingValue(navi.GetPairingValue()))
                KILNLOG.Log(LOG_NORMAL, "ペアリング情報セット%s", "成功");
            else
                KILNLOG.Log(LOG_ERROR, "ペアリング情報セット%s", "失敗");
        }
        KILNLOG.Log(LOG_DETAIL, "お出かけ管理存在時のコピー要求->終了");
        return true;
    }
    // The copy replaces the old file in one step, so a pull or a crash
    // leaves the old file or the new one, never none. A card without room
    // for both keeps the old one (logged and reported): it still loads, and
    // the next sync copies again.
    std::string bytes;
    const WholeFileResult got = ReadWholeFile(naviInfo, bytes);
    DWORD err = got.Ok() ? 0 : got.error ? got.error : ERROR_READ_FAULT;
    if (got.Ok()) {
        WholeFileWriteOptions write;
        // A new file takes the source's hidden and system marks, as a copy does.
        const DWORD marks = ::GetFileAttributesA(naviInfo.c_str());
        if (marks != INVALID_FILE_ATTRIBUTES)
            write.attributes =
                marks & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
        err = WriteWholeFileReplacing(pcLink, bytes, write).error;
    }
    if (err) {
        // The caller reads the error: the log leaves it as it was.
        KILNLOG.Log(LOG_ERROR, "お出かけ管理コピー失敗 ERR:0x%08X", static_cast<unsigned>(err));
        ::SetLastError(err);
        return false;
    }
    KILNLOG.Log(LOG_NORMAL, "お出かけ管理コピー完了");
    return true;
}

int FindNaviCards(std::vector<char>& drives) {
    drives.clear();
    UINT oldMode = ::SetErrorMode(SEM_FAILCRITICALERRORS);
    for (char letter = 'D'; letter <= 'Z'; ++letter) {
        if (!IsNaviCardDrive(letter)) continue;
        CPcLinkFile navi(CPcLinkFile::kNaviInfo, letter);
        if (!navi.IsLoaded()) continue;
        drives.push_back(letter);
        SyncPcLinkFile(letter, false);
    }
    ::SetErrorMode(oldMode);
    return static_cast<int>(drives.size());
}

int ScanNaviCards(std::vector<char>& drives) {
    drives.clear();
    ::SetErrorMode(SEM_FAILCRITICALERRORS);
    for (char letter = 'D'; letter <= 'Z'; ++letter) {
        if (!IsNaviCardDrive(letter)) continue;
        CPcLinkFile link(CPcLinkFile::kPcLink, letter);
        if (link.IsLoaded()) drives.push_back(letter);
    }
    ::SetErrorMode(0);
    return static_cast<int>(drives.size());
}
