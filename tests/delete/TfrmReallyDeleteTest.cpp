// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/ui/TfrmReallyDelete.h"
#include "DeleteTestSupport.h"
#include "FilesLeftReport.h"
#include "delete/DeletionTotals.h"
#include "journal/DeleteJournal.h"
#include "journal/JournalRun.h"
#include "platform/AppError.h"
#include "support/RecordingMessageService.h"
#include "support/RewriteKeepingTime.h"
#include "support/ScopedMount.h"
#include "support/TempTree.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QStringList listTexts(TfrmReallyDelete& w) {
    QStringList out;
    auto* lb1 = w.findChild<QListWidget*>("lb1");
    for (int i = 0; i < lb1->count(); ++i)
        out << lb1->item(i)->text();
    return out;
}

void click(TfrmReallyDelete& w, const char* name) {
    auto* button = w.findChild<QPushButton*>(name);
    ASSERT_NE(button, nullptr) << name;
    QTest::mouseClick(button, Qt::LeftButton);
}

QString header(TfrmReallyDelete& w) { return w.findChild<QLabel*>("lblDelete")->text(); }

class ReallyDeleteTest : public ::testing::Test {
protected:
    TempTree tree;
    std::string config = tree.folder("config");
    ScopedConfigHome home{config};
    RecordingMessageService messages;
};
} // namespace

TEST_F(ReallyDeleteTest, ShowsSortedListHeaderAndSavings) {
    TfrmReallyDelete w(nullptr);
    w.setFileList(listed({"/b/zeta", "/B/alpha", "/a/Gamma", std::string("/a/odd\tname\xff", 12)}));
    w.setSavings(1234567);
    w.show();
    EXPECT_EQ(listTexts(w), QStringList({"/a/Gamma", QString("/a/odd?name") + QChar(0xFFFD), "/B/alpha", "/b/zeta"}));
    EXPECT_EQ(w.fileList()[1].path(), std::string("/a/odd\tname\xff", 12)); // exact bytes kept
    EXPECT_EQ(header(w), "The following 4 files will be deleted.");
    EXPECT_EQ(w.findChild<QLabel*>("lblSavings")->text(), "1,234,567 bytes");
    EXPECT_EQ(w.windowTitle(), "Delete/rename the following files:");
    for (const char* name : {"Panel2", "Label3", "Label2", "bar", "btDelete", "btRecycle", "btClose"})
        EXPECT_NE(w.findChild<QWidget*>(name), nullptr) << name;

    QDir().mkpath(VANTOREL_SCREENSHOT_DIR);
    EXPECT_TRUE(w.grab().save(VANTOREL_SCREENSHOT_DIR "/TfrmReallyDelete.png"));

    TfrmReallyDelete zero(nullptr);
    zero.setSavings(0);
    zero.show();
    EXPECT_EQ(zero.findChild<QLabel*>("lblSavings")->text(), "0 bytes");
}

// While the window waits, the space the files really take is counted: a file whose other link
// stays frees nothing. The run then goes to the journal under the tool whose marks they were.
TEST_F(ReallyDeleteTest, TheSpaceReallyFreedIsToldAndTheRunIsJournalled) {
    ScopedXdgFolder state("XDG_STATE_HOME", tree.folder("state"));
    const std::string big = tree.file("data/big.bin", 40000);
    const std::string linked = tree.file("data/linked.bin", 9000);
    ASSERT_EQ(::link(linked.c_str(), tree.path("elsewhere-link").c_str()), 0);
    struct stat st {};
    ASSERT_EQ(::lstat(big.c_str(), &st), 0);
    const std::int64_t bigSpace = std::int64_t(st.st_blocks) * 512;
    ASSERT_EQ(::lstat(linked.c_str(), &st), 0);
    const std::int64_t linkedSpace = std::int64_t(st.st_blocks) * 512;

    TfrmReallyDelete w(nullptr);
    w.setTool(JournalTool::FileHogs);
    w.setFileList(listed({big, linked}));
    w.setSavings(49000);
    w.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.countingFreedSpace(); }, 30000));
    const QLabel* freed = w.findChild<QLabel*>("lblFreed");
    EXPECT_EQ(freed->text(), "Frees " + QLocale().toString(bigSpace) +
                                 " bytes on disk\nRecycle bin: freed when emptied\n" +
                                 QLocale().toString(linkedSpace) + " bytes kept by other links");
    EXPECT_EQ(freed->toolTip(),
              "Frees " + QLocale().toString(bigSpace) + " bytes of disk space. " +
                  QLocale().toString(linkedSpace) +
                  " bytes stay in use by other links. In the recycle bin they free nothing until "
                  "it is emptied.");
    QDir().mkpath(VANTOREL_SCREENSHOT_DIR);
    EXPECT_TRUE(w.grab().save(VANTOREL_SCREENSHOT_DIR "/TfrmReallyDelete-freed.png"));

    messages.scriptAnswers({MessageAnswer::Yes});
    click(w, "btDelete");
    const DeleteJournal journal = DeleteJournal::open(false);
    ASSERT_EQ(journal.runIds().size(), 1u);
    const JournalRun run = JournalRun::read(journal, journal.runIds().front());
    EXPECT_EQ(run.header().tool, JournalTool::FileHogs);
    EXPECT_FALSE(run.header().recycle);
    EXPECT_TRUE(run.finished());
    ASSERT_EQ(run.fileCount(), 2u);
    EXPECT_EQ(run.file(0).path(), big);
    EXPECT_EQ(run.file(1).outcome, JournalOutcome::Deleted);
    EXPECT_EQ(run.bytesWent(), 49000);
}

