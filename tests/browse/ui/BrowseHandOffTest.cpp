// SPDX-License-Identifier: GPL-3.0-or-later
// The Browse buttons of the finder windows open the browser on the exact bytes their engines kept.
#include "browse/ui/TfrmBrowse.h"
#include "common/StringGridModel.h"
#include "delete/ListedFileRemoval.h"
#include "finders/daterange/ui/TfrmMods.h"
#include "finders/dup/ui/TfrmDup.h"
#include "folderhogs/ui/TfrmDirHog.h"
#include "support/FinderWindowTest.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>
#include <filesystem>

namespace {

// What the browser showed when it opened over the finder.
struct Opened {
    bool browser = false;
    std::string folder;
    std::string currentFile;
    QString mask;
};

// Presses the finder's Browse button on a data row; notes what a browser opening over it shows
// and closes it.
template <class Window> Opened PressBrowse(Window& finder, int row) {
    Opened seen;
    auto* grid = finder.template findChild<QTableView*>(QStringLiteral("grid"));
    grid->setCurrentIndex(finder.gridModel()->index(row - 1, 0));
    QTimer::singleShot(0, &finder, [&seen] {
        auto* browser = qobject_cast<TfrmBrowse*>(QApplication::activeModalWidget());
        if (!browser)
            return;
        seen.browser = true;
        seen.folder = browser->folderPath();
        seen.mask = browser->mask();
        auto* view = browser->findChild<QTableView*>(QStringLiteral("grid"));
        const int current = view->currentIndex().row() + 1;
        if (browser->gridModel()->isKeyRow(current))
            seen.currentFile = std::string(browser->files().name(browser->gridModel()->keyOf(current)));
        browser->reject();
    });
    finder.template findChild<QPushButton*>(QStringLiteral("btBrowse"))->click();
    QCoreApplication::processEvents(); // the timer, if no browser opened to run it
    return seen;
}

class DupBrowse : public FinderWindowTest<TfrmDup> {};
class ModsBrowse : public FinderWindowTest<TfrmMods> {};
class DirHogBrowse : public FinderWindowTest<TfrmDirHog> {};

} // namespace

TEST_F(DupBrowse, OpensOnTheRowsFileAndRefusesAFileDeletedSinceTheScan) {
    tree.file("x/alpha.dat", 2000);
    tree.file("y/z\xFF/alpha.dat", 2000);
    tree.file("y/z\xFF/other.dat", 10);
    w = std::make_unique<TfrmDup>(true);
    w->show();
    QCoreApplication::processEvents();
    w->findChild<QLineEdit*>(QStringLiteral("num1"))->setText(QStringLiteral("0"));
    w->num1Exit();
    button("btScan")->click();
    ASSERT_EQ(w->rowsFilled(), 2);
    int odd = 1;
    while (w->engine().resultPath(w->gridModel()->keyOf(odd)).find('\xFF') == std::string::npos)
        ++odd;
    const Opened seen = PressBrowse(*w, odd);
    ASSERT_TRUE(seen.browser);
    EXPECT_EQ(seen.folder, tree.path("y/z\xFF"));
    EXPECT_EQ(seen.currentFile, "alpha.dat");
    EXPECT_EQ(seen.mask, QStringLiteral("*.*"));
    EXPECT_EQ(CurrentFolder::get(), tree.path("y/z\xFF"));

    std::filesystem::remove(tree.path("x/alpha.dat"));
    const Opened refused = PressBrowse(*w, 3 - odd);
    EXPECT_FALSE(refused.browser);
    EXPECT_TRUE(messages.saw(QStringLiteral("Invalid file name - ") + QString::fromStdString(tree.path("x/alpha.dat"))));
}

TEST_F(ModsBrowse, OpensOnTheRowsFileWithEveryFileShown) {
    tree.file("docs/today.txt", 5);
    tree.file("docs/also.c", 6);
    w = std::make_unique<TfrmMods>();
    w->show();
    QCoreApplication::processEvents();
    w->findChild<QComboBox*>(QStringLiteral("cbWildCard"))->setEditText(QStringLiteral("*.txt"));
    button("btOK")->click();
    ASSERT_EQ(w->rowsFilled(), 1);
    const Opened seen = PressBrowse(*w, 1);
    ASSERT_TRUE(seen.browser);
    EXPECT_EQ(seen.folder, tree.path("docs"));
    EXPECT_EQ(seen.currentFile, "today.txt");
    EXPECT_EQ(seen.mask, QStringLiteral("*.*"));
}

TEST_F(DirHogBrowse, OpensOnTheRowsFolderAndSaysWhenItIsGone) {
    tree.file("big/a.bin", 50000);
    tree.file("small/b.bin", 10);
    w = std::make_unique<TfrmDirHog>();
    w->show();
    QCoreApplication::processEvents();
    button("btTop")->click();
    ASSERT_GE(w->rowsFilled(), 2);
    const int row = w->gridModel()->cellText(1, 5) == QString::fromStdString(tree.path("big")) ? 1 : 2;
    const Opened seen = PressBrowse(*w, row);
    ASSERT_TRUE(seen.browser);
    EXPECT_EQ(seen.folder, tree.path("big"));
    EXPECT_EQ(seen.currentFile, "a.bin"); // the first row; no file was asked for

    std::filesystem::remove_all(tree.path("big"));
    const Opened gone = PressBrowse(*w, row);
    EXPECT_FALSE(gone.browser);
    EXPECT_TRUE(messages.saw(QStringLiteral("Can't open folder ") + QString::fromStdString(tree.path("big")) + u'\n' +
                             RemovalReason(ENOENT)))
        << messages.texts().join(u'|').toStdString();
}
