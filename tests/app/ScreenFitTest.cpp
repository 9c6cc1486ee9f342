// SPDX-License-Identifier: GPL-3.0-or-later
// Run on two offscreen screens, 1024 x 768 and 1600 x 1000, whose windows have frames (two-screens.json).
#include "app/ScreenshotDir.h"
#include "browse/ui/TfrmBrowse.h"
#include "common/ui/ScreenFit.h"
#include "folderhogs/ui/TfrmDirHog.h"
#include "platform/CurrentFolder.h"
#include "support/RecordingMessageService.h"
#include "support/TempTree.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

// Whether the widget lies whole on the screen area.
::testing::AssertionResult Inside(const QRect& area, const QRect& rect, const char* what) {
    if (area.contains(rect))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << what << " " << rect.x() << "," << rect.y() << " " << rect.width() << "x"
                                         << rect.height() << " is not within " << area.x() << "," << area.y() << " "
                                         << area.width() << "x" << area.height();
}

QRect GlobalRect(const QWidget* w) { return QRect(w->mapToGlobal(QPoint(0, 0)), w->size()); }

} // namespace

TEST(ScreenFit, AWindowTooLargeIsMadeToFitFrameIncludedAndCentred) {
    const QRect area(100, 30, 1024, 738);
    const QMargins frame(4, 30, 4, 4);
    EXPECT_EQ(FittedWindowGeometry(QSize(2000, 2000), area, frame), QRect(104, 60, 1016, 704));
    EXPECT_EQ(FittedWindowGeometry(QSize(640, 400), area, frame), QRect(100 + 188 + 4, 30 + 152 + 30, 640, 400));
}

TEST(ScreenFit, TheBrowserAndTheFolderHogWindowStayOnEveryScreenAndSortOpensUnderItsButton) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    ASSERT_EQ(screens.size(), 2) << "run with the two screens of two-screens.json";
    RecordingMessageService messages;
    TempTree drive;
    drive.file("Documents/report.txt", 1000);
    drive.file("Music/album.flac", 30000);
    qputenv("VANTOREL_DRIVES", QByteArray("C=") + QByteArray::fromStdString(drive.root()));
    CurrentFolder::set(drive.path("Documents"));
    for (QScreen* screen : screens) {
        const QRect area = screen->availableGeometry();
        const QString size = QStringLiteral("%1x%2").arg(area.width()).arg(area.height());
        {
            TfrmBrowse browser;
            browser.move(area.topLeft() + QPoint(50, 50)); // onto this screen
            browser.setScreen(screen);
            browser.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&browser));
            QCoreApplication::processEvents();
            ASSERT_EQ(browser.screen(), screen);
            EXPECT_FALSE(browser.windowHandle()->frameMargins().isNull());
            EXPECT_TRUE(Inside(area, browser.frameGeometry(), "the browser's frame"));
            // It takes the screen: all of it but what its frame needs.
            EXPECT_EQ(browser.frameGeometry().size(), area.size());
            for (const char* panel : {"pnlScan", "pnlWild", "pnlSize"}) {
                const QLabel* label = browser.findChild<QLabel*>(QString::fromLatin1(panel));
                ASSERT_NE(label, nullptr);
                EXPECT_TRUE(label->isVisible()) << panel;
                EXPECT_TRUE(Inside(area, GlobalRect(label), panel));
            }
            EXPECT_FALSE(SaveScreenshot(&browser, QStringLiteral("fit-browser-") + size).isEmpty());
        }
        {
            TfrmDirHog folders;
            folders.move(area.topLeft() + QPoint(50, 50));
            folders.setScreen(screen);
            folders.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&folders));
            QCoreApplication::processEvents();
            EXPECT_TRUE(Inside(area, folders.frameGeometry(), "the folder hog window's frame"));
            const QPoint middle = folders.frameGeometry().center();
            EXPECT_LE(std::abs(middle.x() - area.center().x()), 1);
            EXPECT_LE(std::abs(middle.y() - area.center().y()), 1);

            // Maximised, the Sort menu still opens under the Sort button.
            folders.showMaximized();
            QCoreApplication::processEvents();
            folders.findChild<QPushButton*>(QStringLiteral("btTop"))->click();
            auto* sort = folders.findChild<QPushButton*>(QStringLiteral("btSort"));
            ASSERT_TRUE(sort->isVisible());
            sort->click();
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            EXPECT_TRUE(QTest::qWaitForWindowExposed(menu));
            EXPECT_EQ(menu->geometry().topLeft(), sort->mapToGlobal(QPoint(0, sort->height())));
            // The window with its menu, as the user sees them.
            QPixmap picture = folders.grab();
            {
                QPainter painter(&picture);
                painter.drawPixmap(folders.mapFromGlobal(menu->geometry().topLeft()), menu->grab());
            }
            QLabel shown;
            shown.setPixmap(picture);
            shown.resize(picture.size());
            EXPECT_FALSE(SaveScreenshot(&shown, QStringLiteral("sort-menu-") + size).isEmpty());
            menu->close();
        }
    }
    qunsetenv("VANTOREL_DRIVES");
    EXPECT_TRUE(messages.records().empty()) << messages.texts().join(u'|').toStdString();
}
