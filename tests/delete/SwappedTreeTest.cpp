// SPDX-License-Identifier: GPL-3.0-or-later
// A tree that changes under the user's feet: every delete and trash must still act only on what
// was listed. Each race is built deterministically: the swap happens while a question is open, or
// between the scan and the delete.
#include "delete/DeletionTotals.h"
#include "delete/FolderTreeDelete.h"
#include "delete/ListedFileRemoval.h"
#include "delete/ProtectedFolders.h"
#include "delete/ui/TfrmReallyDelete.h"
#include "finders/dup/DupScanEngine.h"
#include "support/RecordingMessageService.h"
#include "support/ScopedMount.h"
#include "support/TempTree.h"
#include "DeleteTestSupport.h"

#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class SwappedTree : public ::testing::Test {
protected:
    TempTree tree;
    TempTree outside; // what an attacker points the tree at: nothing in it may go
    RecordingMessageService messages;

    void fillOutside(int files) {
        for (int i = 0; i < files; ++i)
            outside.file("o" + std::to_string(i) + ".txt", 5);
    }
    // Every file of outside is still there, and none of its names went to the trash.
    void expectOutsideWhole(int files) {
        for (int i = 0; i < files; ++i) {
            const std::string name = "o" + std::to_string(i) + ".txt";
            EXPECT_TRUE(exists(outside.path(name))) << name;
            EXPECT_FALSE(inTrash(QString::fromStdString(name))) << name;
        }
    }
    // Puts a link to outside where relative was, the real folder moved aside.
    void swapForLink(const std::string& relative, const std::string& target) {
        ASSERT_EQ(::rename(tree.path(relative).c_str(), tree.path(relative + "-moved").c_str()), 0);
        tree.symlink(relative, target);
    }
};

} // namespace

TEST_F(SwappedTree, AFolderSwappedForALinkWhileAQuestionIsOpenLeadsNowhere) {
    fillOutside(17);
    for (const std::string victim : {"victim-deleted", "victim-recycled"}) {
        const bool recycle = victim == "victim-recycled";
        SCOPED_TRACE(victim);
        tree.file(victim + "/sub/.hidden", 1);
        tree.file(victim + "/sub/plain.txt", 2);
        messages.scriptAnswers({MessageAnswer::Yes});
        messages.whileAsking([&](const QString&) { swapForLink(victim + "/sub", outside.root()); });
        const FolderDeleteResult r = deleteFolderTree(listed(tree.path(victim)), recycle);
        messages.whileAsking(nullptr);
        expectOutsideWhole(17);
        // What was listed went, from where it had been moved to; the link itself stays.
        EXPECT_EQ(r.files, 2);
        EXPECT_FALSE(exists(tree.path(victim + "/sub-moved/plain.txt")));
        EXPECT_TRUE(exists(tree.path(victim + "/sub")));
    }
}

TEST_F(SwappedTree, AGrandparentSwappedBeforeAFolderDeleteIsRefused) {
    fillOutside(3);
    outside.file("b/target/inner.txt", 4);
    tree.file("victim/a/b/target/mine.txt", 4);
    const ListedEntry target = listed(tree.path("victim/a/b/target"));

    // For a link...
    swapForLink("victim/a", outside.root());
    FolderDeleteResult r = deleteFolderTree(target, true);
    EXPECT_EQ(r.error, ESTALE);
    EXPECT_EQ(r.files, 0);
    EXPECT_TRUE(exists(outside.path("b/target/inner.txt")));

    // ...and for a real folder moved into its place.
    ::unlink(tree.path("victim/a").c_str());
    tree.folder("victim/a");
    ASSERT_EQ(::rename(outside.path("b").c_str(), tree.path("victim/a/b").c_str()), 0);
    r = deleteFolderTree(target, false);
    EXPECT_EQ(r.error, ESTALE);
    EXPECT_TRUE(exists(tree.path("victim/a/b/target/inner.txt")));
    EXPECT_TRUE(exists(tree.path("victim/a-moved/b/target/mine.txt")));
    expectOutsideWhole(3);
}

