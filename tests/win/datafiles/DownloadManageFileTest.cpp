// The download management file and the deletion of downloaded data.
#include <gtest/gtest.h>

#include <algorithm>

#include "CardTestSupport.h"
#include "TestSupport.h"
#include "datafiles/DownloadManageFile.h"

using namespace cardtest;
using qmtest::FileExists;

namespace {

std::string Entry(uint8_t cat, uint8_t sub, const std::string& name, const std::string& path) {
    uint8_t e[kDownloadEntrySize];
    MakeDownloadEntry(e, cat, sub, name, path);
    return std::string(reinterpret_cast<char*>(e), sizeof e);
}

}  // namespace

TEST(DownloadManageFile, SearchDeleteAndDamagedFiles) {
    const std::string dl = qmtest::NewFolder("dl-search");
    CDownloadManageFile file;
    file.SetFolder(dl.substr(0, dl.size() - 1).c_str());  // '\' is added
    EXPECT_EQ(file.Search(1, 2, "A"), CDownloadManageFile::kOpenFailed);
    size_t mark = LogMark();
    EXPECT_FALSE(file.DelDLManage(1, 2, "A"));
    EXPECT_TRUE(LogHas(mark,
                       "E:CDownloadManageFile::DelDLManage - ダウンロード管理ファイルオープン失敗 "
                       "ERR:0x00000002"));
    ASSERT_TRUE(qmtest::WriteFile(
        dl + "DL.DAT", Entry(1, 2, "A", "x") + Entry(1, 2, "B", "y") + Entry(1, 2, "B", "z")));
    EXPECT_EQ(file.Search(1, 2, "B"), 304);
    ASSERT_TRUE(file.GetDLManage(1, 2, "B"));
    EXPECT_EQ(DownloadEntryDataPath(file.GetEntry()), "y");
    // Every matching entry goes, the others keep their order.
    EXPECT_TRUE(file.DelDLManage(1, 2, "B"));
    EXPECT_EQ(qmtest::ReadFile(dl + "DL.DAT"), Entry(1, 2, "A", "x"));
    // A partial entry at the end cannot be read; deleting from such a file loses it.
    ASSERT_TRUE(qmtest::WriteFile(dl + "DL.DAT", Entry(1, 2, "A", "x") + "tail"));
    EXPECT_EQ(file.Search(1, 2, "Z"), CDownloadManageFile::kReadFailed);
    mark = LogMark();
    EXPECT_FALSE(file.DelDLManage(1, 2, "A"));
    EXPECT_EQ(LogSince(mark),
              std::vector<std::string>{"E:CDownloadManageFile::DelDLManage - "
                                       "ダウンロード管理ファイルサイズ不正 SIZE:308"});
    EXPECT_FALSE(FileExists(dl + "DL.DAT"));
}

TEST(DownloadManageFile, DeleteOneItem) {
    const std::string dl = qmtest::NewFolder("dl-one");
    for (const char* f : {"02\\1A\\MAP0001\\part\\BLOCK.BIN", "02\\1B\\MAP0002\\DATA.CNF",
                          "03\\01\\WX\\W.BIN", "05\\0F\\LOOSE\\x.bin"})
        ASSERT_TRUE(Touch(dl + f));
    ASSERT_TRUE(
        qmtest::WriteFile(dl + "DL.DAT", Entry(2, 0x1A, "MAP0001", "02\\1A\\MAP0001\\DATA.CNF") +
                                             Entry(2, 0x1B, "MAP0002", "02/1B/./MAP0002/DATA.CNF") +
                                             Entry(3, 1, "WX", "03\\01\\WX\\")));
    CDownloadManageFile file;
    file.SetFolder(dl.c_str());
    size_t mark = LogMark();
    // The ".CNF" names a file: the folder holding it goes.
    EXPECT_TRUE(file._DeleteLocalData(2, 0x1A, "MAP0001", dl.c_str()));
    // The subcategory folder emptied goes too, the category folder still holds data.
    EXPECT_FALSE(FileExists(dl + "02\\1A"));
    EXPECT_TRUE(FileExists(dl + "02\\1B\\MAP0002\\DATA.CNF"));
    EXPECT_EQ(LogSince(mark).front(),
              "N:CDownloadManageFile::_DeleteLocalData - Start[02][1A][MAP0001]");

    // The last item of a category: both parents go; "." and "/" are resolved.
    EXPECT_TRUE(file._DeleteLocalData(2, 0x1B, "MAP0002", dl.c_str()));
    EXPECT_FALSE(FileExists(dl + "02"));

    // Not in the file: the folder by its numbers goes, logged.
    mark = LogMark();
    EXPECT_TRUE(file._DeleteLocalData(5, 0x0F, "LOOSE", dl.c_str()));
    EXPECT_FALSE(FileExists(dl + "05\\0F\\LOOSE"));
    EXPECT_TRUE(LogHas(
        mark, "N:管理ファイルに非存のため、ディレクトリ削除 PATH:" + dl + "05\\0F\\LOOSE\\."));
    // An empty folder parameter: logged.
    mark = LogMark();
    EXPECT_FALSE(file._DeleteLocalData(6, 6, "NONE", ""));
    EXPECT_TRUE(LogHas(mark, "E:CDownloadManageFile::_DeleteLocalData - パラメータ異常"));
}

TEST(DownloadManageFile, DeleteAllWithoutManagementFile) {
    const std::string dl = qmtest::NewFolder("dl-sweep");
    for (const char* f : {"00\\a.bin", "0A\\1\\b.bin", "FF\\c.bin", "ZZ\\d.bin", "100\\e.bin",
                          "notes\\f.txt", "1g\\h.bin"})
        ASSERT_TRUE(Touch(dl + f));
    ASSERT_TRUE(Touch(dl + "DL.LST", "list"));
    ASSERT_TRUE(Touch(dl + "7F.txt", "a file named like a category"));
    CDownloadManageFile file;
    file.SetFolder(dl.c_str());
    size_t mark = LogMark();
    file._DeleteAllLocalData();
    EXPECT_TRUE(LogHas(mark, "N:ダウンロード管理ファイルが存在しないため、大項目フォルダごと削除"));
    std::vector<std::string> left = qmtest::ListFiles(dl + "*");
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"100", "1g", "7F.txt", "ZZ", "notes"}));
}
