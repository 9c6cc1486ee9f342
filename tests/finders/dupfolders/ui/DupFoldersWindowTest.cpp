// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ScreenshotDir.h"
#include "app/TfrmMain.h"
#include "finders/dupfolders/ui/TfrmDupFolders.h"
#include "support/FinderWindowTest.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace fs = std::filesystem;

void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

class DupFoldersWindow : public FinderWindowTest<TfrmDupFolders> {
protected:
    std::vector<std::string> browsed;

    void put(const std::string& relative, const std::string& content) {
        tree.file(relative);
        std::ofstream(tree.path(relative), std::ios::binary) << content;
    }
    void SetUp() override {
        FinderWindowTest::SetUp();
        for (const char* at : {"photos/2023", "backup/2023"}) {
            put(std::string(at) + "/beach.jpg", std::string(6000, 'b'));
            put(std::string(at) + "/raw/beach.cr2", std::string(9000, 'r'));
        }
        put("photos/index.txt", "what is where"); // the folders holding the copies differ
        put("backup/readme.txt", "made in 2024");
        put("notes/todo.txt", "milk");
        put("old/notes/todo.txt", "milk");
        put("old/unsorted.txt", "and more");
        put("alone/one.txt", "only here");
    }
    void open() {
        w = std::make_unique<TfrmDupFolders>();
        w->setBrowseHandOff([this](QWidget*, const std::string& folder, const std::string&, const QString&) {
            browsed.push_back(folder);
        });
        w->show();
        QCoreApplication::processEvents();
    }
    QString cell(int row, int column) const { return w->gridModel()->cellText(row, column); }
    QString name(int row) const { return cell(row, 4); }
    int rowOf(const std::string& relative) const {
        for (int row = 1; row <= w->rowsFilled(); ++row)
            if (name(row) == QString::fromStdString(tree.path(relative)))
                return row;
        ADD_FAILURE() << "no row for " << relative;
        return 0;
    }
    // The delete of a row with the folder delete's question answered by one of its buttons.
    void deleteRow(int row, const char* choice) {
        selectRow(row);
        QTimer::singleShot(0, w.get(), [choice] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_TRUE(modal && modal->inherits("TfrmDelDirectory"));
            QTest::mouseClick(modal->findChild<QPushButton*>(QString::fromLatin1(choice)), Qt::LeftButton);
        });
        button("btDelete")->click();
    }
};

} // namespace

