#pragma once
// Cards, message boxes, log records and screenshots for the information and
// settings window tests. Drive letters are mapped by prefix-setup.
#include <windows.h>

#include <string>
#include <vector>

#include "BoxWatcher.h"
#include "TestSupport.h"
#include "app/SDInfoWindow.h"
#include "app/SettingWindow.h"
#include "ui/SkinWindow.h"
#include "wfc/DIB.h"

namespace infotest {

constexpr char kCardE = 'E';
constexpr char kCardF = 'F';
constexpr char kReadOnlyCard = 'G';
constexpr char kSmallCard = 'N';

using qmtest::EmptyDrive;
using qmtest::MakeCard;
using qmtest::Touch;
// Every file below folder, relative, sorted ("PC\NAVIINFO.DAT").
std::vector<std::string> TreeOf(const std::string& folder);

// How many records since a mark (LogMark) read "N:text..." or "E:text..."
// (kind, then the start of the message).
using qmtest::LogMark;
int Logged(size_t mark, const std::string& prefix);

// The box text a code shows (as the window fills it).
std::string BoxText(uint32_t code);

using qmtest::CBoxWatcher;

// The settings file the settings window reads and writes.
std::string SettingsFile();

// A settings window opened on the card in drive, shown without activation.
struct SettingsOpened {
    ui::CSettingWindow window;
    explicit SettingsOpened(char drive, int modelType = 1) : window(modelType) {
        window.Open(nullptr, drive);
        window.ShowWindow(SW_SHOWNA);
    }
};

// The SD information window on the card in drive with its size bars laid,
// shown without activation; the traffic-data service row when asked.
struct SDInfoOpened {
    ui::CSDInfoWindow window;
    explicit SDInfoOpened(char drive, bool lumen = false) {
        window.ShowLumenRow(lumen, "交通データ");
        window.Create(nullptr, drive);
        window.WaitForSizes();
        window.ShowWindow(SW_SHOWNA);
    }
};

// Saves a composed picture beside the test output (build/win64/screens/info);
// a window's is composed anew first.
void SaveScreen(lib::wfc::CDIB* buffer, const std::string& name);
void SaveScreen(ui::CSkinWindow& window, const std::string& name);
// Saves what the screen shows of a window, child controls included (the
// window is brought to the top and painted first).
void SaveWindowShot(HWND window, const std::string& name);
// Runs xdotool with these arguments through run-with-xdotool's agent,
// handling this thread's messages meanwhile; its exit code, -1 when no agent
// answered.
int Xdo(const std::vector<std::string>& args);
// A left click in the middle of an item: the pointer is put there first,
// since the window reads it when the press ends.
void ClickItem(ui::CSkinWindow& window, int id);
// Whether the window is in the frame-overlay registry with this message, so
// that hide-all and show-all reach it.
bool InOverlayRegistry(HWND window, UINT message);

}  // namespace infotest
