// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ScreenshotDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QWidget>

QString SaveScreenshot(QWidget* widget, const QString& name) {
    QString folder = qEnvironmentVariable("VANTOREL_SCREENSHOT_DIR");
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots");
    if (!QDir().mkpath(folder))
        return {};
    const QString file = QDir(folder).absoluteFilePath(name + QStringLiteral(".png"));
    return widget->grab().save(file, "PNG") ? file : QString();
}
