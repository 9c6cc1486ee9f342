// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <functional>

class StringGridModel;

// "Sort by Size" of the folder list: reorders grid rows firstRow..lastRow (callers pass 1 and
// gridRowCount() - 1) by the folder's byte total, largest first, which the size text alone cannot
// give once a total reaches ten million K. Rows of equal totals follow the descending order of their
// whole line (the six cells joined by tabs, ASCII case ignored). Rows that are text rows (a deleted
// or recycled folder, whose size cell says so) come above every size, among themselves in descending
// order of their whole line. bytesOf gives the byte total of a key row's key. Whole rows move once,
// at the end, marks and all; rows outside the range stay. keysInLineOrder: the keys of rows of equal
// totals already order as the descending lines do (an engine's result order), so no line is made.
void SortFolderRowsBySize(StringGridModel& grid, int firstRow, int lastRow,
                          const std::function<std::int64_t(std::uint32_t key)>& bytesOf,
                          bool keysInLineOrder = false);
