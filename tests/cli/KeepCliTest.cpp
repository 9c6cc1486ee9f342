// SPDX-License-Identifier: GPL-3.0-or-later
// vantorel-cli dups --content --keep: what it prints, what it removes, and what it refuses.
#include "cli/CliRun.h"
#include "support/TempTree.h"

#include <fstream>
#include <gtest/gtest.h>
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
