// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/DeletionTotals.h"
#include "delete/ui/TfrmReallyDelete.h"
#include "platform/AppError.h"
#include "support/RecordingMessageService.h"
#include "support/ScopedMount.h"
#include "support/TempTree.h"
#include "DeleteTestSupport.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <limits>
#include <unistd.h>

namespace {
QStringList listTexts(TfrmReallyDelete& w) {
    QStringList out;
    auto* lb1 = w.findChild<QListWidget*>("lb1");
    for (int i = 0; i < lb1->count(); ++i)
        out << lb1->item(i)->text();
    return out;
}

void click(TfrmReallyDelete& w, const char* name) {
    auto* button = w.findChild<QPushButton*>(name);
    ASSERT_NE(button, nullptr) << name;
    QTest::mouseClick(button, Qt::LeftButton);
}

QString header(TfrmReallyDelete& w) { return w.findChild<QLabel*>("lblDelete")->text(); }

class ReallyDeleteTest : public ::testing::Test {
protected:
    TempTree tree;
    std::string config = tree.folder("config");
    ScopedConfigHome home{config};
    RecordingMessageService messages;
};
} // namespace

TEST_F(ReallyDeleteTest, ShowsSortedListHeaderAndSavings) {
    TfrmReallyDelete w(nullptr);
    w.setFileList(listed({"/b/zeta", "/B/alpha", "/a/Gamma", std::string("/a/odd\tname\xff", 12)}));
    w.setSavings(1234567);
    w.show();
    EXPECT_EQ(listTexts(w), QStringList({"/a/Gamma", QString("/a/odd?name") + QChar(0xFFFD), "/B/alpha", "/b/zeta"}));
    EXPECT_EQ(w.fileList()[1].path(), std::string("/a/odd\tname\xff", 12)); // exact bytes kept
    EXPECT_EQ(header(w), "The following 4 files will be deleted.");
    EXPECT_EQ(w.findChild<QLabel*>("lblSavings")->text(), "1,234,567 bytes");
    EXPECT_EQ(w.windowTitle(), "Delete/rename the following files:");
    for (const char* name : {"Panel2", "Label3", "Label2", "bar", "btDelete", "btRecycle", "btClose"})
        EXPECT_NE(w.findChild<QWidget*>(name), nullptr) << name;

    QDir().mkpath(VANTOREL_SCREENSHOT_DIR);
    EXPECT_TRUE(w.grab().save(VANTOREL_SCREENSHOT_DIR "/TfrmReallyDelete.png"));

    TfrmReallyDelete zero(nullptr);
    zero.setSavings(0);
    zero.show();
    EXPECT_EQ(zero.findChild<QLabel*>("lblSavings")->text(), "0 bytes");
}

TEST_F(ReallyDeleteTest, DeleteAllRemovesFilesAndCountsWhatWent) {
    const std::string a = tree.file("data/a.txt", 10);
    const std::string b = tree.file("data/B.txt", 20);
    const std::string gone = tree.path("data/c-missing.txt");
    TfrmReallyDelete w(nullptr);
    w.setFileList(listed({gone, b, a}));
    w.setSavings(999); // the caller's figure; the totals record what really went
    w.show();
    messages.scriptAnswers({MessageAnswer::Yes});
    click(w, "btDelete");

    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_FALSE(exists(a));
    EXPECT_FALSE(exists(b));
    EXPECT_EQ(messages.texts(), QStringList({"Really delete?", "Couldn't delete file - " + QString::fromStdString(gone) +
                                                                  "\nNo such file or directory"}));
    EXPECT_EQ(header(w), "The following 0 files will be deleted.");
    EXPECT_TRUE(listTexts(w).isEmpty());
    DeletionTotalsValues v = DeletionTotals::read();
    EXPECT_EQ(v.filesDeleted, 2);
    EXPECT_EQ(v.bytesDeleted, 30);
    EXPECT_EQ(v.filesRecycled, 0);
    EXPECT_EQ(v.bytesRecycled, 0);
}

