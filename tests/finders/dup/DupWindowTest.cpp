// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/ResultGridView.h"
#include "finders/dup/ui/TfrmDup.h"
#include "support/FinderWindowTest.h"
#include "support/ScopedMount.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>
#include <fstream>
#include <map>
#include <limits>
#include <unistd.h>

namespace {
// The window under test in either mode.
class DupWindow : public FinderWindowTest<TfrmDup> {
protected:
    void open(bool dupMode) {
        w = std::make_unique<TfrmDup>(dupMode);
        w->show();
        QCoreApplication::processEvents();
    }
    QString status() const { return child<QLabel>("pnlSel")->text(); }
    void setNum(const char* name, const QString& text) {
        child<QLineEdit>(name)->setText(text);
        if (QString::fromLatin1(name) == QLatin1String("num1"))
            w->num1Exit();
        else
            w->num2Exit();
    }
    std::string rowPath(int gridRow) const { return w->engine().resultPath(w->gridModel()->keyOf(gridRow)); }
    int totalColumnWidth() const {
        int total = 0;
        for (int c = 0; c < w->gridModel()->columnCount(); ++c)
            total += grid()->columnWidth(c);
        return total;
    }
    // The room for text in a cell of the column: the style's margin each side and the grid line.
    int textRoom(int column) const {
        const int margin = grid()->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid()) + 1;
        return grid()->columnWidth(column) - 1 - 2 * margin;
    }
};
} // namespace

TEST_F(DupWindow, EachModeAfterTheOtherHasItsOwnCaptionColumnsAndButtons) {
    open(true);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Find and delete duplicate files"));
    EXPECT_EQ(w->gridModel()->titles(),
              (QStringList{"Filename", "Size in K", "Modified", "Time", "Access", "Folder", "Type"}));
    EXPECT_TRUE(button("btExact")->isVisible());
    EXPECT_EQ(button("btScan")->toolTip(), QStringLiteral("Duplicates on file name only"));
    EXPECT_FALSE(action("Sortbysize1")->isVisible());
    EXPECT_TRUE(action("Shrinktoppanel1")->isVisible());
    for (const char* hidden : {"btPrint", "btClip", "btBrowse", "btSort", "btAbort", "btMark", "btDelete"})
        EXPECT_FALSE(button(hidden)->isVisible()) << hidden;
    EXPECT_EQ(child<QLineEdit>("num1")->text(), QStringLiteral("250"));
    EXPECT_EQ(child<QLabel>("lblKB1")->text(), QStringLiteral("KB (256000 bytes)"));
    EXPECT_FALSE(child<QLineEdit>("num2")->isVisible());
    EXPECT_GE(grid()->columnWidth(0), 93);
    for (int c : {1, 2, 3, 4})
        EXPECT_GE(grid()->columnWidth(c), (std::vector<int>{93, 54, 64, 70, 70})[std::size_t(c)]) << c;
    EXPECT_GE(grid()->columnWidth(5), 184);
    // The Folder column takes what the others leave: the row fills the grid.
    EXPECT_EQ(totalColumnWidth(), grid()->viewport()->width());
    EXPECT_EQ(button("btClose")->x(), 3 + 2 * 69);
    EXPECT_TRUE(grid()->horizontalHeader()->sectionResizeMode(0) == QHeaderView::Interactive);
    EXPECT_EQ(grid()->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_FALSE(w->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_GE(w->minimumWidth(), 600);
    EXPECT_EQ(w->minimumHeight(), 344);
    SaveShot(*w, QStringLiteral("dup-window-duplicates.png"));
    w.reset();

    open(false);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Find and delete file hogs"));
    EXPECT_EQ(w->gridModel()->titles(), (QStringList{"Size in K", "Modified", "Time", "Access", "FileName", "Type"}));
    EXPECT_FALSE(button("btExact")->isVisible());
    EXPECT_EQ(button("btScan")->toolTip(), QStringLiteral("Start scanning for file hogs"));
    EXPECT_TRUE(action("Sortbysize1")->isVisible());
    EXPECT_TRUE(action("Sortbysize1")->isChecked());
    EXPECT_FALSE(action("Restoretoppanel1")->isEnabled());
    EXPECT_EQ(button("btClose")->x(), 3 + 69);
    EXPECT_EQ(button("btAbort")->geometry(), button("btMark")->geometry());
    EXPECT_GE(grid()->columnWidth(4), 296);
    for (int c : {0, 1, 2, 3})
        EXPECT_GE(grid()->columnWidth(c), (std::vector<int>{54, 64, 64, 64})[std::size_t(c)]) << c;
    EXPECT_EQ(totalColumnWidth(), grid()->viewport()->width());
    SaveShot(*w, QStringLiteral("dup-window-hogs.png"));
}

TEST_F(DupWindow, ScanButtonsFollowTheDriveTicks) {
    open(true);
    QCheckBox* cb1 = child<QCheckBox>("cb1");
    ASSERT_TRUE(cb1->isChecked());
    EXPECT_TRUE(button("btScan")->isEnabled());
    cb1->click();
    EXPECT_FALSE(button("btScan")->isEnabled());
    EXPECT_FALSE(button("btExact")->isEnabled());
    cb1->click();
    EXPECT_TRUE(button("btScan")->isEnabled());
    EXPECT_TRUE(button("btExact")->isEnabled());
}

TEST_F(DupWindow, TheAcceleratorOfADisabledOrHiddenButtonTypesNothing) {
    open(true);
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    child<QCheckBox>("cb1")->click(); // no drive: Scan and Exact disabled
    ASSERT_FALSE(button("btScan")->isEnabled());
    auto* wildcard = child<QComboBox>("cbWildCard");
    auto* num1 = child<QLineEdit>("num1");
    for (QWidget* field : std::initializer_list<QWidget*>{wildcard, num1}) {
        field->setFocus();
        // Scan and Exact disabled, Mark and Sort hidden, and letters and digits that name nothing.
        for (Qt::Key key : {Qt::Key_S, Qt::Key_E, Qt::Key_M, Qt::Key_O, Qt::Key_Q, Qt::Key_1})
            QTest::keyClick(field, key, Qt::AltModifier);
        QTest::qWait(250); // longer than an accelerator's click takes
    }
    EXPECT_EQ(wildcard->currentText(), QStringLiteral("*.*"));
    EXPECT_EQ(num1->text(), QStringLiteral("250"));
    EXPECT_EQ(w->engine().resultCount(), 0u);
    EXPECT_TRUE(messages.records().empty());

    // Typing itself, and an accelerator whose button works, are untouched.
    wildcard->setFocus();
    wildcard->lineEdit()->end(false);
    QTest::keyClicks(wildcard, QStringLiteral(";*.iso"));
    EXPECT_EQ(wildcard->currentText(), QStringLiteral("*.*;*.iso"));
    child<QCheckBox>("cb1")->click();
    wildcard->setFocus();
    QTest::keyClick(wildcard, Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return messages.saw(QStringLiteral("No files found.")); }));
    EXPECT_EQ(wildcard->currentText(), QStringLiteral("*.*;*.iso"));
}