TEST_F(ReallyDeleteTest, DeleteAllRemovesFilesAndCountsWhatWent) {
    const std::string a = tree.file("data/a.txt", 10);
    const std::string b = tree.file("data/B.txt", 20);
    const std::string gone = tree.path("data/c-missing.txt");
    TfrmReallyDelete w(nullptr);
    w.setFileList(listed({gone, b, a}));
    w.setSavings(999); // the caller's figure; the totals record what really went
    w.show();
    messages.scriptAnswers({MessageAnswer::Yes});
    click(w, "btDelete");

    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_FALSE(exists(a));
    EXPECT_FALSE(exists(b));
    EXPECT_EQ(messages.texts(), QStringList({"Really delete?", "Couldn't delete file - " + QString::fromStdString(gone) +
                                                                  "\nNo such file or directory"}));
    EXPECT_EQ(header(w), "The following 0 files will be deleted.");
    EXPECT_TRUE(listTexts(w).isEmpty());
    DeletionTotalsValues v = DeletionTotals::read();
    EXPECT_EQ(v.filesDeleted, 2);
    EXPECT_EQ(v.bytesDeleted, 30);
    EXPECT_EQ(v.filesRecycled, 0);
    EXPECT_EQ(v.bytesRecycled, 0);
}

TEST_F(ReallyDeleteTest, DeniedFileIsReportedWhileOthersGo) {
    const std::string locked = tree.file("locked/keep.txt", 5);
    const std::string free1 = tree.file("open/one.txt", 7);
    const std::string free2 = tree.file("open/two.txt", 8);
    tree.setMode("open", 0777);
    tree.setMode("config", 0777);
    TfrmReallyDelete w(nullptr);
    w.setFileList(listed({free1, locked, free2}));
    w.setSavings(20);
    w.show();
    messages.scriptAnswers({MessageAnswer::Yes});
    {
        AsUnprivileged nobody; // "locked" belongs to root, so the denial is real
        click(w, "btDelete");
    }
    EXPECT_TRUE(exists(locked));
    EXPECT_FALSE(exists(free1));
    EXPECT_FALSE(exists(free2));
    EXPECT_TRUE(messages.saw("Couldn't delete file - " + QString::fromStdString(locked) + "\nPermission denied"));
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_EQ(DeletionTotals::read().filesDeleted, 2);
    EXPECT_EQ(DeletionTotals::read().bytesDeleted, 15);
}

