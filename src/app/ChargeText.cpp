#include "app/ChargeText.h"

#include <cstdio>

namespace {

struct IndexedText {
    int index;
    const char* text;
};

constexpr IndexedText kStatusTexts[] = {
    {1, "ナビ情報アップロード中"},
    {2, "地図データ更新中"},
    {3, "渋滞情報更新中"},
    {4, "天気情報更新中"},
    {5, "音楽データ転送中"},
    {6, "サーバー情報チェック中"},
    {10, "ナビ情報アップロード完了"},
    {11, "ナビ情報アップロード失敗"},
    {12, "ナビ情報アップロードスキップ"},
    {13, "ナビ情報データなし"},
    {14, "地図データ更新完了"},
    {15, "地図データ更新失敗"},
    {16, "地図データ更新スキップ"},
    {17, "地図データ最新情報なし"},
    {18, "渋滞情報更新完了"},
    {19, "渋滞情報更新失敗"},
    {20, "渋滞情報更新スキップ"},
    {21, "渋滞情報最新情報なし"},
    {22, "天気情報更新完了"},
    {23, "天気情報更新失敗"},
    {24, "天気情報更新スキップ"},
    {25, "天気情報最新情報なし"},
    {26, "音楽データ転送完了"},
    {27, "音楽データ転送失敗"},
    {28, "音楽データ転送スキップ"},
    {29, "音楽データ最新情報なし"},
    {40, "クリックでメニューを開きます"},
    {41, "クリックでメニューを格納します"},
    {42, "データ取得関連の操作ができます"},
    {43, "各種データの取得を開始します"},
    {44, "設定を行います"},
    {45, "音楽転送関連の操作ができます"},
    {46, "音楽ファイルを選択して転送します"},
    {47, "音楽ファイルの転送設定を行います"},
    {48, "関連webサイトへご案内します"},
    {49, "お客様登録サイトを開きます"},
    {50, "エコドライブ情報サイトを開きます"},
    {51, "QUILL MARCH関連サイトを開きます"},
    {52, "パスワード確認サイトを開きます"},
    {53, "Picture Loader関連サイトを開きます"},
    {54, "各種情報を表示します"},
    {55, "バージョン情報を表示します"},
    {56, "SDカード情報を表示します"},
    {57, "オンラインヘルプを開きます"},
    {60, "SDを取り出します。"},
    {61, "処理を中止します。"},
};

constexpr int kMapStatus = 2;
constexpr uint64_t kStartMinimumRemaining = 9;
constexpr uint64_t kSteadyRemaining = 5;

// Result status bases by kind bit (done, failed, skipped, no new data follow).
int ResultBase(uint32_t kindBit) {
    switch (kindBit) {
        case 0x01:
            return 10;
        case 0x02:
            return 14;
        case 0x04:
            return 18;
        case 0x08:
            return 22;
        case 0x10:
            return 26;
    }
    return 0;
}

std::string Printf(const char* format, double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, value);
    return buf;
}

}  // namespace

std::string GetStatusText(int index) {
    for (const IndexedText& t : kStatusTexts)
        if (t.index == index) return t.text;
    return std::string();
}

int RunningStatusOfKind(uint32_t kindBit) {
    switch (kindBit) {
        case 0x01:
            return 1;
        case 0x02:
        case 0x20:
            return 2;
        case 0x04:
            return 3;
        case 0x08:
            return 4;
        case 0x10:
            return 5;
    }
    return 0;
}

double MapPercent(uint64_t cumulative, uint64_t total) {
    if (total == 0) return 0.0;
    const double p = static_cast<double>(cumulative) / static_cast<double>(total) * 100.0;
    return p > 100.0 ? 100.0 : p;
}

uint64_t MapStartRemaining(const MapProgressRecord& r) {
    uint64_t remaining = 0;
    if (r.lineSpeed > 0 && r.percent < 100.0 && r.totalSize > r.cumulativeSize)
        remaining = (r.totalSize - r.cumulativeSize) / r.lineSpeed;
    if (r.percent >= 100.0) remaining = 0;
    return remaining < kStartMinimumRemaining ? kStartMinimumRemaining : remaining;
}

