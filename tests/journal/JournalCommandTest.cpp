// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/DeleteTestSupport.h"
#include "journal/DeleteJournal.h"
#include "support/TempTree.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

struct CommandRun {
    int code = -1;
    QString out;
    QString err;
};

class JournalCommand : public ::testing::Test {
protected:
    TempTree tree;
    ScopedXdgFolder state{"XDG_STATE_HOME", tree.folder("state")};
    ScopedXdgFolder data{"XDG_DATA_HOME", tree.folder("data")};

    // A program that deletes (or trashes) files with the journal, as the windows do.
    void deleteFiles(const QString& mode, const QStringList& files) {
        QProcess p;
        p.start(VANTOREL_JOURNAL_DELETER, QStringList{mode} + files);
        ASSERT_TRUE(p.waitForFinished(60'000));
        ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    }
    static CommandRun cli(const QStringList& args) {
        QProcess p;
        p.start(VANTOREL_CLI_PATH, args);
        p.waitForFinished(60'000);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }
    QString q(const std::string& s) { return QString::fromStdString(s); }
};

} // namespace

TEST_F(JournalCommand, ListsTheRunsNewestFirstAndUndoesTheLastOne) {
    EXPECT_EQ(cli({"journal"}).code, 1); // none yet
    deleteFiles("delete", {q(tree.file("d/gone.txt", 4))});
    deleteFiles("trash", {q(tree.file("t/a.txt", 3)), q(tree.file("t/line\nbreak", 5))});

    const CommandRun list = cli({"journal"});
    EXPECT_EQ(list.code, 0) << list.err.toStdString();
    const QStringList lines = list.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    const QStringList newest = lines[0].split('\t');
    ASSERT_EQ(newest.size(), 7);
    EXPECT_EQ(newest[0], "2");
    EXPECT_EQ(newest.mid(2), (QStringList{"cli", "trash", "2", "8", "2"}));
    EXPECT_TRUE(lines[1].startsWith("1\t"));
    EXPECT_TRUE(lines[1].endsWith("\tcli\tdelete\t1\t4\t0"));

    const CommandRun json = cli({"journal", "--json"});
    EXPECT_EQ(json.code, 0);
    EXPECT_TRUE(json.out.contains(R"("id": 2, "time": ")")) << json.out.toStdString();
    EXPECT_TRUE(
        json.out.contains(R"("mode": "trash", "files": 2, "bytes": 8, "failed": 0, "restorable": 2)"));

    const CommandRun undo = cli({"undo"});
    EXPECT_EQ(undo.code, 0) << undo.err.toStdString();
    EXPECT_EQ(undo.out, "2 files were put back where they were.\n");
    EXPECT_TRUE(exists(tree.path("t/line\nbreak")));
    EXPECT_TRUE(cli({"journal"}).out.split('\n')[0].endsWith("\ttrash\t2\t8\t0"));
    EXPECT_EQ(cli({"undo", "1"}).code, 1); // a permanent run: nothing to restore
}

TEST_F(JournalCommand, BadInputIsRefusedAndADamagedJournalIsNamed) {
    deleteFiles("trash", {q(tree.file("t/a.txt", 3)), q(tree.file("t/b.txt", 3))});
    for (const QStringList& bad :
         {QStringList{"undo", "x"}, QStringList{"undo", "0"}, QStringList{"undo", "1", "2"},
          QStringList{"undo", "7"}, QStringList{"journal", "--all"}}) {
        const CommandRun run = cli(bad);
        EXPECT_EQ(run.code, 2) << bad.join(' ').toStdString();
        EXPECT_TRUE(run.err.startsWith("vantorel-cli: ")) << run.err.toStdString();
    }
    // A record cut in half: the rest is still listed, and the damage is named.
    const QString run = q(DeleteJournal::folderPath() + "/1.run");
    QFile file(run);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const QByteArray text = file.readAll();
    file.resize(text.lastIndexOf('\n', text.size() - 2) - 20);
    file.close();
    const CommandRun damaged = cli({"journal"});
    EXPECT_EQ(damaged.code, 0);
    EXPECT_TRUE(damaged.out.endsWith("\tcli\ttrash\t1\t3\t1\n")) << damaged.out.toStdString();
    EXPECT_EQ(damaged.err, "vantorel-cli: run 1: 1 damaged lines were skipped (line 3)\n");

    // A journal folder that is a link is not read.
    ScopedXdgFolder other("XDG_STATE_HOME", tree.folder("other"));
    tree.folder("other/vantorel");
    tree.symlink("other/vantorel/journal", tree.path("state/vantorel/journal"));
    const CommandRun linked = cli({"journal"});
    EXPECT_EQ(linked.code, 2);
    EXPECT_TRUE(linked.err.contains("symbolic link")) << linked.err.toStdString();
}