TEST_F(DupFoldersWindow, AScanListsTheCopiesGroupByGroupAndTheListSortsCopiesAndPrints) {
    open();
    for (const char* hidden : {"btPrint", "btClip", "btBrowse", "btSort", "btDelete", "btAbort"})
        EXPECT_FALSE(button(hidden)->isVisible()) << hidden;
    EXPECT_EQ(button("btDelete")->geometry(), button("btAbort")->geometry());
    EXPECT_LE(w->minimumWidth(), 1014) << "fits a 1024 x 768 screen";

    button("btScan")->click();
    ASSERT_EQ(w->rowsFilled(), 4);
    EXPECT_EQ(w->gridModel()->titles(), QStringList({"Group", "Size", "# Files", "Note", "Name"}));
    EXPECT_EQ(QStringList({cell(1, 0), cell(1, 1), cell(1, 2), cell(1, 3), name(1)}),
              QStringList({"1", "15,000", "2", "", QString::fromStdString(tree.path("backup/2023"))}));
    EXPECT_EQ(name(2), QString::fromStdString(tree.path("photos/2023")));
    EXPECT_EQ(cell(3, 0), "2");
    EXPECT_EQ(w->statusText(), "Groups : 2   Folders : 4   Extra copies : 15,004 bytes");
    for (const char* shown : {"btPrint", "btClip", "btBrowse", "btSort", "btDelete"})
        EXPECT_TRUE(button(shown)->isVisible()) << shown;

    // The clipboard has the command line's lines; sorts move whole rows and Group puts them back.
    button("btClip")->click();
    EXPECT_EQ(QApplication::clipboard()->text().split(u'\n').mid(0, 6),
              w->engine().resultLines().mid(0, 6));
    w->SortbyGroup1Click(action("SortbyName1"));
    EXPECT_EQ(name(1), QString::fromStdString(tree.path("backup/2023")));
    EXPECT_EQ(name(2), QString::fromStdString(tree.path("notes")));
    w->SortbyGroup1Click(action("SortbyGroup1"));
    EXPECT_EQ(name(2), QString::fromStdString(tree.path("photos/2023")));
    EXPECT_EQ(w->printTitle(), "Duplicate folders on drive(s) C: ");
    EXPECT_TRUE(PrintedReport(*w).contains(QStringLiteral("photos/2023")));

    selectRow(2);
    button("btBrowse")->click();
    EXPECT_EQ(browsed, std::vector<std::string>({tree.path("photos/2023")}));

    // A smallest size leaves the notes out; one that is no number in range is refused.
    auto* num1 = child<QLineEdit>("num1");
    num1->setText("5");
    button("btScan")->click();
    EXPECT_EQ(w->rowsFilled(), 2);
    EXPECT_EQ(child<QLabel>("lblKB1")->text(), "KB (5120 bytes)");
    num1->setText("x");
    button("btScan")->click();
    EXPECT_EQ(messages.texts(), QStringList({"Value is not within required range (0 to 999999999 KB)"}));
    EXPECT_EQ(num1->text(), "5");

    // Subsets, when asked: notes lies in old/notes, which holds more now.
    messages.clear();
    put("old/notes/list.txt", "eggs");
    num1->setText("0");
    child<QCheckBox>("cbSubsets")->setChecked(true);
    button("btScan")->click();
    ASSERT_EQ(w->rowsFilled(), 4);
    EXPECT_EQ(QStringList({cell(3, 3), name(3)}),
              QStringList({"subset", QString::fromStdString(tree.path("notes"))}));
    EXPECT_EQ(QStringList({cell(4, 3), name(4)}),
              QStringList({"contains 50%", QString::fromStdString(tree.path("old/notes"))}));
}

TEST_F(DupFoldersWindow, ACopyGoesThroughTheFolderDeleteAndTheLastCopyOnlyAfterAQuestion) {
    // A copy of hard links: deleting it frees nothing, and the window says so first.
    put("links/info.txt", "hard links");
    for (const char* f : {"beach.jpg", "raw/beach.cr2"}) {
        tree.folder("links/2023/raw");
        ASSERT_EQ(::link(tree.path(std::string("photos/2023/") + f).c_str(),
                         tree.path(std::string("links/2023/") + f).c_str()),
                  0);
    }
    open();
    button("btScan")->click();
    ASSERT_EQ(w->rowsFilled(), 5);
    EXPECT_EQ(cell(rowOf("links/2023"), 3), "hard links");

    messages.scriptAnswers({MessageAnswer::No});
    selectRow(rowOf("links/2023"));
    button("btDelete")->click();
    EXPECT_EQ(messages.texts(),
              QStringList({"Its files are hard links of another copy's files: deleting it frees no "
                           "space. Delete it anyway?"}));
    EXPECT_TRUE(fs::exists(tree.path("links/2023")));

    messages.clear();
    deleteRow(rowOf("backup/2023"), "BitBtn3"); // the folder delete's Cancel
    EXPECT_TRUE(fs::exists(tree.path("backup/2023/beach.jpg")));
    deleteRow(rowOf("backup/2023"), "btDelete");
    EXPECT_EQ(messages.texts(), QStringList({"Deleted 2 files for a savings of 15,000 bytes."}));
    EXPECT_FALSE(fs::exists(tree.path("backup/2023")));
    EXPECT_EQ(cell(rowOf("backup/2023"), 1), "DELETED");
    EXPECT_FALSE(w->lb().join(u'\n').contains(QStringLiteral("backup")));
    // The other two copies are names of the same files: only the notes' copy is extra now.
    EXPECT_TRUE(w->statusText().endsWith(QStringLiteral("Extra copies : 4 bytes"))) << w->statusText().toStdString();

    messages.clear();
    selectRow(rowOf("backup/2023"));
    button("btDelete")->click();
    EXPECT_EQ(messages.texts(), QStringList({"Folder already deleted/recycled"}));

    // The notes: one copy goes, the other is the last, deleted only when the user says so.
    messages.clear();
    deleteRow(rowOf("old/notes"), "btDelete");
    EXPECT_FALSE(w->statusText().contains(QStringLiteral("Extra copies"))) << w->statusText().toStdString();
    messages.clear();
    messages.scriptAnswers({MessageAnswer::No});
    selectRow(rowOf("notes"));
    button("btDelete")->click();
    EXPECT_EQ(messages.texts(),
              QStringList({"No other copy of this folder is left. Delete the last copy anyway?"}));
    EXPECT_TRUE(fs::exists(tree.path("notes/todo.txt")));
    messages.clear();
    messages.scriptAnswers({MessageAnswer::Yes});
    deleteRow(rowOf("notes"), "btDelete");
    EXPECT_FALSE(fs::exists(tree.path("notes")));
}

