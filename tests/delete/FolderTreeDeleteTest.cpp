// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/FolderTreeDelete.h"
#include "platform/CurrentFolder.h"
#include "support/RecordingMessageService.h"
#include "support/ScopedMount.h"
#include "support/TempTree.h"
#include "DeleteTestSupport.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

namespace {
class FolderTreeDeleteTest : public ::testing::Test {
protected:
    TempTree tree;
    RecordingMessageService messages;
    FolderDeleteResult r;

    // Lists the folder now, as a window would, and deletes it; true when the walk completed.
    bool run(const std::string& relative, bool recycle = false) {
        r = deleteFolderTree(listed(tree.path(relative)), recycle);
        return r.completed;
    }

    QString question(const std::string& relative, const char* what) {
        return QString::fromStdString(tree.path(relative)) + what +
               "delete this file and continue deleting other files? ";
    }
    // Three nested folders, one 10-byte file in each.
    void nested(const std::string& top, const std::string& prefix) {
        tree.file(top + "/" + prefix + "1", 10);
        tree.file(top + "/sub/" + prefix + "2", 10);
        tree.file(top + "/sub/deeper/" + prefix + "3", 10);
    }
};
} // namespace

TEST_F(FolderTreeDeleteTest, NestedTreeIsRemovedAndCounted) {
    nested("victim", "nested-f");
    EXPECT_TRUE(run("victim"));
    EXPECT_EQ(r.files, 3);
    EXPECT_EQ(r.bytes, 30);
    EXPECT_FALSE(exists(tree.path("victim")));
    EXPECT_TRUE(messages.records().empty());
    EXPECT_EQ(CurrentFolder::get(), tree.root());
}

TEST_F(FolderTreeDeleteTest, RecycleSendsEachFileToTheTrashAndRemovesFolders) {
    nested("victim", "recycled-f");
    EXPECT_TRUE(run("victim", true));
    EXPECT_EQ(r.files, 3);
    EXPECT_EQ(r.bytes, 30);
    EXPECT_FALSE(exists(tree.path("victim")));
    for (const char* name : {"recycled-f1", "recycled-f2", "recycled-f3"})
        EXPECT_TRUE(inTrash(name)) << name;
    EXPECT_TRUE(trashInfo("recycled-f3").contains("Path=" + QString::fromStdString(tree.path("victim/sub/deeper/recycled-f3"))));
    EXPECT_FALSE(inTrash("sub"));
}

TEST_F(FolderTreeDeleteTest, MissingFolderFindsNothing) {
    EXPECT_TRUE(run("no/such"));
    EXPECT_EQ(r.files, 0);
    EXPECT_EQ(r.bytes, 0);
    EXPECT_EQ(r.error, ENOENT);
}

TEST_F(FolderTreeDeleteTest, ReadOnlyAndHiddenFileAsksTwiceAndYesDeletes) {
    tree.file("victim/.both", 4);
    tree.setMode("victim/.both", 0444);
    messages.scriptAnswers({MessageAnswer::Yes, MessageAnswer::Yes});
    EXPECT_TRUE(run("victim"));
    EXPECT_EQ(messages.texts(), QStringList({question("victim/.both", " is read-only, "),
                                             question("victim/.both", " is hidden, ")}));
    EXPECT_FALSE(exists(tree.path("victim")));
    EXPECT_EQ(r.files, 1);
    EXPECT_EQ(r.bytes, 4);
}

TEST_F(FolderTreeDeleteTest, NoOrCancelStopsTheWholeWalk) {
    for (MessageAnswer stop : {MessageAnswer::No, MessageAnswer::Cancel}) {
        tree.file("victim/.both", 4);
        tree.setMode("victim/.both", 0444);
        messages.clear();
        messages.scriptAnswers({MessageAnswer::Yes, stop});
        EXPECT_FALSE(run("victim"));
        EXPECT_EQ(messages.texts().size(), 2);
        ASSERT_TRUE(exists(tree.path("victim/.both")));
        struct stat st {};
        ::stat(tree.path("victim/.both").c_str(), &st);
        EXPECT_EQ(st.st_mode & 07777, 0444u) << "Yes to read-only changes no mode";
        EXPECT_EQ(r.files, 0);
    }
}

