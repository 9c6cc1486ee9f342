// SPDX-License-Identifier: GPL-3.0-or-later
#include "../../scans/ExportedTree.h"
#include "app/ScreenshotDir.h"
#include "app/TfrmMain.h"
#include "common/DisplayText.h"
#include "common/ui/ResultGridView.h"
#include "folderhogs/ui/TfrmDirHog.h"
#include "map/MapRaster.h"
#include "map/paint/MapPicture.h"
#include "map/ui/TMapView.h"
#include "map/ui/TfrmMap.h"
#include "support/FinderWindowTest.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// Clicks the tile of the file called name in the map window.
void selectFileTile(TfrmMap& map, std::string_view name) {
    const MapLayout& layout = map.mapView()->layout();
    const MapModel& m = map.engine().model();
    for (std::size_t i = 0; i < layout.tiles().size(); ++i)
        if (layout.tiles()[i].kind == MapTile::File && m.fileName(layout.tiles()[i].file) == name)
            QTest::mouseClick(map.mapView(), Qt::LeftButton, {}, map.mapView()->tileCentre(int(i)));
}

// The map window on a small tree whose layout is known: big.iso takes the left 6/9.5 of the map,
// docs the rest, with docs/sub inside it.
class MapWindow : public FinderWindowTest<TfrmMap> {
protected:
    std::vector<std::pair<std::string, std::string>> browsed;
    std::vector<std::string> viewed;
    std::function<void()> whileBrowsing;

    void SetUp() override {
        FinderWindowTest::SetUp();
        tree.file("big.iso", 6 << 20);
        tree.file("docs/a.txt", 2 << 20);
        tree.file("docs/b.txt", 1 << 20);
        tree.file("docs/sub/c.dat", 512 << 10);
    }
    void open(std::size_t files = 4) {
        w = std::make_unique<TfrmMap>();
        w->setBrowseHandOff([this](QWidget*, const std::string& folder, const std::string& name, const QString&) {
            browsed.emplace_back(folder, name);
            if (whileBrowsing)
                whileBrowsing();
        });
        w->setViewHandOff([this](QWidget*, const std::string& path) { viewed.push_back(path); });
        w->setStartRoots({tree.root()});
        w->show();
        w->resize(800, 600);
        ASSERT_TRUE(QTest::qWaitFor(
            [this, files] { return !w->scanning() && w->engine().model().fileCount() == files; }));
        QCoreApplication::processEvents();
    }
    TMapView* view() const { return w->mapView(); }
    const MapModel& model() const { return w->engine().model(); }
    // The file's folder and index in the model.
    std::pair<std::uint32_t, std::uint32_t> fileOf(const std::string& relative) const {
        for (std::uint32_t f = 0; f < model().folderCount(); ++f)
            for (std::uint32_t i = model().folder(f).firstFile; i < model().folder(f).firstFile + model().folder(f).fileCount; ++i)
                if (model().filePath(f, i) == tree.path(relative))
                    return {f, i};
        ADD_FAILURE() << "no file " << relative;
        return {0, 0};
    }
    int tileOf(const std::string& relative) const { return view()->layout().tileOfFile(fileOf(relative).second); }
    QPoint centreOf(const std::string& relative) const { return view()->tileCentre(tileOf(relative)); }
    void click(const std::string& relative) { QTest::mouseClick(view(), Qt::LeftButton, {}, centreOf(relative)); }
    QString status() const { return w->statusText(); }
    // What the map holds: every file and byte of the scan.
    static std::pair<std::int64_t, std::int64_t> totalsOf(const MapModel& m) {
        return {m.folder(MapModel::Scan).files, m.folder(MapModel::Scan).bytes};
    }
    std::pair<std::int64_t, std::int64_t> totals() const { return totalsOf(model()); }

