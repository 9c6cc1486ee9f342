// SPDX-License-Identifier: GPL-3.0-or-later
// The folder hog window keeps a snapshot of each scan, opens a saved scan as if it were a drive, and
// the What grew window compares a snapshot with the folder now.
#include "../../app/ScreenshotDir.h"
#include "folderhogs/ui/TfrmDirHog.h"
#include "scans/SnapshotStore.h"
#include "scans/ui/OpenScanFile.h"
#include "scans/ui/TfrmOpenScan.h"
#include "scans/ui/TfrmWhatGrew.h"
#include "support/FinderWindowTest.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

class SnapshotWindows : public FinderWindowTest<TfrmDirHog> {
protected:
    TempTree state; // each test its own snapshots
    void SetUp() override {
        FinderWindowTest::SetUp();
        qputenv("XDG_STATE_HOME", QByteArray::fromStdString(state.root()));
        tree.file("photos/a.jpg", 200'000);
        tree.file("music/b.ogg", 50'000);
        tree.file("music/.cache/c", 9'999);
    }
    void scanMain() {
        w = std::make_unique<TfrmDirHog>();
        w->show();
        QCoreApplication::processEvents();
        button("btTop")->click();
    }
    QStringList lines() const {
        QStringList l;
        for (int row = 1; row <= w->rowsFilled(); ++row) {
            QStringList cells;
            for (int c : {0, 2, 3, 5})
                cells << w->gridModel()->cellText(row, c);
            l << cells.join(u'|');
        }
        return l;
    }
};

} // namespace

TEST_F(SnapshotWindows, AScanLeavesASnapshotThatOpensLikeADrive) {
    scanMain();
    const QStringList live = lines();
    ASSERT_EQ(live.size(), 2);
    SaveScreenshot(w.get(), QStringLiteral("dirhog-open-scan"));
    const SnapshotStore store;
    const auto snapshots = store.list(tree.root());
    ASSERT_EQ(snapshots.size(), 1u);
    // Opened again through the list of snapshots, which names each by its folder and date: the same
    // lines, and nothing to delete, since the folders are not here.
    bool listed = false;
    QTimer::singleShot(0, w.get(), [&] {
        auto* chooser = qobject_cast<TfrmOpenScan*>(QApplication::activeModalWidget());
        ASSERT_NE(chooser, nullptr);
        listed = chooser->gridModel()->cellText(1, 0) == QString::fromStdString(tree.root()) &&
                 !chooser->gridModel()->cellText(1, 1).isEmpty();
        SaveScreenshot(chooser, QStringLiteral("open-scan"));
        chooser->findChild<QPushButton*>(QStringLiteral("btOpen"))->click();
    });
    button("btOpenScan")->click();
    EXPECT_TRUE(listed);
    EXPECT_EQ(lines(), live);
    // The window says which scan it shows, and no drive is ticked for it.
    const ScanTimeTexts when = ScanTime(snapshots.front().timestamp);
    const QString caption =
        QStringLiteral("Saved scan of ") + QString::fromStdString(tree.root()) + ", " + when.date + u' ' + when.time;
    EXPECT_EQ(child<QLabel>("pnlScan")->text(), QStringLiteral("Folders : 2   ") + caption);
    EXPECT_FALSE(child<QCheckBox>("cb1")->isChecked());
    EXPECT_EQ(w->printTitle(), QStringLiteral("Folder hogs of the s") + caption.mid(1));
    EXPECT_FALSE(button("btDelete")->isVisible());
    EXPECT_TRUE(button("btMap")->isVisible()); // the map of the same file
    EXPECT_TRUE(button("btClip")->isVisible());
    // A file that is no scan: its message, and the list stays.
    const std::string bad = tree.file("not-a-scan.json", 10);
    w->setScanFileChooser([&](QWidget*) { return QString::fromStdString(bad); });
    button("btOpenScan")->click();
    child<QCheckBox>("cb1")->setChecked(true);
    ASSERT_FALSE(messages.records().empty());
    EXPECT_TRUE(messages.records().back().text.contains(QStringLiteral("not a saved scan")));
    EXPECT_EQ(lines(), live);
    // Turned off: the next scan keeps none.
    SnapshotStore::setEnabled(false);
    button("btTop")->click();
    EXPECT_EQ(store.list(tree.root()).size(), 1u);
    SnapshotStore::setEnabled(true);
}

TEST_F(SnapshotWindows, WhatGrewComparesTheLastSnapshotWithNow) {
    scanMain();
    w.reset();
    tree.file("photos/b.jpg", 1'000'000);
    tree.file("video/new.mp4", 3'000);
    TfrmWhatGrew grew;
    grew.show();
    QCoreApplication::processEvents();
    auto* older = grew.findChild<QComboBox*>(QStringLiteral("cbOlder"));
    auto* newer = grew.findChild<QComboBox*>(QStringLiteral("cbNewer"));
    ASSERT_EQ(older->count(), 1);
    EXPECT_EQ(newer->currentIndex(), 0); // now
    EXPECT_TRUE(grew.findChild<QCheckBox*>(QStringLiteral("cbKeep"))->isChecked());
    grew.findChild<QPushButton*>(QStringLiteral("btTop"))->click();
    const QStringList l = grew.lb();
    ASSERT_EQ(l.size(), 2) << l.join(u'\n').toStdString();
    EXPECT_EQ(l[0], QString::fromStdString("+1000000\t200000\t1200000\tgrown\t" + tree.root() + "/photos"));
    EXPECT_EQ(l[1], QString::fromStdString("+3000\t0\t3000\tadded\t" + tree.root() + "/video"));
    EXPECT_EQ(grew.gridModel()->cellText(1, 4), QStringLiteral("grown"));
    SaveScreenshot(&grew, QStringLiteral("what-grew"));
    // Sorted by name, then the clipboard in that order.
    grew.findChild<QAction*>(QStringLiteral("SortbyName1"))->trigger();
    grew.findChild<QPushButton*>(QStringLiteral("btClip"))->click();
    EXPECT_EQ(QApplication::clipboard()->text(), l[0] + u'\n' + l[1] + u'\n');
    // Browse hands over the exact folder.
    std::string browsed;
    grew.setBrowseHandOff(
        [&](QWidget*, const std::string& folder, const std::string&, const QString&) { browsed = folder; });
    grew.findChild<QPushButton*>(QStringLiteral("btBrowse"))->click();
    EXPECT_FALSE(browsed.empty());
}

TEST_F(SnapshotWindows, WhatGrewStartsWithTheTwoNewestSnapshotsOfTheFolderScannedLast) {
    scanMain();
    tree.file("photos/c.jpg", 70'000);
    button("btTop")->click();
    w.reset();
    const std::vector<SnapshotStore::Snapshot> snapshots = SnapshotStore().list();
    ASSERT_EQ(snapshots.size(), 2u);
    TfrmWhatGrew grew;
    grew.show();
    QCoreApplication::processEvents();
    auto* older = grew.findChild<QComboBox*>(QStringLiteral("cbOlder"));
    auto* newer = grew.findChild<QComboBox*>(QStringLiteral("cbNewer"));
    EXPECT_EQ(older->currentIndex(), 1); // the one before the newest
    EXPECT_EQ(newer->currentText(), older->itemText(0)); // the newest
    grew.findChild<QPushButton*>(QStringLiteral("btTop"))->click();
    EXPECT_EQ(grew.lb(), QStringList{QString::fromStdString("+70000\t200000\t270000\tgrown\t" + tree.root() + "/photos")});
}

TEST_F(SnapshotWindows, WhatGrewRefreshesOneFolderOfNowAndAfterBrowsing) {
    scanMain();
    w.reset();
    tree.file("photos/b.jpg", 1'000'000);
    TfrmWhatGrew grew;
    grew.show();
    QCoreApplication::processEvents();
    grew.findChild<QPushButton*>(QStringLiteral("btAll"))->click();
    ASSERT_EQ(grew.lb().size(), 2); // the root and photos grew
    grew.findChild<QAction*>(QStringLiteral("SortbyName1"))->trigger();
    // photos grows again, and music shrinks, which no refresh of photos can see.
    tree.file("photos/c.jpg", 5'000);
    std::filesystem::remove(tree.path("music/b.ogg"));
    auto* grid = grew.findChild<QTableView*>(QStringLiteral("grid"));
    auto rowOf = [&](const std::string& tail) {
        for (int row = 1; row < grew.gridModel()->gridRowCount(); ++row)
            if (grew.gridModel()->cellText(row, 5).endsWith(QString::fromStdString(tail)))
                return row;
        return 0;
    };
    grid->setCurrentIndex(grew.gridModel()->index(rowOf("/photos") - 1, 0));
    grew.findChild<QAction*>(QStringLiteral("Refresh1"))->trigger();
    QStringList l = grew.lb();
    ASSERT_EQ(l.size(), 2);
    EXPECT_EQ(l[0], QString::fromStdString("+1005000\t250000\t1255000\tgrown\t" + tree.root()));
    EXPECT_EQ(l[1], QString::fromStdString("+1005000\t200000\t1205000\tgrown\t" + tree.root() + "/photos"));
    EXPECT_TRUE(grew.findChild<QAction*>(QStringLiteral("SortbyName1"))->isChecked());
    EXPECT_EQ(grid->currentIndex().row() + 1, rowOf("/photos"));
    // A folder deleted while browsing from here is measured again when the browser returns.
    grid->setCurrentIndex(grew.gridModel()->index(rowOf("/photos") - 1, 0));
    grew.setBrowseHandOff([&](QWidget*, const std::string& folder, const std::string&, const QString&) {
        std::filesystem::remove(folder + "/b.jpg");
    });
    grew.findChild<QPushButton*>(QStringLiteral("btBrowse"))->click();
    l = grew.lb();
    EXPECT_TRUE(l.contains(QString::fromStdString("+5000\t200000\t205000\tgrown\t" + tree.root() + "/photos")))
        << l.join(u'\n').toStdString();
}
