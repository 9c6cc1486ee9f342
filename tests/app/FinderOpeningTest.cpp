// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ScreenshotDir.h"
#include "app/TfrmMain.h"
#include "finders/daterange/ui/TfrmMods.h"
#include "finders/daterange/ui/TfrmPickDate.h"
#include "finders/dup/ui/TfrmDup.h"
#include "folderhogs/ui/TfrmDirHog.h"
#include "platform/CurrentFolder.h"
#include "support/RecordingMessageService.h"
#include "support/TempTree.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <fstream>
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

// Presses a main window button whose tool window closes with its Close button; returns the caption
// of the window that opened modally over the main window ("" when none did), and checks that the
// window is destroyed after use.
template <class Tool> QString OpenAndCloseTool(const char* buttonName) {
    RecordingMessageService messages;
    TfrmMain frm;
    frm.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&frm));
    QString caption;
    QTimer::singleShot(0, [&] {
        auto* tool = qobject_cast<Tool*>(QApplication::activeModalWidget());
        if (!tool)
            return;
        if (tool->isModal() && tool->parentWidget() == &frm)
            caption = tool->windowTitle();
        QTest::mouseClick(tool->template findChild<QPushButton*>(QStringLiteral("btClose")), Qt::LeftButton);
    });
    QTest::mouseClick(frm.findChild<QPushButton*>(QString::fromLatin1(buttonName)), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(frm.findChildren<Tool*>().isEmpty());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    return caption;
}

TEST(MainWindow, FolderHogsOpensModallyAndIsDestroyedAfterUse) {
    EXPECT_EQ(OpenAndCloseTool<TfrmDirHog>("btDirHogs"), QStringLiteral("Folder Hogs"));
}

TEST(MainWindow, FilesAccessedOpensTheDateRangeFinderModallyAndDestroysItAfterUse) {
    EXPECT_EQ(OpenAndCloseTool<TfrmMods>("btFiles"), QStringLiteral("Files in a range of dates"));
}

// The documentation's picture of the date-range finder after a search for files nobody opened in
// years, and of its date picker.
TEST(Screenshots, DateRangeResults) {
    RecordingMessageService messages;
    TempTree drive;
    const std::int64_t K = 1024;
    struct Old {
        const char* path;
        std::int64_t size;
        QDate accessed;
    };
    for (const Old& f : {Old{"Documents/Taxes/return-2016.pdf", 840 * K, QDate(2017, 4, 12)},
                         Old{"Documents/Letters/landlord.odt", 36 * K, QDate(2016, 9, 3)},
                         Old{"Downloads/driver-setup.run", 48 * 1024 * K, QDate(2018, 1, 22)},
                         Old{"Music/Live/concert-1999.flac", 310 * 1024 * K, QDate(2019, 11, 30)},
                         Old{"Pictures/Scans/receipt-0412.png", 2 * 1024 * K, QDate(2015, 6, 8)},
                         Old{"Projects/thesis/draft-3.tex", 120 * K, QDate(2020, 2, 14)},
                         Old{"Projects/thesis/figures.zip", 9 * 1024 * K, QDate(2020, 2, 14)},
                         Old{"Videos/holiday.mp4", 650 * 1024 * K, QDate(2024, 8, 1)}}) {
        drive.file(f.path, f.size);
        const std::time_t at = QDateTime(f.accessed, QTime(10, 30)).toSecsSinceEpoch();
        drive.setTimes(f.path, at, at);
    }
    qputenv("VANTOREL_DRIVES", QByteArray("C=") + QByteArray::fromStdString(drive.root()));
    CurrentFolder::set(drive.root());

    TfrmMods mods;
    mods.setClock([] { return QDate(2025, 3, 1); });
    mods.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mods));
    mods.findChild<QLineEdit*>(QStringLiteral("dtStart"))->setText(QStringLiteral("1/1/2015"));
    mods.findChild<QLineEdit*>(QStringLiteral("dtEnd"))->setText(QStringLiteral("12/31/2020"));
    QTest::mouseClick(mods.findChild<QPushButton*>(QStringLiteral("btOK")), Qt::LeftButton);
    auto* grid = mods.findChild<QTableView*>(QStringLiteral("grid"));
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->model()->rowCount(), 7) << messages.texts().join(QLatin1Char('\n')).toStdString();
    mods.gridDblClick(); // the first row marked
    EXPECT_FALSE(SaveScreenshot(&mods, QStringLiteral("date-range-results")).isEmpty());

    TfrmPickDate picker;
    picker.setClock([] { return QDate(2025, 3, 1); });
    picker.setSelectedDate(QDate(2020, 12, 31));
    picker.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&picker));
    EXPECT_FALSE(SaveScreenshot(&picker, QStringLiteral("date-picker")).isEmpty());
    qunsetenv("VANTOREL_DRIVES");
}

// The documentation's picture of the duplicate finder after a scan of a small generated drive.
TEST(Screenshots, FinderResults) {
    RecordingMessageService messages;
    TempTree drive;
    const std::int64_t K = 1024;
    // Real bytes where the contents differ, so the content check has something to tell apart.
    const auto write = [&drive](const std::string& relative, std::int64_t size, char fill) {
        drive.file(relative, 0);
        std::ofstream(drive.path(relative), std::ios::binary) << std::string(std::size_t(size), fill);
    };
    write("Documents/Reports/annual-report.pdf", 412 * K, 'a');
    write("Backup/2023/annual-report.pdf", 412 * K, 'a');
    write("Downloads/annual-report.pdf", 398 * K, 'b');
    drive.file("Music/Albums/track01.flac", 28 * 1024 * K);
    drive.file("Backup/Music/track01.flac", 28 * 1024 * K);
    drive.file("Videos/holiday.mp4", 650 * 1024 * K);
    drive.file("Downloads/holiday.mp4", 650 * 1024 * K);
    write("Projects/site/logo.png", 300 * K, 'c');
    write("Pictures/logo.png", 300 * K, 'd');
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
    QTest::mouseClick(dup.findChild<QPushButton*>(QStringLiteral("btContent")), Qt::LeftButton);
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
