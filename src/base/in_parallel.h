#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

namespace tarn {

// Runs work(i) for every i below count on up to `threads` threads, the
// calling thread one of them; each index once, taken in rising order.
template <typename Work> void inParallel(std::size_t count, int threads, Work&& work) {
    std::atomic<std::size_t> next{0};
    const auto run = [&] {
        for (std::size_t i = next++; i < count; i = next++)
            work(i);
    };
    const int n = std::max(1, std::min<int>(threads, static_cast<int>(count)));
    std::vector<std::thread> pool;
    for (int t = 1; t < n; ++t)
        pool.emplace_back(run);
    run();
    for (std::thread& t : pool)
        t.join();
}

} // namespace tarn
