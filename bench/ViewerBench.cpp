// SPDX-License-Identifier: GPL-3.0-or-later
// The viewer control on a large text file, offscreen: how long opening takes, how long Ctrl+End
// takes to find the end, then the repaint time of each move a reader makes once the end is known
// (pages, both ends, go to line, scroll bar drags to several places), and the time of a forward
// search through the whole file for a text that is not in it.
//
// Usage: bench-viewer FILE NEEDLE
// Prints "name milliseconds" lines; the last line is "search SECONDS".
#include "viewer/ui/TFileViewer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

double timedRepaint(TFileViewer& viewer, const std::function<void()>& act) {
    QElapsedTimer timer;
    timer.start();
    act();
    viewer.viewport()->repaint(); // the visible lines read and drawn
    QCoreApplication::processEvents(); // and the posted status
    return double(timer.nsecsElapsed()) / 1e6;
}

void key(TFileViewer& viewer, Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(viewer.viewport(), k, modifiers);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench-viewer FILE NEEDLE\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TFileViewer viewer;
    viewer.resize(1000, 700);
    viewer.show();
    // Painting needs an exposed window, or repaint() draws nothing.
    if (!QTest::qWaitForWindowExposed(&viewer))
        return 2;
    viewer.setFocus();

    const double open = timedRepaint(viewer, [&] {
        viewer.setFileName(argv[1]);
        viewer.setOpen(true);
    });
    std::printf("open %.2f\n", open);
    const double end = timedRepaint(viewer, [&] { key(viewer, Qt::Key_End, Qt::ControlModifier); });
    std::printf("find-end %.2f\n", end);
    std::printf("lines %lld\n", static_cast<long long>(viewer.TotalLines()));

    const std::int64_t total = viewer.TotalLines();
    QScrollBar* bar = viewer.verticalScrollBar();
    struct Move {
        const char* name;
        std::function<void()> act;
    };
    const Move moves[] = {
        {"pgup", [&] { key(viewer, Qt::Key_PageUp); }},
        {"pgdn", [&] { key(viewer, Qt::Key_PageDown); }},
        {"ctrl-home", [&] { key(viewer, Qt::Key_Home, Qt::ControlModifier); }},
        {"ctrl-end", [&] { key(viewer, Qt::Key_End, Qt::ControlModifier); }},
        {"goto-middle", [&] { viewer.MoveCaret(total / 2, 0); }},
        {"goto-third", [&] { viewer.MoveCaret(total / 3, 0); }},
        {"goto-last", [&] { viewer.MoveCaret(total - 1, 0); }},
        {"goto-first", [&] { viewer.MoveCaret(0, 0); }},
        {"drag-90%", [&] { bar->setSliderPosition(bar->maximum() / 10 * 9); }},
        {"drag-10%", [&] { bar->setSliderPosition(bar->maximum() / 10); }},
        {"drag-50%", [&] { bar->setSliderPosition(bar->maximum() / 2); }},
        {"drag-end", [&] { bar->setSliderPosition(bar->maximum()); }},
        {"drag-top", [&] { bar->setSliderPosition(0); }},
    };
    double worst = 0;
    for (const Move& m : moves) {
        const double ms = timedRepaint(viewer, m.act);
        worst = std::max(worst, ms);
        std::printf("%s %.2f\n", m.name, ms);
    }
    std::printf("worst %.2f\n", worst);

    QElapsedTimer timer;
    timer.start();
    const bool found = viewer.FindText(argv[2], TBaseViewer::SearchGlobal);
    std::printf("search %.3f\n", double(timer.nsecsElapsed()) / 1e9);
    return found ? 1 : 0;
}
