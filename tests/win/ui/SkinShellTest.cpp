#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "SkinBoxWatcher.h"
#include "SkinTestFiles.h"
#include "TestSupport.h"
#include "ui/Skin.h"
#include "ui/SkinDump.h"

using namespace ui;
using skintest::CSkinBoxWatcher;
using skintest::SkinFile;
using skintest::SourcePath;
using skintest::ThrownText;

namespace {

// Quillmarch.exe carries the skins; the test program does not.
HMODULE ProgramModule() {
    static HMODULE module = ::LoadLibraryExA((qmtest::BinFolder() + "Quillmarch.exe").c_str(),
                                             nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return module;
}

class SkinShell : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(ProgramModule(), nullptr);
        SetSkinSource(nullptr);
        SetSkinResourceMode(ProgramModule(), ProgramModule(), ProgramModule());
        ClearSkinCache();
    }
    void TearDown() override {
        SetSkinSource(nullptr);
        ClearSkinCache();
    }
};

}  // namespace

TEST_F(SkinShell, ResourcesOfTypeSkinInTheProgram) {
    std::string common, strings;
    ASSERT_TRUE(CResourceSkinSource::ReadResource(ProgramModule(), "Common.txt", common));
    // Carried byte for byte.
    EXPECT_EQ(common, qmtest::ReadFile(SourcePath("resources/skin/Common.txt")));
    // Names match without regard to case.
    std::string again;
    EXPECT_TRUE(CResourceSkinSource::ReadResource(ProgramModule(), "COMMON.txt", again));
    EXPECT_EQ(again, common);
    ASSERT_TRUE(CResourceSkinSource::ReadResource(ProgramModule(), "DefaultUIString.txt", strings));
    EXPECT_EQ(strings.substr(0, 2), "\xFF\xFE");
    EXPECT_FALSE(CResourceSkinSource::ReadResource(ProgramModule(), "Nowhere.txt", again));

    CResourceSkinSource source(ProgramModule(), ProgramModule());
    std::vector<std::wstring> lines;
    ASSERT_TRUE(source.ReadSkinLines("DefaultUIString.txt", SkinFileKind::kLanguage, lines));
    ASSERT_GT(lines.size(), 1u);
    EXPECT_EQ(lines[0], L"<SDC2 Skin Definition File Version 0.10>");
    EXPECT_FALSE(source.ReadSkinLines("Nowhere.txt", SkinFileKind::kAny, lines));
}

TEST_F(SkinShell, GetSkinFromResourcesMatchesGolden) {
    SkinData skin = GetSkin("Common.txt");
    EXPECT_EQ(DumpSkinTree(skin, SkinDumpCharset::kUtf8),
              qmtest::ReadFile(SourcePath("tests/golden/Common.tree.txt")));
    // The font name came from the language file through the system's code page.
    EXPECT_EQ(skin["WindowBaseClass"].properties["Font"],
              (SkinValues{"ＭＳ Ｐゴシック", "12", "400"}));
}

TEST_F(SkinShell, CacheHandsOutCopiesAndKeepsTheFirstLoad) {
    const std::string folder = qmtest::NewFolder("cache");
    SetSkinFolderMode(folder);
    EXPECT_EQ(GetSkinFolder(), folder);
    ASSERT_TRUE(qmtest::WriteFile(folder + "Win.txt", SkinFile("A { K = first; }")));
    SkinData skin = GetSkin("Win.txt");
    EXPECT_EQ(skin["A"].properties["K"], SkinValues{"first"});
    skin["A"].properties["K"] = {"changed"};
    // The file changes on disk: the process keeps what it loaded first.
    ASSERT_TRUE(qmtest::WriteFile(folder + "Win.txt", SkinFile("A { K = second; }")));
    EXPECT_EQ(GetSkin("Win.txt")["A"].properties["K"], SkinValues{"first"});
    ClearSkinCache();
    EXPECT_EQ(GetSkin("Win.txt")["A"].properties["K"], SkinValues{"second"});
}

