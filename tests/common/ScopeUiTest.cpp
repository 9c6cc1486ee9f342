// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/DriveBoxPanel.h"
#include "common/ui/DriveCombo.h"
#include "common/ui/TfrmWildCard.h"
#include "common/ui/WildcardCombo.h"
#include "platform/CurrentFolder.h"
#include "platform/FileTypes.h"
#include "support/RecordingMessageService.h"
#include "support/TempTree.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>

namespace {
// Points the drive table at fixture folders for the life of the object.
struct FixtureDrives {
    TempTree tree;
    std::string c, d, e;
    FixtureDrives() {
        c = tree.folder("c");
        d = tree.folder("d");
        e = tree.folder("e");
        qputenv("VANTOREL_DRIVES", QString::fromStdString("C=" + c + ";D=" + d + ";E=" + e).toUtf8());
    }
    ~FixtureDrives() { qunsetenv("VANTOREL_DRIVES"); }
};

void SaveShot(QWidget& w, const QString& name) {
    const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots");
    QDir().mkpath(dir);
    w.grab().save(dir + QLatin1Char('/') + name);
}
} // namespace

TEST(DriveBoxPanel, ShowsOneBoxPerDriveAndTicksTheCurrentOne) {
    FixtureDrives drives;
    CurrentFolder::set(drives.tree.folder("d/sub"));
    QWidget window;
    auto* panel = new DriveBoxPanel(&window);
    QSignalSpy ticks(panel, &DriveBoxPanel::tickedChanged);
    panel->loadDrives();

    const QStringList captions{"C:", "D:", "E:"};
    for (int i = 1; i <= 25; ++i) {
        QCheckBox* cb = window.findChild<QCheckBox*>(QStringLiteral("cb%1").arg(i));
        ASSERT_NE(cb, nullptr);
        EXPECT_EQ(cb->isVisibleTo(&window), i <= 3) << i;
        if (i <= 3) {
            // What the letter stands for, the whole drive item as the tooltip.
            EXPECT_TRUE(cb->text().startsWith(captions[i - 1] + "  /")) << cb->text().toStdString();
            EXPECT_EQ(cb->toolTip(), panel->driveCombo()->itemText(i - 1));
        }
        EXPECT_EQ(cb->isChecked(), i == 2) << i;
    }
    EXPECT_EQ(panel->driveCombo()->count(), 3);
    EXPECT_FALSE(panel->driveCombo()->isVisibleTo(&window));
    ASSERT_FALSE(ticks.isEmpty());
    EXPECT_TRUE(ticks.last().at(0).toBool());

    // Five columns of five: cb6 heads the second column.
    EXPECT_EQ(panel->box(6)->pos(), QPoint(46, 6));
    EXPECT_EQ(panel->box(5)->pos(), QPoint(8, 102));
    EXPECT_EQ(panel->size(), QSize(200, 127));

    panel->box(2)->click();
    EXPECT_FALSE(ticks.last().at(0).toBool());
    EXPECT_FALSE(panel->anyTicked());
    panel->box(3)->click();
    panel->box(1)->click();
    EXPECT_TRUE(ticks.last().at(0).toBool());
    EXPECT_EQ(panel->tickedCaptionList(), QStringLiteral("C: E: "));
    const auto ticked = panel->tickedDrives();
    ASSERT_EQ(ticked.size(), 2u);
    EXPECT_EQ(ticked[0].mountPoint, drives.c);
    EXPECT_EQ(ticked[1].mountPoint, drives.e);
}

TEST(DriveBoxPanel, BoxTextsTakeThePanelsFreeWidthAndElideLongMountPointsInTheMiddle) {
    TempTree tree;
    const std::string deep = tree.folder("a-rather-long-folder-name/with/several/levels/down/to/the-mount");
    qputenv("VANTOREL_DRIVES", QString::fromStdString("C=/;D=" + deep).toUtf8());
    CurrentFolder::set(deep);
    QWidget window;
    auto* panel = new DriveBoxPanel(&window);
    panel->loadDrives();
    EXPECT_EQ(panel->box(1)->text(), QStringLiteral("C:  /"));
    EXPECT_EQ(panel->box(1)->pos(), QPoint(8, 6)) << "the described places stay";
    EXPECT_GT(panel->box(1)->geometry().right(), panel->box(6)->x())
        << "one column in use: the panel's width";
    const QString d = panel->box(2)->text();
    EXPECT_TRUE(d.startsWith(QStringLiteral("D:  /"))) << d.toStdString();
    EXPECT_TRUE(d.contains(QChar(0x2026)) && d.endsWith(QStringLiteral("the-mount"))) << d.toStdString();
    EXPECT_EQ(panel->box(2)->toolTip(), QStringLiteral("D: ") + QString::fromStdString(deep));
    EXPECT_EQ(panel->tickedCaptionList(), QStringLiteral("D: ")) << "report titles name the letter";

    // Seven drives: a box of the first column ends before the second column begins.
    std::string drives = "C=/";
    for (char letter = 'D'; letter <= 'I'; ++letter)
        drives += ";" + std::string(1, letter) + "=" + tree.folder(std::string(1, letter));
    qputenv("VANTOREL_DRIVES", QString::fromStdString(drives).toUtf8());
    panel->loadDrives();
    EXPECT_LT(panel->box(1)->geometry().right(), panel->box(6)->x());
    EXPECT_TRUE(panel->box(5)->text().startsWith(QStringLiteral("G:")))
        << panel->box(5)->text().toStdString();
    EXPECT_GT(panel->box(6)->geometry().right(), panel->box(11)->x()) << "the last column in use";
    qunsetenv("VANTOREL_DRIVES");
}