TEST_F(ReallyDeleteTest, DeniedFileIsReportedWhileOthersGo) {
    const std::string locked = tree.file("locked/keep.txt", 5);
    const std::string free1 = tree.file("open/one.txt", 7);
    const std::string free2 = tree.file("open/two.txt", 8);
    tree.setMode("open", 0777);
    tree.setMode("config", 0777);
    TfrmReallyDelete w(nullptr);
    w.setFileList(listed({free1, locked, free2}));
    w.setSavings(20);
    w.show();
    messages.scriptAnswers({MessageAnswer::Yes});
    {
        AsUnprivileged nobody; // "locked" belongs to root, so the denial is real
        click(w, "btDelete");
    }
    EXPECT_TRUE(exists(locked));
    EXPECT_FALSE(exists(free1));
    EXPECT_FALSE(exists(free2));
    EXPECT_TRUE(messages.saw("Couldn't delete file - " + QString::fromStdString(locked) + "\nPermission denied"));
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_EQ(DeletionTotals::read().filesDeleted, 2);
    EXPECT_EQ(DeletionTotals::read().bytesDeleted, 15);
}

TEST_F(ReallyDeleteTest, DeclinedThenRecycledIntoTheTrash) {
    const std::string a = tree.file("declined-a.txt", 4);
    TfrmReallyDelete w(nullptr);
    w.setFileList(listed({a}));
    w.setSavings(4);
    w.show();
    messages.scriptAnswers({MessageAnswer::No});
    click(w, "btDelete");
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(exists(a));
    EXPECT_EQ(messages.texts().back(), "Files not deleted");
    EXPECT_EQ(listTexts(w).size(), 1);
    EXPECT_FALSE(QFile::exists(DeletionTotals::settingsPath()));

    messages.clear();
    messages.scriptAnswers({MessageAnswer::Yes});
    click(w, "btRecycle");
    EXPECT_EQ(messages.texts(), QStringList({recycleWarningText()}));
    EXPECT_TRUE(recycleWarningText().endsWith("recycle bin. \n\nSend to the recycle bin anyway?"));
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_FALSE(exists(a));
    EXPECT_TRUE(inTrash("declined-a.txt"));
    EXPECT_TRUE(trashInfo("declined-a.txt").contains("Path=" + QString::fromStdString(a)));
    auto* bar = w.findChild<QProgressBar*>("bar");
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 0);
    DeletionTotalsValues v = DeletionTotals::read();
    EXPECT_EQ(v.filesDeleted, 0);
    EXPECT_EQ(v.filesRecycled, 1);
    EXPECT_EQ(v.bytesRecycled, 4);
}

TEST_F(ReallyDeleteTest, RecycleStopsAtTheFirstTrashFailureAndGoesOnPastAVanishedFile) {
    const std::string missing = tree.path("data/a-missing.txt");
    const std::string b = tree.file("data/b-stays.txt", 5);
    const std::string c = tree.file("data/c-stays.txt", 6);
    tree.setMode("data", 0777);
    // A trash that its user may not make: the bin itself fails.
    const QByteArray oldDataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(tree.folder("locked-data")));
    TfrmReallyDelete w(nullptr);
    w.setFileList(listed({c, b, missing}));
    w.setSavings(11);
    w.show();
    messages.scriptAnswers({MessageAnswer::Yes});
    {
        AsUnprivileged nobody;
        click(w, "btRecycle");
    }
    qputenv("XDG_DATA_HOME", oldDataHome);
    // The vanished file is reported and passed; the first real failure stops the run.
    EXPECT_EQ(messages.texts(),
              QStringList({recycleWarningText(),
                           "Couldn't delete file - " + QString::fromStdString(missing) + "\nNo such file or directory",
                           "An error occurred sending files to the recycle bin.  The bin may be full.\n\n" +
                               QString::fromStdString(b) + "\nPermission denied"}));
    EXPECT_TRUE(exists(b));
    EXPECT_TRUE(exists(c));
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_FALSE(QFile::exists(DeletionTotals::settingsPath())); // nothing went, nothing written
}

