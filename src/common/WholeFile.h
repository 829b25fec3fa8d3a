#pragma once
// The program's one way of reading a file whole into memory, and of writing
// one whole. The Windows build opens it through the file API (reading
// optionally through the retrying helpers); the native build has a stand-in
// of the reader over the C library. Callers log the outcome in their own words.
#include <cstdint>
#include <string>

enum class WholeFileStatus { kOk, kMissing, kOpenFailed, kTooLarge, kReadFailed };

struct WholeFileOptions {
    bool shareWrite = false;        // others may keep the file open for writing
    bool shareRead = true;          // false: nobody else may read it meanwhile
    bool retry = false;             // open and read through the retrying helpers
    uint64_t maxSize = 0x7FFFFFFE;  // larger files are kTooLarge, nothing read
};

struct WholeFileResult {
    WholeFileStatus status = WholeFileStatus::kOk;
    uint32_t error = 0;  // the system's error code of the failing step
    uint64_t size = 0;   // the file's size once it was known
    bool Ok() const { return status == WholeFileStatus::kOk; }
    // Missing or not openable.
    bool NotOpened() const {
        return status == WholeFileStatus::kMissing || status == WholeFileStatus::kOpenFailed;
    }
};

WholeFileResult ReadWholeFile(const std::string& path, std::string& out,
                              const WholeFileOptions& options = WholeFileOptions());
// The same by a wide path (Windows build only).
WholeFileResult ReadWholeFileW(const std::wstring& path, std::string& out,
                               const WholeFileOptions& options = WholeFileOptions());

// Writing a file whole never truncates the file in place: the new bytes go to
// "<path>.new" beside it, are flushed, and then replace the file in one step
// (a rename with replace and write-through). A failure at any step removes the
// new file and leaves the old one exactly as it was; a crash leaves the old or
// the new file, and at worst a stale "<path>.new" that the next write simply
// overwrites and no reader ever opens.
enum class WholeFileStep { kNone, kOpen, kWrite, kFlush, kReplace };

struct WholeFileWriteOptions {
    // Attributes of a file made anew; an existing file's hidden, system and
    // archive attributes carry over to its replacement. A read-only file is
    // ours to rewrite: the replacement is not read-only.
    uint32_t attributes = 0x80;  // FILE_ATTRIBUTE_NORMAL
    // Another program may keep the file open for reading and writing (sharing
    // both, as the C runtime opens files): it then sees the new bytes through
    // its handle. When such a holder prevents the replacement, the file is
    // rewritten in place instead, through a handle that shares as it does.
    bool rewriteInPlaceWhenHeld = false;
    // The new file is opened and written through the retrying helpers (a
    // virus scanner may hold the folder for a moment).
    bool retry = false;
};

struct WholeFileWriteResult {
    WholeFileStep failed = WholeFileStep::kNone;
    uint32_t error = 0;    // the system's error code of the failing step
    uint64_t written = 0;  // bytes the write step put into the new file
    bool Ok() const { return failed == WholeFileStep::kNone; }
};

// The name the new bytes are written to before they replace path.
inline std::string ReplacementPath(const std::string& path) { return path + ".new"; }

// Windows build only.
// The last step on its own, for a new file some other writer made: renames
// newPath over path; on failure newPath is removed and path left as it was.
// 0 or the system's error code.
uint32_t ReplaceWithNewFile(const std::string& newPath, const std::string& path);
uint32_t ReplaceWithNewFileW(const std::wstring& newPath, const std::wstring& path);
WholeFileWriteResult WriteWholeFileReplacing(
    const std::string& path, const std::string& bytes,
    const WholeFileWriteOptions& options = WholeFileWriteOptions());
WholeFileWriteResult WriteWholeFileReplacingW(
    const std::wstring& path, const std::string& bytes,
    const WholeFileWriteOptions& options = WholeFileWriteOptions());
