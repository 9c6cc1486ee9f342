// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <vector>

class QPrinter;
class StringGridModel;

// Prints the grid as a plain-text report on the printer that the caller's print dialog set up:
// the title line, the "Printed : " line, two empty lines, then the lines of every grid row (titles
// first, rows in their current order; ReportRowLines of FitReport with the given column widths in
// pixels and wrapColumn, the paths, fitted to the printable width), in Courier 9 pt or the system's
// fixed-pitch font, smaller where the columns need it to fit across the page, breaking pages when
// full. A title too long for the page goes on in the next line. Shows the hourglass while it
// writes. A failure shows "Error printing report ... quitting" once and gives up the rest; returns
// whether the whole report was written.
bool PrintGrid(const StringGridModel& grid, const std::vector<int>& columnWidths, const QString& title,
               QPrinter& printer, int wrapColumn = -1);
