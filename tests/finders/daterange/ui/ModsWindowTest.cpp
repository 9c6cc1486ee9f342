// SPDX-License-Identifier: GPL-3.0-or-later
#include "finders/daterange/ui/TfrmMods.h"
#include "finders/daterange/ui/TfrmPickDate.h"
#include "support/FinderWindowTest.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <tuple>
#include <gtest/gtest.h>

// Readable failures: gtest finds this for QString and for the items of a QStringList.
void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace {
const QDate kToday(2024, 6, 15);
const QString kAbortLine = QStringLiteral(" LIST INCOMPLETE ... ABORTED BY USER");

std::time_t At(int y, int m, int d, int hour = 12) { return QDateTime(QDate(y, m, d), QTime(hour, 0)).toSecsSinceEpoch(); }

// "Today" fixed, and the window under test.
class ModsWindow : public FinderWindowTest<TfrmMods> {
protected:
    void open(std::size_t capacity = DateRangeEngine::DefaultCapacity) {
        w = std::make_unique<TfrmMods>(nullptr, capacity);
        w->setClock([] { return kToday; });
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    }
    // A file with the given access and modification days.
    void file(const std::string& path, QDate accessed, QDate modified, std::int64_t size = 100) {
        tree.file(path, size);
        tree.setTimes(path, At(accessed.year(), accessed.month(), accessed.day()),
                      At(modified.year(), modified.month(), modified.day()));
    }
    QLineEdit* box(const char* name) const { return child<QLineEdit>(name); }
    QRadioButton* item(const char* text) const {
        for (QRadioButton* rb : w->findChildren<QRadioButton*>())
            if (rb->text() == QLatin1String(text))
                return rb;
        ADD_FAILURE() << "no item " << text;
        return nullptr;
    }
    QString status() const { return child<QLabel>("pnlScan")->text(); }
    QString cell(int row, int column) const { return w->gridModel()->cellText(row, column); }
    std::string rowPath(int row) const { return w->engine().resultPath(w->gridModel()->keyOf(row)); }
    // Types a date into a box and leaves it with Tab.
    void typeDate(const char* name, const QString& text) {
        QLineEdit* b = box(name);
        b->setFocus();
        b->selectAll();
        QTest::keyClicks(b, text);
        if (text.isEmpty())
            QTest::keyClick(b, Qt::Key_Delete);
        QTest::keyClick(b, Qt::Key_Tab);
    }
    // Opens a calendar button's picker and answers it with what picks does to it.
    void pick(const char* calendarButton, const std::function<void(TfrmPickDate&)>& picks) {
        bool opened = false;
        QTimer::singleShot(0, w.get(), [&] {
            auto* picker = qobject_cast<TfrmPickDate*>(QApplication::activePopupWidget());
            if (!picker)
                picker = qobject_cast<TfrmPickDate*>(QApplication::activeModalWidget());
            ASSERT_NE(picker, nullptr);
            opened = true;
            picks(*picker);
        });
        QTest::mouseClick(child<QToolButton>(calendarButton), Qt::LeftButton);
        EXPECT_TRUE(opened);
    }
    QStringList rowNames() const {
        QStringList names;
        for (int row = 1; row <= w->rowsFilled(); ++row)
            names << cell(row, 0);
        return names;
    }
    QStringList checkedSortItems() const {
        QStringList checked;
        for (const char* name : {"Sortbyname1", "SortbyAccessDate", "SortbyCreationDate",
                                 "SortbyWrittentodate", "SortbyDirectory1", "SortbyType1"})
            if (action(name)->isChecked())
                checked << QString::fromLatin1(name);
        return checked;
    }
    QStringList clipboardLines() {
        button("btClip")->click();
        return QApplication::clipboard()->text().split(u'\n', Qt::SkipEmptyParts);
    }
};
} // namespace