TEST_F(SwappedTree, AMarkedFileSwappedBetweenScanAndDeleteIsLeftAloneAndReported) {
    outside.file("x.bin", 300 * 1024, 'o');
    tree.file("scan/d/x.bin", 300 * 1024);
    tree.file("scan/e/x.bin", 300 * 1024);
    tree.file("scan/f/same-name.bin", 300 * 1024);
    tree.file("scan/g/same-name.bin", 300 * 1024);
    DupScanEngine engine;
    engine.begin(DupScanCriteria{});
    ASSERT_TRUE(engine.scanDrive(tree.path("scan")));
    engine.finish(false);
    ASSERT_EQ(engine.resultCount(), 4u);
    auto resultOf = [&](const std::string& path) {
        for (std::size_t i = 0; i < engine.resultCount(); ++i)
            if (engine.resultPath(i) == path)
                return i;
        ADD_FAILURE() << path;
        return std::size_t(0);
    };
    const std::size_t inD = resultOf(tree.path("scan/d/x.bin"));
    const std::size_t inF = resultOf(tree.path("scan/f/same-name.bin"));
    const std::size_t inG = resultOf(tree.path("scan/g/same-name.bin"));

    // The folder becomes a link to a file of the same name elsewhere.
    swapForLink("scan/d", outside.root());
    // Another file renamed over the listed one, and the listed one rewritten in place.
    ::rename(tree.file("scan/f/other.bin", 300 * 1024).c_str(), tree.path("scan/f/same-name.bin").c_str());
    tree.file("scan/g/same-name.bin", 300 * 1024 + 1);

    for (std::size_t index : {inD, inF, inG}) {
        EXPECT_EQ(DeleteListedFile(engine.resultEntry(index)), ESTALE) << engine.resultPath(index);
        EXPECT_EQ(TrashListedFile(engine.resultEntry(index)).error, ESTALE) << engine.resultPath(index);
    }
    EXPECT_TRUE(exists(outside.path("x.bin")));
    EXPECT_TRUE(exists(tree.path("scan/f/same-name.bin")));
    EXPECT_TRUE(exists(tree.path("scan/g/same-name.bin")));

    // The confirmation window reports each one on its own and counts none of them.
    TfrmReallyDelete w(nullptr);
    w.setFileList({engine.resultEntry(inD), engine.resultEntry(resultOf(tree.path("scan/e/x.bin")))});
    w.show();
    messages.scriptAnswers({MessageAnswer::Yes});
    QTest::mouseClick(w.findChild<QPushButton*>("btDelete"), Qt::LeftButton);
    EXPECT_TRUE(messages.saw("Couldn't delete file - " + QString::fromStdString(tree.path("scan/d/x.bin")) +
                             "\nit changed after it was listed"));
    EXPECT_TRUE(exists(outside.path("x.bin")));
    EXPECT_FALSE(exists(tree.path("scan/e/x.bin")));
    EXPECT_EQ(DeletionTotals::read().filesDeleted, 1);
}

TEST_F(SwappedTree, AChosenFolderThatIsAMountPointIsNeverEmptied) {
    fillOutside(4);
    tree.file("bound/.keep", 0);
    tree.file("ram/.keep", 0);
    ScopedMount bind(outside.root().c_str(), tree.path("bound"), nullptr, MS_BIND);
    ScopedMount ram("none", tree.path("ram"), "tmpfs", 0);
    if (!bind.mounted || !ram.mounted)
        GTEST_SKIP() << "cannot mount here";
    tree.file("ram/inside.txt", 3);
    for (const char* folder : {"bound", "ram"}) {
        for (bool recycle : {false, true}) {
            const FolderDeleteResult r = deleteFolderTree(listed(tree.path(folder)), recycle);
            EXPECT_EQ(r.error, EXDEV) << folder;
            EXPECT_EQ(r.files, 0) << folder;
        }
    }
    expectOutsideWhole(4);
    EXPECT_TRUE(exists(tree.path("ram/inside.txt")));
}

TEST_F(SwappedTree, YesToReadOnlyRemovesTheNameAndLeavesAHardLinkedFileAsItWas) {
    const std::string kept = outside.file("ro.txt", 6);
    outside.setMode("ro.txt", 0444);
    tree.folder("victim");
    ASSERT_EQ(::link(kept.c_str(), tree.path("victim/hl.txt").c_str()), 0);
    messages.scriptAnswers({MessageAnswer::Yes});
    const FolderDeleteResult r = deleteFolderTree(listed(tree.path("victim")), false);
    EXPECT_EQ(r.files, 1);
    EXPECT_FALSE(exists(tree.path("victim")));
    struct stat st {};
    ASSERT_EQ(::stat(kept.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
    EXPECT_EQ(st.st_nlink, 1u);
}

TEST_F(SwappedTree, DriveRootsAndSystemFoldersAreRefusedWhateverTheWay) {
    tree.file("drive/WINDOWS/w.txt", 1);
    tree.file("drive/other/o.txt", 1);
    tree.symlink("drive-link", tree.path("drive"));
    const QByteArray old = qgetenv("VANTOREL_DRIVES");
    qputenv("VANTOREL_DRIVES", QByteArray::fromStdString("C=/;D=" + tree.path("drive")));
    EXPECT_EQ(deleteFolderTree(listed(tree.path("drive")), false).error, EPERM);
    EXPECT_EQ(deleteFolderTree(listed(tree.path("drive-link") + "/WINDOWS"), false).error, EPERM);
    EXPECT_TRUE(exists(tree.path("drive/WINDOWS/w.txt")));
    EXPECT_EQ(deleteFolderTree(listed(tree.path("drive/other")), false).error, 0);
    EXPECT_FALSE(exists(tree.path("drive/other")));
    qputenv("VANTOREL_DRIVES", old);

    // The system's own folders are only looked at, never aimed at.
    struct stat root {}, etc {};
    ASSERT_EQ(::stat("/", &root), 0);
    ASSERT_EQ(::stat("/etc", &etc), 0);
    EXPECT_EQ(ProtectionOf({etc.st_dev, etc.st_ino}, {root.st_dev, root.st_ino}, "etc"), FolderProtection::SystemFolder);
    EXPECT_EQ(ProtectionOf({root.st_dev, root.st_ino}, {root.st_dev, root.st_ino}, ""), FolderProtection::DriveRoot);
}
