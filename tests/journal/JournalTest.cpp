// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/DeleteTestSupport.h"
#include "journal/DeleteJournal.h"
#include "journal/JournalRun.h"
#include "journal/JournalWriter.h"
#include "support/TempTree.h"

#include <QFile>
#include <QProcess>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class JournalTest : public ::testing::Test {
protected:
    TempTree tree;
    ScopedXdgFolder state{"XDG_STATE_HOME", tree.folder("state")};

    std::string runPath(std::int64_t id) const {
        return DeleteJournal::folderPath() + "/" + std::to_string(id) + ".run";
    }
    std::string text(const std::string& path) const {
        QFile file(QString::fromStdString(path));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    }
    void write(const std::string& path, const std::string& bytes) const {
        QFile file(QString::fromStdString(path));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes.data(), qint64(bytes.size()));
    }
    JournalRun read(std::int64_t id) const { return JournalRun::read(DeleteJournal::open(false), id); }

    // A marked file as a scan listed it; nothing on disk is needed to journal it.
    static ListedEntry entry(const std::string& name, std::int64_t size) {
        ListedEntry e;
        e.root = "/scanned root";
        e.rootIdentity = {11, 12};
        e.folder = "sub/folder";
        e.name = name;
        e.identity = {11, std::uint64_t(1000 + size)};
        e.size = size;
        e.modifiedNs = 1234567890123456789u;
        e.modifiedKnown = true;
        return e;
    }
};

// A run of three files whose file was cut off inside the last record (or not at all).
std::int64_t writeThreeFiles() {
    JournalWriter journal = JournalWriter::begin(JournalTool::DateRange, false);
    for (int i = 1; i <= 3; ++i) {
        ListedEntry e;
        e.root = "/r";
        e.name = "file" + std::to_string(i);
        e.size = i;
        journal.file(e, TrashOutcome{});
    }
    return journal.id(); // no end: cut short
}

} // namespace

TEST_F(JournalTest, EveryRecordReadsBackWithTheExactBytesOfItsNames) {
    const std::string odd[] = {"line\nbreak", std::string("bytes\xE9\xFF"), "tab\there", "100% sure", ""};
    JournalWriter journal = JournalWriter::begin(JournalTool::Browser, true, "/the folder\n");
    for (int i = 0; i < 4; ++i)
        journal.file(entry(odd[i], i + 1), TrashOutcome{0, {}, "/home/u/.local/share/Trash", odd[i] + ".2"});
    journal.file(entry("denied", 100), TrashOutcome{EACCES, QStringLiteral("Permission denied"), {}, {}});
    journal.end(2, true);
    ASSERT_FALSE(journal.failed()) << journal.failure().toStdString();

    // One line per record, whatever the names hold.
    const std::string raw = text(runPath(journal.id()));
    EXPECT_EQ(std::count(raw.begin(), raw.end(), '\n'), 7);

    const JournalRun run = read(journal.id());
    ASSERT_TRUE(run.ok()) << run.errorText().toStdString();
    EXPECT_EQ(run.header().tool, JournalTool::Browser);
    EXPECT_TRUE(run.header().recycle);
    EXPECT_EQ(run.header().subject, "/the folder\n");
    ASSERT_EQ(run.fileCount(), 5u);
    for (int i = 0; i < 4; ++i) {
        const JournalFileRecord file = run.file(std::size_t(i));
        EXPECT_EQ(file.name, odd[i]);
        EXPECT_EQ(file.path(), "/scanned root/sub/folder/" + odd[i]);
        EXPECT_EQ(file.outcome, JournalOutcome::Trashed);
        EXPECT_EQ(file.trashName, odd[i] + ".2");
        EXPECT_EQ(file.identity, (EntryIdentity{11, std::uint64_t(1001 + i)}));
        EXPECT_EQ(file.modifiedNs, 1234567890123456789u);
    }
    const JournalFileRecord denied = run.file(4);
    EXPECT_EQ(denied.outcome, JournalOutcome::Failed);
    EXPECT_EQ(denied.reason, "Permission denied");
    EXPECT_TRUE(run.finished());
    EXPECT_EQ(run.end().notAttempted, 2);
    EXPECT_TRUE(run.end().stopped);
    EXPECT_EQ(run.filesWent(), 4);
    EXPECT_EQ(run.bytesWent(), 1 + 2 + 3 + 4);
    EXPECT_EQ(run.filesFailed(), 1);
    EXPECT_EQ(run.brokenCount(), 0);
}

