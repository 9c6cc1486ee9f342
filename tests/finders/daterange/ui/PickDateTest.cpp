// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/UpDownSpinner.h"
#include "finders/daterange/ui/PickDateCalendar.h"
#include "finders/daterange/ui/TfrmPickDate.h"
#include "support/FinderWindowTest.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QTimer>
#include <gtest/gtest.h>

void PrintTo(const QString& text, std::ostream* out); // readable failures, in ModsWindowTest.cpp

namespace {
const QDate kToday(2024, 6, 15);

// The calendar view's cell of a day number within rows firstRow..lastRow (row 0 holds the weekday
// names); day numbers repeat at the page's edges.
QRect DayCell(const QTableView* view, int day, int firstRow, int lastRow) {
    const auto* model = view->model();
    for (int row = firstRow; row <= lastRow && row < model->rowCount(); ++row)
        for (int column = 0; column < model->columnCount(); ++column)
            if (model->data(model->index(row, column)).toInt() == day)
                return view->visualRect(model->index(row, column));
    return {};
}

class PickDate : public ::testing::Test {
protected:
    TfrmPickDate picker;
    void SetUp() override { picker.setClock([] { return kToday; }); }
    UpDownSpinner* spinner(const char* name) const { return picker.findChild<UpDownSpinner*>(QString::fromLatin1(name)); }
    QTableView* days() const { return picker.findChild<QTableView*>(); }
    QRect cellOf(int day, int firstRow, int lastRow) const { return DayCell(days(), day, firstRow, lastRow); }
};
} // namespace

TEST_F(PickDate, SpinnersMoveByAMonthOrAYearKeepingTheDayInTheTargetMonth) {
    picker.show();
    struct Step {
        QDate from;
        const char* spinner;
        bool up;
        QDate to;
    };
    const Step steps[] = {
        {QDate(1996, 1, 31), "MonthSpinner", true, QDate(1996, 2, 29)},
        {QDate(1997, 1, 31), "MonthSpinner", true, QDate(1997, 2, 28)},
        {QDate(1997, 1, 31), "MonthSpinner", false, QDate(1996, 12, 31)},
        {QDate(1996, 12, 15), "MonthSpinner", true, QDate(1997, 1, 15)},
        {QDate(1996, 2, 29), "YearSpinner", true, QDate(1997, 2, 28)},
        {QDate(1996, 2, 29), "YearSpinner", false, QDate(1995, 2, 28)},
        {QDate(1996, 3, 15), "YearSpinner", true, QDate(1997, 3, 15)},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.from.toString(Qt::ISODate).toStdString() + " " + s.spinner + (s.up ? " +" : " -"));
        picker.setSelectedDate(s.from);
        UpDownSpinner* spin = spinner(s.spinner);
        QTest::mouseClick(s.up ? spin->upButton() : spin->downButton(), Qt::LeftButton);
        EXPECT_EQ(picker.selectedDate(), s.to);
    }
    // The month spinner names the page shown.
    EXPECT_EQ(spinner("MonthSpinner")->text(), QStringLiteral("March 1997"));
}

TEST_F(PickDate, ZeroOrLessMeansTodayAndHomeGoesToToday) {
    picker.setSelectedDate(QDate());
    EXPECT_EQ(picker.selectedDate(), kToday);
    picker.setSelectedDate(QDate(1899, 12, 30)); // day 0 of the classic day count
    EXPECT_EQ(picker.selectedDate(), kToday);
    picker.setSelectedDate(QDate(1899, 12, 31));
    EXPECT_EQ(picker.selectedDate(), QDate(1899, 12, 31));

    picker.setSelectedDate(QDate(1996, 3, 15));
    picker.show();
    EXPECT_EQ(picker.selectedDate(), QDate(1996, 3, 15));
    // Home is the window's, not the calendar's (which would go to the 1st of March).
    QTest::keyClick(days(), Qt::Key_Home);
    EXPECT_EQ(picker.selectedDate(), kToday);
    EXPECT_EQ(spinner("MonthSpinner")->text(), QStringLiteral("June 2024"));
}

TEST_F(PickDate, ADoubleClickOnADayConfirmsItEscCancels) {
    for (bool doubleClick : {true, false}) {
        TfrmPickDate pick;
        pick.setSelectedDate(QDate(1996, 3, 15));
        QTimer::singleShot(0, &pick, [&] {
            auto* view = pick.findChild<QTableView*>();
            if (!doubleClick) {
                QTest::keyClick(view, Qt::Key_Escape);
                return;
            }
            // What a real double click on the 20th delivers.
            const QPoint at = DayCell(view, 20, 1, 6).center();
            QTest::mousePress(view->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
        });
        EXPECT_EQ(pick.exec(), doubleClick ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(pick.selectedDate(), doubleClick ? QDate(1996, 3, 20) : QDate(1996, 3, 15));
    }
}

TEST_F(PickDate, DayCellsAreButtonsTheSelectedOnePressedNeighbouringMonthsTealInNavy) {
    // March 1996 starts on a Friday: the first row holds days of February.
    picker.setSelectedDate(QDate(1996, 3, 15));
    picker.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&picker));
    EXPECT_TRUE(picker.windowFlags().testFlag(Qt::Popup));
    EXPECT_EQ(picker.size(), QSize(285, 202));
    SaveShot(picker, QStringLiteral("date-picker.png"));
    const QImage shot = days()->viewport()->grab().toImage();

    const QRect neighbour = cellOf(29, 1, 1);
    ASSERT_TRUE(neighbour.isValid());
    EXPECT_EQ(QColor(shot.pixel(neighbour.topLeft() + QPoint(1, 1))), PickDateCalendar::Navy);
    EXPECT_EQ(QColor(shot.pixel(neighbour.topLeft() + QPoint(3, 3))), PickDateCalendar::Teal);
    // The number is black (its edges blended with the ground), centred.
    int darkLeft = neighbour.right(), darkRight = neighbour.left();
    for (int x = neighbour.left(); x <= neighbour.right(); ++x)
        if (QColor(shot.pixel(x, neighbour.center().y())).lightness() < 40) {
            darkLeft = std::min(darkLeft, x);
            darkRight = std::max(darkRight, x);
        }
    ASSERT_LE(darkLeft, darkRight);
    EXPECT_NEAR(darkLeft - neighbour.left(), neighbour.right() - darkRight, 3);

    // Days of the month are button faces, the selected one pressed: it looks unlike its neighbours,
    // which look alike.
    auto face = [&](int day) {
        const QRect cell = cellOf(day, 2, 4);
        return QColor(shot.pixel(cell.topLeft() + QPoint(4, cell.height() - 4)));
    };
    EXPECT_NE(face(14), PickDateCalendar::Teal);
    EXPECT_EQ(face(14), face(16));
    EXPECT_NE(face(15), face(14));
    // A neighbouring month's day is never drawn pressed, even with the selected day's number.
    QImage other(40, 24, QImage::Format_ARGB32);
    QPainter painter(&other);
    PickDateCalendar::drawDayCell(painter, other.rect(), QDate(1996, 4, 15), 3, QDate(1996, 3, 15), days());
    painter.end();
    EXPECT_EQ(QColor(other.pixel(3, 3)), PickDateCalendar::Teal);
}
