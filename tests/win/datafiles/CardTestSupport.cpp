#include "CardTestSupport.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "common/FileHelpers.h"
#include "common/KilnLog.h"

namespace cardtest {

namespace {

std::string LogPath() { return qmtest::WorkFolder() + "datafiles.log"; }

class LogEnvironment : public ::testing::Environment {
public:
    void SetUp() override { KILNLOG.Start(LogPath().c_str(), 4096); }
    void TearDown() override { KILNLOG.End(); }
};
const auto* const g_logEnvironment = ::testing::AddGlobalTestEnvironment(new LogEnvironment);

}  // namespace

bool RunSdCard(const std::string& args) {
    const auto r = qmtest::RunProcess(qmtest::BinFolder() + "sdcard.exe", args, 60000);
    return r.finished && r.exitCode == 0;
}

std::string OnCard(char drive, const char* cardPath) { return std::string(1, drive) + cardPath; }

size_t LogMark() { return qmtest::ReadFile(LogPath()).size(); }

std::vector<std::string> LogSince(size_t mark) {
    const std::string text = qmtest::ReadFile(LogPath());
    return qmtest::LogRecordTexts(text.size() > mark ? text.substr(mark) : "");
}

bool LogHas(size_t mark, const std::string& kindAndText) {
    for (const std::string& s : LogSince(mark))
        if (s == kindAndText) return true;
    return false;
}

}  // namespace cardtest