TEST_F(ModsWindow, OpensOnTodayWithTheResultButtonsHiddenAndTheEndDateOnlyInBetween) {
    open();
    EXPECT_EQ(checkedSortItems(), QStringList()); // nothing listed, no order claimed
    EXPECT_EQ(box("dtStart")->text(), QStringLiteral("6/15/2024"));
    EXPECT_EQ(box("dtEnd")->text(), QStringLiteral("6/15/2024"));
    for (const char* hidden : {"btPrint", "btClip", "btBrowse", "btSort", "btMark", "btDelete", "btAbort"})
        EXPECT_FALSE(button(hidden)->isVisible()) << hidden;
    EXPECT_EQ(button("btAbort")->geometry(), button("btMark")->geometry());
    EXPECT_EQ(button("btBrowse")->x(), 449);
    EXPECT_EQ(button("btSort")->x(), 527);
    SaveShot(*w, QStringLiteral("mods-window.png"));

    for (const char* range : {"On or After", "On or Before", "In between"}) {
        item(range)->click();
        for (const char* end : {"lblAnd", "dtEnd", "popEndDate"})
            EXPECT_EQ(child<QWidget>(end)->isVisible(), range == std::string("In between")) << range << end;
    }
}

TEST_F(ModsWindow, DateBoxesRefuseWhatIsNotADateAndAReversedRange) {
    open();
    // Each refusal names the forms a date is read in, keeps the text as typed and the focus in the
    // box; Start refuses it too.
    const QString forms = QStringLiteral("\nType a date as 6/15/2024 or 2024-06-15.");
    for (const auto& [name, text, refusal] : {std::tuple{"dtStart", "31/31/2024", "Invalid start date"},
                                              std::tuple{"dtStart", "", "Invalid start date"},
                                              std::tuple{"dtEnd", "next week", "Invalid ending date"}}) {
        SCOPED_TRACE(text);
        messages.clear();
        typeDate(name, QString::fromLatin1(text));
        button("btOK")->click();
        EXPECT_EQ(messages.texts(), (QStringList{refusal + forms, refusal + forms}));
        EXPECT_EQ(QApplication::focusWidget(), box(name));
        EXPECT_EQ(box(name)->text(), QString::fromLatin1(text));
        typeDate(name, QStringLiteral("6/15/2024"));
    }
    // Years that no file date holds are still dates; ISO 8601 and the locale's short date are read.
    messages.clear();
    typeDate("dtStart", QStringLiteral("1/1/1979"));
    typeDate("dtEnd", QStringLiteral("12/31/2108"));
    EXPECT_TRUE(messages.records().empty());
    file("in-range.txt", QDate(2024, 6, 1), QDate(2024, 6, 1));
    typeDate("dtStart", QStringLiteral("2024-05-31"));
    typeDate("dtEnd", QStringLiteral("6/1/24"));
    button("btOK")->click();
    EXPECT_TRUE(messages.records().empty()) << messages.texts().join(u'|').toStdString();
    EXPECT_EQ(rowNames(), QStringList{"in-range.txt"});

    // A start after the end is refused with the command line's words; nothing is cleared or walked.
    typeDate("dtStart", QStringLiteral("2024-06-02"));
    button("btOK")->click();
    EXPECT_EQ(messages.texts(), QStringList{"The ending date must be the same as the start date or later"});
    EXPECT_EQ(rowNames(), QStringList{"in-range.txt"});
    item("On or After")->click(); // a single date has no order to keep
    messages.clear();
    button("btOK")->click();
    EXPECT_EQ(messages.texts(), QStringList{"No files found."});
    typeDate("dtStart", QStringLiteral("1/1/1979"));
    // An unreadable end date is not asked about while only the start counts.
    typeDate("dtEnd", QStringLiteral("x"));
    item("On or Before")->click();
    messages.clear();
    button("btOK")->click();
    EXPECT_EQ(messages.texts(), QStringList{"No files found."});
    // A box left unreadable is not checked while the window goes.
    box("dtStart")->setFocus();
    box("dtStart")->setText(QStringLiteral("?"));
    messages.clear();
    w.reset();
    EXPECT_TRUE(messages.records().empty());
}