TEST(DriveCombo, KeepsTheLetterAndBothEndsOfALongItemAndTellsTheWholeItem) {
    QWidget window;
    auto* combo = new DriveCombo(&window);
    const QString item = QStringLiteral("D: [backup disk] /media/user/some-rather-long-volume-name/inner");
    combo->addItem(QStringLiteral("C: /"));
    combo->addItem(item);
    const QFontMetrics fm(combo->font());
    EXPECT_EQ(ElideDriveText(QStringLiteral("C: /"), fm, 200), QStringLiteral("C: /"));
    const QString shown = ElideDriveText(item, fm, 120);
    EXPECT_TRUE(shown.startsWith(QStringLiteral("D: ")) && shown.endsWith(QStringLiteral("inner")))
        << shown.toStdString();
    EXPECT_LE(fm.horizontalAdvance(shown), 120);

    combo->setToolTip(QStringLiteral("The drive selected for statistics"));
    combo->setCurrentIndex(1);
    EXPECT_EQ(combo->shownTip(), QStringLiteral("The drive selected for statistics\n") + item);
    combo->resize(120, 24);
    combo->show();
    SaveShot(window, QStringLiteral("drive-combo.png"));
}

TEST(DriveBoxPanel, ReopeningForgetsTheOldTicks) {
    FixtureDrives drives;
    CurrentFolder::set(drives.c);
    QWidget window;
    auto* panel = new DriveBoxPanel(&window);
    panel->loadDrives();
    panel->box(3)->click();
    CurrentFolder::set(drives.e);
    panel->loadDrives();
    EXPECT_FALSE(panel->box(1)->isChecked());
    EXPECT_TRUE(panel->box(3)->isChecked());
}

TEST(ScanTickedDrives, SkipsVanishedDrivesSilentlyAndReportsUnopenableRoots) {
    FixtureDrives drives;
    RecordingMessageService messages;
    CurrentFolder::set(drives.c);
    QWidget window;
    auto* panel = new DriveBoxPanel(&window);
    panel->loadDrives();
    panel->box(2)->click();
    panel->box(3)->click();
    std::filesystem::remove_all(drives.d); // D: stops answering after the boxes were set up

    std::vector<std::string> walked;
    ScanTickedDrives(
        *panel,
        [&](const std::string& root) {
            walked.push_back(root);
            return root != drives.e; // E: answers but its root cannot be opened
        },
        [] { return false; });
    EXPECT_EQ(walked, (std::vector<std::string>{drives.c, drives.e}));
    ASSERT_EQ(messages.records().size(), 1u);
    EXPECT_EQ(messages.records()[0].text, QStringLiteral("Can't open drive E:"));
    EXPECT_EQ(messages.records()[0].kind, MessageKind::Error);
    EXPECT_FALSE(messages.records()[0].beep);
    EXPECT_EQ(CurrentFolder::get(), drives.e); // left on the last drive walked

    walked.clear();
    ScanTickedDrives(*panel, [&](const std::string& root) { walked.push_back(root); return true; },
                     [] { return true; });
    EXPECT_TRUE(walked.empty());
}

