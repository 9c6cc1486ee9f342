// SPDX-License-Identifier: GPL-3.0-or-later
// The space map on a walked tree: the walk, then layout and first paint of the picture at
// 1600 x 1000, a resize, a zoom into the largest folder and back, and the model's bytes per file.
// Prints one "name value" line each (seconds, or bytes); bench/run.sh reads them.
#include "map/MapScanEngine.h"
#include "map/paint/MapPicture.h"
#include "map/paint/OffscreenGui.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <cstdio>
#include <string>

namespace {

double seconds(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e9; }

// The best of a few renders: the first paint after the walk is timed on its own.
double render(const MapModel& model, std::uint32_t view, QSize size, MapLayout& layout, int runs) {
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        const QImage image = MapPicture::render(model, view, size, 1.0, QGuiApplication::font(), layout);
        best = std::min(best, seconds(t));
        if (image.isNull())
            return -1;
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench-map ROOT\n");
        return 2;
    }
    OffscreenGui gui(argv[0]);

    MapScanEngine engine;
    QElapsedTimer t;
    t.start();
    engine.begin();
    engine.scanDrive(argv[1]);
    engine.finish();
    const double walk = seconds(t);
    const MapModel& model = engine.model();

    MapLayout layout;
    const double first = render(model, model.top(), QSize(1600, 1000), layout, 1);
    const std::size_t tiles = layout.tiles().size();
    t.restart();
    layout.build(model, model.top(), 1600 - 200, 1000);
    const double layoutOnly = seconds(t);
    const double resize = render(model, model.top(), QSize(1400, 900), layout, 3);
    // Zoom: the largest folder of the view, and back up.
    const MapFolder& top = model.folder(model.top());
    const std::uint32_t largest = top.childCount > 0 ? model.child(top.firstChild) : model.top();
    const double zoomIn = render(model, largest, QSize(1600, 1000), layout, 3);
    const double zoomOut = render(model, model.top(), QSize(1600, 1000), layout, 3);

    const double files = double(std::max<std::size_t>(model.fileCount(), 1));
    std::printf("files %zu\n", model.fileCount());
    std::printf("folders %zu\n", model.folderCount());
    std::printf("walk %.3f\n", walk);
    std::printf("first-paint %.3f\n", first);
    std::printf("layout %.3f\n", layoutOnly);
    std::printf("tiles %zu\n", tiles);
    std::printf("resize %.3f\n", resize);
    std::printf("zoom-in %.3f\n", zoomIn);
    std::printf("zoom-out %.3f\n", zoomOut);
    std::printf("record-bytes %zu\n", sizeof(MapFile));
    std::printf("model-bytes-per-file %.1f\n", double(model.memoryBytes()) / files);
    std::printf("model-bytes-per-file-besides-names %.1f\n", double(model.memoryBytes() - model.nameBytes()) / files);

    // The worst case for the layout: a million files of one size, each a tile of its own at
    // 1600 x 1000 (about a pixel and a half each), in 1,000 folders of 1,000.
    MapModel equal;
    equal.beginRoot("/equal", 0);
    for (int f = 0; f < 1000; ++f) {
        equal.enterFolder("folder" + std::to_string(f), 0);
        for (int i = 0; i < 1000; ++i)
            equal.addFile("file" + std::to_string(i), 4096);
        equal.leaveFolder();
    }
    equal.finish();
    std::printf("equal-first-paint %.3f\n", render(equal, equal.top(), QSize(1600, 1000), layout, 1));
    std::printf("equal-tiles %zu\n", layout.tiles().size());
    std::printf("equal-resize %.3f\n", render(equal, equal.top(), QSize(1400, 900), layout, 3));
    std::printf("equal-zoom-in %.3f\n", render(equal, equal.child(equal.folder(equal.top()).firstChild), QSize(1600, 1000), layout, 3));
    return 0;
}
