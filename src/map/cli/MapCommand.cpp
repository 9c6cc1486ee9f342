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

#include <QBuffer>
#include <QGuiApplication>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void warn(const std::string& text) { std::fprintf(stderr, "vantorel-cli: %s\n", text.c_str()); }

std::string shown(const std::string& path) { return DisplayText(path).toLocal8Bit().toStdString(); }

// The output, opened before the walk so that a place that cannot be written is said at once. The
// file is emptied only when the picture is ready.
struct Output {
    int fd = -1;
    bool created = false;
    std::string path;

    int open(const std::string& name) {
        path = name;
        struct stat st {};
        created = ::stat(name.c_str(), &st) != 0;
        fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
        return fd < 0 ? errno : 0;
    }
    int write(const QByteArray& data) {
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::ftruncate(fd, 0) != 0)
            return errno;
        if (int failed = WriteAll(fd, std::string_view(data.constData(), std::size_t(data.size()))))
            return failed;
        const int closed = ::close(fd);
        fd = -1;
        return closed != 0 && errno != EINTR ? errno : 0;
    }
    // After a failure: a file made by this run is not left behind.
    void discard() {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
        if (created)
            ::unlink(path.c_str());
    }
};

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
    Output output;
    if (int failed = output.open(options.output)) {
        warn("cannot write " + shown(options.output) + ": " + std::strerror(failed));
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
    if (int failed = output.write(png)) {
        output.discard();
        warn("cannot write " + shown(options.output) + ": " + std::strerror(failed));
        return 2;
    }
    return 0;
}