TEST_F(DupWindow, NumbersOutsideTheRangeAreRefused) {
    open(false);
    setNum("num1", QStringLiteral("10001"));
    EXPECT_TRUE(messages.saw(QStringLiteral("Value is not within required range (0 to 10000 KB)")));
    EXPECT_EQ(child<QLineEdit>("num1")->text(), QStringLiteral("250"));
    EXPECT_EQ(child<QLabel>("lblKB1")->text(), QStringLiteral("KB (256000 bytes)")); // back with the number
    setNum("num1", QStringLiteral("10000"));
    EXPECT_EQ(child<QLabel>("lblKB1")->text(), QStringLiteral("KB ( 9.8 Meg)"));

    messages.clear();
    child<QLineEdit>("num1")->setText(QString()); // not a number; typed and Scan pressed at once
    button("btScan")->click();
    EXPECT_EQ(messages.texts(), QStringList{"Value is not within required range (0 to 10000 KB)"});
    EXPECT_EQ(w->engine().resultCount(), 0u);

    // "In between" with the second limit below the first: refused, nothing cleared or scanned.
    messages.clear();
    child<QRadioButton>("rbBetween")->click();
    EXPECT_TRUE(child<QLineEdit>("num2")->isVisible());
    EXPECT_TRUE(child<QLabel>("lblAnd")->isVisible());
    setNum("num1", QStringLiteral("100"));
    setNum("num2", QStringLiteral("50"));
    button("btScan")->click();
    EXPECT_EQ(messages.texts(), QStringList{"The second number must be larger or equal than the first number"});
    EXPECT_EQ(messages.records()[0].kind, MessageKind::Error);
    setNum("num2", QStringLiteral("2048"));
    // Each limit with its number, as the window shows them.
    EXPECT_EQ(w->printTitle(), QStringLiteral("File Hogs in between 100 KB (102400 bytes) and 2048 KB ( 2.0 Meg) "
                                              "matching *.* on drive(s) C: "));
    child<QRadioButton>("rbSmaller")->click();
    EXPECT_FALSE(child<QLineEdit>("num2")->isVisible());

    // The spinner stops at the range ends.
    auto* spin = w->findChild<QWidget*>(QStringLiteral("Spinner1"));
    ASSERT_NE(spin, nullptr);
    setNum("num1", QStringLiteral("10000"));
    auto buttons = spin->findChildren<QAbstractButton*>();
    ASSERT_EQ(buttons.size(), 2);
    buttons[0]->click(); // up
    EXPECT_EQ(child<QLineEdit>("num1")->text(), QStringLiteral("10000"));
    buttons[1]->click(); // down
    EXPECT_EQ(child<QLineEdit>("num1")->text(), QStringLiteral("9999"));
}