TEST_F(ModsWindow, ACalendarPickNeverLeavesTheStartAfterTheEndATypedDateMay) {
    open();
    typeDate("dtStart", QStringLiteral("6/20/2024"));
    typeDate("dtEnd", QStringLiteral("6/10/2024"));
    EXPECT_EQ(box("dtEnd")->text(), QStringLiteral("6/10/2024")); // typed: left as it is

    // The picker opens on the box's date; OK writes it back and pulls the end along.
    pick("popStartDate", [&](TfrmPickDate& picker) {
        EXPECT_EQ(picker.selectedDate(), QDate(2024, 6, 20));
        picker.accept();
    });
    EXPECT_EQ(box("dtStart")->text(), QStringLiteral("6/20/2024"));
    EXPECT_EQ(box("dtEnd")->text(), QStringLiteral("6/20/2024"));

    // An end picked before the start pulls the start back.
    pick("popEndDate", [](TfrmPickDate& picker) {
        picker.MonthSpinnerClick(-1);
        picker.accept();
    });
    EXPECT_EQ(box("dtEnd")->text(), QStringLiteral("5/20/2024"));
    EXPECT_EQ(box("dtStart")->text(), QStringLiteral("5/20/2024"));

    // Cancel leaves the box as it was.
    pick("popEndDate", [](TfrmPickDate& picker) {
        picker.MonthSpinnerClick(+1);
        picker.reject();
    });
    EXPECT_EQ(box("dtEnd")->text(), QStringLiteral("5/20/2024"));

    // An empty box gets today's date before the picker opens.
    box("dtStart")->clear();
    pick("popStartDate", [](TfrmPickDate& picker) {
        EXPECT_EQ(picker.selectedDate(), kToday);
        picker.reject();
    });
    EXPECT_EQ(box("dtStart")->text(), QStringLiteral("6/15/2024"));
    EXPECT_TRUE(messages.records().empty()) << messages.texts().join(u'|').toStdString();
}

TEST_F(ModsWindow, AScanListsTheRangeAsItGoesAndSortsOnlyWhenItIsOver) {
    for (int i = 0; i < 400; ++i)
        file("f" + std::to_string(i % 20) + "/file" + std::to_string(i) + (i % 2 ? ".txt" : ".dat"),
             QDate(2024, 6, 1 + i % 20), QDate(2024, 6, 1 + i % 20));
    open();
    typeDate("dtStart", QStringLiteral("6/1/2024"));
    w->setYieldInterval(0);
    std::vector<int> seen; // rows in the grid at each turn of the event loop during the walk
    bool changed = false, openDuringScan = false, closedDuringScan = false, sortChecked = false;
    QTimer turns;
    QObject::connect(&turns, &QTimer::timeout, w.get(), [&] {
        if (!w->scanning())
            return;
        seen.push_back(w->gridModel()->rowCount());
        if (changed || seen.back() == 0)
            return;
        changed = true;
        action("SortbyType1")->trigger(); // refused: rows must not move under the walk
        sortChecked = action("SortbyType1")->isChecked();
        openDuringScan = item("Created")->isEnabled() && item("On or After")->isEnabled() &&
                         child<QComboBox>("cbWildCard")->isEnabled();
        closedDuringScan = !box("dtStart")->isEnabled() && !child<QToolButton>("popEndDate")->isEnabled() &&
                           !button("btClose")->isEnabled() && !child<QWidget>("pnlDrives")->isEnabled() &&
                           !button("btOK")->isEnabled() && button("btAbort")->isVisible();
        item("Last modified")->click();
        item("On or After")->click();
        child<QComboBox>("cbWildCard")->setEditText(QStringLiteral("*.txt"));
    });
    turns.start(0);
    button("btOK")->click();
    turns.stop();

    ASSERT_TRUE(changed);
    EXPECT_TRUE(std::any_of(seen.begin(), seen.end(), [&](int rows) { return rows > 0 && rows < w->rowsFilled(); }));
    EXPECT_FALSE(sortChecked);
    EXPECT_EQ(checkedSortItems(), QStringList()); // walk order: no sort item names it
    EXPECT_TRUE(openDuringScan);
    EXPECT_TRUE(closedDuringScan);
    // The walk took the new choices; the rows are in walk order.
    const DateScanCriteria& taken = w->engine().criteria();
    EXPECT_TRUE(taken.kind == DateKind::Modified && taken.range == DateRange::OnOrAfter && taken.pattern == "*.txt");
    ASSERT_EQ(w->rowsFilled(), int(w->engine().resultCount()));
    for (int row = 1; row <= w->rowsFilled(); ++row)
        ASSERT_EQ(w->gridModel()->keyOf(row), std::uint32_t(row - 1));
    EXPECT_EQ(status(), QStringLiteral("Found : %1").arg(w->rowsFilled()));
    for (const char* shown : {"btPrint", "btClip", "btBrowse", "btSort", "btMark", "btDelete"})
        EXPECT_TRUE(button(shown)->isVisible()) << shown;
    EXPECT_FALSE(button("btDelete")->isEnabled());

    // Over: the sort runs. A new scan at the usual pace grows the grid in a few steps, not per row.
    action("SortbyType1")->trigger();
    EXPECT_TRUE(action("SortbyType1")->isChecked());
    w->setYieldInterval(15);
    QSignalSpy inserted(w->gridModel(), &QAbstractItemModel::rowsInserted);
    button("btOK")->click();
    EXPECT_EQ(checkedSortItems(), QStringList());
    EXPECT_GT(w->rowsFilled(), 100);
    EXPECT_LT(inserted.count(), w->rowsFilled() / 10);
}

