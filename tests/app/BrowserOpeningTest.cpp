// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ScreenshotDir.h"
#include "app/TfrmMain.h"
#include "browse/ui/TfrmBrowse.h"
#include "platform/CurrentFolder.h"
#include "support/RecordingMessageService.h"
#include "support/TempTree.h"

#include <QApplication>
#include <QDateTime>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

TEST(MainWindow, BrowseOpensTheBrowserModallyInTheCurrentFolder) {
    RecordingMessageService messages;
    TempTree drive;
    drive.file("here/a.txt", 1);
    qputenv("VANTOREL_DRIVES", QByteArray("C=") + QByteArray::fromStdString(drive.root()));
    CurrentFolder::set(drive.path("here"));
    TfrmMain frm;
    frm.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frm));
    std::string folder;
    QString mask;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        auto* browser = qobject_cast<TfrmBrowse*>(QApplication::activeModalWidget());
        if (!browser)
            return;
        modal = browser->isModal() && browser->parentWidget() == &frm;
        folder = browser->folderPath();
        mask = browser->mask();
        QTest::mouseClick(browser->findChild<QPushButton*>(QStringLiteral("btClose")), Qt::LeftButton);
    });
    QTest::mouseClick(frm.findChild<QPushButton*>(QStringLiteral("btBrowse")), Qt::LeftButton);
    EXPECT_TRUE(modal);
    EXPECT_EQ(folder, drive.path("here"));
    EXPECT_EQ(mask, QStringLiteral("*.*"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(frm.findChildren<TfrmBrowse*>().isEmpty());
    qunsetenv("VANTOREL_DRIVES");
}

// The documentation's picture of the folder browser over a small generated drive.
TEST(Screenshots, FolderBrowser) {
    RecordingMessageService messages;
    TempTree drive;
    const std::int64_t K = 1024;
    struct Shown {
        const char* path;
        std::int64_t size;
        int daysAgo;
    };
    for (const Shown& f : {Shown{"Documents/Reports/annual-report.pdf", 412 * K, 30},
                           Shown{"Documents/Reports/budget-2024.ods", 96 * K, 120},
                           Shown{"Documents/Reports/minutes.odt", 28 * K, 9},
                           Shown{"Documents/Reports/notes.txt", 3 * K, 2},
                           Shown{"Documents/Reports/summary.html", 18 * K, 45},
                           Shown{"Documents/Reports/chart.png", 230 * K, 45},
                           Shown{"Documents/Reports/old-draft.doc", 1200 * K, 900},
                           Shown{"Documents/Letters/landlord.odt", 36 * K, 200},
                           Shown{"Music/Albums/track01.flac", 28 * 1024 * K, 400},
                           Shown{"Pictures/2024/beach.jpg", 6 * 1024 * K, 180},
                           Shown{"Projects/site/index.html", 24 * K, 3}}) {
        drive.file(f.path, f.size);
        const std::time_t at =
            QDateTime(QDate::currentDate().addDays(-f.daysAgo), QTime(8 + f.daysAgo % 11, f.daysAgo % 60, 14)).toSecsSinceEpoch();
        drive.setTimes(f.path, at, at);
    }
    drive.folder("Downloads");
    qputenv("VANTOREL_DRIVES", QByteArray("C=") + QByteArray::fromStdString(drive.root()));
    CurrentFolder::set(drive.path("Documents/Reports"));

    TfrmBrowse browser;
    browser.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&browser));
    browser.resize(900, 460);
    auto* grid = browser.findChild<QTableView*>(QStringLiteral("grid"));
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->model()->rowCount(), 7);
    auto* tree = browser.findChild<QTreeView*>(QStringLiteral("DirectoryListBox1"));
    tree->expand(tree->model()->index(0, 0));
    EXPECT_TRUE(QTest::qWaitFor([&] { return tree->model()->rowCount(tree->model()->index(0, 0)) == 5; }, 10000));
    QTest::qWait(50);
    grid->setCurrentIndex(grid->model()->index(5, 0));
    browser.gridDblClick(); // the old draft marked
    grid->setCurrentIndex(grid->model()->index(1, 0));
    browser.btMarkClick(); // and the budget, by the Mark button
    EXPECT_FALSE(SaveScreenshot(&browser, QStringLiteral("folder-browser")).isEmpty());
    qunsetenv("VANTOREL_DRIVES");
}
