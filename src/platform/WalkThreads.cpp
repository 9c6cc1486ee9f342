// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WalkThreads.h"

#include <atomic>
#include <cstdlib>
#include <thread>

namespace {

std::atomic<int> g_threads{0}; // 0: not set

int defaultCount() {
    if (const char* text = std::getenv("VANTOREL_THREADS"))
        if (const std::optional<int> n = ParseWalkThreads(text))
            return *n;
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : cores > unsigned(MostWalkThreads) ? MostWalkThreads : int(cores);
}

} // namespace

int WalkThreadCount() {
    const int set = g_threads.load(std::memory_order_relaxed);
    return set > 0 ? set : defaultCount();
}

void SetWalkThreadCount(int threads) {
    g_threads.store(threads <= 0 ? 0 : threads > MostWalkThreads ? MostWalkThreads : threads,
                    std::memory_order_relaxed);
}

std::optional<int> ParseWalkThreads(std::string_view text) {
    if (text.empty() || text.size() > 3)
        return std::nullopt;
    int n = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + (c - '0');
    }
    if (n < 1 || n > MostWalkThreads)
        return std::nullopt;
    return n;
}
