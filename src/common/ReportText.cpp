// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ReportText.h"

#include "common/DosDateTime.h"
#include "common/StringGridModel.h"

#include <QLocale>
#include <algorithm>

QString ClipboardText(const QStringList& lines) {
    QString text;
    qsizetype size = 0;
    for (const QString& line : lines)
        size += line.size() + 1;
    text.reserve(size);
    for (const QString& line : lines) {
        text += line;
        text += QLatin1Char('\n');
    }
    return text;
}

int ReportLayout::lineChars() const {
    int chars = 0;
    for (int field : fields)
        chars += field + 1;
    return chars;
}

ReportLayout FitReport(const StringGridModel& grid, const std::vector<int>& columnWidthsPixels,
                       int wrapColumn, int pageChars) {
    const int columns = grid.columnCountAll();
    std::vector<int> longest(std::size_t(columns), 0);
    for (int r = 0; r < grid.gridRowCount(); ++r)
        for (int c = 0; c < columns; ++c)
            longest[std::size_t(c)] = std::max(longest[std::size_t(c)], int(grid.cellText(r, c).size()));

    ReportLayout layout;
    int others = 0;
    for (int c = 0; c < columns; ++c) {
        const int pixels = c < int(columnWidthsPixels.size()) ? columnWidthsPixels[std::size_t(c)] : 0;
        int field = std::max(0, pixels / 6);
        if (c != wrapColumn)
            field = std::max(field, std::min(longest[std::size_t(c)], WideField));
        layout.fields.push_back(field);
        if (c != wrapColumn)
            others += field + 1;
    }
    if (wrapColumn >= 0 && wrapColumn < columns) {
        int& field = layout.fields[std::size_t(wrapColumn)];
        const int wanted = std::max(field, longest[std::size_t(wrapColumn)]);
        const int room = pageChars > 0 ? pageChars - others - 1 : wanted;
        field = std::max(std::min(wanted, room), std::min(wanted, MinWrapField));
    }
    return layout;
}

QStringList BreakText(const QString& text, int width) {
    if (width < 1 || text.size() <= width)
        return {text};
    QStringList pieces;
    qsizetype from = 0;
    while (text.size() - from > width) {
        qsizetype cut = from + width;
        // A path breaks after a folder's "/", a text after a space, where one is near the end.
        for (qsizetype i = from + width - 1; i >= from + width / 2; --i)
            if (text[i] == u'/' || text[i] == u' ') {
                cut = i + 1;
                break;
            }
        if (cut - from > 1 && text[cut - 1].isHighSurrogate())
            --cut; // never between the halves of one character
        pieces << text.mid(from, cut - from);
        from = cut;
    }
    pieces << text.mid(from);
    return pieces;
}

QStringList ReportRowLines(const StringGridModel& grid, const ReportLayout& layout, int gridRow) {
    const int columns = int(layout.fields.size());
    QStringList texts;
    texts.reserve(columns);
    bool fits = true;
    for (int c = 0; c < columns; ++c) {
        texts << grid.cellText(gridRow, c);
        const int field = layout.fields[std::size_t(c)];
        fits = fits && (field < 1 || texts.back().size() <= field);
    }
    QString first;
    if (fits) { // most rows: one line, no pieces to make
        for (int c = 0; c < columns; ++c) {
            first += texts[c].leftJustified(layout.fields[std::size_t(c)], u' ', false);
            first += u' ';
        }
        return {first};
    }
    std::vector<QStringList> pieces;
    qsizetype lines = 1;
    for (int c = 0; c < columns; ++c) {
        pieces.push_back(BreakText(texts[c], layout.fields[std::size_t(c)]));
        lines = std::max(lines, pieces.back().size());
    }
    QStringList out;
    for (qsizetype l = 0; l < lines; ++l) {
        QString line;
        for (int c = 0; c < columns; ++c) {
            const QStringList& cell = pieces[std::size_t(c)];
            line += (l < cell.size() ? cell[l] : QString())
                        .leftJustified(layout.fields[std::size_t(c)], u' ', false);
            line += u' ';
        }
        // The first line keeps every field whole; the lines that carry on end at their text.
        if (l > 0) {
            qsizetype end = line.size();
            while (end > 0 && line[end - 1] == u' ')
                --end;
            line.truncate(end);
        }
        out << line;
    }
    return out;
}

QString PrintedLine(const QDateTime& now) {
    const QLocale locale;
    return QStringLiteral("Printed : ") + locale.toString(now.date(), FileDateFormat()) + QStringLiteral("  ") +
           locale.toString(now.time(), FileTimeFormat());
}
