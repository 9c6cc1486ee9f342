// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDate>
#include <QDialog>
#include <functional>

class PickDateCalendar;
class QFrame;
class QPushButton;
class UpDownSpinner;

// The date picker ("Calendar"): a borderless pop-up with a month calendar, from which the user picks
// a date for a date box. The caller places it, sets SelectedDate, runs exec() and on OK reads
// SelectedDate back; it knows nothing of the caller. OK: the OK button, a double-click on a day,
// or Enter. Cancel: the Cancel button, Esc, or a click outside it.
class TfrmPickDate : public QDialog {
    Q_OBJECT
public:
    explicit TfrmPickDate(QWidget* parent = nullptr);

    // Today's date, for Home and for a SelectedDate that means today; QDate::currentDate unless set.
    void setClock(std::function<QDate()> today);

    // SelectedDate. Setting: the date the calendar starts from; an invalid date, or one on or before
    // 30 December 1899 (the day count's 0; a value of 0 or less), means today. Reading: the date
    // the calendar holds now.
    void setSelectedDate(QDate date);
    QDate selectedDate() const;

    // Handlers, by their control and event.
    void FormShow();
    void YearSpinnerClick(int delta);  // +1: the same day a year later; -1: a year earlier
    void MonthSpinnerClick(int delta); // +1: the same day a month later; -1: a month earlier
    void CalendarDblClick();
    void FormKeyUp(int key);

protected:
    void showEvent(QShowEvent* event) override;
    // Key presses are seen here before any control of the window gets them.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QDate today() const;
    void showMonthText();

    std::function<QDate()> m_today;
    QDate m_selected; // invalid until set

    QFrame* Panel1 = nullptr;
    PickDateCalendar* Calendar = nullptr;
    UpDownSpinner* MonthSpinner = nullptr;
    UpDownSpinner* YearSpinner = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;
};