TEST_F(ModsWindow, DateSortsPutTheNewestFirstAndEmptyDatesLast) {
    file("a.txt", kToday, QDate(2001, 3, 1));
    file("b.txt", kToday, QDate(2020, 3, 1));
    file("c.txt", kToday, QDate(1975, 3, 1)); // before 1980: no date
    file("d.txt", kToday, QDate(2010, 3, 1));
    open();
    item("Last modified")->click();
    item("On or Before")->click();
    button("btOK")->click();
    ASSERT_EQ(w->rowsFilled(), 4);
    selectRow(w->rowsFilled());
    const QString markedName = cell(w->rowsFilled(), 0);
    button("btMark")->click();
    w->Sortbyname1Click(action("SortbyWrittentodate"));
    EXPECT_EQ(rowNames(), (QStringList{"b.txt", "d.txt", "a.txt", "c.txt"}));
    EXPECT_EQ(cell(4, 3), QString());
    EXPECT_TRUE(action("SortbyWrittentodate")->isChecked());
    w->Sortbyname1Click(action("Sortbyname1"));
    EXPECT_EQ(rowNames(), (QStringList{"a.txt", "b.txt", "c.txt", "d.txt"}));
    EXPECT_TRUE(w->gridModel()->isMarked(int(rowNames().indexOf(markedName)) + 1)); // the mark moved with its row
}

TEST_F(ModsWindow, MarksCountFilesStillThereAndGoWithTheirExactPathsToDeleteAndBrowse) {
    file("a/one.bin", kToday, kToday, 1000);
    file("b/two.bin", kToday, kToday, 2000);
    file("c/n\xFFme.bin", kToday, kToday, 4000); // not UTF-8
    open();
    std::vector<std::string> browsed;
    w->setBrowseHandOff([&](QWidget*, const std::string& folder, const std::string& name, const QString& mask) {
        browsed = {folder, name, mask.toStdString()};
    });
    button("btOK")->click();
    ASSERT_EQ(w->rowsFilled(), 3);
    const std::vector<std::string> paths{rowPath(1), rowPath(2), rowPath(3)};
    // Mark moves down and stays on the last row; a double click marks too.
    button("btMark")->click();
    button("btMark")->click();
    EXPECT_EQ(grid()->currentIndex().row(), 2);
    doubleClickRow(3);
    EXPECT_EQ(status(), QStringLiteral("3 files 7,000 bytes"));
    EXPECT_EQ(w->lbDeleted(), paths);
    EXPECT_TRUE(button("btDelete")->isEnabled());
    doubleClickRow(2); // unmark: exactly that file goes
    EXPECT_EQ(w->lbDeleted(), (std::vector<std::string>{paths[0], paths[2]}));
    EXPECT_EQ(w->markedBytes(), 7000 - std::int64_t(std::filesystem::file_size(paths[1])));

    // A file gone before it is marked is marked and listed, and counts nothing.
    const std::int64_t before = w->markedBytes();
    std::filesystem::remove(paths[1]);
    doubleClickRow(2);
    EXPECT_TRUE(w->gridModel()->isMarked(2));
    EXPECT_EQ(w->markedCount(), 2);
    EXPECT_EQ(w->markedBytes(), before);
    EXPECT_EQ(w->lbDeleted().size(), 3u);

    // A new scan starts without marks.
    button("btOK")->click();
    EXPECT_TRUE(w->markedCount() == 0 && w->lbDeleted().empty() && !button("btDelete")->isEnabled());
    const std::string path = rowPath(2);
    selectRow(2);
    button("btBrowse")->click();
    const std::size_t slash = path.rfind('/');
    EXPECT_EQ(browsed, (std::vector<std::string>{path.substr(0, slash + 1), path.substr(slash + 1), "*.*"}));
    doubleClickRow(2);
    checkDeleteHandOff(2, path, double(std::filesystem::file_size(path)));
}

