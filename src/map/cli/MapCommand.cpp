// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/cli/MapCommand.h"

#include "cli/CliOptions.h"
#include "cli/ResultOutput.h"
#include "common/DisplayText.h"
#include "map/MapScanEngine.h"
#include "map/paint/MapPicture.h"
#include "map/paint/OffscreenGui.h"
#include "platform/FolderHandle.h"
#include "platform/WalkThreads.h"
#include "scans/SavedScan.h"
#include "scans/ScanOutput.h"

#include <QBuffer>
#include <QGuiApplication>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

void warn(const std::string& text) { std::fprintf(stderr, "vantorel-cli: %s\n", text.c_str()); }

std::string shown(const std::string& path) { return DisplayText(path).toLocal8Bit().toStdString(); }

// Qt's own remarks (a missing runtime folder, font fall-backs) are no business of a script.
void quietQt(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "vantorel-cli: %s\n", text.toLocal8Bit().constData());
}

} // namespace

int RunMapCommand(const CliOptions& options, char** argv) {
    if (options.threads > 0)
        SetWalkThreadCount(options.threads);
    const std::string folder = options.folders.empty() ? std::string() : options.folders.front();
    const std::string scanFile = options.scans.empty() ? std::string() : options.scans.front();
    SavedScan scan;
    if (!scanFile.empty() && !scan.open(scanFile)) {
        warn(shown(scan.error()));
        return 2;
    }
    if (FolderHandle root = FolderHandle::open(folder); scanFile.empty() && !root.valid()) {
        warn("cannot open folder " + shown(folder) + ": " + std::strerror(root.error()));
        return 2;
    }
    // Opened before the walk, so that a place that cannot be written is said at once; the picture
    // goes to a temporary name beside it and takes the name only once it is whole.
    ScanOutput output;
    if (int failed = output.open(options.output, false)) {
        warn("cannot write " + shown(options.output) + ": " + ScanOutput::reason(failed));
        return 2;
    }

    // Drawing needs fonts and images but no screen: the offscreen platform, whatever the
    // environment says, so neither a display nor a variable is needed.
    qInstallMessageHandler(quietQt);
    OffscreenGui gui(argv[0]);

    MapScanEngine engine;
    engine.skipped().setReporter([](const std::string& path, int failure) {
        warn("cannot read " + shown(path) + ": " + std::strerror(failure));
    });
    engine.begin();
    if (scanFile.empty())
        engine.scanDrive(folder);
    else if (engine.scanSaved(scan.replay()); scan.failed()) {
        output.discard();
        warn(shown(scan.error()));
        return 2;
    }
    engine.finish();

    MapLayout layout;
    const QImage picture = MapPicture::render(engine.model(), engine.model().top(),
                                              QSize(options.mapWidth, options.mapHeight), 1.0, QGuiApplication::font(),
                                              layout);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (picture.isNull() || !picture.save(&buffer, "PNG")) {
        output.discard();
        warn("cannot make the picture for " + shown(options.output));
        return 2;
    }
    output.write(std::string_view(png.constData(), std::size_t(png.size())));
    if (int failed = output.finish()) {
        warn("cannot write " + shown(options.output == "-" ? "standard output" : options.output) + ": " +
             ScanOutput::reason(failed));
        return 2;
    }
    return 0;
}
