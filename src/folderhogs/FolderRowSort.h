// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <functional>

class StringGridModel;

// "Sort by Size" of the folder list: reorders grid rows firstRow..lastRow (callers pass 1 and
// gridRowCount() - 1) by the folder's byte total, largest first, which the size text alone cannot
// give once a total reaches ten million K. Rows of equal totals follow their keys, which the engine
// gives in its own order of equal totals, so no line is made. Rows whose size cell was replaced (a
// deleted or recycled folder's, "DELETED" or "RECYCLED") come above every size, by that text
// descending, then by key. bytesOf gives the byte total of a key. Whole rows move once, at the end,
// marks and all; rows outside the range stay.
void SortFolderRowsBySize(StringGridModel& grid, int firstRow, int lastRow,
                          const std::function<std::int64_t(std::uint32_t key)>& bytesOf);
