// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ScreenshotDir.h"
#include "app/TfrmMain.h"
#include "platform/CurrentFolder.h"
#include "stats/ui/TfrmStatistics.h"
#include "support/RecordingMessageService.h"
#include "support/TempTree.h"

#include <QApplication>
#include <QDateTime>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

// The statistics window exists from start-up, hidden; the button shows it beside the main window
// without blocking, and pressing it again only brings the same window to the front.
TEST(MainWindow, StatisticsButtonShowsTheLongLivedWindowWithoutBlocking) {
    RecordingMessageService messages;
    TfrmMain frm;
    TfrmStatistics stats;
    frm.setStatisticsWindow(&stats);
    frm.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frm));
    EXPECT_FALSE(stats.isVisible());

    auto* btStatistic = frm.findChild<QPushButton*>(QStringLiteral("btStatistic"));
    ASSERT_NE(btStatistic, nullptr);
    ASSERT_TRUE(btStatistic->isEnabled());
    QTest::mouseClick(btStatistic, Qt::LeftButton); // returns at once: nothing runs a modal loop
    EXPECT_TRUE(stats.isVisible());
    EXPECT_FALSE(stats.isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(frm.isEnabled());

    stats.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(2);
    QTest::mouseClick(btStatistic, Qt::LeftButton);
    EXPECT_EQ(QApplication::topLevelWidgets().count(&stats), 1);
    EXPECT_EQ(frm.findChildren<TfrmStatistics*>().size(), 0);
    EXPECT_TRUE(messages.records().empty());
}

// The documentation's picture of the statistics window after a collection on a small drive.
TEST(Screenshots, StatisticsAfterCollection) {
    RecordingMessageService messages;
    TempTree drive;
    const std::int64_t K = 1024;
    // Today as the walk sees it, so the creation ages (the files are made now) read true.
    const QDate today = QDate::currentDate();
    struct File {
        const char* path;
        std::int64_t size;
        int daysOld;
    };
    for (const File& f :
         {File{"Documents/report.pdf", 412 * K, 3}, File{"Documents/notes.txt", 2 * K, 1},
          File{"Documents/todo.txt", 1 * K, 400}, File{"Music/track01.flac", 28 * 1024 * K, 800},
          File{"Music/track02.flac", 31 * 1024 * K, 800}, File{"Pictures/beach.jpg", 6 * 1024 * K, 200},
          File{"Pictures/scan.jpg", 2 * 1024 * K, 1500}, File{"Videos/holiday.mp4", 650 * 1024 * K, 100},
          File{"Projects/site/index.html", 24 * K, 10}, File{"Downloads/setup.iso", 700 * 1024 * K, 30}}) {
        drive.file(f.path, f.size);
        const std::time_t at = QDateTime(today.addDays(-f.daysOld), QTime(10, 30)).toSecsSinceEpoch();
        drive.setTimes(f.path, at, at);
    }
    qputenv("VANTOREL_DRIVES", QByteArray("C=") + QByteArray::fromStdString(drive.root()));
    CurrentFolder::set(drive.root());

    TfrmStatistics stats([today] { return today; });
    stats.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&stats));
    QSignalSpy ended(&stats, &TfrmStatistics::collectionEnded);
    QTest::mouseClick(stats.findChild<QPushButton*>(QStringLiteral("btOK")), Qt::LeftButton);
    if (ended.isEmpty()) {
        ASSERT_TRUE(ended.wait(60'000));
    }
    stats.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(1); // Types
    EXPECT_FALSE(SaveScreenshot(&stats, QStringLiteral("statistics-types")).isEmpty());
    qunsetenv("VANTOREL_DRIVES");
}
