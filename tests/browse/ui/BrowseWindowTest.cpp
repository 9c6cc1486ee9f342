// SPDX-License-Identifier: GPL-3.0-or-later
#include "browse/FolderTreeModel.h"
#include "browse/ui/TfrmBrowse.h"
#include "common/StringGridModel.h"
#include "common/ui/TfrmWildCard.h"
#include "delete/DeletionTotals.h"
#include "delete/FilesLeftReport.h"
#include "delete/ListedFileRemoval.h"
#include "support/FinderWindowTest.h"
#include "viewer/ui/TfrmView.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QTimer>
#include <QTreeView>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool Exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

class BrowseWindow : public FinderWindowTest<TfrmBrowse> {
protected:
    void open(const std::string& relative = "") {
        CurrentFolder::set(relative.empty() ? tree.root() : tree.path(relative));
        w = std::make_unique<TfrmBrowse>();
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }
    QString status() const { return child<QLabel>("pnlScan")->text(); }
    QString cell(int row, int column) const { return w->gridModel()->cellText(row, column); }
    int rows() const { return w->gridModel()->gridRowCount() - 1; }
    int rowOf(const std::string& name) const {
        for (int row = 1; row <= rows(); ++row)
            if (w->gridModel()->isKeyRow(row) && w->files().name(w->gridModel()->keyOf(row)) == name)
                return row;
        ADD_FAILURE() << "no row for " << name;
        return 0;
    }
    QStringList column(int c) const {
        QStringList texts;
        for (int row = 1; row <= rows(); ++row)
            texts << cell(row, c);
        return texts;
    }
    // Waits for the tree's listings, then double-clicks the row of names below the drive root.
    void openInTree(const std::vector<std::string>& names) {
        FolderTreeModel* model = w->treeModel();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !model->isListing(); }, 10000));
        w->DirectoryListBox1DblClick(model->reveal(names));
    }
    void answerModal(const char* type, const char* buttonName) {
        QTimer::singleShot(0, w.get(), [type, buttonName] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_TRUE(modal && modal->inherits(type)) << type;
            QTest::mouseClick(modal->findChild<QPushButton*>(QString::fromLatin1(buttonName)), Qt::LeftButton);
        });
    }
};

} // namespace

TEST_F(BrowseWindow, OpensInTheCurrentFolderWithItsListingAndLayout) {
    tree.file("docs/b.txt", 2000);
    tree.file("docs/A.txt", 1234567);
    tree.file("docs/noext", 3);
    tree.file("docs/.hidden", 5);
    tree.folder("docs/sub");
    tree.folder("empty");
    open("docs");
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Browse through folders"));
    EXPECT_EQ(w->folderPath(), tree.path("docs"));
    EXPECT_EQ(child<QLabel>("Label1")->text(), QString::fromStdString(tree.path("docs")));
    EXPECT_EQ(w->gridModel()->titles(), (QStringList{"Modified", "Time", "Access", "Size", "Filename", "Type"}));
    EXPECT_EQ(column(4), (QStringList{"A.txt", "b.txt", "noext"}));
    EXPECT_EQ(cell(1, 3), QStringLiteral("1,234,567"));
    EXPECT_EQ(cell(3, 5), QString());
    EXPECT_EQ(status(), QStringLiteral("Number of files : 3"));
    EXPECT_EQ(child<QLabel>("pnlSize")->text(), QStringLiteral("Total size : 1,236,570"));
    EXPECT_EQ(child<QLabel>("pnlWild")->text(), QStringLiteral("Wildcard : *.*"));
    EXPECT_EQ(grid()->verticalHeader()->defaultSectionSize(), 15);
    EXPECT_FALSE(button("btDeleteFiles")->isEnabled() || w->binFull());
    EXPECT_TRUE(button("btView")->isEnabled());

    // Full screen from the top-left corner; the buttons from the right, 5 pixels apart.
    const QRect screen = w->screen()->availableGeometry();
    EXPECT_EQ(w->frameGeometry().topLeft(), screen.topLeft());
    EXPECT_EQ(w->frameGeometry().width(), screen.width());
    EXPECT_EQ(button("btDeleteDirectory")->x(), 10);
    EXPECT_EQ(button("btClose")->geometry().right() + 1, w->width() - 15);
    const char* order[] = {"btLaunch", "btView", "btSort", "btMark", "btDeleteFiles", "btClose"};
    for (int i = 0; i + 1 < 6; ++i)
        EXPECT_EQ(button(order[i])->geometry().right() + 1 + 5, button(order[i + 1])->x()) << order[i];
    // Filename and Type share the rest; Filename also takes the room that the share leaves over.
    EXPECT_GE(grid()->columnWidth(4), grid()->columnWidth(5));
    int total = 0;
    for (int c = 0; c < 6; ++c)
        total += grid()->columnWidth(c);
    EXPECT_EQ(total, grid()->viewport()->width());
    // At its smallest the buttons still stand side by side.
    w->resize(w->minimumSize());
    EXPECT_GT(button("btLaunch")->x(), button("btDeleteDirectory")->geometry().right());
    w->resize(screen.size() - (w->frameGeometry().size() - w->size()));

    // The tree shows the drive root with the browsed chain expanded and current.
    auto* folders = child<QTreeView>("DirectoryListBox1");
    EXPECT_EQ(w->treeModel()->namesOf(folders->currentIndex()), std::vector<std::string>{"docs"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->treeModel()->isListing(); }, 10000));
    const QModelIndex docs = folders->currentIndex();
    ASSERT_EQ(w->treeModel()->rowCount(docs), 1);
    EXPECT_EQ(w->treeModel()->data(w->treeModel()->index(0, 0, docs)).toString(), QStringLiteral("sub"));
    SaveShot(*w, QStringLiteral("browse-window.png"));

    // An empty folder: one blank row that Mark and a double click leave alone.
    openInTree({"empty"});
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(column(4), QStringList{QString()});
    EXPECT_EQ(status(), QStringLiteral("Number of files : 0"));
    EXPECT_EQ(child<QLabel>("pnlSize")->text(), QStringLiteral("Total size : 0"));
    selectRow(1);
    button("btMark")->click();
    doubleClickRow(1);
    EXPECT_FALSE(w->gridModel()->isMarked(1));
    EXPECT_EQ(status(), QStringLiteral("Number of files : 0"));
}

