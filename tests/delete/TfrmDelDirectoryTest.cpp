// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/ui/TfrmDelDirectory.h"
#include "DeleteTestSupport.h"
#include "delete/ui/TfrmReallyDelete.h"
#include "support/RecordingMessageService.h"
#include "support/TempTree.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {
QPushButton* button(QWidget& w, const char* name) { return w.findChild<QPushButton*>(name); }
} // namespace

TEST(DelDirectoryTest, LayoutTextsAndCentredFolder) {
    TempTree tree;
    tree.file("Old Stuff/a.bin", 30000);
    tree.file("Old Stuff/.hidden/b.bin", 20000); // a folder delete takes hidden ones too
    TfrmDelDirectory w(nullptr);
    w.setListedFolder(listed(tree.path("Old Stuff")));
    w.show();
    // The space it frees, counted while the window waits.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.countingFreedSpace(); }, 30000));
    struct stat a {
    }, b{};
    ASSERT_EQ(::lstat(tree.path("Old Stuff/a.bin").c_str(), &a), 0);
    ASSERT_EQ(::lstat(tree.path("Old Stuff/.hidden/b.bin").c_str(), &b), 0);
    EXPECT_EQ(w.findChild<QLabel*>("lblFreed")->text(),
              "Frees " + QLocale().toString(std::int64_t(a.st_blocks + b.st_blocks) * 512) +
                  " bytes of disk space.");
    EXPECT_EQ(w.windowTitle(), "Delete directory, sub-directories and all files");
    auto* label = w.findChild<QLabel*>("lblDirectory");
    EXPECT_EQ(label->text(), QString::fromStdString(tree.path("Old Stuff")));
    EXPECT_LE(std::abs(label->x() * 2 + label->width() - w.width()), 1);
    EXPECT_TRUE(w.findChild<QLabel*>("Label3")->text().startsWith("All files sent to the recycle bin which"));
    for (const char* name : {"Bevel1", "Bevel2", "Bevel3", "Label1", "Label2", "Label4"})
        EXPECT_NE(w.findChild<QWidget*>(name), nullptr) << name;
    EXPECT_TRUE(button(w, "btRecycle")->isEnabled());
    QDir().mkpath(VANTOREL_SCREENSHOT_DIR);
    EXPECT_TRUE(w.grab().save(VANTOREL_SCREENSHOT_DIR "/TfrmDelDirectory.png"));
}

TEST(DelDirectoryTest, VolumeWithoutTrashDisablesRecycle) {
    TfrmDelDirectory w(nullptr);
    w.setFolder("/proc/sys");
    w.show();
    EXPECT_FALSE(button(w, "btRecycle")->isEnabled());
    EXPECT_EQ(button(w, "btRecycle")->toolTip(), "This folder lies on a filesystem that has no recycle bin.");
}

TEST(DelDirectoryTest, ChoicesAndTheirResults) {
    RecordingMessageService messages;
    TempTree tree;
    {
        TfrmDelDirectory w(nullptr);
        w.setFolder(tree.root());
        QTimer::singleShot(0, &w, [&] { QTest::mouseClick(button(w, "BitBtn3"), Qt::LeftButton); });
        EXPECT_EQ(w.exec(), QDialog::Rejected);
        EXPECT_FALSE(w.recycleChosen());
    }
    {
        // No to the warning keeps the window open; "Delete folder" then chooses permanent deletion.
        TfrmDelDirectory w(nullptr);
        w.setFolder(tree.root());
        w.show();
        QTest::mouseClick(button(w, "btRecycle"), Qt::LeftButton);
        EXPECT_EQ(messages.texts(), QStringList({recycleWarningText()}));
        EXPECT_TRUE(w.isVisible());
        EXPECT_FALSE(w.recycleChosen());
        QTest::mouseClick(button(w, "btDelete"), Qt::LeftButton);
        EXPECT_EQ(w.result(), QDialog::Accepted);
        EXPECT_FALSE(w.recycleChosen());
    }
    {
        TfrmDelDirectory w(nullptr);
        w.setFolder(tree.root());
        messages.scriptAnswers({MessageAnswer::Yes});
        QTimer::singleShot(0, &w, [&] { QTest::mouseClick(button(w, "btRecycle"), Qt::LeftButton); });
        EXPECT_EQ(w.exec(), QDialog::Accepted);
        EXPECT_TRUE(w.recycleChosen());
        // A new showing starts undecided.
        w.show();
        EXPECT_FALSE(w.recycleChosen());
    }
}
