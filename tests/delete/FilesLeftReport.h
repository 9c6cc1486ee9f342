// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "delete/ui/TfrmFilesLeft.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

// Answers the report of files that stayed when it shows (it is modal): hands it to inspect, then
// presses OK. Keeps looking until one shows.
inline void whenFilesLeftShows(std::function<void(TfrmFilesLeft&)> inspect) {
    auto* timer = new QTimer(QCoreApplication::instance());
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, inspect] {
        auto* report = qobject_cast<TfrmFilesLeft*>(QApplication::activeModalWidget());
        if (!report)
            return;
        timer->stop();
        timer->deleteLater();
        inspect(*report);
        QTest::mouseClick(report->findChild<QPushButton*>(QStringLiteral("btOK")), Qt::LeftButton);
    });
    timer->start();
}

// The report's rows: each file's path and reason, joined by a tab.
inline QStringList filesLeftRows(TfrmFilesLeft& report) {
    QStringList rows;
    auto* list = report.findChild<QTreeWidget*>(QStringLiteral("lbLeft"));
    for (int i = 0; list && i < list->topLevelItemCount(); ++i)
        rows << list->topLevelItem(i)->text(0) + u'\t' + list->topLevelItem(i)->text(1);
    return rows;
}