TEST_F(FolderTreeDeleteTest, StopLeavesEverythingAfterItAlone) {
    // A single folder level lists in an order we do not choose, so count rather than name what went.
    for (int i = 0; i < 5; ++i)
        tree.file("victim/plain" + std::to_string(i), 1);
    tree.file("victim/.stopper", 1);
    messages.scriptAnswers({MessageAnswer::No});
    EXPECT_FALSE(run("victim"));
    int left = 0;
    for (int i = 0; i < 5; ++i)
        left += exists(tree.path("victim/plain" + std::to_string(i)));
    EXPECT_EQ(r.files, 5 - left);
    EXPECT_EQ(r.bytes, 5 - left);
    EXPECT_TRUE(exists(tree.path("victim/.stopper")));
}

TEST_F(FolderTreeDeleteTest, LinksAreRemovedNeverFollowed) {
    tree.file("outside/keep.txt", 9);
    tree.symlink("victim/to-outside", tree.path("outside"));
    tree.symlink("victim/to-root", "/");
    tree.symlink("victim/loop/up", "..");
    tree.symlink("victim/loop/self", ".");
    messages.scriptAnswers({MessageAnswer::Yes, MessageAnswer::Yes, MessageAnswer::Yes, MessageAnswer::Yes});
    EXPECT_TRUE(run("victim"));
    EXPECT_EQ(r.files, 4);
    EXPECT_EQ(messages.texts().size(), 4);
    EXPECT_TRUE(messages.saw(question("victim/to-root", " is a system file, ")));
    EXPECT_FALSE(exists(tree.path("victim")));
    EXPECT_TRUE(exists(tree.path("outside/keep.txt")));
    EXPECT_TRUE(exists("/etc"));
}

TEST_F(FolderTreeDeleteTest, DeniedFileStaysUncountedAndItsFoldersStay) {
    tree.file("victim/locked/keep.txt", 5);
    tree.file("victim/open/one.txt", 6);
    tree.file("victim/two.txt", 7);
    tree.setMode("victim", 0777);
    tree.setMode("victim/open", 0777);
    {
        AsUnprivileged nobody; // locked/ belongs to root: the denial is real
        EXPECT_TRUE(run("victim"));
    }
    EXPECT_EQ(r.files, 2);
    EXPECT_EQ(r.bytes, 13);
    EXPECT_TRUE(exists(tree.path("victim/locked/keep.txt")));
    EXPECT_FALSE(exists(tree.path("victim/open")));
    EXPECT_FALSE(exists(tree.path("victim/two.txt")));
    EXPECT_EQ(r.filesLeft, 1);
    EXPECT_EQ(FilesLeftNote(r, false), "1 file could not be deleted and stayed where it was.\n\nThe first one:\n" +
                                           QString::fromStdString(tree.path("victim/locked/keep.txt")) +
                                           "\nPermission denied");
}

TEST_F(FolderTreeDeleteTest, RecycleThatLeavesFilesBehindSaysHowMany) {
    tree.file("victim/a.txt", 1);
    tree.file("victim/b.txt", 1);
    tree.setMode("victim", 0777);
    // A trash its user may not make: every file stays.
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(tree.folder("locked-data")));
    {
        AsUnprivileged nobody;
        EXPECT_TRUE(run("victim", true));
    }
    qputenv("XDG_DATA_HOME", dataHome);
    EXPECT_EQ(r.files, 0);
    EXPECT_EQ(r.filesLeft, 2);
    EXPECT_TRUE(FilesLeftNote(r, true).startsWith(
        "2 files could not be sent to the recycle bin and stayed where they were.\n\nThe first one:\n"));
    EXPECT_TRUE(FilesLeftNote(r, true).endsWith("\nPermission denied"));
    EXPECT_TRUE(exists(tree.path("victim/a.txt")));
    EXPECT_EQ(FilesLeftNote(FolderDeleteResult{}, true), "");
}

TEST_F(FolderTreeDeleteTest, ThreeThousandLevelsDeep) {
    tree.file("victim/top.txt", 3);
    tree.deepChain("victim", 3000);
    EXPECT_TRUE(run("victim"));
    EXPECT_EQ(r.files, 1);
    EXPECT_FALSE(exists(tree.path("victim")));
}

TEST_F(FolderTreeDeleteTest, PathsLongerThanTheSystemLimitAreNoObstacle) {
    tree.file("victim/top.txt", 3);
    tree.deepChain("victim", 40, std::string(250, 'n')); // about 10,000 bytes of path
    EXPECT_TRUE(run("victim"));
    EXPECT_EQ(r.files, 1);
    EXPECT_EQ(r.left.count(), 0);
    EXPECT_FALSE(exists(tree.path("victim")));
}

