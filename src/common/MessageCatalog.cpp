#include "common/MessageCatalog.h"

#include <cstdio>
#include <cstring>

namespace {

struct CatalogRow {
    uint32_t code;
    unsigned style;
    const char* text;
};

// The launcher's own situations (area 0xFF).
constexpr CatalogRow kLauncherRows[] = {
    {0xFF00EE01, kStyleExclamation,
     "本アプリケーションはこのOSでは動作できません。\r\nWindows 7(TM) / Windows Vista(TM) / "
     "Windows XP(TM) にて実行してください。"},
};

constexpr const char* kCodeMarker = "\r\n\r\n(メッセージコード：";
constexpr const char* kOnlineHelp = "\r\n詳細はオンラインヘルプを参照してください。";
constexpr uint32_t kAreaAuthentication = 0x40;
constexpr uint32_t kAreaErrorReport = 0x90;

const CatalogRow* Find(uint32_t code) {
    for (const CatalogRow& row : kLauncherRows)
        if (row.code == code) return &row;
    return nullptr;
}

}  // namespace

std::string GetMessageText(uint32_t code, uint32_t windowsError, unsigned& style) {
    const uint32_t area = code >> 24;
    if ((code & 0xFFFFFF) == 0 && area != kAreaErrorReport) return std::string();
    const CatalogRow* row = Find(code);
    if (!row) return std::string();
    style = row->style;
    if (!std::strstr(row->text, kCodeMarker)) return row->text;

    char suffix[16] = "";
    if (windowsError) std::snprintf(suffix, sizeof suffix, "-%X", windowsError);
    char buf[1024];
    std::snprintf(buf, sizeof buf, row->text, code, suffix);
    std::string text = buf;
    if (area != kAreaAuthentication) text += kOnlineHelp;
    return text;
}
