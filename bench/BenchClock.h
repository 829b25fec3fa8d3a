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

struct Paired {
    double aBest = 0;  // microseconds per call, the best round of each
    double bBest = 0;
    double ratioMedian = 0;  // the median over the rounds of b's time / a's
};

// Two pieces of work timed in alternating rounds of `batch` calls each, so
// that a busy spell of the machine falls on both rather than on one of them.
template <typename A, typename B>
Paired ComparePerCall(int rounds, int batch, A&& a, B&& b) {
    std::vector<double> as, bs, ratios;
    for (int r = 0; r < (rounds > 0 ? rounds : 1); ++r) {
        as.push_back(TimePerCall(1, batch, a).best);
        bs.push_back(TimePerCall(1, batch, b).best);
        ratios.push_back(as.back() > 0 ? bs.back() / as.back() : 0);
    }
    return {*std::min_element(as.begin(), as.end()), *std::min_element(bs.begin(), bs.end()),
            Median(ratios)};
}

}  // namespace bench
