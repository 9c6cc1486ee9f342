// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/DeletionTotals.h"
#include "delete/ui/TfrmReallyDelete.h"
#include "common/ui/SwappedButtonGuard.h"
#include "folderhogs/ui/TfrmDirHog.h"
#include "support/FinderWindowTest.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QHelpEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

// Readable failures: gtest finds this for QString and for the items of a QStringList.
void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace {
const QString kAbortLine = QStringLiteral("LIST INCOMPLETE ... ABORTED BY USER");

// The window under test.
class DirHogWindow : public FinderWindowTest<TfrmDirHog> {
protected:
    void open(std::size_t capacity = FolderSizeEngine::DefaultCapacity) {
        w = std::make_unique<TfrmDirHog>(nullptr, capacity);
        w->show();
        QCoreApplication::processEvents();
    }
    QString status() const { return child<QLabel>("pnlScan")->text(); }
    QString cell(int row, int column) const { return w->gridModel()->cellText(row, column); }
    std::string rowPath(int row) const { return w->engine().resultPath(w->gridModel()->keyOf(row)); }
    int rowOf(const std::string& path) const {
        for (int row = 1; row <= w->rowsFilled(); ++row)
            if (rowPath(row) == path)
                return row;
        ADD_FAILURE() << "no row for " << path;
        return 0;
    }
    // The delete of a row (by a double-click) with the confirmation answered by one of its buttons.
    void deleteRow(int row, const char* choice) {
        QTimer::singleShot(0, w.get(), [choice] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_TRUE(modal && modal->inherits("TfrmDelDirectory"));
            QTest::mouseClick(modal->findChild<QPushButton*>(QString::fromLatin1(choice)), Qt::LeftButton);
        });
        doubleClickRow(row);
    }
    QStringList clipboardLines() {
        button("btClip")->click();
        return QApplication::clipboard()->text().split(u'\n', Qt::SkipEmptyParts);
    }
};
} // namespace

TEST_F(DirHogWindow, LayoutRulesAndTheStartButtonsBeforeAScan) {
    open();
    for (const char* hidden : {"btPrint", "btClip", "btBrowse", "btSort", "btDelete", "btAbort"})
        EXPECT_FALSE(button(hidden)->isVisible()) << hidden;
    EXPECT_EQ(button("btDelete")->geometry(), button("btAbort")->geometry());
    int x = 3; // one row, left to right
    for (const char* name : {"btTop", "btAll", "btClose", "btAbort", "btPrint", "btClip", "btBrowse", "btSort"}) {
        EXPECT_EQ(button(name)->x(), x) << name;
        x = button(name)->geometry().right() + 1 + 3;
    }
    EXPECT_GE(w->minimumWidth(), x);
    EXPECT_EQ(w->minimumHeight(), 2 * 169);
    EXPECT_EQ(child<QLabel>("Label4")->geometry().right() + 1, child<QWidget>("pnlDrives")->x() - 10);
    int total = 0;
    for (int c = 0; c < 5; ++c) {
        EXPECT_GE(grid()->columnWidth(c), (std::vector<int>{61, 40, 40, 70, 90})[std::size_t(c)]) << c;
        total += grid()->columnWidth(c);
    }
    w->resize(w->width() + 100, w->height()); // only the Name column widens
    QCoreApplication::processEvents();
    EXPECT_EQ(grid()->columnWidth(5), grid()->viewport()->width() - total);
    EXPECT_EQ(child<QWidget>("pnlDrives")->geometry().right() + 1, w->width() - 10);

    auto* cb1 = child<QCheckBox>("cb1");
    cb1->click();
    EXPECT_FALSE(button("btTop")->isEnabled() || button("btAll")->isEnabled());
    cb1->click();
    EXPECT_TRUE(button("btTop")->isEnabled() && button("btAll")->isEnabled());
}

