// Folder creation, size and deletion, version resources and text conversion
// on the real (Wine) file system.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "TestSupport.h"
#include "common/CodePage.h"
#include "common/FileHelpers.h"
#include "common/WinHandle.h"
#include "qm_version.h"

using Names = std::vector<std::string>;

TEST(CreateDirectories, BothFormsBuildParentsAndRefuseFiles) {
    // The plain-text and the string form are separate walks; both must agree.
    bool (*const forms[])(const std::string&) = {
        [](const std::string& p) { return CreateDirectories(p.c_str()); },
        [](const std::string& p) { return CreateDirectories(p); }};
    for (int form = 0; form < 2; ++form) {
        SCOPED_TRACE(form);
        auto make = forms[form];
        // Right below the root of the drive that holds the temporary folder.
        const std::string top = qmtest::WorkFolder().substr(0, 3) + "qmdeep" +
                                std::to_string(form) + "-" +
                                std::to_string(::GetCurrentProcessId()) + "\\";
        const std::string deep = top + "a\\b\\c\\d";
        EXPECT_TRUE(make(deep));
        EXPECT_TRUE(IsDirectory(deep.c_str()));
        // Done already, with or without the final separator; a drive root is done.
        EXPECT_TRUE(make(deep));
        EXPECT_TRUE(make(deep + "\\e\\"));
        EXPECT_TRUE(make(top.substr(0, 3)));
        EXPECT_FALSE(make(""));
        // A component that is a file fails and the file stays.
        ASSERT_TRUE(qmtest::WriteFile(top + "file", "data"));
        EXPECT_FALSE(make(top + "file\\sub\\deeper"));
        EXPECT_EQ(qmtest::ReadFile(top + "file"), "data");
        EXPECT_TRUE(DeleteFolderTree(top.c_str(), true));
    }
    EXPECT_FALSE(CreateDirectories(static_cast<const char*>(nullptr)));
}

TEST(CreateDirectories, LongPathsAndTrailBytesThatLookLikeSeparators) {
    const std::string folder = qmtest::NewFolder("mkdir");
    std::string path = folder + "long\\";
    for (int i = 0; i < 8; ++i) path += std::string(40, static_cast<char>('a' + i)) + "\\";
    EXPECT_TRUE(CreateDirectories(path.c_str()));
    const DWORD a = ::GetFileAttributesW((L"\\\\?\\" + AnsiToWide(path)).c_str());
    EXPECT_TRUE(a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) << "past MAX_PATH";
    // 表 and 能 end with the byte 0x5C.
    EXPECT_TRUE(CreateDirectories((folder + "表\\能\\x").c_str()));
    EXPECT_TRUE(CreateDirectories(folder + "予定表\\ソ"));
    Names names = qmtest::ListFiles(folder + "*");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Names{"long", "表", "予定表"})) << "no folder named after a lead byte alone";
    EXPECT_TRUE(IsDirectory((folder + "表\\能\\x").c_str()));
    EXPECT_TRUE(IsDirectory((folder + "予定表\\ソ").c_str()));
}

TEST(GetFolderSize, AddsEveryFileBelowTheFolderWithTheHighPart) {
    const std::string folder = qmtest::NewFolder("size");
    ASSERT_TRUE(CreateDirectories((folder + "sub\\deeper").c_str()));
    ASSERT_TRUE(qmtest::WriteFile(folder + "one", "1"));
    ASSERT_TRUE(qmtest::WriteFile(folder + "sub\\deeper\\big", std::string(70000, 'b')));
    EXPECT_EQ(GetFolderSize(folder.c_str()), 70001u);
    EXPECT_EQ(GetFolderSize(folder.substr(0, folder.size() - 1).c_str()), 70001u);
    EXPECT_EQ(GetFolderSize(nullptr), 0u);
    {
        // A sparse 4 GiB + 5 file costs nothing on the host's disk.
        qm::CFileHandle f(::CreateFileA((folder + "sub\\huge").c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, 0, nullptr));
        LARGE_INTEGER size;
        size.QuadPart = (1LL << 32) + 5;
        ASSERT_TRUE(::SetFilePointerEx(f.Get(), size, nullptr, FILE_BEGIN));
        ASSERT_TRUE(::SetEndOfFile(f.Get()));
    }
    EXPECT_EQ(GetFolderSize(folder.c_str()), (1ULL << 32) + 70006);
    ::DeleteFileA((folder + "sub\\huge").c_str());
}

