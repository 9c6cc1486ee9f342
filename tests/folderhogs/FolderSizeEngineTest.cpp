// SPDX-License-Identifier: GPL-3.0-or-later
#include "folderhogs/FolderSizeEngine.h"
#include "common/DosDateTime.h"
#include "common/GridSorts.h"
#include "common/RecordField.h"
#include "common/StringGridModel.h"
#include "platform/ListedFolder.h"
#include "support/RecordingMessageService.h"
#include "support/ScopedMount.h"
#include "support/TempTree.h"

#include <QDateTime>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>

namespace {

// One scan of the given roots; the lines by the path they end with, relative to base.
class FolderScan {
public:
    explicit FolderScan(std::size_t capacity = FolderSizeEngine::DefaultCapacity) : engine(capacity) {}

    void run(FolderScanMode mode, const std::vector<std::string>& roots) {
        engine.begin(mode);
        for (const std::string& r : roots)
            engine.scanDrive(r);
        engine.finish();
    }
    // The fields of the line whose path is path (empty when there is none).
    QStringList line(const std::string& path) const {
        for (std::size_t i = 0; i < engine.resultCount(); ++i)
            if (engine.resultPath(i) == path)
                return engine.resultLine(i).split(u'\t');
        return {};
    }
    std::vector<std::string> paths() const {
        std::vector<std::string> out;
        for (std::size_t i = 0; i < engine.resultCount(); ++i)
            out.push_back(engine.resultPath(i));
        return out;
    }

    FolderSizeEngine engine;
};

// A fixture of main folders with files at several depths, hidden entries and links.
class FolderSizes : public ::testing::Test {
protected:
    TempTree t;
    RecordingMessageService messages;

    void SetUp() override {
        t.file("root-file.bin", 4096);                 // in no Main line
        t.file("docs/a.txt", 1000);
        t.file("docs/.hidden.txt", 24);                // hidden files count
        t.file("docs/sub/b.txt", 2000);
        t.file("docs/sub/deeper/c.txt", 3000);
        t.file("docs/.secret/inside.txt", 500);        // a hidden folder is never entered
        t.symlink("docs/to-etc", "/etc");              // a link counts as itself
        t.folder("empty");
        t.file(".hidden-main/x", 10);
        for (const char* f : {"docs/a.txt", "docs/.hidden.txt", "docs/sub/deeper/c.txt", "docs/to-etc"})
            t.setTimes(f, 1'700'000'000, 1'600'000'000);
        t.setTimes("docs/sub/b.txt", 1'750'000'000, 1'600'000'000); // the latest access
    }
    std::string path(const std::string& relative) const { return t.path(relative); }
};

} // namespace

