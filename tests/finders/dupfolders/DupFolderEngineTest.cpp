// SPDX-License-Identifier: GPL-3.0-or-later
#include "finders/dupfolders/DupFolderEngine.h"
#include "platform/ExclusionRules.h"
#include "support/TempTree.h"

#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Each group as its folders below the tree, each with its note when it has one ("a (hard links)").
using Groups = std::vector<std::vector<std::string>>;

class DupFolders : public ::testing::Test {
protected:
    TempTree tree;
    DupFolderEngine engine;

    void put(const std::string& relative, const std::string& content) {
        tree.file(relative);
        std::ofstream(tree.path(relative), std::ios::binary) << content;
    }
    // A small project: files of several sizes, a hidden file and a hidden folder, a sub-folder.
    void project(const std::string& at, const std::string& last = "z") {
        put(at + "/readme.txt", "read me first");
        put(at + "/.config", "hidden settings");
        put(at + "/.git/HEAD", "ref: refs/heads/main");
        put(at + "/src/main.c", "int main(void) { return 0; }" + last);
        put(at + "/src/empty.h", "");
    }
    void scan(DupFolderCriteria criteria = {}) {
        engine.begin(criteria);
        engine.scanDrive(tree.root());
        engine.finish();
    }
    Groups groups() const {
        Groups all;
        for (std::size_t i = 0; i < engine.resultCount(); ++i) {
            if (all.size() < engine.resultGroup(i))
                all.emplace_back();
            std::string shown = engine.resultPath(i).substr(tree.root().size() + 1);
            const QString note = engine.resultLine(i).section(u'\t', 2, 2);
            if (!note.isEmpty())
                shown += " (" + note.toStdString() + ")";
            all.back().push_back(shown);
        }
        return all;
    }
};

} // namespace

TEST_F(DupFolders, CopiesAreGroupedAndWhatLiesInsideThemIsNotReportedAgain) {
    project("work/app");
    project("backup/app");
    project("old/app-copy");
    put("work/app/src/other.c", "no twin"); // work/app differs now; its .git and src/.. still do not
    put("unrelated/one.txt", "alone");
    scan();
    // Inside reported copies nothing is reported again, unless a copy lies elsewhere too: then one of
    // them stands for the copies inside.
    EXPECT_EQ(groups(), Groups({{"backup/app", "old/app-copy"}, {"backup/app/.git", "work/app/.git"}}))
        << "hidden folders count";
    ASSERT_EQ(engine.resultCount(), 4u);
    const std::int64_t bytes = 13 + 15 + 20 + 29;
    EXPECT_EQ(engine.resultBytes(0), bytes);
    EXPECT_EQ(engine.resultFiles(0), 5u);
    EXPECT_EQ(engine.resultFreed(0), bytes);
    EXPECT_EQ(engine.resultLine(0),
              QString::number(bytes) + "\t5\t\t" + QString::fromStdString(tree.path("backup/app")));
    EXPECT_EQ(engine.resultEntry(1).path(), tree.path("old/app-copy"));
    EXPECT_EQ(engine.resultEntry(1).identity.inode, ino_t([&] {
                  struct stat st {};
                  ::stat(tree.path("old/app-copy").c_str(), &st);
                  return st.st_ino;
              }()));
    EXPECT_EQ(engine.resultLines().size(), 6); // each group followed by an empty line

    // The size limit is on one copy; an empty folder is never a copy, one of empty files is.
    tree.folder("empty1/x");
    tree.folder("empty2/x");
    put("empty-files1/e", "");
    put("empty-files2/e", "");
    DupFolderCriteria small;
    small.range = SizeRange::SmallerOrEqual;
    small.limit1K = 0;
    scan(small);
    EXPECT_EQ(groups(), Groups({{"empty-files1", "empty-files2"}}));
    DupFolderCriteria large;
    large.limit1K = 1;
    scan(large);
    EXPECT_TRUE(groups().empty());
}

