#include <gtest/gtest.h>

#include <algorithm>

#include "InfoHarness.h"
#include "ScreenInput.h"
#include "TestSupport.h"
#include "common/FileHelpers.h"
#include "common/Folders.h"
#include "common/MessageCatalog.h"
#include "ui/FrameOverlayWindowBase.h"
#include "ui/Skin.h"
#include "wfc/Library.h"

namespace infotest {

namespace {

const bool g_keepsLog = qmtest::KeepLog();

// The library, and the program's own skins.
class ProgramEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        lib::wfc::InitLibrary(::GetModuleHandleA(nullptr), "Quillmarch ", nullptr, nullptr);
        const HMODULE skins = qmtest::ProgramModule();
        ui::SetSkinResourceMode(skins, skins, skins);
    }
};
const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new ProgramEnvironment);

void Walk(const std::string& root, const std::string& relative, std::vector<std::string>& out) {
    for (const std::string& name : qmtest::ListFiles(root + relative + "*"))
        if (IsDirectory((root + relative + name).c_str()))
            Walk(root, relative + name + "\\", out);
        else
            out.push_back(relative + name);
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

int Logged(size_t mark, const std::string& prefix) {
    int count = 0;
    for (const std::string& record : qmtest::LogSince(mark)) count += record.rfind(prefix, 0) == 0;
    return count;
}

std::string BoxText(uint32_t code) {
    unsigned style = 0;
    return GetMessageText(code, 0, style);
}

void SaveScreen(lib::wfc::CDIB* buffer, const std::string& name) {
    qmtest::SaveScreen(buffer, "info", name);
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
    return qmtest::RunXdo(qmtest::EnvFolder("QM_XDO_DIR"), args);
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
