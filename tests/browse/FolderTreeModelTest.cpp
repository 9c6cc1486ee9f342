// SPDX-License-Identifier: GPL-3.0-or-later
#include "browse/BrowsedFolder.h"
#include "browse/FolderTreeModel.h"
#include "support/ScopedMount.h"
#include "support/TempTree.h"

#include <QAbstractItemModelTester>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

std::vector<std::string> ChildNames(const FolderTreeModel& model, const QModelIndex& parent) {
    std::vector<std::string> names;
    for (int r = 0; r < model.rowCount(parent); ++r)
        names.push_back(model.data(model.index(r, 0, parent)).toString().toStdString());
    return names;
}

bool WaitListed(FolderTreeModel& model) { return QTest::qWaitFor([&] { return !model.isListing(); }, 10000); }

} // namespace

TEST(ListSubFolders, ShowsFoldersAsWalksSeeThem) {
    TempTree tree;
    TempTree outside;
    tree.folder("top/zeta");
    tree.folder("top/Alpha");
    tree.folder("top/.hidden");
    tree.file("top/file.txt", 1);
    tree.symlink("top/to-folder", outside.root());
    tree.symlink("top/to-file", tree.path("top/file.txt"));
    tree.symlink("top/dangling", tree.path("nowhere"));
    const BrowsedFolder top = OpenBrowsedFolder(tree.root(), {"top"});
    std::vector<SubFolder> subs;
    ASSERT_TRUE(ListSubFolders(top.handle, subs));
    ASSERT_EQ(subs.size(), 3u);
    EXPECT_EQ(subs[0].name, "Alpha");
    EXPECT_EQ(subs[1].name, "to-folder");
    EXPECT_EQ(subs[1].kind, FolderKind::Link);
    EXPECT_EQ(subs[2].name, "zeta");
    EXPECT_EQ(subs[2].kind, FolderKind::Folder);

    tree.folder("top/mnt");
    ScopedMount ram("none", tree.path("top/mnt"), "tmpfs", 0);
    if (!ram.mounted)
        GTEST_SKIP() << "cannot mount here";
    ASSERT_TRUE(ListSubFolders(top.handle, subs));
    ASSERT_EQ(subs.size(), 4u);
    EXPECT_EQ(subs[1].name, "mnt");
    EXPECT_EQ(subs[1].kind, FolderKind::Mount);
}

// The tree lists a folder only when asked, off the window's thread, keeps the browsed chain (a
// hidden folder too), and takes folders that went away out when listed again.
TEST(FolderTreeModel, ListsLazilyKeepsTheBrowsedChainAndFollowsChanges) {
    TempTree tree;
    tree.folder("a/b/c");
    tree.folder("a/.secret/deep");
    tree.folder("a/Zed");
    tree.folder("other");
    tree.symlink("link", tree.path("a"));
    FolderTreeModel model;
    model.setRoot(tree.root());
    const QModelIndex root = model.rootIndex();
    EXPECT_EQ(model.data(root).toString().toStdString(), tree.root());
    EXPECT_TRUE(model.hasChildren(root));

    // The browsed folder inside a hidden one: its chain is there at once.
    const QModelIndex deep = model.reveal({"a", ".secret", "deep"});
    EXPECT_EQ(model.namesOf(deep), (std::vector<std::string>{"a", ".secret", "deep"}));
    EXPECT_EQ(ChildNames(model, root), std::vector<std::string>{"a"});

    model.fetchMore(root);
    ASSERT_TRUE(WaitListed(model));
    EXPECT_TRUE(model.isListed(root));
    EXPECT_EQ(ChildNames(model, root), (std::vector<std::string>{"a", "link", "other"}));
    const QModelIndex link = model.index(1, 0, root);
    EXPECT_EQ(model.kindOf(link), FolderKind::Link);
    EXPECT_FALSE(model.hasChildren(link));
    EXPECT_FALSE(model.canFetchMore(link));

    // Nothing below is listed until asked.
    const QModelIndex a = model.index(0, 0, root);
    EXPECT_FALSE(model.isListed(a));
    EXPECT_EQ(model.rowCount(a), 1);
    ASSERT_TRUE(model.canFetchMore(a));
    model.fetchMore(a);
    EXPECT_TRUE(model.isListing());
    ASSERT_TRUE(WaitListed(model));
    // The hidden folder stays while it is on the browsed chain.
    EXPECT_EQ(ChildNames(model, a), (std::vector<std::string>{".secret", "b", "Zed"}));

    // Browsing elsewhere lets it go at the next listing, as it lets a removed folder go.
    model.reveal({"other"});
    std::filesystem::remove_all(tree.path("a/Zed"));
    tree.folder("a/new");
    model.refresh(model.index(0, 0, root));
    ASSERT_TRUE(WaitListed(model));
    EXPECT_EQ(ChildNames(model, model.index(0, 0, root)), (std::vector<std::string>{"b", "new"}));

    // A folder without sub-folders loses its expander once listed.
    const QModelIndex otherRow = model.index(2, 0, root);
    model.fetchMore(otherRow);
    ASSERT_TRUE(WaitListed(model));
    EXPECT_FALSE(model.hasChildren(otherRow));

    // A new drive drops every row; a listing still on its way for the old one is ignored.
    model.fetchMore(model.index(0, 0, model.index(0, 0, root)));
    model.setRoot(tree.path("a"));
    ASSERT_TRUE(WaitListed(model));
    EXPECT_EQ(model.rowCount(model.rootIndex()), 0);
}

// The rows that come in from the listing thread keep the model consistent for any view.
TEST(FolderTreeModel, StaysConsistentWhileListingsComeIn) {
    TempTree tree;
    for (const char* f : {"m/one/x", "m/two", "m/Three/y/z", "n"})
        tree.folder(f);
    FolderTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setRoot(tree.root());
    model.reveal({"m", "Three", "y"});
    // The tester itself asks for every row's sub-folders as they come in.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !model.isListing() && model.rowCount(model.rootIndex()) == 2; }, 10000));
    EXPECT_TRUE(WaitListed(model));
    EXPECT_EQ(ChildNames(model, model.index(0, 0, model.rootIndex())), (std::vector<std::string>{"one", "Three", "two"}));
}
