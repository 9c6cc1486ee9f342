// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QtGlobal>

// Whole numbers with the default locale's group separator and no decimals: 1234567 gives
// "1,234,567" in en_US, -2048 gives "-2,048".
QString FormatThousands(qint64 n);

// A count and its noun, singular for exactly one: "1 file", "2,048 files".
QString CountText(qint64 n, const char* one, const char* many);

// A file size in whole kibibytes as a right-aligned text, so that text order is size order:
// "    1" .. " 9999", then "10000" and longer unpadded; below 1 K "     0." and a tenths digit
// (size div 103, at least 1 for a non-empty file). The caller appends " K".
QString SizeInKText(qint64 size);

// The label beside a size limit given in K: "KB (256000 bytes)" below 1024 K, else the size in
// megabytes with one decimal, "KB ( 1.0 Meg)".
QString KiloToMega(qint64 k);
