// SPDX-License-Identifier: GPL-3.0-or-later
// A name that another program swaps while a delete runs: only the object that was listed may go,
// and no byte of anything else. Each race is built once at an exact moment (the removal's test hook)
// and once as a stress run with a thread exchanging names the whole time.
#include "delete/AsideRemoval.h"
#include "DeleteTestSupport.h"
#include "delete/FolderTreeDelete.h"
#include "delete/ListedFileRemoval.h"
#include "support/RecordingMessageService.h"
#include "support/RewriteKeepingTime.h"
#include "support/TempTree.h"

#include <atomic>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <thread>

namespace {

std::string contentOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

ino_t inodeOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

bool swapNames(const std::string& a, const std::string& b) {
    return ::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0;
}

// Installs a step hook for the test's lifetime.
class ScopedStepHook {
public:
    explicit ScopedStepHook(AsideStepHook hook) { SetAsideStepHook(std::move(hook)); }
    ~ScopedStepHook() { SetAsideStepHook({}); }
};

class AsideRemovalTest : public ::testing::Test {
protected:
    TempTree tree;
    RecordingMessageService messages;

    // Where an object of that inode is now in the folders given, "" when nowhere.
    std::string find(ino_t inode, std::initializer_list<std::string> folders) {
        for (const std::string& folder : folders) {
            DIR* dir = ::opendir(folder.c_str());
            if (!dir)
                continue;
            std::string found;
            while (dirent* d = ::readdir(dir)) {
                const std::string path = folder + "/" + d->d_name;
                if (d->d_name[0] != '.' || d->d_name[1] == 'v') // ".vantorel-..." is a name left aside
                    if (inodeOf(path) == inode)
                        found = path;
            }
            ::closedir(dir);
            if (!found.empty())
                return found;
        }
        return {};
    }
};

} // namespace

TEST_F(AsideRemovalTest, ASwapBeforeTheMoveIsMovedBackAndLeftAlone) {
    const std::string victim = tree.file("a/victim.txt", 6, 'v');
    const std::string outside = tree.file("b/outside.txt", 7, 'o');
    const ListedEntry listed = ::listed(victim);
    for (bool permanent : {true, false}) {
        SCOPED_TRACE(permanent);
        bool swapped = false;
        ScopedStepHook hook([&](AsideStep step, const FolderHandle&, const std::string&, const std::string&) {
            if (step == AsideStep::BeforeMove && !swapped)
                swapped = swapNames(victim, outside);
        });
        // The trash checks on its own after its move; a permanent delete after moving aside.
        const RemovalOutcome outcome = permanent ? RemoveListedFile(listed, false) : [&] {
            swapped = swapNames(victim, outside);
            return RemoveListedFile(listed, true);
        }();
        EXPECT_TRUE(swapped);
        EXPECT_EQ(outcome.error, ESTALE);
        EXPECT_EQ(outcome.reason, "it changed after it was listed");
        // Both objects are whole, each where the swap put it.
        EXPECT_EQ(contentOf(victim), std::string(7, 'o'));
        EXPECT_EQ(contentOf(outside), std::string(6, 'v'));
        ASSERT_TRUE(swapNames(victim, outside)); // as it was, for the next mode
    }
}

TEST_F(AsideRemovalTest, ASwapBetweenTheCheckAndTheRemovalCannotReachIt) {
    const std::string outside = tree.file("b/outside.txt", 7, 'o');
    std::string swapAt;
    ScopedStepHook hook([&](AsideStep step, const FolderHandle&, const std::string&, const std::string&) {
        if (step == AsideStep::Checked)
            swapNames(swapAt, outside); // the listed name is no longer there to swap
    });
    // A marked file...
    swapAt = tree.file("a/victim.txt", 6, 'v');
    EXPECT_EQ(DeleteListedFile(listed(swapAt)), 0);
    // ...and a file of a folder delete.
    swapAt = tree.file("a/tree/victim.txt", 6, 'v');
    EXPECT_EQ(deleteFolderTree(listed(tree.path("a/tree")), false).files, 1);
    EXPECT_EQ(contentOf(outside), std::string(7, 'o'));
    EXPECT_FALSE(exists(tree.path("a/victim.txt")));
    EXPECT_FALSE(exists(tree.path("a/tree")));
}

