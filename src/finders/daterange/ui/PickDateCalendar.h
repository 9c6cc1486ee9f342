// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QCalendarWidget>
#include <QColor>
#include <QDate>

class QPainter;

// The date picker's month calendar: a QCalendarWidget without its own navigation bar, week numbers
// or typed date entry (the picker's spinners move it), whose day cells look like buttons. It always
// holds a date on the page it shows: a page turned by other means (the mouse wheel) takes the same
// day of its month, or the month's last day.
class PickDateCalendar : public QCalendarWidget {
    Q_OBJECT
public:
    // The colours of the neighbouring months' days.
    static inline const QColor Teal{0, 128, 128};
    static inline const QColor Navy{0, 0, 128};

    explicit PickDateCalendar(QWidget* parent = nullptr);

    // Draws one day cell (CalendarDrawItem): its outline in the button-face colour, then inside it a
    // push-button face for a day of the shown month (pressed and focused for the selected date) or,
    // for a day of a neighbouring month, teal outlined in navy; the day number in black, centred.
    static void drawDayCell(QPainter& painter, const QRect& rect, QDate date, int shownMonth, QDate selected,
                            const QWidget* widget);

protected:
    void paintCell(QPainter* painter, const QRect& rect, QDate date) const override;
};
