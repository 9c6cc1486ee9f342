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

// A side of --size: decimal digits only, 1 .. MostPixels.
bool parseSide(const std::string& text, int& side) {
    if (text.empty() || text.size() > 5)
        return false;
    side = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        side = side * 10 + (c - '0');
    }
    return side >= 1 && side <= MapCommandOptions::MostPixels;
}

// Qt's own remarks (a missing runtime folder, font fall-backs) are no business of a script.
void quietQt(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "vantorel-cli: %s\n", text.toLocal8Bit().constData());
}

} // namespace

bool ParseMapCommand(const std::vector<std::string>& args, MapCommandOptions& o, std::string& error) {
    o = MapCommandOptions{};
    bool optionsOver = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!optionsOver && (a == "--help" || a == "-h" || a == "--version")) {
            (a == "--version" ? o.version : o.help) = true;
            return true;
        }
        if (optionsOver || a.empty() || a[0] != '-' || a == "-") {
            if (a.empty()) {
                error = "an empty FOLDER argument names no folder";
                return false;
            }
            if (!o.folder.empty()) {
                error = "map takes one FOLDER";
                return false;
            }
            o.folder = a;
            continue;
        }
        if (a == "--") {
            optionsOver = true;
            continue;
        }
        if (a != "--size" && a != "--output" && a != "--threads" && a != "--scan") {
            error = "unknown option '" + a + "' (see --help)";
            return false;
        }
        if (i + 1 >= args.size()) {
            error = a + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        if (a == "--threads") {
            if (!ParseThreadsOption(value, o.threads, error))
                return false;
            continue;
        }
        if (a == "--scan") {
            if (value.empty()) {
                error = "an empty --scan FILE names no file";
                return false;
            }
            o.scan = value;
            continue;
        }
        if (a == "--output") {
            if (value.empty()) {
                error = "--output needs a file name";
                return false;
            }
            o.output = value;
            continue;
        }
        const std::size_t x = value.find('x');
        if (x == std::string::npos || !parseSide(value.substr(0, x), o.width) ||
            !parseSide(value.substr(x + 1), o.height)) {
            error = "--size needs WIDTHxHEIGHT, each from 1 to " + std::to_string(MapCommandOptions::MostPixels) +
                    " pixels, not '" + value + "'";
            return false;
        }
    }
    if (o.output.empty()) {
        error = "map needs --output FILE.png (see --help)";
        return false;
    }
    if (!o.folder.empty() && !o.scan.empty()) {
        error = "give a FOLDER or --scan FILE, not both";
        return false;
    }
    if (o.folder.empty() && o.scan.empty()) {
        error = "no FOLDER given (see --help)";
        return false;
    }
    return true;
}

int RunMapCommand(int argc, char** argv) {
    MapCommandOptions options;
    std::string error;
    if (!ParseMapCommand(std::vector<std::string>(argv + 2, argv + argc), options, error)) {
        warn(error);
        return 2;
    }
    if (options.help || options.version) {
        if (int failed = WriteAll(STDOUT_FILENO, options.help ? CliUsage() : CliVersion())) {
            warn(std::string("cannot write to standard output: ") + std::strerror(failed));
            return 2;
        }
        return 0;
    }
    if (options.threads > 0)
        SetWalkThreadCount(options.threads);
    SavedScan scan;
    if (!options.scan.empty() && !scan.open(options.scan)) {
        warn(shown(scan.error()));
        return 2;
    }
    if (FolderHandle root = FolderHandle::open(options.folder); options.scan.empty() && !root.valid()) {
        warn("cannot open folder " + shown(options.folder) + ": " + std::strerror(root.error()));
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
    if (options.scan.empty())
        engine.scanDrive(options.folder);
    else if (engine.scanSaved(scan.replay()); scan.failed()) {
        output.discard();
        warn(shown(scan.error()));
        return 2;
    }
    engine.finish();

    MapLayout layout;
    const QImage picture = MapPicture::render(engine.model(), engine.model().top(),
                                              QSize(options.width, options.height), 1.0, QGuiApplication::font(),
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
