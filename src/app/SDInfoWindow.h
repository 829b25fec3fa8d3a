#pragma once
// CSDInfoWindow: what the card in a drive holds. Per kind of data the last
// transfer to the card, whether the transfer to the card and on to the unit
// is complete, the share of the card each kind occupies, the last probe
// upload; it copies the unit's version list to the clipboard. Reads only.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ui/EndSessionWaitingWindow.h"
#include "ui/FrameOverlayWindowBase.h"
#include "ui/ResizableSkinWindow.h"
#include "ui/WindowBase.h"

namespace ui {

class CSkinWindowItemStatic;

class CSDInfoWindow
    : public CFrameOverlayWindowBase<CEndSessionWaitingWindow<CResizableSkinWindow>>,
      public CWindowBase {
public:
    using Chain = CFrameOverlayWindowBase<CEndSessionWaitingWindow<CResizableSkinWindow>>;
    // The rows in the order they are filled; the probe row has no kind bit.
    enum Row : int { kRowBraidline, kRowWeather, kRowMap, kRowMusic, kRowLumen, kRowProbe, kRows };
    // Per row: frame, icon, sample, label, date, card status, unit status.
    enum Cell : int { kFrame, kIcon, kSample, kText, kDate, kCardStatus, kUnitStatus, kCells };
    enum : int {
        kTitleStatic = 1,
        kCloseButton,
        kOKButton,
        kApplicationIcon,
        kLastChargeHead,
        kSDChargeHead,
        kChargeHead,
        kLastUploadHead,
        kButtonProbe,
        kButtonNaviInfo,
        kTotalSize,
        kSizeBarBlank,
        kSizeBarFirst,  // map, traffic, weather, music, traffic-data service
        kRowItemFirst = 64,
    };
    // The message the size walk posts when it is done.
    static constexpr UINT kSizesReady = WM_APP + 0x215;

    CSDInfoWindow();
    ~CSDInfoWindow() override;

    // The traffic-data service row (off by default) and its label.
    void ShowLumenRow(bool show, const std::string& label = std::string());
    // Creates the window for the card in drive (hidden) and fills it.
    void Create(HWND owner, char drive);
    // Creates it, shows it over owner and returns when it is closed (once
    // per object: the launcher makes a new one for each opening).
    void RunFor(HWND owner, char drive);
    // Reads the card again: rows, probe date and, off this thread, sizes.
    void Fill();
    // Waits for the size walk and shows its bars (tests, benchmarks).
    void WaitForSizes();
    // Copies the unit's version list to the clipboard; false when the
    // navigation-info file did not load.
    bool CopyVersionList();

    bool IsCloseRequested() const { return m_closed; }
    char Drive() const { return m_drive; }
    const std::string& DeviceNo() const { return m_deviceNo; }
    std::string CellText(int row, int cell);
    std::string TotalText();
    RECT BarRect(int bar);
    static int ItemId(int row, int cell) { return kRowItemFirst + row * kCells + cell; }
    // Its own overlay number, so that hide-all and show-all reach it.
    static constexpr UINT kOverlayMessage = WM_APP + 0x159;
    UINT GetFrameOverlayMessage() override { return kOverlayMessage; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnItemEvent(int id, int code, intptr_t param) override;

private:
    struct Sizes {
        bool valid = false;
        uint64_t volumeTotal = 0;
        uint64_t groups[5] = {};
    };
    void FillRows();
    void ResetRows();
    void StartSizeWalk();
    void ApplySizes(const Sizes& sizes);
    void JoinWalk();
    void SetCell(int row, int cell, const std::string& text);
    void OpenProbeLog();

    char m_drive = 0;
    std::string m_deviceNo;
    bool m_lumen = false;
    std::string m_lumenLabel;
    UINT m_sdChange = 0;
    HWND m_owner = nullptr;
    bool m_closed = false;
    std::thread m_walk;
    std::mutex m_sizesLock;
    Sizes m_walkSizes;
    Sizes m_shownSizes;  // what the bars show, laid again at a change of scale
    std::atomic<unsigned> m_walkGeneration{0};
};

}  // namespace ui