TEST_F(DupFolders, FoldersThatDifferInTheSmallestWayAreNoCopies) {
    // Each pair differs from every other pair in src/main.c; within a pair only as named.
    project("last-byte/a", "1");
    project("last-byte/b", "2"); // one file's last byte
    project("case/a", "3");
    project("case/b", "3");
    ::rename(tree.path("case/b/readme.txt").c_str(), tree.path("case/b/README.txt").c_str());
    project("empty-sub/a", "4");
    project("empty-sub/b", "4");
    tree.folder("empty-sub/b/src/new");
    project("hidden/a", "5");
    project("hidden/b", "5");
    ::unlink(tree.path("hidden/b/.config").c_str());
    scan();
    // What is left alike: .git everywhere, and src where the difference lies outside it.
    const Groups found = groups();
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].size(), 8u) << found[0][0];
    EXPECT_EQ(found[1], std::vector<std::string>({"case/a/src", "case/b/src"}));
    EXPECT_EQ(found[2], std::vector<std::string>({"hidden/a/src", "hidden/b/src"}));
}

TEST_F(DupFolders, LinksAreNeverFollowedAndHardLinkedCopiesFreeNothing) {
    project("a");
    project("b");
    tree.symlink("a/to-b", "../b");  // a link to its copy
    tree.symlink("b/to-b", "../b");  // the same link text: the folders are alike again
    tree.symlink("a/src/loop", "."); // a loop
    tree.symlink("b/src/loop", ".");
    // A copy made of hard links: the same content, but deleting it frees no space.
    for (const char* f : {"readme.txt", ".config", ".git/HEAD", "src/main.c", "src/empty.h"}) {
        tree.folder(std::string("linked/") + (std::string(f).find('/') != std::string::npos
                                                  ? std::string(f).substr(0, std::string(f).find('/'))
                                                  : std::string()));
        ASSERT_EQ(
            ::link(tree.path(std::string("a/") + f).c_str(), tree.path(std::string("linked/") + f).c_str()),
            0);
    }
    tree.symlink("linked/to-b", "../b");
    tree.symlink("linked/src/loop", ".");
    scan();
    ASSERT_EQ(groups(), Groups({{"a (hard links)", "b", "linked (hard links)"}}));
    // a and linked share every file: of three copies, only one set of bytes is extra.
    EXPECT_EQ(engine.resultFreed(0), 0);
    EXPECT_EQ(engine.resultFreed(1), engine.resultBytes(1));
    EXPECT_EQ(engine.resultFreed(2), 0);

    ::unlink(tree.path("b/to-b").c_str());
    tree.symlink("b/to-b", "../a");
    scan();
    EXPECT_EQ(groups(),
              Groups({{"a/src", "b/src"}, {"a/.git", "b/.git"}, {"a (hard links)", "linked (hard links)"}}))
        << "b's link target differs; a/src stands for the copies inside a and linked";
}

TEST_F(DupFolders, AFolderThatCannotBeReadOrChangesIsNeverACopy) {
    project("a");
    project("b");
    project("c");
    tree.folder("c/locked");
    tree.file("c/locked/secret", 10);
    tree.folder("b/locked");
    tree.file("b/locked/secret", 10);
    tree.setMode("c/locked", 0700);
    std::vector<std::string> skipped;
    engine.skipped().setReporter([&](const std::string& path, int) { skipped.push_back(path); });
    {
        AsUnprivileged nobody;
        scan();
    }
    EXPECT_EQ(skipped, std::vector<std::string>({tree.path("c/locked")}));
    EXPECT_EQ(engine.skipped().folders(), 1);
    EXPECT_EQ(groups(), Groups({{"a/src", "b/src", "c/src"}, {"a/.git", "b/.git", "c/.git"}}))
        << "c could hold anything in locked; b has a folder a lacks";

    // Now that c can be read, b and c are copies. A file of a changes after the walk, and b/.git
    // while the contents are compared.
    engine.skipped().setReporter(nullptr);
    engine.begin({});
    engine.scanDrive(tree.root());
    put("a/src/main.c", "int main(void) { return 1; }z");
    bool added = false;
    engine.setYieldHook([&] {
        if (engine.comparing() && !added)
            added = true, put("b/.git/index", "");
    });
    engine.finish();
    EXPECT_EQ(groups(), Groups({{"b/src", "c/src"}, {"a/.git", "c/.git"}, {"b/locked", "c/locked"}}))
        << "a/src changed, b/.git and so b grew: b/src and b/locked are no longer inside a reported copy";
    EXPECT_EQ(engine.unreadableFiles(), 1);
    EXPECT_EQ(engine.changedFolders(), 2);

    // An aborted scan has no results.
    engine.setYieldHook([&] { engine.abort(); });
    scan();
    EXPECT_TRUE(engine.aborted());
    EXPECT_EQ(engine.resultCount(), 0u);
}

