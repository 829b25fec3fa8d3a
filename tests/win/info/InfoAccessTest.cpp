// What a screen reader reads of the settings, SD information and probe log
// windows (role, name, state of every child), and the changes a user hears.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "AccessTree.h"
#include "InfoHarness.h"
#include "app/ProbeLogWindow.h"
#include "ui/ButtonListView.h"

using namespace infotest;
using qmtest::AccRow;
using qmtest::Child;
using qmtest::ReadChildren;
using ui::CProbeLogWindow;
using ui::CSettingWindow;

namespace {

using namespace qmtest::acc;

AccRow Text(const std::string& name, long state = 0) {
    return {ROLE_SYSTEM_STATICTEXT, name, STATE_SYSTEM_READONLY | state};
}
AccRow Bar(const std::string& name, long state = 0) {
    return {ROLE_SYSTEM_PROGRESSBAR, name, STATE_SYSTEM_READONLY | state};
}
AccRow Button(const std::string& name) { return {ROLE_SYSTEM_PUSHBUTTON, name, kFocusable}; }
AccRow Box(const std::string& name, long state) {
    return {ROLE_SYSTEM_CHECKBUTTON, name, kFocusable | state};
}

// The client object of a window, released with the holder.
struct Client {
    IAccessible* object;
    explicit Client(HWND window) : object(qmtest::ClientOf(window)) {}
    ~Client() {
        if (object) object->Release();
    }
    IAccessible* operator->() const { return object; }
};

// A list's own object, whose children are its rows, as a screen reader
// reaches it from the client; null when refused.
IAccessible* ListObject(IAccessible* client, long child) {
    IDispatch* dispatch = nullptr;
    if (client->get_accChild(Child(child), &dispatch) != S_OK || !dispatch) return nullptr;
    IAccessible* list = nullptr;
    dispatch->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&list));
    dispatch->Release();
    return list;
}

}  // namespace

TEST(InfoAccess, SettingsReadAsTheyStandWithTheirBoxesAndTheFolder) {
    const std::string folder = qmtest::NewFolder("access");
    ASSERT_TRUE(
        qmtest::WriteFile(SettingsFile(), "[Setting]\r\nDownloadFolderPath=" + folder +
                                              "\r\nDataAutoDelete=0\r\nTransmitExe3=0\r\n"));
    SettingsOpened o(kCardE);
    CSettingWindow& w = o.window;
    ::SetFocus(w.GetHandle());
    qmtest::Drain();
    Client client(w.GetHandle());
    ASSERT_NE(client.object, nullptr);

    // Each box before the label beside it, each frame's heading before what
    // it holds, the bottom row last; frames and the row pictures are silent.
    std::vector<AccRow> expected = {
        {ROLE_SYSTEM_GRAPHIC, "Quillmarch", 0},
        Text("設定"),
        Button("ウィンドウを閉じる"),
        Text("更新設定"),
        Box("地図データ更新", kOn | kFocused),
        Text("地図デ－タ更新"),
        Box("渋滞情報取得", 0),
        Text("渋滞情報取得"),
        Box("天気情報取得", kOn),
        Text("天気情報取得"),
        Text("更新通知設定"),
        Box("パスワードが必要な地図データを通知する", kOn),
        Text("パスワードの取得が必要な地図データが存在する場合に通知する。"),
        Text("ダウンロードデータ設定"),
        Text("ダウンロードするフォルダの設定"),
        {ROLE_SYSTEM_TEXT, "ダウンロードするフォルダ", kFocusable},
        Button("参照..."),
        Text("※規定サイズ以上の空きがあるドライブのフォルダを指定してください。"),
        Box("反映済みのデータを自動で削除する", 0),
        Text("ナビに反映済みのダウンロードしたデータを自動で削除する。"),
        Text("ダウンロードしたデータの消去を行います。"),
        Button("消去"),
        Text("SDカードデータ操作"),
        Text("SDカードに格納されているデータの消去を行います。"),
        Button("消去"),
        Button("初期設定に戻す"),
        Button("キャンセル"),
        Button("OK"),
    };
    EXPECT_EQ(ReadChildren(client.object), expected);
    // The edit box's value is the folder (the edit control's text).
    constexpr long kEdit = 16, kTraffic = 7;
    BSTR value = nullptr;
    EXPECT_EQ(client->get_accValue(Child(kEdit), &value), S_OK);
    EXPECT_EQ(qmtest::Narrow(value), folder);
    // The two "消去" buttons are told apart by what they erase; a button
    // whose name says it all has no description.
    const auto description = [&](long child) {
        BSTR text = nullptr;
        const HRESULT hr = client->get_accDescription(Child(child), &text);
        return std::to_string(hr) + " " + qmtest::Narrow(text);
    };
    EXPECT_EQ(description(22), "0 ダウンロードしたデータの消去を行います。");
    EXPECT_EQ(description(25), "0 SDカードに格納されているデータの消去を行います。");
    EXPECT_EQ(description(28), "1 ");

    // "押す" on the traffic box turns it on and brings the keyboard there,
    // as a click does; nothing is written before OK.
    BSTR action = nullptr;
    EXPECT_EQ(client->get_accDefaultAction(Child(kTraffic), &action), S_OK);
    EXPECT_EQ(qmtest::Narrow(action), "押す");
    EXPECT_EQ(client->accDoDefaultAction(Child(kTraffic)), S_OK);
    qmtest::Drain();
    expected[4].state = kFocusable | kOn;
    expected[6].state = kFocusable | kOn | kFocused;
    EXPECT_EQ(ReadChildren(client.object), expected);
    EXPECT_TRUE(w.IsChecked(CSettingWindow::kBraidlineExeCheckBox));
    EXPECT_EQ(qmtest::ReadFile(SettingsFile()).find("TransmitExe3=1"), std::string::npos);
}

