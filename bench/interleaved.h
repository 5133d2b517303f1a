#pragma once
// Runs a target and its reference alternately in one benchmark, so that load
// from other processes falls on both alike, and reports both medians and the
// median of the per-pair ratios beside the usual timings (which are the
// target's).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace tarn::bench {

inline double median(std::vector<double> v) {
    if (v.empty())
        return 0;
    const auto mid = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
    std::nth_element(v.begin(), mid, v.end());
    return *mid;
}

template <class F> double secondsOf(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Needs UseManualTime() on the benchmark. `ratio` is reference / target when
// the reference is a slower way (a speed-up), target / reference when it is a
// floor (how far above the floor).
enum class RatioIs { SpeedUp, AboveFloor };

// `between` runs untimed after each pair, to bring back the state the target
// starts from.
template <class Target, class Reference, class Between = void (*)()>
void interleave(
    benchmark::State& state, Target&& target, Reference&& reference,
    RatioIs kind = RatioIs::SpeedUp, Between&& between = [] {}) {
    std::vector<double> t, r, ratios;
    for (auto _ : state) {
        const double ts = secondsOf(target);
        const double rs = secondsOf(reference);
        between();
        state.SetIterationTime(ts);
        t.push_back(ts);
        r.push_back(rs);
        ratios.push_back(kind == RatioIs::SpeedUp ? rs / ts : ts / rs);
    }
    state.counters["target_us"] = median(t) * 1e6;
    state.counters["reference_us"] = median(r) * 1e6;
    state.counters["ratio"] = median(ratios);
}

} // namespace tarn::bench
