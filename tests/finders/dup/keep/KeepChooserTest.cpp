// SPDX-License-Identifier: GPL-3.0-or-later
#include "finders/dup/keep/KeepChooser.h"
#include "finders/dup/DupContentCheck.h"
#include "finders/dup/DupScanEngine.h"
#include "finders/dup/keep/CopyRemoval.h"
#include "finders/dup/keep/ReferenceFolders.h"
#include "journal/DeleteJournal.h"
#include "journal/JournalUndo.h"
#include "platform/Trash.h"
#include "support/RecordingMessageService.h"
#include "support/RewriteKeepingTime.h"
#include "support/TempTree.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A scanned tree of identical files and what the keep rules make of it.
class Keep : public ::testing::Test {
protected:
    TempTree t;
    RecordingMessageService messages;
    DupScanEngine engine;
    std::unique_ptr<DupContentCheck> check;
    std::unique_ptr<KeepChooser> chooser;
    ReferenceFolders references;

    void put(const std::string& relative, const std::string& bytes, std::time_t written = 0) {
        t.folder(relative.substr(0, relative.rfind('/')));
        std::ofstream(t.path(relative), std::ios::binary) << bytes;
        if (written)
            t.setTimes(relative, written, written);
    }
    void link(const std::string& from, const std::string& to) {
        t.folder(to.substr(0, to.rfind('/')));
        ASSERT_EQ(::link(t.path(from).c_str(), t.path(to).c_str()), 0);
    }
    // The scan and its content check, then (unless look is false) what the rules read.
    void scan(bool look = true) {
        DupScanCriteria c;
        c.limit1K = 0;
        engine.begin(c);
        engine.scanDrive(t.root());
        engine.finish(false);
        check = std::make_unique<DupContentCheck>(engine);
        check->run();
        chooser = std::make_unique<KeepChooser>(engine, *check);
        if (look)
            chooser->look(&references);
    }
    std::string rel(std::uint32_t result) const {
        return engine.resultPath(result).substr(t.root().size() + 1);
    }
    std::vector<std::string> rels(const std::vector<std::uint32_t>& results) const {
        std::vector<std::string> out;
        for (std::uint32_t r : results)
            out.push_back(rel(r));
        std::sort(out.begin(), out.end());
        return out;
    }
    // The one group whose files have the name.
    const KeepGroupChoice& group(const KeepChoice& choice, const std::string& name) const {
        for (const KeepGroupChoice& g : choice.groups)
            if (!g.kept.empty() && engine.resultPath(g.kept.front()).ends_with("/" + name))
                return g;
        static const KeepGroupChoice none;
        ADD_FAILURE() << "no group of " << name;
        return none;
    }
    using Paths = std::vector<std::string>;
    void rewriteKeepingTime(const std::string& relative, char byte) {
        ASSERT_TRUE(RewriteKeepingTime(t.path(relative), byte));
    }
    bool exists(const std::string& relative) const { return ::access(t.path(relative).c_str(), F_OK) == 0; }
};

} // namespace

