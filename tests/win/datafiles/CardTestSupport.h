#pragma once
// Cards and log records for the card-file tests; prefix-setup maps the drive letters.
#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"

namespace cardtest {

constexpr char kCardE = 'E';
constexpr char kCardF = 'F';
constexpr char kReadOnlyCard = 'G';
constexpr char kCardOnB = 'B';

using qmtest::EmptyDrive;
using qmtest::MakeCard;
using qmtest::Touch;
bool RunSdCard(const std::string& args);
std::string OnCard(char drive, const char* cardPath);  // "%C%s"

// The test program's own log: the records written since a mark, as "N:", "E:" or "D:" and the
// message (detail records are off).
using qmtest::LogMark;
using qmtest::LogSince;
bool LogHas(size_t mark, const std::string& kindAndText);

// The nearly full card: a removable drive on a 64 MB tmpfs.
constexpr char kSmallCard = 'N';

// Takes every free byte of a small disk for as long as it lives, but room bytes: by default
// the data folder's (P:, a 2 MB tmpfs), or the small card's.
class CDiskFiller {
public:
    explicit CDiskFiller(size_t room = 0, char drive = 'P');
    ~CDiskFiller();
    bool Full() const { return m_error == ERROR_DISK_FULL; }

private:
    std::string m_path;
    DWORD m_error = 0;
};
// The tmpfs is there only where this user may mount one.
bool DataOnSmallDisk();
bool SmallCardOnSmallDisk();

}  // namespace cardtest
