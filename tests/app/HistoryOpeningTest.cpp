// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ScreenshotDir.h"
#include "app/TfrmMain.h"
#include "delete/DeleteTestSupport.h"
#include "delete/ListedFileRemoval.h"
#include "journal/JournalWriter.h"
#include "journal/ui/TfrmHistory.h"
#include "stats/ui/TfrmStatistics.h"
#include "support/RecordingMessageService.h"
#include "support/TempTree.h"

#include <QApplication>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
// Presses the button, and closes the History window it opens modally; true when one opened.
bool opensHistory(QPushButton* button) {
    bool opened = false;
    QTimer::singleShot(0, [&] {
        auto* history = qobject_cast<TfrmHistory*>(QApplication::activeModalWidget());
        opened = history != nullptr;
        if (history)
            history->reject();
    });
    QTest::mouseClick(button, Qt::LeftButton);
    return opened;
}
} // namespace

// From the main window (at the right of the statistics row) and from the statistics' Deleted page.
TEST(MainWindow, HistoryOpensFromTheMainWindowAndTheDeletedPage) {
    RecordingMessageService messages;
    TfrmMain frm;
    frm.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frm));
    auto* btHistory = frm.findChild<QPushButton*>(QStringLiteral("btHistory"));
    ASSERT_NE(btHistory, nullptr);
    EXPECT_EQ(btHistory->text(), QStringLiteral("H&istory"));
    EXPECT_EQ(btHistory->parentWidget()->objectName(), QStringLiteral("pnlStatistic"));
    EXPECT_TRUE(btHistory->parentWidget()->rect().contains(btHistory->geometry()));
    EXPECT_TRUE(opensHistory(btHistory));

    TfrmStatistics stats;
    stats.show();
    stats.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(7);
    auto* fromStats = stats.findChild<QPushButton*>(QStringLiteral("btHistory"));
    ASSERT_NE(fromStats, nullptr);
    EXPECT_TRUE(fromStats->isVisible());
    EXPECT_TRUE(opensHistory(fromStats));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// The documentation's picture: a trash run of three files, one of which came back.
TEST(Screenshots, HistoryOfDeletes) {
    RecordingMessageService messages;
    TempTree tree;
    ScopedXdgFolder state("XDG_STATE_HOME", tree.folder("state"));
    ScopedXdgFolder data("XDG_DATA_HOME", tree.folder("data"));
    JournalWriter journal = JournalWriter::begin(JournalTool::Duplicates, true);
    for (const char* name : {"holiday.jpg", "holiday (copy).jpg", "report-final-2.pdf"}) {
        const std::optional<ListedEntry> file =
            ListedEntry::listNow(tree.file(std::string("Pictures/") + name, 180000));
        ASSERT_TRUE(file);
        journal.file(*file, RemoveListedFile(*file, true));
    }
    journal.end(0, false);
    JournalWriter folder = JournalWriter::begin(JournalTool::FolderHogs, false, tree.path("Downloads/old"));
    const std::optional<ListedEntry> old =
        ListedEntry::listNow(tree.file("Downloads/old/setup.iso", 2 << 20));
    ASSERT_TRUE(old);
    folder.file(*old, RemoveListedFile(*old, false));
    folder.end(0, false);

    TfrmHistory w;
    w.selectRun(journal.id());
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_FALSE(SaveScreenshot(&w, QStringLiteral("history-of-deletes")).isEmpty());
}
