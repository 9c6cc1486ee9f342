// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QFont>

class QLabel;
class QWidget;

// A sunken one-line panel of plain text, as the tool windows show under their lists.
QLabel* NewStatusPanel(const char* name, const QFont& font, QWidget* parent);

// The Arial 9-point face of the finder windows' status panels.
QFont FinderStatusFont();