TEST_F(AsideRemovalTest, ANameTakenAgainAfterTheMoveKeepsTheNewcomer) {
    const std::string victim = tree.file("a/victim.txt", 6, 'v');
    const ListedEntry listed = ::listed(victim);
    ScopedStepHook hook([&](AsideStep step, const FolderHandle&, const std::string&, const std::string&) {
        if (step == AsideStep::Moved)
            tree.file("a/victim.txt", 3, 'n');
    });
    EXPECT_EQ(DeleteListedFile(listed), 0);
    EXPECT_EQ(contentOf(victim), "nnn");
    EXPECT_EQ(find(listed.identity.inode, {tree.path("a")}), "");
}

TEST_F(AsideRemovalTest, AnImpostorWhoseNameIsTakenStaysUnderItsFreshNameAndIsNamed) {
    const std::string victim = tree.file("a/victim.txt", 6, 'v');
    const std::string outside = tree.file("b/outside.txt", 7, 'o');
    const ino_t outsideInode = inodeOf(outside);
    const ListedEntry listed = ::listed(victim);
    std::string fresh;
    ScopedStepHook hook(
        [&](AsideStep step, const FolderHandle&, const std::string&, const std::string& name) {
            if (step == AsideStep::BeforeMove)
                swapNames(victim, outside);
            if (step == AsideStep::Moved) {
                fresh = name;
                tree.file("a/victim.txt", 3, 'n');
            }
        });
    const RemovalOutcome outcome = RemoveListedFile(listed, false);
    EXPECT_EQ(outcome.error, ESTALE);
    ASSERT_FALSE(fresh.empty());
    EXPECT_EQ(outcome.reason, "it changed after it was listed; what took its place is now called " +
                                  QString::fromStdString(fresh) + " (its name was taken again meanwhile)");
    EXPECT_EQ(inodeOf(tree.path("a/" + fresh)), outsideInode);
    EXPECT_EQ(contentOf(tree.path("a/" + fresh)), std::string(7, 'o'));
    EXPECT_EQ(contentOf(victim), "nnn");
    EXPECT_EQ(contentOf(outside), std::string(6, 'v'));
}

TEST_F(AsideRemovalTest, AnEmptyFolderSwappedForAnotherStays) {
    tree.folder("a/empty");
    tree.folder("b/theirs");
    const ListedEntry listed = ::listed(tree.path("a/empty"));
    ScopedStepHook hook([&](AsideStep step, const FolderHandle&, const std::string&, const std::string&) {
        if (step == AsideStep::BeforeMove)
            swapNames(tree.path("a/empty"), tree.path("b/theirs"));
    });
    EXPECT_EQ(RemoveListedEmptyFolder(listed), ESTALE);
    EXPECT_TRUE(exists(tree.path("a/empty")));
    EXPECT_TRUE(exists(tree.path("b/theirs")));
    EXPECT_EQ(inodeOf(tree.path("b/theirs")), listed.identity.inode);
}

TEST_F(AsideRemovalTest, TheFolderDeleteRemovesOnlyWhatItLookedAt) {
    tree.file("a/tree/sub/victim.txt", 6, 'v');
    tree.folder("a/tree/sub/empty");
    const std::string outside = tree.file("b/outside.txt", 7, 'o');
    tree.folder("b/theirs");
    bool swappedFile = false, swappedFolder = false;
    ScopedStepHook hook(
        [&](AsideStep step, const FolderHandle&, const std::string& name, const std::string&) {
            if (step != AsideStep::BeforeMove)
                return;
            if (name == "victim.txt" && !swappedFile)
                swappedFile = swapNames(tree.path("a/tree/sub/victim.txt"), outside);
            if (name == "empty" && !swappedFolder)
                swappedFolder = swapNames(tree.path("a/tree/sub/empty"), tree.path("b/theirs"));
        });
    const FolderDeleteResult r = deleteFolderTree(listed(tree.path("a/tree")), false);
    EXPECT_TRUE(swappedFile && swappedFolder);
    EXPECT_EQ(contentOf(tree.path("a/tree/sub/victim.txt")), std::string(7, 'o'));
    EXPECT_TRUE(exists(tree.path("a/tree/sub/empty")));
    EXPECT_EQ(r.files, 0);
    EXPECT_EQ(r.filesLeft, 1);
    EXPECT_EQ(r.foldersLeft, 1);
    ASSERT_EQ(r.left.kept().size(), 2u);
    for (const FilesLeft::Item& item : r.left.kept())
        EXPECT_EQ(item.reason, "it changed after it was listed") << item.path;
    EXPECT_TRUE(FilesLeftNote(r, false).startsWith(
        "1 file could not be deleted and stayed where it was. 1 folder could not be emptied or removed and "
        "stayed with what is in it.\n\nThe first one:\n"));
}