    // What the map window that trigger opens from the folder hog window shows, and the folder hog
    // line that a click on the tile of docs/sub/c.dat makes current.
    struct MapSeen {
        std::pair<std::int64_t, std::int64_t> totals;
        std::string scanFile, top, view, line;
    };
    static MapSeen mapFromHogs(TfrmDirHog& hogs, const std::function<void()>& trigger) {
        MapSeen seen;
        QTimer::singleShot(0, &hogs, [&] {
            auto* map = qobject_cast<TfrmMap*>(QApplication::activeModalWidget());
            ASSERT_NE(map, nullptr);
            ASSERT_TRUE(QTest::qWaitFor([map] { return !map->scanning() && map->engine().model().fileCount() > 0; }));
            QCoreApplication::processEvents();
            const MapModel& m = map->engine().model();
            seen = {totalsOf(m), map->scanFile(), m.folderPath(m.top()),
                    m.folderPath(map->mapView()->viewFolder()), {}};
            selectFileTile(*map, "c.dat");
            const auto* grid = hogs.findChild<ResultGridView*>(QStringLiteral("grid"));
            seen.line = hogs.engine().resultPath(hogs.gridModel()->keyOf(grid->currentGridRow()));
            map->reject();
        });
        trigger();
        return seen;
    }
};

} // namespace

TEST_F(MapWindow, TheLargestFileIsItsColouredTileAtTheTopLeft) {
    open();
    const int big = tileOf("big.iso");
    ASSERT_GE(big, 0);
    const MapRect r = view()->layout().tiles()[std::size_t(big)].rect;
    const int mapWidth = MapPicture::mapArea(view()->size(), view()->font()).width();
    EXPECT_EQ(PixelEdge(r.x0), 0);
    EXPECT_EQ(PixelEdge(r.y0), 0);
    EXPECT_NEAR(PixelEdge(r.x1), mapWidth * 6.0 / 9.5, 1);
    EXPECT_EQ(PixelEdge(r.y1), view()->height());

    const QImage shot = view()->grab().toImage();
    const QColor middle = shot.pixelColor(centreOf("big.iso"));
    EXPECT_NEAR(middle.hsvHue(), QColor::fromRgb(MapPalette::rankColour(0)).hsvHue(), 4);
    EXPECT_GT(middle.value(), 180); // lit: the top of its cushion
    // The legend names the .ISO type first, beside the map.
    EXPECT_EQ(model().types()[model().legendTypes().front()].extension, ".ISO");
    EXPECT_EQ(shot.pixelColor(view()->width() - 2, view()->height() - 2), QColor(0xF0, 0xF0, 0xF0));
    SaveShot(*w, QStringLiteral("map-window.png"));
}

