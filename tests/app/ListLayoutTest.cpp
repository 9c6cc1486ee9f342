// SPDX-License-Identifier: GPL-3.0-or-later
#include "browse/ui/TfrmBrowse.h"
#include "common/ui/ResultGridView.h"
#include "finders/daterange/ui/TfrmMods.h"
#include "finders/dup/ui/TfrmDup.h"
#include "folderhogs/ui/TfrmDirHog.h"
#include "platform/CurrentFolder.h"
#include "support/RecordingMessageService.h"
#include "support/TempTree.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

// A drive with two copies of a file deep in a long folder chain, and a recent file beside them, so
// that every list window has a row whose path is longer than its design column.
class ListLayout : public ::testing::Test {
protected:
    static constexpr const char* Deep = "Downloads/2024/projects/2024-spring-term/final-submissions";
    RecordingMessageService messages;
    TempTree drive;

    void SetUp() override {
        drive.file(std::string(Deep) + "/big-installer.iso", 400 * 1024);
        drive.file("Backup/big-installer.iso", 400 * 1024);
        qputenv("VANTOREL_DRIVES", QByteArray("C=") + QByteArray::fromStdString(drive.root()));
        CurrentFolder::set(drive.root());
    }
    void TearDown() override { qunsetenv("VANTOREL_DRIVES"); }

    // Shows the window at 1024 x 768, runs its scan, then widens it to 1600 x 1000: every column
    // keeps its width but the fill column, the path column, which takes the difference, and the name
    // column where there is one (nameColumn), which takes its part by the design widths given.
    void checkWidening(QDialog& window, int pathColumn, const char* scanButton, const QString& shot,
                       int nameColumn = -1, int nameDesign = 0, int pathDesign = 0) {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.resize(1024, 768);
        if (scanButton)
            window.findChild<QPushButton*>(QString::fromLatin1(scanButton))->click();
        auto* grid = window.findChild<ResultGridView*>(QStringLiteral("grid"));
        ASSERT_NE(grid, nullptr);
        ASSERT_GT(grid->model()->rowCount(), 0) << messages.texts().join(u'\n').toStdString();
        QCoreApplication::processEvents();
        EXPECT_EQ(grid->fillColumn(), pathColumn);
        EXPECT_EQ(grid->shareColumn(), nameColumn);
        save(window, shot + QStringLiteral("-1024.png"));
        const std::vector<int> before = grid->columnWidths();
        const int viewport = grid->viewport()->width();

        window.resize(1600, 1000);
        QCoreApplication::processEvents();
        save(window, shot + QStringLiteral("-1600.png"));
        const std::vector<int> after = grid->columnWidths();
        const int grown = grid->viewport()->width() - viewport;
        ASSERT_GT(grown, 500);
        const int nameGrown =
            nameColumn < 0 ? 0 : after[std::size_t(nameColumn)] - before[std::size_t(nameColumn)];
        if (nameColumn >= 0) {
            EXPECT_NEAR(nameGrown, double(grown) * nameDesign / (nameDesign + pathDesign), 1.0) << shot.toStdString();
        }
        for (std::size_t c = 0; c < before.size(); ++c)
            EXPECT_EQ(after[c], int(c) == pathColumn   ? before[c] + grown - nameGrown
                                : int(c) == nameColumn ? before[c] + nameGrown
                                                       : before[c])
                << shot.toStdString() << c;
        // The columns end at the grid's right edge: no empty band, no sideways scrolling.
        int total = 0;
        for (int w : after)
            total += w;
        EXPECT_EQ(total, grid->viewport()->width()) << shot.toStdString();
    }

    static void save(QWidget& w, const QString& name) {
        const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots");
        QDir().mkpath(dir);
        w.grab().save(dir + QStringLiteral("/layout-") + name);
    }
};

} // namespace

TEST_F(ListLayout, AWiderWindowWidensThePathAndNameColumnsOnly) {
    {
        TfrmDup dups(true);
        checkWidening(dups, 5, "btScan", QStringLiteral("dups"), 0, 93, 184);
        // Names keep their room beside the content badges: the name column grows by the badge slot.
        auto* grid = dups.findChild<ResultGridView*>(QStringLiteral("grid"));
        const int nameWidth = grid->columnWidth(0);
        dups.btContentClick();
        ASSERT_GT(grid->badgeSlotWidth(), 0);
        EXPECT_EQ(grid->columnWidth(0), nameWidth + grid->badgeSlotWidth());
        save(dups, QStringLiteral("dups-content.png"));
    }
    {
        TfrmDup hogs(false);
        checkWidening(hogs, 4, "btScan", QStringLiteral("hogs"));
    }
    {
        TfrmMods dates;
        checkWidening(dates, 4, "btOK", QStringLiteral("dates"), 0, 120, 189);
    }
    {
        TfrmDirHog folders;
        checkWidening(folders, 5, "btAll", QStringLiteral("folders"));
    }
    {
        TfrmBrowse browser;
        ASSERT_TRUE(browser.setFolder(drive.path(Deep)));
        checkWidening(browser, 4, nullptr, QStringLiteral("browser"));
    }
}
