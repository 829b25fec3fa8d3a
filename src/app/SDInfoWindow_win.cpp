#include "app/InfoRules.h"
#include "app/ProbeLogWindow.h"
#include "app/SDInfoWindow.h"
#include "common/CoreBridge.h"
#include "common/FileHelpers.h"
#include "common/KilnLog.h"
#include "datafiles/CardPaths.h"
#include "datafiles/PcLinkFile.h"
#include "datafiles/SDInfoFile.h"
#include "ui/SkinAccessRules.h"
#include "ui/SkinWindowItemButton.h"
#include "ui/SkinWindowItemStatic.h"
#include "ui/SkinWindowItemStaticImage.h"
#include "wfc/Library.h"

namespace ui {

namespace {

struct RowNames {
    const char* suffix;
    uint32_t kindBit;
};
constexpr RowNames kRowNames[CSDInfoWindow::kRows] = {
    {"Braidline", 4}, {"Weather", 8}, {"Map", 2}, {"Music", 16}, {"Lumen", 32}, {"Probe", 0},
};
// The rows top to bottom (the order they read in); the first five are also
// the size bars' kinds, in the bars' order.
constexpr int kRowsDown[CSDInfoWindow::kRows] = {
    CSDInfoWindow::kRowMap,   CSDInfoWindow::kRowBraidline, CSDInfoWindow::kRowWeather,
    CSDInfoWindow::kRowMusic, CSDInfoWindow::kRowLumen,     CSDInfoWindow::kRowProbe};
const char* const kBarNames[5] = {"SizeBarMap", "SizeBarBraidline", "SizeBarWeather",
                                  "SizeBarMusic", "SizeBarLumen"};
// The folders of each bar, in the bars' order.
std::vector<std::vector<std::string>> BarFolders() {
    std::vector<std::vector<std::string>> groups(5);
    groups[0] = {":\\PC\\PROGRAM\\", ":\\PC\\BT\\", ":\\UPDATE\\", ":\\PC\\MAP\\"};
    for (int i = 1; i <= 12; ++i) groups[0].push_back(":\\PC\\SEARCH" + std::to_string(i) + "\\");
    groups[1] = {":\\PC\\PROBE\\"};
    groups[2] = {":\\PC\\WEATHER\\"};
    groups[3] = {":\\AV\\MUSIC"};
    groups[4] = {":\\PC\\LUMEN\\"};
    return groups;
}

// A size bar: the bar picture cut to the width its share of the card gives.
class CSizeBarItem : public CSkinWindowItemStaticImage {
public:
    using CSkinWindowItemStaticImage::CSkinWindowItemStaticImage;
    void SetRect(int left, int top, int right, int bottom) override {
        const RECT old = GetRect();
        m_x = left;
        m_y = top;
        m_width = right > left ? right - left : 0;
        m_height = bottom > top ? bottom - top : 0;
        if (Accessor().IsReady()) {
            Accessor().RedrawRect(old.left, old.top, old.right, old.bottom, false);
            Redraw();
        }
    }
    // A screen reader reads a bar as the share of the card its kind takes, as
    // the charge tiles read their progress; silent until the sizes are known.
    SkinRole AccessibleRole() const override {
        return m_kind.empty() ? SkinRole::kNone : SkinRole::kProgressBar;
    }
    std::string GetAccessibleName() const override { return ChargeTileName(m_kind, m_percent); }
    void SetShare(const std::string& kind, int percent) {
        if (kind == m_kind && percent == m_percent) return;
        m_kind = kind;
        m_percent = percent;
        Announce(SkinItemChange::kName);
    }
    void Draw() override {
        if (m_width <= 0 || m_height <= 0) return;
        if (lib::wfc::CDIB* canvas = BeginCompose()) {
            const lib::wfc::CDIB& image = Accessor().GetImageCache(m_file);
            const int w = m_source.right - m_source.left;
            canvas->KeyCopy(0, 0, w < m_width ? w : m_width, m_source.bottom - m_source.top, image,
                            m_source.left, m_source.top);
        }
        EndCompose();
    }

private:
    std::string m_kind;
    int m_percent = 0;
};

RecordTime ToRecordTime(const SYSTEMTIME& t) {
    RecordTime r;
    r.year = t.wYear;
    r.month = t.wMonth;
    r.day = t.wDay;
    r.hour = t.wHour;
    r.minute = t.wMinute;
    r.second = t.wSecond;
    return r;
}

}  // namespace

CSDInfoWindow::CSDInfoWindow()
    : Chain("FrameOverlay"), m_sdChange(::RegisterWindowMessageA(kMsgSDChange)) {}

CSDInfoWindow::~CSDInfoWindow() {
    JoinWalk();
    if (GetHandle()) DestroyWindow();
}

void CSDInfoWindow::ShowLumenRow(bool show, const std::string& label) {
    m_lumen = show;
    m_lumenLabel = label;
}

void CSDInfoWindow::Create(HWND owner, char drive) {
    m_owner = owner;
    m_drive = drive;
    LoadSkin("SDInfoWindow.txt", "Base", true);
    const SkinData& skin = Skin();
    auto text = [&](int id, const std::string& name) {
        return AddItem<CSkinWindowItemStatic>(id, GetItem(skin, name));
    };
    // The skin's order, which is the order a screen reader lists them in:
    // the heads, then the rows as they stand, the probe row under its head.
    text(kTitleStatic, "TitleStatic")->SetText("ＳＤカード情報");
    AddItem<CSkinWindowItemButton>(kCloseButton, GetItem(skin, "CloseButton"));
    text(kLastChargeHead, "LastChargeTextStatic")->SetText("データ取得日時");
    text(kSDChargeHead, "SDChargeStatusTextStatic")->SetText("SDカードへの\r\n転送状況");
    text(kChargeHead, "ChargeStatusTextStatic")->SetText("ナビへの\r\n転送状況");
    for (int row : kRowsDown) {
        if (row == kRowProbe)
            text(kLastUploadHead, "LastUploadTextStatic")->SetText("アップロード日時");
        const std::string s = kRowNames[row].suffix;
        const bool shown = row != kRowLumen || m_lumen;
        std::vector<CSkinWindowItem*> made;
        made.push_back(
            AddItem<CSkinWindowItemStaticImage>(ItemId(row, kFrame), GetItem(skin, "Frame" + s)));
        made.push_back(
            AddItem<CSkinWindowItemStaticImage>(ItemId(row, kIcon), GetItem(skin, "Icon" + s)));
        made.push_back(
            AddItem<CSkinWindowItemStaticImage>(ItemId(row, kSample), GetItem(skin, "Sample" + s)));
        auto* label = text(ItemId(row, kText), "Text" + s);
        if (row == kRowLumen && !m_lumenLabel.empty()) label->SetText(m_lumenLabel);
        made.push_back(label);
        made.push_back(text(ItemId(row, kDate), "LastCharge" + s));
        if (row != kRowProbe) {
            made.push_back(text(ItemId(row, kCardStatus), "SDChargeStatus" + s));
            made.push_back(text(ItemId(row, kUnitStatus), "ChargeStatus" + s));
        }
        for (CSkinWindowItem* item : made) item->SetVisible(shown);
    }
    AddItem<CSkinWindowItemButton>(kButtonProbe, GetItem(skin, "ButtonProbe"));
    text(kTotalSize, "TotalSizeTextStatic");
    AddItem<CSkinWindowItemStaticImage>(kSizeBarBlank, GetItem(skin, "SizeBarBlank"));
    for (int bar = 0; bar < 5; ++bar)
        AddItem<CSizeBarItem>(kSizeBarFirst + bar, GetItem(skin, kBarNames[bar]))
            ->SetVisible(bar != 4 || m_lumen);
    AddItem<CSkinWindowItemButton>(kButtonNaviInfo, GetItem(skin, "ButtonNaviInfo"));
    AddItem<CSkinWindowItemButton>(kOKButton, GetItem(skin, "OKButton"));
    // Without the traffic-data service row, what lies below it moves up by a
    // row and the window is that much shorter: no empty band.
    int band = 0;
    if (!m_lumen) {
        const RECT lumen = GetItemById(ItemId(kRowLumen, kFrame))->GetRect();
        band = lumen.top - GetItemById(ItemId(kRowMusic, kFrame))->GetRect().top;
        for (const auto& item : Items()) {
            const int id = item->GetId();
            // The bars are laid from the blank bar whenever the sizes come.
            if (item->CoversWindow() || item->GetRect().top < lumen.bottom ||
                (id >= kSizeBarFirst && id < kSizeBarFirst + 5))
                continue;
            AddLayoutRule(id, kAnchorNear, kAnchorFar, kAnchorNear, kAnchorFar);
        }
    }
    SetUpFrameOverlay();
    CreateResizableWindow(owner, WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU, WS_EX_TOOLWINDOW, 0, 0);
    EnableResize(false);
    if (band > 0) {
        const RECT client = GetClientRect();
        ::SetWindowPos(GetHandle(), nullptr, 0, 0, client.right, client.bottom - band,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetWindowTextA("Quillmarch SDInfo");
    Fill();
}

void CSDInfoWindow::SetCell(int row, int cell, const std::string& text) {
    auto* item = static_cast<CSkinWindowItemStatic*>(GetItemById(ItemId(row, cell)));
    if (item && item->GetText() != text) item->SetText(text);
}

std::string CSDInfoWindow::CellText(int row, int cell) {
    auto* item = static_cast<CSkinWindowItemStatic*>(GetItemById(ItemId(row, cell)));
    return item ? item->GetText() : std::string();
}

std::string CSDInfoWindow::TotalText() {
    auto* item = static_cast<CSkinWindowItemStatic*>(GetItemById(kTotalSize));
    return item ? item->GetText() : std::string();
}

RECT CSDInfoWindow::BarRect(int bar) {
    CSkinWindowItem* item = GetItemById(kSizeBarFirst + bar);
    return item ? item->GetRect() : RECT{};
}

void CSDInfoWindow::ResetRows() {
    for (int row = 0; row < kRows; ++row) {
        SetCell(row, kDate, info::FormatChargeDate(nullptr));
        if (row == kRowProbe) continue;
        SetCell(row, kCardStatus, info::FormatChargeStatus(0, true, false));
        SetCell(row, kUnitStatus, info::FormatChargeStatus(0, true, false));
    }
}

void CSDInfoWindow::Fill() {
    FillRows();
    StartSizeWalk();
}

void CSDInfoWindow::FillRows() {
    CPcLinkFile navi(CPcLinkFile::kNaviInfo, m_drive);
    m_deviceNo = navi.GetDeviceNo();
    if (m_deviceNo.empty()) {
        ResetRows();
        KILNLOG.Log(LOG_ERROR, "デバイスNo取得失敗 ERR:0x%08X",
                    static_cast<unsigned>(::GetLastError()));
        return;
    }
    CPcLinkFile pcLink(CPcLinkFile::kPcLink, m_drive);
    CSDInfoFile sdInfo(m_drive);
    const CPcLinkContent& pc = pcLink.Content();
    const CPcLinkContent& nv = navi.Content();
    for (int row = kRowBraidline; row <= kRowLumen; ++row) {
        if (row == kRowLumen && !m_lumen) continue;
        const uint32_t kind = kRowNames[row].kindBit;
        SYSTEMTIME time = {};
        int32_t result = -1;
        std::string text;
        uint32_t value120 = 0, v = 0;
        sdInfo.GetEntry(kind, &time, &result, &text, &value120, &v);
        const int cardRead = result;
        int card = cardRead;
        const uint32_t id = info::CompareRecordId(kind);
        const bool isMap = kind == 2;
        // The card comparison.
        if (card == 2 && kind != 16) {
            uint32_t pcValue = 0;
            int32_t pcWord18 = -1;
            if (isMap) {
                pcValue = pc.HasSearchDataValue(v) ? v : 0;
                pcWord18 = pc.GetSearchDataWord18(v);
            } else {
                pcValue = pc.GetRecordValue(id);
                pcWord18 = pc.GetRecordWord18(id);
            }
            bool newer = false;
            card = info::CompareCard(pcValue, pcWord18, v, &newer);
            if (newer)
                KILNLOG.Log(LOG_NORMAL, "PCLINK < NAVIINFO ID:0x%X PCver:0x%08X SDInfo:0x%08X",
                            0x20000001u, pcValue, v);
        }
        // The unit comparison, for the map and the traffic-data service.
        if (isMap || kind == 32) {
            int unit = cardRead;
            if (cardRead == 2) {
                uint32_t pcValue = 0, naviValue = 0;
                int32_t naviWord18 = -1;
                if (isMap) {
                    pcValue = pc.HasSearchDataValue(v) ? v : 0;
                    naviValue = info::LargestSearchData(nv);
                    naviWord18 = nv.GetSearchDataWord18(naviValue);
                } else {
                    pcValue = pc.GetRecordValue(id);
                    naviValue = nv.GetRecordValue(id);
                    naviWord18 = nv.GetRecordWord18(id);
                }
                bool older = false;
                unit = info::CompareUnit(pcValue, naviValue, naviWord18, v, &older);
                if (older)
                    KILNLOG.Log(LOG_NORMAL, "PCLINK < NAVIINFO ID:0x%X PCver:0x%08X NAVIver:0x%08X",
                                0x20000001u, pcValue, naviValue);
            }
            SetCell(row, kUnitStatus, info::FormatChargeStatus(unit, false, false));
        } else {
            SetCell(row, kUnitStatus, info::FormatChargeStatus(0, true, false));
        }
        SetCell(row, kCardStatus, info::FormatChargeStatus(card, false, true));
        const RecordTime date = ToRecordTime(time);
        SetCell(row, kDate, info::FormatChargeDate(cardRead == 2 ? &date : nullptr));
    }
    CProbeLogFile probe(m_deviceNo.c_str());
    SYSTEMTIME last = {};
    int32_t result = -1;
    uint32_t code = 0;
    const uint32_t count = probe.GetCount();
    if (count > 0 && probe.GetEntry(count - 1, &last, &result, &code)) {
        const RecordTime date = ToRecordTime(last);
        SetCell(kRowProbe, kDate, info::FormatChargeDate(&date));
    } else {
        SetCell(kRowProbe, kDate, info::FormatChargeDate(nullptr));
    }
}

void CSDInfoWindow::JoinWalk() {
    if (m_walk.joinable()) m_walk.join();
}

void CSDInfoWindow::StartSizeWalk() {
    JoinWalk();
    const unsigned generation = ++m_walkGeneration;
    const char drive = m_drive;
    const bool lumen = m_lumen;
    HWND window = GetHandle();
    m_walk = std::thread([this, generation, drive, lumen, window] {
        Sizes sizes;
        const std::string root = CardRoot(drive);
        ULARGE_INTEGER avail = {}, total = {}, free = {};
        if (::GetDiskFreeSpaceExA(root.c_str(), &avail, &total, &free)) {
            sizes.valid = true;
            sizes.volumeTotal = total.QuadPart;
            const auto groups = BarFolders();
            for (size_t g = 0; g < groups.size(); ++g) {
                if (g == 4 && !lumen) continue;
                for (const std::string& folder : groups[g])
                    sizes.groups[g] += GetFolderSize(CardPath(drive, folder.c_str()).c_str());
            }
        } else {
            KILNLOG.Log(LOG_ERROR, "無効なドライブ指定 %s", root.c_str());
        }
        {
            std::lock_guard<std::mutex> lock(m_sizesLock);
            m_walkSizes = sizes;
        }
        if (window) ::PostMessageA(window, kSizesReady, generation, 0);
    });
}

void CSDInfoWindow::WaitForSizes() {
    JoinWalk();
    Sizes sizes;
    {
        std::lock_guard<std::mutex> lock(m_sizesLock);
        sizes = m_walkSizes;
    }
    ApplySizes(sizes);
}

void CSDInfoWindow::ApplySizes(const Sizes& sizes) {
    m_shownSizes = sizes;
    uint64_t sum = 0;
    std::vector<int> percents;
    for (int g = 0; g < 5; ++g) {
        sum += sizes.groups[g];
        percents.push_back(info::SizeBarPercent(sizes.groups[g], sizes.volumeTotal));
    }
    auto* total = static_cast<CSkinWindowItemStatic*>(GetItemById(kTotalSize));
    if (total) total->SetText(info::FormatTotalSize(sum));
    CSkinWindowItem* blank = GetItemById(kSizeBarBlank);
    if (!blank) return;
    const RECT b = blank->GetRect();
    const auto spans = info::LayOutSizeBars(percents, b.left, b.right - b.left);
    for (int g = 0; g < 5; ++g) {
        auto* bar = static_cast<CSizeBarItem*>(GetItemById(kSizeBarFirst + g));
        if (!bar) continue;
        bar->SetRect(spans[g].left, b.top, spans[g].right, b.bottom);
        if (CSkinWindowItem* label = GetItemById(ItemId(kRowsDown[g], kText)))
            bar->SetShare(label->GetLabel(), percents[static_cast<size_t>(g)]);
    }
    RedrawAll();
    InvalidateRect(nullptr, false);
}

bool CSDInfoWindow::CopyVersionList() {
    CPcLinkFile navi(CPcLinkFile::kNaviInfo, m_drive);
    if (!navi.IsLoaded()) return false;
    const CPcLinkContent& c = navi.Content();
    const std::string text =
        info::FormatVersionList(FormatVersion3(c.GetRecordValue(kRecordNaviApplication)),
                                FormatVersion6(c.GetRecordValue(kRecordMapData)),
                                FormatVersion6(info::LargestSearchData(c)),
                                FormatVersion2(c.GetRecordValue(kRecordBluetoothFirmware)));
    if (!::OpenClipboard(GetHandle())) return false;
    ::EmptyClipboard();
    bool done = false;
    if (HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        if (void* p = ::GlobalLock(memory)) {
            memcpy(p, text.c_str(), text.size() + 1);
            ::GlobalUnlock(memory);
            done = ::SetClipboardData(CF_TEXT, memory) != nullptr;
        }
        if (!done) ::GlobalFree(memory);
    }
    ::CloseClipboard();
    return done;
}

void CSDInfoWindow::OpenProbeLog() {
    ShowProbeLogWindow(GetHandle(), m_deviceNo.c_str());
    ::SetWindowPos(GetHandle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetForegroundWindow(GetHandle());
}

LRESULT CSDInfoWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_sdChange && message == m_sdChange) {
        const char drive = static_cast<char>(wParam);
        if (drive != 0 && drive != m_drive) {
            m_drive = drive;
            Fill();
        } else if (drive == m_drive) {
            // The same letter: the card may have been pulled or swapped.
            Fill();
        }
        return 0;
    }
    if (message == WM_CLOSE) m_closed = true;
    if (message == kSizesReady) {
        if (wParam == m_walkGeneration) WaitForSizes();
        return 0;
    }
    if (message == WM_DPICHANGED) {
        // The bars are laid again from the blank bar where the new scale put
        // it: each bar's own edges mapped would round apart from their sum.
        const LRESULT result = Chain::WindowProc(message, wParam, lParam);
        ApplySizes(m_shownSizes);
        return result;
    }
    return Chain::WindowProc(message, wParam, lParam);
}

bool CSDInfoWindow::OnItemEvent(int id, int code, intptr_t param) {
    if (OnCommonItemEvent(GetHandle(), id, code, kCloseButton, kApplicationIcon)) return true;
    if (code == kItemClicked) {
        switch (id) {
            case kOKButton:
                PostMessage(WM_CLOSE);
                return true;
            case kButtonNaviInfo:
                CopyVersionList();
                return true;
            case kButtonProbe:
                OpenProbeLog();
                return true;
            default:
                break;
        }
    }
    return Chain::OnItemEvent(id, code, param);
}

void CSDInfoWindow::RunFor(HWND owner, char drive) {
    m_closed = false;
    Create(owner, drive);
    lib::wfc::CenterWindow(GetHandle(), owner);
    ShowWindow(SW_SHOW);
    ::SetForegroundWindow(GetHandle());
    lib::wfc::RunModal(GetHandle(), nullptr, m_closed);
}

}  // namespace ui
