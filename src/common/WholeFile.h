#pragma once
// The program's one way of reading a file whole into memory. The Windows
// build opens it through the file API (optionally through the retrying
// helpers); the native build has a stand-in over the C library. Callers log
// the outcome in their own words.
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
