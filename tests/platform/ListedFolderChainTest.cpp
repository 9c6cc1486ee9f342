// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ListedFolderChain.h"
#include "platform/FolderAncestry.h"
#include "platform/ListedFolder.h"
#include "support/TempTree.h"

#include <cerrno>
#include <cstdio>
#include <gtest/gtest.h>

// The chain gives what OpenListedFolder gives, entry after entry, and sees a swap on the way.
TEST(ListedFolderChain, OpensAsOpenListedFolderDoesAndSeesASwappedFolder) {
    TempTree t;
    std::vector<ListedEntry> files;
    for (const char* f : {"a/x/one", "a/x/two", "a/y/three", "b/four", "five"})
        files.push_back(*ListedEntry::listNow(t.file(f, 1)));
    ListedFolderChain chain;
    for (const ListedEntry& file : files) {
        const FolderHandle& folder = chain.open(file);
        ASSERT_TRUE(folder.valid()) << file.path();
        EXPECT_EQ(folder.identity(), file.folderIdentity);
        EXPECT_EQ(std::string(folder.path()), file.folderPath());
    }
    // "a" swapped for a link to another folder of the same shape: refused, as from the root.
    t.file("elsewhere/y/three", 1);
    ASSERT_EQ(std::rename(t.path("a").c_str(), t.path("old-a").c_str()), 0);
    t.symlink("a", "elsewhere");
    ListedFolderChain fresh;
    EXPECT_EQ(fresh.open(files[2]).error(), OpenListedFolder(files[2]).error());
    EXPECT_EQ(fresh.open(files[2]).error(), ESTALE);
    EXPECT_TRUE(fresh.open(files[3]).valid());
}

// Every folder above, nearest first, to the top; a stop ends it early.
TEST(FolderAncestry, VisitsEachFolderAboveUpToTheTop) {
    TempTree t;
    t.folder("a/b/c");
    const FolderHandle c = FolderHandle::open(t.path("a/b/c"));
    const FolderHandle top = FolderHandle::open("/");
    std::vector<EntryIdentity> seen;
    EXPECT_EQ(VisitFoldersUp(c, [&](const EntryIdentity& id) { return seen.push_back(id), true; }), 0);
    ASSERT_GE(seen.size(), 4u);
    EXPECT_EQ(seen[0], c.identity());
    EXPECT_EQ(seen[2], FolderHandle::open(t.path("a")).identity());
    EXPECT_EQ(seen.back(), top.identity());
    seen.clear();
    EXPECT_EQ(VisitFoldersUp(c, [&](const EntryIdentity& id) { return seen.push_back(id), seen.size() < 2; }),
              0);
    EXPECT_EQ(seen.size(), 2u);
}
