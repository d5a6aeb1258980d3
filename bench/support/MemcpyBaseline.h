#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <vector>

// Seconds for one memcpy of the given number of bytes between warm buffers,
// the best of a few runs: the yardstick the pixel benchmarks report against.
inline double memcpySeconds(std::size_t bytes)
{
    std::vector<char> from(bytes, 1), to(bytes, 0);
    double best = 1e9;
    for (int i = 0; i < 7; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}
