// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

class QComboBox;
class QLabel;
class QWidget;

// The editable pattern combo cbWildCard of the finder windows and the picker (design text "*.*").
QComboBox* MakeWildcardCombo(QWidget* parent);

// Replaces the combo's items with "*.*" and then one "*.ext" per known file type; the text typed
// in the combo stays.
void FillWildcardList(QComboBox* combo);

// The file type of a pattern's extension, from its last "." ("*.doc" and "report.doc" both give
// the type of .doc); for a list ("*.c;*.h") the types of its parts, each once, joined by ", ".
// Empty where there is no single extension ("*", "*.*", "*.do?").
QString PatternTypeName(const QString& pattern);

// The finder windows' label for a pattern: "All files" for exactly "*.*", otherwise its
// PatternTypeName.
QString WildcardLabelText(const QString& pattern);

// cbWildCardChange of the finder windows: rewrites lblWild from the combo's text.
void cbWildCardChange(QComboBox* combo, QLabel* lblWild);
