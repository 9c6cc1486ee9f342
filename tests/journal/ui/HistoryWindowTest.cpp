// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/StringGridModel.h"
#include "common/ui/ResultGridView.h"
#include "delete/DeleteTestSupport.h"
#include "delete/ListedFileRemoval.h"
#include "delete/ui/FolderDeleteRun.h"
#include "journal/JournalWriter.h"
#include "journal/ui/TfrmHistory.h"
#include "support/FinderWindowTest.h"
#include "support/RecordingMessageService.h"
#include "support/TempTree.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

class HistoryWindow : public ::testing::Test {
protected:
    TempTree tree;
    RecordingMessageService messages;
    ScopedXdgFolder state{"XDG_STATE_HOME", tree.folder("state")};
    ScopedXdgFolder data{"XDG_DATA_HOME", tree.folder("data")};

    std::int64_t run(JournalTool tool, bool recycle, const std::vector<std::string>& paths) {
        JournalWriter journal = JournalWriter::begin(tool, recycle);
        for (const std::string& path : paths) {
            const ListedEntry entry = listed(path);
            journal.file(entry, RemoveListedFile(entry, recycle));
        }
        journal.end(0, false);
        return journal.id();
    }
    static QStringList row(const StringGridModel* model, int gridRow) {
        QStringList cells;
        for (int c = 0; c < model->columnCountAll(); ++c)
            cells << model->cellText(gridRow, c);
        return cells;
    }
    static QPushButton* button(QWidget& w, const char* name) {
        return w.findChild<QPushButton*>(QString::fromLatin1(name));
    }
};

} // namespace

TEST_F(HistoryWindow, ListsTheRunsAndUndoesTheSelectedOne) {
    const std::string a = tree.file("photos/a.jpg", 1000);
    const std::string b = tree.file("photos/b\nc.jpg", 2000);
    const std::int64_t trashed = run(JournalTool::Duplicates, true, {a, b, tree.path("photos/gone.jpg")});
    const std::int64_t deleted = run(JournalTool::Browser, false, {tree.file("old.log", 30)});

    TfrmHistory w;
    w.resize(1024, 600);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const StringGridModel* runs = w.runsModel();
    ASSERT_EQ(runs->gridRowCount(), 3);
    EXPECT_EQ(row(runs, 1).mid(3), (QStringList{"Browse through folders", "Deleted", "1", "30", "", ""}));
    EXPECT_EQ(row(runs, 2).mid(3), (QStringList{"Duplicate files", "Recycle bin", "2", "3,000", "2", "0"}));
    EXPECT_EQ(row(runs, 1)[0], QString::number(deleted));
    // The newest is selected: a permanent run, nothing to undo.
    EXPECT_EQ(w.selectedRun(), deleted);
    EXPECT_FALSE(button(w, "btUndo")->isEnabled());

    w.selectRun(trashed);
    const StringGridModel* files = w.filesModel();
    ASSERT_EQ(files->gridRowCount(), 4);
    EXPECT_EQ(row(files, 1), (QStringList{"a.jpg", QString::fromStdString(tree.path("photos")), "1,000",
                                          "Sent to the recycle bin"}));
    EXPECT_EQ(row(files, 2)[0], "b?c.jpg");
    EXPECT_EQ(row(files, 3)[3], "Stayed: No such file or directory");
    EXPECT_EQ(w.findChild<QLabel*>("lblFiles")->text(), QStringLiteral("Run %1: marked files").arg(trashed));
    SaveShot(w, "TfrmHistory.png");

    messages.scriptAnswers({MessageAnswer::Yes});
    button(w, "btUndo")->click();
    EXPECT_TRUE(messages.saw(QStringLiteral("Put the files of run %1 back where they were?").arg(trashed)));
    EXPECT_TRUE(messages.saw(QStringLiteral("2 files were put back where they were.")))
        << messages.texts().join('|').toStdString();
    EXPECT_TRUE(exists(a));
    EXPECT_TRUE(exists(b));
    // What came back is shown; the run stays selected and has nothing left to undo.
    EXPECT_EQ(w.selectedRun(), trashed);
    EXPECT_EQ(row(w.runsModel(), 2).mid(7), (QStringList{"0", "2"}));
    EXPECT_EQ(row(w.filesModel(), 1)[3], "Restored");
    EXPECT_FALSE(button(w, "btUndo")->isEnabled());

    button(w, "btCopy")->click();
    const QStringList copied = QApplication::clipboard()->text().remove('\r').split('\n');
    EXPECT_EQ(copied[0], "Name\tFolder\tSize\tWhat became of it");
    EXPECT_TRUE(copied[1].startsWith("a.jpg\t")) << copied[1].toStdString();
}

TEST_F(HistoryWindow, AnEmptyOrUnreadableJournalIsSaid) {
    {
        TfrmHistory w;
        EXPECT_EQ(w.findChild<QLabel*>("pnlStatus")->text(), QStringLiteral("No delete runs in the journal"));
        EXPECT_FALSE(button(w, "btUndo")->isEnabled());
    }
    run(JournalTool::FolderHogs, true, {tree.file("x.txt", 3)});
    tree.file("state/vantorel/journal/7.run", 10); // no header of its own
    TfrmHistory w;
    EXPECT_EQ(w.runsModel()->gridRowCount(), 3);
    const QLabel* status = w.findChild<QLabel*>("pnlStatus");
    EXPECT_EQ(
        status->text(),
        QStringLiteral("2 runs in the journal; some of it could not be read (point here to see which)"));
    EXPECT_TRUE(
        status->toolTip().contains("Run 7 cannot be read: its first line is not the record of this run"))
        << status->toolTip().toStdString();
}

// An empty folder that a window removed at once comes back from History as it was.
TEST_F(HistoryWindow, AnEmptyFolderRemovedAtOnceIsMadeAgainByUndo) {
    const std::string empty = tree.folder("work/empty one");
    tree.setMode("work/empty one", 0751);
    const timespec times[2] = {{1600000000, 123}, {1500000000, 456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, empty.c_str(), times, 0), 0);
    ASSERT_TRUE(RemoveConfirmedFolder(listed(empty), true, JournalTool::Browser).removedEmpty);
    ASSERT_FALSE(exists(empty));

    TfrmHistory w;
    ASSERT_TRUE(button(w, "btUndo")->isEnabled()); // no file, yet something to undo
    messages.scriptAnswers({MessageAnswer::Yes});
    button(w, "btUndo")->click();
    EXPECT_TRUE(messages.saw(QStringLiteral("1 folder was made again.")))
        << messages.texts().join('|').toStdString();
    struct stat st {};
    ASSERT_EQ(::stat(empty.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0751u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1500000000);
    EXPECT_EQ(st.st_mtim.tv_nsec, 456789);
    EXPECT_EQ(st.st_atim.tv_sec, 1600000000);
    EXPECT_FALSE(button(w, "btUndo")->isEnabled());
}
