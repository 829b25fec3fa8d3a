// The program's folders and the installed-program lookup.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "common/FileHelpers.h"
#include "common/Folders.h"

namespace {

// Sets InstallDir and removes the key again at the end of the test.
struct CInstallDir {
    ~CInstallDir() {
        ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvane\\Quillmarch");
        ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvane");
    }
    bool Set(const std::string& value, DWORD type = REG_SZ) {
        return ::RegSetKeyValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvane\\Quillmarch", "InstallDir",
                                 type, value.c_str(),
                                 static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
    }
};

}  // namespace

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
    EXPECT_EQ(data.substr(data.size() - 20), "\\Corvane\\Quillmarch\\");
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
    EXPECT_EQ(GetTemporaryFolder(), temp);
    EXPECT_TRUE(IsDirectory(temp.c_str()));
}
