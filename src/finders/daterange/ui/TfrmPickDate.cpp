// SPDX-License-Identifier: GPL-3.0-or-later
#include "finders/daterange/ui/TfrmPickDate.h"

#include "common/ui/DpiScale.h"
#include "common/ui/UpDownSpinner.h"
#include "finders/daterange/ui/DateGlyphs.h"
#include "finders/daterange/ui/PickDateCalendar.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLocale>
#include <QPushButton>
#include <QShowEvent>

namespace {
// Day 0 of the day count that SelectedDate values come from: this date and every earlier one mean today.
const QDate kDayZero(1899, 12, 30);
} // namespace

TfrmPickDate::TfrmPickDate(QWidget* parent) : QDialog(parent), m_today([] { return QDate::currentDate(); }) {
    setObjectName(QStringLiteral("frmPickDate"));
    setWindowTitle(QStringLiteral("Calendar")); // never shown: the window has no title bar
    setWindowFlags(Qt::Popup);
    const double s = DpiScale(this);
    setFixedSize(Scaled(285, s), Scaled(202, s));

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(3);
    Panel1->setGeometry(ScaledRect(1, 0, 284, 203, s));

    Calendar = new PickDateCalendar(Panel1);
    Calendar->setObjectName(QStringLiteral("Calendar"));
    Calendar->setGeometry(ScaledRect(10, 11, 240, 158, s));

    MonthSpinner = new UpDownSpinner(Panel1, Qt::Horizontal);
    MonthSpinner->setObjectName(QStringLiteral("MonthSpinner"));
    MonthSpinner->setGeometry(ScaledRect(9, 172, 206, 20, s));
    MonthSpinner->setToolTip(QStringLiteral("Change the displayed month"));
    YearSpinner = new UpDownSpinner(Panel1, Qt::Vertical);
    YearSpinner->setObjectName(QStringLiteral("YearSpinner"));
    YearSpinner->setGeometry(ScaledRect(254, 11, 19, 153, s));
    YearSpinner->setToolTip(QStringLiteral("Change the displayed year"));

    auto button = [&](const char* name, const QIcon& picture, const char* hint, int x) {
        auto* b = new QPushButton(Panel1);
        b->setObjectName(QString::fromLatin1(name));
        b->setIcon(picture);
        b->setToolTip(QString::fromLatin1(hint));
        b->setAutoDefault(false);
        b->setGeometry(ScaledRect(x, 170, 26, 23, s));
        return b;
    };
    btnOk = button("btnOk", OkGlyph(), "Select date", 220);
    btnCancel = button("btnCancel", CancelGlyph(), "Cancel", 247);

    connect(YearSpinner, &UpDownSpinner::stepped, this, [this](int delta) { YearSpinnerClick(delta); });
    connect(MonthSpinner, &UpDownSpinner::stepped, this, [this](int delta) { MonthSpinnerClick(delta); });
    connect(Calendar, &QCalendarWidget::activated, this, [this] { CalendarDblClick(); });
    connect(Calendar, &QCalendarWidget::currentPageChanged, this, [this] { showMonthText(); });
    connect(btnOk, &QPushButton::clicked, this, [this] { accept(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { reject(); });

    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

void TfrmPickDate::setClock(std::function<QDate()> today) { m_today = std::move(today); }

QDate TfrmPickDate::today() const { return m_today ? m_today() : QDate::currentDate(); }

void TfrmPickDate::setSelectedDate(QDate date) {
    m_selected = date.isValid() && date > kDayZero ? date : today();
    Calendar->setSelectedDate(m_selected);
    showMonthText();
}

QDate TfrmPickDate::selectedDate() const { return Calendar->selectedDate(); }

void TfrmPickDate::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmPickDate::FormShow() {
    btnOk->setText(QString());
    btnCancel->setText(QString());
    // Nothing set means today as well.
    Calendar->setSelectedDate(m_selected.isValid() ? m_selected : today());
    Calendar->setFocus();
}

void TfrmPickDate::showMonthText() {
    // The calendar has no title of its own: the month spinner names the month it shows.
    MonthSpinner->setText(QLocale().standaloneMonthName(Calendar->monthShown()) + QLatin1Char(' ') +
                          QString::number(Calendar->yearShown()));
}

// QDate keeps the day within the target month (31 January + 1 month = the last of February).
void TfrmPickDate::YearSpinnerClick(int delta) {
    Calendar->setSelectedDate(Calendar->selectedDate().addYears(delta > 0 ? 1 : -1));
}

void TfrmPickDate::MonthSpinnerClick(int delta) {
    Calendar->setSelectedDate(Calendar->selectedDate().addMonths(delta > 0 ? 1 : -1));
}

void TfrmPickDate::CalendarDblClick() { accept(); }

void TfrmPickDate::FormKeyUp(int key) {
    if (key == Qt::Key_Home)
        Calendar->setSelectedDate(today());
}

bool TfrmPickDate::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // Home is the window's: the calendar must not take it to the month's first day.
        if (key->key() == Qt::Key_Home) {
            if (event->type() == QEvent::KeyRelease && !key->isAutoRepeat())
                FormKeyUp(Qt::Key_Home);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
