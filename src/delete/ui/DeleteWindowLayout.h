// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

// Layout helpers shared by the two deletion windows, whose positions are given at 96 DPI.

void setDeleteWindowFont(QWidget* widget, int pointSize, bool bold);
QLabel* makeLabel(QWidget* parent, const char* name, const QString& text);
QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, const QString& hint);
void centreOnScreen(QWidget* window);
