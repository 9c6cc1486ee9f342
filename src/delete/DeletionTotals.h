// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <cstdint>

// The cumulative deletion totals in "Vantorel.Ini" ($XDG_CONFIG_HOME, default ~/.config),
// section [Vantorel]: Ndelete, SizeDelete, NWaste, SizeWaste (64-bit) and DelDate (day number,
// day 0 = 30 December 1899). A missing or non-numeric key reads as -1. Every write replaces the
// file atomically; a failed write throws AppError("Unable to write to <path>").
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
    // Adds one run (the four figures) as addDeletionTotals does; sets DelDate when it reads exactly -1.
    static void addDeletionTotals(std::int64_t filesDeleted, std::int64_t bytesDeleted,
                                  std::int64_t filesRecycled, std::int64_t bytesRecycled);
    // Sets all five keys to -1.
    static void reset();
};
