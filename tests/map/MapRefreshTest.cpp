// SPDX-License-Identifier: GPL-3.0-or-later
// Refreshing one folder of the map gives the tiles and totals that a whole new walk gives.
#include "map/MapScanEngine.h"
#include "support/TempTree.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace {

// Every folder that is still in the map with its totals, and every file with its size, by path.
struct Seen {
    std::map<std::string, std::pair<std::int64_t, std::int64_t>> folders;
    std::set<std::pair<std::string, std::int64_t>> files;
    std::vector<std::string> legend;
    bool operator==(const Seen&) const = default;
};
Seen SeenIn(const MapModel& m) {
    Seen seen;
    std::vector<std::uint32_t> pending{MapModel::Scan};
    while (!pending.empty()) {
        const std::uint32_t f = pending.back();
        pending.pop_back();
        const MapFolder& folder = m.folder(f);
        seen.folders[m.folderPath(f)] = {folder.bytes, folder.files};
        for (std::uint32_t i = folder.firstFile; i < folder.firstFile + folder.fileCount; ++i)
            if (!m.file(i).removed)
                seen.files.insert({m.filePath(f, i), m.file(i).size});
        for (std::uint32_t c = 0; c < folder.childCount; ++c)
            if (!m.folder(m.child(folder.firstChild + c)).removed)
                pending.push_back(m.child(folder.firstChild + c));
    }
    for (std::uint32_t t : m.legendTypes())
        seen.legend.push_back(m.types()[t].extension);
    return seen;
}

TEST(MapRefresh, TheSameMapAsAWholeNewWalk) {
    TempTree t;
    t.file("a/one.txt", 1000);
    t.file("a/sub/two.jpg", 2000);
    t.file("a/sub/deep/three.txt", 3000);
    t.file("b/four.png", 4000);
    t.file("c/five.ogg", 5000);
    MapScanEngine engine;
    engine.begin();
    engine.scanDrive(t.root());
    engine.finish();

    t.file("a/sub/deep/more.jpg", 30'000);
    t.file("a/sub/new/six.txt", 600);
    std::filesystem::remove(t.path("a/sub/two.jpg"));
    std::filesystem::remove_all(t.path("b"));
    std::filesystem::rename(t.path("c"), t.path("c-moved"));
    t.symlink("c", "c-moved");
    MapModel& m = engine.model();
    const std::uint32_t sub = engine.refreshFolder(m.findFolder(t.path("a/sub")));
    ASSERT_NE(sub, MapModel::NoFolder);
    EXPECT_EQ(m.folderPath(sub), t.path("a/sub"));
    EXPECT_EQ(m.folder(sub).bytes, 33'600);
    EXPECT_EQ(engine.refreshFolder(m.findFolder(t.path("b"))), MapModel::NoFolder);
    EXPECT_EQ(engine.refreshFolder(m.findFolder(t.path("c"))), MapModel::NoFolder); // a link now
    EXPECT_EQ(m.findFolder(t.path("c")), MapModel::NoFolder);

    std::filesystem::remove(t.path("c"));
    std::filesystem::rename(t.path("c-moved"), t.path("c"));
    t.file("c/seven", 70);
    // A root walked again: everything, and the same as a new walk.
    MapScanEngine fresh;
    fresh.begin();
    fresh.scanDrive(t.root());
    fresh.finish();
    Seen before = SeenIn(m);
    EXPECT_EQ(before.folders[t.root()].first, 1000 + 33'600);
    ASSERT_NE(engine.refreshFolder(m.findFolder(t.root())), MapModel::NoFolder);
    EXPECT_EQ(SeenIn(m), SeenIn(fresh.model()));
}

} // namespace
