// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/ui/FolderDeleteRun.h"
#include "DeleteTestSupport.h"
#include "FilesLeftReport.h"
#include "delete/ui/TfrmDeleteProgress.h"
#include "support/RecordingMessageService.h"
#include "support/TempTree.h"

#include <QDir>
#include <QLabel>
#include <fstream>
#include <gtest/gtest.h>

namespace {
class FolderDeleteRunTest : public ::testing::Test {
protected:
    TempTree tree;
    RecordingMessageService messages;

    // The progress shows at once and the event loop runs between every two entries.
    FolderDeleteRunTest() { SetFolderDeleteProgressTiming(0, 0); }
    ~FolderDeleteRunTest() override { SetFolderDeleteProgressTiming(1000, 15); }
};
} // namespace

TEST_F(FolderDeleteRunTest, ALongDeleteShowsItsProgressAndCancelStopsItAfterTheCurrentFile) {
    for (int i = 0; i < 20; ++i)
        tree.file("victim/f" + std::to_string(i), 3);
    QString figures;
    QTimer::singleShot(0, [&] {
        auto* progress = qobject_cast<TfrmDeleteProgress*>(QApplication::activeModalWidget());
        ASSERT_NE(progress, nullptr);
        figures = progress->findChild<QLabel*>("lblFigures")->text();
        QDir().mkpath(VANTOREL_SCREENSHOT_DIR);
        EXPECT_TRUE(progress->grab().save(VANTOREL_SCREENSHOT_DIR "/TfrmDeleteProgress.png"));
        QTest::mouseClick(progress->findChild<QPushButton*>("btCancel"), Qt::LeftButton);
    });
    const FolderDeleteOutcome outcome =
        RemoveConfirmedFolder(listed(tree.path("victim")), false, JournalTool::FolderHogs);
    EXPECT_EQ(figures, "1 file deleted (3 bytes)");
    EXPECT_FALSE(outcome.result.completed);
    EXPECT_EQ(outcome.result.files, 1);
    EXPECT_FALSE(outcome.gone);
    EXPECT_EQ(messages.texts(),
              QStringList{"Deleted 1 files for a savings of 3 bytes. (Note: Deletion operation "
                          "canceled ... not all files deleted)"});
    EXPECT_EQ(QDir(QString::fromStdString(tree.path("victim"))).entryList(QDir::Files).size(), 19);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr); // the progress window is gone
}

TEST_F(FolderDeleteRunTest, SeveralThatStayAreListedInOneWindow) {
    tree.file("victim/locked-a/keep.txt", 5); // root's folders: nobody may empty them
    tree.file("victim/locked-b/keep.txt", 6);
    tree.file("victim/free.txt", 3);
    tree.setMode("victim", 0777);
    // A totals file that the unprivileged user may write, as a user's own is.
    ScopedConfigHome config(tree.folder("config"));
    tree.setMode("config", 0777);
    QString header;
    QStringList rows;
    whenFilesLeftShows([&](TfrmFilesLeft& report) {
        header = report.findChild<QLabel*>("lblHeader")->text();
        rows = filesLeftRows(report);
    });
    {
        AsUnprivileged nobody;
        RemoveConfirmedFolder(listed(tree.path("victim")), false, JournalTool::FolderHogs);
    }
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join('|').toStdString();
    EXPECT_EQ(header, "Deleted 1 files for a savings of 3 bytes.\n\n"
                      "2 files could not be deleted and stayed where they were.");
    rows.sort();
    EXPECT_EQ(rows.join('|'),
              QString::fromStdString(tree.path("victim/locked-a/keep.txt") + "\tPermission denied|" +
                                     tree.path("victim/locked-b/keep.txt") + "\tPermission denied"));
    EXPECT_FALSE(exists(tree.path("victim/free.txt")));
}

// What goes to the bin is to be put back from the journal: without it the recycle is refused with
// the reason, while a delete for good goes on and says so at the end.
TEST_F(FolderDeleteRunTest, WithoutItsJournalAFolderIsNotRecycledButIsDeleted) {
    tree.file("victim/a.txt", 3);
    tree.file("victim/sub/b.txt", 4);
    TempTree state;
    std::ofstream(state.path("vantorel")) << "not a folder";
    ScopedXdgFolder home("XDG_STATE_HOME", state.root());
    FolderDeleteOutcome outcome =
        RemoveConfirmedFolder(listed(tree.path("victim")), true, JournalTool::Browser);
    EXPECT_FALSE(outcome.gone);
    EXPECT_EQ(outcome.result.files, 0);
    ASSERT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(messages.texts()[0].startsWith("Couldn't delete folder - " +
                                               QString::fromStdString(tree.path("victim")) +
                                               "\nThe journal of deletes ("));
    EXPECT_TRUE(
        messages.texts()[0].endsWith("Nothing was sent to the recycle bin, since it could not be put back "
                                     "from there."));
    EXPECT_TRUE(exists(tree.path("victim/sub/b.txt")));

    outcome = RemoveConfirmedFolder(listed(tree.path("victim")), false, JournalTool::Browser);
    EXPECT_TRUE(outcome.gone);
    EXPECT_TRUE(messages.texts().last().contains("could not be written"))
        << messages.texts().join('|').toStdString();
}
