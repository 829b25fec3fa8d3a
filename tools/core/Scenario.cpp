#include "Scenario.h"

#include <cstdlib>
#include <cstring>
#include <sstream>

#include "common/CoreBridge.h"

namespace standin {

namespace {

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    std::string w;
    while (in >> w) words.push_back(w);
    return words;
}

bool Number(const std::string& text, uint64_t& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtoull(text.c_str(), &end, 0);  // 0x... for hexadecimal
    return end && *end == '\0';
}

bool Number32(const std::string& text, uint32_t& value) {
    uint64_t v = 0;
    if (!Number(text, v) || v > 0xFFFFFFFFull) return false;
    value = static_cast<uint32_t>(v);
    return true;
}

uint32_t KindBit(const std::string& keyword) {
    for (uint32_t bit = kChargeProbe; bit <= kChargeMusic; bit <<= 1)
        if (keyword == ChargeKeyword(bit)) return bit;
    return 0;
}

// "name value" options after the fixed words of a line.
bool Options(const std::vector<std::string>& w, size_t from, Action& a, std::string& why) {
    for (size_t i = from; i < w.size(); i += 2) {
        uint32_t v = 0;
        if (i + 1 >= w.size() || !Number32(w[i + 1], v)) {
            why = "option without a number: " + w[i];
            return false;
        }
        if (w[i] == "every")
            a.everyMs = v;
        else if (w[i] == "speed")
            a.speed = v;
        else if (w[i] == "notify")
            a.notifyEvery = v ? v : 1;
        else if (w[i] == "bit" && a.type == ActionType::Progress)
            a.progressBit = v;
        else if (w[i] == "wave" && a.type == ActionType::Block)
            a.wave = v;
        else {
            why = "unknown option: " + w[i];
            return false;
        }
    }
    return true;
}

// "result r" and "code c" pairs after the fixed words of a write step.
bool WriteOptions(const std::vector<std::string>& w, size_t from, Action& a) {
    for (size_t i = from; i < w.size(); i += 2) {
        uint32_t v = 0;
        if (i + 1 >= w.size() || !Number32(w[i + 1], v)) return false;
        if (w[i] == "result")
            a.writeResult = static_cast<int32_t>(v);
        else if (w[i] == "code")
            a.code = v;
        else
            return false;
    }
    return true;
}

bool ParseWrite(const std::vector<std::string>& w, Action& a, std::string& why) {
    const std::string what = w.size() > 1 ? w[1] : "";
    bool ok = false;
    if (what == "sdinfo") {
        a.target = WriteTarget::SdInfo;
        a.writeResult = 2;  // the transfer to the card completed
        ok = w.size() >= 3 && Number32(w[2], a.version) && WriteOptions(w, 3, a);
    } else if (what == "probelog") {
        a.target = WriteTarget::ProbeLog;
        ok = WriteOptions(w, 2, a);
    } else if (what == "download") {
        a.target = WriteTarget::Download;
        ok = w.size() == 6 && Number32(w[2], a.category) && a.category <= 0xFF &&
             Number32(w[3], a.subcategory) && a.subcategory <= 0xFF && Number(w[5], a.bytes);
        if (ok) a.name = w[4];
    } else if (what == "card") {
        a.target = WriteTarget::CardFile;
        ok = w.size() == 4 && w[2].compare(0, 2, ":\\") == 0 && Number(w[3], a.bytes);
        if (ok) a.name = w[2];
    }
    if (!ok)
        why =
            "write sdinfo <version> [result r] | probelog [result r] [code c] | download "
            "<category> "
            "<subcategory> <name> <bytes> | card :\\<path> <bytes>";
    return ok;
}

bool ParseAction(const std::vector<std::string>& w, KindScript& kind, std::string& why) {
    Action a;
    const std::string& verb = w[0];
    if (verb == "progress") {
        a.type = ActionType::Progress;
        size_t i = 1;
        for (; i < w.size() && w[i] != "every" && w[i] != "bit"; ++i) {
            uint32_t p = 0;
            if (!Number32(w[i], p) || p > 100) {
                why = "percentage expected: " + w[i];
                return false;
            }
            a.percents.push_back(p);
        }
        if (a.percents.empty()) {
            why = "progress without percentages";
            return false;
        }
        if (!Options(w, i, a, why)) return false;
    } else if (verb == "ask") {
        a.type = ActionType::Ask;
        if ((w.size() == 3 || w.size() == 5) && w[1] == "license") {
            a.question = Question::License;
            if (!Number32(w[2], a.requestType) ||
                (w.size() == 5 && (w[3] != "arg" || !Number32(w[4], a.argument)))) {
                why = "ask license <type> [arg <n>]";
                return false;
            }
            if (a.requestType == 3) a.question = Question::Download;
        } else if (w.size() == 2 && w[1] == "verify") {
            a.question = Question::Verify;
        } else if (w.size() == 2 && w[1] == "probe") {
            a.question = Question::Probe;
        } else {
            why = "ask license <type> | verify | probe";
            return false;
        }
    } else if (verb == "block") {
        a.type = ActionType::Block;
        if (w.size() < 4 || (w[1] != "download" && w[1] != "transfer") || !Number(w[2], a.total) ||
            !Number(w[3], a.step) || a.step == 0) {
            why = "block download|transfer <total> <step> [every ms] [speed bps] [notify n]";
            return false;
        }
        a.phase = w[1] == "download" ? kMapPhaseDownload : kMapPhaseTransfer;
        if (!Options(w, 4, a, why)) return false;
    } else if (verb == "diskcheck" || verb == "hold") {
        a.type = verb == "hold" ? ActionType::Hold : ActionType::DiskCheck;
        if (w.size() != 2 || !Number32(w[1], a.ms)) {
            why = verb + " <ms>";
            return false;
        }
    } else if (verb == "fail" && w.size() >= 2 && w[1] == "exit") {
        a.type = ActionType::Exit;
        if (w.size() > 3 || (w.size() == 3 && !Number32(w[2], a.exitCode))) {
            why = "fail exit [code]";
            return false;
        }
    } else if (verb == "write") {
        a.type = ActionType::Write;
        if (!ParseWrite(w, a, why)) return false;
    } else if (verb == "mapdownload" && w.size() == 1) {
        a.type = ActionType::MapDownload;
    } else if (verb == "fail" && w.size() == 2 && w[1] == "noblock") {
        kind.noBlock = true;
        return true;
    } else if (verb == "result") {
        if (w.size() < 2 || !Number32(w[1], kind.result) || kind.result > 0xFFFFFF) {
            why = "result <24-bit code> [winerr <code>]";
            return false;
        }
        if (w.size() == 4 && w[2] == "winerr" && Number32(w[3], kind.winError)) return true;
        if (w.size() == 2) return true;
        why = "result <24-bit code> [winerr <code>]";
        return false;
    } else if (verb == "declined") {
        if (w.size() != 2 || !Number32(w[1], kind.declined) || kind.declined > 0xFFFFFF) {
            why = "declined <24-bit code>";
            return false;
        }
        return true;
    } else if (verb == "source") {
        // Only the scripted source exists so far; a real transfer would be
        // another source backing the same kind.
        if (w.size() != 2 || w[1] != "scripted") {
            why = "unknown source";
            return false;
        }
        kind.source = w[1];
        return true;
    } else {
        why = "unknown step: " + verb;
        return false;
    }
    kind.actions.push_back(a);
    return true;
}

}  // namespace