TEST_F(DupWindow, TheKBLabelFollowsEverySpinnerClickAndEveryTypedChange) {
    open(false);
    child<QRadioButton>("rbBetween")->click();
    struct Field {
        const char* num;
        const char* spinner;
        const char* label;
    };
    for (const Field& f : {Field{"num1", "Spinner1", "lblKB1"}, Field{"num2", "Spinner2", "lblKB2"}}) {
        SCOPED_TRACE(f.num);
        auto* spin = w->findChild<QWidget*>(QString::fromLatin1(f.spinner));
        ASSERT_NE(spin, nullptr);
        const auto arrows = spin->findChildren<QAbstractButton*>();
        ASSERT_EQ(arrows.size(), 2);
        QLabel* label = child<QLabel>(f.label);
        // Real presses and releases of the arrows, one step each.
        QTest::mouseClick(arrows[0], Qt::LeftButton);
        EXPECT_EQ(child<QLineEdit>(f.num)->text(), QStringLiteral("251"));
        EXPECT_EQ(label->text(), QStringLiteral("KB (257024 bytes)"));
        QTest::mouseClick(arrows[1], Qt::LeftButton);
        QTest::mouseClick(arrows[1], Qt::LeftButton);
        EXPECT_EQ(label->text(), QStringLiteral("KB (254976 bytes)"));

        QLineEdit* num = child<QLineEdit>(f.num);
        num->setFocus();
        num->selectAll();
        const QStringList expected{"KB (1024 bytes)", "KB (10240 bytes)", "KB (104448 bytes)", "KB ( 1.0 Meg)"};
        const QString typed = QStringLiteral("1024");
        for (int i = 0; i < typed.size(); ++i) {
            QTest::keyClick(num, typed[i].toLatin1());
            EXPECT_EQ(label->text(), expected[i]) << i;
        }
        // A number outside the range shows too; leaving the field checks it.
        QTest::keyClick(num, '0');
        EXPECT_EQ(label->text(), QStringLiteral("KB (10.0 Meg)"));
        QTest::keyClick(num, Qt::Key_Backspace);
        QTest::mouseClick(arrows[1], Qt::LeftButton); // steps from the typed number
        EXPECT_EQ(label->text(), QStringLiteral("KB (1047552 bytes)"));
    }
    EXPECT_EQ(w->printTitle(), QStringLiteral("File Hogs in between 1023 KB (1047552 bytes) and 1023 KB (1047552 bytes) "
                                              "matching *.* on drive(s) C: "));
    // A field left with the focus and a number out of range is not checked while the window goes.
    QTest::keyClicks(child<QLineEdit>("num2"), QStringLiteral("99"));
    w.reset();
    EXPECT_TRUE(messages.records().empty());
}

TEST_F(DupWindow, DuplicateScanShowsRunsAndMarksByTheirExactPaths) {
    tree.file("a/Setup.exe", 256000);
    tree.file("b/setup.exe", 1280000);
    tree.file("b/only.bin", 400000);
    tree.file("c/setup.exe", 1000); // below 250 K
    open(true);
    button("btScan")->click();

    ASSERT_EQ(w->rowsFilled(), 2);
    EXPECT_EQ(status(), QStringLiteral("2 duplicates found"));
    for (const char* shown : {"btPrint", "btClip", "btBrowse", "btMark", "btDelete"})
        EXPECT_TRUE(button(shown)->isVisible()) << shown;
    for (const char* hidden : {"btSort", "btAbort"})
        EXPECT_FALSE(button(hidden)->isVisible()) << hidden;
    EXPECT_FALSE(button("btDelete")->isEnabled());
    EXPECT_TRUE(button("btScan")->isEnabled());
    EXPECT_TRUE(child<QLineEdit>("num1")->isEnabled());
    SaveShot(*w, QStringLiteral("dup-window-results.png"));

    const std::string first = rowPath(1), second = rowPath(2);
    doubleClickRow(1);
    doubleClickRow(2);
    EXPECT_EQ(status(), QStringLiteral("2 files 1,536,000 bytes"));
    EXPECT_EQ(w->lbDeleted(), (std::vector<std::string>{first, second}));
    EXPECT_TRUE(w->gridModel()->isMarked(1));
    EXPECT_TRUE(button("btDelete")->isEnabled());
    SaveShot(*w, QStringLiteral("dup-window-marked.png"));

    doubleClickRow(1); // unmark
    EXPECT_FALSE(w->gridModel()->isMarked(1));
    EXPECT_EQ(w->lbDeleted(), std::vector<std::string>{second});
    EXPECT_EQ(w->markedCount(), 1);
    EXPECT_EQ(w->markedBytes(), std::filesystem::file_size(second));

    // A new scan drops every mark.
    button("btScan")->click();
    EXPECT_EQ(w->rowsFilled(), 2);
    EXPECT_FALSE(w->gridModel()->isMarked(1) || w->gridModel()->isMarked(2));
    EXPECT_TRUE(w->lbDeleted().empty());
    EXPECT_EQ(status(), QStringLiteral("2 duplicates found"));
    EXPECT_FALSE(button("btDelete")->isEnabled());
}