TEST_F(DirHogWindow, BothModesListFoldersLargestFirstAndCopyThem) {
    tree.file("root-file.bin", 9000); // in no Main line
    tree.file("big/a.bin", 300 * 1024);
    tree.file("big/sub/b.bin", 100 * 1024);
    tree.file("small/c.txt", 10);
    tree.folder("empty");
    open();
    button("btTop")->click();
    ASSERT_EQ(w->rowsFilled(), 3);
    EXPECT_EQ(rowPath(1), tree.path("big"));
    EXPECT_EQ(cell(1, 0), QStringLiteral("    400 K"));
    EXPECT_EQ(cell(1, 3), QStringLiteral("1"));
    EXPECT_EQ(cell(2, 0), QStringLiteral("      0.1 K"));
    EXPECT_EQ(cell(3, 5), QString::fromStdString(tree.path("empty")));
    EXPECT_EQ(status(), QStringLiteral("Folders : 3"));
    for (const char* shown : {"btPrint", "btClip", "btBrowse", "btSort", "btDelete"})
        EXPECT_TRUE(button(shown)->isVisible()) << shown;
    EXPECT_FALSE(button("btAbort")->isVisible());
    EXPECT_EQ(grid()->currentIndex().row(), 0);
    EXPECT_TRUE(messages.records().empty()) << messages.texts().join(u'|').toStdString();
    EXPECT_EQ(clipboardLines(), w->engine().resultLines());

    button("btAll")->click(); // the root's line, and every folder with its own files only
    ASSERT_EQ(w->rowsFilled(), 5);
    EXPECT_EQ(status(), QStringLiteral("Folders : 5"));
    EXPECT_EQ(rowPath(1), tree.path("big"));
    EXPECT_EQ(cell(1, 0), QStringLiteral("    300 K"));
    EXPECT_EQ(cell(rowOf(tree.root()), 0), QStringLiteral("      8 K"));
    EXPECT_EQ(w->lb(), w->engine().resultLines());
}

TEST_F(DirHogWindow, OneLineIsAResultAndAnAbortOrAFullListKeepsWhatWasCollected) {
    open();
    button("btAll")->click(); // an empty folder: no line
    EXPECT_EQ(messages.texts(), QStringList{"No files found."});
    EXPECT_FALSE(button("btPrint")->isVisible());

    // One sub-folder (Main), or files without sub-folders (All): one line, shown with its buttons.
    for (const auto& [mode, path] :
         {std::pair{"btAll", tree.root()}, std::pair{"btTop", tree.path("only")}}) {
        tree.file(path == tree.root() ? "top.txt" : "only/file.txt", 10);
        messages.clear();
        button(mode)->click();
        EXPECT_TRUE(messages.records().empty()) << mode << ": " << messages.texts().join(u'|').toStdString();
        EXPECT_EQ(status(), QStringLiteral("Folders : 1"));
        ASSERT_EQ(w->rowsFilled(), 1) << mode;
        EXPECT_EQ(rowPath(1), path);
        for (const char* shown : {"btPrint", "btClip", "btSort", "btDelete"})
            EXPECT_TRUE(button(shown)->isVisible()) << mode << " " << shown;
    }

    for (int i = 0; i < 300; ++i)
        tree.file("f" + std::to_string(i) + "/x", 10);
    messages.clear();
    w->setYieldInterval(0);
    bool sawScanningState = false;
    QTimer::singleShot(0, w.get(), [&] {
        sawScanningState = button("btAbort")->isVisible() && !button("btTop")->isEnabled() &&
                           !button("btAll")->isEnabled() && !button("btClose")->isEnabled() &&
                           !child<QWidget>("pnlDrives")->isEnabled();
        button("btAbort")->click();
    });
    button("btAll")->click();
    EXPECT_TRUE(sawScanningState);
    EXPECT_EQ(messages.texts(), QStringList{kAbortLine});
    EXPECT_EQ(messages.records()[0].kind, MessageKind::Warning);
    ASSERT_GT(w->rowsFilled(), 0);
    EXPECT_LT(w->rowsFilled(), 302);
    // The abort line is no folder; the status says the list was cut short.
    EXPECT_EQ(status(), QStringLiteral("Folders : %1   List incomplete").arg(w->rowsFilled()));
    const QStringList clip = clipboardLines();
    EXPECT_EQ(clip.first(), kAbortLine);
    EXPECT_EQ(clip.mid(1), w->engine().resultLines());
    EXPECT_TRUE(button("btTop")->isEnabled() && button("btClose")->isEnabled());

    // The next scan starts afresh; a full list stops it without an abort line.
    w = std::make_unique<TfrmDirHog>(nullptr, 3);
    w->show();
    messages.clear();
    button("btTop")->click();
    EXPECT_EQ(messages.texts(), QStringList{"Resource limit reached ... cannot process any more files."});
    EXPECT_EQ(w->rowsFilled(), 3);
    EXPECT_EQ(w->lb(), w->engine().resultLines());
    EXPECT_EQ(status(), QStringLiteral("Folders : 3   List incomplete"));
}

