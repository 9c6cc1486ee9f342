// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <cstdint>

// The cumulative deletion totals in "Vantorel.Ini" ($XDG_CONFIG_HOME, default ~/.config),
// section [Vantorel]: Ndelete, SizeDelete, NWaste, SizeWaste (64-bit) and DelDate (day number,
// day 0 = 30 December 1899). A missing or non-numeric key reads as -1, a number beyond 64 bits as
// the 64-bit limit. Every change reads, adds and replaces the file atomically under the file's lock,
// so copies of the program that record at once lose nothing. A failed write throws
// AppError("Unable to write to <path>\n<system reason>") and leaves the file as it was.
struct DeletionTotalsValues {
    std::int64_t filesDeleted = -1;
    std::int64_t bytesDeleted = -1;
    std::int64_t filesRecycled = -1;
    std::int64_t bytesRecycled = -1;
    std::int64_t delDate = -1;
};

class DeletionTotals {
public:
    static QString settingsPath();
    static DeletionTotalsValues read();
    // Adds one run (the four figures); a stored figure of 0 or below is replaced by the run's, sums
    // stop at the 64-bit maximum, DelDate is set to today when it reads exactly -1. A run of four
    // zeros writes nothing.
    static void addDeletionTotals(std::int64_t filesDeleted, std::int64_t bytesDeleted,
                                  std::int64_t filesRecycled, std::int64_t bytesRecycled);
    // Sets all five keys to -1.
    static void reset();
};