TEST_F(DupWindow, MarkButtonMovesDownAndStaysOnTheLastRow) {
    tree.file("a/x.dat", 300 * 1024);
    tree.file("b/x.dat", 300 * 1024);
    tree.file("c/X.DAT", 300 * 1024);
    open(true);
    button("btScan")->click();
    ASSERT_EQ(w->rowsFilled(), 3);

    selectRow(1);
    button("btMark")->click();
    button("btMark")->click();
    button("btMark")->click();
    EXPECT_EQ(grid()->currentIndex().row(), 2); // stays on the last row
    EXPECT_EQ(w->markedCount(), 3);
    EXPECT_EQ(status(), QStringLiteral("3 files 921,600 bytes"));

    // The Delete key toggles the current row, like btMark.
    grid()->setFocus();
    QTest::keyClick(grid(), Qt::Key_Delete);
    EXPECT_FALSE(w->gridModel()->isMarked(3));
    EXPECT_EQ(w->lbDeleted().size(), 2u);

    // A file gone before it is marked keeps its mark and path but adds nothing; unmarking it after
    // it came back takes nothing away either.
    std::filesystem::remove(rowPath(3));
    selectRow(3);
    button("btMark")->click();
    EXPECT_TRUE(w->gridModel()->isMarked(3));
    EXPECT_EQ(w->markedCount(), 2);
    EXPECT_EQ(w->lbDeleted().size(), 3u);
    tree.file("c/X.DAT", 5000);
    button("btMark")->click();
    EXPECT_EQ(w->markedCount(), 2);
    EXPECT_EQ(w->markedBytes(), 2 * 300 * 1024);
}

