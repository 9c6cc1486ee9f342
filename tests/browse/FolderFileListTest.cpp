// SPDX-License-Identifier: GPL-3.0-or-later
#include "browse/FolderFileList.h"
#include "browse/BrowsedFolder.h"
#include "common/DosDateTime.h"
#include "common/GridSorts.h"
#include "common/StringGridModel.h"
#include "delete/ListedFileRemoval.h"
#include "platform/Wildcard.h"
#include "support/RewriteKeepingTime.h"
#include "support/ScopedMount.h"
#include "support/TempTree.h"

#include <QLocale>
#include <cerrno>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::vector<std::string> Names(const FolderFileList& files) {
    std::vector<std::string> names;
    for (std::uint32_t k = 0; k < files.count(); ++k)
        names.emplace_back(files.name(k));
    return names;
}

class FolderFileListTest : public ::testing::Test {
protected:
    TempTree tree;
    FolderFileList files;

    bool list(const std::string& relative, const QString& pattern = QStringLiteral("*.*")) {
        const auto names = NamesBelow(tree.root(), tree.path(relative));
        EXPECT_TRUE(names.has_value());
        const BrowsedFolder folder = OpenBrowsedFolder(tree.root(), *names);
        EXPECT_EQ(folder.error, 0);
        return files.list(folder, WildcardPattern(pattern));
    }
};

} // namespace

TEST_F(FolderFileListTest, ListsPlainMatchingFilesInNameOrderWithTheirCells) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    tree.file("f/beta.TXT", 1234567);
    tree.file("f/Alpha.c", 3);
    tree.file("f/alpha.c", 5);
    tree.file("f/README", 7);
    tree.file("f/trailing.", 1);
    tree.file("f/.hidden.txt", 1);
    tree.folder("f/sub.txt");
    tree.symlink("f/link.txt", "beta.TXT");
    ASSERT_EQ(::mkfifo(tree.path("f/pipe.txt").c_str(), 0600), 0);
    tree.setTimes("f/README", 946728000, 1700000000); // 2000-01-01 12:00, 2023-11-14 22:13:20 UTC

    ASSERT_TRUE(list("f"));
    EXPECT_EQ(Names(files), (std::vector<std::string>{"Alpha.c", "alpha.c", "beta.TXT", "README", "trailing."}));
    EXPECT_EQ(files.totalBytes(), 1234567 + 3 + 5 + 7 + 1);
    const std::uint32_t beta = *files.find("beta.TXT");
    EXPECT_EQ(files.cellText(beta, FolderFileList::Size), QStringLiteral("1,234,567"));
    EXPECT_EQ(files.cellText(beta, FolderFileList::Filename), QStringLiteral("beta.TXT"));
    EXPECT_FALSE(files.cellText(beta, FolderFileList::Type).isEmpty());
    const std::uint32_t readme = *files.find("README");
    EXPECT_EQ(files.cellText(readme, FolderFileList::Type), QString()); // no extension, no type
    EXPECT_EQ(files.cellText(*files.find("trailing."), FolderFileList::Type), QString());
    EXPECT_EQ(files.cellText(readme, FolderFileList::Access), FileDateText(PackFileTime({946728000, 0})));
    EXPECT_EQ(files.cellText(readme, FolderFileList::Modified), FileDateText(PackFileTime({1700000000, 0})));
    EXPECT_EQ(files.cellText(readme, FolderFileList::Time), FileTimeText(PackFileTime({1700000000, 0})));
    EXPECT_FALSE(files.find("readme").has_value()); // exact bytes only
    EXPECT_FALSE(files.find(".hidden.txt").has_value());

    // Several patterns, letter case ignored; an unknown extension gets its made-up type name.
    tree.file("f/data.xyzq", 1);
    ASSERT_TRUE(list("f", QStringLiteral("*.c; *.XYZQ")));
    EXPECT_EQ(Names(files), (std::vector<std::string>{"Alpha.c", "alpha.c", "data.xyzq"}));
    EXPECT_EQ(files.cellText(2, FolderFileList::Type), QStringLiteral("XYZQ File"));
}

