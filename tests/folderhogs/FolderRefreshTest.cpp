// SPDX-License-Identifier: GPL-3.0-or-later
// Refreshing one folder of a folder hog scan gives the lines that a whole new scan gives.
#include "folderhogs/FolderSizeEngine.h"
#include "support/RecordingMessageService.h"
#include "support/TempTree.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

QStringList Lines(const FolderSizeEngine& engine) {
    QStringList lines;
    for (std::uint32_t key : engine.resultKeys())
        lines << engine.resultLine(key);
    return lines;
}

std::uint32_t KeyOf(const FolderSizeEngine& engine, const std::string& path) {
    for (std::uint32_t key : engine.resultKeys())
        if (engine.resultPath(key) == path)
            return key;
    ADD_FAILURE() << "no line for " << path;
    return FolderSizeEngine::NoLine;
}

class FolderRefresh : public ::testing::TestWithParam<FolderScanMode> {
protected:
    TempTree t;
    RecordingMessageService messages;
    void SetUp() override {
        t.file("a/one", 1000);
        t.file("a/sub/two", 2000);
        t.file("a/sub/deep/three", 3000);
        t.file("b/four", 4000);
        t.file("b/gone/five", 5000);
        t.file("c/six", 6000);
        t.file("d/seven", 7000);
        t.file("top", 100);
    }
    void scan(FolderSizeEngine& engine) {
        engine.begin(GetParam());
        engine.scanDrive(t.root());
        engine.finish();
    }
    QStringList rescan() {
        FolderSizeEngine fresh;
        scan(fresh);
        return Lines(fresh);
    }
};

TEST_P(FolderRefresh, TheSameLinesAsAWholeNewScan) {
    FolderSizeEngine engine;
    scan(engine);
    const bool all = GetParam() == FolderScanMode::All;
    // What changed since: files added deep down and at the top of a folder, a folder made, one
    // removed, and c replaced by a link (never followed).
    t.file("a/sub/deep/more", 30'000);
    t.file("a/new/eight", 800);
    t.file("a/nine", 900);
    std::filesystem::remove_all(t.path(all ? "b/gone" : "b"));
    std::filesystem::rename(t.path("c"), t.path("c-moved"));
    t.symlink("c", "c-moved");

    const std::uint32_t a = engine.refreshFolder(KeyOf(engine, all ? t.path("a/sub") : t.path("a")));
    ASSERT_NE(a, FolderSizeEngine::NoLine);
    EXPECT_EQ(engine.resultPath(a), all ? t.path("a/sub") : t.path("a"));
    if (all) {
        engine.refreshFolder(KeyOf(engine, t.path("a")));
        EXPECT_EQ(engine.refreshFolder(KeyOf(engine, t.path("b/gone"))), FolderSizeEngine::NoLine);
    } else {
        EXPECT_EQ(engine.refreshFolder(KeyOf(engine, t.path("b"))), FolderSizeEngine::NoLine);
    }
    EXPECT_EQ(engine.refreshFolder(KeyOf(engine, t.path("c"))), FolderSizeEngine::NoLine);
    // The new scan also has c-moved, which no refresh of these folders can know of: the root's is.
    QStringList fresh = rescan();
    fresh.removeIf([&](const QString& line) { return line.endsWith(QString::fromStdString(t.path("c-moved"))); });
    QStringList mine = Lines(engine);
    // In All mode the root's line counts c-moved as a sub-folder too.
    const QString rootTail = QLatin1Char('\t') + QString::fromStdString(t.root());
    for (QStringList* lines : {&mine, &fresh})
        lines->removeIf([&](const QString& line) { return line.endsWith(rootTail); });
    EXPECT_EQ(mine, fresh);
    EXPECT_EQ(mine.size(), all ? 6 : 2); // a, a/sub, a/sub/deep, a/new, b, d; or a, d
    if (all) {
        // Refreshing the root itself gives everything.
        ASSERT_NE(engine.refreshFolder(KeyOf(engine, t.root())), FolderSizeEngine::NoLine);
        EXPECT_EQ(Lines(engine), rescan());
    }
}

TEST_P(FolderRefresh, AFolderThatCannotBeOpenedNowIsMarkedUnread) {
    FolderSizeEngine engine;
    scan(engine);
    t.setMode("d", 0);
    {
        AsUnprivileged nobody;
        const std::uint32_t d = engine.refreshFolder(KeyOf(engine, t.path("d")));
        ASSERT_NE(d, FolderSizeEngine::NoLine);
        EXPECT_TRUE(engine.resultIsUnread(d));
    }
    t.setMode("d", 0755);
}

INSTANTIATE_TEST_SUITE_P(Modes, FolderRefresh, ::testing::Values(FolderScanMode::Main, FolderScanMode::All));

} // namespace