TEST_F(DupWindow, AfterAScanTheFirstRowIsCurrentForMarkAndTheDeleteKey) {
    tree.file("a/x.dat", 300 * 1024);
    tree.file("b/x.dat", 300 * 1024);
    tree.file("c/x.dat", 300 * 1024);
    open(true);
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    QTest::mouseClick(button("btScan"), Qt::LeftButton);
    ASSERT_EQ(w->rowsFilled(), 3);
    EXPECT_EQ(grid()->currentIndex().row(), 0);
    EXPECT_TRUE(grid()->selectionModel()->isRowSelected(0, {}));
    EXPECT_EQ(QApplication::focusWidget(), grid());

    // No click on the grid first: Alt+M marks the first row and moves on, the Delete key the next.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_M, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return w->gridModel()->isMarked(1); })); // an accelerator clicks a moment later
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
    EXPECT_TRUE(w->gridModel()->isMarked(2));
    EXPECT_EQ(w->markedCount(), 2);
    EXPECT_TRUE(button("btDelete")->isEnabled());

    // A scan started from the keyboard does the same, and a new scan starts again at the top.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return w->markedCount() == 0; }));
    EXPECT_EQ(grid()->currentIndex().row(), 0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
    EXPECT_TRUE(w->gridModel()->isMarked(1));
}

TEST_F(DupWindow, UnmarkingTakesOutOnlyTheIdenticalPath) {
    // Names that differ only in letter case are two files here, and duplicates of each other.
    tree.file("a/dup.bin", 300 * 1024);
    tree.file("a/DUP.BIN", 400 * 1024);
    open(true);
    button("btScan")->click();
    ASSERT_EQ(w->rowsFilled(), 2);
    const std::string first = rowPath(1), second = rowPath(2);
    ASSERT_NE(first, second);
    doubleClickRow(1);
    doubleClickRow(2);
    doubleClickRow(2);
    EXPECT_EQ(w->lbDeleted(), std::vector<std::string>{first});
    EXPECT_EQ(w->markedBytes(), std::int64_t(std::filesystem::file_size(first)));
}

TEST_F(DupWindow, ExactScanNeedsTheSameSizeInK) {
    tree.file("a/setup.exe", 10240);
    tree.file("b/setup.exe", 10500);
    tree.file("a/other.exe", 10240);
    tree.file("b/other.exe", 11264);
    open(true);
    setNum("num1", QStringLiteral("0"));
    button("btExact")->click();
    ASSERT_EQ(w->rowsFilled(), 2);
    for (int row = 1; row <= 2; ++row)
        EXPECT_EQ(std::filesystem::path(rowPath(row)).filename(), "setup.exe");
    button("btScan")->click();
    EXPECT_EQ(w->rowsFilled(), 4);
}

TEST_F(DupWindow, NoResultKeepsTheResultButtonsHidden) {
    tree.file("a/small.txt", 10);
    open(true);
    button("btScan")->click();
    EXPECT_EQ(messages.texts(), QStringList{"No files found."});
    EXPECT_EQ(messages.records()[0].kind, MessageKind::Information);
    for (const char* hidden : {"btPrint", "btClip", "btBrowse", "btMark", "btDelete", "btSort", "btAbort"})
        EXPECT_FALSE(button(hidden)->isVisible()) << hidden;
}

TEST_F(DupWindow, AbortKeepsWhatWasCollectedAndReturnsToIdle) {
    for (int i = 0; i < 300; ++i)
        tree.file("f" + std::to_string(i / 10) + "/file" + std::to_string(i), 10);
    open(false);
    setNum("num1", QStringLiteral("0"));
    w->setYieldInterval(0);
    bool sawScanningState = false;
    QTimer::singleShot(0, w.get(), [&] {
        sawScanningState = button("btAbort")->isVisible() && !button("btScan")->isEnabled() &&
                           !button("btClose")->isEnabled() && !child<QWidget>("pnlDrives")->isEnabled() &&
                           !child<QComboBox>("cbWildCard")->isEnabled() && !button("btPrint")->isVisible();
        button("btAbort")->click();
    });
    button("btScan")->click();
    EXPECT_TRUE(sawScanningState);
    EXPECT_TRUE(messages.saw(QStringLiteral("LIST INCOMPLETE ... ABORTED BY USER")));
    EXPECT_TRUE(w->engine().aborted());
    EXPECT_LT(w->rowsFilled(), 300);
    EXPECT_FALSE(button("btAbort")->isVisible());
    EXPECT_TRUE(button("btScan")->isEnabled());
    EXPECT_TRUE(button("btClose")->isEnabled());
    EXPECT_TRUE(child<QWidget>("pnlDrives")->isEnabled());
}

TEST_F(DupWindow, CloseDuringAScanWaitsForItsEnd) {
    for (int i = 0; i < 50; ++i)
        tree.file("f/file" + std::to_string(i), 10);
    open(false);
    setNum("num1", QStringLiteral("0"));
    w->setYieldInterval(0);
    bool stillOpen = false;
    QTimer::singleShot(0, w.get(), [&] {
        w->close();
        QTest::keyClick(w.get(), Qt::Key_Escape);
        stillOpen = w->isVisible() && w->scanning();
    });
    button("btScan")->click();
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(w->rowsFilled(), 50);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(w->result(), QDialog::Rejected);
}

TEST_F(DupWindow, ADriveThatStopsAnsweringIsSkippedSilently) {
    TempTree other;
    tree.file("big.bin", 300 * 1024);
    const std::string gone = other.folder("gone");
    qputenv("VANTOREL_DRIVES", QString::fromStdString("C=" + tree.root() + ";D=" + gone).toUtf8());
    open(false);
    child<QCheckBox>("cb2")->click();
    std::filesystem::remove_all(gone);
    button("btScan")->click();
    EXPECT_TRUE(messages.records().empty()) << messages.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(w->rowsFilled(), 1);
    EXPECT_EQ(status(), QStringLiteral("1 file hogs found"));
}

TEST_F(DupWindow, HogSortsReorderRowsButTheClipboardKeepsScanOrder) {
    tree.file("m/bbb.bin", 300 * 1024);
    tree.file("m/aaa.bin", 300 * 1024);
    tree.file("m/ccc.bin", 300 * 1024);
    tree.file("m/big.bin", 2000 * 1024);
    tree.file("m/huge.bin", 200000 * 1024);
    open(false);
    button("btScan")->click();
    ASSERT_EQ(w->rowsFilled(), 5);
    EXPECT_TRUE(button("btSort")->isVisible());
    auto name = [&](int row) { return std::filesystem::path(rowPath(row)).filename().string(); };
    EXPECT_EQ(name(1), "huge.bin"); // largest first, also above 99,999 K
    EXPECT_EQ(name(2), "big.bin");

    selectRow(2);
    button("btMark")->click(); // marks big.bin
    w->Sortbysize1Click(action("SortbyName1"));
    EXPECT_TRUE(action("SortbyName1")->isChecked());
    EXPECT_FALSE(action("Sortbysize1")->isChecked());
    std::vector<std::string> byName;
    for (int row = 1; row <= 5; ++row)
        byName.push_back(name(row));
    EXPECT_EQ(byName, (std::vector<std::string>{"aaa.bin", "bbb.bin", "big.bin", "ccc.bin", "huge.bin"}));
    EXPECT_TRUE(w->gridModel()->isMarked(3)); // the mark moved with its row

    // Equal type names: a short range is sorted by neighbour exchanges, which keep equal rows in place.
    w->Sortbysize1Click(action("SortbyType1"));
    for (int row = 1; row <= 5; ++row)
        EXPECT_EQ(name(row), byName[std::size_t(row - 1)]);

    w->Sortbysize1Click(action("Sortbysize1"));
    EXPECT_EQ(name(1), "huge.bin");
    EXPECT_EQ(name(2), "big.bin");
    EXPECT_TRUE(w->gridModel()->isMarked(2));

    SaveShot(*w, QStringLiteral("dup-window-hogs-results.png"));
    w->btClipClick();
    // The lines in scan order, each ended by a line feed alone.
    EXPECT_EQ(QApplication::clipboard()->text(), w->engine().resultLines().join(u'\n') + u'\n');

    // The menu opens under the Sort button, however wide the window.
    w->resize(1600, 1000);
    QCoreApplication::processEvents();
    EXPECT_EQ(w->sortMenuPosition(), button("btSort")->mapToGlobal(QPoint(0, button("btSort")->height())));
}

TEST_F(DupWindow, NamesWithLineBreakingCharactersStayOneClipboardLineEach) {
    // NEL, a C1 control, the line separator and the paragraph separator in file names.
    for (const char* name : {"n\xC2\x85m.bin", "c\xC2\x9B" "1.bin", "l\xE2\x80\xA8s.bin", "p\xE2\x80\xA9s.bin"})
        tree.file(std::string("odd/") + name, 300 * 1024);
    open(false);
    button("btScan")->click();
    ASSERT_EQ(w->rowsFilled(), 4);
    QStringList names;
    for (int row = 1; row <= 4; ++row)
        names << QFileInfo(w->gridModel()->cellText(row, 4)).fileName();
    names.sort();
    EXPECT_EQ(names, (QStringList{"c?1.bin", "l?s.bin", "n?m.bin", "p?s.bin"}));

    w->btClipClick();
    const QString clip = QApplication::clipboard()->text();
    for (QChar c : clip)
        EXPECT_FALSE((c.unicode() >= 0x80 && c.unicode() <= 0x9F) || c == QChar(0x2028) || c == QChar(0x2029))
            << int(c.unicode());
    const QStringList lines = clip.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    for (const QString& line : lines)
        EXPECT_EQ(line.count(u'\t'), 5) << line.toStdString();
    // Marking still uses the exact bytes of the name.
    selectRow(1);
    button("btMark")->click();
    EXPECT_TRUE(std::filesystem::exists(w->lbDeleted().at(0)));
}

TEST_F(DupWindow, DateTimeAndSizeColumnsShowTheirTextsWholeInEveryLocale) {
    // 3 GiB and 12 GiB (sparse), changed and read at the widest date and time of most locales.
    tree.file("a/disk.img", std::int64_t(3) << 30);
    tree.file("b/disk.img", std::int64_t(12) << 30);
    const QLocale before;
    for (const char* name : {"en_US", "en_GB", "de_DE", "hu_HU", "bg_BG", "ko_KR", "zh_CN", "ar_EG", "fa_IR"}) {
        SCOPED_TRACE(name);
        QLocale::setDefault(QLocale(QString::fromLatin1(name)));
        const std::time_t when =
            QDateTime(QDate(2088, 12, 28), QTime(23, 59, 58)).toSecsSinceEpoch();
        for (const char* file : {"a/disk.img", "b/disk.img"})
            tree.setTimes(file, when, when);
        for (bool dupMode : {true, false}) {
            SCOPED_TRACE(dupMode ? "duplicates" : "file hogs");
            open(dupMode);
            const QFontMetrics fm(grid()->font());
            const std::vector<int> columns = dupMode ? std::vector<int>{1, 2, 3, 4} : std::vector<int>{0, 1, 2, 3};
            button("btScan")->click();
            ASSERT_EQ(w->rowsFilled(), 2);
            for (int row = 1; row <= 2; ++row)
                for (int c : columns) {
                    const QString text = w->gridModel()->cellText(row, c);
                    EXPECT_LE(fm.horizontalAdvance(text), textRoom(c)) << c << " " << text.toStdString();
                }
            QStringList sizes{w->gridModel()->cellText(1, columns[0]), w->gridModel()->cellText(2, columns[0])};
            sizes.sort();
            EXPECT_EQ(sizes, (QStringList{"12582912 K", "3145728 K"}));
            if (std::string(name) == "hu_HU" && !dupMode)
                SaveShot(*w, QStringLiteral("dup-window-wide-texts.png"));
            // The largest size widened its column; a new scan without it narrows it again.
            const int wide = grid()->columnWidth(columns[0]);
            setNum("num1", QStringLiteral("10000"));
            child<QRadioButton>("rbSmaller")->click();
            button("btScan")->click();
            EXPECT_LT(grid()->columnWidth(columns[0]), wide);
            EXPECT_GE(grid()->columnWidth(columns[0]), fm.horizontalAdvance(QStringLiteral("3145728 K")));
        }
    }
    QLocale::setDefault(before);
}

TEST_F(DupWindow, ShrinkAndRestoreTheTopPanel) {
    open(false);
    action("SortbyDate1")->trigger(); // no rows: nothing happens, the check mark stays on Size
    EXPECT_TRUE(action("Sortbysize1")->isChecked());
    EXPECT_FALSE(action("SortbyDate1")->isChecked());
    auto* panel = child<QWidget>("Panel1");
    const int height = panel->height();
    action("Shrinktoppanel1")->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(panel->height(), 0);
    EXPECT_TRUE(action("Restoretoppanel1")->isEnabled());
    EXPECT_FALSE(action("Shrinktoppanel1")->isEnabled());
    action("Restoretoppanel1")->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(panel->height(), height);
    EXPECT_TRUE(action("Shrinktoppanel1")->isEnabled());
}

TEST_F(DupWindow, PrintedReportHoldsTheTitleAndEveryRow) {
    tree.file("p/report-one.bin", 300 * 1024);
    tree.file("p/report-two.bin", 400 * 1024);
    open(false);
    button("btScan")->click();
    ASSERT_EQ(w->rowsFilled(), 2);

    const QString report = PrintedReport(*w);
    EXPECT_TRUE(report.contains(QStringLiteral("File Hogs larger or equal to 250 KB (256000 bytes) matching *.* on drive(s) C:")))
        << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("Printed : ")));
    EXPECT_TRUE(report.contains(QStringLiteral("report-one.bin")));
    EXPECT_TRUE(report.contains(QStringLiteral("report-two.bin")));
    EXPECT_TRUE(report.contains(QStringLiteral("FileName")));
}

