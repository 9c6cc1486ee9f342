// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

class StringGridModel;

// The plain texts that the result lists put on the clipboard and on paper.

// Clipboard text of lines: each line followed by CR LF.
QString ClipboardText(const QStringList& lines);

// One report line of a grid row (0 = titles): each cell left-justified in a field of
// (column width in pixels) div 6 characters, then one space; a longer text is written whole.
// Columns without a width get a field of 0 characters.
QString ReportLine(const StringGridModel& grid, const std::vector<int>& columnWidthsPixels, int gridRow);

// The report lines of every grid row 0 .. gridRowCount()-1 in their current order.
QStringList ReportLines(const StringGridModel& grid, const std::vector<int>& columnWidthsPixels);

// "Printed : " + the date text + two spaces + the time text of now, in the default locale's short
// date (four-digit year) and long time (without the time zone) formats.
QString PrintedLine(const QDateTime& now);