TEST_F(ReallyDeleteTest, EmptyListWarnsAndCancelChangesNothing) {
    const std::string a = tree.file("cancel-a.txt", 4);
    {
        TfrmReallyDelete w(nullptr);
        w.show();
        click(w, "btDelete");
        EXPECT_EQ(messages.texts(), QStringList({"There are no files to delete"}));
        EXPECT_EQ(messages.records().front().kind, MessageKind::Warning);
        EXPECT_TRUE(w.isVisible());
    }
    TfrmReallyDelete w(nullptr);
    w.setFileList(listed({a}));
    QTimer::singleShot(0, &w, [&] { click(w, "btClose"); });
    EXPECT_EQ(w.exec(), QDialog::Rejected);
    QTimer::singleShot(0, &w, [&] { QTest::keyClick(&w, Qt::Key_Escape); });
    EXPECT_EQ(w.exec(), QDialog::Rejected);
    EXPECT_TRUE(exists(a));
    EXPECT_FALSE(QFile::exists(DeletionTotals::settingsPath()));
}

TEST_F(ReallyDeleteTest, ExecReturnsOkAfterARun) {
    const std::string a = tree.file("exec-a.txt", 4);
    TfrmReallyDelete w(nullptr);
    w.setFileList(listed({a}));
    messages.scriptAnswers({MessageAnswer::Yes});
    QTimer::singleShot(0, &w, [&] { click(w, "btDelete"); });
    EXPECT_EQ(w.exec(), QDialog::Accepted);
    EXPECT_FALSE(exists(a));
}

TEST_F(ReallyDeleteTest, UnwritableTotalsStillEndTheRunAndSayWhatWasNotRecorded) {
    const std::string a = tree.file("data/ro-a.txt", 4);
    tree.setMode("data", 0777);
    tree.setMode("config", 0555);
    TfrmReallyDelete w(nullptr);
    w.setFileList(listed({a}));
    w.show();
    messages.scriptAnswers({MessageAnswer::Yes});
    {
        AsUnprivileged nobody;
        w.btDeleteAllClick();
    }
    EXPECT_FALSE(exists(a));
    ASSERT_EQ(messages.records().size(), 2u);
    const QString error = messages.records().back().text;
    EXPECT_EQ(messages.records().back().kind, MessageKind::Error);
    EXPECT_TRUE(error.startsWith("Unable to write to " + DeletionTotals::settingsPath())) << error.toStdString();
    EXPECT_TRUE(error.endsWith("\n\nNot recorded in the totals: 1 file and 4 bytes deleted.")) << error.toStdString();
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_TRUE(listTexts(w).isEmpty());
}

TEST_F(ReallyDeleteTest, SumsOfHugeFilesStopAtTheLargestNumber) {
    ScopedMount ram("none", tree.folder("ram"), "tmpfs", 0);
    if (!ram.mounted)
        GTEST_SKIP() << "cannot mount here";
    constexpr std::int64_t most = std::numeric_limits<std::int64_t>::max();
    std::vector<ListedEntry> files;
    for (const char* name : {"ram/huge-1", "ram/huge-2"}) {
        const std::string path = tree.file(name, 0);
        if (::truncate(path.c_str(), most) != 0)
            GTEST_SKIP() << "this filesystem takes no file of 8 EiB";
        files.push_back(listed(path));
    }
    TfrmReallyDelete w(nullptr);
    w.setFileList(files);
    w.setSavings(double(most) * 2);
    w.show();
    EXPECT_EQ(w.findChild<QLabel*>("lblSavings")->text(), "9,223,372,036,854,775,807 bytes");
    messages.scriptAnswers({MessageAnswer::Yes});
    click(w, "btDelete");
    EXPECT_EQ(DeletionTotals::read().bytesDeleted, most);
    EXPECT_EQ(DeletionTotals::read().filesDeleted, 2);
}
