// SPDX-License-Identifier: GPL-3.0-or-later
// The time from opening the folder browser on a folder until its grid is filled and painted,
// offscreen: what the user waits for when a folder of many files is opened. Prints the seconds,
// the files listed and the bytes per listed file.
//
// Usage: bench-browse-fill FOLDER
#include "browse/ui/TfrmBrowse.h"
#include "common/StringGridModel.h"
#include "platform/CurrentFolder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench-browse-fill FOLDER\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CurrentFolder::set(argv[1]);

    QElapsedTimer timer;
    timer.start();
    TfrmBrowse browser;
    browser.show();
    auto* grid = browser.findChild<QTableView*>(QStringLiteral("grid"));
    grid->viewport()->repaint(); // the visible rows rendered and drawn
    const double seconds = double(timer.nsecsElapsed()) / 1e9;

    const std::size_t files = browser.files().count();
    std::printf("%.3f %zu %.0f\n", seconds, files,
                files ? double(browser.files().memoryBytes()) / double(files) : 0.0);
    return browser.folderPath() == argv[1] ? 0 : 1;
}
