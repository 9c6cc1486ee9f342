// SPDX-License-Identifier: GPL-3.0-or-later
#include "finders/daterange/ui/PickDateCalendar.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextCharFormat>
#include <algorithm>

PickDateCalendar::PickDateCalendar(QWidget* parent) : QCalendarWidget(parent) {
    setNavigationBarVisible(false);
    setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
    setGridVisible(false);
    setDateEditEnabled(false);

    // Weekday labels black on the button face, weekend days too.
    QTextCharFormat header;
    header.setForeground(Qt::black);
    header.setBackground(palette().button());
    setHeaderTextFormat(header);
    for (Qt::DayOfWeek day : {Qt::Saturday, Qt::Sunday}) {
        QTextCharFormat weekend = weekdayTextFormat(day);
        weekend.setForeground(Qt::black);
        setWeekdayTextFormat(day, weekend);
    }

    connect(this, &QCalendarWidget::currentPageChanged, this, [this](int year, int month) {
        const QDate selected = selectedDate();
        if (selected.year() == year && selected.month() == month)
            return;
        const QDate first(year, month, 1);
        setSelectedDate(QDate(year, month, std::min(selected.day(), first.daysInMonth())));
    });
}

void PickDateCalendar::drawDayCell(QPainter& painter, const QRect& rect, QDate date, int shownMonth, QDate selected,
                                   const QWidget* widget) {
    painter.save();
    const QPalette palette = widget ? widget->palette() : QPalette();
    painter.setPen(palette.color(QPalette::Button));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));

    const QRect inner = rect.adjusted(1, 1, -1, -1);
    if (date.month() == shownMonth) {
        QStyleOptionButton face;
        face.rect = inner;
        face.palette = palette;
        face.state = QStyle::State_Enabled;
        face.state |= date == selected ? QStyle::State_Sunken | QStyle::State_On | QStyle::State_HasFocus
                                       : QStyle::State_Raised;
        QStyle* style = widget ? widget->style() : nullptr;
        if (style)
            style->drawControl(QStyle::CE_PushButtonBevel, &face, &painter, widget);
        else
            painter.fillRect(inner, palette.color(QPalette::Button));
    } else {
        painter.setPen(Navy);
        painter.setBrush(Teal);
        painter.drawRect(inner.adjusted(0, 0, -1, -1));
    }

    painter.setPen(Qt::black);
    if (widget)
        painter.setFont(widget->font());
    painter.drawText(inner, Qt::AlignCenter | Qt::TextSingleLine, QString::number(date.day()));
    painter.restore();
}

void PickDateCalendar::paintCell(QPainter* painter, const QRect& rect, QDate date) const {
    drawDayCell(*painter, rect, date, monthShown(), selectedDate(), this);
}