TEST_F(BrowseWindow, MarksAreOfExactNameBytesAndStayWhenTheDeleteIsCancelled) {
    const std::string odd[] = {"tab\tname.txt", "line\nbreak", std::string("bytes\xE9\xFF.txt")};
    tree.file("m/" + odd[0], 3);
    tree.file("m/" + odd[1], 4);
    tree.file("m/" + odd[2], 5);
    tree.file("m/tab?name.txt", 6); // looks like the first
    open("m");
    ASSERT_EQ(rows(), 4);
    const int first = rowOf(odd[0]);
    doubleClickRow(first);
    EXPECT_TRUE(w->gridModel()->isMarked(first));
    EXPECT_EQ(status(), QStringLiteral("Marked for deletion: 1 files 3 bytes"));
    EXPECT_TRUE(w->binFull());
    EXPECT_TRUE(button("btDeleteFiles")->isEnabled());
    doubleClickRow(first); // twice: as before the first mark
    EXPECT_EQ(w->markedCount(), 0);
    EXPECT_TRUE(w->lbDeleted().empty());
    EXPECT_FALSE(w->binFull());
    EXPECT_FALSE(button("btDeleteFiles")->isEnabled());

    // Mark moves down one row, but stays on the last.
    selectRow(rows() - 1);
    button("btMark")->click();
    EXPECT_EQ(grid()->currentIndex().row() + 1, rows());
    button("btMark")->click();
    EXPECT_EQ(grid()->currentIndex().row() + 1, rows());
    EXPECT_EQ(w->markedCount(), 2);
    selectRow(first);
    button("btMark")->click();
    std::vector<std::string> marked;
    for (int row = 1; row <= rows(); ++row)
        if (w->gridModel()->isMarked(row))
            marked.push_back(tree.path("m/" + std::string(w->files().name(w->gridModel()->keyOf(row)))));
    std::vector<std::string> deleted = w->lbDeleted();
    std::sort(marked.begin(), marked.end());
    std::sort(deleted.begin(), deleted.end());
    EXPECT_EQ(deleted, marked);

    // Cancelled: nothing went, so the marks stay, as in the finders.
    w->setDeleteConfirmation([](QWidget*, const std::vector<ListedEntry>&, double) { return int(QDialog::Rejected); });
    auto markedRows = [&] {
        std::vector<int> marked;
        for (int row = 1; row <= rows(); ++row)
            if (w->gridModel()->isMarked(row))
                marked.push_back(row);
        return marked;
    };
    const std::vector<int> rowsBefore = markedRows();
    const QString statusBefore = status();
    ASSERT_FALSE(rowsBefore.empty());
    button("btDeleteFiles")->click();
    EXPECT_EQ(markedRows(), rowsBefore);
    std::vector<std::string> kept = w->lbDeleted();
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, deleted);
    EXPECT_EQ(status(), statusBefore);
    EXPECT_TRUE(button("btDeleteFiles")->isEnabled());

    // Deleted: each entry by its exact bytes, the look-alike untouched.
    for (int row : rowsBefore)
        doubleClickRow(row);
    doubleClickRow(rowOf(odd[0]));
    doubleClickRow(rowOf(odd[2]));
    double handedBytes = 0;
    w->setDeleteConfirmation([&](QWidget*, const std::vector<ListedEntry>& files, double bytes) {
        handedBytes = bytes;
        for (const ListedEntry& file : files)
            EXPECT_EQ(DeleteListedFile(file), 0) << file.path();
        return int(QDialog::Accepted);
    });
    button("btDeleteFiles")->click();
    EXPECT_EQ(handedBytes, 8);
    EXPECT_FALSE(Exists(tree.path("m/" + odd[0])));
    EXPECT_FALSE(Exists(tree.path("m/" + odd[2])));
    EXPECT_TRUE(Exists(tree.path("m/tab?name.txt")));
    EXPECT_EQ(rows(), 2);
    EXPECT_TRUE(w->isVisible());
}