TEST_F(ModsWindow, ThePrintedReportIsTitledByTheChoicesAndDates) {
    file("p/report-one.txt", kToday, QDate(2024, 6, 3));
    open();
    item("Last modified")->click();
    typeDate("dtStart", QStringLiteral("6/1/2024"));
    button("btOK")->click();
    ASSERT_EQ(w->rowsFilled(), 1);

    const QString report = PrintedReport(*w);
    for (const char* expected : {"Files Modified between 6/1/2024 and 6/15/2024", "Printed : ", "Filename", "report-one.txt"})
        EXPECT_TRUE(report.contains(QString::fromLatin1(expected))) << expected << "\n" << report.toStdString();

    for (const auto& [kind, range, title] : {std::tuple{"Last accessed", "On or Before", "Files Last accessed before 6/1/2024"},
                                             std::tuple{"Created", "On or After", "Files Created after 6/1/2024"}}) {
        item(kind)->click();
        item(range)->click();
        EXPECT_EQ(w->printTitle(), QString::fromLatin1(title));
    }
}

TEST_F(ModsWindow, TheClipboardEndsWithTheAbortLineOnlyAfterTheUsersAbort) {
    for (int i = 0; i < 300; ++i)
        file("f" + std::to_string(i / 10) + "/file" + std::to_string(i), kToday, kToday);
    open();
    w->setYieldInterval(0);
    QTimer::singleShot(0, w.get(), [&] { button("btAbort")->click(); });
    button("btOK")->click();
    EXPECT_TRUE(messages.saw(QStringLiteral("LIST INCOMPLETE ... ABORTED BY USER")));
    EXPECT_LT(w->rowsFilled(), 300);
    EXPECT_EQ(status(), QStringLiteral("Found : %1").arg(w->rowsFilled()));
    EXPECT_TRUE(button("btClip")->isVisible());
    QStringList expected = w->engine().resultLines();
    expected << kAbortLine;
    EXPECT_EQ(clipboardLines(), expected);

    // A full list stops the scan too, with its warning and without the abort line.
    w.reset();
    messages.clear();
    open(2);
    button("btOK")->click();
    EXPECT_EQ(messages.texts(), QStringList{"Resource limit reached ... cannot process any more files.\n"
                                            "Try decreasing the file date range."});
    EXPECT_EQ(status(), QStringLiteral("Found : 2"));
    const QStringList lines = clipboardLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines, w->engine().resultLines());

    // An empty pattern lists nothing.
    messages.clear();
    child<QComboBox>("cbWildCard")->setEditText(QString());
    button("btOK")->click();
    EXPECT_EQ(messages.texts(), QStringList{"No files found."});
    for (const char* hidden : {"btPrint", "btClip", "btSort", "btMark", "btDelete"})
        EXPECT_FALSE(button(hidden)->isVisible()) << hidden;
}
