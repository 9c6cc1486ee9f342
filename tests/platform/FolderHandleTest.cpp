// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FolderHandle.h"
#include "support/TempTree.h"

#include <algorithm>
#include <cerrno>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

std::vector<std::string> namesOf(const std::vector<FsEntry>& entries) {
    std::vector<std::string> names;
    for (const FsEntry& e : entries)
        names.push_back(e.name);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(FolderHandle, OpensByPathAndChildWithCleanPathTexts) {
    TempTree t;
    t.folder("a/b");
    FolderHandle root = FolderHandle::open(t.root() + "//./a/");
    ASSERT_TRUE(root.valid());
    EXPECT_EQ(root.path(), t.root() + "/a");
    FolderHandle child = FolderHandle::openChild(root, "b");
    ASSERT_TRUE(child.valid());
    EXPECT_EQ(child.path(), t.root() + "/a/b");
    struct stat st {};
    ASSERT_EQ(stat(t.path("a/b").c_str(), &st), 0);
    EXPECT_EQ(child.device(), st.st_dev);
    EXPECT_EQ(child.inode(), st.st_ino);

    FolderHandle slash = FolderHandle::open("/");
    ASSERT_TRUE(slash.valid());
    EXPECT_EQ(slash.path(), "/");
    EXPECT_EQ(slash.childPath("usr"), "/usr");
}

TEST(FolderHandle, NeverFollowsALinkAndReportsErrno) {
    TempTree t;
    t.folder("real");
    t.symlink("link", "real");
    t.file("plain", 3);
    FolderHandle root = FolderHandle::open(t.root());
    int linkError = FolderHandle::openChild(root, "link").error();
    EXPECT_TRUE(linkError == ELOOP || linkError == ENOTDIR) << linkError;
    EXPECT_EQ(FolderHandle::openChild(root, "plain").error(), ENOTDIR);
    EXPECT_EQ(FolderHandle::openChild(root, "missing").error(), ENOENT);
    // A root is opened as the user named it: a link to a folder is that folder.
    FolderHandle named = FolderHandle::open(t.path("link") + "/");
    ASSERT_TRUE(named.valid());
    EXPECT_EQ(named.inode(), FolderHandle::openChild(root, "real").inode());
    EXPECT_EQ(named.path(), t.path("link"));
}

TEST(FolderHandle, ReadFolderGivesStatisticsAndAttributes) {
    TempTree t;
    t.file("big", std::int64_t(5) << 30); // sparse, 5 GiB
    t.file(".hidden", 1);
    t.file("ro", 2);
    t.setMode("ro", 0444);
    t.folder("sub");
    t.symlink("ln", "big");
    t.setTimes("ro", 1000000000, 1100000000);
    FolderHandle root = FolderHandle::open(t.root());
    std::vector<FsEntry> entries;
    int err = 0;
    ASSERT_TRUE(ReadFolder(root, entries, &err));
    EXPECT_EQ(namesOf(entries), (std::vector<std::string>{".hidden", "big", "ln", "ro", "sub"}));
    for (const FsEntry& e : entries) {
        if (e.name == "big") {
            EXPECT_EQ(e.size, std::int64_t(5) << 30);
            EXPECT_EQ(e.attributes, 0u);
        } else if (e.name == ".hidden") {
            EXPECT_EQ(e.attributes, std::uint32_t(faHidden));
        } else if (e.name == "ro") {
            EXPECT_EQ(e.attributes, std::uint32_t(faReadOnly));
            EXPECT_EQ(e.lastWrite.tv_sec, 1100000000);
            EXPECT_EQ(e.lastAccess.tv_sec, 1000000000);
        } else if (e.name == "sub") {
            EXPECT_TRUE(e.isFolder());
        } else if (e.name == "ln") {
            EXPECT_EQ(e.attributes & faSystem, std::uint32_t(faSystem)); // the link itself
        }
    }
    // Reading again from the same handle starts over.
    ASSERT_TRUE(ReadFolder(root, entries, &err));
    EXPECT_EQ(entries.size(), 5u);
}

TEST(FolderHandle, UnreadableFolderFailsWithItsErrno) {
    TempTree t;
    t.file("locked/f", 1);
    t.setMode("locked", 0700);
    AsUnprivileged nobody;
    FolderHandle h = FolderHandle::open(t.path("locked"));
    EXPECT_FALSE(h.valid());
    EXPECT_EQ(h.error(), EACCES);
    std::vector<FsEntry> entries;
    int err = 0;
    EXPECT_FALSE(ReadFolder(h, entries, &err));
}

TEST(FolderHandle, ReopenParentChecksIdentity) {
    TempTree t;
    t.folder("p/c");
    FolderHandle p = FolderHandle::open(t.path("p"));
    FolderHandle c = FolderHandle::openChild(p, "c");
    FolderHandle back = FolderHandle::reopenParent(c, p.path(), p.device(), p.inode());
    ASSERT_TRUE(back.valid());
    EXPECT_EQ(back.path(), p.path());
    FolderHandle wrong = FolderHandle::reopenParent(c, p.path(), p.device(), p.inode() + 1);
    EXPECT_FALSE(wrong.valid());
    EXPECT_EQ(wrong.error(), ESTALE);
}