TEST_F(BrowseWindow, TheCheckedSortIsAppliedAgainWhenTheFolderChangesAndEqualSizesListNewestFirst) {
    // Equal sizes, written one day after another: a first, d last.
    for (const char* name : {"three/a", "three/b", "three/c", "three/d"}) {
        tree.file(name, 4096);
        tree.setTimes(name, 1'700'000'000, 1'700'000'000 + 86400 * (name[6] - 'a'));
    }
    tree.file("one/small.c", 10);
    tree.file("one/big.txt", 5000);
    tree.file("one/middle.h", 700);
    tree.file("two/a.txt", 1);
    tree.file("two/z.txt", 100000);
    tree.file("two/m.txt", 50);
    open("one");
    w->Sortbyname1Click(action("SortbySize1"));
    EXPECT_EQ(column(4), (QStringList{"big.txt", "middle.h", "small.c"}));
    EXPECT_TRUE(action("SortbySize1")->isChecked());
    EXPECT_FALSE(action("Sortbyname1")->isChecked());
    // Marks travel with their rows.
    doubleClickRow(3);
    w->Sortbyname1Click(action("SortbyType1"));
    EXPECT_TRUE(w->gridModel()->isMarked(rowOf("small.c")));

    w->Sortbyname1Click(action("SortbySize1"));
    openInTree({"two"});
    EXPECT_EQ(w->folderPath(), tree.path("two"));
    EXPECT_EQ(CurrentFolder::get(), tree.path("two"));
    EXPECT_EQ(column(4), (QStringList{"z.txt", "m.txt", "a.txt"}));
    EXPECT_EQ(w->markedCount(), 0); // a new folder starts without marks
    w->Sortbyname1Click(action("Sortbyname1"));
    EXPECT_EQ(column(4), (QStringList{"a.txt", "m.txt", "z.txt"}));

    w->Sortbyname1Click(action("SortbySize1"));
    openInTree({"three"});
    EXPECT_EQ(column(4), (QStringList{"d", "c", "b", "a"}));
}

