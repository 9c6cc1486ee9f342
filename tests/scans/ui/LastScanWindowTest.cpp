// SPDX-License-Identifier: GPL-3.0-or-later
// The folder hog window and the map, walking drives that have a snapshot, show it at once while the
// fresh walk runs, marked as what it is, and put the fresh results in its place when the walk ends.
#include "folderhogs/ui/TfrmDirHog.h"
#include "map/ui/TMapView.h"
#include "map/ui/TfrmMap.h"
#include "scans/SnapshotStore.h"
#include "support/FinderWindowTest.h"

#include <QLabel>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class LastScanWindows : public FinderWindowTest<TfrmDirHog> {
protected:
    TempTree state; // each test its own snapshots
    void SetUp() override {
        FinderWindowTest::SetUp();
        qputenv("XDG_STATE_HOME", QByteArray::fromStdString(state.root()));
        tree.file("a/x", 1'000);
        tree.file("b/y", 2'000);
        tree.file("c/z", 3'000);
        tree.file("c/zz", 3'000);
    }
    void TearDown() override {
        SnapshotStore::setEnabled(true);
        FinderWindowTest::TearDown();
    }
    // What the window shows at the walk's first yield, and then at its end.
    struct Seen {
        bool lastScan = false;
        QString status;
        std::string firstRow;
    };
    Seen scanMain() {
        Seen during;
        w->setYieldInterval(0);
        QTimer::singleShot(0, w.get(), [&] {
            during.lastScan = w->lastScan() != nullptr;
            during.status = child<QLabel>("pnlScan")->text();
            if (w->rowsFilled() > 0)
                during.firstRow = (w->lastScan() ? *w->lastScan() : w->engine()).resultPath(w->gridModel()->keyOf(1));
        });
        button("btTop")->click();
        return during;
    }
};

} // namespace

TEST_F(LastScanWindows, FolderHogsShowTheLastScanWhileTheWalkRuns) {
    w = std::make_unique<TfrmDirHog>();
    w->show();
    QCoreApplication::processEvents();
    const Seen first = scanMain(); // no snapshot yet: nothing to show meanwhile
    EXPECT_FALSE(first.lastScan);
    EXPECT_FALSE(first.status.startsWith(QStringLiteral("from ")));

    tree.file("a/grown", 10'000);
    const Seen second = scanMain();
    EXPECT_TRUE(second.lastScan);
    EXPECT_TRUE(second.status.startsWith(QStringLiteral("from ")) && second.status.endsWith(QStringLiteral("; scanning...")))
        << second.status.toStdString();
    EXPECT_EQ(second.firstRow, tree.path("c")); // as it was
    // Replaced when the walk ends.
    EXPECT_EQ(w->lastScan(), nullptr);
    EXPECT_EQ(w->rowsFilled(), 3);
    EXPECT_EQ(w->engine().resultPath(w->gridModel()->keyOf(1)), tree.path("a"));
    EXPECT_EQ(child<QLabel>("pnlScan")->text(), QStringLiteral("Folders : 3"));

    // The setting that turns snapshots off turns this off.
    SnapshotStore::setEnabled(false);
    EXPECT_FALSE(scanMain().lastScan);
}

TEST_F(LastScanWindows, TheMapShowsTheLastScanWhileTheWalkRuns) {
    w = std::make_unique<TfrmDirHog>();
    w->show();
    QCoreApplication::processEvents();
    scanMain(); // leaves the snapshot
    tree.file("b/grown", 50'000);

    TfrmMap map;
    map.show();
    map.setYieldInterval(0);
    bool shown = false;
    QString status;
    std::int64_t bytesShown = 0;
    QTimer::singleShot(0, &map, [&] {
        shown = map.lastScan() && map.mapView()->model() == &map.lastScan()->model();
        status = map.findChild<QLabel*>("pnlScan")->text();
        if (map.lastScan())
            bytesShown = map.lastScan()->model().folder(MapModel::Scan).bytes;
    });
    map.scan({tree.root()});
    EXPECT_TRUE(shown);
    EXPECT_TRUE(status.startsWith(QStringLiteral("from "))) << status.toStdString();
    EXPECT_EQ(bytesShown, 9'000);
    EXPECT_EQ(map.lastScan(), nullptr);
    EXPECT_EQ(map.mapView()->model(), &map.engine().model());
    EXPECT_EQ(map.engine().model().folder(MapModel::Scan).bytes, 59'000);
}