TEST(DeleteFolderTree, AReadOnlyFileFailsTheResultButNotTheRest) {
    const std::string folder = qmtest::NewFolder("del_readonly");
    ASSERT_TRUE(CreateDirectories((folder + "a\\b").c_str()));
    ASSERT_TRUE(CreateDirectories((folder + "c").c_str()));
    for (const char* f : {"top.txt", "a\\one.txt", "a\\b\\two.txt", "c\\three.txt"})
        ASSERT_TRUE(qmtest::WriteFile(folder + f, f));
    const std::string locked = folder + "a\\b\\two.txt";
    ASSERT_TRUE(::SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(DeleteFolderTree(folder.c_str(), true));
    // Only the file and the folders that hold it are left.
    EXPECT_EQ(qmtest::ListFiles(folder + "*"), Names{"a"});
    EXPECT_EQ(qmtest::ListFiles(folder + "a\\*"), Names{"b"});
    ::SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(DeleteFolderTree(folder.c_str(), false));
    EXPECT_TRUE(qmtest::ListFiles(folder + "*").empty()) << "the folder itself stays";
    EXPECT_TRUE(DeleteFolderTree(folder.c_str(), true));
    EXPECT_FALSE(PathExists(folder.c_str()));
    EXPECT_FALSE(DeleteFolderTree(folder.c_str(), true)) << "nothing to search any more";
}

TEST(VersionInfo, LoadResultsAndTheProductLabel) {
    const std::string launcher = GetExeFolder() + "Quillmarch.exe";
    CVersionBlock block;
    ASSERT_EQ(LoadVersionInfo(launcher.c_str(), block), 0);
    EXPECT_STREQ(GetFileVersionText(block), QM_VERSION_TEXT);
    EXPECT_STREQ(block.Query("\\StringFileInfo\\041104b0\\ProductVersion"), QM_VERSION_TEXT);
    EXPECT_EQ(block.Query("\\StringFileInfo\\040904b0\\FileVersion"), nullptr);
    // A failed load replaces the block; this test program carries no version resource.
    EXPECT_EQ(LoadVersionInfo((GetExeFolder() + "none.exe").c_str(), block), 1);
    EXPECT_EQ(GetFileVersionText(block), nullptr);
    EXPECT_EQ(LoadVersionInfo(GetExePath().c_str(), block), 2);
}

TEST(ConvertCodePage, BetweenShiftJisAndUtf8) {
    EXPECT_EQ(ConvertCodePage("日本", 932, CP_UTF8).value_or("!"), "\xE6\x97\xA5\xE6\x9C\xAC");
    // The ANSI code page of the tests is 932.
    EXPECT_EQ(ConvertCodePage("表", CP_ACP, CP_UTF8).value_or("?"), "\xE8\xA1\xA8");
    // A character with no 932 form becomes the default character.
    EXPECT_EQ(ConvertCodePage("\xE0\xB8\x81x", CP_UTF8, 932).value_or("!"), "?x");  // Thai ko kai
    EXPECT_FALSE(ConvertCodePage(nullptr, 932, CP_UTF8).has_value());
    EXPECT_FALSE(ConvertCodePage("abc", 12345, CP_UTF8).has_value());
    EXPECT_FALSE(ConvertCodePage("", 932, 12345).has_value());
    EXPECT_EQ(UrlEscape("予定表 *"), "%E4%BA%88%E5%AE%9A%E8%A1%A8%20%2A");
}
