#include <windows.h>

#include <new>

#include "common/CodePage.h"
#include "common/FileRetry.h"
#include "common/WholeFile.h"
#include "common/WinHandle.h"

namespace {

WholeFileResult ReadOpened(const char* ansiPath, const wchar_t* widePath, std::string& out,
                           const WholeFileOptions& options) {
    WholeFileResult r;
    out.clear();
    const DWORD share =
        (options.shareRead ? FILE_SHARE_READ : 0) | (options.shareWrite ? FILE_SHARE_WRITE : 0);
    CFileRetry retry;
    HANDLE raw;
    if (options.retry) {
        raw = retry.CreateFile_Recover(ansiPath, GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr, widePath);
    } else if (ansiPath) {
        raw = ::CreateFileA(ansiPath, GENERIC_READ, share, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    } else {
        raw = ::CreateFileW(widePath, GENERIC_READ, share, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    qm::CFileHandle file(raw);
    if (!file) {
        r.error = options.retry ? retry.GetLastError() : ::GetLastError();
        r.status = (r.error == ERROR_FILE_NOT_FOUND || r.error == ERROR_PATH_NOT_FOUND)
                       ? WholeFileStatus::kMissing
                       : WholeFileStatus::kOpenFailed;
        return r;
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size)) {
        r.status = WholeFileStatus::kReadFailed;
        r.error = ::GetLastError();
        return r;
    }
    r.size = static_cast<uint64_t>(size.QuadPart);
    if (r.size > options.maxSize || r.size >= 0xFFFFFFFF) {
        r.status = WholeFileStatus::kTooLarge;
        r.error = ERROR_NOT_ENOUGH_MEMORY;
        return r;
    }
    try {
        out.resize(static_cast<size_t>(r.size));
    } catch (const std::bad_alloc&) {
        r.status = WholeFileStatus::kTooLarge;
        r.error = ERROR_NOT_ENOUGH_MEMORY;
        return r;
    }
    if (r.size == 0) return r;
    // One read of the whole file.
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(r.size);
    const BOOL ok = options.retry ? retry.ReadFile_Recover(file.Get(), &out[0], want, &got, nullptr)
                                  : ::ReadFile(file.Get(), &out[0], want, &got, nullptr);
    if (!ok || got != want) {
        r.status = WholeFileStatus::kReadFailed;
        r.error = !ok ? (options.retry ? retry.GetLastError() : ::GetLastError())
                      : static_cast<uint32_t>(ERROR_HANDLE_EOF);
        out.clear();
    }
    return r;
}

constexpr DWORD kCarriedAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

WholeFileWriteResult Failed(WholeFileStep step, DWORD error, uint64_t written = 0) {
    WholeFileWriteResult r;
    r.failed = step;
    r.error = error ? error : ERROR_GEN_FAILURE;
    r.written = written;
    return r;
}

// Puts all of bytes through the handle (through the retrying helper when
// given); written counts what went in.
bool WriteAll(HANDLE file, const std::string& bytes, uint64_t& written, DWORD& error,
              CFileRetry* retry = nullptr) {
    written = 0;
    while (written < bytes.size()) {
        const uint64_t left = bytes.size() - written;
        const DWORD want = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
        DWORD put = 0;
        const BOOL ok =
            retry ? retry->WriteFile_Recover(file, bytes.data() + written, want, &put, nullptr)
                  : ::WriteFile(file, bytes.data() + written, want, &put, nullptr);
        if (!ok) {
            error = retry ? retry->GetLastError() : ::GetLastError();
            return false;
        }
        written += put;
        if (put == 0) {  // nothing taken and no error: the disk is full all the same
            error = ERROR_DISK_FULL;
            return false;
        }
    }
    return true;
}

// True when another handle keeps path open without letting it be deleted or
// renamed over.
bool HeldByAnother(const std::wstring& path) {
    qm::CFileHandle probe(::CreateFileW(path.c_str(), DELETE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return !probe && ::GetLastError() == ERROR_SHARING_VIOLATION;
}

// The old way, for a file that a holder expects to change under its handle.
WholeFileWriteResult RewriteInPlace(const std::wstring& path, const std::string& bytes) {
    qm::CFileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return Failed(WholeFileStep::kOpen, ::GetLastError());
    uint64_t written = 0;
    DWORD error = 0;
    if (!WriteAll(file.Get(), bytes, written, error))
        return Failed(WholeFileStep::kWrite, error, written);
    WholeFileWriteResult r;
    r.written = written;
    return r;
}

// Gets rid of a new file that is not going to replace anything.
void Discard(const std::wstring& tmp) {
    ::SetFileAttributesW(tmp.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(tmp.c_str());
}

}  // namespace

WholeFileWriteResult WriteWholeFileReplacingW(const std::wstring& path, const std::string& bytes,
                                              const WholeFileWriteOptions& options) {
    if (options.rewriteInPlaceWhenHeld && HeldByAnother(path)) return RewriteInPlace(path, bytes);
    const std::wstring tmp = path + L".new";
    const DWORD old = ::GetFileAttributesW(path.c_str());
    const bool exists = old != INVALID_FILE_ATTRIBUTES && !(old & FILE_ATTRIBUTE_DIRECTORY);
    DWORD attributes = exists ? (old & kCarriedAttributes) : options.attributes;
    if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;

    // A stale new file (a crash before the replacement) goes first: creating
    // over a hidden or read-only file would be refused.
    Discard(tmp);
    WholeFileWriteResult r;
    {
        CFileRetry retry;
        CFileRetry* const retrying = options.retry ? &retry : nullptr;
        qm::CFileHandle file(retrying ? retry.CreateFile_Recover(nullptr, GENERIC_WRITE, 0, nullptr,
                                                                 CREATE_ALWAYS, attributes, nullptr,
                                                                 tmp.c_str())
                                      : ::CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr,
                                                      CREATE_ALWAYS, attributes, nullptr));
        if (!file)
            return Failed(WholeFileStep::kOpen, retrying ? retry.GetLastError() : ::GetLastError());
        DWORD error = 0;
        if (!WriteAll(file.Get(), bytes, r.written, error, retrying))
            r = Failed(WholeFileStep::kWrite, error, r.written);
        // On the disk before the name points at it, or a crash could leave
        // the name on an empty file.
        else if (!::FlushFileBuffers(file.Get()))
            r = Failed(WholeFileStep::kFlush, ::GetLastError(), r.written);
    }
    if (!r.Ok()) {
        Discard(tmp);
        return r;
    }
    const DWORD error = ReplaceWithNewFileW(tmp, path);
    // A holder that opened the file meanwhile (refused as access denied or as
    // a sharing violation, depending on the system).
    if (error && options.rewriteInPlaceWhenHeld && HeldByAnother(path))
        return RewriteInPlace(path, bytes);
    if (error) return Failed(WholeFileStep::kReplace, error, r.written);
    return r;
}

uint32_t ReplaceWithNewFileW(const std::wstring& newPath, const std::wstring& path) {
    // Windows refuses to rename over a read-only file (Wine does not); the
    // file is ours, so the flag goes, and comes back if the replacement fails.
    const DWORD old = ::GetFileAttributesW(path.c_str());
    const bool readOnly = old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_READONLY);
    if (readOnly) ::SetFileAttributesW(path.c_str(), old & ~FILE_ATTRIBUTE_READONLY);
    if (::MoveFileExW(newPath.c_str(), path.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    const DWORD error = ::GetLastError();
    if (readOnly) ::SetFileAttributesW(path.c_str(), old);
    Discard(newPath);
    return error ? error : ERROR_GEN_FAILURE;
}

uint32_t ReplaceWithNewFile(const std::string& newPath, const std::string& path) {
    return ReplaceWithNewFileW(AnsiToWide(newPath), AnsiToWide(path));
}

WholeFileWriteResult WriteWholeFileReplacing(const std::string& path, const std::string& bytes,
                                             const WholeFileWriteOptions& options) {
    return WriteWholeFileReplacingW(AnsiToWide(path), bytes, options);
}

WholeFileResult ReadWholeFile(const std::string& path, std::string& out,
                              const WholeFileOptions& options) {
    return ReadOpened(path.c_str(), nullptr, out, options);
}

WholeFileResult ReadWholeFileW(const std::wstring& path, std::string& out,
                               const WholeFileOptions& options) {
    return ReadOpened(nullptr, path.c_str(), out, options);
}
