// SPDX-License-Identifier: GPL-3.0-or-later
// vantorel-cli dups --content --keep: what it prints, what it removes, and what it refuses.
#include "cli/CliRun.h"
#include "delete/DeleteTestSupport.h"
#include "delete/DeletionTotals.h"
#include "support/TempTree.h"

#include <fcntl.h>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

CliRun cli(const QStringList& args) {
    return RunCli(args);
}

// Three copies of a picture (the oldest in "b"), two of a note written at the same moment, and a
// file with no twin.
class KeepCli : public ::testing::Test {
protected:
    TempTree t;
    QString root;

    void SetUp() override {
        put("a/pic.jpg", "picture bytes", 1'600'000'000);
        put("b/pic.jpg", "picture bytes", 1'500'000'000);
        put("c/pic.jpg", "picture bytes", 1'700'000'000);
        put("a/note.txt", "note", 1'600'000'000);
        ASSERT_EQ(::link(t.path("a/note.txt").c_str(), t.path("c/note.txt").c_str()), 0);
        put("b/alone.txt", "no twin");
        root = QString::fromStdString(t.root());
    }
    void put(const std::string& relative, const std::string& bytes, std::time_t written = 0) {
        t.folder(relative.substr(0, relative.rfind('/')));
        std::ofstream(t.path(relative), std::ios::binary) << bytes;
        if (written)
            t.setTimes(relative, written, written);
    }
    bool exists(const std::string& relative) const { return ::access(t.path(relative).c_str(), F_OK) == 0; }
    QStringList keep(QStringList more) const {
        return QStringList{"dups", "--larger", "0", "--content", "--keep"} + more + QStringList{root};
    }
    QByteArray p(const std::string& relative) const { return QByteArray::fromStdString(t.path(relative)); }
};

} // namespace

TEST_F(KeepCli, PrintsTheCopiesGroupByGroupAndTheKeptFilesOnStandardError) {
    const CliRun run = cli(keep({"oldest"}));
    ASSERT_EQ(run.code, 0) << run.err.constData();
    // Only removable copies on standard output, each group ended by an empty line, as --content.
    EXPECT_EQ(run.out.count("\n\n"), 2);
    EXPECT_TRUE(run.out.contains("\t" + QByteArray::fromStdString(t.path("a/"))));
    EXPECT_FALSE(run.out.contains("alone.txt"));
    EXPECT_TRUE(run.err.contains("keeping " + p("b/pic.jpg") + "\n")) << run.err.constData();
    EXPECT_TRUE(run.err.contains("keeping " + p("a/note.txt") + "\ntie broken by path order\n"));
    EXPECT_TRUE(exists("a/pic.jpg") && exists("c/pic.jpg")); // nothing removed without --trash

    const CliRun nul = cli(keep({"newest", "--null", "--reference", QString::fromStdString(t.path("a"))}));
    ASSERT_EQ(nul.code, 0) << nul.err.constData();
    // Groups in name order, each ended by a lone NUL; within a group the list's order.
    EXPECT_TRUE(nul.out.startsWith(p("c/note.txt") + '\0' + '\0')) << nul.out.constData();
    EXPECT_TRUE(nul.out.endsWith(QByteArray(2, '\0')));
    EXPECT_EQ(nul.out.count('\0'), 5);
    for (const char* copy : {"b/pic.jpg", "c/pic.jpg"})
        EXPECT_TRUE(nul.out.contains('\0' + p(copy) + '\0')) << copy;

    // The dry run ends with what the removal would free: nothing for the other name of a file.
    const CliRun dry = cli(keep({"first", "--dry-run", "--trash"}));
    ASSERT_EQ(dry.code, 0) << dry.err.constData();
    EXPECT_TRUE(
        dry.err.endsWith("stay in use by other links. In the recycle bin they free nothing until it is "
                         "emptied.\n"))
        << dry.err.constData();
    EXPECT_TRUE(exists("a/pic.jpg") && exists("c/pic.jpg") && exists("c/note.txt"));
}

TEST_F(KeepCli, TrashGoesToTheJournalAndUndoPutsItBackDeleteIsForGood) {
    const CliRun trash = cli(keep({"oldest", "--trash"}));
    ASSERT_EQ(trash.code, 0) << trash.err.constData();
    EXPECT_FALSE(exists("a/pic.jpg") || exists("c/pic.jpg") || exists("c/note.txt"));
    EXPECT_TRUE(exists("b/pic.jpg") && exists("a/note.txt") && exists("b/alone.txt"));
    const CliRun journal = cli({"journal"});
    EXPECT_TRUE(journal.out.contains("\tcli\ttrash\t3\t")) << journal.out.constData();
    const CliRun undo = cli({"undo"});
    EXPECT_EQ(undo.code, 0) << undo.err.constData();
    EXPECT_TRUE(exists("a/pic.jpg") && exists("c/pic.jpg") && exists("c/note.txt"));

    const CliRun del =
        cli(keep({"shortest", "--delete", "--reference", QString::fromStdString(t.path("c"))}));
    ASSERT_EQ(del.code, 0) << del.err.constData();
    EXPECT_FALSE(exists("a/pic.jpg") || exists("b/pic.jpg") || exists("a/note.txt"));
    EXPECT_TRUE(exists("c/pic.jpg") && exists("c/note.txt"));
    EXPECT_EQ(cli({"undo"}).code, 1); // a permanent run has nothing to put back
}

TEST_F(KeepCli, RemovalsAddWhatWentToTheRunningTotals) {
    DeletionTotals::reset();
    ASSERT_EQ(cli(keep({"oldest", "--dry-run", "--trash"})).code, 0);
    EXPECT_EQ(DeletionTotals::read().filesRecycled, -1); // nothing went, nothing is recorded
    ASSERT_EQ(cli(keep({"oldest", "--trash"})).code, 0);
    DeletionTotalsValues totals = DeletionTotals::read();
    EXPECT_EQ(totals.filesRecycled, 3);
    EXPECT_EQ(totals.bytesRecycled, 2 * 13 + 4);
    ASSERT_EQ(cli({"undo"}).code, 0);
    ASSERT_EQ(cli(keep({"oldest", "--delete"})).code, 0);
    totals = DeletionTotals::read();
    EXPECT_EQ(totals.filesDeleted, 3);
    EXPECT_EQ(totals.bytesDeleted, 2 * 13 + 4);
    EXPECT_EQ(totals.filesRecycled, 3); // an undo does not lower the totals
}

TEST_F(KeepCli, NoJournalNoTrashRunButADeleteGoesOn) {
    int held = -1; // the journal's lock, held by the test for one case
    // Each way the journal of deletes can be out of reach, in a state folder of its own.
    const std::pair<const char*, std::function<void(const std::string&)>> broken[] = {
        {"journal is a link",
         [](const std::string& state) {
             ::mkdir((state + "/vantorel").c_str(), 0700);
             ::mkdir((state + "/elsewhere").c_str(), 0700);
             ASSERT_EQ(::symlink((state + "/elsewhere").c_str(), (state + "/vantorel/journal").c_str()), 0);
         }},
        {"vantorel is a file",
         [](const std::string& state) { std::ofstream(state + "/vantorel") << "not a folder"; }},
        {"the lock is a FIFO",
         [](const std::string& state) {
             ::mkdir((state + "/vantorel").c_str(), 0700);
             ::mkdir((state + "/vantorel/journal").c_str(), 0700);
             ASSERT_EQ(::mkfifo((state + "/vantorel/journal/.lock").c_str(), 0600), 0);
         }},
        {"the lock is held",
         [&held](const std::string& state) {
             ::mkdir((state + "/vantorel").c_str(), 0700);
             ::mkdir((state + "/vantorel/journal").c_str(), 0700);
             held = ::open((state + "/vantorel/journal/.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
             ASSERT_EQ(::flock(held, LOCK_EX), 0);
         }},
    };
    for (const auto& [how, breakIt] : broken) {
        SCOPED_TRACE(how);
        TempTree state;
        breakIt(state.root());
        ScopedXdgFolder home("XDG_STATE_HOME", state.root());
        const CliRun trash = cli(keep({"oldest", "--trash"}));
        EXPECT_EQ(trash.code, 2);
        EXPECT_TRUE(trash.out.isEmpty());
        EXPECT_TRUE(trash.err.contains("cannot be written")) << trash.err.constData();
        EXPECT_TRUE(trash.err.contains("Nothing was sent to the recycle bin")) << trash.err.constData();
        EXPECT_TRUE(exists("a/pic.jpg") && exists("c/pic.jpg") && exists("c/note.txt"));
    }
    ::close(held);
    // Nothing of a permanent delete could come back anyway: it goes on and says it at the end.
    TempTree state;
    std::ofstream(state.path("vantorel")) << "not a folder";
    ScopedXdgFolder home("XDG_STATE_HOME", state.root());
    const CliRun del = cli(keep({"oldest", "--delete"}));
    EXPECT_EQ(del.code, 0) << del.err.constData();
    EXPECT_FALSE(exists("a/pic.jpg") || exists("c/pic.jpg") || exists("c/note.txt"));
    EXPECT_TRUE(del.err.contains("could not be written")) << del.err.constData();
}

TEST_F(KeepCli, BadInputIsExitTwoBeforeAnythingIsScanned) {
    TempTree outside;
    t.symlink("link", "a");
    const std::pair<QStringList, const char*> refused[] = {
        {keep({"largest"}), "unknown --keep rule 'largest'"},
        {keep({"oldest", "--trash", "--delete"}), "give only one of --trash and --delete"},
        {keep({"oldest", "--reference", QString::fromStdString(t.path("missing"))}),
         "cannot open reference folder"},
        {keep({"oldest", "--reference", QString::fromStdString(t.path("b/alone.txt"))}), "Not a directory"},
        {keep({"oldest", "--reference", QString::fromStdString(outside.root())}),
         "lies outside every FOLDER"},
        {{"dups", "--keep", "oldest", root}, "--keep needs --content"},
        {{"dups", "--content", "--dry-run", root}, "need --keep RULE"},
        {{"hogs", "--keep", "oldest", root}, "unknown option '--keep'"},
    };
    for (const auto& [args, message] : refused) {
        const CliRun run = cli(args);
        EXPECT_EQ(run.code, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(message)) << run.err.constData();
        EXPECT_TRUE(run.out.isEmpty());
    }
    // A reference named through a link is the folder the link leads to.
    const CliRun linked = cli(keep({"newest", "--reference", QString::fromStdString(t.path("link"))}));
    EXPECT_EQ(linked.code, 0) << linked.err.constData();
    EXPECT_TRUE(linked.err.contains("keeping " + p("a/pic.jpg") + "\n"));
    EXPECT_TRUE(exists("b/pic.jpg"));
}

// --json: a group per line with what is kept and what went, the summary last; a copy removed is
// listed only once it is gone.
TEST_F(KeepCli, JsonNamesWhatIsKeptWhatWentAndTheTotals) {
    const CliRun run = cli(keep({"oldest", "--delete", "--json"}));
    ASSERT_EQ(run.code, 0) << run.err.constData();
    const QList<QByteArray> lines = run.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 3) << run.out.constData(); // two groups and the summary
    const QByteArray& pictures = lines[1].contains("pic.jpg") ? lines[1] : lines[0];
    EXPECT_TRUE(pictures.contains("\"kept\":[{\"path\":\"" + p("b/pic.jpg") + "\"")) << pictures.constData();
    EXPECT_TRUE(pictures.contains("\"path\":\"" + p("a/pic.jpg") + "\""));
    EXPECT_TRUE(pictures.contains("\"path\":\"" + p("c/pic.jpg") + "\""));
    EXPECT_TRUE(pictures.contains("\"stayed\":[],\"tie_broken_by_path\":false}"));
    EXPECT_FALSE(exists("a/pic.jpg") || exists("c/pic.jpg"));
    EXPECT_TRUE(exists("b/pic.jpg"));
    EXPECT_TRUE(lines[2].startsWith("{\"summary\":{\"command\":\"dups\",\"keep\":\"oldest\",\"action\":\"delete\","
                                    "\"groups\":2,\"kept\":2,\"copies\":3,"))
        << lines[2].constData();
    EXPECT_TRUE(lines[2].endsWith("\"freed_bytes\":null}}"));
}
