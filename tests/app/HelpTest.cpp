// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/THelpWindow.h"
#include "app/TfrmMain.h"
#include "support/RecordingMessageService.h"
#include "support/TempTree.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTextBrowser>
#include <gtest/gtest.h>

namespace {

QString helpBesideProgram() { return QCoreApplication::applicationDirPath() + QStringLiteral("/vantorel.hlp"); }

// Restores the working folder and the application's help file whatever a test does.
class HelpTest : public ::testing::Test {
protected:
    void SetUp() override { m_oldFolder = QDir::currentPath(); }
    void TearDown() override {
        QDir::setCurrent(m_oldFolder);
        delete THelpWindow::current();
        THelpWindow::setHelpFile(QString());
    }

private:
    QString m_oldFolder;
};

} // namespace

TEST(JoinPathText, OneSeparatorBetweenFolderAndName) {
    EXPECT_EQ(JoinPath(QStringLiteral("/usr/bin"), QStringLiteral("vantorel.hlp")),
              QStringLiteral("/usr/bin/vantorel.hlp"));
    EXPECT_EQ(JoinPath(QStringLiteral("/"), QStringLiteral("vantorel.hlp")), QStringLiteral("/vantorel.hlp"));
    EXPECT_EQ(JoinPath(QStringLiteral("/opt/v/"), QStringLiteral("a")), QStringLiteral("/opt/v/a"));
}

TEST_F(HelpTest, HelpButtonOpensTopicOneBesideTheProgramFromAnyFolder) {
    RecordingMessageService messages;
    TempTree elsewhere;
    // A decoy help file in the working folder must not be the one shown.
    elsewhere.file("vantorel.hlp", 10, 'x');
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(elsewhere.root())));

    TfrmMain frm;
    frm.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frm));
    QTest::mouseClick(frm.findChild<QPushButton*>(QStringLiteral("btHelp")), Qt::LeftButton);

    THelpWindow* help = THelpWindow::current();
    ASSERT_NE(help, nullptr) << messages.texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(messages.records().empty());
    EXPECT_TRUE(help->isVisible());
    EXPECT_FALSE(help->isModal());
    const QUrl source = help->browser()->source();
    EXPECT_EQ(source.toLocalFile(), QFileInfo(helpBesideProgram()).absoluteFilePath());
    EXPECT_EQ(source.fragment(), QStringLiteral("topic-1"));
    EXPECT_TRUE(help->browser()->toPlainText().contains(QStringLiteral("Contents")));

    // Asking again reuses the one window.
    QTest::mouseClick(frm.findChild<QPushButton*>(QStringLiteral("btHelp")), Qt::LeftButton);
    EXPECT_EQ(THelpWindow::current(), help);
    EXPECT_EQ(frm.findChildren<THelpWindow*>().size(), 1);
}

TEST_F(HelpTest, MissingHelpFileGivesAnErrorBoxAndNoWindow) {
    RecordingMessageService messages;
    TempTree empty;
    const QString missing = QString::fromStdString(empty.path("vantorel.hlp"));
    THelpWindow::setHelpFile(missing);
    EXPECT_EQ(THelpWindow::showTopic(1), nullptr);
    EXPECT_EQ(THelpWindow::current(), nullptr);
    ASSERT_EQ(messages.records().size(), 1u);
    EXPECT_EQ(messages.records()[0].kind, MessageKind::Error);
    EXPECT_TRUE(messages.records()[0].text.contains(missing));
}

TEST_F(HelpTest, EveryTopicLinkLeadsToATopic) {
    QFile file(helpBesideProgram());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());

    QSet<QString> anchors;
    for (const auto& match : QRegularExpression(QStringLiteral("name=\"(topic-\\d+)\"")).globalMatch(html))
        anchors.insert(match.captured(1));
    QSet<QString> links;
    for (const auto& match : QRegularExpression(QStringLiteral("href=\"#(topic-\\d+)\"")).globalMatch(html))
        links.insert(match.captured(1));

    EXPECT_TRUE(anchors.contains(QStringLiteral("topic-1")));
    for (const QString& link : links)
        EXPECT_TRUE(anchors.contains(link)) << link.toStdString();
    // The contents page reaches every topic.
    for (const QString& anchor : anchors)
        EXPECT_TRUE(anchor == QStringLiteral("topic-1") || links.contains(anchor)) << anchor.toStdString();
    // Every tool of the program has its topic.
    for (const char* title : {"Duplicate files", "File hogs", "Files accessed", "Folder hogs", "Statistics",
                              "Browsing folders", "Viewing a file", "trash", "Running totals", "command-line tool"})
        EXPECT_TRUE(html.contains(QString::fromLatin1(title))) << title;
}

TEST_F(HelpTest, TheTrashTopicSaysWhereAFailedRunStopsAndThatChangedFilesAreLeftAlone) {
    RecordingMessageService messages;
    THelpWindow* help = THelpWindow::showTopic(12);
    ASSERT_NE(help, nullptr);
    // The topic's own text, from its heading to the next one (the contents list names both first).
    const QString all = help->browser()->toPlainText().simplified();
    const QString topic = all.mid(all.lastIndexOf(QStringLiteral("Deleting files and the trash")))
                              .section(QStringLiteral("Deleting a whole folder"), 0, 0);
    for (const char* said : {"the run stops at that file: the files before it in the list are in the trash, and that "
                             "file and the ones after it stay where they are",
                             "act only on the very file that the search listed", "is left alone"})
        EXPECT_TRUE(topic.contains(QString::fromLatin1(said))) << said;
}