TEST_F(DupFolders, AThousandCopiesOfAFolderWithOneFile) {
    for (int i = 0; i < 1000; ++i) {
        put("import/" + std::to_string(1000 + i) + "/photo.jpg", "the same picture");
        tree.folder("import/" + std::to_string(1000 + i) + "/thumbs");
    }
    put("import/2000/photo.jpg", "another picture!"); // same size, other bytes
    tree.folder("import/2000/thumbs");
    scan();
    ASSERT_EQ(engine.groupCount(), 1u);
    EXPECT_EQ(engine.resultCount(), 1000u);
    EXPECT_EQ(engine.resultPath(0), tree.path("import/1000"));
}

TEST_F(DupFolders, SubsetsFollowWhenAskedWithTheirShare) {
    put("card/DCIM/a.jpg", std::string(3000, 'a'));
    put("card/DCIM/b.jpg", std::string(1000, 'b'));
    put("photos/2024/DCIM/a.jpg", std::string(3000, 'a'));
    put("photos/2024/DCIM/b.jpg", std::string(1000, 'b'));
    put("photos/2024/DCIM/c.jpg", std::string(4000, 'c'));
    put("photos/2024/notes.txt", "trip");
    put("elsewhere/DCIM/a.jpg", std::string(3000, 'x')); // the same names, other bytes
    scan();
    EXPECT_TRUE(groups().empty());
    DupFolderCriteria subsets;
    subsets.subsets = true;
    scan(subsets);
    EXPECT_EQ(groups(), Groups({{"card (subset)", "photos/2024 (contains 49%)"}}))
        << "card/DCIM lies inside card, which is reported";
    EXPECT_EQ(engine.resultRole(0), DupFolderEngine::Role::Subset);
    EXPECT_EQ(engine.resultShare(1), 4997u); // 4,000 of 8,004 bytes
}

TEST_F(DupFolders, DeepAndOddlyNamedCopiesAreFoundWhole) {
    // Deeper than the walker keeps handles open, with names no line can show as they are.
    const std::string odd = std::string("line\nbreak \xff");
    for (const std::string& at : {"a/" + odd, "b/" + odd}) {
        const std::string deepest = tree.deepChain(at, 200, "level");
        put(deepest + "/bottom.txt", "at the bottom");
        put(at + "/top.txt", "at the top");
    }
    put("a/other", "x"); // a and b themselves differ
    scan();
    ASSERT_EQ(engine.resultCount(), 2u);
    EXPECT_EQ(engine.resultPath(0), tree.path("a/" + odd));
    EXPECT_EQ(engine.resultPath(1), tree.path("b/" + odd));
    EXPECT_TRUE(engine.resultLine(0).endsWith(QStringLiteral("/a/line?break \uFFFD")));
    EXPECT_EQ(engine.resultFiles(0), 2u);
    EXPECT_EQ(engine.resultEntry(1).name, odd);
}

// Folders alike but for what an exclusion left out are no copies: deleting one as a copy would
// take files that were never compared.
TEST_F(DupFolders, AFolderWithSomethingExcludedIsNeverACopy) {
    project("one/a", "1");
    project("one/b", "1");
    put("one/a/src/main.o", "object A");
    put("one/b/src/main.o", "object B, not the same");
    auto rules = std::make_shared<ExclusionRules>();
    ASSERT_TRUE(rules->add("*.o"));
    SetWalkExclusions(rules);
    scan();
    SetWalkExclusions(nullptr);
    // Only the hidden .git folders are left alike.
    const Groups found = groups();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0], std::vector<std::string>({"one/a/.git", "one/b/.git"}));
    EXPECT_EQ(engine.skipped().excluded(), 2);
}