TEST_F(Keep, EachRuleKeepsItsFileAndMarksTheOthers) {
    put("a/photo.jpg", "the same bytes", 1'600'000'000);
    put("bb/photo.jpg", "the same bytes", 1'500'000'000);         // oldest
    put("ccc/deeper/photo.jpg", "the same bytes", 1'700'000'000); // newest
    put("a/other.txt", "not the same");
    put("bb/other.txt", "not the sam3");
    scan();
    ASSERT_EQ(check->groupCount(), 1u);

    const KeepChoice oldest = chooser->choose(KeepRule::Oldest);
    ASSERT_EQ(oldest.groups.size(), 1u);
    EXPECT_EQ(rels(oldest.groups[0].kept), Paths{"bb/photo.jpg"});
    EXPECT_EQ(rels(oldest.groups[0].marked), (Paths{"a/photo.jpg", "ccc/deeper/photo.jpg"}));
    EXPECT_FALSE(oldest.groups[0].tieByPath);
    EXPECT_EQ(oldest.markedFiles, 2);
    EXPECT_EQ(oldest.markedBytes, 2 * 14);

    EXPECT_EQ(rels(chooser->choose(KeepRule::Newest).groups[0].kept), Paths{"ccc/deeper/photo.jpg"});
    EXPECT_EQ(rels(chooser->choose(KeepRule::Shortest).groups[0].kept), Paths{"a/photo.jpg"});
    // First: the first in the list's order, whatever its times.
    const KeepChoice first = chooser->choose(KeepRule::First);
    EXPECT_EQ(first.groups[0].kept.front(), check->members(1).front());
    EXPECT_EQ(first.ties, 0);
}

TEST_F(Keep, EqualTimesEverywhereFallToThePathInByteOrderAndAreReported) {
    // Names of one file share every time: only the path can choose.
    put("b/same.bin", "one file, three names", 1'500'000'000);
    link("b/same.bin", "a/same.bin");
    link("b/same.bin", "\xc3\xa9/same.bin"); // a byte above 0x7f sorts after every ASCII byte
    scan();
    for (KeepRule rule : {KeepRule::Oldest, KeepRule::Newest, KeepRule::Shortest}) {
        const KeepChoice choice = chooser->choose(rule);
        ASSERT_EQ(choice.groups.size(), 1u);
        EXPECT_EQ(rels(choice.groups[0].kept), Paths{"a/same.bin"}) << KeepRuleKey(rule);
        EXPECT_TRUE(choice.groups[0].tieByPath) << KeepRuleKey(rule);
        EXPECT_EQ(choice.ties, 1);
    }
    EXPECT_FALSE(chooser->choose(KeepRule::First).groups[0].tieByPath);
    // Removing one name of a file that keeps another frees nothing, and the count says so.
    const FreedSpace space = chooser->freedSpace(chooser->choose(KeepRule::Oldest));
    EXPECT_EQ(space.freedBytes, 0);
    EXPECT_EQ(space.linkedFiles, 2);
    EXPECT_GT(space.linkedBytes, 0);
}

TEST_F(Keep, ReferenceFoldersKeepTheirFilesWhateverTheRule) {
    put("master/album/one.jpg", "first picture", 1'700'000'000);
    put("copies/one.jpg", "first picture", 1'500'000'000); // older, yet not kept
    put("copies/old/one.jpg", "first picture", 1'400'000'000);
    put("master/two.jpg", "second picture");
    put("master/more/two.jpg", "second picture"); // every file of the group is a reference
    put("loose/three.jpg", "third picture", 1'500'000'000);
    put("copies/three.jpg", "third picture", 1'600'000'000);
    t.symlink("masterlink", "master");
    // Named through a link: the folder it leads to now is the reference, later swaps aside.
    ASSERT_EQ(references.add(t.path("masterlink")), 0);
    ASSERT_EQ(references.add(t.path("master")), 0); // the same folder again
    EXPECT_EQ(references.folders().size(), 1u);
    EXPECT_EQ(references.add(t.path("missing")), ENOENT);
    EXPECT_EQ(references.add(t.path("loose/three.jpg")), ENOTDIR);
    ASSERT_EQ(::rename(t.path("masterlink").c_str(), t.path("gone").c_str()), 0);
    scan();
    EXPECT_TRUE(references.liesWithin(0, chooser->roots()));
    TempTree elsewhere;
    ReferenceFolders outside;
    ASSERT_EQ(outside.add(elsewhere.root()), 0);
    EXPECT_FALSE(outside.liesWithin(0, chooser->roots()));

    const KeepChoice choice = chooser->choose(KeepRule::Oldest);
    const KeepGroupChoice& one = group(choice, "album/one.jpg");
    EXPECT_EQ(rels(one.marked), (Paths{"copies/old/one.jpg", "copies/one.jpg"}));
    const KeepGroupChoice& two = group(choice, "two.jpg");
    EXPECT_EQ(rels(two.kept), (Paths{"master/more/two.jpg", "master/two.jpg"}));
    EXPECT_TRUE(two.marked.empty());
    const KeepGroupChoice& three = group(choice, "loose/three.jpg"); // no reference: the rule
    EXPECT_EQ(rels(three.marked), Paths{"copies/three.jpg"});
    EXPECT_EQ(choice.markedFiles, 3);
}

TEST_F(Keep, AFileChangedSinceTheCheckIsLeftAndTheRemovalChecksAgain) {
    put("a/doc.txt", "identical text", 1'500'000'000);
    put("b/doc.txt", "identical text", 1'600'000'000);
    put("c/doc.txt", "identical text", 1'700'000'000);
    put("a/pair.txt", "a pair of twins");
    put("b/pair.txt", "a pair of twins");
    scan(false);
    // Rewritten after the check, same size: it may differ now.
    put("b/doc.txt", "IDENTICAL TEXT", 1'650'000'000);
    ASSERT_EQ(::unlink(t.path("b/pair.txt").c_str()), 0);
    chooser->look(nullptr);
    const KeepChoice choice = chooser->choose(KeepRule::Oldest);
    const KeepGroupChoice& doc = group(choice, "a/doc.txt");
    EXPECT_EQ(rels(doc.left), Paths{"b/doc.txt"});
    EXPECT_EQ(chooser->leftReason(doc.left.front()), ESTALE);
    EXPECT_EQ(rels(doc.marked), Paths{"c/doc.txt"});
    // The last twin of a pair is never marked when the other is gone.
    const KeepGroupChoice& pair = group(choice, "a/pair.txt");
    EXPECT_TRUE(pair.marked.empty());
    EXPECT_EQ(chooser->leftReason(pair.left.front()), ENOENT);
    EXPECT_EQ(choice.leftFiles, 2);

    // Touched after the rule read its time: the removal leaves it and says why.
    t.setTimes("c/doc.txt", 1'750'000'000, 1'750'000'000);
    CopyRemoval removal(*chooser, false);
    std::vector<int> errors;
    removal.removeGroup(
        doc, [&](std::uint32_t, const RemovalOutcome& outcome) { errors.push_back(outcome.error); });
    removal.end(false);
    EXPECT_EQ(errors, std::vector<int>{ESTALE});
    EXPECT_EQ(removal.stayedFiles(), 1);
    EXPECT_EQ(::access(t.path("c/doc.txt").c_str(), F_OK), 0);
}

TEST_F(Keep, AThousandCopiesTrashedThenStoppedAndUndone) {
    const std::string body(3000, 'k');
    for (int i = 0; i < 1000; ++i)
        put("many/" + std::to_string(i) + "/same.dat", body, 1'500'000'000 + 1000 - i);
    scan();
    const KeepChoice choice = chooser->choose(KeepRule::Oldest);
    ASSERT_EQ(choice.groups.size(), 1u);
    EXPECT_EQ(choice.markedFiles, 999);
    EXPECT_EQ(rels(choice.groups[0].kept), Paths{"many/999/same.dat"});

    // Stopped after 400 files, as a signal stops the command line between files.
    KeepGroupChoice part = choice.groups[0];
    part.marked.resize(400);
    CopyRemoval removal(*chooser, true);
    removal.removeGroup(part, {});
    removal.skip(std::int64_t(choice.groups[0].marked.size()) - 400);
    removal.end(true);
    EXPECT_EQ(removal.removedFiles(), 400);
    EXPECT_EQ(removal.notAttempted(), 599);
    ASSERT_GT(removal.journalRun(), 0);
    const UndoReport undo = UndoRun(removal.journalRun());
    EXPECT_TRUE(undo.allBack()) << undo.left.count();
    EXPECT_EQ(undo.restored, 400);
    for (std::uint32_t r : choice.groups[0].marked)
        EXPECT_EQ(::access(engine.resultPath(r).c_str(), F_OK), 0) << rel(r);
}

TEST_F(Keep, TheKeptFileRewrittenDuringTheRemovalStopsItsGroup) {
    for (bool recycle : {false, true}) {
        SCOPED_TRACE(recycle);
        for (int i = 0; i < 20; ++i)
            put("copies/" + std::to_string(i) + "/same.dat", "the group's contents", 1'500'000'000 + i);
        put("other/x/a.txt", "another group", 1'500'000'000);
        put("other/y/a.txt", "another group", 1'600'000'000);
        scan();
        const KeepChoice choice = chooser->choose(KeepRule::Oldest);
        const KeepGroupChoice& copies = group(choice, "copies/0/same.dat");
        ASSERT_EQ(copies.marked.size(), 19u);
        // After the first copy went, the kept one is rewritten and its time set back.
        CopyRemoval removal(*chooser, recycle);
        std::vector<QString> reasons;
        removal.removeGroup(copies, [&](std::uint32_t, const RemovalOutcome& outcome) {
            if (reasons.empty())
                rewriteKeepingTime("copies/0/same.dat", 'T');
            reasons.push_back(outcome.reason);
        });
        removal.removeGroup(group(choice, "other/x/a.txt"), {});
        removal.end(false);
        ASSERT_EQ(reasons.size(), 19u);
        EXPECT_TRUE(reasons[0].isEmpty());
        EXPECT_EQ(removal.removedFiles(), 2); // the first copy, and the other group's
        EXPECT_EQ(removal.stayedFiles(), 18);
        EXPECT_EQ(reasons[1],
                  "the copy to be kept, " + QString::fromStdString(t.path("copies/0/same.dat")) +
                      ", changed since the contents were compared; nothing more of its group was removed");
        for (int i = 2; i < 20; ++i)
            EXPECT_TRUE(exists("copies/" + std::to_string(i) + "/same.dat")) << i;
        EXPECT_FALSE(exists("other/y/a.txt"));
        std::filesystem::remove_all(t.path("copies"));
        std::filesystem::remove_all(t.path("other"));
    }
}

TEST_F(Keep, AByteChangedWithItsTimeSetBackIsNeverTakenForTheFileCompared) {
    put("a/doc.txt", "identical text", 1'500'000'000);
    put("b/doc.txt", "identical text", 1'600'000'000);
    put("c/doc.txt", "identical text", 1'700'000'000);
    put("d/doc.txt", "identical text", 1'800'000'000);
    scan(false);
    // Changed after the compare read it, before the rule looks: left.
    rewriteKeepingTime("b/doc.txt", 'I');
    chooser->look(nullptr);
    const KeepChoice choice = chooser->choose(KeepRule::Oldest);
    const KeepGroupChoice& doc = group(choice, "a/doc.txt");
    EXPECT_EQ(rels(doc.left), Paths{"b/doc.txt"});
    EXPECT_EQ(chooser->leftReason(doc.left.front()), ESTALE);
    ASSERT_EQ(rels(doc.marked), (Paths{"c/doc.txt", "d/doc.txt"}));
    // Changed after the rule looked: the removal leaves it, for good or to the trash.
    rewriteKeepingTime("c/doc.txt", 'I');
    rewriteKeepingTime("d/doc.txt", 'I');
    for (bool recycle : {false, true}) {
        CopyRemoval removal(*chooser, recycle);
        std::vector<int> errors;
        removal.removeGroup(
            doc, [&](std::uint32_t, const RemovalOutcome& outcome) { errors.push_back(outcome.error); });
        removal.end(false);
        EXPECT_EQ(errors, (std::vector<int>{ESTALE, ESTALE}));
    }
    EXPECT_TRUE(exists("b/doc.txt") && exists("c/doc.txt") && exists("d/doc.txt"));
}

TEST_F(Keep, OtherNamesOfAFileThisRunRemovedAreStillTheFilesCompared) {
    // The kept file has a second name among the copies, and two copies are names of one file:
    // removing one name sets the change time the others show, which is no change of theirs.
    put("a/pic.jpg", "picture bytes", 1'500'000'000);
    link("a/pic.jpg", "b/pic.jpg");
    put("c/pic.jpg", "picture bytes", 1'600'000'000);
    link("c/pic.jpg", "d/pic.jpg");
    link("c/pic.jpg", "e/pic.jpg");
    for (bool recycle : {false, true}) {
        SCOPED_TRACE(recycle);
        scan();
        const KeepChoice choice = chooser->choose(KeepRule::First);
        const KeepGroupChoice& pics = group(choice, "a/pic.jpg");
        ASSERT_EQ(pics.marked.size(), 4u);
        CopyRemoval removal(*chooser, recycle);
        std::vector<QString> reasons;
        removal.removeGroup(
            pics, [&](std::uint32_t, const RemovalOutcome& outcome) { reasons.push_back(outcome.reason); });
        removal.end(false);
        EXPECT_EQ(removal.removedFiles(), 4) << reasons.back().toStdString();
        EXPECT_TRUE(exists("a/pic.jpg"));
        if (!recycle) {
            link("a/pic.jpg", "b/pic.jpg");
            put("c/pic.jpg", "picture bytes", 1'600'000'000);
            link("c/pic.jpg", "d/pic.jpg");
            link("c/pic.jpg", "e/pic.jpg");
        }
    }
}

TEST_F(Keep, ATrashRunStopsWhenItsJournalCanNoLongerBeWritten) {
    for (int i = 0; i < 5; ++i)
        put("copies/" + std::to_string(i) + "/same.dat", "the group's contents", 1'500'000'000 + i);
    scan();
    const KeepChoice choice = chooser->choose(KeepRule::Oldest);
    ASSERT_EQ(choice.markedFiles, 4);
    CopyRemoval removal(*chooser, true);
    ASSERT_TRUE(removal.openJournal());
    ASSERT_GT(removal.journalRun(), 0);
    // After the first file, another program holds the run's file locked for longer than a run waits.
    int held = -1;
    removal.removeGroup(choice.groups[0], [&](std::uint32_t, const RemovalOutcome&) {
        if (held >= 0)
            return;
        held = ::open(
            (DeleteJournal::folderPath() + "/" + std::to_string(removal.journalRun()) + ".run").c_str(),
            O_RDWR | O_CLOEXEC);
        ASSERT_EQ(::flock(held, LOCK_EX), 0);
    });
    removal.end(false);
    ::close(held);
    EXPECT_TRUE(removal.journalLost());
    EXPECT_TRUE(removal.journalStopReason().contains("The run was stopped there"));
    EXPECT_EQ(removal.removedFiles(), 2); // the second went before its record failed
    EXPECT_EQ(removal.notAttempted(), 2);
    EXPECT_TRUE(exists("copies/3/same.dat") && exists("copies/4/same.dat"));
}