TEST_F(DupWindow, ATimeOutside1980To2107ShowsNeitherDateNorTimeInTheListClipboardAndPrint) {
    tree.file("old/ancient.bin", 300 * 1024);
    const std::time_t y1975 = QDateTime(QDate(1975, 5, 1), QTime(9, 30)).toSecsSinceEpoch();
    tree.setTimes("old/ancient.bin", y1975, y1975);
    open(false);
    button("btScan")->click();
    ASSERT_EQ(w->rowsFilled(), 1);
    // Size in K, Modified, Time, Access: the three dates and the time are empty.
    for (int column : {1, 2, 3})
        EXPECT_EQ(w->gridModel()->cellText(1, column), QString()) << column;

    w->btClipClick();
    const QStringList fields = QApplication::clipboard()->text().remove(u'\r').remove(u'\n').split(u'\t');
    ASSERT_EQ(fields.size(), 6);
    EXPECT_TRUE(fields[1].isEmpty() && fields[2].isEmpty() && fields[3].isEmpty())
        << fields.join(u'|').toStdString();
    const QString report = PrintedReport(*w);
    EXPECT_TRUE(report.contains(QStringLiteral("ancient.bin"))) << report.toStdString();
    EXPECT_FALSE(report.contains(QStringLiteral("12:00"))) << report.toStdString();
}

