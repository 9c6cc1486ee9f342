// SPDX-License-Identifier: GPL-3.0-or-later
#include "folderhogs/FolderRowSort.h"

#include "common/DisplayText.h"
#include "common/StringGridModel.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {
struct RowKey {
    int row = 0;
    bool text = false;     // a deleted or recycled folder's row: above every size
    std::string sizeCell;  // its size cell, folded
    std::int64_t bytes = 0;
    std::uint32_t key = 0;
};
} // namespace

void SortFolderRowsBySize(StringGridModel& grid, int firstRow, int lastRow,
                          const std::function<std::int64_t(std::uint32_t key)>& bytesOf) {
    if (firstRow < 1 || lastRow >= grid.gridRowCount() || firstRow >= lastRow)
        return;
    const std::size_t count = static_cast<std::size_t>(lastRow - firstRow + 1);
    std::vector<RowKey> keys;
    keys.reserve(count);
    for (int r = firstRow; r <= lastRow; ++r) {
        RowKey k;
        k.row = r;
        k.text = !grid.isKeyRow(r);
        k.key = grid.keyOf(r);
        if (k.text)
            k.sizeCell = FoldAscii(grid.cellText(r, 0).toStdString());
        else
            k.bytes = bytesOf(k.key);
        keys.push_back(std::move(k));
    }
    // True when a belongs above b.
    auto above = [](const RowKey& a, const RowKey& b) {
        if (a.text != b.text)
            return a.text;
        if (a.text && a.sizeCell != b.sizeCell)
            return a.sizeCell > b.sizeCell;
        if (a.bytes != b.bytes)
            return a.bytes > b.bytes;
        return a.key != b.key ? a.key < b.key : a.row < b.row;
    };
    std::sort(keys.begin(), keys.end(), above);

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