TEST(WildcardCombo, FillKeepsTheTypedTextAndPutsAllFilesFirst) {
    QWidget parent;
    QComboBox* combo = MakeWildcardCombo(&parent);
    EXPECT_EQ(combo->objectName(), QStringLiteral("cbWildCard"));
    EXPECT_TRUE(combo->isEditable());
    combo->setEditText(QStringLiteral("*.mp3"));
    FillWildcardList(combo);
    FillWildcardList(combo); // a second showing must not pile items up
    EXPECT_EQ(combo->currentText(), QStringLiteral("*.mp3"));
    ASSERT_GE(combo->count(), 1);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("*.*"));
    EXPECT_EQ(combo->findText(QStringLiteral("*.*")), 0);
    for (int i = 1; i < combo->count(); ++i)
        EXPECT_NE(combo->itemText(i), QStringLiteral("*.*"));
}

TEST(WildcardCombo, LabelRuleNamesTheTypedPattern) {
    QWidget parent;
    QComboBox* combo = MakeWildcardCombo(&parent);
    auto* label = new QLabel(QStringLiteral("All files"), &parent);
    QObject::connect(combo, &QComboBox::editTextChanged, &parent, [&] { cbWildCardChange(combo, label); });
    combo->setEditText(QStringLiteral("*.zzz"));
    EXPECT_EQ(label->text(), QStringLiteral("ZZZ File"));
    combo->setEditText(QStringLiteral("*.*"));
    EXPECT_EQ(label->text(), QStringLiteral("All files"));

    // A plain name names the type of its extension, never a piece of the name.
    const QString txt = FileTypeName(QStringLiteral(".txt"));
    ASSERT_NE(txt, QStringLiteral("TXT File"));
    for (const char* pattern : {"notes.txt", "*.txt", "my.notes.txt", " *.TXT"})
        EXPECT_EQ(WildcardLabelText(QString::fromLatin1(pattern)),
                  FileTypeName(QString::fromLatin1(pattern).trimmed().right(4)))
            << pattern;
    EXPECT_EQ(WildcardLabelText(QStringLiteral("report.zzz")), QStringLiteral("ZZZ File"));
    EXPECT_EQ(WildcardLabelText(QStringLiteral("*.zzz;*.txt;b.zzz")), QStringLiteral("ZZZ File, ") + txt);
    for (const char* none : {"*", "README", "*.", "*.do?", "*.t*", "*.*;*"})
        EXPECT_EQ(WildcardLabelText(QString::fromLatin1(none)), QString()) << none;
}

TEST(TfrmWildCard, PickerLayoutLabelsAndResults) {
    TfrmWildCard picker;
    picker.setPattern(QStringLiteral("*.zzz"));
    picker.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(picker.windowTitle(), QStringLiteral("Wildcard pattern"));
    EXPECT_EQ(picker.size(), QSize(286, 182));
    EXPECT_EQ(picker.minimumSize(), picker.maximumSize());
    auto* lblWild = picker.findChild<QLabel*>(QStringLiteral("lblWild"));
    auto* lblType = picker.findChild<QLabel*>(QStringLiteral("lblType"));
    ASSERT_TRUE(lblWild && lblType);
    EXPECT_EQ(picker.pattern(), QStringLiteral("*.zzz")); // filling the list keeps the text
    EXPECT_EQ(lblWild->text(), QString());
    EXPECT_EQ(lblType->text(), QStringLiteral("ZZZ File"));
    EXPECT_EQ(picker.combo()->itemText(0), QStringLiteral("*.*"));
    SaveShot(picker, QStringLiteral("wildcard-picker.png"));

    picker.setPattern(QStringLiteral("report.zzz"));
    EXPECT_EQ(lblType->text(), QStringLiteral("ZZZ File"));
    picker.setPattern(QStringLiteral("*.*"));
    EXPECT_EQ(lblWild->text(), QStringLiteral("All files"));
    EXPECT_EQ(lblType->text(), QString());

    picker.findChild<QPushButton*>(QStringLiteral("btOK"))->click();
    EXPECT_EQ(picker.result(), TfrmWildCard::mrOK);

    picker.show();
    QTest::keyClick(&picker, Qt::Key_Escape);
    EXPECT_EQ(picker.result(), TfrmWildCard::mrCancel);
}

TEST(TfrmWildCard, ExecReturnsOkOrCancel) {
    TfrmWildCard picker;
    QTimer::singleShot(0, &picker, [&] { picker.findChild<QPushButton*>(QStringLiteral("btCancel"))->click(); });
    EXPECT_EQ(picker.exec(), TfrmWildCard::mrCancel);
    QTimer::singleShot(0, &picker, [&] {
        picker.setPattern(QStringLiteral("*.txt"));
        picker.findChild<QPushButton*>(QStringLiteral("btOK"))->click();
    });
    EXPECT_EQ(picker.exec(), TfrmWildCard::mrOK);
    EXPECT_EQ(picker.pattern(), QStringLiteral("*.txt"));
}