TEST_F(DupWindow, DeleteHandOffClosesOnOkAndKeepsMarksOnCancel) {
    tree.file("a/dup.bin", 300 * 1024);
    tree.file("b/dup.bin", 300 * 1024);
    open(true);
    button("btScan")->click();
    ASSERT_EQ(w->rowsFilled(), 2);
    doubleClickRow(2);
    checkDeleteHandOff(2, rowPath(2), 300.0 * 1024);
}

TEST_F(DupWindow, TheRealConfirmationGetsTheMarkedFilesAndItsCancelKeepsThem) {
    tree.file("a/dup.bin", 300 * 1024);
    tree.file("b/dup.bin", 300 * 1024);
    open(true);
    button("btScan")->click();
    ASSERT_EQ(w->rowsFilled(), 2);
    doubleClickRow(1);
    bool sawConfirmation = false;
    QTimer::singleShot(0, w.get(), [&] {
        QWidget* modal = QApplication::activeModalWidget();
        sawConfirmation = modal && modal != w.get() && modal->inherits("TfrmReallyDelete");
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
    });
    button("btDelete")->click();
    EXPECT_TRUE(sawConfirmation);
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->gridModel()->isMarked(1));
    EXPECT_TRUE(std::filesystem::exists(rowPath(1)));
}