TEST_F(DirHogWindow, DeletingAndRecyclingFoldersMarksTheirRowsAndCountsTheTotals) {
    tree.file("keep/k.bin", 5000);
    tree.file("gone/a.txt", 10);
    tree.file("gone/sub/b.txt", 20);
    tree.file("bin/x.txt", 100);
    tree.folder("hollow");
    open();
    button("btTop")->click();
    ASSERT_EQ(w->rowsFilled(), 4);
    const DeletionTotalsValues before = DeletionTotals::read();
    auto grown = [](std::int64_t was, std::int64_t by) { return std::max<std::int64_t>(was, 0) + by; };

    deleteRow(rowOf(tree.path("keep")), "BitBtn3"); // Cancel: nothing happens
    EXPECT_TRUE(fs::exists(tree.path("keep/k.bin")));
    EXPECT_TRUE(messages.records().empty());

    deleteRow(rowOf(tree.path("gone")), "btDelete");
    EXPECT_EQ(messages.texts(), QStringList{"Deleted 2 files for a savings of 30 bytes."});
    EXPECT_FALSE(fs::exists(tree.path("gone")));
    EXPECT_EQ(cell(rowOf(tree.path("gone")), 0), QStringLiteral("DELETED"));

    messages.clear();
    messages.scriptAnswers({MessageAnswer::Yes}); // the recycle-bin warning
    deleteRow(rowOf(tree.path("bin")), "btRecycle");
    EXPECT_EQ(messages.texts().last(), QStringLiteral("Recycled 1 files for a savings of 100 bytes."));
    EXPECT_FALSE(fs::exists(tree.path("bin")));
    EXPECT_TRUE(fs::exists(qgetenv("XDG_DATA_HOME").toStdString() + "/Trash/files/x.txt"));
    EXPECT_EQ(cell(rowOf(tree.path("bin")), 0), QStringLiteral("RECYCLED"));

    // An empty folder goes outright, recycle bin or not, without a message or totals.
    messages.clear();
    messages.scriptAnswers({MessageAnswer::Yes});
    deleteRow(rowOf(tree.path("hollow")), "btRecycle");
    EXPECT_EQ(messages.texts(), QStringList{recycleWarningText()});
    EXPECT_FALSE(fs::exists(tree.path("hollow")));
    EXPECT_EQ(cell(rowOf(tree.path("hollow")), 0), QStringLiteral("DELETED"));

    const DeletionTotalsValues after = DeletionTotals::read();
    EXPECT_EQ(after.filesDeleted, grown(before.filesDeleted, 2));
    EXPECT_EQ(after.bytesDeleted, grown(before.bytesDeleted, 30));
    EXPECT_EQ(after.filesRecycled, grown(before.filesRecycled, 1));
    EXPECT_EQ(after.bytesRecycled, grown(before.bytesRecycled, 100));

    messages.clear();
    doubleClickRow(rowOf(tree.path("gone")));
    EXPECT_EQ(messages.texts(), QStringList{"Folder already deleted/recycled"});

    // Deleted folders leave the clipboard; in the grid they sort above every size.
    EXPECT_EQ(clipboardLines(), QStringList{w->engine().resultLine(0)});
    action("SortbyName1")->trigger();
    action("SortbySize1")->trigger();
    EXPECT_TRUE(action("SortbySize1")->isChecked() && !action("SortbyName1")->isChecked());
    EXPECT_EQ((QStringList{cell(1, 0), cell(2, 0), cell(3, 0), cell(4, 5)}),
              (QStringList{"RECYCLED", "DELETED", "DELETED", QString::fromStdString(tree.path("keep"))}));
    EXPECT_EQ(cell(rowOf(tree.path("gone")), 5), QString::fromStdString(tree.path("gone"))); // the rest stays
}

