// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <string_view>

// How many threads a folder walk lists folders and reads entry statistics on. 1 is the walk on
// its own thread alone; more start that many helper threads for each walk, while every visitor
// call stays on the walking thread.
//
// The count is process-wide: the command line sets it from --threads; otherwise it is taken from
// the environment variable VANTOREL_THREADS (a whole number from 1 to MostWalkThreads) and, when
// that is missing or not such a number, from the number of processors.
constexpr int MostWalkThreads = 64;

// The count a walker takes when it is made.
int WalkThreadCount();
// Sets the count for walkers made from now on (clamped to 1 .. MostWalkThreads); 0 goes back to the
// environment's or the processors' count.
void SetWalkThreadCount(int threads);
// Reads a count as the command line and the environment give it: decimal digits only, 1 to
// MostWalkThreads. Nothing for anything else.
std::optional<int> ParseWalkThreads(std::string_view text);
