// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class StringGridModel;

// The grid sorts of every result window. Rows are grid rows (row 0 = titles, never sorted): callers
// pass firstRow = 1 and lastRow = gridRowCount() - 1. Rows firstRow..lastRow are reordered by the text
// of one column; every other row is untouched. Whole rows move (texts, keys and marks), once, at the end.
//
// Rows that all have keys of a source that orders the column (GridRowSource::orderRows) are put in the
// source's order: values as values (dates as points in time), ties newest first where the order is
// descending and then by names in ascending order, and no
// cell text is made. Other rows run one partition procedure on an index table of (row number, key);
// rows with equal keys are ordered by the text of tieColumn, ascending whatever the direction, where
// one is given (-1: none); rows that still tie end in the order that procedure leaves them (it is not
// stable). A range that is empty, of one row, or outside the grid is left alone. Bad cell text never
// fails.

// Key: the text with ASCII a-z upper-cased, compared byte by byte as UTF-8 (a prefix sorts first).
void SortGridByText(StringGridModel& grid, int firstRow, int lastRow, bool descending, int column,
                    int tieColumn = -1);

// Key: the text without "," (unless "," is the locale's decimal separator) and without the locale's group
// separator, read as a decimal number with the locale's decimal separator; unreadable text counts as 0.
void SortGridByNumber(StringGridModel& grid, int firstRow, int lastRow, bool descending, int column,
                      int tieColumn = -1);

// Key: the text read back as a file date text (ParseFileDateText: the locale's short date format with a
// four-digit year); an empty or unreadable text counts as 1 January 1900.
void SortGridByDate(StringGridModel& grid, int firstRow, int lastRow, bool descending, int column);

// "Sort by Size" of the file-hog list: largest first, and right for sizes of 100,000 K and more, where
// the descending text sort puts "100000 K" below "99999 K".
// Key: a text is a size when it is optional spaces, decimal digits, optionally "." and digits, then
// optional spaces and an optional "K", then optional spaces ("  250 K", "     0.5 K", "100000 K"); its
// value is that decimal number. Every text that is not a size sorts above every size; such texts compare
// among themselves like the descending text sort (upper-cased bytes, larger first). Sizes compare by
// value, larger first. The procedure is exactly that of the descending text sort, adjacent-exchange pass
// included, so on a column of uniformly padded size texts below 100,000 K it leaves every row, ties
// included, where SortGridByText(..., descending = true, ...) would.
void SortGridBySizeK(StringGridModel& grid, int firstRow, int lastRow, int column);