TEST_F(FolderSizes, MainModeCoversEverythingBelowEachMainFolder) {
    FolderScan s;
    s.run(FolderScanMode::Main, {t.root()});
    EXPECT_EQ(s.paths(), (std::vector<std::string>{path("docs"), path("empty")}));
    const QStringList docs = s.line(path("docs"));
    ASSERT_EQ(docs.size(), 6);
    // a.txt, .hidden.txt, the link, b.txt, c.txt: 1000 + 24 + 4 + 2000 + 3000 bytes.
    EXPECT_EQ(docs[0], "      5 K");
    EXPECT_EQ(docs[2], "5");
    EXPECT_EQ(docs[3], "2"); // sub and deeper; the hidden .secret is not entered
    EXPECT_EQ(docs[4], FileDateText(PackFileTime({1'750'000'000, 0})));
    EXPECT_EQ(s.line(path("empty")), QStringList({"      0.0 K", "0.00", "0", "0", "", path("empty").c_str()}));
}

TEST_F(FolderSizes, AllModeCoversEachFolderOwnFilesAndEveryFolderEntry) {
    FolderScan s;
    s.run(FolderScanMode::All, {t.root()});
    const std::vector<std::string> paths = s.paths();
    EXPECT_EQ(paths.size(), 5u) << "root, docs, sub, deeper, empty";
    // a.txt, .hidden.txt and the link: 1028 bytes; sub-folders .secret and sub.
    EXPECT_EQ(s.line(path("docs")).mid(0, 4), QStringList({"      1 K", "0.00", "3", "2"}));
    EXPECT_EQ(s.line(path("docs/sub/deeper")).mid(2, 2), QStringList({"1", "0"}));
    const QStringList root = s.line(t.root());
    EXPECT_EQ(root.mid(2, 2), QStringList({"1", "3"})); // docs, empty and .hidden-main
    EXPECT_TRUE(s.line(path("docs/.secret")).isEmpty());
    // A root's line is a root's: no entry of a parent to delete.
    for (std::size_t i = 0; i < s.engine.resultCount(); ++i)
        EXPECT_EQ(s.engine.resultIsRoot(i), s.engine.resultPath(i) == t.root());
}

TEST(FolderSizeTexts, SizePercentAndOrderByByteTotal) {
    EXPECT_EQ(FolderSizeText(0), "      0.0");
    EXPECT_EQ(FolderSizeText(50), "      0.1");
    EXPECT_EQ(FolderSizeText(1023), "      0.9");
    EXPECT_EQ(FolderSizeText(1024), "      1");
    EXPECT_EQ(FolderSizeText(123'456'789), " 120563");
    EXPECT_EQ(FolderSizeText(std::int64_t(10'000'000) * 1024), "10000000");
    EXPECT_EQ(FolderPercentText(1, 4), "25.00");
    EXPECT_EQ(FolderPercentText(4, 4), "???");
    EXPECT_EQ(FolderPercentText(1, -1), "???");

    // A folder of 10,000,000 K and more comes first though its text sorts below; equal totals by
    // their figures as numbers (more files first), then by path in ascending order.
    TempTree t;
    t.file("huge/sparse", std::int64_t(12'000'000) * 1024);
    t.file("small/f", 9 * 1024);
    for (const char* f : {"tie-b/f", "tie-c/f", "Tie-0/f", "tie-a/f"})
        t.file(f, 100);
    t.file("tie-b/g", 0);
    t.file("tie-9/f", 100);
    for (const char* f : {"tie-b/f", "tie-b/g", "tie-c/f", "Tie-0/f", "tie-a/f"})
        t.setTimes(f, 1'700'000'000, 1'600'000'000);
    t.setTimes("tie-9/f", 1'700'000'000 - 86400 * 400, 1'600'000'000); // an older access: after
    FolderScan s;
    s.run(FolderScanMode::Main, {t.root()});
    EXPECT_EQ(s.paths(),
              (std::vector<std::string>{t.path("huge"), t.path("small"), t.path("tie-b"), t.path("Tie-0"),
                                        t.path("tie-a"), t.path("tie-c"), t.path("tie-9")}));

    // The grid's sorts by files and by date: equal values newest access first, then by path in
    // ascending order.
    StringGridModel grid;
    grid.setRowSource(&s.engine);
    grid.appendKeyRows(s.engine.resultKeys());
    auto gridPaths = [&] {
        std::vector<std::string> out;
        for (int r = 1; r < grid.gridRowCount(); ++r)
            out.push_back(s.engine.resultPath(grid.keyOf(r)));
        return out;
    };
    SortGridByNumber(grid, 1, grid.gridRowCount() - 1, true, 2);
    EXPECT_EQ(gridPaths(),
              (std::vector<std::string>{t.path("tie-b"), t.path("huge"), t.path("small"), t.path("Tie-0"),
                                        t.path("tie-a"), t.path("tie-c"), t.path("tie-9")}));
    SortGridByDate(grid, 1, grid.gridRowCount() - 1, true, 4);
    EXPECT_EQ(gridPaths().back(), t.path("tie-9"));
    EXPECT_EQ(gridPaths()[std::size_t(grid.gridRowCount() - 3)], t.path("tie-c"));
}

TEST(FolderSizeWalk, DeniedFoldersMountsAndLoopsAreHandledAndTheScanGoesOn) {
    TempTree t;
    RecordingMessageService messages;
    t.file("open/a", 10);
    t.file("locked/inner/secret", 5);
    t.setMode("locked", 0700); // root's own: nobody may not open it
    t.symlink("open/loop", "..");
    t.folder("mnt");
    ScopedMount mount("none", t.path("mnt"), "tmpfs", 0);
    if (mount.mounted)
        t.file("mnt/elsewhere", 99);
    FolderScan s;
    std::vector<std::pair<std::string, int>> skipped;
    s.engine.skipped().setReporter([&](const std::string& p, int e) { skipped.emplace_back(p, e); });
    {
        AsUnprivileged nobody;
        s.run(FolderScanMode::All, {t.root()});
    }
    // The denied folder keeps a line that says its figures are unknown; the mount gets none.
    EXPECT_EQ(s.line(t.path("locked")),
              QStringList({"      ? K", "???", "?", "?", "", t.path("locked").c_str()}));
    const std::vector<std::string> paths = s.paths();
    EXPECT_TRUE(s.engine.resultIsUnread(
        std::size_t(std::find(paths.begin(), paths.end(), t.path("locked")) - paths.begin())));
    EXPECT_EQ(skipped, (std::vector<std::pair<std::string, int>>{{t.path("locked"), EACCES}}));
    EXPECT_TRUE(s.line(t.path("mnt")).isEmpty());
    EXPECT_EQ(s.line(t.path("open")).mid(2, 2), QStringList({"2", "0"})); // a and the link
    EXPECT_EQ(s.line(t.root()).at(3), "3");
}

TEST(FolderSizeWalk, OddNamesStayOneLineAndTheEntryReachesTheRightFolder) {
    TempTree t;
    const std::string odd = std::string("tab\there\nline\xff");
    t.file(odd + "/deep/f", 2048);
    t.file("plain/f", 1);
    FolderScan s;
    s.run(FolderScanMode::All, {t.root() + "/"});
    for (const QString& line : s.engine.resultLines())
        EXPECT_EQ(line.count(u'\t'), 5) << line.toStdString();
    for (std::size_t i = 0; i < s.engine.resultCount(); ++i) {
        if (s.engine.resultIsRoot(i))
            continue;
        const ListedEntry e = s.engine.resultEntry(i);
        EXPECT_EQ(e.path(), s.engine.resultPath(i));
        const FolderHandle parent = OpenListedFolder(e);
        ASSERT_TRUE(parent.valid()) << e.path();
        struct stat st {};
        ASSERT_EQ(::fstatat(parent.fd(), e.name.c_str(), &st, AT_SYMLINK_NOFOLLOW), 0);
        EXPECT_EQ(EntryIdentity({st.st_dev, st.st_ino}), e.identity) << e.path();
    }
    EXPECT_TRUE(s.line(t.path(odd + "/deep")).at(5).endsWith(QString::fromUtf8("/tab?here?line") + QChar(0xFFFD) + "/deep"));
}

TEST(FolderSizeWalk, DeepTreesRootsTwiceAbortAndAFullList) {
    TempTree t;
    RecordingMessageService messages;
    t.file("top/f", 1);
    t.deepChain("top", 3000);
    FolderScan deep;
    deep.run(FolderScanMode::All, {t.root(), t.path("top")}); // the second root was walked already
    EXPECT_EQ(deep.engine.resultCount(), 3002u);
    FolderScan main;
    main.run(FolderScanMode::Main, {t.root()});
    EXPECT_EQ(main.line(t.path("top")).at(3), "3000");

    // Abort while a main folder is being measured: it keeps its line with what it had counted,
    // nothing after it gets one.
    TempTree u;
    for (int i = 0; i < 5; ++i)
        for (int f = 0; f < 5; ++f)
            u.file("m" + std::to_string(i) + "/f" + std::to_string(f), 10);
    FolderScan aborted;
    int entries = 0;
    aborted.engine.setYieldHook([&] {
        if (++entries == 1)
            aborted.engine.abort();
    });
    aborted.run(FolderScanMode::Main, {u.root()});
    EXPECT_TRUE(aborted.engine.aborted());
    ASSERT_EQ(aborted.engine.resultCount(), 1u);
    EXPECT_LT(aborted.engine.resultLine(0).split(u'\t').at(2).toInt(), 5);

    FolderScan full(2);
    full.run(FolderScanMode::All, {u.root()});
    EXPECT_EQ(full.engine.resultCount(), 2u);
    EXPECT_TRUE(full.engine.aborted());
    EXPECT_EQ(messages.texts(), QStringList({"Resource limit reached ... cannot process any more files."}));
}

// A folder that may be listed but not searched: its files cannot be counted and its sub-folders not
// opened. Its line says so ("?" after the file count); a sub-folder whose identity is unknown gets
// no line; in Main mode the main folder above them says the same. Nothing reads as a true empty.
TEST(FolderSizeWalk, WhatCouldNotBeReadMarksTheLinesItBelongsTo) {
    TempTree t;
    t.file("main/listonly/a.txt", 1000);
    t.file("main/listonly/sub/b.txt", 1000);
    t.file("main/ok.txt", 2048);
    t.file("other/c.txt", 10);
    t.setMode("main/listonly", 0644);
    for (FolderScanMode mode : {FolderScanMode::All, FolderScanMode::Main}) {
        FolderScan s;
        {
            AsUnprivileged nobody;
            s.run(mode, {t.root()});
        }
        EXPECT_EQ(s.engine.skipped().files(), 1);
        EXPECT_EQ(s.engine.skipped().folders(), 1);
        for (const QString& line : s.engine.resultLines())
            EXPECT_EQ(line.count(u'\t'), 5) << line.toStdString();
        if (mode == FolderScanMode::All) {
            EXPECT_EQ(s.line(t.path("main/listonly")).mid(0, 4),
                      QStringList({"      0.0 K", "0.00", "0?", "1"}));
            EXPECT_EQ(s.line(t.path("main")).at(2), "1"); // its own file was counted whole
            EXPECT_TRUE(s.line(t.path("main/listonly/sub")).isEmpty());
        } else {
            EXPECT_EQ(s.line(t.path("main")).mid(0, 4), QStringList({"      2 K", "0.00", "1?", "1"}));
            EXPECT_EQ(s.line(t.path("other")).at(2), "1");
        }
    }
}

// Folders are kept as names under their parents: a chain of long names costs its names, not a
// copy of the path above each folder.
TEST(FolderSizeWalk, DeepLongNamesCostTheirNamesOnly) {
    TempTree t;
    const std::string name(250, 'n');
    const std::string deepest = t.deepChain("", 300, name);
    FolderScan s;
    s.run(FolderScanMode::All, {t.root()});
    ASSERT_EQ(s.engine.resultCount(), 301u);
    // A copy of the path per folder would be some 11 MB here.
    EXPECT_LT(s.engine.memoryBytes(), std::size_t(8) * 300 * name.size());
    EXPECT_EQ(s.line(t.path(deepest)).at(5).size(), qsizetype(t.path(deepest).size()));
    EXPECT_EQ(s.engine.resultEntry(0).path(), s.engine.resultPath(0));
}
