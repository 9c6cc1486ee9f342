// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/DeleteTestSupport.h"
#include "journal/DeleteJournal.h"
#include "journal/JournalRun.h"
#include "support/TempTree.h"

#include <QFile>
#include <QProcess>
#include <QThread>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <sys/file.h>
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

// Two undos of one run at once: one waits for the other and finds everything back. Each file is
// noted once, and none that came back is called lost, not even one put back by hand meanwhile.
TEST_F(JournalCommand, TwoUndosOfOneRunAtOnceNeitherLoseNorMisreportAFile) {
    constexpr int files = 300;
    QStringList paths;
    for (int i = 0; i < files; ++i)
        paths << q(tree.file("t/f" + std::to_string(i), 10));
    deleteFiles("trash", paths);
    const QString trash = qEnvironmentVariable("XDG_DATA_HOME") + "/Trash";
    ASSERT_TRUE(QFile::rename(trash + "/files/f7", paths[7])); // as a file manager restores
    ASSERT_TRUE(QFile::remove(trash + "/info/f7.trashinfo"));

    std::vector<std::unique_ptr<QProcess>> undos;
    for (int i = 0; i < 2; ++i) {
        undos.push_back(std::make_unique<QProcess>());
        undos.back()->start(VANTOREL_CLI_PATH, {"undo", "1"});
    }
    QStringList said;
    for (auto& undo : undos) {
        ASSERT_TRUE(undo->waitForFinished(120'000));
        EXPECT_EQ(undo->exitCode(), 0) << undo->readAllStandardError().toStdString();
        said << QString::fromUtf8(undo->readAllStandardOutput());
    }
    said.sort();
    EXPECT_EQ(said,
              (QStringList{"0 files were put back where they were. 300 files had been put back before.\n",
                           "299 files were put back where they were. 1 file had been put back before.\n"}));
    for (const QString& path : paths)
        EXPECT_TRUE(QFile::exists(path)) << path.toStdString();
    QFile run(q(DeleteJournal::folderPath() + "/1.run"));
    ASSERT_TRUE(run.open(QIODevice::ReadOnly));
    EXPECT_EQ(run.readAll().count("\nrestored\t"), files);
    const CommandRun third = cli({"undo", "1"});
    EXPECT_EQ(third.code, 0);
    EXPECT_EQ(third.out, "0 files were put back where they were. 300 files had been put back before.\n");
}

// An undo waits for the run's lock within a bound, says why when it is not had, and notes every file
// that comes back after a wait.
TEST_F(JournalCommand, AnUndoWaitsForTheRunsLockAndNotesWhatCameBack) {
    const std::string a = tree.file("t/a.txt", 3);
    const std::string b = tree.file("t/b.txt", 4);
    deleteFiles("trash", {q(a), q(b)});
    const int held = ::open((DeleteJournal::folderPath() + "/1.run").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const CommandRun refused = cli({"undo", "1"});
    EXPECT_EQ(refused.code, 2);
    EXPECT_TRUE(refused.err.contains("run 1 is being undone by another program"))
        << refused.err.toStdString();
    EXPECT_FALSE(exists(a));

    QProcess undo;
    undo.start(VANTOREL_CLI_PATH, {"undo", "1"});
    QThread::msleep(1500);
    ::close(held);
    ASSERT_TRUE(undo.waitForFinished(60'000));
    EXPECT_EQ(undo.exitCode(), 0) << undo.readAllStandardError().toStdString();
    EXPECT_EQ(undo.readAllStandardOutput(), "2 files were put back where they were.\n");
    EXPECT_TRUE(exists(a) && exists(b));
    EXPECT_EQ(JournalRun::read(DeleteJournal::open(false), 1).filesRestored(), 2);
}