TEST_F(MapWindow, PointingClickingZoomingAndTheKeys) {
    open();
    QTest::mouseMove(view(), centreOf("docs/sub/c.dat"));
    EXPECT_TRUE(status().startsWith(DisplayText(tree.path("docs/sub/c.dat")))) << status().toStdString();
    EXPECT_TRUE(status().contains(QStringLiteral("524,288 bytes")));

    click("docs/sub/c.dat");
    EXPECT_TRUE(view()->hasSelection());
    EXPECT_EQ(model().folderPath(view()->selectedFolder()), tree.path("docs/sub"));
    EXPECT_TRUE(button("btView")->isEnabled());

    QTest::mouseDClick(view(), Qt::LeftButton, {}, centreOf("docs/sub/c.dat"));
    EXPECT_EQ(model().folderPath(view()->viewFolder()), tree.path("docs/sub"));
    EXPECT_TRUE(child<QLabel>("lblPath")->text().contains(QStringLiteral("sub")));
    // Zoomed in, the legend is of what is shown: .DAT alone, the largest type here, in the first
    // colour, and the folder's total; the drive's .ISO and .TXT are not in it.
    const MapViewTypes shown = model().viewTypes(view()->viewFolder());
    ASSERT_EQ(shown.legend.size(), 1u);
    EXPECT_EQ(model().types()[shown.legend[0]].extension, ".DAT");
    EXPECT_EQ(shown.total, 512 << 10);
    EXPECT_NEAR(view()->grab().toImage().pixelColor(centreOf("docs/sub/c.dat")).hsvHue(),
                QColor::fromRgb(MapPalette::rankColour(0)).hsvHue(), 4);
    for (const QSize& size : {QSize(1024, 768), QSize(1600, 1000)}) {
        w->resize(size);
        QCoreApplication::processEvents();
        SaveScreenshot(w.get(), QStringLiteral("map-zoomed-%1").arg(size.width()));
    }
    w->resize(800, 600);
    QCoreApplication::processEvents();
    QTest::keyClick(view(), Qt::Key_Backspace);
    EXPECT_EQ(model().folderPath(view()->viewFolder()), tree.path("docs"));
    QTest::mouseClick(button("btUp"), Qt::LeftButton);
    EXPECT_EQ(view()->viewFolder(), model().top());
    EXPECT_FALSE(button("btUp")->isEnabled());

    // The arrows go to the tile beside: right of big.iso lies docs; Enter enters a tile's folder.
    click("big.iso");
    QTest::keyClick(view(), Qt::Key_Right);
    EXPECT_EQ(model().folderPath(view()->selectedFolder()), model().folderPath(fileOf("docs/a.txt").first));
    QTest::keyClick(view(), Qt::Key_Left);
    EXPECT_EQ(view()->selectedTile(), tileOf("big.iso"));
    click("docs/a.txt");
    QTest::keyClick(view(), Qt::Key_Return);
    EXPECT_EQ(model().folderPath(view()->viewFolder()), tree.path("docs"));
    // Entering the map area of a folder lays it out anew: its largest file now starts at the corner.
    EXPECT_EQ(PixelEdge(view()->layout().tiles()[std::size_t(tileOf("docs/a.txt"))].rect.x0), 0);
}

TEST_F(MapWindow, BrowseAndViewHandTheTileOnAndDeletedFilesLeaveTheMap) {
    open();
    click("docs/sub/c.dat");
    QTest::mouseClick(button("btBrowse"), Qt::LeftButton);
    ASSERT_EQ(browsed.size(), 1u);
    EXPECT_EQ(browsed[0].first, tree.path("docs/sub") + "/");
    EXPECT_EQ(browsed[0].second, "c.dat");
    QTest::mouseClick(button("btView"), Qt::LeftButton);
    EXPECT_EQ(viewed, std::vector<std::string>{tree.path("docs/sub/c.dat")});

    // The browser deletes a file: back in the map it is gone, and its bytes from every total.
    const std::uint32_t docs = fileOf("docs/b.txt").first;
    const std::int64_t before = model().folder(docs).bytes;
    whileBrowsing = [this] { ASSERT_EQ(::unlink(tree.path("docs/b.txt").c_str()), 0); };
    click("docs/b.txt");
    QTest::mouseClick(button("btBrowse"), Qt::LeftButton);
    EXPECT_EQ(model().folder(docs).bytes, before - (1 << 20));
    for (const MapTile& t : view()->layout().tiles())
        EXPECT_NE(model().fileName(t.file), "b.txt");
    EXPECT_FALSE(view()->hasSelection());
    EXPECT_TRUE(status().contains(QStringLiteral("Files : 3"))) << status().toStdString();
}

TEST_F(MapWindow, OpenedFromTheFolderHogsItSelectsTheirLines) {
    tree.file("other/x.bin", 4096); // two main folders: the window shows its results
    TfrmDirHog hogs;
    hogs.show();
    QCoreApplication::processEvents();
    QTest::mouseClick(hogs.findChild<QPushButton*>(QStringLiteral("btTop")), Qt::LeftButton);
    ASSERT_GE(hogs.rowsFilled(), 1);
    QPushButton* btMap = hogs.findChild<QPushButton*>(QStringLiteral("btMap"));
    ASSERT_TRUE(btMap && btMap->isVisible());
    EXPECT_LE(btMap->geometry().right(), 638);

    MapSeen seen = mapFromHogs(hogs, [&] { QTest::mouseClick(btMap, Qt::LeftButton); });
    EXPECT_EQ(seen.top, tree.root());
    EXPECT_TRUE(seen.scanFile.empty());
    // The click on docs/sub/c.dat selected the line of docs, the main folder that holds it.
    EXPECT_EQ(seen.line, tree.path("docs"));

    // On a line: the map of that folder alone.
    seen = mapFromHogs(hogs, [&] { hogs.findChild<QAction*>(QStringLiteral("Mapthisfolder1"))->trigger(); });
    EXPECT_EQ(seen.top, tree.path("docs"));
}

