#include "CardTestSupport.h"

#include "TestSupport.h"
#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "common/WinHandle.h"

namespace cardtest {

const bool g_keepsLog = qmtest::KeepLog();

bool RunSdCard(const std::string& args) {
    const auto r = qmtest::RunProcess(qmtest::BinFolder() + "sdcard.exe", args, 60000);
    return r.finished && r.exitCode == 0;
}

std::string OnCard(char drive, const char* cardPath) { return std::string(1, drive) + cardPath; }

bool LogHas(size_t mark, const std::string& kindAndText) {
    for (const std::string& s : LogSince(mark))
        if (s == kindAndText) return true;
    return false;
}

CDiskFiller::CDiskFiller(size_t room, char drive) : m_path(std::string(1, drive) + ":\\filler") {
    const std::string keep = std::string(1, drive) + ":\\room";
    if (room && !qmtest::WriteFile(keep, std::string(room, 'r'))) return;
    qm::CFileHandle file(::CreateFileA(m_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::string chunk(65536, 'x');
    DWORD put = 0;
    while (file && ::WriteFile(file.Get(), chunk.data(), 65536, &put, nullptr) && put) {
    }
    m_error = ::GetLastError();
    ::DeleteFileA(keep.c_str());
}

CDiskFiller::~CDiskFiller() { ::DeleteFileA(m_path.c_str()); }

namespace {
bool SmallDisk(const std::string& folder, uint64_t limit) {
    ULARGE_INTEGER avail{}, total{}, free{};
    return ::GetDiskFreeSpaceExA(folder.c_str(), &avail, &total, &free) && total.QuadPart < limit;
}
}  // namespace

bool DataOnSmallDisk() { return SmallDisk(GetUserDataRoot(), 16 * 1024 * 1024); }
bool SmallCardOnSmallDisk() {
    return SmallDisk(std::string(1, kSmallCard) + ":\\", 100 * 1024 * 1024);
}

}  // namespace cardtest
