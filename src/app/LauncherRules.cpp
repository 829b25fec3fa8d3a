#include "app/LauncherRules.h"

#include "app/ChargeText.h"

StartChargeDecision DecideStartCharge(int updateResult, bool hasCard) {
    StartChargeDecision d;
    if (updateResult == kUpdateLatest) {
        d.stopReaskTimer = true;
        if (!hasCard) {
            d.log = "自動アップデート終了通知時のSDカード無し(チャージ実行無し)";
            return d;
        }
        d.action = StartChargeAction::AllKinds;
        d.mask = kChargeMaskAll;
        return d;
    }
    if (updateResult == kUpdateNewer) {
        d.log = "バージョンアップ確認未達成のためチャージ無し RET:0x%08X";
        return d;
    }
    d.log = "バージョンアップ確認接続エラーのため、音楽転送のみ RET:0x%08X";
    d.action = StartChargeAction::MusicOnly;
    d.mask = kChargeMaskMusic;
    return d;
}

MapRequestDecision DecideMapRequest(uint32_t type, const MapNotifySettings& s) {
    MapRequestDecision d;
    if (type == 0xEF) {
        d.action = MapRequestAction::AskBox;
        return d;
    }
    const int mode = MapNotifyModeOfRequest(type);
    if (mode < 0) return d;
    // The types a "show" key can silence, answered at once with its log line.
    int show = 1;
    switch (type) {
        case 0:
            show = s.notifyMessage;
            d.log = "新規地図更新データ通知 今後表示しないため、即応答";
            break;
        case 1:
            show = s.notifyLoseReserve;
            d.log = "地図更新予約日経過通知 今後表示しないため、即応答";
            break;
        case 2:
            show = s.notifyRemind;
            d.log = "地図更新リマインド通知 今後表示しないため、即応答";
            break;
        case 4:
            show = s.notifyPassword;
            d.log = "地図更新データパスワード取得通知 今後表示しないため、即応答";
            break;
    }
    if (show == 0) {
        d.action = MapRequestAction::AnswerNo;
        return d;
    }
    d.action = MapRequestAction::Show;
    d.mode = mode;
    d.log = nullptr;
    return d;
}

MapAnswerDecision DecideMapAnswer(uint32_t type, bool accepted) {
    MapAnswerDecision d;
    d.known = true;
    switch (type) {
        case 0:
        case 1:
        case 4:
            d.eventName = accepted ? "Global\\WLKMapLicense" : "Global\\WLKMapLicenseNo";
            d.startReaskTimer = accepted;
            d.silenceKey = static_cast<int>(type);
            break;
        case 2:
            d.eventName = accepted ? "Global\\WLKMapLicense" : "Global\\WLKMapLicenseNo";
            d.startReaskTimer = !accepted;
            d.silenceKey = 2;
            break;
        case 3:
            d.eventName = accepted ? "Global\\WLKMapDownload" : "Global\\WLKMapDownloadNo";
            break;
        case 5:
            d.startRefreshCharge = accepted;
            break;
        case 0x10:
            d.eventName = accepted ? "Global\\WLKMapVerify" : "Global\\WLKMapVerifyNo";
            break;
        case 0x11:
            d.eventName = accepted ? "Global\\WLKMapProbe" : "Global\\WLKMapProbeNo";
            break;
        case 0xEF:
            d.eventName = accepted ? "Global\\WLKMapLicense" : "Global\\WLKMapLicenseNo";
            break;
        default:
            d.known = false;
            break;
    }
    return d;
}

bool IsWithinQuietDays(uint64_t declinedAt, uint64_t now, int days) {
    return now < declinedAt + static_cast<uint64_t>(days) * kFileTimeDay;
}

bool IsTrafficQuestionDue(const TrafficQuestionFacts& f) {
    return f.settingsLoaded && f.transmitTraffic != 0 && f.exitMode == 0 && f.hasLastUpdate &&
           f.hasCard && f.now > f.lastUpdate + kTrafficStaleAfter;
}

bool IsCardNoticeEvent(uint32_t event) {
    return event == 0x20 || event == 0x40 || event == 0x80 || event == 0x100 || event == 0x10000;
}

bool ToolsStillThere(ToolsWait wait, bool core, bool musicSetting, bool musicManual) {
    return core || musicSetting || (wait == ToolsWait::Exit && musicManual);
}

RescanDecision DecideRescan(const std::vector<ScannedDrive>& drives, char current,
                            int navigationModelType) {
    RescanDecision d;
    bool currentSeen = false;
    for (const ScannedDrive& drive : drives) {
        if (!drive.writable) {
            d.readOnlySeen = true;
            d.readOnly.push_back(drive.letter);
            continue;
        }
        if (!drive.registered) {
            d.unregisteredSeen = true;
            continue;
        }
        if (drive.letter == current) {
            currentSeen = true;
            break;
        }
        if (!d.candidate) d.candidate = drive.letter;
    }
    if (currentSeen) {
        d.outcome = RescanOutcome::SameCard;
        d.candidate = current;
        return d;
    }
    if (!d.candidate) {
        d.outcome = RescanOutcome::NoCard;
        return d;
    }
    int candidateType = navigationModelType;
    for (const ScannedDrive& drive : drives)
        if (drive.letter == d.candidate) candidateType = drive.modelType;
    d.outcome =
        candidateType == navigationModelType ? RescanOutcome::NewCard : RescanOutcome::OtherModel;
    return d;
}

uint32_t CapacityMessage(int modelCode, int navigationModelType, uint64_t totalBytes) {
    if (IsMothModelCode(modelCode)) return totalBytes < 14400000000ull ? 0xFF00EE0Au : 0;
    if (modelCode == 10 || modelCode == 12 || modelCode == 13 || navigationModelType == 2)
        return totalBytes < 7200000000ull ? 0xFF00EE08u : 0;
    return totalBytes < 3600000000ull ? 0xFF00EE03u : 0;
}

int MenuHintIndex(int main, int sub) {
    static const int kRoot[] = {42, 45, 48, 54};
    static const int kSub0[] = {44, 43};
    static const int kSub1[] = {47, 46};
    static const int kSub2[] = {52, 51, 50, 49, 53};
    static const int kSub3[] = {55, 56, 57};
    struct Row {
        const int* hints;
        int count;
    } const rows[] = {{kSub0, 2}, {kSub1, 2}, {kSub2, 5}, {kSub3, 3}};
    if (main < 0 || main > 3) return 0;
    if (sub < 0) return sub == -1 ? kRoot[main] : 0;
    return sub < rows[main].count ? rows[main].hints[sub] : 0;
}

int ProgressFrame(int percent, bool odd) {
    if (percent >= 100) return 6;
    if (percent < 0) percent = 0;
    const int band = percent / 25;  // 0..3
    return odd ? band + 2 : band + 1;
}

TileLefts LayOutTileLefts(int firstLeft, int lastLeft, int width, bool withoutProbe) {
    TileLefts t = {};
    t.left[0] = firstLeft;
    if (!withoutProbe) {
        for (int k = 1; k < 5; ++k) t.left[k] = firstLeft + k * ((lastLeft - firstLeft) / 4);
        return t;
    }
    const int step = (lastLeft - firstLeft - width) / 3;
    for (int k = 1; k < 5; ++k) t.left[k] = firstLeft + width / 2 + (k - 1) * step;
    return t;
}
