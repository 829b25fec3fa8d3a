#pragma once
// The records this test process adds to its own log from a point on. The
// process never starts a log of its own, so its records go to the system
// log in the log folder, named after the program.
#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "common/LogRecord.h"

class CLogTail {
public:
    struct Entry {
        std::string mark;  // "!!" error, ".." normal, "  " detail
        std::string text;
    };

    CLogTail() : m_path(Path()), m_start(qmtest::ReadFile(m_path).size()) {}

    static std::string Path() {
        return GetLogFolder() + qm::logrec::ReplaceExtension(GetExeFileName(), "_sys.log");
    }

    // Records written since construction (all of them when the file shrank).
    std::vector<Entry> Entries() const {
        std::string all = qmtest::ReadFile(m_path);
        std::string tail = all.size() >= m_start ? all.substr(m_start) : all;
        std::vector<Entry> out;
        for (const std::string& line : qmtest::SplitLines(tail)) {
            // date time \t mark \t file \t line \t tid \t message
            size_t pos = 0;
            std::string fields[5];
            int found = 0;
            for (; found < 5; ++found) {
                size_t tab = line.find('\t', pos);
                if (tab == std::string::npos) break;
                fields[found] = line.substr(pos, tab - pos);
                pos = tab + 1;
            }
            if (found == 5 && fields[1] != "##") out.push_back({fields[1], line.substr(pos)});
        }
        return out;
    }

    // Error records only, as their texts.
    std::vector<std::string> Errors() const {
        std::vector<std::string> texts;
        for (const Entry& e : Entries())
            if (e.mark == "!!") texts.push_back(e.text);
        return texts;
    }

private:
    std::string m_path;
    size_t m_start;
};