TEST(DupFoldersOpening, TheMainWindowOpensItFromTheFolderHogRow) {
    RecordingMessageService messages;
    TfrmMain frm;
    frm.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frm));
    auto* bt = frm.findChild<QPushButton*>(QStringLiteral("btDupFolders"));
    ASSERT_NE(bt, nullptr);
    const auto* label = frm.findChild<QLabel*>(QStringLiteral("lblDirHogs"));
    EXPECT_EQ(bt->parentWidget(), label->parentWidget());
    EXPECT_GT(bt->x(), label->x() + label->fontMetrics().horizontalAdvance(label->text()))
        << "after the description";
    EXPECT_LE(bt->geometry().right(), bt->parentWidget()->width());
    QString caption;
    QTimer::singleShot(0, [&] {
        if (auto* dlg = qobject_cast<TfrmDupFolders*>(QApplication::activeModalWidget())) {
            caption = dlg->windowTitle();
            dlg->reject();
        }
    });
    QTest::mouseClick(bt, Qt::LeftButton);
    EXPECT_EQ(caption, "Find and delete duplicate folders");
    EXPECT_TRUE(messages.records().empty());
}

TEST(Screenshots, DuplicateFolders) {
    RecordingMessageService messages;
    TempTree drive;
    auto put = [&](const std::string& relative, std::size_t size, char fill) {
        drive.file(relative);
        std::ofstream(drive.path(relative), std::ios::binary) << std::string(size, fill);
    };
    for (const char* at : {"Pictures/2023/Holiday", "Backup/Pictures 2023/Holiday", "Old laptop/Holiday"})
        for (int i = 0; i < 12; ++i)
            put(std::string(at) + "/IMG_" + std::to_string(4100 + i) + ".jpg",
                180'000 + 9'000 * std::size_t(i), char('a' + i));
    for (const char* at : {"Projects/engine", "Projects/engine-before-rewrite"}) {
        for (int i = 0; i < 20; ++i)
            put(std::string(at) + "/src/part" + std::to_string(i) + ".cpp", 4'000 + 300 * std::size_t(i),
                char('k' + i % 10));
        put(std::string(at) + "/.git/HEAD", 21, 'h');
    }
    put("Projects/engine/src/new.cpp", 2'000, 'n');
    for (int i = 0; i < 8; ++i) {
        put("Music/Live/track" + std::to_string(i) + ".flac", 60'000 + 1'000 * std::size_t(i), char('A' + i));
        if (i < 5)
            put("Phone/Music/Live/track" + std::to_string(i) + ".flac", 60'000 + 1'000 * std::size_t(i),
                char('A' + i));
    }
    put("Phone/notes.txt", 300, 'p');
    qputenv("VANTOREL_DRIVES", QByteArray("C=") + QByteArray::fromStdString(drive.root()));
    CurrentFolder::set(drive.root());

    TfrmDupFolders window;
    window.show();
    window.resize(820, 470);
    window.findChild<QCheckBox*>(QStringLiteral("cbSubsets"))->setChecked(true);
    window.findChild<QPushButton*>(QStringLiteral("btScan"))->click();
    ASSERT_GE(window.rowsFilled(), 6);
    QCoreApplication::processEvents();
    EXPECT_FALSE(SaveScreenshot(&window, QStringLiteral("duplicate-folders")).isEmpty());
    qunsetenv("VANTOREL_DRIVES");
}
