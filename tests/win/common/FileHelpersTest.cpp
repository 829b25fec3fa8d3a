// Folder creation, size and deletion, the path tests, version resources and
// text conversion on the real (Wine) file system.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "TestSupport.h"
#include "common/CodePage.h"
#include "common/FileHelpers.h"
#include "common/WinHandle.h"
#include "qm_version.h"

namespace {

bool IsDirectoryW(const std::wstring& path) {
    DWORD a = ::GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// A folder right below the root of the drive that holds the temporary folder.
std::string RootFolder(const char* name) {
    std::string work = qmtest::WorkFolder();
    return work.substr(0, 3) + name + "-" + std::to_string(::GetCurrentProcessId()) + "\\";
}

// Removes a test folder at the end of a test, whatever happened.
struct CFolderCleanup {
    std::string path;
    ~CFolderCleanup() { DeleteFolderTree(path.c_str(), true); }
};

}  // namespace

// ---- CreateDirectories ------------------------------------------------------

TEST(CreateDirectories, BothFormsBuildParentsAndRefuseFiles) {
    // The plain-text and the string form are separate walks; both must agree.
    bool (*const forms[])(const std::string&) = {
        [](const std::string& p) { return CreateDirectories(p.c_str()); },
        [](const std::string& p) { return CreateDirectories(p); }};
    for (int form = 0; form < 2; ++form) {
        SCOPED_TRACE(form ? "string form" : "plain text");
        auto make = forms[form];
        const std::string top = RootFolder(form ? "qmtext" : "qmdeep");
        CFolderCleanup cleanup{top};
        const std::string deep = top + "a\\b\\c\\d";
        ASSERT_FALSE(IsDirectory(top.c_str()));
        EXPECT_TRUE(make(deep));
        EXPECT_TRUE(IsDirectory(deep.c_str()));
        // Done already, with or without the final separator; a drive root is done.
        EXPECT_TRUE(make(deep));
        EXPECT_TRUE(make(deep + "\\e\\"));
        EXPECT_TRUE(IsDirectory((deep + "\\e").c_str()));
        EXPECT_TRUE(make(top.substr(0, 3)));
        EXPECT_FALSE(make(""));
        // A component that is a file fails and the file stays.
        ASSERT_TRUE(qmtest::WriteFile(top + "file", "data"));
        EXPECT_FALSE(make(top + "file"));
        EXPECT_FALSE(make(top + "file\\sub\\deeper"));
        EXPECT_EQ(qmtest::ReadFile(top + "file"), "data");
        EXPECT_FALSE(IsDirectory((top + "file\\sub").c_str()));
    }
    EXPECT_FALSE(CreateDirectories(static_cast<const char*>(nullptr)));
}

TEST(CreateDirectories, PlainTextGoesBeyondMaxPath) {
    const std::string folder = qmtest::NewFolder("mkdir_long");
    std::string path = folder;
    for (int i = 0; i < 8; ++i) path += std::string(40, static_cast<char>('a' + i)) + "\\";
    ASSERT_GT(path.size(), 300u);
    EXPECT_TRUE(CreateDirectories(path.c_str()));
    EXPECT_TRUE(IsDirectoryW(L"\\\\?\\" + AnsiToWide(path)));
}

TEST(CreateDirectories, TrailBytesThatLookLikeSeparatorsStayInTheName) {
    const std::string folder = qmtest::NewFolder("mkdir_sjis");
    // 表 and 能 end with the byte 0x5C.
    EXPECT_TRUE(CreateDirectories((folder + "表\\能\\x").c_str()));
    EXPECT_TRUE(CreateDirectories(folder + "予定表\\ソ"));
    std::vector<std::string> names = qmtest::ListFiles(folder + "*");
    EXPECT_TRUE(Contains(names, "表"));
    EXPECT_TRUE(Contains(names, "予定表"));
    EXPECT_EQ(names.size(), 2u) << "no folder named after a lead byte alone";
    EXPECT_TRUE(IsDirectory((folder + "表\\能\\x").c_str()));
    EXPECT_TRUE(IsDirectory((folder + "予定表\\ソ").c_str()));
}

// ---- GetFolderSize ----------------------------------------------------------

TEST(GetFolderSize, AddsEveryFileBelowTheFolder) {
    const std::string folder = qmtest::NewFolder("size");
    ASSERT_TRUE(qmtest::WriteFile(folder + "empty", ""));
    ASSERT_TRUE(qmtest::WriteFile(folder + "one", "1"));
    ASSERT_TRUE(CreateDirectories((folder + "sub\\deeper").c_str()));
    ASSERT_TRUE(qmtest::WriteFile(folder + "sub\\k", std::string(1000, 'k')));
    ASSERT_TRUE(qmtest::WriteFile(folder + "sub\\deeper\\big", std::string(70000, 'b')));
    ASSERT_TRUE(CreateDirectories((folder + "hollow").c_str()));
    EXPECT_EQ(GetFolderSize(folder.c_str()), 71001u);
    // With or without the final separator.
    std::string bare = folder.substr(0, folder.size() - 1);
    EXPECT_EQ(GetFolderSize(bare.c_str()), 71001u);
    EXPECT_EQ(GetFolderSize((folder + "sub").c_str()), 71000u);
    EXPECT_EQ(GetFolderSize((folder + "hollow").c_str()), 0u);
    EXPECT_EQ(GetFolderSize((folder + "missing").c_str()), 0u);
    EXPECT_EQ(GetFolderSize(nullptr), 0u);
}

TEST(GetFolderSize, CountsTheHighPartOfLargeFiles) {
    const std::string folder = qmtest::NewFolder("size_large");
    {
        // A sparse 4 GiB + 5 file costs nothing on the host's disk.
        qm::CFileHandle f(::CreateFileA((folder + "huge").c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(f);
        LARGE_INTEGER size;
        size.QuadPart = (1LL << 32) + 5;
        ASSERT_TRUE(::SetFilePointerEx(f.Get(), size, nullptr, FILE_BEGIN));
        ASSERT_TRUE(::SetEndOfFile(f.Get()));
    }
    ASSERT_TRUE(qmtest::WriteFile(folder + "small", "12"));
    EXPECT_EQ(GetFolderSize(folder.c_str()), (1ULL << 32) + 7);
    ::DeleteFileA((folder + "huge").c_str());
}

// ---- DeleteFolderTree -------------------------------------------------------

namespace {
void MakeTree(const std::string& folder) {
    ASSERT_TRUE(CreateDirectories((folder + "a\\b").c_str()));
    ASSERT_TRUE(CreateDirectories((folder + "c").c_str()));
    ASSERT_TRUE(qmtest::WriteFile(folder + "top.txt", "t"));
    ASSERT_TRUE(qmtest::WriteFile(folder + "a\\one.txt", "1"));
    ASSERT_TRUE(qmtest::WriteFile(folder + "a\\b\\two.txt", "2"));
    ASSERT_TRUE(qmtest::WriteFile(folder + "c\\three.txt", "3"));
}
}  // namespace

TEST(DeleteFolderTree, RemovesEverythingAndOptionallyTheFolder) {
    const std::string folder = qmtest::NewFolder("del_all");
    MakeTree(folder);
    EXPECT_TRUE(DeleteFolderTree(folder.c_str(), false));
    EXPECT_TRUE(IsDirectory(folder.c_str()));
    EXPECT_TRUE(qmtest::ListFiles(folder + "*").empty());

    MakeTree(folder);
    std::string bare = folder.substr(0, folder.size() - 1);
    EXPECT_TRUE(DeleteFolderTree(bare.c_str(), true));
    EXPECT_FALSE(PathExists(bare.c_str()));
    // Nothing to search any more.
    EXPECT_FALSE(DeleteFolderTree(bare.c_str(), true));
    EXPECT_FALSE(DeleteFolderTree(nullptr, true));
}

TEST(DeleteFolderTree, AReadOnlyFileFailsTheResultButNotTheRest) {
    const std::string folder = qmtest::NewFolder("del_readonly");
    MakeTree(folder);
    const std::string locked = folder + "a\\b\\two.txt";
    ASSERT_TRUE(::SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(DeleteFolderTree(folder.c_str(), true));
    // Only the file and the folders that hold it are left.
    EXPECT_EQ(qmtest::ListFiles(folder + "*"), std::vector<std::string>{"a"});
    EXPECT_EQ(qmtest::ListFiles(folder + "a\\*"), std::vector<std::string>{"b"});
    EXPECT_EQ(qmtest::ListFiles(folder + "a\\b\\*"), std::vector<std::string>{"two.txt"});
    ::SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(DeleteFolderTree(folder.c_str(), true));
    EXPECT_FALSE(PathExists(folder.c_str()));
}

// ---- path tests -------------------------------------------------------------

TEST(PathTests, ExistsDirectoryRoot) {
    const std::string folder = qmtest::NewFolder("paths");
    ASSERT_TRUE(qmtest::WriteFile(folder + "f", "x"));
    EXPECT_TRUE(PathExists((folder + "f").c_str()));
    EXPECT_TRUE(PathExists(folder.c_str()));
    EXPECT_FALSE(PathExists((folder + "g").c_str()));
    EXPECT_FALSE(PathExists(nullptr));
    EXPECT_TRUE(IsDirectory(folder.c_str()));
    EXPECT_FALSE(IsDirectory((folder + "f").c_str()));
    EXPECT_FALSE(IsDirectory((folder + "g").c_str()));
    EXPECT_FALSE(IsDirectory(nullptr));
    EXPECT_TRUE(IsRoot("C:\\"));
    EXPECT_TRUE(IsRoot("\\"));
    EXPECT_TRUE(IsRoot("\\\\server\\share"));
    EXPECT_FALSE(IsRoot("C:\\Windows"));
    EXPECT_FALSE(IsRoot(folder.c_str()));
    EXPECT_FALSE(IsRoot(nullptr));
}

// ---- versions ---------------------------------------------------------------

TEST(VersionInfo, ResultsOfLoadVersionInfo) {
    const std::string launcher = GetExeFolder() + "Quillmarch.exe";
    CVersionBlock block;
    EXPECT_EQ(GetFileVersionText(block), nullptr);
    ASSERT_EQ(LoadVersionInfo(launcher.c_str(), block), 0);
    ASSERT_NE(GetFileVersionText(block), nullptr);
    EXPECT_STREQ(GetFileVersionText(block), QM_VERSION_TEXT);
    EXPECT_STREQ(block.Query("\\StringFileInfo\\041104b0\\ProductVersion"), QM_VERSION_TEXT);
    EXPECT_EQ(block.Query("\\StringFileInfo\\040904b0\\FileVersion"), nullptr);

    // A failed load replaces the block.
    EXPECT_EQ(LoadVersionInfo((GetExeFolder() + "none.exe").c_str(), block), 1);
    EXPECT_EQ(GetFileVersionText(block), nullptr);
    const std::string text = qmtest::NewFolder("version") + "plain.txt";
    ASSERT_TRUE(qmtest::WriteFile(text, "not a program"));
    EXPECT_EQ(LoadVersionInfo(text.c_str(), block), 2);
    // This test program carries no version resource.
    EXPECT_EQ(LoadVersionInfo(GetExePath().c_str(), block), 2);
}

TEST(VersionInfo, ProductLabelOfTheLauncher) {
    // The launcher's resource says QM_VERSION_TEXT, four dotted parts.
    std::string version = QM_VERSION_TEXT;
    ASSERT_EQ(std::count(version.begin(), version.end(), '.'), 3);
    const std::string launcher = GetExeFolder() + "Quillmarch.exe";
    EXPECT_EQ(GetProductVersionLabel(launcher.c_str()),
              "Ver." + version.substr(0, version.rfind('.')));
    // Without a resource the label is bare.
    EXPECT_EQ(GetProductVersionLabel(), "Ver.");
    EXPECT_EQ(GetProductVersionLabel((GetExeFolder() + "none.exe").c_str()), "Ver.");
}

// ---- text -------------------------------------------------------------------

TEST(ConvertCodePage, BetweenShiftJisAndUtf8) {
    auto utf8 = ConvertCodePage("日本", 932, CP_UTF8);
    ASSERT_TRUE(utf8.has_value());
    EXPECT_EQ(*utf8, "\xE6\x97\xA5\xE6\x9C\xAC");
    auto back = ConvertCodePage(utf8->c_str(), CP_UTF8, 932);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, "日本");
    // The ANSI code page of the tests is 932.
    EXPECT_EQ(ConvertCodePage("表", CP_ACP, CP_UTF8).value_or("?"), "\xE8\xA1\xA8");
    // A character with no 932 form becomes the default character.
    EXPECT_EQ(ConvertCodePage("\xE0\xB8\x81x", CP_UTF8, 932).value_or("!"), "?x");  // Thai ko kai
    EXPECT_EQ(ConvertCodePage("", 932, CP_UTF8).value_or("!"), "");
    EXPECT_FALSE(ConvertCodePage(nullptr, 932, CP_UTF8).has_value());
    EXPECT_FALSE(ConvertCodePage("abc", 12345, CP_UTF8).has_value());
    EXPECT_FALSE(ConvertCodePage("abc", 932, 12345).has_value());
    EXPECT_FALSE(ConvertCodePage("", 12345, CP_UTF8).has_value());
}

TEST(UrlEscape, ThroughTheSystemCodePage) {
    EXPECT_EQ(UrlEscape("日本 *"), "%E6%97%A5%E6%9C%AC%20%2A");
    EXPECT_EQ(UrlEscape("予定表_v-1"), "%E4%BA%88%E5%AE%9A%E8%A1%A8_v-1");
}
