// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <vector>

// The share of part in whole as a whole percent, truncated, worked out without overflow for any
// 64-bit figures; 0 when whole is 0 or below. The result is kept within 0..100.
int PercentOf(std::int64_t part, std::int64_t whole);

// The "Top Ten" ranks of a column of figures given in grid order: the largest figure gets rank 1,
// the next rank 2, and so on up to 10; equal figures take consecutive ranks, the earlier row the
// smaller one. One entry per figure: its rank, or 0 for a row outside the ten.
std::vector<int> TopTenRanks(const std::vector<std::int64_t>& figures);
