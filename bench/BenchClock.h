#pragma once
// The benchmarks' one clock and timing loop, so that every table is measured
// alike: a monotonic clock, the median of samples, and the time per call over
// rounds of batches (median and best round: the best is the least disturbed
// one on a shared machine). Portable: the native benchmark uses it too.
#include <algorithm>
#include <chrono>
#include <vector>

namespace bench {

inline double NowUs() {
    using namespace std::chrono;
    return duration<double, std::micro>(steady_clock::now().time_since_epoch()).count();
}
inline double NowMs() { return NowUs() / 1000.0; }

// The middle sample (the upper one of an even count); 0 for none.
inline double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Timing {
    double median = 0;  // microseconds per call
    double best = 0;
};

// Microseconds per call of fn, over `rounds` rounds of `batch` calls.
template <typename Fn>
Timing TimePerCall(int rounds, int batch, Fn&& fn) {
    std::vector<double> perCall(rounds > 0 ? rounds : 1);
    for (double& t : perCall) {
        const double start = NowUs();
        for (int i = 0; i < batch; ++i) fn();
        t = (NowUs() - start) / batch;
    }
    return {Median(perCall), *std::min_element(perCall.begin(), perCall.end())};
}

}  // namespace bench
