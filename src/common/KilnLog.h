#pragma once
// The diagnostic log's call form. Every logging statement builds a temporary
// wrapper from its own source path and line:
//
//     KILNLOG.Log(LOG_ERROR, "CPcLinkFile::Load - 読込失敗 ERR:0x%08X", err);
//
// The Windows build writes the records to the log files (KilnLog_win.cpp);
// the native build of the portable core keeps them in memory for the tests
// (KilnLog_native.cpp).

#include "common/LogRecord.h"

#if defined(_WIN32)
#define QM_PRINTF_FORMAT(fmt, args) __attribute__((format(ms_printf, fmt, args)))
#else
#define QM_PRINTF_FORMAT(fmt, args) __attribute__((format(printf, fmt, args)))
#endif

class CKilnLogWrapper {
public:
    CKilnLogWrapper(const char* sourcePath, int line) : m_sourcePath(sourcePath), m_line(line) {}
    virtual ~CKilnLogWrapper() = default;

    // Writes one record; 0 when written or when a failure was answered with
    // a notice, otherwise a write result. Callers ignore it.
    int Log(int kind, const char* format, ...) QM_PRINTF_FORMAT(3, 4);
    // Opens the log of this process; only the first call decides the path.
    void Start(const char* fileName, int maxSizeKB);
    // Writes the end marker.
    int End();

    const char* SourcePath() const { return m_sourcePath; }
    int Line() const { return m_line; }

private:
    const char* m_sourcePath;
    int m_line;
};

#define KILNLOG CKilnLogWrapper(__FILE__, __LINE__)
