// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ScreenshotDir.h"
#include "app/TfrmMain.h"
#include "finders/dup/ui/TfrmDup.h"
#include "folderhogs/ui/TfrmDirHog.h"
#include "support/RecordingMessageService.h"
#include "support/TempTree.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct FinderSeen {
    bool opened = false;
    bool modal = false;
    QString caption;
    bool exactShown = false;
};

// Presses a finder button of the main window and notes what the modal finder shows before
// closing it.
FinderSeen openFinder(TfrmMain& frm, const char* buttonName) {
    FinderSeen seen;
    QTimer::singleShot(0, [&] {
        auto* dup = qobject_cast<TfrmDup*>(QApplication::activeModalWidget());
        if (!dup)
            return;
        seen.opened = true;
        seen.modal = dup->isModal();
        seen.caption = dup->windowTitle();
        if (auto* exact = dup->findChild<QPushButton*>(QStringLiteral("btExact")))
            seen.exactShown = exact->isVisible();
        dup->reject();
    });
    QTest::mouseClick(frm.findChild<QPushButton*>(QString::fromLatin1(buttonName)), Qt::LeftButton);
    return seen;
}

} // namespace

TEST(MainWindow, EachFinderOpeningTakesTheModeOfItsButton) {
    RecordingMessageService messages;
    TfrmMain frm;
    frm.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frm));

    const FinderSeen dups = openFinder(frm, "btDuplicate");
    ASSERT_TRUE(dups.opened);
    EXPECT_TRUE(dups.modal);
    EXPECT_TRUE(frm.DupMode);
    EXPECT_EQ(dups.caption, QStringLiteral("Find and delete duplicate files"));
    EXPECT_TRUE(dups.exactShown);

    const FinderSeen hogs = openFinder(frm, "btFileHog");
    ASSERT_TRUE(hogs.opened);
    EXPECT_FALSE(frm.DupMode);
    EXPECT_EQ(hogs.caption, QStringLiteral("Find and delete file hogs"));
    EXPECT_FALSE(hogs.exactShown);

    const FinderSeen again = openFinder(frm, "btDuplicate");
    EXPECT_EQ(again.caption, QStringLiteral("Find and delete duplicate files"));

    // Every finder is destroyed when it closes.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(frm.findChildren<TfrmDup*>().isEmpty());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(frm.isVisible());
}

TEST(MainWindow, FolderHogsOpensModallyAndIsDestroyedAfterUse) {
    RecordingMessageService messages;
    TfrmMain frm;
    frm.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frm));
    bool modal = false;
    QTimer::singleShot(0, [&] {
        auto* hogs = qobject_cast<TfrmDirHog*>(QApplication::activeModalWidget());
        modal = hogs && hogs->isModal() && hogs->parentWidget() == &frm;
        if (hogs)
            QTest::mouseClick(hogs->findChild<QPushButton*>(QStringLiteral("btClose")), Qt::LeftButton);
    });
    QTest::mouseClick(frm.findChild<QPushButton*>(QStringLiteral("btDirHogs")), Qt::LeftButton);
    EXPECT_TRUE(modal);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(frm.findChildren<TfrmDirHog*>().isEmpty());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// The documentation's picture of the duplicate finder after a scan of a small generated drive.
TEST(Screenshots, FinderResults) {
    RecordingMessageService messages;
    TempTree drive;
    const std::int64_t K = 1024;
    drive.file("Documents/Reports/annual-report.pdf", 412 * K);
    drive.file("Backup/2023/annual-report.pdf", 412 * K);
    drive.file("Downloads/annual-report.pdf", 398 * K);
    drive.file("Music/Albums/track01.flac", 28 * 1024 * K);
    drive.file("Backup/Music/track01.flac", 28 * 1024 * K);
    drive.file("Videos/holiday.mp4", 650 * 1024 * K);
    drive.file("Downloads/holiday.mp4", 650 * 1024 * K);
    drive.file("Projects/site/logo.png", 300 * K);
    drive.file("Pictures/logo.png", 300 * K);
    drive.file("Pictures/unique-photo.jpg", 2 * 1024 * K);
    qputenv("VANTOREL_DRIVES", QByteArray("C=") + QByteArray::fromStdString(drive.root()));

    TfrmDup dup(true);
    dup.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dup));
    auto* cb1 = dup.findChild<QCheckBox*>(QStringLiteral("cb1"));
    ASSERT_NE(cb1, nullptr);
    if (!cb1->isChecked())
        QTest::mouseClick(cb1, Qt::LeftButton, {}, QPoint(4, cb1->height() / 2));
    ASSERT_TRUE(cb1->isChecked());
    QTest::mouseClick(dup.findChild<QPushButton*>(QStringLiteral("btScan")), Qt::LeftButton);

    auto* grid = dup.findChild<QTableView*>(QStringLiteral("grid"));
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->model()->rowCount(), 9) << messages.texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(SaveScreenshot(&dup, QStringLiteral("finder-results")).isEmpty());
    qunsetenv("VANTOREL_DRIVES");
}

// The documentation's picture of the folder hogs window after a Main folders scan.
TEST(Screenshots, FolderHogsResults) {
    RecordingMessageService messages;
    TempTree drive;
    const std::int64_t M = 1024 * 1024;
    drive.file("Videos/2023/holiday.mp4", 1450 * M);
    drive.file("Videos/2024/wedding.mp4", 2300 * M);
    drive.file("Music/Albums/track01.flac", 38 * M);
    drive.file("Music/Albums/track02.flac", 41 * M);
    drive.file("Projects/site/index.html", 24 * 1024);
    drive.file("Projects/site/logo.png", 300 * 1024);
    drive.file("Documents/Reports/annual-report.pdf", 412 * 1024);
    drive.file("Downloads/installer.iso", 700 * M);
    drive.file("Pictures/2024/beach.jpg", 6 * M);
    drive.folder("Empty");
    qputenv("VANTOREL_DRIVES", QByteArray("C=") + QByteArray::fromStdString(drive.root()));

    TfrmDirHog hogs;
    hogs.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&hogs));
    auto* cb1 = hogs.findChild<QCheckBox*>(QStringLiteral("cb1"));
    ASSERT_NE(cb1, nullptr);
    if (!cb1->isChecked())
        QTest::mouseClick(cb1, Qt::LeftButton, {}, QPoint(4, cb1->height() / 2));
    QTest::mouseClick(hogs.findChild<QPushButton*>(QStringLiteral("btTop")), Qt::LeftButton);

    auto* grid = hogs.findChild<QTableView*>(QStringLiteral("grid"));
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->model()->rowCount(), 7) << messages.texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(SaveScreenshot(&hogs, QStringLiteral("folder-hogs-results")).isEmpty());
    qunsetenv("VANTOREL_DRIVES");
}
