#include <windows.h>

#include <new>

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

}  // namespace

WholeFileResult ReadWholeFile(const std::string& path, std::string& out,
                              const WholeFileOptions& options) {
    return ReadOpened(path.c_str(), nullptr, out, options);
}

WholeFileResult ReadWholeFileW(const std::wstring& path, std::string& out,
                               const WholeFileOptions& options) {
    return ReadOpened(nullptr, path.c_str(), out, options);
}
