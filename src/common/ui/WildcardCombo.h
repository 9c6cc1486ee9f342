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

// The finder windows' label for a pattern: "All files" for exactly "*.*", otherwise the type name
// of the pattern without its first character ("*.doc" looks up ".doc").
QString WildcardLabelText(const QString& pattern);

// cbWildCardChange of the finder windows: rewrites lblWild from the combo's text.
void cbWildCardChange(QComboBox* combo, QLabel* lblWild);
