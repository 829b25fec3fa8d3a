#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "InfoHarness.h"
#include "ScreenInput.h"
#include "TestSupport.h"
#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "common/KilnLog.h"
#include "common/MessageCatalog.h"
#include "ui/FrameOverlayWindowBase.h"
#include "ui/Skin.h"
#include "wfc/Library.h"

namespace infotest {

namespace {

std::string LogPath() { return qmtest::WorkFolder() + "info.log"; }

class LogEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        lib::wfc::InitLibrary(::GetModuleHandleA(nullptr), "Quillmarch ", nullptr, nullptr);
        KILNLOG.Start(LogPath().c_str(), 4096);
        // The program's own skins, from the built program's resources.
        HMODULE skins = ::LoadLibraryExA((qmtest::BinFolder() + "Quillmarch.exe").c_str(), nullptr,
                                         LOAD_LIBRARY_AS_DATAFILE);
        ui::SetSkinResourceMode(skins, skins, skins);
    }
    void TearDown() override { KILNLOG.End(); }
};
const auto* const g_logEnvironment = ::testing::AddGlobalTestEnvironment(new LogEnvironment);

void Walk(const std::string& root, const std::string& relative, std::vector<std::string>& out) {
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((root + relative + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            Walk(root, relative + name + "\\", out);
        else
            out.push_back(relative + name);
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
}

}  // namespace

std::string SettingsFile() { return GetSettingFolder() + "Quillmarch.ini"; }

std::vector<std::string> TreeOf(const std::string& folder) {
    std::vector<std::string> out;
    std::string root = folder;
    if (root.back() != '\\') root += '\\';
    Walk(root, "", out);
    std::sort(out.begin(), out.end());
    return out;
}

size_t LogMark() { return qmtest::ReadFile(LogPath()).size(); }

int Logged(size_t mark, const std::string& prefix) {
    const std::string text = qmtest::ReadFile(LogPath());
    int count = 0;
    for (const std::string& record :
         qmtest::LogRecordTexts(text.size() > mark ? text.substr(mark) : ""))
        count += record.rfind(prefix, 0) == 0;
    return count;
}

std::string BoxText(uint32_t code) {
    unsigned style = 0;
    return GetMessageText(code, 0, style);
}

void SaveScreen(lib::wfc::CDIB* buffer, const std::string& name) {
    if (!buffer) return;
    // Beside bin\ in the build folder.
    std::string folder = qmtest::BinFolder();
    if (folder.size() > 4) folder.resize(folder.size() - 4);
    folder += "screens\\info\\";
    CreateDirectories(folder.c_str());
    buffer->SavePng((folder + name + ".png").c_str());
}

void SaveScreen(ui::CSkinWindow& window, const std::string& name) {
    window.RedrawAll();
    SaveScreen(window.BackBuffer(), name);
}

void SaveWindowShot(HWND window, const std::string& name) {
    ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    qmtest::Drain();
    lib::wfc::CDIB shot = qmtest::GrabWindow(window);
    SaveScreen(&shot, name);
}

int Xdo(const std::vector<std::string>& args) {
    const char* dir = std::getenv("QM_XDO_DIR");
    if (!dir) return -1;
    std::string folder = std::string("Z:") + dir + "/";
    std::replace(folder.begin(), folder.end(), '/', '\\');
    return qmtest::RunXdo(folder, args);
}

void ClickItem(ui::CSkinWindow& window, int id) {
    const RECT r = window.GetItemById(id)->GetRect();
    POINT at = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    POINT screen = at;
    ::ClientToScreen(window.GetHandle(), &screen);
    ::SetCursorPos(screen.x, screen.y);
    window.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    window.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    qmtest::Drain();  // the item's notices may post on
}

bool InOverlayRegistry(HWND window, UINT message) {
    const auto all = ui::FrameOverlayWindowBase::RegisteredWindows();
    return std::find(all.begin(), all.end(), std::make_pair(window, message)) != all.end();
}

}  // namespace infotest