// The SD information window without and with its service row: what each
// reads, the band the hidden row leaves out, the version list.
TEST(InfoAccess, SDInfoReadsRowByRowUnderItsHeadsTheServiceRowOnlyWhenShownItsBandCut) {
    ASSERT_TRUE(MakeCard(kCardE,
                         "--device=ACCESSSD00000001 --probe-entries=0 "
                         "--sdinfo=4:2:01000005::0:0:202611051230 --sdinfo=8:1:01000003 "
                         "--sdinfo=2:2:05000100::0:0:202611071232"));
    const std::string kNoDate = "----/--/-- --：--";
    std::vector<AccRow> expected = {
        Text("ＳＤカード情報"),
        Button("ウィンドウを閉じる"),
        Text("データ取得日時"),
        Text("SDカードへの 転送状況"),
        Text("ナビへの 転送状況"),
        Text("地図データ"),
        Text("2026/11/07 12：32"),
        Text("完了"),
        Text("完了"),
        Text("渋滞情報"),
        Text("2026/11/05 12：30"),
        Text("完了"),
        Text("－"),
        Text("天気情報"),
        Text(kNoDate),
        Text("なし"),
        Text("－"),
        Text("音楽データ"),
        Text(kNoDate),
        Text("なし"),
        Text("－"),
        // The service row, not filled: hidden.
        Text("交通データ", kHidden),
        Text(kNoDate, kHidden),
        Text("－", kHidden),
        Text("－", kHidden),
        Text("アップロード日時"),
        Text("ナビ情報"),
        Text(kNoDate),
        Button("履歴"),
        Text("Total 0.00GB"),
        // The share of the card each kind takes, as its bar shows it (a few
        // files at least 1 %, none 0 %), the service's only with its row.
        Bar("地図データ 1 %"),
        Bar("渋滞情報 0 %"),
        Bar("天気情報 1 %"),
        Bar("音楽データ 1 %"),
        Bar("交通データ 0 %", kHidden),
        Button("ナビ情報"),
        Button("OK"),
    };
    SDInfoOpened hidden(kCardE), shown(kCardE, true);
    EXPECT_EQ(qmtest::ReadAccess(hidden.window.GetHandle()), expected);
    // Shown, the row reads with its label; the rest is as it was.
    const std::vector<AccRow> service = {Text("交通データ"), Text(kNoDate), Text("なし"),
                                         Text("未転送")};
    std::copy(service.begin(), service.end(), expected.begin() + 21);
    expected[34] = Bar("交通データ 0 %");
    EXPECT_EQ(qmtest::ReadAccess(shown.window.GetHandle()), expected);

    // The hidden row's band is cut out: the window is a row pitch shorter and
    // what lies below the band moved up by it, its pictures the same pixel for
    // pixel (inside their rounded corners, where the background shows).
    const int pitch = 36;
    hidden.window.RedrawAll();
    shown.window.RedrawAll();
    lib::wfc::CDIB* a = hidden.window.BackBuffer();
    lib::wfc::CDIB* b = shown.window.BackBuffer();
    ASSERT_TRUE(a && b);
    ASSERT_EQ(a->Height(), b->Height() - pitch);
    EXPECT_EQ(hidden.window.GetClientRect().bottom, a->Height());
    using W = ui::CSDInfoWindow;
    for (int id :
         {int(W::kOKButton), int(W::kButtonNaviInfo), int(W::kButtonProbe), int(W::kSizeBarBlank),
          W::ItemId(W::kRowProbe, W::kFrame), W::ItemId(W::kRowProbe, W::kIcon)}) {
        const RECT r = hidden.window.GetItemById(id)->GetRect();
        ASSERT_EQ(r.top, shown.window.GetItemById(id)->GetRect().top - pitch) << id;
        int differing = 0;
        for (int y = r.top + 3; y < r.bottom - 3; ++y)
            for (int x = r.left + 3; x < r.right - 3; ++x)
                differing += a->GetPixel(x, y) != b->GetPixel(x, y + pitch);
        EXPECT_EQ(differing, 0) << id;
    }
    SaveScreen(a, "sdinfo-no-service-row");
    // The version list, by the button as a user clicks it; nothing without a
    // navigation-info file.
    ClickItem(hidden.window, W::kButtonNaviInfo);
    ASSERT_TRUE(::OpenClipboard(nullptr));
    HANDLE data = ::GetClipboardData(CF_TEXT);
    const std::string text = data ? static_cast<const char*>(::GlobalLock(data)) : "";
    if (data) ::GlobalUnlock(data);
    ::CloseClipboard();
    EXPECT_EQ(text,
              "\r\n     Application\t:  1.002     \r\n     Map Data\t:  5.000100     \r\n"
              "     Search Data\t:  5.000100     \r\n     BT Firmware\t:  1.02     \r\n\r\n");
    EmptyDrive(kCardE);
    EXPECT_FALSE(hidden.window.CopyVersionList());
}