TEST_F(AsideRemovalTest, ARewriteWithinTheSameSecondIsNotTheListedFile) {
    const std::string path = tree.file("a/same-size.txt", 6, 'v');
    struct timespec times[2] = {{1600000000, 100}, {1600000000, 100}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    const ListedEntry listed = ::listed(path);
    times[1].tv_nsec = 101; // one nanosecond later, same size, same packed time
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    EXPECT_EQ(DeleteListedFile(listed), ESTALE);
    EXPECT_EQ(TrashListedFile(listed).error, ESTALE);
    EXPECT_FALSE(ListedFileSizeNow(listed).has_value());
    EXPECT_TRUE(exists(path));
    EXPECT_EQ(DeleteListedFile(::listed(path)), 0);
}

TEST_F(AsideRemovalTest, AByteChangedWithItsTimeSetBackIsNotTheListedFile) {
    // As touch -d does after a rewrite: size and modification time as listed, only the change time
    // (which no call sets back) tells.
    const std::string path = tree.file("a/rewritten.txt", 6, 'v');
    struct timespec times[2] = {{1600000000, 100}, {1600000000, 100}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    const ListedEntry listed = ::listed(path);
    ASSERT_TRUE(RewriteKeepingTime(path, 'w'));
    EXPECT_EQ(DeleteListedFile(listed), ESTALE);
    EXPECT_EQ(TrashListedFile(listed).error, ESTALE);
    EXPECT_FALSE(ListedFileSizeNow(listed).has_value());
    EXPECT_EQ(contentOf(path), "wvvvvv");
    // The rename of our own move sets the change time: after it only the rest is compared.
    EXPECT_EQ(DeleteListedFile(::listed(path)), 0);
}

// A thread exchanges the listed name with an outside file for the whole of each round.
class SwapStress : public AsideRemovalTest {
protected:
    // remove gets the listed file (or, for a folder delete, its folder) and says whether it went.
    template <typename Remove> void stress(int rounds, bool wholeFolder, Remove remove) {
        int raced = 0;
        for (int round = 0; round < rounds; ++round) {
            const std::string victim = tree.file("a/victim", 6, 'v');
            const std::string outside = tree.file("b/outside", 7, 'o');
            ::chmod(outside.c_str(), 0444); // a folder delete asks about it, and is told No
            const ino_t victimInode = inodeOf(victim), outsideInode = inodeOf(outside);
            const ListedEntry listed = ::listed(wholeFolder ? tree.path("a") : victim);
            std::atomic<bool> stop{false};
            std::atomic<int> swaps{0};
            std::thread attacker([&] {
                while (!stop.load(std::memory_order_relaxed))
                    if (swapNames(victim, outside))
                        swaps.fetch_add(1, std::memory_order_relaxed);
            });
            while (swaps.load() == 0) // the race is on before the removal starts
                std::this_thread::yield();
            const bool reportedGone = remove(listed);
            stop = true;
            attacker.join();
            raced += swaps.load() > 1;

            const std::string outsideNow = find(outsideInode, {tree.path("a"), tree.path("b")});
            ASSERT_FALSE(outsideNow.empty()) << "round " << round << ": the outside file was removed";
            ASSERT_EQ(contentOf(outsideNow), std::string(7, 'o')) << "round " << round;
            const std::string victimNow = find(victimInode, {tree.path("a"), tree.path("b")});
            ASSERT_EQ(reportedGone, victimNow.empty()) << "round " << round << ": " << victimNow;
            // Back to a clean start.
            for (const std::string& left : {outsideNow, victimNow})
                if (!left.empty())
                    ::unlink(left.c_str());
            std::filesystem::remove_all(trashFolder().toStdString());
            messages.clear();
        }
        EXPECT_GT(raced, rounds / 2) << "the attacker hardly ever got in";
    }
};

TEST_F(SwapStress, PermanentDelete) {
    stress(400, false, [](const ListedEntry& file) { return DeleteListedFile(file) == 0; });
}

TEST_F(SwapStress, Trash) {
    stress(100, false, [](const ListedEntry& file) { return TrashListedFile(file).ok(); });
}

TEST_F(SwapStress, FolderDelete) {
    stress(200, true, [](const ListedEntry& folder) { return deleteFolderTree(folder, false).files == 1; });
}