TEST_F(ReallyDeleteTest, DeclinedThenRecycledIntoTheTrash) {
    const std::string a = tree.file("declined-a.txt", 4);
    TfrmReallyDelete w(nullptr);
    w.setFileList(listed({a}));
    w.setSavings(4);
    w.show();
    messages.scriptAnswers({MessageAnswer::No});
    click(w, "btDelete");
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(exists(a));
    EXPECT_EQ(messages.texts().back(), "Files not deleted");
    EXPECT_EQ(listTexts(w).size(), 1);
    EXPECT_FALSE(QFile::exists(DeletionTotals::settingsPath()));

    messages.clear();
    messages.scriptAnswers({MessageAnswer::Yes});
    click(w, "btRecycle");
    EXPECT_EQ(messages.texts(), QStringList({recycleWarningText()}));
    EXPECT_TRUE(recycleWarningText().startsWith("Note that the recycle bin may be full"));
    EXPECT_TRUE(recycleWarningText().endsWith("emptied. \n\nSend to the recycle bin anyway?"));
    EXPECT_FALSE(recycleWarningText().contains("Immediately Remove"));
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_FALSE(exists(a));
    EXPECT_TRUE(inTrash("declined-a.txt"));
    EXPECT_TRUE(trashInfo("declined-a.txt").contains("Path=" + QString::fromStdString(a)));
    auto* bar = w.findChild<QProgressBar*>("bar");
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 0);
    DeletionTotalsValues v = DeletionTotals::read();
    EXPECT_EQ(v.filesDeleted, 0);
    EXPECT_EQ(v.filesRecycled, 1);
    EXPECT_EQ(v.bytesRecycled, 4);
}

TEST_F(ReallyDeleteTest, ARunGoesOnPastEveryFilesOwnProblemAndListsWhatStayedOnce) {
    for (bool recycle : {false, true}) {
        SCOPED_TRACE(recycle);
        // Every second file lies in a folder of root's, which nobody may change; one has vanished.
        std::vector<ListedEntry> files;
        std::vector<std::string> denied, free;
        const std::string mode = recycle ? "recycle" : "delete";
        for (int i = 0; i < 6; ++i) {
            const std::string path =
                tree.file(mode + (i % 2 ? "/locked/f" : "/open/f") + std::to_string(i), 3);
            (i % 2 ? denied : free).push_back(path);
            files.push_back(listed(path));
        }
        const std::string vanished = tree.file(mode + "/open/gone", 1);
        files.push_back(listed(vanished));
        ::unlink(vanished.c_str());
        tree.setMode(mode + "/open", 0777);
        tree.setMode("config", 0777);
        // A trash that nobody may write to.
        const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(tree.folder(mode + "/data")));
        tree.setMode(mode + "/data", 0777);
        messages.clear();

        TfrmReallyDelete w(nullptr);
        w.setFileList(files);
        w.show();
        messages.scriptAnswers({MessageAnswer::Yes});
        QStringList rows, copied;
        QString header;
        QPixmap shot;
        whenFilesLeftShows([&](TfrmFilesLeft& report) {
            rows = filesLeftRows(report);
            shot = report.grab();
            header = report.findChild<QLabel*>("lblHeader")->text();
            QTest::mouseClick(report.findChild<QPushButton*>("btCopy"), Qt::LeftButton);
            copied = QApplication::clipboard()->text().split("\n");
        });
        {
            AsUnprivileged nobody;
            click(w, recycle ? "btRecycle" : "btDelete");
        }
        qputenv("XDG_DATA_HOME", dataHome);
        QDir().mkpath(VANTOREL_SCREENSHOT_DIR);
        EXPECT_TRUE(shot.save(VANTOREL_SCREENSHOT_DIR "/TfrmFilesLeft.png"));
        EXPECT_EQ(messages.texts().size(), 1); // the question only: no box per file
        const QString denial = "Permission denied";
        EXPECT_EQ(rows.join('|'),
                  (QStringList{QString::fromStdString(denied[0]) + '\t' + denial,
                               QString::fromStdString(denied[1]) + '\t' + denial,
                               QString::fromStdString(denied[2]) + '\t' + denial,
                               QString::fromStdString(vanished) + "\tNo such file or directory"})
                      .join('|'));
        EXPECT_EQ(header, recycle ? "4 files could not be sent to the recycle bin and stayed where they were."
                                  : "4 files could not be deleted and stayed where they were.");
        EXPECT_EQ(copied.mid(0, 3).join('|'), (QStringList{header, "", rows.value(0)}).join('|'));
        for (const std::string& path : denied)
            EXPECT_TRUE(exists(path)) << path;
        for (const std::string& path : free)
            EXPECT_FALSE(exists(path)) << path;
        EXPECT_EQ(w.result(), QDialog::Accepted);
    }
    EXPECT_EQ(DeletionTotals::read().filesDeleted, 3);
    EXPECT_EQ(DeletionTotals::read().filesRecycled, 3);
}