TEST_F(DirHogWindow, DeleteAppearingWhereAbortWasTakesNoClickMeantForAbort) {
    tree.file("big/a.bin", 5000);
    open();
    // Whether a click opened the folder delete confirmation (which is then cancelled).
    bool asked = false;
    auto click = [&] {
        asked = false;
        QTimer::singleShot(0, w.get(), [&] {
            if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->inherits("TfrmDelDirectory")) {
                asked = true;
                modal->close();
            }
        });
        QTest::mouseClick(button("btDelete"), Qt::LeftButton);
        QCoreApplication::processEvents();
    };
    button("btTop")->click();
    ASSERT_TRUE(button("btDelete")->isVisible());
    // The click lands as the scan ends, where Abort stood: it is dropped, by mouse and by key.
    click();
    EXPECT_FALSE(asked);
    QTest::keyClick(button("btDelete"), Qt::Key_Space);
    EXPECT_FALSE(asked);
    EXPECT_TRUE(button("btDelete")->isEnabled()); // held, not disabled: its window decides that
    // Time alone does not free it, a moved mouse does.
    QTest::qWait(SwappedButtonGuard::HoldMs + 100);
    click();
    EXPECT_FALSE(asked);
    QTest::mouseMove(button("btDelete"), QPoint(5, 5));
    QTest::mouseMove(button("btDelete"), QPoint(10, 8));
    click();
    EXPECT_TRUE(asked);
    EXPECT_TRUE(messages.records().empty()) << messages.texts().join(u'|').toStdString();
}

TEST_F(DirHogWindow, RefusalsAndFoldersChangedSinceTheScanAreLeftAlone) {
    tree.file("Windows/system.dat", 10);
    tree.file("vanished/a.txt", 10);
    tree.file("swapped/b.txt", 10);
    tree.file("stays/c.txt", 10);
    open();
    button("btAll")->click();
    ASSERT_EQ(w->rowsFilled(), 5);

    doubleClickRow(rowOf(tree.root()));
    doubleClickRow(rowOf(tree.path("Windows")));
    EXPECT_EQ(messages.texts(), (QStringList{"You cannot delete the root folder using Vantorel 95",
                                             "You cannot delete the system folder using Vantorel 95"}));
    EXPECT_TRUE(fs::exists(tree.path("Windows/system.dat")));

    // Deleted by another program, or replaced by another folder of the same name, meanwhile.
    fs::remove_all(tree.path("vanished"));
    fs::rename(tree.path("swapped"), tree.path("moved"));
    tree.file("swapped/new.txt", 10);
    messages.clear();
    deleteRow(rowOf(tree.path("vanished")), "btDelete");
    deleteRow(rowOf(tree.path("swapped")), "btDelete");
    EXPECT_EQ(messages.texts(),
              (QStringList{"Couldn't delete folder - " + QString::fromStdString(tree.path("vanished")) +
                               "\nit is no longer there (another program may have deleted or moved it)",
                           "Couldn't delete folder - " + QString::fromStdString(tree.path("swapped")) +
                               "\nit changed after it was listed"}));
    EXPECT_EQ(messages.records()[0].kind, MessageKind::Error);
    for (const char* kept : {"swapped/new.txt", "moved/b.txt", "stays/c.txt"})
        EXPECT_TRUE(fs::exists(tree.path(kept))) << kept;
    // Each is measured again after the attempt: the one that went has no line any more, the other
    // one's line is of the folder there now.
    EXPECT_EQ(w->lb().size(), 4);
    for (int row = 1; row <= w->rowsFilled(); ++row)
        EXPECT_NE(rowPath(row), tree.path("vanished"));
    EXPECT_EQ(cell(rowOf(tree.path("swapped")), 2), QStringLiteral("1"));
}

TEST_F(DirHogWindow, AnIncompleteDeleteKeepsTheRowAndSaysWhy) {
    tree.file("asked/.first", 10);
    tree.file("asked/.second", 10);
    tree.file("partial/locked/keep.txt", 5); // locked/ belongs to root: the denial is real
    tree.file("partial/two.txt", 7);
    tree.setMode("partial", 0777);
    tree.file("nothing/keep.txt", 3);
    open();
    button("btTop")->click();
    ASSERT_EQ(w->rowsFilled(), 3);
    const QString stopped =
        QStringLiteral("Deleted 1 files for a savings of 10 bytes. (Note: Deletion operation canceled ... not all files deleted)");
    auto left = [&](const char* file) {
        return QStringLiteral("1 file could not be deleted and stayed where it was.\n\nThe first one:\n") +
               QString::fromStdString(tree.path(file)) + QStringLiteral("\nPermission denied");
    };

    messages.scriptAnswers({MessageAnswer::Yes, MessageAnswer::Cancel}); // one hidden file goes, then stop
    deleteRow(rowOf(tree.path("asked")), "btDelete");
    ASSERT_EQ(messages.texts().size(), 3);
    EXPECT_EQ(messages.texts()[2], stopped);
    EXPECT_NE(fs::exists(tree.path("asked/.first")), fs::exists(tree.path("asked/.second")));
    messages.clear();
    {
        AsUnprivileged nobody; // who may not write the totals file either
        deleteRow(rowOf(tree.path("partial")), "btDelete");
        deleteRow(rowOf(tree.path("nothing")), "btDelete");
    }
    const QStringList texts = messages.texts();
    ASSERT_EQ(texts.size(), 3);
    EXPECT_TRUE(texts[0].startsWith("Unable to write to " + DeletionTotals::settingsPath())) << texts[0].toStdString();
    EXPECT_TRUE(texts[0].endsWith("\n\nNot recorded in the totals: 1 file and 7 bytes deleted.")) << texts[0].toStdString();
    EXPECT_EQ(texts.mid(1), (QStringList{"Deleted 1 files for a savings of 7 bytes.\n\n" + left("partial/locked/keep.txt"),
                                         "Couldn't delete folder - " + QString::fromStdString(tree.path("nothing")) +
                                             "\n" + left("nothing/keep.txt")}));
    EXPECT_EQ(messages.records()[2].kind, MessageKind::Error);
    for (const char* folder : {"asked", "partial", "nothing"}) // every row stays as it was
        EXPECT_EQ(cell(rowOf(tree.path(folder)), 0), QStringLiteral("      0.1 K")) << folder;
    EXPECT_EQ(w->lb().size(), 3);
}

