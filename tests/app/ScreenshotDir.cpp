// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ScreenshotDir.h"

#include "common/ui/SwappedButtonGuard.h"

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QTest>
#include <QWidget>
#include <algorithm>

QString SaveScreenshot(QWidget* widget, const QString& name) {
    // A button that has just taken Abort's place looks disabled for a moment: the picture shows it
    // as the user gets to use it, once the mouse has moved.
    const QList<SwappedButtonGuard*> guards = widget->findChildren<SwappedButtonGuard*>();
    if (std::any_of(guards.begin(), guards.end(), [](const SwappedButtonGuard* g) { return g->holding(); })) {
        QTest::qWait(SwappedButtonGuard::HoldMs + 50);
        QTest::mouseMove(widget, QPoint(1, 1));
        QTest::mouseMove(widget, QPoint(2, 2));
    }
    QString folder = qEnvironmentVariable("VANTOREL_SCREENSHOT_DIR");
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots");
    if (!QDir().mkpath(folder))
        return {};
    const QString file = QDir(folder).absoluteFilePath(name + QStringLiteral(".png"));
    return widget->grab().save(file, "PNG") ? file : QString();
}