TEST(InfoAccess, ProbeLogIsAListOfItsUploadsThatFollowsTheKeyboardRow) {
    constexpr int kUploads = 30;
    ASSERT_TRUE(MakeCard(kCardE, "--device=ACCESSPROBE00001 --probe-entries=30"));
    CProbeLogWindow window("ACCESSPROBE00001");
    window.Create(nullptr);
    window.ShowWindow(SW_SHOWNA);
    Client client(window.GetHandle());
    ASSERT_NE(client.object, nullptr);
    const std::vector<AccRow> expected = {
        Text("ナビ情報　アップロードログ"),
        Button("ウィンドウを閉じる"),
        {ROLE_SYSTEM_LIST, "アップロードログ", kFocusable},
        Button("OK"),
    };
    EXPECT_EQ(ReadChildren(client.object), expected);

    // The rows: time, outcome and the code when there is one, without the
    // cells' padding (the outcome cells keep theirs); those scrolled out of
    // view are invisible.
    IAccessible* list = ListObject(client.object, 3);
    ASSERT_NE(list, nullptr);
    const char* const kOutcomes[6] = {" アップロード成功",      " 処理中",
                                      " 許諾期限切れ / 未許諾", " アップロード中断",
                                      " アップロード失敗",      " アップロード失敗(未定義)"};
    auto rows = [&](int keyboardRow) {
        std::vector<AccRow> out;
        for (int row = 0; row < kUploads; ++row) {
            EXPECT_EQ(window.GetCellText(row, 1), kOutcomes[row % 6]) << row;
            // One upload a day, the last today.
            const std::string day = window.GetCellText(row, 0).substr(1, 10);
            char name[96];
            snprintf(name, sizeof name, "%s 10:%02d:00%s", day.c_str(), row, kOutcomes[row % 6]);
            std::string text = name;
            if (row % 2) {
                snprintf(name, sizeof name, " 処理コード：0x%08X", 0x12 + row);
                text += name;
            }
            const RECT cell = window.List()->CellRect(row, 1);
            long state = STATE_SYSTEM_SELECTABLE | kFocusable;
            if (::IsRectEmpty(&cell)) state |= kHidden | STATE_SYSTEM_OFFSCREEN;
            if (row == keyboardRow) state |= STATE_SYSTEM_SELECTED | kFocused;
            out.push_back({ROLE_SYSTEM_LISTITEM, text, state});
        }
        return out;
    };
    const std::vector<AccRow> top = rows(-1);
    EXPECT_EQ(ReadChildren(list), top);
    EXPECT_NE(top.front().state & kHidden, kHidden);
    EXPECT_EQ(top.back().state & kHidden, kHidden);

    // A screen reader puts the keyboard on the list; End takes the last
    // row, which scrolls into view, focused and selected.
    EXPECT_EQ(client->accSelect(SELFLAG_TAKEFOCUS, Child(3)), S_OK);
    window.SendMessage(WM_KEYDOWN, VK_END, 0);
    qmtest::Drain();
    EXPECT_EQ(qmtest::ReadRow(client.object, 3),
              (AccRow{ROLE_SYSTEM_LIST, "アップロードログ", kFocusable | kFocused}));
    const std::vector<AccRow> bottom = rows(kUploads - 1);
    EXPECT_EQ(ReadChildren(list), bottom);
    EXPECT_EQ(bottom.front().state & kHidden, kHidden);
    EXPECT_EQ(bottom.back().state & kHidden, 0);
    list->Release();
}
