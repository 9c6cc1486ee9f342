// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QColor>
#include <QString>

class QLabel;
class QProgressBar;
class QWidget;

// Gives the label its text in its design font, or in a condensed and then smaller face of it when
// the text would not fit the label's width (a 64-bit byte figure on a 16-point page, a font that
// is wider than the one designed for). The design font is the one the label had when it first
// got a text through here.
void SetFittedText(QLabel* label, const QString& text);

// The colour of a label's text.
void SetTextColour(QWidget* widget, const QColor& colour);

// A percentage bar (range 0 to 100) in the given colour; withText shows the percentage on it.
QProgressBar* MakePercentBar(QWidget* parent, const QString& name, const QColor& colour, bool withText);
