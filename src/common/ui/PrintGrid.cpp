// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/PrintGrid.h"

#include "common/MessageService.h"
#include "common/ReportText.h"
#include "common/StringGridModel.h"
#include "common/ui/BusyCursor.h"

#include <QDateTime>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <algorithm>

namespace {

const QString kPrintError = QStringLiteral("Error printing report ... quitting");

QFont ReportFont() {
    QFont courier(QStringLiteral("Courier"), 9);
    courier.setStyleHint(QFont::TypeWriter);
    const QFontInfo info(courier);
    if (info.fixedPitch() && info.family().startsWith(QStringLiteral("Courier"), Qt::CaseInsensitive))
        return courier;
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(9);
    return fixed;
}

// How many characters of the font fit across the printer's printable width.
int PageChars(const QFont& font, QPrinter& printer) {
    const QFontMetricsF metrics(font, &printer);
    const qreal advance = metrics.horizontalAdvance(QLatin1Char('M'));
    return advance > 0 ? int(printer.width() / advance) : 0;
}

// The report font made small enough that lines of lineChars characters fit across the page.
QFont FittedFont(QFont font, int lineChars, QPrinter& printer) {
    for (int step = 0; step < 40 && lineChars > PageChars(font, printer); ++step) {
        const int fits = std::max(PageChars(font, printer), 1);
        font.setPointSizeF(font.pointSizeF() * std::min(0.98, double(fits) / lineChars));
    }
    return font;
}

// Writes text lines top to bottom, starting a new page when the next line would not fit.
class LineWriter {
public:
    LineWriter(QPainter& painter, QPrinter& printer) : m_painter(painter), m_printer(printer) {
        const QFontMetrics metrics(painter.font(), &printer);
        m_lineHeight = qMax(1, metrics.lineSpacing());
        m_ascent = metrics.ascent();
        m_pageHeight = printer.height();
    }

    // False when the printer refused a new page.
    bool write(const QString& line) {
        if (m_y > 0 && m_y + m_lineHeight > m_pageHeight) {
            if (!m_printer.newPage())
                return false;
            m_y = 0;
        }
        if (!line.isEmpty())
            m_painter.drawText(0, m_y + m_ascent, line);
        m_y += m_lineHeight;
        return m_painter.isActive();
    }

private:
    QPainter& m_painter;
    QPrinter& m_printer;
    int m_lineHeight = 1;
    int m_ascent = 0;
    int m_pageHeight = 0;
    int m_y = 0;
};

} // namespace

bool PrintGrid(const StringGridModel& grid, const std::vector<int>& columnWidths, const QString& title,
               QPrinter& printer, int wrapColumn) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        ShowPlainErrorBox(kPrintError);
        return false;
    }
    QFont font = ReportFont();
    const ReportLayout layout = FitReport(grid, columnWidths, wrapColumn, PageChars(font, printer));
    font = FittedFont(font, layout.lineChars(), printer);
    painter.setFont(font);
    LineWriter writer(painter, printer);
    bool written = true;
    for (const QString& line : BreakText(title, PageChars(font, printer)))
        written = written && writer.write(line);
    if (!written || !writer.write(PrintedLine(QDateTime::currentDateTime())) || !writer.write({}) ||
        !writer.write({})) {
        painter.end();
        ShowPlainErrorBox(kPrintError);
        return false;
    }

    {
        BusyCursor busy;
        for (int r = 0; r < grid.gridRowCount() && written; ++r)
            for (const QString& line : ReportRowLines(grid, layout, r))
                if (!(written = writer.write(line)))
                    break;
    }
    // The job is closed whatever happened, so a partial report still reaches the printer.
    if (!painter.end())
        written = false;
    if (!written)
        ShowPlainErrorBox(kPrintError);
    return written;
}