TEST_F(FolderFileListTest, GridSortsOrderTimesAsPointsInTimeAndTiesByName) {
    // One day's times, out of the order of their texts; equal sizes and equal times.
    const std::pair<const char*, std::time_t> made[] = {
        {"f/b.txt", 1733520840},                          // 21:34 UTC
        {"f/a.txt", 1733455500},                          // 03:25
        {"f/C.txt", 1733514840},                          // 19:54
        {"f/e.txt", 1733455500}, {"f/d.txt", 1636416000}, // 2021
    };
    for (const auto& [name, when] : made) {
        tree.file(name, std::string_view(name) == "f/d.txt" ? 5 : 100);
        tree.setTimes(name, 1700000000, when);
    }
    ASSERT_TRUE(list("f"));
    StringGridModel grid;
    grid.setRowSource(&files);
    std::vector<std::uint32_t> keys(files.count());
    for (std::uint32_t k = 0; k < keys.size(); ++k)
        keys[k] = files.count() - 1 - k; // any order to begin with
    grid.appendKeyRows(keys);
    auto names = [&] {
        std::vector<std::string> out;
        for (int r = 1; r < grid.gridRowCount(); ++r)
            out.emplace_back(files.name(grid.keyOf(r)));
        return out;
    };
    const int last = grid.gridRowCount() - 1;
    SortGridByNumber(grid, 1, last, true, FolderFileList::Size);
    EXPECT_EQ(names(), (std::vector<std::string>{"a.txt", "b.txt", "C.txt", "e.txt", "d.txt"}));
    SortGridByDate(grid, 1, last, true, FolderFileList::Modified);
    EXPECT_EQ(names(), (std::vector<std::string>{"b.txt", "C.txt", "a.txt", "e.txt", "d.txt"}));
    SortGridByDate(grid, 1, last, true, FolderFileList::Access); // every access ties
    EXPECT_EQ(names(), (std::vector<std::string>{"a.txt", "b.txt", "C.txt", "d.txt", "e.txt"}));
    SortGridByText(grid, 1, last, false, FolderFileList::Type);
    EXPECT_EQ(names(), (std::vector<std::string>{"a.txt", "b.txt", "C.txt", "d.txt", "e.txt"}));
    SortGridByText(grid, 1, last, false, FolderFileList::Filename);
    EXPECT_EQ(names(), (std::vector<std::string>{"a.txt", "b.txt", "C.txt", "d.txt", "e.txt"}));
}

TEST_F(FolderFileListTest, SizesAndTheTotalAre64Bit) {
    const std::int64_t big = std::int64_t(5) << 30;
    tree.file("big/a.bin", big);
    tree.file("big/b.bin", big);
    ASSERT_TRUE(list("big"));
    EXPECT_EQ(files.size(0), big);
    EXPECT_EQ(files.totalBytes(), 2 * big);
    EXPECT_EQ(files.entry(1).size, big);
}

TEST_F(FolderFileListTest, OddNamesAreListedAndDeletedByTheirExactBytes) {
    const std::string odd[] = {"tab\there.txt", "line\nbreak.txt", std::string("latin\xE9\xFF.txt")};
    for (const std::string& name : odd)
        tree.file("odd/" + name, 4);
    tree.file("odd/tab?here.txt", 9); // shows like the first, but is another file
    ASSERT_TRUE(list("odd"));
    ASSERT_EQ(files.count(), 4u);
    const std::uint32_t key = *files.find(odd[0]);
    EXPECT_EQ(files.cellText(key, FolderFileList::Filename), QStringLiteral("tab?here.txt"));
    EXPECT_EQ(files.path(key), tree.path("odd/" + odd[0]));
    for (const std::string& name : odd) {
        const ListedEntry e = files.entry(*files.find(name));
        EXPECT_EQ(e.path(), tree.path("odd/" + name));
        EXPECT_EQ(DeleteListedFile(e), 0);
        EXPECT_NE(::access(tree.path("odd/" + name).c_str(), F_OK), 0);
    }
    EXPECT_EQ(::access(tree.path("odd/tab?here.txt").c_str(), F_OK), 0);
}

