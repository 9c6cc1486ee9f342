// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <vector>

class QPrinter;
class StringGridModel;

// Prints the grid as a plain-text report on the printer that the caller's print dialog set up:
// the title line, the "Printed : " line, two empty lines, then one line per grid row (titles first,
// rows in their current order; ReportLine with the given column widths in pixels), in Courier 9 pt
// or the system's fixed-pitch font, breaking pages when full. Shows the hourglass while it writes.
// A failure shows "Error printing report ... quitting" once and gives up the rest; returns whether
// the whole report was written.
bool PrintGrid(const StringGridModel& grid, const std::vector<int>& columnWidths, const QString& title,
               QPrinter& printer);