TEST_F(BrowseWindow, ClosingWithMarksAsksFirst) {
    tree.file("c/keep.txt", 3);
    open("c");
    doubleClickRow(1);
    messages.scriptAnswers({MessageAnswer::No});
    button("btClose")->click();
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(messages.saw(QStringLiteral("You have 1 files marked for deletion. Do you really wish to exit without deleting?")));
    EXPECT_TRUE(w->gridModel()->isMarked(1));
    messages.scriptAnswers({MessageAnswer::Yes});
    QTest::keyClick(w.get(), Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
}

TEST_F(BrowseWindow, RefusesDriveRootsAndSystemFoldersByIdentity) {
    tree.folder("Windows/System");
    open();
    button("btDeleteDirectory")->click();
    EXPECT_TRUE(messages.saw(QStringLiteral(
        "Cannot delete the root folder! To delete a folder including all files and sub-folders double click on the "
        "desired folder shown in the left panel.")));
    openInTree({"Windows"});
    messages.clear();
    button("btDeleteDirectory")->click();
    EXPECT_TRUE(messages.saw(QStringLiteral("You cannot delete the system folder using Vantorel 95")));
    EXPECT_TRUE(Exists(tree.path("Windows")));
    // Below it nothing is protected: the question comes.
    openInTree({"Windows", "System"});
    answerModal("TfrmDelDirectory", "BitBtn3");
    button("btDeleteDirectory")->click();
    EXPECT_TRUE(Exists(tree.path("Windows/System")));

    // A folder directly under "/" on another drive.
    w.reset();
    qputenv("VANTOREL_DRIVES", QString::fromStdString("C=" + tree.root() + ";D=/").toUtf8());
    open();
    ASSERT_TRUE(w->setFolder("/usr"));
    messages.clear();
    button("btDeleteDirectory")->click();
    EXPECT_TRUE(messages.saw(QStringLiteral("You cannot delete the system folder using Vantorel 95")));
}

TEST_F(BrowseWindow, DeleteFolderTakesTheTreeButNotWhereALinkLeadsAndMovesUp) {
    TempTree outside;
    outside.file("precious.txt", 7);
    tree.file("victim/a.txt", 10);
    tree.file("victim/deep/b.txt", 20);
    tree.symlink("victim/link-out", outside.root());
    tree.folder("sibling");
    open("victim");
    messages.scriptAnswers({MessageAnswer::Yes}); // the link is a system file: asked about, then removed
    answerModal("TfrmDelDirectory", "btDelete");
    button("btDeleteDirectory")->click();
    EXPECT_FALSE(Exists(tree.path("victim")));
    EXPECT_TRUE(Exists(outside.path("precious.txt")));
    // The link went as a file of its own (its size is that of the path it holds).
    EXPECT_TRUE(messages.saw(QStringLiteral("Deleted 3 files for a savings of %1 bytes.").arg(30 + outside.root().size())))
        << messages.texts().join(u'|').toStdString();
    EXPECT_EQ(w->folderPath(), tree.root());
    EXPECT_EQ(CurrentFolder::get(), tree.root());
    // The tree lets it go.
    FolderTreeModel* model = w->treeModel();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !model->isListing(); }, 10000));
    const QModelIndex root = model->rootIndex();
    ASSERT_EQ(model->rowCount(root), 1);
    EXPECT_EQ(model->data(model->index(0, 0, root)).toString(), QStringLiteral("sibling"));
}

TEST_F(BrowseWindow, AFolderDeleteIsCountedInTheTotalsInBothModes) {
    tree.file("gone/a.txt", 10);
    tree.file("gone/sub/b.txt", 20);
    tree.file("binned/c.txt", 5);
    // A stored figure of 0 or below is replaced, otherwise added to.
    auto plus = [](std::int64_t stored, std::int64_t run) { return stored <= 0 ? run : stored + run; };
    const DeletionTotalsValues before = DeletionTotals::read();
    open("gone");
    answerModal("TfrmDelDirectory", "btDelete");
    button("btDeleteDirectory")->click();
    ASSERT_FALSE(Exists(tree.path("gone")));
    const DeletionTotalsValues deleted = DeletionTotals::read();
    EXPECT_EQ(deleted.filesDeleted, plus(before.filesDeleted, 2));
    EXPECT_EQ(deleted.bytesDeleted, plus(before.bytesDeleted, 30));

    w.reset();
    open("binned");
    messages.scriptAnswers({MessageAnswer::Yes}); // the recycle bin's warning
    answerModal("TfrmDelDirectory", "btRecycle");
    button("btDeleteDirectory")->click();
    ASSERT_FALSE(Exists(tree.path("binned")));
    const DeletionTotalsValues recycled = DeletionTotals::read();
    EXPECT_EQ(recycled.filesRecycled, plus(deleted.filesRecycled, 1));
    EXPECT_EQ(recycled.bytesRecycled, plus(deleted.bytesRecycled, 5));
    EXPECT_EQ(recycled.filesDeleted, deleted.filesDeleted);
}