TEST_F(ReallyDeleteTest, FilesOnAReadOnlyMountStayAndTheOthersGo) {
    tree.file("data/a.txt", 1);
    tree.file("data/b.txt", 2);
    const std::string writable = tree.file("rw/c.txt", 3);
    ScopedMount bind(tree.path("data").c_str(), tree.folder("ro"), nullptr, MS_BIND);
    if (!bind.mounted ||
        ::mount(nullptr, tree.path("ro").c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
        GTEST_SKIP() << "cannot mount here";
    TfrmReallyDelete w(nullptr);
    w.setFileList(listed({tree.path("ro/a.txt"), tree.path("ro/b.txt"), writable}));
    w.show();
    messages.scriptAnswers({MessageAnswer::Yes});
    QStringList rows;
    whenFilesLeftShows([&](TfrmFilesLeft& report) { rows = filesLeftRows(report); });
    click(w, "btDelete");
    EXPECT_EQ(rows.join('|'), QString::fromStdString(tree.path("ro/a.txt") + "\tRead-only file system|" +
                                                     tree.path("ro/b.txt") + "\tRead-only file system"));
    EXPECT_TRUE(exists(tree.path("data/a.txt")));
    EXPECT_FALSE(exists(writable));
    EXPECT_EQ(DeletionTotals::read().filesDeleted, 1);
}

TEST_F(ReallyDeleteTest, CancelDuringARunStopsItAfterTheCurrentFile) {
    std::vector<ListedEntry> files;
    for (int i = 0; i < 40; ++i)
        files.push_back(listed(tree.file("many/f" + std::to_string(100 + i), 2)));
    TfrmReallyDelete w(nullptr);
    w.setFileList(files);
    w.setYieldInterval(0); // the event loop after every file
    w.show();
    messages.scriptAnswers({MessageAnswer::Yes});
    QTimer::singleShot(0, &w, [&] {
        EXPECT_TRUE(w.running());
        EXPECT_FALSE(w.findChild<QPushButton*>("btRecycle")->isEnabled());
        click(w, "btClose");
    });
    click(w, "btDelete");
    EXPECT_EQ(messages.texts().back(), "Stopped: 39 files were not attempted and stayed where they were.");
    EXPECT_EQ(messages.records().back().kind, MessageKind::Information);
    EXPECT_FALSE(exists(tree.path("many/f100")));
    EXPECT_TRUE(exists(tree.path("many/f101")));
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_EQ(DeletionTotals::read().filesDeleted, 1);
}

// A tmpfs of its own size: the home trash and the files on it, so that the trash can fill up.
struct SmallRamDisk {
    std::string where;
    bool mounted;
    explicit SmallRamDisk(const std::string& folder)
        : where(folder), mounted(::mount("none", folder.c_str(), "tmpfs", 0, "size=256k") == 0) {}
    ~SmallRamDisk() {
        if (mounted)
            ::umount2(where.c_str(), MNT_DETACH);
    }
};

TEST_F(ReallyDeleteTest, OnlyAFullBinStopsTheRecycleRun) {
    SmallRamDisk ram(tree.folder("ram"));
    if (!ram.mounted)
        GTEST_SKIP() << "cannot mount here";
    const std::string first = tree.file("ram/files/a.txt", 10);
    const std::string second = tree.file("ram/files/b.txt", 10);
    const std::string third = tree.file("ram/files/c.txt", 10);
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(tree.folder("ram/data")));
    tree.folder("ram/data/Trash/files");
    tree.folder("ram/data/Trash/info");
    {
        std::FILE* filler = std::fopen(tree.path("ram/filler").c_str(), "w");
        ASSERT_NE(filler, nullptr);
        const std::string block(4096, 'f');
        while (std::fwrite(block.data(), 1, block.size(), filler) == block.size() && std::fflush(filler) == 0)
            ;
        std::fclose(filler);
    }
    TfrmReallyDelete w(nullptr);
    w.setFileList(listed({third, second, first}));
    w.show();
    messages.scriptAnswers({MessageAnswer::Yes});
    click(w, "btRecycle");
    qputenv("XDG_DATA_HOME", dataHome);
    ASSERT_EQ(messages.texts().size(), 2);
    EXPECT_EQ(messages.texts()[1],
              "An error occurred sending files to the recycle bin.  The bin may be full.\n\n"
              "2 files were not attempted and stayed where they were.\n\n" +
                  QString::fromStdString(first) + "\nNo space left on device");
    for (const std::string& path : {first, second, third})
        EXPECT_TRUE(exists(path)) << path;
    EXPECT_FALSE(QFile::exists(DeletionTotals::settingsPath())); // nothing went, nothing written
}

TEST_F(ReallyDeleteTest, FilesWhereNoTrashIsKeptCannotBeOfferedTheBin) {
    ScopedMount ram("none", tree.folder("ram"), "tmpfs", 0);
    if (!ram.mounted)
        GTEST_SKIP() << "cannot mount here";
    const std::string onRam = tree.file("ram/a.txt", 3);
    const std::string atHome = tree.file("home/b.txt", 4);
    auto btRecycle = [](TfrmReallyDelete& w) { return w.findChild<QPushButton*>("btRecycle"); };
    TfrmReallyDelete ramOnly(nullptr);
    ramOnly.setFileList(listed({onRam}));
    ramOnly.show();
    EXPECT_FALSE(btRecycle(ramOnly)->isEnabled());
    EXPECT_EQ(btRecycle(ramOnly)->toolTip(), "These files lie on a filesystem that has no recycle bin.");

    // Mixed: the bin is offered, and the file it cannot take says why.
    TfrmReallyDelete mixed(nullptr);
    mixed.setFileList(listed({onRam, atHome}));
    mixed.show();
    ASSERT_TRUE(btRecycle(mixed)->isEnabled());
    messages.scriptAnswers({MessageAnswer::Yes});
    click(mixed, "btRecycle");
    EXPECT_EQ(messages.texts().back(),
              "Couldn't delete file - " + QString::fromStdString(onRam) + "\nthis filesystem has no trash");
    EXPECT_TRUE(exists(onRam));
    EXPECT_FALSE(exists(atHome));
}

TEST_F(ReallyDeleteTest, EmptyListWarnsAndCancelChangesNothing) {
    const std::string a = tree.file("cancel-a.txt", 4);
    {
        TfrmReallyDelete w(nullptr);
        w.show();
        click(w, "btDelete");
        EXPECT_EQ(messages.texts(), QStringList({"There are no files to delete"}));
        EXPECT_EQ(messages.records().front().kind, MessageKind::Warning);
        EXPECT_TRUE(w.isVisible());
    }
    TfrmReallyDelete w(nullptr);
    w.setFileList(listed({a}));
    QTimer::singleShot(0, &w, [&] { click(w, "btClose"); });
    EXPECT_EQ(w.exec(), QDialog::Rejected);
    QTimer::singleShot(0, &w, [&] { QTest::keyClick(&w, Qt::Key_Escape); });
    EXPECT_EQ(w.exec(), QDialog::Rejected);
    EXPECT_TRUE(exists(a));
    EXPECT_FALSE(QFile::exists(DeletionTotals::settingsPath()));
}

TEST_F(ReallyDeleteTest, ExecReturnsOkAfterARun) {
    const std::string a = tree.file("exec-a.txt", 4);
    TfrmReallyDelete w(nullptr);
    w.setFileList(listed({a}));
    messages.scriptAnswers({MessageAnswer::Yes});
    QTimer::singleShot(0, &w, [&] { click(w, "btDelete"); });
    EXPECT_EQ(w.exec(), QDialog::Accepted);
    EXPECT_FALSE(exists(a));
}

TEST_F(ReallyDeleteTest, UnwritableTotalsStillEndTheRunAndSayWhatWasNotRecorded) {
    const std::string a = tree.file("data/ro-a.txt", 4);
    tree.setMode("data", 0777);
    tree.setMode("config", 0555);
    TfrmReallyDelete w(nullptr);
    w.setFileList(listed({a}));
    w.show();
    messages.scriptAnswers({MessageAnswer::Yes});
    {
        AsUnprivileged nobody;
        w.btDeleteAllClick();
    }
    EXPECT_FALSE(exists(a));
    ASSERT_EQ(messages.records().size(), 2u);
    const QString error = messages.records().back().text;
    EXPECT_EQ(messages.records().back().kind, MessageKind::Error);
    EXPECT_TRUE(error.startsWith("Unable to write to " + DeletionTotals::settingsPath())) << error.toStdString();
    EXPECT_TRUE(error.endsWith("\n\nNot recorded in the totals: 1 file and 4 bytes deleted.")) << error.toStdString();
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_TRUE(listTexts(w).isEmpty());
}

TEST_F(ReallyDeleteTest, SumsOfHugeFilesStopAtTheLargestNumber) {
    ScopedMount ram("none", tree.folder("ram"), "tmpfs", 0);
    if (!ram.mounted)
        GTEST_SKIP() << "cannot mount here";
    constexpr std::int64_t most = std::numeric_limits<std::int64_t>::max();
    std::vector<ListedEntry> files;
    for (const char* name : {"ram/huge-1", "ram/huge-2"}) {
        const std::string path = tree.file(name, 0);
        if (::truncate(path.c_str(), most) != 0)
            GTEST_SKIP() << "this filesystem takes no file of 8 EiB";
        files.push_back(listed(path));
    }
    TfrmReallyDelete w(nullptr);
    w.setFileList(files);
    w.setSavings(double(most) * 2);
    w.show();
    EXPECT_EQ(w.findChild<QLabel*>("lblSavings")->text(), "9,223,372,036,854,775,807 bytes");
    messages.scriptAnswers({MessageAnswer::Yes});
    click(w, "btDelete");
    EXPECT_EQ(DeletionTotals::read().bytesDeleted, most);
    EXPECT_EQ(DeletionTotals::read().filesDeleted, 2);
}

// Marked duplicates go only while a copy their group keeps is still the one compared: rewritten
// with its time set back, it stops its group, and the other group goes on.
TEST_F(ReallyDeleteTest, AKeptCopyThatChangedStopsItsGroupOnly) {
    const std::string kept = tree.file("kept/same.txt", 9, 's');
    const std::string a = tree.file("a/same.txt", 9, 's');
    const std::string b = tree.file("b/same.txt", 9, 's');
    const std::string keptOther = tree.file("kept/other.txt", 5, 'o');
    const ListedEntry keptAsCompared = listed(kept);
    ASSERT_TRUE(RewriteKeepingTime(kept, 'S'));

    for (bool recycle : {false, true}) {
        SCOPED_TRACE(recycle);
        const std::string c = tree.file("c/other.txt", 5, 'o');
        const std::vector<ListedEntry> marked = listed({a, b, c});
        KeptCopies copies;
        copies.addGroup({keptAsCompared}, {marked[0].identity, marked[1].identity});
        copies.addGroup({listed(keptOther)}, {marked[2].identity});
        TfrmReallyDelete w(nullptr);
        w.setFileList(marked);
        w.setKeptCopies(copies);
        w.show();
        messages.scriptAnswers({MessageAnswer::Yes});
        QStringList rows;
        whenFilesLeftShows([&](TfrmFilesLeft& report) { rows = filesLeftRows(report); });
        click(w, recycle ? "btRecycle" : "btDelete");
        const QString reason =
            "the copy to be kept, " + QString::fromStdString(kept) +
            ", changed since the contents were compared; nothing more of its group was removed";
        EXPECT_EQ(rows, QStringList({QString::fromStdString(a) + '\t' + reason,
                                     QString::fromStdString(b) + '\t' + reason}));
        EXPECT_TRUE(exists(a) && exists(b));
        EXPECT_FALSE(exists(c));
    }
}

// The recycle bin is refused with the reason when the run could not be put back from the journal;
// the window stays, with its list, for another choice.
TEST_F(ReallyDeleteTest, WithoutItsJournalTheBinIsRefusedAndNothingGoes) {
    const std::string a = tree.file("data/a.txt", 10);
    TempTree state;
    std::ofstream(state.path("vantorel")) << "not a folder";
    ScopedXdgFolder home("XDG_STATE_HOME", state.root());
    TfrmReallyDelete w(nullptr);
    w.setFileList(listed({a}));
    w.show();
    messages.scriptAnswers({MessageAnswer::Yes});
    click(w, "btRecycle");
    ASSERT_EQ(messages.texts().size(), 2);
    EXPECT_TRUE(messages.texts()[1].startsWith("The journal of deletes ("))
        << messages.texts()[1].toStdString();
    EXPECT_TRUE(exists(a));
    EXPECT_EQ(w.fileList().size(), 1u);
    EXPECT_NE(w.result(), QDialog::Accepted);
    EXPECT_TRUE(w.isVisible());
}
