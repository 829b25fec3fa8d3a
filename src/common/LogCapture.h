#pragma once
// Records logged by the portable core in the native build (see KilnLog_native.cpp).
#include <string>
#include <vector>

namespace qm::test {
struct CapturedRecord {
    int kind;
    std::string file;
    std::string text;
};
std::vector<CapturedRecord>& CapturedLogs();
}  // namespace qm::test
