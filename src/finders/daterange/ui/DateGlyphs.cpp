// SPDX-License-Identifier: GPL-3.0-or-later
#include "finders/daterange/ui/DateGlyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {
QPixmap Blank() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    return pixmap;
}
} // namespace

QIcon CalendarGlyph() {
    QPixmap pixmap = Blank();
    QPainter painter(&pixmap);
    painter.setPen(QColor(64, 64, 64));
    painter.setBrush(Qt::white);
    painter.drawRect(1, 2, 13, 12);
    painter.fillRect(QRect(2, 3, 12, 3), QColor(200, 0, 0));
    // Rings at the top, and a grid of days.
    painter.fillRect(QRect(4, 1, 1, 3), QColor(64, 64, 64));
    painter.fillRect(QRect(11, 1, 1, 3), QColor(64, 64, 64));
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 4; ++column)
            painter.fillRect(QRect(3 + 3 * column, 7 + 2 * row, 2, 1), QColor(0, 0, 128));
    return QIcon(pixmap);
}

QIcon OkGlyph() {
    QPixmap pixmap = Blank();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath tick;
    tick.moveTo(2.5, 8.5);
    tick.lineTo(6.5, 12.5);
    tick.lineTo(13.5, 3.5);
    painter.setPen(QPen(QColor(0, 140, 0), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(tick);
    return QIcon(pixmap);
}

QIcon CancelGlyph() {
    QPixmap pixmap = Blank();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(200, 0, 0), 2.4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    painter.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
    return QIcon(pixmap);
}