TEST_F(SkinShell, FailedFileIsShownThrownAndNotCached) {
    const std::string folder = qmtest::NewFolder("failed");
    SetSkinFolderMode(folder);
    ASSERT_TRUE(qmtest::WriteFile(folder + "Bad.txt", SkinFile("A {\n K = 1 2;\n}")));
    {
        CSkinBoxWatcher watcher;
        EXPECT_EQ(ThrownText([] { GetSkin("Bad.txt"); }),
                  "Bad.txt line 3:区切り文字が見つかりません。");
        auto boxes = watcher.Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, "Bad.txt line 3:区切り文字が見つかりません。");
        EXPECT_TRUE(boxes[0].stopIcon);
    }
    // Mended, the next request reads it again.
    ASSERT_TRUE(qmtest::WriteFile(folder + "Bad.txt", SkinFile("A {\n K = 1, 2;\n}")));
    EXPECT_EQ(GetSkin("Bad.txt")["A"].properties["K"], (SkinValues{"1", "2"}));
}

TEST_F(SkinShell, IncludeErrorShowsEveryLevel) {
    const std::string folder = qmtest::NewFolder("nested");
    SetSkinFolderMode(folder);
    ASSERT_TRUE(qmtest::WriteFile(folder + "Win.txt", SkinFile("#include \"Mid.txt\"")));
    ASSERT_TRUE(qmtest::WriteFile(folder + "Mid.txt", SkinFile("#include \"Gone.txt\"")));
    CSkinBoxWatcher watcher;
    EXPECT_EQ(ThrownText([] { GetSkin("Win.txt"); }),
              "[Mid.txtの取り込みエラー][Gone.txtの取り込みエラー]skin file open error");
    EXPECT_EQ(watcher.Texts(),
              (std::vector<std::string>{
                  "skin file open error", "[Gone.txtの取り込みエラー]skin file open error",
                  "[Mid.txtの取り込みエラー][Gone.txtの取り込みエラー]skin file open error"}));
}

TEST_F(SkinShell, MissingFileInEitherMode) {
    CSkinBoxWatcher watcher;
    EXPECT_EQ(ThrownText([] { GetSkin("Nowhere.txt"); }), "skin file open error");
    SetSkinFolderMode(qmtest::NewFolder("empty"));
    EXPECT_EQ(ThrownText([] { GetSkin("Nowhere.txt"); }), "skin file open error");
    EXPECT_EQ(watcher.Texts().size(), 2u);
}

TEST_F(SkinShell, FolderModeReadsUtf16AndCodePageFiles) {
    const std::string folder = qmtest::NewFolder("encodings");
    SetSkinFolderMode(folder);
    // UTF-16LE with LF line ends (text-mode reading) and "表" (U+8868).
    const std::string utf16(
        "\xFF\xFE"
        "h\0\n\0A\0{\0K\0=\0\x68\x88;\0}\0\n\0",
        24);
    ASSERT_TRUE(qmtest::WriteFile(folder + "Wide.txt", utf16));
    EXPECT_EQ(GetSkin("Wide.txt")["A"].properties["K"], SkinValues{"表"});
    ASSERT_TRUE(qmtest::WriteFile(folder + "Ansi.txt", "h\nA { K = 表; }\r\n"));
    EXPECT_EQ(GetSkin("Ansi.txt")["A"].properties["K"], SkinValues{"表"});
}

TEST_F(SkinShell, ConcurrentRequestsLoadOnce) {
    // A slow source: a second thread asking meanwhile must wait for the
    // first load instead of reading the file again.
    class CSlowSource : public ISkinFileSource {
    public:
        bool ReadSkinLines(const std::string&, SkinFileKind,
                           std::vector<std::wstring>& lines) override {
            ++reads;
            ::Sleep(300);
            lines = {L"header", L"A { K = 1; }"};
            return true;
        }
        std::atomic<int> reads{0};
    } slow;
    SetSkinSource(&slow);
    SkinData first, second;
    std::thread a([&] { first = GetSkin("Slow.txt"); });
    std::thread b([&] { second = GetSkin("Slow.txt"); });
    a.join();
    b.join();
    EXPECT_EQ(slow.reads.load(), 1);
    EXPECT_EQ(first["A"].properties["K"], SkinValues{"1"});
    EXPECT_EQ(second["A"].properties["K"], SkinValues{"1"});
}