TEST_F(DupWindow, MarkedTotalOfHugeFilesStopsAtTheLargestNumber) {
    ScopedMount ram("none", tree.folder("ram"), "tmpfs", 0);
    if (!ram.mounted)
        GTEST_SKIP() << "cannot mount here";
    constexpr std::int64_t most = std::numeric_limits<std::int64_t>::max();
    for (const char* name : {"ram/huge-1", "ram/huge-2"})
        if (::truncate(tree.file(name, 0).c_str(), most) != 0)
            GTEST_SKIP() << "this filesystem takes no file of 8 EiB";
    qputenv("VANTOREL_DRIVES", QByteArray::fromStdString("C=" + tree.path("ram")));
    CurrentFolder::set(tree.path("ram")); // its drive is the one ticked
    open(false);
    button("btScan")->click();
    ASSERT_EQ(w->rowsFilled(), 2);
    doubleClickRow(1);
    doubleClickRow(2);
    EXPECT_EQ(w->markedBytes(), most);
    EXPECT_EQ(status(), "2 files 9,223,372,036,854,775,807 bytes");
    doubleClickRow(2); // taking one back leaves the other's size, not what the limit left over
    EXPECT_EQ(w->markedBytes(), most);
    doubleClickRow(1);
    EXPECT_EQ(w->markedBytes(), 0);
}

TEST_F(DupWindow, AGridOfThreeHundredThousandRowsMarksAndSorts) {
    open(false);
    StringGridModel* model = w->gridModel();
    for (int i = 0; i < 300000; ++i) {
        const QString size = QStringLiteral("%1 K").arg((qint64(i) * 7919) % 200000, 5);
        model->appendTextRow({size, QString(), QString(), QString(), QStringLiteral("/f/%1").arg(i), QString()});
    }
    ASSERT_EQ(model->gridRowCount(), 300001);
    model->setMarked(5, true);
    const QString markedPath = model->cellText(5, 4);
    w->Sortbysize1Click(action("Sortbysize1"));
    long previous = std::numeric_limits<long>::max();
    int markedRow = 0;
    for (int row = 1; row < model->gridRowCount(); ++row) {
        const long k = model->cellText(row, 0).chopped(2).trimmed().toLong();
        ASSERT_LE(k, previous) << row;
        previous = k;
        if (model->isMarked(row))
            markedRow = row;
    }
    ASSERT_GT(markedRow, 0);
    EXPECT_EQ(model->cellText(markedRow, 4), markedPath);
    grid()->scrollToBottom();
    QCoreApplication::processEvents();
}

TEST_F(DupWindow, ContentCheckNumbersIdenticalRowsAndGuardsTheLastCopy) {
    // Real bytes: a large TempTree file is a hole, whatever its fill.
    const auto put = [this](const std::string& relative, char fill) {
        tree.file(relative, 0);
        std::ofstream(tree.path(relative), std::ios::binary) << std::string(300 * 1024, fill);
    };
    put("a/setup.exe", 'x');
    put("b/setup.exe", 'x');
    put("c/setup.exe", 'y'); // same name and size, other bytes
    open(true);
    EXPECT_FALSE(button("btContent")->isVisible());
    button("btScan")->click();
    ASSERT_EQ(w->rowsFilled(), 3);
    ASSERT_TRUE(button("btContent")->isVisible());
    const QStringList before = w->engine().resultLines();
    button("btContent")->click();
    ASSERT_NE(w->contentCheck(), nullptr);
    std::map<std::string, int> badge;
    for (int row = 1; row <= 3; ++row)
        badge[rowPath(row).substr(tree.root().size() + 1)] = static_cast<ResultGridView*>(grid())->rowBadge(row);
    EXPECT_EQ(badge, (std::map<std::string, int>{{"a/setup.exe", 1}, {"b/setup.exe", 1}, {"c/setup.exe", 0}}));
    EXPECT_EQ(status(), "Numbered files have identical contents: 1 group, 2 files.");
    EXPECT_EQ(w->engine().resultLines(), before); // the rows' texts stay as they are

    // Both copies marked: one question first; No keeps everything, Yes goes on to the confirmation.
    int confirmations = 0;
    w->setDeleteConfirmation([&](QWidget*, const std::vector<ListedEntry>&, double) {
        ++confirmations;
        return int(QDialog::Rejected);
    });
    for (int row = 1; row <= 3; ++row)
        if (badge[rowPath(row).substr(tree.root().size() + 1)] == 1)
            doubleClickRow(row);
    messages.scriptAnswers({MessageAnswer::No, MessageAnswer::Yes});
    button("btDelete")->click();
    EXPECT_EQ(messages.texts().back(), "Every copy of 1 file(s) is marked. Delete them all anyway?");
    EXPECT_EQ(confirmations, 0);
    button("btDelete")->click();
    EXPECT_EQ(confirmations, 1);
    // A new scan forgets the groups.
    button("btScan")->click();
    EXPECT_EQ(w->contentCheck(), nullptr);
    EXPECT_EQ(static_cast<ResultGridView*>(grid())->rowBadge(1), 0);
}
