// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

// Layout helpers shared by the two deletion windows, whose positions are given at 96 DPI.

// Scales a 96-DPI length by the widget's logical DPI.
class DpiScale {
public:
    explicit DpiScale(const QWidget* widget);
    int operator()(int length96) const;

private:
    double m_factor = 1.0;
};

void setDeleteWindowFont(QWidget* widget, int pointSize, bool bold);
QLabel* makeLabel(QWidget* parent, const char* name, const QString& text);
QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, const QString& hint);
void centreOnScreen(QWidget* window);

// The hourglass for the whole application while alive, restored on every return path.
class BusyCursorGuard {
public:
    BusyCursorGuard();
    ~BusyCursorGuard();
    BusyCursorGuard(const BusyCursorGuard&) = delete;
    BusyCursorGuard& operator=(const BusyCursorGuard&) = delete;
};