TEST_F(SkinShell, ThrowingChecks) {
    SkinData skin;
    skin["Base"].name = "Base";
    skin["Base"].properties["Title"] = {"t", "u"};
    CSkinBoxWatcher watcher;
    EXPECT_EQ(&GetItem(skin, "Base"), &skin["Base"]);
    EXPECT_EQ(ThrownText([&] { GetItem(skin, "CloseButton"); }), "CloseButtonが記述されていません");
    static const char* const kNames[] = {"Base", "TitleStatic"};
    EXPECT_EQ(ThrownText([&] { RequireItems(skin, kNames, 2); }),
              "TitleStaticが記述されていません");
    static const PropertySpec kTitle[] = {{"Title", "s"}};
    EXPECT_EQ(ThrownText([&] { CheckProperties(skin["Base"], kTitle, 1); }),
              "Base/Titleのパラメータは 1個必要ですが、2個指定されています");
    EXPECT_EQ(ThrownText([&] { GetStringTable(skin); }), "StringTableが記述されていません");
    skin["StringTable"].properties["Hello"] = {"a\\nb"};
    EXPECT_EQ(GetStringTable(skin)["Hello"], "a\nb");
    EXPECT_EQ(watcher.Texts().size(), 4u);
}

TEST_F(SkinShell, Images) {
    const std::string folder = qmtest::NewFolder("images");
    SetSkinFolderMode(folder);
    ASSERT_TRUE(qmtest::WriteFile(folder + "Parts.png", "PNGBYTES"));
    EXPECT_EQ(LoadSkinImage("Parts.png"), "PNGBYTES");
    EXPECT_EQ(LoadSkinImage("Parts.png/lang"), "PNGBYTES");
    CSkinBoxWatcher watcher;
    EXPECT_EQ(ThrownText([] { LoadSkinImage("Base.png"); }), folder + "Base.pngが読み込めません.");
    // Resource mode: Quillmarch.exe carries the two sheets the build composed.
    SetSkinResourceMode(ProgramModule(), ProgramModule(), ProgramModule());
    for (const char* sheet : {"Base.png", "Parts.png"}) {
        std::string composed =
            qmtest::ReadFile(qmtest::BinFolder() + "..\\generated\\art\\" + sheet);
        ASSERT_EQ(composed.substr(0, 8), "\x89PNG\r\n\x1a\n") << sheet;
        EXPECT_TRUE(LoadSkinImage(sheet) == composed) << sheet;
    }
    std::string message = ThrownText([] { LoadSkinImage("Missing.png"); });
    EXPECT_EQ(message, qmtest::BinFolder() + "Skin\\Missing.pngが読み込めません.");
}

TEST(SkinLogFont, Fields) {
    // Every field but these four stays zero.
    LOGFONTA expected = {};
    expected.lfHeight = -12;
    expected.lfWeight = 700;
    expected.lfCharSet = DEFAULT_CHARSET;
    expected.lfQuality = ANTIALIASED_QUALITY;
    std::strcpy(expected.lfFaceName, "ＭＳ ゴシック");
    LOGFONTA font = ToLogFont({"ＭＳ ゴシック", "12", "700"});
    EXPECT_EQ(std::memcmp(&font, &expected, sizeof font), 0);
    // Cut to 31 bytes and the terminator.
    font = ToLogFont({std::string(40, 'x'), "-9", "0"});
    EXPECT_EQ(std::string(font.lfFaceName), std::string(31, 'x'));
    EXPECT_EQ(font.lfHeight, 9);
    // Never between the two bytes of a character: 30 ASCII bytes, then 表.
    font = ToLogFont({std::string(30, 'y') + "表", "1", "1"});
    EXPECT_EQ(std::string(font.lfFaceName), std::string(30, 'y'));
    font = ToLogFont({});
    EXPECT_STREQ(font.lfFaceName, "");
    EXPECT_EQ(font.lfHeight, 0);
}