uint64_t MapUpdatedRemaining(const MapProgressRecord& r) {
    if (r.lineSpeed == 0) return r.remainingSeconds;
    if (r.percent >= 100.0) return 0;
    const uint64_t estimate =
        r.totalSize > r.cumulativeSize ? (r.totalSize - r.cumulativeSize) / r.lineSpeed : 0;
    if (estimate >= kSteadyRemaining || estimate > r.remainingSeconds) return estimate;
    return r.remainingSeconds;
}

std::string FormatRemainingTime(uint64_t seconds) {
    char buf[32];
    if (seconds / 3600 >= 100) return "99:59:59";
    std::snprintf(buf, sizeof buf, "%2d:%02d:%02d", static_cast<int>(seconds / 3600),
                  static_cast<int>(seconds % 3600 / 60), static_cast<int>(seconds % 60));
    return buf;
}

std::string FormatMapPercentLine(double percent, uint64_t remainingSeconds) {
    const std::string p = percent == 0.0 ? "--" : Printf("%5.1f", percent);
    const std::string t =
        percent == 0.0 && remainingSeconds == 0 ? "-:--:--" : FormatRemainingTime(remainingSeconds);
    return p + "％完了　残り時間 約 " + t;
}

std::string FormatLineSpeed(uint32_t recordKind, double s) {
    if (recordKind == kMapRecordDownload) {
        const double b = 8.0 * s;
        if (b > 1e12) return Printf("通信速度 約 %6.1f Gbps", 999.9);
        if (b > 1e9) return Printf("通信速度 約 %6.1f Gbps", b / 1e9);
        if (b > 1e6) return Printf("通信速度 約 %6.1f Mbps", b / 1e6);
        if (b > 1e3) return Printf("通信速度 約 %6.1f Kbps", b / 1e3);
        return Printf("通信速度 約 %6.1f bps", b);
    }
    if (recordKind == kMapRecordTransfer) {
        constexpr double kKi = 1024.0, kMi = kKi * 1024.0, kGi = kMi * 1024.0, kTi = kGi * 1024.0;
        if (s > kTi) return Printf("転送速度 約 %6.1f GB/秒", 999.9);
        if (s > kGi) return Printf("転送速度 約 %6.1f GB/秒", s / kGi);
        if (s > kMi) return Printf("転送速度 約 %6.1f MB/秒", s / kMi);
        if (s > kKi) return Printf("転送速度 約 %6.1f KB/秒", s / kKi);
        return Printf("転送速度 約 %6.1f B/秒", s);
    }
    return std::string();
}

std::string FormatDots(int dotCounter) {
    std::string dots;
    for (int n = 0; n < 3; ++n) dots += n < dotCounter ? "．" : "  ";
    return dots;
}

std::string BuildStatusText(int index, int dotCounter, const MapProgressRecord& map,
                            int displayPhase) {
    if (index == kMapStatus) {
        const bool sized = map.kind != kMapRecordNone && map.kind != kMapRecordChecking;
        if (sized && displayPhase == kMapPhasePercent)
            return FormatMapPercentLine(map.percent, map.remainingSeconds);
        if (sized && displayPhase == kMapPhaseSpeed)
            return FormatLineSpeed(map.kind, static_cast<double>(map.lineSpeed));
        switch (map.kind) {
            case kMapRecordDownload:
                return "地図データダウンロード中";
            case kMapRecordTransfer:
                return "SDカードへ転送中";
            case kMapRecordChecking:
                return "転送済データのチェック中です" + FormatDots(dotCounter);
        }
        return GetStatusText(kMapStatus);
    }
    if (index >= 1 && index <= kStatusLastCharge)
        return GetStatusText(index) + FormatDots(dotCounter);
    return GetStatusText(index);
}