TEST_F(FolderFileListTest, TheWayDownFollowsNoLinkAndRebasesAtAMount) {
    TempTree outside;
    outside.file("x/target.txt", 1);
    tree.symlink("via-link", outside.path("x"));
    tree.file("real/sub/f.txt", 2);
    const BrowsedFolder viaLink = OpenBrowsedFolder(tree.root(), {"via-link"});
    EXPECT_NE(viaLink.error, 0);
    EXPECT_TRUE(viaLink.names.empty());

    const BrowsedFolder sub = OpenBrowsedFolder(tree.root(), {"real", "sub"});
    ASSERT_EQ(sub.error, 0);
    EXPECT_EQ(sub.self.path(), tree.path("real/sub"));
    EXPECT_EQ(sub.self.folder, "real");
    EXPECT_EQ(sub.rootPath, tree.root());

    EXPECT_EQ(NamesBelow("/a/b", "/a/b//c/./d/"), (std::vector<std::string>{"c", "d"}));
    EXPECT_EQ(NamesBelow("/", "/usr"), (std::vector<std::string>{"usr"}));
    EXPECT_EQ(NamesBelow("/a/b", "/a/b"), std::vector<std::string>{});
    EXPECT_FALSE(NamesBelow("/a/b", "/a/bc").has_value());
    EXPECT_FALSE(NamesBelow("/a/b", "/a/b/../c").has_value());

    tree.folder("real/mnt");
    ScopedMount ram("none", tree.path("real/mnt"), "tmpfs", 0);
    if (!ram.mounted)
        GTEST_SKIP() << "cannot mount here";
    tree.file("real/mnt/inside.txt", 3);
    const BrowsedFolder mounted = OpenBrowsedFolder(tree.root(), {"real", "mnt"});
    ASSERT_EQ(mounted.error, 0);
    EXPECT_EQ(mounted.rootPath, tree.path("real/mnt"));
    EXPECT_EQ(mounted.self.root, tree.root()); // the mount itself is an entry of its parent
    ASSERT_TRUE(files.list(mounted, WildcardPattern(QStringLiteral("*.*"))));
    const ListedEntry inside = files.entry(0);
    EXPECT_EQ(inside.root, tree.path("real/mnt"));
    EXPECT_EQ(inside.folder, "");
    EXPECT_EQ(ListedFileSizeNow(inside), 3);
}

TEST_F(FolderFileListTest, AFileMountIsNotListed) {
    tree.file("elsewhere/only.txt", 5);
    tree.file("here/only.txt", 1);
    tree.file("here/own.txt", 2);
    ScopedMount bound(tree.path("elsewhere/only.txt").c_str(), tree.path("here/only.txt"), nullptr, MS_BIND);
    if (!bound.mounted)
        GTEST_SKIP() << "no right to make a bind mount here";
    ASSERT_TRUE(list("here"));
    EXPECT_EQ(Names(files), (std::vector<std::string>{"own.txt"}));
    EXPECT_EQ(files.totalBytes(), 2);
}

TEST_F(FolderFileListTest, AFileRewrittenWithItsTimesSetBackIsNotTheOneListed) {
    tree.file("here/a.txt", 4);
    ASSERT_TRUE(list("here"));
    const ListedEntry e = files.entry(0);
    EXPECT_EQ(ListedFileSizeNow(e), 4);
    ASSERT_TRUE(RewriteKeepingTime(tree.path("here/a.txt"), 'b'));
    EXPECT_FALSE(ListedFileSizeNow(e).has_value());
    EXPECT_EQ(DeleteListedFile(e), ESTALE);
}
