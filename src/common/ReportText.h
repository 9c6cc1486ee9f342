// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

class StringGridModel;

// The plain texts that the result lists put on the clipboard and on paper.

// Clipboard text of lines: each line followed by LF, as text lines end on Linux.
QString ClipboardText(const QStringList& lines);

// The field widths of a printed report, in characters, one per grid column.
struct ReportLayout {
    std::vector<int> fields;
    // The characters of a line: every field and the space after it.
    int lineChars() const;
};

// The layout of the report of every grid row on a page of pageChars characters (0: no limit).
// Each column starts with (column width in pixels) div 6 characters. A column other than the wrap
// column grows to its longest text (title included) up to WideField characters, so that no text
// pushes the columns after it. The wrap column (the paths; -1 for none) then takes what the page
// has left: its longest text when that fits, never less than MinWrapField characters (or its
// longest text, when shorter). A lineChars() beyond pageChars asks for a smaller font.
constexpr int WideField = 20;
constexpr int MinWrapField = 20;
ReportLayout FitReport(const StringGridModel& grid, const std::vector<int>& columnWidthsPixels,
                       int wrapColumn, int pageChars);

// The report lines of one grid row (0 = titles): each cell left-justified in its field, then one
// space. A text longer than its field goes on in the same field of the lines below (BreakText),
// where the other fields are blank; those lines end at their last text.
QStringList ReportRowLines(const StringGridModel& grid, const ReportLayout& layout, int gridRow);

// The text in pieces of at most width characters, each piece ending after the last "/" or space
// of its second half when there is one there, otherwise cut at the width. A width below 1 leaves
// the text whole.
QStringList BreakText(const QString& text, int width);

// "Printed : " + the date text + two spaces + the time text of now, in the default locale's short
// date (four-digit year) and long time (without the time zone) formats.
QString PrintedLine(const QDateTime& now);
