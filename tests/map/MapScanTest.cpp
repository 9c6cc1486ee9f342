// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/MapScanEngine.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace {

// A tree of known sizes: hidden files and links count with their own size, a hidden folder is not
// entered, as in the folder size scan.
class MapScan : public ::testing::Test {
protected:
    TempTree t;
    MapScanEngine engine;

    void SetUp() override {
        t.file("photos/a.jpg", 300'000);
        t.file("photos/b.JPG", 200'000);
        t.file("photos/raw/c.jpg", 100'000);
        t.file("docs/letter.txt", 5'000);
        t.file("docs/.notes.txt", 1'000);
        t.file("docs/.cache/skipped.bin", 70'000); // inside a hidden folder: never entered
        t.file("top.iso", 700'000);
        t.symlink("docs/link", "letter.txt");
        walk();
    }
    void walk() {
        engine.begin();
        EXPECT_TRUE(engine.scanDrive(t.root()));
        engine.finish();
    }
    std::uint32_t folder(const std::string& relative) const {
        return engine.model().findFolder(relative.empty() ? t.root() : t.path(relative));
    }
    std::int64_t bytes(const std::string& relative) const {
        const std::uint32_t f = folder(relative);
        return f == MapModel::NoFolder ? -1 : engine.model().folder(f).bytes;
    }
    std::int64_t typeBytes(const std::string& extension) const {
        for (const MapType& type : engine.model().types())
            if (type.extension == extension)
                return type.bytes;
        return -1;
    }
};

} // namespace

TEST_F(MapScan, EveryFileCountsOnceInEachFolderAboveIt) {
    const MapModel& m = engine.model();
    const std::int64_t link = std::int64_t(std::string("letter.txt").size());
    EXPECT_EQ(bytes("photos/raw"), 100'000);
    EXPECT_EQ(bytes("photos"), 600'000);
    EXPECT_EQ(bytes("docs"), 6'000 + link);
    EXPECT_EQ(bytes(""), 1'306'000 + link);
    EXPECT_EQ(folder("docs/.cache"), MapModel::NoFolder);
    EXPECT_EQ(m.top(), folder(""));
    EXPECT_EQ(m.folder(folder("")).files, 7);
    EXPECT_EQ(engine.filesSeen(), 7);
    EXPECT_TRUE(engine.skipped().empty());
    // Files of a folder lie together, largest first.
    const MapFolder& photos = m.folder(folder("photos"));
    ASSERT_EQ(photos.fileCount, 2u);
    EXPECT_EQ(m.fileName(photos.firstFile), "a.jpg");
    EXPECT_EQ(m.filePath(folder("photos"), photos.firstFile + 1), t.path("photos/b.JPG"));
}

TEST_F(MapScan, TypeGroupsAreTheStatisticsExtensionsRankedByBytes) {
    // ".jpg" and ".JPG" are one group, as on the Types page.
    EXPECT_EQ(typeBytes(".JPG"), 600'000);
    EXPECT_EQ(typeBytes(".ISO"), 700'000);
    EXPECT_EQ(typeBytes(".TXT"), 6'000);
    const std::vector<std::uint32_t> legend = engine.model().legendTypes();
    ASSERT_GE(legend.size(), 3u);
    EXPECT_EQ(engine.model().types()[legend[0]].extension, ".ISO");
    EXPECT_EQ(engine.model().types()[legend[1]].extension, ".JPG");
    EXPECT_EQ(engine.model().types()[legend[2]].extension, ".TXT");
}

TEST_F(MapScan, FilesAndFoldersDeletedElsewhereLeaveTheMapOnARecheck) {
    ASSERT_EQ(::unlink(t.path("photos/b.JPG").c_str()), 0);
    std::filesystem::remove_all(t.path("photos/raw"));
    EXPECT_EQ(engine.recheck(), 2u);
    EXPECT_EQ(bytes("photos"), 300'000);
    EXPECT_EQ(engine.model().folder(folder("")).files, 5);
    EXPECT_EQ(folder("photos/raw"), MapModel::NoFolder);
    EXPECT_EQ(typeBytes(".JPG"), 300'000);
    EXPECT_EQ(bytes("docs"), 6'000 + 10);
    // Nothing more goes on a second look, and a whole root that went leaves an empty map.
    EXPECT_EQ(engine.recheck(), 0u);
    std::filesystem::remove_all(t.path("docs"));
    std::filesystem::remove_all(t.path("photos"));
    EXPECT_EQ(engine.recheck(), 2u);
    EXPECT_EQ(bytes(""), 700'000);
}

TEST_F(MapScan, UnreadableFoldersAreCountedAndNamed) {
    t.file("locked/inside.bin", 5000);
    t.setMode("locked", 0);
    {
        AsUnprivileged nobody;
        walk();
    }
    EXPECT_EQ(engine.skipped().folders(), 1);
    ASSERT_EQ(engine.skipped().kept().size(), 1u);
    EXPECT_EQ(engine.skipped().kept()[0].path, t.path("locked"));
    EXPECT_EQ(engine.skipped().kept()[0].error, EACCES);
    EXPECT_EQ(bytes("photos"), 600'000);
}

TEST_F(MapScan, AStoppedWalkKeepsWhatItCounted) {
    int entries = 0;
    engine.setYieldHook([&] {
        if (++entries == 3)
            engine.abort();
    });
    walk();
    EXPECT_TRUE(engine.aborted());
    const MapModel& m = engine.model();
    EXPECT_FALSE(m.building());
    // Whatever was taken is in the totals of every folder above it.
    std::int64_t sum = 0;
    for (std::uint32_t i = 0; i < m.fileCount(); ++i)
        sum += m.file(i).size;
    EXPECT_EQ(m.folder(MapModel::Scan).bytes, sum);
}

TEST(MapViewTypes, AFolderRanksItsOwnTypesAndWhatWasRemovedLeavesThem) {
    MapModel m;
    m.beginRoot("/r", 0);
    m.enterFolder("music", 0);
    m.addFile("a.ogg", 900);
    m.addFile("b.txt", 10);
    m.leaveFolder();
    m.addFile("big.iso", 5000);
    m.addFile("c.txt", 100);
    m.leaveFolder();
    m.finish();
    auto names = [&](const MapViewTypes& v) {
        std::vector<std::string> out;
        for (std::uint32_t t : v.legend)
            out.push_back(m.types()[t].extension);
        return out;
    };
    EXPECT_EQ(names(m.viewTypes(m.top())), (std::vector<std::string>{".ISO", ".OGG", ".TXT"}));
    const std::uint32_t music = m.findFolder("/r/music");
    const MapViewTypes inMusic = m.viewTypes(music);
    EXPECT_EQ(names(inMusic), (std::vector<std::string>{".OGG", ".TXT"}));
    EXPECT_EQ(inMusic.total, 910);
    EXPECT_EQ(inMusic.rank[inMusic.legend[1]], 1);
    m.removeFile(music, m.folder(music).firstFile); // a.ogg, the largest
    EXPECT_EQ(names(m.viewTypes(music)), (std::vector<std::string>{".TXT"}));
    EXPECT_EQ(m.viewTypes(music).total, 10);
}
