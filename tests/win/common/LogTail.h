#pragma once
// The error records this test process adds to its own log from a point on. The process never
// starts a log of its own, so its records go to the system log in the log folder, named after
// the program.
#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "common/LogRecord.h"

class CLogTail {
public:
    CLogTail()
        : m_path(GetLogFolder() + qm::logrec::ReplaceExtension(GetExeFileName(), "_sys.log")),
          m_start(qmtest::ReadFile(m_path).size()) {}

    // Error texts written since construction (all of them when the file shrank).
    std::vector<std::string> Errors() const {
        const std::string all = qmtest::ReadFile(m_path);
        std::vector<std::string> texts;
        for (const std::string& r :
             qmtest::LogRecordTexts(all.substr(all.size() >= m_start ? m_start : 0)))
            if (r.compare(0, 2, "E:") == 0) texts.push_back(r.substr(2));
        return texts;
    }

    // How many error records begin with prefix (the OS error at the end varies).
    size_t Count(const std::string& prefix) const {
        size_t n = 0;
        for (const std::string& e : Errors()) n += e.compare(0, prefix.size(), prefix) == 0;
        return n;
    }

private:
    std::string m_path;
    size_t m_start;
};