TEST_F(DirHogWindow, OddNamesShowOneRowEachAndTheDeleteTakesTheRightFolder) {
    const std::string odd = "t\tab\nnl\xff", lookalike = "t?ab?nl\xEF\xBF\xBD";
    tree.file(odd + "/f", 10);
    tree.file(lookalike + "/f", 20);
    open();
    button("btTop")->click();
    ASSERT_EQ(w->rowsFilled(), 2);
    EXPECT_EQ(cell(1, 5), cell(2, 5));
    for (const QString& line : clipboardLines())
        EXPECT_EQ(line.count(u'\t'), 5) << line.toStdString();
    deleteRow(rowOf(tree.path(odd)), "btDelete");
    EXPECT_FALSE(fs::exists(tree.path(odd)));
    EXPECT_TRUE(fs::exists(tree.path(lookalike + "/f")));
}

TEST_F(DirHogWindow, TwoDrivesPrintedAndBrowsed) {
    TempTree other;
    other.file("d-folder/x.bin", 2048);
    tree.file("c-folder/y.bin", 1024);
    tree.file("c-other/z.bin", 3);
    qputenv("VANTOREL_DRIVES", QString::fromStdString("C=" + tree.root() + ";D=" + other.root()).toUtf8());
    open();
    child<QCheckBox>("cb2")->click();
    button("btTop")->click();
    ASSERT_EQ(w->rowsFilled(), 3);
    EXPECT_EQ(status(), QStringLiteral("Folders : 3"));
    EXPECT_EQ(rowPath(1), other.path("d-folder"));
    EXPECT_EQ(w->printTitle(), QStringLiteral("Folder hogs on drive(s) C: D: "));

    const QString report = PrintedReport(*w);
    for (const QString& expected : {QStringLiteral("Folder hogs on drive(s) C: D:"), QStringLiteral("Printed : "),
                                    QStringLiteral("Latest File Access"), QStringLiteral("d-folder")})
        EXPECT_TRUE(report.contains(expected)) << expected.toStdString() << "\n" << report.toStdString();

    // The browser hand-off gets the row's exact folder and every file.
    std::string folder, name = "unset";
    QString mask;
    w->setBrowseHandOff([&](QWidget*, const std::string& f, const std::string& n, const QString& m) {
        folder = f, name = n, mask = m;
    });
    button("btTop")->click();
    EXPECT_TRUE(button("btBrowse")->isVisible());
    grid()->setCurrentIndex(w->gridModel()->index(1, 0));
    button("btBrowse")->click();
    EXPECT_EQ(folder, rowPath(2));
    EXPECT_EQ(name, "");
    EXPECT_EQ(mask, QStringLiteral("*.*"));
}

