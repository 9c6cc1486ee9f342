// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ReportText.h"

#include "common/DosDateTime.h"
#include "common/StringGridModel.h"

#include <QLocale>

QString ClipboardText(const QStringList& lines) {
    QString text;
    qsizetype size = 0;
    for (const QString& line : lines)
        size += line.size() + 2;
    text.reserve(size);
    for (const QString& line : lines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    return text;
}

QString ReportLine(const StringGridModel& grid, const std::vector<int>& columnWidthsPixels, int gridRow) {
    QString line;
    for (int c = 0; c < grid.columnCountAll(); ++c) {
        const int pixels = c < static_cast<int>(columnWidthsPixels.size()) ? columnWidthsPixels[static_cast<std::size_t>(c)] : 0;
        line += grid.cellText(gridRow, c).leftJustified(qMax(0, pixels / 6), QLatin1Char(' '), false);
        line += QLatin1Char(' ');
    }
    return line;
}

QStringList ReportLines(const StringGridModel& grid, const std::vector<int>& columnWidthsPixels) {
    QStringList lines;
    lines.reserve(grid.gridRowCount());
    for (int r = 0; r < grid.gridRowCount(); ++r)
        lines << ReportLine(grid, columnWidthsPixels, r);
    return lines;
}

QString PrintedLine(const QDateTime& now) {
    const QLocale locale;
    return QStringLiteral("Printed : ") + locale.toString(now.date(), FileDateFormat()) + QStringLiteral("  ") +
           locale.toString(now.time(), FileTimeFormat());
}
