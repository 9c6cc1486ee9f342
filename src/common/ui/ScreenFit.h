// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

// Where windows go on the screen: every window, its frame included, within the screen's available
// area (the desktop's panels and docks left free).

// The available area of the screen the window is on (the primary screen's before it has one).
QRect AvailableScreenArea(const QWidget* window);
// The frame the window system puts around the window: its own once it has been framed, else that of
// another framed window of the program, else a usual title bar and border.
QMargins WindowFrameMargins(const QWidget* window);
// The geometry (without the frame) of a window of the size wanted, made no larger than the area
// leaves room for with its frame, and centred in the area frame included.
QRect FittedWindowGeometry(QSize wanted, const QRect& area, const QMargins& frame);
// Sizes and places the window so: at most wanted, centred in its screen's available area. A window
// shown before its frame is known is fitted again, once, when the window system tells it.
void FitOnScreen(QWidget* window, QSize wanted);
// FitOnScreen at the window's present size.
void CentreOnScreen(QWidget* window);
