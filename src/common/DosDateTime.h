// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDate>
#include <QString>
#include <QTime>
#include <QtGlobal>
#include <ctime>

struct FsEntry;

// Packed file date-times: the MS-DOS date word (high 16 bits: year-1980 in bits 25-31, month in
// 21-24, day in 16-20) and time word (low 16 bits: hour in 11-15, minute in 5-10, seconds/2 in 0-4)
// of a local time. 0 means "no date". Years 1980 to 2107 fit; anything else packs to 0.
// Compare packed values as unsigned: years from 2044 on set the top bit.

// Packs local date and time fields as they are (no checks beyond the year range); 0 outside it.
quint32 PackDosDateTime(int year, int month, int day, int hour, int minute, int second);
// A file time (UTC, as the file system gives it) in the local time zone, to 2-second steps.
quint32 PackFileTime(const struct timespec& utc);

quint32 LastAccessDateTime(const FsEntry& entry);
quint32 LastWriteDateTime(const FsEntry& entry);
// 0 when the file system keeps no creation time for the entry.
quint32 CreationDateTime(const FsEntry& entry);

// The date (from the high word) and the time (from the low word) of a packed value; invalid when
// that word's fields do not form a real date or time (month 0, hour 25, ...). 0 has no valid date.
QDate DosDateToQDate(quint32 v);
QTime DosTimeToQTime(quint32 v);

// "" for 0; otherwise the date in the default locale's short format with a four-digit year (so the
// text reads back as the same date); a value that is not a valid date and time shows 1 January 1980.
QString FileDateText(quint32 v);
// "" for 0; otherwise the time in the default locale's long format without the time zone; a value
// that is not a valid date and time shows 12:00:00.
QString FileTimeText(quint32 v);

// The formats behind those texts, and the reading back of a date text (invalid when unreadable).
QString FileDateFormat();
QString FileTimeFormat();
QDate ParseFileDateText(const QString& text);
// A date the user typed: in the form of the date texts, in the locale's own short date (where that
// has a two-digit year, it is read as one of 1980 to 2079) or in ISO 8601 ("2025-09-10", the
// command line's form); blanks around it are ignored. Invalid when none of them reads it.
QDate ParseEnteredDate(const QString& text);
