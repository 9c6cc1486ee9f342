// SPDX-License-Identifier: GPL-3.0-or-later
#include "finders/dup/keep/ui/TfrmMarkCopies.h"
#include "finders/dup/ui/TfrmDup.h"
#include "support/FinderWindowTest.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QTimer>
#include <fstream>

namespace {

// The finder window after a content check of three copies of a setup file (the oldest in "b")
// and two of a readme, and the Mark copies window opened from its grid's menu.
class MarkCopies : public FinderWindowTest<TfrmDup> {
protected:
    void SetUp() override {
        FinderWindowTest::SetUp();
        put("a/setup.exe", 'x', 1'600'000'000);
        put("b/setup.exe", 'x', 1'500'000'000);
        put("c/deep/setup.exe", 'x', 1'700'000'000);
        put("a/readme.txt", 'r', 1'600'000'000);
        put("c/readme.txt", 'r', 1'500'000'000);
        w = std::make_unique<TfrmDup>(true);
        w->show();
        QCoreApplication::processEvents();
        button("btScan")->click();
        ASSERT_EQ(w->rowsFilled(), 5);
        EXPECT_FALSE(action("MarkCopies1")->isEnabled()); // only after a content check
        button("btContent")->click();
        ASSERT_TRUE(action("MarkCopies1")->isEnabled());
    }
    void put(const std::string& relative, char fill, std::time_t written) {
        tree.file(relative, 0);
        std::ofstream(tree.path(relative), std::ios::binary) << std::string(300 * 1024, fill);
        tree.setTimes(relative, written, written);
    }
    // Opens Mark copies; with it showing, answer runs and then the window gets its button click.
    void markCopies(const std::function<void(TfrmMarkCopies&)>& answer, const char* click) {
        bool answered = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<TfrmMarkCopies*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            answer(*dialog);
            dialog->findChild<QPushButton*>(QString::fromLatin1(click))->click();
            answered = true;
        });
        action("MarkCopies1")->trigger();
        EXPECT_TRUE(answered);
    }
    std::vector<std::string> marked() const {
        std::vector<std::string> out;
        for (const std::string& p : w->lbDeleted())
            out.push_back(p.substr(tree.root().size() + 1));
        std::sort(out.begin(), out.end());
        return out;
    }
    using Paths = std::vector<std::string>;
};

} // namespace

TEST_F(MarkCopies, TheRuleAndAReferenceFolderGiveOrdinaryMarksWithTheirCountShown) {
    markCopies(
        [&](TfrmMarkCopies& d) {
            EXPECT_EQ(d.findChild<QLabel*>("lblCount")->text(),
                      "Marks 3 files of 921,600 bytes; keeps 2 files in 2 groups.");
            d.findChild<QRadioButton*>("rbNewest")->click();
            EXPECT_EQ(d.rule(), KeepRule::Newest);
            // A folder outside the scan is refused with a reason; "c" is taken.
            TempTree elsewhere;
            QString startedIn;
            d.setFolderPicker([&](QWidget*, const QString& startIn) {
                startedIn = startIn;
                return QString::fromStdString(elsewhere.root());
            });
            d.findChild<QPushButton*>("btAdd")->click();
            EXPECT_NE(messages.texts().back().indexOf("lies outside every folder that was scanned"), -1);
            EXPECT_EQ(startedIn, QString::fromStdString(tree.root())); // the scanned folder
            d.setFolderPicker([&](QWidget*, const QString&) { return QString::fromStdString(tree.path("c")); });
            d.findChild<QPushButton*>("btAdd")->click();
            EXPECT_EQ(d.findChild<QListWidget*>("lbReference")->count(), 1);
            EXPECT_EQ(d.choice().markedFiles, 3);
            EXPECT_EQ(d.findChild<QLabel*>("pnlSel")->text(), "No ties; every file is as the check found it");
            QLabel* freed = d.findChild<QLabel*>("lblFreed");
            EXPECT_TRUE(QTest::qWaitFor([&] { return freed->text().startsWith("Frees"); }, 20000));
            SaveShot(d, QStringLiteral("mark-copies.png"));
        },
        "btMark");
    EXPECT_EQ(marked(), (Paths{"a/readme.txt", "a/setup.exe", "b/setup.exe"}));
    EXPECT_EQ(w->markedCount(), 3);
    EXPECT_EQ(child<QLabel>("pnlSel")->text(), "3 files 921,600 bytes");

    // The marks are the user's to change; the last-copy guard still asks when a group is whole.
    int row = 1;
    while (w->engine().resultPath(w->gridModel()->keyOf(row)) != tree.path("c/readme.txt"))
        ++row;
    doubleClickRow(row);
    messages.scriptAnswers({MessageAnswer::No});
    button("btDelete")->click();
    EXPECT_EQ(messages.texts().back(), "Every copy of 1 file(s) is marked. Delete them all anyway?");

    // Cancel marks nothing; another rule sets each group's marks anew and leaves the rest alone.
    markCopies([](TfrmMarkCopies& d) { d.findChild<QRadioButton*>("rbFirst")->click(); }, "btCancel");
    EXPECT_EQ(w->markedCount(), 4);
    markCopies([](TfrmMarkCopies& d) { d.findChild<QRadioButton*>("rbOldest")->click(); }, "btMark");
    EXPECT_EQ(marked(), (Paths{"a/readme.txt", "a/setup.exe", "c/deep/setup.exe"}));
}

TEST_F(MarkCopies, AFileChangedSinceTheCheckIsLeftUnmarkedAndSaid) {
    put("a/setup.exe", 'z', 1'600'000'000); // other bytes now, same size and time
    tree.setTimes("a/setup.exe", 1'600'000'001, 1'600'000'001);
    markCopies(
        [&](TfrmMarkCopies& d) {
            EXPECT_EQ(d.findChild<QLabel*>("pnlSel")->text(),
                      "1 file changed since the check or could not be read: left as they are");
        },
        "btMark");
    EXPECT_EQ(marked(), (Paths{"a/readme.txt", "c/deep/setup.exe"}));
}
