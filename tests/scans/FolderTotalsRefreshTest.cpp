// SPDX-License-Identifier: GPL-3.0-or-later
// One folder of a walk's totals walked again: the totals of a whole new walk.
#include "platform/FolderWalker.h"
#include "scans/FolderTotals.h"
#include "support/TempTree.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>

namespace {

std::map<std::string, std::int64_t> TotalsOf(const FolderTotals& t) {
    std::map<std::string, std::int64_t> out;
    // Only the folders still in the tree: reached from the root.
    std::vector<std::uint32_t> pending{0};
    while (!pending.empty()) {
        const std::uint32_t f = pending.back();
        pending.pop_back();
        out[t.pathOf(f)] = t.folders()[f].bytes;
        for (std::uint32_t c = t.folders()[f].firstChild; c != FolderTotals::None; c = t.folders()[c].nextSibling)
            pending.push_back(c);
    }
    return out;
}

TEST(FolderTotalsRefresh, TheTotalsOfAWholeNewWalk) {
    TempTree t;
    t.file("a/b/c/one", 100);
    t.file("a/two", 200);
    t.file("d/three", 300);
    t.file("e/four", 400);
    FolderTotals totals;
    FolderWalker walker;
    walker.walk(t.root(), totals);
    t.file("a/b/c/new", 5000);
    t.file("a/b/made/x", 7);
    std::filesystem::remove_all(t.path("d"));
    std::filesystem::rename(t.path("e"), t.path("e-moved"));
    t.symlink("e", "e-moved");
    EXPECT_NE(totals.refreshFolder(totals.findFolder(t.path("a/b"))), FolderTotals::None);
    EXPECT_EQ(totals.refreshFolder(totals.findFolder(t.path("d"))), FolderTotals::None);
    EXPECT_EQ(totals.refreshFolder(totals.findFolder(t.path("e"))), FolderTotals::None); // a link now
    FolderTotals fresh;
    FolderWalker again;
    again.walk(t.root(), fresh);
    std::map<std::string, std::int64_t> want = TotalsOf(fresh);
    // New beside the folders refreshed, only a walk of the root sees e-moved and the link e itself
    // (its own size: the length of its target).
    want.erase(t.path("e-moved"));
    want[t.root()] -= 400 + std::int64_t(std::string("e-moved").size());
    EXPECT_EQ(TotalsOf(totals), want);
}

} // namespace