TEST_F(BrowseWindow, AFolderRemovedWhileShownIsLeftWithoutHarm) {
    tree.file("gone/x.txt", 5);
    tree.file("gone/y.txt", 6);
    open("gone");
    doubleClickRow(1); // counted while it is there
    std::filesystem::remove_all(tree.path("gone"));
    doubleClickRow(2); // gone: marked, not counted
    EXPECT_EQ(w->markedCount(), 1);
    EXPECT_EQ(w->markedBytes(), 5);
    EXPECT_EQ(w->lbDeleted().size(), 2u);
    // The real confirmation says, in its one list, that each file is no longer there; the listing
    // then moves up.
    QTimer::singleShot(0, w.get(), [this] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_TRUE(modal && modal->inherits("TfrmReallyDelete"));
        messages.scriptAnswers({MessageAnswer::Yes});
        QTest::mouseClick(modal->findChild<QPushButton*>(QStringLiteral("btDelete")), Qt::LeftButton);
    });
    QStringList stayed;
    whenFilesLeftShows([&](TfrmFilesLeft& report) { stayed = filesLeftRows(report); });
    button("btDeleteFiles")->click();
    EXPECT_EQ(stayed.value(0),
              QString::fromStdString(tree.path("gone/x.txt")) + u'\t' + RemovalReason(ENOENT))
        << stayed.join(u'|').toStdString();
    EXPECT_EQ(w->folderPath(), tree.root());
    EXPECT_EQ(w->markedCount(), 0);

    // Delete Folder on a folder that another program removed meanwhile: said, nothing else.
    tree.file("gone2/z.txt", 1);
    openInTree({"gone2"});
    std::filesystem::remove_all(tree.path("gone2"));
    messages.clear();
    answerModal("TfrmDelDirectory", "btDelete");
    button("btDeleteDirectory")->click();
    ASSERT_EQ(messages.records().size(), 1u) << messages.texts().join(u'|').toStdString();
    EXPECT_TRUE(messages.texts()[0].startsWith(QStringLiteral("Couldn't delete folder - ") +
                                              QString::fromStdString(tree.path("gone2")) + u'\n'));
    EXPECT_EQ(w->folderPath(), tree.root());
}

TEST_F(BrowseWindow, AFolderThatCannotBeReadIsSaidAndNotEntered) {
    tree.file("locked/secret.txt", 1);
    tree.file("open/plain.txt", 2);
    tree.setMode("locked", 0700);
    open("open");
    {
        AsUnprivileged nobody;
        openInTree({"locked"});
    }
    EXPECT_TRUE(messages.saw(QStringLiteral("Can't open folder ") + QString::fromStdString(tree.path("locked")) +
                             u'\n' + RemovalReason(EACCES)))
        << messages.texts().join(u'|').toStdString();
    EXPECT_EQ(w->folderPath(), tree.path("open"));
    EXPECT_EQ(column(4), QStringList{"plain.txt"});
}

TEST_F(BrowseWindow, RunHandsTheFileToTheDesktopAndNeverRunsIt) {
    const std::string marker = tree.path("ran");
    const std::string script = tree.file("r/script.sh");
    {
        FILE* f = std::fopen(script.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fprintf(f, "#!/bin/sh\ntouch '%s'\n", marker.c_str());
        std::fclose(f);
    }
    ::chmod(script.c_str(), 0755);
    const std::string odd = tree.file("r/odd\xFF name.txt", 1);
    open("r");
    std::vector<QUrl> opened;
    bool answer = true;
    w->setFileOpener([&](const QUrl& url) {
        opened.push_back(url);
        return answer;
    });
    selectRow(rowOf("script.sh"));
    button("btLaunch")->click();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], TfrmBrowse::FileUrl(script));
    EXPECT_TRUE(opened[0].isLocalFile());
    EXPECT_FALSE(Exists(marker));
    EXPECT_TRUE(messages.records().empty());

    // The URL carries every byte of the name.
    selectRow(rowOf("odd\xFF name.txt"));
    button("btLaunch")->click();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(QByteArray::fromPercentEncoding(opened[1].toEncoded().mid(7)).toStdString(), odd);

    answer = false;
    selectRow(rowOf("script.sh"));
    button("btLaunch")->click();
    EXPECT_TRUE(messages.saw(QStringLiteral("Couldn't run script.sh")));
    // A file gone since the listing is not handed on at all.
    ::unlink(odd.c_str());
    answer = true;
    selectRow(rowOf("odd\xFF name.txt"));
    button("btLaunch")->click();
    EXPECT_EQ(opened.size(), 3u);
    EXPECT_TRUE(messages.saw(QStringLiteral("Couldn't run odd\uFFFD name.txt")));

    // View shows the selected file in the viewer window, modally.
    QString viewerCaption;
    QTimer::singleShot(0, w.get(), [&] {
        if (auto* viewer = qobject_cast<TfrmView*>(QApplication::activeModalWidget())) {
            viewerCaption = viewer->windowTitle();
            viewer->reject();
        }
    });
    selectRow(rowOf("script.sh"));
    button("btView")->click();
    EXPECT_EQ(viewerCaption, QString::fromStdString("View File : " + script));

    // A replaced hand-off gets the exact bytes too.
    std::string viewed;
    w->setViewHandOff([&](QWidget*, const std::string& path) { viewed = path; });
    EXPECT_TRUE(button("btView")->isEnabled());
    selectRow(rowOf("script.sh"));
    button("btView")->click();
    EXPECT_EQ(viewed, script);
}

