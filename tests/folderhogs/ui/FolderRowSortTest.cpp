// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/StringGridModel.h"
#include "folderhogs/FolderRowSort.h"

#include <gtest/gtest.h>
#include <map>

namespace {
// Key rows whose cells are (size text, name) and whose byte totals come from a table.
struct Rows : GridRowSource {
    std::map<std::uint32_t, std::pair<QString, std::int64_t>> rows; // key -> (name, bytes)
    QString cellText(std::uint32_t key, int column) const override {
        const auto& [name, bytes] = rows.at(key);
        return column == 0 ? QString::number(bytes / 1024).rightJustified(7) + QStringLiteral(" K") : name;
    }
};

QStringList Names(const StringGridModel& grid) {
    QStringList out;
    for (int r = 1; r < grid.gridRowCount(); ++r)
        out << grid.cellText(r, 1);
    return out;
}
} // namespace

TEST(FolderRowSort, ByteTotalsLargestFirstTiesByKeyAndDeletedRowsOnTop) {
    Rows source;
    source.rows = {{0, {"nine-k", 9 * 1024}},
                   {1, {"ten-million-k", std::int64_t(10'000'000) * 1024}}, // an unpadded size text
                   {2, {"tie-B", 5000}},
                   {3, {"tie-a", 5000}},
                   {4, {"deleted-x", 7}},
                   {5, {"recycled", 8}},
                   {6, {"deleted-y", 6}},
                   {7, {"empty", 0}}};
    StringGridModel grid;
    grid.setRowSource(&source);
    grid.setTitles({"Size", "Name"});
    grid.appendKeyRows({0, 1, 2, 3, 4, 5, 6, 7});
    grid.setCellText(5, 0, "DELETED");  // key 4
    grid.setCellText(6, 0, "RECYCLED"); // key 5
    grid.setCellText(7, 0, "DELETED");  // key 6
    grid.setMarked(1, true);
    auto bytes = [&](std::uint32_t key) { return source.rows.at(key).second; };

    SortFolderRowsBySize(grid, 1, grid.gridRowCount() - 1, bytes);
    // Equal totals in key order: the engine's order of equal totals.
    EXPECT_EQ(Names(grid), (QStringList{"recycled", "deleted-x", "deleted-y", "ten-million-k", "nine-k",
                                        "tie-B", "tie-a", "empty"}));
    EXPECT_TRUE(grid.isMarked(5)); // the mark travels with nine-k
}