TEST_F(FolderTreeDeleteTest, FoldersThatCannotBeReadStayAndAreListedUnlessEmpty) {
    tree.file("victim/unreadable/inside.txt", 1);
    tree.folder("victim/empty-unreadable");
    tree.file("victim/plain.txt", 2);
    for (const char* folder : {"victim", "victim/unreadable", "victim/empty-unreadable"})
        tree.setMode(folder, 0733); // nobody may enter and write, not list
    tree.setMode("victim", 0777);
    {
        AsUnprivileged nobody;
        EXPECT_TRUE(run("victim"));
    }
    EXPECT_EQ(r.files, 1);
    EXPECT_EQ(r.filesLeft, 0);
    EXPECT_EQ(r.foldersLeft, 1);
    ASSERT_EQ(r.left.kept().size(), 1u);
    EXPECT_EQ(r.left.kept()[0].path, tree.path("victim/unreadable"));
    EXPECT_EQ(r.left.kept()[0].reason, "Permission denied");
    EXPECT_TRUE(exists(tree.path("victim/unreadable/inside.txt")));
    EXPECT_FALSE(exists(tree.path("victim/empty-unreadable")));
    EXPECT_EQ(FilesLeftNote(r, false),
              "1 folder could not be emptied or removed and stayed with what is in it."
              "\n\nThe first one:\n" +
                  QString::fromStdString(tree.path("victim/unreadable")) + "\nPermission denied");
}

TEST(FilesLeftList, KeepsTheFirstFewThousandAndCountsTheRest) {
    FilesLeft left;
    for (std::size_t i = 0; i < FilesLeft::MaxKept + 1000; ++i)
        left.add("/f" + std::to_string(i), QStringLiteral("why"));
    EXPECT_EQ(left.count(), std::int64_t(FilesLeft::MaxKept) + 1000);
    EXPECT_EQ(left.kept().size(), FilesLeft::MaxKept);
    EXPECT_EQ(left.lines().first(), "/f0\twhy");
    EXPECT_EQ(left.lines().last(), "... and 1,000 more");

    // Paths of a very deep tree: the first is kept whatever its length, the bytes kept stay bounded.
    FilesLeft deep;
    const std::string huge(FilesLeft::MaxKeptPathBytes + 1, 'd');
    deep.add(huge, QStringLiteral("one"));
    deep.add(huge, QStringLiteral("two"));
    EXPECT_EQ(deep.count(), 2);
    ASSERT_EQ(deep.kept().size(), 1u);
    EXPECT_EQ(deep.kept()[0].reason, "one");
}

TEST_F(FolderTreeDeleteTest, MountedFilesystemInsideIsNotEntered) {
    tree.file("victim/mnt/.keep", 0);
    tree.file("victim/plain.txt", 2);
    ScopedMount mount("none", tree.path("victim/mnt"), "tmpfs", 0);
    if (!mount.mounted)
        GTEST_SKIP() << "cannot mount here";
    tree.file("victim/mnt/inside.txt", 4);
    EXPECT_TRUE(run("victim"));
    EXPECT_TRUE(exists(tree.path("victim/mnt/inside.txt")));
    EXPECT_FALSE(exists(tree.path("victim/plain.txt")));
    EXPECT_EQ(r.files, 1);
    ASSERT_EQ(r.foldersLeft, 1);
    EXPECT_EQ(r.left.kept()[0].reason, "it is a mount point (another filesystem is mounted there)");
}

TEST_F(FolderTreeDeleteTest, AFileMountInsideIsNeitherDeletedNorTrashed) {
    tree.file("elsewhere/only.txt", 5); // the only real name of a file
    tree.file("victim/only.txt", 1);    // a file it is bound onto
    tree.file("victim/plain.txt", 2);
    ScopedMount bound(tree.path("elsewhere/only.txt").c_str(), tree.path("victim/only.txt"), nullptr,
                      MS_BIND);
    if (!bound.mounted)
        GTEST_SKIP() << "no right to make a bind mount here";
    for (bool recycle : {false, true}) {
        EXPECT_TRUE(run("victim", recycle));
        EXPECT_EQ(r.files, recycle ? 0 : 1);
        EXPECT_EQ(r.filesLeft, 1);
        ASSERT_FALSE(r.left.kept().empty());
        EXPECT_EQ(r.left.kept()[0].path, tree.path("victim/only.txt"));
        EXPECT_EQ(r.left.kept()[0].reason, "it is a mount point (another filesystem is mounted there)");
        EXPECT_TRUE(exists(tree.path("elsewhere/only.txt")));
        EXPECT_TRUE(exists(tree.path("victim/only.txt")));
    }
}
