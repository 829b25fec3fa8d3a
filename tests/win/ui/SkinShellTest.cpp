#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "BoxWatcher.h"
#include "SkinWindowKit.h"
#include "common/WinHandle.h"
#include "ui/Skin.h"
#include "ui/SkinDump.h"

using namespace ui;
using qmtest::CBoxWatcher;
using qmtest::ProgramModule;
using skintest::SkinFile;
using skintest::ThrownText;

namespace {

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

TEST_F(SkinShell, GetSkinFromResourcesMatchesGolden) {
    SkinData skin = GetSkin("Common.txt");
    EXPECT_EQ(
        DumpSkinTree(skin, SkinDumpCharset::kUtf8),
        qmtest::ReadFile(qmtest::EnvFolder("QM_SOURCE_DIR") + "tests\\golden\\Common.tree.txt"));
    // The font name came from the language file through the system's code page.
    EXPECT_EQ(skin["WindowBaseClass"].properties["Font"],
              (SkinValues{"ＭＳ Ｐゴシック", "12", "400"}));
}

TEST_F(SkinShell, FailedFileIsShownThrownAndNotCached) {
    const std::string folder = qmtest::NewFolder("failed");
    SetSkinFolderMode(folder);
    ASSERT_TRUE(qmtest::WriteFile(folder + "Bad.txt", SkinFile("A {\n K = 1 2;\n}")));
    {
        CBoxWatcher watcher;
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

TEST_F(SkinShell, ConcurrentRequestsLoadOnce) {
    // A source held shut while a second thread asks: that thread must wait
    // for the first load instead of reading the file again. A second read
    // would arrive while the first is held, so half a second is given to it
    // before the first is let go (a right program always takes the half
    // second; a wrong one is caught as soon as its second read comes).
    class CHeldSource : public ISkinFileSource {
    public:
        bool ReadSkinLines(const std::string&, SkinFileKind,
                           std::vector<std::wstring>& lines) override {
            ::SetEvent(++reads == 1 ? entered.Get() : readAgain.Get());
            ::WaitForSingleObject(gate.Get(), INFINITE);
            lines = {L"header", L"A { K = 1; }"};
            return true;
        }
        std::atomic<int> reads{0};
        qm::CHandle entered{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
        qm::CHandle readAgain{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
        qm::CHandle gate{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    } held;
    SetSkinSource(&held);
    SkinData first, second;
    qm::CHandle asking(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::thread a([&] { first = GetSkin("Slow.txt"); });
    const bool inside = ::WaitForSingleObject(held.entered.Get(), 20000) == WAIT_OBJECT_0;
    std::thread b([&] {
        ::SetEvent(asking.Get());
        second = GetSkin("Slow.txt");
    });
    const bool asked = ::WaitForSingleObject(asking.Get(), 20000) == WAIT_OBJECT_0;
    if (inside && asked) ::WaitForSingleObject(held.readAgain.Get(), 500);
    ::SetEvent(held.gate.Get());
    a.join();
    b.join();
    EXPECT_TRUE(inside && asked);
    EXPECT_EQ(held.reads.load(), 1);
    EXPECT_EQ(first["A"].properties["K"], SkinValues{"1"});
    EXPECT_EQ(second["A"].properties["K"], SkinValues{"1"});
}

TEST_F(SkinShell, ProgramCarriesTheComposedSheets) {
    CBoxWatcher watcher;
    for (const char* sheet : {"Base.png", "Parts.png"}) {
        std::string composed =
            qmtest::ReadFile(qmtest::BinFolder() + "..\\generated\\art\\" + sheet);
        ASSERT_EQ(composed.substr(0, 8), "\x89PNG\r\n\x1a\n") << sheet;
        EXPECT_TRUE(LoadSkinImage(sheet) == composed) << sheet;
    }
    std::string message = ThrownText([] { LoadSkinImage("Missing.png"); });
    EXPECT_EQ(message, qmtest::BinFolder() + "Skin\\Missing.pngが読み込めません.");
}

TEST(SkinLogFont, FaceNameIsCutAt31BytesNeverInsideACharacter) {
    LOGFONTA font = ToLogFont({std::string(40, 'x'), "-9", "0"});
    EXPECT_EQ(std::string(font.lfFaceName), std::string(31, 'x'));
    EXPECT_EQ(font.lfHeight, 9);
    // Never between the two bytes of a character: 30 ASCII bytes, then 表.
    font = ToLogFont({std::string(30, 'y') + "表", "1", "1"});
    EXPECT_EQ(std::string(font.lfFaceName), std::string(30, 'y'));
}