// A saved scan of the tree (hidden folders in the export, not in the map) draws what its walk drew.
TEST_F(MapWindow, ASavedScanOpensLikeAWalkAndActsOnlyOnWhatIsHere) {
    tree.file(".cache/blob", 300'000);
    tree.file("docs/.notes", 10);
    TempTree scans;
    const std::string saved = scans.path("home.json.zst");
    ExportTree(tree.root(), saved, 3);
    open(5);
    const auto live = totals();
    ASSERT_EQ(live.first, 5);

    w->setScanFileChooser([&](QWidget*) { return QString::fromStdString(saved); });
    QTest::mouseClick(button("btOpenScan"), Qt::LeftButton);
    EXPECT_EQ(w->scanFile(), saved);
    EXPECT_EQ(totals(), live);
    EXPECT_EQ(model().folderPath(view()->viewFolder()), tree.root());
    EXPECT_TRUE(status().endsWith(QStringLiteral("Scan file : ") + QString::fromStdString(saved)))
        << status().toStdString();
    SaveShot(*w, QStringLiteral("map-saved-scan.png"));

    // What is still here is browsed and viewed; what went since the scan is not, and stays drawn.
    click("docs/sub/c.dat");
    EXPECT_TRUE(button("btView")->isEnabled());
    QTest::mouseClick(button("btView"), Qt::LeftButton);
    EXPECT_EQ(viewed, std::vector<std::string>{tree.path("docs/sub/c.dat")});
    std::filesystem::remove_all(tree.path("docs/sub"));
    click("docs/b.txt");
    click("docs/sub/c.dat");
    EXPECT_FALSE(button("btView")->isEnabled());
    EXPECT_FALSE(button("btBrowse")->isEnabled());
    w->btViewClick();
    EXPECT_EQ(viewed.size(), 1u);
    click("docs/a.txt");
    QTest::mouseClick(button("btBrowse"), Qt::LeftButton);
    ASSERT_EQ(browsed.size(), 1u);
    EXPECT_EQ(browsed[0].second, "a.txt");
    EXPECT_EQ(totals(), live); // no re-check of a scan against this machine
}

TEST_F(MapWindow, ASavedScanInTheFolderHogsIsMappedFromTheSameFile) {
    tree.file("other/x.bin", 4096);
    TempTree scans;
    const std::string saved = scans.path("tree.json");
    ExportTree(tree.root(), saved);
    open(5);
    const auto live = totals();
    w.reset();

    TfrmDirHog hogs;
    hogs.show();
    QCoreApplication::processEvents();
    hogs.setScanFileChooser([&](QWidget*) { return QString::fromStdString(saved); });
    QTest::mouseClick(hogs.findChild<QPushButton*>(QStringLiteral("btOpenScan")), Qt::LeftButton);
    ASSERT_EQ(hogs.savedScanFile(), saved);
    QPushButton* btMap = hogs.findChild<QPushButton*>(QStringLiteral("btMap"));
    ASSERT_TRUE(btMap->isVisible());
    EXPECT_FALSE(hogs.findChild<QPushButton*>(QStringLiteral("btDelete"))->isVisible());

    MapSeen seen = mapFromHogs(hogs, [&] { QTest::mouseClick(btMap, Qt::LeftButton); });
    EXPECT_EQ(seen.scanFile, saved);
    EXPECT_EQ(seen.totals, live);
    EXPECT_EQ(seen.view, tree.root());
    EXPECT_EQ(seen.line, tree.path("docs"));

    // On the line of docs: the same scan, entered at docs.
    seen = mapFromHogs(hogs, [&] { hogs.findChild<QAction*>(QStringLiteral("Mapthisfolder1"))->trigger(); });
    EXPECT_EQ(seen.scanFile, saved);
    EXPECT_EQ(seen.view, tree.path("docs"));
}

TEST_F(MapWindow, AFileThatIsNoScanIsSaidAndTheWindowGoesOn) {
    TempTree scans;
    const std::string notJson = scans.file("notes.json", 100);
    const std::string cut = scans.path("cut.json");
    ExportTree(tree.root(), cut);
    std::filesystem::resize_file(cut, std::filesystem::file_size(cut) * 2 / 3);
    open();
    const auto live = totals();

    // Refused at once: the map shown stays.
    w->setScanFileChooser([&](QWidget*) { return QString::fromStdString(notJson); });
    QTest::mouseClick(button("btOpenScan"), Qt::LeftButton);
    ASSERT_EQ(messages.records().size(), 1u);
    EXPECT_TRUE(messages.records().back().text.contains(QStringLiteral("not a saved scan")));
    EXPECT_EQ(totals(), live);
    EXPECT_TRUE(w->scanFile().empty());

    // Broken off in the middle: nothing of it is drawn, and Scan draws the drive again.
    w->setScanFileChooser([&](QWidget*) { return QString::fromStdString(cut); });
    QTest::mouseClick(button("btOpenScan"), Qt::LeftButton);
    ASSERT_EQ(messages.records().size(), 2u);
    EXPECT_TRUE(messages.records().back().text.contains(QString::fromStdString(cut)))
        << messages.records().back().text.toStdString();
    EXPECT_EQ(model().fileCount(), 0u);
    EXPECT_FALSE(button("btView")->isVisible());
    EXPECT_TRUE(w->scanFile().empty());
    ASSERT_TRUE(button("btScan")->isEnabled());
    QTest::mouseClick(button("btScan"), Qt::LeftButton);
    EXPECT_EQ(totals(), live);
}

TEST_F(MapWindow, TheMainWindowOpensItFromTheFreePlaceOfItsBottomRow) {
    TfrmMain main;
    auto* btMap = main.findChild<QPushButton*>(QStringLiteral("btMap"));
    ASSERT_NE(btMap, nullptr);
    for (const char* other : {"btReach", "btHelp", "btClose"})
        EXPECT_FALSE(btMap->geometry().intersects(main.findChild<QPushButton*>(QString::fromLatin1(other))->geometry()));
    bool opened = false;
    QTimer::singleShot(0, &main, [&] {
        auto* map = qobject_cast<TfrmMap*>(QApplication::activeModalWidget());
        opened = map != nullptr;
        if (map) {
            // It fits a 1024 x 768 screen and waits for Scan on the ticked drive.
            EXPECT_LE(map->frameGeometry().width(), 1024);
            EXPECT_LE(map->frameGeometry().height(), 768);
            EXPECT_TRUE(map->findChild<QPushButton*>(QStringLiteral("btScan"))->isEnabled());
            map->reject();
        }
    });
    QTest::mouseClick(btMap, Qt::LeftButton);
    EXPECT_TRUE(opened);
}

TEST(MapPictureDensity, HighDensityScreensGetEveryDevicePixel) {
    MapModel m;
    m.beginRoot("/r", 0);
    m.addFile("a.bin", 3000);
    m.addFile("b.txt", 1000);
    m.finish();
    MapLayout layout;
    const QFont font;
    const QImage image = MapPicture::render(m, m.top(), QSize(500, 300), 2.0, font, layout);
    EXPECT_EQ(image.size(), QSize(1000, 600));
    EXPECT_EQ(image.devicePixelRatio(), 2.0);
    EXPECT_EQ(layout.width(), 2.0 * MapPicture::mapArea(QSize(500, 300), font).width());
    EXPECT_EQ(layout.height(), 600);
}

// The README's picture: a home folder of the usual kinds of files.
TEST(Screenshots, SpaceMap) {
    RecordingMessageService messages;
    TempTree drive;
    const std::int64_t K = 1024, M = 1024 * K;
    drive.file("Videos/holiday.mp4", 650 * M);
    drive.file("Videos/wedding.mkv", 1400 * M);
    drive.file("Downloads/debian-12.iso", 628 * M);
    drive.file("Downloads/driver-setup.run", 48 * M);
    for (int i = 0; i < 14; ++i)
        drive.file("Music/Albums/Live/track" + std::to_string(i) + ".flac", (20 + 3 * i) * M);
    for (int i = 0; i < 40; ++i)
        drive.file("Pictures/2024/IMG_" + std::to_string(4100 + i) + ".jpg", (2 + i % 5) * M);
    for (int i = 0; i < 25; ++i)
        drive.file("Pictures/Scans/receipt-" + std::to_string(i) + ".png", (300 + 40 * i) * K);
    for (int i = 0; i < 30; ++i)
        drive.file("Documents/Reports/report-" + std::to_string(i) + ".pdf", (200 + 90 * i) * K);
    for (int i = 0; i < 120; ++i)
        drive.file("Projects/engine/src/part" + std::to_string(i) + ".cpp", (8 + i % 40) * K);
    drive.file("Projects/engine/build/engine.o", 96 * M);
    drive.file("Backup/home-2023.tar.gz", 900 * M);
    qputenv("VANTOREL_DRIVES", QByteArray("C=") + QByteArray::fromStdString(drive.root()));
    CurrentFolder::set(drive.root());

    TfrmMap map;
    map.setStartRoots({drive.root()});
    map.show();
    map.resize(900, 640);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !map.scanning() && map.engine().model().fileCount() > 0; }));
    QCoreApplication::processEvents();
    // A photo selected: it and its folder are framed, and the bottom bar describes it.
    selectFileTile(map, "IMG_4104.jpg");
    EXPECT_TRUE(map.statusText().contains(QStringLiteral("IMG_4104.jpg")));
    EXPECT_FALSE(SaveScreenshot(&map, QStringLiteral("space-map")).isEmpty());
    qunsetenv("VANTOREL_DRIVES");
}

