// Native stand-in for the log writer: the portable core's tests read back what
// was logged from memory instead of from files.
#include "common/KilnLog.h"

#include "common/LogCapture.h"

#include <cstdarg>

namespace qm::test {
std::vector<CapturedRecord>& CapturedLogs() {
    static std::vector<CapturedRecord> records;
    return records;
}
}  // namespace qm::test

int CKilnLogWrapper::Log(int kind, const char* format, ...) {
    va_list args;
    va_start(args, format);
    bool truncated = false;
    std::string text = qm::logrec::FormatText(truncated, format, args);
    va_end(args);
    qm::test::CapturedLogs().push_back({kind, qm::logrec::SourceFileName(m_sourcePath), text});
    return 0;
}

void CKilnLogWrapper::Start(const char*, int) {}

int CKilnLogWrapper::End() { return 0; }
