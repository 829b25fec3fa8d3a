// The built-in scenarios of the stand-in core, chosen by "use <name>" in a
// scenario file (scripts/run writes one for QM_SCENARIO=name). "default" is
// what the core plays without any file. docs/core-scenarios.md lists them.
#include <cstring>

#include "Scenario.h"

namespace standin {

namespace {

struct Named {
    const char* name;
    const char* text;
};

// About 30 seconds, every kind with progress, the map with realistic sizes
// and a line speed that swings, and what the windows read afterwards.
constexpr char kDefault[] = R"(
kind prb
  progress 0 20 40 60 80 100 every 300
  write probelog result 0
kind map
  progress 0
  block download 38400000 320000 every 100 speed 3200000 wave 1600000 notify 2
  block transfer 38400000 640000 every 100 speed 6400000 wave 1200000 notify 2
  diskcheck 1500
  progress 100
  write download 0x02 0x01 MAP20260101 262144
  write card :\PC\MAP\MAP0002.DAT 262144
  write sdinfo 0x05000200
kind bl
  progress 0 25 50 75 100 every 400
  write card :\PC\PROBE\TRAFFIC.DAT 65536
  write download 0x04 0x00 TRAFFIC 16384
  write sdinfo 0x01000006
kind wl
  progress 0 25 50 75 100 every 400
  write card :\PC\WEATHER\WX0002.DAT 32768
  write download 0x08 0x00 WEATHER 8192
  write sdinfo 0x01000004
kind msc
  progress 0 20 40 60 80 100 every 500
  write card :\AV\MUSIC\TRACK01.MP3 524288
  write sdinfo 0x00000002
)";

// The same leavings in about a second, for tests.
constexpr char kQuick[] = R"(
kind prb
  progress 0 100 every 20
  write probelog result 0
kind map
  block download 4000000 1000000 every 20 speed 2000000
  block transfer 4000000 2000000 every 20 speed 4000000
  write download 0x02 0x01 MAP20260101 4096
  write card :\PC\MAP\MAP0002.DAT 4096
  write sdinfo 0x05000200
kind bl
  progress 0 100 every 20
  write card :\PC\PROBE\TRAFFIC.DAT 2048
  write download 0x04 0x00 TRAFFIC 1024
  write sdinfo 0x01000006
kind wl
  progress 0 100 every 20
  write card :\PC\WEATHER\WX0002.DAT 1024
  write download 0x08 0x00 WEATHER 1024
  write sdinfo 0x01000004
kind msc
  progress 0 100 every 20
  write card :\AV\MUSIC\TRACK01.MP3 4096
  write sdinfo 0x00000002
)";

// A map kind that asks first; yes carries on with a short map charge.
#define QM_MAP_AFTER_YES                                        \
    "  block download 8000000 1000000 every 50 speed 2500000\n" \
    "  block transfer 8000000 2000000 every 50 speed 6000000\n" \
    "  write sdinfo 0x05000200\n"

constexpr Named kNamed[] = {
    {"default", kDefault},
    {"quick", kQuick},
    {"map-ask-0", "kind map\n  ask license 0\n" QM_MAP_AFTER_YES},
    {"map-ask-1", "kind map\n  ask license 1\n" QM_MAP_AFTER_YES},
    // The reserved date, 2025-01-31 in BCD.
    {"map-ask-2", "kind map\n  ask license 2 arg 0x250131\n" QM_MAP_AFTER_YES},
    // The estimated download time, 1:30.
    {"map-ask-3", "kind map\n  ask license 3 arg 5400\n" QM_MAP_AFTER_YES},
    {"map-ask-4", "kind map\n  ask license 4\n" QM_MAP_AFTER_YES},
    {"map-ask-ef", "kind map\n  ask license 0xEF\n" QM_MAP_AFTER_YES},
    {"map-verify", "kind map\n  ask verify\n  diskcheck 500\n  write sdinfo 0x05000200\n"},
    {"probe-unsent", "kind map\n  ask probe\n" QM_MAP_AFTER_YES},
    {"done", "use quick\n"},
    // Map data fails with a coded message (server refused the map files).
    {"failed",
     "use quick\nkind map\n  block download 4000000 1000000 every 20 speed 2000000\n"
     "  result 0x35FFFF\n"},
    {"skipped", "use quick\nkind bl\n  progress 0 every 20\n  result 0x00FF01\n"},
    {"no-new-data",
     "use quick\nkind map\n  progress 0 100 every 20\n  result 0x00FF02\n"
     "kind wl\n  progress 0 100 every 20\n  result 0x00FF02\n"},
    {"cancelled",
     "use quick\nkind map\n  block download 4000000 1000000 every 20 speed 2000000\n"
     "  result 0x00FF00\n"},
    // The service no longer knows the user: probe upload and traffic say so.
    {"withdrawn",
     "use quick\nkind prb\n  progress 0 every 20\n  result 0x200205\n"
     "kind bl\n  progress 0 every 20\n  result 0x200205\n"},
    // Stays busy until told to end (close, abort and eject while busy).
    {"busy",
     "idle stay\nkind map\n  progress 0 10 20 every 100\n  hold 600000\nkind msc\n"
     "  hold 600000\n"},
};

}  // namespace

const char* FindNamedScenario(const std::string& name) {
    for (const Named& n : kNamed)
        if (name == n.name) return n.text;
    return nullptr;
}

std::vector<std::string> NamedScenarioNames() {
    std::vector<std::string> names;
    for (const Named& n : kNamed) names.push_back(n.name);
    return names;
}

}  // namespace standin
