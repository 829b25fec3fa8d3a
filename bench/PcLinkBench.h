// How long the card's identification file takes to decipher, against a plain
// copy of the same bytes measured in the same run. A card is inserted, the
// launcher loads the file a few times: milliseconds would be noticeable,
// microseconds are not.
#pragma once
#include <cstdio>
#include <cstring>
#include <vector>

#include "BenchClock.h"
#include "datafiles/PcLinkFormat.h"
#include "datafiles/PcLinkKey.h"

namespace pclinkbench {

template <typename F>
double MicrosPerRun(int runs, F f) {
    return bench::TimePerCall(1, runs, f).median;
}

inline volatile size_t g_sink;

}  // namespace pclinkbench

inline int RunPcLinkBench() {
    std::printf("%-34s %8s %14s %14s\n", "operation", "records", "us per run", "copy baseline");
    for (int records : {4, 20, 100}) {
        CPcLinkContent c;
        c.SetDataHeaderMarker();
        for (int i = 0; i < records; ++i)
            c.AppendRecord(MakePcLinkRecord(kRecordSearchData, i, 0, 1, "SEARCH"));
        const CDes des = MakePcLinkCipher();
        std::vector<uint8_t> image = c.BuildImage(des, 1, 2);
        std::vector<uint8_t> copy(image.size());
        const int runs = 2000;
        double baseline = pclinkbench::MicrosPerRun(runs, [&] {
            std::memcpy(copy.data(), image.data(), image.size());
            pclinkbench::g_sink = pclinkbench::g_sink + copy[image.size() / 2];
        });
        double load = pclinkbench::MicrosPerRun(runs, [&] {
            CPcLinkContent out;
            ParsePcLinkImage(image.data(), image.size(), MakePcLinkCipher(), out);
            pclinkbench::g_sink = pclinkbench::g_sink + out.Records().size();
        });
        double save = pclinkbench::MicrosPerRun(runs, [&] {
            std::vector<uint8_t> again = c.BuildImage(MakePcLinkCipher(), 3, 4);
            pclinkbench::g_sink = pclinkbench::g_sink + again.size();
        });
        std::printf("%-34s %8d %14.1f %14.3f\n", "load (key derivation + decipher)", records, load,
                    baseline);
        std::printf("%-34s %8d %14.1f %14.3f\n", "save (key derivation + encipher)", records, save,
                    baseline);
    }
    double key = pclinkbench::MicrosPerRun(5000, [] {
        uint8_t k[8];
        DerivePcLinkKey(k);
        pclinkbench::g_sink = pclinkbench::g_sink + k[0];
    });
    std::printf("%-34s %8s %14.1f\n", "key derivation alone", "-", key);
    return 0;
}