TEST_F(MapWindow, RefreshWalksTheSelectedFolderAgainAndF5EverythingAgain) {
    open();
    view()->setViewFolder(model().findFolder(tree.path("docs")));
    view()->selectFolder(model().findFolder(tree.path("docs/sub")));
    tree.file("docs/sub/grown.dat", 3 << 20);
    std::filesystem::remove(tree.path("docs/a.txt")); // not in the folder refreshed: still shown
    action("Refresh1")->trigger();
    const std::uint32_t sub = model().findFolder(tree.path("docs/sub"));
    ASSERT_NE(sub, MapModel::NoFolder);
    EXPECT_TRUE(view()->hasSelection() && view()->selectedFolder() == sub);
    EXPECT_EQ(view()->viewFolder(), model().findFolder(tree.path("docs")));
    EXPECT_EQ(model().folder(sub).bytes, (512 << 10) + (3 << 20));
    EXPECT_EQ(totalsOf(model()), (std::pair<std::int64_t, std::int64_t>(5, (6 << 20) + (3 << 20) + (3 << 20) + (512 << 10))));
    // The folder in view removed: the view goes up to what is still there.
    std::filesystem::remove_all(tree.path("docs"));
    view()->clearSelection();
    action("Refresh1")->trigger();
    EXPECT_EQ(model().findFolder(tree.path("docs")), MapModel::NoFolder);
    EXPECT_EQ(view()->viewFolder(), model().findFolder(tree.root()));
    EXPECT_EQ(totalsOf(model()), (std::pair<std::int64_t, std::int64_t>(1, 6 << 20)));
    // F5: the same roots walked again.
    tree.file("later.bin", 1 << 20);
    QApplication::setActiveWindow(w.get());
    QTest::keyClick(view(), Qt::Key_F5);
    EXPECT_EQ(totalsOf(model()), (std::pair<std::int64_t, std::int64_t>(2, 7 << 20)));
}