TEST_F(JournalTest, ACutOrDamagedRecordIsReportedAndTheRestStillReads) {
    const std::int64_t id = writeThreeFiles();
    const std::string whole = text(runPath(id));
    const std::size_t lastLine = whole.rfind('\n', whole.size() - 2) + 1;
    // Cut anywhere inside the last record, as by a program killed while writing it.
    for (std::size_t cut = lastLine + 1; cut < whole.size(); ++cut) {
        SCOPED_TRACE(cut);
        write(runPath(id), whole.substr(0, cut));
        const JournalRun run = read(id);
        ASSERT_TRUE(run.ok());
        EXPECT_EQ(run.fileCount(), 2u);
        EXPECT_EQ(run.brokenCount(), 1);
        EXPECT_EQ(run.brokenLines(), std::vector<std::int64_t>{4});
        EXPECT_FALSE(run.finished());
    }
    // What is appended after a cut record starts on a line of its own, and reads.
    write(runPath(id), whole.substr(0, lastLine + 5));
    UniqueFd file;
    ASSERT_EQ(DeleteJournal::open(false).openRun(id, true, file), 0);
    JournalRestoreRecord restore;
    restore.seq = 2;
    restore.restored = true;
    ASSERT_EQ(DeleteJournal::appendLine(file.get(), EncodeJournalLine(restore)), 0);
    JournalRun after = read(id);
    EXPECT_EQ(after.fileCount(), 2u);
    EXPECT_EQ(after.brokenCount(), 1);
    EXPECT_EQ(after.filesRestored(), 1);
    EXPECT_EQ(after.restoreState(1), JournalRun::Restore::Restored);

    // One damaged byte in the middle: that record alone is lost.
    std::string damaged = whole;
    damaged[whole.find("file2") + 2] = 'X';
    write(runPath(id), damaged);
    const JournalRun run = read(id);
    ASSERT_EQ(run.fileCount(), 2u);
    EXPECT_EQ(run.file(0).name, "file1");
    EXPECT_EQ(run.file(1).name, "file3");
    EXPECT_EQ(run.brokenLines(), std::vector<std::int64_t>{3});

    // A first line that is no header of this run leaves nothing to trust.
    write(runPath(id), whole.substr(10));
    EXPECT_FALSE(read(id).ok());
}

TEST_F(JournalTest, AJournalThatIsAFifoOrALinkIsRefusedWithoutBlocking) {
    const std::int64_t good = writeThreeFiles();
    const std::string folder = DeleteJournal::folderPath();
    // A FIFO where a run's file would be: never opened for reading in a way that waits.
    ASSERT_EQ(::mkfifo((folder + "/50.run").c_str(), 0600), 0);
    EXPECT_EQ(read(50).error(), EINVAL);
    EXPECT_EQ(read(50).errorText(), QStringLiteral("it is not a regular file"));
    // A link to a run elsewhere is not followed.
    ASSERT_EQ(::symlink(runPath(good).c_str(), (folder + "/51.run").c_str()), 0);
    EXPECT_EQ(read(51).error(), EMLINK);
    // A FIFO as the journal's lock: a new run is refused at once, and the delete still goes on.
    ASSERT_EQ(::unlink((folder + "/.lock").c_str()) == 0 || errno == ENOENT, true);
    ASSERT_EQ(::mkfifo((folder + "/.lock").c_str(), 0600), 0);
    JournalWriter refused = JournalWriter::begin(JournalTool::FileHogs, false);
    refused.file(entry("x", 1), TrashOutcome{});
    refused.end(0, false);
    EXPECT_TRUE(refused.failed());
    EXPECT_TRUE(refused.failure().contains("it is not a regular file")) << refused.failure().toStdString();

    // The journal folder itself a link to elsewhere: nothing is written there.
    const std::string elsewhere = tree.folder("elsewhere");
    ScopedXdgFolder other("XDG_STATE_HOME", tree.folder("other-state"));
    ASSERT_EQ(::mkdir(tree.path("other-state/vantorel").c_str(), 0700), 0);
    ASSERT_EQ(::symlink(elsewhere.c_str(), tree.path("other-state/vantorel/journal").c_str()), 0);
    JournalWriter linked = JournalWriter::begin(JournalTool::FileHogs, true);
    linked.file(entry("y", 1), TrashOutcome{});
    linked.end(0, false);
    EXPECT_TRUE(linked.failed());
    EXPECT_TRUE(linked.failure().contains("symbolic link")) << linked.failure().toStdString();
    EXPECT_EQ(::rmdir(elsewhere.c_str()), 0); // still empty
}

