// The library is started once for the whole test program, as the program's
// start-up does.
#include <gtest/gtest.h>

#include <cstdio>

#include "WfcTestSupport.h"
#include "wfc/Library.h"

namespace wfctest {

std::string RowText(const lib::wfc::CDIB& dib, int y) {
    std::string text;
    for (int x = 0; x < dib.Width(); ++x) {
        COLORREF c = dib.GetPixel(x, y);
        char cell[8];
        std::snprintf(cell, sizeof cell, "%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
        if (x) text += ' ';
        text += cell;
    }
    return text;
}

lib::wfc::CDIB Solid(int width, int height, COLORREF color) {
    lib::wfc::CDIB dib;
    dib.Create(width, height);
    dib.Fill({0, 0, width, height}, color);
    return dib;
}

namespace {
class CLibraryEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        lib::wfc::InitLibrary(::GetModuleHandleA(nullptr), "wfc test", nullptr, nullptr);
        lib::wfc::InitThread();
    }
    void TearDown() override {
        lib::wfc::ReleaseThread();
        lib::wfc::TermLibrary();
    }
};
const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new CLibraryEnvironment);
}  // namespace

}  // namespace wfctest
