// SPDX-License-Identifier: GPL-3.0-or-later
// A scan of one folder as drive C: in each window that walks (file hogs, duplicates, files in a
// range of dates, folder hogs), offscreen: how long the scan takes from the button to its last row,
// to compare with the command line's time for the same scan, and how responsive the window stays
// meanwhile: the longest time between two turns of its event loop, and the longest repaint.
//
// Usage: bench-window-scans FOLDER
// Prints one line per window: name, seconds, longest gap (ms), longest repaint (ms), rows.
#include "finders/daterange/ui/TfrmMods.h"
#include "finders/dup/ui/TfrmDup.h"
#include "folderhogs/ui/TfrmDirHog.h"
#include "platform/CurrentFolder.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

struct Figures {
    double seconds = 0;
    double longestGapMs = 0;
    double longestRepaintMs = 0;
    int rows = 0;
};

// Shows the window, lets prepare set its choices, presses start and measures until the scan is
// over. A timer asks the event loop to run every millisecond: the gaps between its turns are what a
// user would feel, and each turn repaints the whole window as a screen refresh would.
Figures measure(QDialog& window, const char* start, const std::function<void()>& prepare) {
    window.resize(1000, 700);
    window.show();
    QApplication::processEvents();
    if (prepare)
        prepare();
    Figures f;
    QElapsedTimer sinceTurn;
    QTimer turns;
    turns.setInterval(1);
    QObject::connect(&turns, &QTimer::timeout, [&] {
        f.longestGapMs = std::max(f.longestGapMs, double(sinceTurn.nsecsElapsed()) / 1e6);
        QElapsedTimer painting;
        painting.start();
        window.repaint();
        f.longestRepaintMs = std::max(f.longestRepaintMs, double(painting.nsecsElapsed()) / 1e6);
        sinceTurn.restart();
    });
    auto* button = window.findChild<QPushButton*>(QString::fromLatin1(start));
    if (!button)
        return f;
    QElapsedTimer timer;
    timer.start();
    sinceTurn.start();
    turns.start();
    button->click(); // the scan runs inside, the event loop turning at its yields
    f.seconds = double(timer.nsecsElapsed()) / 1e9;
    turns.stop();
    if (auto* grid = window.findChild<QTableView*>(QStringLiteral("grid")))
        f.rows = grid->model()->rowCount();
    return f;
}

void report(const char* name, const Figures& f) {
    std::printf("%s %.3f %.1f %.1f %d\n", name, f.seconds, f.longestGapMs, f.longestRepaintMs, f.rows);
    std::fflush(stdout);
}

void setText(QDialog& window, const char* name, const QString& text) {
    if (auto* edit = window.findChild<QLineEdit*>(QString::fromLatin1(name)))
        edit->setText(text);
}

void check(QDialog& window, const char* name) {
    if (auto* b = window.findChild<QRadioButton*>(QString::fromLatin1(name)))
        b->setChecked(true);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench-window-scans FOLDER\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("VANTOREL_DRIVES", QByteArray("C=") + argv[1]);
    QApplication app(argc, argv);
    CurrentFolder::set(argv[1]);

    // The same scans as vantorel-cli hogs --larger 0, dups --larger 0, dates --modified --after
    // 2000-01-01 and folders --all.
    {
        TfrmDup hogs(false);
        report("hogs", measure(hogs, "btScan", [&] { setText(hogs, "num1", QStringLiteral("0")); }));
    }
    {
        TfrmDup dups(true);
        report("dups", measure(dups, "btScan", [&] { setText(dups, "num1", QStringLiteral("0")); }));
    }
    {
        TfrmMods dates;
        report("dates", measure(dates, "btOK", [&] {
                   check(dates, "rgWhat2");
                   check(dates, "rgWhen2");
                   setText(dates, "dtStart", QStringLiteral("2000-01-01"));
               }));
    }
    {
        TfrmDirHog folders;
        report("folders", measure(folders, "btAll", {}));
    }
    return 0;
}
