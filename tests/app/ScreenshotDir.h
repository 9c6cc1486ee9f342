// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

class QWidget;

// Saves widget->grab() as <name>.png in the screenshot folder: $VANTOREL_SCREENSHOT_DIR when set
// (scripts/screenshots.sh points it at docs/screenshots), else screenshots/ beside bin/ of the build.
// Returns the file written, or an empty text when saving failed.
QString SaveScreenshot(QWidget* widget, const QString& name);
