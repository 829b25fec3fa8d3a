// Every skin file the program carries, loaded the way the program loads it:
// each window file resolves without a skin error, has every item its window
// creates with the keys that item's reader requires, and cuts every picture
// from inside its sheet (sheet sizes from the sprite table).
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ui/SkinLoader.h"
#include "ui/SkinProperties.h"

using namespace ui;

namespace {

std::string ReadSourceFile(const std::string& relative) {
    std::ifstream in(std::string(QM_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The text files of resources/skin as Skins.rc lists them (name, path).
std::vector<std::pair<std::string, std::string>> CarriedResources() {
    std::vector<std::pair<std::string, std::string>> out;
    std::istringstream rc(ReadSourceFile("resources/Skins.rc"));
    std::string line;
    while (std::getline(rc, line)) {
        std::istringstream words(line);
        std::string name, type, path;
        if (words >> name >> type >> path && type == "SKIN")
            out.emplace_back(name, path.substr(1, path.size() - 2));
    }
    return out;
}

CMemorySkinSource AllSkinFiles() {
    CMemorySkinSource source;
    for (const auto& [name, path] : CarriedResources())
        if (path.rfind("skin/", 0) == 0)
            source.Add(path.substr(5), ReadSourceFile("resources/" + path));
    return source;
}

// "@sheet" rows of the sprite table: sheet name -> width, height.
std::map<std::string, std::pair<int, int>> SheetSizes() {
    std::map<std::string, std::pair<int, int>> out;
    std::istringstream table(ReadSourceFile("resources/art/sprites.csv"));
    std::string line;
    while (std::getline(table, line)) {
        if (line.rfind("@sheet,", 0) != 0) continue;
        std::vector<std::string> cells;
        std::istringstream row(line);
        for (std::string cell; std::getline(row, cell, ',');) cells.push_back(cell);
        std::string name = cells.at(1).substr(cells[1].find_first_not_of(' '));
        out[name] = {std::stoi(cells.at(4)), std::stoi(cells.at(5))};
    }
    return out;
}

// What a window makes of an item: the reader's required group (Part of the
// item framework) is what the test checks.
enum Kind {
    kAny,
    kStatic,
    kImage,
    kNineImage,
    kDigits,
    kAnimation,
    kButton,
    kEdit,
    kScroll,
    kList,
    kOverlay
};

const std::vector<PropertySpec>& Specs(Kind kind) {
    static const std::map<Kind, std::vector<PropertySpec>> specs = {
        {kAny, {}},
        {kStatic, {{"Position", "ii"}, {"Size", "ii"}, {"Font", "sii"}}},
        {kImage, {{"Position", "ii"}, {"Size", "ii"}, {"Image", "siiii"}}},
        {kNineImage, {{"Position", "ii"}, {"Size", "ii"}, {"Image", "siiiiiiii"}}},
        {kDigits,
         {{"Position", "ii"}, {"Size", "ii"}, {"Image", "siiii"}, {"ImageTilde", "siiii"}}},
        {kAnimation, {{"Position", "ii"}, {"Size", "ii"}, {"Image", "siiii"}, {"Time", "i"}}},
        {kButton,
         {{"Position", "ii"},
          {"Size", "ii"},
          {"NormalImage", "sii"},
          {"PushImage", "sii"},
          {"HotNormalImage", "sii"},
          {"HotPushImage", "sii"},
          {"PushImageShift", "ii"},
          {"ToolTipText", "s"}}},
        {kEdit, {{"Position", "ii"}, {"Size", "ii"}, {"Font", "sii"}}},
        {kScroll,
         {{"Type", "s"},
          {"Position", "ii"},
          {"Size", "ii"},
          {"ButtonSize", "ii"},
          {"ThumbSize", "ii"},
          {"ThumbPart", "iii"},
          {"BaseImage", "siiiiii"},
          {"UpButtonImage", "siiiiiiii"},
          {"DownButtonImage", "siiiiiiii"},
          {"ThumbImage", "siiiiiiii"},
          {"UpImage", "siiii"},
          {"DownImage", "siiii"},
          {"DisableUpImage", "siiii"},
          {"DisableDownImage", "siiii"}}},
        {kList,
         {{"Position", "ii"},
          {"Size", "ii"},
          {"Font", "sii"},
          {"NormalButton", "siiii"},
          {"NormalHotButton", "siiii"},
          {"PushedButton", "siiii"},
          {"PushedHotButton", "siiii"},
          {"NormalHeader", "siiiiii"},
          {"PushedHeader", "siiiiii"},
          {"NormalRowCount", "i"},
          {"ActiveRow", "siiiiii"},
          {"LabelCount", "i"}}},
        {kOverlay, {{"Image", "siiiiiiii"}}},
    };
    return specs.at(kind);
}

struct Required {
    const char* name;
    Kind kind;
};

struct WindowFile {
    const char* file;
    std::vector<Required> items;
};

std::vector<Required> SdInfoItems() {
    std::vector<Required> items = {{"TitleStatic", kStatic},
                                   {"CloseButton", kButton},
                                   {"OKButton", kButton},
                                   {"LastChargeTextStatic", kStatic},
                                   {"ChargeStatusTextStatic", kStatic},
                                   {"SDChargeStatusTextStatic", kStatic},
                                   {"LastUploadTextStatic", kStatic},
                                   {"ButtonProbe", kButton},
                                   {"ButtonNaviInfo", kButton},
                                   {"SizeBarBlank", kImage},
                                   {"TotalSizeTextStatic", kStatic},
                                   {"TextProbe", kStatic},
                                   {"LastChargeProbe", kStatic},
                                   {"FrameProbe", kImage},
                                   {"IconProbe", kImage},
                                   {"SampleProbe", kImage}};
    // Built once: the table keeps pointers into these names.
    static const std::vector<std::string> names = [] {
        std::vector<std::string> out;
        for (const char* row : {"Map", "Braidline", "Weather", "Music", "Lumen"}) {
            for (const char* prefix : {"Text", "LastCharge", "SDChargeStatus", "ChargeStatus"})
                out.push_back(std::string(prefix) + row);
            for (const char* prefix : {"Frame", "Icon", "Sample", "SizeBar"})
                out.push_back(std::string(prefix) + row);
        }
        return out;
    }();
    for (size_t i = 0; i < names.size(); ++i)
        items.push_back({names[i].c_str(), i % 8 < 4 ? kStatic : kImage});
    return items;
}

const std::vector<WindowFile>& Windows() {
    static const std::vector<WindowFile> windows = {
        {"LauncherWindow.txt",
         {{"Title", kStatic},
          {"ApplicationIcon", kImage},
          {"DebugStatic", kStatic},
          {"CloseButton", kButton},
          {"MinimizeButton", kButton},
          {"MenuButton", kButton},
          {"MenuButtonClose", kButton},
          {"StatusMessageImage", kImage},
          {"ProbeProgressImage", kDigits},
          {"MapProgressImage", kDigits},
          {"BraidlineProgressImage", kDigits},
          {"WeatherProgressImage", kDigits},
          {"MusicProgressImage", kDigits},
          {"BackImage1", kImage},
          {"SDEjectableIcon", kImage},
          {"SDAlivalIcon", kImage},
          {"SDUnAlivalIcon", kImage},
          {"SDSearchAnime", kAnimation},
          {"SDChargingAnime", kAnimation},
          {"SDEjectButton", kButton},
          {"SDEjectTextStatic", kStatic},
          {"SDAbortButton", kButton},
          {"SDAbortTextStatic", kStatic},
          {"SDAbortInfoTextStatic", kStatic},
          {"MenuWindow", kAny},
          {"TestButton", kButton},
          {"SDChangeButton", kButton},
          {"SDChangeTextStatic", kStatic}}},
        {"InitializationWindow.txt",
         {{"TitleStatic", kStatic},
          {"CloseButton", kButton},
          {"ApplicationIcon", kImage},
          {"RegistUserCaptionTextStatic", kStatic},
          {"RegistUserTextStatic", kStatic},
          {"RightTriangleImage", kImage},
          {"RegistConfirmButton", kButton},
          {"ConfirmCaptionTextStatic", kStatic},
          {"ConfirmTextStatic", kStatic},
          {"NickNameTextStatic", kStatic},
          {"PasswordTextStatic", kStatic},
          {"NickNameEdit", kEdit},
          {"PasswordEdit", kEdit},
          {"OKButton", kButton},
          {"CancelButton", kButton},
          {"FrameOverlay", kOverlay}}},
        {"InitCompleteWindow.txt",
         {{"TitleStatic", kStatic},
          {"CloseButton", kButton},
          {"OKButton", kButton},
          {"CompleteTextStatic", kStatic},
          {"MusicChargeTextStatic", kStatic},
          {"MusicChargeCheckBox", kButton},
          {"ApplicationIcon", kImage},
          {"FrameOverlay", kOverlay}}},
        {"InfoChargeWindow.txt",
         {{"TitleStatic", kStatic},
          {"CloseButton", kButton},
          {"OKButton", kButton},
          {"CancelButton", kButton},
          {"UpdateConfirmTextStatic", kStatic},
          {"ScreenOverlay", kOverlay},
          {"DispMsgCheckBox", kButton},
          {"DispMsgTextStatic", kStatic}}},
        {"MapChargeWindow.txt",
         {{"TitleStatic", kStatic},
          {"CloseButton", kButton},
          {"ScreenOverlay", kOverlay},
          {"YesButton", kButton},
          {"CancelButton", kButton},
          {"YesBottomButton", kButton},
          {"CancelBottomButton", kButton},
          {"YesShortButton", kButton},
          {"ReNotifyButton", kButton},
          {"OKShortButton", kButton},
          {"ReReserveButton", kButton},
          {"DispMsgCheckBox", kButton},
          {"DispMsgTextStatic", kStatic},
          {"InformationTextStatic", kStatic},
          {"InformationTextSmallStatic", kStatic},
          {"ApplicationIcon", kImage},
          {"FrameOverlay", kOverlay}}},
        {"UpdateNotifyWindow.txt",
         {{"ApplicationIcon", kImage},
          {"TitleStatic", kStatic},
          {"CloseButton", kButton},
          {"OKButton", kButton},
          {"DispMsgCheckBox", kButton},
          {"DispMsgTextStatic", kStatic},
          {"UpdateConfirmTextStatic", kStatic},
          {"ScreenOverlay", kOverlay},
          {"FrameOverlay", kOverlay}}},
        {"SDInfoWindow.txt", SdInfoItems()},
        {"ProbeLogWindow.txt",
         {{"TitleStatic", kStatic},
          {"CloseButton", kButton},
          {"OKButton", kButton},
          {"BaseFrame", kNineImage},
          {"LogListFrame", kImage},
          {"LogList", kList},
          {"LogListScrollBar", kScroll}}},
        {"SettingWindow.txt",
         {{"TitleStatic", kStatic},
          {"ChargeSelectFrame", kNineImage},
          {"ChargeSelectFrameText", kStatic},
          {"MapChargeExeCheckBox", kButton},
          {"MapChargeExeTextStatic", kStatic},
          {"BraidlineExeCheckBox", kButton},
          {"BraidlineExeTextStatic", kStatic},
          {"WeatherLiveExeCheckBox", kButton},
          {"WeatherLiveExeTextStatic", kStatic},
          {"AutoUpdateFrame", kNineImage},
          {"AutoUpdateFrameText", kStatic},
          {"MapChargeCheckBox", kButton},
          {"MapChargeTextStatic", kStatic},
          {"DownloadFolderFrame", kNineImage},
          {"DownloadFolderFrameText", kStatic},
          {"DownloadFolderTitleTextStatic", kStatic},
          {"DownloadFolderTextStatic", kStatic},
          {"DownloadFolderEdit", kEdit},
          {"DownloadFolderButton", kButton},
          {"AutoDeleteCheckBox", kButton},
          {"AutoDeleteTextStatic", kStatic},
          {"DownloadDeleteTextStatic1", kStatic},
          {"DownloadDeleteButton", kButton},
          {"SDClearFrame", kNineImage},
          {"SDClearFrameText", kStatic},
          {"SDClearTextStatic1", kStatic},
          {"SDClearButton", kButton},
          {"OKButton", kButton},
          {"CancelButton", kButton},
          {"CloseButton", kButton},
          {"ReInitializeButton", kButton},
          {"ApplicationIcon", kImage},
          {"FrameOverlay", kOverlay}}},
        {"LogUploadWindow.txt",
         {{"ApplicationIcon", kImage},
          {"TitleStatic", kStatic},
          {"CloseButton", kButton},
          {"YesButton", kButton},
          {"CancelButton", kButton},
          {"UpdateConfirmTextStatic", kStatic},
          {"ScreenOverlay", kOverlay},
          {"FrameOverlay", kOverlay}}},
        {"MenuWindow.txt",
         {{"Base_Horizontal", kAny},
          {"Base_Vertical", kAny},
          {"MenuWindow.0", kAny},
          {"MenuWindow.1", kAny},
          {"MenuWindow.2", kAny},
          {"MenuWindow.3", kAny},
          {"MenuWindow.65535", kAny}}},
        {"VersionWindow.txt",
         {{"TitleStatic", kStatic},
          {"CloseButton", kButton},
          {"BaseFrame", kNineImage},
          {"VersionImage", kImage},
          {"VersionText", kStatic},
          {"CorporateImage", kImage},
          {"FrameOverlay", kOverlay}}},
    };
    return windows;
}

// What the window does right after GetSkin: the base block's checks, the
// base font, the string table.
void LoadWindow(CMemorySkinSource& source, const std::string& file, const std::string& baseName,
                SkinData& skin) {
    static const PropertySpec kBase[] = {
        {"Image", "siiii"},   {"Title", "s"},       {"CaptionHeight", "i"}, {"Font", "sii"},
        {"BorderWidth", "i"}, {"DivPoint", "iiii"}, {"MinSize", "ii"},      {"LayoutSize", "ii"}};
    SkinError error;
    ASSERT_TRUE(LoadAndResolveSkin(source, file, skin, error)) << error.Text();
    InheritBaseFont(skin, baseName);
    const SkinItem* base = FindSkinItem(skin, baseName);
    ASSERT_NE(base, nullptr) << baseName;
    EXPECT_TRUE(CheckSkinProperties(*base, kBase, 8, error)) << error.Text();
    std::map<std::string, std::string> strings;
    EXPECT_TRUE(ReadStringTable(skin, strings, error)) << error.Text();
}

std::vector<int> Ints(const SkinValues& values) {
    std::vector<int> out;
    for (size_t i = 1; i < values.size(); ++i) out.push_back(ParseSkinInteger(values[i]));
    return out;
}

std::pair<int, int> SizeOf(const SkinItem& item, const char* key) {
    auto it = item.properties.find(key);
    if (it == item.properties.end() || it->second.size() < 2) return {0, 0};
    return {ParseSkinInteger(it->second[0]), ParseSkinInteger(it->second[1])};
}

bool Ordered(std::initializer_list<int> values) {
    int last = *values.begin();
    for (int v : values) {
        if (v < last) return false;
        last = v;
    }
    return true;
}

// Every rectangle that a key of the item cuts from a sheet, or an empty
// list with a message when the values cannot describe one.
std::vector<SkinRect> Cuts(const SkinItem& item, const std::string& key, const std::vector<int>& v,
                           std::string& problem) {
    auto size = SizeOf(item, item.properties.count("ImageSize") ? "ImageSize" : "Size");
    auto at = [&](int x, int y, std::pair<int, int> wh) {
        return SkinRect{x, y, x + wh.first, y + wh.second};
    };
    switch (v.size()) {
        case 2:  // a button face's top left; the face has the image or item size
            return {at(v[0], v[1], size)};
        case 4:
            if (key == "Image" && item.properties.count("Time"))  // animation: columns x rows
                return {at(v[0], v[1], {size.first * v[2], size.second * v[3]})};
            if (v[0] >= v[2] || v[1] >= v[3]) problem = "empty rectangle";
            return {{v[0], v[1], v[2], v[3]}};
        case 6:
            if (key == "BaseImage" || key == "IconImage") return {{v[0], v[1], v[2], v[3]}};
            // a strip: left, repeated middle, right; rows y0 to y1
            if (!Ordered({v[0], v[1], v[2], v[3]}) || v[4] >= v[5]) problem = "bad strip";
            return {{v[0], v[4], v[3], v[5]}};
        case 8:
            if (key.find("ButtonImage") != std::string::npos || key == "ThumbImage") {
                auto part = SizeOf(item, key == "ThumbImage" ? "ThumbSize" : "ButtonSize");
                return {at(v[0], v[1], part), at(v[2], v[3], part), at(v[4], v[5], part),
                        at(v[6], v[7], part)};
            }
            if (!Ordered({v[0], v[1], v[2], v[3]}) || !Ordered({v[4], v[5], v[6], v[7]}))
                problem = "bad nine slices";
            return {{v[0], v[4], v[3], v[7]}};
    }
    problem = "unexpected number of values";
    return {};
}

void ExpectCutsInsideSheets(const SkinData& skin, const std::string& file) {
    static const auto sheets = SheetSizes();
    ASSERT_EQ(sheets.size(), 2u);
    for (const auto& [name, item] : skin) {
        for (const auto& [key, values] : item.properties) {
            if (values.empty() || !sheets.count(values[0])) continue;
            const auto [width, height] = sheets.at(values[0]);
            std::string problem;
            for (const SkinRect& r : Cuts(item, key, Ints(values), problem)) {
                if (r.left < 0 || r.top < 0 || r.right > width || r.bottom > height ||
                    r.left >= r.right || r.top >= r.bottom)
                    problem = "outside " + values[0];
            }
            EXPECT_EQ(problem, "") << file << " " << name << "/" << key;
        }
    }
}

}  // namespace

TEST(SkinWindowFiles, RcCarriesEveryFileOnce) {
    std::set<std::string> names;
    for (const auto& [name, path] : CarriedResources()) {
        EXPECT_TRUE(names.insert(name).second) << name;
        if (path.rfind("skin/", 0) == 0) {
            EXPECT_FALSE(ReadSourceFile("resources/" + path).empty()) << path;
        }
    }
    const std::set<std::string> expected = {"BASE.PNG",
                                            "PARTS.PNG",
                                            "COMMON.TXT",
                                            "DEFAULTUISTRING.TXT",
                                            "DESCRIPTION.TXT",
                                            "LAUNCHERWINDOW.TXT",
                                            "INITIALIZATIONWINDOW.TXT",
                                            "INITCOMPLETEWINDOW.TXT",
                                            "INFOCHARGEWINDOW.TXT",
                                            "MAPCHARGEWINDOW.TXT",
                                            "UPDATENOTIFYWINDOW.TXT",
                                            "SDINFOWINDOW.TXT",
                                            "PROBELOGWINDOW.TXT",
                                            "SETTINGWINDOW.TXT",
                                            "LOGUPLOADWINDOW.TXT",
                                            "MENUWINDOW.TXT",
                                            "VERSIONWINDOW.TXT",
                                            "COLORWINDOW.TXT",
                                            "FONTWINDOW.TXT",
                                            "MESSAGEBOXWINDOW.TXT",
                                            "SDCHANGEWINDOW.TXT",
                                            "SKINFILEDIALOG.TXT"};
    EXPECT_EQ(names, expected);
}

TEST(SkinWindowFiles, EveryWindowHasItsItemsAndCutsInsideTheSheets) {
    CMemorySkinSource source = AllSkinFiles();
    for (const WindowFile& window : Windows()) {
        SCOPED_TRACE(window.file);
        SkinData skin;
        ASSERT_NO_FATAL_FAILURE(LoadWindow(source, window.file, "Base", skin));
        SkinError error;
        for (const Required& required : window.items) {
            const SkinItem* item = FindSkinItem(skin, required.name);
            if (!item) {
                ADD_FAILURE() << MissingItemText(required.name);
                continue;
            }
            const auto& specs = Specs(required.kind);
            EXPECT_TRUE(CheckSkinProperties(*item, specs.data(), specs.size(), error))
                << error.Text();
        }
        ExpectCutsInsideSheets(skin, window.file);
    }
}

TEST(SkinWindowFiles, LauncherMenuTreeNamesButtons) {
    CMemorySkinSource source = AllSkinFiles();
    SkinData skin;
    ASSERT_NO_FATAL_FAILURE(LoadWindow(source, "LauncherWindow.txt", "Base", skin));
    const auto& menu = skin.at("MenuWindow").properties;
    ASSERT_EQ(menu.at("MenuCount"), SkinValues{"4"});
    std::vector<std::string> buttons;
    const int subCounts[] = {2, 2, 5, 3};  // the shipped tree
    for (int i = 0; i < 4; ++i) {
        buttons.push_back(menu.at("MainButton." + std::to_string(i)).at(0));
        ASSERT_EQ(ParseSkinInteger(menu.at("SubButtonCount." + std::to_string(i)).at(0)),
                  subCounts[i]);
        for (int j = 0; j < subCounts[i]; ++j)
            buttons.push_back(
                menu.at("SubButton." + std::to_string(i) + "." + std::to_string(j)).at(0));
    }
    SkinError error;
    for (const std::string& name : buttons) {
        const SkinItem* item = FindSkinItem(skin, name);
        ASSERT_NE(item, nullptr) << name;
        const auto& specs = Specs(kButton);
        EXPECT_TRUE(CheckSkinProperties(*item, specs.data(), specs.size(), error)) << error.Text();
    }
    // The menu window lays them out with its own file's paddings.
    SkinData menuSkin;
    ASSERT_NO_FATAL_FAILURE(LoadWindow(source, "MenuWindow.txt", "Base_Vertical", menuSkin));
    EXPECT_EQ(menuSkin.at("MenuWindow.65535").properties.at("BorderPadding"), SkinValues{"3"});
    EXPECT_EQ(menuSkin.at("MenuWindow.2").properties.at("BottomPadding"), SkinValues{"-2"});
}

TEST(SkinWindowFiles, CarriedFilesNoWindowLoadsStillLoad) {
    CMemorySkinSource source = AllSkinFiles();
    for (const char* file : {"ColorWindow.txt", "FontWindow.txt", "MessageBoxWindow.txt",
                             "SDChangeWindow.txt", "SkinFileDialog.txt"}) {
        SCOPED_TRACE(file);
        SkinData skin;
        ASSERT_NO_FATAL_FAILURE(LoadWindow(source, file, "Base", skin));
        ExpectCutsInsideSheets(skin, file);
    }
    SkinData description;
    SkinError error;
    ASSERT_TRUE(LoadAndResolveSkin(source, "Description.txt", description, error)) << error.Text();
    EXPECT_EQ(description.at("Description").properties.at("ImageFile"),
              (SkinValues{"Base.png", "Parts.png"}));
}
