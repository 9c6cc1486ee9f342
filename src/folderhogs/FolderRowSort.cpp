// SPDX-License-Identifier: GPL-3.0-or-later
#include "folderhogs/FolderRowSort.h"

#include "common/DisplayText.h"
#include "common/StringGridModel.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace {
struct RowKey {
    int row = 0;
    bool text = false;     // a deleted or recycled folder's row: above every size
    std::int64_t bytes = 0;
    std::uint32_t key = 0;
};
} // namespace

void SortFolderRowsBySize(StringGridModel& grid, int firstRow, int lastRow,
                          const std::function<std::int64_t(std::uint32_t key)>& bytesOf,
                          bool keysInLineOrder) {
    if (firstRow < 1 || lastRow >= grid.gridRowCount() || firstRow >= lastRow)
        return;
    const std::size_t count = static_cast<std::size_t>(lastRow - firstRow + 1);
    std::vector<RowKey> keys;
    keys.reserve(count);
    for (int r = firstRow; r <= lastRow; ++r) {
        const bool text = !grid.isKeyRow(r);
        const std::uint32_t key = text ? 0 : grid.keyOf(r);
        keys.push_back({r, text, text ? 0 : bytesOf(key), key});
    }
    // Totals rarely tie, so a row's line is made only when a tie needs it, and then once.
    std::vector<std::optional<std::string>> lines(count);
    const int columns = grid.columnCountAll();
    auto line = [&](const RowKey& k) -> const std::string& {
        std::optional<std::string>& slot = lines[static_cast<std::size_t>(k.row - firstRow)];
        if (!slot) {
            QString whole;
            for (int c = 0; c < columns; ++c) {
                if (c > 0)
                    whole += QLatin1Char('\t');
                whole += grid.cellText(k.row, c);
            }
            slot = whole.toStdString();
        }
        return *slot;
    };
    // True when a belongs above b.
    auto above = [&](const RowKey& a, const RowKey& b) {
        if (a.text != b.text)
            return a.text;
        if (!a.text && a.bytes != b.bytes)
            return a.bytes > b.bytes;
        if (!a.text && keysInLineOrder)
            return a.key < b.key;
        return CompareFolded(line(a), line(b)) > 0;
    };
    // Stable, so rows whose lines are identical keep their places.
    std::stable_sort(keys.begin(), keys.end(), above);

    std::vector<int> order;
    order.reserve(count);
    bool moved = false;
    for (std::size_t i = 0; i < count; ++i) {
        order.push_back(keys[i].row);
        moved = moved || keys[i].row != firstRow + static_cast<int>(i);
    }
    if (moved)
        grid.reorderRows(firstRow, lastRow, order);
}