TEST_F(JournalTest, TwoProgramsDeletingAtOnceBothCompleteInTheJournal) {
    constexpr int files = 150;
    std::vector<std::unique_ptr<QProcess>> programs;
    for (int p = 0; p < 2; ++p) {
        QStringList arguments{"trash"};
        for (int i = 0; i < files; ++i)
            arguments << QString::fromStdString(
                tree.file("p" + std::to_string(p) + "/f" + std::to_string(i), 10));
        programs.push_back(std::make_unique<QProcess>());
        programs.back()->start(VANTOREL_JOURNAL_DELETER, arguments);
    }
    std::vector<std::int64_t> ids;
    for (auto& program : programs) {
        ASSERT_TRUE(program->waitForFinished(120'000));
        ASSERT_EQ(program->exitCode(), 0) << program->readAllStandardError().toStdString();
        ids.push_back(program->readAllStandardOutput().trimmed().toLongLong());
    }
    EXPECT_NE(ids[0], ids[1]);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(DeleteJournal::open(false).runIds(), ids);
    for (std::int64_t id : ids) {
        const JournalRun run = read(id);
        ASSERT_TRUE(run.ok());
        EXPECT_TRUE(run.finished());
        EXPECT_EQ(run.fileCount(), std::size_t(files));
        EXPECT_EQ(run.filesTrashed(), files);
        EXPECT_EQ(run.brokenCount(), 0);
    }
}

TEST_F(JournalTest, OnlyTheLastThousandRunsOfNinetyDaysAreKeptAndNoIdIsGivenTwice) {
    DeleteJournal journal = DeleteJournal::open(true);
    ASSERT_TRUE(journal.valid());
    const std::int64_t now = std::int64_t(std::time(nullptr));
    for (std::int64_t id = 1; id <= 1001; ++id) {
        JournalRunHeader header;
        header.id = id;
        header.startTime = id == 1000 ? now - 91 * 86400 : now;
        write(runPath(id), EncodeJournalLine(header));
    }
    JournalRunHeader header;
    UniqueFd file;
    ASSERT_EQ(journal.beginRun(header, file), 0);
    EXPECT_EQ(header.id, 1002);
    const std::vector<std::int64_t> ids = journal.runIds();
    EXPECT_EQ(ids.size(), 1000u); // the newest thousand of those begun within 90 days
    EXPECT_EQ(ids.front(), 2);
    EXPECT_EQ(ids.back(), 1002);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), 1000), 0);

    for (std::int64_t id : ids)
        ::unlink(runPath(id).c_str());
    ASSERT_EQ(journal.beginRun(header, file), 0);
    EXPECT_EQ(header.id, 1003);
}

TEST_F(JournalTest, ARunNumberAtTheLimitIsRefusedWithoutOverflow) {
    DeleteJournal journal = DeleteJournal::open(true);
    ASSERT_TRUE(journal.valid());
    const std::string most = std::to_string(DeleteJournal::MostId);
    JournalRunHeader header;
    UniqueFd file;
    // The last number given, as last-id says.
    write(DeleteJournal::folderPath() + "/last-id", most + "\n");
    EXPECT_EQ(journal.beginRun(header, file), DeleteJournal::kRunIdsUsedUp);
    JournalWriter writer = JournalWriter::begin(JournalTool::FileHogs, true);
    writer.file(entry("x", 1), TrashOutcome{});
    writer.end(0, false);
    EXPECT_TRUE(writer.failed());
    EXPECT_TRUE(
        writer.failure().contains("run numbers are used up (the last is " + QString::fromStdString(most)))
        << writer.failure().toStdString();

    // The same from a run file of that number; the one before it is still given.
    ::unlink((DeleteJournal::folderPath() + "/last-id").c_str());
    header.id = DeleteJournal::MostId - 2;
    write(runPath(header.id), EncodeJournalLine(header));
    ASSERT_EQ(journal.beginRun(header, file), 0);
    EXPECT_EQ(header.id, DeleteJournal::MostId - 1);
    ASSERT_EQ(journal.beginRun(header, file), 0);
    EXPECT_EQ(header.id, DeleteJournal::MostId);
    EXPECT_EQ(journal.beginRun(header, file), DeleteJournal::kRunIdsUsedUp);
    EXPECT_EQ(journal.runIds().back(), DeleteJournal::MostId);
}

// A removed folder's record keeps its exact name, mode and times; one that names no entry of a
// folder is no record (the journal is not trusted).
TEST_F(JournalTest, AFolderRecordReadsBackAndOneThatLeadsElsewhereIsBroken) {
    JournalFolderRecord folder;
    folder.seq = 3;
    folder.mode = S_IFDIR | 02750;
    folder.owner = 1000;
    folder.group = 100;
    folder.modified = {-86400, 999999999}; // before 1970
    folder.accessed = {1700000000, 1};
    folder.identity = {5, 6};
    folder.rootIdentity = {5, 2};
    folder.root = "/r";
    folder.folder = "a b/c";
    folder.name = std::string("line\nbreak\xff");
    std::string line = EncodeJournalLine(folder);
    line.pop_back();
    JournalFolderRecord back;
    ASSERT_EQ(JournalLineKindOf(line), JournalLineKind::Folder);
    ASSERT_TRUE(DecodeJournalLine(line, back));
    EXPECT_EQ(back.path(), "/r/a b/c/" + folder.name);
    EXPECT_EQ(back.mode, folder.mode);
    EXPECT_EQ(back.modified.tv_sec, -86400);
    EXPECT_EQ(back.modified.tv_nsec, 999999999);
    EXPECT_EQ(back.accessed.tv_nsec, 1);
    for (const std::string& name :
         {std::string(".."), std::string("."), std::string("a/b"), std::string("a\0b", 3), std::string()}) {
        folder.name = name;
        line = EncodeJournalLine(folder);
        line.pop_back();
        EXPECT_FALSE(DecodeJournalLine(line, back)) << name;
    }
    folder.name = "x";
    folder.mode = S_IFREG | 0644;
    line = EncodeJournalLine(folder);
    line.pop_back();
    EXPECT_FALSE(DecodeJournalLine(line, back));
}
