// SPDX-License-Identifier: GPL-3.0-or-later
#include "stats/ui/StatisticsFigures.h"

#include <algorithm>
#include <numeric>

int PercentOf(std::int64_t part, std::int64_t whole) {
    if (whole <= 0 || part <= 0)
        return 0;
    if (part >= whole)
        return 100;
    // part * 100 needs up to 71 bits.
    __extension__ typedef unsigned __int128 Wide;
    return int(Wide(std::uint64_t(part)) * 100 / Wide(std::uint64_t(whole)));
}

std::vector<int> TopTenRanks(const std::vector<std::int64_t>& figures) {
    std::vector<std::size_t> order(figures.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    // Largest first; stable, so of equal figures the earlier row comes first.
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return figures[a] > figures[b]; });
    std::vector<int> ranks(figures.size(), 0);
    for (std::size_t i = 0; i < order.size() && i < 10; ++i)
        ranks[order[i]] = int(i) + 1;
    return ranks;
}