const KindScript* Scenario::Find(uint32_t bit) const {
    for (const KindScript& k : kinds)
        if (k.bit == bit) return &k;
    return nullptr;
}

namespace {

void ParseInto(Scenario& s, const std::string& text, const std::string& where, int depth) {
    std::istringstream in(text);
    std::string line;
    int number = 0;
    KindScript* kind = nullptr;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t hash = line.find('#');
        const std::vector<std::string> w =
            Words(hash == std::string::npos ? line : line.substr(0, hash));
        if (w.empty()) continue;
        std::string why;
        bool ok = true;
        if (w[0] == "record" || w[0] == "journal") {
            // The path is the rest of the line: it may hold blanks.
            const size_t at = line.find(w[0]) + w[0].size();
            std::string path =
                line.substr(at, hash == std::string::npos ? std::string::npos : hash - at);
            path.erase(0, path.find_first_not_of(" \t"));
            path.erase(path.find_last_not_of(" \t") + 1);
            ok = !path.empty();
            why = "path expected";
            (w[0] == "record" ? s.recordPath : s.journalPath) = path;
        } else if (w[0] == "idle") {
            ok = w.size() == 2 && (w[1] == "stay" || w[1] == "exit");
            why = "idle stay|exit";
            s.stayWhenIdle = ok && w[1] == "stay";
        } else if (w[0] == "use") {
            const char* named = w.size() == 2 ? FindNamedScenario(w[1]) : nullptr;
            ok = named && depth < 4;
            why = "use <name of a built-in scenario>";
            if (ok) ParseInto(s, named, w[1] + " ", depth + 1);
            kind = nullptr;  // steps after it need a kind of their own
        } else if (w[0] == "startdelay") {
            ok = w.size() == 2 && Number32(w[1], s.startDelayMs);
            why = "startdelay <ms>";
        } else if (w[0] == "kind") {
            const uint32_t bit = w.size() == 2 ? KindBit(w[1]) : 0;
            ok = bit != 0;
            why = "kind prb|map|bl|wl|msc";
            if (ok) {
                // A later section of a kind replaces the earlier one, so a
                // file can take a built-in scenario and change one kind.
                kind = nullptr;
                for (KindScript& k : s.kinds)
                    if (k.bit == bit) kind = &k;
                if (!kind) {
                    s.kinds.emplace_back();
                    kind = &s.kinds.back();
                }
                *kind = KindScript();
                kind->bit = bit;
                kind->scripted = true;
            }
        } else if (!kind) {
            ok = false;
            why = "step outside a kind: " + w[0];
        } else {
            ok = ParseAction(w, *kind, why);
        }
        if (!ok) s.problems.push_back(where + "line " + std::to_string(number) + ": " + why);
    }
}

}  // namespace

Scenario ParseScenario(const std::string& text) {
    Scenario s;
    ParseInto(s, text, "", 0);
    return s;
}

}  // namespace standin
