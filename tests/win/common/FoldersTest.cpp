// The program's folders and the installed-program lookup.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "common/WinHandle.h"

namespace {

constexpr const char* kInstallKey = "SOFTWARE\\Corvane\\Quillmarch\\";

// Sets (or with a null value removes) InstallDir and removes the key again
// at the end of the test.
class CInstallDir {
public:
    CInstallDir() = default;
    ~CInstallDir() {
        ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvane\\Quillmarch");
        ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvane");
    }
    bool Set(const std::string& value, DWORD type = REG_SZ) {
        HKEY raw = nullptr;
        if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kInstallKey, 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &raw, nullptr) != ERROR_SUCCESS)
            return false;
        qm::CRegKey key(raw);
        return ::RegSetValueExA(key.Get(), "InstallDir", 0, type,
                                reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
    }
};

// The user shell folder of the per-user application data, changed for one
// test and put back afterwards.
class CAppDataFolder {
public:
    static constexpr const char* kKey =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

    CAppDataFolder() {
        HKEY raw = nullptr;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &raw) !=
            ERROR_SUCCESS)
            return;
        m_key.Reset(raw);
        char buf[1024] = {};
        DWORD size = sizeof buf - 1;
        m_had = ::RegQueryValueExA(raw, "AppData", nullptr, &m_type, reinterpret_cast<BYTE*>(buf),
                                   &size) == ERROR_SUCCESS;
        m_old = buf;
    }
    ~CAppDataFolder() {
        if (!m_key || m_keep) return;
        if (m_had)
            ::RegSetValueExA(m_key.Get(), "AppData", 0, m_type,
                             reinterpret_cast<const BYTE*>(m_old.c_str()),
                             static_cast<DWORD>(m_old.size() + 1));
        else
            ::RegDeleteValueA(m_key.Get(), "AppData");
    }
    // Leaves the last value set in place (the parent puts the old one back).
    void Keep() { m_keep = true; }
    bool Set(const std::string& folder) {
        return m_key && ::RegSetValueExA(m_key.Get(), "AppData", 0, REG_EXPAND_SZ,
                                         reinterpret_cast<const BYTE*>(folder.c_str()),
                                         static_cast<DWORD>(folder.size() + 1)) == ERROR_SUCCESS;
    }

private:
    qm::CRegKey m_key;
    bool m_had = false;
    bool m_keep = false;
    DWORD m_type = REG_EXPAND_SZ;
    std::string m_old;
};

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

// Started while the shell cannot give the folder: the fall-back, then (after
// the folder named in args[1] is put in) the shell's answer, kept even when
// the shell changes its mind again (args[2]).
QM_CHILD_MAIN(fallback) {
    std::string report = GetDataFolder() + "\n";
    {
        CAppDataFolder appData;
        appData.Keep();
        if (!appData.Set(args.at(1))) return 2;
        report += GetDataFolder() + "\n";
        if (!appData.Set(args.at(2))) return 3;
        report += GetDataFolder() + "\n";
    }
    return qmtest::WriteFile(args.at(0), report) ? 0 : 1;
}

TEST(GetProgramPath, ReadsInstallDirOfTheLocalMachine) {
    CInstallDir install;
    EXPECT_EQ(GetProgramPath(kProgramLauncher), "") << "not installed";
    struct {
        std::string value;
        int program;
        std::string expected;
    } cases[] = {
        {"C:\\Program Files\\Corvane", kProgramMusic,
         "C:\\Program Files\\Corvane\\Quillmarch_Music.exe"},
        {"C:\\x", 3, ""},
        {"D:\\Apps\\", kProgramCore, "D:\\Apps\\Quillmarch_Core.exe"},
        // 表 ends with the byte 0x5C, which is no separator.
        {"D:\\表", kProgramLauncher, "D:\\表\\Quillmarch.exe"},
        {"", kProgramCore, "\\Quillmarch_Core.exe"},
        // 511 characters and the terminator fill the 512-byte buffer exactly.
        {"C:\\" + std::string(508, 'p'), kProgramCore,
         "C:\\" + std::string(508, 'p') + "\\Quillmarch_Core.exe"},
        {"C:\\" + std::string(509, 'p'), kProgramCore, ""},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(install.Set(c.value));
        EXPECT_EQ(GetProgramPath(c.program), c.expected) << c.value;
    }
    // Not a text value.
    ASSERT_TRUE(install.Set("C:\\x", REG_BINARY));
    EXPECT_EQ(GetProgramPath(kProgramLauncher), "");
}

TEST(Folders, EveryGetterEndsWithASeparatorAndCreatesItsFolder) {
    const std::string data = GetDataFolder();
    EXPECT_TRUE(EndsWith(data, "\\Corvane\\Quillmarch\\")) << data;
    EXPECT_TRUE(IsDirectory(data.c_str()));
    EXPECT_EQ(GetUserDataFolder("0123ABCD"), data + "Data\\0123ABCD\\");
    EXPECT_TRUE(IsDirectory((data + "Data\\0123ABCD").c_str()));
    EXPECT_EQ(GetUserDataFolder(nullptr), "");

    char sys[MAX_PATH] = {};
    ::GetSystemDirectoryA(sys, MAX_PATH);
    const std::string download = GetDefaultDownloadFolder();
    EXPECT_EQ(download, std::string(1, sys[0]) + ":\\Quillmarch\\Download\\");
    EXPECT_TRUE(IsDirectory(download.c_str()));

    // A folder removed meanwhile is made again by the next call.
    const std::string temp = GetTemporaryFolder();
    ASSERT_TRUE(DeleteFolderTree(temp.c_str(), true));
    ASSERT_FALSE(IsDirectory(temp.c_str()));
    EXPECT_EQ(GetTemporaryFolder(), temp);
    EXPECT_TRUE(IsDirectory(temp.c_str()));
}

TEST(Folders, TheFallBackIsNotKept) {
    const std::string first = qmtest::NewFolder("appdata_first");
    const std::string second = qmtest::NewFolder("appdata_second");
    const std::string report = qmtest::WorkFolder() + "fallback.txt";
    CAppDataFolder appData;
    // A folder on a drive that does not exist cannot be created: no answer.
    ASSERT_TRUE(appData.Set("Q:\\nowhere\\AppData"));
    const qmtest::ProcessResult r =
        qmtest::RunChild("fallback", report + " " + first.substr(0, first.size() - 1) + " " +
                                         second.substr(0, second.size() - 1));
    ASSERT_TRUE(r.finished);
    ASSERT_EQ(r.exitCode, 0u);
    char sys[MAX_PATH] = {};
    ::GetSystemDirectoryA(sys, MAX_PATH);
    EXPECT_EQ(qmtest::ReadFile(report),
              std::string(1, sys[0]) +
                  ":\\Documents and Settings\\All Users\\Application Data\\\n" + first +
                  "Corvane\\Quillmarch\\\n" + first + "Corvane\\Quillmarch\\\n");
}