TEST_F(BrowseWindow, WildcardPanelAndDrivesChangeTheListing) {
    tree.file("w/one.txt", 1);
    tree.file("w/two.c", 2);
    TempTree other;
    other.file("on-d.txt", 4);
    qputenv("VANTOREL_DRIVES", QString::fromStdString("C=" + tree.root() + ";D=" + other.root()).toUtf8());
    open("w");
    QTimer::singleShot(0, w.get(), [] {
        auto* picker = qobject_cast<TfrmWildCard*>(QApplication::activeModalWidget());
        ASSERT_NE(picker, nullptr);
        EXPECT_EQ(picker->pattern(), QStringLiteral("*.*"));
        picker->setPattern(QStringLiteral("*.C"));
        picker->findChild<QPushButton*>(QStringLiteral("btOK"))->click();
    });
    QTest::mouseClick(child<QLabel>("pnlWild"), Qt::LeftButton);
    EXPECT_EQ(child<QLabel>("pnlWild")->text(), QStringLiteral("Wildcard : *.C"));
    EXPECT_EQ(column(4), QStringList{"two.c"});

    auto* drives = child<QComboBox>("DriveComboBox1");
    ASSERT_EQ(drives->count(), 2);
    w->DriveComboBox1Change(1);
    EXPECT_EQ(w->folderPath(), other.root());
    EXPECT_EQ(w->treeModel()->rootPath(), other.root());
    EXPECT_EQ(column(4), QStringList{QString()}); // still "*.C"
    w->DriveComboBox1Change(0); // back where it was on C:
    EXPECT_EQ(w->folderPath(), tree.path("w"));
}

TEST_F(BrowseWindow, RefreshListsAFolderAgainAndF5EverythingAgain) {
    tree.file("a/one.txt", 10);
    tree.folder("a/kept");
    tree.folder("a/gone");
    open("a");
    FolderTreeModel* model = w->treeModel();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !model->isListing(); }, 10000));
    EXPECT_EQ(rows(), 1);
    tree.file("a/two.txt", 20);
    std::filesystem::remove(tree.path("a/gone"));
    tree.folder("a/made");
    auto* view = child<QTreeView>("DirectoryListBox1");
    view->setCurrentIndex(model->reveal({"a"}));
    action("Refresh1")->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !model->isListing(); }, 10000));
    EXPECT_EQ(rows(), 2); // the files of the browsed folder again
    QStringList subFolders;
    const QModelIndex a = model->reveal({"a"});
    for (int r = 0; r < model->rowCount(a); ++r)
        subFolders << model->index(r, 0, a).data().toString();
    subFolders.sort();
    EXPECT_EQ(subFolders, (QStringList{"kept", "made"}));
    // F5: the browsed folder gone, the nearest folder above it is browsed.
    std::filesystem::remove_all(tree.path("a"));
    QApplication::setActiveWindow(w.get());
    QTest::keyClick(view, Qt::Key_F5);
    EXPECT_EQ(child<QLabel>("Label1")->text(), QString::fromStdString(tree.root()));
}
