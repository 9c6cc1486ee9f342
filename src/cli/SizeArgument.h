// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <string>

// How a size that falls between two bytes becomes a limit: a lower limit rounds up, an upper one
// down, so "--larger 0.1K" finds exactly the files of 0.1 K (102.4 bytes) or more.
enum class SizeRounding { Up, Down };

// The largest size limit in K whose bytes a 64-bit size still holds.
constexpr std::int64_t MostSizeK = INT64_MAX / 1024;

// Reads a size limit of the command line: a whole number of K ("250"), or a number with one of the
// binary units K, M, G, T (either case) and a fraction where wanted ("500K", "1.5M", "2G"). On a
// mistake returns false with the message naming option; otherwise bytes holds the limit.
bool ParseSizeArgument(const std::string& option, const std::string& text, SizeRounding rounding,
                       std::int64_t& bytes, std::string& error);