// What the walk could not read is counted beside the status line, listed in its tooltip and in a
// window from which it can be copied; the rows say which figures are unknown or incomplete.
TEST_F(DirHogWindow, WhatCouldNotBeReadIsCountedListedAndMarked) {
    tree.file("open/a.txt", 10);
    tree.file("listonly/x.txt", 10);
    tree.file("locked/secret", 10);
    tree.setMode("listonly", 0644);
    tree.setMode("locked", 0700); // root's own: nobody may not open it
    open();
    {
        AsUnprivileged nobody;
        button("btAll")->click();
    }
    auto* panel = child<QToolButton>("pnlSkipped");
    ASSERT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->text(), QStringLiteral("1 folder and 1 file could not be read"));
    EXPECT_EQ(status(), QStringLiteral("Folders : 4")); // the described text stays as it was
    EXPECT_EQ(cell(rowOf(tree.path("locked")), 0), QStringLiteral("      ? K"));
    EXPECT_EQ(cell(rowOf(tree.path("locked")), 2), QStringLiteral("?"));
    EXPECT_EQ(cell(rowOf(tree.path("listonly")), 2), QStringLiteral("0?"));
    SaveShot(*w, QStringLiteral("dirhog-unreadable.png"));

    const QString denied = QString::fromLocal8Bit(std::strerror(EACCES));
    const QStringList want = {QString::fromStdString(tree.path("listonly/x.txt")) + ": " + denied,
                              QString::fromStdString(tree.path("locked")) + "/: " + denied};
    QHelpEvent tip(QEvent::ToolTip, QPoint(2, 2), panel->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(panel, &tip);
    for (const QString& line : want)
        EXPECT_TRUE(QToolTip::text().contains(line)) << QToolTip::text().toStdString();

    QTest::mouseClick(panel, Qt::LeftButton);
    auto* list = w->findChild<QDialog*>(QStringLiteral("frmSkipped"));
    ASSERT_NE(list, nullptr);
    QStringList shown =
        list->findChild<QPlainTextEdit*>(QStringLiteral("memList"))->toPlainText().split(u'\n');
    shown.sort();
    EXPECT_EQ(shown, want);
    SaveShot(*list, QStringLiteral("skipped-list.png"));
    QTest::mouseClick(list->findChild<QPushButton*>(QStringLiteral("btCopy")), Qt::LeftButton);
    QStringList copied = QApplication::clipboard()->text().split(QStringLiteral("\n"), Qt::SkipEmptyParts);
    copied.sort();
    EXPECT_EQ(copied, want);
    list->close();

    button("btAll")->click(); // a walk that reads everything shows nothing there
    EXPECT_FALSE(panel->isVisible());
}

TEST_F(DirHogWindow, RefreshWalksOneFolderAgainAndF5TheWholeScan) {
    tree.file("small/a", 1000);
    tree.file("big/b", 9000);
    tree.file("big/sub/c", 1000);
    tree.file("other/d", 5000);
    open();
    button("btAll")->click();
    ASSERT_EQ(w->rowsFilled(), 5); // the root, small, big, big/sub, other
    action("SortbyName1")->trigger();
    // small grows past everything; its row stays current and the sort chosen stays.
    tree.file("small/new", 50'000);
    tree.file("small/made/e", 10);
    selectRow(rowOf(tree.path("small")));
    action("Refresh1")->trigger();
    EXPECT_TRUE(action("SortbyName1")->isChecked());
    EXPECT_EQ(rowPath(grid()->currentIndex().row() + 1), tree.path("small"));
    EXPECT_EQ(cell(rowOf(tree.path("small")), 2), QStringLiteral("2"));
    EXPECT_EQ(cell(rowOf(tree.path("small")), 3), QStringLiteral("1"));
    EXPECT_EQ(w->rowsFilled(), 6); // small/made has a line now
    EXPECT_EQ(status(), QStringLiteral("Folders : 6"));
    // Deleting big takes the line of big/sub with it; the root counts a sub-folder less.
    const QString rootSubFolders = cell(rowOf(tree.root()), 3);
    deleteRow(rowOf(tree.path("big")), "btDelete");
    EXPECT_EQ(cell(rowOf(tree.path("big")), 0), QStringLiteral("DELETED"));
    for (int row = 1; row <= w->rowsFilled(); ++row)
        EXPECT_NE(rowPath(row), tree.path("big/sub"));
    EXPECT_EQ(cell(rowOf(tree.root()), 3), QString::number(rootSubFolders.toInt() - 1));
    // F5: everything again, the deleted row gone with the rest.
    tree.file("later/f", 10);
    QApplication::setActiveWindow(w.get());
    QTest::keyClick(grid(), Qt::Key_F5);
    EXPECT_EQ(w->rowsFilled(), 5); // the root, small, small/made, other, later
    EXPECT_GT(rowOf(tree.path("later")), 0);
}
