// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

// Layout helpers shared by the two deletion windows, whose positions are given at 96 DPI.

void setDeleteWindowFont(QWidget* widget, int pointSize, bool bold);
// Names a deletion window, gives it its caption, a fixed dialog frame with only a system menu, the
// font (8 point) and its fixed size in design pixels; returns the screen's scale for the rest.
double setUpDeleteWindow(QWidget* window, const char* name, const QString& caption, bool bold, int width,
                         int height);
QLabel* makeLabel(QWidget* parent, const char* name, const QString& text);
QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, const QString& hint);
void centreOnScreen(QWidget* window);