ChargeCompletion ClassifyCompletion(uint32_t code) {
    ChargeCompletion c;
    c.kindBit = code >> 24;
    c.result = code & 0xFFFFFF;
    const uint32_t low16 = c.result & 0xFFFF;
    const bool quiet = low16 == 0xFF00 || low16 == 0xFF01 || low16 == 0xFF02;
    c.showMessage = c.result != 0 && !quiet;
    c.offerRegistration =
        code == 0x1200201 || code == 0x1200202 || code == 0x1200205 || code == 0x1200207;
    c.withdrawn = ((c.kindBit == 0x01 || c.kindBit == 0x04) && c.result == 0x200205) ||
                  (c.kindBit == 0x02 && (c.result & 0xF0FFFF) == 0x20000B);
    const int base = ResultBase(c.kindBit);
    if (base == 0) return c;
    if (c.result == 0 || c.result == 0x10B) {
        c.outcome = ChargeOutcome::Done;
        c.frame = 6;
    } else if (low16 == 0xFF01) {
        c.outcome = ChargeOutcome::Skipped;
        c.frame = 5;
    } else if (low16 == 0xFF02) {
        c.outcome = ChargeOutcome::NoNewData;
        c.frame = 5;
    } else {
        c.outcome = ChargeOutcome::Failed;
        c.frame = 1;
    }
    c.statusIndex = base + static_cast<int>(c.outcome) - static_cast<int>(ChargeOutcome::Done);
    return c;
}

std::string FormatReservedDate(uint32_t bcdDate) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "20%02X年%02X月%02X日", (bcdDate >> 16) & 0xFF,
                  (bcdDate >> 8) & 0xFF, bcdDate & 0xFF);
    return buf;
}

std::string FormatEstimatedTime(uint32_t seconds) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d:%02d", static_cast<int>(seconds / 3600),
                  static_cast<int>(seconds % 3600 / 60));
    return buf;
}

std::string GetMapNotifyText(int type, int modelType, uint32_t argument) {
    const bool licence = modelType == 2;
    switch (type) {
        case 0:
            return licence ? "継続して地図を更新するには地図更新の使用許諾の同意が必要です。\r\n"
                             "更新しますか？"
                           : "継続して地図を更新するには更新パスワードの取得が必要です。\r\n"
                             "更新パスワードを取得しますか？";
        case 1:
            return licence ? "地図ダウンロード予約日になりました。\r\n"
                             "ダウンロードするには地図更新の使用許諾の同意が必要です。\r\n"
                             "更新しますか？"
                           : "地図更新予約日になりました。\r\n"
                             "地図を更新するにはパスワード発行が必要です。\r\n"
                             "パスワードを取得しますか？";
        case 2:
            return "地図更新ダウンロード予約日が近づいております。\r\n"
                   "ご予約いただいた内容をお知らせいたします。\r\n予約日：" +
                   FormatReservedDate(argument);
        case 3:
            return licence ? "お客様が設定した地図ダウンロード予約日を過ぎております。\r\n"
                             "お手数ですが、再度地図更新の使用許諾の同意を取得してください。\r\n"
                             "取得しますか？"
                           : "設定された地図更新予約日を過ぎています。\r\n"
                             "お手数ですが、再度パスワードを取得してください。\r\n\r\n"
                             "再度予約を行ないますか？";
        case 4:
            return "地図ダウンロードが可能になりました。\r\nダウンロードを開始しますか？\r\n"
                   "（予想時間 " +
                   FormatEstimatedTime(argument) + "）";
        case 5:
            return "最新の情報に更新しますか？";
        case 7:
            return "SDカードへ転送済データのチェックを行いますか？\r\n(チェックには数分かかります)";
        case 8:
            return "未送信のナビ情報があります。\r\n"
                   "このまま地図データ更新を行なうとエコドライブレポートへ反映されない場合があり"
                   "ます。\r\n地図データ更新を続行しますか？";
    }
    return std::string();
}

int MapNotifyModeOfRequest(uint32_t requestType) {
    switch (requestType) {
        case 0:
            return 0;
        case 1:
            return 3;
        case 2:
            return 2;
        case 3:
            return 4;
        case 4:
            return 1;
        case 5:
            return 5;
    }
    return -1;
}
